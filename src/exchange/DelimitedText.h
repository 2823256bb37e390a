#pragma once

#include "model/SourceTable.h"

#include <QByteArray>
#include <QChar>
#include <QString>
#include <optional>

enum class TextEncoding { Utf8, Windows1251, Utf16 };
enum class DecimalSeparator { Point, Comma };

// How a CSV, TSV or text file is written: detected, then possibly overridden by the analyst.
struct TextFormat {
    TextEncoding Encoding = TextEncoding::Utf8;
    bool ByteOrderMark = false;
    QChar Delimiter = u';';
    DecimalSeparator Decimal = DecimalSeparator::Point;
};

// The analyst's overrides; what is left empty is detected.
struct TextFormatChoice {
    std::optional<TextEncoding> Encoding;
    std::optional<QChar> Delimiter;
    std::optional<DecimalSeparator> Decimal;
};

// A byte order mark decides; otherwise text that is valid UTF-8 is UTF-8 and anything else is
// Windows-1251. A forced encoding is used as given (a UTF-8 mark is still skipped).
QString DecodeText(const QByteArray& bytes, std::optional<TextEncoding> forced, TextFormat& format);

// Tab, ";" or "," (in that order of preference), whichever splits the first lines into the same
// number of fields, two or more; a column of decimal-comma numbers is not split at its commas.
// ";" when nothing splits the lines.
QChar DetectDelimiter(QStringView text);

// RFC 4180 fields: a field that starts with a quote runs to the closing quote, "" inside stands
// for one quote, and separators and line breaks inside are kept. Records end at CR LF, LF or CR.
// Blank records are skipped unless keepBlankRows; rows keep their first line number. At most
// maxRows rows (-1: all).
SourceTable ParseDelimited(QStringView text, QChar delimiter, int maxRows = -1, bool keepBlankRows = false);

// Comma when more cells read as numbers with a decimal comma than with a decimal point; never
// when the comma separates the fields.
DecimalSeparator DetectDecimalSeparator(const SourceTable& table, QChar delimiter);

// Decode, detect what the choice leaves open, and parse.
SourceTable ReadDelimitedText(
    const QByteArray& bytes, const TextFormatChoice& choice, TextFormat& used, int maxRows = -1);

// Appends text as one delimited field: as it stands, or in quotes with its quotes doubled.
void AppendDelimitedField(QString& out, QStringView text, bool quote);

QString DelimiterName(QChar delimiter); // "Крапка з комою", "Кома", "Табуляція" or the character
QString EncodingName(TextEncoding encoding);
