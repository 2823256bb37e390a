#include "ui/ReportPreviewDialog.h"

#include "document/Messenger.h"

#include <QPrinter>

ReportPreviewDialog::ReportPreviewDialog(const rpt::PreparedReport& report, Messenger& messenger, QWidget* parent)
    : QDialog(parent)
    , m_report(report)
    , m_messenger(messenger)
    , m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
}

ReportPreviewDialog::~ReportPreviewDialog() = default;

int ReportPreviewDialog::pageCount() const { return m_report.pageCount(); }
int ReportPreviewDialog::currentPage() const { return 1; }
void ReportPreviewDialog::setCurrentPage(int) { }
double ReportPreviewDialog::zoomFactor() const { return 1; }
void ReportPreviewDialog::setZoomFactor(double) { }
bool ReportPreviewDialog::findNext(const QString&) { return false; }
bool ReportPreviewDialog::exportTo(Format, const QString&, bool) { return false; }
void ReportPreviewDialog::print() { }
void ReportPreviewDialog::pageSetup() { }
void ReportPreviewDialog::exportWithDialog(Format) { }
void ReportPreviewDialog::paintPages(QPrinter*) { }
void ReportPreviewDialog::updatePageLabel() { }
