#include "exchange/ImportSession.h"

#include "model/Numbers.h"

#include <algorithm>

namespace {

// A cell that reads as a date or a time: digits with ".", "-", "/" or ":" between them, not a number.
bool looksLikeDate(QStringView text)
{
    text = TrimBlanks(text);
    if (text.size() < 6 || ParseNumber(text))
        return false;
    int digits = 0;
    for (const QChar c : text) {
        if (c.isDigit())
            ++digits;
        else if (c != u'.' && c != u'-' && c != u'/' && c != u':' && c != u' ' && c != u'T')
            return false;
    }
    return digits >= 4;
}

} // namespace

bool LooksLikeHeaderRow(const SourceTable& table)
{
    if (table.RowCount() < 2)
        return false;
    for (int c = 0; c < table.CellCount(0); ++c) {
        const QStringView name = TrimBlanks(table.Cell(0, c));
        if (!name.isEmpty() && !ParseNumber(name) && !looksLikeDate(name) && ParseNumber(table.Cell(1, c)))
            return true;
    }
    return false;
}

bool ImportSession::Open(const QString& fileName)
{
    m_fileName = fileName;
    m_options = {};
    reload();
    guessColumns();
    replan();
    return m_source.Error.isEmpty();
}

void ImportSession::reload()
{
    m_source = LoadSource(m_fileName, m_options);
    m_choice.Decimal = m_source.Decimal();
}

void ImportSession::guessColumns()
{
    const SourceTable& table = m_source.Table;
    m_choice.HeaderRow = LooksLikeHeaderRow(table);
    m_choice.DateColumn = -1;
    m_choice.GroupColumn = -1;
    m_choice.NoteColumn = m_choice.ActionColumn = m_choice.ExcludeColumn = -1;
    m_choice.ValueColumns.clear();
    const int sample = m_choice.HeaderRow ? 1 : 0;
    if (table.RowCount() <= sample)
        return;
    for (int c = 0; c < table.ColumnCount(); ++c) {
        const QStringView cell = table.Cell(sample, c);
        if (m_choice.DateColumn < 0 && looksLikeDate(cell))
            m_choice.DateColumn = c;
        else if (m_choice.ValueColumns.empty() && IsImportNumber(TrimBlanks(cell), m_choice.Decimal))
            m_choice.ValueColumns.push_back(c);
    }
    if (m_choice.ValueColumns.empty())
        m_choice.ValueColumns.push_back(m_choice.DateColumn == 0 && table.ColumnCount() > 1 ? 1 : 0);
}

void ImportSession::replan()
{
    m_plan = m_source.Error.isEmpty() ? PlanImport(m_source.Table, m_choice) : ImportPlan {};
}

void ImportSession::SetSheet(int index)
{
    if (index < 0 || index >= m_source.Sheets.size())
        return;
    m_options.Sheet = m_source.Sheets[index]; // by name, since a sheet may be called "2"
    reload();
    guessColumns();
    replan();
}

void ImportSession::SetEncoding(std::optional<TextEncoding> encoding)
{
    m_options.Text.Encoding = encoding;
    reload();
    replan();
}

void ImportSession::SetDelimiter(std::optional<QChar> delimiter)
{
    m_options.Text.Delimiter = delimiter;
    reload();
    guessColumns();
    replan();
}

void ImportSession::SetDecimal(std::optional<DecimalSeparator> decimal)
{
    m_options.Text.Decimal = decimal;
    reload();
    replan();
}

QStringList ImportSession::ColumnTitles() const
{
    QStringList titles;
    const SourceTable& table = m_source.Table;
    for (int c = 0; c < table.ColumnCount(); ++c) {
        QString title = QStringLiteral("%1 (%2)").arg(c + 1).arg(ColumnLetters(c));
        if (m_choice.HeaderRow && table.RowCount() > 0) {
            const QStringView name = TrimBlanks(table.Cell(0, c));
            if (!name.isEmpty())
                title += QStringLiteral(": ") + name.left(40).toString();
        }
        titles << title;
    }
    return titles;
}

void ImportSession::SetHeaderRow(bool header)
{
    m_choice.HeaderRow = header;
    replan();
}

void ImportSession::SetValueColumns(int first, int count)
{
    m_choice.ValueColumns.clear();
    for (int c = 0; c < std::clamp(count, 1, 25); ++c)
        m_choice.ValueColumns.push_back(first + c);
    replan();
}

void ImportSession::SetDateColumn(int column)
{
    m_choice.DateColumn = column;
    replan();
}

void ImportSession::SetGroupColumn(int column)
{
    m_choice.GroupColumn = column;
    replan();
}

void ImportSession::SetNoteColumns(int note, int action, int exclude)
{
    m_choice.NoteColumn = note;
    m_choice.ActionColumn = action;
    m_choice.ExcludeColumn = exclude;
    replan();
}

void ImportSession::SetLeaveOutBadRows(bool leaveOut)
{
    m_choice.LeaveOutBadRows = leaveOut;
    replan();
}

QString ImportSession::Summary() const
{
    if (!m_source.Error.isEmpty())
        return m_source.Error;
    if (!m_plan.Error.isEmpty())
        return m_plan.Error;
    QString text = QStringLiteral("Точок: %1, груп: %2, значень у точці: %3.")
                       .arg(m_plan.Rows.size())
                       .arg(m_plan.GroupStarts.size() + 1)
                       .arg(m_plan.ColumnCount);
    if (!m_plan.BadRows.empty())
        text += QStringLiteral(" Рядків, що не є числами: %1 (%2).")
                    .arg(m_plan.BadRowCount)
                    .arg(m_choice.LeaveOutBadRows ? QStringLiteral("їх буде пропущено")
                                                  : QStringLiteral("вони стануть порожніми клітинками"));
    if (!m_plan.SingleGroups.isEmpty())
        text += QStringLiteral(" Групи з однієї точки (обчислення їх не прийме): %1.")
                    .arg(m_plan.SingleGroups.mid(0, 10).join(QStringLiteral(", ")));
    if (m_source.Table.UnclosedQuoteLine > 0)
        text += QStringLiteral(" Лапки, відкриті в рядку %1, не закрито до кінця файлу.")
                    .arg(m_source.Table.UnclosedQuoteLine);
    return text;
}

bool ImportSession::Apply(MeasurementDocument& doc) const
{
    if (!CanImport())
        return false;
    ApplyImport(doc, m_source.Table, m_choice, m_plan, SourceTableName(m_fileName));
    return true;
}
