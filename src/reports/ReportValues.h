#pragma once

#include "presentation/AnalysisPresentation.h"

#include <QString>
#include <optional>
#include <vector>

class ChangeLog;
class MeasurementDocument;
class TIndividualInfo;
struct ChangeLogEntry;
struct PointNote;

// The texts the report templates print, read from a computed document. Nothing here changes the
// document; the section bookkeeping (which group a summary row names) is the caller's.
namespace ReportValues {

// The short filler that stands for a separator line in a report cell, and closes the table.
const QString& Filler();
// A cell text as a report prints it: the separator line becomes the filler.
QString Cell(const QString& text);

// The fill-in date as the header prints it: empty when no date is entered.
QString FillDate(const MeasurementDocument& doc);

// The rows of the header that identify the record. Each says "не вказано" when the document
// holds nothing for it.
const QString& NotGiven(); // "не вказано"
const QString& NotSaved(); // "не збережено"
QString MeasuredParameterText(const MeasurementDocument& doc);
QString UnitsText(const MeasurementDocument& doc);
// "Індивідуальні значення" or "Групові значення, підгрупи по n".
QString ModeText(const MeasurementDocument& doc);
// The first and the last point date that is filled in.
QString FirstDateText(const MeasurementDocument& doc);
QString LastDateText(const MeasurementDocument& doc);
// The document's file, or "не збережено" for a document no file holds yet.
QString DocumentFileText(const MeasurementDocument& doc);
// SHA-256 of the saved file's bytes, taken now: only while the document has no unsaved changes
// and the file still has the size and time of the last load or save; else "не збережено".
QString DocumentSha256Text(const MeasurementDocument& doc);
// The version and the commit the program was built from.
QString ProgramVersionText();

// The table row of point k (from 1): its number plus the separator rows above it.
int TableRow(const MeasurementDocument& doc, int point);
// The group holding point k (from 1).
int GroupOfPoint(const MeasurementDocument& doc, int point);

// "a-b": the number labels of a group's first point and of the point `count` rows on, less one.
QString GroupPointsText(const MeasurementDocument& doc, const TIndividualInfo& group, int count);
// "Загалом по групі точок a-b" of the individual-values data table.
QString GroupSummaryText(const MeasurementDocument& doc, int group);

// The chart section's picture layout: how many point steps one picture spans, from the picture
// width in report pixels, the left margin and the point step (at least one, so a narrow picture
// still shows one step rather than dividing by zero); the number of pictures of a range; and the
// points picture r shows (neighbours share their boundary point).
int PointsPerPictureFor(double pictureWidth, int leftMargin, int pointStep);
int PictureCount(int first, int last, int perPicture);
struct PictureRange {
    int First = 0;
    int Last = 0;
};
PictureRange PictureRangeOf(int first, int last, int perPicture, int r);
// "<title> (точка №f)" or "<title> (точки №№f-l)".
QString PictureTitle(const QString& title, const PictureRange& range);

// A chart picture in words, for a reader that cannot see it: "Карта середніх, точки 1–12".
QString PictureDescription(const QString& title, const PictureRange& range);

// The groups a chart range touches. Positions count the points the chart plots, so on the
// moving-range chart (one value fewer per group than points) the last ranges still lead to the
// last group. Empty when the range lies outside the chart.
struct GroupSpanOfRange {
    int FirstGroup = 0;
    int LastGroup = -1;
};
GroupSpanOfRange GroupsOfChartRange(const MeasurementDocument& doc, int slot, int first, int last);

// A chart's number of limits rows in a group-result section: 4 for the median chart, else 5.
int LimitsRowCount(const MeasurementDocument& doc, int slot);
// R1 and R2 of limits row i of group g on chart slot. R2 carries the units: " %" on the centre and
// limits of the relative charts, the measurement units everywhere else (the deviation row included).
QString LimitsRowLabel(const MeasurementDocument& doc, int g, int slot, int i);
QString LimitsRowValue(const MeasurementDocument& doc, int g, int slot, int i);

// "<title> - основні показники (група точок a-b)" and "<title> - результати аналізу (...)".
QString InfoHeaderText(const MeasurementDocument& doc, int g, int slot, const QString& title);
QString ResultHeaderText(const MeasurementDocument& doc, int g, int slot, const QString& title);

// One cell of the subgroup data table's cross-tab.
struct CrossCell {
    QString Row;
    QString ColumnUpper;
    QString ColumnLower;
    QString Value;
};
// The cells of the subgroup data table from point first to point last, in the order they are
// added: row by row in table order, then the closing row; within a row the date, the values,
// the statistics. `last` row's group summary closes the table.
std::vector<CrossCell> SubgroupTableCells(const MeasurementDocument& doc, int first, int last);

// Points kept out of the limits: the data tables print their number with the mark, and the
// legend below the table explains it.
const QString& ExcludedMark(); // "*"
const QString& ExcludedLegend();
// Whether any point row from firstRow to lastRow is kept out of the limits.
bool AnyExcluded(const MeasurementDocument& doc, int firstRow, int lastRow);
// A point row's number label, with the mark when the point is kept out of the limits.
QString MarkedLabel(const MeasurementDocument& doc, int row);

// The points of group g that fed its limits: its points less those kept out.
int CountedPoints(const MeasurementDocument& doc, int g);
// "Межі обчислено за 9 точками (виключено з обчислення меж: 1)." The part in brackets only when
// a point is kept out.
QString CountedPointsText(const MeasurementDocument& doc, int g);

// The notes section: the table rows of the points that carry a note, an action or an exclusion,
// in point order, and the texts of one of them.
std::vector<int> NoteRows(const MeasurementDocument& doc);
// The value column: the point's value in individual mode, its subgroup's mean otherwise.
QString NoteValueHeader(const MeasurementDocument& doc);
QString NoteValue(const MeasurementDocument& doc, int row);
// The note, and on a line of its own the reason a point is kept out of the limits.
QString NoteText(const PointNote& note);
// Who changed the record last and when, on two lines.
QString NoteAuthorText(const PointNote& note);

// The change-log section: an entry's time as the analyst reads it, the reason ("" for none), and
// the closing sentence on the chain of hashes.
QString LogTimeText(const ChangeLogEntry& entry);
QString LogChainText(const ChangeLog& log);

} // namespace ReportValues
