#include "DesktopSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

QString ProgramPath()
{
    return QStringLiteral(MERIDAN_APP);
}
QString CliPath()
{
    return QStringLiteral(MERIDAN_CLI);
}

namespace {

constexpr auto pollStep = 15ms;

// Copies the program and the files it reads beside itself (not the build's own files).
bool copyProgram(const QString& from, const QString& to)
{
    QDir source(from);
    if (!QDir().mkpath(to + QStringLiteral("/Data")))
        return false;
    const QStringList files = source.entryList(
        { QStringLiteral("*.txt"), QStringLiteral("*.mrd"), QStringLiteral("*.ini"), QStringLiteral("meridan") },
        QDir::Files);
    for (const QString& name : files) {
        if (!QFile::copy(source.filePath(name), to + QLatin1Char('/') + name))
            return false;
    }
    for (const QString& name : QDir(source.filePath(QStringLiteral("Data"))).entryList(QDir::Files)) {
        if (!QFile::copy(source.filePath(QStringLiteral("Data/") + name), to + QStringLiteral("/Data/") + name))
            return false;
    }
    return QFile::setPermissions(to + QStringLiteral("/meridan"),
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup);
}

void endProcess(pid_t pid)
{
    if (pid <= 0)
        return;
    ::kill(-pid, SIGTERM);
    ::kill(pid, SIGTERM);
    const auto deadline = Clock::now() + 5s;
    while (Clock::now() < deadline) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(10ms);
    }
    ::kill(-pid, SIGKILL);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

int ignoreXErrors(Display*, XErrorEvent*)
{
    return 0;
} // windows vanish while we read them

} // namespace

DesktopSession::DesktopSession()
{
    QTemporaryDir temp(QDir::tempPath() + QStringLiteral("/meridan-desktop-XXXXXX"));
    if (!temp.isValid()) {
        m_failure = QStringLiteral("no temporary folder");
        return;
    }
    temp.setAutoRemove(false);
    m_temp = temp.path();
    for (const char* folder : { "/home/.config", "/home/.local/share", "/home/.cache", "/run" })
        QDir().mkpath(m_temp + QLatin1String(folder));
    QFile::setPermissions(m_temp + QStringLiteral("/run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!copyProgram(QFileInfo(ProgramPath()).absolutePath(), programFolder())) {
        m_failure = QStringLiteral("cannot copy the program");
        return;
    }

    // The display: Xvfb picks a free number itself and writes it into the pipe.
    int fds[2];
    if (::pipe(fds) != 0) {
        m_failure = QStringLiteral("no pipe");
        return;
    }
    ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    m_xvfb = spawn(
        { QStringLiteral("Xvfb"), QStringLiteral("-displayfd"), QString::number(fds[1]), QStringLiteral("-screen"),
            QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-dpi"), QStringLiteral("96"),
            QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset") },
        m_temp + QStringLiteral("/xvfb.log"), false);
    ::close(fds[1]);
    QByteArray number;
    pollfd pfd { fds[0], POLLIN, 0 };
    const auto deadline = Clock::now() + 60s;
    while (!number.endsWith('\n') && Clock::now() < deadline) {
        if (::poll(&pfd, 1, 200) > 0) {
            char buffer[16];
            const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
            if (n <= 0)
                break;
            number.append(buffer, n);
        }
    }
    ::close(fds[0]);
    bool ok = false;
    m_displayNumber = number.trimmed().toInt(&ok);
    if (!ok) {
        m_failure = QStringLiteral("Xvfb did not start");
        return;
    }
    XSetErrorHandler(ignoreXErrors);
    m_display = XOpenDisplay(QByteArray(":" + QByteArray::number(m_displayNumber)).constData());
    if (!m_display) {
        m_failure = QStringLiteral("cannot open the display");
        return;
    }
    // Answers to _NET_WM_PING come back to the root window with the structure mask.
    XSelectInput(m_display, DefaultRootWindow(m_display), StructureNotifyMask);

    m_windowManager = spawn(openboxCommand(), m_temp + QStringLiteral("/openbox.log"), false);
    const bool managed = waitUntil(
        [this] { return !property(DefaultRootWindow(m_display), "_NET_SUPPORTING_WM_CHECK", "WINDOW").isEmpty(); },
        60s);
    if (!managed) {
        m_failure = QStringLiteral("openbox did not start");
        XCloseDisplay(m_display);
        m_display = nullptr;
    }
}

DesktopSession::~DesktopSession()
{
    stopProgram();
    if (m_display)
        XCloseDisplay(m_display);
    endProcess(m_windowManager);
    endProcess(m_xvfb);
    if (!m_temp.isEmpty() && qEnvironmentVariableIsEmpty("MERIDAN_DESKTOP_KEEP"))
        QDir(m_temp).removeRecursively();
}

pid_t DesktopSession::spawn(const QStringList& command, const QString& outputFile, bool programEnv)
{
    std::vector<QByteArray> env;
    const QByteArray home = (m_temp + QStringLiteral("/home")).toLocal8Bit();
    const QList<QByteArray> replaced { "DISPLAY", "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
        "XDG_RUNTIME_DIR", "QT_QPA_PLATFORM", "QT_QPA_PLATFORMTHEME", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS",
        "SESSION_MANAGER", "XAUTHORITY", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS" };
    for (char** entry = environ; *entry; ++entry) {
        const QByteArray text(*entry);
        if (!replaced.contains(text.left(text.indexOf('='))))
            env.push_back(text);
    }
    if (m_displayNumber >= 0)
        env.push_back("DISPLAY=:" + QByteArray::number(m_displayNumber));
    env.push_back("HOME=" + home);
    env.push_back("XDG_CONFIG_HOME=" + home + "/.config");
    env.push_back("XDG_DATA_HOME=" + home + "/.local/share");
    env.push_back("XDG_CACHE_HOME=" + home + "/.cache");
    env.push_back("XDG_RUNTIME_DIR=" + (m_temp + QStringLiteral("/run")).toLocal8Bit());
    if (programEnv)
        env.push_back("QT_QPA_PLATFORM=xcb");
    std::vector<char*> envp;
    for (QByteArray& text : env)
        envp.push_back(text.data());
    envp.push_back(nullptr);
    std::vector<QByteArray> args;
    for (const QString& arg : command)
        args.push_back(arg.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const QByteArray output = outputFile.toLocal8Bit();
    const QByteArray folder = (programEnv ? m_temp + QStringLiteral("/home") : m_temp).toLocal8Bit();

    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0);
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(output.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(out, 2);
        if (::chdir(folder.constData()) != 0)
            ::_exit(126);
        ::execvpe(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    return pid;
}

QStringList DesktopSession::openboxCommand() const
{
    QStringList command { QStringLiteral("openbox"), QStringLiteral("--sm-disable") };
    // The window manager's own menus (a right click on a title bar, Alt+Space) grab the keyboard
    // until they are closed, and they are not the program's: the session's openbox has its
    // bindings without them.
    QFile system(QStringLiteral("/etc/xdg/openbox/rc.xml"));
    if (!system.open(QIODevice::ReadOnly))
        return command;
    QString config = QString::fromUtf8(system.readAll());
    config.remove(QRegularExpression(
        QStringLiteral("<action name=\"ShowMenu\">.*?</action>"), QRegularExpression::DotMatchesEverythingOption));
    const QString path = m_temp + QStringLiteral("/openbox-rc.xml");
    QFile own(path);
    if (!own.open(QIODevice::WriteOnly) || own.write(config.toUtf8()) < 0)
        return command;
    return command << QStringLiteral("--config-file") << path;
}

bool DesktopSession::startProgram(const QStringList& arguments)
{
    if (!m_display)
        return false;
    // MERIDAN_DESKTOP_WRAPPER runs the program under a debugger, e.g. "gdb -batch -ex run -ex bt --args",
    // so a crash leaves its backtrace in program.log.
    QStringList command = qEnvironmentVariable("MERIDAN_DESKTOP_WRAPPER").split(u' ', Qt::SkipEmptyParts);
    command += programFolder() + QStringLiteral("/meridan");
    command += arguments;
    m_exitDescription.clear();
    m_programPid = spawn(command, m_temp + QStringLiteral("/program.log"), true);
    return m_programPid > 0;
}

void DesktopSession::reapProgram(bool wait)
{
    if (m_programPid <= 0)
        return;
    int status = 0;
    const pid_t done = ::waitpid(m_programPid, &status, wait ? 0 : WNOHANG);
    if (done != m_programPid)
        return;
    if (WIFSIGNALED(status))
        m_exitDescription = QStringLiteral("killed by signal %1 (%2)")
                                .arg(WTERMSIG(status))
                                .arg(QString::fromLocal8Bit(strsignal(WTERMSIG(status))));
    else
        m_exitDescription = QStringLiteral("exited with status %1").arg(WEXITSTATUS(status));
    m_programPid = 0;
}

bool DesktopSession::programRunning()
{
    reapProgram(false);
    return m_programPid > 0;
}

void DesktopSession::stopProgram()
{
    if (m_programPid > 0) {
        const pid_t pid = m_programPid;
        endProcess(pid);
        m_programPid = 0;
    }
}

QString DesktopSession::programStderr() const
{
    QFile file(m_temp + QStringLiteral("/program.log"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

long DesktopSession::peakMemoryKiB() const
{
    QFile file(QStringLiteral("/proc/%1/status").arg(m_programPid));
    if (m_programPid <= 0 || !file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

unsigned long DesktopSession::atom(const char* name)
{
    return XInternAtom(m_display, name, False);
}

// A property as text: UTF-8 strings as they are; windows and atoms as decimal numbers joined by ",".
QString DesktopSession::property(XWindowId id, const char* name, const char* type)
{
    Atom actualType = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const Atom wanted = std::strcmp(type, "WINDOW") == 0 ? XA_WINDOW
        : std::strcmp(type, "ATOM") == 0                 ? XA_ATOM
        : std::strcmp(type, "CARDINAL") == 0             ? XA_CARDINAL
                                                         : atom(type);
    if (XGetWindowProperty(
            m_display, id, atom(name), 0, 1 << 16, False, wanted, &actualType, &format, &count, &after, &data)
            != Success
        || !data)
        return {};
    QString text;
    if (format == 8) {
        text = QString::fromUtf8(reinterpret_cast<const char*>(data), int(count));
    } else if (format == 32) {
        const auto* values = reinterpret_cast<const unsigned long*>(data);
        QStringList parts;
        for (unsigned long i = 0; i < count; ++i)
            parts << QString::number(values[i]);
        text = parts.join(QLatin1Char(','));
        if (text.isNull())
            text = QStringLiteral("");
    }
    XFree(data);
    return text;
}

std::vector<XWindowId> DesktopSession::clientList()
{
    std::vector<XWindowId> ids;
    const QString list = property(DefaultRootWindow(m_display), "_NET_CLIENT_LIST_STACKING", "WINDOW");
    for (const QString& id : list.split(QLatin1Char(','), Qt::SkipEmptyParts))
        ids.push_back(id.toULong());
    return ids;
}

std::optional<ProgramWindow> DesktopSession::window(XWindowId id)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(m_display, id, &attributes) || attributes.map_state != IsViewable)
        return std::nullopt;
    ProgramWindow w;
    w.Id = id;
    w.Title = property(id, "_NET_WM_NAME", "UTF8_STRING");
    const QString types = property(id, "_NET_WM_WINDOW_TYPE", "ATOM");
    if (!types.isEmpty()) {
        char* name = XGetAtomName(m_display, types.section(QLatin1Char(','), 0, 0).toULong());
        if (name) {
            w.Type = QString::fromLatin1(name).remove(QStringLiteral("_NET_WM_WINDOW_TYPE_")).toLower();
            XFree(name);
        }
    }
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(m_display, id, DefaultRootWindow(m_display), 0, 0, &x, &y, &child);
    w.Geometry = QRect(x, y, attributes.width, attributes.height);
    return w;
}

std::vector<ProgramWindow> DesktopSession::windows()
{
    std::vector<ProgramWindow> result;
    if (!m_display || m_programPid <= 0)
        return result;
    for (XWindowId id : clientList()) {
        if (property(id, "_NET_WM_PID", "CARDINAL").toLong() != m_programPid)
            continue;
        if (auto w = window(id))
            result.push_back(*w);
    }
    return result;
}

std::optional<ProgramWindow> DesktopSession::activeWindow()
{
    const XWindowId id = property(DefaultRootWindow(m_display), "_NET_ACTIVE_WINDOW", "WINDOW").toULong();
    for (const ProgramWindow& w : windows()) {
        if (w.Id == id)
            return w;
    }
    return std::nullopt;
}

bool DesktopSession::waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (m_display) {
            XSync(m_display, False);
            while (XPending(m_display)) {
                XEvent event;
                XNextEvent(m_display, &event);
            }
        }
        if (condition())
            return true;
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(pollStep);
    }
}

std::optional<ProgramWindow> DesktopSession::waitForWindow(
    const std::function<bool(const ProgramWindow&)>& match, std::chrono::milliseconds timeout)
{
    std::optional<ProgramWindow> found;
    waitUntil(
        [&] {
            for (const ProgramWindow& w : windows()) {
                if (match(w))
                    found = w;
            }
            return found.has_value() || !programRunning();
        },
        timeout);
    return found;
}

std::optional<ProgramWindow> DesktopSession::waitForTitle(const QString& title, std::chrono::milliseconds timeout)
{
    return waitForWindow([&title](const ProgramWindow& w) { return w.Title == title; }, timeout);
}

bool DesktopSession::waitGone(XWindowId id, std::chrono::milliseconds timeout)
{
    return waitUntil([this, id] { return !window(id).has_value(); }, timeout);
}

bool DesktopSession::waitActive(XWindowId id, std::chrono::milliseconds timeout)
{
    return waitUntil(
        [this, id] {
            const auto active = activeWindow();
            return active && active->Id == id;
        },
        timeout);
}

bool DesktopSession::ping(XWindowId id, std::chrono::milliseconds timeout)
{
    const long serial = ++m_pingSerial + 1000;
    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.window = id;
    event.xclient.message_type = atom("WM_PROTOCOLS");
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(atom("_NET_WM_PING"));
    event.xclient.data.l[1] = serial;
    event.xclient.data.l[2] = long(id);
    XSendEvent(m_display, id, False, NoEventMask, &event);
    XFlush(m_display);
    const auto deadline = Clock::now() + timeout;
    const long pingAtom = long(atom("_NET_WM_PING"));
    while (Clock::now() < deadline) {
        while (XPending(m_display)) {
            XEvent reply;
            XNextEvent(m_display, &reply);
            if (reply.type == ClientMessage && reply.xclient.data.l[0] == pingAtom && reply.xclient.data.l[1] == serial)
                return true;
        }
        if (!window(id))
            return true; // gone meanwhile: nothing left to answer for it
        std::this_thread::sleep_for(5ms);
    }
    return false;
}

void DesktopSession::fakeKey(unsigned int keycode, bool press)
{
    XTestFakeKeyEvent(m_display, keycode, press ? True : False, CurrentTime);
    XSync(m_display, False);
}

void DesktopSession::key(const QString& combination)
{
    QStringList parts = combination.split(QLatin1Char('+'));
    const QString last = parts.takeLast();
    const KeySym sym = last.size() == 1 ? KeySym(last.at(0).unicode()) : XStringToKeysym(last.toLatin1().constData());
    const KeyCode code = XKeysymToKeycode(m_display, sym);
    if (code == 0)
        return;
    std::vector<KeyCode> modifiers;
    for (const QString& part : parts) {
        const char* name = part == QLatin1String("ctrl") ? "Control_L"
            : part == QLatin1String("alt")               ? "Alt_L"
                                                         : "Shift_L";
        modifiers.push_back(XKeysymToKeycode(m_display, XStringToKeysym(name)));
    }
    // A character on the shifted level of its key needs Shift.
    if (XkbKeycodeToKeysym(m_display, code, 0, 0) != sym && XkbKeycodeToKeysym(m_display, code, 0, 1) == sym)
        modifiers.push_back(XKeysymToKeycode(m_display, XK_Shift_L));
    for (KeyCode modifier : modifiers)
        fakeKey(modifier, true);
    fakeKey(code, true);
    fakeKey(code, false);
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it)
        fakeKey(*it, false);
}

void DesktopSession::typeText(const QString& ascii)
{
    for (QChar c : ascii)
        key(QString(c));
}

void DesktopSession::moveMouse(QPoint screen)
{
    XTestFakeMotionEvent(m_display, DefaultScreen(m_display), screen.x(), screen.y(), CurrentTime);
    XSync(m_display, False);
}

void DesktopSession::click(const ProgramWindow& window, QPoint local, int button, int count)
{
    const QPoint target = window.Geometry.topLeft() + local;
    // Two presses at one place a moment apart are a double click to the program, whatever the
    // clicks were meant for (a tab bar ignores the second press of one): a new click there first
    // takes the pointer off the last press, and the program sees it go before it comes back.
    if ((target - m_lastPress).manhattanLength() <= 16 && Clock::now() - m_lastPressTime < 2s) {
        moveMouse(target + QPoint(24, 24));
        ping(window.Id);
    }
    moveMouse(target);
    for (int i = 0; i < count; ++i) {
        XTestFakeButtonEvent(m_display, unsigned(button), True, CurrentTime);
        XSync(m_display, False);
        XTestFakeButtonEvent(m_display, unsigned(button), False, CurrentTime);
        XSync(m_display, False);
    }
    m_lastPress = target;
    m_lastPressTime = Clock::now();
    waitPointerReleased();
    // The window takes the click before any input after it comes: a click and the double click
    // elsewhere that followed it in the same moment reached the program, yet the double click was
    // never delivered to a widget.
    ping(window.Id);
}

bool DesktopSession::waitPointerReleased(std::chrono::milliseconds timeout)
{
    // The window manager takes each press on a window through a synchronous grab and replays it to
    // the window when it has looked at it. Until then the pointer is frozen and the presses after it
    // wait in the server, while keys (and a ping) go straight on: the second press of a double
    // click reached the program after the text typed behind it. A grab of our own succeeds only
    // when no one holds or freezes the pointer, that is when every press has gone on. An open menu
    // of the program holds the pointer too, for as long as it shows: the presses have gone on then.
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const int status = XGrabPointer(
            m_display, DefaultRootWindow(m_display), False, 0, GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
        if (status == GrabSuccess) {
            XUngrabPointer(m_display, CurrentTime);
            XSync(m_display, False);
            return true;
        }
        if (status == AlreadyGrabbed && popupShows())
            return true;
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(2ms);
    }
}

bool DesktopSession::popupShows()
{
    // A menu of the program's is a window the window manager does not manage (as is its own
    // helper window, off the screen); a tooltip is one too, yet it holds nothing.
    const QString program = QString::number(m_programPid);
    const QString tooltip = QString::number(atom("_NET_WM_WINDOW_TYPE_TOOLTIP"));
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children, &count))
        return false;
    bool shows = false;
    for (unsigned int i = 0; i < count && !shows; ++i) {
        XWindowAttributes attributes {};
        shows = XGetWindowAttributes(m_display, children[i], &attributes) && attributes.override_redirect
            && attributes.map_state == IsViewable && property(children[i], "_NET_WM_PID", "CARDINAL") == program
            && property(children[i], "_NET_WM_WINDOW_TYPE", "ATOM") != tooltip;
    }
    if (children)
        XFree(children);
    return shows;
}

QImage DesktopSession::grab(const QRect& screenRect)
{
    const QRect screen(
        0, 0, DisplayWidth(m_display, DefaultScreen(m_display)), DisplayHeight(m_display, DefaultScreen(m_display)));
    const QRect rect = screenRect.intersected(screen);
    if (rect.isEmpty())
        return {};
    XImage* image = XGetImage(m_display, DefaultRootWindow(m_display), rect.x(), rect.y(), unsigned(rect.width()),
        unsigned(rect.height()), AllPlanes, ZPixmap);
    if (!image)
        return {};
    QImage result(rect.size(), QImage::Format_RGB32);
    for (int y = 0; y < rect.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < rect.width(); ++x)
            line[x] = QRgb(XGetPixel(image, x, y)) | 0xff000000u;
    }
    XDestroyImage(image);
    return result;
}

QString DesktopSession::saveScreen(const QString& name)
{
    const QString folder = QDir::currentPath() + QStringLiteral("/desktop-shots");
    QDir().mkpath(folder);
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    grab(QRect(0, 0, 1280, 1024)).save(path);
    return path;
}
