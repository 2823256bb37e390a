#include "reports/ReportExport.h"

namespace rpt {

void exportPdf(const PreparedReport&, const QString&, const ExportInfo&) { }
void exportHtml(const PreparedReport&, const QString&, const ExportInfo&) { }
void exportRtf(const PreparedReport&, const QString&, const ExportInfo&) { }
void exportOdt(const PreparedReport&, const QString&, const ExportInfo&) { }
QString textDump(const PreparedReport&) { return QString(); }

} // namespace rpt
