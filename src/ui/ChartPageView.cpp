#include "ui/ChartPageView.h"

#include "model/MeasurementDocument.h"
#include "paint/ChartPage.h"
#include "paint/DrawingState.h"
#include "paint/Paint.h"

#include <QPainter>
#include <QScrollBar>
#include <QVBoxLayout>
#include <utility>

// Shows the chart bitmap at the widget's size without smoothing: one image pixel to one screen
// pixel at a scale of 1, whole pixel blocks above it, never a blurred chart.
class ChartImage : public QWidget {
public:
    ChartImage(const QImage& image, QWidget* parent)
        : QWidget(parent)
        , m_image(image)
    {
        setFixedSize(ChartPageWidth, ChartPageHeight);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(rect(), m_image);
    }

private:
    const QImage& m_image;
};

namespace {

constexpr std::array<int, ChartSlotCount> ScrollBarNumbers { 1, 3, 4, 5, 6, 7 };

int validSlot(int slot)
{
    return std::clamp(slot, 0, ChartSlotCount - 1);
}

} // namespace

QString ChartPageView::ImageName(int slot)
{
    return QStringLiteral("Image%1").arg(validSlot(slot) + 1);
}

QString ChartPageView::ScrollBarName(int slot)
{
    return QStringLiteral("ScrollBar%1").arg(ScrollBarNumbers[size_t(validSlot(slot))]);
}

ChartPageView::ChartPageView(MeasurementDocument& document, int slot, QWidget* parent)
    : QWidget(parent)
    , m_document(document)
    , m_slot(validSlot(slot))
{
    setObjectName(QStringLiteral("ChartPageView%1").arg(m_slot));
    m_imageWidget = new ChartImage(m_image, this);
    m_imageWidget->setObjectName(ImageName(m_slot));
    m_scrollBar = new QScrollBar(Qt::Horizontal, this);
    m_scrollBar->setObjectName(ScrollBarName(m_slot));
    m_scrollBar->setFixedWidth(ChartPageWidth);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_imageWidget);
    layout->addWidget(m_scrollBar);
    layout->addStretch();

    // Every position change redraws the page; only the analyst's own moves (keys, wheel, mouse)
    // are reported as scrolling.
    connect(m_scrollBar, &QScrollBar::actionTriggered, this, [this] { m_analystAction = true; });
    connect(m_scrollBar, &QScrollBar::valueChanged, this, &ChartPageView::scrollBarMoved);
    Clear();
}

ChartPageView::~ChartPageView() = default;

void ChartPageView::UpdateScrollRange()
{
    const int extent = PageChartExtent(m_document);
    m_document.SetChartExtent(m_slot, extent);
    const bool scrolls = extent > ChartPageWidth;
    // The first four pages page by one point step; the two range pages keep steps of 1.
    const bool pointPaging = m_slot <= SlotRelDeviation;
    m_settingRange = true;
    m_scrollBar->setMinimum(0);
    m_scrollBar->setMaximum(scrolls ? extent - ChartPageWidth : 0);
    m_scrollBar->setSingleStep(1);
    m_scrollBar->setPageStep(pointPaging ? ChartDrawingState().PointStep : 1);
    m_scrollBar->setEnabled(scrolls);
    m_settingRange = false;
}

double ChartPageView::ScrollFraction() const
{
    const int range = m_scrollBar->maximum() - m_scrollBar->minimum();
    if (!m_scrollBar->isEnabled() || range <= 0)
        return 0.0;
    return double(m_scrollBar->value() - m_scrollBar->minimum()) / double(range);
}

void ChartPageView::Redraw()
{
    if (!m_document.IsComputed() || !SlotInUse(m_document, m_slot) || m_document.Groups().empty()) {
        Clear();
        return;
    }
    try {
        DrawChartPage(m_document, m_slot, m_image, ScrollFraction());
    } catch (const DrawingAborted&) {
        // The drawing has shown its message; the page keeps what it showed.
    }
    m_imageWidget->update();
}

void ChartPageView::Clear()
{
    if (m_image.width() != ChartPageWidth || m_image.height() != ChartPageHeight)
        m_image = QImage(ChartPageWidth, ChartPageHeight, QImage::Format_RGB32);
    m_image.fill(Qt::white);
    m_settingRange = true;
    m_analystAction = false;
    m_scrollBar->setRange(0, 0);
    m_scrollBar->setValue(0);
    m_scrollBar->setEnabled(false);
    m_settingRange = false;
    m_imageWidget->update();
}

void ChartPageView::scrollBarMoved(int)
{
    const bool byAnalyst = std::exchange(m_analystAction, false) || m_scrollBar->isSliderDown();
    if (m_settingRange)
        return;
    Redraw();
    if (byAnalyst)
        Q_EMIT scrolled(m_slot);
}
