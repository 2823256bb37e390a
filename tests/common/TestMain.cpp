// One deterministic main for every test program: offscreen platform unless one is set, 96 DPI,
// Ukrainian locale (comma as decimal separator) and a fixed font.
#include <QFont>
#include <QGuiApplication>
#ifdef MERIDAN_WIDGET_TESTS
#include <QApplication>
#endif
#include <QLocale>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_FONT_DPI", "96");
    QLocale::setDefault(QLocale(QLocale::Ukrainian, QLocale::Ukraine));
#ifdef MERIDAN_WIDGET_TESTS
    QApplication app(argc, argv); // widget tests need the widgets' application
#else
    QGuiApplication app(argc, argv);
#endif
    QGuiApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
