// Load and save of a million individual values in ten groups with 10,000 points carrying a note and
// an action and 10,000 other points kept out of the limits, against the same document without
// them. The target: each within 10% of the plain document. Compare the pairs of one run:
//   bench_notes_file --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include "BenchDocuments.h"
#include "model/DocumentFile.h"
#include "model/DocumentLines.h"
#include "model/ExtensionBlock.h"
#include "model/MeasurementDocument.h"
#include "model/Messenger.h"

#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int Points = 1000000;
constexpr int NotedPoints = 10000;
constexpr int ExcludedPoints = 10000;

// Notes on every 100th point row, exclusions on the rows halfway between.
std::unique_ptr<MeasurementDocument> MakeDocument(Messenger& messenger, bool records)
{
    auto doc = std::make_unique<MeasurementDocument>(messenger);
    FillBenchDocument(*doc, Points, 0);
    if (!records)
        return doc;
    const int step = Points / NotedPoints;
    int noted = 0;
    int excluded = 0;
    for (int row = 1; row <= doc->TableRowCount() && (noted < NotedPoints || excluded < ExcludedPoints); ++row) {
        if (doc->SeparatorFlags()[size_t(row - 1)])
            continue;
        PointNote note;
        note.Author = QStringLiteral("Петренко");
        note.Time = QStringLiteral("2026-12-09T10:15:00+02:00");
        if (row % step == 1 && noted < NotedPoints) {
            note.Note = QStringLiteral("Партія реактиву №%1 відкрита вчора").arg(row);
            note.Action = QStringLiteral("Перевірено калібрування;\nповторне вимірювання");
            ++noted;
        } else if (row % step == step / 2 && excluded < ExcludedPoints) {
            note.ExcludeReason = QStringLiteral("Забруднений посуд, причину встановлено");
            ++excluded;
        } else {
            continue;
        }
        doc->SetPointNote(row, note);
    }
    return doc;
}

const QByteArray& Bytes(bool records)
{
    static QByteArray bytes[2];
    QByteArray& sample = bytes[records ? 1 : 0];
    if (sample.isEmpty()) {
        SilentMessenger messenger;
        sample = DocumentFileBytes(*MakeDocument(messenger, records));
    }
    return sample;
}

void Load(benchmark::State& state, bool records)
{
    const QByteArray& bytes = Bytes(records);
    SilentMessenger messenger;
    for (auto _ : state) {
        // The document's making and release are no part of the load.
        state.PauseTiming();
        auto doc = std::make_unique<MeasurementDocument>(messenger);
        state.ResumeTiming();
        if (!LoadDocumentFromBytes(*doc, bytes, QStringLiteral("bench.mrd")) || doc->ExtensionLost()) {
            state.SkipWithError("load failed");
            return;
        }
        benchmark::DoNotOptimize(doc->PointNotes().size());
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    state.counters["MB"] = double(bytes.size()) / 1e6;
    state.counters["notes"] = double(records ? NotedPoints + ExcludedPoints : 0);
}

void Save(benchmark::State& state, bool records)
{
    SilentMessenger messenger;
    const std::unique_ptr<MeasurementDocument> doc = MakeDocument(messenger, records);
    for (auto _ : state)
        benchmark::DoNotOptimize(DocumentFileBytes(*doc));
    state.counters["MB"] = double(Bytes(records).size()) / 1e6;
}

// The block's own share of a save and a load: its lines, and their reading into a document.
void BlockLines(benchmark::State& state)
{
    SilentMessenger messenger;
    const std::unique_ptr<MeasurementDocument> doc = MakeDocument(messenger, true);
    for (auto _ : state)
        benchmark::DoNotOptimize(ExtensionBlockLines(*doc));
}

void BlockRead(benchmark::State& state)
{
    SilentMessenger messenger;
    const std::unique_ptr<MeasurementDocument> source = MakeDocument(messenger, true);
    const QString text = ExtensionBlockLines(*source).join(QLatin1Char('\n'));
    MeasurementDocument doc(messenger);
    FillBenchDocument(doc, Points, 0);
    for (auto _ : state) {
        DocumentLines lines(text);
        lines.Next(); // the marker
        ExtensionBlockParser parser(1);
        while (const std::optional<QStringView> line = lines.Next()) {
            if (!parser.Feed(*line))
                break;
        }
        std::optional<ExtensionRecords> records = parser.Finish();
        if (!records || ApplyExtensionRecords(doc, std::move(*records))) {
            state.SkipWithError("block not read");
            return;
        }
        state.PauseTiming();
        doc.SetPointNotes({});
        doc.ResetRecords();
        state.ResumeTiming();
    }
}

void LoadPlain(benchmark::State& state)
{
    Load(state, false);
}
void LoadWithNotes(benchmark::State& state)
{
    Load(state, true);
}
void SavePlain(benchmark::State& state)
{
    Save(state, false);
}
void SaveWithNotes(benchmark::State& state)
{
    Save(state, true);
}

} // namespace

BENCHMARK(LoadPlain)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadWithNotes)->Unit(benchmark::kMillisecond);
BENCHMARK(SavePlain)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveWithNotes)->Unit(benchmark::kMillisecond);
BENCHMARK(BlockLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BlockRead)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
