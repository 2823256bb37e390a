#include "actions/DocumentActions.h"

#include "actions/DocumentCommands.h"
#include "actions/GroupSettings.h"
#include "actions/Paste.h"
#include "model/ChangeLog.h"
#include "model/Messenger.h"
#include "model/SourceTable.h"
#include "model/TableColumns.h"

#include <QUndoStack>
#include <algorithm>
#include <memory>

namespace {

// The last row a block of `points` point rows from `row` on reaches, separators passed over.
int lastRowOfPoints(const MeasurementDocument& doc, int row, int points)
{
    const std::vector<bool>& flags = doc.SeparatorFlags();
    const int tableRows = doc.TableRowCount();
    int last = row - 1;
    for (int r = row; r <= tableRows && points > 0; ++r) {
        last = r;
        points -= !flags[size_t(r - 1)];
    }
    return last;
}

} // namespace

DocumentActions::DocumentActions(MeasurementDocument& doc, QObject* parent)
    : QObject(parent)
    , m_doc(doc)
    , m_stack(new QUndoStack(this))
{
    connect(m_stack, &QUndoStack::cleanChanged, this, [this](bool clean) {
        if (clean)
            m_doc.ClearChanged();
        else
            m_doc.MarkChanged();
    });
    connect(m_stack, &QUndoStack::indexChanged, this, &DocumentActions::historyChanged);
    connect(m_stack, &QUndoStack::cleanChanged, this, &DocumentActions::historyChanged);
}

DocumentActions::~DocumentActions() = default;

void DocumentActions::push(DocumentCommand* command)
{
    const int indexBefore = m_stack->index();
    const bool mergeable = command->id() != -1;
    const PendingEntry entry { command->LogText(), command->LogReason() };
    m_stack->push(command); // may merge command into the top one, and delete it
    const int index = m_stack->index();
    if (index == indexBefore + 1) {
        FlushLog();
        if (mergeable)
            m_pending = entry;
        else
            m_doc.AppendLogEntry(entry.Change, entry.Reason);
    } else if (index == indexBefore && index > 0) {
        // Merged: the top command now spans both edits.
        const auto* top = static_cast<const DocumentCommand*>(m_stack->command(index - 1));
        m_pending = PendingEntry { top->LogText(), top->LogReason() };
    } else {
        // Merged back to no change at all: nothing to log, unless the way there was logged already
        // (a save flushed it); then this step back is a change of its own.
        if (!m_pending)
            m_doc.AppendLogEntry(entry.Change, entry.Reason);
        m_pending.reset();
    }
    Q_EMIT historyChanged();
}

void DocumentActions::log(const DocumentCommand& command, const QString& prefix)
{
    m_doc.AppendLogEntry(prefix + command.LogText(), command.LogReason());
}

void DocumentActions::FlushLog()
{
    if (!m_pending)
        return;
    m_doc.AppendLogEntry(m_pending->Change, m_pending->Reason);
    m_pending.reset();
}

void DocumentActions::EditDate(int row, const QString& text)
{
    const QString before = m_doc.DateText(row);
    m_doc.EditDateText(row, text);
    if (before != text)
        push(new CellCommand(m_doc, row, -1, before, text));
}

void DocumentActions::EditValue(int row, int column, const QString& text)
{
    const QString before = m_doc.ValueText(row, column).toString();
    m_doc.EditValueText(row, column, text);
    if (before != text)
        push(new CellCommand(m_doc, row, column, before, text));
}

bool DocumentActions::Paste(int row, int column, const SourceTable& block)
{
    const int firstRow = std::max(row, 1);
    const int firstColumn = std::max(column, int(TableColumns::Date));
    const int columns = std::clamp(block.ColumnCount(), 0, std::max(0, TableColumns::FirstResult(m_doc) - firstColumn));
    const int oldTableRows = m_doc.TableRowCount();
    const int oldPoints = m_doc.PointCount();
    CellBlock before
        = CellBlock::Capture(m_doc, firstRow, lastRowOfPoints(m_doc, firstRow, block.RowCount()), firstColumn, columns);
    if (!PasteCells(m_doc, row, column, block))
        return false;
    CellBlock after
        = CellBlock::Capture(m_doc, firstRow, lastRowOfPoints(m_doc, firstRow, block.RowCount()), firstColumn, columns);
    push(new PasteCommand(m_doc, oldTableRows, oldPoints, std::move(before), std::move(after)));
    return true;
}

namespace {

template <typename Operation>
TableEdit runTableOperation(MeasurementDocument& doc, const QString& text, Operation operation,
    const std::function<void(DocumentCommand*)>& push)
{
    auto command = std::make_unique<TableCommand>(doc, text);
    const TableEdit edit = operation(command.get());
    if (edit.Done && command->Observed()) {
        command->Finish();
        push(command.release());
    }
    return edit;
}

} // namespace

#define MERIDAN_TABLE_OPERATION(text, call)                                                                            \
    runTableOperation(                                                                                                 \
        m_doc, QStringLiteral(text), [&](TableChangeObserver* observer) { return call; },                              \
        [this](DocumentCommand* command) { push(command); })

TableEdit DocumentActions::InsertPoint(int n)
{
    return MERIDAN_TABLE_OPERATION("вставлення точки", ::InsertPoint(m_doc, n, observer));
}

TableEdit DocumentActions::InsertSeparator(int n)
{
    return MERIDAN_TABLE_OPERATION("вставлення розділювача", ::InsertSeparator(m_doc, n, observer));
}

TableEdit DocumentActions::DeletePoint(int n)
{
    return MERIDAN_TABLE_OPERATION("вилучення точки", ::DeletePoint(m_doc, n, observer));
}

TableEdit DocumentActions::DeleteSeparator(int n, MergeDecider& decider)
{
    return MERIDAN_TABLE_OPERATION("вилучення розділювача", ::DeleteSeparator(m_doc, n, decider, observer));
}

TableEdit DocumentActions::AppendPoints(int n)
{
    return MERIDAN_TABLE_OPERATION("додавання точок", ::AppendPoints(m_doc, n, observer));
}

TableEdit DocumentActions::DeleteLastPoints(int n)
{
    return MERIDAN_TABLE_OPERATION("вилучення останніх точок", ::DeleteLastPoints(m_doc, n, observer));
}

TableEdit DocumentActions::SubmitInsertPoint(const QString& text)
{
    return MERIDAN_TABLE_OPERATION("вставлення точки", ::SubmitInsertPoint(m_doc, text, observer));
}

TableEdit DocumentActions::SubmitInsertSeparator(const QString& text)
{
    return MERIDAN_TABLE_OPERATION("вставлення розділювача", ::SubmitInsertSeparator(m_doc, text, observer));
}

TableEdit DocumentActions::SubmitDeletePoint(const QString& text)
{
    return MERIDAN_TABLE_OPERATION("вилучення точки", ::SubmitDeletePoint(m_doc, text, observer));
}

TableEdit DocumentActions::SubmitDeleteSeparator(const QString& text, MergeDecider& decider)
{
    return MERIDAN_TABLE_OPERATION("вилучення розділювача", ::SubmitDeleteSeparator(m_doc, text, decider, observer));
}

TableEdit DocumentActions::SubmitAppendPoints(const QString& text)
{
    return MERIDAN_TABLE_OPERATION("додавання точок", ::SubmitAppendPoints(m_doc, text, observer));
}

TableEdit DocumentActions::SubmitDeleteLastPoints(const QString& text)
{
    return MERIDAN_TABLE_OPERATION("вилучення останніх точок", ::SubmitDeleteLastPoints(m_doc, text, observer));
}

#undef MERIDAN_TABLE_OPERATION

namespace {

// The selected group of a slot, or -1.
int selectedIndex(const MeasurementDocument& doc, int slot)
{
    if (slot < 0 || slot >= ChartSlotCount)
        return -1;
    const int index = doc.SelectedGroup()[size_t(slot)];
    return index >= 0 && size_t(index) < doc.Groups().size() ? index : -1;
}

template <typename Edit>
bool runGroupEdit(MeasurementDocument& doc, int slot, Edit edit, const std::function<void(DocumentCommand*)>& push)
{
    const int index = selectedIndex(doc, slot);
    if (index < 0)
        return edit();
    const TIndividualInfo before = SettingsCopy(doc.Groups()[size_t(index)]);
    const int precision = doc.DisplayPrecision();
    const bool accepted = edit();
    // A refused typed value still raises the display precision, which the file keeps.
    if (accepted || doc.DisplayPrecision() != precision) {
        auto* command = new GroupSettingsCommand(doc, index, before, precision);
        if (command->ChangesFixedValue()) {
            // The log keeps why a limit was fixed; the analyst may decline to say.
            const std::optional<QString> reason
                = doc.messenger().AskText(QStringLiteral("Причина зміни фіксованого значення:"));
            command->SetLogReason(reason ? reason->trimmed() : QString());
        }
        push(command);
    }
    return accepted;
}

} // namespace

#define MERIDAN_GROUP_EDIT(call)                                                                                       \
    runGroupEdit(                                                                                                      \
        m_doc, slot, [&] { return call; }, [this](DocumentCommand* command) { push(command); })

bool DocumentActions::MiddleCheckBoxClick(int slot, bool ticked)
{
    return MERIDAN_GROUP_EDIT(::MiddleCheckBoxClick(m_doc, slot, ticked));
}

bool DocumentActions::SigmaCheckBoxClick(int slot, bool ticked)
{
    return MERIDAN_GROUP_EDIT(::SigmaCheckBoxClick(m_doc, slot, ticked));
}

bool DocumentActions::RadioGroup1Click(int slot, int itemIndex)
{
    return MERIDAN_GROUP_EDIT(::RadioGroup1Click(m_doc, slot, itemIndex));
}

bool DocumentActions::MiddleEditSubmit(int slot, const QString& text)
{
    return MERIDAN_GROUP_EDIT(::MiddleEditSubmit(m_doc, slot, text));
}

bool DocumentActions::SigmaEditSubmit(int slot, const QString& text)
{
    return MERIDAN_GROUP_EDIT(::SigmaEditSubmit(m_doc, slot, text));
}

bool DocumentActions::SigmaEdit2Submit(int slot, const QString& text)
{
    return MERIDAN_GROUP_EDIT(::SigmaEdit2Submit(m_doc, slot, text));
}

#undef MERIDAN_GROUP_EDIT

namespace {

void editHeader(MeasurementDocument& doc, HeaderItem item, HeaderField field, const HeaderValue& value,
    const std::function<void(DocumentCommand*)>& push)
{
    HeaderValue before = HeaderCommand::Read(doc, item, field);
    if (before == value)
        return;
    HeaderCommand::Write(doc, item, field, value);
    push(new HeaderCommand(doc, item, field, std::move(before), value));
}

} // namespace

#define MERIDAN_HEADER_EDIT(item, field, value)                                                                        \
    editHeader(m_doc, item, field, value, [this](DocumentCommand* command) { push(command); })

void DocumentActions::SetFillDate(const QString& text)
{
    MERIDAN_HEADER_EDIT(HeaderItem::FillDate, HeaderField::Operator, HeaderValue::OfText(text));
}

void DocumentActions::SetTableName(const QString& text)
{
    MERIDAN_HEADER_EDIT(HeaderItem::TableName, HeaderField::Operator, HeaderValue::OfText(text));
}

void DocumentActions::SetHeaderText(HeaderField field, const QString& text)
{
    MERIDAN_HEADER_EDIT(HeaderItem::Text, field, HeaderValue::OfText(text));
}

void DocumentActions::SetHeaderPresent(HeaderField field, bool present)
{
    MERIDAN_HEADER_EDIT(HeaderItem::Present, field, HeaderValue::OfFlag(present));
}

void DocumentActions::SetAdditionalInfo(const QStringList& lines)
{
    MERIDAN_HEADER_EDIT(HeaderItem::AdditionalInfo, HeaderField::Operator, HeaderValue::OfLines(lines));
}

void DocumentActions::SetAdditionalInfoPresent(bool present)
{
    MERIDAN_HEADER_EDIT(HeaderItem::AdditionalInfoPresent, HeaderField::Operator, HeaderValue::OfFlag(present));
}

void DocumentActions::SetUnits(const QString& units)
{
    MERIDAN_HEADER_EDIT(HeaderItem::Units, HeaderField::Operator, HeaderValue::OfText(units));
}

#undef MERIDAN_HEADER_EDIT

void DocumentActions::ChangeSubgroupSize(int n)
{
    const int before = m_doc.SubgroupSize();
    if (n < 2 || n > 25 || m_doc.IndividualMode() || n == before)
        return;
    // A smaller size drops value columns: their texts stay with the command.
    CellBlock dropped;
    const int columns = m_doc.ValueColumnCount();
    if (n < columns)
        dropped = CellBlock::Capture(m_doc, 1, m_doc.TableRowCount(), TableColumns::FirstValue + n, columns - n);
    m_doc.ChangeSubgroupSize(n);
    push(new SubgroupSizeCommand(m_doc, before, n, std::move(dropped)));
}

bool DocumentActions::SubmitSubgroupSizeText(const QString& text, bool tableTabActive)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!tableTabActive || !ok || n < 2 || n > 25 || text != QString::number(n))
        return m_doc.SubmitSubgroupSizeText(text, tableTabActive); // refuses, with its message
    ChangeSubgroupSize(n);
    return true;
}

bool DocumentActions::ReplaceContent(const QString& caption, const std::function<bool(MeasurementDocument&)>& apply)
{
    std::shared_ptr<DocumentContent> before = m_doc.CopyContent();
    if (!apply(m_doc))
        return false;
    m_doc.MarkChanged(); // whatever the content says of itself, replacing it is an edit
    push(new ContentCommand(m_doc, caption, std::move(before)));
    return true;
}

bool DocumentActions::SetPointNote(int row, const PointNote& note)
{
    if (row < 1 || row > m_doc.TableRowCount() || m_doc.SeparatorFlags()[size_t(row - 1)])
        return false;
    const PointNote* old = m_doc.NoteOf(row);
    PointNote before = old ? *old : PointNote();
    PointNote after = note;
    after.Note.truncate(PointNoteMaxChars);
    after.Action.truncate(PointNoteMaxChars);
    after.ExcludeReason = after.ExcludeReason.trimmed().left(PointNoteMaxChars);
    after.Author = before.Author;
    after.Time = before.Time;
    if (after == before)
        return false;
    after.Author = ChangeLog::CurrentUser();
    after.Time = ChangeLog::CurrentTime();
    if (after.Empty())
        after = PointNote();
    m_doc.SetPointNote(row, after);
    push(new NoteCommand(m_doc, row, std::move(before), std::move(after)));
    return true;
}

void DocumentActions::Undo()
{
    if (!m_stack->canUndo())
        return;
    FlushLog();
    log(*static_cast<const DocumentCommand*>(m_stack->command(m_stack->index() - 1)), QStringLiteral("скасування: "));
    m_stack->undo();
    Q_EMIT historyMoved();
}

void DocumentActions::Redo()
{
    if (!m_stack->canRedo())
        return;
    FlushLog();
    log(*static_cast<const DocumentCommand*>(m_stack->command(m_stack->index())), QStringLiteral("повторення: "));
    m_stack->redo();
    Q_EMIT historyMoved();
}

bool DocumentActions::CanUndo() const
{
    return m_stack->canUndo();
}

bool DocumentActions::CanRedo() const
{
    return m_stack->canRedo();
}

QString DocumentActions::UndoCaption() const
{
    const QString text = QStringLiteral("Скасувати");
    return m_stack->canUndo() ? text + QStringLiteral(": ") + m_stack->undoText() : text;
}

QString DocumentActions::RedoCaption() const
{
    const QString text = QStringLiteral("Повторити");
    return m_stack->canRedo() ? text + QStringLiteral(": ") + m_stack->redoText() : text;
}

size_t DocumentActions::HistoryBytes() const
{
    size_t bytes = 0;
    for (int i = 0; i < m_stack->count(); ++i)
        bytes += static_cast<const DocumentCommand*>(m_stack->command(i))->StoredBytes();
    return bytes;
}

void DocumentActions::SetClean()
{
    FlushLog();
    m_stack->setClean();
    Q_EMIT historyChanged();
}

bool DocumentActions::IsClean() const
{
    return m_stack->isClean();
}

void DocumentActions::Clear()
{
    m_pending.reset(); // it belonged to the document that was replaced
    m_stack->clear();
    Q_EMIT historyChanged();
}
