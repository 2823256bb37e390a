#include "model/FixedFormatter.h"

#include "model/Numbers.h"

#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>

FixedFormatter::FixedFormatter(int decimals)
    : m_decimals(std::clamp(decimals, 0, 18))
    , m_point(QLocale().decimalPoint().at(0))
    , m_scale(std::pow(10.0, m_decimals))
{
    // |v| < 10^(14 - d) has at most 15 - d digits before the point even after rounding, so d
    // decimals never exceed 15 significant digits.
    m_onePassLimit = m_decimals <= 14 ? std::pow(10.0, 14 - m_decimals) : 0.0;
}

QString FixedFormatter::operator()(double value) const
{
    if (!(std::fabs(value) < m_onePassLimit))
        return FormatFixed(value, m_decimals);

    // Most cells: |v| * 10^d below 2^32 is within 2^-22 of the exact product, so unless it lies
    // within 1e-6 of a half it rounds the same way the exact value does.
    const double scaled = std::fabs(value) * m_scale;
    if (scaled < 4294967296.0) {
        const double whole = std::floor(scaled);
        const double fraction = scaled - whole;
        if (std::fabs(fraction - 0.5) > 1e-6) {
            const uint64_t rounded = uint64_t(whole) + (fraction > 0.5 ? 1 : 0);
            return fromDigits(rounded, value < 0 && rounded != 0); // a value that rounds to zero shows no sign
        }
    }

    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, m_decimals);
    if (result.ec != std::errc())
        return FormatFixed(value, m_decimals);
    const char* begin = buffer;
    const char* end = result.ptr;
    if (*begin == '-' && std::all_of(begin + 1, end, [](char c) { return c == '0' || c == '.'; }))
        ++begin;
    QString text(end - begin, Qt::Uninitialized);
    QChar* out = text.data();
    for (const char* p = begin; p < end; ++p)
        *out++ = *p == '.' ? m_point : QChar(QLatin1Char(*p));
    return text;
}

QString FixedFormatter::fromDigits(uint64_t scaled, bool negative) const
{
    // The digits of the scaled integer, at least one before the point, the point before the last d.
    char digits[32];
    int count = 0;
    do {
        digits[count++] = char('0' + scaled % 10);
        scaled /= 10;
    } while (scaled > 0 || count <= m_decimals);
    QString text(qsizetype(count + (negative ? 1 : 0) + (m_decimals > 0 ? 1 : 0)), Qt::Uninitialized);
    QChar* out = text.data();
    if (negative)
        *out++ = QLatin1Char('-');
    for (int i = count - 1; i >= 0; --i) {
        *out++ = QLatin1Char(digits[i]);
        if (i == m_decimals && m_decimals > 0)
            *out++ = m_point;
    }
    return text;
}
