#include "paint/ChartNumbers.h"

#include "model/Numbers.h"
#include "paint/DrawingState.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

QString FormatExponent(double v, int significant, int exponentDigits)
{
    if (!std::isfinite(v))
        v = 0.0;
    significant = std::clamp(significant, 1, 17);
    exponentDigits = std::clamp(exponentDigits, 1, 4);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*E", significant - 1, v);
    char* e = std::strchr(buffer, 'E');
    if (e == nullptr)
        return QStringLiteral("0");
    const int exponent = std::atoi(e + 1);
    *e = '\0';
    char exponentText[16];
    std::snprintf(
        exponentText, sizeof exponentText, "E%c%0*d", exponent < 0 ? '-' : '+', exponentDigits, std::abs(exponent));
    QString text = QString::fromLatin1(buffer) + QLatin1String(exponentText);
    text.replace(QLatin1Char('.'), QLocale().decimalPoint().at(0));
    return text;
}

QString FormatChartNumber(double v, ChartNumberFormat::Kind kind, int digits, int decimals)
{
    if (kind == ChartNumberFormat::Exponent)
        return FormatExponent(v, digits, decimals);
    const QString text = FormatFixed(v, decimals);
    const qsizetype start = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    qsizetype integerDigits = 0;
    while (start + integerDigits < text.size() && text[start + integerDigits].isDigit())
        ++integerDigits;
    if (integerDigits > digits || text.contains(QLatin1Char('E')))
        return FormatExponent(v, digits, decimals);
    return text;
}

QString FormatValue(double v, int d)
{
    const ChartNumberFormat format = ChartDrawingState().NumberFormat;
    return FormatChartNumber(v, format.Format, format.Digits, d);
}

QString FormatAxisValue(double v, double next, int d)
{
    const ChartNumberFormat format = ChartDrawingState().NumberFormat;
    if (format.Format == ChartNumberFormat::Exponent)
        return FormatExponent(v, 3, 2);
    // Equal texts read back equal, so comparing the texts compares the numbers read back.
    const QString text = FormatChartNumber(v, format.Format, format.Digits, d);
    if (text != FormatChartNumber(next, format.Format, format.Digits, d))
        return text;
    return FormatChartNumber(v, format.Format, format.Digits, d + 1);
}
