// The data page after each kind of table operation, and both merge dialogs filled from a document.
#include "ScreenshotRegistry.h"

#include "common/DocumentBuilder.h"
#include "model/Messenger.h"
#include "ui/MainForm.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <cstdio>

namespace {

// Messages go to the terminal; questions are answered Yes, so the deletions go ahead.
class AgreeingMessenger final : public Messenger {
public:
    void ShowMessage(const QString& text) override { std::printf("  message: %s\n", qPrintable(text)); }
    bool AskYesNo(const QString& question) override
    {
        std::printf("  question: %s\n", qPrintable(question));
        return true;
    }
};

// The data page's operations; the names Button1 and Button2 recur in the window's dialogs.
QWidget* controls(TMainForm& window)
{
    return window.findChild<QWidget*>(QStringLiteral("TableEditControls"));
}

void run(TMainForm& window, int button, int edit, const QString& text)
{
    controls(window)->findChild<QLineEdit*>(QStringLiteral("Edit") + QString::number(edit))->setText(text);
    controls(window)->findChild<QPushButton*>(QStringLiteral("Button") + QString::number(button))->click();
}

void showDataPage(TMainForm& window)
{
    window.show();
    window.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(TMainForm::DataTab);
}

} // namespace

MERIDAN_SCREENSHOT_CASE(TableOperations)
{
    AgreeingMessenger messenger;
    TMainForm window(&messenger);
    const QString file = QStringLiteral(MERIDAN_SOURCE_DIR "/data/pistonrings.mrd");
    if (!window.OpenDocument(file)) {
        shots.Fail(file + QStringLiteral(": does not load"));
        return;
    }
    showDataPage(window);
    shots.Save(QStringLiteral("tableops-0-loaded"), &window);
    run(window, 2, 13, QStringLiteral("5"));
    shots.Save(QStringLiteral("tableops-1-insert-point-5"), &window);
    run(window, 4, 15, QStringLiteral("12"));
    shots.Save(QStringLiteral("tableops-2-insert-separator-12"), &window);
    run(window, 1, 6, QStringLiteral("3"));
    shots.Save(QStringLiteral("tableops-3-delete-point-3"), &window);
    run(window, 3, 14, QStringLiteral("1"));
    shots.Save(QStringLiteral("tableops-4-delete-separator-1"), &window);
    run(window, 6, 16, QStringLiteral("5"));
    shots.Save(QStringLiteral("tableops-5-append-5"), &window);
    run(window, 7, 17, QStringLiteral("4"));
    shots.Save(QStringLiteral("tableops-6-delete-last-4"), &window);

    // Groups whose settings differ: the large dialog, filled from the example.
    MeasurementDocument& doc = window.Document();
    run(window, 4, 15, QStringLiteral("8"));
    EditGroup(doc, 0, [&](TIndividualInfo& record) { record.CentreSetting = { true, 74.0 }; });
    EditGroup(doc, 1, [&](TIndividualInfo& record) { record.SigmaSetting = { true, 0.01 }; });
    EditGroup(doc, 1, [&](TIndividualInfo& record) { record.UseSampleDeviation = false; });
    shots.SaveModal(QStringLiteral("merge-dialog-big"), [&] { run(window, 3, 14, QStringLiteral("1")); });
    doc.ClearChanged();
}

MERIDAN_SCREENSHOT_CASE(SmallMergeDialog)
{
    AgreeingMessenger messenger;
    TMainForm window(&messenger);
    const std::vector<QStringList> rows = ReadReferenceCsv(QStringLiteral("syn02_ind_n25_outlier.csv"));
    const std::vector<QStringList> first(rows.begin(), rows.begin() + 12);
    const std::vector<QStringList> second(rows.begin() + 12, rows.end());
    BuildDocument(window.Document(), 0, { first, second });
    window.DocumentReplaced();
    EditGroup(window.Document(), 1, [&](TIndividualInfo& record) { record.CentreSetting = { true, 10.5 }; });
    showDataPage(window);
    shots.SaveModal(QStringLiteral("merge-dialog-small"), [&] { run(window, 3, 14, QStringLiteral("1")); });
    window.Document().ClearChanged();
}
