#include "ui/ApplicationLook.h"

#include "ui/Pictures.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>

void PrepareApplicationLook()
{
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}

void ApplyApplicationLook()
{
    const QString family = QStringLiteral("Liberation Sans");
    if (!QFontDatabase::families().contains(family))
        return; // the platform's font then
    QFont font(family, 9);
    QApplication::setFont(font);
}

void ApplyApplicationIdentity()
{
    QApplication::setWindowIcon(ApplicationIcon());
}
