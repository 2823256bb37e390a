#include "model/GroupRecord.h"

#include <algorithm>
#include <cmath>
#include <limits>

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

std::span<const double> TIndividualInfo::Series(int slot) const
{
    if (slot < 0 || slot >= ChartSlotCount)
        return {};
    if (Individual && slot != SlotCentre && slot != SlotDeviation)
        return {};
    const size_t row = size_t(Individual ? slot : ElementCount + slot);
    if (row >= Data.size())
        return {};
    return Data[row];
}

double TIndividualInfo::RowMean(int row) const
{
    if (row < 0 || size_t(row) >= Data.size() || Data[size_t(row)].empty())
        return 0.0;
    double sum = 0.0;
    for (double v : Data[size_t(row)])
        sum += v;
    return sum / double(Data[size_t(row)].size());
}
