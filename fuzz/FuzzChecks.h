#pragma once

// The invariants every fuzz target holds a document to after whatever it was fed.
#include "model/MeasurementDocument.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

inline void Require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "violated: %s\n", what);
        std::abort();
    }
}

inline void CheckConsistent(const MeasurementDocument& doc)
{
    const std::vector<bool>& flags = doc.SeparatorFlags();
    Require(!flags.empty() && flags.back(), "flags end with the sentinel");
    const int extra = doc.IsComputed() ? 1 : 0;
    Require(doc.RowCount() - 1 - extra == int(flags.size()) - 1, "one flag per table row");
    const int groups = int(std::count(flags.begin(), flags.end(), true));
    Require(doc.PointCount() == int(flags.size()) - groups, "point count matches the flags");
    Require(doc.Groups().size() == size_t(groups), "one record per group");
    Require(flags.size() == 1 || !flags.front(), "no separator as first row");
    for (size_t i = 0; i + 1 < flags.size(); ++i)
        Require(!(flags[i] && flags[i + 1]), "no adjacent separators");
    if (doc.IndividualMode())
        Require(doc.ValueColumnCount() == 1 && doc.SubgroupSize() == 0, "individual layout");
    else
        Require(doc.SubgroupSize() >= 2 && doc.SubgroupSize() <= 25 && doc.ValueColumnCount() == doc.SubgroupSize(),
            "subgroup layout");
}
