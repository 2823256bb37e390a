#include "presentation/GroupBoxState.h"

#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"

#include "actions/GroupSettings.h"
#include "compute/ComputeDriver.h"
#include "model/Numbers.h"

namespace {

// Two groups of points with values 10 .. 14; subgroupSize 0: individual values.
void buildComputed(MeasurementDocument& doc, int subgroupSize)
{
    const int columns = std::max(1, subgroupSize);
    std::vector<QStringList> rows;
    for (int i = 0; i < 8; ++i) {
        QStringList values;
        for (int c = 0; c < columns; ++c)
            values << QString::number(10 + (i * 3 + c) % 5);
        rows.push_back(values);
    }
    BuildDocument(doc, subgroupSize, { rows, rows });
    doc.SetUnits(QStringLiteral("мг/л"));
    ASSERT_TRUE(RunComputeCommand(doc));
}

} // namespace

TEST(GroupBoxState, EditsShownPerModeSlotAndSigmaSetting)
{
    struct Case {
        const char* name;
        int subgroupSize; // 0: individual
        int slot;
        bool sigmaFixed;
        // What shows: SigmaCheckBox, SigmaEdit with Label4, SigmaEdit2 with Label5, RadioGroup1.
        bool sigmaCheck, sigma, sigmaPercent, radio;
        const char* middleUnits; // Label3
    };
    const Case cases[] = {
        { "individual, values", 0, SlotCentre, false, true, true, true, false, "мг/л" },
        { "individual, values, sigma fixed", 0, SlotCentre, true, true, true, true, false, "мг/л" },
        { "individual, moving ranges", 0, SlotDeviation, false, true, true, true, false, "мг/л" },
        { "subgroups, means", 5, SlotCentre, false, true, true, true, true, "мг/л" },
        { "subgroups, means, sigma fixed", 5, SlotCentre, true, true, true, true, false, "мг/л" },
        { "subgroups, medians", 5, SlotMedians, false, false, false, false, false, "мг/л" },
        { "subgroups, medians, sigma fixed", 5, SlotMedians, true, false, false, false, false, "мг/л" },
        { "subgroups, deviations", 5, SlotDeviation, false, true, true, true, false, "мг/л" },
        { "subgroups, relative deviations", 5, SlotRelDeviation, false, true, false, true, false, "%" },
        { "subgroups, ranges", 5, SlotRanges, true, true, true, true, false, "мг/л" },
        { "subgroups, relative ranges", 5, SlotRelRanges, true, true, false, true, false, "%" },
    };
    for (const Case& c : cases) {
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        buildComputed(doc, c.subgroupSize);
        if (c.sigmaFixed) {
            ASSERT_TRUE(SigmaCheckBoxClick(doc, c.slot, false)) << c.name;
        }
        GroupBoxState state;
        ASSERT_TRUE(GroupBoxStateFor(doc, c.slot, state)) << c.name;
        EXPECT_EQ(state.SigmaCheckVisible, c.sigmaCheck) << c.name;
        EXPECT_EQ(state.Sigma.Visible, c.sigma) << c.name;
        EXPECT_EQ(state.SigmaPercent.Visible, c.sigmaPercent) << c.name;
        EXPECT_EQ(state.RadioGroupVisible, c.radio) << c.name;
        EXPECT_EQ(state.MiddleUnits, QString::fromUtf8(c.middleUnits)) << c.name;
        EXPECT_EQ(state.SigmaUnits, QStringLiteral("мг/л")) << c.name;
        EXPECT_TRUE(state.Middle.Visible) << c.name;
        // A fixed setting takes typing, an automatic one only shows its value.
        EXPECT_EQ(state.SigmaAutomatic, !c.sigmaFixed) << c.name;
        EXPECT_EQ(state.Sigma.ReadOnly, !c.sigmaFixed) << c.name;
        EXPECT_EQ(state.SigmaPercent.ReadOnly, !c.sigmaFixed) << c.name;
        EXPECT_EQ(state.Sigma.Colour(), c.sigmaFixed ? QColor(Qt::white) : QColor(200, 200, 200)) << c.name;
    }
}

TEST(GroupBoxState, CentreLineSwitchTextsAndLooks)
{
    struct Case {
        const char* name;
        int subgroupSize;
        int slot;
        bool middleFixed;
        const char* caption;
    };
    const Case cases[] = {
        { "individual, values", 0, SlotCentre, false, "Автоматично обчислювати середнє:" },
        { "individual, values fixed", 0, SlotCentre, true, "Автоматично обчислювати середнє:" },
        { "individual, moving ranges", 0, SlotDeviation, false, "Автоматично обчислювати середній ковзний розмах:" },
        { "subgroups, medians fixed", 5, SlotMedians, true, "Автоматично обчислювати середню медіану:" },
        { "subgroups, relative ranges", 5, SlotRelRanges, false, "Автоматично обчислювати середній відносний розмах:" },
    };
    for (const Case& c : cases) {
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        buildComputed(doc, c.subgroupSize);
        if (c.middleFixed) {
            ASSERT_TRUE(MiddleCheckBoxClick(doc, c.slot, false)) << c.name;
        }
        GroupBoxState state;
        ASSERT_TRUE(GroupBoxStateFor(doc, c.slot, state)) << c.name;
        EXPECT_EQ(state.MiddleCaption, QString::fromUtf8(c.caption)) << c.name;
        EXPECT_EQ(state.MiddleAutomatic, !c.middleFixed) << c.name;
        EXPECT_EQ(state.Middle.ReadOnly, !c.middleFixed) << c.name;
        EXPECT_FALSE(state.Middle.Text.isEmpty()) << c.name;
        EXPECT_EQ(state.Middle.Colour(), c.middleFixed ? QColor(Qt::white) : QColor(200, 200, 200)) << c.name;
    }
}

TEST(GroupBoxState, TextsFollowTheSelectedGroupAndItsPrecision)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    buildComputed(doc, 0);
    ASSERT_TRUE(SigmaCheckBoxClick(doc, SlotCentre, false));
    ASSERT_TRUE(SigmaEditSubmit(doc, SlotCentre, QStringLiteral("0,125")));
    GroupBoxState state;
    ASSERT_TRUE(GroupBoxStateFor(doc, SlotCentre, state));
    EXPECT_EQ(state.Sigma.Text, QStringLiteral("0,125")); // the typed decimals raise the precision
    const TIndividualInfo& group = doc.Groups()[0];
    EXPECT_EQ(state.Middle.Text, FormatFixed(group.CentreSetting.Value, doc.DisplayPrecision()));
    EXPECT_EQ(state.SigmaPercent.Text, FormatFixed(SigmaPercent(group), doc.DisplayPrecision()));

    // The sample deviation is the default basis of the means' limits.
    RecordingMessenger messenger2;
    MeasurementDocument subgroups(messenger2);
    buildComputed(subgroups, 4);
    ASSERT_TRUE(GroupBoxStateFor(subgroups, SlotCentre, state));
    const int defaultItem = subgroups.Groups()[0].UseSampleDeviation ? 0 : 1;
    EXPECT_EQ(state.RadioItem, defaultItem);
    ASSERT_TRUE(RadioGroup1Click(subgroups, SlotCentre, 1 - defaultItem));
    ASSERT_TRUE(GroupBoxStateFor(subgroups, SlotCentre, state));
    EXPECT_EQ(state.RadioItem, 1 - defaultItem);

    // No valid group on the slot: nothing to show.
    subgroups.SetSelectedGroup(SlotCentre, 7);
    GroupBoxState untouched;
    untouched.MiddleCaption = QStringLiteral("unchanged");
    EXPECT_FALSE(GroupBoxStateFor(subgroups, SlotCentre, untouched));
    EXPECT_EQ(untouched.MiddleCaption, QStringLiteral("unchanged"));
}

TEST(GroupBoxState, EmptyStateHasReadOnlyEditsAndBothSwitchesTicked)
{
    for (int size : { 0, 5 }) {
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        BuildDocument(doc, size, { { QStringList(std::max(1, size), QStringLiteral("1")) } });
        doc.SetUnits(QStringLiteral(" г "));
        const GroupBoxState state = EmptyGroupBoxState(doc);
        EXPECT_EQ(state.MiddleCaption, QStringLiteral("Автоматично обчислювати середнє:")) << size;
        EXPECT_TRUE(state.MiddleAutomatic);
        EXPECT_TRUE(state.SigmaAutomatic);
        EXPECT_EQ(state.MiddleUnits, QStringLiteral("г")) << size;
        EXPECT_EQ(state.SigmaUnits, QStringLiteral("г")) << size;
        EXPECT_FALSE(state.RadioGroupVisible);
        for (const SettingEditState* edit : { &state.Middle, &state.Sigma, &state.SigmaPercent }) {
            EXPECT_TRUE(edit->ReadOnly);
            EXPECT_TRUE(edit->Text.isEmpty());
            EXPECT_EQ(edit->Colour(), QColor(200, 200, 200));
        }
    }
}

// The line under the analyses counts the selected group's points kept out of its limits, on every
// page of both modes, and is empty for a group without any.
TEST(GroupBoxState, ExcludedPointsLineFollowsTheSelectedGroup)
{
    struct Case {
        const char* name;
        int subgroupSize; // 0: individual
        std::vector<int> excludedRows; // rows 1-8 group 0, 9 the separator, 10-17 group 1
        QString first; // group 0
        QString second; // group 1
    };
    const Case cases[] = {
        { "none", 0, {}, {}, {} },
        { "individual, one in the second group", 0, { 12 }, {}, "виключено з обчислення меж: 1 точка" },
        { "individual, both groups", 0, { 1, 2, 3, 16 }, "виключено з обчислення меж: 3 точки",
            "виключено з обчислення меж: 1 точка" },
        { "subgroups", 5, { 4, 5 }, "виключено з обчислення меж: 2 точки", {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        buildComputed(doc, c.subgroupSize);
        PointNote note;
        note.ExcludeReason = QStringLiteral("збій");
        for (int row : c.excludedRows)
            doc.SetPointNote(row, note);
        ASSERT_TRUE(RunComputeCommand(doc));
        for (int slot = 0; slot < ChartSlotCount; ++slot) {
            if (c.subgroupSize == 0 && slot != SlotCentre && slot != SlotDeviation)
                continue;
            SCOPED_TRACE(slot);
            GroupBoxState state;
            ASSERT_TRUE(GroupBoxStateFor(doc, slot, state));
            EXPECT_EQ(state.ExcludedText, c.first);
            doc.SetSelectedGroup(slot, 1);
            ASSERT_TRUE(GroupBoxStateFor(doc, slot, state));
            EXPECT_EQ(state.ExcludedText, c.second);
        }
    }
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    EXPECT_TRUE(EmptyGroupBoxState(doc).ExcludedText.isEmpty());
}
