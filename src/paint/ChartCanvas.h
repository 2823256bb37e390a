#pragma once

#include "paint/ChartDrawing.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRgb>
#include <QString>
#include <cstdint>
#include <memory>

// Pixel-exact drawing surface of the charts, without antialiasing: lines exclude their end point,
// rectangles their right and bottom edges, texts are opaque on white.
//
// Coordinates are those of a virtual bitmap (Width() x Height()). The virtual column OriginX()
// lands on column 0 of the image, and only the clip rectangle (virtual coordinates, inside both
// the virtual bitmap and the image) is ever touched. With origin 0 and no clip the virtual bitmap
// is the image itself. This lets a page draw only its visible window of a chart that may be
// millions of pixels wide, with the very pixels a full-width drawing would give there.
//
// The same calls may instead record into a ChartDrawing (origin 0, no clip): the vector picture of
// reports, whose fills cover exactly the pixels the bitmap gets.
class ChartCanvas {
public:
    enum class Pen { Solid, Dashed };
    static constexpr int DashOn = 18; // the classic dashed pen: 18 pixels drawn, 6 left out
    static constexpr int DashOff = 6;

    struct Clip {
        int64_t Left = 0; // included
        int Top = 0; // included
        int64_t Right = 0; // excluded
        int Bottom = 0; // excluded
    };

    explicit ChartCanvas(QImage& image); // converts it to 32-bit RGB when needed
    ChartCanvas(QImage& image, int64_t originX, int64_t virtualWidth, Clip clip);
    explicit ChartCanvas(ChartDrawing& drawing); // records instead of setting pixels
    ~ChartCanvas();
    ChartCanvas(const ChartCanvas&) = delete;
    ChartCanvas& operator=(const ChartCanvas&) = delete;

    int64_t Width() const { return m_width; }
    int Height() const { return m_height; }
    int64_t OriginX() const { return m_origin; }
    const Clip& ClipRect() const { return m_clip; }
    bool Empty() const { return m_clip.Left >= m_clip.Right || m_clip.Top >= m_clip.Bottom; }

    void SetPixel(int64_t x, int y, QRgb color);
    // The pixels from xa to xb of row y, both included, in either order.
    void Run(int64_t xa, int64_t xb, int y, QRgb color);
    // The pixels from xa to xb of row y in the series gradient of the zone rows: ZoneColorOf(y,
    // Height(), rows). A recording keeps them as one batch of that gradient.
    void ZoneRun(int64_t xa, int64_t xb, int y, const ZoneRows& rows);
    // From (x1, y1) to (x2, y2), the end point excluded; a dashed pen starts its pattern at (x1, y1).
    void Line(int64_t x1, int y1, int64_t x2, int y2, QRgb color, Pen pen = Pen::Solid);
    void FillRect(int64_t x1, int y1, int64_t x2, int y2, QRgb color); // right and bottom excluded
    // Filled, bordered rectangle: the border is drawn inside, on the first and last column and row.
    void FrameRect(int64_t x1, int y1, int64_t x2, int y2, QRgb fill, QRgb border);
    // A filled disc in the box (x - 4, y - 4) to (x + 4, y + 4).
    void Disc(int64_t x, int y, QRgb color);

    // Black text on a white box whose top-left corner is (x, y).
    void Text(int64_t x, int y, const QString& text);
    int TextWidth(const QString& text) const;
    int TextHeight() const { return m_metrics.height(); }
    const QFont& Font() const { return m_font; }
    // Ends the text painter, so another canvas may draw on the same image; a later text starts it again.
    void EndText() { m_painter.reset(); }

    // The font every chart text uses, and its metrics on a 96 DPI bitmap.
    static QFont ChartFont();
    static QFontMetrics ChartFontMetrics();

private:
    bool inside(int64_t x, int y) const
    {
        return x >= m_clip.Left && x < m_clip.Right && y >= m_clip.Top && y < m_clip.Bottom;
    }
    // Recording: rectangles already inside the clip.
    void recordFill(int64_t left, int top, int64_t right, int bottom, QRgb color)
    {
        m_drawing->AddFill(QRect(int(left), top, int(right - left), bottom - top), color);
    }
    QRgb* row(int y) const { return reinterpret_cast<QRgb*>(m_bits + qsizetype(y) * m_stride); }
    void lineGeneral(int64_t x1, int y1, int64_t x2, int y2, QRgb color, Pen pen);
    QPainter& painter();

    QImage* m_image = nullptr;
    ChartDrawing* m_drawing = nullptr;
    uchar* m_bits = nullptr;
    qsizetype m_stride = 0;
    int64_t m_origin = 0;
    int64_t m_width = 0;
    int m_height = 0;
    Clip m_clip;
    QFont m_font;
    QFontMetrics m_metrics;
    std::unique_ptr<QPainter> m_painter; // made on the first text
};
