#include "statistics/Median.h"

#include <array>
#include <utility>

double Median(std::span<double> a)
{
    if (a.empty())
        return 0.0;
    const std::ptrdiff_t h = std::ptrdiff_t(a.size()) - 1;
    // Each sweep carries the largest remaining value to the back and the smallest to the front;
    // h div 2 sweeps leave the middle value (or the middle pair) in place.
    for (std::ptrdiff_t i = 0; i < h / 2; ++i) {
        for (std::ptrdiff_t j = i + 1; j <= h - i; ++j) {
            if (a[j - 1] > a[j])
                std::swap(a[j - 1], a[j]);
        }
        for (std::ptrdiff_t j = h - i - 2; j >= i; --j) {
            if (a[j + 1] < a[j])
                std::swap(a[j], a[j + 1]);
        }
    }
    if (h % 2 == 0)
        return a[h / 2];
    return (a[h / 2] + a[h / 2 + 1]) / 2.0;
}

double Median(TDArray& values)
{
    return Median(std::span<double>(values));
}

double MedianOfColumn(const TArrayOfArray& table, int k, int i)
{
    // Subgroups hold at most 25 values; a stack copy keeps the per-point median free of allocation.
    constexpr int maxOnStack = 25;
    if (k <= 0 || i < 0 || size_t(k) > table.size())
        return 0.0;
    if (k <= maxOnStack) {
        std::array<double, maxOnStack> copy;
        for (int c = 0; c < k; ++c)
            copy[size_t(c)] = size_t(i) < table[size_t(c)].size() ? table[size_t(c)][size_t(i)] : 0.0;
        return Median(std::span<double>(copy.data(), size_t(k)));
    }
    TDArray copy(size_t(k), 0.0);
    for (int c = 0; c < k; ++c)
        copy[size_t(c)] = size_t(i) < table[size_t(c)].size() ? table[size_t(c)][size_t(i)] : 0.0;
    return Median(copy);
}
