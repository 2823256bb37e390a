#include "ui/Hints.h"
#include "common/TestSupport.h"
#include "program/ProgramFiles.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

namespace {

// Records every hint instead of showing a window.
class RecordingHintView final : public HintView {
public:
    void UserMessage(const HintRecord& record) override { shown.append(record); }
    void EndApplication() override { ++ends; }

    QStringList Texts() const
    {
        QStringList texts;
        for (const HintRecord& record : shown)
            texts.append(record.Text);
        return texts;
    }

    QList<HintRecord> shown;
    int ends = 0;
};

void WriteFile(const QString& path, const QString& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QStringEncoder encoder("windows-1251");
    QString crlf = text;
    crlf.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    file.write(encoder(crlf));
}

QString Record(const QString& key, const QString& text)
{
    return u'#' + key + u'\n' + text + QStringLiteral("\n%\n-1 -1 300 100\n");
}

// A data folder with a general hint file and three examples, each with its own hints.
struct HintFixture {
    HintFixture()
    {
        WriteFile(folder.filePath(GeneralHintFileName),
            Record(QStringLiteral("Help"), QStringLiteral("довідка"))
                + Record(QStringLiteral("Зміни"), QStringLiteral("зміни"))
                + Record(QStringLiteral("Виводити повідомлення"), QStringLiteral("вимкнено"))
                + Record(QStringLiteral("Редагування"), QStringLiteral("редагування")));
        for (int i = 1; i <= 3; ++i) {
            WriteFile(folder.filePath(QStringLiteral("ex/e%1.txt").arg(i)),
                Record(QStringLiteral("Початок"), QStringLiteral("початок %1").arg(i))
                    + Record(QStringLiteral("Вкладка 2"), QStringLiteral("вкладка %1").arg(i)));
        }
        WriteFile(folder.filePath(ExampleListFileName), QStringLiteral("ex/e1\nex/e2\nex/e3\n"));
        hints.SetFolder(folder.path());
        hints.SetView(&view);
        hints.SetMessenger(&messenger);
        EXPECT_TRUE(hints.LoadExampleList());
    }

    QTemporaryDir folder;
    RecordingHintView view;
    RecordingMessenger messenger;
    Hints hints;
};

} // namespace

TEST(Hints, ShowHintAndRepeatLastHint)
{
    HintFixture f;
    // F1 before any hint shows "Help" of the general file.
    EXPECT_TRUE(f.hints.RepeatLastHint());
    EXPECT_TRUE(f.hints.ShowHint(QStringLiteral("Зміни")));
    EXPECT_EQ(f.view.shown.last(), (HintRecord { QStringLiteral("зміни"), -1, -1, 300, 100, false }));
    // A key the file lacks shows nothing and leaves F1 on the previous hint.
    EXPECT_FALSE(f.hints.ShowHint(QStringLiteral("Немає такого")));
    EXPECT_TRUE(f.hints.RepeatLastHint());
    EXPECT_EQ(
        f.view.Texts(), (QStringList { QStringLiteral("довідка"), QStringLiteral("зміни"), QStringLiteral("зміни") }));
    EXPECT_TRUE(f.messenger.messages.isEmpty());

    // F1 after an example's hint repeats it from the same file, even after the example changed.
    EXPECT_TRUE(f.hints.ShowExampleHint(QStringLiteral("Вкладка 2")));
    f.hints.SetCurrentExample(2);
    EXPECT_TRUE(f.hints.RepeatLastHint());
    EXPECT_EQ(f.view.Texts().mid(3), (QStringList { QStringLiteral("вкладка 1"), QStringLiteral("вкладка 1") }));
    EXPECT_TRUE(f.hints.ShowExampleHint(QStringLiteral("Вкладка 2")));
    EXPECT_EQ(f.view.Texts().last(), QStringLiteral("вкладка 3"));
}

TEST(Hints, SwitchedOffOpensNoFile)
{
    HintFixture f;
    // Without its general file the program would end at the first hint: switched off, no file
    // is even looked at.
    ASSERT_TRUE(QFile::remove(f.folder.filePath(GeneralHintFileName)));
    f.hints.SetHintsEnabled(false);
    EXPECT_FALSE(f.hints.ShowHint(QStringLiteral("Help")));
    EXPECT_FALSE(f.hints.ShowExampleHint(QStringLiteral("Початок")));
    EXPECT_FALSE(f.hints.RepeatLastHint());
    f.hints.ShowHintLater(QStringLiteral("Help"));
    QTest::qWait(20);
    EXPECT_TRUE(f.view.shown.isEmpty());
    EXPECT_EQ(f.view.ends, 0);

    // Switched on again, the missing general file is the fatal error, whichever file was asked for.
    f.hints.SetHintsEnabled(true);
    EXPECT_FALSE(f.hints.ShowExampleHint(QStringLiteral("Початок")));
    ASSERT_EQ(f.view.shown.size(), 1);
    EXPECT_EQ(f.view.shown[0], (HintRecord { QStringLiteral("Фатальна помилка"), -1, -1, 300, 100, false }));
    EXPECT_EQ(f.view.ends, 1);
}

TEST(Hints, WithoutAViewNothingShowsAndNoFileIsRead)
{
    Hints hints;
    hints.SetFolder(QStringLiteral("/nonexistent"));
    EXPECT_FALSE(hints.ShowHint(QStringLiteral("Help")));
    EXPECT_FALSE(hints.RepeatLastHint());
}

TEST(Hints, ToggleShowsItsHintOnlyWhenSwitchingOff)
{
    HintFixture f;
    EXPECT_FALSE(f.hints.ToggleHints());
    EXPECT_EQ(f.view.Texts(), QStringList { QStringLiteral("вимкнено") });
    EXPECT_TRUE(f.hints.ToggleHints());
    EXPECT_EQ(f.view.shown.size(), 1);
}

TEST(Hints, DeferredHintShowsAfterTheEventAndOnlyTheLastRequest)
{
    HintFixture f;
    f.hints.ShowHintLater(QStringLiteral("Зміни"));
    f.hints.ShowHintLater(QStringLiteral("Редагування")); // replaces the pending one
    EXPECT_TRUE(f.view.shown.isEmpty());
    EXPECT_TRUE(f.hints.HintPending());
    QTRY_COMPARE(f.view.shown.size(), 1);
    EXPECT_EQ(f.view.shown[0].Text, QStringLiteral("редагування"));
    EXPECT_FALSE(f.hints.HintPending());

    f.hints.SetCurrentExample(1);
    f.hints.ShowExampleHintLater(QStringLiteral("Вкладка 2"));
    QTRY_COMPARE(f.view.shown.size(), 2);
    EXPECT_EQ(f.view.shown[1].Text, QStringLiteral("вкладка 2"));
    QTest::qWait(10);
    EXPECT_EQ(f.view.shown.size(), 2); // one shot
}

TEST(Hints, ExampleCommand)
{
    HintFixture f;
    QStringList loaded;
    // Entry 3 loads line 3 of the list, and later example hints come from the same path.
    EXPECT_TRUE(f.hints.RunExample(2, [&](const QString& path) {
        loaded.append(path);
        return true;
    }));
    EXPECT_EQ(loaded, QStringList { QDir(f.folder.path()).filePath(QStringLiteral("ex/e3.mrd")) });
    EXPECT_EQ(f.hints.CurrentExample(), 2);
    EXPECT_TRUE(f.hints.ShowExampleHint(QStringLiteral("Початок")));
    EXPECT_EQ(f.view.Texts().last(), QStringLiteral("початок 3"));

    // A failed load brings the previous example back.
    EXPECT_FALSE(f.hints.RunExample(0, [&](const QString&) { return false; }));
    EXPECT_EQ(f.hints.CurrentExample(), 2);

    // An entry beyond the list is refused with a message, nothing loaded.
    loaded.clear();
    EXPECT_FALSE(f.hints.RunExample(3, [&](const QString& path) {
        loaded.append(path);
        return true;
    }));
    EXPECT_TRUE(loaded.isEmpty());
    EXPECT_EQ(f.hints.CurrentExample(), 2);
    ASSERT_EQ(f.messenger.messages.size(), 1);
    EXPECT_TRUE(f.messenger.messages[0].contains(QStringLiteral("Прикладу 4 немає")));
}

TEST(Hints, UnusableFilesAreReportedOnceAndSkipped)
{
    HintFixture f;
    ASSERT_TRUE(QFile::remove(f.folder.filePath(QStringLiteral("ex/e1.txt"))));
    EXPECT_FALSE(f.hints.ShowExampleHint(QStringLiteral("Початок")));
    EXPECT_FALSE(f.hints.ShowExampleHint(QStringLiteral("Вкладка 2")));
    EXPECT_EQ(f.messenger.messages.size(), 1);
    EXPECT_TRUE(f.view.shown.isEmpty());
    EXPECT_EQ(f.view.ends, 0);

    WriteFile(f.folder.filePath(QStringLiteral("ex/e2.txt")), QStringLiteral("#Початок\nбез кінця\n"));
    f.hints.SetCurrentExample(1);
    EXPECT_FALSE(f.hints.ShowExampleHint(QStringLiteral("Початок")));
    EXPECT_FALSE(f.hints.ShowExampleHint(QStringLiteral("Початок")));
    EXPECT_EQ(f.messenger.messages.size(), 2);

    // No example list: the program runs on without examples, and says so.
    Hints bare;
    RecordingMessenger messenger;
    bare.SetMessenger(&messenger);
    bare.SetFolder(f.folder.filePath(QStringLiteral("ex")));
    EXPECT_FALSE(bare.LoadExampleList());
    EXPECT_EQ(messenger.messages.size(), 1);
    EXPECT_FALSE(bare.ShowExampleHint(QStringLiteral("Початок")));
}

namespace {

// The hint window is modal: a hint whose timer fires inside its event loop reaches the view while
// the view is still showing the first one. This view does that once and records how deep the
// calls went.
class ReenteringHintView final : public HintView {
public:
    void UserMessage(const HintRecord& record) override
    {
        ++depth;
        deepest = std::max(deepest, depth);
        shown.append(record.Text);
        if (shown.size() == 1)
            hints->ShowHint(QStringLiteral("Зміни"));
        --depth;
    }
    void EndApplication() override { }

    Hints* hints = nullptr;
    QStringList shown;
    int depth = 0;
    int deepest = 0;
};

} // namespace

TEST(Hints, HintAskedWhileOneIsOpenWaitsForItToClose)
{
    HintFixture fixture;
    ReenteringHintView view;
    Hints hints;
    hints.SetFolder(fixture.folder.path());
    hints.SetView(&view);
    view.hints = &hints;

    ASSERT_TRUE(hints.ShowHint(QStringLiteral("Help")));
    EXPECT_EQ(view.deepest, 1); // never a second hint inside the open one
    EXPECT_EQ(view.shown, QStringList({ QStringLiteral("довідка"), QStringLiteral("зміни") }));
    EXPECT_EQ(hints.LastHintKey(), QStringLiteral("Зміни"));
}
