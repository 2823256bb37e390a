#pragma once

#include <QString>

class MeasurementDocument;
class MergeDecider;

// The six table operations of the data page: insert a point or a separator before a point,
// delete a point or a separator, append points and delete the last points. Each keeps the
// document's invariants (consecutive labels, one group record per group, no group left with a
// single point), drops the results, and marks the document changed. A refused or cancelled
// operation says why through the document's messenger and leaves the document, its state and its
// Changed flag as they were.

// No operation takes the table past this many rows.
constexpr int MaximumTableRows = 10'000'000;

// What the window does after an operation.
struct TableEdit {
    bool Done = false; // the table changed
    int SelectRow = 0; // grid row to select and bring into view; 0 keeps the selection
};

TableEdit InsertPoint(MeasurementDocument& doc, int n); // before point n; after the last when n is beyond it
TableEdit InsertSeparator(MeasurementDocument& doc, int n); // before point n
TableEdit DeletePoint(MeasurementDocument& doc, int n);
// Merges the groups on either side; decider is asked only when their settings differ.
TableEdit DeleteSeparator(MeasurementDocument& doc, int n, MergeDecider& decider);
TableEdit AppendPoints(MeasurementDocument& doc, int n);
// After the analyst confirmed; asks once more when the last group would keep a single point.
TableEdit DeleteLastPoints(MeasurementDocument& doc, int n);

// "Вилучення буде коректним тільки якщо вилучити останні " with count and its noun ending.
QString LastPointsQuestion(int count);

// The buttons: read the edit's text as a whole number (messages for a text that is not one and for
// a number below 1), then run the operation. SubmitDeleteLastPoints asks "Підтверджуєте вилучення?"
// first.
TableEdit SubmitInsertPoint(MeasurementDocument& doc, const QString& text); // Button2
TableEdit SubmitInsertSeparator(MeasurementDocument& doc, const QString& text); // Button4
TableEdit SubmitDeletePoint(MeasurementDocument& doc, const QString& text); // Button1
TableEdit SubmitDeleteSeparator(MeasurementDocument& doc, const QString& text, MergeDecider& decider); // Button3
TableEdit SubmitAppendPoints(MeasurementDocument& doc, const QString& text); // Button6
TableEdit SubmitDeleteLastPoints(MeasurementDocument& doc, const QString& text); // Button7
