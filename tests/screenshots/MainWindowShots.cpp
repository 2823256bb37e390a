// The main window with every document of data/ and every reference data set: header page, data
// page, each chart page after F5, and the Westgard details window.
#include "ScreenshotRegistry.h"

#include "common/DocumentBuilder.h"
#include "model/Messenger.h"
#include "ui/GroupHandlingBox.h"
#include "ui/MainForm.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileInfo>
#include <QTabWidget>
#include <cstdio>

namespace {

// Messages go to the terminal; questions are answered No, so no modal box ever waits.
class PrintingMessenger final : public Messenger {
public:
    void ShowMessage(const QString& text) override { std::printf("  message: %s\n", qPrintable(text)); }
    bool AskYesNo(const QString& question) override
    {
        std::printf("  question: %s\n", qPrintable(question));
        return false;
    }
};

void shootWindow(ScreenshotContext& shots, TMainForm& window, const QString& base)
{
    auto* pages = window.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    window.show();
    pages->setCurrentIndex(TMainForm::HeaderTab);
    shots.Save(base + QStringLiteral("-1-header"), &window);
    pages->setCurrentIndex(TMainForm::DataTab);
    shots.Save(base + QStringLiteral("-2-data"), &window);
    // Every chart page the mode has, the two relative ones included.
    for (const ChartChoice item : { N11, N21, N31, N41, N51, N61 })
        window.Document().SetChartSelection(item, true);
    window.Compute();
    shots.Save(base + QStringLiteral("-2-data-computed"), &window);
    bool detailsShot = false;
    for (int slot = 0; slot < 6; ++slot) {
        const int tab = TMainForm::ChartTabOffset + slot;
        if (!pages->isTabVisible(tab))
            continue;
        pages->setCurrentIndex(tab);
        shots.Save(base + QStringLiteral("-3-chart%1").arg(slot), &window);
        if (detailsShot)
            continue;
        detailsShot = true;
        if (auto* details = window.GroupBox()->findChild<QAbstractButton*>(QStringLiteral("Details1")))
            shots.SaveModal(base + QStringLiteral("-4-details"), [details] { details->click(); });
    }
    window.Document().ClearChanged(); // nothing to ask when the window goes
}

} // namespace

MERIDAN_SCREENSHOT_CASE(MainWindowDataDocuments)
{
    for (const QString& file : ScreenshotContext::DataDocuments()) {
        PrintingMessenger messenger;
        TMainForm window(&messenger);
        if (!window.OpenDocument(file)) {
            shots.Fail(file + QStringLiteral(": does not load"));
            continue;
        }
        shootWindow(shots, window, QStringLiteral("data-") + QFileInfo(file).completeBaseName());
    }
}

MERIDAN_SCREENSHOT_CASE(MainWindowReferenceSets)
{
    const QDir reference(QStringLiteral(MERIDAN_REFERENCE_DATA));
    for (const QString& name : reference.entryList({ QStringLiteral("*.csv") }, QDir::Files, QDir::Name)) {
        const std::vector<QStringList> rows = ReadReferenceCsv(name);
        if (rows.empty())
            continue;
        const int columns = int(rows.front().size());
        PrintingMessenger messenger;
        TMainForm window(&messenger);
        BuildDocument(window.Document(), columns == 1 ? 0 : columns, { rows });
        window.DocumentReplaced();
        shootWindow(shots, window, QStringLiteral("reference-") + QFileInfo(name).completeBaseName());
    }
}
