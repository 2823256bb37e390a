#include "ui/ChangeLogWindow.h"
#include "actions/DocumentActions.h"
#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"
#include "model/DocumentFile.h"
#include "presentation/ChangeLogModel.h"
#include "ui/MainForm.h"
#include "ui/MessageBoxMessenger.h"
#include "ui/RecoveryController.h"

#include <QAction>
#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

void BuildSmall(TMainForm& window)
{
    BuildDocument(window.Document(), 0, { { { "10" }, { "12" }, { "11" } } });
    window.Actions().Clear();
    window.DocumentReplaced();
}

} // namespace

// "Журнал змін..." sits under "Опції" after the hints switch, and needs a document.
TEST(ChangeLogWindow, MenuItemUnderOptions)
{
    RecordingMessenger messenger;
    TMainForm window(&messenger);
    auto* options = window.findChild<QMenu*>(QStringLiteral("N4"));
    ASSERT_NE(options, nullptr);
    auto* item = window.findChild<QAction*>(QStringLiteral("ChangeLogItem"));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), QStringLiteral("Журнал змін..."));
    const QList<QAction*> actions = options->actions();
    EXPECT_GT(actions.indexOf(item), actions.indexOf(window.findChild<QAction*>(QStringLiteral("MHints"))));
    EXPECT_FALSE(item->isEnabled());
    BuildSmall(window);
    EXPECT_TRUE(item->isEnabled());
    window.Document().ClearChanged();
}

// The window shows every entry, a typing still open to merging included, follows the edits made
// while it is open, and says when the chain does not hold.
TEST(ChangeLogWindow, ShowsTheLogAndFollowsEdits)
{
    RecordingMessenger messenger;
    TMainForm window(&messenger);
    BuildSmall(window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    DocumentActions& actions = window.Actions();
    actions.EditValue(1, 0, QStringLiteral("14"));
    actions.SetTableName(QStringLiteral("Т")); // typing: logged once it can no longer merge
    actions.SetTableName(QStringLiteral("Та"));
    ASSERT_EQ(window.Document().Log().Size(), 1);

    window.findChild<QAction*>(QStringLiteral("ChangeLogItem"))->trigger();
    ChangeLogWindow* log = window.ChangeLogView();
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->windowTitle(), QStringLiteral("Журнал змін"));
    EXPECT_EQ(log->parentWidget(), &window);
    EXPECT_FALSE(log->isModal());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(log));
    QAbstractItemModel* model = log->Grid()->model();
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->index(0, ChangeLogModel::IndexColumn).data().toInt(), 1);
    EXPECT_EQ(model->index(0, ChangeLogModel::UserColumn).data().toString(), ChangeLog::CurrentUser());
    EXPECT_FALSE(model->index(1, ChangeLogModel::ChangeColumn).data().toString().isEmpty());
    EXPECT_EQ(log->Verdict()->text(), QStringLiteral("Журнал цілісний"));

    // Kept open: an edit and its undo each show as a row at once.
    actions.EditValue(2, 0, QStringLiteral("15"));
    EXPECT_EQ(model->rowCount(), 3);
    actions.Undo();
    EXPECT_EQ(model->rowCount(), 4);
    EXPECT_TRUE(
        model->index(3, ChangeLogModel::ChangeColumn).data().toString().startsWith(QStringLiteral("скасування: ")));

    // A log edited outside the program (here: an entry whose hash does not hold).
    window.Document().AppendStoredLogEntry({ QStringLiteral("2026-01-01T00:00:00+00:00"), QStringLiteral("x"),
        QStringLiteral("y"), {}, QStringLiteral("0") });
    log->Refresh();
    EXPECT_EQ(log->Verdict()->text(), QStringLiteral("Журнал змінено поза програмою після запису 4"));

    // Another document: its own log.
    BuildSmall(window);
    window.Document().ResetRecords();
    window.DocumentReplaced();
    EXPECT_EQ(model->rowCount(), 0);
    EXPECT_EQ(log->Verdict()->text(), QStringLiteral("Журнал цілісний"));
    log->close();
    window.Document().ClearChanged();
}

// A save writes the pending typing's entry too: the file holds the whole log.
TEST(ChangeLogWindow, SaveLogsAPendingTypingFirst)
{
    RecordingMessenger messenger;
    TMainForm window(&messenger);
    BuildSmall(window);
    window.Actions().SetTableName(QStringLiteral("А"));
    window.Actions().SetTableName(QStringLiteral("АБ"));
    EXPECT_EQ(window.Document().Log().Size(), 0);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("log.mrd"));
    // The writer marks the document unchanged once the file is written: what the log held then is
    // what the file got.
    int loggedWhenWritten = -1;
    QObject::connect(&window.Document(), &MeasurementDocument::changedFlagChanged, &window, [&](bool changed) {
        if (!changed && loggedWhenWritten < 0)
            loggedWhenWritten = window.Document().Log().Size();
    });
    ASSERT_TRUE(window.SaveDocumentAs(file));
    EXPECT_EQ(loggedWhenWritten, 1);
    EXPECT_EQ(window.Document().Log().Size(), 1);
    EXPECT_FALSE(window.Document().Changed());
}

// The recovery copy too: a typing still open to merging is logged before the copy is written.
TEST(ChangeLogWindow, RecoveryCopyLogsAPendingTypingFirst)
{
    QTemporaryDir data;
    ASSERT_TRUE(data.isValid());
    const QByteArray previous = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    {
        RecordingMessenger messenger;
        TMainForm window(&messenger);
        BuildSmall(window);
        auto* controller = window.findChild<RecoveryController*>();
        ASSERT_NE(controller, nullptr);
        window.Actions().SetTableName(QStringLiteral("А"));
        EXPECT_EQ(window.Document().Log().Size(), 0);
        ASSERT_TRUE(controller->WriteNow());
        EXPECT_EQ(window.Document().Log().Size(), 1);
        window.Document().ClearChanged();
    }
    qputenv("XDG_DATA_HOME", previous);
}

// The program's messenger asks for a text in a small modal dialog over its window: OK gives the
// text, Cancel nothing.
TEST(ChangeLogWindow, MessengerAsksForText)
{
    QWidget parent;
    parent.show();
    MessageBoxMessenger messenger(&parent);
    for (const bool ok : { true, false }) {
        SCOPED_TRACE(ok);
        QString question;
        QWidget* dialogParent = nullptr;
        QTimer::singleShot(0, &parent, [&] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            question = dialog->labelText();
            dialogParent = dialog->parentWidget();
            dialog->setTextValue(QStringLiteral("атестоване значення"));
            if (ok)
                dialog->accept();
            else
                dialog->reject();
        });
        const std::optional<QString> answer
            = messenger.AskText(QStringLiteral("Причина зміни фіксованого значення:"), QStringLiteral("x"));
        EXPECT_EQ(question, QStringLiteral("Причина зміни фіксованого значення:"));
        EXPECT_EQ(dialogParent, &parent);
        if (ok) {
            ASSERT_TRUE(answer.has_value());
            EXPECT_EQ(*answer, QStringLiteral("атестоване значення"));
        } else {
            EXPECT_FALSE(answer.has_value());
        }
    }
}
