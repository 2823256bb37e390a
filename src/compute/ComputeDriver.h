#pragma once

#include "compute/ParallelTasks.h"

class MeasurementDocument;

// Who shows the message that normalised display is forced: the compute itself, or its caller once
// the chart pages are drawn (the main window, so that the message comes over finished charts).
enum class PrecisionNotice { Now, Caller };

// Walks the groups, computes statistics, then lines and criteria of every group. Shows the
// failure message through the messenger and returns false at the first failing group. Sequential is
// the plain reference; Parallel gives the same document, records and messages.
bool ComputeDocument(MeasurementDocument& doc, PrecisionNotice notice = PrecisionNotice::Now,
    ComputeThreads threads = ComputeThreads::Automatic);

// The compute command without its windows: acts only on an editing-state document with rows,
// enters the computed state, runs ComputeDocument and drops the results again on failure.
// Returns true when the document ends computed.
bool RunComputeCommand(MeasurementDocument& doc, PrecisionNotice notice = PrecisionNotice::Now);

// The message that values with more than six decimals force normalised display; nothing while
// the normalised choice is open.
void ShowPrecisionNotice(MeasurementDocument& doc);
