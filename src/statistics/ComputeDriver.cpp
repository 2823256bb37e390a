#include "statistics/ComputeDriver.h"

// Placeholder until the statistics land.
bool ComputeDocument(MeasurementDocument&)
{
    return false;
}

bool RunComputeCommand(MeasurementDocument&)
{
    return false;
}
