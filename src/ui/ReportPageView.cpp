#include "ui/ReportPageView.h"

#include "reports/PageRenderer.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <cmath>

namespace {
constexpr int Gap = 12; // pixels between pages and around them
}

ReportPageView::ReportPageView(const rpt::PreparedReport& report, QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_report(report)
{
    setObjectName(QStringLiteral("ReportPageView"));
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(20);
    horizontalScrollBar()->setSingleStep(20);
    reportChanged();
}

double ReportPageView::pixelsPerMm() const
{
    return m_zoom * logicalDpiX() / 25.4;
}

void ReportPageView::reportChanged()
{
    m_tops.clear();
    double y = Gap;
    m_contentWidth = 0;
    const double scale = pixelsPerMm();
    for (const rpt::PreparedPage& page : m_report.pages()) {
        m_tops.push_back(y);
        y += page.paperMm.height() * scale + Gap;
        m_contentWidth = std::max(m_contentWidth, page.paperMm.width() * scale + 2 * Gap);
    }
    m_contentHeight = y;
    updateScrollBars();
    viewport()->update();
}

QRectF ReportPageView::pageRect(int index) const
{
    const QSizeF paper = m_report.page(index).paperMm * pixelsPerMm();
    const double x = std::max(double(Gap), (std::max(m_contentWidth, double(viewport()->width())) - paper.width()) / 2);
    return QRectF(QPointF(x, m_tops[size_t(index)]), paper);
}

void ReportPageView::updateScrollBars()
{
    const QSize view = viewport()->size();
    verticalScrollBar()->setPageStep(view.height());
    verticalScrollBar()->setRange(0, std::max(0, int(std::ceil(m_contentHeight)) - view.height()));
    horizontalScrollBar()->setPageStep(view.width());
    horizontalScrollBar()->setRange(0, std::max(0, int(std::ceil(m_contentWidth)) - view.width()));
}

void ReportPageView::setZoomFactor(double factor)
{
    factor = std::clamp(factor, 0.1, 8.0);
    if (std::abs(factor - m_zoom) < 1e-9)
        return;
    // Keep the same spot of the same page at the top.
    const int page = currentPage();
    double within = 0;
    if (page > 0) {
        const QRectF rect = pageRect(page - 1);
        within = (verticalScrollBar()->value() - rect.top()) / std::max(rect.height(), 1.0);
    }
    m_zoom = factor;
    reportChanged();
    if (page > 0) {
        const QRectF rect = pageRect(page - 1);
        verticalScrollBar()->setValue(int(rect.top() + within * rect.height()));
    }
}

void ReportPageView::fitToWidth()
{
    if (m_report.isEmpty())
        return;
    const double paper = m_report.page(0).paperMm.width() * logicalDpiX() / 25.4;
    setZoomFactor((viewport()->width() - 2.0 * Gap) / paper);
}

void ReportPageView::fitToPage()
{
    if (m_report.isEmpty())
        return;
    const QSizeF paper = m_report.page(0).paperMm * (logicalDpiX() / 25.4);
    setZoomFactor(std::min(
        (viewport()->width() - 2.0 * Gap) / paper.width(), (viewport()->height() - 2.0 * Gap) / paper.height()));
    setCurrentPage(currentPage());
}

int ReportPageView::currentPage() const
{
    if (m_tops.empty())
        return 0;
    // The last page whose top is above the middle of the upper part of the view.
    const double probe = verticalScrollBar()->value() + viewport()->height() / 4.0;
    const auto it = std::upper_bound(m_tops.begin(), m_tops.end(), probe);
    return std::max(1, int(it - m_tops.begin()));
}

void ReportPageView::setCurrentPage(int page)
{
    if (m_tops.empty())
        return;
    page = std::clamp(page, 1, int(m_tops.size()));
    verticalScrollBar()->setValue(int(m_tops[size_t(page - 1)] - Gap));
    const int now = currentPage();
    if (now != m_lastReportedPage) {
        m_lastReportedPage = now;
        Q_EMIT currentPageChanged(now);
    }
}

void ReportPageView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QPointF offset(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    const QRectF visible = QRectF(event->rect()).translated(-offset);
    const rpt::PageRenderer renderer(m_report);
    const auto first = std::upper_bound(m_tops.begin(), m_tops.end(), visible.top());
    for (int p = std::max(0, int(first - m_tops.begin()) - 1); p < int(m_tops.size()); ++p) {
        const QRectF rect = pageRect(p);
        if (rect.top() > visible.bottom())
            break;
        if (!rect.intersects(visible))
            continue;
        const QRectF shown = rect.translated(offset);
        painter.fillRect(shown.translated(3, 3), QColor(0, 0, 0, 90));
        painter.fillRect(shown, Qt::white);
        renderer.render(painter, p, shown);
    }
}

void ReportPageView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void ReportPageView::scrollContentsBy(int, int)
{
    viewport()->update();
    const int now = currentPage();
    if (now != m_lastReportedPage) {
        m_lastReportedPage = now;
        Q_EMIT currentPageChanged(now);
    }
}

void ReportPageView::wheelEvent(QWheelEvent* event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        setZoomFactor(m_zoom * (event->angleDelta().y() > 0 ? 1.25 : 0.8));
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}
