// The report engine on the largest report the program makes: a document of N individual values
// gives a data table of N rows and two chart sections of N / 11 pictures each (about 680 x 285,
// drawn by the chart drawing as the report does), each picture with its title. One iteration loads the two
// templates, prepares them (the pictures are drawn from the value callback) and writes the PDF.
// Counters: pages, kept picture bytes, peak resident memory of the process (MB).
#include "paint/DrawingState.h"
#include "paint/Paint.h"
#include "reports/ReportEngine.h"
#include "reports/ReportExport.h"

#include "model/Messenger.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>

namespace {

const char* TableTemplate = R"(<report version="1"><page font="Arial" fontSize="9">
<band type="pageHeader" name="PageHeader1" height="18">
 <memo name="LabFull" x="0" y="0" w="190" h="5" bold="true" align="center">[Lab_FullName]</memo>
 <memo name="LabShort" x="0" y="5" w="130" h="4">[Lab_ShortName]  [TableName]</memo>
 <memo name="PageNo" x="130" y="10" w="60" h="4" align="right">Сторінка [Page#] з [TotalPages#]</memo>
 <line x1="0" y1="16" x2="190" y2="16" width="0.3"/>
</band>
<band type="header" name="Header1" height="6" repeatOnNewPage="true">
 <memo name="H1" x="0" y="0" w="40" h="6" frame="ltrb" bold="true" align="center">№</memo>
 <memo name="H2" x="40" y="0" w="50" h="6" frame="ltrb" bold="true" align="center">Дата</memo>
 <memo name="H3" x="90" y="0" w="50" h="6" frame="ltrb" bold="true" align="center">Значення</memo>
 <memo name="H4" x="140" y="0" w="50" h="6" frame="ltrb" bold="true" align="center">Ковзний розмах</memo>
</band>
<band type="data" name="MasterData1" dataSet="frxUserDataSet1" height="5">
 <memo name="C1" x="0" y="0" w="40" h="5" frame="ltrb" stretch="max">[SG3_1]</memo>
 <memo name="C2" x="40" y="0" w="50" h="5" frame="ltrb" stretch="max" align="center">[SG3_2]</memo>
 <memo name="C3" x="90" y="0" w="50" h="5" frame="ltrb" stretch="max" align="right">[SG1_1]</memo>
 <memo name="C4" x="140" y="0" w="50" h="5" frame="ltrb" stretch="max" align="right">[SG4_1]</memo>
</band></page></report>)";

const char* CardTemplate = R"(<report version="1"><page font="Arial" fontSize="9">
<band type="pageHeader" name="PageHeader1" height="18">
 <memo name="LabFull" x="0" y="0" w="190" h="5" bold="true" align="center">[Lab_FullName]</memo>
 <memo name="PageNo" x="130" y="10" w="60" h="4" align="right">Сторінка [Page#] з [TotalPages#]</memo>
</band>
<band type="data" name="MasterData3" dataSet="frxUserDataSet1" height="82">
 <memo name="Title" x="0" y="0" w="190" h="5" bold="true">[CardName]</memo>
 <picture name="Picture1" x="0" y="6" w="190" h="75" fit="keepAspect"/>
</band></page></report>)";

std::vector<TIndividualInfo> Groups(int points)
{
    std::vector<TIndividualInfo> result;
    const int groups = 10;
    const int perGroup = points / groups;
    for (int g = 0; g < groups; ++g) {
        TIndividualInfo group(true);
        group.Data.resize(1);
        for (int i = 0; i < perGroup; ++i)
            group.Data[0].push_back(10.0 + 3.0 * std::sin(0.37 * (i + g * perGroup)) + (i % 97 == 0 ? 5.0 : 0.0));
        group.Lines[0] = { 5.0 + g * 0.1, 15.0 - g * 0.1, 10.0 };
        result.push_back(std::move(group));
    }
    return result;
}

// "VmHWM" (peak) or "VmRSS" (now) of this process, in MB.
double MemoryMegabytes(const QByteArray& field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').front().toDouble() / 1024;
    return 0;
}

void BM_ReportToPdf(benchmark::State& state)
{
    const int points = int(state.range(0));
    const int perPicture = 11; // what 718 pixels hold
    const int pictures = (points + perPicture - 1) / perPicture;
    const std::vector<TIndividualInfo> groups = Groups(points);
    QStringList dates;
    for (int i = 0; i < points; ++i)
        dates.append(QStringLiteral("%1.01.2024").arg(1 + i % 28, 2, 10, QLatin1Char('0')));
    SilentMessenger messenger;
    QTemporaryDir dir;
    int pages = 0;
    qsizetype pictureBytes = 0;
    double pdfSeconds = 0;
    double preparedMegabytes = 0;
    for (auto _ : state) {
        rpt::ReportEngine engine;
        engine.loadTemplateXml(TableTemplate, QStringLiteral("individ.fr3"));
        rpt::UserDataSet* rows = engine.dataSet(QStringLiteral("frxUserDataSet1"));
        QImage bitmap(1, 285, QImage::Format_RGB32);
        engine.setValueCallback([&](const QString& name) -> std::optional<QString> {
            const int row = rows->currentRow();
            if (name == u"Lab_FullName")
                return QStringLiteral("Випробувальна лабораторія якості");
            if (name == u"SG3_1")
                return QString::number(row + 1);
            if (name == u"SG3_2")
                return dates[row];
            if (name == u"SG1_1" || name == u"SG4_1")
                return QString::number(10.0 + std::sin(row), 'f', 3);
            if (name == u"CardName") {
                const int first = 1 + row * perPicture;
                const int last = std::min(first + perPicture, points);
                ChartDrawingState().LeftMargin = 65;
                DrawChartRange(bitmap, groups, QStringLiteral("мг/л"), 2, 0, 0, last, first, dates, messenger);
                engine.picture(QStringLiteral("Picture1"))->setImage(bitmap);
                return QStringLiteral("Карта індивідуальних значень (точки №№%1-%2)").arg(first).arg(last);
            }
            return QString();
        });
        rows->setRowCount(points);
        engine.prepare(true);
        for (int chart = 0; chart < 2; ++chart) {
            engine.loadTemplateXml(CardTemplate, QStringLiteral("card.fr3"));
            rows->setRowCount(pictures);
            engine.prepare(false);
        }
        preparedMegabytes = MemoryMegabytes("VmRSS");
        QElapsedTimer timer;
        timer.start();
        rpt::exportPdf(engine.prepared(), dir.filePath(QStringLiteral("report.pdf")));
        pdfSeconds = timer.nsecsElapsed() / 1e9;

        pages = engine.prepared().pageCount();
        pictureBytes = 0;
        for (const rpt::PreparedPage& page : engine.prepared().pages())
            for (const rpt::DrawCmd& command : page.commands)
                if (const auto* image = std::get_if<rpt::ImageCmd>(&command))
                    pictureBytes += image->image->storedBytes();
    }
    state.counters["pages"] = pages;
    state.counters["pdf_s"] = pdfSeconds;
    state.counters["pictures"] = 2 * pictures;
    state.counters["picture_MB"] = double(pictureBytes) / (1 << 20);
    state.counters["peak_MB"] = MemoryMegabytes("VmHWM");
    state.counters["prepared_MB"] = preparedMegabytes;
    state.counters["pdf_MB"] = double(QFile(dir.filePath(QStringLiteral("report.pdf"))).size()) / (1 << 20);
}
BENCHMARK(BM_ReportToPdf)
    ->Arg(1000)
    ->Arg(2500)
    ->Arg(5000)
    ->Arg(10000)
    ->ArgName("points")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
