#pragma once

#include "reports/PreparedReport.h"

#include <QString>

// Writers of a prepared report. Each throws ReportError with a Ukrainian message naming the file
// when it cannot be written.
namespace rpt {

struct ExportInfo {
    QString title; // document title where the format keeps one
    QString creator = QStringLiteral("Мерідан");
};

// PDF written from the page commands (PdfWriter): fonts embedded, text extractable, pictures
// lossless, charts as vectors.
void exportPdf(const PreparedReport& report, const QString& fileName, const ExportInfo& info = {});
// The same pages painted through QPdfWriter and the page renderer: slower and larger, kept as
// the reference the PDF writer is compared with.
void exportPdfThroughPainter(const PreparedReport& report, const QString& fileName, const ExportInfo& info = {});
// One HTML file as a document: headings, tables of real cells, pictures inline as PNG with alt
// texts, a print stylesheet; UTF-8, well-formed XML.
void exportHtml(const PreparedReport& report, const QString& fileName, const ExportInfo& info = {});
// RTF that word processors open: text in positioned frames, tables' cells in frames, pictures as PNG.
void exportRtf(const PreparedReport& report, const QString& fileName, const ExportInfo& info = {});
// OpenDocument text through QTextDocumentWriter.
void exportOdt(const PreparedReport& report, const QString& fileName, const ExportInfo& info = {});

// Deterministic listing of every page and command (tenths of a millimetre), tokens substituted;
// for tests.
QString textDump(const PreparedReport& report);

} // namespace rpt
