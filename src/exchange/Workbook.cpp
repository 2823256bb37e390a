#include "exchange/Workbook.h"

#include "document/Numbers.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QXmlStreamReader>
#include <minizip/unzip.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// A sheet may claim a million rows of a thousand columns; a file that would make more cells
// than this is refused instead of exhausting memory.
constexpr qint64 MaxCells = 20'000'000;
// Shared strings and styles are read whole; a part this large is not a real workbook's.
constexpr qint64 MaxWholePart = 512ll * 1024 * 1024;

QString tooLargeText()
{
    return QStringLiteral("Аркуш завеликий для імпорту.");
}
QString damagedText()
{
    return QStringLiteral("Файл пошкоджений або не є книгою XLSX чи ODS.");
}

// A zip archive, read with the system minizip (the one libxlsxwriter writes with).
class ZipArchive {
public:
    explicit ZipArchive(const QString& fileName)
        : m_zip(unzOpen64(QFile::encodeName(fileName).constData()))
    {
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
    unzFile m_zip;
};

// One entry of the archive as a stream, so the XML reader never holds a whole part. One entry of
// an archive is open at a time.
class ZipPart final : public QIODevice {
public:
    ZipPart(const ZipArchive& zip, const QString& name)
        : m_zip(zip.Handle())
    {
        if (!zip.HasEntry(name))
            return;
        unz_file_info64 info {};
        if (unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK
            || unzOpenCurrentFile(m_zip) != UNZ_OK)
            return;
        m_size = qint64(info.uncompressed_size);
        m_entryOpen = true;
        QIODevice::open(QIODevice::ReadOnly);
    }
    ~ZipPart() override
    {
        if (m_entryOpen)
            unzCloseCurrentFile(m_zip);
    }
    bool IsOpen() const { return m_entryOpen; }
    QIODevice* Device() { return this; }
    qint64 Size() const { return m_size; } // as the archive states it
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const int chunk = int(std::min<qint64>(maxSize, 1 << 20));
        const int read = unzReadCurrentFile(m_zip, data, unsigned(chunk));
        return read < 0 ? -1 : read;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    unzFile m_zip;
    bool m_entryOpen = false;
    qint64 m_size = 0;
};

// Target of a workbook relationship, as a path inside the archive.
QString partPath(const QString& base, const QString& target)
{
    if (target.startsWith(u'/'))
        return target.mid(1);
    QString path = base + target;
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

// "C12" -> column 2 (from 0); -1 when the reference has no letters.
int referenceColumn(QStringView reference)
{
    int column = 0;
    qsizetype i = 0;
    for (; i < reference.size() && reference[i].isLetter(); ++i) {
        column = column * 26 + (reference[i].toUpper().unicode() - u'A' + 1);
        if (column > 16384)
            return -1;
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

// Rows as they come, with gaps of empty cells filled and the cell budget watched.
class SheetBuilder {
public:
    explicit SheetBuilder(SourceTable& table)
        : m_table(table)
    {
    }
    void StartRow(int line)
    {
        m_table.StartRow(line);
        m_column = 0;
    }
    bool Cell(int column, QStringView text)
    {
        if (column < m_column)
            column = m_column; // out of order: keep it after what is there
        if (text.isEmpty()) {
            m_column = column + 1;
            return true;
        }
        m_cells += column - m_table.CellCount(m_table.RowCount() - 1) + 1;
        if (m_cells > MaxCells)
            return false;
        while (m_table.CellCount(m_table.RowCount() - 1) < column)
            m_table.AddCell({});
        m_table.AddCell(text);
        m_column = column + 1;
        return true;
    }
    int NextColumn() const { return m_column; }
    void SkipColumns(qint64 count) { m_column = int(std::min<qint64>(m_column + count, 1'000'000)); }
    void FinishRow() { m_table.FinishRow(); }

private:
    SourceTable& m_table;
    int m_column = 0;
    qint64 m_cells = 0;
};

// ---- XLSX ----

struct XlsxWorkbook {
    QStringList Names;
    QStringList Parts;
    bool Date1904 = false;
};

bool readXlsxWorkbook(const ZipArchive& zip, XlsxWorkbook& book)
{
    QHash<QString, QString> targets;
    {
        ZipPart rels(zip, QStringLiteral("xl/_rels/workbook.xml.rels"));
        if (rels.IsOpen()) {
            QXmlStreamReader xml(rels.Device());
            while (!xml.atEnd()) {
                xml.readNext();
                if (xml.isStartElement() && xml.name() == u"Relationship")
                    targets.insert(xml.attributes().value(QLatin1String("Id")).toString(),
                        partPath(QStringLiteral("xl/"), xml.attributes().value(QLatin1String("Target")).toString()));
            }
        }
    }
    ZipPart workbook(zip, QStringLiteral("xl/workbook.xml"));
    if (!workbook.IsOpen())
        return false;
    QXmlStreamReader xml(workbook.Device());
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"workbookPr") {
            const QStringView date1904 = xml.attributes().value(QLatin1String("date1904"));
            book.Date1904 = date1904 == u"1" || date1904 == u"true";
        } else if (xml.name() == u"sheet") {
            QString id;
            for (const QXmlStreamAttribute& attribute : xml.attributes()) {
                if (attribute.name() == u"id")
                    id = attribute.value().toString();
            }
            book.Names.append(xml.attributes().value(QLatin1String("name")).toString());
            book.Parts.append(targets.value(id, QStringLiteral("xl/worksheets/sheet%1.xml").arg(book.Names.size())));
        }
    }
    return !xml.hasError() && !book.Names.isEmpty();
}

// The text of an <si> or <is> element: its <t> runs, phonetic runs left out.
QString inlineText(QXmlStreamReader& xml)
{
    QString text;
    const QString element = xml.name().toString();
    int phonetic = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == u"rPh")
                ++phonetic;
            else if (xml.name() == u"t" && phonetic == 0)
                text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (xml.isEndElement()) {
            if (xml.name() == u"rPh")
                --phonetic;
            else if (xml.name() == element)
                break;
        }
    }
    return text;
}

bool readSharedStrings(const ZipArchive& zip, QStringList& strings)
{
    ZipPart part(zip, QStringLiteral("xl/sharedStrings.xml"));
    if (!part.IsOpen())
        return true; // a workbook of numbers only has none
    if (part.Size() > MaxWholePart)
        return false;
    QXmlStreamReader xml(part.Device());
    qint64 chars = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"si") {
            strings.append(inlineText(xml));
            chars += strings.back().size() + 8;
            if (chars > MaxWholePart / 2)
                return false;
        }
    }
    return !xml.hasError();
}

struct CellStyle {
    bool Date = false;
    int Decimals = -1;
};

void readStyles(const ZipArchive& zip, std::vector<CellStyle>& styles)
{
    ZipPart part(zip, QStringLiteral("xl/styles.xml"));
    if (!part.IsOpen() || part.Size() > MaxWholePart)
        return;
    QHash<int, QString> formats;
    QXmlStreamReader xml(part.Device());
    bool inCellXfs = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == u"numFmt") {
                formats.insert(xml.attributes().value(QLatin1String("numFmtId")).toInt(),
                    xml.attributes().value(QLatin1String("formatCode")).toString());
            } else if (xml.name() == u"cellXfs") {
                inCellXfs = true;
            } else if (inCellXfs && xml.name() == u"xf") {
                const int id = xml.attributes().value(QLatin1String("numFmtId")).toInt();
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
        } else if (xml.isEndElement() && xml.name() == u"cellXfs") {
            inCellXfs = false;
        }
    }
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

QString readXlsxSheet(const ZipArchive& zip, const XlsxWorkbook& book, int index, SourceTable& table)
{
    QStringList shared;
    if (!readSharedStrings(zip, shared))
        return damagedText();
    std::vector<CellStyle> styles;
    readStyles(zip, styles);
    ZipPart part(zip, book.Parts[index]);
    if (!part.IsOpen())
        return damagedText();
    QXmlStreamReader xml(part.Device());
    SheetBuilder builder(table);
    int line = 0;
    bool inRow = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == u"row" && inRow) {
            builder.FinishRow();
            inRow = false;
            continue;
        }
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"row") {
            const int number = xml.attributes().value(QLatin1String("r")).toInt();
            line = number > 0 ? number : line + 1;
            builder.StartRow(line);
            inRow = true;
        } else if (xml.name() == u"c" && inRow) {
            const QXmlStreamAttributes attributes = xml.attributes();
            const QString type = attributes.value(QLatin1String("t")).toString();
            const int style = attributes.value(QLatin1String("s")).toInt();
            int column = referenceColumn(attributes.value(QLatin1String("r")));
            if (column < 0)
                column = builder.NextColumn();
            QString value;
            bool haveValue = false;
            while (!xml.atEnd()) {
                xml.readNext();
                if (xml.isEndElement() && xml.name() == u"c")
                    break;
                if (!xml.isStartElement())
                    continue;
                if (xml.name() == u"v") {
                    value = xml.readElementText();
                    haveValue = true;
                } else if (xml.name() == u"is") {
                    value = inlineText(xml);
                    haveValue = true;
                } else if (xml.name() != u"f") {
                    xml.skipCurrentElement();
                } else {
                    xml.skipCurrentElement();
                }
            }
            if (!haveValue)
                continue;
            QString text;
            if (type == u"s") {
                bool ok = false;
                const int i = value.toInt(&ok);
                text = ok && i >= 0 && i < shared.size() ? shared[i] : QString();
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
            if (!builder.Cell(column, text))
                return tooLargeText();
        }
    }
    if (inRow)
        builder.FinishRow();
    if (xml.hasError())
        return damagedText();
    return {};
}

// ---- ODS ----

bool readOdsNames(const ZipArchive& zip, QStringList& names)
{
    ZipPart part(zip, QStringLiteral("content.xml"));
    if (!part.IsOpen())
        return false;
    QXmlStreamReader xml(part.Device());
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"table" && xml.prefix() == u"table") {
            names.append(xml.attributes().value(QLatin1String("table:name")).toString());
            xml.skipCurrentElement();
        }
    }
    return !xml.hasError() && !names.isEmpty();
}

// The shown text of a cell: its paragraphs joined by line breaks, with text:s, text:tab and
// text:line-break put back.
QString odsCellText(QXmlStreamReader& xml)
{
    QString text;
    int paragraphs = 0;
    int depth = 1;
    while (!xml.atEnd() && depth > 0) {
        xml.readNext();
        if (xml.isStartElement()) {
            ++depth;
            const QStringView name = xml.name();
            if (name == u"p") {
                if (paragraphs++ > 0)
                    text += u'\n';
            } else if (name == u"s") {
                const int count = std::clamp(xml.attributes().value(QLatin1String("text:c")).toInt(), 1, 1000);
                text += QString(count, u' ');
            } else if (name == u"tab") {
                text += u'\t';
            } else if (name == u"line-break") {
                text += u'\n';
            } else if (name == u"annotation") {
                xml.skipCurrentElement();
                --depth;
            }
        } else if (xml.isEndElement()) {
            --depth;
        } else if (xml.isCharacters()) {
            text += xml.text();
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

QString readOdsSheet(const ZipArchive& zip, int index, SourceTable& table)
{
    ZipPart part(zip, QStringLiteral("content.xml"));
    if (!part.IsOpen())
        return damagedText();
    QXmlStreamReader xml(part.Device());
    SheetBuilder builder(table);
    int tableIndex = -1;
    int line = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != u"table" || xml.prefix() != u"table")
            continue;
        if (++tableIndex != index) {
            xml.skipCurrentElement();
            continue;
        }
        // Inside the chosen table: rows, possibly within header-rows or row-group elements.
        int depth = 1;
        while (!xml.atEnd() && depth > 0) {
            xml.readNext();
            if (xml.isEndElement()) {
                --depth;
                continue;
            }
            if (!xml.isStartElement())
                continue;
            if (xml.name() != u"table-row") {
                if (xml.name() == u"table-columns" || xml.name() == u"table-column" || xml.name() == u"shapes"
                    || xml.name() == u"named-expressions")
                    xml.skipCurrentElement();
                else
                    ++depth;
                continue;
            }
            const qint64 rowRepeat
                = std::max<qint64>(1, xml.attributes().value(QLatin1String("table:number-rows-repeated")).toLongLong());
            SourceTable rowTable; // one row, copied rowRepeat times when it holds something
            SheetBuilder rowBuilder(rowTable);
            rowBuilder.StartRow(0);
            while (!xml.atEnd()) {
                xml.readNext();
                if (xml.isEndElement() && xml.name() == u"table-row")
                    break;
                if (!xml.isStartElement())
                    continue;
                if (xml.name() != u"table-cell" && xml.name() != u"covered-table-cell") {
                    xml.skipCurrentElement();
                    continue;
                }
                const QXmlStreamAttributes attributes = xml.attributes();
                const qint64 repeat = std::max<qint64>(
                    1, attributes.value(QLatin1String("table:number-columns-repeated")).toLongLong());
                const QString type = attributes.value(QLatin1String("office:value-type")).toString();
                const QString shown = odsCellText(xml);
                QString text = shown;
                if (type == u"float" || type == u"percentage" || type == u"currency") {
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
                for (qint64 i = 0; i < std::min<qint64>(repeat, 16384); ++i) {
                    if (!rowBuilder.Cell(rowBuilder.NextColumn(), text))
                        return tooLargeText();
                }
            }
            const int cells = rowTable.CellCount(0);
            bool blank = true;
            for (int c = 0; c < cells && blank; ++c)
                blank = TrimBlanks(rowTable.Cell(0, c)).isEmpty();
            if (blank) {
                line = int(std::min<qint64>(line + rowRepeat, 1'100'000));
                continue;
            }
            for (qint64 r = 0; r < rowRepeat; ++r) {
                builder.StartRow(++line);
                for (int c = 0; c < cells; ++c) {
                    if (!builder.Cell(c, rowTable.Cell(0, c)))
                        return tooLargeText();
                }
                builder.FinishRow();
                if (line > 1'100'000)
                    return tooLargeText();
            }
        }
        break;
    }
    if (xml.hasError())
        return damagedText();
    if (tableIndex < index)
        return damagedText();
    return {};
}

bool hasEntry(const ZipArchive& zip, const QString& name)
{
    return zip.HasEntry(name);
}

} // namespace

WorkbookKind DetectWorkbook(const QString& fileName)
{
    const ZipArchive zip(fileName);
    if (!zip.IsOpen())
        return WorkbookKind::None;
    if (hasEntry(zip, QStringLiteral("xl/workbook.xml")))
        return WorkbookKind::Xlsx;
    if (hasEntry(zip, QStringLiteral("content.xml")))
        return WorkbookKind::Ods;
    return WorkbookKind::None;
}

WorkbookSheets ReadWorkbookSheetNames(const QString& fileName)
{
    WorkbookSheets result;
    const ZipArchive zip(fileName);
    if (!zip.IsOpen()) {
        result.Error = damagedText();
        return result;
    }
    bool ok = false;
    if (hasEntry(zip, QStringLiteral("xl/workbook.xml"))) {
        XlsxWorkbook book;
        ok = readXlsxWorkbook(zip, book);
        result.Names = book.Names;
    } else {
        ok = readOdsNames(zip, result.Names);
    }
    if (!ok)
        result.Error = damagedText();
    return result;
}

WorkbookSheet ReadWorkbookSheet(const QString& fileName, int sheetIndex)
{
    WorkbookSheet result;
    const ZipArchive zip(fileName);
    if (!zip.IsOpen()) {
        result.Error = damagedText();
        return result;
    }
    if (hasEntry(zip, QStringLiteral("xl/workbook.xml"))) {
        XlsxWorkbook book;
        if (!readXlsxWorkbook(zip, book) || sheetIndex < 0 || sheetIndex >= book.Names.size()) {
            result.Error = sheetIndex < 0 || book.Names.isEmpty() ? damagedText()
                                                                  : QStringLiteral("У книзі немає такого аркуша.");
            return result;
        }
        result.Error = readXlsxSheet(zip, book, sheetIndex, result.Table);
    } else if (hasEntry(zip, QStringLiteral("content.xml"))) {
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
