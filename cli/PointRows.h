#pragma once

#include <vector>

class MeasurementDocument;

// Point numbers (from 1, counting point rows only) and table rows (from 1, separators included).

// The table row of a point; 0 when the document has no such point.
int TableRowOfPoint(const MeasurementDocument& doc, int point);

// The point numbers of table rows given in ascending order (0 for a separator row). One walk over
// the table, however many rows are asked.
std::vector<int> PointNumbersOfRows(const MeasurementDocument& doc, const std::vector<int>& rows);
