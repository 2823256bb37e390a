#pragma once

#include <cstdint>
#include <vector>

// One run of points that met a criterion; point numbers are the document's.
struct TCriterionHit {
    int32_t Criterion = 0;
    int32_t FirstPoint = 0;
    int32_t LastPoint = 0;
    friend bool operator==(const TCriterionHit&, const TCriterionHit&) = default;
};

// Hits in the order they were found.
using ErrorArray = std::vector<TCriterionHit>;
