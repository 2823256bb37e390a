#include "reports/TextMeasurer.h"

#include <QFontMetricsF>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace rpt {

namespace {
    constexpr double ReferenceDpi = 1200;
    constexpr double PixelsPerMm = ReferenceDpi / 25.4;

    double roundUpTenth(double mm)
    {
        return std::ceil(mm * 10 - 1e-6) / 10;
    }
}

TextMeasurer::TextMeasurer()
    : m_reference(1, 1, QImage::Format_RGB32)
{
    const int dotsPerMeter = int(std::lround(ReferenceDpi / 0.0254));
    m_reference.setDotsPerMeterX(dotsPerMeter);
    m_reference.setDotsPerMeterY(dotsPerMeter);
}

QFont TextMeasurer::makeFont(const QString& family, double sizePt, bool bold, bool italic, bool underline)
{
    QFont font(family);
    font.setPointSizeF(sizePt);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

TextMeasurer::StyleCache& TextMeasurer::cacheOf(const QFont& font) const
{
    auto style = std::find_if(m_caches.begin(), m_caches.end(), [&](const StyleCache& c) { return c.font == font; });
    if (style != m_caches.end())
        return *style;
    m_caches.push_back({ font, {}, {} });
    return m_caches.back();
}

double TextMeasurer::advance(const QFontMetricsF& metrics, StyleCache& cache, const QString& text) const
{
    if (const auto found = cache.widths.find(text); found != cache.widths.end())
        return found->second;
    if (cache.widths.size() >= 200000)
        cache.widths.clear();
    return cache.widths.emplace(text, metrics.horizontalAdvance(text)).first->second;
}

double TextMeasurer::textWidthMm(const QString& text, const QFont& font) const
{
    return advance(QFontMetricsF(font, &m_reference), cacheOf(font), text) / PixelsPerMm;
}

double TextMeasurer::lineHeightMm(const QFont& font) const
{
    return QFontMetricsF(font, &m_reference).lineSpacing() / PixelsPerMm;
}

MeasuredText TextMeasurer::measure(const QString& text, const QFont& font, double widthMm, bool wrap) const
{
    if (!wrap)
        return measureWrapped(text, font, widthMm, false);
    StyleCache& cache = cacheOf(font);
    const QString key = QString::number(widthMm, 'g', 17) + QLatin1Char('\n') + text;
    if (const auto found = cache.wrapped.find(key); found != cache.wrapped.end())
        return found->second;
    if (cache.wrapped.size() >= 50000)
        cache.wrapped.clear();
    return cache.wrapped.emplace(key, measureWrapped(text, font, widthMm, true)).first->second;
}

MeasuredText TextMeasurer::measureWrapped(const QString& text, const QFont& font, double widthMm, bool wrap) const
{
    StyleCache& cache = cacheOf(font);
    MeasuredText result;
    const QFontMetricsF metrics(font, &m_reference);
    result.lineHeightMm = metrics.lineSpacing() / PixelsPerMm;
    const double widthPx = std::max(widthMm, 0.0) * PixelsPerMm;

    const QStringList paragraphs = text.split(QLatin1Char('\n'));
    for (const QString& paragraph : paragraphs) {
        const double width = advance(metrics, cache, paragraph);
        if (!wrap || width <= widthPx || paragraph.isEmpty()) {
            result.lines.append(paragraph);
            result.widthMm = std::max(result.widthMm, width / PixelsPerMm);
            continue;
        }
        QTextLayout layout(paragraph, font, &m_reference);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (;;) {
            QTextLine line = layout.createLine();
            if (!line.isValid())
                break;
            line.setLineWidth(widthPx);
            QString piece = paragraph.mid(line.textStart(), line.textLength());
            while (piece.endsWith(QLatin1Char(' ')))
                piece.chop(1);
            result.lines.append(piece);
            result.widthMm = std::max(result.widthMm, metrics.horizontalAdvance(piece) / PixelsPerMm);
        }
        layout.endLayout();
    }
    result.heightMm = roundUpTenth(result.lineHeightMm * result.lines.size());
    return result;
}

} // namespace rpt
