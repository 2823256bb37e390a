#pragma once

#include "model/GroupRecord.h"

#include <vector>

// The statistics of a group's points, computed from its value rows and its excluded points: the
// statistic rows (individual values: the moving ranges; subgroups: means, medians, deviations,
// relative deviations, ranges, relative ranges) and the three means over the points that feed the
// limits (a moving range counts only when both its points do).
struct PointStatistics {
    std::vector<TDArray> Rows; // empty when the record's value rows are too short to compute from
    double GrandMean = 0.0;
    double MeanDeviation = 0.0;
    double MeanRange = 0.0;
    bool Finite = true; // false: something overflowed, and every non-finite entry is 0
    bool Valid = false; // every statistic is defined and finite, and some point counts
};
PointStatistics PointStatisticsOf(const TIndividualInfo& group);
// Puts the rows into the group's Data after its value rows and sets its three means.
void StorePointStatistics(TIndividualInfo& group, PointStatistics statistics);

// PointStatisticsOf stored into the group; its Valid.
bool ComputePointStatistics(TIndividualInfo& group);

// Whether enough of the group feeds the limits for them to exist: two counted points, and in
// individual-values mode at least one moving range between two counted points.
bool EnoughCountedPoints(const TIndividualInfo& group);

// Subgroup mode: the overall deviation sqrt(sum(k * s_i^2) / (n * k - 1)) over the n counted points
// of the group.
double OverallDeviation(const TIndividualInfo& group);
