#pragma once

#include "reports/PreparedReport.h"
#include "reports/ReportTemplate.h"
#include "reports/TextMeasurer.h"
#include "reports/UserDataSet.h"

#include <functional>
#include <optional>

namespace rpt {

// Lays one template out into a prepared report, filling every band instance exactly once
// (see ReportEngine for the order of the callbacks).
class LayoutEngine {
public:
    struct Callbacks {
        // Answers a placeholder; reserved names ([Page#], [TotalPages#]) never reach it.
        std::function<QString(const QString& name)> value;
        std::function<void(ReportObject&)> beforePrint;
        std::function<UserDataSet*(const QString& name)> dataSet;
    };

    LayoutEngine(const ReportTemplate& templ, const Callbacks& callbacks, PreparedReport& report);
    void run(); // appends the template's pages

private:
    struct Instance;
    Instance fill(const Band& band);
    void place(Instance& instance);
    void newPage();
    void finishPage();
    void runDataBand(size_t index);
    void placeCrossTab(const CrossTabObject& crossTab, double bandOffsetMm);
    void repeatHeaders();

    const ReportTemplate& m_template;
    const Callbacks& m_callbacks;
    PreparedReport& m_report;
    TextMeasurer m_measurer;
    double m_y = 0; // cursor on the current page, from the paper's top
    double m_bodyBottom = 0;
    bool m_pageHasBody = false;
    bool m_pageOpen = false;
    std::vector<const Band*> m_activeHeaders; // headers repeated on a new page
};

} // namespace rpt
