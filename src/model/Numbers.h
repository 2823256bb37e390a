#pragma once

#include <QString>
#include <QStringView>
#include <optional>

// Trims the characters up to U+0020 at both ends, as every number rule of the program does.
QStringView TrimBlanks(QStringView text);

// Every "," becomes ".".
QString NormaliseDecimalComma(QString text);

// Strict cell conversion: blanks trimmed, "," read as ".", then an optional sign, digits with at
// most one ".", and an optional exponent; nothing else. Empty text, "inf", "nan", hex and a
// value that overflows to infinity are not numbers.
std::optional<double> ParseNumber(QStringView text);

// The same rule without the comma replacement (the legacy file layout reads reals so).
std::optional<double> ParseNumberNoComma(QStringView text);

// The general reader both take every text to that is not a plain decimal; the reference a test
// holds their fast way for plain decimals to.
std::optional<double> ParseNumberReference(QStringView text, bool commaIsPoint);

// Number of decimals a cell text carries: empty text counts 1; otherwise the characters after
// the first "," or "." (none: 0).
int DecimalsOf(QStringView text);

// Fixed notation with `decimals` decimals and at most 15 significant digits, in the user's
// decimal separator. Values of 1e15 and more fall back to exponent form.
QString FormatFixed(double value, int decimals);

// The shortest text that reads back to the same double ("." separator); for files and JSON.
QString RoundTripText(double value);
