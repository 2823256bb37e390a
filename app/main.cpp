#include "program/ProgramFiles.h"
#include "program/RecoveryStore.h"
#include "ui/ApplicationLook.h"
#include "ui/HintWindow.h"
#include "ui/Hints.h"
#include "ui/MainForm.h"
#include "ui/MessageBoxMessenger.h"
#include "ui/Pictures.h"
#include "ui/RecoveryController.h"
#include "ui/SplashWindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <memory>
#include <vector>

// meridan [FILE]: the splash, then the main window; with FILE the main window opens it at once.
int main(int argc, char** argv)
{
    PrepareApplicationLook();
    QApplication app(argc, argv);
    ApplyApplicationLook();
    ApplyApplicationIdentity();
    const QStringList arguments = QApplication::arguments();
    // A file named relative to where the program was started, whatever folder it reads its own files from.
    const QString fileName = arguments.size() > 1 ? QFileInfo(arguments.at(1)).absoluteFilePath() : QString();

    // The windows once, in their order: splash, main window (with About, details, new-document
    // and example chooser), the hint window.
    MessageBoxMessenger splashMessenger;
    TFirstForm splash(ProgramDataFolder(), &splashMessenger);
    splashMessenger.SetParent(&splash);
    const auto makeWindow = [] {
        auto window = std::make_unique<TMainForm>();
        Hints& hints = window->hints();
        hints.SetMessenger(&window->messenger());
        // A child of the main window, so that it stays above it under every window manager.
        hints.SetView(new TMessageForm(window.get()));
        hints.LoadExampleList();
        return window;
    };
    std::unique_ptr<TMainForm> window = makeWindow();

    // Copies left by a crash are offered once the main window is up: the first restored one goes
    // into it while it holds no document, every further one into a window of its own.
    std::vector<std::unique_ptr<TMainForm>> restoredWindows;
    bool offered = false;
    const auto offerRecoveryCopies = [&] {
        if (offered)
            return;
        offered = true;
        RecoveryStore store;
        RecoveryController::OfferCopies(store, window->messenger(), [&]() -> TMainForm* {
            if (!window->Document().HasDocument())
                return window.get();
            restoredWindows.push_back(makeWindow());
            restoredWindows.back()->show();
            return restoredWindows.back().get();
        });
        // A further window whose copy could not be read stays empty: it goes.
        std::erase_if(restoredWindows, [](const auto& w) { return !w->Document().HasDocument(); });
    };

    QObject::connect(&splash, &TFirstForm::Finished, window.get(), [&window, &offerRecoveryCopies] {
        window->show();
        QTimer::singleShot(0, window.get(), offerRecoveryCopies);
    });
    if (fileName.isEmpty()) {
        splash.show();
    } else {
        window->show();
        if (!window->OpenDocument(fileName)) {
            // The load message has been shown; what a damaged file left behind is not kept: a fresh window.
            window = makeWindow();
            window->show();
        }
        QTimer::singleShot(0, window.get(), offerRecoveryCopies);
    }
    return app.exec();
}
