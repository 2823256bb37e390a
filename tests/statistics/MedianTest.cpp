#include "statistics/Median.h"

#include "common/TestSupport.h"

#include <algorithm>
#include <random>

namespace {

double referenceMedian(TDArray values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

} // namespace

TEST(Median, KnownCases)
{
    struct Case {
        const char* name;
        TDArray values;
        double median;
    };
    const Case cases[] = {
        { "single", { 5 }, 5 },
        { "pair", { 2, 1 }, 1.5 },
        { "odd count", { 3, 1, 2 }, 2 },
        { "even count", { 4, 1, 3, 2 }, 2.5 },
        { "descending five", { 5, 4, 3, 2, 1 }, 3 },
        { "ties", { 1, 1, 2, 1 }, 1 },
        { "negative", { -1, -5, 3 }, -1 },
        { "ten descending", { 9, 8, 7, 6, 5, 4, 3, 2, 1, 0 }, 4.5 },
        { "middle pair at the ends", { 6, 1, 2, 9, 5 }, 5 },
    };
    for (const Case& c : cases) {
        TDArray values = c.values;
        EXPECT_EQ(Median(values), c.median) << c.name;
    }
}

TEST(Median, AgreesWithSortingForEverySubgroupSize)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> digit(0, 9); // small range so that ties occur
    for (int size = 1; size <= 25; ++size) {
        for (int trial = 0; trial < 200; ++trial) {
            TDArray values(static_cast<size_t>(size), 0.0);
            for (double& v : values)
                v = digit(random);
            TDArray work = values;
            ASSERT_EQ(Median(work), referenceMedian(values)) << "size " << size << " trial " << trial;
        }
    }
}

TEST(Median, OfColumnLeavesTheTableAlone)
{
    TArrayOfArray table { { 4, 10 }, { 1, 30 }, { 3, 20 }, { 2, 40 }, { 99, 99 } };
    const TArrayOfArray before = table;
    EXPECT_EQ(MedianOfColumn(table, 4, 0), 2.5);
    EXPECT_EQ(MedianOfColumn(table, 3, 1), 20);
    EXPECT_EQ(table, before);
}
