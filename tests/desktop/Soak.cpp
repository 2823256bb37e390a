// meridan-soak [EVENTS] [SEED]: sends EVENTS random keys and clicks (seeded, default 2000) to the
// real program on a private display with a window manager, answering file dialogs inside the
// session's temporary folder. Fails on a crash, on a window that does not answer for 10 s, on a
// window that keeps coming back after it is closed, or when the document saved at the end does
// not load. Prints the events sent, the windows seen and the peak memory.
#include "MeridanDriver.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>

using namespace Meridan;

namespace {

const char* const keys[] = { "a", "z", "x", "1", "2", "5", "7", "0", "comma", "period", "minus", "space", "Tab",
    "shift+Tab", "Return", "Escape", "BackSpace", "Delete", "Up", "Down", "Left", "Right", "Home", "End", "Prior",
    "Next", "F1", "F5", "F2", "ctrl+Tab", "ctrl+a", "ctrl+c", "ctrl+v", "ctrl+n", "ctrl+o", "ctrl+s", "ctrl+p" };

bool isFileDialog(const ProgramWindow& w)
{
    for (const char* title : { "Завантажити", "Зберегти як", "Імпорт даних", "Експорт таблиці", "Експорт звіту" }) {
        if (w.Title == QString::fromUtf8(title) || w.Title.startsWith(QString::fromUtf8(title) + QStringLiteral(" —")))
            return true;
    }
    return false;
}

bool isPrinterDialog(const ProgramWindow& w)
{
    return w.Title.startsWith(QStringLiteral("Друк звіту")) || w.Title.startsWith(QStringLiteral("Параметри сторінки"));
}

int fail(const QString& why)
{
    std::fprintf(stdout, "SOAK FAILED: %s\n", qPrintable(why));
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int events = argc > 1 ? std::atoi(argv[1]) : 2000;
    const unsigned seed = argc > 2 ? unsigned(std::strtoul(argv[2], nullptr, 10)) : 1u;
    const auto started = Clock::now();
    std::mt19937 random(seed);
    auto chance = [&random](int percent) { return int(random() % 100) < percent; };

    DesktopSession session;
    Program program(session);
    if (!program.Start())
        return fail(QStringLiteral("the program did not start: ") + program.Failure);
    std::map<QString, int> seen;
    long peak = 0;
    int sent = 0;
    int restarts = 0;
    int comebacks = 0;
    XWindowId lastClosed = 0;
    QSize lastClosedSize;
    int files = 0;

    auto report = [&] {
        std::printf("events sent: %d (seed %u), program restarts after its own exit: %d\n", sent, seed, restarts);
        std::printf("windows seen:\n");
        for (const auto& [name, count] : seen)
            std::printf("  %5d x %s\n", count, qPrintable(name));
        std::printf("peak memory (VmHWM): %ld KiB\n", peak);
        std::printf("duration: %.1f s\n", std::chrono::duration<double>(Clock::now() - started).count());
        // The window tree, mapped or not, for a failure to be read afterwards (MERIDAN_DESKTOP_KEEP).
        const QString tree = QStringLiteral("xwininfo -root -tree -display :%1 > '%2/windows.txt' 2>&1")
                                 .arg(session.displayNumber())
                                 .arg(session.tempFolder());
        if (std::system(qPrintable(tree)) != 0)
            std::printf("the window tree could not be written\n");
    };
    auto crashed = [&]() -> std::optional<QString> {
        if (session.programRunning())
            return std::nullopt;
        if (session.exitDescription() == QLatin1String("exited with status 0"))
            return QString(); // ended by its own Exit command
        return session.exitDescription();
    };
    // A file name in the session's folder, for whichever dialog asks.
    auto answerFileDialog = [&](const ProgramWindow& w) {
        QString path;
        if (w.Title.startsWith(QStringLiteral("Завантажити")))
            path = session.programFolder() + QStringLiteral("/viscosity.mrd");
        else if (w.Title.startsWith(QStringLiteral("Імпорт")))
            path = session.tempFolder() + QStringLiteral("/nothing.csv");
        else
            path = session.tempFolder() + QStringLiteral("/soak-%1").arg(++files);
        session.key(QStringLiteral("ctrl+a"));
        session.typeText(path);
        session.key(QStringLiteral("Return"));
    };

    while (sent < events) {
        if (auto ended = crashed()) {
            if (!ended->isEmpty()) {
                report();
                return fail(QStringLiteral("the program crashed: ") + *ended + QStringLiteral("\n")
                    + session.programStderr().right(2000));
            }
            ++restarts;
            if (!program.Start()) {
                report();
                QString shown;
                for (const ProgramWindow& w : session.windows())
                    shown += QStringLiteral("\n  %1 \"%2\"").arg(w.Type, w.Title);
                const auto active = session.activeWindow();
                return fail(QStringLiteral("the program did not start again: ") + program.Failure
                    + QStringLiteral("\nwindows:") + shown + QStringLiteral("\nactive: ")
                    + (active ? active->Title : QStringLiteral("none")) + QStringLiteral("\nscreen: ")
                    + session.saveScreen(QStringLiteral("soak-restart")) + QStringLiteral("\nprogram's stderr:\n")
                    + session.programStderr().right(2000));
            }
        }
        peak = std::max(peak, session.peakMemoryKiB());
        const std::vector<ProgramWindow> windows = session.windows();
        for (const ProgramWindow& w : windows)
            seen.try_emplace(w.Type + QStringLiteral(" \"") + w.Title + QStringLiteral("\""), 0);
        std::optional<ProgramWindow> top = session.activeWindow();
        if (!top && !windows.empty())
            top = windows.back();
        if (!top) {
            // Between two windows (a dialog closing, the main window coming back).
            if (!session.waitUntil([&] { return !session.windows().empty() || !session.programRunning(); }, 10s)
                && session.programRunning()) {
                report();
                return fail(QStringLiteral("no window of the program shows for 10 s"));
            }
            continue;
        }
        const QString name = top->Type + QStringLiteral(" \"") + top->Title + QStringLiteral("\"");

        if (!session.ping(top->Id, 10s)) {
            report();
            return fail(QStringLiteral("the program does not answer for 10 s in ") + name);
        }
        if (isFileDialog(*top) || isPrinterDialog(*top)) {
            ++seen[name];
            if (isPrinterDialog(*top) || chance(40))
                session.key(QStringLiteral("Escape"));
            else
                answerFileDialog(*top);
            ++sent;
            session.waitGone(top->Id, 10s);
            continue;
        }
        if (IsHint(*top)) {
            // The same hint at once again after it was closed, with nothing in between, over and
            // over: the window that keeps coming back.
            if (lastClosed != 0 && top->Geometry.size() == lastClosedSize) {
                if (++comebacks >= 5) {
                    report();
                    return fail(QStringLiteral("a hint keeps coming back after it is closed"));
                }
            } else {
                comebacks = 0;
            }
            ++seen[name];
            session.key(QStringLiteral("Return"));
            ++sent;
            lastClosed = session.waitGone(top->Id, 10s) ? top->Id : 0;
            lastClosedSize = top->Geometry.size();
            if (lastClosed && program.MainId && session.window(program.MainId)) {
                program.Settle();
                if (session.waitForWindow(IsHint, 300ms))
                    continue; // checked on the next round, before any other event
            }
            lastClosed = 0;
            continue;
        }
        lastClosed = 0;
        comebacks = 0;
        ++seen[name];

        if (chance(60)) {
            session.key(QString::fromLatin1(keys[random() % std::size(keys)]));
        } else {
            const QRect area = top->Geometry;
            const QPoint local(int(random() % unsigned(std::max(1, area.width()))),
                int(random() % unsigned(std::max(1, area.height()))));
            const int kind = int(random() % 10);
            session.click(*top, local, kind == 9 ? 3 : 1, kind == 8 ? 2 : 1);
        }
        ++sent;
    }

    // The end: back to the main window, then save the document (making one if there is none).
    if (auto ended = crashed(); ended && !ended->isEmpty()) {
        report();
        return fail(QStringLiteral("the program crashed: ") + *ended);
    }
    if (!session.programRunning() && !program.Start())
        return fail(QStringLiteral("the program did not start again"));
    peak = std::max(peak, session.peakMemoryKiB());
    const QString saved = session.tempFolder() + QStringLiteral("/soak-final.mrd");
    bool saveAsked = false;
    bool newAsked = false;
    int answers = 0;
    for (int round = 0; round < 120; ++round) {
        if (!session.programRunning()) {
            report();
            return fail(
                QStringLiteral("the program ended while the document was being saved: ") + session.exitDescription());
        }
        program.Settle();
        const auto top = session.activeWindow();
        if (!top) {
            session.waitUntil([&] { return session.activeWindow().has_value(); }, 10s);
            continue;
        }
        if (top->Id == program.MainId) {
            if (QFileInfo::exists(saved) && saveAsked)
                break;
            // A window without a document has nothing to save: make one (at once when the title
            // says so, else once saving has had its chance).
            const bool noDocument = program.Main().Title == QStringLiteral("Мерідан");
            if ((noDocument || round > 30) && !newAsked) {
                newAsked = true;
                session.key(QStringLiteral("ctrl+n")); // no document to save: make one
                continue;
            }
            session.key(QStringLiteral("ctrl+s"));
            saveAsked = true;
            const bool something = session.waitUntil(
                [&] {
                    const auto now = session.activeWindow();
                    return (now && now->Id != program.MainId) || QFileInfo::exists(saved);
                },
                3s);
            if (!something && program.Main().Title.startsWith(QStringLiteral("Мерідан - ")))
                break; // saved under its own name
            continue;
        }
        if (top->Title.startsWith(QStringLiteral("Зберегти як"))) {
            session.key(QStringLiteral("ctrl+a"));
            session.typeText(saved);
            session.key(QStringLiteral("Return"));
        } else if (top->Title.startsWith(QStringLiteral("Створення карти"))) {
            session.key(QStringLiteral("Return"));
        } else if (IsHint(*top) || IsMessageBox(*top)) {
            // Alternate per question, not per round: a save that asks each time comes back every
            // second round, and would then always get the same answer.
            session.key(answers++ % 2 ? QStringLiteral("Escape") : QStringLiteral("Return"));
        } else {
            session.key(QStringLiteral("Escape"));
        }
        session.waitGone(top->Id, 5s);
    }
    QString file = saved;
    if (!QFileInfo::exists(saved)) {
        file = program.Main().Title.mid(QStringLiteral("Мерідан - ").size());
        file.remove(QRegularExpression(QStringLiteral(" — Мерідан$")));
    }
    peak = std::max(peak, session.peakMemoryKiB());
    report();
    if (!QFileInfo::exists(file))
        return fail(QStringLiteral("no document was saved at the end"));
    QProcess info;
    info.start(CliPath(), { QStringLiteral("info"), file });
    if (!info.waitForFinished(60000) || info.exitStatus() != QProcess::NormalExit || info.exitCode() != 0)
        return fail(QStringLiteral("the saved document %1 does not load: %2")
                        .arg(file, QString::fromLocal8Bit(info.readAllStandardError())));
    std::printf("saved document: %s (loads)\nSOAK PASSED\n", qPrintable(QFileInfo(file).fileName()));
    return 0;
}
