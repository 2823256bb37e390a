#pragma once

#include <QAbstractTableModel>
#include <functional>

class MeasurementDocument;
struct PointNote;

// One of the three side-by-side grids of the data table as an item model over the document. Model
// row r is grid row r + 1: the grid's fixed row 0 is the view's horizontal header. Nothing is kept
// per row, so a table of a million rows costs the model nothing. The row and column counts are
// those last announced to the views: the document changes first and tells afterwards.
class TableGridModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum class Part {
        Labels, // StringGrid3: the number column and the dates
        Values, // StringGrid1: the value columns
        Results, // StringGrid4: the computed columns
    };

    // What the number cell of a point row shows of its note and exclusion, besides the display,
    // tool tip, font (struck through when excluded) and foreground roles.
    enum Roles {
        HasNoteRole = Qt::UserRole + 1, // bool: the point carries a note or an action
        ExcludedRole, // bool: the point is kept out of the limits
    };

    // The mark after the number of a point with a note or an action.
    static QString NoteMark();
    // The number cell's tool tip for a point's record (rich text, so it wraps); empty for none.
    static QString NoteToolTip(const PointNote& note);

    TableGridModel(MeasurementDocument& document, Part part, QObject* parent = nullptr);

    Part GridPart() const { return m_part; }
    static int GridRow(const QModelIndex& index) { return index.row() + 1; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // An edit of a date or value cell of a point row: the document drops its results and marks
    // itself changed.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    bool IsEditable(int gridRow, int column) const;

    // Who takes the analyst's cell edits (the undo history); without one they go to the document.
    using CellEditor = std::function<void(Part part, int gridRow, int column, const QString& text)>;
    void SetCellEditor(CellEditor editor) { m_editor = std::move(editor); }

    // An editor's commit in the computed state: its text waits until the editor has closed, since
    // dropping the results changes the rows under the view that is still committing.
    void SetCommitDeferred(bool deferred) { m_commitDeferred = deferred; }
    bool HasDeferredEdit() const { return m_deferredEdit.Row > 0; }
    void ApplyDeferredEdit(); // the waiting text goes into the document; nothing when none waits

    // Around a load (New and the examples too): the views see one reset at the end instead of one
    // step per change. Every other change of the table, a new layout by an import or its undo
    // included, reaches them as rows and columns inserted or removed and cells changed.
    void BeginBulkChange();
    void EndBulkChange();

private:
    struct DeferredEdit {
        int Row = 0; // grid row; 0: none
        int Column = 0;
        QString Text;
    };

    int documentRows() const;
    int documentColumns() const;
    void followDocument(); // the counts brought to the document's, then every cell announced
    void refreshCells();
    void refreshRows(int firstGridRow, int lastGridRow);
    void refreshHeaders();
    void refreshNotes(int firstGridRow, int lastGridRow);
    QVariant noteData(int gridRow, int role) const;
    void insertRows(int gridRow, int count);
    void removeRows(int gridRow, int count);
    void applyEdit(int gridRow, int column, const QString& text);

    MeasurementDocument& m_document;
    Part m_part;
    int m_rows = 0;
    int m_columns = 0;
    bool m_bulk = false;
    bool m_commitDeferred = false;
    DeferredEdit m_deferredEdit;
    CellEditor m_editor;
};
