#include "exchange/Workbook.h"

#include "model/CellTextStore.h"
#include "model/Numbers.h"

#include <QBuffer>
#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QXmlStreamReader>
#include <minizip/unzip.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

namespace {

// What a workbook may hold before it is refused rather than read. A sheet row or column past a
// spreadsheet's own limits cannot be real.
constexpr int MaxRows = 1'048'576;
constexpr int MaxColumns = 16'384;
// Cells made, the empty ones before a cell included: enough for a million rows of eight columns,
// and within what the import can hold in memory.
constexpr qint64 MaxCells = 10'000'000;
constexpr qint64 MaxChars = 40'000'000;
// A cell's text, as long as a spreadsheet lets one be.
constexpr qsizetype MaxCellChars = 32'767;
// A part larger than this once inflated takes too long to read; the sheet of a million rows of a
// few columns is about half of it.
constexpr qint64 MaxSheetPart = 256ll * 1024 * 1024;
// Shared strings are held whole while the sheet is read; the other parts are small in any real book.
constexpr qint64 MaxSharedStringsPart = 32ll * 1024 * 1024;
constexpr qint64 MaxSmallPart = 16ll * 1024 * 1024;
// Real sheets deflate to a tenth or a thirtieth of their size; a part that inflates a hundred
// times and more (past a first megabyte, where any ratio is harmless) was made to.
constexpr qint64 MaxInflateRatio = 100;
constexpr qint64 RatioGrace = 1024 * 1024;
// Real parts nest elements a dozen deep; the reader's bookkeeping grows with the depth.
constexpr int MaxDepth = 256;
// One token of XML (a text, a comment, a tag with its attributes) is held whole by the reader. A
// cell's text is at most 128 KB of UTF-8.
constexpr qint64 MaxTokenBytes = 4ll * 1024 * 1024;

QString tooManyCellsText()
{
    return QStringLiteral("Аркуш завеликий для імпорту: у ньому понад %1 мільйонів клітинок або %2 мільйонів "
                          "символів тексту.")
        .arg(MaxCells / 1'000'000)
        .arg(MaxChars / 1'000'000);
}
QString tooManyRowsText()
{
    return QStringLiteral("Аркуш завеликий для імпорту: у ньому понад %1 рядків.").arg(MaxRows);
}
QString rowNumberText(qint64 line)
{
    return QStringLiteral("Аркуш завеликий для імпорту: у ньому рядок %1, а рядків в аркуші щонайбільше %2.")
        .arg(line)
        .arg(MaxRows);
}
QString columnText(int line, qint64 column)
{
    return QStringLiteral("Аркуш завеликий для імпорту: у рядку %1 є стовпець %2, а стовпців в аркуші щонайбільше %3.")
        .arg(line)
        .arg(column + 1)
        .arg(MaxColumns);
}
QString damagedText()
{
    return QStringLiteral("Файл пошкоджений або не є книгою XLSX чи ODS.");
}
// "8.9 МБ", "34 КБ".
QString sizeText(qint64 bytes)
{
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 КБ").arg((bytes + 1023) / 1024);
    return QStringLiteral("%1 МБ").arg(
        QString::number(double(bytes) / (1024.0 * 1024.0), 'f', bytes < 10 * 1024 * 1024 ? 1 : 0));
}

// Reads the archive through a QIODevice, so a file and bytes in memory go the same way.
voidpf deviceOpen(voidpf opaque, const void*, int)
{
    return opaque;
}
uLong deviceRead(voidpf, voidpf stream, void* buffer, uLong size)
{
    const qint64 read = static_cast<QIODevice*>(stream)->read(static_cast<char*>(buffer), qint64(size));
    return read < 0 ? 0 : uLong(read);
}
uLong deviceWrite(voidpf, voidpf, const void*, uLong)
{
    return 0;
}
ZPOS64_T deviceTell(voidpf, voidpf stream)
{
    return ZPOS64_T(static_cast<QIODevice*>(stream)->pos());
}
long deviceSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    QIODevice* device = static_cast<QIODevice*>(stream);
    qint64 base = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR)
        base = device->pos();
    else if (origin == ZLIB_FILEFUNC_SEEK_END)
        base = device->size();
    // minizip steps back with offsets that wrapped around, as fseeko would take them.
    qint64 position = 0;
    if (__builtin_add_overflow(base, qint64(offset), &position) || position < 0
        || (origin == ZLIB_FILEFUNC_SEEK_SET && qint64(offset) < 0) || position > device->size())
        return -1;
    return device->seek(position) ? 0 : -1;
}
int deviceClose(voidpf, voidpf)
{
    return 0; // the caller owns the device
}
int deviceError(voidpf, voidpf)
{
    return 0;
}

// A zip archive, read with the system minizip (the one libxlsxwriter writes with).
class ZipArchive {
public:
    explicit ZipArchive(QIODevice& device)
    {
        if (!device.isOpen() || !device.isReadable() || device.isSequential())
            return;
        zlib_filefunc64_def functions { deviceOpen, deviceRead, deviceWrite, deviceTell, deviceSeek, deviceClose,
            deviceError, &device };
        m_zip = unzOpen2_64("workbook", &functions);
    }
    ~ZipArchive()
    {
        if (m_zip)
            unzClose(m_zip);
    }
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;
    bool IsOpen() const { return m_zip != nullptr; }
    bool HasEntry(const QString& name) const
    {
        return m_zip && unzLocateFile(m_zip, name.toUtf8().constData(), 1) == UNZ_OK;
    }
    unzFile Handle() const { return m_zip; }

private:
    unzFile m_zip = nullptr;
};

// The sizes of a zip64 entry, from its extra field: the system minizip leaves them at 0xFFFFFFFF
// (it compares them with a 64-bit -1), which would make every such part look 4 GB large.
void zip64Sizes(unz_file_info64& info, QByteArrayView extra)
{
    constexpr ZPOS64_T Marker = 0xFFFFFFFFu;
    auto number = [&](qsizetype at, int bytes) {
        ZPOS64_T value = 0;
        for (int i = bytes - 1; i >= 0; --i)
            value = (value << 8) | uchar(extra[at + i]);
        return value;
    };
    for (qsizetype at = 0; at + 4 <= extra.size();) {
        const ZPOS64_T id = number(at, 2);
        const qsizetype length = qsizetype(number(at + 2, 2));
        const qsizetype end = std::min(extra.size(), at + 4 + length);
        if (id == 1) {
            qsizetype field = at + 4;
            if (info.uncompressed_size == Marker && field + 8 <= end) {
                info.uncompressed_size = number(field, 8);
                field += 8;
            }
            if (info.compressed_size == Marker && field + 8 <= end)
                info.compressed_size = number(field, 8);
            return;
        }
        at = at + 4 + length;
    }
}

// One entry of the archive as a stream, so the XML reader never holds a whole part. One entry of
// an archive is open at a time. A part that would inflate past its limit, or far more than real
// parts do, is refused before a byte of it is inflated.
class ZipPart final : public QIODevice {
public:
    ZipPart(const ZipArchive& zip, const QString& name, qint64 limit)
        : m_zip(zip.Handle())
        , m_name(name)
    {
        if (!zip.HasEntry(name))
            return;
        unz_file_info64 info {};
        char extra[1024];
        if (unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, extra, sizeof extra, nullptr, 0) != UNZ_OK)
            return;
        zip64Sizes(info, QByteArrayView(extra, qsizetype(std::min<uLong>(info.size_file_extra, sizeof extra))));
        // Neither minizip nor this stream inflates more than the size the archive states, so the
        // stated size bounds the work.
        const qint64 size = qint64(std::min<ZPOS64_T>(info.uncompressed_size, ZPOS64_T(1) << 62));
        const qint64 packed = qint64(std::min<ZPOS64_T>(info.compressed_size, ZPOS64_T(1) << 62));
        if (size > RatioGrace && size / std::max<qint64>(packed, 1) >= MaxInflateRatio) {
            m_refusal = QStringLiteral("Книгу не імпортовано: частина «%1» розпаковується з %2 у %3, "
                                       "так стиснуто лише навмисно роздуті файли.")
                            .arg(name, sizeText(packed), sizeText(size));
            return;
        }
        if (size > limit) {
            m_refusal = QStringLiteral("Книгу не імпортовано: частина «%1» займає %2 після розпакування, "
                                       "а можна щонайбільше %3.")
                            .arg(name, sizeText(size), sizeText(limit));
            return;
        }
        if (unzOpenCurrentFile(m_zip) != UNZ_OK)
            return;
        m_left = size;
        m_entryOpen = true;
        QIODevice::open(QIODevice::ReadOnly);
    }
    ~ZipPart() override
    {
        if (m_entryOpen)
            unzCloseCurrentFile(m_zip);
    }
    bool IsOpen() const { return m_entryOpen; }
    // Why the part was not opened although it is there; empty when it was, or is absent.
    const QString& Refusal() const { return m_refusal; }
    const QString& Name() const { return m_name; }
    // The XML reader holds a whole token (a text, a comment, a tag with its attributes) in
    // memory; the bytes read for one are counted from here and bounded.
    void TokenStart() { m_sinceToken = 0; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        // Never more than the stated size, whatever the inflater does.
        const int chunk = int(std::min<qint64>({ maxSize, m_left, 1 << 20 }));
        if (chunk <= 0)
            return 0;
        if (m_sinceToken > MaxTokenBytes) {
            if (m_refusal.isEmpty())
                m_refusal = QStringLiteral("Книгу не імпортовано: у частині «%1» є запис XML, довший за %2, "
                                           "таких у книгах не буває.")
                                .arg(m_name, sizeText(MaxTokenBytes));
            return -1;
        }
        const int read = unzReadCurrentFile(m_zip, data, unsigned(chunk));
        if (read < 0)
            return -1;
        m_left -= read;
        m_sinceToken += read;
        return read;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    unzFile m_zip;
    QString m_name;
    QString m_refusal;
    bool m_entryOpen = false;
    qint64 m_left = 0;
    qint64 m_sinceToken = 0;
};

// QXmlStreamReader over a part, under the limits a workbook is read with: no DTD (no workbook has
// one, and its entities could multiply the text), elements nested at most MaxDepth deep, and texts
// no longer than a cell holds. Everything reads through Next(), so the depth is always known.
class PartXml {
public:
    explicit PartXml(ZipPart& part)
        : m_xml(&part)
        , m_device(part)
        , m_part(part.Name())
    {
    }
    bool AtEnd() const { return m_xml.atEnd(); }
    QXmlStreamReader::TokenType Next()
    {
        m_device.TokenStart();
        const QXmlStreamReader::TokenType token = m_xml.readNext();
        if (!m_device.Refusal().isEmpty())
            refuse(m_device.Refusal());
        else if (token == QXmlStreamReader::StartElement) {
            if (++m_depth > MaxDepth)
                refuse(QStringLiteral("Книгу не імпортовано: елементи частини «%1» вкладено глибше, ніж на %2 рівнів.")
                           .arg(m_part)
                           .arg(MaxDepth));
        } else if (token == QXmlStreamReader::EndElement) {
            --m_depth;
        } else if (token == QXmlStreamReader::DTD || token == QXmlStreamReader::EntityReference) {
            refuse(QStringLiteral("Книгу не імпортовано: частина «%1» оголошує власні сутності XML (DTD), "
                                  "яких у книгах XLSX та ODS не буває.")
                       .arg(m_part));
        }
        return m_xml.tokenType();
    }
    bool IsStart() const { return m_xml.isStartElement(); }
    bool IsEnd() const { return m_xml.isEndElement(); }
    QStringView Name() const { return m_xml.name(); }
    QStringView Prefix() const { return m_xml.prefix(); }
    QXmlStreamAttributes Attributes() const { return m_xml.attributes(); }
    QStringView Text() const { return m_xml.text(); }
    bool IsCharacters() const { return m_xml.isCharacters(); }
    // Past the end of the element just started.
    void Skip()
    {
        const int depth = m_depth;
        while (!AtEnd() && m_depth >= depth)
            Next();
    }
    // The text of the element just started, its children's included; past its end. A text longer
    // than a cell holds sets *tooLong and is cut.
    QString ElementText(bool* tooLong = nullptr)
    {
        QString text;
        const int depth = m_depth;
        while (!AtEnd() && m_depth >= depth) {
            Next();
            if (m_xml.isCharacters())
                AppendLimited(text, m_xml.text(), tooLong);
        }
        return text;
    }
    int Depth() const { return m_depth; }
    static void AppendLimited(QString& text, QStringView more, bool* tooLong)
    {
        if (text.size() + more.size() > MaxCellChars) {
            more = more.left(std::max<qsizetype>(0, MaxCellChars - text.size()));
            if (tooLong)
                *tooLong = true;
        }
        text += more;
    }
    // The message of a refused part; otherwise the damaged-file message when the XML is broken.
    QString Error() const
    {
        if (!m_refusal.isEmpty())
            return m_refusal;
        return m_xml.hasError() ? damagedText() : QString();
    }
    // Only the limits' refusal: for parts whose damage does not matter.
    const QString& Refusal() const { return m_refusal; }

private:
    void refuse(const QString& why)
    {
        if (m_refusal.isEmpty())
            m_refusal = why;
        m_xml.raiseError(why);
    }

    QXmlStreamReader m_xml;
    ZipPart& m_device;
    QString m_part;
    QString m_refusal;
    int m_depth = 0;
};

// Target of a workbook relationship, as a path inside the archive.
QString partPath(const QString& base, const QString& target)
{
    const QString path = target.startsWith(u'/') ? target.mid(1) : base + target;
    // "../" steps are rare but legal.
    QStringList parts;
    for (const QString& part : path.split(u'/')) {
        if (part == u"..") {
            if (!parts.isEmpty())
                parts.removeLast();
        } else if (part != u".") {
            parts.append(part);
        }
    }
    return parts.join(u'/');
}

// "C12" -> column 2 (from 0); -1 when the reference has no letters. Columns far past the last a
// sheet can have are told as one past a billion, which is refused.
qint64 referenceColumn(QStringView reference)
{
    qint64 column = 0;
    qsizetype i = 0;
    for (; i < reference.size() && reference[i].isLetter(); ++i) {
        column = column * 26 + (reference[i].toUpper().unicode() - u'A' + 1);
        if (column > 1'000'000'000)
            return 1'000'000'000;
    }
    return i == 0 ? -1 : column - 1;
}

// Decimals a number format asks for ("0.000" -> 3), -1 for formats that are not plain numbers.
int formatDecimals(const QString& code)
{
    if (code.contains(u'%') || code.contains(u'E') || code.contains(u'e'))
        return -1;
    const QString first = code.section(u';', 0, 0);
    const qsizetype point = first.indexOf(u'.');
    if (point < 0)
        return 0;
    int decimals = 0;
    for (qsizetype i = point + 1; i < first.size() && (first[i] == u'0' || first[i] == u'#'); ++i)
        ++decimals;
    return decimals;
}

// Whether a format code shows a date or time: d, y, h or s outside quotes and brackets.
bool dateFormat(const QString& code)
{
    bool quoted = false;
    int bracket = 0;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (c == u'"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == u'\\')
            ++i;
        else if (c == u'[')
            ++bracket;
        else if (c == u']')
            bracket = std::max(0, bracket - 1);
        else if (bracket == 0) {
            const QChar lower = c.toLower();
            if (lower == u'd' || lower == u'y' || lower == u'h' || lower == u's')
                return true;
        }
    }
    return false;
}

bool builtinDate(int id)
{
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58);
}

int builtinDecimals(int id)
{
    switch (id) {
    case 2:
    case 4:
    case 7:
    case 8:
    case 39:
    case 40:
    case 43:
    case 44:
        return 2;
    case 1:
    case 3:
    case 5:
    case 6:
    case 37:
    case 38:
    case 41:
    case 42:
        return 0;
    default:
        return -1;
    }
}

QString dateText(const QDateTime& moment)
{
    const QTime time = moment.time();
    QString text = moment.date().toString(QStringLiteral("dd.MM.yyyy"));
    if (time.hour() || time.minute() || time.second())
        text += time.toString(time.second() ? QStringLiteral(" HH:mm:ss") : QStringLiteral(" HH:mm"));
    return text;
}

// The number's shortest text, padded with zeros to the decimals its format shows.
QString numberText(double value, int decimals)
{
    QString text = RoundTripText(value);
    if (decimals <= 0 || text.contains(u'e') || text.contains(u'E'))
        return text;
    qsizetype point = text.indexOf(u'.');
    if (point < 0) {
        text += u'.';
        point = text.size() - 1;
    }
    const qsizetype have = text.size() - point - 1;
    if (have < decimals)
        text += QString(decimals - have, u'0');
    return text;
}

// Rows as they come, with gaps of empty cells filled and the budgets watched. Each step returns
// why the sheet is refused, or nothing.
class SheetBuilder {
public:
    explicit SheetBuilder(SourceTable& table)
        : m_table(table)
    {
    }
    QString StartRow(qint64 line)
    {
        if (line > MaxRows)
            return rowNumberText(line);
        if (m_table.RowCount() >= MaxRows)
            return tooManyRowsText();
        m_table.StartRow(int(line));
        m_line = int(line);
        m_column = 0;
        return {};
    }
    QString Cell(qint64 column, QStringView text)
    {
        if (column < m_column)
            column = m_column; // out of order: keep it after what is there
        if (column >= MaxColumns)
            return columnText(m_line, column);
        if (text.isEmpty()) {
            m_column = int(column) + 1;
            return {};
        }
        int have = m_table.CellCount(m_table.RowCount() - 1);
        m_cells += column - have + 1;
        m_chars += text.size();
        if (m_cells > MaxCells || m_chars > MaxChars)
            return tooManyCellsText();
        while (have++ < column)
            m_table.AddCell({});
        m_table.AddCell(text);
        m_column = int(column) + 1;
        return {};
    }
    // Whether that many more cells and characters stay within the budget.
    bool Fits(qint64 cells, qint64 chars) const { return m_cells + cells <= MaxCells && m_chars + chars <= MaxChars; }
    qint64 Cells() const { return m_cells; }
    qint64 Chars() const { return m_chars; }
    int NextColumn() const { return m_column; }
    // Empty cells, for which nothing is made.
    void SkipColumns(qint64 count) { m_column = int(std::min<qint64>(m_column + count, MaxColumns)); }
    void FinishRow() { m_table.FinishRow(); }

private:
    SourceTable& m_table;
    int m_line = 0;
    int m_column = 0;
    qint64 m_cells = 0;
    qint64 m_chars = 0;
};

// The text a cell that cannot be read is given: never a number, so the import lists its row
// with the others it cannot take, and the analyst sees why.
QString unreadableCell(const QString& why)
{
    return QStringLiteral("#ПОМИЛКА: %1").arg(why);
}

// ---- XLSX ----

struct XlsxWorkbook {
    QStringList Names;
    QStringList Parts;
    bool Date1904 = false;
};

// Empty when the workbook part was read; otherwise why not.
QString readXlsxWorkbook(const ZipArchive& zip, XlsxWorkbook& book)
{
    QHash<QString, QString> targets;
    {
        ZipPart rels(zip, QStringLiteral("xl/_rels/workbook.xml.rels"), MaxSmallPart);
        if (!rels.Refusal().isEmpty())
            return rels.Refusal();
        if (rels.IsOpen()) {
            PartXml xml(rels);
            while (!xml.AtEnd()) {
                xml.Next();
                if (xml.IsStart() && xml.Name() == u"Relationship")
                    targets.insert(xml.Attributes().value(QLatin1String("Id")).toString(),
                        partPath(QStringLiteral("xl/"), xml.Attributes().value(QLatin1String("Target")).toString()));
            }
            if (!xml.Refusal().isEmpty())
                return xml.Refusal();
        }
    }
    ZipPart workbook(zip, QStringLiteral("xl/workbook.xml"), MaxSmallPart);
    if (!workbook.Refusal().isEmpty())
        return workbook.Refusal();
    if (!workbook.IsOpen())
        return damagedText();
    PartXml xml(workbook);
    while (!xml.AtEnd()) {
        xml.Next();
        if (!xml.IsStart())
            continue;
        if (xml.Name() == u"workbookPr") {
            const QStringView date1904 = xml.Attributes().value(QLatin1String("date1904"));
            book.Date1904 = date1904 == u"1" || date1904 == u"true";
        } else if (xml.Name() == u"sheet") {
            const QXmlStreamAttributes attributes = xml.Attributes();
            QString id;
            for (const QXmlStreamAttribute& attribute : attributes) {
                if (attribute.name() == u"id")
                    id = attribute.value().toString();
            }
            book.Names.append(attributes.value(QLatin1String("name")).toString());
            book.Parts.append(targets.value(id, QStringLiteral("xl/worksheets/sheet%1.xml").arg(book.Names.size())));
        }
    }
    if (!xml.Error().isEmpty())
        return xml.Error();
    return book.Names.isEmpty() ? damagedText() : QString();
}

// The text of an <si> or <is> element: its <t> runs, phonetic runs left out. Past its end.
QString inlineText(PartXml& xml, bool* tooLong)
{
    QString text;
    int phonetic = 0;
    const int depth = xml.Depth();
    while (!xml.AtEnd()) {
        xml.Next();
        if (xml.IsStart()) {
            if (xml.Name() == u"rPh")
                ++phonetic;
            else if (xml.Name() == u"t" && phonetic == 0)
                PartXml::AppendLimited(text, xml.ElementText(tooLong), tooLong);
            else if (xml.Name() == u"t")
                xml.Skip();
        } else if (xml.IsEnd()) {
            if (xml.Depth() < depth)
                break;
            if (xml.Name() == u"rPh")
                --phonetic;
        }
    }
    return text;
}

// Texts the sheet refers to by number. Kept in one buffer: a workbook of many short texts would
// cost ten times as much as separate strings.
struct SharedStrings {
    CellTextStore Texts;
    std::vector<bool> TooLong; // the text was cut to what a cell holds
};

QString readSharedStrings(const ZipArchive& zip, SharedStrings& shared)
{
    ZipPart part(zip, QStringLiteral("xl/sharedStrings.xml"), MaxSharedStringsPart);
    if (!part.Refusal().isEmpty())
        return part.Refusal();
    if (!part.IsOpen())
        return {}; // a workbook of numbers only has none
    PartXml xml(part);
    while (!xml.AtEnd()) {
        xml.Next();
        if (xml.IsStart() && xml.Name() == u"si") {
            bool tooLong = false;
            shared.Texts.append(inlineText(xml, &tooLong));
            shared.TooLong.push_back(tooLong);
        }
    }
    return xml.Error();
}

struct CellStyle {
    bool Date = false;
    int Decimals = -1;
};

// Styles only change how numbers are shown; a workbook whose styles cannot be read shows them plainly.
QString readStyles(const ZipArchive& zip, std::vector<CellStyle>& styles)
{
    ZipPart part(zip, QStringLiteral("xl/styles.xml"), MaxSmallPart);
    if (!part.Refusal().isEmpty())
        return part.Refusal();
    if (!part.IsOpen())
        return {};
    QHash<int, QString> formats;
    PartXml xml(part);
    bool inCellXfs = false;
    while (!xml.AtEnd()) {
        xml.Next();
        if (xml.IsStart()) {
            if (xml.Name() == u"numFmt") {
                formats.insert(xml.Attributes().value(QLatin1String("numFmtId")).toInt(),
                    xml.Attributes().value(QLatin1String("formatCode")).toString());
            } else if (xml.Name() == u"cellXfs") {
                inCellXfs = true;
            } else if (inCellXfs && xml.Name() == u"xf") {
                const int id = xml.Attributes().value(QLatin1String("numFmtId")).toInt();
                CellStyle style;
                const auto custom = formats.constFind(id);
                if (custom != formats.constEnd()) {
                    style.Date = dateFormat(*custom);
                    style.Decimals = formatDecimals(*custom);
                } else {
                    style.Date = builtinDate(id);
                    style.Decimals = builtinDecimals(id);
                }
                styles.push_back(style);
            }
        } else if (xml.IsEnd() && xml.Name() == u"cellXfs") {
            inCellXfs = false;
        }
    }
    return xml.Refusal();
}

QString xlsxDate(double serial, bool date1904)
{
    if (!std::isfinite(serial) || serial < 0 || serial > 2958466)
        return RoundTripText(serial);
    // Day 60 is the 29 February 1900 that never was; from day 61 on the 1899-12-30 base absorbs it.
    QDate base = QDate(1899, 12, serial < 61 ? 31 : 30);
    if (date1904)
        base = QDate(1904, 1, 1);
    const qint64 days = qint64(std::floor(serial));
    const qint64 seconds = std::llround((serial - double(days)) * 86400.0);
    return dateText(QDateTime(base, QTime(0, 0), Qt::UTC).addDays(days).addSecs(seconds));
}

QString tooLongText()
{
    return unreadableCell(QStringLiteral("текст понад %1 символів").arg(MaxCellChars));
}

QString readXlsxSheet(const ZipArchive& zip, const XlsxWorkbook& book, int index, SourceTable& table)
{
    SharedStrings shared;
    if (const QString error = readSharedStrings(zip, shared); !error.isEmpty())
        return error;
    std::vector<CellStyle> styles;
    if (const QString error = readStyles(zip, styles); !error.isEmpty())
        return error;
    ZipPart part(zip, book.Parts[index], MaxSheetPart);
    if (!part.Refusal().isEmpty())
        return part.Refusal();
    if (!part.IsOpen())
        return damagedText();
    PartXml xml(part);
    SheetBuilder builder(table);
    qint64 line = 0;
    bool inRow = false;
    while (!xml.AtEnd()) {
        xml.Next();
        if (xml.IsEnd() && xml.Name() == u"row" && inRow) {
            builder.FinishRow();
            inRow = false;
            continue;
        }
        if (!xml.IsStart())
            continue;
        if (xml.Name() == u"row") {
            if (inRow)
                builder.FinishRow(); // a row inside a row: the file is damaged, the XML reader says so
            bool ok = false;
            const qint64 number = xml.Attributes().value(QLatin1String("r")).toLongLong(&ok);
            line = ok && number > 0 ? number : line + 1;
            if (const QString error = builder.StartRow(line); !error.isEmpty())
                return error;
            inRow = true;
        } else if (xml.Name() == u"c" && inRow) {
            const QXmlStreamAttributes attributes = xml.Attributes();
            const QString type = attributes.value(QLatin1String("t")).toString();
            const int style = attributes.value(QLatin1String("s")).toInt();
            qint64 column = referenceColumn(attributes.value(QLatin1String("r")));
            if (column < 0)
                column = builder.NextColumn();
            QString value;
            bool haveValue = false;
            bool tooLong = false;
            const int depth = xml.Depth();
            while (!xml.AtEnd()) {
                xml.Next();
                if (xml.IsEnd() && xml.Depth() < depth)
                    break;
                if (!xml.IsStart())
                    continue;
                if (xml.Name() == u"v") {
                    value = xml.ElementText(&tooLong);
                    haveValue = true;
                } else if (xml.Name() == u"is") {
                    value = inlineText(xml, &tooLong);
                    haveValue = true;
                } else {
                    xml.Skip();
                }
            }
            if (!haveValue)
                continue;
            QString text;
            if (tooLong) {
                text = tooLongText();
            } else if (type == u"s") {
                bool ok = false;
                const qint64 i = value.toLongLong(&ok);
                if (!ok || i < 0 || i >= qint64(shared.Texts.size()))
                    text = unreadableCell(QStringLiteral("немає спільного тексту №%1").arg(value.left(20)));
                else if (shared.TooLong[size_t(i)])
                    text = tooLongText();
                else
                    text = shared.Texts.at(size_t(i)).toString();
            } else if (type.isEmpty() || type == u"n") {
                bool ok = false;
                const double number = value.toDouble(&ok);
                const CellStyle cellStyle
                    = style >= 0 && size_t(style) < styles.size() ? styles[size_t(style)] : CellStyle();
                if (!ok)
                    text = value;
                else if (cellStyle.Date)
                    text = xlsxDate(number, book.Date1904);
                else
                    text = numberText(number, cellStyle.Decimals);
            } else if (type == u"b") {
                text = value == u"1" ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
            } else if (type == u"d") {
                const QDateTime moment = QDateTime::fromString(value, Qt::ISODate);
                text = moment.isValid() ? dateText(moment) : value;
            } else {
                text = value; // str, inlineStr, e
            }
            if (const QString error = builder.Cell(column, text); !error.isEmpty())
                return error;
        }
    }
    if (inRow)
        builder.FinishRow();
    return xml.Error();
}

// ---- ODS ----

QString readOdsNames(const ZipArchive& zip, QStringList& names)
{
    ZipPart part(zip, QStringLiteral("content.xml"), MaxSheetPart);
    if (!part.Refusal().isEmpty())
        return part.Refusal();
    if (!part.IsOpen())
        return damagedText();
    PartXml xml(part);
    while (!xml.AtEnd()) {
        xml.Next();
        if (xml.IsStart() && xml.Name() == u"table" && xml.Prefix() == u"table") {
            names.append(xml.Attributes().value(QLatin1String("table:name")).toString());
            xml.Skip();
        }
    }
    if (!xml.Error().isEmpty())
        return xml.Error();
    return names.isEmpty() ? damagedText() : QString();
}

// The shown text of a cell: its paragraphs joined by line breaks, with text:s, text:tab and
// text:line-break put back. Past the cell's end.
QString odsCellText(PartXml& xml, bool& tooLong)
{
    QString text;
    int paragraphs = 0;
    const int depth = xml.Depth();
    while (!xml.AtEnd()) {
        xml.Next();
        if (xml.IsStart()) {
            const QStringView name = xml.Name();
            if (name == u"p") {
                if (paragraphs++ > 0)
                    PartXml::AppendLimited(text, u"\n", &tooLong);
            } else if (name == u"s") {
                const int count = std::clamp(xml.Attributes().value(QLatin1String("text:c")).toInt(), 1, 1000);
                PartXml::AppendLimited(text, QString(count, u' '), &tooLong);
            } else if (name == u"tab") {
                PartXml::AppendLimited(text, u"\t", &tooLong);
            } else if (name == u"line-break") {
                PartXml::AppendLimited(text, u"\n", &tooLong);
            } else if (name == u"annotation") {
                xml.Skip();
            }
        } else if (xml.IsEnd()) {
            if (xml.Depth() < depth)
                break;
        } else if (xml.IsCharacters()) {
            PartXml::AppendLimited(text, xml.Text(), &tooLong);
        }
    }
    return text;
}

QString odsDate(const QString& value)
{
    const QDateTime moment = QDateTime::fromString(value, Qt::ISODate);
    if (moment.isValid())
        return dateText(moment);
    const QDate date = QDate::fromString(value, Qt::ISODate);
    return date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : value;
}

// A repeat count as the file states it; counts past the limits are kept as they are, so they are
// refused rather than cut.
qint64 repeatCount(const QXmlStreamAttributes& attributes, QLatin1String name)
{
    bool ok = false;
    const qint64 count = attributes.value(name).toLongLong(&ok);
    // Past a trillion the count only matters as too many; held there, sums and products with it
    // cannot overflow.
    return ok && count > 1 ? std::min<qint64>(count, 1'000'000'000'000) : 1;
}

QString readOdsSheet(const ZipArchive& zip, int index, SourceTable& table)
{
    ZipPart part(zip, QStringLiteral("content.xml"), MaxSheetPart);
    if (!part.Refusal().isEmpty())
        return part.Refusal();
    if (!part.IsOpen())
        return damagedText();
    PartXml xml(part);
    SheetBuilder builder(table);
    int tableIndex = -1;
    qint64 line = 0;
    while (!xml.AtEnd()) {
        xml.Next();
        if (!xml.IsStart() || xml.Name() != u"table" || xml.Prefix() != u"table")
            continue;
        if (++tableIndex != index) {
            xml.Skip();
            continue;
        }
        // Inside the chosen table: rows, possibly within header-rows or row-group elements.
        const int tableDepth = xml.Depth();
        while (!xml.AtEnd()) {
            xml.Next();
            if (xml.IsEnd() && xml.Depth() < tableDepth)
                break;
            if (!xml.IsStart())
                continue;
            if (xml.Name() != u"table-row") {
                if (xml.Name() == u"table-columns" || xml.Name() == u"table-column" || xml.Name() == u"shapes"
                    || xml.Name() == u"named-expressions")
                    xml.Skip();
                continue;
            }
            const qint64 rowRepeat = repeatCount(xml.Attributes(), QLatin1String("table:number-rows-repeated"));
            const int rowDepth = xml.Depth();
            SourceTable rowTable; // one row, copied rowRepeat times when it holds something
            SheetBuilder rowBuilder(rowTable);
            rowBuilder.StartRow(1);
            while (!xml.AtEnd()) {
                xml.Next();
                if (xml.IsEnd() && xml.Depth() < rowDepth)
                    break;
                if (!xml.IsStart())
                    continue;
                if (xml.Name() != u"table-cell" && xml.Name() != u"covered-table-cell") {
                    xml.Skip();
                    continue;
                }
                const QXmlStreamAttributes attributes = xml.Attributes();
                const qint64 repeat = repeatCount(attributes, QLatin1String("table:number-columns-repeated"));
                const QString type = attributes.value(QLatin1String("office:value-type")).toString();
                bool tooLong = false;
                const QString shown = odsCellText(xml, tooLong);
                QString text = shown;
                if (tooLong) {
                    text = tooLongText();
                } else if (type == u"float" || type == u"percentage" || type == u"currency") {
                    bool ok = false;
                    const double value = attributes.value(QLatin1String("office:value")).toDouble(&ok);
                    // The shown text keeps the decimals typed; the value is exact when the two differ.
                    const std::optional<double> shownValue = ParseNumber(shown);
                    if (ok && type == u"float" && !(shownValue && *shownValue == value))
                        text = RoundTripText(value);
                    else if (ok && type == u"float")
                        text = NormaliseDecimalComma(TrimBlanks(shown).toString());
                } else if (type == u"date") {
                    text = odsDate(attributes.value(QLatin1String("office:date-value")).toString());
                }
                if (text.isEmpty()) {
                    rowBuilder.SkipColumns(repeat);
                    continue;
                }
                if (rowBuilder.NextColumn() + repeat > MaxColumns)
                    return columnText(
                        int(std::min<qint64>(line + 1, MaxRows + 1)), rowBuilder.NextColumn() + repeat - 1);
                for (qint64 i = 0; i < repeat; ++i) {
                    if (const QString error = rowBuilder.Cell(rowBuilder.NextColumn(), text); !error.isEmpty())
                        return error;
                }
            }
            const int cells = rowTable.CellCount(0);
            bool blank = true;
            for (int c = 0; c < cells && blank; ++c)
                blank = TrimBlanks(rowTable.Cell(0, c)).isEmpty();
            if (blank) {
                line = std::min<qint64>(line + rowRepeat, qint64(MaxRows) * 4);
                continue;
            }
            if (line + rowRepeat > MaxRows)
                return rowNumberText(line + rowRepeat);
            qint64 chars = 0;
            for (int c = 0; c < cells; ++c)
                chars += rowTable.Cell(0, c).size();
            if (!builder.Fits(qint64(cells) * rowRepeat, chars * rowRepeat))
                return tooManyCellsText();
            // A long run is made at once, without the vectors' doubling on the way; shorter runs
            // leave the growth as it is, so it stays geometric.
            if (qint64(cells) * rowRepeat > builder.Cells())
                table.Reserve(size_t(table.RowCount() + rowRepeat), size_t(builder.Cells() + cells * rowRepeat),
                    size_t(builder.Chars() + chars * rowRepeat));
            for (qint64 r = 0; r < rowRepeat; ++r) {
                if (const QString error = builder.StartRow(++line); !error.isEmpty())
                    return error;
                for (int c = 0; c < cells; ++c) {
                    if (const QString error = builder.Cell(c, rowTable.Cell(0, c)); !error.isEmpty())
                        return error;
                }
                builder.FinishRow();
            }
        }
        break;
    }
    if (const QString error = xml.Error(); !error.isEmpty())
        return error;
    if (tableIndex < index)
        return damagedText();
    return {};
}

} // namespace

WorkbookKind DetectWorkbook(QIODevice& file)
{
    const ZipArchive zip(file);
    if (!zip.IsOpen())
        return WorkbookKind::None;
    if (zip.HasEntry(QStringLiteral("xl/workbook.xml")))
        return WorkbookKind::Xlsx;
    if (zip.HasEntry(QStringLiteral("content.xml")))
        return WorkbookKind::Ods;
    return WorkbookKind::None;
}

WorkbookKind DetectWorkbook(const QString& fileName)
{
    QFile file(fileName);
    file.open(QIODevice::ReadOnly); // one that cannot be opened is no workbook
    return DetectWorkbook(file);
}

WorkbookSheets ReadWorkbookSheetNames(QIODevice& file)
{
    WorkbookSheets result;
    const ZipArchive zip(file);
    if (!zip.IsOpen()) {
        result.Error = damagedText();
        return result;
    }
    if (zip.HasEntry(QStringLiteral("xl/workbook.xml"))) {
        XlsxWorkbook book;
        result.Error = readXlsxWorkbook(zip, book);
        result.Names = book.Names;
    } else {
        result.Error = readOdsNames(zip, result.Names);
    }
    if (!result.Error.isEmpty())
        result.Names.clear();
    return result;
}

WorkbookSheets ReadWorkbookSheetNames(const QString& fileName)
{
    QFile file(fileName);
    file.open(QIODevice::ReadOnly);
    return ReadWorkbookSheetNames(file);
}

WorkbookSheet ReadWorkbookSheet(QIODevice& file, int sheetIndex)
{
    WorkbookSheet result;
    const ZipArchive zip(file);
    if (!zip.IsOpen()) {
        result.Error = damagedText();
        return result;
    }
    if (zip.HasEntry(QStringLiteral("xl/workbook.xml"))) {
        XlsxWorkbook book;
        const QString error = readXlsxWorkbook(zip, book);
        if (!error.isEmpty() || sheetIndex < 0 || sheetIndex >= book.Names.size()) {
            result.Error = !error.isEmpty() ? error
                : sheetIndex < 0            ? damagedText()
                                            : QStringLiteral("У книзі немає такого аркуша.");
            return result;
        }
        result.Error = readXlsxSheet(zip, book, sheetIndex, result.Table);
    } else if (zip.HasEntry(QStringLiteral("content.xml"))) {
        if (sheetIndex < 0) {
            result.Error = damagedText();
            return result;
        }
        result.Error = readOdsSheet(zip, sheetIndex, result.Table);
    } else {
        result.Error = damagedText();
    }
    if (!result.Error.isEmpty())
        result.Table = SourceTable();
    return result;
}

WorkbookSheet ReadWorkbookSheet(const QString& fileName, int sheetIndex)
{
    QFile file(fileName);
    file.open(QIODevice::ReadOnly);
    return ReadWorkbookSheet(file, sheetIndex);
}

int FindSheet(const QStringList& names, const QString& nameOrNumber)
{
    const qsizetype byName = names.indexOf(nameOrNumber);
    if (byName >= 0)
        return int(byName);
    bool ok = false;
    const int number = nameOrNumber.toInt(&ok);
    if (ok && number >= 1 && number <= names.size())
        return number - 1;
    return -1;
}
