#pragma once

#include <QTableView>
#include <functional>

class MeasurementDocument;

// One grid of the data table: a table view of 24-pixel rows whose fixed row 0 is the horizontal
// header. Rows are addressed as grid rows (model row + 1). The view keeps its top row and column
// widths across a model reset, jumps over separator rows when the selection moves, and abandons a
// drag as soon as the pointer leaves it.
class DataGridView final : public QTableView {
    Q_OBJECT
public:
    static constexpr int RowHeight = 24;

    DataGridView(MeasurementDocument& document, QWidget* parent = nullptr);
    void setModel(QAbstractItemModel* model) override;

    int TopRow() const; // grid row shown first below the header, at least 1
    void SetTopRow(int row);
    int VisibleRows() const; // rows below the header shown whole
    int GridRowCount() const; // rows including the header
    void EndEditing(); // commits and closes an open cell editor
    // After the table was laid out anew without a reset (an import, its undo, a new subgroup size):
    // the scroll range and the remembered row follow the new size, the top row stays where it can.
    void FollowTableLayout();
    void SelectCell(int gridRow, int column);
    void SetAbandonDrags(bool abandon) { m_abandonDrags = abandon; }
    void SetSelectionRules(bool apply) { m_selectionRules = apply; }
    int LastAcceptedRow() const { return m_lastAcceptedRow; }

Q_SIGNALS:
    void topRowChanged(int row); // by the analyst or the program
    void keyPressed();

protected Q_SLOTS:
    // A commit that drops the results lands only once its editor has closed.
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void rememberLayout();
    void restoreLayout();

    MeasurementDocument& m_document;
    bool m_abandonDrags = false;
    bool m_dragAbandoned = false;
    bool m_selectionRules = true;
    bool m_correctingSelection = false;
    int m_lastAcceptedRow = 1;
    int m_savedTopRow = 1;
    QList<int> m_savedWidths;
};
