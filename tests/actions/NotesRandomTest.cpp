// Random notes, exclusions, table operations, undos and redos, with saves and loads between them.
// Every state of the history comes back exactly on undo and redo, notes included; a saved and
// loaded document equals the one saved; and the change log gains exactly one entry for every
// command, undo and redo, and its chain holds across the loads.

#include "actions/DocumentActions.h"

#include "TableOperationsTestSupport.h"
#include "common/DocumentBuilder.h"
#include "common/DocumentFileTestSupport.h"
#include "common/TestSupport.h"
#include "model/DocumentFile.h"

#include <QUndoStack>
#include <cstdio>
#include <random>

namespace {

struct State {
    QByteArray Bytes; // without the log, which only grows
    std::map<int, PointNote> Notes;
    friend bool operator==(const State&, const State&) = default;
};

State stateOf(const MeasurementDocument& doc)
{
    return { ContentBytes(doc), doc.PointNotes() };
}

void ExpectSameDocument(const MeasurementDocument& actual, const MeasurementDocument& expected)
{
    ExpectSameStoredContent(actual, expected);
    EXPECT_EQ(actual.PointNotes(), expected.PointNotes());
    EXPECT_EQ(actual.ExcludedFlags(1, actual.PointCount()), expected.ExcludedFlags(1, expected.PointCount()));
    EXPECT_EQ(actual.ExcludedPointCount(), expected.ExcludedPointCount());
    EXPECT_EQ(actual.Log().Entries(), expected.Log().Entries());
}

class NotesRandom {
public:
    NotesRandom(unsigned seed, int subgroupSize)
        : m_rng(seed)
        , m_subgroupSize(subgroupSize)
    {
        std::vector<std::vector<QStringList>> groups;
        for (const int size : { 6, 5, 7 }) {
            std::vector<QStringList> rows(size_t(size), QStringList(std::max(1, subgroupSize), QStringLiteral("1")));
            groups.push_back(rows);
        }
        BuildDocument(m_doc, subgroupSize, groups);
        m_actions.Clear();
        m_states.push_back(stateOf(m_doc));
    }

    int Commands = 0;
    int Undos = 0;
    int Redos = 0;
    int Loads = 0;

    void Step(int step)
    {
        SCOPED_TRACE("step " + std::to_string(step));
        const int choice = pick(0, 29);
        if (choice < 5 && m_actions.CanUndo()) {
            m_actions.Undo();
            ++Undos;
            ++m_expectedLog;
            expectState("undo");
        } else if (choice < 8 && m_actions.CanRedo()) {
            m_actions.Redo();
            ++Redos;
            ++m_expectedLog;
            expectState("redo");
        } else if (choice == 8) {
            saveAndLoad(pick(0, 1) == 0);
        } else {
            edit(choice);
        }
        // A typed header edit is logged once it can merge no more; here it can.
        m_actions.FlushLog();
        ASSERT_EQ(m_doc.Log().Size(), m_expectedLog);
        // The new entries chain on (the whole chain is checked at every load).
        const std::vector<ChangeLogEntry>& log = m_doc.Log().Entries();
        for (size_t i = size_t(m_checkedLog); i < log.size(); ++i)
            EXPECT_EQ(log[i].Hash, ChangeLog::EntryHash(i > 0 ? log[i - 1].Hash : QString(), log[i])) << i;
        m_checkedLog = int(log.size());
        for (const auto& [row, note] : m_doc.PointNotes()) {
            ASSERT_LE(row, m_doc.TableRowCount());
            EXPECT_FALSE(m_doc.SeparatorFlags()[size_t(row - 1)]) << "a note on separator row " << row;
            EXPECT_FALSE(note.Empty());
        }
        ExpectConsistent(m_doc);
    }

    // The end of a run: the log names every undo and redo, and the last save loads whole.
    void Finish()
    {
        int undos = 0;
        int redos = 0;
        for (const ChangeLogEntry& entry : m_doc.Log().Entries()) {
            undos += entry.Change.startsWith(QStringLiteral("скасування: "));
            redos += entry.Change.startsWith(QStringLiteral("повторення: "));
        }
        EXPECT_EQ(undos, Undos);
        EXPECT_EQ(redos, Redos);
        saveAndLoad(false);
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_rng); }

    QString text()
    {
        static const QStringList pool { QString(), QString(), QStringLiteral("Забруднений посуд"),
            QStringLiteral("Перекалібрування\nприладу"), QStringLiteral("a\\b\tc\r\nd"), QStringLiteral("中文 😀 é"),
            QStringLiteral("\\u{41} \\n"), QString(2100, QChar(u'ж')) };
        return pool[qsizetype(pick(0, int(pool.size()) - 1))];
    }

    void expectState(const char* what)
    {
        const size_t index = size_t(m_actions.stack().index());
        ASSERT_LT(index, m_states.size());
        EXPECT_TRUE(stateOf(m_doc) == m_states[index]) << what << " to " << index;
    }

    int pointRow()
    {
        for (int tries = 0; tries < 20; ++tries) {
            const int row = pick(1, std::max(1, m_doc.TableRowCount()));
            if (row <= m_doc.TableRowCount() && !m_doc.SeparatorFlags()[size_t(row - 1)])
                return row;
        }
        return 0;
    }

    void note()
    {
        // Rows with a note are picked often, so that notes are changed and removed as well.
        int row = pointRow();
        if (!m_doc.PointNotes().empty() && pick(0, 1)) {
            auto it = m_doc.PointNotes().begin();
            std::advance(it, pick(0, int(m_doc.PointNotes().size()) - 1));
            row = it->first;
        }
        if (row == 0)
            return;
        PointNote note;
        if (pick(0, 3) > 0) {
            note.Note = text();
            note.Action = text();
        }
        if (pick(0, 2) == 0)
            note.ExcludeReason = pick(0, 3) ? text() : QStringLiteral("  ");
        if (!m_actions.SetPointNote(row, note))
            return;
        const PointNote* stored = m_doc.NoteOf(row);
        const QString reason = note.ExcludeReason.trimmed().left(PointNoteMaxChars);
        if (note.Note.isEmpty() && note.Action.isEmpty() && reason.isEmpty()) {
            EXPECT_EQ(stored, nullptr);
        } else {
            ASSERT_NE(stored, nullptr);
            EXPECT_EQ(stored->Note, note.Note.left(PointNoteMaxChars));
            EXPECT_EQ(stored->Action, note.Action.left(PointNoteMaxChars));
            EXPECT_EQ(stored->ExcludeReason, reason);
            EXPECT_FALSE(stored->Author.isEmpty());
        }
    }

    void edit(int choice)
    {
        const int points = m_doc.PointCount();
        const int index = m_actions.stack().index();
        const int count = m_actions.stack().count();
        const QByteArray before = ContentBytes(m_doc);
        m_messenger.answers = { bool(pick(0, 1)) };
        bool header = false;
        if (choice < 18) {
            note();
        } else {
            switch (choice) {
            case 18:
            case 19:
                m_actions.InsertPoint(pick(1, points + 2));
                break;
            case 20:
                m_actions.InsertSeparator(pick(1, std::max(1, points)));
                break;
            case 21:
            case 22:
                m_actions.DeletePoint(pick(1, std::max(1, points)));
                break;
            case 23:
                m_decider.answers = { std::nullopt };
                m_actions.DeleteSeparator(pick(1, std::max(1, int(m_doc.Groups().size()) - 1)), m_decider);
                break;
            case 24:
                m_actions.AppendPoints(pick(1, 3));
                break;
            case 25:
                m_messenger.answers = { true, bool(pick(0, 1)) };
                m_actions.DeleteLastPoints(pick(1, 3));
                break;
            case 26:
                if (const int row = pointRow())
                    m_actions.EditValue(row, pick(0, m_doc.ValueColumnCount() - 1), QString::number(pick(1, 99)));
                break;
            case 27:
                if (m_subgroupSize > 0)
                    m_actions.ChangeSubgroupSize(pick(2, 6));
                break;
            default:
                // Typing, and typing back to where it started: merged into one command.
                header = true;
                if (pick(0, 2) == 0 && !m_doc.TableName().isEmpty())
                    m_actions.SetTableName(m_doc.TableName().chopped(1));
                else
                    m_actions.SetTableName(m_doc.TableName() + QChar(u'а' + pick(0, 5)));
                break;
            }
        }
        const int now = m_actions.stack().index();
        const bool pushed
            = now != index || m_actions.stack().count() != count || (header && ContentBytes(m_doc) != before);
        if (!pushed) {
            expectState("refused edit");
            return;
        }
        ++Commands;
        ++m_expectedLog;
        m_states.resize(size_t(now) + 1);
        m_states[size_t(now)] = stateOf(m_doc);
    }

    // Saves and loads the document: the copy equals it. `replace` loads the file back into the
    // working document, as opening it in the window does, and goes on from there.
    void saveAndLoad(bool replace)
    {
        m_actions.FlushLog();
        const QByteArray bytes = DocumentFileBytes(m_doc);
        RecordingMessenger messenger;
        MeasurementDocument loaded(messenger);
        ASSERT_TRUE(LoadDocumentFromBytes(loaded, bytes, QStringLiteral("notes.mrd")));
        EXPECT_TRUE(messenger.messages.isEmpty());
        ExpectSameDocument(loaded, m_doc);
        EXPECT_TRUE(loaded.Log().Verified());
        EXPECT_TRUE(m_doc.Log().Verified());
        EXPECT_EQ(DocumentFileBytes(loaded), bytes);
        ++Loads;
        if (!replace)
            return;
        ASSERT_TRUE(LoadDocumentFromBytes(m_doc, bytes, QStringLiteral("notes.mrd")));
        m_actions.Clear();
        m_states.assign(1, stateOf(m_doc));
        ExpectSameDocument(m_doc, loaded);
    }

    std::mt19937 m_rng;
    int m_subgroupSize;
    RecordingMessenger m_messenger;
    MeasurementDocument m_doc { m_messenger };
    DocumentActions m_actions { m_doc };
    ScriptedMergeDecider m_decider;
    std::vector<State> m_states; // by history index
    int m_expectedLog = 0;
    int m_checkedLog = 0;
};

} // namespace

TEST(NotesRandom, HistoryFileAndLogAgree)
{
    for (const int subgroupSize : { 0, 4 }) {
        for (const unsigned seed : { 16u, 1712u }) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", subgroup size " + std::to_string(subgroupSize));
            NotesRandom run(seed, subgroupSize);
            for (int step = 0; step < 500 && !::testing::Test::HasFatalFailure(); ++step)
                run.Step(step);
            run.Finish();
            std::printf("commands %d, undos %d, redos %d, loads %d\n", run.Commands, run.Undos, run.Redos, run.Loads);
        }
    }
}
