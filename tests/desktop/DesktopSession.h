#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <optional>
#include <sys/types.h>
#include <vector>

// A private X display (Xvfb) with a window manager (openbox) and a fresh home folder, on which the
// real program runs and is driven from outside with XTest input, as an analyst drives it. Windows
// are read back through the window manager's client list, their titles and types, and screenshots.
// Everything started here is ended when the session goes, and its folder removed (kept for a look
// when MERIDAN_DESKTOP_KEEP is set).

using XWindowId = unsigned long;

struct ProgramWindow {
    XWindowId Id = 0;
    QString Title; // _NET_WM_NAME, exactly as the window manager shows it
    QString Type; // "normal", "dialog", "utility" ... (_NET_WM_WINDOW_TYPE, first entry)
    QRect Geometry; // the client area in screen coordinates
};

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

class DesktopSession {
public:
    DesktopSession(); // starts the display and the window manager; see ready()
    ~DesktopSession();
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    bool ready() const { return m_display != nullptr; }
    QString failure() const { return m_failure; }
    QString tempFolder() const { return m_temp; }
    // The program's own folder: a copy of the built program with its delivered files, so that
    // whatever it writes there (Save over an example) stays in the session's folder.
    QString programFolder() const { return m_temp + QStringLiteral("/program"); }
    int displayNumber() const { return m_displayNumber; }

    bool startProgram(const QStringList& arguments = {});
    bool programRunning(); // false once it has ended (exitDescription says how)
    QString exitDescription() const { return m_exitDescription; }
    pid_t programPid() const { return m_programPid; }
    void stopProgram(); // SIGTERM, then SIGKILL
    QString programStderr() const;
    long peakMemoryKiB() const; // VmHWM of the running program; -1 when unknown

    std::vector<ProgramWindow> windows(); // the program's windows that are shown, in stacking order (top last)
    std::optional<ProgramWindow> window(XWindowId id);
    std::optional<ProgramWindow> activeWindow();

    // Polls the condition until it holds or the time is up; true when it held.
    bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 60s);
    std::optional<ProgramWindow> waitForWindow(
        const std::function<bool(const ProgramWindow&)>& match, std::chrono::milliseconds timeout = 60s);
    std::optional<ProgramWindow> waitForTitle(const QString& title, std::chrono::milliseconds timeout = 60s);
    bool waitGone(XWindowId id, std::chrono::milliseconds timeout = 60s);
    bool waitActive(XWindowId id, std::chrono::milliseconds timeout = 60s);

    // True when the window's owner answered a _NET_WM_PING within the time: its event loop runs.
    bool ping(XWindowId id, std::chrono::milliseconds timeout = 10s);

    // Input through XTest. Keys are X keysym names ("F5", "Return", "a", "Tab"); modifiers
    // "ctrl", "shift", "alt" joined by "+" in front: "ctrl+o".
    void key(const QString& combination);
    void typeText(const QString& ascii);
    // Returns once the window has answered a ping after the click (or is gone).
    void click(const ProgramWindow& window, QPoint local, int button = 1, int count = 1);
    void moveMouse(QPoint screen);
    // Waits until the presses sent so far have left the server (none is held by a grab).
    bool waitPointerReleased(std::chrono::milliseconds timeout = 10s);

    QImage grab(const QRect& screenRect); // what the screen shows there
    QImage grab(const ProgramWindow& window) { return grab(window.Geometry); }
    // Saves a picture of the whole screen into the session folder's parent when a test fails.
    QString saveScreen(const QString& name);

private:
    QStringList openboxCommand() const;
    pid_t spawn(const QStringList& command, const QString& outputFile, bool programEnv);
    QString property(XWindowId id, const char* name, const char* type);
    std::vector<XWindowId> clientList();
    unsigned long atom(const char* name);
    void fakeKey(unsigned int keycode, bool press);
    void reapProgram(bool wait);
    bool popupShows(); // a menu of the program shows

    struct _XDisplay* m_display = nullptr;
    int m_displayNumber = -1;
    QString m_temp;
    QString m_failure;
    pid_t m_xvfb = 0;
    pid_t m_windowManager = 0;
    pid_t m_programPid = 0;
    QString m_exitDescription;
    long m_pingSerial = 0;
    QPoint m_lastPress { -1000, -1000 }; // where and when the last click pressed, on the screen
    Clock::time_point m_lastPressTime;
};

// Paths of the built programs, from the build.
QString ProgramPath();
QString CliPath();
