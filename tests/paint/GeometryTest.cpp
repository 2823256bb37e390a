#include "paint/ChartGeometry.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

constexpr int H = 285;

TEST(ChartGeometry, RoundHalfEvenAndClamp)
{
    struct Row {
        const char* name;
        double value;
        int expected;
    } rows[] = {
        { "half down to even", 2.5, 2 },
        { "half up to even", 3.5, 4 },
        { "negative half", -2.5, -2 },
        { "ordinary", 92.4, 92 },
        { "not a number", std::nan(""), 0 },
        { "huge", 1e300, 1 << 30 },
    };
    for (const Row& row : rows)
        EXPECT_EQ(RoundHalfEven(row.value), row.expected) << row.name;
}

TEST(ChartGeometry, ValueToRowMapsTheScaleOntoRows50ToHMinus50)
{
    const ChartScale scale { 0.0, 10.0 };
    EXPECT_EQ(ValueToRow(10.0, H, scale), 50);
    EXPECT_EQ(ValueToRow(0.0, H, scale), H - 50);
    // 185 * 5 / 10 = 92.5 rounds to the even 92.
    EXPECT_EQ(ValueToHeight(5.0, H, scale), 142);
    // Wild values stay within a few bitmap heights; not-a-number lies on the minimum.
    EXPECT_EQ(ValueToRow(std::nan(""), H, scale), H - 50);
    EXPECT_GE(ValueToRow(1e308, H, scale), -4 * H);
    EXPECT_LE(ValueToRow(-std::numeric_limits<double>::infinity(), H, scale), 5 * H);
    const ChartScale huge { -1e308, 1e308 };
    EXPECT_EQ(ValueToRow(1e308, H, huge), 50);
    EXPECT_EQ(ValueToRow(-1e308, H, huge), H - 50);
}

TEST(ChartGeometry, ScaleIgnoresNonFiniteAndWidensASingleValue)
{
    ChartScaleBuilder equal;
    equal.Add(10.0);
    equal.Add(10.0);
    equal.Add(std::numeric_limits<double>::quiet_NaN());
    const ChartScale widened = equal.Result();
    EXPECT_DOUBLE_EQ(widened.Min, 9.0);
    EXPECT_DOUBLE_EQ(widened.Max, 11.0);
    EXPECT_EQ(ValueToRow(10.0, H, widened), 143);

    ChartScaleBuilder zero;
    zero.Add(0.0);
    EXPECT_DOUBLE_EQ(zero.Result().Min, -1.0);
    EXPECT_DOUBLE_EQ(zero.Result().Max, 1.0);

    ChartScaleBuilder none;
    none.Add(std::numeric_limits<double>::infinity());
    EXPECT_LT(none.Result().Min, none.Result().Max);
}

TEST(ChartGeometry, ZoneColours)
{
    // Limits at rows 50 and 235, centre at 143, as for a chart whose values lie inside its limits.
    const ZoneRows inside { 50, 143, 235 };
    // Limits inside the plot area, so that rows beyond them exist.
    const ZoneRows narrow { 80, 140, 200 };
    struct Row {
        const char* name;
        int y;
        ZoneRows rows;
        QRgb expected;
    } rows[] = {
        { "centre line is pure green", 143, inside, qRgb(0, 255, 0) },
        { "upper limit is pure red", 50, inside, qRgb(255, 0, 0) },
        { "lower limit is pure red", 235, inside, qRgb(255, 0, 0) },
        { "upper limit of a narrow band", 80, narrow, qRgb(255, 0, 0) },
        { "between centre and upper", 110, narrow, qRgb(128, 128, 0) },
        { "between centre and lower", 170, narrow, qRgb(128, 128, 0) },
        { "scale maximum beyond the limit is black", 50, narrow, qRgb(0, 0, 0) },
        { "scale minimum beyond the limit is black", H - 50, narrow, qRgb(0, 0, 0) },
        { "beyond the upper limit darkens", 65, narrow, qRgb(128, 0, 0) },
        // Lower limit on the plot edge: rows below it must not divide by zero.
        { "below a lower limit on the edge", H - 40, inside, qRgb(0, 0, 0) },
    };
    for (const Row& row : rows)
        EXPECT_EQ(ZoneColorOf(row.y, H, row.rows), row.expected) << row.name;
}

TEST(ChartGeometry, AxisTicksAndZoneRows)
{
    EXPECT_EQ(AxisTickRow(H, 0), H - 50);
    EXPECT_EQ(AxisTickRow(H, 1), H - 50 - 12);
    EXPECT_EQ(AxisTickRow(H, 15), 50);
    const ChartScale scale { 0.0, 0.1 };
    EXPECT_DOUBLE_EQ(AxisTickValue(scale, 15), 0.1);
    EXPECT_NEAR(AxisTickValue(scale, 1), 0.1 / 15, 1e-15);
    EXPECT_EQ(UpperZoneRow(143, 50, 1), 112);
    EXPECT_EQ(UpperZoneRow(143, 50, 2), 81);
    EXPECT_EQ(LowerZoneRow(143, 235, 1), 174); // 143 + 30.67
    EXPECT_EQ(LowerZoneRow(143, 235, 2), 204);
}

TEST(ChartGeometry, HorizontalLayout)
{
    // 10 points in 2 groups: 2 * 50 + 16 + 8 * 50 + 130.
    EXPECT_EQ(ChartPageExtent(10, 2, 50, 50), 646);
    EXPECT_EQ(AdjustedChartExtent(646, 65), 646);
    EXPECT_EQ(AdjustedChartExtent(646, 80), 676);
    EXPECT_EQ(ScrollOffset(1773, 773, 0.0), 0);
    EXPECT_EQ(ScrollOffset(1773, 773, 1.0), 1000);
    EXPECT_EQ(ScrollOffset(1773, 773, 0.0005), 0); // 0.5 rounds to even
    EXPECT_EQ(ScrollOffset(1773, 773, std::nan("")), 0);
    EXPECT_EQ(ScrollOffset(1773, 773, 7.0), 1000);
    struct Row {
        const char* name;
        int first, last, groups;
        int64_t expected;
    } rows[] = {
        { "one point", 5, 5, 1, 295 },
        { "two points of one group: the minimum", 1, 2, 1, 260 },
        { "twelve points of one group", 1, 12, 1, 130 + 50 + 11 * 50 },
        { "twelve points over two groups", 1, 12, 2, 130 + 100 + 10 * 50 },
    };
    for (const Row& row : rows)
        EXPECT_EQ(ReportPictureWidth(row.first, row.last, row.groups, 65, 50, 50), row.expected) << row.name;
}

TEST(ChartGeometry, PointPlacement)
{
    const HorizontalLayout layout { 80, 50, 50 };
    EXPECT_EQ(layout.FirstPointX(), 105);
    EXPECT_EQ(layout.Overhang(), 5);
    EXPECT_EQ(layout.LastPointX(105, 4), 255);
    EXPECT_EQ(layout.NextGroupStart(105, 4), 305); // GroupStep after the last point
    // Points at 1000, 1050, ...: the window 1120..1300 needs points 1 (left of it) to 8.
    EXPECT_EQ(layout.PointsNear(1000, 100, 1120, 1300), std::make_pair(1, 8));
    EXPECT_EQ(layout.PointsNear(1000, 5, 1120, 1300), std::make_pair(1, 4));
    EXPECT_EQ(layout.PointsNear(1000, 100, 0, 900), std::make_pair(0, 0));
    EXPECT_EQ(layout.FirstPointFrom(1000, 10, 900), 0);
    EXPECT_EQ(layout.FirstPointFrom(1000, 10, 1050), 1);
    EXPECT_EQ(layout.FirstPointFrom(1000, 10, 1051), 2);
    EXPECT_EQ(layout.FirstPointFrom(1000, 10, 5000), 10);
}

} // namespace
