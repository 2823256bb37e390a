#include "model/ExtensionBlock.h"

#include "model/EscapedText.h"
#include "model/MeasurementDocument.h"

#include <initializer_list>
#include <limits>

namespace {

constexpr QStringView VersionTag = u"VERSION";
constexpr QStringView PointTag = u"POINT";
constexpr QStringView LogTag = u"LOG";
constexpr QStringView EndTag = u"END";
constexpr qsizetype PointFields = 7; // the tag and six fields
constexpr qsizetype LogFields = 6; // the tag and five fields
constexpr qsizetype EndFields = 2;
constexpr qsizetype QuotedChars = 40; // of a bad field named in a message

// A count or number of the block: decimal digits only, no sign or blanks, that fit an int.
std::optional<int> Count(QStringView field)
{
    if (field.isEmpty() || field.size() > 10)
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : field) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

QString Quoted(QStringView field)
{
    const QString shown
        = field.size() > QuotedChars ? field.first(QuotedChars).toString() + QStringLiteral("…") : field.toString();
    return QStringLiteral("«") + shown + QStringLiteral("»");
}

// EscapeText; a text of plain Latin and Cyrillic letters, which needs no escape, is shared as it is.
QString Escaped(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (!((u >= 0x20 && u < 0x7F && u != u'\\') || (u >= 0x410 && u <= 0x44F)))
            return EscapeText(text);
    }
    return text;
}

// A line of the block: the tag and its fields, joined by tabs.
QString RecordLine(QStringView tag, std::initializer_list<QString> fields)
{
    qsizetype size = tag.size();
    for (const QString& field : fields)
        size += 1 + field.size();
    QString line;
    line.reserve(size);
    line += tag;
    for (const QString& field : fields) {
        line += QLatin1Char('\t');
        line += field;
    }
    return line;
}

} // namespace

bool IsExtensionMarker(QStringView line)
{
    return line == ExtensionMarker;
}

ExtensionBlockParser::Fields ExtensionBlockParser::Fields::Of(QStringView line)
{
    Fields fields;
    qsizetype begin = 0;
    for (;;) {
        const qsizetype tab = line.indexOf(u'\t', begin);
        const qsizetype end = tab < 0 ? line.size() : tab;
        if (fields.size < Capacity)
            fields.held[size_t(fields.size)] = line.sliced(begin, end - begin);
        ++fields.size;
        if (tab < 0)
            return fields;
        begin = tab + 1;
    }
}

bool ExtensionBlockParser::fail(const QString& why)
{
    m_state = State::Failed;
    m_error = QStringLiteral("рядок %1: %2").arg(m_lineNumber).arg(why);
    return false;
}

std::optional<QString> ExtensionBlockParser::text(QStringView field, QString* last)
{
    if (last && !last->isEmpty() && *last == field)
        return *last;
    // Most texts hold no escape; a field never holds a tab or a break, the split saw to that.
    std::optional<QString> text = field.contains(u'\\') ? UnescapeText(field) : field.toString();
    if (!text) {
        fail(QStringLiteral("некоректне екранування в тексті %1").arg(Quoted(field)));
        return text;
    }
    if (last && *text == field)
        *last = *text;
    return text;
}

bool ExtensionBlockParser::Feed(QStringView line)
{
    ++m_lineNumber;
    switch (m_state) {
    case State::Version:
        return versionLine(line);
    case State::Records:
        return recordLine(line);
    case State::Done:
    case State::Failed:
        break;
    }
    return false;
}

bool ExtensionBlockParser::versionLine(QStringView line)
{
    const Fields fields = Fields::Of(line);
    std::optional<int> version;
    if (fields.size == 2 && fields[0] == VersionTag)
        version = Count(fields[1]);
    if (!version || *version < 1)
        return fail(QStringLiteral("замість рядка версії %1").arg(Quoted(line)));
    m_version = *version;
    if (m_version > ExtensionVersion)
        m_records.Unknown.append(line.toString());
    m_state = State::Records;
    return true;
}

bool ExtensionBlockParser::recordLine(QStringView line)
{
    const Fields fields = Fields::Of(line);
    const QStringView tag = fields[0];
    if (tag == EndTag)
        return endLine(fields);
    ++m_recordLines;
    if (tag == PointTag)
        return pointLine(fields);
    if (tag == LogTag)
        return logLine(fields);
    // A later version may add records of its own; this one keeps them for the next save.
    if (m_version > ExtensionVersion) {
        m_records.Unknown.append(line.toString());
        return true;
    }
    return fail(QStringLiteral("невідомий запис %1").arg(Quoted(tag)));
}

bool ExtensionBlockParser::pointLine(const Fields& fields)
{
    if (fields.size != PointFields)
        return fail(QStringLiteral("запис точки має %1 полів замість %2").arg(fields.size).arg(PointFields));
    const std::optional<int> point = Count(fields[1]);
    if (!point || *point < 1)
        return fail(QStringLiteral("некоректний номер точки %1").arg(Quoted(fields[1])));
    if (!m_records.Notes.empty() && *point <= m_records.Notes.rbegin()->first)
        return fail(QStringLiteral("точка %1 іде не за зростанням номерів").arg(*point));
    PointNote note;
    QString* targets[] = { &note.Note, &note.Action, &note.ExcludeReason, &note.Author, &note.Time };
    QString* lasts[] = { nullptr, nullptr, nullptr, &m_lastAuthor, &m_lastTime };
    for (qsizetype i = 0; i < 5; ++i) {
        std::optional<QString> value = text(fields[2 + i], lasts[i]);
        if (!value)
            return false;
        *targets[i] = std::move(*value);
    }
    if (note.Empty())
        return fail(QStringLiteral("запис точки %1 не містить ні примітки, ні причини виключення").arg(*point));
    m_records.Notes.emplace_hint(m_records.Notes.end(), *point, std::move(note));
    return true;
}

bool ExtensionBlockParser::logLine(const Fields& fields)
{
    if (fields.size != LogFields)
        return fail(QStringLiteral("запис журналу має %1 полів замість %2").arg(fields.size).arg(LogFields));
    ChangeLogEntry entry;
    QString* targets[] = { &entry.Time, &entry.User, &entry.Change, &entry.Reason, &entry.Hash };
    QString* lasts[] = { nullptr, &m_lastUser, nullptr, nullptr, nullptr };
    for (qsizetype i = 0; i < 5; ++i) {
        std::optional<QString> value = text(fields[1 + i], lasts[i]);
        if (!value)
            return false;
        *targets[i] = std::move(*value);
    }
    // The hash is not checked here: a broken chain is the log's news (VerifiedCount), not damage.
    m_records.Log.push_back(std::move(entry));
    return true;
}

bool ExtensionBlockParser::endLine(const Fields& fields)
{
    const std::optional<int> count = fields.size == EndFields ? Count(fields[1]) : std::nullopt;
    if (!count)
        return fail(QStringLiteral("некоректний завершальний рядок"));
    if (*count != m_recordLines) {
        return fail(
            QStringLiteral("завершальний рядок називає %1 записів, а в блоці їх %2").arg(*count).arg(m_recordLines));
    }
    m_state = State::Done;
    return false;
}

std::optional<ExtensionRecords> ExtensionBlockParser::Finish()
{
    if (m_state == State::Version || m_state == State::Records) {
        m_state = State::Failed;
        m_error = QStringLiteral("блок обірвано, завершального рядка немає");
    }
    if (m_state == State::Failed)
        return std::nullopt;
    return std::move(m_records);
}

QStringList ExtensionBlockLines(const MeasurementDocument& doc)
{
    const std::map<int, PointNote>& notes = doc.PointNotes();
    const std::vector<ChangeLogEntry>& log = doc.Log().Entries();
    QStringList unknown = doc.UnknownExtensionLines();
    if (notes.empty() && log.empty() && unknown.isEmpty())
        return {};

    QStringList lines;
    lines.append(ExtensionMarker.toString());
    const bool laterVersion = !unknown.isEmpty() && unknown.front().startsWith(RecordLine(VersionTag, { QString() }));
    lines.append(laterVersion ? unknown.takeFirst() : RecordLine(VersionTag, { QString::number(ExtensionVersion) }));
    const qsizetype firstRecord = lines.size();

    // Notes are keyed by table row; the file names points. The rows of a group are consecutive,
    // so the group spans turn one into the other.
    const std::vector<GroupSpan> spans = notes.empty() ? std::vector<GroupSpan>() : doc.DeriveGroups();
    auto span = spans.begin();
    for (const auto& [row, note] : notes) {
        while (span != spans.end() && span->FirstRow + span->PointCount <= row)
            ++span;
        if (span == spans.end())
            break;
        if (row < span->FirstRow)
            continue; // a separator carries no note
        const int point = span->FirstPoint + (row - span->FirstRow);
        lines.append(RecordLine(PointTag,
            { QString::number(point), Escaped(note.Note), Escaped(note.Action), Escaped(note.ExcludeReason),
                Escaped(note.Author), Escaped(note.Time) }));
    }
    for (const ChangeLogEntry& entry : log) {
        lines.append(RecordLine(LogTag,
            { Escaped(entry.Time), Escaped(entry.User), Escaped(entry.Change), Escaped(entry.Reason),
                Escaped(entry.Hash) }));
    }
    lines.append(unknown);
    lines.append(RecordLine(EndTag, { QString::number(lines.size() - firstRecord) }));
    return lines;
}

std::optional<QString> ApplyExtensionRecords(MeasurementDocument& doc, ExtensionRecords records)
{
    // The numbers rise, so the last one says whether all name points.
    if (!records.Notes.empty() && records.Notes.rbegin()->first > doc.PointCount()) {
        return QStringLiteral("точки %1 у таблиці немає (точок у таблиці: %2)")
            .arg(records.Notes.rbegin()->first)
            .arg(doc.PointCount());
    }
    // Points to rows in one walk of the flags up to the last noted point; each note moves under
    // its row, texts uncopied.
    std::map<int, PointNote> byRow;
    const std::vector<bool>& flags = doc.SeparatorFlags();
    const int tableRows = doc.TableRowCount();
    int row = 0;
    int point = 0;
    while (!records.Notes.empty()) {
        auto node = records.Notes.extract(records.Notes.begin());
        while (point < node.key() && row < tableRows)
            point += !flags[size_t(row++)];
        if (point != node.key())
            return QStringLiteral("точки %1 у таблиці немає").arg(node.key());
        node.key() = row; // the grid row of the point just counted, from 1
        byRow.insert(byRow.end(), std::move(node));
    }
    if (!byRow.empty())
        doc.SetPointNotes(std::move(byRow));
    for (ChangeLogEntry& entry : records.Log)
        doc.AppendStoredLogEntry(std::move(entry));
    doc.SetUnknownExtensionLines(std::move(records.Unknown));
    return std::nullopt;
}

QString ExtensionLostMessage(const QString& why)
{
    return QStringLiteral("Не вдалося прочитати примітки та журнал змін: ") + why
        + QStringLiteral(".\nДокумент відкрито без них.");
}

const QString& ExtensionLostQuestion()
{
    static const QString text = QStringLiteral(
        "Примітки до точок, виключення точок і журнал змін з файлу не вдалося прочитати під час відкриття.\n"
        "Якщо зберегти документ, у файлі їх уже не буде.\nЗберегти документ?");
    return text;
}
