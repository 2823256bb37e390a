#include "presentation/ComputeFlow.h"

#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"

#include "presentation/MainWindowState.h"

#include <stdexcept>

namespace {

std::vector<QStringList> values(std::initializer_list<const char*> texts)
{
    std::vector<QStringList> rows;
    for (const char* t : texts)
        rows.push_back({ QString::fromUtf8(t) });
    return rows;
}

} // namespace

TEST(ComputeFlow, OutcomesOfTheComputeAndTheDrawing)
{
    enum class Table { Empty, Valid, Invalid, AlreadyComputed };
    struct Case {
        const char* name;
        Table table;
        int failingSlot; // the drawing of this slot gives up; -1: none does
        ComputeOutcome outcome;
        bool computedAfter;
        bool computedStepRuns;
        std::vector<int> drawn; // slots whose drawing ran to the end
        int messages; // the refused compute's message; the drawing says its own
    };
    const Case cases[] = {
        { "no table rows", Table::Empty, -1, ComputeOutcome::NothingToDo, false, false, {}, 0 },
        { "already computed", Table::AlreadyComputed, -1, ComputeOutcome::NothingToDo, true, false, {}, 0 },
        { "refused", Table::Invalid, -1, ComputeOutcome::Refused, false, true, {}, 1 },
        { "every page drawn", Table::Valid, -1, ComputeOutcome::Drawn, true, true, { 0, 1, 2, 3, 4, 5 }, 0 },
        { "first drawing gives up", Table::Valid, 0, ComputeOutcome::DrawingAborted, false, true, {}, 0 },
        { "a later drawing gives up", Table::Valid, 2, ComputeOutcome::DrawingAborted, false, true, { 0, 1 }, 0 },
    };
    for (const Case& c : cases) {
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        switch (c.table) {
        case Table::Empty:
            BuildDocument(doc, 0, { {} });
            break;
        case Table::Invalid:
            BuildDocument(doc, 0, { values({ "1", "x", "3" }) });
            break;
        case Table::Valid:
        case Table::AlreadyComputed:
            BuildDocument(doc, 0, { values({ "1", "2", "3" }), values({ "4", "5" }) });
            break;
        }
        if (c.table == Table::AlreadyComputed) {
            ASSERT_EQ(RunComputeAndDraw(doc, { {}, [](int) {} }), ComputeOutcome::Drawn);
        }
        EXPECT_EQ(ComputeWanted(doc), c.table == Table::Valid || c.table == Table::Invalid) << c.name;

        bool computedStep = false;
        bool computedWhenTold = false;
        std::vector<int> drawn;
        ComputeSteps steps;
        steps.computed = [&] {
            computedStep = true;
            computedWhenTold = doc.IsComputed();
        };
        steps.draw = [&](int slot) {
            // Every drawing sees the finished results.
            EXPECT_TRUE(doc.IsComputed() && doc.ResultsComplete()) << c.name << " slot " << slot;
            if (slot == c.failingSlot)
                throw std::runtime_error("the drawing gave up");
            drawn.push_back(slot);
        };
        EXPECT_EQ(RunComputeAndDraw(doc, steps), c.outcome) << c.name;
        EXPECT_EQ(doc.IsComputed(), c.computedAfter) << c.name;
        EXPECT_EQ(computedStep, c.computedStepRuns) << c.name;
        if (computedStep) {
            EXPECT_EQ(computedWhenTold, c.outcome != ComputeOutcome::Refused) << c.name;
        }
        EXPECT_EQ(drawn, c.drawn) << c.name;
        EXPECT_EQ(messenger.messages.size(), c.messages) << c.name;
        // An aborted drawing leaves no chart tab and no report behind.
        if (c.outcome == ComputeOutcome::DrawingAborted) {
            EXPECT_FALSE(MainWindowState(doc).PrintReportEnabled()) << c.name;
            EXPECT_FALSE(MainWindowState(doc).ChartTabVisible(0)) << c.name;
        }
    }
}
