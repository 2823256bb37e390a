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

// What an operation is about to do, told after every question and before the first change: an undo
// history keeps what goes and finds what came.
struct TableChange {
    int Row = 0; // grid row of the first row removed or inserted
    int Removed = 0; // rows removed from Row on
    int Inserted = 0; // rows inserted before Row
    bool InsertedSeparators = false;
    int GroupFirst = 0; // group records GroupFirst .. GroupFirst + GroupCount - 1 are replaced
    int GroupCount = 0;
};

class TableChangeObserver {
public:
    virtual ~TableChangeObserver() = default;
    virtual void AboutToChange(const MeasurementDocument& doc, const TableChange& change) = 0;
};

// What the window does after an operation.
struct TableEdit {
    bool Done = false; // the table changed
    int SelectRow = 0; // grid row to select and bring into view; 0 keeps the selection
};

TableEdit InsertPoint(MeasurementDocument& doc, int n,
    TableChangeObserver* observer = nullptr); // before point n; after the last when n is beyond it
TableEdit InsertSeparator(MeasurementDocument& doc, int n, TableChangeObserver* observer = nullptr); // before point n
TableEdit DeletePoint(MeasurementDocument& doc, int n, TableChangeObserver* observer = nullptr);
// Merges the groups on either side; decider is asked only when their settings differ.
TableEdit DeleteSeparator(
    MeasurementDocument& doc, int n, MergeDecider& decider, TableChangeObserver* observer = nullptr);
TableEdit AppendPoints(MeasurementDocument& doc, int n, TableChangeObserver* observer = nullptr);
// After the analyst confirmed; asks once more when the last group would keep a single point.
TableEdit DeleteLastPoints(MeasurementDocument& doc, int n, TableChangeObserver* observer = nullptr);

// "Вилучення буде коректним тільки якщо вилучити останні " with count and its noun ending.
QString LastPointsQuestion(int count);

// The buttons: read the edit's text as a whole number (messages for a text that is not one and for
// a number below 1), then run the operation. SubmitDeleteLastPoints asks "Підтверджуєте вилучення?"
// first.
TableEdit SubmitInsertPoint(
    MeasurementDocument& doc, const QString& text, TableChangeObserver* observer = nullptr); // Button2
TableEdit SubmitInsertSeparator(
    MeasurementDocument& doc, const QString& text, TableChangeObserver* observer = nullptr); // Button4
TableEdit SubmitDeletePoint(
    MeasurementDocument& doc, const QString& text, TableChangeObserver* observer = nullptr); // Button1
TableEdit SubmitDeleteSeparator(MeasurementDocument& doc, const QString& text, MergeDecider& decider,
    TableChangeObserver* observer = nullptr); // Button3
TableEdit SubmitAppendPoints(
    MeasurementDocument& doc, const QString& text, TableChangeObserver* observer = nullptr); // Button6
TableEdit SubmitDeleteLastPoints(
    MeasurementDocument& doc, const QString& text, TableChangeObserver* observer = nullptr); // Button7
