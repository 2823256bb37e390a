// F5 in the main window until the first chart page is on the screen: the compute, the drawing of
// every chart page, the chart tabs, and chart page 0 brought up and painted. On 1,000,000 and on
// 1,000 individual values in ten groups; the target is 0.3 s for the million and at most 0.1 s
// more than for the thousand.
//
// Each run also reports the process's peak resident memory so far (peak_rss_MB): run the million
// alone (--benchmark_filter=1M) for the memory of the million computed in the window.
//
//   bench_ui_first_chart        the benchmarks (offscreen unless a platform is set)
#include "BenchDocuments.h"
#include "model/DocumentFile.h"
#include "model/MeasurementDocument.h"
#include "model/Messenger.h"
#include "ui/MainForm.h"

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

QString WriteDocument(int points)
{
    const QString path = QDir::temp().filePath(QStringLiteral("meridan-bench-first-chart-%1.mrd").arg(points));
    if (QFile::exists(path))
        return path;
    SilentMessenger messenger;
    MeasurementDocument doc(messenger);
    FillBenchDocument(doc, points, 0, 10);
    SaveDocument(doc, path);
    return path;
}

void F5ToFirstChart(benchmark::State& state, int points)
{
    const QString file = WriteDocument(points);
    SilentMessenger messenger;
    TMainForm window(&messenger);
    window.show();
    if (!window.OpenDocument(file))
        state.SkipWithError("the document did not open");
    auto* pages = window.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    pages->setCurrentIndex(TMainForm::DataTab);
    window.repaint();
    QApplication::processEvents();
    for (auto _ : state) {
        window.Compute();
        pages->setCurrentIndex(TMainForm::ChartTabOffset);
        window.repaint(); // synchronous: the page is painted when this returns
        QApplication::processEvents();
        state.PauseTiming();
        if (!window.Document().IsComputed())
            state.SkipWithError("F5 computed nothing");
        pages->setCurrentIndex(TMainForm::DataTab);
        window.Document().InvalidateResults();
        window.repaint();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = double(usage.ru_maxrss) / 1024.0; // Linux counts kilobytes
}

BENCHMARK_CAPTURE(F5ToFirstChart, Individual1M, 1000000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(F5ToFirstChart, Individual1k, 1000)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::benchmark::Initialize(&argc, argv);
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}
