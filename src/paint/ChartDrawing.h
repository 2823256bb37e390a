#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QRectF>
#include <QRgb>
#include <QString>
#include <unordered_map>
#include <vector>

// A chart picture kept as the drawing surface's primitives rather than as pixels, for devices that
// draw vectors (PDF, printer): filled rectangles of whole virtual pixels and texts. Drawn without
// antialiasing at one device pixel per virtual pixel, the fills cover exactly the pixels the
// bitmap surface sets; texts stay texts.
//
// Fills are kept in batches of one colour, each drawn as one path: a fill joins the latest batch
// of its colour when nothing drawn after that batch touches it, so moving it back changes no
// pixel. The per-row colours of the series then cost one batch per row, not one per segment.
class ChartDrawing {
public:
    struct Fill {
        QRect Rect;
        int Batch; // index into Ops()
    };
    struct Label {
        QRect Box; // the white box behind the text, as measured on the 96 DPI bitmap
        int Baseline = 0;
        QString Text;
    };
    // One drawing step: a batch of fills of one colour, or a text (Index into Labels(); -1 for a
    // text hidden by a later copy of itself).
    struct Op {
        enum Kind : unsigned char { FillOp, TextOp } Kind;
        int Index;
        QRgb Color;
    };

    ChartDrawing() = default;
    ChartDrawing(int width, int height);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    QSize Size() const { return QSize(m_width, m_height); }
    bool IsNull() const { return m_width <= 0 || m_height <= 0; }

    // Recording, then Finish() once, before anything reads the drawing.
    void AddFill(const QRect& rect, QRgb color);
    void AddText(const QRect& box, int baseline, const QString& text);
    void Finish();

    const std::vector<Op>& Ops() const { return m_ops; }
    // Sorted by batch after Finish(); within a batch in the order they came.
    const std::vector<Fill>& Fills() const { return m_fills; }
    const std::vector<Label>& Labels() const { return m_labels; }

    // Draws the picture scaled into target (the painter's coordinates), cut at target.
    void Replay(QPainter& painter, const QRectF& target) const;
    // The picture at its own size, on a 96 DPI bitmap: the bitmap surface's very pixels.
    QImage ToImage() const;

private:
    template <typename F> void forCells(const QRect& rect, F f);
    void stamp(const QRect& rect, int op);

    int m_width = 0;
    int m_height = 0;
    std::vector<Op> m_ops;
    std::vector<Fill> m_fills;
    std::vector<Label> m_labels;
    // While recording: per colour its latest batch, and per cell of the picture the latest step
    // that touched it.
    std::unordered_map<QRgb, int> m_latestBatch;
    std::vector<int> m_cells;
    int m_cellColumns = 0;
};
