#include "paint/ChartPage.h"

#include "model/MeasurementDocument.h"
#include "model/Numbers.h"
#include "paint/ChartNumbers.h"
#include "paint/DrawingState.h"
#include "paint/Paint.h"

#include <algorithm>
#include <climits>

namespace {

// Runs a drawing with the document's number format and hands a change made by it back.
template <typename Drawing> void withDocumentFormat(MeasurementDocument& doc, Drawing drawing)
{
    DrawingState& state = ChartDrawingState();
    state.NumberFormat = doc.ChartFormat();
    try {
        drawing();
    } catch (...) {
        doc.SetChartFormat(state.NumberFormat);
        throw;
    }
    doc.SetChartFormat(state.NumberFormat);
}

} // namespace

PointMarks ChartPointMarks(const MeasurementDocument& doc, int s)
{
    if (doc.PointNotes().empty())
        return {};
    const bool ranges = doc.IndividualMode() && s == SlotDeviation;
    return [&doc, ranges](int g, int i) {
        PointMark mark;
        if (g < 0 || size_t(g) >= doc.Groups().size())
            return mark;
        // A moving range stands at its later point and is hollow when either of its points is kept out.
        const TIndividualInfo& group = doc.Groups()[size_t(g)];
        const int point = ranges ? i + 1 : i;
        const PointNote* note = doc.NoteOf(group.FirstRow + point);
        mark.Note = note && note->HasNote();
        mark.Excluded = group.IsExcluded(point) || (ranges && group.IsExcluded(i));
        return mark;
    };
}

bool SlotInUse(const MeasurementDocument& doc, int s)
{
    if (s < 0 || s >= ChartSlotCount)
        return false;
    if (doc.IndividualMode())
        return s == SlotCentre || s == SlotDeviation;
    return s != SlotMedians || doc.SubgroupSize() <= 10;
}

QString ChartUnitText(const MeasurementDocument& doc, int s)
{
    if (s == SlotRelDeviation || s == SlotRelRanges)
        return QStringLiteral("%");
    return TrimBlanks(doc.Units()).toString();
}

int PageChartExtent(const MeasurementDocument& doc)
{
    const DrawingState& state = ChartDrawingState();
    const int64_t extent
        = ChartPageExtent(doc.PointCount(), int64_t(doc.Groups().size()), state.GroupStep, state.PointStep);
    return int(std::clamp<int64_t>(extent, 0, INT_MAX / 2));
}

void DrawChartPage(MeasurementDocument& doc, int s, QImage& bitmap, double f)
{
    if (bitmap.width() != ChartPageWidth || bitmap.height() != ChartPageHeight)
        bitmap = QImage(ChartPageWidth, ChartPageHeight, QImage::Format_RGB32);
    const int slot = std::clamp(s, 0, ChartSlotCount - 1);
    int extent = PageChartExtent(doc);
    doc.SetChartExtent(slot, extent);
    const int rowOffset = doc.IndividualMode() ? 0 : doc.SubgroupSize();
    withDocumentFormat(doc, [&] {
        DrawChart(doc.Groups(), doc.PointDates(), bitmap, ChartUnitText(doc, s), doc.DisplayPrecision(), s, rowOffset,
            extent, f, ChartPointMarks(doc, s));
    });
    doc.SetChartExtent(slot, extent); // as the drawing adjusted it to its margin
}

void DrawReportPicture(MeasurementDocument& doc, int s, int first, int last, QImage& bitmap)
{
    if (bitmap.height() != ChartPageHeight)
        bitmap = QImage(1, ChartPageHeight, QImage::Format_RGB32);
    const int rowOffset = doc.IndividualMode() ? 0 : doc.SubgroupSize();
    withDocumentFormat(doc, [&] {
        DrawChartRange(bitmap, doc.Groups(), ChartUnitText(doc, s), doc.DisplayPrecision(), s, rowOffset, last, first,
            doc.PointDates(), doc.messenger(), ChartPointMarks(doc, s));
    });
}

void DrawReportPicture(MeasurementDocument& doc, int s, int first, int last, ChartDrawing& drawing)
{
    const int rowOffset = doc.IndividualMode() ? 0 : doc.SubgroupSize();
    withDocumentFormat(doc, [&] {
        DrawChartRange(drawing, ChartPageHeight, doc.Groups(), ChartUnitText(doc, s), doc.DisplayPrecision(), s,
            rowOffset, last, first, doc.PointDates(), doc.messenger(), ChartPointMarks(doc, s));
    });
}

int ReportLeftMargin(const MeasurementDocument& doc, int s, const QFontMetrics& metrics)
{
    double value = 0.0;
    if (!doc.Groups().empty()) {
        const GroupSeries series = SeriesOf(doc.Groups().front(), s, doc.IndividualMode() ? 0 : doc.SubgroupSize());
        if (series.Count > 0)
            value = series.Values[0];
    }
    const ChartNumberFormat format = doc.ChartFormat();
    const QString text
        = FormatChartNumber(value, format.Format, 3, 2) + QLatin1Char(' ') + TrimBlanks(doc.Units()).toString();
    return metrics.horizontalAdvance(text) + 20;
}
