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
    const TDArray& values = Data[size_t(row)];
    double sum = 0.0;
    size_t counted = 0;
    for (size_t i = 0; i < values.size(); ++i) {
        if (IsExcluded(int(i)))
            continue;
        sum += values[i];
        ++counted;
    }
    return counted == 0 ? 0.0 : sum / double(counted);
}

int TIndividualInfo::CountedPointCount() const
{
    int excluded = 0;
    for (size_t i = 0; i < Excluded.size() && i < size_t(std::max(0, GroupPointCount)); ++i)
        excluded += Excluded[i] ? 1 : 0;
    return std::max(0, GroupPointCount) - excluded;
}
