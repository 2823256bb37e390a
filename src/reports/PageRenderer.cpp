#include "reports/PageRenderer.h"

#include <QPaintDevice>
#include <QTextLayout>
#include <cmath>

namespace rpt {

namespace {
    // Scales millimetres of the page to device coordinates of the target; fonts are sized by hand
    // because point sizes apply before any world transform.
    struct Mapping {
        QPointF origin;
        double scale = 1; // device pixels per millimetre
        double fontFactor = 1; // point size multiplier on this device

        double x(double mm) const { return origin.x() + mm * scale; }
        double y(double mm) const { return origin.y() + mm * scale; }
        QPointF point(QPointF mm) const { return QPointF(x(mm.x()), y(mm.y())); }
        QRectF rect(const QRectF& mm) const { return QRectF(point(mm.topLeft()), mm.size() * scale); }
    };

    void drawFrame(QPainter& painter, const Mapping& map, const QRectF& rectMm, const FrameStyle& frame)
    {
        if (frame.sides == NoFrame || frame.widthMm <= 0)
            return;
        QPen pen(frame.color, std::max(frame.widthMm * map.scale, 0.5));
        pen.setCapStyle(Qt::SquareCap);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        const QRectF r = map.rect(rectMm);
        if (frame.sides == FrameAll) {
            painter.drawRect(r);
            return;
        }
        for (const QLineF& side : FrameSideLines(r, frame.sides))
            painter.drawLine(side);
    }

    // Fonts are rasterised at whole pixel sizes: 9 pt at 100 dpi came out at 13 px, not 12.5, and
    // a long line ran 4% wider than the layout measured it, past the page body. The line is drawn
    // at the whole size next to the one asked for and scaled to it; design metrics keep the glyph
    // advances unrounded.
    void drawLine(
        QPainter& painter, const QString& line, const QFont& font, const QRectF& rect, Qt::Alignment horizontal)
    {
        const double dpi = painter.device() ? painter.device()->logicalDpiY() : 96;
        const double wanted = font.pointSizeF() * dpi / 72;
        QFont drawn = font;
        double scale = 1;
        if (wanted > 0) {
            const int whole = std::max(1, int(std::lround(wanted)));
            drawn.setPixelSize(whole);
            scale = wanted / whole;
        }
        QTextLayout layout(line, drawn, painter.device());
        QTextOption option(horizontal);
        option.setUseDesignMetrics(true);
        option.setWrapMode(QTextOption::NoWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        QTextLine textLine = layout.createLine();
        if (!textLine.isValid())
            return;
        textLine.setLineWidth(rect.width() / scale);
        layout.endLayout();
        painter.save();
        painter.translate(rect.topLeft());
        painter.scale(scale, scale);
        layout.draw(&painter, QPointF());
        painter.restore();
    }

    void drawText(QPainter& painter, const Mapping& map, const TextCmd& text, int pageIndex, int pageCount)
    {
        QFont font = text.font;
        font.setPointSizeF(text.font.pointSizeF() * map.fontFactor);
        painter.setPen(text.color);
        const QRectF inner = text.rectMm.adjusted(text.paddingMm, text.paddingMm, -text.paddingMm, -text.paddingMm);
        const double block = text.lineHeightMm * text.lines.size();
        double top = inner.top();
        if (text.alignment & Qt::AlignVCenter)
            top += (inner.height() - block) / 2;
        else if (text.alignment & Qt::AlignBottom)
            top += inner.height() - block;
        Qt::Alignment horizontal = text.alignment & (Qt::AlignLeft | Qt::AlignRight | Qt::AlignHCenter);
        if (!horizontal)
            horizontal = Qt::AlignLeft;
        for (qsizetype i = 0; i < text.lines.size(); ++i) {
            const QString line = text.pageTokens ? PreparedReport::substituteTokens(text.lines[i], pageIndex, pageCount)
                                                 : text.lines[i];
            if (line.isEmpty())
                continue;
            const QRectF lineRect(inner.left(), top + text.lineHeightMm * double(i), inner.width(), text.lineHeightMm);
            drawLine(painter, line, font, map.rect(lineRect), horizontal);
        }
    }
}

void PageRenderer::render(QPainter& painter, int pageIndex, const QRectF& target) const
{
    if (pageIndex < 0 || pageIndex >= m_report.pageCount())
        return;
    const PreparedPage& page = m_report.page(pageIndex);
    Mapping map;
    map.scale = std::min(target.width() / page.paperMm.width(), target.height() / page.paperMm.height());
    map.origin = target.topLeft();
    const double deviceDpi = painter.device() ? painter.device()->logicalDpiY() : 96;
    map.fontFactor = map.scale / (deviceDpi / 25.4);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.setRenderHint(QPainter::LosslessImageRendering, true);
    const int pageCount = m_report.pageCount();
    for (const DrawCmd& command : page.commands) {
        if (const auto* text = std::get_if<TextCmd>(&command)) {
            drawText(painter, map, *text, pageIndex, pageCount);
        } else if (const auto* box = std::get_if<BoxCmd>(&command)) {
            if (box->fill.isValid())
                painter.fillRect(map.rect(box->rectMm), box->fill);
            drawFrame(painter, map, box->rectMm, box->frame);
        } else if (const auto* line = std::get_if<LineCmd>(&command)) {
            QPen pen(line->color, std::max(line->widthMm * map.scale, 0.5));
            painter.setPen(pen);
            painter.drawLine(map.point(line->lineMm.p1()), map.point(line->lineMm.p2()));
        } else if (const auto* image = std::get_if<ImageCmd>(&command)) {
            if (!image->image)
                continue;
            painter.save();
            painter.setClipRect(map.rect(image->clipMm), Qt::IntersectClip);
            if (const ChartDrawing* drawing = image->image->drawing())
                drawing->Replay(painter, map.rect(image->rectMm));
            else
                painter.drawImage(map.rect(image->rectMm), image->image->image());
            painter.restore();
        }
    }
    painter.restore();
}

QImage PageRenderer::renderImage(int pageIndex, double dpi) const
{
    if (pageIndex < 0 || pageIndex >= m_report.pageCount())
        return QImage();
    const QSizeF paper = m_report.page(pageIndex).paperMm;
    const double pixelsPerMm = dpi / 25.4;
    QImage image(QSize(int(std::lround(paper.width() * pixelsPerMm)), int(std::lround(paper.height() * pixelsPerMm))),
        QImage::Format_RGB32);
    const int dotsPerMeter = int(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    QPainter painter(&image);
    render(painter, pageIndex, QRectF(0, 0, image.width(), image.height()));
    return image;
}

} // namespace rpt
