#include "PointRows.h"

#include "model/MeasurementDocument.h"

int TableRowOfPoint(const MeasurementDocument& doc, int point)
{
    if (point < 1 || point > doc.PointCount())
        return 0;
    const std::vector<bool>& flags = doc.SeparatorFlags();
    int seen = 0;
    for (int row = 1; row <= doc.TableRowCount(); ++row) {
        if (!flags[size_t(row - 1)] && ++seen == point)
            return row;
    }
    return 0;
}

std::vector<int> PointNumbersOfRows(const MeasurementDocument& doc, const std::vector<int>& rows)
{
    std::vector<int> points;
    points.reserve(rows.size());
    const std::vector<bool>& flags = doc.SeparatorFlags();
    int row = 0;
    int point = 0;
    for (const int wanted : rows) {
        while (row < wanted && row < doc.TableRowCount()) {
            ++row;
            point += flags[size_t(row - 1)] ? 0 : 1;
        }
        const bool separator = wanted < 1 || row != wanted || flags[size_t(row - 1)];
        points.push_back(separator ? 0 : point);
    }
    return points;
}
