#include "Commands.h"

#include <QTextStream>

int RunInfo(const QStringList&)
{
    QTextStream(stderr) << "Команда ще не готова.\n";
    return 2;
}
