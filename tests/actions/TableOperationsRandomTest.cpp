// A long random sequence of table operations, held against a plain model of groups of points that
// applies the same rules group by group. The document must match the model after every step, keep
// its invariants, survive save and load unchanged, and compute what a document written directly in
// its final shape computes.

#include "TableOperationsTestSupport.h"
#include "actions/TableOperations.h"
#include "common/DocumentFileTestSupport.h"
#include "common/TestSupport.h"
#include "compute/ComputeDriver.h"
#include "model/DocumentFile.h"
#include "model/MeasurementDocument.h"

#include <cstdio>
#include <random>

namespace {

struct ModelPoint {
    QString Date;
    QStringList Values;
};

struct ModelGroup {
    std::vector<ModelPoint> Points;
    TIndividualInfo Record { true };
};

// The table as groups; every rule of the operations restated on it.
struct TableModel {
    bool Individual = true;
    int SubgroupSize = 0;
    std::vector<ModelGroup> Groups;

    int Columns() const { return Individual ? 1 : SubgroupSize; }
    int PointCount() const
    {
        int count = 0;
        for (const ModelGroup& group : Groups)
            count += int(group.Points.size());
        return count;
    }
    // Group and index of point n (from 1); false beyond the last point.
    bool Find(int n, size_t& group, size_t& index) const
    {
        for (group = 0; group < Groups.size(); ++group) {
            if (size_t(n) <= Groups[group].Points.size()) {
                index = size_t(n - 1);
                return true;
            }
            n -= int(Groups[group].Points.size());
        }
        return false;
    }
};

const QString insertRefused
    = QStringLiteral("У результаті вставки буде створено підгрупу з одного або менше елементів!");
const QString deleteRefused = QStringLiteral(
    "У результаті вилучення буде створено підгрупу з одного елементу! Вилучіть, спочатку один із роздільників!");
const QString noSuchElement = QStringLiteral("Елемента з таким номером у таблиці немає!");

QString randomValue(std::mt19937& rng)
{
    QString text = QString::number(double(int(rng() % 20000) + 1) / 100.0, 'f', int(rng() % 3));
    if (rng() % 2)
        text.replace(u'.', u',');
    return text;
}

ModelPoint randomPoint(std::mt19937& rng, int columns)
{
    ModelPoint point;
    point.Date = QStringLiteral("%1.03.2025").arg(1 + rng() % 28, 2, 10, QLatin1Char('0'));
    for (int c = 0; c < columns; ++c)
        point.Values << randomValue(rng);
    return point;
}

void randomSettings(std::mt19937& rng, TIndividualInfo& record, bool individual)
{
    for (MergeLine line : MergeLines(individual)) {
        const bool fixed = rng() % 3 == 0;
        SettingOf(record, line) = { fixed, fixed ? double(1 + rng() % 3) : 0.0 };
    }
    if (!individual)
        record.UseSampleDeviation = rng() % 4 != 0;
}

TableModel randomModel(std::mt19937& rng)
{
    TableModel model;
    model.Individual = rng() % 2;
    model.SubgroupSize = model.Individual ? 0 : 2 + int(rng() % 5);
    const int groups = 1 + int(rng() % 4);
    for (int g = 0; g < groups; ++g) {
        ModelGroup group;
        group.Record = TIndividualInfo(model.Individual);
        randomSettings(rng, group.Record, model.Individual);
        for (int i = 2 + int(rng() % 5); i > 0; --i)
            group.Points.push_back(randomPoint(rng, model.Columns()));
        model.Groups.push_back(std::move(group));
    }
    return model;
}

// The document a reader would lay out for the model.
void writeDirectly(MeasurementDocument& doc, const TableModel& model)
{
    std::vector<bool> flags;
    for (size_t g = 0; g < model.Groups.size(); ++g) {
        if (g > 0)
            flags.push_back(true);
        flags.insert(flags.end(), model.Groups[g].Points.size(), false);
    }
    flags.push_back(true);
    doc.StoreIndividualMode(model.Individual);
    doc.SetPointCount(model.PointCount());
    if (!model.Individual)
        doc.SetSubgroupSize(model.SubgroupSize);
    doc.StoreGroupCount(int(model.Groups.size()));
    doc.SetSeparatorFlags(flags);
    doc.SetMode(model.Individual);
    doc.SetGroupCount(int(model.Groups.size()));
    int row = 1;
    for (size_t g = 0; g < model.Groups.size(); ++g) {
        if (g > 0) {
            doc.SetDateText(row, MeasurementDocument::SeparatorLine());
            for (int c = 0; c < doc.ValueColumnCount(); ++c)
                doc.SetValueText(row, c, MeasurementDocument::SeparatorLine());
            ++row;
        }
        for (const ModelPoint& point : model.Groups[g].Points) {
            doc.SetDateText(row, point.Date);
            for (int c = 0; c < point.Values.size(); ++c)
                doc.SetValueText(row, c, point.Values[c]);
            ++row;
        }
        doc.StoreGroupRecord(int(g), model.Groups[g].Record);
    }
    doc.ClearChanged();
}

// The document holds the model's rows, labels and settings (only those the file keeps when storedOnly).
void expectMatches(const MeasurementDocument& doc, const TableModel& model, bool storedOnly = false)
{
    ExpectConsistent(doc);
    ASSERT_EQ(doc.Groups().size(), model.Groups.size());
    ASSERT_EQ(doc.PointCount(), model.PointCount());
    int row = 1;
    int point = 0;
    for (size_t g = 0; g < model.Groups.size(); ++g) {
        if (g > 0) {
            ASSERT_TRUE(doc.IsSeparatorRow(row)) << row;
            // The compute writes the group's summary there; the editing state shows the separator.
            if (!doc.IsComputed()) {
                EXPECT_EQ(doc.LabelText(row), MeasurementDocument::SeparatorLabel(int(g)));
                EXPECT_EQ(doc.ValueText(row, 0), MeasurementDocument::SeparatorLine());
            }
            ++row;
        }
        for (const ModelPoint& modelPoint : model.Groups[g].Points) {
            ASSERT_FALSE(doc.IsSeparatorRow(row)) << row;
            EXPECT_EQ(doc.LabelText(row), QString::number(++point));
            EXPECT_EQ(doc.DateText(row), modelPoint.Date);
            for (int c = 0; c < modelPoint.Values.size(); ++c)
                EXPECT_EQ(doc.ValueText(row, c), modelPoint.Values[c]) << row << ' ' << c;
            ++row;
        }
        const TIndividualInfo& record = doc.Groups()[g];
        const TIndividualInfo& expected = model.Groups[g].Record;
        for (MergeLine line : MergeLines(model.Individual || storedOnly)) {
            EXPECT_EQ(SettingOf(record, line).Fixed, SettingOf(expected, line).Fixed) << g;
            if (SettingOf(expected, line).Fixed) {
                EXPECT_EQ(SettingOf(record, line).Value, SettingOf(expected, line).Value) << g;
            }
        }
        if (!model.Individual && !storedOnly) {
            EXPECT_EQ(record.UseSampleDeviation, expected.UseSampleDeviation) << g;
        }
    }
}

std::optional<MergeDecision> randomDecision(std::mt19937& rng, bool individual)
{
    if (rng() % 4 == 0)
        return std::nullopt;
    MergeDecision decision;
    for (MergeLine line : MergeLines(individual)) {
        if (rng() % 2)
            decision.Settings[size_t(line)] = { true, double(1 + rng() % 3) };
    }
    decision.UseSampleDeviation = individual || rng() % 2;
    return decision;
}

// How often the sequence reached the paths worth reaching.
struct Coverage {
    int Refusals = 0;
    int MergeQuestions = 0;
    int MergesCancelled = 0;
    int LonePointQuestions = 0;
    int Emptied = 0;
    int Computes = 0;
};
Coverage coverage;

// One random operation on both; returns the messages the model expects.
QStringList step(std::mt19937& rng, MeasurementDocument& doc, TableModel& model, RecordingMessenger& messenger,
    ScriptedMergeDecider& decider)
{
    const int points = model.PointCount();
    const int n = 1 + int(rng() % uint32_t(points + 3));
    QStringList expected;
    size_t g = 0;
    size_t i = 0;
    switch (rng() % 7) {
    case 0: { // insert a point and type its values
        const ModelPoint point = randomPoint(rng, model.Columns());
        const TableEdit edit = InsertPoint(doc, n);
        EXPECT_TRUE(edit.Done);
        doc.EditDateText(edit.SelectRow, point.Date);
        for (int c = 0; c < point.Values.size(); ++c)
            doc.EditValueText(edit.SelectRow, c, point.Values[c]);
        if (model.Find(n, g, i))
            model.Groups[g].Points.insert(model.Groups[g].Points.begin() + std::ptrdiff_t(i), point);
        else
            model.Groups.back().Points.push_back(point);
        break;
    }
    case 1: { // insert a separator
        const bool done = InsertSeparator(doc, n).Done;
        if (!model.Find(n, g, i) || i < 2 || i + 1 == model.Groups[g].Points.size()) {
            expected << insertRefused;
            EXPECT_FALSE(done);
            break;
        }
        EXPECT_TRUE(done);
        ModelGroup upper;
        upper.Record = model.Groups[g].Record;
        upper.Points.assign(model.Groups[g].Points.begin(), model.Groups[g].Points.begin() + std::ptrdiff_t(i));
        model.Groups[g].Points.erase(
            model.Groups[g].Points.begin(), model.Groups[g].Points.begin() + std::ptrdiff_t(i));
        model.Groups.insert(model.Groups.begin() + std::ptrdiff_t(g), std::move(upper));
        break;
    }
    case 2: { // delete a point
        const bool done = DeletePoint(doc, n).Done;
        const bool exists = points > 0 && model.Find(std::min(n, points), g, i);
        if (exists && model.Groups[g].Points.size() <= 2) {
            expected << deleteRefused;
            EXPECT_FALSE(done);
        } else if (n > points) {
            expected << noSuchElement;
            EXPECT_FALSE(done);
        } else {
            EXPECT_TRUE(done);
            model.Groups[g].Points.erase(model.Groups[g].Points.begin() + std::ptrdiff_t(i));
        }
        break;
    }
    case 3: { // delete a separator
        const int separator = 1 + int(rng() % (model.Groups.size() + 1));
        const std::optional<MergeDecision> answer = randomDecision(rng, model.Individual);
        decider.answers = { answer };
        decider.questions.clear();
        const bool done = DeleteSeparator(doc, separator, decider).Done;
        if (size_t(separator) >= model.Groups.size()) {
            expected << noSuchElement;
            EXPECT_FALSE(done);
            break;
        }
        ModelGroup& earlier = model.Groups[size_t(separator - 1)];
        ModelGroup& later = model.Groups[size_t(separator)];
        const bool same = SameSettings(earlier.Record, later.Record);
        EXPECT_EQ(decider.questions.size(), same ? 0u : 1u);
        coverage.MergeQuestions += same ? 0 : 1;
        if (!same && !answer) {
            ++coverage.MergesCancelled;
            EXPECT_FALSE(done);
            break;
        }
        EXPECT_TRUE(done);
        if (!same)
            ApplyMergeDecision(earlier.Record, model.Individual, *answer);
        earlier.Points.insert(earlier.Points.end(), later.Points.begin(), later.Points.end());
        model.Groups.erase(model.Groups.begin() + separator);
        break;
    }
    case 4: { // append points and type their values
        const int count = 1 + int(rng() % 4);
        const TableEdit edit = AppendPoints(doc, count);
        EXPECT_TRUE(edit.Done);
        for (int k = 0; k < count; ++k) {
            const ModelPoint point = randomPoint(rng, model.Columns());
            for (int c = 0; c < point.Values.size(); ++c)
                doc.EditValueText(edit.SelectRow + k, c, point.Values[c]);
            doc.EditDateText(edit.SelectRow + k, point.Date);
            model.Groups.back().Points.push_back(point);
        }
        break;
    }
    case 5: { // delete the last points, rarely
        if (rng() % 3 != 0 || points < 8)
            break;
        const bool all = rng() % 8 == 0;
        const int count = all ? points + int(rng() % 3) : 1 + int(rng() % uint32_t(points / 2));
        const bool yes = rng() % 2;
        messenger.answers = { yes };
        messenger.questions.clear();
        const bool done = DeleteLastPoints(doc, count).Done;
        if (all) {
            EXPECT_TRUE(done);
            EXPECT_TRUE(messenger.questions.isEmpty());
            model.Groups.resize(1);
            model.Groups[0].Points.clear();
            ++coverage.Emptied;
            break;
        }
        // The points go from the end; a group emptied goes with its separator.
        TableModel cut = model;
        for (int k = 0; k < count; ++k) {
            cut.Groups.back().Points.pop_back();
            if (cut.Groups.back().Points.empty() && cut.Groups.size() > 1)
                cut.Groups.pop_back();
        }
        if (cut.Groups.back().Points.size() == 1) {
            ++coverage.LonePointQuestions;
            EXPECT_EQ(messenger.questions, QStringList { LastPointsQuestion(count + 1) });
            if (!yes) {
                EXPECT_FALSE(done);
                break;
            }
            cut.Groups.back().Points.clear();
            if (cut.Groups.size() > 1)
                cut.Groups.pop_back();
        } else {
            EXPECT_TRUE(messenger.questions.isEmpty());
        }
        EXPECT_TRUE(done);
        model = std::move(cut);
        coverage.Emptied += model.PointCount() == 0 ? 1 : 0;
        break;
    }
    case 6: // compute now and then: every operation must leave the computed state cleanly
        if (rng() % 2 && points > 0) {
            ++coverage.Computes;
            // Points typed into an emptied table make a group of one until a second joins it.
            const bool computable = model.Groups.back().Points.size() >= 2;
            EXPECT_EQ(RunComputeCommand(doc), computable) << messenger.messages.join(u'\n').toStdString();
            if (!computable)
                expected << QStringLiteral("Некоректні дані! Неможливо провести обчислення");
        }
        break;
    }
    coverage.Refusals += int(expected.size());
    return expected;
}

// Lines and hits of every group, and every result cell, after a compute.
void expectSameComputation(const MeasurementDocument& actual, const MeasurementDocument& expected)
{
    ASSERT_EQ(actual.RowCount(), expected.RowCount());
    ASSERT_EQ(actual.Groups().size(), expected.Groups().size());
    for (size_t g = 0; g < actual.Groups().size(); ++g) {
        for (int slot = 0; slot < ChartSlotCount; ++slot) {
            const TControlLines& a = actual.Groups()[g].Lines[size_t(slot)];
            const TControlLines& e = expected.Groups()[g].Lines[size_t(slot)];
            EXPECT_EQ(a.Lower, e.Lower);
            EXPECT_EQ(a.Centre, e.Centre);
            EXPECT_EQ(a.Upper, e.Upper);
            EXPECT_EQ(actual.Groups()[g].Hits[size_t(slot)].Westgard.size(),
                expected.Groups()[g].Hits[size_t(slot)].Westgard.size());
            EXPECT_EQ(
                actual.Groups()[g].Hits[size_t(slot)].Iso.size(), expected.Groups()[g].Hits[size_t(slot)].Iso.size());
        }
    }
    for (int row = 1; row < actual.RowCount(); ++row) {
        EXPECT_EQ(actual.LabelText(row), expected.LabelText(row));
        for (int c = 0; c < actual.ResultColumnCount(); ++c)
            EXPECT_EQ(actual.ResultText(row, c), expected.ResultText(row, c)) << row << ' ' << c;
    }
}

} // namespace

TEST(TableOperationsRandom, LongSequencesKeepTheDocumentEqualToItsModel)
{
    std::mt19937 rng(20261209);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        TableModel model = randomModel(rng);
        writeDirectly(doc, model);
        ScriptedMergeDecider decider;
        for (int s = 0; s < 150; ++s) {
            SCOPED_TRACE(s);
            messenger.messages.clear();
            const QStringList expected = step(rng, doc, model, messenger, decider);
            EXPECT_EQ(messenger.messages, expected);
            ASSERT_NO_FATAL_FAILURE(expectMatches(doc, model));
            if (HasFailure())
                return;
        }

        // Survives save and load byte for byte.
        const QByteArray saved = SavedBytes(doc);
        RecordingMessenger loadMessenger;
        MeasurementDocument loaded(loadMessenger);
        ASSERT_TRUE(LoadDocumentFromBytes(loaded, saved, QStringLiteral("x.mrd")));
        EXPECT_EQ(SavedBytes(loaded), saved);
        expectMatches(loaded, model, true);

        // Computes what the document written directly in this shape computes.
        RecordingMessenger directMessenger;
        MeasurementDocument direct(directMessenger);
        writeDirectly(direct, model);
        direct.SetDisplayPrecision(doc.DisplayPrecision());
        EXPECT_EQ(SavedBytes(direct), saved);
        if (model.Groups.back().Points.size() < 2)
            continue;
        EXPECT_TRUE(RunComputeCommand(doc));
        EXPECT_TRUE(RunComputeCommand(direct));
        expectSameComputation(doc, direct);
    }
    EXPECT_GT(coverage.Refusals, 100);
    EXPECT_GT(coverage.MergeQuestions, 20);
    EXPECT_GT(coverage.MergesCancelled, 5);
    EXPECT_GT(coverage.LonePointQuestions, 5);
    EXPECT_GT(coverage.Computes, 100);
    EXPECT_GT(coverage.Emptied, 2);
    std::printf("refusals %d, merge questions %d (cancelled %d), lone-point questions %d, emptied %d, computes %d\n",
        coverage.Refusals, coverage.MergeQuestions, coverage.MergesCancelled, coverage.LonePointQuestions,
        coverage.Emptied, coverage.Computes);
}
