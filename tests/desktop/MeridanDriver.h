#pragma once

#include "DesktopSession.h"

// The running program as the analyst meets it: the splash, the main window, its hints and dialogs.
// Positions are those of the main window's fixed layout (client area 792 x 529 under the menu bar).
namespace Meridan {

// Main window places, in the window's own coordinates (menu bar included).
inline const QPoint MenuExamples { 136, 9 }; // after "Файл" and "Правка"
inline const QPoint MenuOptions { 193, 9 };
inline const QPoint HeaderTab { 67, 36 }; // while only the first two tabs show
inline const QPoint DataTab { 185, 36 };
inline const QPoint DataTabBesideChart0 { 589, 36 }; // the table tab while chart page 0 is the current one
inline const QPoint IndividualChart0Tab { 335, 36 }; // an individual-values document's chart tabs
inline const QPoint IndividualChart2Tab { 508, 36 };
inline const QPoint Edit6 { 348, 501 };
inline const QPoint Edit14 { 740, 501 };
inline const QPoint MiddleCheckBox { 23, 410 };
inline const QPoint Details1 { 727, 378 };
// Report options of an individual-values document, in the dialog's coordinates.
inline const QPoint ReportDataCheck { 156, 33 };
inline const QPoint ReportPrepareButtonIndividual { 275, 276 };
inline const QRect TableOperations { 8, 462, 776, 76 };
inline const QRect TabBarEnd { 752, 24, 38, 22 }; // the tab scroll buttons show once chart tabs are there

// The grids of the table page, left to right.
enum class TableGrid { Labels, Values, Results };

bool IsHint(const ProgramWindow& w);
bool IsMessageBox(const ProgramWindow& w, const QString& title = QStringLiteral("Мерідан"));
double BlackShare(const QImage& image); // share of pixels that are (nearly) black
bool Uniform(const QImage& image); // one colour all over
bool SameImage(const QImage& a, const QImage& b);

class Program {
public:
    explicit Program(DesktopSession& session)
        : s(session)
    {
    }

    // Starts the program and goes past the splash to the main window, closing its "Help" hint.
    bool Start(const QStringList& arguments = {});
    ProgramWindow Main(); // the main window as it is now
    void ClickMain(QPoint local, int count = 1);
    QImage GrabMain(const QRect& local);

    bool Settle(); // the main window has answered twice: what the last input asked for is done
    bool SettleScreen(); // the screen has stayed the same for a few looks
    std::optional<ProgramWindow> WaitHint(std::chrono::milliseconds timeout = 20s);
    bool CloseHint(const ProgramWindow& hint); // with a key, as the hint window allows
    // True when no hint window shows within the time after the program has settled.
    bool NoHintFor(std::chrono::milliseconds time);
    bool HintsOff(); // menu "Опції" - "Виводити повідомлення", closing the hint that says so
    bool LoadExample(int index, bool hints); // menu "Приклади"; index from 0
    bool OpenFile(const QString& path); // Ctrl+O, the path typed into the open dialog (hints off)
    bool ShowsChartTabs(); // the computed state: chart tabs beside the first two
    // The middle of a cell of the table page as the screen shows it (row from 1, column from 0
    // within its grid), in the main window's coordinates; none while the page does not show it.
    std::optional<QPoint> TableCell(TableGrid grid, int row, int column = 0);
    bool WaitPopup(); // a menu has opened

    DesktopSession& s;
    XWindowId MainId = 0;
    QString Failure;
};

} // namespace Meridan
