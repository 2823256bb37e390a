// Undo and redo of each table operation on a document of a million individual values in ten
// groups, through the undo history. Each operation is done once; the benchmark UndoX times its undo
// (redoing it outside the timing), RedoX its redo.
//
// Memory: the resident size grown by 102 commands of the six kinds (17 rounds, the document's size
// kept by pairing each insertion with a deletion) is reported as the counter history_bytes of the
// benchmark MemoryOfHundredCommands, next to the same rounds without a history (plain_bytes), and
// what the commands account for themselves (stored_bytes).
#include "BenchDocuments.h"
#include "BenchOperations.h"
#include "actions/DocumentActions.h"
#include "actions/GroupMerge.h"
#include "actions/TableOperations.h"
#include "model/MeasurementDocument.h"
#include "model/Messenger.h"

#include <QUndoStack>
#include <benchmark/benchmark.h>
#include <fstream>
#include <functional>
#include <memory>
#include <unistd.h>

namespace {

constexpr int Points = 1'000'000;

struct Bench {
    SilentMessenger messenger;
    MeasurementDocument doc { messenger };
    DocumentActions actions { doc };
    KeepSettings decider;
    Bench() { FillBenchDocument(doc, Points, 0, 10); }
};

Bench& Shared()
{
    static Bench bench;
    return bench;
}

using Operation = std::function<bool(DocumentActions&, MergeDecider&)>;

const Operation operations[] = {
    [](DocumentActions& a, MergeDecider&) { return a.InsertPoint(5).Done; },
    [](DocumentActions& a, MergeDecider&) { return a.DeletePoint(5).Done; },
    [](DocumentActions& a, MergeDecider&) { return a.InsertSeparator(5).Done; },
    [](DocumentActions& a, MergeDecider& d) { return a.DeleteSeparator(1, d).Done; },
    [](DocumentActions& a, MergeDecider&) { return a.AppendPoints(1000).Done; },
    [](DocumentActions& a, MergeDecider&) { return a.DeleteLastPoints(1000).Done; },
};

double residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE));
}

// The operation done once, then undone (timed) and redone (untimed) per iteration.
void Undo(benchmark::State& state)
{
    Bench& bench = Shared();
    bench.actions.Clear();
    if (!operations[state.range(0)](bench.actions, bench.decider)) {
        state.SkipWithError("the operation was refused");
        return;
    }
    for (auto _ : state) {
        bench.actions.Undo();
        state.PauseTiming();
        bench.actions.Redo();
        state.ResumeTiming();
    }
    bench.actions.Undo();
    bench.actions.Clear();
}

void Redo(benchmark::State& state)
{
    Bench& bench = Shared();
    bench.actions.Clear();
    if (!operations[state.range(0)](bench.actions, bench.decider)) {
        state.SkipWithError("the operation was refused");
        return;
    }
    bench.actions.Undo();
    for (auto _ : state) {
        bench.actions.Redo();
        state.PauseTiming();
        bench.actions.Undo();
        state.ResumeTiming();
    }
    bench.actions.Clear();
}

void MemoryOfHundredCommands(benchmark::State& state)
{
    Bench& bench = Shared();
    KeepSettings decider;
    auto round = [&](bool history) {
        MeasurementDocument& doc = bench.doc;
        if (history) {
            for (const Operation& operation : operations)
                operation(bench.actions, decider);
        } else {
            OperationRound(doc, decider);
        }
    };
    double plain = 0;
    double history = 0;
    for (auto _ : state) {
        bench.actions.Clear();
        round(false); // the document's lists at their working capacity
        const double start = residentBytes();
        for (int i = 0; i < 17; ++i)
            round(false);
        const double middle = residentBytes();
        for (int i = 0; i < 17; ++i)
            round(true);
        const double end = residentBytes();
        plain = middle - start;
        history = end - middle;
        state.counters["commands"] = bench.actions.stack().count();
        state.counters["stored_bytes"] = double(bench.actions.HistoryBytes());
        bench.actions.Clear();
    }
    state.counters["plain_bytes"] = plain;
    state.counters["history_bytes"] = history;
}

} // namespace

// 0 insert a point, 1 delete a point, 2 insert a separator, 3 delete a separator, 4 append 1,000
// points, 5 delete the last 1,000 points.
BENCHMARK(Undo)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);
BENCHMARK(Redo)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);
BENCHMARK(MemoryOfHundredCommands)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
