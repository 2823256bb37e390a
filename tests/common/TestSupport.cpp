#include "common/TestSupport.h"

#include <ostream>

QString ReferenceDataPath(const QString& name)
{
    return QStringLiteral(MERIDAN_REFERENCE_DATA) + QLatin1Char('/') + name;
}

void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
