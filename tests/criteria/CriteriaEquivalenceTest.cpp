// The fast criteria routines against the straightforward ones they replace: the same hits, in the same
// order, on many generated series (random data, values on every band boundary, runs and trends of every
// length around the thresholds, NaN and infinities, odd lines).
#include "CriteriaReference.h"
#include "criteria/CriteriaEngine.h"

#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Series = std::vector<double>;

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

struct Lines {
    double centre;
    double upper;
    double lower;
};

const Lines LineSets[] = {
    { 10, 13, 7 }, // symmetric, sigma 1
    { 10, 13, 9.4 }, // asymmetric: lower sigma 0.2
    { 0.3, 0.9, 0 }, // lower limit clamped at 0, sigma values not exact in binary
    { -5, -2, -11 }, // negative centre, asymmetric
    { 10, 10, 10 }, // zero-width zones
    { 10, 10, 7 }, // zero-width upper zones
    { 10, 13, 10 }, // zero-width lower zones
    { 10, 7, 13 }, // limits swapped
    { 10, 11, 4 }, // upper narrower than lower
    { 1e300, 1.5e300, 0.5e300 }, // huge
    { 1e-300, 4e-300, -2e-300 }, // tiny
    { 10, Inf, 7 },
    { 10, 13, -Inf },
    { NaN, 13, 7 },
    { 10, NaN, 7 },
    { 10, 13, NaN },
    { Inf, Inf, Inf },
};

// Values on and next to every boundary the routines compare with, plus odd values.
std::vector<double> Palette(const Lines& lines)
{
    const double sigmaUpper = (lines.upper - lines.centre) / 3;
    const double sigmaLower = (lines.centre - lines.lower) / 3;
    const double edges[] = { lines.centre, lines.centre + sigmaUpper, lines.centre - sigmaLower,
        lines.centre + 2 * sigmaUpper, lines.centre - 2 * sigmaLower, lines.upper, lines.lower,
        lines.centre + 4 * sigmaUpper, lines.centre - 4 * sigmaLower };
    std::vector<double> palette;
    for (const double edge : edges) {
        palette.push_back(edge);
        palette.push_back(std::nextafter(edge, -Inf));
        palette.push_back(std::nextafter(edge, Inf));
    }
    for (const double between : { 0.5, 1.5, 2.5, 3.5, 5.0 }) {
        palette.push_back(lines.centre + between * sigmaUpper);
        palette.push_back(lines.centre - between * sigmaLower);
    }
    palette.insert(palette.end(), { NaN, Inf, -Inf, 0.0 });
    return palette;
}

std::string Describe(const Lines& lines, const Series& values)
{
    std::ostringstream text;
    text.precision(17);
    text << "lines C=" << lines.centre << " U=" << lines.upper << " L=" << lines.lower << ", " << values.size()
         << " values:";
    for (std::size_t i = 0; i < values.size() && i < 200; ++i)
        text << ' ' << values[i];
    return text.str();
}

std::string Describe(const ErrorArray& hits)
{
    std::ostringstream text;
    for (const TCriterionHit& hit : hits)
        text << '(' << hit.Criterion << ',' << hit.FirstPoint << ',' << hit.LastPoint << ')';
    return text.str();
}

// Compares both routines with their references; returns false after the first difference so that a
// fault shows one readable series rather than thousands.
bool SameHits(const Lines& lines, const Series& values)
{
    const ErrorArray westgard = WestgardCheck(values, lines.centre, lines.upper, lines.lower);
    const ErrorArray westgardReference = ReferenceWestgardCheck(values, lines.centre, lines.upper, lines.lower);
    if (westgard != westgardReference)
        ADD_FAILURE() << "Westgard " << Describe(westgard) << " instead of " << Describe(westgardReference) << ", "
                      << Describe(lines, values);
    const ErrorArray iso = IsoCheck(values, lines.centre, lines.upper, lines.lower);
    const ErrorArray isoReference = ReferenceIsoCheck(values, lines.centre, lines.upper, lines.lower);
    if (iso != isoReference)
        ADD_FAILURE() << "ISO " << Describe(iso) << " instead of " << Describe(isoReference) << ", "
                      << Describe(lines, values);
    return westgard == westgardReference && iso == isoReference;
}

// Every series of up to three values drawn from the boundary palette.
TEST(CriteriaEquivalence, EveryShortSeriesOfBoundaryValues)
{
    for (const Lines& lines : LineSets) {
        const std::vector<double> palette = Palette(lines);
        const std::size_t k = palette.size();
        ASSERT_TRUE(SameHits(lines, {}));
        Series values;
        for (std::size_t length = 1; length <= 3; ++length) {
            std::size_t combinations = 1;
            for (std::size_t i = 0; i < length; ++i)
                combinations *= k;
            values.resize(length);
            for (std::size_t code = 0; code < combinations; ++code) {
                std::size_t rest = code;
                for (double& x : values) {
                    x = palette[rest % k];
                    rest /= k;
                }
                ASSERT_TRUE(SameHits(lines, values));
            }
        }
    }
}

// Runs of one palette value, of random lengths around the run thresholds, one after another.
TEST(CriteriaEquivalence, RunsOfBoundaryValues)
{
    std::mt19937_64 random(5);
    for (const Lines& lines : LineSets) {
        const std::vector<double> palette = Palette(lines);
        std::uniform_int_distribution<std::size_t> pick(0, palette.size() - 1);
        std::uniform_int_distribution<int> runLength(1, 17);
        for (int series = 0; series < 300; ++series) {
            Series values;
            const int runs = 1 + series % 12;
            for (int r = 0; r < runs; ++r)
                values.insert(values.end(), static_cast<std::size_t>(runLength(random)), palette[pick(random)]);
            ASSERT_TRUE(SameHits(lines, values));
        }
    }
}

// Single palette values scattered at random: every transition between zones, boundaries and odd values.
TEST(CriteriaEquivalence, RandomBoundaryValues)
{
    std::mt19937_64 random(7);
    for (const Lines& lines : LineSets) {
        const std::vector<double> palette = Palette(lines);
        std::uniform_int_distribution<std::size_t> pick(0, palette.size() - 1);
        for (const std::size_t length : { 4, 5, 9, 16, 40, 200, 3000 }) {
            Series values(length);
            for (int series = 0; series < 20; ++series) {
                for (double& x : values)
                    x = palette[pick(random)];
                ASSERT_TRUE(SameHits(lines, values));
            }
        }
    }
}

// Normal data of several spreads with planted shifts, trends, alternations, repeats and odd values.
TEST(CriteriaEquivalence, NormalDataWithPlantedPatterns)
{
    std::mt19937_64 random(8258);
    for (const Lines& lines : LineSets) {
        const double centre = std::isfinite(lines.centre) ? lines.centre : 10;
        const double sigma = std::isfinite(lines.upper - lines.centre) && lines.upper != lines.centre
            ? std::abs(lines.upper - lines.centre) / 3
            : 1;
        for (const double spread : { 0.3, 1.0, 1.6, 3.0 }) {
            std::normal_distribution<double> normal(0, spread * sigma);
            std::uniform_int_distribution<int> kind(0, 9);
            std::uniform_int_distribution<int> length(1, 20);
            Series values;
            while (values.size() < 20000) {
                const int n = length(random);
                const double start = centre + normal(random);
                const double step = normal(random) / 4;
                switch (kind(random)) {
                case 0: // a shift
                    for (int k = 0; k < n; ++k)
                        values.push_back(start + normal(random) / 4);
                    break;
                case 1: // a trend
                    for (int k = 0; k < n; ++k)
                        values.push_back(start + step * k);
                    break;
                case 2: // an alternation
                    for (int k = 0; k < n; ++k)
                        values.push_back(start + (k % 2 ? step : -step));
                    break;
                case 3: // a repeated value
                    values.insert(values.end(), static_cast<std::size_t>(n), start);
                    break;
                case 4: // an odd value
                    values.push_back(std::array { NaN, Inf, -Inf, centre }[static_cast<std::size_t>(n % 4)]);
                    break;
                default:
                    for (int k = 0; k < n; ++k)
                        values.push_back(centre + normal(random));
                    break;
                }
            }
            ASSERT_TRUE(SameHits(lines, values));
            for (std::size_t length = 0; length < 60; ++length)
                ASSERT_TRUE(SameHits(lines, Series(values.begin(), values.begin() + static_cast<long>(length))));
        }
    }
}

TEST(CriteriaEquivalence, ConstantSeries)
{
    for (const Lines& lines : LineSets)
        for (const double x : Palette(lines))
            for (const std::size_t length : { 1, 2, 8, 9, 10, 11, 14, 15, 16, 1000 })
                ASSERT_TRUE(SameHits(lines, Series(length, x)));
}

} // namespace
