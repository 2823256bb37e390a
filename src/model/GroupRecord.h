#pragma once

#include "model/CriterionHit.h"

#include <QString>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

using TDArray = std::vector<double>;
using TArrayOfArray = std::vector<TDArray>;

// The six chart pages; every per-page array is indexed by this number.
enum ChartSlot : int {
    SlotCentre = 0, // individual values, or means
    SlotMedians = 1,
    SlotDeviation = 2, // moving ranges, or sample standard deviations
    SlotRelDeviation = 3,
    SlotRanges = 4,
    SlotRelRanges = 5,
};
constexpr int ChartSlotCount = 6;

struct TFixableValue {
    bool Fixed = false;
    double Value = 0.0; // the number shown; rewritten by the computation while not fixed
    friend bool operator==(const TFixableValue&, const TFixableValue&) = default;
};

struct TControlLines {
    double Lower = 0.0;
    double Upper = 0.0;
    double Centre = 0.0;
};

struct TSlotHits {
    ErrorArray Westgard;
    ErrorArray Iso;
};

// The record of one group: its statistics table, the analyst's settings, and the lines and
// criteria hits of every chart slot.
class TIndividualInfo {
public:
    explicit TIndividualInfo(bool individual);

    // Used by the document reader and the group merge, one per mode.
    void SetIndividualSettings(TFixableValue centre, TFixableValue sigma, TFixableValue rangeCentre);
    void SetSubgroupSettings(TFixableValue centre, TFixableValue sigma, TFixableValue deviationCentre,
        TFixableValue relDeviationCentre, TFixableValue medianCentre, TFixableValue rangeCentre,
        TFixableValue relRangeCentre, bool useSampleDeviation);

    // The series slot s plots: row s in individual-values mode, row k + s in subgroup mode. Empty
    // for a slot the mode does not use or before the statistics exist.
    std::span<const double> Series(int slot) const;

    // Mean of one row of Data over the points that feed the limits (entry i is point i); 0 for an
    // empty or missing row or when no point of it counts.
    double RowMean(int row) const;

    // The points of the group that feed the limits.
    int CountedPointCount() const;
    int ExcludedPointCount() const { return GroupPointCount - CountedPointCount(); }

    int32_t FirstRow = 0;
    int32_t GroupPointCount = 0;
    int32_t ElementCount = 1;
    TArrayOfArray Data; // the group's statistics table
    bool UseSampleDeviation = true;
    double GrandMean = 0.0;
    double MeanDeviation = 0.0;
    double MeanRange = 0.0;
    TFixableValue CentreSetting;
    TFixableValue SigmaSetting;
    TFixableValue DeviationCentreSetting;
    TFixableValue RelDeviationCentreSetting;
    TFixableValue MedianCentreSetting;
    TFixableValue RangeCentreSetting;
    TFixableValue RelRangeCentreSetting;
    bool Individual = false;
    // Points of the group kept out of the limits, by point of the group; empty when none is. They
    // stay in Data and the series and are judged by the criteria; only the means the lines come
    // from pass them by.
    std::vector<bool> Excluded;
    bool IsExcluded(int point) const { return size_t(point) < Excluded.size() && Excluded[size_t(point)]; }
    std::array<TSlotHits, ChartSlotCount> Hits;
    std::array<TControlLines, ChartSlotCount> Lines;
};
