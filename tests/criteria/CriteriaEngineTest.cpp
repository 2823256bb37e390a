#include "criteria/CriteriaEngine.h"

#include "common/TestSupport.h"

#include <cmath>
#include <limits>
#include <ostream>
#include <random>

void PrintTo(const TCriterionHit& hit, std::ostream* os)
{
    *os << "(" << hit.Criterion << "," << hit.FirstPoint << "," << hit.LastPoint << ")";
}

namespace {

using Series = std::vector<double>;

Series Rep(double value, int count)
{
    return Series(static_cast<std::size_t>(count), value);
}

// Concatenates pieces: Join({ Rep(11.5, 10), { 10 } }).
Series Join(std::initializer_list<Series> parts)
{
    Series all;
    for (const Series& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

struct Lines {
    double centre = 10;
    double upper = 13;
    double lower = 7;
};

struct Case {
    const char* name;
    Series values;
    ErrorArray expected;
    Lines lines = {};
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.name;
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info)
{
    return info.param.name;
}

// Most rows use C = 10, U = 13, L = 7, so that sigma is 1 on both sides.
const Case WestgardCases[] = {
    { "EmptySeries", {}, {} },
    { "OnePointInside", { 10 }, {} },
    { "OnePointBeyondTwoSigma", { 12.5 }, { { 1, 1, 1 } } },
    { "OnePointOnUpperLimitIsRule1", { 13 }, { { 1, 1, 1 } } },
    { "OnePointOnLowerLimitIsRule1", { 7 }, { { 1, 1, 1 } } },
    { "OnePointBeyondUpperLimit", { 13.01 }, { { 2, 1, 1 } } },
    { "OnePointBeyondLowerLimit", { 6.99 }, { { 2, 1, 1 } } },
    { "TwoBeyondTwoSigmaBetweenInnerPoints", { 10, 13, 10, 7.5, 7.4, 10 },
        { { 1, 2, 2 }, { 1, 4, 4 }, { 1, 5, 5 }, { 4, 4, 5 } } },
    { "JumpOfMoreThanFourSigma", { 11.5, 7.4 }, { { 1, 2, 2 }, { 3, 1, 2 } } },
    { "JumpExactlyFourSigmaBetweenTwoSigmaLines", { 8, 12 }, {} },
    { "JumpJustOverFourSigma", { 8, 12.0001 }, { { 1, 2, 2 }, { 3, 1, 2 } } },
    { "Rule4AtEndOfSeries", { 10, 12.5, 12.5 }, { { 1, 2, 2 }, { 1, 3, 3 }, { 4, 2, 3 } } },
    { "Rule4NeedsOneSide", { 12.5, 7.5, 10 }, { { 1, 1, 1 }, { 1, 2, 2 }, { 3, 1, 2 } } },
    { "FourInUpperBand", Join({ Rep(11.5, 4), { 10 } }), { { 5, 1, 4 } } },
    { "ThreeInUpperBand", Join({ Rep(11.5, 3), { 10 } }), {} },
    { "FourInLowerBandAtEnd", Rep(8.5, 4), { { 5, 1, 4 } } },
    { "LowerBandRunEndedByUpperBand", Join({ Rep(8.5, 4), { 11.5 } }), { { 5, 1, 4 } } },
    { "UpperBandRunEndedByLowerBand", Join({ Rep(11.5, 4), { 8.5 } }), { { 5, 1, 4 } } },
    { "UpperBandRunEndedBeyondTwoSigmaBelow", Join({ Rep(11.5, 4), { 7.5 } }), { { 5, 1, 4 }, { 1, 5, 5 } } },
    { "TwoSigmaRunHidesEqualOneSigmaRun", Join({ Rep(12.5, 4), { 10 } }),
        { { 1, 1, 1 }, { 1, 2, 2 }, { 1, 3, 3 }, { 1, 4, 4 }, { 4, 1, 4 } } },
    { "TwoSigmaRunInsideOneSigmaRun", { 11.5, 12.5, 12.5, 11.5, 10 },
        { { 1, 2, 2 }, { 1, 3, 3 }, { 4, 2, 3 }, { 5, 1, 4 } } },
    { "TenAboveCentre", Join({ Rep(10.5, 10), { 9.5 } }), { { 6, 1, 10 } } },
    { "NineAboveCentre", Join({ Rep(10.5, 9), { 9.5 } }), {} },
    { "TenBelowCentreAtEnd", Rep(9.5, 10), { { 6, 1, 10 } } },
    { "NineBelowCentreAtEnd", Rep(9.5, 9), {} },
    { "PointOnCentreCountsAbove", Join({ Rep(10.5, 9), { 10, 9.5 } }), { { 6, 1, 10 } } },
    { "BandRunThenCentreSideRunAtEnd", Join({ Rep(11.5, 10), { 10 } }), { { 5, 1, 10 }, { 6, 1, 11 } } },
    { "BandRunEndedInOtherBand", Join({ Rep(11.5, 10), { 8.5 } }), { { 5, 1, 10 }, { 6, 1, 10 } } },
    { "SideRunNoLongerThanBandRunIsNotRule6", Join({ Rep(11.5, 10), { 9.5 } }), { { 5, 1, 10 } } },
    { "SideRunLongerThanBandRun", Join({ { 10.5 }, Rep(11.5, 10), { 9.5 } }), { { 5, 2, 11 }, { 6, 1, 11 } } },
    { "SideRunEndedBeyondTwoSigmaBelow", Join({ Rep(10.5, 10), { 7.5 } }), { { 6, 1, 10 }, { 1, 11, 11 } } },
    { "SideRunEndedBeyondTwoSigmaAbove", Join({ Rep(9.5, 10), { 12.5 } }), { { 6, 1, 10 }, { 1, 11, 11 } } },
    // A value exactly on C + sigma or C - sigma is in no case: the counters keep their values.
    { "ValueOnOneSigmaLineChangesNoCounter", { 11.5, 11.5, 11, 11.5, 11.5, 10 }, { { 5, 2, 5 } } },
    { "ValueOnMinusOneSigmaBreaksNoSideRun", Join({ Rep(9.5, 9), { 9, 10.5 } }), {} },
    { "ValueOnTwoSigmaLineIsNoRule1", { 12 }, {} },
    // Upper zones are 2 wide, lower zones 1 wide.
    { "AsymmetricUpperZonesUseSigmaUp", Join({ Rep(11.5, 4), { 10 } }), {}, { 10, 16, 7 } },
    { "AsymmetricUpperBand", Join({ Rep(12.5, 4), { 10 } }), { { 5, 1, 4 } }, { 10, 16, 7 } },
    { "AsymmetricLowerBand", Join({ Rep(8.5, 4), { 11.5 } }), { { 5, 1, 4 } }, { 10, 16, 7 } },
    { "AsymmetricJumpNotOverFourSigmaUp", { 10, 2 }, { { 2, 2, 2 } }, { 10, 16, 7 } },
    { "AsymmetricJumpOverFourSigmaUp", { 10, 1.9 }, { { 2, 2, 2 }, { 3, 1, 2 } }, { 10, 16, 7 } },
    { "JumpDownUsesSigmaUp", { 10, 8.6 }, { { 3, 1, 2 } }, { 10, 11, 4 } },
    { "JumpUpUsesSigmaUp", { 8.6, 10 }, { { 3, 1, 2 } }, { 10, 11, 4 } },
    { "ZeroWidthOnCentre", Rep(10, 12), {}, { 10, 10, 10 } },
    { "ZeroWidthAbove", { 11 }, { { 2, 1, 1 } }, { 10, 10, 10 } },
    { "ZeroWidthStepUp", { 10, 11 }, { { 2, 2, 2 }, { 3, 1, 2 } }, { 10, 10, 10 } },
    { "ZeroWidthRunsBelow", Rep(9, 4), { { 2, 1, 1 }, { 2, 2, 2 }, { 2, 3, 3 }, { 2, 4, 4 }, { 4, 1, 4 } },
        { 10, 10, 10 } },
};

// Most rows use C = 10, U = 13, L = 7, so that sigma is 1 on both sides.
const Case IsoCases[] = {
    { "EmptySeries", {}, {} },
    { "OnePointInside", { 10 }, {} },
    { "OnePointBeyondUpperLimit", { 13.01 }, { { 1, 1, 1 } } },
    { "OnePointBeyondLowerLimit", { 6.99 }, { { 1, 1, 1 } } },
    { "OnePointOnUpperLimit", { 13 }, {} },
    { "OnePointOnLowerLimit", { 7 }, {} },
    { "TwoBeyondLimits", { 10, 13.5, 10, 6.5, 10 }, { { 1, 2, 2 }, { 1, 4, 4 } } },
    { "NineInner", Join({ Rep(10, 9), { 11.5 } }), { { 2, 1, 9 }, { 2, 1, 10 } } },
    { "EightInner", Join({ Rep(10, 8), { 8.5 } }), {} },
    { "NineBelowEndedAbove", Join({ Rep(9.5, 9), { 10.5 } }), { { 2, 1, 9 }, { 2, 1, 10 } } },
    { "NineOuterAboveThenOneBelow", Join({ Rep(11.5, 9), { 8.5 } }), { { 2, 1, 9 }, { 6, 1, 9 }, { 8, 1, 10 } } },
    { "FiveRisingSteps", { 10.0, 10.1, 10.2, 10.3, 10.4, 10.5, 10.4 }, { { 3, 1, 6 } } },
    { "FourRisingSteps", { 10.0, 10.1, 10.2, 10.3, 10.4, 10.3 }, {} },
    { "RiseEndedByRepeat", { 10.0, 10.1, 10.2, 10.3, 10.4, 10.5, 10.5, 10.6 }, { { 3, 1, 6 } } },
    { "FallAtEnd", { 10.5, 10.4, 10.3, 10.2, 10.1, 10.0 }, { { 3, 1, 6 } } },
    { "FallEndedByRise", { 10.5, 10.4, 10.3, 10.2, 10.1, 10.0, 10.1 }, { { 3, 1, 6 } } },
    { "ThirteenAlternatingStepsThenFall",
        Join({ { 10.1, 9.9, 10.1, 9.9, 10.1, 9.9, 10.1, 9.9 }, { 10.1, 9.9, 10.1, 9.9, 10.1, 9.9, 9.8 } }),
        { { 4, 1, 14 }, { 2, 1, 15 }, { 7, 1, 15 } } },
    { "ThirteenAlternatingStepsAtEnd",
        Join({ { 10.1, 9.9, 10.1, 9.9, 10.1, 9.9, 10.1 }, { 9.9, 10.1, 9.9, 10.1, 9.9, 10.1, 9.9 } }),
        { { 2, 1, 14 }, { 4, 1, 14 } } },
    { "TwelveAlternatingSteps", { 10.1, 9.9, 10.1, 9.9, 10.1, 9.9, 10.1, 9.9, 10.1, 9.9, 10.1, 9.9, 10.1 },
        { { 2, 1, 13 } } },
    { "FifteenInnerOnOneSideIsNoTest7", Join({ Rep(10.1, 15), { 13.5 } }),
        { { 2, 1, 15 }, { 1, 16, 16 }, { 2, 1, 16 } } },
    { "FifteenInnerOnBothSides", Join({ Rep(10.1, 8), Rep(9.9, 7), { 13.5 } }),
        { { 2, 1, 15 }, { 7, 1, 15 }, { 1, 16, 16 } } },
    { "FourteenInnerOnBothSides", Join({ Rep(10.1, 7), Rep(9.9, 7), { 13.5 } }), { { 2, 1, 14 }, { 1, 15, 15 } } },
    { "EightOuterOnBothSides", { 11.5, 8.5, 11.5, 8.5, 11.5, 8.5, 11.5, 8.5, 10 }, { { 8, 1, 8 } } },
    { "EightOuterOnBothSidesAtEnd", { 11.5, 8.5, 11.5, 8.5, 11.5, 8.5, 11.5, 8.5 }, { { 8, 1, 8 } } },
    { "SevenOuterOnBothSides", { 11.5, 8.5, 11.5, 8.5, 11.5, 8.5, 11.5, 10 }, {} },
    { "EightOuterOnOneSide", Join({ Rep(11.5, 8), { 10 } }), { { 2, 1, 9 }, { 6, 1, 8 } } },
    { "TwoBeyondTwoSigmaAroundOneInner", { 10, 12.5, 10.5, 12.5, 10 }, { { 5, 2, 4 } } },
    { "TwoBeyondTwoSigmaBelowAroundOneInner", { 7.5, 10, 7.5, 10 }, { { 5, 1, 3 } } },
    { "TwoBeyondTwoSigmaAroundTwoInner", { 12.5, 10, 10, 12.5 }, {} },
    { "TwoBeyondTwoSigmaWithGapAtEnd", { 12.5, 10, 12.5 }, { { 5, 1, 3 } } },
    { "TwoAdjacentBeyondTwoSigmaAtEnd", { 12.5, 12.5, 10 }, { { 5, 1, 2 } } },
    { "TwoAdjacentBeyondTwoSigma", { 12.5, 12.5, 10, 10 }, { { 5, 1, 2 } } },
    { "OnTwoSigmaLineIsNotBeyond", { 12, 10, 12, 10 }, {} },
    { "FourBeyondOneSigmaAroundOneInner", { 11.5, 11.5, 10, 11.5, 11.5, 10 }, { { 6, 1, 5 } } },
    // sigma is 2 above the centre and 1 below.
    { "AsymmetricUpperZones", Join({ Rep(11.5, 4), { 9.5 } }), {}, { 10, 16, 7 } },
    { "AsymmetricUpperBeyondTwoSigma", { 14.5, 10, 14.5, 10 }, { { 5, 1, 3 } }, { 10, 16, 7 } },
    { "AsymmetricLowerBeyondTwoSigma", { 7.5, 10, 7.5, 10 }, { { 5, 1, 3 } }, { 10, 16, 7 } },
    { "AsymmetricUpperLimit", { 15.5, 10, 16.5 }, { { 1, 3, 3 }, { 5, 1, 3 } }, { 10, 16, 7 } },
    // With no zone width a point on the centre line is an outer point above.
    { "ZeroWidthThreeOnCentre", Rep(10, 3), {}, { 10, 10, 10 } },
    { "ZeroWidthFourOnCentre", Rep(10, 4), { { 6, 1, 4 } }, { 10, 10, 10 } },
    { "ZeroWidthNineOnCentre", Rep(10, 9), { { 2, 1, 9 }, { 6, 1, 9 } }, { 10, 10, 10 } },
    { "ZeroWidthBelow", Rep(9, 4), { { 1, 1, 1 }, { 1, 2, 2 }, { 1, 3, 3 }, { 1, 4, 4 }, { 5, 1, 4 }, { 6, 1, 4 } },
        { 10, 10, 10 } },
    // Centre points count as above, so they alternate sides with the points below; the test 5
    // tracker reports overlapping stretches as it goes.
    { "ZeroWidthCentreAlternatingWithBelow", { 10, 9, 10, 9, 10, 9, 10, 9 },
        { { 1, 2, 2 }, { 1, 4, 4 }, { 5, 2, 4 }, { 1, 6, 6 }, { 5, 4, 6 }, { 1, 8, 8 }, { 5, 6, 8 }, { 8, 1, 8 } },
        { 10, 10, 10 } },
};

class WestgardRules : public ::testing::TestWithParam<Case> { };
class IsoTests : public ::testing::TestWithParam<Case> { };

TEST_P(WestgardRules, FindsExactlyTheExpectedHits)
{
    const Case& c = GetParam();
    EXPECT_EQ(WestgardCheck(c.values, c.lines.centre, c.lines.upper, c.lines.lower), c.expected);
}

TEST_P(IsoTests, FindsExactlyTheExpectedHits)
{
    const Case& c = GetParam();
    EXPECT_EQ(IsoCheck(c.values, c.lines.centre, c.lines.upper, c.lines.lower), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Analizer, WestgardRules, ::testing::ValuesIn(WestgardCases), CaseName);
INSTANTIATE_TEST_SUITE_P(Analizer, IsoTests, ::testing::ValuesIn(IsoCases), CaseName);

TEST(Analizer, CriteriaListNamesEachCriterionOnceInOrderOfFirstHit)
{
    struct ListCase {
        const char* name;
        ErrorArray hits;
        const char* expected;
    };
    const ListCase cases[] = {
        { "empty", {}, "" },
        { "one", { { 5, 1, 4 } }, " 5" },
        { "repeated", { { 2, 1, 1 }, { 1, 3, 3 }, { 2, 5, 5 } }, " 2, 1" },
        { "not sorted", { { 4, 1, 2 }, { 1, 2, 2 }, { 4, 5, 6 }, { 6, 1, 10 }, { 1, 9, 9 } }, " 4, 1, 6" },
    };
    for (const ListCase& c : cases)
        EXPECT_EQ(CriteriaList(c.hits), QString::fromUtf8(c.expected)) << c.name;
}

// What a hit list must satisfy whatever the input: known criteria, points inside the series.
void ExpectWellFormed(const ErrorArray& hits, std::size_t n, int criteria, const std::string& what)
{
    for (const TCriterionHit& hit : hits) {
        ASSERT_GE(hit.Criterion, 1) << what;
        ASSERT_LE(hit.Criterion, criteria) << what;
        ASSERT_GE(hit.FirstPoint, 1) << what;
        ASSERT_LE(hit.FirstPoint, hit.LastPoint) << what;
        ASSERT_LE(static_cast<std::size_t>(hit.LastPoint), n) << what;
    }
}

TEST(Analizer, OddValuesAndLinesGiveWellFormedHits)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Series odd = { 10, nan, 12.5, inf, -inf, 12.5, nan, nan, 7.5, 1e308, -1e308, 10, 10 };
    const Lines lineSets[] = { { 10, 13, 7 }, { 10, 10, 10 }, { nan, 13, 7 }, { 10, nan, nan }, { 10, inf, -inf },
        { inf, inf, inf }, { 10, 7, 13 }, { 1e308, 1.7e308, -1.7e308 } };
    for (const Lines& l : lineSets) {
        const std::string what
            = std::to_string(l.centre) + " " + std::to_string(l.upper) + " " + std::to_string(l.lower);
        ExpectWellFormed(WestgardCheck(odd, l.centre, l.upper, l.lower), odd.size(), 6, what);
        ExpectWellFormed(IsoCheck(odd, l.centre, l.upper, l.lower), odd.size(), 8, what);
    }
    // A NaN point falls in no Westgard case and makes no jump.
    EXPECT_EQ(WestgardCheck(Series { nan }, 10, 13, 7), ErrorArray {});
    EXPECT_EQ(WestgardCheck(Series { 10, nan, 10 }, 10, 13, 7), ErrorArray {});
}

// Random series with planted patterns, checked against what the single-point and step criteria
// mean independently of the run counters.
TEST(Analizer, PointAndStepCriteriaAgreeWithTheirMeaning)
{
    std::mt19937_64 random(20261208);
    std::normal_distribution<double> normal(10.0, 1.0);
    const Lines lineSets[] = { { 10, 13, 7 }, { 10, 14.5, 8 }, { 10, 12, 4 } };
    for (const Lines& l : lineSets) {
        Series values(20000);
        for (double& v : values)
            v = normal(random);
        for (std::size_t i = 500; i + 20 < values.size(); i += 997) {
            for (std::size_t k = 0; k < 8; ++k)
                values[i + k] = 9 + 0.2 * static_cast<double>(k); // a rise
            for (std::size_t k = 8; k < 22; ++k)
                values[i + k] = k % 2 ? 10.5 : 9.5; // alternation
        }
        const std::size_t n = values.size();
        const double sigmaU = (l.upper - l.centre) / 3;
        const double sigmaL = (l.centre - l.lower) / 3;

        const ErrorArray westgard = WestgardCheck(values, l.centre, l.upper, l.lower);
        const ErrorArray iso = IsoCheck(values, l.centre, l.upper, l.lower);
        ExpectWellFormed(westgard, n, 6, "westgard");
        ExpectWellFormed(iso, n, 8, "iso");

        ErrorArray expectedWestgardPoints, gotWestgardPoints, expectedJumps, gotJumps;
        ErrorArray expectedLimits, gotLimits, expectedMonotone, gotMonotone, expectedAlternating, gotAlternating;
        for (std::size_t i = 0; i < n; ++i) {
            const int32_t j = static_cast<int32_t>(i + 1);
            const double x = values[i];
            if (x > l.upper || x < l.lower)
                expectedWestgardPoints.push_back({ 2, j, j });
            else if (x > l.centre + 2 * sigmaU || x < l.centre - 2 * sigmaL)
                expectedWestgardPoints.push_back({ 1, j, j });
            if (i > 0 && std::fabs(x - values[i - 1]) > 4 * sigmaU)
                expectedJumps.push_back({ 3, j - 1, j });
            if (x > l.upper || x < l.lower)
                expectedLimits.push_back({ 1, j, j });
        }
        // Maximal runs of strictly monotone steps and of alternating steps.
        auto direction = [&](std::size_t i) {
            return values[i] > values[i - 1] ? 1 : values[i] < values[i - 1] ? -1 : 0;
        };
        std::size_t start = 1;
        for (std::size_t i = 1; i <= n; ++i) {
            if (i == n || direction(i) == 0 || direction(i) != direction(start)) {
                if (i - start >= 5 && direction(start) != 0)
                    expectedMonotone.push_back({ 3, static_cast<int32_t>(start), static_cast<int32_t>(i) });
                start = i;
            }
        }
        start = 1;
        for (std::size_t i = 1; i <= n; ++i) {
            if (i == n || direction(i) == 0 || (i > start && direction(i) != -direction(i - 1))) {
                if (i - start >= 13 && direction(start) != 0)
                    expectedAlternating.push_back({ 4, static_cast<int32_t>(start), static_cast<int32_t>(i) });
                start = i;
            }
        }
        for (const TCriterionHit& hit : westgard) {
            if (hit.Criterion <= 2)
                gotWestgardPoints.push_back(hit);
            if (hit.Criterion == 3)
                gotJumps.push_back(hit);
        }
        for (const TCriterionHit& hit : iso) {
            if (hit.Criterion == 1)
                gotLimits.push_back(hit);
            if (hit.Criterion == 3)
                gotMonotone.push_back(hit);
            if (hit.Criterion == 4)
                gotAlternating.push_back(hit);
        }
        auto byPoints = [](ErrorArray hits) {
            std::stable_sort(hits.begin(), hits.end(),
                [](const TCriterionHit& a, const TCriterionHit& b) { return a.LastPoint < b.LastPoint; });
            return hits;
        };
        EXPECT_EQ(gotWestgardPoints, expectedWestgardPoints);
        EXPECT_EQ(gotJumps, expectedJumps);
        EXPECT_EQ(gotLimits, expectedLimits);
        EXPECT_FALSE(expectedMonotone.empty());
        EXPECT_EQ(byPoints(gotMonotone), expectedMonotone);
        EXPECT_FALSE(expectedAlternating.empty());
        EXPECT_EQ(byPoints(gotAlternating), expectedAlternating);
    }
}

TEST(Analizer, MillionPointSeriesIsAnalysed)
{
    Series values(1000000);
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = 10 + ((i * 7919) % 13) * 0.5 - 3; // 7 to 13 in steps of 0.5
    const ErrorArray westgard = WestgardCheck(values, 10, 13, 7);
    const ErrorArray iso = IsoCheck(values, 10, 13, 7);
    ExpectWellFormed(westgard, values.size(), 6, "westgard");
    ExpectWellFormed(iso, values.size(), 8, "iso");
    EXPECT_FALSE(westgard.empty());
    EXPECT_FALSE(iso.empty());
}

} // namespace
