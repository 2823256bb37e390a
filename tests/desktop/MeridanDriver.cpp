#include "MeridanDriver.h"

#include <QColor>
#include <vector>

namespace Meridan {

bool IsHint(const ProgramWindow& w)
{
    return w.Type == QLatin1String("utility");
}

bool IsMessageBox(const ProgramWindow& w, const QString& title)
{
    return w.Type == QLatin1String("dialog") && w.Title == title;
}

double BlackShare(const QImage& image)
{
    if (image.isNull())
        return 1.0;
    qint64 black = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) < 24 && qGreen(p) < 24 && qBlue(p) < 24)
                ++black;
        }
    }
    return double(black) / double(qint64(image.width()) * image.height());
}

bool Uniform(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != image.pixel(0, 0))
                return false;
        }
    }
    return true;
}

bool SameImage(const QImage& a, const QImage& b)
{
    return a.size() == b.size() && a == b;
}

bool Program::Start(const QStringList& arguments)
{
    if (!s.ready()) {
        Failure = s.failure();
        return false;
    }
    if (!s.startProgram(arguments)) {
        Failure = QStringLiteral("cannot start the program");
        return false;
    }
    // A cold start on a loaded machine can take long; waiting longer costs nothing when it is quick.
    const auto splash = s.waitForWindow([](const ProgramWindow& w) { return w.Type == QLatin1String("dialog"); }, 120s);
    if (!splash || !s.waitActive(splash->Id, 120s)) {
        Failure = QStringLiteral("no splash window");
        return false;
    }
    s.key(QStringLiteral("space"));
    const auto main = s.waitForWindow([](const ProgramWindow& w) { return w.Type == QLatin1String("normal"); }, 120s);
    if (!main) {
        Failure = QStringLiteral("no main window");
        return false;
    }
    MainId = main->Id;
    const auto help = WaitHint(120s);
    if (!help || !CloseHint(*help)) {
        Failure = QStringLiteral("no \"Help\" hint on the main window");
        return false;
    }
    return s.waitActive(MainId);
}

ProgramWindow Program::Main()
{
    return s.window(MainId).value_or(ProgramWindow {});
}

void Program::ClickMain(QPoint local, int count)
{
    s.click(Main(), local, 1, count);
}

QImage Program::GrabMain(const QRect& local)
{
    return s.grab(local.translated(Main().Geometry.topLeft()));
}

bool Program::Settle()
{
    return s.ping(MainId) && s.ping(MainId);
}

bool Program::SettleScreen()
{
    // The screen of the program stays the same for two looks in a row: what the input asked for is drawn.
    QImage last = s.grab(QRect(0, 0, 1280, 1024));
    int same = 0;
    return s.waitUntil(
        [&] {
            const QImage now = s.grab(QRect(0, 0, 1280, 1024));
            same = SameImage(now, last) ? same + 1 : 0;
            last = now;
            return same >= 3;
        },
        20s);
}

std::optional<ProgramWindow> Program::WaitHint(std::chrono::milliseconds timeout)
{
    return s.waitForWindow(IsHint, timeout);
}

bool Program::CloseHint(const ProgramWindow& hint)
{
    if (!s.waitActive(hint.Id))
        return false;
    // Every hint the tests meet shows its picture and text, never a black window.
    if (!s.ping(hint.Id) || !s.waitUntil([&] { return BlackShare(s.grab(hint)) < 0.3; }, 10s)) {
        Failure = QStringLiteral("a hint window is drawn black");
        return false;
    }
    s.key(QStringLiteral("Return"));
    return s.waitGone(hint.Id);
}

bool Program::NoHintFor(std::chrono::milliseconds time)
{
    if (!Settle())
        return false;
    return !s.waitForWindow(IsHint, time).has_value();
}

bool Program::WaitPopup()
{
    // Menus are override-redirect windows the window manager does not list: the open menu is
    // drawn once the screen has settled.
    return SettleScreen();
}

bool Program::HintsOff()
{
    ClickMain(MenuOptions);
    if (!WaitPopup())
        return false;
    s.key(QStringLiteral("Down"));
    s.key(QStringLiteral("Return"));
    const auto hint = WaitHint();
    return hint && CloseHint(*hint) && s.waitActive(MainId);
}

bool Program::LoadExample(int index, bool hints)
{
    const QString before = Main().Title;
    ClickMain(MenuExamples);
    const auto chooser
        = s.waitForWindow([](const ProgramWindow& w) { return w.Title.startsWith(QStringLiteral("Оберіть приклад")); });
    if (!chooser)
        return false;
    if (hints) {
        const auto hint = WaitHint();
        if (!hint || !CloseHint(*hint))
            return false;
    }
    if (!s.waitActive(chooser->Id))
        return false;
    for (int i = 0; i < index; ++i)
        s.key(QStringLiteral("Down"));
    s.key(QStringLiteral("Return"));
    if (!s.waitGone(chooser->Id))
        return false;
    if (hints) {
        const auto hint = WaitHint();
        if (!hint || !CloseHint(*hint))
            return false;
    }
    return s.waitUntil([&] { return Main().Title != before; }) && s.waitActive(MainId) && Settle();
}

bool Program::OpenFile(const QString& path)
{
    const QString before = Main().Title;
    s.key(QStringLiteral("ctrl+o"));
    const auto open
        = s.waitForWindow([](const ProgramWindow& w) { return w.Title.startsWith(QStringLiteral("Завантажити")); });
    if (!open || !s.waitActive(open->Id) || !s.ping(open->Id))
        return false;
    s.typeText(path);
    s.key(QStringLiteral("Return"));
    return s.waitGone(open->Id) && s.waitUntil([&] { return Main().Title != before; }) && s.waitActive(MainId)
        && Settle();
}

bool Program::ShowsChartTabs()
{
    // Beside the table tab while they fit, else the scroll buttons at the end of the tab bar.
    return !Uniform(GrabMain(TabBarEnd)) || !Uniform(GrabMain(QRect(250, 28, 120, 14)));
}

std::optional<QPoint> Program::TableCell(TableGrid grid, int row, int column)
{
    // The two layouts of the page (individual values; subgroups, with a header band over the grids)
    // place the grids and their columns apart, so the cell is read from what the screen shows.
    constexpr int probeY = 200; // a line through the three grids in either layout
    constexpr int rowHeight = 24; // the header and every row, each with its grid line
    const QImage image = GrabMain(QRect(QPoint(0, 0), Main().Geometry.size()));
    if (image.height() <= probeY + rowHeight || row < 1 || column < 0)
        return std::nullopt;

    // The frames, left to right from inside the page: the first colour other than the page's, down a
    // stretch taller than a row, so that no letter of a cell is taken for one.
    const auto frameAt = [&](int x, QRgb frame) {
        for (int y = probeY - rowHeight; y <= probeY + rowHeight; ++y) {
            if (image.pixel(x, y) != frame)
                return false;
        }
        return true;
    };
    constexpr int insidePage = 6;
    int x = insidePage;
    while (x < image.width() && image.pixel(x, probeY) == image.pixel(insidePage, probeY))
        ++x;
    if (x >= image.width())
        return std::nullopt;
    const QRgb frame = image.pixel(x, probeY);
    std::vector<std::pair<int, int>> insides; // first and last x inside each grid
    int start = -1;
    for (; x < image.width(); ++x) {
        const bool onFrame = frameAt(x, frame);
        if (!onFrame && start < 0)
            start = x;
        else if (onFrame && start >= 0) {
            insides.emplace_back(start, x - 1);
            start = -1;
        }
    }
    const size_t index = size_t(grid);
    if (insides.size() <= index)
        return std::nullopt;
    const auto [left, right] = insides[index];

    // Up to the grid's top frame; the header below it, then the rows.
    int top = probeY;
    while (top > 0 && !(image.pixel(left + 1, top) == frame && image.pixel(left + 12, top) == frame))
        --top;
    const int rowTop = top + 1 + rowHeight * row;
    if (top == 0 || rowTop + rowHeight > image.height())
        return std::nullopt;

    // A column the grid shows whole ends at a grid line across the row, of the colour of the line
    // under the row; what lies beyond the last one is the grid's empty end.
    const QRgb line = image.pixel(left + 1, rowTop + rowHeight - 1);
    const auto lineAt
        = [&](int x) { return image.pixel(x, rowTop + 1) == line && image.pixel(x, rowTop + rowHeight - 3) == line; };
    int columnLeft = left;
    for (int c = 0; columnLeft <= right; ++c) {
        int columnRight = columnLeft;
        while (columnRight <= right && !lineAt(columnRight))
            ++columnRight;
        if (columnRight > right)
            break;
        if (c == column)
            return QPoint((columnLeft + columnRight) / 2, rowTop + rowHeight / 2);
        columnLeft = columnRight + 1;
    }
    return std::nullopt;
}

} // namespace Meridan
