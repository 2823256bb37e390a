#pragma once

class MeasurementDocument;

// Walks the groups, computes statistics, then lines and criteria of every group. Shows the
// failure message through the messenger and returns false at the first failing group.
bool ComputeDocument(MeasurementDocument& doc);

// The compute command without its windows: acts only on an editing-state document with rows,
// enters the computed state, runs ComputeDocument and drops the results again on failure.
// Returns true when the document ends computed.
bool RunComputeCommand(MeasurementDocument& doc);
