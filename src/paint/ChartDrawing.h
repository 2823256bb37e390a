#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QRectF>
#include <QRgb>
#include <QString>
#include <vector>

// A chart picture kept as the drawing surface's primitives rather than as pixels, for devices that
// draw vectors (PDF, printer): filled rectangles of whole virtual pixels and texts, in drawing
// order. Drawn without antialiasing at one device pixel per virtual pixel, the fills cover exactly
// the pixels the bitmap surface sets; texts stay texts.
class ChartDrawing {
public:
    struct Fill {
        QRect Rect;
        QRgb Color;
    };
    struct Label {
        QRect Box; // the white box behind the text, as measured on the 96 DPI bitmap
        int Baseline = 0;
        QString Text;
    };
    // One drawing step: a fill, or a text (index into Labels()).
    struct Op {
        enum Kind : unsigned char { FillOp, TextOp } Kind;
        int Index;
    };

    ChartDrawing() = default;
    ChartDrawing(int width, int height)
        : m_width(width)
        , m_height(height)
    {
    }

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    QSize Size() const { return QSize(m_width, m_height); }
    bool IsNull() const { return m_width <= 0 || m_height <= 0; }

    // Recording. A fill of the colour of the fill just before it that joins it into one rectangle
    // is merged into it: the pixels are the same, and the document gets smaller.
    void AddFill(const QRect& rect, QRgb color);
    void AddText(const QRect& box, int baseline, const QString& text);

    const std::vector<Op>& Ops() const { return m_ops; }
    const std::vector<Fill>& Fills() const { return m_fills; }
    const std::vector<Label>& Labels() const { return m_labels; }

    // Draws the picture scaled into target (the painter's coordinates), cut at target.
    void Replay(QPainter& painter, const QRectF& target) const;
    // The picture at its own size, on a 96 DPI bitmap.
    QImage ToImage() const;

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<Op> m_ops;
    std::vector<Fill> m_fills;
    std::vector<Label> m_labels;
};
