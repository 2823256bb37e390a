#pragma once

#include "reports/PreparedReport.h"

#include <QPainter>
#include <QRectF>

namespace rpt {

// The one paint path of a prepared page: preview, printer, PDF and test images all draw through
// it. Only reads the report.
class PageRenderer {
public:
    explicit PageRenderer(const PreparedReport& report)
        : m_report(report)
    {
    }

    // Draws page pageIndex into target (device coordinates of the painter), scaled to fit with
    // its aspect kept and its top-left corner at target's. Page tokens count the whole report.
    void render(QPainter& painter, int pageIndex, const QRectF& target) const;

    // A page as an image at dpi, white background (tests, screenshots).
    QImage renderImage(int pageIndex, double dpi) const;

private:
    const PreparedReport& m_report;
};

} // namespace rpt
