#include "document/ProgramFiles.h"
#include "ui/ApplicationLook.h"
#include "ui/FormFirst.h"
#include "ui/FormMessage.h"
#include "ui/Hints.h"
#include "ui/MainForm.h"
#include "ui/MessageBoxMessenger.h"
#include "ui/Pictures.h"

#include <QApplication>
#include <QFileInfo>

// meridan [FILE]: the splash, then the main window; with FILE the main window opens it at once.
int main(int argc, char** argv)
{
    PrepareApplicationLook();
    QApplication app(argc, argv);
    ApplyApplicationLook();
    QApplication::setApplicationDisplayName(QStringLiteral("Мерідан"));
    QApplication::setWindowIcon(ApplicationIcon());
    const QStringList arguments = QApplication::arguments();
    // A file named relative to where the program was started, whatever folder it reads its own files from.
    const QString fileName = arguments.size() > 1 ? QFileInfo(arguments.at(1)).absoluteFilePath() : QString();

    // The windows once, in their order: splash, main window (with About, details, new-document
    // and example chooser), the hint window.
    MessageBoxMessenger splashMessenger;
    TFirstForm splash(ProgramDataFolder(), &splashMessenger);
    TMainForm window;
    TMessageForm messageForm;
    Hints& hints = window.hints();
    hints.SetMessenger(&window.messenger());
    hints.SetView(&messageForm);
    hints.LoadExampleList();

    QObject::connect(&splash, &TFirstForm::Finished, &window, [&window] { window.show(); });
    if (fileName.isEmpty()) {
        splash.show();
    } else {
        window.show();
        window.OpenDocument(fileName);
    }
    return app.exec();
}
