// Data in and out at the sizes a laboratory system dumps: a million-row CSV imported, a
// hundred thousand rows pasted, a computed million-point table exported. And workbooks made to
// exhaust the reader, each refused or read within 5 s and 300 MB.
#include "ExchangeTestSupport.h"
#include "actions/Paste.h"
#include "compute/ComputeDriver.h"
#include "exchange/ImportSource.h"
#include "exchange/TableClipboard.h"
#include "exchange/TableExport.h"
#include "exchange/TableImport.h"
#include "model/MeasurementDocument.h"
#include "model/Messenger.h"

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
        PasteCells(doc, 1, TableColumns::Date, ClipboardBlock(block));
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

// Hostile workbooks: a sheet part and an ODS content part that inflate to 2 GB, a million rows
// made from one repeated ODS row (read exactly), and repeats past the cell budget (refused).
// Run each alone for its memory figure (--benchmark_filter=NAME): peak_rss_MB is the process's peak.
const QByteArray HostileXml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
const QByteArray HostileSheetHead
    = HostileXml + "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
const QByteArray HostileOdsHead = HostileXml
    + "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
      "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
      "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:spreadsheet>"
      "<table:table table:name=\"A\">";
const QByteArray HostileOdsTail = "</table:table></office:spreadsheet></office:body></office:document-content>";
constexpr qint64 HostileSize = 2ll * 1024 * 1024 * 1024;

QString HostileWorkbook(const QTemporaryDir& dir, int kind)
{
    const std::pair<QString, QByteArray> mimetype { QStringLiteral("mimetype"),
        "application/vnd.oasis.opendocument.spreadsheet" };
    const QString path = dir.filePath(QStringLiteral("hostile%1.%2").arg(kind).arg(kind == 0 ? "xlsx" : "ods"));
    bool ok = false;
    switch (kind) {
    case 0:
        ok = WriteZipWithRepeatedPart(path,
            { { QStringLiteral("xl/workbook.xml"),
                HostileXml + "<workbook><sheets><sheet name=\"A\"/></sheets></workbook>" } },
            { QStringLiteral("xl/worksheets/sheet1.xml"), HostileSheetHead, "<row/>", HostileSize / 6,
                "</sheetData></worksheet>" });
        break;
    case 1:
        ok = WriteZipWithRepeatedPart(path, { mimetype },
            { QStringLiteral("content.xml"), HostileOdsHead, "<table:table-row/>", HostileSize / 18, HostileOdsTail });
        break;
    case 2:
        ok = WriteZip(path,
            { mimetype,
                { QStringLiteral("content.xml"),
                    HostileOdsHead
                        + "<table:table-row table:number-rows-repeated=\"1048575\"><table:table-cell "
                          "office:value-type=\"float\" office:value=\"5.125\"/></table:table-row>"
                        + HostileOdsTail } });
        break;
    default:
        ok = WriteZip(path,
            { mimetype,
                { QStringLiteral("content.xml"),
                    HostileOdsHead
                        + "<table:table-row table:number-rows-repeated=\"1000\"><table:table-cell "
                          "table:number-columns-repeated=\"16384\" office:value-type=\"float\" "
                          "office:value=\"5\"/></table:table-row>"
                        + HostileOdsTail } });
        break;
    }
    return ok ? path : QString();
}

void BM_HostileWorkbook(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = HostileWorkbook(dir, int(state.range(0)));
    if (path.isEmpty()) {
        state.SkipWithError("cannot write the workbook");
        return;
    }
    for (auto _ : state) {
        const LoadedSource source = LoadSource(path, {});
        benchmark::DoNotOptimize(source.Table.RowCount());
        state.counters["rows"] = source.Table.RowCount();
        state.counters["refused"] = source.Error.isEmpty() ? 0 : 1;
    }
    state.counters["peak_rss_MB"] = PeakResidentMegabytes();
}
// 0: XLSX sheet of 2 GB of rows, 1: ODS content of 2 GB of rows, 2: a million repeated rows, 3: past the budget.
BENCHMARK(BM_HostileWorkbook)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
