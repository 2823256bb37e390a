#pragma once

#include "model/GroupRecord.h"

// Fills the statistic rows of the group's Data for every point, and its three means over the points
// that feed the limits (a moving range counts only when both its points do). False, with every
// non-finite entry replaced by 0, when a statistic is undefined or overflows, or when no point
// counts.
bool ComputePointStatistics(TIndividualInfo& group);

// Whether enough of the group feeds the limits for them to exist: two counted points, and in
// individual-values mode at least one moving range between two counted points.
bool EnoughCountedPoints(const TIndividualInfo& group);

// Subgroup mode: the overall deviation sqrt(sum(k * s_i^2) / (n * k - 1)) over the n counted points
// of the group.
double OverallDeviation(const TIndividualInfo& group);
