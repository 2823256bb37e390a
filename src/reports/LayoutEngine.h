#pragma once

#include "reports/PreparedReport.h"
#include "reports/ReportTemplate.h"
#include "reports/TextMeasurer.h"
#include "reports/UserDataSet.h"

#include <functional>
#include <vector>

namespace rpt {

// Lays one template out into a prepared report, filling every band instance exactly once (see
// ReportEngine for the order of the callbacks). A band instance that does not fit moves whole to
// the next page, where the running headers are placed again from their first fill; one taller than
// a page body starts where it stands and continues on the next pages, its texts cut between lines.
class LayoutEngine {
public:
    struct Callbacks {
        // Answers a placeholder; the page tokens never reach it.
        std::function<QString(const QString& name)> value;
        std::function<void(ReportObject&)> beforePrint;
        std::function<UserDataSet*(const QString& name)> dataSet;
    };

    LayoutEngine(ReportTemplate& templ, const Callbacks& callbacks, PreparedReport& report);
    void run(); // appends the template's pages

    // A filled band instance: commands relative to its top-left corner.
    struct Instance {
        double heightMm = 0;
        std::vector<DrawCmd> commands;
        const CrossTabObject* crossTab = nullptr; // laid out below the instance when set
        ReportBlock block; // the instance as a document sees it; recorded when first placed
    };

    // The text of a memo with its placeholders answered left to right; sets pageTokens when it
    // keeps [Page#] or [TotalPages#].
    static QString expand(const QString& text, const std::function<QString(const QString&)>& value, bool& pageTokens);

private:
    Instance fill(Band& band);
    void place(Instance instance, const QString& bandName);
    void append(Instance& instance, double topMm); // onto the last page, at topMm
    void newPage();
    double freshBodyMm() const; // the height a new page of the template offers a band
    void finishPage();
    void runDataBand(Band& band, const std::vector<Band*>& headers, const std::vector<Band*>& footers);
    void placeCrossTab(const CrossTabObject& crossTab, double xMm);
    QFont fontOf(const FontStyle& style) const;

    ReportTemplate& m_template;
    const Callbacks& m_callbacks;
    PreparedReport& m_report;
    TextMeasurer m_measurer;
    Band* m_pageHeader = nullptr;
    Band* m_pageFooter = nullptr;
    double m_y = 0; // cursor on the current page, from the paper's top
    double m_bodyBottom = 0;
    double m_pageHeaderMm = 0; // the height of the last page header placed
    bool m_pageHasBody = false;
    bool m_footerPending = false;
    int m_section = 0;
    bool m_pageHeaderRecorded = false; // the running bands go into the document once a section
    bool m_pageFooterRecorded = false;
    std::vector<Instance> m_runningHeaders; // placed again at the top of each new page
};

} // namespace rpt
