#pragma once

#include "exchange/DelimitedText.h"
#include "model/SourceTable.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class MeasurementDocument;

// What the analyst chose to take from a source table. Columns count from 0.
struct ImportChoice {
    std::vector<int> ValueColumns; // one for individual values, 2 to 25 for subgroups
    int DateColumn = -1; // -1: none
    int GroupColumn = -1; // -1: none; a change of its value starts a new group
    // The point's note, corrective action and exclusion reason (a non-empty cell excludes the
    // point from the limits). -1: none.
    int NoteColumn = -1;
    int ActionColumn = -1;
    int ExcludeColumn = -1;
    bool HeaderRow = false; // the first row holds column names
    bool LeaveOutBadRows = false; // otherwise their cells that are not numbers become empty
    std::optional<DecimalSeparator> Decimal; // empty: either "," or "." (cells of a workbook)
};

// A row whose chosen value cells are not all numbers.
struct BadRow {
    int Line = 0; // of the file, or the sheet row
    QString Text; // the first offending cell as it stands ("" for a missing cell)
};

// Bad rows listed one by one; beyond them only their number is kept, so a file of a million
// unreadable rows costs no more than a thousand.
constexpr int ListedBadRowLimit = 1000;

// The import worked out before anything changes, so the analyst sees what will happen.
struct ImportPlan {
    QString Error; // the import cannot go on: a chosen column is missing, nothing is readable, ...
    std::vector<BadRow> BadRows; // the first ListedBadRowLimit of them
    int BadRowCount = 0; // all of them
    std::vector<int> Rows; // source rows that become points, in order
    std::vector<int> GroupStarts; // indexes into Rows where a new group begins (0 not listed)
    QStringList SingleGroups; // "рядок 12": groups of one point, which the compute refuses
    QString MeasuredParameter; // the value column's name, with one value column and a header row
    int SubgroupSize() const; // 0 for individual values
    int ColumnCount = 0;
};

ImportPlan PlanImport(const SourceTable& table, const ImportChoice& choice);

// Replaces the document with the planned points: a new document in the editing state, every
// header field emptied, the table named tableName, marked changed and without a file name.
void ApplyImport(MeasurementDocument& doc, const SourceTable& table, const ImportChoice& choice, const ImportPlan& plan,
    const QString& tableName);

// A column by 1-based number or by its name in the header row; -1 when there is none.
int FindColumn(const SourceTable& table, bool headerRow, const QString& numberOrName);

// Whether a value cell reads as a number under the chosen decimal separator; the other
// separator makes it no number, so "1,234" is never taken for 1.234 in a file of decimal points.
bool IsImportNumber(QStringView text, std::optional<DecimalSeparator> decimal);

// The rows that could not be read, one line each: "Рядок 7: «abc» не є числом".
QStringList BadRowLines(const std::vector<BadRow>& rows);
// The listed bad rows, then "... і ще N" for those beyond the list.
QStringList BadRowLines(const ImportPlan& plan);
