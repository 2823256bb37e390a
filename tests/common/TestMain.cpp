// One deterministic main for every test program: offscreen platform unless one is set, 96 DPI,
// Ukrainian locale (comma as decimal separator) and a fixed font.
#include <QFont>
#include <QGuiApplication>
#ifdef MERIDAN_WIDGET_TESTS
#include <QApplication>
#endif
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QtMessageHandler previousHandler = nullptr;

// A Qt warning on a path a test drives is a fault of that path; the offscreen platform's own
// limits (no raising, no size hints) are not.
void failOnWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (previousHandler)
        previousHandler(type, context, text);
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    if (text.startsWith(QLatin1String("This plugin does not support")))
        return;
    ADD_FAILURE() << "Qt warning: " << text.toStdString();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_FONT_DPI", "96");
    QLocale::setDefault(QLocale(QLocale::Ukrainian, QLocale::Ukraine));
    // A runtime folder of its own where the environment has none, as a desktop session gives.
    QTemporaryDir runtimeFolder;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtimeFolder.isValid())
        qputenv("XDG_RUNTIME_DIR", runtimeFolder.path().toLocal8Bit());
    // Nothing a test does (a window's recovery copies among it) lands in the user's own data folder.
    QTemporaryDir dataFolder;
    if (dataFolder.isValid())
        qputenv("XDG_DATA_HOME", dataFolder.path().toLocal8Bit());
    previousHandler = qInstallMessageHandler(failOnWarnings);
#ifdef MERIDAN_WIDGET_TESTS
    QApplication app(argc, argv); // widget tests need the widgets' application
#else
    QGuiApplication app(argc, argv);
#endif
    QGuiApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
