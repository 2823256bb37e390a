// What the analyst waits for on a chart page of a large computed document: one edit in the group
// box (the model edit, the refill of the box and the redraw of the chart pages) and one step of a
// chart scroll bar. Documents of 1,000,000 individual values and of 200,000 subgroups of 5, each
// in ten groups; the target of every step is one frame, 16 ms.
#include "BenchDocuments.h"
#include "compute/ComputeDriver.h"
#include "model/MeasurementDocument.h"
#include "model/Messenger.h"
#include "paint/ChartPage.h"
#include "ui/ChartPageView.h"
#include "ui/GroupHandlingBox.h"
#include "ui/Hints.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QScrollBar>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>
#include <random>

namespace {

constexpr int groupCount = 10;

// A computed document of `points` points in ten equal groups, values with three decimals.
std::unique_ptr<MeasurementDocument> MakeDocument(Messenger& messenger, int points, int subgroupSize)
{
    auto doc = std::make_unique<MeasurementDocument>(messenger);
    FillBenchDocument(*doc, points, subgroupSize, groupCount);
    if (!RunComputeCommand(*doc))
        abort();
    return doc;
}

// The chart pages and the group box of one document, as the main window holds them.
struct Screen {
    SilentMessenger messenger;
    std::unique_ptr<MeasurementDocument> doc;
    Hints hints;
    std::vector<std::unique_ptr<ChartPageView>> pages;
    std::unique_ptr<GroupHandlingBox> box;

    Screen(int points, int subgroupSize)
        : doc(MakeDocument(messenger, points, subgroupSize))
    {
        for (int slot = 0; slot < ChartSlotCount; ++slot) {
            pages.push_back(std::make_unique<ChartPageView>(*doc, slot));
            if (SlotInUse(*doc, slot)) {
                pages.back()->UpdateScrollRange();
                pages.back()->Redraw();
            }
        }
        box = std::make_unique<GroupHandlingBox>(*doc, hints);
        box->ShowSlot(0);
    }
};

// Emptied before the application ends: widgets must not outlive it.
std::map<std::pair<int, int>, std::unique_ptr<Screen>>& Screens()
{
    static std::map<std::pair<int, int>, std::unique_ptr<Screen>> screens;
    return screens;
}

Screen& Cached(int points, int subgroupSize)
{
    auto& screen = Screens()[{ points, subgroupSize }];
    if (!screen)
        screen = std::make_unique<Screen>(points, subgroupSize);
    return *screen;
}

// One typed centre line confirmed with Enter; the window redraws the visible page, or every page
// of the redraw set (pages 0 and 2; with subgroups also 1, 3, 4 and 5).
void GroupBoxEdit(benchmark::State& state, int points, int subgroupSize, bool wholeRedrawSet)
{
    Screen& screen = Cached(points, subgroupSize);
    auto* check = screen.box->findChild<QCheckBox*>(QStringLiteral("MiddleCheckBox"));
    auto* edit = screen.box->findChild<QLineEdit*>(QStringLiteral("MiddleEdit"));
    if (check->isChecked())
        check->click(); // a fixed centre line takes typed values
    const QMetaObject::Connection redraw
        = QObject::connect(screen.box.get(), &GroupHandlingBox::linesChanged, [&screen, wholeRedrawSet] {
              for (const auto& page : screen.pages) {
                  if ((wholeRedrawSet || page->Slot() == 0) && SlotInUse(*screen.doc, page->Slot()))
                      page->Redraw();
              }
          });
    int i = 0;
    for (auto _ : state) {
        edit->setText(i++ % 2 ? QStringLiteral("50.1") : QStringLiteral("49.9"));
        edit->setModified(true);
        screen.box->MiddleEditKeyDown(Qt::Key_Return);
    }
    QObject::disconnect(redraw);
}

// One small step of the chart scroll bar in the middle of the chart.
void ScrollStep(benchmark::State& state, int points, int subgroupSize)
{
    Screen& screen = Cached(points, subgroupSize);
    QScrollBar* bar = screen.pages[0]->ScrollBar();
    bar->setValue(bar->maximum() / 2);
    int i = 0;
    for (auto _ : state)
        bar->triggerAction(i++ % 2 ? QAbstractSlider::SliderSingleStepSub : QAbstractSlider::SliderSingleStepAdd);
}

void BM_GroupBoxEdit_MillionValues_VisiblePage(benchmark::State& state)
{
    GroupBoxEdit(state, 1'000'000, 0, false);
}
void BM_GroupBoxEdit_MillionValues_RedrawSet(benchmark::State& state)
{
    GroupBoxEdit(state, 1'000'000, 0, true);
}
void BM_GroupBoxEdit_200kSubgroupsOf5_VisiblePage(benchmark::State& state)
{
    GroupBoxEdit(state, 200'000, 5, false);
}
void BM_GroupBoxEdit_200kSubgroupsOf5_RedrawSet(benchmark::State& state)
{
    GroupBoxEdit(state, 200'000, 5, true);
}
void BM_ChartScrollStep_MillionValues(benchmark::State& state)
{
    ScrollStep(state, 1'000'000, 0);
}
void BM_ChartScrollStep_200kSubgroupsOf5(benchmark::State& state)
{
    ScrollStep(state, 200'000, 5);
}

} // namespace

BENCHMARK(BM_GroupBoxEdit_MillionValues_VisiblePage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GroupBoxEdit_MillionValues_RedrawSet)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GroupBoxEdit_200kSubgroupsOf5_VisiblePage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GroupBoxEdit_200kSubgroupsOf5_RedrawSet)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChartScrollStep_MillionValues)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChartScrollStep_200kSubgroupsOf5)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Screens().clear();
    return 0;
}
