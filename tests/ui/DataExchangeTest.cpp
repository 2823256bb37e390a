#include "UiTestSupport.h"

#include "exchange/ImportSession.h"
#include "model/MeasurementDocument.h"
#include "ui/DataGridView.h"
#include "ui/ImportDialog.h"
#include "ui/MainForm.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>

TEST(DataExchange, MainWindowMenuClipboardAndExport)
{
    RecordingMessenger messenger;
    TMainForm window(&messenger);
    auto* import = window.findChild<QAction*>(QStringLiteral("ImportData"));
    auto* exportTable = window.findChild<QAction*>(QStringLiteral("ExportTable"));
    ASSERT_TRUE(import && exportTable);
    EXPECT_EQ(import->text(), "Імпорт даних...");
    EXPECT_EQ(exportTable->text(), "Експорт таблиці...");

    BuildDocument(window.Document(), 0, { { { "1.5" }, { "1.6" }, { "1.7" } }, { { "2.5" }, { "2.6" } } });
    window.DocumentReplaced();
    EXPECT_TRUE(exportTable->isEnabled());
    auto* grid1 = window.findChild<DataGridView*>(QStringLiteral("StringGrid1"));
    auto* grid3 = window.findChild<DataGridView*>(QStringLiteral("StringGrid3"));
    ASSERT_TRUE(grid1 && grid3);

    // A column pasted from point 3 on runs past the separator into point 4.
    grid1->setCurrentIndex(grid1->model()->index(2, 0));
    ASSERT_TRUE(window.PasteIntoGrid(grid1, QStringLiteral("7,5\n8,5\n")));
    EXPECT_EQ(window.Document().ValueText(3, 0), u"7,5");
    EXPECT_EQ(window.Document().ValueText(5, 0), u"8,5");
    EXPECT_EQ(grid1->model()->index(4, 0).data().toString(), "8,5");
    EXPECT_TRUE(window.Document().Changed());

    // Copy of labels and dates from the label grid, with the user's decimal comma for values.
    grid3->selectionModel()->select(
        QItemSelection(grid3->model()->index(0, 0), grid3->model()->index(1, 1)), QItemSelectionModel::ClearAndSelect);
    window.CopyGridSelection(grid3);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "1\t02.01.2024\n2\t03.01.2024\n");
    grid1->selectionModel()->select(grid1->model()->index(0, 0), QItemSelectionModel::ClearAndSelect);
    window.CopyGridSelection(grid1);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "1,5\n");

    // Export computes first, so the statistics columns are there.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("table.csv"));
    ASSERT_TRUE(window.ExportTableTo(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(file.readAll()).contains(QStringLiteral("Ковзний розмах")));
    EXPECT_TRUE(window.Document().IsComputed());
    window.Document().ClearChanged();
}

TEST(DataExchange, ImportDialogMirrorsTheSession)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.csv"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("Дата;Партія;x1;x2\n01.02.2024;1;1,5;1,6\n02.02.2024;1;abc;1,4\n03.02.2024;2;1,5;1,5\n"
                   "04.02.2024;2;1,6;1,8\n");
    }
    ImportSession session;
    ASSERT_TRUE(session.Open(path));
    TImportDialog dialog(session);
    EXPECT_TRUE(dialog.HeaderCheck()->isChecked());
    EXPECT_TRUE(dialog.SheetCombo()->isHidden());
    EXPECT_EQ(dialog.Preview()->rowCount(), 5);
    EXPECT_EQ(dialog.Preview()->columnCount(), 4);
    EXPECT_EQ(dialog.DateCombo()->currentIndex(), 1);
    EXPECT_TRUE(dialog.DelimiterCombo()->itemText(0).contains(QStringLiteral("крапка з комою")));

    EXPECT_EQ(dialog.FirstValueCombo()->currentIndex(), 1); // the first number column: the batch
    dialog.FirstValueCombo()->setCurrentIndex(2);
    dialog.ValueCountSpin()->setValue(2);
    dialog.GroupCombo()->setCurrentIndex(2);
    EXPECT_EQ(session.Choice().ValueColumns, (std::vector<int> { 2, 3 }));
    EXPECT_EQ(session.Choice().GroupColumn, 1);
    EXPECT_EQ(dialog.BadRowList()->count(), 1);
    EXPECT_EQ(dialog.BadRowList()->item(0)->text(), "Рядок 3: «abc» не є числом");
    EXPECT_TRUE(dialog.ImportButton()->isEnabled());
    dialog.LeaveOutRadio()->setChecked(true);
    EXPECT_TRUE(session.Choice().LeaveOutBadRows);
    EXPECT_TRUE(dialog.SummaryLabel()->text().startsWith(QStringLiteral("Точок: 3, груп: 2")));

    // A choice that cannot be imported disables the button and says why.
    dialog.FirstValueCombo()->setCurrentIndex(0);
    EXPECT_FALSE(dialog.ImportButton()->isEnabled());
    EXPECT_FALSE(dialog.SummaryLabel()->text().isEmpty());

    // A delimiter override re-reads the file.
    dialog.DelimiterCombo()->setCurrentIndex(2); // ","
    EXPECT_EQ(session.Options().Text.Delimiter, std::optional<QChar>(u','));
    EXPECT_EQ(dialog.Preview()->columnCount(), session.Table().ColumnCount());
}
