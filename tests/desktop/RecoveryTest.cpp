// A crash from outside: the program is killed with unsaved changes, started again, and its
// recovery copy restored and saved.
#include "MeridanDriver.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <gtest/gtest.h>

using namespace Meridan;

namespace {

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A saved file as a comparison sees it: the log entries keep what changed and why, without when
// and the hashes that depend on it, since two edits a few seconds apart are stamped differently.
QByteArray WithoutLogTimes(const QByteArray& bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    for (QByteArray& line : lines) {
        if (!line.startsWith("LOG\t"))
            continue;
        QList<QByteArray> fields = line.split('\t');
        if (fields.size() >= 6) {
            fields[1] = "time";
            fields[5] = "hash";
        }
        line = fields.join('\t');
    }
    return lines.join('\n');
}

QString Caption(const QString& path)
{
    return QStringLiteral("Мерідан - ") + path;
}

class DesktopRecovery : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (HasFailure()) {
            const QString name = QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name());
            std::cerr << "screen: " << session.saveScreen(name).toStdString() << "\nprogram's stderr:\n"
                      << session.programStderr().toStdString() << std::endl;
        }
    }

    QStringList copies() const
    {
        return QDir(session.tempFolder() + QStringLiteral("/home/.local/share/meridan/recovery"))
            .entryList({ QStringLiteral("*.json") }, QDir::Files);
    }

    // The program opened on file, its "Help" hint closed and the hints switched off.
    bool startOn(const QString& file)
    {
        if (!session.ready() || !session.startProgram({ file }))
            return false;
        const auto main = session.waitForTitle(Caption(file), 120s);
        if (!main)
            return false;
        program.MainId = main->Id;
        const auto help = program.WaitHint(120s);
        return help && program.CloseHint(*help) && session.waitActive(program.MainId) && program.HintsOff();
    }

    // The first value cell typed anew and F5: an edit and a table operation (the closing row).
    bool editFirstValue()
    {
        program.ClickMain(DataTab);
        std::optional<QPoint> valueCell;
        if (!session.waitUntil([&] { return (valueCell = program.TableCell(TableGrid::Values, 1)).has_value(); }, 10s))
            return false;
        const QRect cell(*valueCell - QPoint(20, 8), QSize(40, 16));
        const QImage before = program.GrabMain(cell);
        program.ClickMain(*valueCell, 2);
        session.key(QStringLiteral("ctrl+a"));
        session.typeText(QStringLiteral("74.777"));
        if (!session.waitUntil([&] { return !SameImage(program.GrabMain(cell), before); }, 10s))
            return false;
        session.key(QStringLiteral("F5"));
        return session.waitUntil([this] { return program.ShowsChartTabs(); }) && program.Settle();
    }

    DesktopSession session;
    Program program { session };
};

} // namespace

TEST_F(DesktopRecovery, KilledWithChangesRestoredAndSavedAsBefore)
{
    ASSERT_TRUE(session.ready()) << session.failure().toStdString();
    const QString example = session.programFolder() + QStringLiteral("/pistonrings.mrd");
    const QString crashed = session.tempFolder() + QStringLiteral("/crashed.mrd");
    const QString reference = session.tempFolder() + QStringLiteral("/reference.mrd");
    ASSERT_TRUE(QFile::copy(example, crashed));
    ASSERT_TRUE(QFile::copy(example, reference));
    const QByteArray original = FileBytes(crashed);

    // First run: the edit, its copy on disk, then kill -9.
    ASSERT_TRUE(startOn(crashed)) << program.Failure.toStdString();
    ASSERT_TRUE(editFirstValue());
    ASSERT_TRUE(session.waitUntil([this] { return copies().size() == 1; }, 60s)) << "no recovery copy was written";
    ::kill(session.programPid(), SIGKILL);
    ASSERT_TRUE(session.waitUntil([this] { return !session.programRunning(); }, 30s));
    EXPECT_EQ(FileBytes(crashed), original) << "the copy was written over the document";
    ASSERT_EQ(copies().size(), 1) << "the copy went with the program";

    // Second run: past the splash; the question comes, its default restores.
    ASSERT_TRUE(session.startProgram());
    const auto splash
        = session.waitForWindow([](const ProgramWindow& w) { return w.Type == QLatin1String("dialog"); }, 120s);
    ASSERT_TRUE(splash && session.waitActive(splash->Id, 120s)) << "no splash";
    session.key(QStringLiteral("space"));
    const auto main
        = session.waitForWindow([](const ProgramWindow& w) { return w.Type == QLatin1String("normal"); }, 120s);
    ASSERT_TRUE(main);
    program.MainId = main->Id;
    std::optional<ProgramWindow> question;
    ASSERT_TRUE(session.waitUntil(
        [&] {
            if (const auto hint = session.waitForWindow(IsHint, 1ms))
                program.CloseHint(*hint); // "Help", over or under the question
            question = session.waitForWindow([](const ProgramWindow& w) { return IsMessageBox(w); }, 1ms);
            return question.has_value();
        },
        120s))
        << "the copy was not offered";
    ASSERT_TRUE(session.waitActive(question->Id));
    session.key(QStringLiteral("Return")); // "Відновити"
    ASSERT_TRUE(session.waitGone(question->Id));
    ASSERT_TRUE(session.waitForTitle(Caption(crashed), 60s)) << "the restored document has not its own name";
    if (const auto hint = program.WaitHint(3s))
        program.CloseHint(*hint);
    ASSERT_TRUE(session.waitActive(program.MainId));
    ASSERT_TRUE(program.HintsOff());

    // Saved on purpose: the document's file now holds the edit and the copy is gone.
    session.key(QStringLiteral("ctrl+s"));
    ASSERT_TRUE(session.waitUntil([&] { return FileBytes(crashed) != original; }, 60s)) << "Ctrl+S saved nothing";
    ASSERT_TRUE(session.waitUntil([this] { return copies().isEmpty(); }, 30s)) << "the copy outlived the save";

    // The same edit on a second copy of the file, saved in the same run, is the reference.
    ASSERT_TRUE(program.OpenFile(reference));
    ASSERT_TRUE(editFirstValue());
    session.key(QStringLiteral("ctrl+s"));
    ASSERT_TRUE(session.waitUntil([&] { return FileBytes(reference) != original; }, 60s));
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(WithoutLogTimes(FileBytes(crashed)), WithoutLogTimes(FileBytes(reference)));
    EXPECT_TRUE(FileBytes(crashed).contains("\r\nLOG\t")) << "the edit before the kill is not in the log";
    EXPECT_TRUE(session.programRunning()) << session.exitDescription().toStdString();
}
