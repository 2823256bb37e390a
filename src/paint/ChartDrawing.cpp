#include "paint/ChartDrawing.h"

#include "paint/ChartCanvas.h"

#include <QPaintDevice>
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

} // namespace

void ChartDrawing::AddFill(const QRect& rect, QRgb color)
{
    if (rect.isEmpty())
        return;
    if (!m_ops.empty() && m_ops.back().Kind == Op::FillOp) {
        Fill& last = m_fills[size_t(m_ops.back().Index)];
        if (last.Color == color && joins(last.Rect, rect)) {
            last.Rect = last.Rect.united(rect);
            return;
        }
    }
    m_ops.push_back({ Op::FillOp, int(m_fills.size()) });
    m_fills.push_back({ rect, color });
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
    m_ops.push_back({ Op::TextOp, int(m_labels.size()) });
    m_labels.push_back({ box, baseline, text });
}

void ChartDrawing::Replay(QPainter& painter, const QRectF& target) const
{
    if (IsNull() || target.isEmpty())
        return;
    painter.save();
    painter.setClipRect(target, Qt::IntersectClip);
    painter.translate(target.topLeft());
    painter.scale(target.width() / m_width, target.height() / m_height);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    // Point sizes apply at the device's resolution before the world transform: size the font so
    // that it has its 96 DPI pixel size in virtual pixels.
    QFont font = ChartCanvas::ChartFont();
    const double dpi = painter.device() ? painter.device()->logicalDpiY() : 96;
    font.setPointSizeF(font.pointSizeF() * 96.0 / dpi);
    painter.setFont(font);

    // Consecutive fills of one colour go out as one path: smaller, and no seams between them.
    std::vector<QRect> batch;
    QRgb batchColor = 0;
    auto flush = [&] {
        if (batch.empty())
            return;
        painter.setBrush(QColor::fromRgb(batchColor));
        painter.drawRects(batch.data(), int(batch.size()));
        batch.clear();
    };
    for (const Op& op : m_ops) {
        if (op.Kind == Op::FillOp) {
            const Fill& fill = m_fills[size_t(op.Index)];
            if (!batch.empty() && fill.Color != batchColor)
                flush();
            batchColor = fill.Color;
            batch.push_back(fill.Rect);
        } else if (op.Index >= 0) {
            flush();
            const Label& label = m_labels[size_t(op.Index)];
            painter.setPen(QColor(Qt::black));
            painter.drawText(QPointF(label.Box.x(), label.Baseline), label.Text);
            painter.setPen(Qt::NoPen);
        }
    }
    flush();
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
    for (const Op& op : m_ops) {
        if (op.Kind == Op::FillOp) {
            const Fill& fill = m_fills[size_t(op.Index)];
            canvas.FillRect(fill.Rect.left(), fill.Rect.top(), int64_t(fill.Rect.left()) + fill.Rect.width(),
                fill.Rect.top() + fill.Rect.height(), fill.Color);
        } else if (op.Index >= 0) {
            const Label& label = m_labels[size_t(op.Index)];
            canvas.Text(label.Box.x(), label.Box.y(), label.Text);
        }
    }
    return image;
}
