// The table operations as the analyst runs them: the data page's buttons on a main window (offscreen)
// that shows a document of a million individual values in ten groups, each operation timed with the
// grids' refresh (the events and the painting that follow it). Each is undone outside the timing.
#include "model/MeasurementDocument.h"
#include "model/Messenger.h"
#include "ui/MainForm.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <benchmark/benchmark.h>
#include <random>

namespace {

constexpr int GroupCount = 10;
constexpr int Points = 1'000'000;

// Says nothing and agrees to every question (the removal of the last points asks first).
class AgreeingMessenger final : public Messenger {
public:
    void ShowMessage(const QString&) override { }
    bool AskYesNo(const QString&) override { return true; }
};

void FillDocument(MeasurementDocument& doc)
{
    const int perGroup = Points / GroupCount;
    std::vector<bool> flags;
    for (int g = 0; g < GroupCount; ++g) {
        if (g > 0)
            flags.push_back(true);
        flags.insert(flags.end(), size_t(perGroup), false);
    }
    flags.push_back(true);
    doc.StoreIndividualMode(true);
    doc.SetPointCount(Points);
    doc.StoreGroupCount(GroupCount);
    doc.SetSeparatorFlags(flags);
    doc.SetMode(true);
    doc.SetGroupCount(GroupCount);
    std::mt19937 random(42);
    std::normal_distribution<double> value(50.0, 2.0);
    for (int row = 1; row <= doc.TableRowCount(); ++row) {
        const bool separator = flags[size_t(row - 1)];
        doc.SetDateText(row, separator ? MeasurementDocument::SeparatorLine() : QStringLiteral("01.02.2024"));
        doc.SetValueText(
            row, 0, separator ? MeasurementDocument::SeparatorLine() : QString::number(value(random), 'f', 3));
    }
    doc.ClearChanged();
}

TMainForm& Window()
{
    static AgreeingMessenger messenger;
    // Never destroyed: it must not outlive the application object at exit.
    static TMainForm* window = [] {
        auto* form = new TMainForm(&messenger);
        FillDocument(form->Document());
        form->DocumentReplaced();
        form->show();
        form->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(TMainForm::DataTab);
        QApplication::processEvents();
        return form;
    }();
    return *window;
}

// Types text into the edit, presses the button and lets the window refresh.
// The data page's operations; the names Button1 and Button2 recur in the window's dialogs.
QWidget* controls(TMainForm& window)
{
    return window.findChild<QWidget*>(QStringLiteral("TableEditControls"));
}

void Run(int button, int edit, const char* text)
{
    TMainForm& window = Window();
    controls(window)
        ->findChild<QLineEdit*>(QStringLiteral("Edit") + QString::number(edit))
        ->setText(QLatin1String(text));
    controls(window)->findChild<QPushButton*>(QStringLiteral("Button") + QString::number(button))->click();
    QApplication::processEvents();
}

void Expect(benchmark::State& state, int points)
{
    if (Window().Document().PointCount() != points)
        state.SkipWithError("the operation did not happen");
}

void InsertPointWithRefresh(benchmark::State& state)
{
    for (auto _ : state) {
        Run(2, 13, "5");
        state.PauseTiming();
        Expect(state, Points + 1);
        Run(1, 6, "5");
        state.ResumeTiming();
    }
}

void DeletePointWithRefresh(benchmark::State& state)
{
    for (auto _ : state) {
        Run(1, 6, "5");
        state.PauseTiming();
        Expect(state, Points - 1);
        Run(2, 13, "5");
        state.ResumeTiming();
    }
}

void InsertSeparatorWithRefresh(benchmark::State& state)
{
    for (auto _ : state) {
        Run(4, 15, "5");
        state.PauseTiming();
        Run(3, 14, "1");
        state.ResumeTiming();
    }
}

void DeleteSeparatorWithRefresh(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        Run(4, 15, "5");
        state.ResumeTiming();
        Run(3, 14, "1");
    }
}

void AppendThousandWithRefresh(benchmark::State& state)
{
    for (auto _ : state) {
        Run(6, 16, "1000");
        state.PauseTiming();
        Expect(state, Points + 1000);
        Run(7, 17, "1000");
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(InsertPointWithRefresh)->Unit(benchmark::kMillisecond);
BENCHMARK(DeletePointWithRefresh)->Unit(benchmark::kMillisecond);
BENCHMARK(InsertSeparatorWithRefresh)->Unit(benchmark::kMillisecond);
BENCHMARK(DeleteSeparatorWithRefresh)->Unit(benchmark::kMillisecond);
BENCHMARK(AppendThousandWithRefresh)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Window(); // the document and the window are built before any timing
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
