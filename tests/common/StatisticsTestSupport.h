#pragma once

#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"
#include "compute/GroupCompute.h"
#include "model/MeasurementDocument.h"
#include "statistics/PointStatistics.h"

#include <QStringList>
#include <initializer_list>
#include <vector>

// One point per entry: a single value, or the k value texts of a subgroup.
inline std::vector<QStringList> Points(std::initializer_list<std::initializer_list<const char*>> rows)
{
    std::vector<QStringList> out;
    for (const auto& row : rows) {
        QStringList texts;
        for (const char* t : row)
            texts << QString::fromUtf8(t);
        out.push_back(texts);
    }
    return out;
}

// Individual values given as numbers.
inline std::vector<QStringList> Values(std::initializer_list<double> values)
{
    std::vector<QStringList> out;
    for (double v : values)
        out.push_back({ QString::number(v, 'g', 17) });
    return out;
}

// Equal, or within a relative tolerance.
inline bool Near(double actual, double expected, double relative)
{
    return actual == expected || FuzzyCompare(actual, expected, relative);
}
