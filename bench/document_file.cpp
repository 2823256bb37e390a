// Load and save of large current-layout documents: a million individual values in ten groups, and
// 200,000 subgroups of 5 in ten groups.
//
// Peak memory: `bench_document_file --write-samples DIR` writes both documents as files; then
// `/usr/bin/time -v meridan-cli info DIR/individual.mrd` (load) and `... resave IN OUT` (load and
// save) give the peak resident size of a clean process.
#include "document/DocumentFile.h"
#include "document/MeasurementDocument.h"
#include "document/Messenger.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <sys/resource.h>

namespace {

constexpr int GroupCount = 10;

std::unique_ptr<MeasurementDocument> MakeDocument(Messenger& messenger, int points, int subgroupSize)
{
    auto doc = std::make_unique<MeasurementDocument>(messenger);
    const bool individual = subgroupSize == 0;
    const int perGroup = points / GroupCount;
    std::vector<bool> flags;
    for (int g = 0; g < GroupCount; ++g) {
        if (g > 0)
            flags.push_back(true);
        flags.insert(flags.end(), size_t(perGroup), false);
    }
    flags.push_back(true);
    doc->StoreIndividualMode(individual);
    doc->SetPointCount(perGroup * GroupCount);
    if (!individual)
        doc->SetSubgroupSize(subgroupSize);
    doc->StoreGroupCount(GroupCount);
    doc->SetSeparatorFlags(flags);
    doc->SetMode(individual);
    doc->SetGroupCount(GroupCount);
    doc->SetTableName(QStringLiteral("Великий документ"));
    doc->SetUnits(QStringLiteral("мг/дм3"));
    std::mt19937 random(42);
    std::normal_distribution<double> value(50.0, 2.0);
    for (int row = 1; row <= doc->TableRowCount(); ++row) {
        const bool separator = flags[size_t(row - 1)];
        doc->SetDateText(row,
            separator ? MeasurementDocument::SeparatorLine()
                      : QStringLiteral("%1.%2.2024")
                            .arg(1 + row % 28, 2, 10, QLatin1Char('0'))
                            .arg(1 + row % 12, 2, 10, QLatin1Char('0')));
        for (int c = 0; c < doc->ValueColumnCount(); ++c)
            doc->SetValueText(
                row, c, separator ? MeasurementDocument::SeparatorLine() : QString::number(value(random), 'f', 3));
    }
    doc->SetDisplayPrecision(3);
    doc->Groups()[3].CentreSetting = { true, 50.125 };
    return doc;
}

double PeakRssMegabytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

struct Sample {
    int points;
    int subgroupSize;
};

const QByteArray& SampleBytes(const Sample& sample)
{
    static std::map<std::pair<int, int>, QByteArray> cache;
    QByteArray& bytes = cache[{ sample.points, sample.subgroupSize }];
    if (bytes.isEmpty()) {
        SilentMessenger messenger;
        bytes = SaveDocumentToBytes(*MakeDocument(messenger, sample.points, sample.subgroupSize)).value();
    }
    return bytes;
}

void Load(benchmark::State& state, Sample sample)
{
    const QByteArray& bytes = SampleBytes(sample);
    SilentMessenger messenger;
    for (auto _ : state) {
        MeasurementDocument doc(messenger);
        if (!LoadDocumentFromBytes(doc, bytes, QStringLiteral("big.mrd")))
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(doc.PointCount());
    }
    state.counters["file_MB"] = double(bytes.size()) / 1e6;
    state.counters["peak_rss_MB"] = PeakRssMegabytes();
}

void LoadFromFile(benchmark::State& state, Sample sample)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.mrd"));
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(SampleBytes(sample));
    }
    SilentMessenger messenger;
    for (auto _ : state) {
        MeasurementDocument doc(messenger);
        if (!LoadDocument(doc, path))
            state.SkipWithError("load failed");
    }
}

void Save(benchmark::State& state, Sample sample)
{
    SilentMessenger messenger;
    const auto doc = MakeDocument(messenger, sample.points, sample.subgroupSize);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.mrd"));
    for (auto _ : state) {
        if (!SaveDocument(*doc, path))
            state.SkipWithError("save failed");
    }
    state.counters["peak_rss_MB"] = PeakRssMegabytes();
}

const Sample Individual { 1000000, 0 };
const Sample Subgroups { 200000, 5 };

BENCHMARK_CAPTURE(Load, individual_1e6, Individual)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(Load, subgroups_2e5x5, Subgroups)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(LoadFromFile, individual_1e6, Individual)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(Save, individual_1e6, Individual)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(Save, subgroups_2e5x5, Subgroups)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--write-samples") == 0) {
        const QDir dir(QString::fromLocal8Bit(argv[2]));
        for (const auto& [name, sample] :
            { std::pair { "individual.mrd", Individual }, { "subgroups.mrd", Subgroups } }) {
            QFile file(dir.filePath(QLatin1String(name)));
            if (!file.open(QIODevice::WriteOnly) || file.write(SampleBytes(sample)) != SampleBytes(sample).size())
                return 1;
        }
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
