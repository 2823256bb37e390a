#include "statistics/InfoClasses.h"

#include "analysis/Analizer.h"
#include "document/MeasurementDocument.h"
#include "document/Numbers.h"
#include "statistics/FactorTable.h"
#include "document/FixedFormatter.h"
#include "statistics/directlinked.h"

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

namespace {

// A line or setting that overflowed saturates at the largest double, so nothing infinite or
// undefined reaches the drawing or the reports.
double finiteOrLimit(double value)
{
    if (std::isnan(value))
        return 0.0;
    if (std::isinf(value))
        return value > 0 ? std::numeric_limits<double>::max() : std::numeric_limits<double>::lowest();
    return value;
}

// Below this magnitude a centre line is taken as zero: no relative value can be formed from it.
constexpr double zeroCentre = 1e-6;

void addOffset(ErrorArray& hits, int offset)
{
    for (TCriterionHit& hit : hits) {
        hit.FirstPoint += offset;
        hit.LastPoint += offset;
    }
}

bool allFinite(const TDArray& row)
{
    for (double v : row) {
        if (!std::isfinite(v))
            return false;
    }
    return true;
}

void zeroNonFinite(TDArray& row)
{
    for (double& v : row) {
        if (!std::isfinite(v))
            v = 0.0;
    }
}

} // namespace

bool TIndividualInfo::LoadAndCompute(
    MeasurementDocument& doc, int firstRow, int n, int k, int precision, const QString& /*units*/)
{
    Individual = doc.IndividualMode();
    GrandMean = 0.0;
    MeanDeviation = 0.0;
    MeanRange = 0.0;
    FirstRow = firstRow;
    GroupPointCount = n;
    ElementCount = Individual ? 1 : k;
    Data.clear();
    const int columns = ElementCount;
    if (n < 2 || firstRow < 1 || firstRow + n - 1 > doc.TableRowCount())
        return false;
    if (!Individual && (k < 2 || k > 25))
        return false;
    if (columns > doc.ValueColumnCount())
        return false;

    if (Individual)
        Data = { TDArray(size_t(n)), TDArray(), TDArray(size_t(n - 1)) };
    else
        Data.assign(size_t(k + 6), TDArray(size_t(n)));
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < columns; ++c) {
            const std::optional<double> value = ParseNumber(doc.ValueText(firstRow + r, c));
            if (!value)
                return false;
            Data[size_t(c)][size_t(r)] = *value;
        }
    }
    if (!ComputePointStatistics())
        return false;

    const FixedFormatter format(precision);
    doc.SetResultDecimals(precision);
    const int closingRow = firstRow + n; // the separator row after the group, or the closing row
    const bool hasClosingRow = closingRow < doc.RowCount();
    if (Individual) {
        if (hasClosingRow)
            doc.SetValueText(closingRow, 0, QStringLiteral("Середнє по групі: ") + format(GrandMean));
        doc.SetResultText(firstRow, 0, QString());
        const TDArray& ranges = Data[2];
        for (int i = 1; i < n; ++i)
            doc.SetResultNumber(firstRow + i, 0, ranges[size_t(i - 1)]);
        return true;
    }

    for (int i = 0; i < n; ++i) {
        for (int c = 0; c < 6; ++c)
            doc.SetResultNumber(firstRow + i, c, Data[size_t(k + c)][size_t(i)]);
    }
    const double overall = OverallDeviation();
    if (!std::isfinite(overall))
        return false;
    if (hasClosingRow) {
        doc.SetLabelText(closingRow, QStringLiteral("Загалом по групі"));
        doc.SetResultNumber(closingRow, 0, GrandMean);
        doc.SetResultNumber(closingRow, 2, overall);
    }
    if (std::fabs(GrandMean) < zeroCentre)
        return false;
    const double relative = overall * 100.0 / GrandMean;
    if (!std::isfinite(relative))
        return false;
    if (hasClosingRow)
        doc.SetResultNumber(closingRow, 3, relative);
    return true;
}

bool TIndividualInfo::ComputePointStatistics()
{
    const int n = GroupPointCount;
    GrandMean = 0.0;
    MeanDeviation = 0.0;
    MeanRange = 0.0;
    if (n < 1)
        return false;

    if (Individual) {
        if (Data.size() < 3 || Data[0].size() < size_t(n))
            return false;
        const TDArray& x = Data[0];
        TDArray& ranges = Data[2];
        ranges.resize(size_t(n - 1));
        for (int i = 0; i < n; ++i)
            GrandMean += x[size_t(i)];
        GrandMean /= n;
        for (int j = 1; j < n; ++j) {
            ranges[size_t(j - 1)] = std::fabs(x[size_t(j - 1)] - x[size_t(j)]);
            MeanDeviation += ranges[size_t(j - 1)];
        }
        if (n > 1)
            MeanDeviation /= n - 1;
        const bool finite = std::isfinite(GrandMean) && std::isfinite(MeanDeviation) && allFinite(ranges);
        if (!finite) {
            zeroNonFinite(ranges);
            GrandMean = std::isfinite(GrandMean) ? GrandMean : 0.0;
            MeanDeviation = std::isfinite(MeanDeviation) ? MeanDeviation : 0.0;
        }
        return finite;
    }

    const int k = ElementCount;
    if (k < 2 || Data.size() < size_t(k + 6))
        return false;
    for (int row = 0; row < k + 6; ++row) {
        if (Data[size_t(row)].size() < size_t(n))
            return false;
    }
    bool defined = true;
    TDArray& means = Data[size_t(k)];
    TDArray& medians = Data[size_t(k + 1)];
    TDArray& deviations = Data[size_t(k + 2)];
    TDArray& relDeviations = Data[size_t(k + 3)];
    TDArray& ranges = Data[size_t(k + 4)];
    TDArray& relRanges = Data[size_t(k + 5)];
    for (int i = 0; i < n; ++i) {
        const size_t p = size_t(i);
        double sum = 0.0;
        for (int c = 0; c < k; ++c)
            sum += Data[size_t(c)][p];
        const double m = sum / k;
        means[p] = m;
        medians[p] = k < 11 ? MedianOfColumn(Data, k, i) : 0.0;
        double squares = 0.0;
        for (int c = 0; c < k; ++c) {
            const double d = Data[size_t(c)][p] - m;
            squares += d * d;
        }
        const double s = std::sqrt(squares / (k - 1));
        deviations[p] = s;
        double low = Data[0][p];
        double high = low;
        for (int c = 1; c < k; ++c) {
            low = std::min(low, Data[size_t(c)][p]);
            high = std::max(high, Data[size_t(c)][p]);
        }
        const double r = high - low;
        ranges[p] = r;
        if (m == 0.0) {
            // Relative values of a subgroup with mean 0 do not exist; the group cannot be charted.
            relDeviations[p] = 0.0;
            relRanges[p] = 0.0;
            defined = false;
        } else {
            relDeviations[p] = s * 100.0 / m;
            relRanges[p] = r * 100.0 / m;
        }
        GrandMean += m;
        MeanDeviation += s;
        MeanRange += r;
    }
    GrandMean /= n;
    MeanDeviation /= n;
    MeanRange /= n;

    // The centre lines average the median and relative rows later; they must not overflow either.
    bool finite = std::isfinite(GrandMean) && std::isfinite(MeanDeviation) && std::isfinite(MeanRange);
    for (int row = k; row < k + 6 && finite; ++row)
        finite = allFinite(Data[size_t(row)]) && std::isfinite(RowMean(row));
    if (!finite) {
        for (TDArray& row : Data)
            zeroNonFinite(row);
        GrandMean = std::isfinite(GrandMean) ? GrandMean : 0.0;
        MeanDeviation = std::isfinite(MeanDeviation) ? MeanDeviation : 0.0;
        MeanRange = std::isfinite(MeanRange) ? MeanRange : 0.0;
    }
    return defined && finite;
}

void TIndividualInfo::ComputeLines(int offset)
{
    auto runCriteria = [&](int slot) {
        const std::span<const double> series = Series(slot);
        const TControlLines& lines = Lines[size_t(slot)];
        TSlotHits& hits = Hits[size_t(slot)];
        hits.Westgard = WestgardCheck(series, lines.Centre, lines.Upper, lines.Lower);
        hits.Iso = IsoCheck(series, lines.Centre, lines.Upper, lines.Lower);
        addOffset(hits.Westgard, offset);
        addOffset(hits.Iso, offset);
    };
    auto settle = [](TControlLines& lines) {
        lines.Lower = finiteOrLimit(lines.Lower);
        lines.Upper = finiteOrLimit(lines.Upper);
        lines.Centre = finiteOrLimit(lines.Centre);
    };

    const bool sigmaFixed = SigmaSetting.Fixed;
    if (Individual) {
        const TFactorRow& f = FactorTable(2);
        const double meanMovingRange = MeanDeviation;
        if (!sigmaFixed)
            SigmaSetting.Value = meanMovingRange;
        const double sigma = SigmaSetting.Value;
        double cl2 = RangeCentreSetting.Value;
        if (!RangeCentreSetting.Fixed) {
            cl2 = sigmaFixed ? f.d2 * sigma : meanMovingRange;
            RangeCentreSetting.Value = finiteOrLimit(cl2);
        }
        double cl0 = CentreSetting.Value;
        if (!CentreSetting.Fixed) {
            cl0 = GrandMean;
            CentreSetting.Value = cl0;
        }
        TControlLines& l0 = Lines[SlotCentre];
        TControlLines& l2 = Lines[SlotDeviation];
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
        runCriteria(SlotCentre);
        runCriteria(SlotDeviation);
        return;
    }

    const int k = ElementCount;
    const TFactorRow& f = FactorTable(k);
    const double sBar = MeanDeviation;
    const double rBar = MeanRange;
    const double sigma = SigmaSetting.Value;
    auto centreOf = [](TFixableValue& setting, double automatic) {
        if (!setting.Fixed)
            setting.Value = finiteOrLimit(automatic);
        return setting.Value;
    };
    const double cl0 = centreOf(CentreSetting, GrandMean);
    const double cl1 = centreOf(MedianCentreSetting, RowMean(k + 1));
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
    const double cl2 = spreadCentreOf(DeviationCentreSetting, sBar, f.c4);
    const double cl3 = centreOf(RelDeviationCentreSetting, RowMean(k + 3));
    const double cl4 = spreadCentreOf(RangeCentreSetting, rBar, f.d2);
    const double cl5 = centreOf(RelRangeCentreSetting, RowMean(k + 5));

    std::array<TControlLines, ChartSlotCount>& l = Lines;
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
        const double basis = UseSampleDeviation ? sBar : rBar;
        const double factor = UseSampleDeviation ? f.A3 : f.A2;
        SigmaSetting.Value = basis;
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
        if (std::fabs(cl0) >= zeroCentre) {
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
    for (int slot = 0; slot < ChartSlotCount; ++slot) {
        settle(l[size_t(slot)]);
        runCriteria(slot);
    }
}

void TIndividualInfo::RecomputeForDisplay(const MeasurementDocument& doc)
{
    int offset = 0;
    if (FirstRow >= 1 && FirstRow < doc.RowCount()) {
        bool ok = false;
        const int number = doc.LabelText(FirstRow).toInt(&ok);
        if (ok)
            offset = number - 1;
    }
    ComputeLines(offset);
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

double TIndividualInfo::OverallDeviation() const
{
    const int k = ElementCount;
    const int n = GroupPointCount;
    if (Individual || n < 1 || size_t(k + 2) >= Data.size() || n * k < 2)
        return 0.0;
    double sum = 0.0;
    for (double s : Data[size_t(k + 2)])
        sum += k * s * s;
    return std::sqrt(sum / (double(n) * k - 1.0));
}
