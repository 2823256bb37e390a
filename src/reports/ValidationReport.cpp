#include "reports/ValidationReport.h"

#include "model/MeasurementDocument.h"
#include "paint/ChartCanvas.h"
#include "paint/ChartPage.h"
#include "paint/DrawingState.h"
#include "paint/Paint.h"
#include "presentation/MainWindowState.h"
#include "reports/ReportEngine.h"
#include "reports/ReportExport.h"
#include "reports/ReportRequest.h"
#include "reports/ReportValues.h"

#include <QDir>
#include <algorithm>
#include <cmath>

namespace validation {

namespace {

    const QColor AgreeColour(0x00, 0x70, 0x20);
    const QColor DisagreeColour(0xC0, 0x00, 0x00);
    const QColor HeaderFill(0xE8, 0xE8, 0xE8);

    // Both templates: A4 portrait, a running title with the page counter.
    const char* const PageHeader = R"(
  <band type="pageHeader" name="PageHeader1" height="9">
   <memo name="RunningTitle" x="0" y="0" w="140" h="5" bold="true" wrap="false">Мерідан: перевірка розрахунків</memo>
   <memo name="PageNo" x="140" y="0" w="45" h="5" align="right" wrap="false">Сторінка [Page#] з [TotalPages#]</memo>
   <line name="HeaderRule" x1="0" y1="6" x2="185" y2="6" width="0.3"/>
  </band>)";

    const char* const PageOpen = R"(<?xml version="1.0" encoding="UTF-8"?>
<report version="1">
 <page paper="A4" orientation="portrait" marginLeft="15" marginRight="10" marginTop="10" marginBottom="10" font="Arial" fontSize="9">)";

    const char* const PageClose = R"(
 </page>
</report>
)";

    const char* const SummaryBands = R"(
  <band type="data" name="TitleBand" rowCount="1" height="27">
   <memo name="Title" x="0" y="2" w="185" h="8" fontSize="14" bold="true">Перевірка розрахунків за опублікованими прикладами</memo>
   <memo name="Verdict" x="0" y="12" w="185" h="7" fontSize="12" bold="true" stretch="actual">[Verdict]</memo>
   <memo name="Counts" x="0" y="20" w="185" h="5" stretch="actual">[Counts]</memo>
  </band>
  <band type="data" name="IdentityRows" dataSet="frxUserDataSet1" height="5">
   <memo name="IdKey" x="0" y="0" w="45" h="5" frame="ltrb" stretch="max" padding="1">[IdKey]</memo>
   <memo name="IdValue" x="45" y="0" w="140" h="5" frame="ltrb" stretch="max" padding="1">[IdValue]</memo>
  </band>
  <band type="data" name="CasesTitle" rowCount="1" height="10">
   <memo name="CasesHeading" x="0" y="4" w="185" h="6" fontSize="11" bold="true">Випадки</memo>
  </band>
  <band type="data" name="CaseRows" dataSet="frxUserDataSet2" headerRows="1" height="5">
   <memo name="CaseId" x="0" y="0" w="35" h="5" frame="ltrb" stretch="max" padding="1">[CaseId]</memo>
   <memo name="CaseTitle" x="35" y="0" w="95" h="5" frame="ltrb" stretch="max" padding="1">[CaseTitle]</memo>
   <memo name="CaseCount" x="130" y="0" w="25" h="5" align="right" frame="ltrb" stretch="max" padding="1">[CaseCount]</memo>
   <memo name="CaseVerdict" x="155" y="0" w="30" h="5" align="center" frame="ltrb" stretch="max" padding="1">[CaseVerdict]</memo>
  </band>
  <band type="data" name="NotesBand" rowCount="1" height="12">
   <memo name="Notes" x="0" y="4" w="185" h="8" fontSize="8" stretch="actual">[Notes]</memo>
  </band>)";

    const char* const CaseBands = R"(
  <band type="data" name="CaseBand" rowCount="1" height="8">
   <memo name="CaseHeading" x="0" y="1" w="185" h="7" fontSize="12" bold="true" stretch="actual">[CaseHeading]</memo>
  </band>
  <band type="data" name="CaseVerdictBand" rowCount="1" height="7">
   <memo name="CaseVerdictLine" x="0" y="1" w="185" h="6" fontSize="10" bold="true" stretch="actual">[CaseVerdictLine]</memo>
  </band>
  <band type="data" name="SourceBand" rowCount="1" height="6">
   <memo name="SourceText" x="0" y="1" w="185" h="5" fontSize="8" stretch="actual">[SourceText]</memo>
  </band>
  <band type="data" name="ErrorBand" rowCount="1" height="6">
   <memo name="ErrorText" x="0" y="1" w="185" h="5" bold="true" color="#C00000" stretch="actual">[ErrorText]</memo>
  </band>
  <band type="data" name="ChecksTitle" rowCount="1" height="9">
   <memo name="ChecksHeading" x="0" y="3" w="185" h="6" fontSize="10" bold="true">Опубліковані й обчислені значення</memo>
  </band>
  <band type="data" name="CheckRows" dataSet="frxUserDataSet1" headerRows="1" height="4.5">
   <memo name="What" x="0" y="0" w="72" h="4.5" fontSize="7.5" frame="ltrb" stretch="max" padding="0.8">[What]</memo>
   <memo name="Published" x="72" y="0" w="24" h="4.5" fontSize="7.5" align="right" frame="ltrb" stretch="max" padding="0.8">[Published]</memo>
   <memo name="Computed" x="96" y="0" w="27" h="4.5" fontSize="7.5" align="right" frame="ltrb" stretch="max" padding="0.8">[Computed]</memo>
   <memo name="Difference" x="123" y="0" w="19" h="4.5" fontSize="7.5" align="right" frame="ltrb" stretch="max" padding="0.8">[Difference]</memo>
   <memo name="Tolerance" x="142" y="0" w="17" h="4.5" fontSize="7.5" align="right" frame="ltrb" stretch="max" padding="0.8">[Tolerance]</memo>
   <memo name="CheckVerdict" x="159" y="0" w="26" h="4.5" fontSize="7.5" align="center" frame="ltrb" stretch="max" padding="0.8">[CheckVerdict]</memo>
  </band>
  <band type="data" name="ShownTitle" rowCount="1" height="9">
   <memo name="ShownHeading" x="0" y="3" w="185" h="6" fontSize="10" bold="true">Показано для порівняння, не зараховується</memo>
  </band>
  <band type="data" name="ShownRows" dataSet="frxUserDataSet2" headerRows="1" height="4.5">
   <memo name="ShownWhat" x="0" y="0" w="60" h="4.5" fontSize="7.5" frame="ltrb" stretch="max" padding="0.8">[ShownWhat]</memo>
   <memo name="ShownPublished" x="60" y="0" w="26" h="4.5" fontSize="7.5" align="right" frame="ltrb" stretch="max" padding="0.8">[ShownPublished]</memo>
   <memo name="ShownComputed" x="86" y="0" w="26" h="4.5" fontSize="7.5" align="right" frame="ltrb" stretch="max" padding="0.8">[ShownComputed]</memo>
   <memo name="ShownNote" x="112" y="0" w="73" h="4.5" fontSize="7" frame="ltrb" stretch="max" padding="0.8">[ShownNote]</memo>
  </band>
  <band type="data" name="ChartsTitle" rowCount="1" height="9" startNewPage="true">
   <memo name="ChartsHeading" x="0" y="3" w="185" h="6" fontSize="10" bold="true">Карти, як їх будує програма</memo>
  </band>
  <band type="data" name="PictureRows" dataSet="frxUserDataSet3" height="83">
   <memo name="PictureTitle" x="0" y="1" w="185" h="5.5" bold="true" wrap="false">[PictureTitle]</memo>
   <picture name="Picture1" x="0" y="7" w="185" h="75" fit="keepAspect" align="center" frame="ltrb" frameWidth="0.2" frameColor="#808080"/>
  </band>)";

    QByteArray TemplateXml(const char* bands)
    {
        return QByteArray(PageOpen) + PageHeader + bands + PageClose;
    }

    QString Number(double value, int decimals)
    {
        if (!std::isfinite(value))
            return QStringLiteral("—");
        return QString::number(value, 'f', std::clamp(decimals, 0, 15));
    }

    QString Short(double value)
    {
        if (!std::isfinite(value))
            return QStringLiteral("—");
        return value == 0 ? QStringLiteral("0") : QString::number(value, 'g', 3);
    }

    QString CountText(const CaseResult& c)
    {
        const auto agreeing = std::count_if(c.Checks.begin(), c.Checks.end(), [](const Check& k) { return k.Ok; });
        return QStringLiteral("%1 з %2").arg(agreeing).arg(c.Checks.size());
    }

    // One picture of a chart section: the chart's points first..last, with the margin of its slot.
    struct PictureJob {
        int Slot = 0;
        int First = 1;
        int Last = 1;
        int LeftMargin = 0;
        QString Title;
    };

    std::vector<PictureJob> PictureJobs(const CaseResult& c, int pictureWidthPx)
    {
        std::vector<PictureJob> jobs;
        if (!c.Computed.Document)
            return jobs;
        const MeasurementDocument& doc = *c.Computed.Document;
        const DrawingState& state = ChartDrawingState();
        for (const auto& [name, slot] : c.Charts) {
            if (!SlotInUse(doc, slot))
                continue;
            const int last = RangeEndLimit(doc, slot);
            if (last < 1)
                continue;
            const int margin = ReportLeftMargin(doc, slot, ChartCanvas::ChartFontMetrics());
            const int perPicture = ReportValues::PointsPerPictureFor(pictureWidthPx, margin, state.PointStep);
            const int count = ReportValues::PictureCount(1, last, perPicture);
            const QString caption = MainWindowState(doc).TabCaption(slot) + QStringLiteral(" — ") + name;
            for (int r = 0; r < count; ++r) {
                const ReportValues::PictureRange range = ReportValues::PictureRangeOf(1, last, perPicture, r);
                jobs.push_back({ slot, range.First, range.Last, margin, ReportValues::PictureTitle(caption, range) });
            }
        }
        return jobs;
    }

    // Gives the shared drawing state back as it was, whatever the drawings set.
    class DrawingStateKeeper {
    public:
        DrawingStateKeeper()
            : m_saved(ChartDrawingState())
        {
        }
        ~DrawingStateKeeper() { ChartDrawingState() = m_saved; }
        DrawingStateKeeper(const DrawingStateKeeper&) = delete;
        DrawingStateKeeper& operator=(const DrawingStateKeeper&) = delete;

    private:
        DrawingState m_saved;
    };

    void PrepareSummary(rpt::ReportEngine& engine, const PackResult& result)
    {
        engine.loadTemplateXml(TemplateXml(SummaryBands), QStringLiteral("validation-summary"));
        const ProgramIdentity& id = result.Identity;
        const std::vector<std::pair<QString, QString>> identity {
            { QStringLiteral("Програма"), QStringLiteral("Мерідан ") + id.Version },
            { QStringLiteral("Коміт"), id.Commit },
            { QStringLiteral("Дата збирання"), id.BuildDate },
            { QStringLiteral("Операційна система"), id.OperatingSystem },
            { QStringLiteral("SHA-256 програми"), id.BinarySha256.isEmpty() ? QStringLiteral("—") : id.BinarySha256 },
            { QStringLiteral("Дата перевірки"), id.RunDate },
            { QStringLiteral("Набір прикладів"), QDir::toNativeSeparators(result.Folder) },
        };
        engine.dataSet(QStringLiteral("frxUserDataSet1"))->setRowCount(int(identity.size()));
        engine.dataSet(QStringLiteral("frxUserDataSet2"))->setRowCount(1 + int(result.Cases.size()));
        rpt::MemoObject* verdict = engine.memo(QStringLiteral("Verdict"));
        rpt::MemoObject* caseVerdict = engine.memo(QStringLiteral("CaseVerdict"));
        const auto caseRow = [&engine] { return engine.dataSet(QStringLiteral("frxUserDataSet2"))->currentRow(); };

        engine.setBeforePrintCallback([&](rpt::ReportObject& object) {
            if (object.kind() != rpt::ObjectKind::Memo || !object.band()
                || object.band()->name() != QLatin1String("CaseRows"))
                return;
            auto& memo = static_cast<rpt::MemoObject&>(object);
            memo.font.bold = caseRow() == 0;
            memo.fill = caseRow() == 0 ? HeaderFill : QColor();
        });
        engine.setValueCallback([&](const QString& name) -> std::optional<QString> {
            const int idRow = engine.dataSet(QStringLiteral("frxUserDataSet1"))->currentRow();
            const int row = caseRow();
            const CaseResult* c
                = row >= 1 && size_t(row) <= result.Cases.size() ? &result.Cases[size_t(row - 1)] : nullptr;
            if (name == QLatin1String("Verdict")) {
                verdict->setFontColor(result.Ok ? AgreeColour : DisagreeColour);
                if (result.Ok)
                    return QStringLiteral("Результат: усі випадки (%1) збігаються з опублікованими результатами.")
                        .arg(result.Cases.size());
                const auto failing = std::count_if(
                    result.Cases.begin(), result.Cases.end(), [](const CaseResult& k) { return !k.Ok; });
                QString text
                    = QStringLiteral("Результат: не збігається (випадків з розбіжностями або помилками: %1 з %2).")
                          .arg(failing)
                          .arg(result.Cases.size());
                if (!result.Error.isEmpty())
                    text += QLatin1Char('\n') + result.Error;
                return text;
            }
            if (name == QLatin1String("Counts"))
                return QStringLiteral("Порівнянь: %1, з них збігаються: %2.")
                    .arg(result.CheckCount())
                    .arg(result.AgreeingCount());
            if (name == QLatin1String("IdKey"))
                return identity.at(size_t(idRow)).first;
            if (name == QLatin1String("IdValue"))
                return identity.at(size_t(idRow)).second;
            if (name == QLatin1String("CaseId"))
                return c ? c->Id : QStringLiteral("Випадок");
            if (name == QLatin1String("CaseTitle"))
                return c ? c->Title : QStringLiteral("Назва");
            if (name == QLatin1String("CaseCount"))
                return c ? CountText(*c) : QStringLiteral("Порівнянь");
            if (name == QLatin1String("CaseVerdict")) {
                caseVerdict->setFontColor(!c ? QColor(Qt::black) : c->Ok ? AgreeColour : DisagreeColour);
                return c ? VerdictText(c->Ok) : QStringLiteral("Результат");
            }
            if (name == QLatin1String("Notes"))
                return QStringLiteral(
                    "Кожен випадок побудовано як документ програми, обчислено й проаналізовано так само, як у вікні "
                    "програми. Кожне опубліковане число порівняно з обчисленим у межах округлення джерела: половина "
                    "одиниці останнього надрукованого знака, і там, де джерело округлює коефіцієнти інакше, ніж "
                    "програма, ще й вплив цієї різниці (допуск і його походження записано в наборі). Числа, які "
                    "джерело отримало іншим методом, і числа, обчислені для набору, а не опубліковані, показано "
                    "окремо; вони не зараховуються. Випадок без жодного опублікованого числа для порівняння є "
                    "помилкою.");
            return std::nullopt;
        });
        engine.prepare(true);
        engine.setValueCallback({});
        engine.setBeforePrintCallback({});
    }

    void PrepareCase(rpt::ReportEngine& engine, CaseResult& c)
    {
        engine.loadTemplateXml(TemplateXml(CaseBands), QStringLiteral("validation-case"));
        rpt::UserDataSet& checks = *engine.dataSet(QStringLiteral("frxUserDataSet1"));
        rpt::UserDataSet& shown = *engine.dataSet(QStringLiteral("frxUserDataSet2"));
        rpt::UserDataSet& pictures = *engine.dataSet(QStringLiteral("frxUserDataSet3"));
        rpt::PictureObject& picture = *engine.picture(QStringLiteral("Picture1"));
        const std::vector<PictureJob> jobs = PictureJobs(c, picture.widthPx());
        checks.setRowCount(c.Checks.empty() ? 0 : 1 + int(c.Checks.size()));
        shown.setRowCount(c.Shown.empty() ? 0 : 1 + int(c.Shown.size()));
        pictures.setRowCount(int(jobs.size()));
        engine.band(QStringLiteral("ErrorBand"))->setRowCount(c.Errors.isEmpty() ? 0 : 1);
        engine.band(QStringLiteral("ChecksTitle"))->setRowCount(c.Checks.empty() ? 0 : 1);
        engine.band(QStringLiteral("ShownTitle"))->setRowCount(c.Shown.empty() ? 0 : 1);
        engine.band(QStringLiteral("ChartsTitle"))->setRowCount(jobs.empty() ? 0 : 1);
        rpt::MemoObject* verdictLine = engine.memo(QStringLiteral("CaseVerdictLine"));
        rpt::MemoObject* checkVerdict = engine.memo(QStringLiteral("CheckVerdict"));

        engine.setBeforePrintCallback([&](rpt::ReportObject& object) {
            if (object.kind() != rpt::ObjectKind::Memo || !object.band())
                return;
            const QString& band = object.band()->name();
            const bool header = (band == QLatin1String("CheckRows") && checks.currentRow() == 0)
                || (band == QLatin1String("ShownRows") && shown.currentRow() == 0);
            auto& memo = static_cast<rpt::MemoObject&>(object);
            if (band == QLatin1String("CheckRows") || band == QLatin1String("ShownRows")) {
                memo.font.bold = header;
                memo.fill = header ? HeaderFill : QColor();
            }
        });
        engine.setValueCallback([&](const QString& name) -> std::optional<QString> {
            const int checkRow = checks.currentRow();
            const Check* check
                = checkRow >= 1 && size_t(checkRow) <= c.Checks.size() ? &c.Checks[size_t(checkRow - 1)] : nullptr;
            const int shownRow = shown.currentRow();
            const ShownNumber* number
                = shownRow >= 1 && size_t(shownRow) <= c.Shown.size() ? &c.Shown[size_t(shownRow - 1)] : nullptr;
            if (name == QLatin1String("CaseHeading"))
                return c.Id + QStringLiteral(": ") + c.Title;
            if (name == QLatin1String("CaseVerdictLine")) {
                verdictLine->setFontColor(c.Ok ? AgreeColour : DisagreeColour);
                return QStringLiteral("Результат: %1 (збігаються %2 порівнянь)").arg(VerdictText(c.Ok), CountText(c));
            }
            if (name == QLatin1String("SourceText")) {
                QStringList lines = c.SourceLines;
                if (!c.Licence.isEmpty())
                    lines.append(QStringLiteral("licence: ") + c.Licence);
                return lines.join(QLatin1Char('\n'));
            }
            if (name == QLatin1String("ErrorText"))
                return c.Errors.join(QLatin1Char('\n'));
            if (name == QLatin1String("What"))
                return check ? check->What : QStringLiteral("Що порівнюється");
            if (name == QLatin1String("Published")) {
                if (!check)
                    return QStringLiteral("Опубліковано");
                return check->PublishedText.isEmpty() ? Number(check->Published, check->Decimals)
                                                      : check->PublishedText;
            }
            if (name == QLatin1String("Computed")) {
                if (!check)
                    return QStringLiteral("Обчислено");
                return check->ComputedText.isEmpty() ? Number(check->Computed, std::min(check->Decimals + 3, 12))
                                                     : check->ComputedText;
            }
            if (name == QLatin1String("Difference")) {
                if (!check)
                    return QStringLiteral("Різниця");
                return check->PublishedText.isEmpty() ? Short(check->Computed - check->Published) : QStringLiteral("—");
            }
            if (name == QLatin1String("Tolerance")) {
                if (!check)
                    return QStringLiteral("Допуск");
                return check->PublishedText.isEmpty() ? Short(check->Tolerance) : QStringLiteral("—");
            }
            if (name == QLatin1String("CheckVerdict")) {
                checkVerdict->setFontColor(!check ? QColor(Qt::black) : check->Ok ? AgreeColour : DisagreeColour);
                return check ? VerdictText(check->Ok) : QStringLiteral("Результат");
            }
            if (name == QLatin1String("ShownWhat"))
                return number ? number->What : QStringLiteral("Що");
            if (name == QLatin1String("ShownPublished"))
                return number ? (number->Published.isEmpty() ? QStringLiteral("—") : number->Published)
                              : QStringLiteral("Опубліковано");
            if (name == QLatin1String("ShownComputed"))
                return number ? (number->Computed ? Number(*number->Computed, 6) : QStringLiteral("—"))
                              : QStringLiteral("У програмі");
            if (name == QLatin1String("ShownNote"))
                return number ? number->Note : QStringLiteral("Чому не зараховується");
            if (name == QLatin1String("PictureTitle")) {
                // The picture is drawn here, before the walk reaches the picture object.
                const int row = pictures.currentRow();
                if (row < 0 || size_t(row) >= jobs.size() || !c.Computed.Document)
                    return QString();
                const PictureJob& job = jobs[size_t(row)];
                auto drawing = std::make_shared<ChartDrawing>();
                ChartDrawingState().LeftMargin = job.LeftMargin;
                try {
                    DrawReportPicture(*c.Computed.Document, job.Slot, job.First, job.Last, *drawing);
                } catch (const DrawingAborted&) {
                    drawing.reset(); // the drawing's message is in the case's messenger
                }
                picture.setDrawing(std::move(drawing));
                return job.Title;
            }
            return std::nullopt;
        });
        engine.prepare(false);
        engine.setValueCallback({});
        engine.setBeforePrintCallback({});
    }

} // namespace

QString ValidationReportTitle()
{
    return QStringLiteral("Мерідан: перевірка розрахунків");
}

rpt::PreparedReport BuildValidationReport(PackResult& result)
{
    DrawingStateKeeper keeper;
    rpt::ReportEngine engine;
    PrepareSummary(engine, result);
    for (CaseResult& c : result.Cases)
        PrepareCase(engine, c);
    return engine.prepared();
}

void WriteValidationPdf(PackResult& result, const QString& fileName)
{
    const rpt::PreparedReport report = BuildValidationReport(result);
    rpt::exportPdf(report, fileName, { ValidationReportTitle() });
}

} // namespace validation
