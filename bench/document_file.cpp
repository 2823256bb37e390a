// Load and save of large current-layout documents: a million individual values in ten groups, and
// 200,000 subgroups of 5 in ten groups.
//
// Peak memory: `bench_document_file --write-samples DIR` writes both documents as files; then
// `/usr/bin/time -v meridan-cli info DIR/individual.mrd` (load) and `... resave IN OUT` (load and
// save) give the peak resident size of a clean process.
//
// InfoAgainstIconv is the loading figure as a user sees it: whole processes, `meridan-cli info`
// against `iconv -f cp1251 -t utf-16` decoding the same file, wall and CPU time of each and their
// ratios (the target is at most 1.5). Other work on the machine shows in the wall times first.
#include "model/DocumentFile.h"
#include "model/MeasurementDocument.h"
#include "model/Messenger.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <sys/resource.h>
#include <tuple>

namespace {

constexpr int GroupCount = 10;

std::unique_ptr<MeasurementDocument> MakeDocument(
    Messenger& messenger, int points, int subgroupSize, bool distinctDates = false)
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
        QString date = QStringLiteral("%1.%2.2024")
                           .arg(1 + row % 28, 2, 10, QLatin1Char('0'))
                           .arg(1 + row % 12, 2, 10, QLatin1Char('0'));
        if (distinctDates) // the worst case for the shared date strings: no two rows alike
            date += QLatin1Char(' ') + QString::number(row);
        doc->SetDateText(row, separator ? MeasurementDocument::SeparatorLine() : date);
        for (int c = 0; c < doc->ValueColumnCount(); ++c)
            doc->SetValueText(
                row, c, separator ? MeasurementDocument::SeparatorLine() : QString::number(value(random), 'f', 3));
    }
    doc->SetDisplayPrecision(3);
    TIndividualInfo record = doc->TakeGroupRecord(3);
    record.CentreSetting = { true, 50.125 };
    doc->StoreGroupRecord(3, std::move(record));
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
    bool distinctDates = false;
};

const QByteArray& SampleBytes(const Sample& sample)
{
    static std::map<std::tuple<int, int, bool>, QByteArray> cache;
    QByteArray& bytes = cache[{ sample.points, sample.subgroupSize, sample.distinctDates }];
    if (bytes.isEmpty()) {
        SilentMessenger messenger;
        bytes = SaveDocumentToBytes(*MakeDocument(messenger, sample.points, sample.subgroupSize, sample.distinctDates))
                    .value();
    }
    return bytes;
}

// A sample written to a temporary file that lives as long as the program.
QString SampleFile(const Sample& sample)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sample-%1-%2-%3.mrd")
                                          .arg(sample.points)
                                          .arg(sample.subgroupSize)
                                          .arg(int(sample.distinctDates)));
    if (!QFile::exists(path)) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(SampleBytes(sample));
    }
    return path;
}

double ChildrenCpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct ProcessTimes {
    double wall = 0;
    double cpu = 0;
    bool ok = false;
};

// Runs a program to its end with standard output thrown away.
ProcessTimes RunProcess(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    const double cpuBefore = ChildrenCpuSeconds();
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    const bool finished = process.waitForFinished(60000);
    ProcessTimes times;
    times.wall = double(timer.nsecsElapsed()) / 1e9;
    times.cpu = ChildrenCpuSeconds() - cpuBefore;
    times.ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return times;
}

void InfoAgainstIconv(benchmark::State& state, Sample sample)
{
    const QString file = SampleFile(sample);
    const QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/../cli/meridan-cli");
    const QString iconv = QStandardPaths::findExecutable(QStringLiteral("iconv"));
    if (iconv.isEmpty() || !QFile::exists(cli)) {
        state.SkipWithError("iconv or meridan-cli not found");
        return;
    }
    ProcessTimes info;
    ProcessTimes decode;
    for (auto _ : state) {
        const ProcessTimes i = RunProcess(cli, { QStringLiteral("info"), file });
        const ProcessTimes d = RunProcess(iconv,
            { QStringLiteral("-f"), QStringLiteral("cp1251"), QStringLiteral("-t"), QStringLiteral("utf-16"), file });
        if (!i.ok || !d.ok)
            state.SkipWithError("a process failed");
        info.wall += i.wall;
        info.cpu += i.cpu;
        decode.wall += d.wall;
        decode.cpu += d.cpu;
    }
    const double n = double(state.iterations());
    state.counters["info_wall_ms"] = 1e3 * info.wall / n;
    state.counters["iconv_wall_ms"] = 1e3 * decode.wall / n;
    state.counters["info_cpu_ms"] = 1e3 * info.cpu / n;
    state.counters["iconv_cpu_ms"] = 1e3 * decode.cpu / n;
    state.counters["wall_ratio"] = info.wall / decode.wall;
    state.counters["cpu_ratio"] = info.cpu / decode.cpu;
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
    const QString path = SampleFile(sample);
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
const Sample IndividualDistinctDates { 1000000, 0, true };
const Sample Subgroups { 200000, 5 };

// The plain reader, the reference of the differential tests, for comparison.
void LoadPlain(benchmark::State& state, Sample sample)
{
    const QByteArray& bytes = SampleBytes(sample);
    SilentMessenger messenger;
    for (auto _ : state) {
        MeasurementDocument doc(messenger);
        if (!LoadDocumentFromBytesPlain(doc, bytes, QStringLiteral("big.mrd")))
            state.SkipWithError("load failed");
    }
}

BENCHMARK_CAPTURE(Load, individual_1e6, Individual)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(Load, subgroups_2e5x5, Subgroups)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(LoadFromFile, individual_1e6, Individual)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(LoadFromFile, individual_1e6_distinct_dates, IndividualDistinctDates)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(LoadPlain, individual_1e6, Individual)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(InfoAgainstIconv, individual_1e6, Individual)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->UseRealTime();
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
