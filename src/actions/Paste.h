#pragma once

#include "model/SourceTable.h"
#include "model/TableColumns.h"

class MeasurementDocument;

// Pastes a block of cells into the date and value cells from grid row `row` and table column
// `column` on, as the analyst's own typing of every cell: results dropped and the document marked
// changed, once for the block. The block's rows go to the next point rows, separator rows passed
// over; rows of separator lines in the block (copied from the grids) are passed over too. A block
// wider than the columns from `column` to the last value column is refused with a message and
// changes nothing. A block longer than the points left asks whether to append the missing points;
// on No only the rows that fit are pasted. Returns whether anything changed.
bool PasteCells(MeasurementDocument& doc, int row, int column, const SourceTable& block);
