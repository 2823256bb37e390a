#include "ui/MainForm.h"

#include <QApplication>

// meridan [FILE]: the main window, with FILE opened when given.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TMainForm window;
    window.show();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        window.OpenDocument(arguments.at(1));
    return app.exec();
}
