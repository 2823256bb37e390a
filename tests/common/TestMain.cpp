// One deterministic main for every test program: offscreen platform unless one is set, 96 DPI,
// Ukrainian locale (comma as decimal separator) and a fixed font.
#include <QFont>
#include <QGuiApplication>
#include <QLocale>
#include <gtest/gtest.h>
#ifdef MERIDAN_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
using TestApplication = QGuiApplication;
#endif

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_FONT_DPI", "96");
    QLocale::setDefault(QLocale(QLocale::Ukrainian, QLocale::Ukraine));
    TestApplication app(argc, argv);
    QGuiApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
