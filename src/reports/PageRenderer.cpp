#include "reports/PageRenderer.h"

namespace rpt {

void PageRenderer::render(QPainter&, int, const QRectF&) const { }

QImage PageRenderer::renderImage(int, double) const { return QImage(); }

} // namespace rpt
