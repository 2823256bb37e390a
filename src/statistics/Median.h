#pragma once

#include "model/GroupRecord.h"

#include <span>

// Median of the values by partial two-way bubble sweeps; reorders the values in place. Only the
// middle one or two values end in their sorted places. An empty span gives 0.
double Median(std::span<double> values);
double Median(TDArray& values);

// Median of entries [0..k-1][i] of the statistics table, taken on a copy; the table is unchanged.
double MedianOfColumn(const TArrayOfArray& table, int k, int i);
