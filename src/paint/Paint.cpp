#include "paint/Paint.h"

#include "model/Messenger.h"
#include "paint/ChartNumbers.h"
#include "paint/DrawingState.h"

#include <QLocale>
#include <algorithm>
#include <array>
#include <climits>
#include <limits>
#include <memory>

namespace {

constexpr QRgb White = 0xFFFFFFFF;
constexpr QRgb Black = 0xFF000000;
constexpr QRgb Grey = 0xFF808080;
constexpr QRgb NoteMarkColour = 0xFF000080; // navy: apart from the black lines and the zone colours

// The inside of a disc left white when the point is kept out of the limits: a ring of two pixels.
constexpr std::array<std::array<int, 2>, 4> HoleSpans { { { -1, 0 }, { -2, 1 }, { -2, 1 }, { -1, 0 } } };

PointMark markOf(const PointMarks& marks, int group, int64_t index)
{
    return marks ? marks(group, int(index)) : PointMark {};
}

const QString& ErrorFirstBeyond()
{
    static const QString text
        = QStringLiteral("Внутрішня помилка №47-в! Спробуйте ще раз або зверніться до розробника.");
    return text;
}
const QString& ErrorLastBeyond()
{
    static const QString text
        = QStringLiteral("Внутрішня помилка №47-в1! Спробуйте ще раз або зверніться до розробника.");
    return text;
}
const QString& ErrorRangeOverrun()
{
    static const QString text
        = QStringLiteral("Внутрішня помилка №47-r! Спробуйте ще раз або зверніться до розробника.");
    return text;
}
const QString& ErrorTooWide()
{
    static const QString text = QStringLiteral("Забагато точок для одного малюнка карти!");
    return text;
}

[[noreturn]] void abandon(Messenger& messenger, const QString& text)
{
    messenger.ShowMessage(text);
    throw DrawingAborted();
}

// Index of the first group from `from` on that has points on this chart, or -1.
int nextDrawn(const std::vector<TIndividualInfo>& groups, size_t from, int s, int rowOffset)
{
    for (size_t g = from; g < groups.size(); ++g) {
        if (SeriesOf(groups[g], s, rowOffset).Count > 0)
            return int(g);
    }
    return -1;
}

int lastDrawn(const std::vector<TIndividualInfo>& groups, int s, int rowOffset)
{
    for (size_t g = groups.size(); g-- > 0;) {
        if (SeriesOf(groups[g], s, rowOffset).Count > 0)
            return int(g);
    }
    return -1;
}

int seriesRow(const GroupSeries& series, int i, int height, const ChartScale& scale)
{
    return ValueToRow(series.Values[i], height, scale);
}

struct LineLabel {
    QString Text;
    int Row;
};

std::array<LineLabel, 3> lineLabels(const TControlLines& lines, int d, const QString& u)
{
    const DrawingState& state = ChartDrawingState();
    const QString tail = QLatin1Char(' ') + u;
    return { { { QStringLiteral("ВКМ=") + FormatValue(lines.Upper, d) + tail, state.UpperRow - 15 },
        { QStringLiteral("Центр=") + FormatValue(lines.Centre, d) + tail, state.CentreRow - 15 },
        { QStringLiteral("НКМ=") + FormatValue(lines.Lower, d) + tail, state.LowerRow - 15 } } };
}

// No control-line label can be wider than this: the widest prefix, 32 characters of a number (a
// fixed number has at most 10 + 18 digits, a sign and a separator) and the unit.
int64_t labelWidthBound(const ChartCanvas& canvas, const QString& u)
{
    int prefix = 0;
    for (const QString& p : { QStringLiteral("ВКМ="), QStringLiteral("Центр="), QStringLiteral("НКМ=") })
        prefix = std::max(prefix, canvas.TextWidth(p));
    int glyph = canvas.TextWidth(QLocale().decimalPoint());
    for (const QChar c : QStringLiteral("0123456789+-E.,"))
        glyph = std::max(glyph, canvas.TextWidth(QString(c)));
    return int64_t(prefix) + canvas.TextWidth(QLatin1Char(' ') + u) + 32 * int64_t(glyph);
}

} // namespace

GroupSeries SeriesOf(const TIndividualInfo& group, int s, int rowOffset)
{
    GroupSeries series;
    if (s >= 0 && s < ChartSlotCount)
        series.Lines = group.Lines[size_t(s)];
    const int64_t row = int64_t(s) + rowOffset;
    if (row < 0 || row >= int64_t(group.Data.size()))
        return series;
    const TDArray& values = group.Data[size_t(row)];
    series.Values = values.data();
    series.Count = int(std::min<size_t>(values.size(), INT_MAX / 2));
    return series;
}

ChartScale ComputeChartScale(const std::vector<TIndividualInfo>& groups, int s, int rowOffset)
{
    ChartScaleBuilder builder;
    for (const TIndividualInfo& group : groups) {
        const GroupSeries series = SeriesOf(group, s, rowOffset);
        if (series.Count == 0)
            continue;
        builder.Add(series.Lines.Lower);
        builder.Add(series.Lines.Upper);
        // The one pass over every value a redraw makes: kept tight, non-finite values skipped.
        constexpr double top = std::numeric_limits<double>::max();
        double low = std::numeric_limits<double>::infinity();
        double high = -low;
        for (int i = 0; i < series.Count; ++i) {
            const double v = series.Values[i];
            const bool finite = v >= -top && v <= top;
            low = finite && v < low ? v : low;
            high = finite && v > high ? v : high;
        }
        builder.Add(low);
        builder.Add(high);
    }
    return builder.Result();
}

int ValueToHeight(double v, const ChartCanvas& bitmap, const ChartScale& scale)
{
    return ValueToHeight(v, bitmap.Height(), scale);
}

QRgb ZoneColor(int y, const ChartCanvas& bitmap)
{
    const DrawingState& state = ChartDrawingState();
    return ZoneColorOf(y, bitmap.Height(), { state.UpperRow, state.CentreRow, state.LowerRow });
}

void SetGroupRows(const TControlLines& lines, const ChartCanvas& bitmap, const ChartScale& scale)
{
    DrawingState& state = ChartDrawingState();
    const int height = bitmap.Height();
    state.LowerRow = ValueToRow(lines.Lower, height, scale);
    state.UpperRow = ValueToRow(lines.Upper, height, scale);
    state.CentreRow = ValueToRow(lines.Centre, height, scale);
}

void DrawChartFrame(ChartCanvas& bitmap)
{
    const int margin = ChartDrawingState().LeftMargin;
    bitmap.FrameRect(margin, 25, bitmap.Width() - margin, bitmap.Height() - 25, White, Black);
}

void DrawValueAxis(ChartCanvas& bitmap, const ChartScale& scale, int d, const QString& u, AxisUse use)
{
    DrawingState& state = ChartDrawingState();
    const int height = bitmap.Height();
    const int64_t width = bitmap.Width();
    for (int j = 0; j <= AxisIntervals; ++j) {
        const int row = AxisTickRow(height, j);
        const QString text
            = FormatAxisValue(AxisTickValue(scale, j), AxisTickValue(scale, j + 1), d) + QLatin1Char(' ') + u;
        const int textWidth = bitmap.TextWidth(text);
        if (j == 0 && use == AxisUse::Screen)
            state.LeftMargin = textWidth + 20;
        const int margin = state.LeftMargin;
        auto ticks = [&] {
            bitmap.Line(margin, row, margin - 5, row, Black);
            bitmap.Line(width - margin, row, width - margin + 5, row, Black);
        };
        if (use == AxisUse::Report)
            ticks();
        bitmap.Text(margin - 8 - textWidth, row - 5, text);
        bitmap.Text(width - margin + 8, row - 5, text);
        if (use == AxisUse::Screen)
            ticks();
    }
}

void DrawGroupLines(int64_t x1, int64_t x2, ChartCanvas& bitmap)
{
    const DrawingState& state = ChartDrawingState();
    const int upper = state.UpperRow;
    const int centre = state.CentreRow;
    const int lower = state.LowerRow;
    bitmap.Line(x1, centre, x2, centre, Black);
    bitmap.Line(x1, lower, x2, lower, Black, ChartCanvas::Pen::Dashed);
    bitmap.Line(x1, upper, x2, upper, Black, ChartCanvas::Pen::Dashed);
    for (int i = 1; i <= 2; ++i) {
        const int above = UpperZoneRow(centre, upper, i);
        const int below = LowerZoneRow(centre, lower, i);
        bitmap.Line(x1, above, x2, above, Black, ChartCanvas::Pen::Dashed);
        bitmap.Line(x1, below, x2, below, Black, ChartCanvas::Pen::Dashed);
    }
}

void DrawGroupTransition(int64_t x1, int64_t x2, int upper2, int lower2, int centre2, ChartCanvas& bitmap)
{
    const DrawingState& state = ChartDrawingState();
    const int upper = state.UpperRow;
    const int centre = state.CentreRow;
    const int lower = state.LowerRow;
    bitmap.Line(x1, centre, x2, centre2, Grey);
    bitmap.Line(x1, lower, x2, lower2, Grey, ChartCanvas::Pen::Dashed);
    bitmap.Line(x1, upper, x2, upper2, Grey, ChartCanvas::Pen::Dashed);
    for (int i = 1; i <= 2; ++i) {
        bitmap.Line(
            x1, UpperZoneRow(centre, upper, i), x2, UpperZoneRow(centre2, upper2, i), Grey, ChartCanvas::Pen::Dashed);
        bitmap.Line(
            x1, LowerZoneRow(centre, lower, i), x2, LowerZoneRow(centre2, lower2, i), Grey, ChartCanvas::Pen::Dashed);
    }
}

void DrawGradientSegment(int64_t x1, int y1, int64_t x2, int y2, ChartCanvas& bitmap)
{
    const DrawingState& state = ChartDrawingState();
    const ZoneRows zone { state.UpperRow, state.CentreRow, state.LowerRow };
    if (x1 == x2) {
        for (int y = std::min(y1, y2); y <= std::max(y1, y2); ++y)
            bitmap.ZoneRun(x1, x1, y, zone);
        return;
    }
    if (y1 == y2) {
        const QRgb color = ZoneColor(y1, bitmap);
        bitmap.Line(x1, y1, x2, y2, color);
        bitmap.Line(x1, y1 - 1, x2, y2 - 1, color);
        bitmap.SetPixel(x2, y2, color);
        return;
    }
    if (y1 > y2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    // A staircase: every row gets the run from the previous row's x to its own, twice over.
    const double k = double(y1 - y2) / double(x1 - x2);
    const double m = y1 - double(x1) * k;
    int64_t px = x1;
    int py = y1;
    for (int y = y1; y <= y2; ++y) {
        const int64_t x = int64_t((y - m) / k);
        bitmap.ZoneRun(px, x, py, zone);
        bitmap.ZoneRun(px, x, y, zone);
        px = x;
        py = y;
    }
    bitmap.ZoneRun(x2, x2, y2, zone);
}

void DrawPointMarker(int64_t x, int y, int& counter, ChartCanvas& bitmap)
{
    const int height = bitmap.Height();
    bitmap.Disc(x, y, ZoneColor(y, bitmap));
    for (int row = height - 25; row <= height - 22; ++row)
        bitmap.SetPixel(x, row, Black);
    const QString number = QString::number(counter);
    bitmap.Text(x - bitmap.TextWidth(number) / 2, height - 16, number);
    ++counter;
}

void DrawPointMarker(int64_t x, int y, int& counter, ChartCanvas& bitmap, PointMark mark)
{
    DrawPointMarker(x, y, counter, bitmap);
    if (mark.Excluded) {
        for (int i = 0; i < int(HoleSpans.size()); ++i)
            bitmap.Run(x + HoleSpans[size_t(i)][0], x + HoleSpans[size_t(i)][1], y - 2 + i, White);
    }
    if (mark.Note) {
        // A small triangle pointing down at the disc.
        for (int row = NoteMarkTop(y), half = 3; row <= NoteMarkBottom(y); ++row, --half)
            bitmap.Run(x - half, x + half - 1, row, NoteMarkColour);
    }
}

void DrawPointAnnotation(int64_t x, int p, const QStringList& dates, ChartCanvas& bitmap)
{
    const int height = bitmap.Height();
    const int pointStep = ChartDrawingState().PointStep;
    const QString number = QString::number(p);
    bitmap.Text(x - bitmap.TextWidth(number) / 2, height - 16, number);
    bitmap.Line(x, height - 25, x, height - 22, Black);
    bitmap.Line(x, 25, x, 21, Black);
    // A caller may hand fewer dates than points; such a point simply has no date.
    const QString date = p >= 1 && p <= dates.size() ? dates[p - 1] : QString();
    const int dateWidth = bitmap.TextWidth(date);
    bitmap.Text(x - std::min(pointStep / 2, dateWidth / 2), 16 - bitmap.TextHeight(), date);
}

void DrawChartGroups(const std::vector<TIndividualInfo>& groups, int rowOffset, ChartCanvas& target, const QString& u,
    const ChartScale& scale, int d, int s, const PointMarks& marks)
{
    const DrawingState& state = ChartDrawingState();
    const int first = nextDrawn(groups, 0, s, rowOffset);
    if (first < 0 || target.Empty())
        return;
    const int last = lastDrawn(groups, s, rowOffset);
    const int height = target.Height();
    const int64_t width = target.Width();
    const HorizontalLayout layout { state.LeftMargin, state.GroupStep, state.PointStep };
    const int overhang = layout.Overhang();
    const ChartCanvas::Clip clip = target.ClipRect();
    const int64_t labelBound = labelWidthBound(target, u);

    int64_t xv = layout.FirstPointX();
    int counter = 1;
    for (int g = first; g >= 0; g = nextDrawn(groups, size_t(g) + 1, s, rowOffset)) {
        const GroupSeries series = SeriesOf(groups[size_t(g)], s, rowOffset);
        const int n = series.Count;
        const int64_t xl = layout.LastPointX(xv, n);
        const bool isFirst = g == first;
        const bool isLast = g == last;
        const int64_t lineStart = isFirst ? layout.LeftMargin + 1 : xv - overhang;
        const int64_t lineEnd = isLast ? width - layout.LeftMargin - 1 : xl + overhang;
        const int64_t labelsEnd = xl + layout.PointStep / 2;
        // Every later group lies further right, texts included, so the walk may stop here.
        if (std::min({ lineStart, xv - 4, labelsEnd - labelBound }) >= clip.Right)
            break;
        const int64_t right = isLast ? std::max(lineEnd, xl + 4) : xl + layout.GroupStep - overhang;
        if (right >= clip.Left) {
            SetGroupRows(series.Lines, target, scale);
            DrawGroupLines(lineStart, lineEnd, target);
            if (!isLast) {
                const int next = nextDrawn(groups, size_t(g) + 1, s, rowOffset);
                const TControlLines& lines = SeriesOf(groups[size_t(next)], s, rowOffset).Lines;
                DrawGroupTransition(xl + overhang, xl + layout.GroupStep - overhang,
                    ValueToRow(lines.Upper, height, scale), ValueToRow(lines.Lower, height, scale),
                    ValueToRow(lines.Centre, height, scale), target);
            }
            for (const LineLabel& label : lineLabels(series.Lines, d, u))
                target.Text(labelsEnd - target.TextWidth(label.Text), label.Row, label.Text);
            // Only the points whose segments or discs can meet the clip; each marker still comes
            // after both segments that touch its point.
            const auto [ia, ib] = layout.PointsNear(xv, n, clip.Left, clip.Right);
            for (int i = ia + 1; i <= ib; ++i) {
                const int64_t x = layout.PointX(xv, i);
                const int previousRow = seriesRow(series, i - 1, height, scale);
                DrawGradientSegment(x - layout.PointStep, previousRow, x, seriesRow(series, i, height, scale), target);
                int number = counter + i - 1;
                DrawPointMarker(x - layout.PointStep, previousRow, number, target, markOf(marks, g, i - 1));
            }
            int number = counter + ib;
            DrawPointMarker(
                layout.PointX(xv, ib), seriesRow(series, ib, height, scale), number, target, markOf(marks, g, ib));
        }
        counter += n;
        xv = layout.NextGroupStart(xv, n);
    }
    // As after drawing every group: the rows of the chart's last group stay set.
    SetGroupRows(SeriesOf(groups[size_t(last)], s, rowOffset).Lines, target, scale);
}

void DrawChart(const std::vector<TIndividualInfo>& groups, const QStringList& dates, QImage& bitmap, const QString& u,
    int d, int s, int rowOffset, int& chartExtent, double f, const PointMarks& marks)
{
    DrawingState& state = ChartDrawingState();
    if (bitmap.isNull())
        return;
    const ChartScale scale = ComputeChartScale(groups, s, rowOffset);
    ChartCanvas target(bitmap);
    const int width = int(target.Width());
    const int height = target.Height();
    target.FillRect(0, 0, width, height, White);
    if (d >= 7)
        state.NumberFormat = { ChartNumberFormat::Exponent, 4 };
    DrawValueAxis(target, scale, d, u, AxisUse::Screen);
    const int margin = state.LeftMargin;
    const int64_t extent = AdjustedChartExtent(chartExtent, margin);
    chartExtent = int(std::clamp<int64_t>(extent, INT_MIN, INT_MAX));
    const int64_t offset = ScrollOffset(extent, width, f);
    DrawChartFrame(target);
    target.EndText();

    // The inside of the frame shows the window of the full-width chart that starts at offset.
    {
        ChartCanvas window(bitmap, offset, std::max<int64_t>(width, extent),
            { offset + margin + 1, 26, offset + width - margin - 1, height - 26 });
        DrawChartGroups(groups, rowOffset, window, u, scale, d, s, marks);
    }

    // Numbers, ticks and dates of the points whose x falls inside the frame.
    const HorizontalLayout layout { margin, state.GroupStep, state.PointStep };
    const int64_t visibleLeft = margin + offset;
    const int64_t visibleRight = width + offset - margin;
    int64_t xv = layout.FirstPointX();
    int p = 1;
    for (int g = nextDrawn(groups, 0, s, rowOffset); g >= 0 && xv < visibleRight;
         g = nextDrawn(groups, size_t(g) + 1, s, rowOffset)) {
        const int n = SeriesOf(groups[size_t(g)], s, rowOffset).Count;
        for (int64_t i = layout.FirstPointFrom(xv, n, visibleLeft); i < n; ++i) {
            const int64_t x = layout.PointX(xv, i);
            if (x >= visibleRight)
                break;
            DrawPointAnnotation(x - offset, p + int(i), dates, target);
        }
        p += n;
        xv = layout.NextGroupStart(xv, n);
    }
}

namespace {

// Makes the surface of a report picture once its width is known: a bitmap or a recording.
using PictureSurface = std::function<std::unique_ptr<ChartCanvas>(int64_t width, Messenger& messenger)>;

void drawChartRange(int height, const PictureSurface& surface, const std::vector<TIndividualInfo>& groups,
    const QString& u, int d, int s, int rowOffset, int last, int first, const QStringList& dates, Messenger& messenger,
    const PointMarks& marks)
{
    DrawingState& state = ChartDrawingState();
    // A range that starts before point 1 or ends before it starts is as inconsistent as one
    // beyond the chart.
    if (first < 1)
        abandon(messenger, ErrorFirstBeyond());
    if (last < first)
        abandon(messenger, ErrorLastBeyond());

    // Locate the range: g1 holds the first point, at index a; g2 the last; r counts from g1's start.
    const int groupCount = int(groups.size());
    auto count = [&](int g) { return SeriesOf(groups[size_t(g)], s, rowOffset).Count; };
    if (groupCount == 0)
        abandon(messenger, ErrorFirstBeyond());
    int64_t a = int64_t(first) - 1;
    int64_t r = int64_t(last) - 1;
    int g1 = 0;
    while (a >= count(g1)) {
        a -= count(g1);
        r -= count(g1);
        if (g1 == groupCount - 1)
            abandon(messenger, ErrorFirstBeyond());
        ++g1;
    }
    int g2 = g1;
    int64_t b = r;
    int spanned = 1;
    while (b >= count(g2)) {
        b -= count(g2);
        if (g2 == groupCount - 1)
            abandon(messenger, ErrorLastBeyond());
        ++g2;
        spanned += count(g2) > 0 ? 1 : 0;
    }

    const int margin = state.LeftMargin;
    const int pointStep = state.PointStep;
    const int groupStep = state.GroupStep;
    const int64_t width = ReportPictureWidth(first, last, spanned, margin, groupStep, pointStep);
    if (width > MaxPictureWidth || width <= 0)
        abandon(messenger, ErrorTooWide());
    const std::unique_ptr<ChartCanvas> surfaceCanvas = surface(width, messenger);
    ChartCanvas& canvas = *surfaceCanvas;

    const ChartScale scale = ComputeChartScale(groups, s, rowOffset);
    canvas.FillRect(0, 0, width, height, White);
    DrawChartFrame(canvas);
    if (d >= 7)
        state.NumberFormat = { ChartNumberFormat::Exponent, 4 };
    DrawValueAxis(canvas, scale, d, u, AxisUse::Report);

    const int overhang = RoundHalfEven(pointStep * 0.1);
    int64_t xv = margin + groupStep / 2;
    int g = g1;
    int p = first;
    while (r >= 0) {
        const GroupSeries series = SeriesOf(groups[size_t(g)], s, rowOffset);
        const int n = series.Count;
        const int next = nextDrawn(groups, size_t(g) + 1, s, rowOffset);
        if (n > 0) {
            SetGroupRows(series.Lines, canvas, scale);
            const bool holdsLast = next < 0 || r < n;
            const int t = holdsLast ? int(std::min<int64_t>(r, n - 1)) : n - 1;
            const int64_t xl = xv + (t - a) * pointStep;
            if (!holdsLast) {
                const TControlLines& lines = SeriesOf(groups[size_t(next)], s, rowOffset).Lines;
                DrawGroupTransition(xl + overhang, xl + groupStep - overhang, ValueToRow(lines.Upper, height, scale),
                    ValueToRow(lines.Lower, height, scale), ValueToRow(lines.Centre, height, scale), canvas);
            }
            const int64_t lineStart = g == g1 ? margin + 1 : xv - overhang;
            const int64_t lineEnd = holdsLast ? width - margin - 1 : xl + overhang;
            DrawGroupLines(lineStart, lineEnd, canvas);
            for (const LineLabel& label : lineLabels(series.Lines, d, u)) {
                const int textWidth = canvas.TextWidth(label.Text);
                const int64_t rightEdge = a == t ? std::min<int64_t>(xv + pointStep + pointStep / 4, width - textWidth)
                                                 : xl + pointStep / 4;
                canvas.Text(std::max<int64_t>(margin + 15, rightEdge - textWidth), label.Row, label.Text);
            }
            for (int64_t i = a + 1; i <= t; ++i) {
                DrawPointAnnotation(xv, p, dates, canvas);
                xv += pointStep;
                const int previousRow = seriesRow(series, int(i - 1), height, scale);
                DrawGradientSegment(xv - pointStep, previousRow, xv, seriesRow(series, int(i), height, scale), canvas);
                DrawPointMarker(xv - pointStep, previousRow, p, canvas, markOf(marks, g, i - 1));
            }
            DrawPointAnnotation(xv, p, dates, canvas);
            DrawPointMarker(xv, seriesRow(series, t, height, scale), p, canvas, markOf(marks, g, t));
            xv += groupStep;
        }
        a = 0;
        r -= n;
        if (next >= 0)
            g = next;
        else if (r >= 0)
            abandon(messenger, ErrorRangeOverrun());
    }
}

} // namespace

void DrawChartRange(QImage& bitmap, const std::vector<TIndividualInfo>& groups, const QString& u, int d, int s,
    int rowOffset, int last, int first, const QStringList& dates, Messenger& messenger, const PointMarks& marks)
{
    const int height = bitmap.height() > 0 ? bitmap.height() : 285;
    drawChartRange(
        height,
        [&](int64_t width, Messenger& m) {
            bitmap = QImage(int(width), height, QImage::Format_RGB32);
            if (bitmap.isNull())
                abandon(m, ErrorTooWide());
            return std::make_unique<ChartCanvas>(bitmap);
        },
        groups, u, d, s, rowOffset, last, first, dates, messenger, marks);
}

void DrawChartRange(ChartDrawing& drawing, int height, const std::vector<TIndividualInfo>& groups, const QString& u,
    int d, int s, int rowOffset, int last, int first, const QStringList& dates, Messenger& messenger,
    const PointMarks& marks)
{
    height = height > 0 ? height : 285;
    drawChartRange(
        height,
        [&](int64_t width, Messenger&) {
            drawing = ChartDrawing(int(width), height);
            return std::make_unique<ChartCanvas>(drawing);
        },
        groups, u, d, s, rowOffset, last, first, dates, messenger, marks);
}
