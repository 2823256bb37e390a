// The table operations on a document of a million individual values in ten groups: a point or a
// separator inserted or deleted near the top, and 1,000 points appended. Each benchmark times one
// operation and undoes it outside the timing, so the document keeps its size.
//
// Memory: the resident size after the first operation and after 100 more of the same kind is
// reported as the counters rss_first_MB and rss_after_100_MB of the benchmark MemoryAfterOperations.
#include "BenchOperations.h"
#include "actions/GroupMerge.h"
#include "actions/TableOperations.h"
#include "model/MeasurementDocument.h"
#include "model/Messenger.h"

#include <benchmark/benchmark.h>
#include <fstream>
#include <memory>
#include <random>
#include <unistd.h>

namespace {

constexpr int GroupCount = 10;
constexpr int Points = 1'000'000;

// Merges keep the upper group's settings without asking; the benchmark's groups are all alike.
std::unique_ptr<MeasurementDocument> MakeDocument(Messenger& messenger)
{
    auto doc = std::make_unique<MeasurementDocument>(messenger);
    const int perGroup = Points / GroupCount;
    std::vector<bool> flags;
    for (int g = 0; g < GroupCount; ++g) {
        if (g > 0)
            flags.push_back(true);
        flags.insert(flags.end(), size_t(perGroup), false);
    }
    flags.push_back(true);
    doc->StoreIndividualMode(true);
    doc->SetPointCount(Points);
    doc->StoreGroupCount(GroupCount);
    doc->SetSeparatorFlags(flags);
    doc->SetMode(true);
    doc->SetGroupCount(GroupCount);
    std::mt19937 random(42);
    std::normal_distribution<double> value(50.0, 2.0);
    for (int row = 1; row <= doc->TableRowCount(); ++row) {
        const bool separator = flags[size_t(row - 1)];
        doc->SetDateText(row,
            separator ? MeasurementDocument::SeparatorLine()
                      : QStringLiteral("%1.%2.2024")
                            .arg(1 + row % 28, 2, 10, QLatin1Char('0'))
                            .arg(1 + row % 12, 2, 10, QLatin1Char('0')));
        doc->SetValueText(
            row, 0, separator ? MeasurementDocument::SeparatorLine() : QString::number(value(random), 'f', 3));
    }
    return doc;
}

MeasurementDocument& Document()
{
    static SilentMessenger messenger;
    static std::unique_ptr<MeasurementDocument> doc = MakeDocument(messenger);
    return *doc;
}

double ResidentMegabytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void Check(benchmark::State& state, bool done)
{
    if (!done)
        state.SkipWithError("the operation was refused");
}

void InsertPointNearTop(benchmark::State& state)
{
    MeasurementDocument& doc = Document();
    for (auto _ : state) {
        Check(state, InsertPoint(doc, 5).Done);
        state.PauseTiming();
        Check(state, DeletePoint(doc, 5).Done);
        state.ResumeTiming();
    }
}

void DeletePointNearTop(benchmark::State& state)
{
    MeasurementDocument& doc = Document();
    for (auto _ : state) {
        Check(state, DeletePoint(doc, 5).Done);
        state.PauseTiming();
        Check(state, InsertPoint(doc, 5).Done);
        state.ResumeTiming();
    }
}

void InsertSeparatorNearTop(benchmark::State& state)
{
    MeasurementDocument& doc = Document();
    KeepSettings decider;
    for (auto _ : state) {
        Check(state, InsertSeparator(doc, 5).Done);
        state.PauseTiming();
        Check(state, DeleteSeparator(doc, 1, decider).Done);
        state.ResumeTiming();
    }
}

void DeleteSeparatorNearTop(benchmark::State& state)
{
    MeasurementDocument& doc = Document();
    KeepSettings decider;
    for (auto _ : state) {
        state.PauseTiming();
        Check(state, InsertSeparator(doc, 5).Done);
        state.ResumeTiming();
        Check(state, DeleteSeparator(doc, 1, decider).Done);
    }
}

void AppendThousandPoints(benchmark::State& state)
{
    MeasurementDocument& doc = Document();
    for (auto _ : state) {
        Check(state, AppendPoints(doc, 1000).Done);
        state.PauseTiming();
        Check(state, DeleteLastPoints(doc, 1000).Done);
        state.ResumeTiming();
    }
}

// Every kind of operation and its undoing, once and then 100 times more.
void MemoryAfterOperations(benchmark::State& state)
{
    MeasurementDocument& doc = Document();
    KeepSettings decider;
    auto round = [&] { OperationRound(doc, decider); };
    double first = 0;
    double after = 0;
    for (auto _ : state) {
        round();
        first = ResidentMegabytes();
        for (int i = 0; i < 100; ++i)
            round();
        after = ResidentMegabytes();
    }
    state.counters["rss_first_MB"] = first;
    state.counters["rss_after_100_MB"] = after;
}

} // namespace

BENCHMARK(InsertPointNearTop)->Unit(benchmark::kMillisecond);
BENCHMARK(DeletePointNearTop)->Unit(benchmark::kMillisecond);
BENCHMARK(InsertSeparatorNearTop)->Unit(benchmark::kMillisecond);
BENCHMARK(DeleteSeparatorNearTop)->Unit(benchmark::kMillisecond);
BENCHMARK(AppendThousandPoints)->Unit(benchmark::kMillisecond);
BENCHMARK(MemoryAfterOperations)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
