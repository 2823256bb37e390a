// The writer of the current layout: SaveDocument and SaveDocumentToBytes.
#include "model/DocumentFile.h"

#include "model/EscapedText.h"
#include "model/ExtensionBlock.h"
#include "model/MeasurementDocument.h"
#include "model/Messenger.h"
#include "model/Numbers.h"

#include <QSaveFile>
#include <QStringEncoder>
#include <algorithm>
#include <bitset>
#include <cmath>

namespace {

// Where a text of the file comes from; named in the question about texts the file cannot hold.
struct TextPlace {
    enum Kind { FillDate, TableName, Header, AdditionalInfo, Units, Date, Value };
    Kind kind = FillDate;
    int index = 0; // header field, information line, or table row
    int column = 0;
};

constexpr HeaderField StoredHeaderFields[]
    = { HeaderField::Operator, HeaderField::MeasuredParameter, HeaderField::Sample, HeaderField::SamplePreparation,
          HeaderField::MeasurementMethod, HeaderField::Instrument, HeaderField::Detector };

bool IsLineBreak(QChar c)
{
    return c == u'\r' || c == u'\n';
}

// Splits at CR LF, LF or CR, as the reader does.
QStringList SplitLines(const QString& text)
{
    QStringList lines;
    qsizetype begin = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!IsLineBreak(text[i]))
            continue;
        lines.append(text.mid(begin, i - begin));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        begin = i + 1;
    }
    lines.append(text.mid(begin));
    return lines;
}

// Memo lines that hold line breaks become several lines, which the file keeps without loss.
QStringList AdditionalInfoLines(const MeasurementDocument& doc)
{
    QStringList lines;
    for (const QString& line : doc.AdditionalInfo()) {
        if (std::any_of(line.begin(), line.end(), IsLineBreak))
            lines.append(SplitLines(line));
        else
            lines.append(line);
    }
    return lines;
}

// Calls the sink for every item of the current layout, in file order:
// sink.Plain(text) for markers, booleans, integers and reals; sink.Text(text, place) for texts;
// last sink.Extension(doc) for the extension block, whose texts are escaped and need no look.
template <typename Sink> void WriteItems(const MeasurementDocument& doc, Sink& sink)
{
    auto boolean = [&](bool value) { sink.Plain(value ? QStringLiteral("True") : QStringLiteral("False")); };
    auto integer = [&](qsizetype value) { sink.Plain(QString::number(value)); };

    const bool individual = doc.IndividualMode();
    sink.Plain(QStringLiteral("UNPOS"));
    boolean(individual);
    sink.Text(doc.FillDate(), { TextPlace::FillDate });
    sink.Text(doc.TableName(), { TextPlace::TableName });
    for (const HeaderField field : StoredHeaderFields) {
        const HeaderEntry& entry = doc.Header(field);
        boolean(entry.Present);
        sink.Text(entry.Text, { TextPlace::Header, int(field) });
    }
    boolean(doc.AdditionalInfoPresent());
    const QStringList info = AdditionalInfoLines(doc);
    integer(info.size());
    for (qsizetype i = 0; i < info.size(); ++i)
        sink.Text(info[i], { TextPlace::AdditionalInfo, int(i) });
    sink.Text(doc.Units(), { TextPlace::Units });
    boolean(doc.ChartSelection(N11));
    boolean(doc.ChartSelection(N31));
    boolean(doc.ChartSelection(N13));

    // Counts come from the flags, so the file always describes the rows it holds.
    const std::vector<bool>& flags = doc.SeparatorFlags();
    const int rows = doc.TableRowCount();
    const int groups = int(std::count(flags.begin(), flags.end(), true));
    const int columns = doc.ValueColumnCount();
    integer(rows + 1 - groups);
    if (!individual) {
        integer(columns);
        boolean(doc.ChartSelection(N21));
        boolean(doc.ChartSelection(N41));
        boolean(doc.ChartSelection(N51));
        boolean(doc.ChartSelection(N61));
    }
    integer(groups);
    for (const bool flag : flags)
        boolean(flag);

    // In the computed state separator rows may hold results; the file keeps the editing texts.
    const bool computed = doc.IsComputed();
    const QString& separatorLine = MeasurementDocument::SeparatorLine();
    for (int row = 1; row <= rows; ++row) {
        const bool separator = computed && flags[size_t(row - 1)];
        sink.Text(separator ? separatorLine : doc.DateText(row), { TextPlace::Date, row });
    }
    for (int row = 1; row <= rows; ++row) {
        const bool separator = computed && flags[size_t(row - 1)];
        for (int c = 0; c < columns; ++c)
            sink.Text(separator ? separatorLine : doc.ValueText(row, c), { TextPlace::Value, row, c });
    }

    integer(doc.DisplayPrecision());
    integer(groups);
    const TIndividualInfo automatic(individual);
    for (int g = 0; g < groups; ++g) {
        const TIndividualInfo& record = size_t(g) < doc.Groups().size() ? doc.Groups()[size_t(g)] : automatic;
        const TFixableValue* settings[] = { &record.CentreSetting, &record.RangeCentreSetting, &record.SigmaSetting };
        // A value that could not be read back is not written as fixed.
        auto fixed = [](const TFixableValue* s) { return s->Fixed && std::isfinite(s->Value); };
        for (const TFixableValue* setting : settings)
            boolean(fixed(setting));
        for (const TFixableValue* setting : settings) {
            if (fixed(setting))
                sink.Plain(RoundTripText(setting->Value));
        }
    }
    sink.Extension(doc);
}

// Texts made of printable ASCII need no look: the code page holds them and they carry no break.
bool NeedsCare(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x80 || IsLineBreak(c); });
}

// Tells whether the file's code page holds a text. The code page is single-byte, so the
// characters it holds are exactly those its 256 bytes read as.
class CodePage {
public:
    CodePage()
        : m_held(CodePageCharacters())
    {
    }

    bool Holds(QStringView text) const
    {
        return std::all_of(text.begin(), text.end(), [this](QChar c) { return m_held.test(c.unicode()); });
    }

    // Calls out(index, length, held) for every character (a surrogate pair counts as one).
    template <typename F> void ForEachCharacter(QStringView text, F out) const
    {
        for (qsizetype i = 0; i < text.size();) {
            const qsizetype length
                = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
            out(i, length, length == 1 && m_held.test(text[i].unicode()));
            i += length;
        }
    }

private:
    const std::bitset<0x10000>& m_held;
};

QString PlaceName(const MeasurementDocument& doc, const TextPlace& place)
{
    static const char* const headerNames[] = { "Оператор", "Вимірюваний параметр", "Зразок (зразки)",
        "Метод підготовки проби", "Метод виконання вимірювань", "Прилад", "Детектор" };
    auto quoted = [](const QString& name) { return QStringLiteral("поле «") + name + QStringLiteral("»"); };
    auto rowName = [&](int row) {
        const QString label = doc.LabelText(row);
        bool number = false;
        label.toInt(&number);
        return number ? QStringLiteral("точка ") + label : label;
    };
    switch (place.kind) {
    case TextPlace::FillDate:
        return quoted(QStringLiteral("Дата заповнення"));
    case TextPlace::TableName:
        return quoted(QStringLiteral("Назва таблиці"));
    case TextPlace::Header:
        return quoted(QString::fromUtf8(headerNames[place.index]));
    case TextPlace::AdditionalInfo:
        return quoted(QStringLiteral("Додаткова інформація")) + QStringLiteral(", рядок ")
            + QString::number(place.index + 1);
    case TextPlace::Units:
        return quoted(QStringLiteral("Одиниці вимірювання"));
    case TextPlace::Date:
        return QStringLiteral("таблиця, ") + rowName(place.index) + QStringLiteral(", дата");
    case TextPlace::Value:
        return QStringLiteral("таблиця, ") + rowName(place.index) + QStringLiteral(", ")
            + (doc.IndividualMode() ? QStringLiteral("значення")
                                    : QLatin1Char('X') + QString::number(place.column + 1));
    }
    return QString();
}

// Finds the texts the file cannot hold unchanged and describes the first few.
class ProblemFinder {
public:
    explicit ProblemFinder(const MeasurementDocument& doc)
        : m_doc(doc)
    {
    }

    void Plain(const QString&) { }
    void Extension(const MeasurementDocument&) { }

    void Text(QStringView text, const TextPlace& place)
    {
        if (!NeedsCare(text))
            return;
        const bool lineBreak = std::any_of(text.begin(), text.end(), IsLineBreak);
        QString unencodable;
        if (!m_codePage.Holds(text)) {
            m_codePage.ForEachCharacter(text, [&](qsizetype i, qsizetype length, bool encodable) {
                if (!encodable && unencodable.isEmpty())
                    unencodable = text.mid(i, length).toString();
            });
        }
        if (!lineBreak && unencodable.isEmpty())
            return;
        ++m_count;
        if (m_descriptions.size() >= MaxListed)
            return;
        QStringList what;
        if (!unencodable.isEmpty()) {
            const char32_t code = unencodable.size() == 2 ? QChar::surrogateToUcs4(unencodable[0], unencodable[1])
                                                          : unencodable[0].unicode();
            const QString hex = QString::number(uint(code), 16).toUpper().rightJustified(4, QLatin1Char('0'));
            what.append(QStringLiteral("символ «%1» (U+%2)").arg(unencodable, hex));
        }
        if (lineBreak)
            what.append(QStringLiteral("розрив рядка"));
        m_descriptions.append(
            QStringLiteral("– ") + PlaceName(m_doc, place) + QStringLiteral(": ") + what.join(QStringLiteral(", ")));
    }

    bool Found() const { return m_count > 0; }

    QString Question() const
    {
        QString text = QStringLiteral("Не всі тексти документа можна записати у файл без змін:\n");
        text += m_descriptions.join(QLatin1Char('\n'));
        if (m_count > m_descriptions.size())
            text += QStringLiteral("\n– і ще %1").arg(m_count - m_descriptions.size());
        text += QStringLiteral("\nСимволи, яких немає в кодуванні Windows-1251, буде записано як «?», а розриви "
                               "рядків – як пропуски.\nЗберегти документ?");
        return text;
    }

private:
    static constexpr qsizetype MaxListed = 10;
    const MeasurementDocument& m_doc;
    CodePage m_codePage;
    QStringList m_descriptions;
    qsizetype m_count = 0;
};

// Collects the items as CR LF lines and encodes them in pieces.
class ByteWriter {
public:
    void Plain(const QString& text) { append(text); }

    void Extension(const MeasurementDocument& doc)
    {
        for (const QString& line : ExtensionBlockLines(doc))
            append(line);
    }

    void Text(QStringView text, const TextPlace&)
    {
        if (!NeedsCare(text)) {
            append(text);
            return;
        }
        // The analyst has agreed: breaks become blanks, characters the code page lacks become "?".
        QString safe = text.toString();
        for (QChar& c : safe) {
            if (IsLineBreak(c))
                c = QLatin1Char(' ');
        }
        if (!m_codePage.Holds(safe)) {
            QString replaced;
            m_codePage.ForEachCharacter(safe, [&](qsizetype i, qsizetype length, bool encodable) {
                if (encodable)
                    replaced += QStringView(safe).mid(i, length);
                else
                    replaced += QLatin1Char('?');
            });
            safe = replaced;
        }
        append(safe);
    }

    QByteArray Finish()
    {
        flush();
        return std::move(m_bytes);
    }

private:
    void append(QStringView text)
    {
        m_buffer += text;
        m_buffer += QLatin1String("\r\n");
        if (m_buffer.size() >= ChunkSize)
            flush();
    }

    void flush()
    {
        const qsizetype old = m_bytes.size();
        const qsizetype needed = old + m_encoder.requiredSpace(m_buffer.size());
        if (needed > m_bytes.capacity())
            m_bytes.reserve(std::max(needed, 2 * m_bytes.capacity()));
        m_bytes.resize(needed);
        char* end = m_encoder.appendToBuffer(m_bytes.data() + old, m_buffer);
        m_bytes.resize(end - m_bytes.data());
        m_buffer.clear();
    }

    static constexpr qsizetype ChunkSize = 1 << 16;
    QStringEncoder m_encoder { "windows-1251" };
    CodePage m_codePage;
    QString m_buffer;
    QByteArray m_bytes;
};

} // namespace

std::optional<QByteArray> SaveDocumentToBytes(const MeasurementDocument& doc)
{
    if (doc.ExtensionLost() && !doc.messenger().AskYesNo(ExtensionLostQuestion()))
        return std::nullopt;
    ProblemFinder finder(doc);
    WriteItems(doc, finder);
    if (finder.Found() && !doc.messenger().AskYesNo(finder.Question()))
        return std::nullopt;
    return DocumentFileBytes(doc);
}

QByteArray DocumentFileBytes(const MeasurementDocument& doc)
{
    ByteWriter writer;
    WriteItems(doc, writer);
    return writer.Finish();
}

bool SaveDocument(MeasurementDocument& doc, const QString& fileName)
{
    const std::optional<QByteArray> bytes = SaveDocumentToBytes(doc);
    if (!bytes)
        return false;
    // QSaveFile writes beside the target and renames only when all is written, so a failed or
    // interrupted save never truncates the file that was there. Unbuffered, so that a short write
    // (a full disk) shows in the count instead of passing unseen.
    QSaveFile file(fileName);
    bool saved = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    if (saved) {
        saved = file.write(*bytes) == bytes->size() && file.flush() && file.size() == bytes->size();
        if (saved)
            saved = file.commit();
        else
            file.cancelWriting();
    }
    if (!saved) {
        const QString reason = file.error() == QFileDevice::NoError || file.error() == QFileDevice::WriteError
            ? QStringLiteral("не вдалося записати всі дані")
            : file.errorString();
        doc.messenger().ShowMessage(QStringLiteral("Помилка! Документ не збережено у файл «%1» (%2).\nФайл, що був "
                                                   "на диску, залишився без змін.")
                                        .arg(fileName, reason));
        return false;
    }
    doc.SetFileName(fileName);
    doc.RecordSavedFile(fileName);
    doc.ClearChanged();
    doc.SetExtensionLost(false); // the file on disk now is what the document holds
    return true;
}
