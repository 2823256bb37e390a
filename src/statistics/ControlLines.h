#pragma once

#include "model/GroupRecord.h"

// Below this magnitude a centre line is taken as zero: no relative value can be formed from it.
constexpr double ZeroCentre = 1e-6;

// A line or setting that overflowed saturates at the largest double, so nothing infinite or
// undefined reaches the drawing or the reports.
double FiniteOrLimit(double value);

// The centre lines and limits of every slot of the group's mode from its point statistics, and the
// Value of every automatic setting. Criteria are not run here.
void ComputeControlLines(TIndividualInfo& group);
