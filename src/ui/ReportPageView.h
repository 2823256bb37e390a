#pragma once

#include "reports/PreparedReport.h"

#include <QAbstractScrollArea>

// The pages of a prepared report one below the other, drawn through the report's one paint path.
// Only the pages in sight are drawn, so a report of thousands of chart pictures previews without
// holding them all decoded.
class ReportPageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit ReportPageView(const rpt::PreparedReport& report, QWidget* parent = nullptr);

    double zoomFactor() const { return m_zoom; } // 1: paper size at the screen's resolution
    void setZoomFactor(double factor); // kept between 0.1 and 8
    void fitToWidth();
    void fitToPage();

    int currentPage() const; // from 1: the page at the top of the view
    void setCurrentPage(int page); // scrolls its top into view
    void reportChanged(); // after the report was prepared again

Q_SIGNALS:
    void currentPageChanged(int page);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    double pixelsPerMm() const;
    QRectF pageRect(int index) const; // in content coordinates
    void updateScrollBars();

    const rpt::PreparedReport& m_report;
    double m_zoom = 1;
    std::vector<double> m_tops; // content top of every page at the current zoom
    double m_contentHeight = 0;
    double m_contentWidth = 0;
    int m_lastReportedPage = 0;
};
