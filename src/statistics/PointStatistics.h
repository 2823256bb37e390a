#pragma once

#include "model/GroupRecord.h"

// Fills the statistic rows of the group's Data and its three means from the element rows. False,
// with every non-finite entry replaced by 0, when a statistic is undefined or overflows.
bool ComputePointStatistics(TIndividualInfo& group);

// Subgroup mode: the overall deviation sqrt(sum(k * s_i^2) / (n * k - 1)) of the group.
double OverallDeviation(const TIndividualInfo& group);
