#pragma once

// The large documents the benchmarks work on, built the same way everywhere so figures compare.
#include "model/MeasurementDocument.h"

#include <QString>
#include <random>
#include <vector>

// Lays doc out as `points` points (individual values when subgroupSize is 0) in `groups` equal
// groups, normally distributed values with three decimals, every date "01.01.2024". The document
// stays in the editing state.
inline void FillBenchDocument(MeasurementDocument& doc, int points, int subgroupSize, int groups = 10)
{
    const bool individual = subgroupSize == 0;
    const int perGroup = points / groups;
    std::vector<bool> flags;
    for (int g = 0; g < groups; ++g) {
        if (g > 0)
            flags.push_back(true);
        flags.insert(flags.end(), size_t(perGroup), false);
    }
    flags.push_back(true);
    doc.StoreIndividualMode(individual);
    doc.SetPointCount(perGroup * groups);
    if (!individual)
        doc.SetSubgroupSize(subgroupSize);
    doc.StoreGroupCount(groups);
    doc.SetSeparatorFlags(flags);
    doc.SetMode(individual);
    doc.SetGroupCount(groups);
    std::mt19937 random(42);
    std::normal_distribution<double> value(50.0, 2.0);
    const int columns = doc.ValueColumnCount();
    for (int row = 1; row <= doc.TableRowCount(); ++row) {
        const bool separator = doc.SeparatorFlags()[size_t(row - 1)];
        doc.SetDateText(row, separator ? MeasurementDocument::SeparatorLine() : QStringLiteral("01.01.2024"));
        for (int c = 0; c < columns; ++c)
            doc.SetValueText(
                row, c, separator ? MeasurementDocument::SeparatorLine() : QString::number(value(random), 'f', 3));
    }
}
