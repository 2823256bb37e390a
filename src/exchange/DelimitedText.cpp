#include "exchange/DelimitedText.h"

#include "model/Numbers.h"

#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <map>

namespace {

// Delimiter and decimal detection look at the beginning of the file only.
constexpr qsizetype DetectionChars = 64 * 1024;
constexpr int DetectionRows = 200;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Digits, one separator, digits, with an optional sign: the shape of a decimal number.
bool decimalShape(QStringView text, QChar separator)
{
    text = TrimBlanks(text);
    if (!text.isEmpty() && (text.front() == u'-' || text.front() == u'+'))
        text = text.mid(1);
    const qsizetype at = text.indexOf(separator);
    if (at <= 0 || at + 1 >= text.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i != at && !isDigit(text[i]))
            return false;
    }
    return true;
}

QStringView detectionPrefix(QStringView text)
{
    if (text.size() <= DetectionChars)
        return text;
    // Cut at a line break so no record is judged by half of it.
    const qsizetype cut = text.left(DetectionChars).lastIndexOf(u'\n');
    return text.left(cut > 0 ? cut : DetectionChars);
}

} // namespace

QString DecodeText(const QByteArray& bytes, std::optional<TextEncoding> forced, TextFormat& format)
{
    const bool utf8Mark = bytes.startsWith("\xEF\xBB\xBF");
    const bool utf16Mark = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
    TextEncoding encoding = TextEncoding::Utf8;
    if (forced)
        encoding = *forced;
    else if (utf16Mark)
        encoding = TextEncoding::Utf16;
    format.ByteOrderMark
        = (encoding == TextEncoding::Utf8 && utf8Mark) || (encoding == TextEncoding::Utf16 && utf16Mark);

    QString text;
    if (encoding == TextEncoding::Utf8) {
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        text = decoder(utf8Mark ? bytes.mid(3) : bytes);
        if (decoder.hasError() && !forced)
            encoding = TextEncoding::Windows1251;
    } else if (encoding == TextEncoding::Utf16) {
        QStringDecoder decoder(bytes.startsWith("\xFE\xFF") ? QStringConverter::Utf16BE : QStringConverter::Utf16LE,
            QStringConverter::Flag::Stateless);
        text = decoder(utf16Mark ? bytes.mid(2) : bytes);
    }
    if (encoding == TextEncoding::Windows1251) {
        QStringDecoder decoder("windows-1251");
        text = decoder(bytes);
        format.ByteOrderMark = false;
    }
    format.Encoding = encoding;
    return text;
}

SourceTable ParseDelimited(QStringView text, QChar delimiter, int maxRows, bool keepBlankRows)
{
    SourceTable table;
    if (maxRows < 0) {
        // One pass to size the table, so filling it never moves what is already there.
        size_t lines = 1;
        size_t separators = 0;
        for (const QChar c : text) {
            lines += c == u'\n';
            separators += c == delimiter;
        }
        table.Reserve(lines, lines + separators, size_t(text.size()));
    }
    const QChar* const begin = text.data();
    const QChar* const end = begin + text.size();
    const QChar* p = begin;
    int line = 1;
    QString quoted;
    while (p < end && (maxRows < 0 || table.RowCount() < maxRows)) {
        table.StartRow(line);
        // One record: fields up to a line break outside quotes, or the end.
        for (;;) {
            if (p < end && *p == u'"') {
                quoted.clear();
                const int openedAt = line;
                ++p;
                bool closed = false;
                while (p < end) {
                    const QChar* run = p;
                    while (p < end && *p != u'"' && *p != u'\n' && *p != u'\r')
                        ++p;
                    quoted.append(run, p - run);
                    if (p == end)
                        break;
                    if (p < end && *p == u'"') {
                        if (p + 1 < end && p[1] == u'"') {
                            quoted.append(u'"');
                            p += 2;
                            continue;
                        }
                        ++p;
                        closed = true;
                        break;
                    }
                    // A line break inside the quotes belongs to the field.
                    if (*p == u'\r' && p + 1 < end && p[1] == u'\n') {
                        quoted.append(u"\r\n");
                        p += 2;
                    } else {
                        quoted.append(*p++);
                    }
                    ++line;
                }
                if (!closed && table.UnclosedQuoteLine == 0)
                    table.UnclosedQuoteLine = openedAt;
                // Text between the closing quote and the separator is kept, as spreadsheets do.
                const QChar* rest = p;
                while (p < end && *p != delimiter && *p != u'\n' && *p != u'\r')
                    ++p;
                quoted.append(rest, p - rest);
                table.AddCell(quoted);
            } else {
                const QChar* field = p;
                while (p < end && *p != delimiter && *p != u'\n' && *p != u'\r')
                    ++p;
                table.AddCell(QStringView(field, p - field));
            }
            if (p < end && *p == delimiter) {
                ++p;
                continue;
            }
            break;
        }
        table.FinishRow(keepBlankRows);
        if (p < end) {
            if (*p == u'\r' && p + 1 < end && p[1] == u'\n')
                ++p;
            ++p;
            ++line;
        }
    }
    return table;
}

QChar DetectDelimiter(QStringView text)
{
    const QStringView prefix = detectionPrefix(text);
    for (const QChar candidate : { QChar(u'\t'), QChar(u';'), QChar(u',') }) {
        if (!prefix.contains(candidate))
            continue;
        const SourceTable table = ParseDelimited(prefix, candidate, DetectionRows);
        if (table.RowCount() == 0)
            continue;
        std::map<int, int> counts; // fields -> rows
        for (int row = 0; row < table.RowCount(); ++row)
            ++counts[table.CellCount(row)];
        const auto modal
            = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; });
        // Most rows alike; a title line or a ragged last row may differ.
        if (modal->first < 2 || modal->second * 5 < table.RowCount() * 4)
            continue;
        if (candidate == u',') {
            // "5,86" alone on every line that has a comma is a column of decimal-comma numbers.
            bool allDecimalCommas = true;
            for (int row = 0; row < table.RowCount() && allDecimalCommas; ++row) {
                if (table.CellCount(row) < 2)
                    continue;
                QString whole = table.Cell(row, 0).toString();
                for (int c = 1; c < table.CellCount(row); ++c)
                    whole += u',' + table.Cell(row, c).toString();
                allDecimalCommas = decimalShape(whole, u',');
            }
            if (allDecimalCommas)
                continue;
        }
        return candidate;
    }
    return u';';
}

DecimalSeparator DetectDecimalSeparator(const SourceTable& table, QChar delimiter)
{
    if (delimiter == u',')
        return DecimalSeparator::Point;
    int commas = 0;
    int points = 0;
    const int rows = std::min(table.RowCount(), 1000);
    for (int row = 0; row < rows; ++row) {
        for (int c = 0; c < table.CellCount(row); ++c) {
            const QStringView cell = table.Cell(row, c);
            commas += decimalShape(cell, u',');
            points += decimalShape(cell, u'.');
        }
    }
    return commas > points ? DecimalSeparator::Comma : DecimalSeparator::Point;
}

SourceTable ReadDelimitedText(const QByteArray& bytes, const TextFormatChoice& choice, TextFormat& used, int maxRows)
{
    const QString text = DecodeText(bytes, choice.Encoding, used);
    used.Delimiter = choice.Delimiter ? *choice.Delimiter : DetectDelimiter(text);
    SourceTable table = ParseDelimited(text, used.Delimiter, maxRows);
    used.Decimal = choice.Decimal ? *choice.Decimal : DetectDecimalSeparator(table, used.Delimiter);
    return table;
}

void AppendDelimitedField(QString& out, QStringView text, bool quote)
{
    if (!quote) {
        out += text;
        return;
    }
    out += u'"';
    for (const QChar c : text) {
        if (c == u'"')
            out += u'"';
        out += c;
    }
    out += u'"';
}

QString DelimiterName(QChar delimiter)
{
    if (delimiter == u';')
        return QStringLiteral("крапка з комою");
    if (delimiter == u',')
        return QStringLiteral("кома");
    if (delimiter == u'\t')
        return QStringLiteral("табуляція");
    return QString(delimiter);
}

QString EncodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
        return QStringLiteral("UTF-8");
    case TextEncoding::Windows1251:
        return QStringLiteral("Windows-1251");
    case TextEncoding::Utf16:
        return QStringLiteral("UTF-16");
    }
    return {};
}
