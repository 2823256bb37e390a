#include "common/TestSupport.h"
#include "program/ProgramFiles.h"
#include "ui/AboutBox.h"
#include "ui/ExampleChooser.h"
#include "ui/HintWindow.h"
#include "ui/Hints.h"
#include "ui/MainForm.h"
#include "ui/Pictures.h"
#include "ui/SplashWindow.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

namespace {

const QString DataFolder = QStringLiteral(MERIDAN_SOURCE_DIR "/data");

class RecordingHintView final : public HintView {
public:
    void UserMessage(const HintRecord& record) override { keys.append(record.Text.section(u'\n', 0, 0)); }
    void EndApplication() override { }
    QStringList keys; // first lines of the hints shown
};

} // namespace

TEST(MessageForm, PlacesItsPartsByTheRecord)
{
    TMessageForm form;
    form.Prepare(HintRecord { QStringLiteral("перший\n\rдругий"), 40, 60, 348, 109, false });
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Мерідан"));
    EXPECT_EQ(form.pos(), QPoint(40, 60));
    EXPECT_EQ(form.ButtonOK->geometry(), QRect(133, 58, 83, 21));
    EXPECT_EQ(form.MessageText->text(), QStringLiteral("перший\nдругий"));
    EXPECT_EQ(form.MessageText->pos(), QPoint(5, 7));
    EXPECT_EQ(form.BackGround->geometry(), form.rect());
    EXPECT_EQ(form.ButtonOK->cursor().shape(), Qt::PointingHandCursor);

    // Any key closes it.
    form.show();
    QTest::keyClick(&form, Qt::Key_Space);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST(FirstForm, ShowsTheSplashTextAndHandsOverOnAnyKeyOrClose)
{
    RecordingMessenger messenger;
    TFirstForm splash(DataFolder, &messenger);
    QSignalSpy finished(&splash, &TFirstForm::Finished);
    splash.show();
    EXPECT_EQ(splash.size(), QSize(445, 298));
    EXPECT_TRUE(splash.Text->text().startsWith(QStringLiteral("Мерідан\n")));
    EXPECT_EQ(splash.Text->pos(), QPoint(56, 48));
    EXPECT_EQ(splash.bOK->geometry(), QRect(168, 264, 113, 22));
    EXPECT_FALSE(splash.Lines.isEmpty());

    QTest::keyClick(&splash, Qt::Key_A);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(splash.isVisible());

    splash.show();
    EXPECT_TRUE(splash.close() == false || !splash.isVisible());
    EXPECT_EQ(finished.count(), 2);
    EXPECT_FALSE(splash.isVisible());

    splash.show();
    QTest::mouseClick(splash.bOK, Qt::LeftButton);
    EXPECT_EQ(finished.count(), 3);
    EXPECT_TRUE(messenger.messages.isEmpty());

    // Without its text file the splash still works, and says once what is missing.
    QTemporaryDir empty;
    TFirstForm bare(empty.path(), &messenger);
    bare.FormActivate();
    bare.FormActivate();
    EXPECT_TRUE(bare.Text->text().isEmpty());
    EXPECT_EQ(messenger.messages.size(), 1);
}

TEST(AboutBox, TitleVersionAndPicture)
{
    TAboutBox about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Про програму"));
    EXPECT_EQ(about.size(), QSize(475, 222));
    EXPECT_EQ(about.ProgramIcon->geometry(), QRect(16, 24, 145, 105));
    EXPECT_TRUE(about.RichEdit1->isReadOnly());
    const QString text = about.RichEdit1->toPlainText();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Мерідан\nВерсія ")));
    EXPECT_TRUE(about.OKButton->isDefault());
    EXPECT_FALSE(RenderPicture(QStringLiteral("about"), QSize(145, 105)).isNull());
    // Every picture the windows use is in the resources and draws something.
    for (const char* name : { "about", "splash", "splash-button", "hint-background", "hint-button", "meridan" }) {
        const QImage image = RenderPicture(QString::fromLatin1(name), QSize(64, 64));
        EXPECT_NE(image.pixel(32, 32), 0u) << name;
    }
}

TEST(ChoiseForm, OkOnlyWithASelectionAndTheExamplesHint)
{
    Hints hints;
    RecordingHintView view;
    hints.SetView(&view);
    hints.SetFolder(DataFolder);
    TChoiseForm chooser(&hints);
    EXPECT_EQ(chooser.windowTitle(), QStringLiteral("Оберіть приклад"));
    ASSERT_EQ(chooser.List->count(), 4);
    EXPECT_EQ(chooser.List->item(2)->text(), QStringLiteral("Приклад 3"));

    chooser.show();
    chooser.FormActivate();
    chooser.FormActivate(); // again when a hint closes over it: not shown twice
    ASSERT_EQ(view.keys.size(), 1);
    EXPECT_TRUE(view.keys[0].startsWith(QStringLiteral("Оберіть приклад")));

    chooser.List->clearSelection();
    chooser.List->setCurrentItem(nullptr);
    chooser.bOKClick();
    EXPECT_TRUE(chooser.isVisible());

    chooser.List->setCurrentRow(2);
    QTest::keyClick(chooser.List, Qt::Key_Return);
    EXPECT_FALSE(chooser.isVisible());
    EXPECT_EQ(chooser.result(), QDialog::Accepted);

    // F1 repeats the last hint.
    chooser.show();
    QTest::keyClick(chooser.List, Qt::Key_F1);
    EXPECT_EQ(view.keys.size(), 2);
    EXPECT_EQ(view.keys[1], view.keys[0]);
}

TEST(MainFormExamples, ExampleCommandLoadsTheLineAndGuides)
{
    RecordingMessenger messenger;
    TMainForm window(&messenger);
    RecordingHintView view;
    Hints& hints = window.hints();
    hints.SetView(&view);
    hints.SetFolder(DataFolder);
    ASSERT_TRUE(hints.LoadExampleList());

    window.SetExampleChooser([] { return 2; });
    window.ExamplesClick();
    EXPECT_EQ(QFileInfo(window.Document().FileName()).fileName(), QStringLiteral("antifreeze.mrd"));
    EXPECT_EQ(hints.CurrentExample(), 2);
    ASSERT_FALSE(view.keys.isEmpty());
    EXPECT_TRUE(view.keys.last().startsWith(QStringLiteral("Приклад 3:")));

    // Cancelled: nothing changes.
    window.SetExampleChooser([] { return -1; });
    window.ExamplesClick();
    EXPECT_EQ(hints.CurrentExample(), 2);

    // A failed load keeps the example whose document is shown.
    hints.SetExampleList({ QStringLiteral("/nonexistent/missing") });
    EXPECT_FALSE(window.OpenExample(0));
    EXPECT_EQ(hints.CurrentExample(), 2);

    // The hints switch: its hint once when switching off, nothing when switching on.
    hints.SetExampleList({});
    const qsizetype before = view.keys.size();
    QAction* mhints = window.findChild<QAction*>(QStringLiteral("MHints"));
    ASSERT_NE(mhints, nullptr);
    mhints->trigger();
    EXPECT_FALSE(hints.HintsEnabled());
    EXPECT_EQ(view.keys.size(), before + 1);
    EXPECT_TRUE(view.keys.last().startsWith(QStringLiteral("Підказки буде вимкнено")));
    mhints->trigger();
    EXPECT_TRUE(hints.HintsEnabled());
    EXPECT_EQ(view.keys.size(), before + 1);
}

TEST(MainFormExamples, AnExampleGuidesThroughComputeAndTabs)
{
    RecordingMessenger messenger;
    TMainForm window(&messenger);
    RecordingHintView view;
    Hints& hints = window.hints();
    hints.SetView(&view);
    hints.SetFolder(DataFolder);
    ASSERT_TRUE(hints.LoadExampleList());
    ASSERT_TRUE(window.OpenExample(3)); // the sour cream, subgroups of 3
    window.Compute();
    ASSERT_TRUE(window.Document().IsComputed());
    ASSERT_GE(view.keys.size(), 2);
    EXPECT_TRUE(view.keys.last().startsWith(QStringLiteral("Обчислення виконано!")));

    auto* pages = window.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    ASSERT_NE(pages, nullptr);
    const qsizetype before = view.keys.size();
    pages->setCurrentIndex(TMainForm::ChartTabOffset);
    QTRY_COMPARE(view.keys.size(), before + 1);
    EXPECT_TRUE(view.keys.last().startsWith(QStringLiteral("Карта середніх. Центр зафіксовано")));
    // F1 shows it again.
    window.hints().RepeatLastHint();
    EXPECT_EQ(view.keys.last(), view.keys[before]);
    window.Document().ClearChanged();
}
