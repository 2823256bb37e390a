#include "document/DocumentFile.h"

// Placeholder until the reader and writer land.
bool LoadDocument(MeasurementDocument&, const QString&)
{
    return false;
}

bool SaveDocument(MeasurementDocument&, const QString&)
{
    return false;
}
