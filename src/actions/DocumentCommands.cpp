#include "actions/DocumentCommands.h"

#include <algorithm>

namespace {

// Removes rows row .. row + count - 1: a tail at once, single rows one by one.
void removeRows(MeasurementDocument& doc, int row, int count)
{
    if (count <= 0)
        return;
    if (row + count - 1 >= doc.TableRowCount()) {
        doc.TruncateTable(row - 1);
        return;
    }
    for (int i = 0; i < count; ++i)
        doc.RemoveTableRow(row);
}

std::vector<TIndividualInfo> copyRecords(const MeasurementDocument& doc, int first, int count)
{
    std::vector<TIndividualInfo> records;
    const auto& groups = doc.Groups();
    records.reserve(size_t(std::max(count, 0)));
    for (int i = first; i < first + count && i < int(groups.size()); ++i)
        records.push_back(SettingsCopy(groups[size_t(i)]));
    return records;
}

size_t textBytes(const QString& text)
{
    return sizeof(QString) + size_t(text.capacity()) * sizeof(QChar);
}

size_t textBytes(const std::vector<QString>& texts)
{
    size_t bytes = sizeof(texts);
    for (const QString& text : texts)
        bytes += textBytes(text);
    return bytes;
}

size_t noteBytes(const PointNote& note)
{
    return textBytes(note.Note) + textBytes(note.Action) + textBytes(note.ExcludeReason) + textBytes(note.Author)
        + textBytes(note.Time);
}

size_t recordBytes(const std::vector<TIndividualInfo>& records)
{
    return sizeof(records) + records.size() * sizeof(TIndividualInfo);
}

// The settings the group box edits, with the log's names for them.
struct NamedSetting {
    TFixableValue TIndividualInfo::*Setting;
    const char* Name;
};
constexpr NamedSetting NamedSettings[] = {
    { &TIndividualInfo::CentreSetting, "центральна лінія" },
    { &TIndividualInfo::SigmaSetting, "σ" },
    { &TIndividualInfo::MedianCentreSetting, "центр карти медіан" },
    { &TIndividualInfo::DeviationCentreSetting, "центр карти s" },
    { &TIndividualInfo::RelDeviationCentreSetting, "центр карти відносних s" },
    { &TIndividualInfo::RangeCentreSetting, "центр карти розмахів" },
    { &TIndividualInfo::RelRangeCentreSetting, "центр карти відносних розмахів" },
};

QString settingText(const TFixableValue& setting)
{
    return setting.Fixed ? QString::number(setting.Value, 'g', 17) : QStringLiteral("авт.");
}

} // namespace

// «before» → «after», the texts as they are.
QString QuotedChange(const QString& before, const QString& after)
{
    return QStringLiteral("«") + before + QStringLiteral("» → «") + after + QStringLiteral("»");
}

TIndividualInfo SettingsCopy(const TIndividualInfo& group)
{
    TIndividualInfo copy(group.Individual);
    copy.FirstRow = group.FirstRow;
    copy.GroupPointCount = group.GroupPointCount;
    copy.ElementCount = group.ElementCount;
    copy.UseSampleDeviation = group.UseSampleDeviation;
    copy.GrandMean = group.GrandMean;
    copy.MeanDeviation = group.MeanDeviation;
    copy.MeanRange = group.MeanRange;
    copy.CentreSetting = group.CentreSetting;
    copy.SigmaSetting = group.SigmaSetting;
    copy.DeviationCentreSetting = group.DeviationCentreSetting;
    copy.RelDeviationCentreSetting = group.RelDeviationCentreSetting;
    copy.MedianCentreSetting = group.MedianCentreSetting;
    copy.RangeCentreSetting = group.RangeCentreSetting;
    copy.RelRangeCentreSetting = group.RelRangeCentreSetting;
    copy.Lines = group.Lines;
    return copy;
}

DocumentCommand::DocumentCommand(MeasurementDocument& doc, const QString& text)
    : QUndoCommand(text)
    , m_doc(doc)
{
}

void DocumentCommand::redo()
{
    if (std::exchange(m_firstRedo, false))
        return;
    m_doc.InvalidateResults();
    apply();
}

void DocumentCommand::undo()
{
    m_doc.InvalidateResults();
    revert();
}

CellCommand::CellCommand(MeasurementDocument& doc, int row, int column, QString before, QString after)
    : DocumentCommand(doc, column < 0 ? QStringLiteral("зміна дати") : QStringLiteral("зміна значення"))
    , m_row(row)
    , m_column(column)
    , m_before(std::move(before))
    , m_after(std::move(after))
{
}

void CellCommand::write(const QString& text)
{
    if (m_column < 0)
        m_doc.SetDateText(m_row, text);
    else
        m_doc.SetValueText(m_row, m_column, text);
    Q_EMIT m_doc.cellsEdited(m_row, m_row);
}

QString CellCommand::LogText() const
{
    QString where = m_doc.LabelText(m_row);
    if (m_column >= 0 && !m_doc.IndividualMode())
        where += QStringLiteral(", X") + QString::number(m_column + 1);
    return text() + QStringLiteral(", точка ") + where + QStringLiteral(": ") + QuotedChange(m_before, m_after);
}

size_t CellCommand::StoredBytes() const
{
    return sizeof(*this) + textBytes(m_before) + textBytes(m_after);
}

size_t CellBlock::StoredBytes() const
{
    return textBytes(Texts);
}

size_t PasteCommand::StoredBytes() const
{
    return sizeof(*this) + m_before.StoredBytes() + m_after.StoredBytes();
}

size_t RowBlock::StoredBytes() const
{
    size_t bytes = Flags.capacity() / 8 + textBytes(Dates) + textBytes(Values);
    for (const auto& [row, note] : Notes)
        bytes += sizeof(row) + noteBytes(note);
    return bytes;
}

size_t TableCommand::StoredBytes() const
{
    return sizeof(*this) + m_removed.StoredBytes() + recordBytes(m_groupsBefore) + recordBytes(m_groupsAfter);
}

size_t HeaderCommand::StoredBytes() const
{
    size_t bytes = sizeof(*this) + textBytes(m_before.Text) + textBytes(m_after.Text);
    for (const QString& line : m_before.Lines + m_after.Lines)
        bytes += textBytes(line);
    return bytes;
}

CellBlock CellBlock::Capture(const MeasurementDocument& doc, int firstRow, int lastRow, int firstColumn, int columns)
{
    CellBlock block;
    block.FirstRow = firstRow;
    block.LastRow = std::min(lastRow, doc.TableRowCount());
    block.FirstColumn = firstColumn;
    block.Columns = columns;
    const int rows = std::max(0, block.LastRow - block.FirstRow + 1);
    block.Texts.reserve(size_t(rows) * size_t(columns));
    for (int row = block.FirstRow; row <= block.LastRow; ++row) {
        for (int c = firstColumn; c < firstColumn + columns; ++c) {
            if (c == TableColumns::Date)
                block.Texts.push_back(doc.DateText(row));
            else
                block.Texts.push_back(doc.ValueText(row, c - TableColumns::FirstValue).toString());
        }
    }
    return block;
}

void CellBlock::Restore(MeasurementDocument& doc) const
{
    if (LastRow < FirstRow || Columns <= 0)
        return;
    size_t cell = 0;
    for (int row = FirstRow; row <= LastRow; ++row) {
        const bool separator = doc.SeparatorFlags()[size_t(row - 1)];
        for (int c = FirstColumn; c < FirstColumn + Columns; ++c, ++cell) {
            if (separator)
                continue;
            if (c == TableColumns::Date)
                doc.SetDateText(row, Texts[cell]);
            else
                doc.SetValueText(row, c - TableColumns::FirstValue, Texts[cell]);
        }
    }
    Q_EMIT doc.cellsEdited(FirstRow, LastRow);
}

PasteCommand::PasteCommand(
    MeasurementDocument& doc, int oldTableRows, int oldPointCount, CellBlock before, CellBlock after)
    : DocumentCommand(doc, QStringLiteral("вставлення з буфера"))
    , m_oldTableRows(oldTableRows)
    , m_oldPointCount(oldPointCount)
    , m_newTableRows(doc.TableRowCount())
    , m_newPointCount(doc.PointCount())
    , m_before(std::move(before))
    , m_after(std::move(after))
{
}

void PasteCommand::apply()
{
    if (m_newTableRows > m_oldTableRows)
        m_doc.InsertTableRows(m_oldTableRows + 1, m_newTableRows - m_oldTableRows, false);
    m_doc.SetPointCount(m_newPointCount);
    m_after.Restore(m_doc);
}

void PasteCommand::revert()
{
    if (m_newTableRows > m_oldTableRows)
        m_doc.TruncateTable(m_oldTableRows);
    m_doc.SetPointCount(m_oldPointCount);
    m_before.Restore(m_doc);
}

RowBlock RowBlock::Capture(const MeasurementDocument& doc, int row, int count)
{
    RowBlock block;
    block.Row = row;
    const int columns = doc.ValueColumnCount();
    block.Flags.reserve(size_t(count));
    block.Dates.reserve(size_t(count));
    block.Values.reserve(size_t(count) * size_t(columns));
    for (int r = row; r < row + count; ++r) {
        block.Flags.push_back(doc.SeparatorFlags()[size_t(r - 1)]);
        block.Dates.push_back(doc.DateText(r));
        for (int c = 0; c < columns; ++c)
            block.Values.push_back(doc.ValueText(r, c).toString());
    }
    const auto& notes = doc.PointNotes();
    for (auto it = notes.lower_bound(row); it != notes.end() && it->first < row + count; ++it)
        block.Notes.emplace_back(it->first - row, it->second);
    return block;
}

void RowBlock::Insert(MeasurementDocument& doc) const
{
    const int count = int(Flags.size());
    // Runs of one kind, so a block of points and separators costs one move per run.
    for (int i = 0; i < count;) {
        int j = i;
        while (j < count && Flags[size_t(j)] == Flags[size_t(i)])
            ++j;
        doc.InsertTableRows(Row + i, j - i, Flags[size_t(i)]);
        i = j;
    }
    const int columns = doc.ValueColumnCount();
    for (int i = 0; i < count; ++i) {
        doc.SetDateText(Row + i, Dates[size_t(i)]);
        for (int c = 0; c < columns; ++c)
            doc.SetValueText(Row + i, c, Values[size_t(i) * size_t(columns) + size_t(c)]);
    }
    for (const auto& [offset, note] : Notes)
        doc.SetPointNote(Row + offset, note);
    if (count > 0)
        Q_EMIT doc.cellsEdited(Row, Row + count - 1);
}

TableFigures TableFigures::Of(const MeasurementDocument& doc)
{
    return { doc.PointCount(), doc.GroupCount(), int(doc.Groups().size()), doc.DisplayPrecision() };
}

void TableFigures::Restore(MeasurementDocument& doc) const
{
    doc.SetPointCount(PointCount);
    doc.StoreGroupCount(GroupCount);
    doc.SetDisplayPrecision(DisplayPrecision);
}

TableCommand::TableCommand(MeasurementDocument& doc, const QString& text)
    : DocumentCommand(doc, text)
{
}

void TableCommand::AboutToChange(const MeasurementDocument& doc, const TableChange& change)
{
    m_observed = true;
    m_change = change;
    m_before = TableFigures::Of(doc);
    if (change.Removed > 0)
        m_removed = RowBlock::Capture(doc, change.Row, change.Removed);
    m_groupsBefore = copyRecords(doc, change.GroupFirst, change.GroupCount);
}

void TableCommand::Finish()
{
    m_after = TableFigures::Of(m_doc);
    const int madeRecords = m_change.GroupCount + m_after.Records - m_before.Records;
    m_groupsAfter = copyRecords(m_doc, m_change.GroupFirst, madeRecords);
}

void TableCommand::apply()
{
    removeRows(m_doc, m_change.Row, m_change.Removed);
    if (m_change.Inserted > 0)
        m_doc.InsertTableRows(m_change.Row, m_change.Inserted, m_change.InsertedSeparators);
    m_doc.ReplaceGroupRecords(m_change.GroupFirst, int(m_groupsBefore.size()), m_groupsAfter);
    m_after.Restore(m_doc);
}

void TableCommand::revert()
{
    removeRows(m_doc, m_change.Row, m_change.Inserted);
    m_removed.Insert(m_doc);
    m_doc.ReplaceGroupRecords(m_change.GroupFirst, int(m_groupsAfter.size()), m_groupsBefore);
    m_before.Restore(m_doc);
}

GroupSettingsCommand::GroupSettingsCommand(
    MeasurementDocument& doc, int index, const TIndividualInfo& before, int precisionBefore)
    : DocumentCommand(doc, QStringLiteral("зміна налаштувань групи"))
    , m_index(index)
    , m_before(SettingsCopy(before))
    , m_after(SettingsCopy(doc.Groups().at(size_t(index))))
    , m_precisionBefore(precisionBefore)
    , m_precisionAfter(doc.DisplayPrecision())
{
}

QString GroupSettingsCommand::LogText() const
{
    QStringList changes;
    for (const NamedSetting& named : NamedSettings) {
        const TFixableValue& before = m_before.*named.Setting;
        const TFixableValue& after = m_after.*named.Setting;
        if (before.Fixed != after.Fixed || (after.Fixed && before.Value != after.Value))
            changes.append(QString::fromUtf8(named.Name) + QStringLiteral(": ") + settingText(before)
                + QStringLiteral(" → ") + settingText(after));
    }
    if (m_before.UseSampleDeviation != m_after.UseSampleDeviation)
        changes.append(m_after.UseSampleDeviation ? QStringLiteral("відхилення: за вибірковими s")
                                                  : QStringLiteral("відхилення: загальне"));
    if (m_precisionBefore != m_precisionAfter)
        changes.append(QStringLiteral("десяткові знаки: ") + QString::number(m_precisionBefore) + QStringLiteral(" → ")
            + QString::number(m_precisionAfter));
    QString log = text() + QStringLiteral(", група ") + QString::number(m_index + 1);
    if (!changes.isEmpty())
        log += QStringLiteral(": ") + changes.join(QStringLiteral("; "));
    return log;
}

bool GroupSettingsCommand::ChangesFixedValue() const
{
    return std::any_of(std::begin(NamedSettings), std::end(NamedSettings), [this](const NamedSetting& named) {
        const TFixableValue& before = m_before.*named.Setting;
        const TFixableValue& after = m_after.*named.Setting;
        return after.Fixed && (!before.Fixed || before.Value != after.Value);
    });
}

void GroupSettingsCommand::apply()
{
    m_doc.SetGroupSettings(m_index, m_after);
    m_doc.SetDisplayPrecision(m_precisionAfter);
    Q_EMIT m_doc.viewStateChanged();
}

void GroupSettingsCommand::revert()
{
    m_doc.SetGroupSettings(m_index, m_before);
    m_doc.SetDisplayPrecision(m_precisionBefore);
    Q_EMIT m_doc.viewStateChanged();
}

HeaderCommand::HeaderCommand(
    MeasurementDocument& doc, HeaderItem item, HeaderField field, HeaderValue before, HeaderValue after)
    : DocumentCommand(doc, QStringLiteral("зміна заголовка"))
    , m_item(item)
    , m_field(field)
    , m_before(std::move(before))
    , m_after(std::move(after))
{
}

HeaderValue HeaderValue::OfText(const QString& text)
{
    HeaderValue value;
    value.Text = text;
    return value;
}

HeaderValue HeaderValue::OfFlag(bool flag)
{
    HeaderValue value;
    value.Flag = flag;
    return value;
}

HeaderValue HeaderValue::OfLines(const QStringList& lines)
{
    HeaderValue value;
    value.Lines = lines;
    return value;
}

HeaderValue HeaderCommand::Read(const MeasurementDocument& doc, HeaderItem item, HeaderField field)
{
    switch (item) {
    case HeaderItem::FillDate:
        return HeaderValue::OfText(doc.FillDate());
    case HeaderItem::TableName:
        return HeaderValue::OfText(doc.TableName());
    case HeaderItem::Text:
        return HeaderValue::OfText(doc.Header(field).Text);
    case HeaderItem::Present:
        return HeaderValue::OfFlag(doc.Header(field).Present);
    case HeaderItem::AdditionalInfo:
        return HeaderValue::OfLines(doc.AdditionalInfo());
    case HeaderItem::AdditionalInfoPresent:
        return HeaderValue::OfFlag(doc.AdditionalInfoPresent());
    case HeaderItem::Units:
        return HeaderValue::OfText(doc.Units());
    }
    return {};
}

void HeaderCommand::Write(MeasurementDocument& doc, HeaderItem item, HeaderField field, const HeaderValue& value)
{
    switch (item) {
    case HeaderItem::FillDate:
        doc.SetFillDate(value.Text);
        break;
    case HeaderItem::TableName:
        doc.SetTableName(value.Text);
        break;
    case HeaderItem::Text:
        doc.SetHeaderText(field, value.Text);
        break;
    case HeaderItem::Present:
        doc.SetHeaderPresent(field, value.Flag);
        break;
    case HeaderItem::AdditionalInfo:
        doc.SetAdditionalInfo(value.Lines);
        break;
    case HeaderItem::AdditionalInfoPresent:
        doc.SetAdditionalInfoPresent(value.Flag);
        break;
    case HeaderItem::Units:
        doc.SetUnits(value.Text);
        break;
    }
    Q_EMIT doc.viewStateChanged();
}

bool HeaderCommand::mergeWith(const QUndoCommand* other)
{
    // Typing into one field is one edit; a check box click stays an edit of its own.
    const auto* next = static_cast<const HeaderCommand*>(other);
    if (next->m_item != m_item || next->m_field != m_field || m_item == HeaderItem::Present
        || m_item == HeaderItem::AdditionalInfoPresent)
        return false;
    m_after = next->m_after;
    setObsolete(m_after == m_before);
    return true;
}

QString HeaderCommand::LogText() const
{
    switch (m_item) {
    case HeaderItem::Present:
    case HeaderItem::AdditionalInfoPresent:
        return text() + QStringLiteral(": ")
            + (m_after.Flag ? QStringLiteral("увімкнено") : QStringLiteral("вимкнено"));
    case HeaderItem::AdditionalInfo:
        return text() + QStringLiteral(": ")
            + QuotedChange(m_before.Lines.join(QLatin1Char('\n')), m_after.Lines.join(QLatin1Char('\n')));
    default:
        return text() + QStringLiteral(": ") + QuotedChange(m_before.Text, m_after.Text);
    }
}

SubgroupSizeCommand::SubgroupSizeCommand(MeasurementDocument& doc, int before, int after, CellBlock dropped)
    : DocumentCommand(doc, QStringLiteral("зміна розміру підгрупи"))
    , m_before(before)
    , m_after(after)
    , m_dropped(std::move(dropped))
{
}

QString SubgroupSizeCommand::LogText() const
{
    return text() + QStringLiteral(": ") + QString::number(m_before) + QStringLiteral(" → ") + QString::number(m_after);
}

void SubgroupSizeCommand::revert()
{
    m_doc.ChangeSubgroupSize(m_before);
    m_dropped.Restore(m_doc);
}

ContentCommand::ContentCommand(MeasurementDocument& doc, const QString& text, std::shared_ptr<DocumentContent> other)
    : DocumentCommand(doc, text)
    , m_other(std::move(other))
{
}

void ContentCommand::exchange()
{
    m_doc.SwapContent(*m_other);
    m_doc.InvalidateResults(); // the content held may have been computed
}

namespace {

QString noteCaption(const PointNote& before, const PointNote& after)
{
    if (!before.Excluded() && after.Excluded())
        return QStringLiteral("виключення точки з обчислення меж");
    if (before.Excluded() && !after.Excluded())
        return QStringLiteral("повернення точки до обчислення меж");
    if (before.ExcludeReason != after.ExcludeReason)
        return QStringLiteral("зміна причини виключення точки");
    return QStringLiteral("примітка до точки");
}

} // namespace

NoteCommand::NoteCommand(MeasurementDocument& doc, int row, PointNote before, PointNote after)
    : DocumentCommand(doc, noteCaption(before, after))
    , m_row(row)
    , m_before(std::move(before))
    , m_after(std::move(after))
{
    if (m_after.Excluded() && m_after.ExcludeReason != m_before.ExcludeReason)
        SetLogReason(m_after.ExcludeReason);
}

size_t NoteCommand::StoredBytes() const
{
    return sizeof(*this) + noteBytes(m_before) + noteBytes(m_after);
}

QString NoteCommand::LogText() const
{
    QString log = text() + QStringLiteral(", точка ") + m_doc.LabelText(m_row);
    if (m_before.Note != m_after.Note)
        log += QStringLiteral("; примітка: ") + QuotedChange(m_before.Note, m_after.Note);
    if (m_before.Action != m_after.Action)
        log += QStringLiteral("; дія: ") + QuotedChange(m_before.Action, m_after.Action);
    return log;
}
