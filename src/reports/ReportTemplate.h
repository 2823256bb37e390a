#pragma once

#include "reports/ReportObjects.h"

#include <QHash>
#include <QSizeF>
#include <QString>
#include <memory>
#include <vector>

namespace rpt {

// Paper, margins (millimetres) and default font of a template's page.
struct PageDef {
    QSizeF paperMm { 210, 297 }; // A4 portrait
    double marginLeftMm = 15;
    double marginRightMm = 5;
    double marginTopMm = 10;
    double marginBottomMm = 10;
    QString fontFamily = QStringLiteral("Arial");
    double fontSizePt = 9;
    // The template's pages continue on the last page prepared so far, below what is printed there,
    // instead of beginning a new page.
    bool printOnPreviousPage = false;

    double bodyWidthMm() const { return paperMm.width() - marginLeftMm - marginRightMm; }
};

// A loaded template: the page and its bands in document order (the print order), with an index
// of every named band and object that ignores case (Cyrillic names too).
class ReportTemplate {
public:
    PageDef page;

    const std::vector<std::unique_ptr<Band>>& bands() const { return m_bands; }
    Band& addBand(std::unique_ptr<Band> band); // indexes the band's objects too

    ReportObject* find(const QString& name) const; // null when absent
    static QString foldName(const QString& name); // the index key of a name

    QString fileName; // the file it was loaded from, for messages

private:
    std::vector<std::unique_ptr<Band>> m_bands;
    QHash<QString, ReportObject*> m_index;
};

// Reads a template file of the XML schema described in TEMPLATES.md.
class TemplateLoader {
public:
    // Throws ReportError naming the file, line and column of the first fault.
    static std::unique_ptr<ReportTemplate> load(const QString& fileName);
    // The same for a template held in memory; fileName is used in messages only.
    static std::unique_ptr<ReportTemplate> parse(const QByteArray& xml, const QString& fileName);
};

} // namespace rpt
