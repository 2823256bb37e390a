#pragma once

#include "paint/Paint.h"

#include <QFontMetrics>
#include <QImage>
#include <QString>

class MeasurementDocument;

// The chart pages and report pictures of a computed document, drawn the way the main window and
// the report assembly draw them.

constexpr int ChartPageWidth = 773; // the image of every chart page
constexpr int ChartPageHeight = 285; // also the height of every report picture

// Whether the document's mode has a chart on slot s (individual values: 0 and 2; subgroups: all
// six, the median chart only while the subgroup size is at most 10).
bool SlotInUse(const MeasurementDocument& doc, int s);

// The unit written on slot s: "%" on the two relative charts, else the trimmed units.
QString ChartUnitText(const MeasurementDocument& doc, int s);

// The full drawing width of a page before the margin is known.
int PageChartExtent(const MeasurementDocument& doc);

// The marks of chart s from the document's point notes: entry i of group g is the point of table
// row FirstRow + i; on the moving-range chart of individual values it is the range that ends
// there, marked by the note of that later point and hollow when either point is kept out.
// Empty when the document has no notes.
PointMarks ChartPointMarks(const MeasurementDocument& doc, int s);

// Draws chart page s into bitmap (made 773 x 285), scrolled by the fraction f, and stores the
// page's adjusted extent in doc.ChartExtent(). The shared number format is taken from the
// document first, and a switch to the exponent form made by the drawing is handed back to it.
void DrawChartPage(MeasurementDocument& doc, int s, QImage& bitmap, double f);

// Draws the report picture of the points first..last of chart s into bitmap (285 high) with the
// LeftMargin in force. Throws DrawingAborted after showing an internal error.
void DrawReportPicture(MeasurementDocument& doc, int s, int first, int last, QImage& bitmap);

// The same picture as a drawing, for the PDF and the printer.
void DrawReportPicture(MeasurementDocument& doc, int s, int first, int last, ChartDrawing& drawing);

// The margin a chart section of the report sets for slot s: the width, in metrics, of the first
// group's first value of the slot's series written in the chart number format (precision 3,
// 2 digits) followed by a blank and the units, plus 20.
int ReportLeftMargin(const MeasurementDocument& doc, int s, const QFontMetrics& metrics);
