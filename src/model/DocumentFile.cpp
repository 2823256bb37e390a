#include "model/DocumentFile.h"

#include "model/DocumentLines.h"
#include "model/ExtensionBlock.h"
#include "model/MeasurementDocument.h"
#include "model/Messenger.h"
#include "model/Numbers.h"
#include "model/StreamedLines.h"

#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <cstdint>
#include <exception>
#include <new>

namespace {

// A file may be cut short, and then the rows read so far are kept. But the table is laid out
// only when the file still holds at least half of its date and value lines, so that counts no
// file could back never make the reader allocate more than a few tens of times the file's size
// (an empty cell costs the table a few dozen bytes, and its line at least one).
constexpr int64_t MinimumCellLineShare = 2;

constexpr HeaderField StoredHeaderFields[]
    = { HeaderField::Operator, HeaderField::MeasuredParameter, HeaderField::Sample, HeaderField::SamplePreparation,
          HeaderField::MeasurementMethod, HeaderField::Instrument, HeaderField::Detector };

// Reads the items from Lines, which is DocumentLines over the decoded text or
// StreamedDocumentLines over the bytes; a line it gives is valid only until the next is taken.
template <typename Lines> class DocumentReader {
public:
    DocumentReader(MeasurementDocument& doc, Lines& lines)
        : m_doc(doc)
        , m_lines(lines)
        , m_individual(doc.IndividualMode())
    {
    }

    // Reads the layout the first line selects; false at the first item that fails.
    bool Read()
    {
        const std::optional<QStringView> first = m_lines.Next();
        if (!first)
            return false;
        if (*first == u"UNPOS") {
            if (!readCurrent())
                return false;
            readExtension();
            return true;
        }
        return readLegacy(*first);
    }

    // Why the extension block could not be read; nothing when it was, or there was none.
    const std::optional<QString>& ExtensionError() const { return m_extensionError; }

    // A failure before the table was laid out leaves an empty table of the file's mode, so that
    // the document never mixes this file's header with another file's rows.
    void LayOutEmptyTableIfNeeded()
    {
        if (m_laidOut)
            return;
        int subgroupSize = m_subgroupSize;
        if (!m_individual && (subgroupSize < 2 || subgroupSize > 25)) {
            subgroupSize = m_doc.SubgroupSize();
            if (subgroupSize < 2 || subgroupSize > 25)
                subgroupSize = 5; // what ElementsComboBox starts with
        }
        layOut(0, subgroupSize, { true });
    }

private:
    // The next line, valid until the next item is read.
    bool view(QStringView& out)
    {
        const std::optional<QStringView> line = m_lines.Next();
        if (!line)
            return false;
        out = *line;
        return true;
    }

    bool text(QString& out)
    {
        QStringView line;
        if (!view(line))
            return false;
        out = line.toString();
        return true;
    }

    // The date and value lines of rows [1, rows]: all dates, then the values row by row.
    bool rowTexts(int64_t rows, int columns);

    bool boolean(bool& out)
    {
        const std::optional<QStringView> line = m_lines.Next();
        if (!line)
            return false;
        const std::optional<bool> value = ParseBooleanItem(*line);
        if (!value)
            return false;
        out = *value;
        return true;
    }

    bool integer(int& out)
    {
        const std::optional<QStringView> line = m_lines.Next();
        if (!line)
            return false;
        const std::optional<int> value = ParseIntegerItem(*line);
        if (!value)
            return false;
        out = *value;
        return true;
    }

    bool chartChoice(ChartChoice item)
    {
        bool checked = false;
        if (!boolean(checked))
            return false;
        m_doc.SetChartSelection(item, checked);
        return true;
    }

    // Whether the lines left can plausibly hold rows x (1 + columns) date and value texts.
    bool cellsBacked(int64_t rows, int columns) const
    {
        return rows * (1 + columns) <= MinimumCellLineShare * int64_t(m_lines.Remaining());
    }

    // Sets the kind and counts together and lays the table out, so the document is consistent at
    // every point where reading may stop.
    void layOut(int points, int subgroupSize, std::vector<bool> flags)
    {
        m_doc.LayOut(m_individual, points, subgroupSize, std::move(flags));
        m_laidOut = true;
    }

    bool readCurrent();
    void readExtension();
    bool readGroupRecord(TIndividualInfo& record);
    bool readLegacy(QStringView firstLine);
    bool readLegacyPoints(int points, int columns);

    MeasurementDocument& m_doc;
    Lines& m_lines;
    bool m_individual;
    int m_subgroupSize = 0;
    bool m_laidOut = false;
    std::optional<QString> m_extensionError;
};

// The flags describe a table only when the last is the end sentinel, groups - 1 separators stand
// between point rows (never first, last or next to each other), and the rest are points.
bool ValidSeparatorFlags(const std::vector<bool>& flags, int groups)
{
    if (flags.empty() || !flags.back())
        return false;
    if (std::count(flags.begin(), flags.end(), true) != groups)
        return false;
    if (flags.size() > 1 && flags.front())
        return false;
    for (size_t i = 0; i + 1 < flags.size(); ++i) {
        if (flags[i] && flags[i + 1])
            return false;
    }
    return true;
}

template <typename Lines> bool DocumentReader<Lines>::readCurrent()
{
    if (!boolean(m_individual))
        return false;
    QString line;
    if (!text(line))
        return false;
    m_doc.SetFillDate(line);
    if (!text(line))
        return false;
    m_doc.SetTableName(line);
    for (const HeaderField field : StoredHeaderFields) {
        bool present = false;
        if (!boolean(present))
            return false;
        m_doc.SetHeaderPresent(field, present);
        if (!text(line))
            return false;
        m_doc.SetHeaderText(field, line);
    }

    bool infoPresent = false;
    if (!boolean(infoPresent))
        return false;
    m_doc.SetAdditionalInfoPresent(infoPresent);
    int infoLines = 0;
    if (!integer(infoLines) || infoLines < 0)
        return false;
    m_doc.SetAdditionalInfo({});
    QStringList info;
    info.reserve(std::min<qsizetype>(infoLines, m_lines.Remaining()));
    for (int i = 0; i < infoLines; ++i) {
        if (!text(line)) {
            m_doc.SetAdditionalInfo(info);
            return false;
        }
        info.append(line);
    }
    m_doc.SetAdditionalInfo(info);

    if (!text(line))
        return false;
    m_doc.SetUnits(line);
    if (!chartChoice(N11) || !chartChoice(N31) || !chartChoice(N13))
        return false;

    int points = 0;
    if (!integer(points) || points < 0)
        return false;
    if (!m_individual) {
        if (!integer(m_subgroupSize) || m_subgroupSize < 2 || m_subgroupSize > 25)
            return false;
        if (!chartChoice(N21) || !chartChoice(N41) || !chartChoice(N51) || !chartChoice(N61))
            return false;
    }
    int groups = 0;
    if (!integer(groups) || groups < 1)
        return false;
    const int64_t flagCount = int64_t(points) + groups;
    if (flagCount > m_lines.Remaining() || flagCount > INT32_MAX)
        return false;
    std::vector<bool> flags;
    flags.reserve(size_t(flagCount));
    for (int64_t i = 0; i < flagCount; ++i) {
        bool flag = false;
        if (!boolean(flag))
            return false;
        flags.push_back(flag);
    }
    if (!ValidSeparatorFlags(flags, groups))
        return false;
    const int columns = m_individual ? 1 : m_subgroupSize;
    const int64_t rows = flagCount - 1;
    if (!cellsBacked(rows, columns))
        return false;
    layOut(points, m_subgroupSize, std::move(flags));
    if (!rowTexts(rows, columns))
        return false;

    int decimals = 0;
    if (!integer(decimals))
        return false;
    m_doc.SetDisplayPrecision(decimals);
    int records = 0;
    if (!integer(records) || records != groups)
        return false;
    for (int g = 0; g < int(m_doc.Groups().size()); ++g) {
        TIndividualInfo record = m_doc.TakeGroupRecord(g);
        const bool read = readGroupRecord(record);
        m_doc.StoreGroupRecord(g, std::move(record)); // what a broken record gave stays, as before
        if (!read)
            return false;
    }
    return true;
}

// The block after the group records, when one follows. Lines that are not one stay unread, as they
// always were. A broken block leaves the document as the plain layout read it.
template <typename Lines> void DocumentReader<Lines>::readExtension()
{
    const std::optional<QStringView> marker = m_lines.Next();
    if (!marker || !IsExtensionMarker(*marker))
        return;
    try {
        ExtensionBlockParser parser(m_lines.Taken());
        while (const std::optional<QStringView> line = m_lines.Next()) {
            if (!parser.Feed(*line))
                break;
        }
        std::optional<ExtensionRecords> records = parser.Finish();
        if (records)
            m_extensionError = ApplyExtensionRecords(m_doc, std::move(*records));
        else
            m_extensionError = parser.Error();
    } catch (const std::bad_alloc&) {
        // The table is read whole; only the block is given up.
        m_extensionError = QStringLiteral("недостатньо пам'яті");
    }
    if (m_extensionError)
        m_doc.SetExtensionLost(true);
}

template <typename Lines> bool DocumentReader<Lines>::rowTexts(int64_t rows, int columns)
{
    QStringView line;
    for (int row = 1; row <= rows; ++row) {
        if (!view(line))
            return false;
        m_doc.SetDateText(row, line);
    }
    m_doc.ReserveValueText(size_t(m_lines.RemainingChars()));
    for (int row = 1; row <= rows; ++row) {
        for (int c = 0; c < columns; ++c) {
            if (!view(line))
                return false;
            m_doc.SetValueText(row, c, line);
        }
    }
    return true;
}

// Three fixed flags, then the values of those set; a value that is not a number leaves its setting
// automatic. The record changes only once it is read whole.
template <typename Lines> bool DocumentReader<Lines>::readGroupRecord(TIndividualInfo& record)
{
    TFixableValue centre = record.CentreSetting;
    TFixableValue range = record.RangeCentreSetting;
    TFixableValue sigma = record.SigmaSetting;
    if (!boolean(centre.Fixed) || !boolean(range.Fixed) || !boolean(sigma.Fixed))
        return false;
    for (TFixableValue* setting : { &centre, &range, &sigma }) {
        if (!setting->Fixed)
            continue;
        QString line;
        if (!text(line))
            return false;
        const std::optional<double> value = ParseNumber(line);
        setting->Fixed = value.has_value();
        if (value)
            setting->Value = *value;
    }
    record.SetIndividualSettings(centre, sigma, range);
    return true;
}

template <typename Lines> bool DocumentReader<Lines>::readLegacy(QStringView firstLine)
{
    const QString operatorName = TrimBlanks(firstLine).toString();
    m_doc.SetHeaderText(HeaderField::Operator, operatorName);
    m_doc.SetHeaderPresent(HeaderField::Operator, !operatorName.isEmpty());

    int kind = 0;
    if (!integer(kind))
        return false;
    m_individual = kind == 3;
    std::optional<double> fixedValues[3];
    bool present[3] = {};
    for (int i = 0; i < 3; ++i) {
        QString line;
        if (!text(line))
            return false;
        present[i] = TrimBlanks(line) == u"1";
        if (!present[i])
            continue;
        if (!text(line))
            return false;
        fixedValues[i] = ParseNumberNoComma(line);
    }
    int points = 0;
    if (!integer(points) || points < 0)
        return false;
    // Only a subgroup document uses the size; an individual-values document lays out with 0.
    if (!integer(m_subgroupSize))
        return false;
    if (!m_individual && (m_subgroupSize < 2 || m_subgroupSize > 25))
        return false;
    QString line;
    if (!text(line)) // a line the layout does not use
        return false;
    if (!text(line))
        return false;
    m_doc.SetTableName(line);
    if (!text(line))
        return false;
    m_doc.SetHeaderText(HeaderField::MeasuredParameter, line);
    m_doc.SetHeaderPresent(HeaderField::MeasuredParameter, !TrimBlanks(line).isEmpty());

    const int columns = m_individual ? 1 : m_subgroupSize;
    if (!cellsBacked(points, columns))
        return false;
    std::vector<bool> flags(size_t(points) + 1, false);
    flags.back() = true;
    layOut(points, m_subgroupSize, std::move(flags));

    // What the legacy layout does not hold is emptied, and its fixed chart choices are taken.
    m_doc.SetUnits(QString());
    for (const HeaderField field : { HeaderField::Sample, HeaderField::SamplePreparation,
             HeaderField::MeasurementMethod, HeaderField::Instrument, HeaderField::Detector }) {
        m_doc.SetHeaderText(field, QString());
        m_doc.SetHeaderPresent(field, false);
    }
    m_doc.SetAdditionalInfo({});
    m_doc.SetAdditionalInfoPresent(false);
    m_doc.SetChartSelection(N13, false);
    m_doc.SetChartSelection(N11, true);
    m_doc.SetChartSelection(N31, true);
    if (!m_individual) {
        m_doc.SetChartSelection(N21, true);
        m_doc.SetChartSelection(N51, true);
        m_doc.SetChartSelection(N41, false);
        m_doc.SetChartSelection(N61, false);
    }

    // The three fixed values mean different settings by chart kind; unknown kinds leave the record.
    TIndividualInfo record = m_doc.TakeGroupRecord(0);
    auto fixable = [&](int i) {
        TFixableValue setting;
        if (present[i] && fixedValues[i]) {
            setting.Fixed = true;
            setting.Value = *fixedValues[i];
        }
        return setting;
    };
    TFixableValue* targets[3] = {};
    switch (kind) {
    case 1:
    case 3:
        targets[0] = &record.CentreSetting;
        targets[1] = &record.RangeCentreSetting;
        targets[2] = &record.SigmaSetting;
        break;
    case 2:
        targets[0] = &record.CentreSetting;
        targets[1] = &record.DeviationCentreSetting;
        targets[2] = &record.SigmaSetting;
        break;
    case 4:
        targets[0] = &record.MedianCentreSetting;
        targets[1] = &record.RangeCentreSetting;
        break;
    case 10:
        targets[1] = &record.RangeCentreSetting;
        targets[2] = &record.SigmaSetting;
        break;
    default:
        break;
    }
    if (kind == 1 || kind == 2 || kind == 3 || kind == 4 || kind == 10) {
        const bool useSampleDeviation = kind == 3 ? record.UseSampleDeviation : true;
        record.SetSubgroupSettings({}, {}, {}, {}, {}, {}, {}, useSampleDeviation);
        for (int i = 0; i < 3; ++i) {
            if (targets[i])
                *targets[i] = fixable(i);
        }
    }

    m_doc.StoreGroupRecord(0, std::move(record));

    const bool complete = readLegacyPoints(points, columns);
    m_doc.RecomputeDisplayPrecision();
    return complete;
}

// Individual values: date and value line per point. Subgroups: all dates, then the values column
// by column.
template <typename Lines> bool DocumentReader<Lines>::readLegacyPoints(int points, int columns)
{
    QStringView line;
    m_doc.ReserveValueText(size_t(m_lines.RemainingChars()));
    if (m_individual) {
        for (int row = 1; row <= points; ++row) {
            if (!view(line))
                return false;
            m_doc.SetDateText(row, line);
            if (!view(line))
                return false;
            m_doc.SetValueText(row, 0, line);
        }
        return true;
    }
    for (int row = 1; row <= points; ++row) {
        if (!view(line))
            return false;
        m_doc.SetDateText(row, line);
    }
    for (int c = 0; c < columns; ++c) {
        for (int row = 1; row <= points; ++row) {
            if (!view(line))
                return false;
            m_doc.SetValueText(row, c, line);
        }
    }
    return true;
}

// The steps after every load, whether or not reading failed.
void FinishLoad(MeasurementDocument& doc, const QString& fileName)
{
    // The units were read before the table was laid out, which wrote the plain headers.
    if (doc.HasDocument())
        doc.WriteUnitHeaders();
    doc.SetFileName(fileName);
    doc.ClearChanged();
}

} // namespace

const QString& LoadErrorText()
{
    static const QString text = QStringLiteral("Помилка! Неможливо завершити завантаження!");
    return text;
}

namespace {

struct ReadOutcome {
    bool Complete = false; // the whole layout was read
    std::optional<QString> ExtensionError; // why the extension block was dropped
};

// Reads doc from lines. The lines are the caller's to release before the steps after every load
// (EndLoad), which also say what went wrong.
template <typename Lines> ReadOutcome ReadDocument(MeasurementDocument& doc, Lines& lines)
{
    doc.ResetRecords();
    DocumentReader<Lines> reader(doc, lines);
    ReadOutcome outcome;
    try {
        outcome.Complete = reader.Read();
        outcome.ExtensionError = reader.ExtensionError();
    } catch (const std::exception&) {
        // Out of memory or a table past the cell buffer's reach: a failed load like any other.
        outcome = ReadOutcome();
    }
    reader.LayOutEmptyTableIfNeeded();
    return outcome;
}

bool EndLoad(MeasurementDocument& doc, const ReadOutcome& outcome, const QString& fileName)
{
    if (!outcome.Complete)
        doc.messenger().ShowMessage(LoadErrorText());
    else if (outcome.ExtensionError)
        doc.messenger().ShowMessage(ExtensionLostMessage(*outcome.ExtensionError));
    FinishLoad(doc, fileName);
    // Only a file read whole is what the document holds, so only then may a report hash it.
    if (outcome.Complete && !outcome.ExtensionError)
        doc.RecordSavedFile(fileName);
    return outcome.Complete;
}

QString DecodeFile(const QByteArrayView bytes)
{
    QStringDecoder decoder("windows-1251");
    return decoder.decode(bytes);
}

bool LoadDocumentFromText(MeasurementDocument& doc, QString text, const QString& fileName)
{
    ReadOutcome outcome;
    {
        DocumentLines lines(text);
        outcome = ReadDocument(doc, lines);
    }
    text = QString(); // the line list is released before the steps that follow every load
    return EndLoad(doc, outcome, fileName);
}

// The bytes in pieces from nextPiece, as StreamedDocumentLines takes them; counted is what a
// ByteLineCounter found in the same bytes.
bool LoadStreamed(MeasurementDocument& doc, const ByteLineCounter& counted, std::function<QByteArrayView()> nextPiece,
    const QString& fileName)
{
    ReadOutcome outcome;
    {
        StreamedDocumentLines lines(counted.Lines(), counted.Bytes(), std::move(nextPiece));
        outcome = ReadDocument(doc, lines);
    }
    return EndLoad(doc, outcome, fileName);
}

constexpr qint64 FilePieceBytes = 128 * 1024;

// Nothing was read: the document, its name and its unsaved changes stay as they were, so a later
// save cannot put the old table under the name of the file that failed.
bool RefuseUnreadable(MeasurementDocument& doc)
{
    doc.messenger().ShowMessage(LoadErrorText());
    return false;
}

} // namespace

bool LoadDocumentFromBytesPlain(MeasurementDocument& doc, const QByteArray& bytes, const QString& fileName)
{
    return LoadDocumentFromText(doc, DecodeFile(bytes), fileName);
}

bool LoadDocumentFromBytes(MeasurementDocument& doc, const QByteArray& bytes, const QString& fileName)
{
    if (!OneCharacterPerByte())
        return LoadDocumentFromBytesPlain(doc, bytes, fileName);
    ByteLineCounter counter;
    counter.Add(bytes);
    bool given = false;
    return LoadStreamed(
        doc, counter,
        [&]() {
            const QByteArrayView piece = given ? QByteArrayView() : QByteArrayView(bytes);
            given = true;
            return piece;
        },
        fileName);
}

bool LoadDocument(MeasurementDocument& doc, const QString& fileName)
{
    QFile file(fileName);
    // A blank example entry names no file: nothing to ask Qt to open.
    if (fileName.isEmpty() || !file.open(QIODevice::ReadOnly))
        return RefuseUnreadable(doc);
    if (file.isSequential() || !OneCharacterPerByte()) {
        // A pipe cannot be read twice: the whole text at once.
        QString text;
        {
            const QByteArray bytes = file.readAll();
            if (file.error() != QFileDevice::NoError)
                return RefuseUnreadable(doc);
            text = DecodeFile(bytes); // the bytes go before the document grows
        }
        return LoadDocumentFromText(doc, std::move(text), fileName);
    }
    // A first pass counts the lines and proves the file readable; the second decodes and reads
    // them. Neither holds more than a piece of the file.
    std::vector<char> buffer(static_cast<size_t>(FilePieceBytes));
    ByteLineCounter counter;
    qint64 got = 0;
    while ((got = file.read(buffer.data(), FilePieceBytes)) > 0)
        counter.Add(QByteArrayView(buffer.data(), got));
    if (got < 0 || file.error() != QFileDevice::NoError || !file.seek(0))
        return RefuseUnreadable(doc);
    return LoadStreamed(
        doc, counter,
        [&]() {
            const qint64 read = file.read(buffer.data(), FilePieceBytes);
            return read > 0 ? QByteArrayView(buffer.data(), read) : QByteArrayView();
        },
        fileName);
}
