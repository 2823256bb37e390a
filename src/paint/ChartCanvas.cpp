#include "paint/ChartCanvas.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <unordered_map>

namespace {

constexpr int DotsPerMeter96 = 3780; // 96 DPI, the resolution chart texts are measured at

QImage& prepared(QImage& image)
{
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32
        && image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_RGB32);
    // Chart coordinates are bitmap pixels, whatever screen the bitmap is meant for.
    if (image.devicePixelRatio() != 1.0)
        image.setDevicePixelRatio(1.0);
    if (image.dotsPerMeterX() != DotsPerMeter96)
        image.setDotsPerMeterX(DotsPerMeter96);
    if (image.dotsPerMeterY() != DotsPerMeter96)
        image.setDotsPerMeterY(DotsPerMeter96);
    return image;
}

bool dashOn(int64_t step)
{
    return step % (ChartCanvas::DashOn + ChartCanvas::DashOff) < ChartCanvas::DashOn;
}

// Calls record(a, b) for every maximal stretch a..b of from..to where on(i) holds.
template <typename On, typename Record> void recordDashes(int64_t from, int64_t to, On on, Record record)
{
    int64_t start = from;
    for (int64_t i = from; i <= to + 1; ++i) {
        if (i <= to && on(i))
            continue;
        if (i > start)
            record(start, i - 1);
        start = i + 1;
    }
}

// Column spans of the 8 x 8 disc, rows y - 4 .. y + 3: the pixels whose centres lie inside the
// circle of radius 4 around the box centre.
constexpr std::array<std::array<int, 2>, 8> DiscSpans { { { -2, 1 }, { -3, 2 }, { -4, 3 }, { -4, 3 }, { -4, 3 },
    { -4, 3 }, { -3, 2 }, { -2, 1 } } };

} // namespace

QFont ChartCanvas::ChartFont()
{
    // A narrow face: a ten-character date stays inside the 50-pixel point step at 8 points, so
    // the dates over neighbouring points never overwrite each other. Debian: fonts-liberation.
    QFont font(QStringLiteral("Liberation Sans Narrow"));
    font.setPointSize(8);
    // Grey-scale smoothing keeps the narrow digits apart; no sub-pixel colours and no hinting, so the
    // pixels do not depend on the display's font settings: the screen page and the command-line
    // picture stay identical.
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QFontMetrics ChartCanvas::ChartFontMetrics()
{
    static QImage reference = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setDotsPerMeterX(DotsPerMeter96);
        image.setDotsPerMeterY(DotsPerMeter96);
        return image;
    }();
    return QFontMetrics(ChartFont(), &reference);
}

ChartCanvas::ChartCanvas(QImage& image)
    : ChartCanvas(image, 0, prepared(image).width(), Clip { 0, 0, image.width(), image.height() })
{
}

ChartCanvas::ChartCanvas(QImage& image, int64_t originX, int64_t virtualWidth, Clip clip)
    : m_image(&prepared(image))
    , m_origin(originX)
    , m_width(virtualWidth)
    , m_height(image.height())
    , m_font(ChartFont())
    , m_metrics(m_font, &prepared(image))
{
    // Keep the clip inside the virtual bitmap and inside the image.
    clip.Left = std::max({ clip.Left, int64_t(0), originX });
    clip.Right = std::min({ clip.Right, virtualWidth, originX + m_image->width() });
    clip.Top = std::max(clip.Top, 0);
    clip.Bottom = std::min(clip.Bottom, m_image->height());
    m_clip = clip;
    if (!m_image->isNull()) {
        m_bits = m_image->bits(); // detaches once, before any painter shares the buffer
        m_stride = m_image->bytesPerLine();
    }
    if (m_bits == nullptr)
        m_clip = Clip {};
}

ChartCanvas::ChartCanvas(ChartDrawing& drawing)
    : m_drawing(&drawing)
    , m_width(std::max(drawing.Width(), 0))
    , m_height(std::max(drawing.Height(), 0))
    , m_clip { 0, 0, m_width, m_height }
    , m_font(ChartFont())
    , m_metrics(ChartFontMetrics())
{
}

ChartCanvas::~ChartCanvas()
{
    if (m_drawing)
        m_drawing->Finish();
}

QPainter& ChartCanvas::painter()
{
    if (!m_painter) {
        m_painter = std::make_unique<QPainter>(m_image);
        m_painter->setRenderHint(QPainter::Antialiasing, false);
        m_painter->setRenderHint(QPainter::TextAntialiasing, true);
        m_painter->setFont(m_font);
        m_painter->setPen(QColor(Qt::black));
        m_painter->setClipRect(QRect(
            int(m_clip.Left - m_origin), m_clip.Top, int(m_clip.Right - m_clip.Left), m_clip.Bottom - m_clip.Top));
    }
    return *m_painter;
}

void ChartCanvas::SetPixel(int64_t x, int y, QRgb color)
{
    if (!inside(x, y))
        return;
    if (m_drawing)
        recordFill(x, y, x + 1, y + 1, color);
    else
        row(y)[x - m_origin] = color;
}

void ChartCanvas::Run(int64_t xa, int64_t xb, int y, QRgb color)
{
    if (y < m_clip.Top || y >= m_clip.Bottom)
        return;
    const int64_t from = std::max(std::min(xa, xb), m_clip.Left);
    const int64_t to = std::min(std::max(xa, xb), m_clip.Right - 1);
    if (m_drawing) {
        if (from <= to)
            recordFill(from, y, to + 1, y + 1, color);
        return;
    }
    QRgb* line = row(y);
    for (int64_t x = from; x <= to; ++x)
        line[x - m_origin] = color;
}

void ChartCanvas::ZoneRun(int64_t xa, int64_t xb, int y, const ZoneRows& rows)
{
    if (!m_drawing) {
        Run(xa, xb, y, ZoneColorOf(y, m_height, rows));
        return;
    }
    if (y < m_clip.Top || y >= m_clip.Bottom)
        return;
    const int64_t from = std::max(std::min(xa, xb), m_clip.Left);
    const int64_t to = std::min(std::max(xa, xb), m_clip.Right - 1);
    if (from <= to)
        m_drawing->AddZoneFill(QRect(int(from), y, int(to - from + 1), 1), rows);
}

void ChartCanvas::Line(int64_t x1, int y1, int64_t x2, int y2, QRgb color, Pen pen)
{
    if (x1 == x2 && y1 == y2)
        return;
    if (y1 == y2) {
        if (y1 < m_clip.Top || y1 >= m_clip.Bottom)
            return;
        const int64_t dir = x2 > x1 ? 1 : -1;
        const int64_t last = x2 - dir;
        const int64_t from = std::max(std::min(x1, last), m_clip.Left);
        const int64_t to = std::min(std::max(x1, last), m_clip.Right - 1);
        if (m_drawing) {
            recordDashes(
                from, to, [&](int64_t x) { return pen == Pen::Solid || dashOn((x - x1) * dir); },
                [&](int64_t a, int64_t b) { recordFill(a, y1, b + 1, y1 + 1, color); });
            return;
        }
        QRgb* line = row(y1);
        for (int64_t x = from; x <= to; ++x) {
            if (pen == Pen::Solid || dashOn((x - x1) * dir))
                line[x - m_origin] = color;
        }
        return;
    }
    if (x1 == x2) {
        if (x1 < m_clip.Left || x1 >= m_clip.Right)
            return;
        const int dir = y2 > y1 ? 1 : -1;
        const int last = y2 - dir;
        const int from = std::max(std::min(y1, last), m_clip.Top);
        const int to = std::min(std::max(y1, last), m_clip.Bottom - 1);
        if (m_drawing) {
            recordDashes(
                from, to, [&](int64_t y) { return pen == Pen::Solid || dashOn((y - y1) * dir); },
                [&](int64_t a, int64_t b) { recordFill(x1, int(a), x1 + 1, int(b) + 1, color); });
            return;
        }
        for (int y = from; y <= to; ++y) {
            if (pen == Pen::Solid || dashOn(int64_t(y - y1) * dir))
                row(y)[x1 - m_origin] = color;
        }
        return;
    }
    lineGeneral(x1, y1, x2, y2, color, pen);
}

void ChartCanvas::lineGeneral(int64_t x1, int y1, int64_t x2, int y2, QRgb color, Pen pen)
{
    // Nothing to do when the line's box misses the clip.
    if (std::max(x1, x2) < m_clip.Left || std::min(x1, x2) >= m_clip.Right || std::max(y1, y2) < m_clip.Top
        || std::min(y1, y2) >= m_clip.Bottom)
        return;
    // Bresenham from the start point, one pixel per step of the major axis, the end point left out.
    const int64_t dx = std::llabs(x2 - x1);
    const int64_t dy = std::llabs(int64_t(y2) - y1);
    const int64_t sx = x2 > x1 ? 1 : -1;
    const int sy = y2 > y1 ? 1 : -1;
    const int64_t steps = std::max(dx, dy);
    int64_t x = x1;
    int64_t y = y1;
    int64_t error = dx - dy;
    for (int64_t step = 0; step < steps; ++step) {
        if (pen == Pen::Solid || dashOn(step))
            SetPixel(x, int(y), color);
        const int64_t twice = 2 * error;
        if (twice > -dy) {
            error -= dy;
            x += sx;
        }
        if (twice < dx) {
            error += dx;
            y += sy;
        }
    }
}

void ChartCanvas::FillRect(int64_t x1, int y1, int64_t x2, int y2, QRgb color)
{
    const int64_t left = std::max(x1, m_clip.Left);
    const int64_t right = std::min(x2, m_clip.Right);
    const int top = std::max(y1, m_clip.Top);
    const int bottom = std::min(y2, m_clip.Bottom);
    if (m_drawing) {
        if (left < right && top < bottom)
            recordFill(left, top, right, bottom, color);
        return;
    }
    for (int y = top; y < bottom; ++y) {
        QRgb* line = row(y);
        for (int64_t x = left; x < right; ++x)
            line[x - m_origin] = color;
    }
}

void ChartCanvas::FrameRect(int64_t x1, int y1, int64_t x2, int y2, QRgb fill, QRgb border)
{
    if (x2 <= x1 || y2 <= y1)
        return;
    FillRect(x1, y1, x2, y2, fill);
    Run(x1, x2 - 1, y1, border);
    Run(x1, x2 - 1, y2 - 1, border);
    if (m_drawing) {
        // The same border pixels as two columns rather than pixel by pixel.
        FillRect(x1, y1, x1 + 1, y2, border);
        FillRect(x2 - 1, y1, x2, y2, border);
        return;
    }
    for (int y = y1; y < y2; ++y) {
        SetPixel(x1, y, border);
        SetPixel(x2 - 1, y, border);
    }
}

void ChartCanvas::Disc(int64_t x, int y, QRgb color)
{
    for (int i = 0; i < int(DiscSpans.size()); ++i)
        Run(x + DiscSpans[size_t(i)][0], x + DiscSpans[size_t(i)][1], y - 4 + i, color);
}

int ChartCanvas::TextWidth(const QString& text) const
{
    // Every canvas measures in the one chart font at 96 DPI, and the same dates, numbers and axis
    // values come back picture after picture: each width is shaped once per thread.
    thread_local std::unordered_map<QString, int> widths;
    if (const auto found = widths.find(text); found != widths.end())
        return found->second;
    if (widths.size() >= 200000)
        widths.clear();
    return widths.emplace(text, m_metrics.horizontalAdvance(text)).first->second;
}

void ChartCanvas::Text(int64_t x, int y, const QString& text)
{
    const int width = TextWidth(text);
    const int height = TextHeight();
    if (x + width <= m_clip.Left || x >= m_clip.Right || y + height <= m_clip.Top || y >= m_clip.Bottom)
        return;
    FillRect(x, y, x + width, y + height, qRgb(255, 255, 255));
    if (m_drawing) {
        if (!text.isEmpty())
            m_drawing->AddText(QRect(int(x), y, width, height), y + m_metrics.ascent(), text);
        return;
    }
    // Far-away positions are already clipped above, so the device x fits an int here.
    painter().drawText(int(x - m_origin), y + m_metrics.ascent(), text);
}
