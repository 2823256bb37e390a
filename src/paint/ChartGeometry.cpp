#include "paint/ChartGeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

int RoundHalfEven(double value)
{
    constexpr double limit = double(1 << 30);
    if (std::isnan(value))
        return 0;
    // nearbyint rounds halves to even in the default rounding mode.
    return int(std::nearbyint(std::clamp(value, -limit, limit)));
}

void ChartScaleBuilder::Add(double value)
{
    if (!std::isfinite(value))
        return;
    if (!m_any) {
        m_min = m_max = value;
        m_any = true;
        return;
    }
    m_min = std::min(m_min, value);
    m_max = std::max(m_max, value);
}

ChartScale ChartScaleBuilder::Result() const
{
    if (!m_any)
        return {};
    if (m_min < m_max)
        return { m_min, m_max };
    // A single value: widen by a tenth of it either way (by 1 around zero) so the chart still draws.
    const double v = m_min;
    double delta = std::fabs(v) * 0.1;
    if (!(v - delta < v + delta))
        delta = 1.0;
    constexpr double top = std::numeric_limits<double>::max();
    return { std::max(v - delta, -top), std::min(v + delta, top) };
}

int ValueToHeight(double v, int height, const ChartScale& scale)
{
    if (std::isnan(v))
        return 50;
    const double span = height - 100;
    double h = span * (v - scale.Min) / (scale.Max - scale.Min);
    if (!std::isfinite(h)) {
        // Extreme ranges overflow the plain formula; halving both differences keeps the ratio.
        const double ratio = (v / 2 - scale.Min / 2) / (scale.Max / 2 - scale.Min / 2);
        h = std::isfinite(ratio) ? span * ratio : (ratio > 0 ? 4.0 * height : -4.0 * height);
    }
    const double bound = 4.0 * std::max(height, 100);
    return RoundHalfEven(std::clamp(h, -bound, bound)) + 50;
}

namespace {

int nz(int a, int b)
{
    return a != b ? a - b : 1;
}

int channel(double value)
{
    return std::clamp(RoundHalfEven(value), 0, 255);
}

} // namespace

QRgb ZoneColorOf(int y, int height, const ZoneRows& rows)
{
    const int U = rows.Upper;
    const int C = rows.Centre;
    const int L = rows.Lower;
    int red = 0;
    int green = 0;
    if (y < U) {
        red = channel(255.0 * (y - 50) / nz(U, 50));
    } else if (y > L) {
        // The lower limit may lie on the plot edge; a zero divisor must not reach the colour.
        red = channel(255.0 * (height - y - 50) / nz(height - L, 50));
    } else if (y > C) {
        const double t = double(y - C) / nz(L, C);
        red = channel(255.0 * (y - C) / nz(L, C));
        green = channel((1 - t) * 255);
    } else {
        const double t = double(C - y) / nz(C, U);
        red = channel(255.0 * (C - y) / nz(C, U));
        green = channel((1 - t) * 255);
    }
    return qRgb(red, green, 0);
}

int UpperZoneRow(int centre, int upper, int i)
{
    return RoundHalfEven(centre + i * double(upper - centre) / 3);
}

int LowerZoneRow(int centre, int lower, int i)
{
    return RoundHalfEven(centre - i * double(centre - lower) / 3);
}

int AxisTickRow(int height, int j)
{
    if (j == AxisIntervals)
        return 50;
    const double spacing = (height - 100) / double(AxisIntervals);
    return height - 50 - RoundHalfEven(j * spacing);
}

double AxisTickValue(const ChartScale& scale, int j)
{
    const double v = (scale.Max - scale.Min) * j / AxisIntervals + scale.Min;
    if (std::isfinite(v))
        return v;
    return (scale.Max / AxisIntervals - scale.Min / AxisIntervals) * j + scale.Min;
}

int64_t ChartPageExtent(int64_t points, int64_t groups, int groupStep, int pointStep)
{
    return groups * groupStep + groupStep / 3 + (points - groups) * pointStep + 130;
}

int64_t ScrollOffset(int64_t adjustedExtent, int width, double fraction)
{
    if (!(fraction > 0.0))
        fraction = 0.0;
    fraction = std::min(fraction, 1.0);
    return int64_t(std::nearbyint(double(adjustedExtent - width) * fraction));
}

int64_t ReportPictureWidth(int first, int last, int groups, int leftMargin, int groupStep, int pointStep)
{
    if (first == last)
        return 3 * int64_t(leftMargin) + groupStep + pointStep;
    const int64_t spread
        = 2 * int64_t(leftMargin) + int64_t(groups) * groupStep + (int64_t(last) - first - groups + 1) * pointStep;
    return std::max(spread, 4 * int64_t(leftMargin));
}

namespace {

int64_t floorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

} // namespace

std::pair<int, int> HorizontalLayout::PointsNear(int64_t groupStart, int count, int64_t left, int64_t right) const
{
    const int64_t step = std::max(PointStep, 1);
    const int64_t first = std::clamp<int64_t>(floorDiv(left - groupStart, step) - 1, 0, count - 1);
    const int64_t last = std::clamp<int64_t>(floorDiv(right - groupStart, step) + 2, 0, count - 1);
    return { int(first), int(last) };
}

int64_t HorizontalLayout::FirstPointFrom(int64_t groupStart, int count, int64_t x) const
{
    if (x <= groupStart)
        return 0;
    const int64_t step = std::max(PointStep, 1);
    return std::min<int64_t>((x - groupStart + step - 1) / step, count);
}
