// The compute of large documents against the floor of merely converting their cell texts.
#include "BenchDocuments.h"
#include "compute/ComputeDriver.h"
#include "criteria/CriteriaEngine.h"
#include "model/FixedFormatter.h"
#include "model/MeasurementDocument.h"
#include "model/Messenger.h"
#include "model/Numbers.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <memory>
#include <random>

namespace {

constexpr int groupCount = 10;

// A computed-state document of `points` points in ten equal groups, values with three decimals.
std::unique_ptr<MeasurementDocument> MakeDocument(Messenger& messenger, int points, int subgroupSize)
{
    auto doc = std::make_unique<MeasurementDocument>(messenger);
    FillBenchDocument(*doc, points, subgroupSize, groupCount);
    doc->EnterComputedState();
    return doc;
}

void ParseFloor(benchmark::State& state, int points, int subgroupSize)
{
    SilentMessenger messenger;
    const auto doc = MakeDocument(messenger, points, subgroupSize);
    const int columns = doc->ValueColumnCount();
    for (auto _ : state) {
        double sum = 0;
        for (int row = 1; row <= doc->TableRowCount(); ++row) {
            if (doc->SeparatorFlags()[size_t(row - 1)])
                continue;
            for (int c = 0; c < columns; ++c)
                sum += ParseNumber(doc->ValueText(row, c)).value_or(0.0);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(points) * (subgroupSize == 0 ? 1 : subgroupSize));
}

void Compute(benchmark::State& state, int points, int subgroupSize)
{
    SilentMessenger messenger;
    const auto doc = MakeDocument(messenger, points, subgroupSize);
    for (auto _ : state) {
        const bool ok = ComputeDocument(*doc);
        if (!ok)
            state.SkipWithError("compute failed");
        benchmark::DoNotOptimize(ok);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(points) * (subgroupSize == 0 ? 1 : subgroupSize));
}

// The parts of the compute of a million values, to see where its time goes.
void BM_Part_CriteriaOfMillionValues(benchmark::State& state)
{
    SilentMessenger messenger;
    const auto doc = MakeDocument(messenger, 1'000'000, 0);
    ComputeDocument(*doc);
    for (auto _ : state) {
        for (const TIndividualInfo& g : doc->Groups()) {
            for (int slot : { SlotCentre, SlotDeviation }) {
                const TControlLines& l = g.Lines[size_t(slot)];
                benchmark::DoNotOptimize(WestgardCheck(g.Series(slot), l.Centre, l.Upper, l.Lower));
                benchmark::DoNotOptimize(IsoCheck(g.Series(slot), l.Centre, l.Upper, l.Lower));
            }
        }
    }
}

void BM_Part_ResultCellsOfMillionValues(benchmark::State& state)
{
    SilentMessenger messenger;
    const auto doc = MakeDocument(messenger, 1'000'000, 0);
    ComputeDocument(*doc);
    const FixedFormatter format(3);
    for (auto _ : state) {
        for (const TIndividualInfo& g : doc->Groups()) {
            const std::span<const double> ranges = g.Series(SlotDeviation);
            for (size_t i = 0; i < ranges.size(); ++i)
                doc->SetResultText(g.FirstRow + int(i) + 1, 0, format(ranges[i]));
        }
    }
}

void BM_ParseFloor_MillionValues(benchmark::State& state)
{
    ParseFloor(state, 1'000'000, 0);
}
void BM_ComputeDocument_MillionValues(benchmark::State& state)
{
    Compute(state, 1'000'000, 0);
}
void BM_ParseFloor_200kSubgroupsOf5(benchmark::State& state)
{
    ParseFloor(state, 200'000, 5);
}
void BM_ComputeDocument_200kSubgroupsOf5(benchmark::State& state)
{
    Compute(state, 200'000, 5);
}

} // namespace

BENCHMARK(BM_Part_CriteriaOfMillionValues)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Part_ResultCellsOfMillionValues)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseFloor_MillionValues)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComputeDocument_MillionValues)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseFloor_200kSubgroupsOf5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComputeDocument_200kSubgroupsOf5)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    // The result cells use the user's decimal separator, as in the program.
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
