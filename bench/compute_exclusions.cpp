// The compute of a million values with 10,000 points kept out of the limits, against the same
// document with none: the exclusions should cost next to nothing (target: within 10%).
#include "BenchDocuments.h"
#include "compute/ComputeDriver.h"
#include "model/MeasurementDocument.h"
#include "model/Messenger.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>

namespace {

constexpr int pointCount = 1'000'000;
constexpr int excludedCount = 10'000;

// A computed-state document of a million values in ten groups, every (points / excluded)-th point
// kept out of the limits when `excluded` is set.
std::unique_ptr<MeasurementDocument> MakeDocument(Messenger& messenger, bool excluded)
{
    auto doc = std::make_unique<MeasurementDocument>(messenger);
    FillBenchDocument(*doc, pointCount, 0);
    if (excluded) {
        std::map<int, PointNote> notes;
        PointNote note;
        note.ExcludeReason = QStringLiteral("збій дозатора");
        const int step = pointCount / excludedCount;
        int point = 0;
        for (int row = 1; row <= doc->TableRowCount(); ++row) {
            if (doc->SeparatorFlags()[size_t(row - 1)])
                continue;
            if (point++ % step == step / 2)
                notes.emplace(row, note);
        }
        doc->SetPointNotes(std::move(notes));
    }
    doc->EnterComputedState();
    return doc;
}

void Compute(benchmark::State& state, bool excluded)
{
    SilentMessenger messenger;
    const auto doc = MakeDocument(messenger, excluded);
    if (doc->ExcludedPointCount() != (excluded ? excludedCount : 0))
        state.SkipWithError("unexpected number of excluded points");
    for (auto _ : state) {
        const bool ok = ComputeDocument(*doc);
        if (!ok)
            state.SkipWithError("compute failed");
        benchmark::DoNotOptimize(ok);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(pointCount));
}

void BM_ComputeDocument_MillionValues_NoneExcluded(benchmark::State& state)
{
    Compute(state, false);
}
void BM_ComputeDocument_MillionValues_10kExcluded(benchmark::State& state)
{
    Compute(state, true);
}

} // namespace

BENCHMARK(BM_ComputeDocument_MillionValues_NoneExcluded)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComputeDocument_MillionValues_10kExcluded)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    // The result cells use the user's decimal separator, as in the program.
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
