#include "actions/DocumentActions.h"

#include "TableOperationsTestSupport.h"
#include "common/DocumentBuilder.h"
#include "common/DocumentFileTestSupport.h"
#include "common/TestSupport.h"
#include "compute/ComputeDriver.h"
#include "model/DocumentFile.h"
#include "model/SourceTable.h"
#include "model/TableColumns.h"

#include <QUndoStack>
#include <functional>

namespace {

// What must come back exactly: the file's bytes and the figures the file derives.
struct Snapshot {
    QByteArray Bytes;
    int Records = 0;
    int GroupCount = 0;
    int ValueColumns = 0;
    int Rows = 0;
    friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

Snapshot snapshotOf(const MeasurementDocument& doc)
{
    return { ContentBytes(doc), int(doc.Groups().size()), doc.GroupCount(), doc.ValueColumnCount(),
        doc.TableRowCount() };
}

// count points per group size, numbered values (individual, or subgroupSize columns).
void build(MeasurementDocument& doc, std::initializer_list<int> sizes, int subgroupSize)
{
    std::vector<std::vector<QStringList>> groups;
    int value = 1;
    for (int size : sizes) {
        std::vector<QStringList> rows;
        for (int i = 0; i < size; ++i) {
            QStringList cells;
            for (int c = 0; c < std::max(1, subgroupSize); ++c)
                cells << QString::number(value * 10 + c);
            ++value;
            rows.push_back(cells);
        }
        groups.push_back(rows);
    }
    BuildDocument(doc, subgroupSize, groups);
}

SourceTable blockOf(const std::vector<QStringList>& rows)
{
    SourceTable table;
    int line = 1;
    for (const QStringList& row : rows) {
        table.StartRow(line++);
        for (const QString& cell : row)
            table.AddCell(cell);
        table.FinishRow(true);
    }
    return table;
}

MergeDecision fixedCentre(double value)
{
    MergeDecision decision;
    decision.Settings[size_t(MergeLine::Centre)] = { true, value };
    decision.Decimals = 3;
    return decision;
}

struct Fixture {
    RecordingMessenger messenger;
    MeasurementDocument doc { messenger };
    DocumentActions actions { doc };
    ScriptedMergeDecider decider;
};

} // namespace

// Every kind of command: done, undone, redone and undone again gives the file before and after byte
// for byte, on both modes, and names itself for the menu.
TEST(DocumentActions, EachCommandRestoresTheDocument)
{
    struct Case {
        const char* name;
        std::function<bool(Fixture&)> edit; // true when the edit was done
        QString caption;
        std::function<void(Fixture&)> prepare = nullptr; // before the state compared
    };
    const Case cases[] = {
        { "insert a point", [](Fixture& f) { return f.actions.InsertPoint(3).Done; }, "вставлення точки" },
        { "insert a point after the last", [](Fixture& f) { return f.actions.InsertPoint(99).Done; },
            "вставлення точки" },
        { "insert a separator", [](Fixture& f) { return f.actions.InsertSeparator(3).Done; },
            "вставлення розділювача" },
        { "delete a point", [](Fixture& f) { return f.actions.DeletePoint(2).Done; }, "вилучення точки" },
        { "delete a separator, same settings", [](Fixture& f) { return f.actions.DeleteSeparator(1, f.decider).Done; },
            "вилучення розділювача" },
        { "delete a separator, decided",
            [](Fixture& f) {
                f.decider.answers.push_back(fixedCentre(7.125));
                return f.actions.DeleteSeparator(1, f.decider).Done;
            },
            "вилучення розділювача",
            [](Fixture& f) {
                f.actions.MiddleCheckBoxClick(SlotCentre, false); // group 1 fixed: the settings differ
                f.actions.MiddleEditSubmit(SlotCentre, QStringLiteral("12.5"));
            } },
        { "append points", [](Fixture& f) { return f.actions.AppendPoints(4).Done; }, "додавання точок" },
        { "delete the last points", [](Fixture& f) { return f.actions.DeleteLastPoints(2).Done; },
            "вилучення останніх точок" },
        { "delete the last points of a group",
            [](Fixture& f) {
                f.messenger.answers = { true };
                return f.actions.DeleteLastPoints(4).Done; // 4 of the last group leave one: it goes too
            },
            "вилучення останніх точок" },
        { "delete every point", [](Fixture& f) { return f.actions.DeleteLastPoints(100).Done; },
            "вилучення останніх точок" },
        { "edit a value",
            [](Fixture& f) {
                f.actions.EditValue(2, 0, QStringLiteral("99,5"));
                return true;
            },
            "зміна значення" },
        { "edit a date",
            [](Fixture& f) {
                f.actions.EditDate(2, QStringLiteral("02.03.2024"));
                return true;
            },
            "зміна дати" },
        { "paste over a separator",
            [](Fixture& f) {
                return f.actions.Paste(3, TableColumns::Date,
                    blockOf({ { "05.05.2024", "1" }, { "06.05.2024", "2" }, { "07.05.2024", "3" } }));
            },
            "вставлення з буфера" },
        { "paste that appends",
            [](Fixture& f) {
                f.messenger.answers = { true };
                return f.actions.Paste(
                    8, TableColumns::FirstValue, blockOf({ { "1" }, { "2" }, { "3" }, { "4" }, { "5" } }));
            },
            "вставлення з буфера" },
        { "fix a centre line", [](Fixture& f) { return f.actions.MiddleCheckBoxClick(SlotCentre, false); },
            "зміна налаштувань групи" },
        { "header text",
            [](Fixture& f) {
                f.actions.SetHeaderText(HeaderField::MeasuredParameter, QStringLiteral("Мідь"));
                return true;
            },
            "зміна заголовка" },
        { "header box",
            [](Fixture& f) {
                f.actions.SetHeaderPresent(HeaderField::Sample, true);
                return true;
            },
            "зміна заголовка" },
        { "units",
            [](Fixture& f) {
                f.actions.SetUnits(QStringLiteral("мг/л"));
                return true;
            },
            "зміна заголовка" },
        { "additional information",
            [](Fixture& f) {
                f.actions.SetAdditionalInfo({ QStringLiteral("рядок"), QStringLiteral("ще") });
                return true;
            },
            "зміна заголовка" },
        { "replace the content",
            [](Fixture& f) {
                return f.actions.ReplaceContent(QStringLiteral("імпорт"), [](MeasurementDocument& doc) {
                    build(doc, { 2, 2 }, 0);
                    doc.SetTableName(QStringLiteral("Імпорт"));
                    return true;
                });
            },
            "імпорт" },
    };
    for (const int subgroupSize : { 0, 3 }) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (subgroupSize ? ", subgroups" : ", individual"));
            Fixture f;
            build(f.doc, { 4, 5 }, subgroupSize);
            if (c.prepare)
                c.prepare(f);
            f.doc.ClearChanged();
            f.actions.Clear();
            const Snapshot before = snapshotOf(f.doc);
            ASSERT_TRUE(c.edit(f));
            ASSERT_TRUE(f.actions.CanUndo());
            EXPECT_EQ(f.actions.UndoCaption(), QStringLiteral("Скасувати: ") + c.caption);
            const Snapshot after = snapshotOf(f.doc);
            EXPECT_FALSE(after == before);
            f.actions.Undo();
            EXPECT_TRUE(snapshotOf(f.doc) == before);
            EXPECT_EQ(f.actions.RedoCaption(), QStringLiteral("Повторити: ") + c.caption);
            f.actions.Redo();
            EXPECT_TRUE(snapshotOf(f.doc) == after);
            f.actions.Undo();
            EXPECT_TRUE(snapshotOf(f.doc) == before);
            EXPECT_FALSE(f.doc.Changed());
            ExpectConsistent(f.doc);
        }
    }
}

TEST(DocumentActions, SubgroupSizeKeepsTheDroppedColumns)
{
    Fixture f;
    build(f.doc, { 4, 3 }, 5);
    f.actions.Clear();
    const Snapshot before = snapshotOf(f.doc);
    ASSERT_TRUE(f.actions.SubmitSubgroupSizeText(QStringLiteral("3"), true));
    EXPECT_EQ(f.doc.ValueColumnCount(), 3);
    EXPECT_EQ(f.actions.UndoCaption(), QStringLiteral("Скасувати: зміна розміру підгрупи"));
    const Snapshot after = snapshotOf(f.doc);
    f.actions.Undo();
    EXPECT_TRUE(snapshotOf(f.doc) == before);
    EXPECT_EQ(f.doc.ValueText(1, 4).toString(), QStringLiteral("14"));
    f.actions.Redo();
    EXPECT_TRUE(snapshotOf(f.doc) == after);

    // Refused texts and the same size leave no command.
    f.actions.Clear();
    EXPECT_FALSE(f.actions.SubmitSubgroupSizeText(QStringLiteral("30"), true));
    EXPECT_TRUE(f.actions.SubmitSubgroupSizeText(QStringLiteral("3"), true));
    EXPECT_FALSE(f.actions.CanUndo());
}

// The merge dialog answers once; redo replays the decision without a question.
TEST(DocumentActions, MergeDecisionIsAskedOnce)
{
    Fixture f;
    build(f.doc, { 4, 5 }, 0);
    ASSERT_TRUE(f.actions.MiddleCheckBoxClick(SlotCentre, false));
    ASSERT_TRUE(f.actions.MiddleEditSubmit(SlotCentre, QStringLiteral("12.5")));
    f.decider.answers.push_back(fixedCentre(7.125));
    ASSERT_TRUE(f.actions.DeleteSeparator(1, f.decider).Done);
    ASSERT_EQ(f.decider.questions.size(), 1u);
    EXPECT_EQ(f.doc.DisplayPrecision(), 3);
    for (int round = 0; round < 3; ++round) {
        f.actions.Undo();
        EXPECT_EQ(f.doc.Groups().size(), 2u);
        EXPECT_EQ(f.doc.Groups()[0].CentreSetting.Value, 12.5);
        EXPECT_EQ(f.doc.DisplayPrecision(), 1);
        f.actions.Redo();
        ASSERT_EQ(f.doc.Groups().size(), 1u);
        EXPECT_EQ(f.doc.Groups()[0].CentreSetting, (TFixableValue { true, 7.125 }));
        EXPECT_EQ(f.doc.DisplayPrecision(), 3);
    }
    EXPECT_EQ(f.decider.questions.size(), 1u);

    // A cancelled merge is no command.
    f.actions.Undo();
    const int index = f.actions.stack().index();
    ASSERT_FALSE(f.actions.DeleteSeparator(1, f.decider).Done);
    EXPECT_EQ(f.actions.stack().index(), index);
    EXPECT_TRUE(f.actions.CanRedo());
}

// Changed follows the history: back at the saved state nothing is unsaved.
TEST(DocumentActions, ChangedFollowsTheCleanState)
{
    Fixture f;
    build(f.doc, { 4, 5 }, 0);
    f.actions.Clear();
    EXPECT_FALSE(f.doc.Changed());
    EXPECT_EQ(f.actions.UndoCaption(), QStringLiteral("Скасувати"));
    EXPECT_EQ(f.actions.RedoCaption(), QStringLiteral("Повторити"));
    EXPECT_FALSE(f.actions.CanUndo());

    f.actions.EditValue(1, 0, QStringLiteral("5"));
    EXPECT_TRUE(f.doc.Changed());
    f.actions.Undo();
    EXPECT_FALSE(f.doc.Changed());
    f.actions.Redo();
    EXPECT_TRUE(f.doc.Changed());

    f.doc.ClearChanged(); // saved here
    f.actions.SetClean();
    f.actions.InsertPoint(1);
    EXPECT_TRUE(f.doc.Changed());
    f.actions.Undo();
    EXPECT_FALSE(f.doc.Changed());
    f.actions.Undo(); // before the save
    EXPECT_TRUE(f.doc.Changed());
    f.actions.Redo();
    EXPECT_FALSE(f.doc.Changed());

    // Typing into one header field is one command; typing it back to what it was, none.
    f.actions.SetTableName(QStringLiteral("Т"));
    f.actions.SetTableName(QStringLiteral("Та"));
    f.actions.SetTableName(QStringLiteral("Таб"));
    f.actions.Undo();
    EXPECT_EQ(f.doc.TableName(), QString());
    EXPECT_FALSE(f.doc.Changed());
    f.actions.Redo();
    f.actions.SetTableName(QString());
    EXPECT_EQ(f.doc.TableName(), QString());

    f.actions.Clear();
    EXPECT_FALSE(f.actions.CanUndo());
    EXPECT_FALSE(f.actions.CanRedo());
}

// An undo or redo in the computed state drops the results as an edit does.
TEST(DocumentActions, UndoInTheComputedStateDropsTheResults)
{
    for (const int subgroupSize : { 0, 3 }) {
        Fixture f;
        build(f.doc, { 4, 5 }, subgroupSize);
        const Snapshot before = snapshotOf(f.doc);
        f.actions.EditValue(2, 0, QStringLiteral("77"));
        const Snapshot after = snapshotOf(f.doc);
        ASSERT_TRUE(RunComputeCommand(f.doc));
        ASSERT_TRUE(f.doc.IsComputed());
        f.actions.Undo();
        EXPECT_FALSE(f.doc.IsComputed());
        EXPECT_TRUE(snapshotOf(f.doc) == before);
        ASSERT_TRUE(RunComputeCommand(f.doc));
        f.actions.Redo();
        EXPECT_FALSE(f.doc.IsComputed());
        EXPECT_TRUE(snapshotOf(f.doc) == after);

        // A group edit keeps the results when done (it recomputes the group); its undo drops them.
        ASSERT_TRUE(RunComputeCommand(f.doc));
        ASSERT_TRUE(f.actions.MiddleCheckBoxClick(SlotCentre, false));
        EXPECT_TRUE(f.doc.IsComputed());
        f.actions.Undo();
        EXPECT_FALSE(f.doc.IsComputed());
        EXPECT_TRUE(snapshotOf(f.doc) == after);
        ExpectConsistent(f.doc);
    }
}
