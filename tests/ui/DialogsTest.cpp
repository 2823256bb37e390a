#include "UiTestSupport.h"

#include "ui/DetailsWindow.h"
#include "ui/Hints.h"
#include "ui/NewDocumentDialog.h"

#include <QAbstractItemModelTester>
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

namespace {

// Acts on the dialog once its modal loop runs, so no test waits on a window.
template <typename Action> void WhenShown(QDialog& dialog, Action action)
{
    QTimer::singleShot(0, &dialog, [&dialog, action] {
        EXPECT_TRUE(dialog.isVisible());
        action();
    });
}

} // namespace

TEST(TfmTempNew, AnswersOneTwoOrNineAndKeepsTheChoice)
{
    TfmTempNew dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Створення карти"));
    EXPECT_EQ(dialog.size(), QSize(200, 120));
    EXPECT_EQ(
        dialog.findChild<QGroupBox*>(QStringLiteral("RadioGroup1"))->title(), QStringLiteral(" Вкажіть тип даних "));
    EXPECT_EQ(dialog.findChild<QRadioButton*>(QStringLiteral("RadioGroup1Item0"))->text(),
        QStringLiteral("Індивідуальні значення "));
    EXPECT_EQ(dialog.findChild<QRadioButton*>(QStringLiteral("RadioGroup1Item1"))->text(),
        QStringLiteral("Групові значення"));
    EXPECT_EQ(dialog.ConfirmButton()->text(), QStringLiteral("Підтвердити"));
    EXPECT_EQ(dialog.CancelButton()->text(), QStringLiteral("Скасувати"));
    EXPECT_EQ(dialog.SelectedItem(), 0); // individual values at start

    WhenShown(dialog, [&] { dialog.ConfirmButton()->click(); });
    EXPECT_EQ(dialog.Execute(), TfmTempNew::IndividualValues);
    EXPECT_TRUE(dialog.IndividualChosen());

    WhenShown(dialog, [&] {
        dialog.findChild<QRadioButton*>(QStringLiteral("RadioGroup1Item1"))->click();
        QTest::keyClick(&dialog, Qt::Key_Return); // the confirm button is the default
    });
    EXPECT_EQ(dialog.Execute(), TfmTempNew::SubgroupValues);
    EXPECT_EQ(dialog.Answer(), 2);

    WhenShown(dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
    EXPECT_EQ(dialog.Execute(), TfmTempNew::Cancelled);
    EXPECT_EQ(dialog.SelectedItem(), 1); // kept from the last showing

    WhenShown(dialog, [&] { dialog.CancelButton()->click(); });
    EXPECT_EQ(dialog.Execute(), 9);
    WhenShown(dialog, [&] { dialog.close(); });
    EXPECT_EQ(dialog.Execute(), 9);
}

TEST(TFDet, GridsShowTheRowsOfBothAnalyses)
{
    Hints hints;
    TFDet details(hints);
    EXPECT_EQ(details.windowTitle(), QStringLiteral("Деталі по карті"));
    QAbstractItemModelTester westgardTester(
        details.WestgardGrid()->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    QAbstractItemModelTester isoTester(
        details.IsoGrid()->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    const ErrorArray westgard { { 1, 3, 3 }, { 4, 3, 4 }, { 1, 7, 7 } };
    const ErrorArray iso { { 7, 10, 24 } };
    details.SetResults(WestgardDetailsRows(westgard), IsoDetailsRows(iso));

    const QAbstractItemModel* w = details.WestgardGrid()->model();
    ASSERT_EQ(w->rowCount(), 6);
    ASSERT_EQ(w->columnCount(), 3);
    EXPECT_EQ(w->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Номер критерію"));
    EXPECT_EQ(w->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Тип критерію"));
    EXPECT_EQ(w->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Точки критерія"));
    EXPECT_EQ(w->index(0, 0).data().toString(), CriterionText(CriteriaFamily::Westgard, 1));
    EXPECT_EQ(w->index(0, 1).data().toString(), QStringLiteral("Попереджуючий"));
    EXPECT_EQ(w->index(0, 2).data().toString(), QStringLiteral(" 3 , 7 "));
    EXPECT_EQ(w->index(3, 2).data().toString(), QStringLiteral(" 3-4 "));
    EXPECT_EQ(w->index(1, 1).data().toString(), QStringLiteral("Критичний"));
    EXPECT_EQ(w->index(1, 2).data().toString(), QStringLiteral("Не відповідає критерію"));

    const QAbstractItemModel* i = details.IsoGrid()->model();
    ASSERT_EQ(i->rowCount(), 8);
    EXPECT_EQ(i->index(6, 2).data().toString(), QStringLiteral(" 10-24 "));
    EXPECT_EQ(i->index(7, 0).data().toString(), CriterionText(CriteriaFamily::Iso, 8));

    // The fixed column widths of each grid.
    details.Prepare(CriteriaFamily::Westgard, QStringLiteral("Карта середніх"), 2);
    EXPECT_EQ(details.WestgardGrid()->columnWidth(0), 307);
    EXPECT_EQ(details.WestgardGrid()->columnWidth(1), 88);
    EXPECT_EQ(details.WestgardGrid()->columnWidth(2), 208);
    details.Prepare(CriteriaFamily::Iso, QStringLiteral("Карта середніх"), 2);
    EXPECT_EQ(details.IsoGrid()->columnWidth(0), 357);
    EXPECT_EQ(details.IsoGrid()->columnWidth(1), 90);
    EXPECT_EQ(details.IsoGrid()->columnWidth(2), 208);
    // Every row and the close button lie inside the window.
    const QRect grid = details.IsoGrid()->geometry();
    EXPECT_TRUE(details.rect().contains(grid));
    EXPECT_GE(grid.height(), 9 * 24);
    auto* close = details.findChild<QPushButton*>(QStringLiteral("Button1"));
    EXPECT_EQ(close->text(), QStringLiteral("Закрити"));
    EXPECT_TRUE(details.rect().contains(close->geometry()));
    EXPECT_FALSE(grid.intersects(close->geometry()));

    WhenShown(details, [&] { QTest::keyClick(&details, Qt::Key_Escape); });
    details.ShowDetails(CriteriaFamily::Iso, QStringLiteral("Карта середніх"), 2);
    EXPECT_FALSE(details.isVisible());
}
