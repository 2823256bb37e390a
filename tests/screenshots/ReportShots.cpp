// The printed report, page by page, of one document of each mode (through the paint path of the
// preview and the printer, and as the written PDF), the preview window, and the report options
// window of both modes.
#include "ScreenshotRegistry.h"

#include "common/DocumentBuilder.h"
#include "compute/ComputeDriver.h"
#include "model/DocumentFile.h"
#include "model/Messenger.h"
#include "presentation/MainWindowState.h"
#include "reports/PageRenderer.h"
#include "reports/ReportAssembler.h"
#include "reports/ReportEngine.h"
#include "reports/ReportError.h"
#include "reports/ReportExport.h"
#include "ui/ReportDialog.h"
#include "ui/ReportPreviewDialog.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <memory>

namespace {

class SilentAnswers final : public Messenger {
public:
    void ShowMessage(const QString& text) override { messages.append(text); }
    bool AskYesNo(const QString&) override { return false; }
    QStringList messages;
};

QString Templates()
{
    return QDir(QStringLiteral(MERIDAN_SOURCE_DIR)).filePath(QStringLiteral("data/Data"));
}

// The subgroup example, and an individual-values data set in two groups with its header filled in.
std::unique_ptr<MeasurementDocument> Example(Messenger& messenger, bool individual)
{
    auto doc = std::make_unique<MeasurementDocument>(messenger);
    if (individual) {
        std::vector<QStringList> rows = ReadReferenceCsv(QStringLiteral("syn07_ind_n73_outliers.csv"));
        std::vector<QStringList> second(rows.begin() + 40, rows.end());
        rows.resize(40);
        BuildDocument(*doc, 0, { rows, second });
        doc->SetTableName(QStringLiteral("Масова концентрація нітратів у контрольному зразку"));
        doc->SetUnits(QStringLiteral("мг/дм³"));
        doc->SetFillDate(QStringLiteral("02.12.2024"));
        doc->SetHeaderPresent(HeaderField::Operator, true);
        doc->SetHeaderText(HeaderField::Operator, QStringLiteral("Петренко І. В."));
        doc->SetHeaderPresent(HeaderField::MeasurementMethod, true);
        doc->SetHeaderText(
            HeaderField::MeasurementMethod, QStringLiteral("ДСТУ ISO 7890-3 (спектрофотометричний метод)"));
    } else if (!LoadDocument(
                   *doc, QDir(QStringLiteral(MERIDAN_SOURCE_DIR)).filePath(QStringLiteral("data/pistonrings.mrd")))) {
        return nullptr;
    }
    if (!RunComputeCommand(*doc))
        return nullptr;
    return doc;
}

} // namespace

MERIDAN_SCREENSHOT_CASE(ReportPages)
{
    for (const bool individual : { true, false }) {
        SilentAnswers messenger;
        std::unique_ptr<MeasurementDocument> doc = Example(messenger, individual);
        const QString base = individual ? QStringLiteral("report-individual") : QStringLiteral("report-subgroups");
        if (!doc) {
            shots.Fail(base + QStringLiteral(": the document does not compute"));
            continue;
        }
        ReportRequest request = DefaultReportRequest(*doc);
        request.Data.Checked = true;
        for (int s : ReportSlots(*doc))
            request.Charts[size_t(s)].Checked = request.Charts[size_t(s)].Detailed = true;
        rpt::ReportEngine engine;
        ReportAssembler assembler(*doc, engine, Templates());
        assembler.SetLaboratoryNames(
            { QStringLiteral("Випробувальна лабораторія якості води"), QStringLiteral("ВЛЯВ") });
        if (assembler.Assemble(request) != ReportAssembler::Outcome::Done) {
            shots.Fail(base + QStringLiteral(": ") + messenger.messages.join(QLatin1Char(' ')));
            continue;
        }
        if (individual) {
            // The preview as the analyst meets it, and its last page (the rule statement) at 100%.
            ReportPreviewDialog preview(engine.prepared(), messenger);
            preview.resize(900, 700);
            shots.Save(QStringLiteral("report-preview-1-first"), &preview);
            preview.setZoomFactor(1.0);
            preview.setCurrentPage(preview.pageCount());
            shots.Save(QStringLiteral("report-preview-2-last-100"), &preview);
        }
        const rpt::PageRenderer renderer(engine.prepared());
        for (int page = 0; page < engine.prepared().pageCount(); ++page) {
            shots.SaveImage(QStringLiteral("%1-p%2").arg(base).arg(page + 1, 2, 10, QLatin1Char('0')),
                renderer.renderImage(page, 100));
        }
        // The PDF as written, its pages as poppler draws them: what the analyst files.
        const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
        if (pdftoppm.isEmpty())
            continue;
        const QString pdf = QDir(shots.Folder()).filePath(base + QStringLiteral(".pdf"));
        try {
            rpt::exportPdf(engine.prepared(), pdf);
        } catch (const rpt::ReportError& error) {
            shots.Fail(error.message());
            continue;
        }
        QProcess render;
        render.start(pdftoppm,
            { QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-png"), pdf,
                QDir(shots.Folder()).filePath(base + QStringLiteral("-pdf")) });
        if (!render.waitForFinished(120000) || render.exitCode() != 0)
            shots.Fail(base + QStringLiteral(".pdf: pdftoppm failed"));
        else
            shots.Counted(int(QDir(shots.Folder()).entryList({ base + QStringLiteral("-pdf-*.png") }).size()));
        QFile::remove(pdf);
    }
}

MERIDAN_SCREENSHOT_CASE(ReportOptionsWindow)
{
    for (const bool individual : { true, false }) {
        SilentAnswers messenger;
        std::unique_ptr<MeasurementDocument> doc = Example(messenger, individual);
        if (!doc)
            continue;
        TfmReportDialog dialog;
        std::array<QString, ChartSlotCount> captions;
        for (int s = 0; s < ChartSlotCount; ++s)
            captions[size_t(s)] = MainWindowState(*doc).TabCaption(s);
        dialog.SetChartCaptions(captions);
        dialog.SetDocument(doc.get());
        dialog.SetTemplateFolder(Templates());
        shots.Save(
            individual ? QStringLiteral("report-options-individual") : QStringLiteral("report-options-subgroups"),
            &dialog);
    }
}
