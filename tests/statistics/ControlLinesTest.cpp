#include "common/StatisticsTestSupport.h"

#include "compute/ComputeDriver.h"
#include "statistics/ControlLines.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <optional>

namespace {

struct Expect {
    int slot;
    double lower;
    double centre;
    double upper;
};

// A record with the given group means and no point data, as the lines need no more.
TIndividualInfo MeansOnly(bool individual, int k, double grandMean, double meanDeviation, double meanRange)
{
    TIndividualInfo g(individual);
    g.ElementCount = individual ? 1 : k;
    g.GrandMean = grandMean;
    g.MeanDeviation = meanDeviation;
    g.MeanRange = meanRange;
    return g;
}

TIndividualInfo Computed(
    int k, const std::vector<QStringList>& points, const std::function<void(TIndividualInfo&)>& settings = {})
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, k, { points });
    if (settings)
        EditGroup(doc, 0, settings);
    EXPECT_TRUE(RunComputeCommand(doc));
    return doc.Groups()[0];
}

void ExpectLines(const TIndividualInfo& g, const std::vector<Expect>& expected)
{
    for (const Expect& e : expected) {
        const TControlLines& l = g.Lines[size_t(e.slot)];
        EXPECT_TRUE(Near(l.Lower, e.lower, 1e-12)) << "slot " << e.slot << " lower " << l.Lower;
        EXPECT_TRUE(Near(l.Centre, e.centre, 1e-12)) << "slot " << e.slot << " centre " << l.Centre;
        EXPECT_TRUE(Near(l.Upper, e.upper, 1e-12)) << "slot " << e.slot << " upper " << l.Upper;
    }
}

} // namespace

TEST(ControlLines, IndividualValues)
{
    struct Case {
        const char* name;
        std::function<void(TIndividualInfo&)> settings;
        std::vector<Expect> lines;
        double sigmaValue;
        double rangeCentreValue;
    };
    const double w = 3.0 / 1.128 * 1.5; // slot-0 half width from the mean moving range
    const Case cases[] = {
        { "automatic", {}, { { 0, 11 - w, 11, 11 + w }, { 2, 0, 1.5, 3.267 * 1.5 } }, 1.5, 1.5 },
        { "sigma fixed at 1",
            [](TIndividualInfo& g) {
                g.SigmaSetting = { true, 1 };
            },
            { { 0, 8, 11, 14 }, { 2, 0, 1.128, 3.686 } }, 1, 1.128 },
        { "centre fixed at 20",
            [](TIndividualInfo& g) {
                g.CentreSetting = { true, 20 };
            },
            { { 0, 20 - w, 20, 20 + w }, { 2, 0, 1.5, 3.267 * 1.5 } }, 1.5, 1.5 },
        // The slot-0 limits keep using the computed mean moving range.
        { "moving-range centre fixed at 2",
            [](TIndividualInfo& g) {
                g.RangeCentreSetting = { true, 2 };
            },
            { { 0, 11 - w, 11, 11 + w }, { 2, 0, 2, 3.267 * 2 } }, 1.5, 2 },
        { "sigma and moving-range centre fixed",
            [](TIndividualInfo& g) {
                g.SigmaSetting = { true, 2 };
                g.RangeCentreSetting = { true, 5 };
            },
            { { 0, 5, 11, 17 }, { 2, 0, 5, 3.686 * 2 } }, 2, 5 },
        { "wide sigma clamps the lower limit",
            [](TIndividualInfo& g) {
                g.SigmaSetting = { true, 4 };
            },
            { { 0, 0, 11, 23 }, { 2, 0, 1.128 * 4, 3.686 * 4 } }, 4, 1.128 * 4 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TIndividualInfo g = Computed(0, Values({ 10, 12, 11 }), c.settings);
        ExpectLines(g, c.lines);
        EXPECT_TRUE(Near(g.SigmaSetting.Value, c.sigmaValue, 1e-12));
        EXPECT_TRUE(Near(g.RangeCentreSetting.Value, c.rangeCentreValue, 1e-12));
        EXPECT_EQ(g.CentreSetting.Value, g.Lines[0].Centre);
    }
}

TEST(ControlLines, IndividualLowerLimitClampedAtZero)
{
    // Mean 1 and mean moving range 1: 1 - 2.66 would be negative.
    const TIndividualInfo g = Computed(0, Values({ 0.5, 1.5, 0.5, 1.5 }));
    EXPECT_EQ(g.Lines[0].Lower, 0);
    EXPECT_TRUE(Near(g.Lines[0].Upper, 1 + 3 / 1.128, 1e-12));
}

TEST(ControlLines, SubgroupsFromGroupMeans)
{
    struct Case {
        const char* name;
        std::function<void(TIndividualInfo&)> settings;
        std::vector<Expect> lines;
        double sigmaValue;
        double deviationCentreValue;
        double rangeCentreValue;
    };
    // k = 5, grand mean 50, s-bar 2, R-bar 4.7; no point data, so the median and relative rows average to 0.
    const Case cases[] = {
        { "automatic, sample deviation basis", {},
            { { 0, 50 - 1.427 * 2, 50, 50 + 1.427 * 2 }, { 2, 0, 2, 2.089 * 2 }, { 4, 0, 4.7, 2.114 * 4.7 } }, 2, 2,
            4.7 },
        { "automatic, range basis", [](TIndividualInfo& g) { g.UseSampleDeviation = false; },
            { { 0, 50 - 0.577 * 4.7, 50, 50 + 0.577 * 4.7 }, { 2, 0, 2, 2.089 * 2 }, { 4, 0, 4.7, 2.114 * 4.7 } }, 4.7,
            2, 4.7 },
        // The automatic centre settings of slots 2 and 4 keep their last value while sigma is fixed.
        { "sigma fixed at 2",
            [](TIndividualInfo& g) {
                g.SigmaSetting = { true, 2 };
                g.DeviationCentreSetting.Value = 7;
                g.RangeCentreSetting.Value = 8;
            },
            { { 0, 50 - 1.342 * 2, 50, 50 + 1.342 * 2 }, { 2, 0, 0.94 * 2, 1.964 * 2 },
                { 3, 0, 0, 100 * 1.964 * 2 / 50 }, { 4, 0, 2.326 * 2, 4.918 * 2 }, { 5, 0, 0, 100 * 4.918 * 2 / 50 } },
            2, 7, 8 },
        { "fixed centres with sigma automatic",
            [](TIndividualInfo& g) {
                g.DeviationCentreSetting = { true, 3 };
                g.RangeCentreSetting = { true, 6 };
                g.RelDeviationCentreSetting = { true, 4 };
                g.RelRangeCentreSetting = { true, 9 };
            },
            { { 0, 50 - 1.427 * 2, 50, 50 + 1.427 * 2 }, { 2, 0, 3, 2.089 * 3 }, { 3, 0, 4, 2.089 * 4 },
                { 4, 0, 6, 2.114 * 6 }, { 5, 0, 9, 2.114 * 9 } },
            2, 3, 6 },
        { "fixed centre and deviation centre with sigma fixed",
            [](TIndividualInfo& g) {
                g.SigmaSetting = { true, 1 };
                g.CentreSetting = { true, 40 };
                g.DeviationCentreSetting = { true, 3 };
            },
            { { 0, 40 - 1.342, 40, 40 + 1.342 }, { 2, 0, 3, 1.964 }, { 3, 0, 0, 100 * 1.964 / 40 } }, 1, 3, 0 },
        // A zero centre line has no per-cent scale: the relative charts take limits from their own centres.
        { "sigma fixed with a zero centre line",
            [](TIndividualInfo& g) {
                g.SigmaSetting = { true, 2 };
                g.CentreSetting = { true, 0 };
                g.RelDeviationCentreSetting = { true, 4 };
                g.RelRangeCentreSetting = { true, 9 };
            },
            { { 0, 0, 0, 1.342 * 2 }, { 3, 0, 4, 2.089 * 4 }, { 5, 0, 9, 2.114 * 9 } }, 2, 0, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TIndividualInfo g = MeansOnly(false, 5, 50, 2, 4.7);
        if (c.settings)
            c.settings(g);
        ComputeLines(g, 0);
        ExpectLines(g, c.lines);
        EXPECT_TRUE(Near(g.SigmaSetting.Value, c.sigmaValue, 1e-12)) << g.SigmaSetting.Value;
        EXPECT_TRUE(Near(g.DeviationCentreSetting.Value, c.deviationCentreValue, 1e-12))
            << g.DeviationCentreSetting.Value;
        EXPECT_TRUE(Near(g.RangeCentreSetting.Value, c.rangeCentreValue, 1e-12)) << g.RangeCentreSetting.Value;
        for (const TControlLines& l : g.Lines)
            EXPECT_TRUE(std::isfinite(l.Lower) && std::isfinite(l.Centre) && std::isfinite(l.Upper));
    }
}

TEST(ControlLines, SubgroupsFromData)
{
    // k = 7 has non-zero lower factors; the medians and relative rows come from the data.
    const auto points
        = Points({ { "10", "11", "12", "13", "14", "15", "16" }, { "20", "22", "21", "23", "26", "24", "25" } });
    const TIndividualInfo g = Computed(7, points);
    const double sBar = (std::sqrt(28.0 / 6) + std::sqrt(28.0 / 6)) / 2;
    const double rBar = 6;
    const double relDev = (std::sqrt(28.0 / 6) * 100 / 13 + std::sqrt(28.0 / 6) * 100 / 23) / 2;
    const double relRange = (600.0 / 13 + 600.0 / 23) / 2;
    ExpectLines(g,
        { { 0, 18 - 1.182 * sBar, 18, 18 + 1.182 * sBar }, { 1, 18 - 0.51 * rBar, 18, 18 + 0.51 * rBar },
            { 2, 0.118 * sBar, sBar, 1.882 * sBar }, { 3, 0.118 * relDev, relDev, 1.882 * relDev },
            { 4, 0.076 * rBar, rBar, 1.924 * rBar }, { 5, 0.076 * relRange, relRange, 1.924 * relRange } });
    EXPECT_TRUE(Near(g.MedianCentreSetting.Value, 18, 1e-12));
    EXPECT_TRUE(Near(g.RelDeviationCentreSetting.Value, relDev, 1e-12));
    EXPECT_TRUE(Near(g.RelRangeCentreSetting.Value, relRange, 1e-12));
}

TEST(ControlLines, MedianLimitsUseTheComputedRangeAndClampAtZero)
{
    TIndividualInfo g = Computed(3, Points({ { "1", "5", "2" }, { "2", "9", "3" } }));
    // Medians 2 and 3, R-bar 5.5: 2.5 - 1.19 * 5.5 is negative.
    ExpectLines(g, { { 1, 0, 2.5, 2.5 + 1.19 * 5.5 } });
    g.RangeCentreSetting = { true, 1 };
    ComputeLines(g, 0);
    ExpectLines(g, { { 1, 0, 2.5, 2.5 + 1.19 * 5.5 } });
}

TEST(ControlLines, ExtremeTypedValuesStayFinite)
{
    // Overflowing limits saturate at the largest double.
    for (const double centre : { 1e308, 1e-5, 1e-300 }) {
        TIndividualInfo g = MeansOnly(false, 5, 50, 2, 4.7);
        g.SigmaSetting = { true, 1e308 };
        g.CentreSetting = { true, centre };
        ComputeLines(g, 0);
        for (const TControlLines& l : g.Lines)
            EXPECT_TRUE(std::isfinite(l.Lower) && std::isfinite(l.Centre) && std::isfinite(l.Upper));
        if (centre == 1e308) {
            EXPECT_EQ(g.Lines[SlotCentre].Upper, std::numeric_limits<double>::max());
        } else if (centre == 1e-5) {
            EXPECT_EQ(g.Lines[SlotRelRanges].Upper, std::numeric_limits<double>::max());
        }
    }
}

TEST(ControlLines, HitsCarryDocumentPointNumbers)
{
    // The outlier is point 5 of the second group, point 15 of the document. On the moving-range
    // chart entry j stands for points j and j + 1, so its two large ranges are entries 14 and 15.
    std::vector<QStringList> second;
    for (int i = 0; i < 20; ++i)
        second.push_back({ i == 4 ? QStringLiteral("50") : QString::number(10 + i % 2) });
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, 0, { Values({ 10, 11, 10, 11, 10, 11, 10, 11, 10, 11 }), second });
    ASSERT_TRUE(RunComputeCommand(doc));
    const TSlotHits& values = doc.Groups()[1].Hits[SlotCentre];
    const TSlotHits& ranges = doc.Groups()[1].Hits[SlotDeviation];
    const auto has = [](const ErrorArray& hits, TCriterionHit hit) {
        return std::find(hits.begin(), hits.end(), hit) != hits.end();
    };
    EXPECT_TRUE(has(values.Westgard, { 2, 15, 15 }));
    EXPECT_TRUE(has(values.Iso, { 1, 15, 15 }));
    EXPECT_TRUE(has(ranges.Westgard, { 2, 14, 14 }));
    EXPECT_TRUE(has(ranges.Westgard, { 2, 15, 15 }));
    for (const ErrorArray* hits : { &values.Westgard, &values.Iso, &ranges.Westgard, &ranges.Iso }) {
        for (const TCriterionHit& hit : *hits) {
            EXPECT_GE(hit.FirstPoint, 11);
            EXPECT_LE(hit.LastPoint, 30);
        }
    }
}

// The struct form leaves the record alone and gives exactly what the storing form writes, for
// either kind, automatic or fixed, and for slots and settings the mode does not use.
TEST(ControlLines, ReturnedLinesAreWhatTheRecordGets)
{
    for (const bool individual : { true, false }) {
        for (const bool sigmaFixed : { false, true }) {
            SCOPED_TRACE(testing::Message() << individual << sigmaFixed);
            TIndividualInfo g = MeansOnly(individual, 5, 20.5, 1.25, 2.75);
            g.SigmaSetting = { sigmaFixed, 0.875 };
            g.MedianCentreSetting = { true, 19.0 };
            g.Lines[SlotRanges] = { -1.0, 1.0, 0.5 }; // kept where the mode has no range chart
            const TIndividualInfo before = g;
            const GroupControlLines lines = ControlLinesOf(g);
            EXPECT_EQ(g.SigmaSetting, before.SigmaSetting);
            EXPECT_EQ(g.Lines[SlotCentre].Upper, before.Lines[SlotCentre].Upper);
            ComputeControlLines(g);
            for (int slot = 0; slot < ChartSlotCount; ++slot) {
                EXPECT_EQ(std::bit_cast<uint64_t>(lines.Lines[size_t(slot)].Lower),
                    std::bit_cast<uint64_t>(g.Lines[size_t(slot)].Lower));
                EXPECT_EQ(std::bit_cast<uint64_t>(lines.Lines[size_t(slot)].Upper),
                    std::bit_cast<uint64_t>(g.Lines[size_t(slot)].Upper));
                EXPECT_EQ(std::bit_cast<uint64_t>(lines.Lines[size_t(slot)].Centre),
                    std::bit_cast<uint64_t>(g.Lines[size_t(slot)].Centre));
            }
            EXPECT_EQ(lines.CentreSetting, g.CentreSetting);
            EXPECT_EQ(lines.SigmaSetting, g.SigmaSetting);
            EXPECT_EQ(lines.DeviationCentreSetting, g.DeviationCentreSetting);
            EXPECT_EQ(lines.RelDeviationCentreSetting, g.RelDeviationCentreSetting);
            EXPECT_EQ(lines.MedianCentreSetting, g.MedianCentreSetting);
            EXPECT_EQ(lines.RangeCentreSetting, g.RangeCentreSetting);
            EXPECT_EQ(lines.RelRangeCentreSetting, g.RelRangeCentreSetting);
            if (individual) {
                EXPECT_EQ(g.Lines[SlotRanges].Centre, 0.5);
            }
        }
    }
}
