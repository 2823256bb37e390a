#include "statistics/PointStatistics.h"

#include "statistics/Median.h"

#include <cmath>

namespace {

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

// The mean of a statistic row over the counted points, as TIndividualInfo::RowMean takes it.
double countedMean(const TDArray& values, const TIndividualInfo& g)
{
    if (values.empty())
        return 0.0;
    double sum = 0.0;
    size_t counted = 0;
    for (size_t i = 0; i < values.size(); ++i) {
        if (g.IsExcluded(int(i)))
            continue;
        sum += values[i];
        ++counted;
    }
    return counted == 0 ? 0.0 : sum / double(counted);
}

PointStatistics individualStatistics(const TIndividualInfo& g, int n)
{
    PointStatistics out;
    const TDArray& x = g.Data[0];
    out.Rows.assign(1, TDArray(size_t(n - 1)));
    TDArray& ranges = out.Rows[0];
    int counted = 0;
    for (int i = 0; i < n; ++i) {
        if (g.IsExcluded(i))
            continue;
        out.GrandMean += x[size_t(i)];
        ++counted;
    }
    int countedRanges = 0;
    for (int j = 1; j < n; ++j) {
        ranges[size_t(j - 1)] = std::fabs(x[size_t(j - 1)] - x[size_t(j)]);
        if (g.IsExcluded(j - 1) || g.IsExcluded(j))
            continue;
        out.MeanDeviation += ranges[size_t(j - 1)];
        ++countedRanges;
    }
    if (counted > 0)
        out.GrandMean /= counted;
    if (countedRanges > 0)
        out.MeanDeviation /= countedRanges;
    out.Finite = std::isfinite(out.GrandMean) && std::isfinite(out.MeanDeviation) && allFinite(ranges);
    if (!out.Finite) {
        zeroNonFinite(ranges);
        out.GrandMean = std::isfinite(out.GrandMean) ? out.GrandMean : 0.0;
        out.MeanDeviation = std::isfinite(out.MeanDeviation) ? out.MeanDeviation : 0.0;
    }
    out.Valid = out.Finite && counted > 0;
    return out;
}

PointStatistics subgroupStatistics(const TIndividualInfo& g, int n, int k)
{
    PointStatistics out;
    out.Rows.assign(6, TDArray(size_t(n)));
    bool defined = true;
    int counted = 0;
    TDArray& means = out.Rows[0];
    TDArray& medians = out.Rows[1];
    TDArray& deviations = out.Rows[2];
    TDArray& relDeviations = out.Rows[3];
    TDArray& ranges = out.Rows[4];
    TDArray& relRanges = out.Rows[5];
    for (int i = 0; i < n; ++i) {
        const size_t p = size_t(i);
        double sum = 0.0;
        for (int c = 0; c < k; ++c)
            sum += g.Data[size_t(c)][p];
        const double m = sum / k;
        means[p] = m;
        medians[p] = k < 11 ? MedianOfColumn(g.Data, k, i) : 0.0;
        double squares = 0.0;
        for (int c = 0; c < k; ++c) {
            const double d = g.Data[size_t(c)][p] - m;
            squares += d * d;
        }
        const double s = std::sqrt(squares / (k - 1));
        deviations[p] = s;
        double low = g.Data[0][p];
        double high = low;
        for (int c = 1; c < k; ++c) {
            low = std::min(low, g.Data[size_t(c)][p]);
            high = std::max(high, g.Data[size_t(c)][p]);
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
        if (g.IsExcluded(i))
            continue;
        out.GrandMean += m;
        out.MeanDeviation += s;
        out.MeanRange += r;
        ++counted;
    }
    if (counted > 0) {
        out.GrandMean /= counted;
        out.MeanDeviation /= counted;
        out.MeanRange /= counted;
    }

    // The centre lines average the median and relative rows later; they must not overflow either.
    bool finite = std::isfinite(out.GrandMean) && std::isfinite(out.MeanDeviation) && std::isfinite(out.MeanRange);
    for (size_t row = 0; row < out.Rows.size() && finite; ++row)
        finite = allFinite(out.Rows[row]) && std::isfinite(countedMean(out.Rows[row], g));
    out.Finite = finite;
    if (!finite) {
        for (TDArray& row : out.Rows)
            zeroNonFinite(row);
        out.GrandMean = std::isfinite(out.GrandMean) ? out.GrandMean : 0.0;
        out.MeanDeviation = std::isfinite(out.MeanDeviation) ? out.MeanDeviation : 0.0;
        out.MeanRange = std::isfinite(out.MeanRange) ? out.MeanRange : 0.0;
    }
    out.Valid = defined && finite && counted > 0;
    return out;
}

} // namespace

PointStatistics PointStatisticsOf(const TIndividualInfo& g)
{
    const int n = g.GroupPointCount;
    if (n < 1)
        return {};
    if (g.Individual) {
        if (g.Data.empty() || g.Data[0].size() < size_t(n))
            return {};
        return individualStatistics(g, n);
    }
    const int k = g.ElementCount;
    if (k < 2 || g.Data.size() < size_t(k))
        return {};
    for (int row = 0; row < k; ++row) {
        if (g.Data[size_t(row)].size() < size_t(n))
            return {};
    }
    return subgroupStatistics(g, n, k);
}

void StorePointStatistics(TIndividualInfo& g, PointStatistics statistics)
{
    g.GrandMean = statistics.GrandMean;
    g.MeanDeviation = statistics.MeanDeviation;
    g.MeanRange = statistics.MeanRange;
    if (statistics.Rows.empty())
        return;
    const size_t first = g.Individual ? 2 : size_t(g.ElementCount);
    if (g.Data.size() < first + statistics.Rows.size())
        g.Data.resize(first + statistics.Rows.size());
    for (size_t r = 0; r < statistics.Rows.size(); ++r)
        g.Data[first + r] = std::move(statistics.Rows[r]);
    if (!statistics.Finite && !g.Individual) {
        for (size_t r = 0; r < first; ++r)
            zeroNonFinite(g.Data[r]); // as the statistic rows are
    }
}

bool ComputePointStatistics(TIndividualInfo& g)
{
    PointStatistics statistics = PointStatisticsOf(g);
    const bool valid = statistics.Valid;
    StorePointStatistics(g, std::move(statistics));
    return valid;
}

double OverallDeviation(const TIndividualInfo& g)
{
    const int k = g.ElementCount;
    const int n = g.CountedPointCount();
    if (g.Individual || n < 1 || size_t(k + 2) >= g.Data.size() || n * k < 2)
        return 0.0;
    const TDArray& deviations = g.Data[size_t(k + 2)];
    double sum = 0.0;
    for (size_t i = 0; i < deviations.size(); ++i) {
        if (!g.IsExcluded(int(i)))
            sum += k * deviations[i] * deviations[i];
    }
    return std::sqrt(sum / (double(n) * k - 1.0));
}

bool EnoughCountedPoints(const TIndividualInfo& g)
{
    const int n = g.GroupPointCount;
    if (g.CountedPointCount() < 2)
        return false;
    if (!g.Individual)
        return true;
    for (int j = 1; j < n; ++j) {
        if (!g.IsExcluded(j - 1) && !g.IsExcluded(j))
            return true;
    }
    return false;
}
