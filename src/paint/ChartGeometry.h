#pragma once

#include <QRgb>
#include <cstdint>
#include <utility>

// Pure geometry of a chart: value to row, zone colours, tick rows and the horizontal layout.
// Nothing here draws, so all of it can be tested without a bitmap.

// Nearest integer, halves to the even neighbour; not-a-number gives 0 and the result is clamped
// to +-2^30 so that later integer arithmetic cannot overflow.
int RoundHalfEven(double value);

// The value range of one chart. Always finite with Min < Max.
struct ChartScale {
    double Min = 0.0;
    double Max = 1.0;
};

// Accumulates the scale over limits and series values; non-finite numbers are ignored.
class ChartScaleBuilder {
public:
    void Add(double value);
    // The range seen, widened symmetrically when it is a single value, [0, 1] when empty.
    ChartScale Result() const;

private:
    double m_min = 0.0;
    double m_max = 0.0;
    bool m_any = false;
};

// Height of v above the bottom edge of a bitmap of the given height: the scale maximum at row 50,
// the minimum at row height - 50. Not-a-number lies on the minimum; heights are kept within a few
// bitmap heights of the plot so that a wild value cannot make a drawing loop run long.
int ValueToHeight(double v, int height, const ChartScale& scale);
inline int ValueToRow(double v, int height, const ChartScale& scale)
{
    return height - ValueToHeight(v, height, scale);
}

// Rows of the lines of the group being drawn.
struct ZoneRows {
    int Upper = 50;
    int Centre = 100;
    int Lower = 150;
};

// Gradient colour of row y: green on the centre line, red on a limit, darkening to black toward
// the edge of the plot area beyond a limit.
QRgb ZoneColorOf(int y, int height, const ZoneRows& rows);

// Rows of the one- and two-sigma zone lines, i = 1 or 2.
int UpperZoneRow(int centre, int upper, int i);
int LowerZoneRow(int centre, int lower, int i);

// The value axis: 16 ticks over 15 equal intervals.
constexpr int AxisIntervals = 15;
int AxisTickRow(int height, int j); // j = 0 .. 15
double AxisTickValue(const ChartScale& scale, int j); // j = 0 .. 16

// Full drawing width of a chart page for P points in G groups, before the margin is known.
int64_t ChartPageExtent(int64_t points, int64_t groups, int groupStep, int pointStep);
// The same once the margin is known.
inline int64_t AdjustedChartExtent(int64_t extent, int leftMargin)
{
    return extent + 2 * int64_t(leftMargin) - 130;
}
// Scroll offset of a page for a scroll fraction; the fraction is held to [0, 1].
int64_t ScrollOffset(int64_t adjustedExtent, int width, double fraction);
// Width of a report picture of the points first..last spanning the given number of groups.
int64_t ReportPictureWidth(int first, int last, int groups, int leftMargin, int groupStep, int pointStep);

// Horizontal placement of the points of a chart: groups in document order, points PointStep
// apart within a group, GroupStep from a group's last point to the next group's first.
struct HorizontalLayout {
    int LeftMargin = 65;
    int GroupStep = 50;
    int PointStep = 50;

    int64_t FirstPointX() const { return LeftMargin + GroupStep / 2; } // the chart's first point
    int Overhang() const { return RoundHalfEven(PointStep * 0.1); } // of group lines beyond the points
    int64_t PointX(int64_t groupStart, int64_t index) const { return groupStart + index * PointStep; }
    int64_t LastPointX(int64_t groupStart, int count) const { return PointX(groupStart, count - 1); }
    int64_t NextGroupStart(int64_t groupStart, int count) const { return LastPointX(groupStart, count) + GroupStep; }
    // The indexes of a group's points, first and last (clamped to the group), that bound every
    // segment and disc that can touch the columns left .. right - 1, with one point to spare on
    // either side.
    std::pair<int, int> PointsNear(int64_t groupStart, int count, int64_t left, int64_t right) const;
    // Index of the first point of a group at or right of column x (count when there is none).
    int64_t FirstPointFrom(int64_t groupStart, int count, int64_t x) const;
};
