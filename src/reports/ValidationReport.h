#pragma once

#include "reports/PreparedReport.h"
#include "reports/Validation.h"

#include <QString>

namespace validation {

// The validation as a prepared report: a first page with the program's identity, the summary
// verdict and every case's verdict; then per case its source, the published and computed values
// side by side with the difference and the verdict, the numbers shown without counting, and the
// chart pictures drawn as the report draws them. The drawings change the cases' documents' chart
// number format only; the shared drawing state is given back as it was. Throws rpt::ReportError
// when the report cannot be laid out.
rpt::PreparedReport BuildValidationReport(PackResult& result);

// BuildValidationReport written as PDF. Throws rpt::ReportError naming the file on failure.
void WriteValidationPdf(PackResult& result, const QString& fileName);

// The document title of the report and its PDF.
QString ValidationReportTitle();

} // namespace validation
