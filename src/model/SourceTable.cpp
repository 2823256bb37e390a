#include "model/SourceTable.h"

#include "model/Numbers.h"

#include <algorithm>

void SourceTable::StartRow(int line)
{
    m_rowStart.push_back(m_cells.size());
    m_lines.push_back(line);
}

void SourceTable::Reserve(size_t rows, size_t cells, size_t chars)
{
    m_rowStart.reserve(rows);
    m_lines.reserve(rows);
    m_cells.reserve(cells, chars);
}

void SourceTable::AddCell(QStringView text)
{
    m_cells.append(text);
}

void SourceTable::FinishRow(bool keepBlank)
{
    if (m_rowStart.empty())
        return;
    const int row = RowCount() - 1;
    const int cells = CellCount(row);
    if (keepBlank) {
        m_columns = std::max(m_columns, cells);
        return;
    }
    for (int c = 0; c < cells; ++c) {
        if (!TrimBlanks(Cell(row, c)).isEmpty()) {
            m_columns = std::max(m_columns, cells);
            return;
        }
    }
    m_cells.resize(m_rowStart.back());
    m_rowStart.pop_back();
    m_lines.pop_back();
}

QString ColumnLetters(int column)
{
    QString letters;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}
