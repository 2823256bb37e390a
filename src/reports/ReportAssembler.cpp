#include "reports/ReportAssembler.h"

#include "model/ChangeLog.h"
#include "model/MeasurementDocument.h"
#include "model/Messenger.h"
#include "model/PointNote.h"
#include "paint/ChartCanvas.h"
#include "paint/ChartPage.h"
#include "paint/DrawingState.h"
#include "paint/Paint.h"
#include "presentation/RuleStatement.h"
#include "reports/ReportEngine.h"
#include "reports/ReportValues.h"

#include <QFileInfo>
#include <QHash>

namespace {

// Thrown from a callback when the analyst cancels; unwinds the engine's prepare.
struct AssemblyCancelled { };

enum class Variable {
    LabFullName,
    LabShortName,
    TableName,
    HDI,
    AdditionalInfoLine,
    SG3Header,
    SG3_1,
    SG3_2,
    SG1_1,
    SG4_1,
    R1,
    R2,
    DET1_1,
    DET1_2,
    DET1_3,
    DET2_1,
    DET2_2,
    DET2_3,
    Recommendation1,
    Recommendation2,
    Criteria1,
    Criteria2,
    CardName,
    ExcludedLegend,
    CountedPoints,
    NoteValueHeader,
    NotePoint,
    NoteDate,
    NoteValue,
    NoteText,
    NoteAction,
    NoteAuthor,
    LogIndex,
    LogTime,
    LogUser,
    LogChange,
    LogReason,
    LogChain,
    RuleText,
    MeasuredParameter,
    Units,
    Mode,
    PointCount,
    GroupCount,
    FirstDate,
    LastDate,
    DocumentFile,
    DocumentSha256,
    ProgramVersion,
};

std::optional<Variable> VariableNamed(const QString& name)
{
    static const QHash<QString, Variable> variables = [] {
        const std::pair<const char*, Variable> names[] = { { "lab_fullname", Variable::LabFullName },
            { "lab_shortname", Variable::LabShortName }, { "tablename", Variable::TableName }, { "hdi", Variable::HDI },
            // Our own: the header template prints each additional-information line with it.
            { "hdi_line", Variable::AdditionalInfoLine }, { "sg3_header", Variable::SG3Header },
            { "sg3_1", Variable::SG3_1 }, { "sg3_2", Variable::SG3_2 }, { "sg1_1", Variable::SG1_1 },
            { "sg4_1", Variable::SG4_1 }, { "r1", Variable::R1 }, { "r2", Variable::R2 },
            { "det1_1", Variable::DET1_1 }, { "det1_2", Variable::DET1_2 }, { "det1_3", Variable::DET1_3 },
            { "det2_1", Variable::DET2_1 }, { "det2_2", Variable::DET2_2 }, { "det2_3", Variable::DET2_3 },
            { "recommendation1", Variable::Recommendation1 }, { "recommendation2", Variable::Recommendation2 },
            { "criteria1", Variable::Criteria1 }, { "criteria2", Variable::Criteria2 },
            { "cardname", Variable::CardName }, { "excludedlegend", Variable::ExcludedLegend },
            { "countedpoints", Variable::CountedPoints }, { "notevalueheader", Variable::NoteValueHeader },
            { "notepoint", Variable::NotePoint }, { "notedate", Variable::NoteDate },
            { "notevalue", Variable::NoteValue }, { "notetext", Variable::NoteText },
            { "noteaction", Variable::NoteAction }, { "noteauthor", Variable::NoteAuthor },
            { "logindex", Variable::LogIndex }, { "logtime", Variable::LogTime }, { "loguser", Variable::LogUser },
            { "logchange", Variable::LogChange }, { "logreason", Variable::LogReason },
            { "logchain", Variable::LogChain }, { "ruletext", Variable::RuleText },
            // Ours: the header rows that identify the record.
            { "measuredparameter", Variable::MeasuredParameter }, { "units", Variable::Units },
            { "mode", Variable::Mode }, { "pointcount", Variable::PointCount }, { "groupcount", Variable::GroupCount },
            { "firstdate", Variable::FirstDate }, { "lastdate", Variable::LastDate },
            { "documentfile", Variable::DocumentFile }, { "documentsha256", Variable::DocumentSha256 },
            { "programversion", Variable::ProgramVersion } };
        QHash<QString, Variable> map;
        for (const auto& [text, variable] : names)
            map.insert(QString::fromLatin1(text), variable);
        return map;
    }();
    const auto found = variables.constFind(name.toLower());
    if (found == variables.constEnd())
        return std::nullopt;
    return *found;
}

[[noreturn]] void missingObject(const QString& name)
{
    throw rpt::ReportError(QStringLiteral("У шаблоні звіту немає об'єкта \"") + name + QStringLiteral("\""));
}

rpt::MemoObject& memoNamed(const rpt::ReportEngine& engine, const QString& name)
{
    rpt::MemoObject* memo = engine.memo(name);
    if (!memo)
        missingObject(name);
    return *memo;
}

rpt::Band& bandNamed(const rpt::ReportEngine& engine, const QString& name)
{
    rpt::Band* band = engine.band(name);
    if (!band)
        missingObject(name);
    return *band;
}

rpt::PictureObject& pictureNamed(const rpt::ReportEngine& engine, const QString& name)
{
    rpt::PictureObject* picture = engine.picture(name);
    if (!picture)
        missingObject(name);
    return *picture;
}

rpt::UserDataSet& dataSetNamed(rpt::ReportEngine& engine, int number)
{
    rpt::UserDataSet* set = engine.dataSet(QStringLiteral("frxUserDataSet%1").arg(number));
    Q_ASSERT(set);
    return *set;
}

// Starts a data set at row 0 with count rows.
void setRows(rpt::ReportEngine& engine, int number, int count)
{
    rpt::UserDataSet& set = dataSetNamed(engine, number);
    set.first();
    set.setRowCount(count);
}

QColor ColourOf(const AnalysisVerdict& verdict)
{
    return QColor(verdict.Colour.Red, verdict.Colour.Green, verdict.Colour.Blue);
}

QString DetailsCell(const std::vector<DetailsRow>& rows, int row, int column)
{
    if (row < 0 || size_t(row) >= rows.size())
        return QString();
    const DetailsRow& cells = rows[size_t(row)];
    return column == 0 ? cells.Criterion : column == 1 ? cells.Type : cells.Points;
}

} // namespace

ReportAssembler::ReportAssembler(MeasurementDocument& doc, rpt::ReportEngine& engine, QString templateFolder)
    : m_doc(doc)
    , m_engine(engine)
    , m_templateFolder(std::move(templateFolder))
{
}

ReportAssembler::~ReportAssembler()
{
    m_engine.setValueCallback({});
    m_engine.setBeforePrintCallback({});
}

const QString& ReportAssembler::FailureMessage()
{
    static const QString text = QStringLiteral("Помилка! Спробуйте ще раз або зверніться до розробника!");
    return text;
}

qint64 ReportAssembler::workOf(const ReportRequest& request) const
{
    qint64 work = 1;
    if (request.Data.Checked) {
        if (const std::optional<PointRange> range = ParseRange(request.Data))
            work += qint64(range->Last) - range->First + 2;
    }
    for (int s = 0; s < ChartSlotCount; ++s) {
        const RangeChoice& chart = request.Charts[size_t(s)];
        const std::optional<PointRange> range = ParseRange(chart);
        if (!chart.Checked || !range)
            continue;
        work += ReportValues::PictureCount(range->First, range->Last, 11);
        const ReportValues::GroupSpanOfRange groups
            = ReportValues::GroupsOfChartRange(m_doc, s, range->First, range->Last);
        work += std::max(0, groups.LastGroup - groups.FirstGroup + 1);
    }
    if (request.Notes)
        work += 1;
    if (request.ChangeLog)
        work += 1;
    if (request.Rules && QFileInfo::exists(ReportTemplatePath(m_templateFolder, RulesTemplateName)))
        work += 1;
    return work;
}

void ReportAssembler::step(qint64 amount)
{
    m_done += amount;
    if (m_progress && !m_progress(std::min(m_done, m_total), m_total))
        throw AssemblyCancelled();
}

ReportAssembler::Outcome ReportAssembler::Assemble(const ReportRequest& request, const Progress& progress)
{
    m_progress = progress;
    m_done = 0;
    m_total = workOf(request);
    m_engine.setValueCallback([this](const QString& name) { return Value(name); });
    m_engine.setBeforePrintCallback([this](rpt::ReportObject& object) { beforePrint(object); });
    Outcome outcome = Outcome::Done;
    try {
        prepareHeader();
        if (request.Data.Checked) {
            const std::optional<PointRange> range = ParseRange(request.Data);
            if (!range)
                throw rpt::ReportError(QStringLiteral("Некоректно задане число!"));
            if (m_doc.IndividualMode())
                prepareIndividualTable(*range);
            else
                prepareSubgroupTable(*range);
        }
        if (request.Notes)
            prepareNotes();
        for (int s : ReportSlots(m_doc)) {
            const RangeChoice& chart = request.Charts[size_t(s)];
            if (!chart.Checked)
                continue;
            const std::optional<PointRange> range = ParseRange(chart);
            if (!range)
                throw rpt::ReportError(QStringLiteral("Некоректно задане число!"));
            prepareChart(s, *range, request.Captions[size_t(s)], chart.Detailed);
        }
        if (request.Rules && QFileInfo::exists(ReportTemplatePath(m_templateFolder, RulesTemplateName)))
            prepareRules();
        if (request.ChangeLog)
            prepareChangeLog();
    } catch (const AssemblyCancelled&) {
        outcome = Outcome::Cancelled;
    } catch (const DrawingAborted&) {
        outcome = Outcome::Failed; // the drawing has said what went wrong
    } catch (const std::exception&) {
        outcome = Outcome::Failed;
    }
    m_section = Section::None;
    m_engine.setValueCallback({});
    m_engine.setBeforePrintCallback({});
    m_progress = {};
    if (outcome != Outcome::Done)
        m_engine.clearPrepared(); // half a report is not shown
    if (outcome == Outcome::Failed)
        m_doc.messenger().ShowMessage(FailureMessage());
    return outcome;
}

void ReportAssembler::prepareHeader()
{
    m_engine.loadTemplate(ReportTemplatePath(m_templateFolder, QStringLiteral("head.fr3")));
    m_section = Section::Header;
    setRows(m_engine, 1, m_doc.AdditionalInfoPresent() ? int(m_doc.AdditionalInfo().size()) : 0);
    memoNamed(m_engine, QStringLiteral("SDate")).setText(ReportValues::FillDate(m_doc));
    const std::pair<const char*, const char*> fields[]
        = { { "Operator", "MasterData1" }, { "Pattern", "MasterData5" }, { "PrepareM", "MasterData6" },
              { "ExecM", "MasterData7" }, { "Device", "MasterData8" }, { "Detector", "MasterData9" } };
    const HeaderField documentFields[] = { HeaderField::Operator, HeaderField::Sample, HeaderField::SamplePreparation,
        HeaderField::MeasurementMethod, HeaderField::Instrument, HeaderField::Detector };
    for (size_t i = 0; i < std::size(fields); ++i) {
        const HeaderEntry& entry = m_doc.Header(documentFields[i]);
        if (entry.Present)
            memoNamed(m_engine, QLatin1String(fields[i].first)).setText(entry.Text);
        else
            bandNamed(m_engine, QLatin1String(fields[i].second)).setRowCount(0);
    }
    m_engine.prepare(true);
    step();
}

void ReportAssembler::prepareIndividualTable(const PointRange& range)
{
    m_engine.loadTemplate(ReportTemplatePath(m_templateFolder, QStringLiteral("individ.fr3")));
    m_section = Section::IndividualTable;
    m_dataRange = range;
    setRows(m_engine, 1, ReportValues::TableRow(m_doc, range.Last) - ReportValues::TableRow(m_doc, range.First) + 2);
    m_context.SectionGroup = ReportValues::GroupOfPoint(m_doc, range.First);
    showExcludedLegend(range);
    m_engine.prepare(false);
}

void ReportAssembler::showExcludedLegend(const PointRange& range)
{
    // A template of an earlier installation may lack the legend; it prints the marks without it.
    if (rpt::Band* legend = m_engine.band(QStringLiteral("ExcludedLegendBand"))) {
        const bool any = ReportValues::AnyExcluded(
            m_doc, ReportValues::TableRow(m_doc, range.First), ReportValues::TableRow(m_doc, range.Last));
        legend->setRowCount(any ? 1 : 0);
    }
}

void ReportAssembler::prepareNotes()
{
    m_engine.loadTemplate(ReportTemplatePath(m_templateFolder, NotesTemplateName));
    m_section = Section::Notes;
    m_noteRows = ReportValues::NoteRows(m_doc);
    setRows(m_engine, 1, int(m_noteRows.size()));
    m_engine.prepare(false);
    step();
}

void ReportAssembler::prepareChangeLog()
{
    m_engine.loadTemplate(ReportTemplatePath(m_templateFolder, ChangeLogTemplateName));
    m_section = Section::ChangeLog;
    setRows(m_engine, 1, m_doc.Log().Size());
    m_engine.prepare(false);
    step();
}

void ReportAssembler::prepareRules()
{
    m_engine.loadTemplate(ReportTemplatePath(m_templateFolder, RulesTemplateName));
    m_section = Section::Rules;
    const RuleStatement statement = StateRules();
    m_ruleLines.clear();
    m_ruleHeadings.clear();
    auto part = [this](const QString& heading, const QStringList& paragraphs) {
        m_ruleLines.append(heading);
        m_ruleHeadings.push_back(true);
        for (const QString& paragraph : paragraphs) {
            m_ruleLines.append(paragraph);
            m_ruleHeadings.push_back(false);
        }
    };
    part(QStringLiteral("Загальні положення"), statement.General);
    part(QStringLiteral("Правила Westgard"), statement.Westgard);
    part(QStringLiteral("Тести ДСТУ ISO 8258"), statement.Iso);
    part(QStringLiteral("Висновки"), statement.Verdicts);
    setRows(m_engine, 1, int(m_ruleLines.size()));
    m_engine.prepare(false);
    step();
}

void ReportAssembler::prepareSubgroupTable(const PointRange& range)
{
    m_engine.loadTemplate(ReportTemplatePath(m_templateFolder, QStringLiteral("group.fr3")));
    m_section = Section::SubgroupTable;
    m_dataRange = range;
    showExcludedLegend(range);
    m_engine.prepare(false);
}

void ReportAssembler::prepareChart(int slot, const PointRange& range, const QString& caption, bool detailed)
{
    m_context.SectionSlot = slot;
    m_context.SectionLast = range.Last;
    m_context.SectionFirst = range.First;
    m_context.SectionTitle = caption;

    m_engine.loadTemplate(ReportTemplatePath(m_templateFolder, QStringLiteral("card.fr3")));
    m_section = Section::Chart;
    const rpt::PictureObject& picture = pictureNamed(m_engine, QStringLiteral("Picture1"));
    DrawingState& state = ChartDrawingState();
    // The margin fits the first value of the chart written as its scale labels are.
    state.LeftMargin = ReportLeftMargin(m_doc, slot, ChartCanvas::ChartFontMetrics());
    m_pointsPerPicture = ReportValues::PointsPerPictureFor(picture.widthPx(), state.LeftMargin, state.PointStep);
    setRows(m_engine, 1, ReportValues::PictureCount(range.First, range.Last, m_pointsPerPicture));
    m_engine.prepare(false);

    const ReportValues::GroupSpanOfRange groups
        = ReportValues::GroupsOfChartRange(m_doc, slot, range.First, range.Last);
    if (groups.LastGroup < groups.FirstGroup)
        throw rpt::ReportError(QStringLiteral("Діапазон точок поза картою"));
    for (int g = groups.FirstGroup; g <= groups.LastGroup; ++g)
        prepareGroupResult(g, detailed);
}

void ReportAssembler::prepareGroupResult(int group, bool detailed)
{
    m_engine.loadTemplate(ReportTemplatePath(m_templateFolder, QStringLiteral("result.fr3")));
    m_section = Section::GroupResult;
    m_context.SectionGroup = group;
    const int slot = m_context.SectionSlot;
    setRows(m_engine, 1, ReportValues::LimitsRowCount(m_doc, slot));
    const TSlotHits& hits = m_doc.Groups().at(size_t(group)).Hits[size_t(slot)];
    // The grids as the details window shows them, dates of the hits included.
    const HitNotes notes = DocumentHitNotes(m_doc, slot);
    m_westgardRows = DetailsGridRows(CriteriaFamily::Westgard, hits.Westgard, m_doc.PointDates(), notes);
    m_isoRows = DetailsGridRows(CriteriaFamily::Iso, hits.Iso, m_doc.PointDates(), notes);
    memoNamed(m_engine, QStringLiteral("InfoHeader"))
        .setText(ReportValues::InfoHeaderText(m_doc, group, slot, m_context.SectionTitle));
    memoNamed(m_engine, QStringLiteral("ResHeader"))
        .setText(ReportValues::ResultHeaderText(m_doc, group, slot, m_context.SectionTitle));
    setRows(m_engine, 2, detailed ? int(m_westgardRows.size()) : 0);
    setRows(m_engine, 3, detailed ? int(m_isoRows.size()) : 0);
    m_engine.prepare(false);
    step();
}

void ReportAssembler::beforePrint(rpt::ReportObject& object)
{
    if (m_section == Section::IndividualTable && object.kind() == rpt::ObjectKind::Memo) {
        emphasiseSummaryRow(static_cast<rpt::MemoObject&>(object));
        return;
    }
    if (m_section == Section::Rules && object.kind() == rpt::ObjectKind::Memo) {
        const size_t line = size_t(dataSetNamed(m_engine, 1).currentRow());
        static_cast<rpt::MemoObject&>(object).font.bold = line < m_ruleHeadings.size() && m_ruleHeadings[line];
        return;
    }
    if (m_section != Section::SubgroupTable || object.kind() != rpt::ObjectKind::CrossTab)
        return;
    auto& crossTab = static_cast<rpt::CrossTabObject&>(object);
    const std::vector<ReportValues::CrossCell> cells
        = ReportValues::SubgroupTableCells(m_doc, m_dataRange.First, m_dataRange.Last);
    for (const ReportValues::CrossCell& cell : cells)
        crossTab.addCell(cell.Row, cell.ColumnUpper, cell.ColumnLower, cell.Value);
    step(qint64(m_dataRange.Last) - m_dataRange.First + 2);
}

void ReportAssembler::emphasiseSummaryRow(rpt::MemoObject& memo)
{
    // The group summary rows of the data table stand out, so the eye finds where a group ends.
    const rpt::Band* band = memo.band();
    if (!band || band->dataSetName.compare(QLatin1String("frxUserDataSet1"), Qt::CaseInsensitive) != 0)
        return;
    const rpt::UserDataSet& rows = dataSetNamed(m_engine, 1);
    const int tableRow = ReportValues::TableRow(m_doc, m_dataRange.First) + rows.currentRow();
    const bool summary = rows.currentRow() == rows.rowCount() - 1 || m_doc.IsSeparatorRow(tableRow);
    memo.font.bold = summary;
    memo.fill = summary ? QColor(0xF0, 0xF0, 0xF0) : QColor();
}

void ReportAssembler::drawPicture()
{
    const int row = dataSetNamed(m_engine, 1).currentRow();
    const ReportValues::PictureRange range
        = ReportValues::PictureRangeOf(m_context.SectionFirst, m_context.SectionLast, m_pointsPerPicture, row);
    auto drawing = std::make_shared<ChartDrawing>();
    DrawReportPicture(m_doc, m_context.SectionSlot, range.First, range.Last, *drawing);
    rpt::PictureObject& picture = pictureNamed(m_engine, QStringLiteral("Picture1"));
    picture.setDrawing(std::move(drawing));
    picture.description = ReportValues::PictureDescription(m_context.SectionTitle, range);
}

std::optional<QString> ReportAssembler::Value(const QString& name)
{
    const std::optional<Variable> variable = VariableNamed(name);
    if (!variable)
        return std::nullopt;
    const int row1 = dataSetNamed(m_engine, 1).currentRow();
    switch (*variable) {
    case Variable::LabFullName:
        return m_lab.FullName;
    case Variable::LabShortName:
        return m_lab.ShortName;
    case Variable::TableName:
        return m_doc.TableName();
    case Variable::HDI:
        return row1 == 0 ? QStringLiteral("Додаткова інформація:") : QString();
    case Variable::AdditionalInfoLine:
        return m_doc.AdditionalInfo().value(row1);
    case Variable::SG3Header:
        return m_doc.IndividualMode() ? m_doc.ValueColumnHeader(0) : m_doc.ResultHeader(1);
    case Variable::SG3_1:
    case Variable::SG3_2:
    case Variable::SG1_1:
    case Variable::SG4_1: {
        const rpt::UserDataSet& rows = dataSetNamed(m_engine, 1);
        const int tableRow = ReportValues::TableRow(m_doc, m_dataRange.First) + row1;
        const bool lastRow = row1 == rows.rowCount() - 1;
        if (tableRow < 1 || tableRow >= m_doc.RowCount())
            return QString();
        if (*variable == Variable::SG3_1) {
            if (m_doc.IsSeparatorRow(tableRow) || lastRow) {
                const QString text = ReportValues::GroupSummaryText(m_doc, m_context.SectionGroup);
                ++m_context.SectionGroup;
                step(1);
                return text;
            }
            step(1);
            return ReportValues::MarkedLabel(m_doc, tableRow);
        }
        if (*variable == Variable::SG1_1) {
            int valueRow = tableRow;
            if (lastRow) {
                const TIndividualInfo& group
                    = m_doc.Groups().at(size_t(ReportValues::GroupOfPoint(m_doc, m_dataRange.Last)));
                valueRow = group.FirstRow + group.GroupPointCount;
            }
            return valueRow < m_doc.RowCount() ? ReportValues::Cell(m_doc.ValueText(valueRow, 0).toString())
                                               : QString();
        }
        if (lastRow)
            return ReportValues::Filler();
        if (*variable == Variable::SG3_2)
            return ReportValues::Cell(m_doc.DateText(tableRow));
        return ReportValues::Cell(m_doc.ResultText(tableRow, 0));
    }
    case Variable::R1:
        return ReportValues::LimitsRowLabel(m_doc, m_context.SectionGroup, m_context.SectionSlot, row1);
    case Variable::R2:
        return ReportValues::LimitsRowValue(m_doc, m_context.SectionGroup, m_context.SectionSlot, row1);
    case Variable::DET1_1:
    case Variable::DET1_2:
    case Variable::DET1_3:
        return DetailsCell(
            m_westgardRows, dataSetNamed(m_engine, 2).currentRow(), int(*variable) - int(Variable::DET1_1));
    case Variable::DET2_1:
    case Variable::DET2_2:
    case Variable::DET2_3:
        return DetailsCell(m_isoRows, dataSetNamed(m_engine, 3).currentRow(), int(*variable) - int(Variable::DET2_1));
    case Variable::Recommendation1:
    case Variable::Recommendation2: {
        const bool westgard = *variable == Variable::Recommendation1;
        const TSlotHits& hits = m_doc.Groups().at(size_t(m_context.SectionGroup)).Hits[size_t(m_context.SectionSlot)];
        const AnalysisVerdict verdict
            = westgard ? Verdict(CriteriaFamily::Westgard, hits.Westgard) : Verdict(CriteriaFamily::Iso, hits.Iso);
        memoNamed(m_engine, westgard ? QStringLiteral("Recom1") : QStringLiteral("Recom2"))
            .setFontColor(ColourOf(verdict));
        return verdict.Text;
    }
    case Variable::Criteria1:
    case Variable::Criteria2: {
        const TSlotHits& hits = m_doc.Groups().at(size_t(m_context.SectionGroup)).Hits[size_t(m_context.SectionSlot)];
        return CriteriaSentence(*variable == Variable::Criteria1 ? hits.Westgard : hits.Iso);
    }
    case Variable::CardName: {
        const ReportValues::PictureRange range
            = ReportValues::PictureRangeOf(m_context.SectionFirst, m_context.SectionLast, m_pointsPerPicture, row1);
        drawPicture();
        step();
        return ReportValues::PictureTitle(m_context.SectionTitle, range);
    }
    case Variable::ExcludedLegend:
        return ReportValues::ExcludedLegend();
    case Variable::CountedPoints:
        return ReportValues::CountedPointsText(m_doc, m_context.SectionGroup);
    case Variable::NoteValueHeader:
        return ReportValues::NoteValueHeader(m_doc);
    case Variable::NotePoint:
    case Variable::NoteDate:
    case Variable::NoteValue:
    case Variable::NoteText:
    case Variable::NoteAction:
    case Variable::NoteAuthor: {
        if (row1 < 0 || size_t(row1) >= m_noteRows.size())
            return QString();
        const int row = m_noteRows[size_t(row1)];
        const PointNote* note = m_doc.NoteOf(row);
        if (!note)
            return QString();
        switch (*variable) {
        case Variable::NotePoint:
            return ReportValues::MarkedLabel(m_doc, row);
        case Variable::NoteDate:
            return ReportValues::Cell(m_doc.DateText(row));
        case Variable::NoteValue:
            return ReportValues::NoteValue(m_doc, row);
        case Variable::NoteText:
            return ReportValues::NoteText(*note);
        case Variable::NoteAction:
            return note->Action;
        default:
            return ReportValues::NoteAuthorText(*note);
        }
    }
    case Variable::LogIndex:
    case Variable::LogTime:
    case Variable::LogUser:
    case Variable::LogChange:
    case Variable::LogReason: {
        const std::vector<ChangeLogEntry>& entries = m_doc.Log().Entries();
        if (row1 < 0 || size_t(row1) >= entries.size())
            return QString();
        const ChangeLogEntry& entry = entries[size_t(row1)];
        switch (*variable) {
        case Variable::LogIndex:
            return QString::number(row1 + 1);
        case Variable::LogTime:
            return ReportValues::LogTimeText(entry);
        case Variable::LogUser:
            return entry.User;
        case Variable::LogChange:
            return entry.Change;
        default:
            return entry.Reason;
        }
    }
    case Variable::LogChain:
        return ReportValues::LogChainText(m_doc.Log());
    case Variable::RuleText:
        return m_ruleLines.value(row1);
    case Variable::MeasuredParameter:
        return ReportValues::MeasuredParameterText(m_doc);
    case Variable::Units:
        return ReportValues::UnitsText(m_doc);
    case Variable::Mode:
        return ReportValues::ModeText(m_doc);
    case Variable::PointCount:
        return QString::number(m_doc.PointCount());
    case Variable::GroupCount:
        return QString::number(m_doc.GroupCount());
    case Variable::FirstDate:
        return ReportValues::FirstDateText(m_doc);
    case Variable::LastDate:
        return ReportValues::LastDateText(m_doc);
    case Variable::DocumentFile:
        return ReportValues::DocumentFileText(m_doc);
    case Variable::DocumentSha256:
        return ReportValues::DocumentSha256Text(m_doc);
    case Variable::ProgramVersion:
        return ReportValues::ProgramVersionText();
    }
    return std::nullopt;
}
