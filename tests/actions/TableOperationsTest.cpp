#include "actions/TableOperations.h"

#include "TableOperationsTestSupport.h"
#include "common/DocumentBuilder.h"
#include "common/DocumentFileTestSupport.h"
#include "common/TestSupport.h"
#include "compute/ComputeDriver.h"
#include "model/MeasurementDocument.h"
#include "presentation/MainWindowState.h"

namespace {

const QString insertRefused
    = QStringLiteral("У результаті вставки буде створено підгрупу з одного або менше елементів!");
const QString deleteRefused = QStringLiteral(
    "У результаті вилучення буде створено підгрупу з одного елементу! Вилучіть, спочатку один із роздільників!");
const QString noSuchElement = QStringLiteral("Елемента з таким номером у таблиці немає!");

// count points whose single value is its number times 10 (or, per column, plus the column).
std::vector<QStringList> numbered(int first, int count, int columns = 1)
{
    std::vector<QStringList> rows;
    for (int i = 0; i < count; ++i) {
        QStringList values;
        for (int c = 0; c < columns; ++c)
            values << QString::number((first + i) * 10 + c);
        rows.push_back(values);
    }
    return rows;
}

// Groups of the given sizes, values numbered through the table.
void build(MeasurementDocument& doc, std::initializer_list<int> sizes, int subgroupSize = 0)
{
    std::vector<std::vector<QStringList>> groups;
    int first = 1;
    for (int size : sizes) {
        groups.push_back(numbered(first, size, std::max(1, subgroupSize)));
        first += size;
    }
    BuildDocument(doc, subgroupSize, groups);
}

// The number column, top to bottom.
QStringList labels(const MeasurementDocument& doc)
{
    QStringList out;
    for (int row = 1; row <= doc.TableRowCount(); ++row)
        out << doc.LabelText(row);
    return out;
}

// The first value of every row, "|" for a separator row.
QString valuesColumn(const MeasurementDocument& doc)
{
    QStringList out;
    for (int row = 1; row <= doc.TableRowCount(); ++row)
        out << (doc.IsSeparatorRow(row) ? QStringLiteral("|") : doc.ValueText(row, 0).toString());
    return out.join(u' ');
}

void fix(TIndividualInfo& record, double centre)
{
    record.CentreSetting = { true, centre };
}

} // namespace

TEST(TableOperations, InsertSeparatorSplitsAGroupOfFourOnlyInTheMiddle)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    build(doc, { 4, 3 });
    EditGroup(doc, 0, [&](TIndividualInfo& record) { fix(record, 12.5); });
    EditGroup(doc, 0, [&](TIndividualInfo& record) { record.SigmaSetting = { true, 2.0 }; });
    EditGroup(doc, 0, [&](TIndividualInfo& record) {
        record.MedianCentreSetting = { true, 7.0 };
    }); // not a setting of individual values
    EditGroup(doc, 1, [&](TIndividualInfo& record) { record.RangeCentreSetting = { true, 3.0 }; });

    for (int n : { 2, 4, 1, 5, 7, 8, 100 }) {
        EXPECT_FALSE(InsertSeparator(doc, n).Done) << n;
        EXPECT_EQ(messenger.messages.takeLast(), insertRefused) << n;
    }
    EXPECT_EQ(labels(doc).join(u','), QStringLiteral("1,2,3,4,Розділювач №1,5,6,7"));
    EXPECT_FALSE(doc.Changed());

    const TableEdit edit = InsertSeparator(doc, 3);
    EXPECT_TRUE(edit.Done);
    EXPECT_EQ(edit.SelectRow, 4); // the former point 3, first of the lower part
    EXPECT_EQ(labels(doc).join(u','), QStringLiteral("1,2,Розділювач №1,3,4,Розділювач №2,5,6,7"));
    EXPECT_EQ(valuesColumn(doc), QStringLiteral("10 20 | 30 40 | 50 60 70"));
    EXPECT_EQ(doc.DateText(3), MeasurementDocument::SeparatorLine());
    EXPECT_EQ(doc.PointCount(), 7);
    ASSERT_EQ(doc.Groups().size(), 3u);
    // The new upper record copies the three settings of the mode; the split group keeps its record.
    EXPECT_EQ(doc.Groups()[0].CentreSetting, (TFixableValue { true, 12.5 }));
    EXPECT_EQ(doc.Groups()[0].SigmaSetting, (TFixableValue { true, 2.0 }));
    EXPECT_FALSE(doc.Groups()[0].MedianCentreSetting.Fixed);
    EXPECT_EQ(doc.Groups()[1].MedianCentreSetting, (TFixableValue { true, 7.0 }));
    EXPECT_EQ(doc.Groups()[1].CentreSetting, (TFixableValue { true, 12.5 }));
    EXPECT_EQ(doc.Groups()[2].RangeCentreSetting, (TFixableValue { true, 3.0 }));
    EXPECT_TRUE(doc.Changed());
    ExpectConsistent(doc);
}

TEST(TableOperations, InsertSeparatorInSubgroupModeCopiesSevenSettingsAndTheBasis)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    build(doc, { 5 }, 3);
    EditGroup(doc, 0, [&](TIndividualInfo& record) {
        record.SetSubgroupSettings(
            { true, 1 }, { true, 2 }, { true, 3 }, { false, 4 }, { true, 5 }, { true, 6 }, { true, 7 }, false);
    });
    const TIndividualInfo record = doc.Groups()[0]; // a copy: the operation reallocates the records
    ASSERT_TRUE(InsertSeparator(doc, 4).Done);
    ASSERT_EQ(doc.Groups().size(), 2u);
    for (const TIndividualInfo& part : doc.Groups()) {
        EXPECT_FALSE(part.Individual);
        EXPECT_FALSE(part.UseSampleDeviation);
        for (MergeLine line : MergeLines(false))
            EXPECT_EQ(SettingOf(part, line), SettingOf(record, line));
    }
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(doc.ValueText(4, c), MeasurementDocument::SeparatorLine());
    EXPECT_EQ(doc.ValueText(5, 2), QStringLiteral("42"));
}

TEST(TableOperations, InsertPointAtGroupStartsEndsAndBeyondTheLast)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    build(doc, { 2, 2 });
    TableEdit edit = InsertPoint(doc, 3); // first point of the second group
    EXPECT_EQ(edit.SelectRow, 4);
    EXPECT_EQ(valuesColumn(doc), QStringLiteral("10 20 |  30 40"));
    EXPECT_EQ(labels(doc).join(u','), QStringLiteral("1,2,Розділювач №1,3,4,5"));
    edit = InsertPoint(doc, 1);
    EXPECT_EQ(edit.SelectRow, 1);
    edit = InsertPoint(doc, 99); // beyond: closes the last group, labelled PointCount + 1
    EXPECT_EQ(edit.SelectRow, 8);
    EXPECT_EQ(valuesColumn(doc), QStringLiteral(" 10 20 |  30 40 "));
    EXPECT_EQ(doc.LabelText(8), QStringLiteral("7"));
    EXPECT_EQ(doc.DateText(8), QString());
    EXPECT_EQ(doc.PointCount(), 7);
    EXPECT_EQ(MainWindowState(doc).Label18Caption(), QStringLiteral("Кількість елементів: 7"));
    EXPECT_EQ(doc.Groups().size(), 2u);
    EXPECT_TRUE(messenger.messages.isEmpty());
    ExpectConsistent(doc);

    // An emptied table takes its new point into its one group.
    MeasurementDocument empty(messenger);
    BuildDocument(empty, 0, {});
    EXPECT_EQ(InsertPoint(empty, 5).SelectRow, 1);
    EXPECT_EQ(empty.PointCount(), 1);
    EXPECT_EQ(empty.LabelText(1), QStringLiteral("1"));
    ExpectConsistent(empty);
}

TEST(TableOperations, DeletePointKeepsEveryGroupAtTwoPointsOrMore)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    build(doc, { 3, 2, 4 });
    // The 2-point group, and the last point when the number is beyond it, are tested first.
    for (int n : { 4, 5 }) {
        EXPECT_FALSE(DeletePoint(doc, n).Done);
        EXPECT_EQ(messenger.messages.takeLast(), deleteRefused);
    }
    EXPECT_FALSE(DeletePoint(doc, 10).Done);
    EXPECT_EQ(messenger.messages.takeLast(), noSuchElement);
    EXPECT_FALSE(doc.Changed());

    TableEdit edit = DeletePoint(doc, 1); // first of a 3-point group
    EXPECT_TRUE(edit.Done);
    EXPECT_EQ(edit.SelectRow, 1);
    EXPECT_EQ(valuesColumn(doc), QStringLiteral("20 30 | 40 50 | 60 70 80 90"));
    EXPECT_EQ(labels(doc).join(u','), QStringLiteral("1,2,Розділювач №1,3,4,Розділювач №2,5,6,7,8"));
    EXPECT_EQ(doc.Groups().size(), 3u);
    EXPECT_FALSE(DeletePoint(doc, 2).Done); // the group is down to two
    EXPECT_EQ(messenger.messages.takeLast(), deleteRefused);

    edit = DeletePoint(doc, 8); // the last point: the last row is selected
    EXPECT_EQ(edit.SelectRow, doc.TableRowCount());
    EXPECT_TRUE(DeletePoint(doc, 7).Done); // third of three
    EXPECT_FALSE(DeletePoint(doc, 6).Done); // second of two, at the table's end
    EXPECT_EQ(messenger.messages.takeLast(), deleteRefused);
    EXPECT_EQ(valuesColumn(doc), QStringLiteral("20 30 | 40 50 | 60 70"));
    EXPECT_EQ(doc.PointCount(), 6);
    ExpectConsistent(doc);

    MeasurementDocument two(messenger);
    build(two, { 2 });
    EXPECT_FALSE(DeletePoint(two, 1).Done);
    EXPECT_EQ(messenger.messages.takeLast(), deleteRefused);

    MeasurementDocument empty(messenger);
    BuildDocument(empty, 0, {});
    EXPECT_FALSE(DeletePoint(empty, 1).Done);
    EXPECT_EQ(messenger.messages.takeLast(), noSuchElement);
}

TEST(TableOperations, DeletePointAtTheEndOfAGroupSelectsThePointAbove)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    build(doc, { 3, 2 });
    const TableEdit edit = DeletePoint(doc, 3);
    ASSERT_TRUE(edit.Done);
    EXPECT_EQ(edit.SelectRow, 2);
    EXPECT_EQ(valuesColumn(doc), QStringLiteral("10 20 | 40 50"));
}

TEST(TableOperations, DeleteSeparatorMergesEqualSettingsSilentlyAndRelabels)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    build(doc, { 2, 2, 2, 2 });
    EditGroup(doc, 1, [&](TIndividualInfo& record) { fix(record, 10); });
    EditGroup(doc, 2, [&](TIndividualInfo& record) { fix(record, 10); });
    EditGroup(
        doc, 2, [&](TIndividualInfo& record) { record.SigmaSetting.Value = 99; }); // automatic values do not count
    EditGroup(doc, 3, [&](TIndividualInfo& record) { record.RangeCentreSetting = { true, 4 }; });
    ScriptedMergeDecider decider;

    EXPECT_FALSE(DeleteSeparator(doc, 4, decider).Done);
    EXPECT_EQ(messenger.messages.takeLast(), noSuchElement);

    const TableEdit edit = DeleteSeparator(doc, 2, decider);
    EXPECT_TRUE(edit.Done);
    EXPECT_TRUE(decider.questions.empty());
    EXPECT_EQ(edit.SelectRow, 6); // the first point of the former lower group now holds the row
    EXPECT_EQ(labels(doc).join(u','), QStringLiteral("1,2,Розділювач №1,3,4,5,6,Розділювач №2,7,8"));
    ASSERT_EQ(doc.Groups().size(), 3u);
    EXPECT_EQ(doc.Groups()[1].CentreSetting, (TFixableValue { true, 10 }));
    EXPECT_EQ(doc.Groups()[2].RangeCentreSetting, (TFixableValue { true, 4 }));
    EXPECT_EQ(doc.PointCount(), 8);
    ExpectConsistent(doc);
}

TEST(TableOperations, DeleteSeparatorAsksWithTheTableLabelsAndAppliesTheDecision)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    build(doc, { 2, 3, 2 }, 2);
    EditGroup(doc, 1, [&](TIndividualInfo& record) { fix(record, 10); });
    EditGroup(doc, 2, [&](TIndividualInfo& record) { fix(record, 11); });
    doc.SetDisplayPrecision(2);
    ASSERT_TRUE(RunComputeCommand(doc));
    ASSERT_TRUE(doc.IsComputed());
    doc.ClearChanged();

    // Cancel: the separator, both groups, the computed state and Changed stay.
    ScriptedMergeDecider decider;
    const std::vector<TIndividualInfo> before = doc.Groups();
    EXPECT_FALSE(DeleteSeparator(doc, 2, decider).Done);
    ASSERT_EQ(decider.questions.size(), 1u);
    const MergeQuestion& question = decider.questions[0];
    EXPECT_FALSE(question.Individual);
    EXPECT_EQ(
        question.EarlierCaption, QStringLiteral(" У групі з точок 3-5 контрольні лінії обчислюються у такий спосіб "));
    EXPECT_EQ(
        question.LaterCaption, QStringLiteral(" У групі з точок 6-7 контрольні лінії обчислюються у такий спосіб "));
    EXPECT_EQ(question.MergedCaption,
        QStringLiteral(" Вкажіть спосіб обчислення контрольні лінії для групи, яку буде утворено з точок 3-7 "));
    EXPECT_TRUE(doc.IsComputed());
    EXPECT_FALSE(doc.Changed());
    EXPECT_EQ(doc.Groups().size(), 3u);
    EXPECT_EQ(doc.Groups()[2].CentreSetting, before[2].CentreSetting);

    MergeDecision decision;
    decision.Settings[size_t(MergeLine::Sigma)] = { true, 1.25 };
    decision.Settings[size_t(MergeLine::RelRangeCentre)] = { true, 3 };
    decision.UseSampleDeviation = false;
    decision.Decimals = 4;
    decider.answers.push_back(decision);
    const TableEdit edit = DeleteSeparator(doc, 2, decider);
    ASSERT_TRUE(edit.Done);
    EXPECT_FALSE(doc.IsComputed());
    EXPECT_TRUE(doc.Changed());
    ASSERT_EQ(doc.Groups().size(), 2u);
    const TIndividualInfo& merged = doc.Groups()[1];
    EXPECT_FALSE(merged.CentreSetting.Fixed);
    EXPECT_EQ(merged.CentreSetting.Value, 0.0);
    EXPECT_EQ(merged.SigmaSetting, (TFixableValue { true, 1.25 }));
    EXPECT_EQ(merged.RelRangeCentreSetting, (TFixableValue { true, 3 }));
    EXPECT_FALSE(merged.UseSampleDeviation);
    EXPECT_EQ(doc.DisplayPrecision(), 4);
    EXPECT_EQ(labels(doc).join(u','), QStringLiteral("1,2,Розділювач №1,3,4,5,6,7"));
    ExpectConsistent(doc);
}

TEST(TableOperations, LastPointsQuestionTakesTheEndingOfTheLastDigit)
{
    const QString start = QStringLiteral("Вилучення буде коректним тільки якщо вилучити останні ");
    const QString end = QStringLiteral(" Підтверджуєте вилучення?");
    const char* endings[] = { " точок.", " точку.", " точки.", " точки.", " точки.", " точок.", " точок.", " точок.",
        " точок.", " точок." };
    for (int count = 1; count <= 25; ++count)
        EXPECT_EQ(
            LastPointsQuestion(count), start + QString::number(count) + QString::fromUtf8(endings[count % 10]) + end);
    EXPECT_EQ(LastPointsQuestion(11), start + QStringLiteral("11 точку.") + end);
    EXPECT_EQ(LastPointsQuestion(12), start + QStringLiteral("12 точки.") + end);
    EXPECT_EQ(LastPointsQuestion(111), start + QStringLiteral("111 точку.") + end);
}

TEST(TableOperations, DeleteLastPointsAsksWhenTheLastGroupWouldKeepOnePoint)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    build(doc, { 4, 3 });
    EditGroup(doc, 1, [&](TIndividualInfo& record) { record.CentreSetting = { true, 1 }; });
    ASSERT_TRUE(RunComputeCommand(doc));
    doc.ClearChanged();

    messenger.answers = { false };
    EXPECT_FALSE(DeleteLastPoints(doc, 2).Done);
    EXPECT_EQ(messenger.questions.takeLast(), LastPointsQuestion(3));
    EXPECT_TRUE(LastPointsQuestion(3).contains(QStringLiteral("3 точки. Підтверджуєте")));
    EXPECT_TRUE(doc.IsComputed());
    EXPECT_FALSE(doc.Changed());
    EXPECT_EQ(doc.PointCount(), 7);

    messenger.answers = { true };
    EXPECT_TRUE(DeleteLastPoints(doc, 2).Done);
    EXPECT_EQ(valuesColumn(doc), QStringLiteral("10 20 30 40"));
    EXPECT_EQ(doc.Groups().size(), 1u);
    EXPECT_FALSE(doc.Groups()[0].CentreSetting.Fixed);
    EXPECT_EQ(doc.PointCount(), 4);
    EXPECT_FALSE(doc.IsComputed());
    EXPECT_TRUE(doc.Changed());
    ExpectConsistent(doc);

    // A whole group at the end goes with its separator, without a question.
    messenger.questions.clear();
    MeasurementDocument other(messenger);
    build(other, { 3, 2, 2 });
    EXPECT_TRUE(DeleteLastPoints(other, 2).Done);
    EXPECT_EQ(valuesColumn(other), QStringLiteral("10 20 30 | 40 50"));
    EXPECT_EQ(other.Groups().size(), 2u);
    EXPECT_EQ(messenger.questions.size(), 0);

    MeasurementDocument tens(messenger);
    build(tens, { 5, 11 });
    messenger.answers = { true };
    EXPECT_TRUE(DeleteLastPoints(tens, 10).Done);
    EXPECT_EQ(messenger.questions.takeLast(), LastPointsQuestion(11));
    EXPECT_EQ(tens.PointCount(), 5);
    EXPECT_EQ(tens.Groups().size(), 1u);
}

TEST(TableOperations, DeleteLastPointsEmptiesTheTableOrRefusesALonePointAtItsStart)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    build(doc, { 2, 2, 3 });
    EditGroup(doc, 0, [&](TIndividualInfo& record) { fix(record, 5); });
    ASSERT_TRUE(RunComputeCommand(doc));
    EXPECT_TRUE(DeleteLastPoints(doc, 7).Done);
    EXPECT_EQ(doc.PointCount(), 0);
    EXPECT_EQ(doc.TableRowCount(), 0);
    EXPECT_EQ(doc.SeparatorFlags(), std::vector<bool> { true });
    ASSERT_EQ(doc.Groups().size(), 1u);
    EXPECT_EQ(doc.Groups()[0].CentreSetting, (TFixableValue { true, 5 }));
    EXPECT_FALSE(doc.IsComputed());
    EXPECT_EQ(MainWindowState(doc).Label18Caption(), QStringLiteral("Кількість елементів: 0"));
    ExpectConsistent(doc);

    // One point left in a table without separators is a group of one as well: asked like the last group.
    MeasurementDocument single(messenger);
    build(single, { 5 });
    messenger.answers = { false };
    EXPECT_FALSE(DeleteLastPoints(single, 4).Done);
    EXPECT_EQ(messenger.questions.takeLast(), LastPointsQuestion(5));
    EXPECT_EQ(single.PointCount(), 5);
    messenger.answers = { true };
    EXPECT_TRUE(DeleteLastPoints(single, 4).Done);
    EXPECT_EQ(single.PointCount(), 0);
    ExpectConsistent(single);
}

TEST(TableOperations, ButtonsReadWholeNumbers)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    build(doc, { 4, 4 });
    ScriptedMergeDecider decider;
    const QString invalid = QStringLiteral("Некоректно задане число!");
    const QString numberBelowOne = QStringLiteral("Номер має бути більшим за нуль!");
    const QString countBelowOne = QStringLiteral("Число має бути більшим за нуль!");
    struct Case {
        const char* text;
        QString message;
    };
    const Case cases[] = { { "abc", invalid }, { "", invalid }, { "2.5", invalid }, { "1e3", invalid },
        { "99999999999", invalid }, { "0", numberBelowOne }, { "-3", numberBelowOne } };
    for (const Case& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        const QString countMessage = c.message == numberBelowOne ? countBelowOne : c.message;
        EXPECT_FALSE(SubmitInsertPoint(doc, text).Done);
        EXPECT_FALSE(SubmitInsertSeparator(doc, text).Done);
        EXPECT_FALSE(SubmitDeletePoint(doc, text).Done);
        EXPECT_FALSE(SubmitDeleteSeparator(doc, text, decider).Done);
        EXPECT_FALSE(SubmitAppendPoints(doc, text).Done);
        EXPECT_FALSE(SubmitDeleteLastPoints(doc, text).Done);
        EXPECT_EQ(messenger.messages,
            (QStringList { c.message, c.message, c.message, c.message, countMessage, countMessage }))
            << c.text;
        messenger.messages.clear();
    }
    EXPECT_TRUE(messenger.questions.isEmpty());
    EXPECT_FALSE(doc.Changed());

    EXPECT_TRUE(SubmitInsertPoint(doc, QStringLiteral(" 2 ")).Done);
    EXPECT_TRUE(SubmitAppendPoints(doc, QStringLiteral("3")).Done); // appends without asking
    EXPECT_TRUE(messenger.questions.isEmpty());
    EXPECT_EQ(doc.PointCount(), 12);

    // Button7 confirms first; No leaves the table.
    messenger.answers = { false };
    EXPECT_FALSE(SubmitDeleteLastPoints(doc, QStringLiteral("3")).Done);
    EXPECT_EQ(messenger.questions.takeLast(), QStringLiteral("Підтверджуєте вилучення?"));
    messenger.answers = { true };
    EXPECT_TRUE(SubmitDeleteLastPoints(doc, QStringLiteral("3")).Done);
    EXPECT_EQ(doc.PointCount(), 9);
}

TEST(TableOperations, AppendsWithinTheRowCap)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    build(doc, { 2, 2 });
    ASSERT_TRUE(RunComputeCommand(doc));
    doc.ClearChanged();
    EXPECT_FALSE(AppendPoints(doc, MaximumTableRows).Done);
    ASSERT_EQ(messenger.messages.size(), 1);
    EXPECT_TRUE(messenger.messages[0].contains(QStringLiteral("10 000 000")));
    EXPECT_TRUE(doc.IsComputed());
    EXPECT_FALSE(doc.Changed());
    EXPECT_EQ(doc.PointCount(), 4);

    const TableEdit edit = AppendPoints(doc, 3);
    EXPECT_EQ(edit.SelectRow, 6);
    EXPECT_EQ(valuesColumn(doc), QStringLiteral("10 20 | 30 40   "));
    EXPECT_EQ(labels(doc).join(u','), QStringLiteral("1,2,Розділювач №1,3,4,5,6,7"));
    EXPECT_FALSE(doc.IsComputed());
    EXPECT_TRUE(doc.Changed());
    EXPECT_EQ(doc.Groups().size(), 2u);
}

// Operations in the computed state first leave it: the closing row goes before the rows move.
TEST(TableOperations, OperationsInTheComputedStateWorkOnTheEditingTable)
{
    for (int subgroupSize : { 0, 3 }) {
        SCOPED_TRACE(subgroupSize);
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        build(doc, { 4, 3 }, subgroupSize);
        ScriptedMergeDecider decider;
        for (int step = 0; step < 4; ++step) {
            ASSERT_TRUE(RunComputeCommand(doc)) << messenger.messages.join(u'\n').toStdString();
            TableEdit edit;
            switch (step) {
            case 0:
                edit = InsertSeparator(doc, 3);
                break;
            case 1:
                edit = DeleteSeparator(doc, 1, decider);
                break;
            case 2:
                edit = InsertPoint(doc, 2);
                doc.EditValueText(2, 0, QStringLiteral("15"));
                for (int c = 1; c < doc.ValueColumnCount(); ++c)
                    doc.EditValueText(2, c, QStringLiteral("16"));
                break;
            case 3:
                edit = DeletePoint(doc, 2);
                break;
            }
            ASSERT_TRUE(edit.Done) << step;
            EXPECT_FALSE(doc.IsComputed());
            ExpectConsistent(doc);
            for (int row = 1; row <= doc.TableRowCount(); ++row) {
                for (int c = 0; c < doc.ResultColumnCount(); ++c)
                    EXPECT_EQ(doc.ResultText(row, c),
                        doc.IsSeparatorRow(row) ? MeasurementDocument::SeparatorLine() : QString());
            }
        }
        EXPECT_EQ(valuesColumn(doc), QStringLiteral("10 20 30 40 | 50 60 70"));
    }
}
