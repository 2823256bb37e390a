// Random sequences of every kind of command with random undos and redos. The state at each place of
// the history is kept as the file's bytes when first reached; every undo and redo must come back to
// exactly that state, on both modes. (Computing rewrites the display precision outside the history,
// so the computed state has a test of its own.)

#include "actions/DocumentActions.h"

#include "TableOperationsTestSupport.h"
#include "common/DocumentBuilder.h"
#include "common/DocumentFileTestSupport.h"
#include "common/TestSupport.h"
#include "model/SourceTable.h"
#include "model/TableColumns.h"

#include <QUndoStack>
#include <cstdio>
#include <random>

namespace {

struct State {
    QByteArray Bytes;
    int Records = 0;
    int ValueColumns = 0;
    friend bool operator==(const State&, const State&) = default;
};

State stateOf(const MeasurementDocument& doc)
{
    return { ContentBytes(doc), int(doc.Groups().size()), doc.ValueColumnCount() };
}

void build(MeasurementDocument& doc, const std::vector<int>& sizes, int subgroupSize)
{
    std::vector<std::vector<QStringList>> groups;
    int value = 1;
    for (int size : sizes) {
        std::vector<QStringList> rows;
        for (int i = 0; i < size; ++i, ++value) {
            QStringList cells;
            for (int c = 0; c < std::max(1, subgroupSize); ++c)
                cells << QString::number(value + c * 0.5);
            rows.push_back(cells);
        }
        groups.push_back(rows);
    }
    BuildDocument(doc, subgroupSize, groups);
}

class RandomEdits {
public:
    RandomEdits(unsigned seed, int subgroupSize)
        : m_rng(seed)
        , m_subgroupSize(subgroupSize)
    {
        build(m_doc, { 5, 6, 4 }, subgroupSize);
        m_actions.Clear();
        m_states.push_back(stateOf(m_doc));
    }

    int Commands = 0;
    int Undos = 0;
    int Redos = 0;

    void Step(int step)
    {
        SCOPED_TRACE("step " + std::to_string(step));
        const int choice = pick(0, 19);
        if (choice < 6 && m_actions.CanUndo()) {
            m_actions.Undo();
            ++Undos;
            expectState("undo");
        } else if (choice < 10 && m_actions.CanRedo()) {
            m_actions.Redo();
            ++Redos;
            expectState("redo");
        } else {
            edit();
        }
        ExpectConsistent(m_doc);
        EXPECT_EQ(m_doc.Changed(), !m_actions.IsClean());
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_rng); }
    QString number() { return QString::number(pick(1, 999) / 10.0); }

    void expectState(const char* what)
    {
        const size_t index = size_t(m_actions.stack().index());
        ASSERT_LT(index, m_states.size());
        EXPECT_TRUE(stateOf(m_doc) == m_states[index]) << what << " to " << index;
        EXPECT_FALSE(m_doc.IsComputed());
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

    void edit()
    {
        const int points = m_doc.PointCount();
        const int groups = int(m_doc.Groups().size());
        m_messenger.answers = { bool(pick(0, 1)) };
        const int index = m_actions.stack().index();
        const int count = m_actions.stack().count();
        bool header = false;
        switch (pick(0, 14)) {
        case 0:
            m_actions.InsertPoint(pick(1, points + 2));
            break;
        case 1:
            m_actions.InsertSeparator(pick(1, std::max(1, points)));
            break;
        case 2:
            m_actions.DeletePoint(pick(1, std::max(1, points)));
            break;
        case 3:
            m_decider.answers = { std::nullopt };
            if (pick(0, 2) > 0) {
                MergeDecision decision;
                decision.Settings[size_t(MergeLine::Centre)] = { true, pick(1, 900) / 8.0 };
                decision.Decimals = pick(1, 3);
                m_decider.answers = { decision };
            }
            m_actions.DeleteSeparator(pick(1, std::max(1, groups - 1)), m_decider);
            break;
        case 4:
            m_actions.AppendPoints(pick(1, 3));
            break;
        case 5:
            m_messenger.answers = { true, bool(pick(0, 1)) };
            m_actions.DeleteLastPoints(pick(1, 3));
            break;
        case 6:
        case 7:
            if (const int row = pointRow())
                m_actions.EditValue(row, pick(0, m_doc.ValueColumnCount() - 1), number());
            break;
        case 8:
            if (const int row = pointRow())
                m_actions.EditDate(row, QStringLiteral("%1.02.2024").arg(pick(10, 28)));
            break;
        case 9: {
            SourceTable block;
            const int rows = pick(1, 4);
            const int column = pick(TableColumns::Date, TableColumns::FirstValue);
            for (int r = 0; r < rows; ++r) {
                block.StartRow(r + 1);
                block.AddCell(column == TableColumns::Date ? QStringLiteral("01.01.2025") : number());
                block.AddCell(number());
                block.FinishRow(true);
            }
            m_actions.Paste(pick(1, std::max(1, m_doc.TableRowCount())), column, block);
            break;
        }
        case 10: {
            const int slot = pick(0, 1) ? SlotCentre : SlotDeviation;
            m_doc.SetSelectedGroup(slot, pick(0, std::max(0, groups - 1))); // a selection, no edit
            if (pick(0, 1))
                m_actions.MiddleCheckBoxClick(slot, bool(pick(0, 1)));
            else
                m_actions.MiddleEditSubmit(slot, pick(0, 3) ? number() : QStringLiteral("x1.12345"));
            break;
        }
        case 11:
            m_doc.SetSelectedGroup(SlotCentre, pick(0, std::max(0, groups - 1)));
            m_actions.SigmaCheckBoxClick(SlotCentre, bool(pick(0, 1)));
            break;
        case 12:
            header = true;
            switch (pick(0, 3)) {
            case 0:
                m_actions.SetTableName(m_doc.TableName() + QChar(u'а' + pick(0, 5)));
                break;
            case 1:
                m_actions.SetUnits(pick(0, 1) ? QStringLiteral("мг") : QString());
                break;
            case 2:
                m_actions.SetHeaderText(HeaderField::MeasuredParameter, pick(0, 1) ? QStringLiteral("Cu") : QString());
                break;
            default:
                m_actions.SetHeaderPresent(HeaderField(pick(0, HeaderFieldCount - 1)), bool(pick(0, 1)));
                break;
            }
            break;
        case 13:
            if (m_subgroupSize > 0)
                m_actions.ChangeSubgroupSize(pick(2, 6));
            break;
        default:
            if (pick(0, 3) == 0) {
                m_actions.ReplaceContent(QStringLiteral("імпорт"), [this](MeasurementDocument& doc) {
                    build(doc, { pick(2, 5), pick(2, 5) }, pick(0, 1) ? 0 : 4);
                    return true;
                });
            }
            break;
        }
        const int now = m_actions.stack().index();
        // A push drops the commands to redo; a typed header edit may merge into the last command.
        const bool pushed = now != index || m_actions.stack().count() != count || (header && count == now);
        if (!pushed) {
            // Nothing done: nothing changed.
            expectState("refused edit");
            return;
        }
        ++Commands;
        m_states.resize(size_t(now) + 1);
        m_states[size_t(now)] = stateOf(m_doc);
    }

    std::mt19937 m_rng;
    int m_subgroupSize;
    RecordingMessenger m_messenger;
    MeasurementDocument m_doc { m_messenger };
    DocumentActions m_actions { m_doc };
    ScriptedMergeDecider m_decider;
    std::vector<State> m_states; // by history index
};

} // namespace

TEST(DocumentActionsRandom, UndoAndRedoComeBackExactly)
{
    for (const int subgroupSize : { 0, 3 }) {
        for (const unsigned seed : { 7u, 2024u }) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", subgroup size " + std::to_string(subgroupSize));
            RandomEdits edits(seed, subgroupSize);
            for (int step = 0; step < 400 && !::testing::Test::HasFatalFailure(); ++step)
                edits.Step(step);
            std::printf("commands %d, undos %d, redos %d\n", edits.Commands, edits.Undos, edits.Redos);
        }
    }
}
