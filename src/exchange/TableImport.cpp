#include "exchange/TableImport.h"

#include "model/ChangeLog.h"
#include "model/MeasurementDocument.h"
#include "model/Numbers.h"
#include "model/PointNote.h"

#include <QDate>
#include <algorithm>
#include <map>

namespace {

constexpr int MaxPoints = 50'000'000;
constexpr qsizetype HeaderTextLimit = 78; // what a header edit holds

// A text cell of a note column: as typed, unless blank; no longer than the note dialog takes.
QString noteText(const SourceTable& table, int row, int column)
{
    if (column < 0)
        return {};
    const QStringView cell = table.Cell(row, column);
    if (TrimBlanks(cell).isEmpty())
        return {};
    return cell.left(PointNoteMaxChars).toString();
}

PointNote importedNote(const SourceTable& table, int row, const ImportChoice& choice)
{
    PointNote note;
    note.Note = noteText(table, row, choice.NoteColumn);
    note.Action = noteText(table, row, choice.ActionColumn);
    // A reason is one line of the analyst's; blanks around it mean nothing.
    note.ExcludeReason = noteText(table, row, choice.ExcludeColumn).trimmed();
    return note;
}

} // namespace

bool IsImportNumber(QStringView text, std::optional<DecimalSeparator> decimal)
{
    if (decimal) {
        const QChar other = *decimal == DecimalSeparator::Comma ? u'.' : u',';
        if (text.contains(other))
            return false;
    }
    return ParseNumber(text).has_value();
}

int ImportPlan::SubgroupSize() const
{
    return ColumnCount > 1 ? ColumnCount : 0;
}

ImportPlan PlanImport(const SourceTable& table, const ImportChoice& choice)
{
    ImportPlan plan;
    const int columns = int(choice.ValueColumns.size());
    plan.ColumnCount = columns;
    if (columns < 1 || columns > 25) {
        plan.Error = QStringLiteral("Виберіть один стовпець значень або від 2 до 25 стовпців підгрупи.");
        return plan;
    }
    std::vector<int> chosen = choice.ValueColumns;
    if (choice.DateColumn >= 0)
        chosen.push_back(choice.DateColumn);
    if (choice.GroupColumn >= 0)
        chosen.push_back(choice.GroupColumn);
    for (const int column : { choice.NoteColumn, choice.ActionColumn, choice.ExcludeColumn }) {
        if (column >= 0)
            chosen.push_back(column);
    }
    for (const int column : chosen) {
        if (column < 0 || column >= table.ColumnCount()) {
            plan.Error = QStringLiteral("Стовпця %1 у файлі немає: він має стовпців %2.")
                             .arg(column + 1)
                             .arg(table.ColumnCount());
            return plan;
        }
    }
    for (const int column : choice.ValueColumns) {
        if (column == choice.DateColumn || column == choice.GroupColumn) {
            plan.Error = QStringLiteral("Стовпець %1 вибрано і для значень, і для дат чи груп.").arg(column + 1);
            return plan;
        }
        if (column == choice.NoteColumn || column == choice.ActionColumn || column == choice.ExcludeColumn) {
            plan.Error = QStringLiteral("Стовпець %1 вибрано і для значень, і для приміток.").arg(column + 1);
            return plan;
        }
    }

    const int first = choice.HeaderRow ? 1 : 0;
    if (choice.HeaderRow && columns == 1 && table.RowCount() > 0)
        plan.MeasuredParameter = TrimBlanks(table.Cell(0, choice.ValueColumns[0])).left(HeaderTextLimit).toString();

    QString groupKey;
    bool groupOpen = false; // the current group has points
    bool groupChanged = false;
    int groupStartRow = -1;
    int goodRows = 0;
    auto closeGroup = [&]() {
        const size_t groupStart = plan.GroupStarts.empty() ? 0 : size_t(plan.GroupStarts.back());
        if (groupOpen && plan.Rows.size() - groupStart == 1)
            plan.SingleGroups.append(QStringLiteral("рядок %1").arg(table.Line(groupStartRow)));
    };
    for (int row = first; row < table.RowCount(); ++row) {
        if (choice.GroupColumn >= 0) {
            const QStringView key = TrimBlanks(table.Cell(row, choice.GroupColumn));
            // A blank group cell continues the group, as merged cells of a spreadsheet leave it.
            if (!key.isEmpty() && key != groupKey) {
                groupChanged = !plan.Rows.empty() || groupChanged;
                groupKey = key.toString();
            }
        }
        bool good = true;
        for (const int column : choice.ValueColumns) {
            const QStringView cell = TrimBlanks(table.Cell(row, column));
            if (!IsImportNumber(cell, choice.Decimal)) {
                if (plan.BadRowCount++ < ListedBadRowLimit)
                    plan.BadRows.push_back({ table.Line(row), cell.toString() });
                good = false;
                break;
            }
        }
        goodRows += good;
        if (!good && choice.LeaveOutBadRows)
            continue;
        if (groupChanged && groupOpen) {
            closeGroup();
            plan.GroupStarts.push_back(int(plan.Rows.size()));
            groupOpen = false;
        }
        groupChanged = false;
        if (!groupOpen) {
            groupOpen = true;
            groupStartRow = row;
        }
        plan.Rows.push_back(row);
        if (int(plan.Rows.size()) > MaxPoints) {
            plan.Error = QStringLiteral("Файл містить забагато рядків для однієї таблиці.");
            return plan;
        }
    }
    closeGroup();
    if (goodRows == 0) {
        plan.Error = table.RowCount() <= first ? QStringLiteral("У файлі немає рядків з даними.")
                                               : QStringLiteral("Жоден рядок не містить чисел у вибраних стовпцях.");
        plan.Rows.clear();
        plan.GroupStarts.clear();
    }
    return plan;
}

void ApplyImport(MeasurementDocument& doc, const SourceTable& table, const ImportChoice& choice, const ImportPlan& plan,
    const QString& tableName)
{
    const int subgroupSize = plan.SubgroupSize();
    const bool individual = subgroupSize == 0;
    const int points = int(plan.Rows.size());
    const int groups = int(plan.GroupStarts.size()) + 1;

    std::vector<bool> flags(size_t(points + groups), false);
    for (size_t g = 0; g < plan.GroupStarts.size(); ++g)
        flags[size_t(plan.GroupStarts[g]) + g] = true;
    flags.back() = true;

    // The reader's layout, with fresh group records.
    doc.InvalidateResults();
    doc.SetGroupCount(0);
    doc.LayOut(individual, points, subgroupSize, std::move(flags));

    const QString& line = MeasurementDocument::SeparatorLine();
    const bool notes = choice.NoteColumn >= 0 || choice.ActionColumn >= 0 || choice.ExcludeColumn >= 0;
    const QString author = notes ? ChangeLog::CurrentUser() : QString();
    const QString time = notes ? ChangeLog::CurrentTime() : QString();
    std::map<int, PointNote> pointNotes;
    size_t nextStart = 0;
    int row = 1;
    for (int i = 0; i < points; ++i, ++row) {
        if (nextStart < plan.GroupStarts.size() && plan.GroupStarts[nextStart] == i) {
            doc.SetDateText(row, line);
            for (int c = 0; c < doc.ValueColumnCount(); ++c)
                doc.SetValueText(row, c, line);
            ++row;
            ++nextStart;
        }
        const int source = plan.Rows[size_t(i)];
        if (choice.DateColumn >= 0)
            doc.SetDateText(row, TrimBlanks(table.Cell(source, choice.DateColumn)).toString());
        for (int c = 0; c < plan.ColumnCount; ++c) {
            const QStringView cell = TrimBlanks(table.Cell(source, choice.ValueColumns[size_t(c)]));
            if (IsImportNumber(cell, choice.Decimal))
                doc.SetValueText(row, c, cell);
        }
        if (notes) {
            PointNote note = importedNote(table, source, choice);
            if (!note.Empty()) {
                note.Author = author;
                note.Time = time;
                pointNotes.emplace(row, std::move(note));
            }
        }
    }

    // A new document's header: nothing but the name of what it came from.
    doc.SetFillDate(QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
    doc.SetTableName(tableName.left(HeaderTextLimit));
    for (int field = 0; field < HeaderFieldCount; ++field) {
        doc.SetHeaderText(HeaderField(field), QString());
        doc.SetHeaderPresent(HeaderField(field), HeaderField(field) == HeaderField::Operator);
    }
    if (!plan.MeasuredParameter.isEmpty()) {
        doc.SetHeaderText(HeaderField::MeasuredParameter, plan.MeasuredParameter);
        doc.SetHeaderPresent(HeaderField::MeasuredParameter, true);
    }
    doc.SetAdditionalInfo({});
    doc.SetAdditionalInfoPresent(false);
    doc.SetUnits(QString());
    const bool defaults[] = { true, true, true, false, true, false };
    for (int item = N11; item <= N61; ++item)
        doc.SetChartSelection(ChartChoice(item), defaults[item]);
    doc.RecomputeDisplayPrecision();
    doc.SetFileName(QString());
    if (!pointNotes.empty())
        doc.SetPointNotes(std::move(pointNotes));
    doc.RenumberRows();
    doc.MarkChanged();
}

int FindColumn(const SourceTable& table, bool headerRow, const QString& numberOrName)
{
    const QString wanted = numberOrName.trimmed();
    if (headerRow && table.RowCount() > 0) {
        for (int c = 0; c < table.CellCount(0); ++c) {
            if (TrimBlanks(table.Cell(0, c)).compare(wanted, Qt::CaseInsensitive) == 0)
                return c;
        }
    }
    bool ok = false;
    const int number = wanted.toInt(&ok);
    if (ok && number >= 1)
        return number - 1;
    return -1;
}

QStringList BadRowLines(const std::vector<BadRow>& rows)
{
    QStringList lines;
    lines.reserve(qsizetype(rows.size()));
    for (const BadRow& row : rows) {
        if (row.Text.isEmpty())
            lines.append(QStringLiteral("Рядок %1: порожня клітинка").arg(row.Line));
        else
            lines.append(QStringLiteral("Рядок %1: «%2» не є числом").arg(row.Line).arg(row.Text.left(40)));
    }
    return lines;
}

QStringList BadRowLines(const ImportPlan& plan)
{
    QStringList lines = BadRowLines(plan.BadRows);
    if (plan.BadRowCount > int(plan.BadRows.size()))
        lines.append(QStringLiteral("... і ще %1").arg(plan.BadRowCount - int(plan.BadRows.size())));
    return lines;
}
