#include "model/Numbers.h"

#include "common/TestSupport.h"

#include <cmath>
#include <cstring>
#include <random>

TEST(Numbers, ParseAcceptsTheNumberRuleAndNothingElse)
{
    struct Case {
        const char* text;
        bool valid;
        double value;
    };
    const Case cases[] = {
        { "1.5", true, 1.5 },
        { " 1,5 ", true, 1.5 },
        { "\t-2.25\r", true, -2.25 },
        { "+1.5", true, 1.5 },
        { "1e-5", true, 1e-5 },
        { "2E+3", true, 2000 },
        { "5.", true, 5 },
        { ".5", true, 0.5 },
        { "-0", true, 0 },
        { "1e-400", true, 0 },
        { "", false, 0 },
        { "   ", false, 0 },
        { "1.5a", false, 0 },
        { "inf", false, 0 },
        { "nan", false, 0 },
        { "0x10", false, 0 },
        { "1,5,2", false, 0 },
        { ".", false, 0 },
        { "-", false, 0 },
        { "1e", false, 0 },
        { "1e+", false, 0 },
        { "1e400", false, 0 },
        { "++1", false, 0 },
        { "1 000", false, 0 },
        { "١", false, 0 },
    };
    for (const Case& c : cases) {
        const auto parsed = ParseNumber(QString::fromUtf8(c.text));
        EXPECT_EQ(parsed.has_value(), c.valid) << c.text;
        if (parsed && c.valid) {
            EXPECT_EQ(*parsed, c.value) << c.text;
        }
    }
    EXPECT_FALSE(ParseNumberNoComma(QStringLiteral("2,5")).has_value());
    EXPECT_EQ(ParseNumberNoComma(QStringLiteral("2.5")).value_or(0), 2.5);
}

TEST(Numbers, DecimalsOfCountsAfterTheFirstSeparator)
{
    EXPECT_EQ(DecimalsOf(QString()), 1);
    EXPECT_EQ(DecimalsOf(QStringLiteral("7")), 0);
    EXPECT_EQ(DecimalsOf(QStringLiteral("7,25")), 2);
    EXPECT_EQ(DecimalsOf(QStringLiteral("0.125")), 3);
    EXPECT_EQ(DecimalsOf(QStringLiteral("1e-5")), 0);
    EXPECT_EQ(DecimalsOf(QStringLiteral("5.")), 0);
    EXPECT_EQ(DecimalsOf(QStringLiteral("12.345")), 3);
}

TEST(Numbers, FormatFixedKeepsFifteenSignificantDigitsInTheLocaleSeparator)
{
    EXPECT_EQ(FormatFixed(1.5, 2), QStringLiteral("1,50"));
    EXPECT_EQ(FormatFixed(2.0, 1), QStringLiteral("2,0"));
    EXPECT_EQ(FormatFixed(-0.0001, 2), QStringLiteral("0,00"));
    EXPECT_EQ(FormatFixed(74.0011760, 6), QStringLiteral("74,001176"));
    EXPECT_EQ(FormatFixed(1.0 / 3.0, 18), QStringLiteral("0,333333333333333000"));
    EXPECT_EQ(FormatFixed(123456.789, 12), QStringLiteral("123456,789000000000"));
    EXPECT_EQ(FormatFixed(0.000123456789012345678, 18), QStringLiteral("0,000123456789012346"));
    EXPECT_EQ(FormatFixed(12.5, 0), QStringLiteral("12"));
}

TEST(Numbers, RoundTripTextReadsBackBitForBit)
{
    std::mt19937_64 random(7);
    std::uniform_int_distribution<uint64_t> bits;
    for (int i = 0; i < 20000; ++i) {
        double value;
        const uint64_t pattern = bits(random);
        std::memcpy(&value, &pattern, sizeof value);
        if (!std::isfinite(value))
            continue;
        const auto back = ParseNumber(RoundTripText(value));
        ASSERT_TRUE(back.has_value()) << RoundTripText(value).toStdString();
        EXPECT_EQ(std::memcmp(&*back, &value, sizeof value) == 0 || value == 0.0, true);
    }
}

// The fast way for plain decimals gives the general reader's double, bit for bit, on every shape
// near its edges: many digits, many decimals, leading zeros, signs, both separators, blanks.
TEST(Numbers, PlainDecimalsReadAsTheGeneralReaderReadsThem)
{
    std::mt19937_64 random(20261209);
    auto digitsOf = [&](int count) {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += char('0' + random() % 10);
        return text;
    };
    auto sameBits = [](std::optional<double> a, std::optional<double> b) {
        if (a.has_value() != b.has_value())
            return false;
        return !a || std::memcmp(&*a, &*b, sizeof(double)) == 0;
    };
    int compared = 0;
    for (int i = 0; i < 200000; ++i) {
        std::string text;
        const int shape = int(random() % 8);
        if (shape == 0)
            text += '-';
        else if (shape == 1)
            text += '+';
        text += digitsOf(int(random() % 12));
        if (random() % 4 != 0)
            text += random() % 2 ? '.' : ',';
        text += digitsOf(int(random() % 24));
        if (shape == 2)
            text = "  " + text + "\t";
        const QString q = QString::fromLatin1(text);
        ASSERT_TRUE(sameBits(ParseNumber(q), ParseNumberReference(q, true))) << text;
        ASSERT_TRUE(sameBits(ParseNumberNoComma(q), ParseNumberReference(q, false))) << text;
        ++compared;
    }
    EXPECT_EQ(compared, 200000);
    for (const char* edge : { "9007199254740991", "9007199254740992", "9007199254740993", "0.1", "-0", "-0.0",
             "0.0000000000000000000001", "0.00000000000000000000001", "1234567890123456789", "12345678901234567890",
             "5.", ".5", "-", "+.", "1.2.3", "1,2", "00000000000000000000001" }) {
        const QString q = QString::fromLatin1(edge);
        EXPECT_TRUE(sameBits(ParseNumber(q), ParseNumberReference(q, true))) << edge;
    }
}
