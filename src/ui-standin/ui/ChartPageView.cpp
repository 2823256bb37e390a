#include "ui/ChartPageView.h"

#include "document/MeasurementDocument.h"
#include "paint/ChartPage.h"

#include <QLabel>
#include <QPixmap>
#include <QScrollBar>

ChartPageView::ChartPageView(MeasurementDocument& document, int slot, QWidget* parent)
    : QWidget(parent)
    , m_document(document)
    , m_slot(slot)
    , m_label(new QLabel(this))
    , m_scrollBar(new QScrollBar(Qt::Horizontal, this))
{
    static const char* const names[] = { "ScrollBar1", "ScrollBar3", "ScrollBar4", "ScrollBar5", "ScrollBar6",
        "ScrollBar7" };
    m_scrollBar->setObjectName(QLatin1String(names[slot]));
    m_label->setGeometry(0, 0, ChartPageWidth, ChartPageHeight);
    m_scrollBar->setGeometry(0, ChartPageHeight + 2, ChartPageWidth, 16);
    resize(ChartPageWidth, ChartPageHeight + 18);
    connect(m_scrollBar, &QScrollBar::valueChanged, this, [this] {
        Redraw();
        Q_EMIT scrolled(m_slot);
    });
}

void ChartPageView::UpdateScrollRange()
{
    const int extent = m_document.ChartExtent()[size_t(m_slot)];
    const QSignalBlocker blocker(m_scrollBar);
    m_scrollBar->setEnabled(extent > ChartPageWidth);
    m_scrollBar->setRange(0, std::max(0, extent - ChartPageWidth));
    m_scrollBar->setPageStep(50);
}

void ChartPageView::Redraw()
{
    const int range = m_scrollBar->maximum() - m_scrollBar->minimum();
    const double f = range > 0 ? double(m_scrollBar->value()) / range : 0.0;
    DrawChartPage(m_document, m_slot, m_image, f);
    m_label->setPixmap(QPixmap::fromImage(m_image));
}

void ChartPageView::Clear()
{
    m_image = QImage();
    m_label->clear();
}
