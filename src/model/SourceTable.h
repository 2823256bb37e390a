#pragma once

#include "model/CellTextStore.h"

#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

// The cells of a file being imported, row by row, before anything is chosen from them: a CSV
// or text file, or one sheet of a workbook. Rows may differ in length; a cell past a row's end
// reads as empty. Every row remembers the line (or sheet row) it came from, so messages can name it.
class SourceTable {
public:
    int RowCount() const { return int(m_rowStart.size()); }
    int ColumnCount() const { return m_columns; } // of the widest row
    int CellCount(int row) const { return int(rowEnd(row) - m_rowStart[size_t(row)]); }
    // Valid until the table is next changed.
    QStringView Cell(int row, int column) const
    {
        if (column < 0 || column >= CellCount(row))
            return {};
        return m_cells.at(m_rowStart[size_t(row)] + size_t(column));
    }
    int Line(int row) const { return m_lines[size_t(row)]; } // from 1

    void Reserve(size_t rows, size_t cells, size_t chars);
    void StartRow(int line);
    void AddCell(QStringView text);
    // Ends the row begun last; a row of blank cells only carries nothing and is dropped unless kept.
    void FinishRow(bool keepBlank = false);

    // A quoted field that was never closed swallowed the rest of the file from this line on; 0: none.
    int UnclosedQuoteLine = 0;

private:
    size_t rowEnd(int row) const
    {
        return size_t(row) + 1 < m_rowStart.size() ? m_rowStart[size_t(row) + 1] : m_cells.size();
    }

    CellTextStore m_cells;
    std::vector<size_t> m_rowStart;
    std::vector<int> m_lines;
    int m_columns = 0;
};

// An Excel-style column name: 0 is "A", 25 "Z", 26 "AA".
QString ColumnLetters(int column);
