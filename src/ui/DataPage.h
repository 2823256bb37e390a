#pragma once

#include <QObject>
#include <QPoint>
#include <functional>

class DataGridView;
class DocumentActions;
class TableEditControls;
class HeaderBandModel;
class Hints;
class MeasurementDocument;
class NoteDialog;
class QComboBox;
class QLabel;
class QMenu;
class QScrollBar;
class QWidget;
class TableGridModel;

// The data page ("Таблиця даних"): the label, value and result grids with the header band over
// them, the table scroll bar (ScrollBar2) that moves them together, Label18, the subgroup size
// and the table operations below. Its controls sit on DataPanel on the tab page given.
class DataPage : public QObject {
    Q_OBJECT
public:
    static constexpr int PanelWidth = 777;

    // tableTabCurrent: whether this page is the window's current one (a subgroup size typed here
    // is then checked against the table).
    DataPage(MeasurementDocument& document, Hints& hints, QWidget* page, int panelHeight,
        std::function<bool()> tableTabCurrent, QObject* parent);

    void ConnectDocument(); // the grids' layout and the scroll bar follow the table's changes
    // The undo history the cell edits, pastes, table operations and subgroup size go through.
    void SetActions(DocumentActions* actions);
    void ShowViewState(); // Label18, the subgroup controls and the header band

    DataGridView* LabelGrid() const { return m_grid3; }
    DataGridView* ValueGrid() const { return m_grid1; }
    DataGridView* ResultGrid() const { return m_grid4; }

    // Around a change that replaces the whole table: the grid models reset once, at the end.
    void BeginBulkChange();
    void EndBulkChange();

    // Positions, sizes and column widths for the mode; a new document (New, Load, an example, an
    // import) gets every column width anew, other calls keep the widths the analyst dragged.
    void LayOutGrids(bool newDocument = false);
    void ScrollGridsToTop();
    void BringScrollBarInLine();
    void EndGridEditing();

    void CopyGridSelection(DataGridView* grid);
    bool PasteIntoGrid(DataGridView* grid, const QString& text);

    // "Примітка до точки N" for a point row (Ctrl+M on the current row, or the row's context menu).
    // The dialog is modal over the window but does not block the caller: its OK hands the note to
    // the undo history, and the grid it came from gets the focus back. False, with the reason said,
    // for a row that holds no point.
    bool OpenNoteDialog(int gridRow, DataGridView* grid = nullptr);
    NoteDialog* OpenNote() const { return m_noteDialog; } // the dialog while it is open
    static QString NoPointMessage();
    // The context menu of a grid row (owned by the caller); its note item is greyed on separators.
    QMenu* RowMenu(DataGridView* grid, int gridRow);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build(QWidget* page, int panelHeight);
    void scrollBar2Change(int position);
    void gridTopRowChanged(DataGridView* grid, int topRow);
    void setGridsTopRow(int topRow, DataGridView* except);
    void applyGridHeightRule(DataGridView* grid);
    void elementsComboBoxSelect(int index);
    void elementsComboBoxExit();
    void gridContextMenu(DataGridView* grid, const QPoint& position);

    MeasurementDocument& m_document;
    Hints& m_hints;
    std::function<bool()> m_tableTabCurrent;

    // Guards: the program is moving the grids / ScrollBar2.
    bool m_gridsMoving = false;
    bool m_scrollBarMoving = false;

    QWidget* m_dataPanel = nullptr;
    DocumentActions* m_actions = nullptr;
    TableEditControls* m_tableEdit = nullptr;
    TableGridModel* m_labelModel = nullptr;
    TableGridModel* m_valueModel = nullptr;
    TableGridModel* m_resultModel = nullptr;
    HeaderBandModel* m_bandModel = nullptr;
    DataGridView* m_grid3 = nullptr; // StringGrid3
    DataGridView* m_grid1 = nullptr; // StringGrid1
    DataGridView* m_grid4 = nullptr; // StringGrid4
    DataGridView* m_grid2 = nullptr; // StringGrid2, the header band
    QScrollBar* m_scrollBar2 = nullptr;
    QLabel* m_label18 = nullptr;
    QLabel* m_elementsLabel = nullptr;
    QComboBox* m_elementsCombo = nullptr;
    NoteDialog* m_noteDialog = nullptr;
};
