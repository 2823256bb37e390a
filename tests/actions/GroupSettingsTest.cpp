#include "common/StatisticsTestSupport.h"

#include "actions/GroupSettings.h"
#include "compute/ComputeDriver.h"

namespace {

const QString notANumber = QStringLiteral("Некоректно задане число!");
const QString notPositive = QStringLiteral("Значення має бути додатнім!");

// A computed individual-values document of one group: 10, 12, 11 (mean 11, MR-bar 1.5).
void ComputedIndividual(MeasurementDocument& doc)
{
    BuildDocument(doc, 0, { Values({ 10, 12, 11 }) });
    ASSERT_TRUE(RunComputeCommand(doc));
}

} // namespace

TEST(GroupSettings, TypedValues)
{
    struct Case {
        const char* name;
        QString text;
        bool accepted;
        QString message;
        double value; // the centre setting afterwards
        int precision;
    };
    const Case cases[] = {
        { "zero", "0", false, notPositive, 30, 1 },
        { "negative", "-5", false, notPositive, 30, 1 },
        { "not a number", "abc", false, notANumber, 30, 1 },
        { "empty", "", false, notANumber, 30, 1 },
        { "refused text still raises the precision", "12.12345a", false, notANumber, 30, 6 },
        { "comma", "12,125", true, QString(), 12.125, 3 },
        { "blanks around", " 14.5 ", true, QString(), 14.5, 1 },
        { "integer", "15", true, QString(), 15, 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        ComputedIndividual(doc);
        ASSERT_TRUE(MiddleCheckBoxClick(doc, SlotCentre, false));
        ASSERT_TRUE(MiddleEditSubmit(doc, SlotCentre, QStringLiteral("30")));
        EXPECT_EQ(MiddleEditSubmit(doc, SlotCentre, c.text), c.accepted);
        EXPECT_EQ(messenger.messages, c.message.isEmpty() ? QStringList() : QStringList { c.message });
        const TIndividualInfo& g = doc.Groups()[0];
        EXPECT_EQ(g.CentreSetting.Value, c.value);
        EXPECT_EQ(g.Lines[SlotCentre].Centre, c.value); // the group was recomputed
        EXPECT_EQ(doc.DisplayPrecision(), c.precision);
    }
}

TEST(GroupSettings, AutomaticSettingsIgnoreTypedValues)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    ComputedIndividual(doc);
    EXPECT_FALSE(MiddleEditSubmit(doc, SlotCentre, QStringLiteral("20")));
    EXPECT_FALSE(SigmaEditSubmit(doc, SlotCentre, QStringLiteral("20")));
    EXPECT_FALSE(SigmaEdit2Submit(doc, SlotCentre, QStringLiteral("20")));
    EXPECT_EQ(doc.Groups()[0].CentreSetting.Value, 11);
    EXPECT_TRUE(messenger.messages.isEmpty());
    // Individual values have no setting on the slots of the subgroup charts.
    EXPECT_FALSE(MiddleCheckBoxClick(doc, SlotRanges, false));
    EXPECT_EQ(MiddleCaption(true, SlotRanges), QString());
    EXPECT_EQ(MiddleCaption(true, SlotDeviation), QStringLiteral("Автоматично обчислювати середній ковзний розмах:"));
}

TEST(GroupSettings, SigmaEdits)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, 2, { Points({ { "49", "51" }, { "50", "50" }, { "48", "52" } }) });
    ASSERT_TRUE(RunComputeCommand(doc));
    const TIndividualInfo& g = doc.Groups()[0];
    const double sBar = g.MeanDeviation;
    // Fixing sigma starts from s-bar even on the range basis.
    ASSERT_TRUE(RadioGroup1Click(doc, SlotCentre, 1));
    EXPECT_FALSE(g.UseSampleDeviation);
    EXPECT_EQ(g.SigmaSetting.Value, g.MeanRange);
    ASSERT_TRUE(SigmaCheckBoxClick(doc, SlotDeviation, false));
    EXPECT_TRUE(g.SigmaSetting.Fixed);
    EXPECT_EQ(g.SigmaSetting.Value, sBar);
    // 10 % of the centre line 50.
    ASSERT_TRUE(SigmaEdit2Submit(doc, SlotCentre, QStringLiteral("10")));
    EXPECT_EQ(g.SigmaSetting.Value, 5);
    EXPECT_EQ(SigmaPercent(g), 10);
    EXPECT_TRUE(Near(g.Lines[SlotCentre].Upper, 50 + 2.121 * 5, 1e-14));
    EXPECT_FALSE(SigmaEdit2Submit(doc, SlotCentre, QStringLiteral("-1")));
    EXPECT_FALSE(SigmaEditSubmit(doc, SlotCentre, QStringLiteral("x")));
    EXPECT_EQ(messenger.messages, (QStringList { notPositive, notANumber }));
    EXPECT_EQ(g.SigmaSetting.Value, 5);
    ASSERT_TRUE(SigmaEditSubmit(doc, SlotCentre, QStringLiteral("2,5")));
    EXPECT_EQ(g.SigmaSetting.Value, 2.5);
    // Back to automatic: sigma follows the basis again.
    ASSERT_TRUE(SigmaCheckBoxClick(doc, SlotCentre, true));
    EXPECT_EQ(g.SigmaSetting.Value, g.MeanRange);
}

TEST(GroupSettings, PercentOfACentreLineAtOrBelowZero)
{
    TIndividualInfo g(false);
    g.CentreSetting = { true, 0 };
    g.SigmaSetting = { true, 2e-6 };
    EXPECT_EQ(SigmaPercent(g), 200);
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, 2, { Points({ { "-49", "-51" }, { "-50", "-50" } }) });
    ASSERT_TRUE(RunComputeCommand(doc));
    ASSERT_TRUE(SigmaCheckBoxClick(doc, SlotCentre, false));
    // The centre line is -50: sigma is taken from the 1e-6 floor and stays positive.
    ASSERT_TRUE(SigmaEdit2Submit(doc, SlotCentre, QStringLiteral("50")));
    EXPECT_TRUE(Near(doc.Groups()[0].SigmaSetting.Value, 5e-7, 1e-14));
}

TEST(GroupSettings, EditsApplyToTheSelectedGroupOfTheSlot)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, 0, { Values({ 10, 12, 11 }), Values({ 20, 22, 21 }) });
    ASSERT_TRUE(RunComputeCommand(doc));
    doc.SetSelectedGroup(SlotDeviation, 1);
    ASSERT_TRUE(MiddleCheckBoxClick(doc, SlotDeviation, false));
    ASSERT_TRUE(MiddleEditSubmit(doc, SlotDeviation, QStringLiteral("4")));
    EXPECT_FALSE(doc.Groups()[0].RangeCentreSetting.Fixed);
    EXPECT_TRUE(doc.Groups()[1].RangeCentreSetting.Fixed);
    EXPECT_EQ(doc.Groups()[1].Lines[SlotDeviation].Centre, 4);
    EXPECT_EQ(doc.Groups()[1].Lines[SlotDeviation].Upper, 3.267 * 4);
    doc.SetSelectedGroup(SlotCentre, 5);
    EXPECT_FALSE(MiddleCheckBoxClick(doc, SlotCentre, false));
}

TEST(GroupSettings, AcceptedEditsMarkTheDocumentChanged)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    ComputedIndividual(doc);
    doc.ClearChanged();
    EXPECT_FALSE(MiddleEditSubmit(doc, SlotCentre, QStringLiteral("20"))); // automatic: refused
    EXPECT_FALSE(doc.Changed());
    EXPECT_TRUE(SigmaCheckBoxClick(doc, SlotCentre, false));
    EXPECT_TRUE(doc.Changed());
    doc.ClearChanged();
    EXPECT_FALSE(SigmaEditSubmit(doc, SlotCentre, QStringLiteral("-1")));
    EXPECT_FALSE(doc.Changed());
    EXPECT_TRUE(SigmaEditSubmit(doc, SlotCentre, QStringLiteral("2")));
    EXPECT_TRUE(doc.Changed());
}
