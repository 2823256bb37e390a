#include "Commands.h"

#include <QTextStream>

int RunResave(const QStringList&)
{
    QTextStream(stderr) << "Команда ще не готова.\n";
    return 2;
}
