#pragma once

class MeasurementDocument;

// The arithmetic that keeps the three data grids and the table scroll bar (positions 0 to 100)
// together. Rows are grid rows: row 0 is the fixed header, so the top row is at least 1. rowCount
// counts the header; visibleRows counts the rows below it that the grid shows whole.
namespace GridScrolling {

constexpr int ScrollBarMaximum = 100;

// Whole number nearest to value; a value halfway between two goes to the even one.
int RoundHalfEven(double value);

// The top row the grids take for a scroll bar position.
int TopRowForPosition(int rowCount, int visibleRows, int position);

// The scroll bar position for a grid's top row. valueGrid: the top row of StringGrid1 moved, whose
// divisor differs when exactly one row is hidden; else StringGrid3 or StringGrid4 moved.
int PositionForTopRow(int rowCount, int visibleRows, int topRow, bool valueGrid);

// Whether the table scroll bar is enabled: the grid has more rows than it shows plus the header.
bool ScrollBarEnabled(int rowCount, int visibleRows);

// The top row after the row count changes from oldRowCount to rowCount: a top row of 2 or more
// moves up by the rows the grid no longer shows.
int TopRowAfterResize(int oldTopRow, int oldVisibleRows, int visibleRows);

// Where a selection that moved from previousRow to row ends: the header row is never selected, a
// separator row is jumped over in the direction of travel. Returns -1 when the grid should scroll to
// its end instead (the closing row of the computed state).
int AcceptedSelectionRow(const MeasurementDocument& document, int previousRow, int row);

} // namespace GridScrolling
