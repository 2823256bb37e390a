#pragma once

#include "paint/ChartGeometry.h"

#include <QFont>
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
    // text hidden by a later copy of itself). A batch with a Zone (index into Zones()) colours
    // each row as the series gradient of those zone rows does, whatever its Color.
    struct Op {
        enum Kind : unsigned char { FillOp, TextOp } Kind;
        int Index;
        QRgb Color;
        int Zone = -1;
    };

    // Labels are drawn in sixths of a virtual pixel: the chart font's 96 DPI size, 10 2/3 pixels,
    // is then a whole 64, which devices that round font sizes keep exactly. LabelFont() is the
    // chart font at that size; a label's glyphs start at TextUnit * (Box.x, Baseline).
    static constexpr int TextUnit = 6;
    static QFont LabelFont();

    ChartDrawing() = default;
    ChartDrawing(int width, int height);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    QSize Size() const { return QSize(m_width, m_height); }
    bool IsNull() const { return m_width <= 0 || m_height <= 0; }

    // Recording, then Finish() once, before anything reads the drawing.
    void AddFill(const QRect& rect, QRgb color);
    // Pixels coloured by their row, as ZoneColorOf(row, Height(), rows) gives: the series. They
    // batch by their rows, not by colour, so a whole series is one step.
    void AddZoneFill(const QRect& rect, const ZoneRows& rows);
    void AddText(const QRect& box, int baseline, const QString& text);
    void Finish();

    const std::vector<Op>& Ops() const { return m_ops; }
    // Sorted by batch after Finish(); within a batch in the order they came.
    const std::vector<Fill>& Fills() const { return m_fills; }
    const std::vector<Label>& Labels() const { return m_labels; }
    const std::vector<ZoneRows>& Zones() const { return m_zones; }
    // The colour a fill of step op has in row y.
    QRgb ColorAt(const Op& op, int y) const
    {
        return op.Zone < 0 ? op.Color : ZoneColorOf(y, m_height, m_zones[size_t(op.Zone)]);
    }

    // Draws the picture scaled into target (the painter's coordinates), cut at target.
    void Replay(QPainter& painter, const QRectF& target) const;
    // The picture at its own size, on a 96 DPI bitmap: the bitmap surface's very pixels.
    QImage ToImage() const;

private:
    template <typename F> void forCells(const QRect& rect, F f);
    void stamp(const QRect& rect, int op);
    void addFill(const QRect& rect, QRgb color, int zone);

    int m_width = 0;
    int m_height = 0;
    std::vector<Op> m_ops;
    std::vector<Fill> m_fills;
    std::vector<Label> m_labels;
    std::vector<ZoneRows> m_zones;
    // While recording: per colour its latest batch, and per cell of the picture the latest step
    // that touched it.
    std::unordered_map<QRgb, int> m_latestBatch;
    std::vector<int> m_latestZoneBatch; // per zone
    std::vector<int> m_cells;
    int m_cellColumns = 0;
};
