#pragma once

#include <QString>

class MeasurementDocument;

// The clipboard of the data grids. The three grids read as one table, left to right: the point
// label and the date (StringGrid3), the values (StringGrid1) and the results (StringGrid4).
namespace TableColumns {
constexpr int Label = 0;
constexpr int Date = 1;
constexpr int FirstValue = 2;
int FirstResult(const MeasurementDocument& doc);
int Count(const MeasurementDocument& doc);
} // namespace TableColumns

// The cells of grid rows firstRow..lastRow and table columns firstColumn..lastColumn as a
// spreadsheet puts them on the clipboard: tab between cells, a line break after each row,
// quotes around a cell that holds a tab, a line break or a quote. Value cells that are numbers
// take the user's decimal separator; everything else is copied as the grids show it.
QString CopyCells(const MeasurementDocument& doc, int firstRow, int lastRow, int firstColumn, int lastColumn);

// Pastes a block of tab- or semicolon-separated text into the date and value cells from grid
// row `row` and table column `column` on, as the analyst's own typing of every cell: results
// dropped and the document marked changed, once for the block. The block's rows go to the next
// point rows, separator rows passed over; rows of separator lines in the block (copied from the
// grids) are passed over too. A block wider than the columns from `column` to the last value
// column is refused with a message and changes nothing. A block longer than the points left
// asks whether to append the missing points; on No only the rows that fit are pasted.
// Returns whether anything changed.
bool PasteCells(MeasurementDocument& doc, int row, int column, const QString& text);
