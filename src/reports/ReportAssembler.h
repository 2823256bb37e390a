#pragma once

#include "presentation/AnalysisPresentation.h"
#include "program/LaboratoryNames.h"
#include "reports/ReportRequest.h"

#include <QImage>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class MeasurementDocument;
namespace rpt {
class MemoObject;
class ReportEngine;
class ReportObject;
}

// What the value callback reads while a section is laid out.
struct SectionContext {
    QString SectionTitle; // the chart box's caption
    int SectionSlot = 0;
    int SectionGroup = 0; // the group whose result section or data-table summary row comes next
    int SectionFirst = 1;
    int SectionLast = 1;
};

// Assembles a report of a computed document from the templates into a report engine, section
// after section, and answers the engine's callbacks from the document. Changes nothing in the
// document but its shared chart number format (as every chart drawing does); it sets the chart
// drawing's LeftMargin for each chart section.
class ReportAssembler {
public:
    enum class Outcome { Done, Failed, Cancelled };
    // Called as the report grows, with the work done and the whole; false cancels the assembly.
    using Progress = std::function<bool(qint64 done, qint64 total)>;

    ReportAssembler(MeasurementDocument& doc, rpt::ReportEngine& engine, QString templateFolder);
    ~ReportAssembler();
    ReportAssembler(const ReportAssembler&) = delete;
    ReportAssembler& operator=(const ReportAssembler&) = delete;

    void SetLaboratoryNames(const LaboratoryNames& names) { m_lab = names; }

    // Checks nothing: the ranges and templates are the caller's (CheckRanges, MissingTemplateMessage).
    // On failure the general message goes to the document's messenger; a cancel says nothing.
    // Either way the engine's prepared pages are then not a report to show.
    Outcome Assemble(const ReportRequest& request, const Progress& progress = {});

    const SectionContext& Context() const { return m_context; }
    int PointsPerPicture() const { return m_pointsPerPicture; }

    // The general message of a failed assembly.
    static const QString& FailureMessage();

    // The value callback; nothing for a name it does not know. Public for the tests.
    std::optional<QString> Value(const QString& name);

private:
    void prepareHeader();
    void prepareIndividualTable(const PointRange& range);
    void prepareSubgroupTable(const PointRange& range);
    void prepareChart(int slot, const PointRange& range, const QString& caption, bool detailed);
    void prepareGroupResult(int group, bool detailed);
    void prepareNotes();
    void prepareChangeLog();
    void prepareRules();
    void showExcludedLegend(const PointRange& range);
    void beforePrint(rpt::ReportObject& object);
    void emphasiseSummaryRow(rpt::MemoObject& memo);
    void drawPicture();
    void step(qint64 amount = 1);
    qint64 workOf(const ReportRequest& request) const;

    MeasurementDocument& m_doc;
    rpt::ReportEngine& m_engine;
    QString m_templateFolder;
    LaboratoryNames m_lab;
    SectionContext m_context;
    int m_pointsPerPicture = 11;

    // The section being laid out.
    enum class Section { None, Header, IndividualTable, SubgroupTable, Chart, GroupResult, Notes, ChangeLog, Rules };
    Section m_section = Section::None;
    PointRange m_dataRange;
    std::vector<DetailsRow> m_westgardRows;
    std::vector<DetailsRow> m_isoRows;
    std::vector<int> m_noteRows; // table rows of the notes section
    QStringList m_ruleLines; // the rule statement's headings and paragraphs
    std::vector<bool> m_ruleHeadings; // by line: a heading

    Progress m_progress;
    qint64 m_done = 0;
    qint64 m_total = 1;
};
