#include "model/Numbers.h"

#include <QLocale>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

QStringView TrimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

QString NormaliseDecimalComma(QString text)
{
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    return text;
}

namespace {

std::optional<double> parseStrict(QStringView text, bool commaIsPoint)
{
    const QStringView t = TrimBlanks(text);
    // Longer texts are never valid numbers worth reading; bounding keeps the buffer on the stack.
    constexpr qsizetype maxLength = 400;
    if (t.isEmpty() || t.size() > maxLength)
        return std::nullopt;
    std::array<char, maxLength + 1> buffer;
    qsizetype i = 0;
    auto at = [&](qsizetype k) -> char {
        const char16_t c = t[k].unicode();
        if (c == u',' && commaIsPoint)
            return '.';
        return c < 0x80 ? char(c) : '\x7f';
    };
    for (qsizetype k = 0; k < t.size(); ++k)
        buffer[k] = at(k);
    const char* s = buffer.data();
    const qsizetype n = t.size();
    // Grammar check: [sign] digits [. digits] [e [sign] digits], with at least one mantissa digit.
    if (i < n && (s[i] == '+' || s[i] == '-'))
        ++i;
    const qsizetype mantissaStart = i;
    qsizetype digits = 0;
    while (i < n && s[i] >= '0' && s[i] <= '9') {
        ++i;
        ++digits;
    }
    if (i < n && s[i] == '.') {
        ++i;
        while (i < n && s[i] >= '0' && s[i] <= '9') {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < n && (s[i] == '+' || s[i] == '-'))
            ++i;
        qsizetype expDigits = 0;
        while (i < n && s[i] >= '0' && s[i] <= '9') {
            ++i;
            ++expDigits;
        }
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;
    // from_chars does not take a leading '+'.
    const char* first = s + mantissaStart;
    double value = 0.0;
    const auto result = std::from_chars(first, s + n, value, std::chars_format::general);
    if (result.ptr != s + n)
        return std::nullopt;
    if (result.ec == std::errc::result_out_of_range) {
        // Underflow reads as zero; overflow is not a number.
        bool nonZeroDigit = false;
        for (const char* p = first; p < s + n && *p != 'e' && *p != 'E'; ++p)
            nonZeroDigit = nonZeroDigit || (*p >= '1' && *p <= '9');
        const char* e = std::find_if(first, s + n, [](char c) { return c == 'e' || c == 'E'; });
        const bool negativeExponent = e + 1 < s + n && e[1] == '-';
        if (nonZeroDigit && !negativeExponent)
            return std::nullopt;
        value = 0.0;
    }
    if (!std::isfinite(value))
        return std::nullopt;
    return mantissaStart > 0 && s[0] == '-' ? -value : value;
}

} // namespace

std::optional<double> ParseNumber(QStringView text)
{
    return parseStrict(text, true);
}

std::optional<double> ParseNumberNoComma(QStringView text)
{
    return parseStrict(text, false);
}

int DecimalsOf(QStringView text)
{
    if (text.isEmpty())
        return 1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u',' || text[i] == u'.')
            return int(text.size() - i - 1);
    }
    return 0;
}

QString FormatFixed(double value, int decimals)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    decimals = std::clamp(decimals, 0, 18);
    const QChar point = QLocale().decimalPoint().at(0);
    if (std::fabs(value) >= 1e15) {
        QString text = QString::number(value, 'E', 14);
        text.replace(QLatin1Char('.'), point);
        return text;
    }
    char buffer[64];
    // 15 significant digits at the most: round once, at whichever position comes first.
    int significantDecimals = decimals;
    if (value != 0.0) {
        std::snprintf(buffer, sizeof buffer, "%.14e", value);
        const int exponent = std::atoi(std::strchr(buffer, 'e') + 1);
        significantDecimals = std::max(0, 14 - exponent);
    }
    QString text;
    if (decimals <= significantDecimals) {
        std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
        text = QString::fromLatin1(buffer);
    } else {
        // Round to 15 significant digits, then pad the remaining decimals with zeros.
        std::snprintf(buffer, sizeof buffer, "%.*f", significantDecimals, value);
        text = QString::fromLatin1(buffer);
        const qsizetype dot = text.indexOf(QLatin1Char('.'));
        const qsizetype have = dot < 0 ? 0 : text.size() - dot - 1;
        if (dot < 0 && decimals > 0)
            text += QLatin1Char('.');
        text += QString(decimals - have, QLatin1Char('0'));
    }
    // A value that rounds to zero shows no sign.
    if (text.startsWith(QLatin1Char('-'))) {
        bool allZero = true;
        for (qsizetype i = 1; i < text.size() && allZero; ++i)
            allZero = text[i] == u'0' || text[i] == u'.';
        if (allZero)
            text.remove(0, 1);
    }
    text.replace(QLatin1Char('.'), point);
    return text;
}

QString RoundTripText(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}
