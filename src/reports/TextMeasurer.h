#pragma once

#include <QFont>
#include <QImage>
#include <QString>
#include <QStringList>
#include <unordered_map>
#include <vector>

class QFontMetricsF;

namespace rpt {

struct MeasuredText {
    QStringList lines; // wrapped as they will print
    double lineHeightMm = 0;
    double heightMm = 0; // all lines, rounded up to 0.1 mm, padding not included
    double widthMm = 0; // the widest line
};

// Measures and wraps text on a 1200 DPI reference, the resolution of the PDF, so that what fits
// when laid out also fits when printed. Not thread-safe; one per layout.
class TextMeasurer {
public:
    TextMeasurer();

    // Breaks text at its line breaks and, when wrap is set, between words (inside a word too when
    // one word is wider than widthMm).
    MeasuredText measure(const QString& text, const QFont& font, double widthMm, bool wrap) const;
    double textWidthMm(const QString& text, const QFont& font) const; // one line, unwrapped
    double lineHeightMm(const QFont& font) const;

    // The font a template names, resolved with the given size and style.
    static QFont makeFont(const QString& family, double sizePt, bool bold, bool italic, bool underline);

private:
    // Report tables repeat their texts page after page: each is shaped once per font, and each
    // text wrapped once per font and width.
    struct StyleCache {
        QFont font;
        std::unordered_map<QString, double> widths;
        std::unordered_map<QString, MeasuredText> wrapped; // keyed by width and text
    };
    StyleCache& cacheOf(const QFont& font) const;
    double advance(const QFontMetricsF& metrics, StyleCache& cache, const QString& text) const;
    MeasuredText measureWrapped(const QString& text, const QFont& font, double widthMm, bool wrap) const;

    QImage m_reference;
    mutable std::vector<StyleCache> m_caches;
};

} // namespace rpt
