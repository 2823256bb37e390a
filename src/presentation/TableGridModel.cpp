#include "presentation/TableGridModel.h"

#include "model/MeasurementDocument.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <algorithm>
#include <utility>

TableGridModel::TableGridModel(MeasurementDocument& document, Part part, QObject* parent)
    : QAbstractTableModel(parent)
    , m_document(document)
    , m_part(part)
{
    m_rows = documentRows();
    m_columns = documentColumns();
    connect(&m_document, &MeasurementDocument::tableReset, this, &TableGridModel::followDocument);
    connect(&m_document, &MeasurementDocument::rowsInserted, this, &TableGridModel::insertRows);
    connect(&m_document, &MeasurementDocument::rowsRemoved, this, &TableGridModel::removeRows);
    connect(&m_document, &MeasurementDocument::cellsChanged, this, &TableGridModel::refreshCells);
    connect(&m_document, &MeasurementDocument::cellsEdited, this, &TableGridModel::refreshRows);
    connect(&m_document, &MeasurementDocument::headersChanged, this, &TableGridModel::refreshHeaders);
    if (m_part == Part::Labels)
        connect(&m_document, &MeasurementDocument::notesChanged, this, &TableGridModel::refreshNotes);
}

QString TableGridModel::NoteMark()
{
    return QStringLiteral(" \u270E"); // a pencil: something was written on this point
}

QString TableGridModel::NoteToolTip(const PointNote& note)
{
    if (note.Empty())
        return QString();
    auto paragraph = [](const QString& title, const QString& text) {
        QString html = text.toHtmlEscaped();
        html.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
        return QStringLiteral("<p><b>%1</b> %2</p>").arg(title, html);
    };
    QString tip;
    if (!note.Note.isEmpty())
        tip += paragraph(QStringLiteral("Примітка:"), note.Note);
    if (!note.Action.isEmpty())
        tip += paragraph(QStringLiteral("Коригувальна дія:"), note.Action);
    if (note.Excluded())
        tip += paragraph(QStringLiteral("Не враховано при обчисленні меж:"), note.ExcludeReason);
    if (!note.Author.isEmpty() || !note.Time.isEmpty())
        tip += QStringLiteral("<p><i>%1</i></p>")
                   .arg(QStringList { note.Author, note.Time }.join(QStringLiteral(", ")).toHtmlEscaped());
    return tip;
}

int TableGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TableGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

int TableGridModel::documentRows() const
{
    return m_document.HasDocument() ? m_document.RowCount() - 1 : 0;
}

int TableGridModel::documentColumns() const
{
    switch (m_part) {
    case Part::Labels:
        return 2;
    case Part::Values:
        return m_document.ValueColumnCount();
    case Part::Results:
        return m_document.ResultColumnCount();
    }
    return 0;
}

QVariant TableGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const int row = GridRow(index);
    if (m_part == Part::Labels && index.column() == 0 && role != Qt::EditRole)
        return noteData(row, role);
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();
    switch (m_part) {
    case Part::Labels:
        return index.column() == 0 ? m_document.LabelText(row) : m_document.DateText(row);
    case Part::Values:
        return m_document.ValueText(row, index.column()).toString();
    case Part::Results:
        return m_document.ResultText(row, index.column());
    }
    return QVariant();
}

QVariant TableGridModel::noteData(int gridRow, int role) const
{
    // Separator rows and the closing row carry no note; NoteOf finds none for them.
    const PointNote* note = gridRow < m_document.RowCount() ? m_document.NoteOf(gridRow) : nullptr;
    switch (role) {
    case Qt::DisplayRole:
        return note && note->HasNote() ? m_document.LabelText(gridRow) + NoteMark() : m_document.LabelText(gridRow);
    case Qt::ToolTipRole:
        return note ? QVariant(NoteToolTip(*note)) : QVariant();
    case Qt::FontRole:
        if (note && note->Excluded()) {
            QFont font; // only the strike-out is set, the view's font gives the rest
            font.setStrikeOut(true);
            return font;
        }
        return QVariant();
    case Qt::ForegroundRole:
        return note && note->Excluded() ? QVariant(QBrush(QColor(128, 128, 128))) : QVariant();
    case HasNoteRole:
        return note && note->HasNote();
    case ExcludedRole:
        return note && note->Excluded();
    default:
        return QVariant();
    }
}

QVariant TableGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    switch (m_part) {
    case Part::Labels:
        return m_document.LabelHeader(section);
    case Part::Values:
        return m_document.ValueColumnHeader(section);
    case Part::Results:
        return m_document.ResultHeader(section);
    }
    return QVariant();
}

bool TableGridModel::IsEditable(int gridRow, int column) const
{
    if (gridRow < 1 || gridRow >= m_document.RowCount() || m_document.IsSeparatorRow(gridRow))
        return false;
    switch (m_part) {
    case Part::Labels:
        return column == 1;
    case Part::Values:
        return column >= 0 && column < m_document.ValueColumnCount();
    case Part::Results:
        return false;
    }
    return false;
}

Qt::ItemFlags TableGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    const int row = GridRow(index);
    if (!m_document.IsSeparatorRow(row))
        result |= Qt::ItemIsSelectable;
    if (IsEditable(row, index.column()))
        result |= Qt::ItemIsEditable;
    return result;
}

bool TableGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid())
        return false;
    const int row = GridRow(index);
    if (!IsEditable(row, index.column()))
        return false;
    const QString text = value.toString();
    if (text == data(index, Qt::EditRole).toString())
        return true; // leaving a cell unchanged is no edit
    if (m_commitDeferred && m_document.IsComputed()) {
        m_deferredEdit = { row, index.column(), text };
        return true;
    }
    applyEdit(row, index.column(), text);
    return true;
}

void TableGridModel::ApplyDeferredEdit()
{
    if (!HasDeferredEdit())
        return;
    const DeferredEdit edit = std::exchange(m_deferredEdit, DeferredEdit {});
    if (IsEditable(edit.Row, edit.Column))
        applyEdit(edit.Row, edit.Column, edit.Text);
}

void TableGridModel::applyEdit(int gridRow, int column, const QString& text)
{
    // The document announces the edited row (and the dropped results) itself.
    if (m_editor)
        m_editor(m_part, gridRow, column, text);
    else if (m_part == Part::Labels)
        m_document.EditDateText(gridRow, text);
    else
        m_document.EditValueText(gridRow, column, text);
}

void TableGridModel::BeginBulkChange()
{
    if (m_bulk)
        return;
    beginResetModel();
    m_bulk = true;
    m_deferredEdit = {};
}

void TableGridModel::EndBulkChange()
{
    if (!m_bulk)
        return;
    m_bulk = false;
    m_rows = documentRows();
    m_columns = documentColumns();
    endResetModel();
}

void TableGridModel::followDocument()
{
    if (m_bulk)
        return;
    // Rows and columns come or go at the end and every cell is announced anew: the views keep
    // their selection and scroll position, which a reset would throw away.
    m_deferredEdit = {};
    const int rows = documentRows();
    const int columns = documentColumns();
    if (columns < m_columns) {
        beginRemoveColumns(QModelIndex(), columns, m_columns - 1);
        m_columns = columns;
        endRemoveColumns();
    }
    if (rows < m_rows) {
        beginRemoveRows(QModelIndex(), rows, m_rows - 1);
        m_rows = rows;
        endRemoveRows();
    } else if (rows > m_rows) {
        beginInsertRows(QModelIndex(), m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    }
    if (columns > m_columns) {
        beginInsertColumns(QModelIndex(), m_columns, columns - 1);
        m_columns = columns;
        endInsertColumns();
    }
    if (m_rows > 0 && m_columns > 0)
        Q_EMIT dataChanged(index(0, 0), index(m_rows - 1, m_columns - 1));
    if (m_columns > 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, m_columns - 1);
}

void TableGridModel::insertRows(int gridRow, int count)
{
    if (m_bulk)
        return;
    const int first = gridRow - 1;
    if (count <= 0 || first < 0 || first > m_rows || documentRows() != m_rows + count
        || documentColumns() != m_columns) {
        followDocument(); // not the step the views last saw
        return;
    }
    beginInsertRows(QModelIndex(), first, first + count - 1);
    m_rows += count;
    endInsertRows();
}

void TableGridModel::removeRows(int gridRow, int count)
{
    if (m_bulk)
        return;
    const int first = gridRow - 1;
    if (count <= 0 || first < 0 || first + count > m_rows || documentRows() != m_rows - count
        || documentColumns() != m_columns) {
        followDocument();
        return;
    }
    beginRemoveRows(QModelIndex(), first, first + count - 1);
    m_rows -= count;
    endRemoveRows();
}

void TableGridModel::refreshCells()
{
    if (m_bulk)
        return;
    if (documentRows() != m_rows || documentColumns() != m_columns) {
        followDocument();
        return;
    }
    if (m_rows > 0 && m_columns > 0)
        Q_EMIT dataChanged(index(0, 0), index(m_rows - 1, m_columns - 1), { Qt::DisplayRole, Qt::EditRole });
}

void TableGridModel::refreshRows(int firstGridRow, int lastGridRow)
{
    if (m_bulk)
        return;
    if (documentRows() != m_rows || documentColumns() != m_columns) {
        followDocument();
        return;
    }
    const int first = std::max(firstGridRow - 1, 0);
    const int last = std::min(lastGridRow - 1, m_rows - 1);
    if (first <= last && m_columns > 0)
        Q_EMIT dataChanged(index(first, 0), index(last, m_columns - 1), { Qt::DisplayRole, Qt::EditRole });
}

void TableGridModel::refreshNotes(int firstGridRow, int lastGridRow)
{
    if (m_bulk || m_rows == 0)
        return;
    const int first = std::max(firstGridRow - 1, 0);
    const int last = std::min(lastGridRow - 1, m_rows - 1);
    if (first <= last)
        Q_EMIT dataChanged(index(first, 0), index(last, 0),
            { Qt::DisplayRole, Qt::ToolTipRole, Qt::FontRole, Qt::ForegroundRole, HasNoteRole, ExcludedRole });
}

void TableGridModel::refreshHeaders()
{
    if (m_bulk)
        return;
    if (documentColumns() != m_columns) {
        followDocument();
        return;
    }
    if (m_columns > 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, m_columns - 1);
}
