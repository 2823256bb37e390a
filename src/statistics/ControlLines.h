#pragma once

#include "model/GroupRecord.h"

// Below this magnitude a centre line is taken as zero: no relative value can be formed from it.
constexpr double ZeroCentre = 1e-6;

// A line or setting that overflowed saturates at the largest double, so nothing infinite or
// undefined reaches the drawing or the reports.
double FiniteOrLimit(double value);

// What the lines step makes of a group: the lines of every slot, and every setting with the Value
// the lines used (a fixed setting keeps its own). Slots and settings the mode does not use come
// back as the record held them.
struct GroupControlLines {
    std::array<TControlLines, ChartSlotCount> Lines;
    TFixableValue CentreSetting;
    TFixableValue SigmaSetting;
    TFixableValue DeviationCentreSetting;
    TFixableValue RelDeviationCentreSetting;
    TFixableValue MedianCentreSetting;
    TFixableValue RangeCentreSetting;
    TFixableValue RelRangeCentreSetting;
};

// The centre lines and limits of every slot of the group's mode from its point statistics, and the
// Value of every automatic setting. Criteria are not run here.
GroupControlLines ControlLinesOf(const TIndividualInfo& group);
void StoreControlLines(TIndividualInfo& group, const GroupControlLines& lines);
// ControlLinesOf stored into the group.
void ComputeControlLines(TIndividualInfo& group);
