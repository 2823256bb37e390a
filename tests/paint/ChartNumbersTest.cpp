#include "paint/ChartNumbers.h"
#include "paint/ChartGeometry.h"
#include "paint/DrawingState.h"

#include <gtest/gtest.h>

namespace {

class ChartNumbers : public ::testing::Test {
protected:
    void SetUp() override { ChartDrawingState().Reset(); }
    void TearDown() override { ChartDrawingState().Reset(); }
};

TEST_F(ChartNumbers, AxisLabelsGainADecimalWhenNeighboursReadTheSame)
{
    // d = 2 on a scale from 0 to 0.1: ticks every 0.00667.
    const ChartScale scale { 0.0, 0.1 };
    auto tick = [&](int j) { return FormatAxisValue(AxisTickValue(scale, j), AxisTickValue(scale, j + 1), 2); };
    EXPECT_EQ(tick(0), QStringLiteral("0,00"));
    EXPECT_EQ(tick(1), QStringLiteral("0,007"));
    EXPECT_EQ(tick(2), QStringLiteral("0,01"));
    EXPECT_EQ(tick(3), QStringLiteral("0,02"));
    EXPECT_EQ(tick(15), QStringLiteral("0,10"));
}

TEST_F(ChartNumbers, FixedAndExponentForms)
{
    struct Row {
        const char* name;
        ChartNumberFormat format;
        double value;
        int d;
        QString value_text;
        QString axis_text;
    } rows[] = {
        { "fixed", {}, 12.345, 2, "12,35", "12,35" },
        { "fixed negative", {}, -0.5, 1, "-0,5", "-0,5" },
        { "fixed gives way beyond ten integer digits", {}, 12345678901.0, 1, "1,234567890E+10", "1,234567890E+10" },
        { "exponent, four digits for lines, three for the axis", { ChartNumberFormat::Exponent, 4 }, 1234.5678, 2,
            "1,235E+03", "1,23E+03" },
        { "exponent with d = 1", { ChartNumberFormat::Exponent, 4 }, 0.012345, 1, "1,235E-2", "1,23E-02" },
        { "exponent digits stop at four", { ChartNumberFormat::Exponent, 4 }, 1234.5678, 7, "1,235E+0003", "1,23E+03" },
        { "exponent of zero", { ChartNumberFormat::Exponent, 4 }, 0.0, 2, "0,000E+00", "0,00E+00" },
    };
    for (const Row& row : rows) {
        ChartDrawingState().NumberFormat = row.format;
        EXPECT_EQ(FormatValue(row.value, row.d), row.value_text) << row.name;
        EXPECT_EQ(FormatAxisValue(row.value, row.value * 2 + 1, row.d), row.axis_text) << row.name;
    }
}

TEST_F(ChartNumbers, NonFiniteAndHugeDecimalsStayShort)
{
    EXPECT_EQ(FormatValue(std::numeric_limits<double>::quiet_NaN(), 2), QStringLiteral("0"));
    ChartDrawingState().NumberFormat = { ChartNumberFormat::Exponent, 4 };
    EXPECT_EQ(FormatValue(std::numeric_limits<double>::infinity(), 100000), QStringLiteral("0,000E+0000"));
    ChartDrawingState().NumberFormat = {};
    EXPECT_LE(FormatValue(1.0 / 3, 100000).size(), 32);
}

} // namespace
