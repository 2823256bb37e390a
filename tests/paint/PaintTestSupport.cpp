#include "PaintTestSupport.h"

#include "paint/ChartNumbers.h"
#include "paint/DrawingState.h"
#include "paint/Paint.h"

#include <QColor>
#include <algorithm>

TIndividualInfo ChartGroup(const std::vector<double>& series, TControlLines lines, int s, int rowOffset)
{
    TIndividualInfo group(rowOffset == 0);
    group.Data.resize(size_t(s + rowOffset + 1));
    group.Data[size_t(s + rowOffset)] = series;
    group.Lines[size_t(s)] = lines;
    group.GroupPointCount = int(series.size());
    return group;
}

QStringList NumberedDates(int count)
{
    QStringList dates;
    for (int i = 1; i <= count; ++i)
        dates.append(QStringLiteral("d%1").arg(i));
    return dates;
}

::testing::AssertionResult SameImage(const QImage& actual, const QImage& expected)
{
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure() << "size " << actual.width() << "x" << actual.height() << ", expected "
                                             << expected.width() << "x" << expected.height();
    const QImage a = actual.convertToFormat(QImage::Format_RGB32);
    const QImage b = expected.convertToFormat(QImage::Format_RGB32);
    int differing = 0;
    QString first;
    for (int y = 0; y < a.height(); ++y) {
        const QRgb* ra = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const QRgb* rb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if (qRgb(qRed(ra[x]), qGreen(ra[x]), qBlue(ra[x])) == qRgb(qRed(rb[x]), qGreen(rb[x]), qBlue(rb[x])))
                continue;
            if (differing++ == 0)
                first = QStringLiteral("(%1, %2): %3, expected %4")
                            .arg(x)
                            .arg(y)
                            .arg(QColor(ra[x]).name(), QColor(rb[x]).name());
        }
    }
    if (differing == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differing << " pixels differ, first at " << first.toStdString();
}

::testing::AssertionResult TextAt(const QImage& image, int x, int y, const QString& text)
{
    const QFontMetrics metrics = ChartCanvas::ChartFontMetrics();
    const int width = metrics.horizontalAdvance(text);
    const int height = metrics.height();
    QImage box(width, height, QImage::Format_RGB32);
    box.fill(Qt::white);
    {
        ChartCanvas canvas(box);
        canvas.Text(0, 0, text);
    }
    if (x < 0 || y < 0 || x + width > image.width() || y + height > image.height())
        return ::testing::AssertionFailure() << "text box outside the image";
    const ::testing::AssertionResult same = SameImage(image.copy(x, y, width, height), box);
    if (!same)
        return ::testing::AssertionFailure()
            << "\"" << text.toStdString() << "\" not at (" << x << ", " << y << "): " << same.message();
    return same;
}

void ReferenceDrawChart(const std::vector<TIndividualInfo>& groups, const QStringList& dates, QImage& bitmap,
    const QString& u, int d, int s, int rowOffset, int& chartExtent, double f, const PointMarks& marks)
{
    DrawingState& state = ChartDrawingState();
    const ChartScale scale = ComputeChartScale(groups, s, rowOffset);
    const int width = bitmap.width();
    const int height = bitmap.height();
    int64_t offset = 0;
    {
        ChartCanvas target(bitmap);
        target.FillRect(0, 0, width, height, qRgb(255, 255, 255));
        if (d >= 7)
            state.NumberFormat = { ChartNumberFormat::Exponent, 4 };
        DrawValueAxis(target, scale, d, u, AxisUse::Screen);
        chartExtent = int(AdjustedChartExtent(chartExtent, state.LeftMargin));
        offset = ScrollOffset(chartExtent, width, f);
        DrawChartFrame(target);
    }
    const int margin = state.LeftMargin;
    const int pointStep = state.PointStep;
    const int groupStep = state.GroupStep;
    const int overhang = RoundHalfEven(pointStep * 0.1);

    // Every group at full width.
    const int fullWidth = std::max(width, chartExtent);
    QImage offscreen(fullWidth, height, QImage::Format_RGB32);
    offscreen.fill(Qt::white);
    {
        ChartCanvas b(offscreen);
        int xv = margin + groupStep / 2;
        int counter = 1;
        const int lastGroup = int(groups.size()) - 1;
        for (int g = 0; g <= lastGroup; ++g) {
            const GroupSeries series = SeriesOf(groups[size_t(g)], s, rowOffset);
            const int n = series.Count;
            SetGroupRows(series.Lines, b, scale);
            std::vector<int> heights;
            for (int i = 0; i < n; ++i)
                heights.push_back(ValueToHeight(series.Values[i], b, scale));
            const int xl = xv + (n - 1) * pointStep;
            if (lastGroup == 0)
                DrawGroupLines(margin + 1, fullWidth - margin - 1, b);
            else if (g == 0)
                DrawGroupLines(margin + 1, xl + overhang, b);
            else if (g == lastGroup)
                DrawGroupLines(xv - overhang, fullWidth - margin - 1, b);
            else
                DrawGroupLines(xv - overhang, xl + overhang, b);
            if (g < lastGroup) {
                const TControlLines& next = groups[size_t(g + 1)].Lines[size_t(s)];
                DrawGroupTransition(xl + overhang, xl + groupStep - overhang, ValueToRow(next.Upper, height, scale),
                    ValueToRow(next.Lower, height, scale), ValueToRow(next.Centre, height, scale), b);
            }
            const TControlLines& lines = series.Lines;
            const QString texts[3] = { QStringLiteral("ВКМ=") + FormatValue(lines.Upper, d) + " " + u,
                QStringLiteral("Центр=") + FormatValue(lines.Centre, d) + " " + u,
                QStringLiteral("НКМ=") + FormatValue(lines.Lower, d) + " " + u };
            const int rows[3] = { state.UpperRow - 15, state.CentreRow - 15, state.LowerRow - 15 };
            for (int k = 0; k < 3; ++k)
                b.Text(xl + pointStep / 2 - b.TextWidth(texts[k]), rows[k], texts[k]);
            for (int i = 1; i <= n - 1; ++i) {
                xv += pointStep;
                DrawGradientSegment(
                    xv - pointStep, height - heights[size_t(i - 1)], xv, height - heights[size_t(i)], b);
                DrawPointMarker(xv - pointStep, height - heights[size_t(i - 1)], counter, b,
                    marks ? marks(g, i - 1) : PointMark {});
            }
            DrawPointMarker(xv, height - heights[size_t(n - 1)], counter, b, marks ? marks(g, n - 1) : PointMark {});
            xv += groupStep;
        }
    }

    // The window inside the frame.
    for (int y = 26; y < height - 26; ++y) {
        for (int x = margin + 1; x < width - margin - 1; ++x) {
            const int64_t source = x + offset;
            if (source >= 0 && source < fullWidth)
                bitmap.setPixel(x, y, offscreen.pixel(int(source), y));
        }
    }

    // Numbers, ticks and dates of the visible points.
    ChartCanvas target(bitmap);
    int64_t xv = margin + groupStep / 2;
    int p = 1;
    size_t g = 0;
    int i = 0;
    while (xv < width + offset - margin && g < groups.size()) {
        if (xv >= margin + offset)
            DrawPointAnnotation(xv - offset, p, dates, target);
        if (i == SeriesOf(groups[g], s, rowOffset).Count - 1) {
            i = 0;
            xv += groupStep;
            ++g;
        } else {
            ++i;
            xv += pointStep;
        }
        ++p;
    }
}
