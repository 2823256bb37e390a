#include "model/Numbers.h"

#include <QLocale>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
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

// Plain decimals, the usual cell: [sign] digits [separator digits], no exponent. When the digits
// make an integer below 2^53 and there are at most 22 decimals, m / 10^d is the correctly rounded
// value, as the general reader gives it: both operands are exact and the division rounds once.
// Nothing for any other shape, which the general reader then takes.
std::optional<double> plainDecimal(QStringView t, bool commaIsPoint)
{
    static constexpr double powers[] = { 1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14,
        1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22 };
    constexpr uint64_t exactLimit = uint64_t(1) << 53;
    qsizetype i = 0;
    const qsizetype n = t.size();
    const bool negative = n > 0 && t[0] == u'-';
    if (n > 0 && (t[0] == u'-' || t[0] == u'+'))
        ++i;
    uint64_t mantissa = 0;
    int digits = 0;
    int decimals = -1; // -1 until the separator
    for (; i < n; ++i) {
        const char16_t c = t[i].unicode();
        if (c >= u'0' && c <= u'9') {
            if (++digits > 19)
                return std::nullopt;
            mantissa = mantissa * 10 + (c - u'0');
            if (decimals >= 0)
                ++decimals;
        } else if ((c == u'.' || (c == u',' && commaIsPoint)) && decimals < 0 && digits > 0) {
            decimals = 0;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0 || decimals == 0 || decimals > 22 || mantissa >= exactLimit)
        return std::nullopt;
    const double value = double(mantissa) / powers[std::max(decimals, 0)];
    return negative ? -value : value;
}

} // namespace

std::optional<double> ParseNumberReference(QStringView text, bool commaIsPoint)
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

namespace {

std::optional<double> parseStrict(QStringView text, bool commaIsPoint)
{
    if (const std::optional<double> value = plainDecimal(TrimBlanks(text), commaIsPoint))
        return value;
    return ParseNumberReference(text, commaIsPoint);
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
