// Notes on points: the grid with marked and excluded rows, the note dialog, the change log window.
#include "ScreenshotRegistry.h"

#include "actions/DocumentActions.h"
#include "model/Messenger.h"
#include "ui/ChangeLogWindow.h"
#include "ui/DataGridView.h"
#include "ui/DataPage.h"
#include "ui/MainForm.h"
#include "ui/NoteDialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <cstdio>

namespace {

// Messages go to the terminal; questions are answered No and reasons declined.
class PrintingMessenger final : public Messenger {
public:
    void ShowMessage(const QString& text) override { std::printf("  message: %s\n", qPrintable(text)); }
    bool AskYesNo(const QString& question) override
    {
        std::printf("  question: %s\n", qPrintable(question));
        return false;
    }
};

PointNote note(const QString& text, const QString& action, const QString& reason)
{
    PointNote record;
    record.Note = text;
    record.Action = action;
    record.ExcludeReason = reason;
    return record;
}

} // namespace

MERIDAN_SCREENSHOT_CASE(Notes)
{
    PrintingMessenger messenger;
    TMainForm window(&messenger);
    const QString file = QStringLiteral(MERIDAN_SOURCE_DIR "/data/pistonrings.mrd");
    if (!window.OpenDocument(file)) {
        shots.Fail(file + QStringLiteral(": does not load"));
        return;
    }
    window.show();
    window.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(TMainForm::DataTab);
    DocumentActions& actions = window.Actions();
    actions.SetPointNote(2, note(QStringLiteral("Проба відібрана після заміни інструмента"), QString(), QString()));
    actions.SetPointNote(4, note(QString(), QString(), QStringLiteral("Збій термостата")));
    actions.SetPointNote(5,
        note(QStringLiteral("Викид: переплутано пробірки"), QStringLiteral("Повторено вимірювання"),
            QStringLiteral("Не та партія")));
    shots.Save(QStringLiteral("notes-1-grid"), &window);

    auto* grid = window.findChild<DataGridView*>(QStringLiteral("StringGrid1"));
    grid->SelectCell(5, 0);
    window.Data()->OpenNoteDialog(5, grid);
    if (NoteDialog* dialog = window.Data()->OpenNote()) {
        shots.Save(QStringLiteral("notes-2-dialog"), dialog);
        dialog->reject();
    } else {
        shots.Fail(QStringLiteral("notes-2-dialog: no dialog"));
    }
    ScreenshotContext::Settle();
    window.Data()->OpenNoteDialog(7, grid);
    if (NoteDialog* dialog = window.Data()->OpenNote()) {
        dialog->ExcludeBox()->setChecked(true);
        shots.Save(QStringLiteral("notes-3-dialog-empty-excluded"), dialog);
        dialog->reject();
    }
    ScreenshotContext::Settle();

    window.ChangeLogClick();
    if (ChangeLogWindow* log = window.ChangeLogView()) {
        shots.Save(QStringLiteral("notes-4-change-log"), log);
        window.Document().AppendStoredLogEntry({ QStringLiteral("2026-01-01T00:00:00+02:00"), QStringLiteral("хтось"),
            QStringLiteral("запис, дописаний у файл вручну"), QString(), QStringLiteral("0") });
        log->Refresh();
        shots.Save(QStringLiteral("notes-5-change-log-broken"), log);
        log->close();
    } else {
        shots.Fail(QStringLiteral("notes-4-change-log: no window"));
    }
    window.Document().ClearChanged();
}
