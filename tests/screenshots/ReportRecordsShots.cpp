// The report of a document whose points carry notes and exclusions and whose change log has
// entries: the data table with its marks, a chart with the marks, the notes section and the log;
// and the report options window that offers them.
#include "ScreenshotRegistry.h"

#include "common/DocumentBuilder.h"
#include "compute/ComputeDriver.h"
#include "model/ChangeLog.h"
#include "model/Messenger.h"
#include "model/PointNote.h"
#include "presentation/MainWindowState.h"
#include "reports/PageRenderer.h"
#include "reports/ReportAssembler.h"
#include "reports/ReportEngine.h"
#include "ui/ReportDialog.h"

#include <QDir>
#include <memory>

namespace {

class QuietAnswers final : public Messenger {
public:
    void ShowMessage(const QString& text) override { messages.append(text); }
    bool AskYesNo(const QString&) override { return false; }
    QStringList messages;
};

QString TemplateFolder()
{
    return QDir(QStringLiteral(MERIDAN_SOURCE_DIR)).filePath(QStringLiteral("data/Data"));
}

std::unique_ptr<MeasurementDocument> RecordedDocument(Messenger& messenger)
{
    auto doc = std::make_unique<MeasurementDocument>(messenger);
    std::vector<QStringList> rows = ReadReferenceCsv(QStringLiteral("syn07_ind_n73_outliers.csv"));
    std::vector<QStringList> second(rows.begin() + 20, rows.begin() + 40);
    rows.resize(20);
    BuildDocument(*doc, 0, { rows, second });
    doc->SetTableName(QStringLiteral("Масова концентрація нітратів у контрольному зразку"));
    doc->SetUnits(QStringLiteral("мг/дм³"));
    const QString author = QStringLiteral("petrenko");
    const QString time = QStringLiteral("2024-12-02T10:15:00+02:00");
    doc->SetPointNote(3,
        { QStringLiteral("Нова партія реактиву (серія 24-117)"),
            QStringLiteral("Перевірено градуювальну характеристику за двома стандартами"), QString(), author, time });
    doc->SetPointNote(7,
        { QStringLiteral("Збій термостата, температура 27 °C"),
            QStringLiteral("Термостат відремонтовано, пробу повторено"),
            QStringLiteral("Відома причина: збій термостата"), author, time });
    doc->SetPointNote(15, { QString(), QString(), QStringLiteral("Забруднена кювета"), author, time });
    doc->SetPointNote(25, { QStringLiteral("Новий аналітик"), QString(), QString(), QStringLiteral("koval"), time });
    doc->AppendLogEntryAt(time, author, QStringLiteral("Примітка до точки 3"), QString());
    doc->AppendLogEntryAt(QStringLiteral("2024-12-02T10:17:41+02:00"), author,
        QStringLiteral("Не враховувати точку 7 при обчисленні меж"), QStringLiteral("Відома причина: збій термостата"));
    doc->AppendLogEntryAt(QStringLiteral("2024-12-02T10:18:03+02:00"), author,
        QStringLiteral("Не враховувати точку 15 при обчисленні меж"), QStringLiteral("Забруднена кювета"));
    doc->AppendLogEntryAt(QStringLiteral("2024-12-03T09:02:10+02:00"), QStringLiteral("koval"),
        QStringLiteral("Зміна значення: рядок 24, 11,8 → 11,9"), QString());
    if (!RunComputeCommand(*doc))
        return nullptr;
    return doc;
}

} // namespace

MERIDAN_SCREENSHOT_CASE(ReportRecordsPages)
{
    QuietAnswers messenger;
    std::unique_ptr<MeasurementDocument> doc = RecordedDocument(messenger);
    if (!doc) {
        shots.Fail(QStringLiteral("report-records: the document does not compute"));
        return;
    }
    ReportRequest request = DefaultReportRequest(*doc);
    request.Data.Checked = true;
    request.Charts[SlotCentre].Checked = request.Charts[SlotCentre].Detailed = true;
    request.ChangeLog = true;
    rpt::ReportEngine engine;
    ReportAssembler assembler(*doc, engine, TemplateFolder());
    assembler.SetLaboratoryNames({ QStringLiteral("Випробувальна лабораторія якості води"), QStringLiteral("ВЛЯВ") });
    if (assembler.Assemble(request) != ReportAssembler::Outcome::Done) {
        shots.Fail(QStringLiteral("report-records: ") + messenger.messages.join(QLatin1Char(' ')));
        return;
    }
    const rpt::PageRenderer renderer(engine.prepared());
    for (int page = 0; page < engine.prepared().pageCount(); ++page) {
        shots.SaveImage(QStringLiteral("report-records-p%1").arg(page + 1, 2, 10, QLatin1Char('0')),
            renderer.renderImage(page, 100));
    }

    TfmReportDialog dialog;
    std::array<QString, ChartSlotCount> captions;
    for (int s = 0; s < ChartSlotCount; ++s)
        captions[size_t(s)] = MainWindowState(*doc).TabCaption(s);
    dialog.SetChartCaptions(captions);
    dialog.SetDocument(doc.get());
    dialog.SetTemplateFolder(TemplateFolder());
    shots.Save(QStringLiteral("report-options-records"), &dialog);
}
