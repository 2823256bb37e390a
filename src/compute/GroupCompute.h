#pragma once

#include "compute/ParallelTasks.h"
#include "model/GroupRecord.h"

#include <QString>
#include <span>

class MeasurementDocument;

// The statistics step of one group: stores the group's place and which of its points are kept
// out of the limits, reads its value cells (strict number rule), computes the point statistics
// and writes the statistics columns into the document's result, value and label cells. False
// when the group has fewer than two points, a cell is not a number, too few of its points feed
// the limits, or the statistics cannot be formed (a subgroup mean of 0, a subgroup grand mean with
// magnitude below 1e-6, or values so large that a statistic overflows). units is accepted for the
// callers' sake and not used.
bool LoadAndCompute(
    TIndividualInfo& group, MeasurementDocument& doc, int firstRow, int n, int k, int precision, const QString& units);

// Why the statistics step of a group did not compute.
enum class GroupFailure {
    None,
    InvalidData, // a cell, the group's size or its statistics; LoadAndCompute's false
    TooFewCounted, // the points kept out of the limits leave too few to compute them from
};

// LoadAndCompute that also tells why it failed. The points kept out of the limits are taken from
// the document's notes into the record's Excluded before anything is computed; a group whose
// cells all read but that has too few counted points (EnoughCountedPoints) fails with
// TooFewCounted and writes no statistics columns.
GroupFailure ComputeGroupStatistics(
    TIndividualInfo& group, MeasurementDocument& doc, int firstRow, int n, int k, int precision);

// ComputeGroupStatistics in two steps, for a caller that reads several groups at once. The reading
// step only reads the document and writes only the record: its place, Excluded, Data and means, or
// the failure up to the point statistics. The writing step, after a reading step that succeeded,
// writes the statistics columns and makes the checks that come with them.
GroupFailure ReadGroupStatistics(TIndividualInfo& group, const MeasurementDocument& doc, int firstRow, int n, int k);
GroupFailure WriteGroupStatistics(TIndividualInfo& group, MeasurementDocument& doc, int precision);

// Moves into the record what ReadGroupStatistics wrote into `read` (its place, Excluded, Data and
// means); the record's settings, lines and hits stay.
void TakeReadStatistics(TIndividualInfo& group, TIndividualInfo&& read);

// Lines of every slot of the mode, the Value of every automatic setting, and the criteria hits
// of every slot with offset added to their point numbers (offset = first point number - 1).
void ComputeLines(TIndividualInfo& group, int offset);

// ComputeLines with the offset taken from the point number the document shows at FirstRow.
void RecomputeForDisplay(TIndividualInfo& group, const MeasurementDocument& doc);
// The same for the document's record index, in place.
void RecomputeForDisplay(MeasurementDocument& doc, int index);

// The point number the document shows at the group's FirstRow, less one; 0 when it shows none.
int DisplayOffset(const TIndividualInfo& group, const MeasurementDocument& doc);

// ComputeLines of every group with its offset (offsets[g] for groups[g]); Parallel runs the lines
// of different groups and the criteria of different slots at once, with the same results.
void ComputeLinesOfGroups(std::span<TIndividualInfo> groups, std::span<const int> offsets, ComputeThreads threads);
