#pragma once

#include <cstddef>
#include <functional>

// How the compute runs the work of its groups that does not depend on other groups: Sequential is
// the plain order, the reference the parallel path is tested against bit for bit; Parallel spreads
// the work over the machine's cores; Automatic is Parallel for documents large enough to gain from
// it and Sequential for the rest, where starting a thread costs more than it saves.
enum class ComputeThreads { Sequential, Parallel, Automatic };

// Automatic resolved for a document of that many value cells.
ComputeThreads ThreadsFor(ComputeThreads threads, long long valueCells);

// Runs task(0) .. task(count - 1), each exactly once. Sequential: in order on this thread.
// Parallel (or Automatic): on this thread and up to one more per further core, each taking the next task from a
// shared counter, so the tasks must touch disjoint data. The first exception a task throws is
// rethrown here once every thread has stopped; no new task starts after it.
void RunTasks(size_t count, ComputeThreads threads, const std::function<void(size_t)>& task);
