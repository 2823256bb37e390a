// Data in and out at the sizes a laboratory system dumps: a million-row CSV imported, a
// hundred thousand rows pasted, a computed million-point table exported.
#include "document/MeasurementDocument.h"
#include "document/Messenger.h"
#include "document/TableClipboard.h"
#include "exchange/ImportSource.h"
#include "exchange/TableExport.h"
#include "exchange/TableImport.h"
#include "statistics/ComputeDriver.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <random>
#include <sys/resource.h>

namespace {

// Rows of "date;group;value" with decimal commas, a group of 1000 rows each.
QByteArray LabCsv(int rows, QChar delimiter)
{
    std::mt19937 random(7);
    std::normal_distribution<double> value(50.0, 2.0);
    QString text = QStringLiteral("Дата%1Партія%1Вміст\r\n").arg(delimiter);
    text.reserve(qsizetype(rows) * 32);
    const QDate start(2020, 1, 1);
    for (int i = 0; i < rows; ++i) {
        text += start.addDays(i / 50).toString(QStringLiteral("dd.MM.yyyy"));
        text += delimiter;
        text += QString::number(i / 1000 + 1);
        text += delimiter;
        text += QString::number(value(random), 'f', 3).replace(u'.', u',');
        text += QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

double PeakResidentMegabytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void ImportDocument(const LoadedSource& source, MeasurementDocument& doc)
{
    ImportChoice choice;
    choice.HeaderRow = true;
    choice.DateColumn = 0;
    choice.GroupColumn = 1;
    choice.ValueColumns = { 2 };
    choice.Decimal = source.Decimal();
    const ImportPlan plan = PlanImport(source.Table, choice);
    ApplyImport(doc, source.Table, choice, plan, QString());
}

// Run it alone for the memory figure: peak_rss_MB is the process's peak.
void BM_ImportCsvMillionRows(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("million.csv"));
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(LabCsv(int(state.range(0)), u';'));
    }
    for (auto _ : state) {
        SilentMessenger messenger;
        MeasurementDocument doc(messenger);
        const LoadedSource source = LoadSource(path, {});
        ImportDocument(source, doc);
        benchmark::DoNotOptimize(doc.PointCount());
    }
    state.counters["peak_rss_MB"] = PeakResidentMegabytes();
}
BENCHMARK(BM_ImportCsvMillionRows)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Paste(benchmark::State& state)
{
    const int rows = int(state.range(0));
    QString block;
    for (int i = 0; i < rows; ++i)
        block += QStringLiteral("01.02.2024\t%1,%2\r\n").arg(50 + i % 7).arg(i % 1000, 3, 10, QLatin1Char('0'));
    for (auto _ : state) {
        state.PauseTiming();
        SilentMessenger messenger;
        MeasurementDocument doc(messenger);
        const QByteArray csv = LabCsv(rows, u';');
        TextFormat format;
        LoadedSource source;
        source.Table = ReadDelimitedText(csv, {}, source.Format);
        ImportDocument(source, doc);
        state.ResumeTiming();
        PasteCells(doc, 1, TableColumns::Date, block);
        benchmark::DoNotOptimize(doc.ValueText(rows / 2, 0));
    }
}
BENCHMARK(BM_Paste)->Arg(100'000)->Unit(benchmark::kMillisecond);

void BM_ExportComputedCsv(benchmark::State& state)
{
    SilentMessenger messenger;
    MeasurementDocument doc(messenger);
    {
        LoadedSource source;
        source.Table = ReadDelimitedText(LabCsv(int(state.range(0)), u';'), {}, source.Format);
        ImportDocument(source, doc);
    }
    if (!RunComputeCommand(doc))
        state.SkipWithError("compute failed");
    const ExportSeparators separators { u';', u',' };
    for (auto _ : state)
        benchmark::DoNotOptimize(ExportTableCsv(doc, separators).size());
}
BENCHMARK(BM_ExportComputedCsv)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
