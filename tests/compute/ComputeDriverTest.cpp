#include "common/StatisticsTestSupport.h"

#include "compute/ComputeDriver.h"
#include "presentation/MainWindowState.h"

namespace {

const QString invalidData = QStringLiteral("Некоректні дані! Неможливо провести обчислення");
const QString normalised = QStringLiteral(
    "Точність задання чисел перевищила критичний рівень! На картах всі результати будуть відображатися у нормованій "
    "формі!");

std::vector<bool> VisibleTabs(const MeasurementDocument& doc)
{
    std::vector<bool> tabs;
    for (int slot = 0; slot < ChartSlotCount; ++slot)
        tabs.push_back(MainWindowState(doc).ChartTabVisible(slot));
    return tabs;
}

} // namespace

TEST(ComputeDocument, WalksEveryGroup)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, 0, { Values({ 1, 2, 3 }), Values({ 4, 5 }), Values({ 6, 7, 8, 9 }) });
    for (int slot = 0; slot < ChartSlotCount; ++slot)
        doc.SetSelectedGroup(slot, 2);
    ASSERT_TRUE(RunComputeCommand(doc));
    EXPECT_TRUE(doc.IsComputed());
    EXPECT_TRUE(messenger.messages.isEmpty());
    EXPECT_EQ(doc.GroupList(), (QStringList { "1-3", "4-5", "6-9" }));
    EXPECT_EQ(doc.PointGroup(), (std::vector<int> { 0, 0, 0, 1, 1, 2, 2, 2, 2 }));
    ASSERT_EQ(doc.PointDates().size(), 9);
    EXPECT_EQ(doc.PointDates()[3], doc.DateText(5)); // the separator row is skipped
    EXPECT_EQ(doc.SelectedGroup(), (std::array<int, ChartSlotCount> {}));
    EXPECT_EQ(VisibleTabs(doc), (std::vector<bool> { true, false, true, false, false, false }));
    EXPECT_TRUE(MainWindowState(doc).PrintReportEnabled());
    EXPECT_EQ(doc.Groups()[2].GrandMean, 7.5);
    EXPECT_EQ(doc.Groups()[2].FirstRow, 8);
    // Computing again in the computed state does nothing.
    EXPECT_TRUE(RunComputeCommand(doc));
    EXPECT_EQ(doc.RowCount(), 1 + 11 + 1);
}

TEST(ComputeDocument, StopsAtTheFirstFailingGroup)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, 0, { Values({ 1, 2, 3 }), Points({ { "4" }, { "x" } }), Values({ 6, 7 }) });
    EXPECT_FALSE(RunComputeCommand(doc));
    EXPECT_FALSE(doc.IsComputed());
    EXPECT_EQ(messenger.messages, QStringList { invalidData });
    EXPECT_EQ(doc.GroupList(), (QStringList { "1-3", "4-5" }));
    EXPECT_EQ(VisibleTabs(doc), std::vector<bool>(6, false));
    EXPECT_FALSE(MainWindowState(doc).PrintReportEnabled());
    EXPECT_EQ(doc.Groups()[0].GrandMean, 2); // the groups before keep their statistics
    EXPECT_EQ(doc.Groups()[2].GroupPointCount, 0); // never walked
    for (int row = 1; row < doc.RowCount(); ++row)
        EXPECT_TRUE(doc.IsSeparatorRow(row) || doc.ResultText(row, 0).isEmpty()) << row;
}

TEST(ComputeDocument, ChartTabsFollowTheChoices)
{
    struct Case {
        const char* name;
        int k;
        std::vector<std::pair<ChartChoice, bool>> choices;
        std::vector<bool> tabs;
    };
    const Case cases[] = {
        { "individual defaults", 0, {}, { true, false, true, false, false, false } },
        { "individual ignores subgroup charts", 0, { { N41, true }, { N61, true }, { N11, false } },
            { false, false, true, false, false, false } },
        { "subgroup defaults", 3, {}, { true, true, true, false, true, false } },
        { "subgroup all", 3, { { N41, true }, { N61, true } }, { true, true, true, true, true, true } },
        { "median hidden above ten", 11, {}, { true, false, true, false, true, false } },
        { "median shown at ten", 10, {}, { true, true, true, false, true, false } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        QStringList a;
        QStringList b;
        for (int i = 0; i < std::max(1, c.k); ++i) {
            a << QString::number(10 + i);
            b << QString::number(12 + 2 * i);
        }
        BuildDocument(doc, c.k, { { a, b } });
        for (const auto& [item, checked] : c.choices)
            doc.SetChartSelection(item, checked);
        ASSERT_TRUE(RunComputeCommand(doc));
        EXPECT_EQ(VisibleTabs(doc), c.tabs);
    }
}

TEST(ComputeDocument, PrecisionAndNormalisedDisplay)
{
    struct Case {
        const char* name;
        QString decimals;
        int precision;
        bool message;
    };
    const Case cases[] = {
        { "six decimals", "1.123456", 6, false },
        { "seven decimals", "1.1234567", 7, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        BuildDocument(doc, 0, { { { c.decimals }, { "2" } } });
        doc.SetChartSelection(N13, true);
        ASSERT_TRUE(RunComputeCommand(doc));
        EXPECT_EQ(doc.DisplayPrecision(), c.precision);
        EXPECT_EQ(MainWindowState(doc).NormalisedChoiceEnabled(), !c.message);
        EXPECT_EQ(doc.ChartSelection(N13), c.message);
        EXPECT_EQ(messenger.messages, c.message ? QStringList { normalised } : QStringList());
    }
}

TEST(ComputeDocument, NothingToCompute)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, 0, {});
    EXPECT_FALSE(RunComputeCommand(doc));
    EXPECT_FALSE(doc.IsComputed());
    EXPECT_TRUE(messenger.messages.isEmpty());
    EXPECT_TRUE(doc.GroupList().isEmpty());
}

// Montgomery, Introduction to Statistical Quality Control (piston-ring inside diameters, trial
// samples 1 to 25, subgroups of 5). The book prints 74.001, 0.023, 73.988, 74.014 and 0.049 from a
// rounded R-bar; the figures below are the same computation unrounded, compared to 7 or more
// significant digits, with the factor table's A2 = 0.577, A3 = 1.427 and D4 = 2.114.
TEST(ComputeDocument, PistonRingsReference)
{
    std::vector<QStringList> rows = ReadReferenceCsv(QStringLiteral("qcc_pistonrings.csv"));
    ASSERT_EQ(rows.size(), 40u);
    rows.resize(25);
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, 5, { rows });
    EditGroup(doc, 0, [&](TIndividualInfo& record) { record.UseSampleDeviation = false; });
    ASSERT_TRUE(RunComputeCommand(doc));
    const TIndividualInfo& g = doc.Groups()[0];
    EXPECT_TRUE(FuzzyCompare(g.GrandMean, 74.001176, 1e-8));
    EXPECT_TRUE(FuzzyCompare(g.MeanRange, 0.02276, 1e-8));
    EXPECT_TRUE(FuzzyCompare(g.Lines[SlotCentre].Lower, 73.988043, 1e-8));
    EXPECT_TRUE(FuzzyCompare(g.Lines[SlotCentre].Upper, 74.014309, 1e-8));
    EXPECT_TRUE(FuzzyCompare(g.Lines[SlotRanges].Upper, 0.048115, 1e-5));
    EXPECT_EQ(g.Lines[SlotRanges].Lower, 0);
    EXPECT_TRUE(FuzzyCompare(g.MeanDeviation, 0.0092400, 1e-4));
    EXPECT_EQ(doc.DisplayPrecision(), 3);

    EditGroup(doc, 0, [&](TIndividualInfo& record) { record.UseSampleDeviation = true; });
    RecomputeForDisplay(doc, 0);
    EXPECT_TRUE(FuzzyCompare(g.Lines[SlotCentre].Lower, 73.987990, 1e-8));
    EXPECT_TRUE(FuzzyCompare(g.Lines[SlotCentre].Upper, 74.014362, 1e-8));
}
