// The main window on large documents: open until the table shows, F5 until the chart pages are
// drawn, one step of the table scroll bar and of a chart scroll bar.
//
//   bench_ui_main_window                       the benchmarks (offscreen unless a platform is set)
//   bench_ui_main_window --open-compute FILE   opens FILE, computes and quits: run it under
//                                           /usr/bin/time -v for the window's peak memory
#include "BenchDocuments.h"
#include "model/DocumentFile.h"
#include "model/MeasurementDocument.h"
#include "model/Messenger.h"
#include "ui/ChartPageView.h"
#include "ui/DataGridView.h"
#include "ui/MainForm.h"

#include <QApplication>
#include <QDir>
#include <QScrollBar>
#include <QTabWidget>
#include <benchmark/benchmark.h>
#include <cstring>
#include <random>

namespace {

constexpr int groupCount = 10;

// A document file of `points` points (individual values when subgroupSize is 0) in ten groups.
QString WriteDocument(int points, int subgroupSize)
{
    const QString path = QDir::temp().filePath(QStringLiteral("meridan-bench-%1-%2.mrd").arg(points).arg(subgroupSize));
    if (QFile::exists(path))
        return path;
    SilentMessenger messenger;
    MeasurementDocument doc(messenger);
    FillBenchDocument(doc, points, subgroupSize, groupCount);
    SaveDocument(doc, path);
    return path;
}

void ShowTable(TMainForm& window)
{
    window.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(TMainForm::DataTab);
    window.repaint();
    QApplication::processEvents();
}

void Open(benchmark::State& state, int points, int subgroupSize)
{
    const QString file = WriteDocument(points, subgroupSize);
    for (auto _ : state) {
        state.PauseTiming();
        SilentMessenger messenger;
        auto window = std::make_unique<TMainForm>(&messenger);
        window->show();
        QApplication::processEvents();
        state.ResumeTiming();
        window->OpenDocument(file);
        ShowTable(*window);
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}

void Compute(benchmark::State& state, int points, int subgroupSize)
{
    const QString file = WriteDocument(points, subgroupSize);
    SilentMessenger messenger;
    TMainForm window(&messenger);
    window.show();
    window.OpenDocument(file);
    ShowTable(window);
    for (auto _ : state) {
        window.Compute();
        state.PauseTiming();
        window.Document().InvalidateResults();
        state.ResumeTiming();
    }
}

void GridScrollStep(benchmark::State& state, int points, int subgroupSize)
{
    const QString file = WriteDocument(points, subgroupSize);
    SilentMessenger messenger;
    TMainForm window(&messenger);
    window.show();
    window.OpenDocument(file);
    ShowTable(window);
    auto* bar = window.findChild<QScrollBar*>(QStringLiteral("ScrollBar2"));
    auto* grid = window.findChild<DataGridView*>(QStringLiteral("StringGrid1"));
    int position = 0;
    for (auto _ : state) {
        position = (position + 1) % 101;
        bar->setValue(position);
        grid->repaint();
    }
}

void ChartScrollStep(benchmark::State& state, int points, int subgroupSize)
{
    const QString file = WriteDocument(points, subgroupSize);
    SilentMessenger messenger;
    TMainForm window(&messenger);
    window.show();
    window.OpenDocument(file);
    window.Compute();
    window.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(TMainForm::ChartTabOffset);
    QScrollBar* bar = window.ChartView(0)->ScrollBar();
    int position = 0;
    for (auto _ : state) {
        position = (position + 50) % std::max(1, bar->maximum());
        bar->setValue(position);
        window.ChartView(0)->repaint();
    }
}

BENCHMARK_CAPTURE(Open, Individual1M, 1000000, 0)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(Open, Subgroups200k, 200000, 5)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(Compute, Individual1M, 1000000, 0)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(Compute, Subgroups200k, 200000, 5)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(GridScrollStep, Individual1M, 1000000, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(GridScrollStep, Subgroups200k, 200000, 5)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ChartScrollStep, Individual1M, 1000000, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ChartScrollStep, Subgroups200k, 200000, 5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--open-compute") == 0) {
        SilentMessenger messenger;
        TMainForm window(&messenger);
        window.show();
        const bool opened = window.OpenDocument(QString::fromLocal8Bit(argv[2]));
        ShowTable(window);
        window.Compute();
        QApplication::processEvents();
        return opened && window.Document().IsComputed() ? 0 : 1;
    }
    if (argc == 3 && std::strcmp(argv[1], "--write") == 0) {
        const int points = std::atoi(argv[2]);
        std::printf("%s\n", qPrintable(WriteDocument(points, 0)));
        std::printf("%s\n", qPrintable(WriteDocument(points / 5, 5)));
        return 0;
    }
    ::benchmark::Initialize(&argc, argv);
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}
