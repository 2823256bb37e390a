#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Мерідан"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Мерідан"));
    window.resize(792, 529);
    window.show();
    return app.exec();
}
