#include "statistics/InfoClasses.h"

TIndividualInfo::TIndividualInfo(bool individual)
    : Individual(individual)
{
}

void TIndividualInfo::SetIndividualSettings(TFixableValue centre, TFixableValue sigma, TFixableValue rangeCentre)
{
    CentreSetting = centre;
    SigmaSetting = sigma;
    RangeCentreSetting = rangeCentre;
}

void TIndividualInfo::SetSubgroupSettings(TFixableValue centre, TFixableValue sigma, TFixableValue deviationCentre,
    TFixableValue relDeviationCentre, TFixableValue medianCentre, TFixableValue rangeCentre,
    TFixableValue relRangeCentre, bool useSampleDeviation)
{
    CentreSetting = centre;
    SigmaSetting = sigma;
    DeviationCentreSetting = deviationCentre;
    RelDeviationCentreSetting = relDeviationCentre;
    MedianCentreSetting = medianCentre;
    RangeCentreSetting = rangeCentre;
    RelRangeCentreSetting = relRangeCentre;
    UseSampleDeviation = useSampleDeviation;
}
