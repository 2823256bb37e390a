#include "statistics/FactorTable.h"

#include "common/TestSupport.h"

#include <array>

// Rows checked column by column against the printed factor table (first, last, around the
// median cut at 10/11 and where B3, B5, D1 and D3 stop being 0), plus the edges of the range.
TEST(FactorTable, RowsAsTabled)
{
    struct Case {
        int k;
        std::array<double, 14> row; // A A2 A3 B3 B4 B5 B6 D1 D2 D3 D4 c4 d2 A4
    };
    const Case cases[] = {
        { 2, { 2.121, 1.880, 2.659, 0.000, 3.267, 0.000, 2.606, 0.000, 3.686, 0.000, 3.267, 0.7979, 1.128, 1.88 } },
        { 5, { 1.342, 0.577, 1.427, 0.000, 2.089, 0.000, 1.964, 0.000, 4.918, 0.000, 2.114, 0.9400, 2.326, 0.69 } },
        { 6, { 1.225, 0.483, 1.287, 0.030, 1.970, 0.029, 1.874, 0.000, 5.078, 0.000, 2.004, 0.9515, 2.534, 0.55 } },
        { 7, { 1.134, 0.419, 1.182, 0.118, 1.882, 0.113, 1.806, 0.204, 5.204, 0.076, 1.924, 0.9594, 2.704, 0.51 } },
        { 10, { 0.949, 0.308, 0.975, 0.284, 1.716, 0.276, 1.669, 0.687, 5.469, 0.223, 1.777, 0.9727, 3.078, 0.36 } },
        { 11, { 0.905, 0.285, 0.927, 0.321, 1.679, 0.313, 1.637, 0.811, 5.535, 0.256, 1.744, 0.9754, 3.173, 0 } },
        { 19, { 0.688, 0.187, 0.698, 0.497, 1.503, 0.490, 1.483, 1.487, 5.891, 0.403, 1.597, 0.9862, 3.689, 0 } },
        { 25, { 0.600, 0.153, 0.606, 0.565, 1.435, 0.559, 1.420, 1.806, 6.056, 0.459, 1.541, 0.9896, 3.931, 0 } },
    };
    for (const Case& c : cases) {
        const TFactorRow& f = FactorTable(c.k);
        const std::array<double, 14> actual { f.A, f.A2, f.A3, f.B3, f.B4, f.B5, f.B6, f.D1, f.D2, f.D3, f.D4, f.c4,
            f.d2, f.A4 };
        EXPECT_EQ(actual, c.row) << "k = " << c.k;
    }
    EXPECT_EQ(&FactorTable(1), &FactorTable(2));
    EXPECT_EQ(&FactorTable(40), &FactorTable(25));
}

TEST(FactorTable, MedianFactorOnlyUpToTen)
{
    for (int k = 2; k <= 25; ++k)
        EXPECT_EQ(FactorTable(k).A4 > 0, k <= 10) << "k = " << k;
}
