#pragma once

// The commands of DocumentActions. Private to the actions layer: the windows go through
// DocumentActions and never make or push a command themselves.
//
// Each command is pushed after its edit was first done (through the same functions as without an
// undo history, so questions are asked and messages shown once); that first redo is skipped. Every
// later undo and redo drops the results first, then goes back through document primitives that
// announce their rows and cells. A command keeps only what its edit changed.

#include "actions/TableOperations.h"
#include "model/GroupRecord.h"
#include "model/MeasurementDocument.h"
#include "model/PointNote.h"
#include "model/TableColumns.h"

#include <QString>
#include <QStringList>
#include <QUndoCommand>
#include <memory>
#include <vector>

class DocumentCommand : public QUndoCommand {
public:
    DocumentCommand(MeasurementDocument& doc, const QString& text);
    void redo() final;
    void undo() final;
    // What the command keeps, roughly: its own size and the texts and records it holds.
    virtual size_t StoredBytes() const = 0;
    // The change log's words for it: the caption, and old -> new where the command knows them
    // compactly. Taken when the command can no longer merge with the next.
    virtual QString LogText() const { return text(); }
    // The reason the analyst gave for it (an exclusion, a fixed limit), or empty.
    QString LogReason() const { return m_reason; }
    void SetLogReason(const QString& reason) { m_reason = reason; }

protected:
    virtual void apply() = 0;
    virtual void revert() = 0;
    MeasurementDocument& m_doc;

private:
    bool m_firstRedo = true;
    QString m_reason;
};

// A date or value text of one point row; column -1 is the date.
class CellCommand final : public DocumentCommand {
public:
    CellCommand(MeasurementDocument& doc, int row, int column, QString before, QString after);
    size_t StoredBytes() const override;
    QString LogText() const override;

private:
    void apply() override { write(m_after); }
    void revert() override { write(m_before); }
    void write(const QString& text);
    int m_row;
    int m_column;
    QString m_before;
    QString m_after;
};

// Texts of a rectangle of date and value cells (table columns from TableColumns::Date).
struct CellBlock {
    int FirstRow = 1;
    int LastRow = 0;
    int FirstColumn = TableColumns::Date;
    int Columns = 0;
    std::vector<QString> Texts; // row-major

    static CellBlock Capture(const MeasurementDocument& doc, int firstRow, int lastRow, int firstColumn, int columns);
    size_t StoredBytes() const;
    void Restore(MeasurementDocument& doc) const; // point rows only; announces the rows
};

// A paste: the cells it overwrote, the cells it wrote, and the points it appended for them.
class PasteCommand final : public DocumentCommand {
public:
    PasteCommand(MeasurementDocument& doc, int oldTableRows, int oldPointCount, CellBlock before, CellBlock after);
    size_t StoredBytes() const override;

private:
    void apply() override;
    void revert() override;
    int m_oldTableRows;
    int m_oldPointCount;
    int m_newTableRows;
    int m_newPointCount;
    CellBlock m_before;
    CellBlock m_after;
};

// Rows of the table as a table operation removed them.
struct RowBlock {
    int Row = 0;
    std::vector<bool> Flags;
    std::vector<QString> Dates;
    std::vector<QString> Values; // row-major, ValueColumnCount per row
    std::vector<std::pair<int, PointNote>> Notes; // by row from Row

    static RowBlock Capture(const MeasurementDocument& doc, int row, int count);
    size_t StoredBytes() const;
    void Insert(MeasurementDocument& doc) const;
};

// The small figures a table operation changes besides rows and records.
struct TableFigures {
    int PointCount = 0;
    int GroupCount = 0;
    int Records = 0;
    int DisplayPrecision = 1;

    static TableFigures Of(const MeasurementDocument& doc);
    void Restore(MeasurementDocument& doc) const;
};

// One of the six table operations: the rows it removed (kept here) or the rows it inserted (made
// again), the group records it replaced and the ones it made (a merge decision lives on in the
// merged record), and the figures before and after. Its observer side collects them while the
// operation runs.
class TableCommand final : public DocumentCommand, public TableChangeObserver {
public:
    TableCommand(MeasurementDocument& doc, const QString& text);
    void AboutToChange(const MeasurementDocument& doc, const TableChange& change) override;
    bool Observed() const { return m_observed; }
    void Finish(); // after the operation was done
    size_t StoredBytes() const override;

private:
    void apply() override;
    void revert() override;
    TableChange m_change;
    bool m_observed = false;
    RowBlock m_removed;
    std::vector<TIndividualInfo> m_groupsBefore;
    std::vector<TIndividualInfo> m_groupsAfter;
    TableFigures m_before;
    TableFigures m_after;
};

// A group-box edit: the settings of one record and the display precision, before and after.
class GroupSettingsCommand final : public DocumentCommand {
public:
    GroupSettingsCommand(MeasurementDocument& doc, int index, const TIndividualInfo& before, int precisionBefore);
    size_t StoredBytes() const override { return sizeof(*this); }
    QString LogText() const override;
    // Whether the edit fixed a value or changed a fixed one: the analyst is asked why.
    bool ChangesFixedValue() const;

private:
    void apply() override;
    void revert() override;
    int m_index;
    TIndividualInfo m_before;
    TIndividualInfo m_after;
    int m_precisionBefore;
    int m_precisionAfter;
};

// One header field: which, and its value before and after.
enum class HeaderItem { FillDate, TableName, Text, Present, AdditionalInfo, AdditionalInfoPresent, Units };

struct HeaderValue {
    QString Text;
    bool Flag = false;
    QStringList Lines;
    static HeaderValue OfText(const QString& text);
    static HeaderValue OfFlag(bool flag);
    static HeaderValue OfLines(const QStringList& lines);
    friend bool operator==(const HeaderValue&, const HeaderValue&) = default;
};

class HeaderCommand final : public DocumentCommand {
public:
    HeaderCommand(MeasurementDocument& doc, HeaderItem item, HeaderField field, HeaderValue before, HeaderValue after);
    static HeaderValue Read(const MeasurementDocument& doc, HeaderItem item, HeaderField field);
    static void Write(MeasurementDocument& doc, HeaderItem item, HeaderField field, const HeaderValue& value);
    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand* other) override;
    size_t StoredBytes() const override;
    QString LogText() const override;

private:
    void apply() override { Write(m_doc, m_item, m_field, m_after); }
    void revert() override { Write(m_doc, m_item, m_field, m_before); }
    HeaderItem m_item;
    HeaderField m_field;
    HeaderValue m_before;
    HeaderValue m_after;
};

// The subgroup size, and the value columns a smaller size dropped.
class SubgroupSizeCommand final : public DocumentCommand {
public:
    SubgroupSizeCommand(MeasurementDocument& doc, int before, int after, CellBlock dropped);
    size_t StoredBytes() const override { return sizeof(*this) + m_dropped.StoredBytes(); }
    QString LogText() const override;

private:
    void apply() override { m_doc.ChangeSubgroupSize(m_after); }
    void revert() override;
    int m_before;
    int m_after;
    CellBlock m_dropped;
};

// An edit that replaced the whole content: holds the content that is not in the document.
class ContentCommand final : public DocumentCommand {
public:
    ContentCommand(MeasurementDocument& doc, const QString& text, std::shared_ptr<DocumentContent> other);
    size_t StoredBytes() const override { return sizeof(*this); } // the replaced content is not counted

private:
    void apply() override { exchange(); }
    void revert() override { exchange(); }
    void exchange();
    std::shared_ptr<DocumentContent> m_other;
};

// The note and exclusion of one point row, before and after.
class NoteCommand final : public DocumentCommand {
public:
    NoteCommand(MeasurementDocument& doc, int row, PointNote before, PointNote after);
    size_t StoredBytes() const override;
    QString LogText() const override;

private:
    void apply() override { m_doc.SetPointNote(m_row, m_after); }
    void revert() override { m_doc.SetPointNote(m_row, m_before); }
    int m_row;
    PointNote m_before;
    PointNote m_after;
};

// «before» → «after», for the change log.
QString QuotedChange(const QString& before, const QString& after);

// The record without its statistics table and hits, which the next compute writes anew.
TIndividualInfo SettingsCopy(const TIndividualInfo& group);
