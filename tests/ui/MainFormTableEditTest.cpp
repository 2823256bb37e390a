#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"
#include "ui/DataGridView.h"
#include "ui/MainForm.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>

namespace {

std::vector<QStringList> values(int count)
{
    std::vector<QStringList> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back({ QString::number(100 + i) });
    return rows;
}

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

} // namespace

// The data page's operations reach the grids: rows follow, the operation's row is selected and
// brought into view, and the table scroll bar follows the row count.
TEST(MainFormTableEdit, OperationsSelectTheirRowInEveryGrid)
{
    RecordingMessenger messenger;
    TMainForm window(&messenger);
    BuildDocument(window.Document(), 0, { values(60), values(60) });
    window.DocumentReplaced();
    window.show();
    window.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(TMainForm::DataTab);
    auto* grid1 = window.findChild<DataGridView*>(QStringLiteral("StringGrid1"));
    auto* grid3 = window.findChild<DataGridView*>(QStringLiteral("StringGrid3"));
    auto* grid4 = window.findChild<DataGridView*>(QStringLiteral("StringGrid4"));
    auto* scrollBar = window.findChild<QScrollBar*>(QStringLiteral("ScrollBar2"));
    ASSERT_TRUE(grid1 && grid3 && grid4 && scrollBar);
    EXPECT_EQ(grid1->GridRowCount(), 1 + 121);

    run(window, 4, 15, QStringLiteral("100")); // a separator before point 100, far below the view
    EXPECT_EQ(grid1->GridRowCount(), 1 + 122);
    const int row = 102; // point 100 moved one row down
    EXPECT_EQ(grid1->currentIndex().row() + 1, row);
    EXPECT_EQ(grid1->currentIndex().column(), 0);
    EXPECT_EQ(grid4->currentIndex().row() + 1, row);
    EXPECT_EQ(grid3->currentIndex().row() + 1, row);
    EXPECT_EQ(grid3->currentIndex().column(), 1);
    EXPECT_LE(grid1->TopRow(), row);
    EXPECT_GT(grid1->TopRow() + grid1->VisibleRows(), row);
    EXPECT_EQ(grid3->TopRow(), grid1->TopRow());
    EXPECT_EQ(grid4->TopRow(), grid1->TopRow());
    EXPECT_TRUE(scrollBar->isEnabled());
    EXPECT_GT(scrollBar->value(), 50);
    EXPECT_EQ(grid3->model()->index(row - 2, 0).data().toString(), QStringLiteral("Розділювач №2"));

    run(window, 2, 13, QStringLiteral("1")); // a point at the top: the grids scroll back to it
    EXPECT_EQ(grid1->GridRowCount(), 1 + 123);
    EXPECT_EQ(grid1->TopRow(), 1);
    EXPECT_EQ(grid3->currentIndex().row(), 0);
    EXPECT_EQ(grid1->model()->index(0, 0).data().toString(), QString());
    EXPECT_EQ(scrollBar->value(), 0);

    run(window, 7, 17, QStringLiteral("200")); // empties the table after the confirmation
    EXPECT_EQ(messenger.questions.size(), 1);
    messenger.answers = { true };
    run(window, 7, 17, QStringLiteral("200"));
    EXPECT_EQ(grid1->GridRowCount(), 1);
    EXPECT_FALSE(scrollBar->isEnabled());
    run(window, 6, 16, QStringLiteral("3"));
    EXPECT_EQ(grid1->GridRowCount(), 4);
    EXPECT_EQ(grid3->model()->index(2, 0).data().toString(), QStringLiteral("3"));
    EXPECT_EQ(window.findChild<QWidget*>(QStringLiteral("Label18"))->property("text").toString(),
        QStringLiteral("Кількість елементів: 3"));
    EXPECT_TRUE(messenger.messages.isEmpty());
    window.Document().ClearChanged();
}
