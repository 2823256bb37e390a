#include "actions/DocumentActions.h"

#include "TableOperationsTestSupport.h"
#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"

#include <QDateTime>

namespace {

// Answers every reason question from a queue; declines once it is empty.
class ReasonMessenger final : public Messenger {
public:
    void ShowMessage(const QString& text) override { messages.append(text); }
    bool AskYesNo(const QString&) override { return true; }
    std::optional<QString> AskText(const QString& question, const QString&) override
    {
        questions.append(question);
        if (reasons.isEmpty())
            return std::nullopt;
        return reasons.takeFirst();
    }
    QStringList messages;
    QStringList questions;
    QStringList reasons;
};

struct Fixture {
    Fixture()
    {
        std::vector<QStringList> rows;
        for (int i = 1; i <= 6; ++i)
            rows.push_back({ QString::number(i * 10) });
        BuildDocument(doc, 0, { rows });
        doc.ClearChanged();
    }
    QStringList changes() const
    {
        QStringList texts;
        for (const ChangeLogEntry& entry : doc.Log().Entries())
            texts.append(entry.Change);
        return texts;
    }
    ReasonMessenger messenger;
    MeasurementDocument doc { messenger };
    DocumentActions actions { doc };
};

PointNote noteOf(const QString& note, const QString& reason = QString())
{
    PointNote n;
    n.Note = note;
    n.ExcludeReason = reason;
    return n;
}

} // namespace

TEST(ChangeLogActions, EveryCommandUndoAndRedoIsOneEntry)
{
    Fixture f;
    f.actions.EditValue(2, 0, QStringLiteral("99,5"));
    f.actions.InsertPoint(1);
    f.actions.Undo();
    f.actions.Redo();
    EXPECT_EQ(f.changes(),
        QStringList({ QStringLiteral("зміна значення, точка 2: «20» → «99,5»"), QStringLiteral("вставлення точки"),
            QStringLiteral("скасування: вставлення точки"), QStringLiteral("повторення: вставлення точки") }));
    for (const ChangeLogEntry& entry : f.doc.Log().Entries()) {
        EXPECT_FALSE(entry.User.isEmpty());
        // Local time with its offset, to the second.
        EXPECT_TRUE(QDateTime::fromString(entry.Time, Qt::ISODate).isValid()) << entry.Time.toStdString();
        EXPECT_TRUE(entry.Time.contains(QLatin1Char('+')) || entry.Time.contains(QLatin1Char('-'))
            || entry.Time.endsWith(QLatin1Char('Z')));
    }
    EXPECT_TRUE(f.doc.Log().Verified());
}

TEST(ChangeLogActions, TypingIntoAFieldIsLoggedOnceItEnds)
{
    Fixture f;
    f.actions.SetTableName(QStringLiteral("М"));
    f.actions.SetTableName(QStringLiteral("Мі"));
    f.actions.SetTableName(QStringLiteral("Мідь"));
    EXPECT_TRUE(f.doc.Log().Empty()); // it may still merge
    f.actions.EditDate(1, QStringLiteral("15.03.2024"));
    ASSERT_EQ(f.doc.Log().Size(), 2);
    EXPECT_EQ(f.doc.Log().Entries()[0].Change, QStringLiteral("зміна заголовка: «» → «Мідь»"));

    // Typed back to where it was: no change, nothing to log.
    f.actions.SetUnits(QStringLiteral("м"));
    f.actions.SetUnits(QString());
    f.actions.FlushLog();
    EXPECT_EQ(f.doc.Log().Size(), 2);

    // A save takes the pending entry first.
    f.actions.SetUnits(QStringLiteral("мг/л"));
    f.actions.SetClean();
    EXPECT_EQ(f.doc.Log().Size(), 3);
    EXPECT_TRUE(f.doc.Log().Verified());
}

TEST(ChangeLogActions, NotesTravelWithTheirPointsAndComeBackByUndo)
{
    Fixture f;
    ASSERT_TRUE(f.actions.SetPointNote(3, noteOf(QStringLiteral("Нова партія реактиву"))));
    ASSERT_TRUE(f.actions.SetPointNote(5, noteOf(QString(), QStringLiteral("Збій термостата"))));
    EXPECT_FALSE(f.actions.SetPointNote(5, noteOf(QString(), QStringLiteral("  Збій термостата ")))); // no change
    EXPECT_EQ(f.doc.ExcludedPointCount(), 1);
    EXPECT_EQ(f.doc.Log().Entries().back().Reason, QStringLiteral("Збій термостата"));
    EXPECT_EQ(f.doc.NoteOf(3)->Author, ChangeLog::CurrentUser());

    f.actions.InsertPoint(1); // every row moves down by one
    EXPECT_EQ(f.doc.NoteOf(3), nullptr);
    ASSERT_NE(f.doc.NoteOf(4), nullptr);
    EXPECT_EQ(f.doc.NoteOf(4)->Note, QStringLiteral("Нова партія реактиву"));
    EXPECT_TRUE(f.doc.PointExcluded(6));

    const PointNote kept = *f.doc.NoteOf(4);
    f.actions.DeletePoint(4);
    EXPECT_EQ(f.doc.NoteOf(4), nullptr);
    EXPECT_TRUE(f.doc.PointExcluded(5));
    f.actions.Undo();
    ASSERT_NE(f.doc.NoteOf(4), nullptr);
    EXPECT_EQ(*f.doc.NoteOf(4), kept);
    EXPECT_TRUE(f.doc.PointExcluded(6));

    // Undoing the exclusion itself lets the point feed the limits again.
    f.actions.Undo(); // the insert
    f.actions.Undo(); // the exclusion
    EXPECT_EQ(f.doc.ExcludedPointCount(), 0);
    EXPECT_EQ(
        f.doc.Log().Entries().back().Change, QStringLiteral("скасування: виключення точки з обчислення меж, точка 5"));
    EXPECT_TRUE(f.doc.Log().Verified());

    // A separator row carries no note.
    ASSERT_TRUE(f.actions.InsertSeparator(3).Done);
    int separatorRow = 1;
    while (!f.doc.IsSeparatorRow(separatorRow))
        ++separatorRow;
    ASSERT_LT(separatorRow, f.doc.TableRowCount());
    EXPECT_FALSE(f.actions.SetPointNote(separatorRow, noteOf(QStringLiteral("ні"))));
}

TEST(ChangeLogActions, FixingALimitAsksForTheReason)
{
    Fixture f;
    f.doc.ClearSelectedGroups();
    f.messenger.reasons = { QStringLiteral("  Атестоване значення  ") };
    ASSERT_TRUE(f.actions.MiddleCheckBoxClick(SlotCentre, false));
    ASSERT_EQ(f.messenger.questions.size(), 1);
    EXPECT_EQ(f.messenger.questions[0], QStringLiteral("Причина зміни фіксованого значення:"));
    ASSERT_EQ(f.doc.Log().Size(), 1);
    EXPECT_EQ(f.doc.Log().Entries()[0].Reason, QStringLiteral("Атестоване значення"));
    EXPECT_TRUE(f.doc.Log().Entries()[0].Change.startsWith(QStringLiteral("зміна налаштувань групи, група 1: ")));

    // Declined: the change stands, with no reason.
    f.actions.MiddleEditSubmit(SlotCentre, QStringLiteral("12,5"));
    EXPECT_EQ(f.messenger.questions.size(), 2);
    EXPECT_TRUE(f.doc.Log().Entries().back().Reason.isEmpty());
    EXPECT_TRUE(f.doc.Log().Entries().back().Change.contains(QStringLiteral("→ 12.5")));

    // Back to automatic: nothing fixed, nothing asked.
    f.actions.MiddleCheckBoxClick(SlotCentre, true);
    EXPECT_EQ(f.messenger.questions.size(), 2);
}
