#include "reports/LayoutEngine.h"

namespace rpt {

struct LayoutEngine::Instance { };

LayoutEngine::LayoutEngine(const ReportTemplate& templ, const Callbacks& callbacks, PreparedReport& report)
    : m_template(templ)
    , m_callbacks(callbacks)
    , m_report(report)
{
}

void LayoutEngine::run() { }

} // namespace rpt
