#include "statistics/FixedFormatter.h"

#include "document/Numbers.h"

#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>

FixedFormatter::FixedFormatter(int decimals)
    : m_decimals(std::clamp(decimals, 0, 18))
    , m_point(QLocale().decimalPoint().at(0))
{
    // |v| < 10^(14 - d) has at most 15 - d digits before the point even after rounding, so d
    // decimals never exceed 15 significant digits.
    m_onePassLimit = m_decimals <= 14 ? std::pow(10.0, 14 - m_decimals) : 0.0;
}

QString FixedFormatter::operator()(double value) const
{
    if (!(std::fabs(value) < m_onePassLimit))
        return FormatFixed(value, m_decimals);
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, m_decimals);
    if (result.ec != std::errc())
        return FormatFixed(value, m_decimals);
    const char* begin = buffer;
    if (*begin == '-'
        && std::all_of(begin + 1, static_cast<const char*>(result.ptr), [](char c) { return c == '0' || c == '.'; }))
        ++begin; // a value that rounds to zero shows no sign
    QString text(result.ptr - begin, Qt::Uninitialized);
    QChar* out = text.data();
    for (const char* p = begin; p < result.ptr; ++p)
        *out++ = *p == '.' ? m_point : QChar(QLatin1Char(*p));
    return text;
}
