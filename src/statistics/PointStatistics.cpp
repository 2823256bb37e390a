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

} // namespace

bool ComputePointStatistics(TIndividualInfo& g)
{
    const int n = g.GroupPointCount;
    g.GrandMean = 0.0;
    g.MeanDeviation = 0.0;
    g.MeanRange = 0.0;
    if (n < 1)
        return false;

    if (g.Individual) {
        if (g.Data.size() < 3 || g.Data[0].size() < size_t(n))
            return false;
        const TDArray& x = g.Data[0];
        TDArray& ranges = g.Data[2];
        ranges.resize(size_t(n - 1));
        int counted = 0;
        for (int i = 0; i < n; ++i) {
            if (g.IsExcluded(i))
                continue;
            g.GrandMean += x[size_t(i)];
            ++counted;
        }
        int countedRanges = 0;
        for (int j = 1; j < n; ++j) {
            ranges[size_t(j - 1)] = std::fabs(x[size_t(j - 1)] - x[size_t(j)]);
            if (g.IsExcluded(j - 1) || g.IsExcluded(j))
                continue;
            g.MeanDeviation += ranges[size_t(j - 1)];
            ++countedRanges;
        }
        if (counted > 0)
            g.GrandMean /= counted;
        if (countedRanges > 0)
            g.MeanDeviation /= countedRanges;
        const bool finite = std::isfinite(g.GrandMean) && std::isfinite(g.MeanDeviation) && allFinite(ranges);
        if (!finite) {
            zeroNonFinite(ranges);
            g.GrandMean = std::isfinite(g.GrandMean) ? g.GrandMean : 0.0;
            g.MeanDeviation = std::isfinite(g.MeanDeviation) ? g.MeanDeviation : 0.0;
        }
        return finite && counted > 0;
    }

    const int k = g.ElementCount;
    if (k < 2 || g.Data.size() < size_t(k + 6))
        return false;
    for (int row = 0; row < k + 6; ++row) {
        if (g.Data[size_t(row)].size() < size_t(n))
            return false;
    }
    bool defined = true;
    int counted = 0;
    TDArray& means = g.Data[size_t(k)];
    TDArray& medians = g.Data[size_t(k + 1)];
    TDArray& deviations = g.Data[size_t(k + 2)];
    TDArray& relDeviations = g.Data[size_t(k + 3)];
    TDArray& ranges = g.Data[size_t(k + 4)];
    TDArray& relRanges = g.Data[size_t(k + 5)];
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
        g.GrandMean += m;
        g.MeanDeviation += s;
        g.MeanRange += r;
        ++counted;
    }
    if (counted > 0) {
        g.GrandMean /= counted;
        g.MeanDeviation /= counted;
        g.MeanRange /= counted;
    }

    // The centre lines average the median and relative rows later; they must not overflow either.
    bool finite = std::isfinite(g.GrandMean) && std::isfinite(g.MeanDeviation) && std::isfinite(g.MeanRange);
    for (int row = k; row < k + 6 && finite; ++row)
        finite = allFinite(g.Data[size_t(row)]) && std::isfinite(g.RowMean(row));
    if (!finite) {
        for (TDArray& row : g.Data)
            zeroNonFinite(row);
        g.GrandMean = std::isfinite(g.GrandMean) ? g.GrandMean : 0.0;
        g.MeanDeviation = std::isfinite(g.MeanDeviation) ? g.MeanDeviation : 0.0;
        g.MeanRange = std::isfinite(g.MeanRange) ? g.MeanRange : 0.0;
    }
    return defined && finite && counted > 0;
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
