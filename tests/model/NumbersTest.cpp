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
