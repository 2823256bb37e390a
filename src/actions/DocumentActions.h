#pragma once

#include "actions/TableOperations.h"
#include "model/MeasurementDocument.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class MergeDecider;
class QUndoStack;
class SourceTable;

// The analyst's edits of one document, each an undoable command. The windows call these instead of
// the document's edits, the table operations and the group-box functions; an accepted edit becomes
// one command on the history, a refused or cancelled one leaves no trace. Every undo and redo is an
// edit too: in the computed state it drops the results first. The document's Changed follows the
// history: undoing back to the state last saved (SetClean) clears it.
//
// Ownership: what an edit removes from the document (cells, rows, group records, a replaced content)
// is owned by exactly one command; the document owns everything else.
class DocumentActions : public QObject {
    Q_OBJECT
public:
    explicit DocumentActions(MeasurementDocument& doc, QObject* parent = nullptr);
    ~DocumentActions() override;

    MeasurementDocument& document() const { return m_doc; }
    QUndoStack& stack() const { return *m_stack; }

    // Cells of point rows.
    void EditDate(int row, const QString& text);
    void EditValue(int row, int column, const QString& text);
    bool Paste(int row, int column, const SourceTable& block); // as PasteCells

    // The table operations, as the free functions of the same names.
    TableEdit InsertPoint(int n);
    TableEdit InsertSeparator(int n);
    TableEdit DeletePoint(int n);
    TableEdit DeleteSeparator(int n, MergeDecider& decider); // the decision is asked once, here
    TableEdit AppendPoints(int n);
    TableEdit DeleteLastPoints(int n);
    TableEdit SubmitInsertPoint(const QString& text);
    TableEdit SubmitInsertSeparator(const QString& text);
    TableEdit SubmitDeletePoint(const QString& text);
    TableEdit SubmitDeleteSeparator(const QString& text, MergeDecider& decider);
    TableEdit SubmitAppendPoints(const QString& text);
    TableEdit SubmitDeleteLastPoints(const QString& text);

    // The group box, as the functions of GroupSettings.
    bool MiddleCheckBoxClick(int slot, bool ticked);
    bool SigmaCheckBoxClick(int slot, bool ticked);
    bool RadioGroup1Click(int slot, int itemIndex);
    bool MiddleEditSubmit(int slot, const QString& text);
    bool SigmaEditSubmit(int slot, const QString& text);
    bool SigmaEdit2Submit(int slot, const QString& text);

    // The header page. Successive changes of one field are one command (typing a word).
    void SetFillDate(const QString& text);
    void SetTableName(const QString& text);
    void SetHeaderText(HeaderField field, const QString& text);
    void SetHeaderPresent(HeaderField field, bool present);
    void SetAdditionalInfo(const QStringList& lines);
    void SetAdditionalInfoPresent(bool present);
    void SetUnits(const QString& units);

    // The note and exclusion of a point row, as the note dialog gives them; the author and time are
    // stamped here. An exclusion needs a reason. False when nothing changed or the row holds no point.
    bool SetPointNote(int row, const PointNote& note);

    // ElementsComboBox.
    void ChangeSubgroupSize(int n);
    bool SubmitSubgroupSizeText(const QString& text, bool tableTabActive);

    // An edit that replaces the whole content (an import): apply writes it and says whether it did.
    // The caption names it ("імпорт").
    bool ReplaceContent(const QString& caption, const std::function<bool(MeasurementDocument&)>& apply);

    void Undo();
    void Redo();
    bool CanUndo() const;
    bool CanRedo() const;
    // "Скасувати: вставлення точки", or plain "Скасувати" when there is nothing to undo.
    QString UndoCaption() const;
    QString RedoCaption() const;

    // What the commands keep, roughly (texts, records and the commands themselves; a replaced
    // content is not counted).
    size_t HistoryBytes() const;

    // Every command appends an entry to the document's change log, undos and redos too. A command
    // that may still merge with the next (typing into a field) is logged once it can no longer:
    // at the next command, undo or redo, or here. Call before the document is written.
    void FlushLog();

    void SetClean(); // after a save
    bool IsClean() const;
    void Clear(); // after a load, New or an example: nothing to undo, unchanged

Q_SIGNALS:
    void historyChanged(); // captions, enabled states or the clean state
    void historyMoved(); // after an undo or redo: what the windows show of the document may be stale

private:
    void push(class DocumentCommand* command);
    void log(const class DocumentCommand& command, const QString& prefix = QString());

    struct PendingEntry {
        QString Change;
        QString Reason;
    };

    MeasurementDocument& m_doc;
    QUndoStack* m_stack;
    std::optional<PendingEntry> m_pending; // the entry of a top command that may still merge
};
