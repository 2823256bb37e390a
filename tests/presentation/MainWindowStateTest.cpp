#include "presentation/MainWindowState.h"

#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"

#include "compute/ComputeDriver.h"

namespace {

std::vector<QStringList> points(int count, int columns)
{
    std::vector<QStringList> rows;
    for (int i = 0; i < count; ++i) {
        QStringList values;
        for (int c = 0; c < columns; ++c)
            values << QString::number(10 + (i * 7 + c * 3) % 5);
        rows.push_back(values);
    }
    return rows;
}

// subgroupSize 0: individual values.
void build(MeasurementDocument& doc, int subgroupSize)
{
    BuildDocument(doc, subgroupSize, { points(6, std::max(1, subgroupSize)), points(5, std::max(1, subgroupSize)) });
}

std::vector<bool> visibleTabs(const MeasurementDocument& doc)
{
    std::vector<bool> tabs;
    for (int slot = 0; slot < ChartSlotCount; ++slot)
        tabs.push_back(MainWindowState(doc).ChartTabVisible(slot));
    return tabs;
}

} // namespace

TEST(MainWindowState, TabCaptionsPerMode)
{
    struct Case {
        int subgroupSize;
        const char* captions[ChartSlotCount];
    };
    const Case cases[] = {
        { 0, { "Карта індивідуальних значень", "", "Карта ковзних розмахів", "", "", "" } },
        { 5,
            { "Карта середніх", "Карта медіан", "Карта вибіркових стандартних відхилень",
                "Карта відносних вибіркових відхилень", "Карта розмахів", "Карта відносних розмахів" } },
    };
    for (const Case& c : cases) {
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        build(doc, c.subgroupSize);
        const MainWindowState state(doc);
        for (int slot = 0; slot < ChartSlotCount; ++slot) {
            EXPECT_EQ(state.TabCaption(slot), QString::fromUtf8(c.captions[slot]))
                << "size " << c.subgroupSize << " slot " << slot;
            // The menu item takes the tab's caption, or "Карта n" where the mode has none.
            const QString item
                = *c.captions[slot] ? QString::fromUtf8(c.captions[slot]) : QStringLiteral("Карта %1").arg(slot + 1);
            EXPECT_EQ(state.ChartChoiceCaption(ChartChoice(slot)), item) << slot;
        }
        EXPECT_EQ(state.ChartChoiceCaption(N13), QStringLiteral("Виводити значення на графіках у нормованій формі"));
    }

    // Without a document every item is "Карта n".
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    for (int item = N11; item <= N61; ++item)
        EXPECT_EQ(MainWindowState(doc).ChartChoiceCaption(ChartChoice(item)), QStringLiteral("Карта %1").arg(item + 1));
}

TEST(MainWindowState, ChartTabsFollowModeChoicesAndACompleteCompute)
{
    struct Case {
        const char* name;
        int subgroupSize;
        std::array<bool, ChartChoiceCount> choices; // N11 .. N61, N13
        std::vector<bool> tabs;
    };
    const std::array<bool, ChartChoiceCount> defaults { true, true, true, false, true, false, false };
    const std::array<bool, ChartChoiceCount> all { true, true, true, true, true, true, false };
    const std::array<bool, ChartChoiceCount> none {};
    const Case cases[] = {
        { "individual, defaults", 0, defaults, { true, false, true, false, false, false } },
        { "individual, every choice", 0, all, { true, false, true, false, false, false } },
        { "individual, none", 0, none, { false, false, false, false, false, false } },
        { "subgroups, defaults", 5, defaults, { true, true, true, false, true, false } },
        { "subgroups, every choice", 5, all, { true, true, true, true, true, true } },
        { "subgroups of 11: no medians", 11, all, { true, false, true, true, true, true } },
        { "subgroups, none", 5, none, { false, false, false, false, false, false } },
    };
    for (const Case& c : cases) {
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        build(doc, c.subgroupSize);
        for (int i = 0; i < ChartChoiceCount; ++i)
            doc.SetChartSelection(ChartChoice(i), c.choices[size_t(i)]);
        EXPECT_EQ(visibleTabs(doc), std::vector<bool>(6, false)) << c.name << ": before the compute";
        EXPECT_FALSE(MainWindowState(doc).PrintReportEnabled()) << c.name;
        ASSERT_TRUE(RunComputeCommand(doc)) << c.name;
        EXPECT_EQ(visibleTabs(doc), c.tabs) << c.name;
        EXPECT_TRUE(MainWindowState(doc).PrintReportEnabled()) << c.name;
        doc.InvalidateResults();
        EXPECT_EQ(visibleTabs(doc), std::vector<bool>(6, false)) << c.name << ": after the results went";
        EXPECT_FALSE(MainWindowState(doc).PrintReportEnabled()) << c.name;
    }
}

TEST(MainWindowState, ChartTabsFollowAChoiceMadeAfterTheCompute)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    build(doc, 5);
    ASSERT_TRUE(RunComputeCommand(doc));
    doc.SetChartSelection(N41, true);
    doc.SetChartSelection(N11, false);
    EXPECT_EQ(visibleTabs(doc), (std::vector<bool> { false, true, true, true, true, false }));
}

TEST(MainWindowState, AComputeUnderWayShowsNoChartTabs)
{
    // The computed state comes first; the tabs wait until every group is computed, so a refused
    // compute never shows them behind its message.
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    build(doc, 0);
    doc.EnterComputedState();
    EXPECT_TRUE(MainWindowState(doc).PrintReportEnabled());
    EXPECT_EQ(visibleTabs(doc), std::vector<bool>(6, false));
    doc.SetResultsComplete(true);
    EXPECT_EQ(visibleTabs(doc), (std::vector<bool> { true, false, true, false, false, false }));
}

TEST(MainWindowState, CaptionsAndDataControlsPerMode)
{
    struct Case {
        const char* name;
        int subgroupSize; // -1: no document
        const char* label18;
        bool subgroupControls;
        bool spreadSeparator;
        bool medianChart;
        int elementsIndex;
        std::vector<ChartChoice> hiddenChoices;
    };
    const Case cases[] = {
        { "no document", -1, "", false, true, true, -2, { N21, N41, N51, N61 } },
        { "individual", 0, "Кількість елементів: 11", false, false, true, -2, { N21, N41, N51, N61 } },
        { "subgroups of 2", 2, "Кількість підгруп: 11", true, true, true, 0, {} },
        { "subgroups of 10", 10, "Кількість підгруп: 11", true, true, true, 8, {} },
        { "subgroups of 11", 11, "Кількість підгруп: 11", true, true, false, 9, {} },
    };
    for (const Case& c : cases) {
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        if (c.subgroupSize >= 0)
            build(doc, c.subgroupSize);
        const MainWindowState state(doc);
        EXPECT_EQ(state.Label18Caption(), QString::fromUtf8(c.label18)) << c.name;
        EXPECT_EQ(state.PagesVisible(), c.subgroupSize >= 0) << c.name;
        EXPECT_EQ(state.DocumentCommandsEnabled(), c.subgroupSize >= 0) << c.name;
        EXPECT_EQ(state.SubgroupControlsVisible(), c.subgroupControls) << c.name;
        EXPECT_EQ(state.SpreadSeparatorVisible(), c.spreadSeparator) << c.name;
        EXPECT_EQ(state.MedianChartEnabled(), c.medianChart) << c.name;
        EXPECT_EQ(state.ElementsComboIndex(), c.elementsIndex) << c.name;
        for (int i = 0; i < ChartChoiceCount; ++i) {
            const auto item = ChartChoice(i);
            const bool hidden
                = std::find(c.hiddenChoices.begin(), c.hiddenChoices.end(), item) != c.hiddenChoices.end();
            // Before the first document the items follow the mode the reader starts from.
            EXPECT_EQ(state.ChartChoiceVisible(item), !hidden) << c.name << " item " << i;
        }
    }
}

TEST(MainWindowState, WindowCaptionNamesTheFile)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    EXPECT_EQ(MainWindowState(doc).WindowCaption(), QStringLiteral("Мерідан"));
    doc.SetFileName(QStringLiteral("дані/проба.mrd"));
    EXPECT_EQ(MainWindowState(doc).WindowCaption(), QStringLiteral("Мерідан - дані/проба.mrd"));
    doc.SetFileName(QStringLiteral("   "));
    EXPECT_EQ(MainWindowState(doc).WindowCaption(), QStringLiteral("Мерідан"));
}
