#include "actions/DocumentActions.h"
#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"
#include "ui/DataGridView.h"
#include "ui/MainForm.h"
#include "ui/TableEditControls.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTest>

namespace {

struct UndoWindow {
    RecordingMessenger messenger;
    TMainForm window { &messenger };
    QAction* undo = nullptr;
    QAction* redo = nullptr;
    DataGridView* values = nullptr;

    UndoWindow()
    {
        BuildDocument(window.Document(), 0, { { { "10" }, { "12" }, { "11" } }, { { "13" }, { "9" }, { "10" } } });
        window.Actions().Clear();
        window.DocumentReplaced();
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        undo = window.findChild<QAction*>(QStringLiteral("UndoAction"));
        redo = window.findChild<QAction*>(QStringLiteral("RedoAction"));
        values = window.findChild<DataGridView*>(QStringLiteral("StringGrid1"));
    }
    ~UndoWindow() { window.Document().ClearChanged(); }

    void Page(int tab) { window.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(tab); }
    void Key(QWidget* target, Qt::KeyboardModifiers modifiers, Qt::Key key = Qt::Key_Z)
    {
        QTest::keyClick(target, key, modifiers);
    }
};

} // namespace

TEST(UndoMenu, FollowsFileWithCaptionsOfWhatItUndoes)
{
    UndoWindow w;
    ASSERT_NE(w.undo, nullptr);
    ASSERT_NE(w.redo, nullptr);
    const QList<QAction*> bar = w.window.menuBar()->actions();
    auto* fileMenu = w.window.findChild<QMenu*>(QStringLiteral("FileMenu"));
    auto* editMenu = w.window.findChild<QMenu*>(QStringLiteral("EditMenu"));
    ASSERT_NE(editMenu, nullptr);
    EXPECT_EQ(editMenu->title(), QStringLiteral("Правка"));
    ASSERT_GE(bar.indexOf(fileMenu->menuAction()), 0);
    EXPECT_EQ(bar.indexOf(editMenu->menuAction()), bar.indexOf(fileMenu->menuAction()) + 1);
    EXPECT_EQ(w.undo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_TRUE(w.redo->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Y)));
    EXPECT_TRUE(w.redo->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));

    EXPECT_EQ(w.undo->text(), QStringLiteral("Скасувати"));
    EXPECT_FALSE(w.undo->isEnabled());
    EXPECT_EQ(w.redo->text(), QStringLiteral("Повторити"));
    EXPECT_FALSE(w.redo->isEnabled());

    // A table operation through its button.
    w.Page(TMainForm::DataTab);
    auto* controls = w.window.findChild<TableEditControls*>();
    ASSERT_NE(controls, nullptr);
    w.window.findChild<QLineEdit*>(QStringLiteral("Edit13"))->setText(QStringLiteral("2"));
    controls->Button2Click();
    EXPECT_EQ(w.window.Document().PointCount(), 7);
    EXPECT_EQ(w.undo->text(), QStringLiteral("Скасувати: вставлення точки"));
    EXPECT_TRUE(w.undo->isEnabled());
    w.undo->trigger();
    EXPECT_EQ(w.window.Document().PointCount(), 6);
    EXPECT_EQ(w.undo->text(), QStringLiteral("Скасувати"));
    EXPECT_FALSE(w.undo->isEnabled());
    EXPECT_EQ(w.redo->text(), QStringLiteral("Повторити: вставлення точки"));
    EXPECT_TRUE(w.redo->isEnabled());
    w.redo->trigger();
    EXPECT_EQ(w.window.Document().PointCount(), 7);
    EXPECT_EQ(w.window.Document().LabelText(2), QStringLiteral("2"));

    // A header field: its undo shows on the page.
    w.Page(TMainForm::HeaderTab);
    auto* name = w.window.findChild<QLineEdit*>(QStringLiteral("Edit7")); // the operator
    ASSERT_NE(name, nullptr);
    ASSERT_TRUE(name->isEnabled());
    name->setFocus();
    QTest::keyClicks(name, QStringLiteral("Ivanenko")); // keyClicks types ASCII only
    EXPECT_EQ(w.undo->text(), QStringLiteral("Скасувати: зміна заголовка"));
    w.undo->trigger();
    EXPECT_EQ(name->text(), QString());
    EXPECT_EQ(w.window.Document().Header(HeaderField::Operator).Text, QString());
}

// Ctrl+Z after a cell edit brings the cell back; undone to the state loaded, the window asks nothing
// when it closes.
TEST(UndoMenu, CtrlZRestoresACellAndUndoToCleanAsksNothing)
{
    UndoWindow w;
    w.Page(TMainForm::DataTab);
    MeasurementDocument& doc = w.window.Document();
    ASSERT_FALSE(doc.Changed());
    const QModelIndex cell = w.values->model()->index(1, 0);
    ASSERT_TRUE(w.values->model()->setData(cell, QStringLiteral("77")));
    EXPECT_EQ(doc.ValueText(2, 0).toString(), QStringLiteral("77"));
    EXPECT_TRUE(doc.Changed());
    EXPECT_EQ(w.undo->text(), QStringLiteral("Скасувати: зміна значення"));

    w.values->setFocus();
    w.Key(w.values, Qt::ControlModifier);
    EXPECT_EQ(doc.ValueText(2, 0).toString(), QStringLiteral("12"));
    EXPECT_EQ(w.values->model()->data(cell).toString(), QStringLiteral("12"));
    EXPECT_FALSE(doc.Changed());
    EXPECT_EQ(w.redo->text(), QStringLiteral("Повторити: зміна значення"));

    w.Key(w.values, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(doc.ValueText(2, 0).toString(), QStringLiteral("77"));
    EXPECT_TRUE(doc.Changed());
    w.Key(w.values, Qt::ControlModifier);
    w.Key(w.values, Qt::ControlModifier, Qt::Key_Y);
    EXPECT_EQ(doc.ValueText(2, 0).toString(), QStringLiteral("77"));
    w.Key(w.values, Qt::ControlModifier);
    EXPECT_FALSE(doc.Changed());

    w.messenger.questions.clear();
    EXPECT_TRUE(w.window.close());
    EXPECT_TRUE(w.messenger.questions.isEmpty());
}

// A save is the new clean state; New and a load start an empty history.
TEST(UndoMenu, SaveIsCleanAndNewClearsTheHistory)
{
    UndoWindow w;
    MeasurementDocument& doc = w.window.Document();
    w.window.Actions().EditValue(1, 0, QStringLiteral("5"));
    const QString file = QDir::temp().filePath(QStringLiteral("meridan-undo-test.mrd"));
    ASSERT_TRUE(w.window.SaveDocumentAs(file));
    EXPECT_FALSE(doc.Changed());
    EXPECT_TRUE(w.undo->isEnabled());
    w.undo->trigger();
    EXPECT_TRUE(doc.Changed()); // before the save
    w.redo->trigger();
    EXPECT_FALSE(doc.Changed());

    w.window.NewDocument(2);
    EXPECT_FALSE(w.undo->isEnabled());
    EXPECT_FALSE(w.redo->isEnabled());
    EXPECT_FALSE(doc.Changed());
    ASSERT_TRUE(w.window.OpenDocument(file));
    EXPECT_FALSE(w.undo->isEnabled());
    QFile::remove(file);
}
