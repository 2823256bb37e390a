#include "paint/ChartDrawing.h"

#include "paint/ChartCanvas.h"

#include <QPen>
#include <algorithm>

namespace {

// Whether b, drawn right after a in the same colour, makes one rectangle with it.
bool joins(const QRect& a, const QRect& b)
{
    if (a.top() == b.top() && a.height() == b.height())
        return b.left() <= a.x() + a.width() && a.left() <= b.x() + b.width();
    if (a.left() == b.left() && a.width() == b.width())
        return b.top() <= a.y() + a.height() && a.top() <= b.y() + b.height();
    return false;
}

constexpr int TextLookBack = 256; // how far back a hidden copy of a text is looked for
constexpr int CellSize = 4; // pixels per side of a cell of the record of what was drawn where
constexpr int TextMargin = 2; // glyphs may reach a little beyond their measured box

constexpr int TextUnit = ChartDrawing::TextUnit;

void drawLabel(QPainter& painter, const ChartDrawing::Label& label)
{
    painter.save();
    painter.scale(1.0 / TextUnit, 1.0 / TextUnit);
    painter.setFont(ChartDrawing::LabelFont());
    painter.setPen(QColor(Qt::black));
    painter.drawText(QPointF(double(label.Box.x()) * TextUnit, double(label.Baseline) * TextUnit), label.Text);
    painter.restore();
}

} // namespace

QFont ChartDrawing::LabelFont()
{
    QFont font = ChartCanvas::ChartFont();
    font.setPixelSize(qRound(font.pointSizeF() * 96.0 / 72.0 * TextUnit));
    return font;
}

ChartDrawing::ChartDrawing(int width, int height)
    : m_width(std::max(width, 0))
    , m_height(std::max(height, 0))
    , m_cellColumns((m_width + CellSize - 1) / CellSize)
{
    m_cells.assign(size_t(m_cellColumns) * size_t((m_height + CellSize - 1) / CellSize), -1);
}

template <typename F> void ChartDrawing::forCells(const QRect& rect, F f)
{
    const QRect inside = rect.intersected(QRect(0, 0, m_width, m_height));
    if (inside.isEmpty() || m_cells.empty())
        return;
    for (int row = inside.top() / CellSize; row <= inside.bottom() / CellSize; ++row) {
        int* cell = m_cells.data() + size_t(row) * size_t(m_cellColumns);
        for (int column = inside.left() / CellSize; column <= inside.right() / CellSize; ++column)
            f(cell[column]);
    }
}

void ChartDrawing::stamp(const QRect& rect, int op)
{
    forCells(rect, [op](int& cell) { cell = std::max(cell, op); });
}

void ChartDrawing::AddFill(const QRect& rect, QRgb color)
{
    addFill(rect, color, -1);
}

void ChartDrawing::AddZoneFill(const QRect& rect, const ZoneRows& rows)
{
    auto same = [&rows](const ZoneRows& z) {
        return z.Upper == rows.Upper && z.Centre == rows.Centre && z.Lower == rows.Lower;
    };
    const auto found = std::find_if(m_zones.cbegin(), m_zones.cend(), same);
    int zone = int(found - m_zones.cbegin());
    if (found == m_zones.cend()) {
        m_zones.push_back(rows);
        m_latestZoneBatch.push_back(-1);
    }
    addFill(rect, 0, zone);
}

void ChartDrawing::addFill(const QRect& rect, QRgb color, int zone)
{
    if (rect.isEmpty())
        return;
    int latest = -1;
    forCells(rect, [&latest](int& cell) { latest = std::max(latest, cell); });
    // A fill of the background's colour where only the background was drawn changes nothing
    // (the text boxes beside the frame).
    if (zone < 0 && latest == 0 && !m_fills.empty() && m_ops.front().Kind == Op::FillOp && m_ops.front().Zone < 0
        && m_ops.front().Color == color && m_fills.front().Rect == QRect(0, 0, m_width, m_height)
        && m_fills.front().Batch == 0)
        return;
    // The latest batch of this colour (or zone), when nothing after it was drawn near the rectangle.
    int batch = -1;
    if (zone >= 0) {
        const int candidate = m_latestZoneBatch[size_t(zone)];
        if (candidate >= 0 && latest <= candidate)
            batch = candidate;
    } else if (const auto found = m_latestBatch.find(color); found != m_latestBatch.end() && latest <= found->second) {
        batch = found->second;
    }
    if (batch < 0) {
        batch = int(m_ops.size());
        m_ops.push_back({ Op::FillOp, batch, color, zone });
        if (zone >= 0)
            m_latestZoneBatch[size_t(zone)] = batch;
        else
            m_latestBatch[color] = batch;
    }
    if (!m_fills.empty() && m_fills.back().Batch == batch && joins(m_fills.back().Rect, rect))
        m_fills.back().Rect = m_fills.back().Rect.united(rect);
    else
        m_fills.push_back({ rect, batch });
    stamp(rect, batch);
}

void ChartDrawing::AddText(const QRect& box, int baseline, const QString& text)
{
    // The charts write a point's number twice at one place; the white box of the second copy hides
    // the first, so the first is dropped rather than written twice into the document.
    const size_t stop = m_ops.size() > size_t(TextLookBack) ? m_ops.size() - size_t(TextLookBack) : 0;
    for (size_t i = m_ops.size(); i-- > stop;) {
        Op& op = m_ops[i];
        if (op.Kind != Op::TextOp || op.Index < 0)
            continue;
        const Label& earlier = m_labels[size_t(op.Index)];
        if (earlier.Box == box && earlier.Baseline == baseline && earlier.Text == text) {
            op.Index = -1;
            break;
        }
    }
    stamp(box.adjusted(-TextMargin, -TextMargin, TextMargin, TextMargin), int(m_ops.size()));
    m_ops.push_back({ Op::TextOp, int(m_labels.size()), 0 });
    m_labels.push_back({ box, baseline, text });
}

void ChartDrawing::Finish()
{
    std::stable_sort(m_fills.begin(), m_fills.end(), [](const Fill& a, const Fill& b) { return a.Batch < b.Batch; });
    m_fills.shrink_to_fit();
    m_ops.shrink_to_fit();
    m_labels.shrink_to_fit();
    m_cells = {};
    m_latestBatch = {};
    m_latestZoneBatch = {};
}

void ChartDrawing::Replay(QPainter& painter, const QRectF& target) const
{
    if (IsNull() || target.isEmpty())
        return;
    painter.save();
    painter.setClipRect(target, Qt::IntersectClip);
    painter.translate(target.topLeft());
    painter.scale(target.width() / double(m_width), target.height() / double(m_height));
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    // Rasterisers that fill every pixel a shape touches (poppler without antialiasing, some
    // printers) would widen each rectangle by a pixel at its far edges; drawn a 256th of a pixel
    // smaller all round, it covers its own pixels on those and on centre-sampling devices, and the
    // slits between neighbours stay far below what antialiasing at any zoom shows.
    constexpr double Inset = 1.0 / 256;
    std::vector<QRectF> batch;
    size_t next = 0;
    for (const Op& op : m_ops) {
        if (op.Kind == Op::FillOp) {
            // One path per batch: short, and no seams between its rectangles.
            batch.clear();
            if (op.Zone >= 0) {
                // Row by row, each in its gradient colour.
                for (; next < m_fills.size() && m_fills[next].Batch == op.Index; ++next) {
                    const QRect& r = m_fills[next].Rect;
                    for (int y = r.top(); y <= r.bottom(); ++y)
                        painter.fillRect(QRectF(r.x(), y, r.width(), 1).adjusted(Inset, Inset, -Inset, -Inset),
                            QColor::fromRgb(ColorAt(op, y)));
                }
                continue;
            }
            for (; next < m_fills.size() && m_fills[next].Batch == op.Index; ++next)
                batch.push_back(QRectF(m_fills[next].Rect).adjusted(Inset, Inset, -Inset, -Inset));
            painter.setBrush(QColor::fromRgb(op.Color));
            painter.drawRects(batch.data(), int(batch.size()));
        } else if (op.Index >= 0) {
            drawLabel(painter, m_labels[size_t(op.Index)]);
        }
    }
    painter.restore();
}

QImage ChartDrawing::ToImage() const
{
    if (IsNull())
        return QImage();
    QImage image(m_width, m_height, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.fill(Qt::white);
    // Through the bitmap surface itself, so the pixels are those the bitmap drawing gives.
    ChartCanvas canvas(image);
    size_t next = 0;
    for (const Op& op : m_ops) {
        if (op.Kind == Op::FillOp) {
            for (; next < m_fills.size() && m_fills[next].Batch == op.Index; ++next) {
                const QRect& r = m_fills[next].Rect;
                if (op.Zone < 0) {
                    canvas.FillRect(r.left(), r.top(), int64_t(r.left()) + r.width(), r.top() + r.height(), op.Color);
                    continue;
                }
                for (int y = r.top(); y <= r.bottom(); ++y)
                    canvas.ZoneRun(r.left(), int64_t(r.left()) + r.width() - 1, y, m_zones[size_t(op.Zone)]);
            }
        } else if (op.Index >= 0) {
            const Label& label = m_labels[size_t(op.Index)];
            canvas.Text(label.Box.x(), label.Box.y(), label.Text);
        }
    }
    return image;
}
