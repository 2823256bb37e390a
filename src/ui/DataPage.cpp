#include "ui/DataPage.h"

#include "actions/DocumentActions.h"
#include "actions/Paste.h"
#include "exchange/TableClipboard.h"
#include "model/MeasurementDocument.h"
#include "model/Messenger.h"
#include "model/TableColumns.h"
#include "presentation/GridScrolling.h"
#include "presentation/HeaderBandModel.h"
#include "presentation/MainWindowState.h"
#include "presentation/TableGridModel.h"
#include "ui/BusyCursor.h"
#include "ui/DataGridView.h"
#include "ui/Hints.h"
#include "ui/NoteDialog.h"
#include "ui/TableEditControls.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QScopedValueRollback>
#include <QScrollBar>

DataPage::DataPage(MeasurementDocument& document, Hints& hints, QWidget* page, int panelHeight,
    std::function<bool()> tableTabCurrent, QObject* parent)
    : QObject(parent)
    , m_document(document)
    , m_hints(hints)
    , m_tableTabCurrent(std::move(tableTabCurrent))
{
    build(page, panelHeight);
}

void DataPage::build(QWidget* page, int panelHeight)
{
    m_dataPanel = new QWidget(page);
    m_dataPanel->setObjectName(QStringLiteral("DataPanel"));
    m_dataPanel->setGeometry(0, 0, PanelWidth, panelHeight);

    m_labelModel = new TableGridModel(m_document, TableGridModel::Part::Labels, this);
    m_valueModel = new TableGridModel(m_document, TableGridModel::Part::Values, this);
    m_resultModel = new TableGridModel(m_document, TableGridModel::Part::Results, this);
    m_bandModel = new HeaderBandModel(m_document, this);

    auto makeGrid = [this](const char* name, QAbstractItemModel* model) {
        auto* grid = new DataGridView(m_document, m_dataPanel);
        grid->setObjectName(QLatin1String(name));
        grid->setModel(model);
        connect(grid, &DataGridView::keyPressed, this, [this] { m_hints.ShowHint(QStringLiteral("Зміни")); });
        return grid;
    };
    m_grid2 = makeGrid("StringGrid2", m_bandModel);
    m_grid2->horizontalHeader()->hide();
    m_grid2->setSelectionMode(QAbstractItemView::NoSelection);
    m_grid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid2->SetSelectionRules(false);
    m_grid3 = makeGrid("StringGrid3", m_labelModel);
    m_grid1 = makeGrid("StringGrid1", m_valueModel);
    m_grid4 = makeGrid("StringGrid4", m_resultModel);
    m_grid4->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid3->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (DataGridView* grid : { m_grid1, m_grid4 }) {
        grid->SetAbandonDrags(true);
        connect(
            grid->horizontalHeader(), &QHeaderView::sectionResized, this, [this, grid] { applyGridHeightRule(grid); });
    }
    for (DataGridView* grid : { m_grid3, m_grid1, m_grid4 })
        connect(grid, &DataGridView::topRowChanged, this, [this, grid](int row) { gridTopRowChanged(grid, row); });
    // Ctrl+C and Ctrl+V as in a spreadsheet; an open cell editor keeps them for its own text.
    for (DataGridView* grid : { m_grid3, m_grid1, m_grid4 }) {
        auto* copy = new QAction(grid);
        copy->setShortcut(QKeySequence::Copy);
        copy->setShortcutContext(Qt::WidgetShortcut);
        connect(copy, &QAction::triggered, this, [this, grid] { CopyGridSelection(grid); });
        grid->addAction(copy);
        if (grid == m_grid4)
            continue;
        auto* paste = new QAction(grid);
        paste->setShortcut(QKeySequence::Paste);
        paste->setShortcutContext(Qt::WidgetShortcut);
        connect(paste, &QAction::triggered, this,
            [this, grid] { PasteIntoGrid(grid, QGuiApplication::clipboard()->text()); });
        grid->addAction(paste);
    }
    // Ctrl+M and the context menu of a row: the note of the point.
    for (DataGridView* grid : { m_grid3, m_grid1, m_grid4 }) {
        auto* note = new QAction(grid);
        note->setObjectName(QStringLiteral("NoteAction"));
        note->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
        note->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(note, &QAction::triggered, this, [this, grid] {
            const QModelIndex current = grid->currentIndex();
            OpenNoteDialog(current.isValid() ? TableGridModel::GridRow(current) : 0, grid);
        });
        grid->addAction(note);
        grid->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(grid, &QWidget::customContextMenuRequested, this,
            [this, grid](const QPoint& position) { gridContextMenu(grid, position); });
    }
    // The value grid scrolls sideways on its own; the header band follows it only in its width.

    m_scrollBar2 = new QScrollBar(Qt::Vertical, m_dataPanel);
    m_scrollBar2->setObjectName(QStringLiteral("ScrollBar2"));
    m_scrollBar2->setRange(0, GridScrolling::ScrollBarMaximum);
    m_scrollBar2->setSingleStep(1);
    m_scrollBar2->setPageStep(10);
    connect(m_scrollBar2, &QScrollBar::valueChanged, this, &DataPage::scrollBar2Change);

    m_label18 = new QLabel(m_dataPanel);
    m_label18->setObjectName(QStringLiteral("Label18"));
    m_elementsLabel = new QLabel(QStringLiteral("Кількість елементів у підгрупі:"), m_dataPanel);
    m_elementsLabel->setObjectName(QStringLiteral("ElementsLabel"));
    m_elementsCombo = new QComboBox(m_dataPanel);
    m_elementsCombo->setObjectName(QStringLiteral("ElementsComboBox"));
    m_elementsCombo->setEditable(true);
    m_elementsCombo->setInsertPolicy(QComboBox::NoInsert);
    for (int size = 2; size <= 25; ++size)
        m_elementsCombo->addItem(QString::number(size));
    m_elementsCombo->setCurrentText(QStringLiteral("5"));
    m_elementsCombo->setMaxVisibleItems(12);
    connect(m_elementsCombo, &QComboBox::activated, this, &DataPage::elementsComboBoxSelect);
    m_elementsCombo->lineEdit()->installEventFilter(this);

    m_label18->setGeometry(8, 392, 220, 20);
    m_elementsLabel->setGeometry(240, 392, 210, 20);
    m_elementsCombo->setGeometry(454, 390, 60, 24);
    LayOutGrids();

    // The table operations (Button1 .. Button7 and their edits) below the grids; after an operation
    // the grids select its row and the table scroll bar follows the new row count.
    auto* tableEdit = new TableEditControls(m_document, m_hints, m_dataPanel);
    m_tableEdit = tableEdit;
    tableEdit->move(0, 418);
    connect(tableEdit, &TableEditControls::rowSelectionRequested, this,
        [this](int row) { TableEditControls::SelectRow(*m_grid3, *m_grid1, *m_grid4, row); });
    connect(tableEdit, &TableEditControls::tableEdited, this, &DataPage::BringScrollBarInLine);
}

void DataPage::LayOutGrids(bool newDocument)
{
    const bool individual = !m_document.HasDocument() || m_document.IndividualMode();
    const int W = PanelWidth;
    const int rowHeight = DataGridView::RowHeight;
    if (individual) {
        const int gridHeight = 14 * rowHeight + 18;
        m_grid3->setGeometry(8, 10, 216, gridHeight);
        const int H = (W - 216 - 16 - 24) / 2;
        m_grid1->setGeometry(8 + 216, 10, H + 3, gridHeight);
        m_grid4->setGeometry(8 + 216 + H + 3, 10, H + 3, gridHeight);
        m_scrollBar2->setGeometry(m_grid4->geometry().right() + 2, 11, 16, gridHeight - 2);
        m_grid3->setColumnWidth(0, 90);
        m_grid3->setColumnWidth(1, 120);
        for (DataGridView* grid : { m_grid1, m_grid4 }) {
            grid->horizontalHeader()->setDefaultSectionSize(H - 2);
            grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
            grid->setColumnWidth(0, H - 2);
        }
    } else {
        const int bandTop = 12;
        const int bandHeight = rowHeight + 4;
        const int top = bandTop + bandHeight + 4;
        const int gridHeight = 12 * rowHeight + 16;
        const int H = (W + 6 - 186 - 16) / 2;
        m_grid3->setGeometry(8, top, 186, gridHeight);
        m_grid1->setGeometry(8 + 186, top, H - 26, gridHeight);
        m_grid4->setGeometry(8 + 186 + H - 26, top, H + 2, gridHeight + 16);
        m_grid2->setGeometry(8, bandTop, m_grid4->geometry().right() + 1 - 8, bandHeight);
        m_scrollBar2->setGeometry(m_grid4->geometry().right() + 2, bandTop + 1, 16, gridHeight - 2 + bandHeight);
        m_grid3->setColumnWidth(0, 90);
        m_grid3->setColumnWidth(1, 90);
        const int valueWidth = H / 5 - 7;
        const int resultWidth = H / 3 - 1;
        const QList<int> widths = { 186 - 3, H - 26 - 1, H + 2 - 2 };
        for (int c = 0; c < 3; ++c)
            m_grid2->setColumnWidth(c, widths[c]);
        m_grid2->verticalHeader()->setDefaultSectionSize(rowHeight);
        const int valueColumns = m_document.ValueColumnCount();
        QHeaderView* valueHeader = m_grid1->horizontalHeader();
        valueHeader->setSectionResizeMode(QHeaderView::Interactive);
        if (newDocument || valueHeader->defaultSectionSize() != valueWidth) {
            valueHeader->setDefaultSectionSize(valueWidth);
            for (int c = 0; c < valueColumns; ++c)
                m_grid1->setColumnWidth(c, valueWidth);
        }
        QHeaderView* resultHeader = m_grid4->horizontalHeader();
        resultHeader->setSectionResizeMode(QHeaderView::Interactive);
        if (newDocument || resultHeader->defaultSectionSize() != resultWidth) {
            resultHeader->setDefaultSectionSize(resultWidth);
            for (int c = 0; c < 6; ++c)
                m_grid4->setColumnWidth(c, resultWidth);
        }
    }
    m_grid3->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    applyGridHeightRule(m_grid1);
    applyGridHeightRule(m_grid4);
}

void DataPage::applyGridHeightRule(DataGridView* grid)
{
    // The height of StringGrid3 when every column fits, else room for the horizontal scroll bar.
    if (!m_document.HasDocument() || m_document.IndividualMode()) {
        if (grid->height() != m_grid3->height())
            grid->resize(grid->width(), m_grid3->height());
        return;
    }
    const int frame = 2 * grid->frameWidth();
    const bool fits = grid->horizontalHeader()->length() <= grid->width() - frame;
    const int height = m_grid3->height() + (fits ? 0 : 16);
    if (grid->height() != height)
        grid->resize(grid->width(), height);
}

void DataPage::ScrollGridsToTop()
{
    setGridsTopRow(1, nullptr);
    BringScrollBarInLine();
    m_grid1->SelectCell(1, 0);
    m_grid4->SelectCell(1, 0);
    m_grid3->SelectCell(1, 1);
    setGridsTopRow(1, nullptr);
}

void DataPage::BringScrollBarInLine()
{
    const int rows = m_grid3->GridRowCount();
    const int visible = m_grid3->VisibleRows();
    const bool enabled = GridScrolling::ScrollBarEnabled(rows, visible);
    m_scrollBar2->setEnabled(enabled);
    if (!enabled)
        return;
    const QScopedValueRollback<bool> guard(m_scrollBarMoving, true);
    m_scrollBar2->setValue(GridScrolling::PositionForTopRow(rows, visible, m_grid3->TopRow(), false));
}

void DataPage::scrollBar2Change(int position)
{
    if (m_scrollBarMoving)
        return;
    const int top = GridScrolling::TopRowForPosition(m_grid1->GridRowCount(), m_grid1->VisibleRows(), position);
    setGridsTopRow(top, nullptr);
}

void DataPage::gridTopRowChanged(DataGridView* grid, int topRow)
{
    if (m_gridsMoving)
        return;
    if (!m_scrollBar2->isHidden() && m_scrollBar2->isEnabled()) {
        const QScopedValueRollback<bool> guard(m_scrollBarMoving, true);
        m_scrollBar2->setValue(
            GridScrolling::PositionForTopRow(grid->GridRowCount(), grid->VisibleRows(), topRow, grid == m_grid1));
    }
    setGridsTopRow(topRow, grid);
}

void DataPage::setGridsTopRow(int topRow, DataGridView* except)
{
    const QScopedValueRollback<bool> guard(m_gridsMoving, true);
    for (DataGridView* grid : { m_grid1, m_grid3, m_grid4 })
        if (grid != except)
            grid->SetTopRow(topRow);
}

void DataPage::elementsComboBoxSelect(int index)
{
    if (index + 2 == m_document.SubgroupSize())
        return;
    if (m_actions)
        m_actions->ChangeSubgroupSize(index + 2);
    else
        m_document.ChangeSubgroupSize(index + 2);
}

void DataPage::elementsComboBoxExit()
{
    const bool tableTab = m_tableTabCurrent();
    const QString text = m_elementsCombo->currentText().trimmed();
    if (text == QString::number(m_document.SubgroupSize()))
        return;
    const bool accepted = m_actions ? m_actions->SubmitSubgroupSizeText(text, tableTab)
                                    : m_document.SubmitSubgroupSizeText(text, tableTab);
    if (!accepted) {
        const QSignalBlocker blocker(m_elementsCombo);
        m_elementsCombo->setCurrentIndex(MainWindowState(m_document).ElementsComboIndex());
        m_elementsCombo->setEditText(QString::number(m_document.SubgroupSize()));
    }
}

void DataPage::EndGridEditing()
{
    for (DataGridView* grid : { m_grid1, m_grid3, m_grid4 })
        grid->EndEditing();
}

void DataPage::CopyGridSelection(DataGridView* grid)
{
    QModelIndexList cells = grid->selectionModel()->selectedIndexes();
    if (cells.isEmpty() && grid->currentIndex().isValid())
        cells.append(grid->currentIndex());
    if (cells.isEmpty())
        return;
    int top = cells.front().row(), bottom = top, left = cells.front().column(), right = left;
    for (const QModelIndex& cell : cells) {
        top = std::min(top, cell.row());
        bottom = std::max(bottom, cell.row());
        left = std::min(left, cell.column());
        right = std::max(right, cell.column());
    }
    const int offset = grid == m_grid3 ? TableColumns::Label
        : grid == m_grid1              ? TableColumns::FirstValue
                                       : TableColumns::FirstResult(m_document);
    QGuiApplication::clipboard()->setText(CopyCells(m_document, top + 1, bottom + 1, offset + left, offset + right));
}

bool DataPage::PasteIntoGrid(DataGridView* grid, const QString& text)
{
    if (!m_document.HasDocument() || grid == m_grid4)
        return false;
    const QModelIndex current = grid->currentIndex();
    const int row = current.isValid() ? current.row() + 1 : 1;
    const int column = (grid == m_grid3 ? TableColumns::Label : TableColumns::FirstValue)
        + (current.isValid() ? current.column() : 0);
    EndGridEditing();
    const BusyCursor busy;
    const SourceTable block = ClipboardBlock(text);
    return m_actions ? m_actions->Paste(row, column, block) : PasteCells(m_document, row, column, block);
}

QString DataPage::NoPointMessage()
{
    return QStringLiteral("Примітку можна додати лише до точки, а не до розділювача.");
}

bool DataPage::OpenNoteDialog(int gridRow, DataGridView* grid)
{
    if (m_noteDialog)
        return false; // one at a time
    if (!m_document.HasDocument() || gridRow < 1 || gridRow > m_document.TableRowCount()
        || m_document.IsSeparatorRow(gridRow)) {
        m_document.messenger().ShowMessage(NoPointMessage());
        return false;
    }
    EndGridEditing();
    auto* dialog = new NoteDialog(m_document.messenger(), m_dataPanel->window());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    const PointNote* note = m_document.NoteOf(gridRow);
    dialog->Fill(m_document.LabelText(gridRow), note ? *note : PointNote());
    m_noteDialog = dialog;
    const QPointer<DataGridView> returnTo = grid;
    connect(dialog, &QDialog::accepted, this, [this, dialog, gridRow] {
        if (m_actions)
            m_actions->SetPointNote(gridRow, dialog->Result());
        else
            m_document.SetPointNote(gridRow, dialog->Result());
    });
    connect(dialog, &QDialog::finished, this, [this, returnTo] {
        m_noteDialog = nullptr;
        if (returnTo)
            returnTo->setFocus();
    });
    dialog->open();
    return true;
}

QMenu* DataPage::RowMenu(DataGridView* grid, int gridRow)
{
    auto* menu = new QMenu(grid);
    menu->setObjectName(QStringLiteral("RowMenu"));
    QAction* note = menu->addAction(QStringLiteral("Примітка до точки..."));
    note->setObjectName(QStringLiteral("RowNoteAction"));
    note->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    note->setEnabled(gridRow >= 1 && gridRow <= m_document.TableRowCount() && !m_document.IsSeparatorRow(gridRow));
    connect(note, &QAction::triggered, this, [this, grid, gridRow] { OpenNoteDialog(gridRow, grid); });
    return menu;
}

void DataPage::gridContextMenu(DataGridView* grid, const QPoint& position)
{
    const QModelIndex index = grid->indexAt(position);
    if (!index.isValid() || !m_document.HasDocument())
        return;
    const int row = TableGridModel::GridRow(index);
    if (!m_document.IsSeparatorRow(row))
        grid->setCurrentIndex(index);
    QMenu* menu = RowMenu(grid, row);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(grid->viewport()->mapToGlobal(position));
}

void DataPage::SetActions(DocumentActions* actions)
{
    m_actions = actions;
    m_tableEdit->SetActions(actions);
    for (TableGridModel* model : { m_labelModel, m_valueModel }) {
        if (!actions) {
            model->SetCellEditor({});
            continue;
        }
        model->SetCellEditor([actions](TableGridModel::Part part, int row, int column, const QString& text) {
            if (part == TableGridModel::Part::Labels)
                actions->EditDate(row, text);
            else
                actions->EditValue(row, column, text);
        });
    }
}

void DataPage::ConnectDocument()
{
    MeasurementDocument* doc = &m_document;
    connect(doc, &MeasurementDocument::tableReset, this, [this] {
        LayOutGrids();
        for (DataGridView* grid : { m_grid1, m_grid3, m_grid4 })
            grid->FollowTableLayout();
        BringScrollBarInLine();
    });
    connect(doc, &MeasurementDocument::rowsInserted, this, &DataPage::BringScrollBarInLine);
    connect(doc, &MeasurementDocument::rowsRemoved, this, &DataPage::BringScrollBarInLine);
    connect(doc, &MeasurementDocument::headersChanged, this, [this] { m_grid2->viewport()->update(); });
}

void DataPage::ShowViewState()
{
    const MainWindowState state(m_document);
    m_label18->setText(state.Label18Caption());
    const bool subgroups = state.SubgroupControlsVisible();
    m_elementsLabel->setVisible(subgroups);
    m_elementsCombo->setVisible(subgroups);
    m_grid2->setVisible(subgroups);
    if (subgroups && !m_elementsCombo->lineEdit()->hasFocus()
        && m_elementsCombo->currentIndex() != state.ElementsComboIndex()) {
        const QSignalBlocker blocker(m_elementsCombo);
        m_elementsCombo->setCurrentIndex(state.ElementsComboIndex());
    }
}

void DataPage::BeginBulkChange()
{
    for (TableGridModel* model : { m_labelModel, m_valueModel, m_resultModel })
        model->BeginBulkChange();
}

void DataPage::EndBulkChange()
{
    for (TableGridModel* model : { m_labelModel, m_valueModel, m_resultModel })
        model->EndBulkChange();
}

bool DataPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && watched == m_elementsCombo->lineEdit())
        elementsComboBoxExit();
    return QObject::eventFilter(watched, event);
}
