#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"
#include "model/GroupRecord.h"
#include "ui/GroupMergeDialog.h"
#include "ui/MainForm.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

// The merge dialog of a table operation stays above the main window, its own messages included:
// the main window is its parent while it is shown, and only then.
TEST(DialogParents, MergeDialogShowsOverTheMainWindow)
{
    RecordingMessenger messenger;
    TMainForm window(&messenger);
    std::vector<QStringList> first, second;
    for (int i = 0; i < 5; ++i) {
        first.push_back({ QString::number(10 + i) });
        second.push_back({ QString::number(20 + i) });
    }
    BuildDocument(window.Document(), 0, { first, second });
    EditGroup(window.Document(), 1, [&](TIndividualInfo& record) {
        record.CentreSetting = { true, 21 };
    }); // settings that differ ask how to merge
    window.DocumentReplaced();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QWidget* controls = window.findChild<QWidget*>(QStringLiteral("TableEditControls"));
    ASSERT_NE(controls, nullptr);

    QWidget* parentWhileShown = nullptr;
    QWindow* transientParent = nullptr;
    bool shown = false;
    QTimer::singleShot(0, &window, [&] {
        auto* dialog = qobject_cast<GroupMergeDialog*>(QApplication::activeModalWidget());
        shown = dialog != nullptr;
        if (!dialog)
            return;
        parentWhileShown = dialog->parentWidget();
        transientParent = dialog->windowHandle() ? dialog->windowHandle()->transientParent() : nullptr;
        dialog->CancelButton()->click();
    });
    controls->findChild<QLineEdit*>(QStringLiteral("Edit14"))->setText(QStringLiteral("1"));
    controls->findChild<QPushButton*>(QStringLiteral("Button3"))->click();
    ASSERT_TRUE(shown);
    EXPECT_EQ(parentWhileShown, &window);
    EXPECT_EQ(transientParent, window.windowHandle());
    // Hidden again, the dialog's controls are not among the window's.
    EXPECT_EQ(window.findChildren<GroupMergeDialog*>().size(), 0);
    window.Document().ClearChanged();
}
