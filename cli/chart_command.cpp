#include "Commands.h"

#include <QTextStream>

int RunChart(const QStringList&)
{
    QTextStream(stderr) << "Команда ще не готова.\n";
    return 2;
}
