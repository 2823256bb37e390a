#include "actions/Paste.h"

#include "actions/TableOperations.h"
#include "model/MeasurementDocument.h"
#include "model/Messenger.h"
#include "model/Numbers.h"

#include <algorithm>

namespace {

// A block row that repeats a separator row of the grids: separator lines and blanks only.
bool separatorBlockRow(const SourceTable& block, int row)
{
    bool line = false;
    for (int c = 0; c < block.CellCount(row); ++c) {
        const QStringView cell = TrimBlanks(block.Cell(row, c));
        if (cell == MeasurementDocument::SeparatorLine())
            line = true;
        else if (!cell.isEmpty() && !cell.startsWith(u"Розділювач №"))
            return false;
    }
    return line;
}

} // namespace

bool PasteCells(MeasurementDocument& doc, int row, int column, const SourceTable& block)
{
    if (block.RowCount() == 0)
        return false;
    column = std::max(column, int(TableColumns::Date));
    const int lastValue = TableColumns::FirstResult(doc) - 1;
    const int room = lastValue - column + 1;
    if (column > lastValue || block.ColumnCount() > room) {
        doc.messenger().ShowMessage(
            QStringLiteral("Блок із буфера обміну має стовпців: %1, а від вибраної клітинки до останнього стовпця "
                           "значень їх лише %2. Нічого не вставлено.")
                .arg(block.ColumnCount())
                .arg(std::max(room, 0)));
        return false;
    }

    std::vector<int> blockRows;
    blockRows.reserve(size_t(block.RowCount()));
    for (int r = 0; r < block.RowCount(); ++r) {
        if (!separatorBlockRow(block, r))
            blockRows.push_back(r);
    }
    if (blockRows.empty())
        return false;

    // The point rows from `row` on, in the editing state's rows (the closing row is no point).
    const int tableRows = doc.TableRowCount();
    const std::vector<bool>& flags = doc.SeparatorFlags();
    row = std::max(row, 1);
    int available = 0;
    for (int r = row; r <= tableRows; ++r)
        available += !flags[size_t(r - 1)];
    int pasted = int(blockRows.size());
    if (pasted > available) {
        const int missing = pasted - available;
        const bool append = doc.messenger().AskYesNo(
            QStringLiteral("Блок із буфера обміну має рядків: %1, а від вибраного рядка до кінця таблиці точок лише "
                           "%2. Додати в кінець таблиці нових точок: %3?\n(Ні — вставити лише ті рядки, що "
                           "вміщуються.)")
                .arg(pasted)
                .arg(available)
                .arg(missing));
        // A refused append (the table's size limit) has said why; the rows that fit still go in.
        if (!append || !AppendPoints(doc, missing).Done)
            pasted = available;
    }
    if (pasted == 0)
        return false;

    doc.InvalidateResults();
    int target = row;
    for (int i = 0; i < pasted; ++i) {
        while (doc.SeparatorFlags()[size_t(target - 1)])
            ++target;
        const int source = blockRows[size_t(i)];
        for (int c = 0; c < block.ColumnCount(); ++c) {
            const int to = column + c;
            const QString cell = TrimBlanks(block.Cell(source, c)).toString();
            if (to == TableColumns::Date)
                doc.SetDateText(target, cell);
            else
                doc.SetValueText(target, to - TableColumns::FirstValue, cell);
        }
        ++target;
    }
    doc.MarkChanged();
    Q_EMIT doc.cellsChanged();
    return true;
}
