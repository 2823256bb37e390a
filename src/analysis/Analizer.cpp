#include "analysis/Analizer.h"

// Placeholder until the criteria engine lands.
ErrorArray WestgardCheck(std::span<const double>, double, double, double)
{
    return {};
}

ErrorArray IsoCheck(std::span<const double>, double, double, double)
{
    return {};
}

QString CriteriaList(const ErrorArray&)
{
    return QString();
}
