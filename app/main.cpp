#include "ui/ApplicationLook.h"
#include "ui/MainForm.h"

#include <QApplication>
#include <memory>

// meridan [FILE]: the main window, with FILE opened when given.
int main(int argc, char** argv)
{
    PrepareApplicationLook();
    QApplication app(argc, argv);
    ApplyApplicationLook();
    auto window = std::make_unique<TMainForm>();
    window->show();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1 && !window->OpenDocument(arguments.at(1))) {
        // The load message has been shown; what a damaged file left behind is not kept: a fresh window.
        window = std::make_unique<TMainForm>();
        window->show();
    }
    return app.exec();
}
