#include "ui/NoteDialog.h"
#include "actions/DocumentActions.h"
#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"
#include "presentation/TableGridModel.h"
#include "ui/DataGridView.h"
#include "ui/DataPage.h"
#include "ui/MainForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace {

// The main window on the data page with two groups of three points (rows 1-3, separator 4, 5-7).
struct NoteWindow {
    RecordingMessenger messenger;
    TMainForm window { &messenger };
    DataGridView* values = nullptr;
    DataGridView* labels = nullptr;

    NoteWindow()
    {
        BuildDocument(window.Document(), 0, { { { "10" }, { "12" }, { "11" } }, { { "13" }, { "9" }, { "10" } } });
        window.Actions().Clear();
        window.DocumentReplaced();
        window.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(TMainForm::DataTab);
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        values = window.findChild<DataGridView*>(QStringLiteral("StringGrid1"));
        labels = window.findChild<DataGridView*>(QStringLiteral("StringGrid3"));
    }
    ~NoteWindow() { window.Document().ClearChanged(); }

    NoteDialog* OpenOnRow(int gridRow)
    {
        QApplication::setActiveWindow(&window); // the offscreen platform does not hand it back by itself
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        values->setFocus();
        values->SelectCell(gridRow, 0);
        QTest::keyClick(values, Qt::Key_M, Qt::ControlModifier);
        return window.Data()->OpenNote();
    }
    QString NumberCell(int gridRow) const { return labels->model()->index(gridRow - 1, 0).data().toString(); }
};

} // namespace

// The reason is required while the box is ticked: OK says so and the dialog stays; the reason
// goes only with the box ticked.
TEST(NoteDialog, ReasonIsRequiredWhenExcluded)
{
    RecordingMessenger messenger;
    NoteDialog dialog(messenger);
    dialog.Fill(QStringLiteral("7"), PointNote());
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Примітка до точки 7"));
    EXPECT_EQ(dialog.ExcludeBox()->text(), QStringLiteral("не враховувати при обчисленні меж"));
    EXPECT_FALSE(dialog.ReasonEdit()->isEnabled());

    dialog.ExcludeBox()->setChecked(true);
    EXPECT_TRUE(dialog.ReasonEdit()->isEnabled());
    dialog.ReasonEdit()->setText(QStringLiteral("   "));
    dialog.OkButton()->click();
    EXPECT_EQ(messenger.messages, QStringList { NoteDialog::ReasonRequiredMessage() });
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);

    dialog.ReasonEdit()->setText(QStringLiteral(" збій термостата "));
    dialog.OkButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Result().ExcludeReason, QStringLiteral("збій термостата"));

    // A reason left behind an unticked box is not kept.
    dialog.Fill(QStringLiteral("7"), PointNote());
    dialog.ReasonEdit()->setText(QStringLiteral("залишок"));
    dialog.NoteEdit()->setPlainText(QStringLiteral("рядок 1\nрядок 2"));
    EXPECT_FALSE(dialog.Result().Excluded());
    EXPECT_EQ(dialog.Result().Note, QStringLiteral("рядок 1\nрядок 2"));
}

// Each text stops at the limit while typing or pasting; what was there before stays.
TEST(NoteDialog, TextsStopAtTheLimit)
{
    RecordingMessenger messenger;
    NoteDialog dialog(messenger);
    dialog.Fill(QStringLiteral("1"), PointNote());
    dialog.show();
    for (QPlainTextEdit* edit : { dialog.NoteEdit(), dialog.ActionEdit() }) {
        edit->setFocus();
        edit->insertPlainText(QString(PointNoteMaxChars - 2, QLatin1Char('a')));
        QTest::keyClicks(edit, QStringLiteral("bcdef"));
        EXPECT_EQ(edit->toPlainText().size(), PointNoteMaxChars);
        EXPECT_TRUE(edit->toPlainText().endsWith(QStringLiteral("aabc")));
        // A paste in the middle keeps the text around it and drops what does not fit.
        edit->moveCursor(QTextCursor::Start);
        edit->insertPlainText(QStringLiteral("XYZ"));
        EXPECT_EQ(edit->toPlainText().size(), PointNoteMaxChars);
        EXPECT_TRUE(edit->toPlainText().endsWith(QStringLiteral("aabc")));
    }
    EXPECT_EQ(dialog.ReasonEdit()->maxLength(), PointNoteMaxChars);
    EXPECT_TRUE(messenger.messages.isEmpty());
}

// Ctrl+M on a point row opens the dialog over the window without blocking; OK makes one undoable
// command, and the number cell shows the mark; undo takes it away and redo brings it back.
TEST(NoteDialog, CtrlMEditsTheCurrentPointAndUndoBringsItBack)
{
    NoteWindow w;
    NoteDialog* dialog = w.OpenOnRow(6);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Примітка до точки 5"));
    EXPECT_TRUE(dialog->isModal());
    EXPECT_EQ(dialog->parentWidget(), &w.window);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    const int logBefore = w.window.Document().Log().Size();

    dialog->NoteEdit()->setPlainText(QStringLiteral("проба з іншої партії"));
    dialog->ActionEdit()->setPlainText(QStringLiteral("повторено вимірювання"));
    dialog->ExcludeBox()->setChecked(true);
    dialog->ReasonEdit()->setText(QStringLiteral("не та партія"));
    dialog->OkButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.window.Data()->OpenNote() == nullptr; }));

    MeasurementDocument& doc = w.window.Document();
    const PointNote* note = doc.NoteOf(6);
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->Note, QStringLiteral("проба з іншої партії"));
    EXPECT_EQ(note->Action, QStringLiteral("повторено вимірювання"));
    EXPECT_EQ(note->ExcludeReason, QStringLiteral("не та партія"));
    EXPECT_FALSE(note->Author.isEmpty());
    EXPECT_EQ(w.NumberCell(6), QStringLiteral("5") + TableGridModel::NoteMark());
    EXPECT_TRUE(w.labels->model()->index(5, 0).data(TableGridModel::ExcludedRole).toBool());
    EXPECT_EQ(doc.Log().Size(), logBefore + 1);
    EXPECT_TRUE(doc.Changed());
    EXPECT_EQ(w.window.focusWidget(), w.values) << "the grid gets the focus back";

    w.window.Actions().Undo();
    EXPECT_EQ(doc.NoteOf(6), nullptr);
    EXPECT_EQ(w.NumberCell(6), QStringLiteral("5"));
    w.window.Actions().Redo();
    ASSERT_NE(doc.NoteOf(6), nullptr);
    EXPECT_EQ(doc.NoteOf(6)->Note, QStringLiteral("проба з іншої партії"));
    EXPECT_EQ(w.NumberCell(6), QStringLiteral("5") + TableGridModel::NoteMark());

    // Opened again, the dialog shows what the point carries.
    dialog = w.OpenOnRow(6);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->NoteEdit()->toPlainText(), QStringLiteral("проба з іншої партії"));
    EXPECT_TRUE(dialog->ExcludeBox()->isChecked());
    EXPECT_EQ(dialog->ReasonEdit()->text(), QStringLiteral("не та партія"));
    dialog->CancelButton()->click();
    EXPECT_TRUE(w.messenger.messages.isEmpty());
}

// Esc (or Cancel) leaves the document as it was: no command, no log entry, no change.
TEST(NoteDialog, EscapeCancelsAndChangesNothing)
{
    NoteWindow w;
    MeasurementDocument& doc = w.window.Document();
    NoteDialog* dialog = w.OpenOnRow(2);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
    dialog->NoteEdit()->setPlainText(QStringLiteral("передумав"));
    QTest::keyClick(dialog, Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.window.Data()->OpenNote() == nullptr; }));
    EXPECT_EQ(doc.NoteOf(2), nullptr);
    EXPECT_FALSE(doc.Changed());
    EXPECT_FALSE(w.window.Actions().CanUndo());
    EXPECT_EQ(doc.Log().Size(), 0);
    EXPECT_EQ(w.NumberCell(2), QStringLiteral("2"));
}

// The row's context menu: its note item opens the dialog on point rows and is greyed on separators;
// a separator never gets a dialog, and the analyst is told why.
TEST(NoteDialog, ContextMenuOfPointAndSeparatorRows)
{
    NoteWindow w;
    DataPage& page = *w.window.Data();
    std::unique_ptr<QMenu> separatorMenu(page.RowMenu(w.labels, 4));
    QAction* greyed = separatorMenu->findChild<QAction*>(QStringLiteral("RowNoteAction"));
    ASSERT_NE(greyed, nullptr);
    EXPECT_EQ(greyed->text(), QStringLiteral("Примітка до точки..."));
    EXPECT_FALSE(greyed->isEnabled());

    EXPECT_FALSE(page.OpenNoteDialog(4, w.labels));
    EXPECT_EQ(page.OpenNote(), nullptr);
    EXPECT_EQ(w.messenger.messages, QStringList { DataPage::NoPointMessage() });

    std::unique_ptr<QMenu> pointMenu(page.RowMenu(w.labels, 7));
    QAction* item = pointMenu->findChild<QAction*>(QStringLiteral("RowNoteAction"));
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isEnabled());
    item->trigger();
    NoteDialog* dialog = page.OpenNote();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Примітка до точки 6"));
    dialog->NoteEdit()->setPlainText(QStringLiteral("з меню"));
    dialog->OkButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.OpenNote() == nullptr; }));
    ASSERT_NE(w.window.Document().NoteOf(7), nullptr);
    EXPECT_EQ(w.window.Document().NoteOf(7)->Note, QStringLiteral("з меню"));
}
