#include "Commands.h"

#include <QTextStream>

int RunAnalyse(const QStringList&)
{
    QTextStream(stderr) << "Команда ще не готова.\n";
    return 2;
}
