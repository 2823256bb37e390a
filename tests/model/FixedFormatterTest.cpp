#include "model/FixedFormatter.h"

#include "common/TestSupport.h"
#include "model/Numbers.h"

#include <cmath>
#include <limits>
#include <random>

// The result cells must read exactly as FormatFixed writes them, in every magnitude and precision.
TEST(FixedFormatter, WritesWhatFormatFixedWrites)
{
    std::vector<double> values { 0.0, -0.0, 0.5, 1.5, 2.5, -0.004, -0.005, -0.0051, 0.125, 1.375, 99999999999999.99,
        9999999999999.995, 1e14, 1e15, -1e15, 123456789012345.6, 0.1 + 0.2, 1e-300, 5e-324, -5e-324,
        std::numeric_limits<double>::max(), std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN() };
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-20, 20);
    for (int i = 0; i < 5000; ++i)
        values.push_back(mantissa(random) * std::pow(10.0, exponent(random)));
    // Near and at the halves of every precision, and differences of three-decimal data as the
    // moving ranges are.
    std::uniform_int_distribution<int> units(-100000, 100000);
    for (int i = 0; i < 2000; ++i) {
        const double scale = std::pow(10.0, i % 8);
        const double half = (units(random) + 0.5) / scale;
        values.insert(values.end(), { half, std::nextafter(half, 0.0), std::nextafter(half, 1e300) });
        values.push_back(std::fabs(units(random) / 1000.0 - units(random) / 1000.0));
    }
    for (int decimals = -1; decimals <= 20; ++decimals) {
        const FixedFormatter format(decimals);
        for (double v : values)
            ASSERT_EQ(format(v), FormatFixed(v, decimals)) << v << " with " << decimals << " decimals";
    }
}
