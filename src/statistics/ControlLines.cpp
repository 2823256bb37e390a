#include "statistics/ControlLines.h"

#include "statistics/FactorTable.h"

#include <algorithm>
#include <cmath>
#include <limits>

double FiniteOrLimit(double value)
{
    if (std::isnan(value))
        return 0.0;
    if (std::isinf(value))
        return value > 0 ? std::numeric_limits<double>::max() : std::numeric_limits<double>::lowest();
    return value;
}

GroupControlLines ControlLinesOf(const TIndividualInfo& g)
{
    // Starts from what the record holds, so that slots and settings the mode does not use keep it.
    GroupControlLines out { g.Lines, g.CentreSetting, g.SigmaSetting, g.DeviationCentreSetting,
        g.RelDeviationCentreSetting, g.MedianCentreSetting, g.RangeCentreSetting, g.RelRangeCentreSetting };
    auto settle = [](TControlLines& lines) {
        lines.Lower = FiniteOrLimit(lines.Lower);
        lines.Upper = FiniteOrLimit(lines.Upper);
        lines.Centre = FiniteOrLimit(lines.Centre);
    };

    const bool sigmaFixed = out.SigmaSetting.Fixed;
    if (g.Individual) {
        const TFactorRow& f = FactorTable(2);
        const double meanMovingRange = g.MeanDeviation;
        if (!sigmaFixed)
            out.SigmaSetting.Value = meanMovingRange;
        const double sigma = out.SigmaSetting.Value;
        double cl2 = out.RangeCentreSetting.Value;
        if (!out.RangeCentreSetting.Fixed) {
            cl2 = sigmaFixed ? f.d2 * sigma : meanMovingRange;
            out.RangeCentreSetting.Value = FiniteOrLimit(cl2);
        }
        double cl0 = out.CentreSetting.Value;
        if (!out.CentreSetting.Fixed) {
            cl0 = g.GrandMean;
            out.CentreSetting.Value = cl0;
        }
        TControlLines& l0 = out.Lines[SlotCentre];
        TControlLines& l2 = out.Lines[SlotDeviation];
        l0.Centre = cl0;
        l2.Centre = cl2;
        if (!sigmaFixed) {
            const double halfWidth = (3.0 / f.d2) * meanMovingRange;
            l0.Lower = std::max(cl0 - halfWidth, 0.0);
            l0.Upper = cl0 + halfWidth;
            l2.Lower = f.D3 * cl2;
            l2.Upper = f.D4 * cl2;
        } else {
            l0.Lower = std::max(cl0 - 3.0 * sigma, 0.0);
            l0.Upper = cl0 + 3.0 * sigma;
            l2.Lower = f.D1 * sigma;
            l2.Upper = f.D2 * sigma;
        }
        settle(l0);
        settle(l2);
        return out;
    }

    const int k = g.ElementCount;
    const TFactorRow& f = FactorTable(k);
    const double sBar = g.MeanDeviation;
    const double rBar = g.MeanRange;
    const double sigma = out.SigmaSetting.Value;
    auto centreOf = [](TFixableValue& setting, double automatic) {
        if (!setting.Fixed)
            setting.Value = FiniteOrLimit(automatic);
        return setting.Value;
    };
    const double cl0 = centreOf(out.CentreSetting, g.GrandMean);
    const double cl1 = centreOf(out.MedianCentreSetting, g.RowMean(k + 1));
    // With sigma fixed an automatic spread centre follows sigma, but its setting keeps its last
    // automatic value; only the line moves.
    auto spreadCentreOf = [&](TFixableValue& setting, double automatic, double sigmaFactor) {
        if (setting.Fixed)
            return setting.Value;
        if (sigmaFixed)
            return sigmaFactor * sigma;
        setting.Value = automatic;
        return automatic;
    };
    const double cl2 = spreadCentreOf(out.DeviationCentreSetting, sBar, f.c4);
    const double cl3 = centreOf(out.RelDeviationCentreSetting, g.RowMean(k + 3));
    const double cl4 = spreadCentreOf(out.RangeCentreSetting, rBar, f.d2);
    const double cl5 = centreOf(out.RelRangeCentreSetting, g.RowMean(k + 5));

    std::array<TControlLines, ChartSlotCount>& l = out.Lines;
    l[SlotCentre].Centre = cl0;
    l[SlotMedians].Centre = cl1;
    l[SlotDeviation].Centre = cl2;
    l[SlotRelDeviation].Centre = cl3;
    l[SlotRanges].Centre = cl4;
    l[SlotRelRanges].Centre = cl5;

    l[SlotMedians].Lower = std::max(cl1 - f.A4 * rBar, 0.0);
    l[SlotMedians].Upper = cl1 + f.A4 * rBar;

    auto relativeFromOwnCentres = [&] {
        l[SlotRelDeviation].Lower = f.B3 * cl3;
        l[SlotRelDeviation].Upper = f.B4 * cl3;
        l[SlotRelRanges].Lower = f.D3 * cl5;
        l[SlotRelRanges].Upper = f.D4 * cl5;
    };
    if (!sigmaFixed) {
        const double basis = g.UseSampleDeviation ? sBar : rBar;
        const double factor = g.UseSampleDeviation ? f.A3 : f.A2;
        out.SigmaSetting.Value = basis;
        l[SlotCentre].Lower = std::max(cl0 - factor * basis, 0.0);
        l[SlotCentre].Upper = cl0 + factor * basis;
        l[SlotDeviation].Lower = f.B3 * cl2;
        l[SlotDeviation].Upper = f.B4 * cl2;
        l[SlotRanges].Lower = f.D3 * cl4;
        l[SlotRanges].Upper = f.D4 * cl4;
        relativeFromOwnCentres();
    } else {
        l[SlotCentre].Lower = std::max(cl0 - f.A * sigma, 0.0);
        l[SlotCentre].Upper = cl0 + f.A * sigma;
        l[SlotDeviation].Lower = f.B5 * sigma;
        l[SlotDeviation].Upper = f.B6 * sigma;
        l[SlotRanges].Lower = f.D1 * sigma;
        l[SlotRanges].Upper = f.D2 * sigma;
        if (std::fabs(cl0) >= ZeroCentre) {
            l[SlotRelDeviation].Lower = 100.0 * f.B5 * sigma / cl0;
            l[SlotRelDeviation].Upper = 100.0 * f.B6 * sigma / cl0;
            l[SlotRelRanges].Lower = 100.0 * f.D1 * sigma / cl0;
            l[SlotRelRanges].Upper = 100.0 * f.D2 * sigma / cl0;
        } else {
            // Sigma in per cent of a zero centre line does not exist; the relative charts keep
            // limits around their own centre lines instead.
            relativeFromOwnCentres();
        }
    }
    for (int slot = 0; slot < ChartSlotCount; ++slot)
        settle(l[size_t(slot)]);
    return out;
}

void StoreControlLines(TIndividualInfo& group, const GroupControlLines& lines)
{
    group.Lines = lines.Lines;
    group.CentreSetting = lines.CentreSetting;
    group.SigmaSetting = lines.SigmaSetting;
    group.DeviationCentreSetting = lines.DeviationCentreSetting;
    group.RelDeviationCentreSetting = lines.RelDeviationCentreSetting;
    group.MedianCentreSetting = lines.MedianCentreSetting;
    group.RangeCentreSetting = lines.RangeCentreSetting;
    group.RelRangeCentreSetting = lines.RelRangeCentreSetting;
}

void ComputeControlLines(TIndividualInfo& group)
{
    StoreControlLines(group, ControlLinesOf(group));
}
