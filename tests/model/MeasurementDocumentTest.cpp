#include "model/MeasurementDocument.h"

#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"
#include "presentation/MainWindowState.h"

namespace {

QStringList row(std::initializer_list<const char*> texts)
{
    QStringList out;
    for (const char* t : texts)
        out << QString::fromUtf8(t);
    return out;
}

std::vector<QStringList> points(int count, int columns = 1)
{
    std::vector<QStringList> rows;
    for (int i = 0; i < count; ++i) {
        QStringList values;
        for (int c = 0; c < columns; ++c)
            values << QString::number(10 + i + c);
        rows.push_back(values);
    }
    return rows;
}

const QString medianMessage
    = QStringLiteral("При кількості елементів у підгрупі більшій за 10 карта медіан є недоступною!");

} // namespace

TEST(MeasurementDocument, LayoutWithoutSeparatorsIsOneGroup)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, 0, { points(4) });
    EXPECT_EQ(doc.GroupCount(), 1);
    ASSERT_EQ(doc.SeparatorFlags().size(), 5u);
    EXPECT_TRUE(doc.SeparatorFlags().back());
    EXPECT_EQ(doc.RowCount(), 5);
    EXPECT_EQ(doc.Groups().size(), 1u);
    const auto spans = doc.DeriveGroups();
    ASSERT_EQ(spans.size(), 1u);
    EXPECT_EQ(spans[0].FirstRow, 1);
    EXPECT_EQ(spans[0].PointCount, 4);
    EXPECT_EQ(MeasurementDocument::GroupRangeText(spans[0]), QStringLiteral("1-4"));
    EXPECT_EQ(MainWindowState(doc).Label18Caption(), QStringLiteral("Кількість елементів: 4"));
    EXPECT_FALSE(doc.IsComputed());
}

TEST(MeasurementDocument, GroupsRowsAndLabelsFollowTheSeparators)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, 3, { points(2, 3), points(3, 3), points(2, 3) });
    EXPECT_EQ(MainWindowState(doc).Label18Caption(), QStringLiteral("Кількість підгруп: 7"));
    EXPECT_EQ(doc.RowCount(), 1 + 7 + 2);
    EXPECT_EQ(doc.ValueColumnCount(), 3);
    EXPECT_EQ(doc.ResultColumnCount(), 6);
    const QStringList labels { QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("Розділювач №1"),
        QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("Розділювач №2"),
        QStringLiteral("6"), QStringLiteral("7") };
    for (int r = 1; r < doc.RowCount(); ++r)
        EXPECT_EQ(doc.LabelText(r), labels[r - 1]) << r;
    const auto spans = doc.DeriveGroups();
    ASSERT_EQ(spans.size(), 3u);
    EXPECT_EQ(MeasurementDocument::GroupRangeText(spans[0]), QStringLiteral("1-2"));
    EXPECT_EQ(MeasurementDocument::GroupRangeText(spans[1]), QStringLiteral("3-5"));
    EXPECT_EQ(MeasurementDocument::GroupRangeText(spans[2]), QStringLiteral("6-7"));
    EXPECT_EQ(spans[2].FirstRow, 8);
    EXPECT_EQ(doc.ValueColumnHeader(2), QStringLiteral("X3"));
    EXPECT_TRUE(MainWindowState(doc).SubgroupControlsVisible());
    EXPECT_EQ(MainWindowState(doc).TabCaption(SlotRelRanges), QStringLiteral("Карта відносних розмахів"));
}

TEST(MeasurementDocument, DisplayPrecisionForcesNormalisedChartsAboveSixDecimals)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, 0, { { row({ "1.1234567" }), row({ "2" }) } });
    doc.RecomputeDisplayPrecision();
    EXPECT_EQ(doc.DisplayPrecision(), 7);
    EXPECT_TRUE(doc.ChartSelection(N13));
    EXPECT_FALSE(MainWindowState(doc).NormalisedChoiceEnabled());
    EXPECT_EQ(doc.ChartFormat(), (ChartNumberFormat { ChartNumberFormat::Exponent, 4 }));

    doc.SetValueText(1, 0, QStringLiteral("1,123456"));
    doc.RecomputeDisplayPrecision();
    EXPECT_EQ(doc.DisplayPrecision(), 6);
    EXPECT_FALSE(doc.ChartSelection(N13));
    EXPECT_TRUE(MainWindowState(doc).NormalisedChoiceEnabled());
    EXPECT_EQ(doc.ChartFormat(), (ChartNumberFormat { ChartNumberFormat::Fixed, 10 }));

    // Separator rows do not count, empty cells count 1.
    BuildDocument(doc, 0, { { row({ "1" }), row({ "" }) }, { row({ "3" }), row({ "4" }) } });
    doc.SetValueText(3, 0, QStringLiteral("1.123456789"));
    doc.RecomputeDisplayPrecision();
    EXPECT_EQ(doc.DisplayPrecision(), 1);
    doc.RaiseDisplayPrecision(4);
    EXPECT_EQ(doc.DisplayPrecision(), 4);
    doc.RaiseDisplayPrecision(2);
    EXPECT_EQ(doc.DisplayPrecision(), 4);
}

TEST(MeasurementDocument, MedianChartMessageOnlyWhenTheChartGoesAway)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, 10, { points(3, 10) });
    messenger.messages.clear();
    doc.ChangeSubgroupSize(11);
    EXPECT_EQ(messenger.messages, QStringList { medianMessage });
    EXPECT_FALSE(MainWindowState(doc).MedianChartEnabled());
    doc.ChangeSubgroupSize(12);
    EXPECT_EQ(messenger.messages.size(), 1);
    doc.ChangeSubgroupSize(8);
    EXPECT_EQ(messenger.messages.size(), 1);
    EXPECT_TRUE(MainWindowState(doc).MedianChartEnabled());
    EXPECT_TRUE(doc.Changed());
}

TEST(MeasurementDocument, SubgroupSizeChangeKeepsValuesAndFillsNewColumns)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, 3, { points(2, 3), points(2, 3) });
    doc.ChangeSubgroupSize(5);
    EXPECT_EQ(doc.ValueColumnCount(), 5);
    EXPECT_EQ(doc.ValueColumnHeader(4), QStringLiteral("X5"));
    EXPECT_EQ(doc.ValueText(1, 2), QStringLiteral("12"));
    EXPECT_EQ(doc.ValueText(1, 3), QString());
    EXPECT_EQ(doc.ValueText(3, 4), MeasurementDocument::SeparatorLine());
    EXPECT_EQ(doc.ValueText(5, 1), QStringLiteral("12"));
    doc.ChangeSubgroupSize(2);
    EXPECT_EQ(doc.ValueColumnCount(), 2);
    EXPECT_EQ(doc.ValueText(5, 1), QStringLiteral("12"));

    // Typed sizes outside the list are refused and leave the size alone.
    messenger.messages.clear();
    EXPECT_FALSE(doc.SubmitSubgroupSizeText(QStringLiteral("26"), true));
    EXPECT_FALSE(doc.SubmitSubgroupSizeText(QStringLiteral("abc"), true));
    EXPECT_EQ(messenger.messages.size(), 2);
    EXPECT_EQ(messenger.messages[0], QStringLiteral("Вкажіть число зі списку, будь-ласка!"));
    EXPECT_FALSE(doc.SubmitSubgroupSizeText(QStringLiteral("4"), false)); // not on the table tab
    EXPECT_EQ(doc.SubgroupSize(), 2);
    EXPECT_TRUE(doc.SubmitSubgroupSizeText(QStringLiteral("4"), true));
    EXPECT_EQ(doc.SubgroupSize(), 4);
    EXPECT_EQ(doc.ValueColumnCount(), 4);
}

TEST(MeasurementDocument, ComputedStateAddsAClosingRowAndInvalidateRestoresTheTable)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, 0, { points(2), points(2) });
    const int rows = doc.RowCount();
    doc.EnterComputedState();
    EXPECT_TRUE(doc.IsComputed());
    EXPECT_EQ(doc.RowCount(), rows + 1);
    EXPECT_TRUE(doc.IsSeparatorRow(rows));
    EXPECT_EQ(doc.LabelText(rows), QString());
    EXPECT_EQ(doc.ValueText(rows, 0), MeasurementDocument::SeparatorLine());
    // What the compute writes in individual mode.
    doc.SetValueText(3, 0, QStringLiteral("Середнє по групі: 10,5"));
    doc.SetResultText(2, 0, QStringLiteral("1"));
    doc.SetResultsComplete(true);

    doc.InvalidateResults();
    EXPECT_FALSE(doc.IsComputed());
    EXPECT_EQ(doc.RowCount(), rows);
    EXPECT_EQ(doc.ValueText(3, 0), MeasurementDocument::SeparatorLine());
    EXPECT_EQ(doc.ResultText(2, 0), QString());
    EXPECT_FALSE(MainWindowState(doc).ChartTabVisible(SlotCentre));
    EXPECT_FALSE(MainWindowState(doc).PrintReportEnabled());
    EXPECT_EQ(doc.ValueText(1, 0), QStringLiteral("10"));

    // An analyst's edit drops the results and marks the document changed.
    doc.EnterComputedState();
    doc.ClearChanged();
    doc.EditValueText(1, 0, QStringLiteral("9"));
    EXPECT_FALSE(doc.IsComputed());
    EXPECT_TRUE(doc.Changed());
}

TEST(MeasurementDocument, InvalidateInSubgroupModeRestoresSeparatorLabels)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, 2, { points(2, 2), points(2, 2) });
    doc.EnterComputedState();
    doc.SetLabelText(3, QStringLiteral("Загалом по групі"));
    doc.SetLabelText(6, QStringLiteral("Загалом по групі"));
    doc.SetResultText(3, 0, QStringLiteral("10,5"));
    doc.SetResultText(1, 4, QStringLiteral("1"));
    EXPECT_EQ(doc.LabelText(3), QStringLiteral("Загалом по групі"));
    doc.InvalidateResults();
    EXPECT_EQ(doc.LabelText(3), QStringLiteral("Розділювач №1"));
    EXPECT_EQ(doc.ResultText(3, 0), MeasurementDocument::SeparatorLine());
    EXPECT_EQ(doc.ResultText(1, 4), QString());
    EXPECT_EQ(doc.RowCount(), 6);
}

TEST(MeasurementDocument, GroupRecordsAreKeptDestroyedAndAppended)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, 0, { points(2), points(2) });
    ASSERT_EQ(doc.Groups().size(), 2u);
    for (const TIndividualInfo& group : doc.Groups()) {
        EXPECT_TRUE(group.UseSampleDeviation);
        EXPECT_FALSE(group.CentreSetting.Fixed);
        EXPECT_EQ(group.SigmaSetting.Value, 0.0);
        EXPECT_TRUE(group.Individual);
    }
    EditGroup(doc, 0, [&](TIndividualInfo& record) {
        record.SetIndividualSettings({ true, 5.0 }, { true, 0.5 }, { false, 0.0 });
    });
    EditGroup(doc, 1, [&](TIndividualInfo& record) { record.CentreSetting = { true, 7.0 }; });
    doc.SetGroupCount(3);
    ASSERT_EQ(doc.Groups().size(), 3u);
    EXPECT_EQ(doc.Groups()[0].CentreSetting, (TFixableValue { true, 5.0 }));
    EXPECT_EQ(doc.Groups()[0].SigmaSetting, (TFixableValue { true, 0.5 }));
    EXPECT_EQ(doc.Groups()[1].CentreSetting, (TFixableValue { true, 7.0 }));
    EXPECT_FALSE(doc.Groups()[2].CentreSetting.Fixed);
    doc.SetGroupCount(1);
    ASSERT_EQ(doc.Groups().size(), 1u);
    EXPECT_EQ(doc.Groups()[0].CentreSetting, (TFixableValue { true, 5.0 }));

    // Records follow the document's mode.
    BuildDocument(doc, 4, { points(2, 4) });
    EXPECT_FALSE(doc.Groups()[0].Individual);
}

TEST(MeasurementDocument, CaptionsHeadersAndChangeTracking)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    EXPECT_FALSE(doc.HasDocument());
    EXPECT_FALSE(MainWindowState(doc).DocumentCommandsEnabled());
    EXPECT_EQ(MainWindowState(doc).WindowCaption(), QStringLiteral("Мерідан"));
    doc.SetFileName(QStringLiteral("  проба.mrd "));
    EXPECT_EQ(doc.FileName(), QStringLiteral("проба.mrd"));
    EXPECT_EQ(MainWindowState(doc).WindowCaption(), QStringLiteral("Мерідан - проба.mrd"));

    BuildDocument(doc, 3, { points(2, 3) });
    EXPECT_TRUE(MainWindowState(doc).DocumentCommandsEnabled());
    EXPECT_FALSE(doc.Changed());
    doc.SetUnits(QStringLiteral("мг/л"));
    EXPECT_TRUE(doc.Changed());
    EXPECT_EQ(doc.ValueHeader(), QStringLiteral("Значення, мг/л"));
    const QStringList expected { QStringLiteral("Середнє, мг/л"), QStringLiteral("Медіана, мг/л"),
        QStringLiteral("Відхилення, мг/л"), QStringLiteral("В. відхилення, %"), QStringLiteral("Розмах, мг/л"),
        QStringLiteral("В. розмах, %") };
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(doc.ResultHeader(c), expected[c]);
    doc.SetHeaderText(HeaderField::MeasuredParameter, QStringLiteral("Масова частка"));
    EXPECT_EQ(doc.ValueHeader(), QStringLiteral("Масова частка"));
    doc.SetUnits(QStringLiteral(" "));
    EXPECT_EQ(doc.ValueHeader(), QStringLiteral("Масова частка"));
    EXPECT_EQ(doc.ResultHeader(0), QStringLiteral("Середнє"));

    // Individual mode hides the subgroup-only chart choices.
    BuildDocument(doc, 0, { points(2) });
    EXPECT_FALSE(MainWindowState(doc).ChartChoiceVisible(N21));
    EXPECT_TRUE(MainWindowState(doc).ChartChoiceVisible(N31));
    EXPECT_EQ(MainWindowState(doc).TabCaption(SlotDeviation), QStringLiteral("Карта ковзних розмахів"));
    EXPECT_EQ(MainWindowState(doc).TabCaption(SlotRanges), QString());
    EXPECT_EQ(doc.SubgroupSize(), 0);
    EXPECT_FALSE(MainWindowState(doc).SubgroupControlsVisible());
}
