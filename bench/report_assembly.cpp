// The printed report from the command to the written PDF: a 1,000-point subgroup document with
// every chart, and individual-values documents of 2,500 to 10,000 points with both charts and the
// data table, to show the time grows linearly. Documents are in groups of 25 points. Set
// MERIDAN_BENCH_SAVE to a folder to also save the documents there, for timing meridan-cli report.
// The written PDF's size is the pdf_bytes counter: chart pictures go in as vectors. The
// ...ThroughPainter runs write the same reports through QPdfWriter, the reference path.
#include "compute/ComputeDriver.h"
#include "model/DocumentFile.h"
#include "model/MeasurementDocument.h"
#include "model/Messenger.h"
#include "paint/ChartPage.h"
#include "paint/DrawingState.h"
#include "reports/ReportAssembler.h"
#include "reports/ReportEngine.h"
#include "reports/ReportExport.h"
#include "reports/ReportRequest.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>

namespace {

// A computed document of `points` points (subgroups of `size` values, or individual values for 0)
// in groups of 25.
std::unique_ptr<MeasurementDocument> MakeDocument(Messenger& messenger, int points, int size)
{
    auto doc = std::make_unique<MeasurementDocument>(messenger);
    const bool individual = size == 0;
    const int perGroup = 25;
    const int groups = (points + perGroup - 1) / perGroup;
    std::vector<bool> flags;
    for (int p = 0; p < points; ++p) {
        if (p > 0 && p % perGroup == 0)
            flags.push_back(true);
        flags.push_back(false);
    }
    flags.push_back(true);
    doc->StoreIndividualMode(individual);
    doc->SetPointCount(points);
    if (!individual)
        doc->SetSubgroupSize(size);
    doc->StoreGroupCount(groups);
    doc->SetSeparatorFlags(flags);
    doc->SetMode(individual);
    doc->SetGroupCount(groups);
    int row = 1;
    for (int p = 0; p < points; ++p) {
        if (p > 0 && p % perGroup == 0) {
            doc->SetDateText(row, MeasurementDocument::SeparatorLine());
            for (int c = 0; c < doc->ValueColumnCount(); ++c)
                doc->SetValueText(row, c, MeasurementDocument::SeparatorLine());
            ++row;
        }
        doc->SetDateText(row,
            QStringLiteral("%1.%2.2024")
                .arg(1 + p % 28, 2, 10, QLatin1Char('0'))
                .arg(1 + (p / 28) % 12, 2, 10, QLatin1Char('0')));
        for (int c = 0; c < doc->ValueColumnCount(); ++c) {
            const double value = 50.0 + 2.0 * std::sin(0.37 * p + c) + ((p * 7 + c * 3) % 11) * 0.1;
            doc->SetValueText(row, c, QString::number(value, 'f', 2));
        }
        ++row;
    }
    doc->SetUnits(QStringLiteral("мг/л"));
    doc->SetTableName(QStringLiteral("Контрольний зразок"));
    if (!RunComputeCommand(*doc))
        return nullptr;
    if (const QByteArray folder = qgetenv("MERIDAN_BENCH_SAVE"); !folder.isEmpty()) {
        SaveDocument(*doc,
            QDir(QString::fromLocal8Bit(folder))
                .filePath(QStringLiteral("report-%1-%2.mrd").arg(individual ? "individual" : "subgroups").arg(points)));
    }
    return doc;
}

QString Templates()
{
    return QDir(QStringLiteral(MERIDAN_SOURCE_DIR)).filePath(QStringLiteral("data/Data"));
}

// writer: the PDF writer, or the reference path through QPdfWriter.
void RunReport(benchmark::State& state, int points, int size,
    void (*writer)(const rpt::PreparedReport&, const QString&, const rpt::ExportInfo&) = &rpt::exportPdf)
{
    SilentMessenger messenger;
    std::unique_ptr<MeasurementDocument> doc = MakeDocument(messenger, points, size);
    if (!doc) {
        state.SkipWithError("the document did not compute");
        return;
    }
    QTemporaryDir dir;
    ReportRequest request = DefaultReportRequest(*doc);
    request.Data.Checked = true;
    for (int s : ReportSlots(*doc))
        request.Charts[size_t(s)].Checked = request.Charts[size_t(s)].Detailed = true;
    int pages = 0;
    qint64 bytes = 0;
    for (auto _ : state) {
        rpt::ReportEngine engine;
        ReportAssembler assembler(*doc, engine, Templates());
        if (assembler.Assemble(request) != ReportAssembler::Outcome::Done) {
            state.SkipWithError("the report failed");
            return;
        }
        const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
        writer(engine.prepared(), pdf, {});
        pages = engine.prepared().pageCount();
        bytes = QFileInfo(pdf).size();
    }
    state.counters["pages"] = pages;
    state.counters["points"] = points;
    state.counters["pdf_bytes"]
        = benchmark::Counter(double(bytes), benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
}

void BM_SubgroupReport(benchmark::State& state)
{
    RunReport(state, int(state.range(0)), 5);
}
BENCHMARK(BM_SubgroupReport)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_IndividualReport(benchmark::State& state)
{
    RunReport(state, int(state.range(0)), 0);
}
BENCHMARK(BM_IndividualReport)->Arg(2500)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

// The same reports painted through QPdfWriter, for the figures the writer is held against.
void BM_SubgroupReportThroughPainter(benchmark::State& state)
{
    RunReport(state, int(state.range(0)), 5, &rpt::exportPdfThroughPainter);
}
BENCHMARK(BM_SubgroupReportThroughPainter)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_IndividualReportThroughPainter(benchmark::State& state)
{
    RunReport(state, int(state.range(0)), 0, &rpt::exportPdfThroughPainter);
}
BENCHMARK(BM_IndividualReportThroughPainter)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::benchmark::Initialize(&argc, argv);
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}
