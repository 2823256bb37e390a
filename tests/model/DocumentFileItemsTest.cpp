#include "model/DocumentLines.h"

#include "common/TestSupport.h"
#include "model/Numbers.h"

#include <optional>
#include <random>

TEST(DocumentFileItems, LinesEndAtCrLfLfOrCr)
{
    struct Case {
        const char* name;
        QString text;
        QStringList lines;
    };
    const Case cases[] = {
        { "empty file", QString(), {} },
        { "one line without break", QStringLiteral("a"), { QStringLiteral("a") } },
        { "break at the end opens no line", QStringLiteral("a\r\n"), { QStringLiteral("a") } },
        { "lone break is one empty line", QStringLiteral("\r\n"), { QString() } },
        { "mixed ends", QStringLiteral("a\r\nb\nc\rd"),
            { QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d") } },
        { "LF then CR are two breaks", QStringLiteral("a\n\rb"),
            { QStringLiteral("a"), QString(), QStringLiteral("b") } },
        { "CR before CR LF", QStringLiteral("a\r\r\nb"), { QStringLiteral("a"), QString(), QStringLiteral("b") } },
        { "blanks kept", QStringLiteral(" x \r\n\r\n"), { QStringLiteral(" x "), QString() } },
    };
    for (const Case& c : cases) {
        DocumentLines lines(c.text);
        EXPECT_EQ(lines.Remaining(), c.lines.size()) << c.name;
        QStringList read;
        while (const auto line = lines.Next())
            read.append(line->toString());
        EXPECT_EQ(read, c.lines) << c.name;
        EXPECT_EQ(lines.Remaining(), 0) << c.name;
    }
}

TEST(DocumentFileItems, BooleanForms)
{
    struct Case {
        const char* text;
        std::optional<bool> value;
    };
    const Case cases[] = {
        { "True", true },
        { "TRUE", true },
        { "tRuE", true },
        { "False", false },
        { "false", false },
        { " True ", true },
        { "1", true },
        { "-1", true },
        { "2", true },
        { "1.0", true },
        { "5e0", true },
        { "0,5", true },
        { "0", false },
        { "-0", false },
        { "0.0", false },
        { "0e5", false },
        { "", std::nullopt },
        { "yes", std::nullopt },
        { "T", std::nullopt },
        { "Truee", std::nullopt },
        { "1.5a", std::nullopt },
        { "inf", std::nullopt },
        { "nan", std::nullopt },
        { "0x1", std::nullopt },
        { "1e999", std::nullopt },
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseBooleanItem(QString::fromUtf8(c.text)), c.value) << '"' << c.text << '"';
}

// The quick reading of ASCII words against the general case-insensitive comparison, for short
// texts over letters that fold onto the words' letters (U+017F folds to "s", U+212A to "k").
TEST(DocumentFileItems, BooleanWordsAsTheGeneralComparisonReadsThem)
{
    const QString alphabet = QStringLiteral("tTrRuUeEfFaAlLsS@`5 \u017F\u212A\u0442");
    std::mt19937 rng(3);
    for (int i = 0; i < 200000; ++i) {
        QString word;
        for (int n = 3 + int(rng() % 4); n > 0; --n)
            word.append(alphabet[qsizetype(rng() % alphabet.size())]);
        const QStringView trimmed = TrimBlanks(word);
        std::optional<bool> expected;
        if (trimmed.compare(u"true", Qt::CaseInsensitive) == 0)
            expected = true;
        else if (trimmed.compare(u"false", Qt::CaseInsensitive) == 0)
            expected = false;
        else if (const std::optional<double> number = ParseNumber(trimmed))
            expected = *number != 0.0;
        ASSERT_EQ(ParseBooleanItem(word), expected) << word.toStdString();
    }
}

TEST(DocumentFileItems, IntegerForms)
{
    struct Case {
        const char* text;
        std::optional<int> value;
    };
    const Case cases[] = {
        { "0", 0 },
        { "25", 25 },
        { "-5", -5 },
        { "+5", 5 },
        { " 7 ", 7 },
        { "007", 7 },
        { "2147483647", 2147483647 },
        { "-2147483648", -2147483647 - 1 },
        { "2147483648", std::nullopt },
        { "-2147483649", std::nullopt },
        { "99999999999999999999999", std::nullopt },
        { "", std::nullopt },
        { "-", std::nullopt },
        { "1.0", std::nullopt },
        { "1e3", std::nullopt },
        { "5a", std::nullopt },
        { "0x10", std::nullopt },
        { "1 2", std::nullopt },
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseIntegerItem(QString::fromUtf8(c.text)), c.value) << '"' << c.text << '"';
}
