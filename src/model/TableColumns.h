#pragma once

#include "model/MeasurementDocument.h"

// The three data grids read as one table, left to right: the point label and the date
// (StringGrid3), the values (StringGrid1) and the results (StringGrid4). Copy and paste address
// cells by these columns.
namespace TableColumns {
constexpr int Label = 0;
constexpr int Date = 1;
constexpr int FirstValue = 2;
inline int FirstResult(const MeasurementDocument& doc)
{
    return FirstValue + doc.ValueColumnCount();
}
inline int Count(const MeasurementDocument& doc)
{
    return FirstResult(doc) + doc.ResultColumnCount();
}
} // namespace TableColumns
