#pragma once

#include "model/GroupRecord.h"
#include "paint/ChartCanvas.h"
#include "paint/ChartGeometry.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <exception>
#include <functional>
#include <vector>

class Messenger;

// Raised after a drawing error has been shown: abandons the operation that asked for the drawing.
class DrawingAborted : public std::exception {
public:
    const char* what() const noexcept override { return "chart drawing abandoned"; }
};

// The plotted series of one group on the chart of slot s (row s + rowOffset of its statistics
// table) and the group's lines on that chart. A group whose table lacks the row has no points
// and is left out of the chart.
struct GroupSeries {
    const double* Values = nullptr;
    int Count = 0;
    TControlLines Lines;
};
GroupSeries SeriesOf(const TIndividualInfo& group, int s, int rowOffset);

// What a chart shows of the analyst's records on one point: a mark above the disc for a note, a
// hollow disc for a point kept out of the limits.
struct PointMark {
    bool Note = false;
    bool Excluded = false;
};
// The mark of entry i of group g's plotted series (g indexes the groups drawn). An empty function
// marks nothing, which draws exactly the plain chart.
using PointMarks = std::function<PointMark(int group, int index)>;

// The value scale of a chart: over every group's lower and upper limit and every series value.
ChartScale ComputeChartScale(const std::vector<TIndividualInfo>& groups, int s, int rowOffset);

// The primitives; they read and set the shared drawing state (ChartDrawingState()).
int ValueToHeight(double v, const ChartCanvas& bitmap, const ChartScale& scale);
QRgb ZoneColor(int y, const ChartCanvas& bitmap); // against the current group rows
void SetGroupRows(const TControlLines& lines, const ChartCanvas& bitmap, const ChartScale& scale);
void DrawChartFrame(ChartCanvas& bitmap);
enum class AxisUse {
    Screen, // the bottom label fixes LeftMargin; per tick, labels before ticks
    Report, // LeftMargin as it is; per tick, ticks before labels
};
void DrawValueAxis(ChartCanvas& bitmap, const ChartScale& scale, int d, const QString& u, AxisUse use);
void DrawGroupLines(int64_t x1, int64_t x2, ChartCanvas& bitmap);
void DrawGroupTransition(int64_t x1, int64_t x2, int upper2, int lower2, int centre2, ChartCanvas& bitmap);
void DrawGradientSegment(int64_t x1, int y1, int64_t x2, int y2, ChartCanvas& bitmap);
void DrawPointMarker(int64_t x, int y, int& counter, ChartCanvas& bitmap); // increments counter
// The same with the point's mark: a hollow disc, and a small triangle above it.
void DrawPointMarker(int64_t x, int y, int& counter, ChartCanvas& bitmap, PointMark mark);
// The rows the note mark of a disc at y covers (the triangle's tip is on the last).
constexpr int NoteMarkTop(int y)
{
    return y - 9;
}
constexpr int NoteMarkBottom(int y)
{
    return y - 7;
}

// Draws the page of chart slot s into bitmap (its size is kept, 773 x 285 on every page), scrolled
// by the fraction f of its scroll range. chartExtent comes in as the page's extent before the
// margin is known and leaves adjusted to the margin this drawing sets. Only the visible window of
// the chart is drawn, so a redraw costs the same for any document size beyond the scale.
void DrawChart(const std::vector<TIndividualInfo>& groups, const QStringList& dates, QImage& bitmap, const QString& u,
    int d, int s, int rowOffset, int& chartExtent, double f, const PointMarks& marks = {});

// Draws the lines, their texts, the series and the markers of every group, as onto a bitmap as
// wide as target.Width(), but only those parts that meet target's clip rectangle.
void DrawChartGroups(const std::vector<TIndividualInfo>& groups, int rowOffset, ChartCanvas& target, const QString& u,
    const ChartScale& scale, int d, int s, const PointMarks& marks = {});

// Draws the report picture of the chart points first..last (numbered from 1 across groups) and
// sets the bitmap's width; its height is the caller's (285). LeftMargin is used as it stands.
// A range outside the chart's points shows the internal error through messenger and throws
// DrawingAborted.
void DrawChartRange(QImage& bitmap, const std::vector<TIndividualInfo>& groups, const QString& u, int d, int s,
    int rowOffset, int last, int first, const QStringList& dates, Messenger& messenger, const PointMarks& marks = {});

// The same picture recorded as a drawing height pixels high, for vector devices: the same pixels
// as the bitmap where it is drawn without antialiasing at its own size, texts as texts.
void DrawChartRange(ChartDrawing& drawing, int height, const std::vector<TIndividualInfo>& groups, const QString& u,
    int d, int s, int rowOffset, int last, int first, const QStringList& dates, Messenger& messenger,
    const PointMarks& marks = {});

// Widest report picture drawn; a wider range is refused like a range outside the chart.
constexpr int MaxPictureWidth = 1 << 15;

// Writes the point number, the ticks above and below the frame and the date of point p at x.
void DrawPointAnnotation(int64_t x, int p, const QStringList& dates, ChartCanvas& bitmap);
