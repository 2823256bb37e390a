#include "ui/DataGridView.h"

#include "model/MeasurementDocument.h"
#include "presentation/GridScrolling.h"
#include "presentation/TableGridModel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTimer>

DataGridView::DataGridView(MeasurementDocument& document, QWidget* parent)
    : QTableView(parent)
    , m_document(document)
{
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff); // ScrollBar2 scrolls all three grids
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(
        QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(RowHeight);
    verticalHeader()->setDefaultSectionSize(RowHeight);
    horizontalHeader()->setFixedHeight(RowHeight);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setMinimumSectionSize(8);
    connect(
        verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) { Q_EMIT topRowChanged(value + 1); });
}

void DataGridView::setModel(QAbstractItemModel* model)
{
    QTableView::setModel(model);
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, &DataGridView::rememberLayout);
    connect(model, &QAbstractItemModel::modelReset, this, &DataGridView::restoreLayout);
}

int DataGridView::TopRow() const
{
    return verticalScrollBar()->value() + 1;
}

void DataGridView::SetTopRow(int row)
{
    verticalScrollBar()->setValue(row - 1);
}

int DataGridView::VisibleRows() const
{
    return std::max(1, viewport()->height() / RowHeight);
}

int DataGridView::GridRowCount() const
{
    return model() ? model()->rowCount() + 1 : 1;
}

void DataGridView::EndEditing()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void DataGridView::commitData(QWidget* editor)
{
    auto* grid = qobject_cast<TableGridModel*>(model());
    if (!grid) {
        QTableView::commitData(editor);
        return;
    }
    grid->SetCommitDeferred(true);
    QTableView::commitData(editor);
    grid->SetCommitDeferred(false);
    // The editor closes next and lands the edit; this covers a commit that no close follows.
    if (grid->HasDeferredEdit())
        QTimer::singleShot(0, grid, [grid] { grid->ApplyDeferredEdit(); });
}

void DataGridView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTableView::closeEditor(editor, hint);
    if (auto* grid = qobject_cast<TableGridModel*>(model()))
        grid->ApplyDeferredEdit();
}

void DataGridView::SelectCell(int gridRow, int column)
{
    if (!model() || gridRow < 1 || gridRow >= GridRowCount())
        return;
    m_lastAcceptedRow = gridRow;
    const QScopedValueRollback<bool> guard(m_correctingSelection, true);
    setCurrentIndex(model()->index(gridRow - 1, column));
}

void DataGridView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (m_correctingSelection || !current.isValid())
        return;
    if (!m_selectionRules) {
        m_lastAcceptedRow = current.row() + 1;
        return;
    }
    const int row = current.row() + 1;
    const int accepted = GridScrolling::AcceptedSelectionRow(m_document, m_lastAcceptedRow, row);
    const QScopedValueRollback<bool> guard(m_correctingSelection, true);
    if (accepted < 0) {
        // The closing row of the computed state: show the end, keep the last point selected.
        setCurrentIndex(model()->index(m_lastAcceptedRow - 1, current.column()));
        scrollToBottom();
        return;
    }
    m_lastAcceptedRow = accepted;
    if (accepted != row)
        setCurrentIndex(model()->index(accepted - 1, current.column()));
}

void DataGridView::keyPressEvent(QKeyEvent* event)
{
    Q_EMIT keyPressed();
    QTableView::keyPressEvent(event);
}

void DataGridView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragAbandoned)
        return;
    if (m_abandonDrags && (event->buttons() & Qt::LeftButton)) {
        const QPoint p = event->position().toPoint();
        const QSize size = viewport()->size();
        if (p.x() < 1 || p.y() < 1 || p.x() > size.width() - 1 || p.y() > size.height() - 1) {
            // As if the button had been released where the pointer left.
            m_dragAbandoned = true;
            QMouseEvent release(QEvent::MouseButtonRelease, event->position(), event->globalPosition(), Qt::LeftButton,
                Qt::NoButton, event->modifiers());
            QTableView::mouseReleaseEvent(&release);
            return;
        }
    }
    QTableView::mouseMoveEvent(event);
}

void DataGridView::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_dragAbandoned) {
        m_dragAbandoned = false;
        return;
    }
    QTableView::mouseReleaseEvent(event);
}

void DataGridView::rememberLayout()
{
    m_savedTopRow = TopRow();
    m_savedWidths.clear();
    for (int c = 0; c < horizontalHeader()->count(); ++c)
        m_savedWidths.append(columnWidth(c));
}

void DataGridView::FollowTableLayout()
{
    updateGeometries();
    SetTopRow(std::min(TopRow(), std::max(1, GridRowCount() - VisibleRows())));
    m_lastAcceptedRow = std::clamp(m_lastAcceptedRow, 1, std::max(1, GridRowCount() - 1));
}

void DataGridView::restoreLayout()
{
    if (m_savedWidths.size() == horizontalHeader()->count()) {
        for (int c = 0; c < m_savedWidths.size(); ++c)
            setColumnWidth(c, m_savedWidths[c]);
    }
    updateGeometries();
    SetTopRow(std::min(m_savedTopRow, std::max(1, GridRowCount() - VisibleRows())));
    m_lastAcceptedRow = std::clamp(m_lastAcceptedRow, 1, std::max(1, GridRowCount() - 1));
}
