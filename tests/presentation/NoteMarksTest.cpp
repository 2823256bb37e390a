#include "common/DocumentBuilder.h"
#include "common/NoteSupport.h"
#include "common/TestSupport.h"

#include "model/ChangeLog.h"
#include "presentation/ChangeLogModel.h"
#include "presentation/TableGridModel.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QFont>
#include <QSignalSpy>

namespace {

// Two groups of three points: rows 1-3, the separator at row 4, rows 5-7.
void BuildTwoGroups(MeasurementDocument& doc)
{
    BuildDocument(doc, 0, { { { "10" }, { "12" }, { "11" } }, { { "13" }, { "9" }, { "10" } } });
}

PointNote Note(const QString& note, const QString& action, const QString& reason)
{
    return TestNote(note, action, reason);
}

} // namespace

// What the number cell of a point row shows for each kind of record.
TEST(NoteMarks, NumberCellShowsMarkToolTipAndStrikeOut)
{
    struct Case {
        const char* Name;
        PointNote Record;
        bool Mark;
        bool Struck;
        QStringList TipHas;
    };
    const Case cases[] = {
        { "nothing", PointNote(), false, false, {} },
        { "note only", Note("пробу розлито", "", ""), true, false, { "Примітка:", "пробу розлито", "лаборант" } },
        { "action only", Note("", "перекалібровано", ""), true, false, { "Коригувальна дія:", "перекалібровано" } },
        { "excluded only", Note("", "", "збій термостата"), false, true,
            { "Не враховано при обчисленні меж:", "збій термостата" } },
        { "note and exclusion", Note("викид", "повторено", "збій"), true, true, { "викид", "повторено", "збій" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        BuildTwoGroups(doc);
        TableGridModel labels(doc, TableGridModel::Part::Labels);
        QAbstractItemModelTester tester(&labels, QAbstractItemModelTester::FailureReportingMode::Fatal);
        doc.SetPointNote(6, c.Record);
        const QModelIndex number = labels.index(5, 0); // grid row 6: point 5
        const QModelIndex date = labels.index(5, 1);

        EXPECT_EQ(number.data().toString(), c.Mark ? QStringLiteral("5") + TableGridModel::NoteMark() : "5");
        EXPECT_EQ(number.data(Qt::EditRole).toString(), QStringLiteral("5")); // the label itself
        EXPECT_EQ(number.data(TableGridModel::HasNoteRole).toBool(), c.Mark);
        EXPECT_EQ(number.data(TableGridModel::ExcludedRole).toBool(), c.Struck);
        EXPECT_EQ(qvariant_cast<QFont>(number.data(Qt::FontRole)).strikeOut(), c.Struck);
        EXPECT_EQ(number.data(Qt::ForegroundRole).isValid(), c.Struck);
        const QString tip = number.data(Qt::ToolTipRole).toString();
        EXPECT_EQ(tip.isEmpty(), c.TipHas.isEmpty());
        for (const QString& part : c.TipHas)
            EXPECT_TRUE(tip.contains(part)) << tip.toStdString();
        // Only the number cell carries it; the neighbours and other points show nothing.
        EXPECT_FALSE(date.data(Qt::ToolTipRole).isValid());
        EXPECT_EQ(date.data().toString(), doc.DateText(6));
        EXPECT_EQ(labels.index(4, 0).data().toString(), QStringLiteral("4"));
        EXPECT_FALSE(labels.index(4, 0).data(Qt::ToolTipRole).isValid());
    }
}

// The tool tip is rich text (so that it wraps): the analyst's text is escaped, lines kept.
TEST(NoteMarks, ToolTipEscapesTextAndKeepsLines)
{
    const QString tip = TableGridModel::NoteToolTip(Note("a <b>&\nдругий рядок", "", ""));
    EXPECT_TRUE(tip.contains(QStringLiteral("a &lt;b&gt;&amp;<br>другий рядок"))) << tip.toStdString();
    EXPECT_TRUE(TableGridModel::NoteToolTip(PointNote()).isEmpty());
}

// A note changes one cell: the label grid says so for that cell alone, never by a reset; the
// value and result grids hear nothing. Separators carry no note.
TEST(NoteMarks, NoteChangesOneCellWithoutReset)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildTwoGroups(doc);
    TableGridModel labels(doc, TableGridModel::Part::Labels);
    TableGridModel values(doc, TableGridModel::Part::Values);
    QAbstractItemModelTester tester(&labels, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy labelChanges(&labels, &QAbstractItemModel::dataChanged);
    QSignalSpy labelResets(&labels, &QAbstractItemModel::modelReset);
    QSignalSpy valueChanges(&values, &QAbstractItemModel::dataChanged);

    doc.SetPointNote(2, Note("n", "", ""));
    ASSERT_EQ(labelChanges.size(), 1);
    EXPECT_EQ(labelChanges[0][0].toModelIndex(), labels.index(1, 0));
    EXPECT_EQ(labelChanges[0][1].toModelIndex(), labels.index(1, 0));
    const auto roles = labelChanges[0][2].value<QList<int>>();
    for (int role : { int(Qt::DisplayRole), int(Qt::ToolTipRole), int(Qt::FontRole) })
        EXPECT_TRUE(roles.contains(role)) << role;
    EXPECT_EQ(labelResets.size(), 0);
    EXPECT_EQ(valueChanges.size(), 0);

    doc.SetPointNote(4, Note("on a separator", "", "")); // refused by the document
    EXPECT_EQ(labelChanges.size(), 1);
    EXPECT_FALSE(labels.index(3, 0).data(TableGridModel::HasNoteRole).toBool());
    EXPECT_EQ(labels.index(3, 0).data().toString(), MeasurementDocument::SeparatorLabel(1));

    doc.SetPointNote(2, PointNote()); // removed: the mark goes
    EXPECT_EQ(labelChanges.size(), 2);
    EXPECT_EQ(labels.index(1, 0).data().toString(), QStringLiteral("2"));
    EXPECT_EQ(labelResets.size(), 0);
}

// A note moves with its point when a row is inserted above it, and the mark follows.
TEST(NoteMarks, MarkFollowsItsPointAcrossAnInsert)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildTwoGroups(doc);
    TableGridModel labels(doc, TableGridModel::Part::Labels); // no tester: the insert relabels the rows below
    doc.SetPointNote(3, Note("n", "", ""));
    doc.InsertTableRows(1, 1, false);
    EXPECT_FALSE(labels.index(2, 0).data(TableGridModel::HasNoteRole).toBool());
    EXPECT_TRUE(labels.index(3, 0).data(TableGridModel::HasNoteRole).toBool());
    EXPECT_EQ(labels.index(3, 0).data().toString(), QStringLiteral("4") + TableGridModel::NoteMark());
}

// The log as a table: one row an entry, its fields in the columns, and the verdict on the chain.
TEST(ChangeLogModel, RowsFollowTheLogAndTheVerdictFindsAnEdit)
{
    ChangeLog log;
    log.AppendAt(QStringLiteral("2026-03-01T10:00:00+02:00"), QStringLiteral("ivanenko"),
        QStringLiteral("зміна значення: 10 → 11"), QString());
    log.AppendAt(QStringLiteral("2026-03-01T10:05:00+02:00"), QStringLiteral("ivanenko"),
        QStringLiteral("фіксоване середнє: 11"), QStringLiteral("атестоване значення"));
    ChangeLogModel model(log);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_EQ(model.rowCount(), 2);
    ASSERT_EQ(model.columnCount(), 5);
    const QStringList headers = { "№", "Час", "Користувач", "Зміна", "Причина" };
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(model.headerData(c, Qt::Horizontal).toString(), headers[c]);
    const QStringList second
        = { "2", "2026-03-01T10:05:00+02:00", "ivanenko", "фіксоване середнє: 11", "атестоване значення" };
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(model.index(1, c).data().toString(), second[c]) << c;
    EXPECT_EQ(model.VerdictText(), QStringLiteral("Журнал цілісний"));
    EXPECT_TRUE(model.index(1, 3).data(ChangeLogModel::VerifiedRole).toBool());

    // New entries come as inserted rows.
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    log.Append(QStringLiteral("примітка до точки 3"));
    model.Refresh();
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(inserted.size(), 1);
    EXPECT_EQ(reset.size(), 0);

    // An entry stored with a hash that does not hold: the chain breaks after entry 3.
    ChangeLogEntry forged { QStringLiteral("2026-03-01T11:00:00+02:00"), QStringLiteral("x"), QStringLiteral("зміна"),
        QString(), QStringLiteral("00") };
    log.AppendStored(forged);
    log.Append(QStringLiteral("ще одна зміна"));
    model.Refresh();
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(model.VerifiedCount(), 3);
    EXPECT_EQ(model.VerdictText(), QStringLiteral("Журнал змінено поза програмою після запису 3"));
    EXPECT_TRUE(model.index(2, 0).data(ChangeLogModel::VerifiedRole).toBool());
    EXPECT_FALSE(model.index(3, 0).data(ChangeLogModel::VerifiedRole).toBool());
    EXPECT_FALSE(model.index(4, 0).data(ChangeLogModel::VerifiedRole).toBool());
    EXPECT_TRUE(model.index(4, 0).data(Qt::ForegroundRole).isValid());
    EXPECT_FALSE(model.index(0, 0).data(Qt::ForegroundRole).isValid());

    // Another document's log (a load): one reset, whatever its length.
    log.Clear();
    for (int i = 0; i < 7; ++i)
        log.Append(QStringLiteral("запис ") + QString::number(i));
    model.Refresh();
    EXPECT_EQ(reset.size(), 1);
    EXPECT_EQ(model.rowCount(), 7);
    EXPECT_EQ(model.index(0, 3).data().toString(), QStringLiteral("запис 0"));
    EXPECT_EQ(model.VerdictText(), QStringLiteral("Журнал цілісний"));
}

TEST(ChangeLogModel, VerdictTexts)
{
    EXPECT_EQ(ChangeLogModel::VerdictText(0, 0), QStringLiteral("Журнал цілісний"));
    EXPECT_EQ(ChangeLogModel::VerdictText(4, 4), QStringLiteral("Журнал цілісний"));
    EXPECT_EQ(ChangeLogModel::VerdictText(4, 0), QStringLiteral("Журнал змінено поза програмою після запису 0"));
}
