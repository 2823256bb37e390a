#include "presentation/GridScrolling.h"

#include "model/MeasurementDocument.h"

#include <algorithm>
#include <cmath>

namespace GridScrolling {

int RoundHalfEven(double value)
{
    const double floor = std::floor(value);
    const double fraction = value - floor;
    if (fraction > 0.5)
        return int(floor) + 1;
    if (fraction < 0.5)
        return int(floor);
    return std::fmod(floor, 2.0) == 0.0 ? int(floor) : int(floor) + 1;
}

int TopRowForPosition(int rowCount, int visibleRows, int position)
{
    const int hidden = std::max(0, rowCount - visibleRows - 1);
    return 1 + RoundHalfEven(double(hidden) * position / ScrollBarMaximum);
}

int PositionForTopRow(int rowCount, int visibleRows, int topRow, bool valueGrid)
{
    int divisor = rowCount - visibleRows - 1;
    if (valueGrid ? rowCount == visibleRows + 1 : divisor == 0)
        divisor = rowCount - visibleRows;
    if (divisor <= 0)
        return 0;
    return std::clamp(RoundHalfEven(100.0 * (topRow - 1) / divisor), 0, ScrollBarMaximum);
}

bool ScrollBarEnabled(int rowCount, int visibleRows)
{
    return rowCount > visibleRows + 1;
}

int TopRowAfterResize(int oldTopRow, int oldVisibleRows, int visibleRows)
{
    if (visibleRows >= oldVisibleRows || oldTopRow < 2)
        return oldTopRow;
    return std::max(1, visibleRows + oldTopRow - oldVisibleRows);
}

int AcceptedSelectionRow(const MeasurementDocument& document, int previousRow, int row)
{
    const int rowCount = document.RowCount();
    if (rowCount <= 1)
        return 1;
    row = std::clamp(row, 1, rowCount - 1);
    if (!document.IsSeparatorRow(row))
        return row;
    if (row == rowCount - 1)
        return -1;
    // Separators are never adjacent, nor first or last, so one step always lands on a point.
    const int next = previousRow < row ? row + 1 : row - 1;
    if (next < 1)
        return row + 1;
    if (next >= rowCount)
        return row - 1;
    return next;
}

} // namespace GridScrolling
