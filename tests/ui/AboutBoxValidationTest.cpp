#include "common/TestSupport.h"
#include "paint/DrawingState.h"
#include "reports/PreparedReport.h"
#include "ui/AboutBox.h"
#include "ui/UiTestSupport.h"

#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString DeliveredPack = QStringLiteral(MERIDAN_SOURCE_DIR "/data/validation");
}

// "Перевірка розрахунків..." runs the pack and hands the validation report to the preview.
TEST(AboutBoxValidation, RunsThePackAndShowsTheReport)
{
    TAboutBox about;
    EXPECT_EQ(about.ValidateButton->text(), QStringLiteral("Перевірка розрахунків..."));
    EXPECT_TRUE(about.ValidateButton->geometry().intersected(about.OKButton->geometry()).isEmpty());
    EXPECT_TRUE(about.rect().contains(about.ValidateButton->geometry()));
    EXPECT_FALSE(about.ValidateButton->isDefault()); // Enter still closes the box
    RecordingMessenger messenger;
    about.SetMessenger(&messenger);
    about.SetValidationFolder(DeliveredPack);
    int shown = 0;
    int pages = 0;
    std::vector<int> verdictPages;
    about.SetPreviewHandler([&](const rpt::PreparedReport& report) {
        ++shown;
        pages = report.pageCount();
        verdictPages = report.findText(QStringLiteral("Результат: усі випадки (8) збігаються"));
    });
    const int margin = ChartDrawingState().LeftMargin;
    about.show();
    SaveSnapshot(about, QStringLiteral("about-validation"));
    QTest::mouseClick(about.ValidateButton, Qt::LeftButton);
    EXPECT_EQ(shown, 1);
    EXPECT_GT(pages, 9);
    EXPECT_EQ(verdictPages, std::vector<int> { 0 });
    EXPECT_TRUE(messenger.messages.isEmpty()) << messenger.messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(ChartDrawingState().LeftMargin, margin);
    // The progress window is gone once the report is shown.
    EXPECT_TRUE(about.findChildren<QProgressDialog*>().isEmpty() || !about.findChild<QProgressDialog*>()->isVisible());
}

TEST(AboutBoxValidation, AMissingPackIsSaidAndNothingShown)
{
    TAboutBox about;
    RecordingMessenger messenger;
    about.SetMessenger(&messenger);
    QTemporaryDir empty;
    about.SetValidationFolder(empty.path());
    int shown = 0;
    about.SetPreviewHandler([&](const rpt::PreparedReport&) { ++shown; });
    about.ValidateButtonClick();
    EXPECT_EQ(shown, 0);
    ASSERT_EQ(messenger.messages.size(), 1);
    EXPECT_TRUE(messenger.messages[0].contains(QStringLiteral("cases.json")));
}
