#include "model/MeasurementDocument.h"

#include "model/FixedFormatter.h"
#include "model/Messenger.h"
#include "model/Numbers.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

constexpr double textCell = std::numeric_limits<double>::quiet_NaN();

const QString& valueWord()
{
    static const QString word = QStringLiteral("Значення");
    return word;
}

} // namespace

// Every field of the document but its messenger and Changed; the list must follow the members.
struct DocumentContent {
    explicit DocumentContent() = default;
    decltype(MeasurementDocument::m_hasDocument) m_hasDocument;
    decltype(MeasurementDocument::m_individualMode) m_individualMode;
    decltype(MeasurementDocument::m_pointCount) m_pointCount;
    decltype(MeasurementDocument::m_subgroupSize) m_subgroupSize;
    decltype(MeasurementDocument::m_separatorFlags) m_separatorFlags;
    decltype(MeasurementDocument::m_groupCount) m_groupCount;
    decltype(MeasurementDocument::m_groups) m_groups;
    decltype(MeasurementDocument::m_valueColumns) m_valueColumns;
    decltype(MeasurementDocument::m_resultColumns) m_resultColumns;
    decltype(MeasurementDocument::m_dates) m_dates;
    decltype(MeasurementDocument::m_values) m_values;
    decltype(MeasurementDocument::m_results) m_results;
    decltype(MeasurementDocument::m_resultNumbers) m_resultNumbers;
    decltype(MeasurementDocument::m_resultDecimals) m_resultDecimals;
    decltype(MeasurementDocument::m_labelNumbers) m_labelNumbers;
    decltype(MeasurementDocument::m_labelOverrides) m_labelOverrides;
    decltype(MeasurementDocument::m_valueHeader) m_valueHeader;
    decltype(MeasurementDocument::m_resultHeaders) m_resultHeaders;
    decltype(MeasurementDocument::m_pointGroup) m_pointGroup;
    decltype(MeasurementDocument::m_pointDates) m_pointDates;
    decltype(MeasurementDocument::m_groupList) m_groupList;
    decltype(MeasurementDocument::m_selectedGroup) m_selectedGroup;
    decltype(MeasurementDocument::m_chartExtent) m_chartExtent;
    decltype(MeasurementDocument::m_displayPrecision) m_displayPrecision;
    decltype(MeasurementDocument::m_chartFormat) m_chartFormat;
    decltype(MeasurementDocument::m_chartSelection) m_chartSelection;
    decltype(MeasurementDocument::m_fillDate) m_fillDate;
    decltype(MeasurementDocument::m_tableName) m_tableName;
    decltype(MeasurementDocument::m_header) m_header;
    decltype(MeasurementDocument::m_additionalInfoPresent) m_additionalInfoPresent;
    decltype(MeasurementDocument::m_additionalInfo) m_additionalInfo;
    decltype(MeasurementDocument::m_units) m_units;
    decltype(MeasurementDocument::m_pointNotes) m_pointNotes;
    decltype(MeasurementDocument::m_fileName) m_fileName;
    decltype(MeasurementDocument::m_resultsComplete) m_resultsComplete;
    decltype(MeasurementDocument::m_exponentForced) m_exponentForced;
};

const QString& MeasurementDocument::SeparatorLine()
{
    static const QString line(75, QLatin1Char('_'));
    return line;
}

QString MeasurementDocument::SeparatorLabel(int ordinal)
{
    return QStringLiteral("Розділювач №") + QString::number(ordinal);
}

MeasurementDocument::MeasurementDocument(Messenger& messenger, QObject* parent)
    : QObject(parent)
    , m_messenger(messenger)
{
    m_header[size_t(HeaderField::Operator)].Present = true;
    m_valueHeader = valueWord();
}

MeasurementDocument::~MeasurementDocument() = default;

void MeasurementDocument::SetPointCount(int n)
{
    m_pointCount = std::max(0, n);
    Q_EMIT viewStateChanged();
}

void MeasurementDocument::SetSubgroupSize(int n)
{
    const bool enabled = n <= 10;
    const bool wasEnabled = m_subgroupSize <= 10;
    if (!enabled && wasEnabled)
        m_messenger.ShowMessage(
            QStringLiteral("При кількості елементів у підгрупі більшій за 10 карта медіан є недоступною!"));
    m_subgroupSize = n;
    Q_EMIT viewStateChanged();
}

void MeasurementDocument::SetMode(bool individual)
{
    m_individualMode = individual;
    m_hasDocument = true;
    m_resultsComplete = false;
    Q_EMIT criteriaCaptionsCleared();

    // The grids: header plus points and separators, every cell empty, then the headers.
    const int tableRows = std::max(0, m_pointCount + m_groupCount - 1);
    if (int(m_separatorFlags.size()) != tableRows + 1) {
        // Keeps the flags describing the rows whatever the caller handed over.
        m_separatorFlags.assign(size_t(tableRows) + 1, false);
        m_separatorFlags.back() = true;
    }
    m_valueColumns = individual ? 1 : std::clamp(m_subgroupSize, 2, 25);
    m_resultColumns = individual ? 1 : 6;
    m_dates.clear();
    m_values.clear();
    releaseResults();
    m_labelOverrides.clear();
    m_pointNotes.clear();
    resizeRows(tableRows);
    writeLayoutHeaders();
    if (individual)
        SetSubgroupSize(0);
    RenumberRows();
    Q_EMIT tableReset();
    Q_EMIT viewStateChanged();
}

void MeasurementDocument::LayOut(bool individual, int points, int subgroupSize, std::vector<bool> flags)
{
    const int groups = int(std::count(flags.begin(), flags.end(), true));
    StoreIndividualMode(individual);
    SetPointCount(points);
    if (!individual)
        SetSubgroupSize(subgroupSize);
    StoreGroupCount(groups);
    SetSeparatorFlags(std::move(flags));
    SetMode(individual);
    SetGroupCount(groups);
}

void MeasurementDocument::ChangeSubgroupSize(int n)
{
    if (n < 2 || n > 25 || m_individualMode)
        return;
    InvalidateResults();
    SetSubgroupSize(n);
    setValueColumnCount(n);
    MarkChanged();
}

bool MeasurementDocument::SubmitSubgroupSizeText(const QString& text, bool tableTabActive)
{
    if (!tableTabActive)
        return false;
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < 2 || n > 25 || text != QString::number(n)) {
        m_messenger.ShowMessage(QStringLiteral("Вкажіть число зі списку, будь-ласка!"));
        return false;
    }
    if (n != m_subgroupSize)
        ChangeSubgroupSize(n);
    return true;
}

void MeasurementDocument::SetSeparatorFlags(std::vector<bool> flags)
{
    if (flags.empty())
        flags.push_back(true);
    flags.back() = true;
    m_separatorFlags = std::move(flags);
}

void MeasurementDocument::SetGroupCount(int n)
{
    n = std::max(0, n);
    if (int(m_groups.size()) > n)
        m_groups.erase(m_groups.begin() + n, m_groups.end());
    while (int(m_groups.size()) < n)
        m_groups.emplace_back(m_individualMode);
    for (TIndividualInfo& group : m_groups)
        group.Individual = m_individualMode;
}

void MeasurementDocument::ReplaceGroupRecords(int first, int count, std::vector<TIndividualInfo> records)
{
    first = std::clamp(first, 0, int(m_groups.size()));
    count = std::clamp(count, 0, int(m_groups.size()) - first);
    const auto at = m_groups.begin() + first;
    m_groups.erase(at, at + count);
    m_groups.insert(
        m_groups.begin() + first, std::make_move_iterator(records.begin()), std::make_move_iterator(records.end()));
    m_groupCount = int(m_groups.size());
}

void MeasurementDocument::SetGroupSettings(int index, const TIndividualInfo& from)
{
    if (index < 0 || size_t(index) >= m_groups.size())
        return;
    TIndividualInfo& group = m_groups[size_t(index)];
    group.CentreSetting = from.CentreSetting;
    group.SigmaSetting = from.SigmaSetting;
    group.DeviationCentreSetting = from.DeviationCentreSetting;
    group.RelDeviationCentreSetting = from.RelDeviationCentreSetting;
    group.MedianCentreSetting = from.MedianCentreSetting;
    group.RangeCentreSetting = from.RangeCentreSetting;
    group.RelRangeCentreSetting = from.RelRangeCentreSetting;
    group.UseSampleDeviation = from.UseSampleDeviation;
}

TIndividualInfo MeasurementDocument::TakeGroupRecord(int index)
{
    if (index < 0 || size_t(index) >= m_groups.size())
        return TIndividualInfo(m_individualMode);
    return std::exchange(m_groups[size_t(index)], TIndividualInfo(m_individualMode));
}

void MeasurementDocument::StoreGroupRecord(int index, TIndividualInfo record)
{
    if (index < 0 || size_t(index) >= m_groups.size())
        return;
    record.Individual = m_individualMode;
    m_groups[size_t(index)] = std::move(record);
}

std::vector<GroupSpan> MeasurementDocument::DeriveGroups() const
{
    std::vector<GroupSpan> spans;
    const int tableRows = TableRowCount();
    int row = 1;
    int group = 0;
    while (row <= tableRows) {
        GroupSpan span;
        span.FirstRow = row;
        while (!m_separatorFlags[size_t(row - 1)])
            ++row;
        span.PointCount = row - span.FirstRow;
        span.FirstPoint = span.FirstRow - group;
        span.LastPoint = span.FirstPoint + span.PointCount - 1;
        spans.push_back(span);
        ++row;
        ++group;
    }
    return spans;
}

QString MeasurementDocument::GroupRangeText(const GroupSpan& span)
{
    return QString::number(span.FirstPoint) + QLatin1Char('-') + QString::number(span.LastPoint);
}

bool MeasurementDocument::IsSeparatorRow(int row) const
{
    if (row < 1 || row >= RowCount())
        return false;
    return row > TableRowCount() || m_separatorFlags[size_t(row - 1)];
}

QString MeasurementDocument::LabelText(int row) const
{
    const auto overridden = m_labelOverrides.constFind(row);
    if (overridden != m_labelOverrides.constEnd())
        return *overridden;
    const int number = m_labelNumbers[size_t(row - 1)];
    if (number > 0)
        return QString::number(number);
    if (number < 0)
        return SeparatorLabel(-number);
    return QString();
}

void MeasurementDocument::SetLabelText(int row, const QString& text)
{
    m_labelOverrides.insert(row, text);
}

QString MeasurementDocument::ResultText(int row, int column) const
{
    const size_t index = resultIndex(row, column);
    if (index >= m_resultNumbers.size())
        return IsSeparatorRow(row) ? SeparatorLine() : QString();
    const double number = m_resultNumbers[index];
    if (std::isnan(number))
        return m_results.at(index).toString();
    return FixedFormatter(m_resultDecimals)(number);
}

void MeasurementDocument::SetResultText(int row, int column, QStringView text)
{
    allocateResults();
    const size_t index = resultIndex(row, column);
    m_results.set(index, text);
    m_resultNumbers[index] = textCell;
}

void MeasurementDocument::SetResultNumber(int row, int column, double value)
{
    allocateResults();
    const size_t index = resultIndex(row, column);
    m_results.set(index, QStringView());
    m_resultNumbers[index] = value;
}

void MeasurementDocument::allocateResults()
{
    const size_t cells = size_t(RowCount() - 1) * size_t(m_resultColumns);
    if (m_resultNumbers.size() == cells)
        return;
    const size_t first = m_resultNumbers.size();
    m_results.resize(cells);
    m_resultNumbers.resize(cells, textCell);
    // Cells that come into being show what an unwritten cell shows.
    for (size_t index = first; index < cells; ++index) {
        const int row = int(index / size_t(m_resultColumns)) + 1;
        if (IsSeparatorRow(row))
            m_results.set(index, SeparatorLine());
    }
}

void MeasurementDocument::releaseResults()
{
    m_results.clear();
    m_resultNumbers.clear();
    m_resultNumbers.shrink_to_fit();
}

void MeasurementDocument::EditDateText(int row, const QString& text)
{
    InvalidateResults();
    SetDateText(row, text);
    MarkChanged();
    Q_EMIT cellsEdited(row, row);
}

void MeasurementDocument::EditValueText(int row, int column, QStringView text)
{
    InvalidateResults();
    SetValueText(row, column, text);
    MarkChanged();
    Q_EMIT cellsEdited(row, row);
}

void MeasurementDocument::RenumberRows()
{
    renumber();
    Q_EMIT cellsChanged();
}

void MeasurementDocument::renumber()
{
    int point = 0;
    int separator = 0;
    const int tableRows = TableRowCount();
    for (int row = 1; row < RowCount(); ++row) {
        int& number = m_labelNumbers[size_t(row - 1)];
        if (row > tableRows)
            number = 0;
        else if (m_separatorFlags[size_t(row - 1)])
            number = -++separator;
        else
            number = ++point;
    }
    m_labelOverrides.clear();
}

void MeasurementDocument::InsertTableRows(int row, int count, bool separators)
{
    InvalidateResults();
    if (count <= 0 || row < 1 || row > TableRowCount() + 1)
        return;
    const size_t at = size_t(row - 1);
    const size_t rows = size_t(count);
    m_separatorFlags.insert(m_separatorFlags.begin() + std::ptrdiff_t(at), rows, separators);
    m_dates.insert(at, rows);
    m_values.insert(at * size_t(m_valueColumns), rows * size_t(m_valueColumns));
    if (!m_resultNumbers.empty()) {
        m_results.insert(at * size_t(m_resultColumns), rows * size_t(m_resultColumns));
        m_resultNumbers.insert(m_resultNumbers.begin() + std::ptrdiff_t(at * size_t(m_resultColumns)),
            rows * size_t(m_resultColumns), textCell);
    }
    m_labelNumbers.insert(m_labelNumbers.begin() + std::ptrdiff_t(at), rows, 0);
    shiftNotes(row, count);
    if (separators) {
        for (int r = row; r < row + count; ++r)
            fillSeparatorRow(r);
    }
    renumber();
    Q_EMIT rowsInserted(row, count);
    Q_EMIT cellsChanged();
}

void MeasurementDocument::RemoveTableRow(int row)
{
    InvalidateResults();
    if (row < 1 || row > TableRowCount())
        return;
    const size_t at = size_t(row - 1);
    m_separatorFlags.erase(m_separatorFlags.begin() + std::ptrdiff_t(at));
    m_separatorFlags.back() = true;
    m_dates.erase(at, 1);
    m_values.erase(at * size_t(m_valueColumns), size_t(m_valueColumns));
    if (!m_resultNumbers.empty()) {
        m_results.erase(at * size_t(m_resultColumns), size_t(m_resultColumns));
        const auto first = m_resultNumbers.begin() + std::ptrdiff_t(at * size_t(m_resultColumns));
        m_resultNumbers.erase(first, first + m_resultColumns);
    }
    m_labelNumbers.erase(m_labelNumbers.begin() + std::ptrdiff_t(at));
    m_pointNotes.erase(row);
    shiftNotes(row + 1, -1);
    renumber();
    Q_EMIT rowsRemoved(row, 1);
    Q_EMIT cellsChanged();
}

void MeasurementDocument::TruncateTable(int tableRows)
{
    InvalidateResults();
    const int oldRows = TableRowCount();
    if (tableRows < 0 || tableRows >= oldRows)
        return;
    m_separatorFlags.resize(size_t(tableRows) + 1);
    m_separatorFlags.back() = true;
    m_pointNotes.erase(m_pointNotes.upper_bound(tableRows), m_pointNotes.end());
    resizeRows(tableRows);
    renumber();
    Q_EMIT rowsRemoved(tableRows + 1, oldRows - tableRows);
    Q_EMIT cellsChanged();
}

void MeasurementDocument::shiftNotes(int fromRow, int by)
{
    // Rebuilt rather than moved in place: a map's keys cannot change, and notes are few beside rows.
    auto first = m_pointNotes.lower_bound(fromRow);
    if (first == m_pointNotes.end() || by == 0)
        return;
    std::map<int, PointNote> moved;
    for (auto it = first; it != m_pointNotes.end(); ++it)
        moved.emplace_hint(moved.end(), it->first + by, std::move(it->second));
    m_pointNotes.erase(first, m_pointNotes.end());
    m_pointNotes.merge(moved);
}

const PointNote* MeasurementDocument::NoteOf(int row) const
{
    const auto it = m_pointNotes.find(row);
    return it == m_pointNotes.end() ? nullptr : &it->second;
}

bool MeasurementDocument::PointExcluded(int row) const
{
    const PointNote* note = NoteOf(row);
    return note && note->Excluded();
}

void MeasurementDocument::SetPointNote(int row, const PointNote& note)
{
    if (row < 1 || row > TableRowCount() || m_separatorFlags[size_t(row - 1)])
        return;
    const PointNote* old = NoteOf(row);
    if (old ? *old == note : note.Empty())
        return;
    const bool exclusionChanged = (old && old->Excluded()) != note.Excluded();
    if (exclusionChanged)
        InvalidateResults();
    if (note.Empty())
        m_pointNotes.erase(row);
    else
        m_pointNotes[row] = note;
    MarkChanged();
    Q_EMIT notesChanged(row, row);
}

void MeasurementDocument::SetPointNotes(std::map<int, PointNote> notes)
{
    InvalidateResults();
    std::erase_if(notes, [this](const auto& entry) {
        const int row = entry.first;
        return entry.second.Empty() || row < 1 || row > TableRowCount() || m_separatorFlags[size_t(row - 1)];
    });
    m_pointNotes = std::move(notes);
    Q_EMIT notesChanged(1, std::max(1, TableRowCount()));
}

void MeasurementDocument::SetPointIndex(std::vector<int> pointGroup, QStringList pointDates, QStringList groupList)
{
    m_pointGroup = std::move(pointGroup);
    m_pointDates = std::move(pointDates);
    m_groupList = std::move(groupList);
}

void MeasurementDocument::SetSelectedGroup(int slot, int group)
{
    if (slot >= 0 && slot < ChartSlotCount)
        m_selectedGroup[size_t(slot)] = group;
}

void MeasurementDocument::ClearSelectedGroups()
{
    m_selectedGroup.fill(0);
}

void MeasurementDocument::SetChartExtent(int slot, int extent)
{
    if (slot >= 0 && slot < ChartSlotCount)
        m_chartExtent[size_t(slot)] = extent;
}

void MeasurementDocument::AppendLogEntry(const QString& change, const QString& reason)
{
    m_changeLog.Append(change, reason);
}

void MeasurementDocument::AppendLogEntryAt(
    const QString& time, const QString& user, const QString& change, const QString& reason)
{
    m_changeLog.AppendAt(time, user, change, reason);
}

void MeasurementDocument::AppendStoredLogEntry(ChangeLogEntry entry)
{
    m_changeLog.AppendStored(std::move(entry));
}

void MeasurementDocument::ResetRecords()
{
    m_changeLog.Clear();
    m_unknownExtensionLines.clear();
    m_extensionLost = false;
}

int MeasurementDocument::ExcludedPointCount() const
{
    return int(std::count_if(
        m_pointNotes.begin(), m_pointNotes.end(), [](const auto& entry) { return entry.second.Excluded(); }));
}

std::vector<bool> MeasurementDocument::ExcludedFlags(int firstRow, int count) const
{
    std::vector<bool> flags(size_t(std::max(0, count)), false);
    if (count <= 0)
        return flags;
    // Walks the point rows from firstRow and the notes beside them together.
    auto note = m_pointNotes.lower_bound(firstRow);
    int point = 0;
    for (int row = firstRow; point < count && row <= TableRowCount() && note != m_pointNotes.end(); ++row) {
        if (m_separatorFlags[size_t(row - 1)])
            continue;
        while (note != m_pointNotes.end() && note->first < row)
            ++note;
        if (note != m_pointNotes.end() && note->first == row) {
            flags[size_t(point)] = note->second.Excluded();
            ++note;
        }
        ++point;
    }
    return flags;
}

void MeasurementDocument::fillSeparatorRow(int row)
{
    const QString& line = SeparatorLine();
    SetDateText(row, line);
    for (int c = 0; c < m_valueColumns; ++c)
        SetValueText(row, c, line);
    if (!m_resultNumbers.empty()) {
        for (int c = 0; c < m_resultColumns; ++c)
            SetResultText(row, c, line);
    }
}

QString MeasurementDocument::LabelHeader(int column) const
{
    return column == 0 ? QStringLiteral("№") : QStringLiteral("Дата");
}

QString MeasurementDocument::ValueColumnHeader(int column) const
{
    if (m_individualMode)
        return m_valueHeader;
    return QLatin1Char('X') + QString::number(column + 1);
}

void MeasurementDocument::EnterComputedState()
{
    if (IsComputed())
        return;
    const int row = RowCount();
    resizeRows(RowCount()); // one more row after the last table row
    SetDateText(row, SeparatorLine());
    for (int c = 0; c < m_valueColumns; ++c)
        SetValueText(row, c, SeparatorLine());
    for (int c = 0; c < m_resultColumns; ++c)
        SetResultText(row, c, SeparatorLine());
    m_labelNumbers[size_t(row - 1)] = 0;
    Q_EMIT rowsInserted(row, 1);
}

void MeasurementDocument::InvalidateResults()
{
    if (!IsComputed())
        return;
    const int closingRow = RowCount() - 1;
    resizeRows(TableRowCount());
    m_labelOverrides.clear();
    // Unwritten result cells show the separator line in separator rows and nothing elsewhere.
    releaseResults();
    if (m_individualMode) {
        const QString& line = SeparatorLine();
        for (int row = 1; row < RowCount(); ++row) {
            if (m_separatorFlags[size_t(row - 1)]) {
                SetDateText(row, line);
                SetValueText(row, 0, line);
            }
        }
    }
    m_resultsComplete = false;
    Q_EMIT rowsRemoved(closingRow, 1);
    Q_EMIT cellsChanged();
    Q_EMIT viewStateChanged();
}

void MeasurementDocument::SetDisplayPrecision(int decimals)
{
    m_displayPrecision = std::max(1, decimals);
}

void MeasurementDocument::RaiseDisplayPrecision(int decimals)
{
    m_displayPrecision = std::max(m_displayPrecision, decimals);
}

void MeasurementDocument::RecomputeDisplayPrecision()
{
    int precision = 1;
    const int tableRows = TableRowCount();
    for (int row = 1; row <= tableRows; ++row) {
        if (m_separatorFlags[size_t(row - 1)])
            continue;
        for (int c = 0; c < m_valueColumns; ++c)
            precision = std::max(precision, DecimalsOf(ValueText(row, c)));
    }
    m_displayPrecision = precision;
    if (precision > 6) {
        m_chartFormat = { ChartNumberFormat::Exponent, 4 };
        m_chartSelection[N13] = true;
        m_exponentForced = true;
    } else {
        m_chartFormat = { ChartNumberFormat::Fixed, 10 };
        m_chartSelection[N13] = false;
        m_exponentForced = false;
    }
    Q_EMIT viewStateChanged();
}

void MeasurementDocument::SetChartFormatFromN13()
{
    m_chartFormat = m_chartSelection[N13] ? ChartNumberFormat { ChartNumberFormat::Exponent, 4 }
                                          : ChartNumberFormat { ChartNumberFormat::Fixed, 10 };
}

void MeasurementDocument::SetChartSelection(ChartChoice item, bool checked)
{
    m_chartSelection[item] = checked;
    Q_EMIT viewStateChanged();
}

void MeasurementDocument::SetFillDate(const QString& text)
{
    m_fillDate = text;
    MarkChanged();
}

void MeasurementDocument::SetTableName(const QString& text)
{
    m_tableName = text;
    MarkChanged();
}

void MeasurementDocument::SetHeaderPresent(HeaderField field, bool present)
{
    m_header[size_t(field)].Present = present;
    MarkChanged();
    Q_EMIT viewStateChanged();
}

void MeasurementDocument::SetHeaderText(HeaderField field, const QString& text)
{
    m_header[size_t(field)].Text = text;
    if (field == HeaderField::MeasuredParameter) {
        // The units are not appended on this path.
        m_valueHeader = TrimBlanks(text).isEmpty() ? valueWord() : text;
        Q_EMIT headersChanged();
    }
    MarkChanged();
}

void MeasurementDocument::SetAdditionalInfoPresent(bool present)
{
    m_additionalInfoPresent = present;
    MarkChanged();
    Q_EMIT viewStateChanged();
}

void MeasurementDocument::SetAdditionalInfo(const QStringList& lines)
{
    m_additionalInfo = lines;
    MarkChanged();
}

void MeasurementDocument::SetUnits(const QString& units)
{
    m_units = units;
    writeUnitHeaders();
    MarkChanged();
}

std::shared_ptr<DocumentContent> MeasurementDocument::CopyContent() const
{
    auto content = std::make_shared<DocumentContent>();
    content->m_hasDocument = m_hasDocument;
    content->m_individualMode = m_individualMode;
    content->m_pointCount = m_pointCount;
    content->m_subgroupSize = m_subgroupSize;
    content->m_separatorFlags = m_separatorFlags;
    content->m_groupCount = m_groupCount;
    content->m_groups = m_groups;
    content->m_valueColumns = m_valueColumns;
    content->m_resultColumns = m_resultColumns;
    content->m_dates = m_dates;
    content->m_values = m_values;
    content->m_results = m_results;
    content->m_resultNumbers = m_resultNumbers;
    content->m_resultDecimals = m_resultDecimals;
    content->m_labelNumbers = m_labelNumbers;
    content->m_labelOverrides = m_labelOverrides;
    content->m_valueHeader = m_valueHeader;
    content->m_resultHeaders = m_resultHeaders;
    content->m_pointGroup = m_pointGroup;
    content->m_pointDates = m_pointDates;
    content->m_groupList = m_groupList;
    content->m_selectedGroup = m_selectedGroup;
    content->m_chartExtent = m_chartExtent;
    content->m_displayPrecision = m_displayPrecision;
    content->m_chartFormat = m_chartFormat;
    content->m_chartSelection = m_chartSelection;
    content->m_fillDate = m_fillDate;
    content->m_tableName = m_tableName;
    content->m_header = m_header;
    content->m_additionalInfoPresent = m_additionalInfoPresent;
    content->m_additionalInfo = m_additionalInfo;
    content->m_units = m_units;
    content->m_pointNotes = m_pointNotes;
    content->m_fileName = m_fileName;
    content->m_resultsComplete = m_resultsComplete;
    content->m_exponentForced = m_exponentForced;
    return content;
}

void MeasurementDocument::SwapContent(DocumentContent& content)
{
    using std::swap;
    swap(content.m_hasDocument, m_hasDocument);
    swap(content.m_individualMode, m_individualMode);
    swap(content.m_pointCount, m_pointCount);
    swap(content.m_subgroupSize, m_subgroupSize);
    swap(content.m_separatorFlags, m_separatorFlags);
    swap(content.m_groupCount, m_groupCount);
    swap(content.m_groups, m_groups);
    swap(content.m_valueColumns, m_valueColumns);
    swap(content.m_resultColumns, m_resultColumns);
    swap(content.m_dates, m_dates);
    swap(content.m_values, m_values);
    swap(content.m_results, m_results);
    swap(content.m_resultNumbers, m_resultNumbers);
    swap(content.m_resultDecimals, m_resultDecimals);
    swap(content.m_labelNumbers, m_labelNumbers);
    swap(content.m_labelOverrides, m_labelOverrides);
    swap(content.m_valueHeader, m_valueHeader);
    swap(content.m_resultHeaders, m_resultHeaders);
    swap(content.m_pointGroup, m_pointGroup);
    swap(content.m_pointDates, m_pointDates);
    swap(content.m_groupList, m_groupList);
    swap(content.m_selectedGroup, m_selectedGroup);
    swap(content.m_chartExtent, m_chartExtent);
    swap(content.m_displayPrecision, m_displayPrecision);
    swap(content.m_chartFormat, m_chartFormat);
    swap(content.m_chartSelection, m_chartSelection);
    swap(content.m_fillDate, m_fillDate);
    swap(content.m_tableName, m_tableName);
    swap(content.m_header, m_header);
    swap(content.m_additionalInfoPresent, m_additionalInfoPresent);
    swap(content.m_additionalInfo, m_additionalInfo);
    swap(content.m_units, m_units);
    swap(content.m_pointNotes, m_pointNotes);
    swap(content.m_fileName, m_fileName);
    swap(content.m_resultsComplete, m_resultsComplete);
    swap(content.m_exponentForced, m_exponentForced);
    Q_EMIT criteriaCaptionsCleared();
    Q_EMIT tableReset();
    Q_EMIT headersChanged();
    Q_EMIT viewStateChanged();
}

void MeasurementDocument::MarkChanged()
{
    Q_EMIT edited();
    if (m_changed)
        return;
    m_changed = true;
    Q_EMIT changedFlagChanged(true);
}

void MeasurementDocument::ClearChanged()
{
    if (!m_changed)
        return;
    m_changed = false;
    Q_EMIT changedFlagChanged(false);
}

void MeasurementDocument::SetFileName(const QString& name)
{
    m_fileName = name.trimmed();
    if (m_savedFile.Path != m_fileName)
        m_savedFile = SavedFileStamp();
    Q_EMIT viewStateChanged();
}

void MeasurementDocument::RecordSavedFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        m_savedFile = SavedFileStamp();
        return;
    }
    m_savedFile = SavedFileStamp { path.trimmed(), info.size(), info.lastModified() };
}

void MeasurementDocument::SetResultsComplete(bool complete)
{
    m_resultsComplete = complete;
    Q_EMIT viewStateChanged();
}

void MeasurementDocument::resizeRows(int tableRows)
{
    const size_t rows = size_t(std::max(0, tableRows));
    m_dates.resize(rows);
    m_values.resize(rows * size_t(m_valueColumns));
    if (!m_resultNumbers.empty()) {
        m_results.resize(rows * size_t(m_resultColumns));
        m_resultNumbers.resize(rows * size_t(m_resultColumns), textCell);
    }
    m_labelNumbers.resize(rows, 0);
}

void MeasurementDocument::setValueColumnCount(int columns)
{
    if (columns == m_valueColumns)
        return;
    const int rows = RowCount() - 1;
    CellTextStore values;
    values.resize(size_t(rows) * size_t(columns));
    for (int row = 1; row <= rows; ++row) {
        for (int c = 0; c < columns; ++c) {
            const size_t cell = size_t(row - 1) * size_t(columns) + size_t(c);
            if (c < m_valueColumns)
                values.set(cell, m_values.at(valueIndex(row, c)));
            else if (IsSeparatorRow(row))
                values.set(cell, SeparatorLine());
        }
    }
    m_values = std::move(values);
    m_valueColumns = columns;
    Q_EMIT tableReset();
}

QString MeasurementDocument::plainValueHeader() const
{
    const HeaderEntry& parameter = m_header[size_t(HeaderField::MeasuredParameter)];
    return parameter.Present && !TrimBlanks(parameter.Text).isEmpty() ? parameter.Text : valueWord();
}

void MeasurementDocument::writeLayoutHeaders()
{
    m_valueHeader = plainValueHeader();
    if (m_individualMode)
        m_resultHeaders = { QStringLiteral("Ковзний розмах") };
    else
        m_resultHeaders = { QStringLiteral("Середнє"), QStringLiteral("Медіана"), QStringLiteral("Відхилення"),
            QStringLiteral("В. відхилення, %"), QStringLiteral("Розмах"), QStringLiteral("В. розмах, %") };
    Q_EMIT headersChanged();
}

void MeasurementDocument::writeUnitHeaders()
{
    const QString& parameter = m_header[size_t(HeaderField::MeasuredParameter)].Text;
    const QString base = TrimBlanks(parameter).isEmpty() ? valueWord() : parameter;
    if (TrimBlanks(m_units).isEmpty()) {
        m_valueHeader = base;
        writeLayoutHeaders();
        m_valueHeader = base;
        return;
    }
    const QString suffix = QStringLiteral(", ") + m_units;
    m_valueHeader = base + suffix;
    if (m_individualMode) {
        m_resultHeaders = { QStringLiteral("Ковзний розмах") + suffix };
    } else {
        m_resultHeaders = { QStringLiteral("Середнє") + suffix, QStringLiteral("Медіана") + suffix,
            QStringLiteral("Відхилення") + suffix, QStringLiteral("В. відхилення, %"),
            QStringLiteral("Розмах") + suffix, QStringLiteral("В. розмах, %") };
    }
    Q_EMIT headersChanged();
}
