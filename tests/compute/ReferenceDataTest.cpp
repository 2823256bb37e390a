#include "common/StatisticsTestSupport.h"

#include "compute/ComputeDriver.h"

#include <cmath>

// Every reference data set computes, with finite lines in the expected order. The skewed
// sets (syn06, syn09) have negative unclamped lower limits, so their value or mean chart starts at 0.
TEST(ReferenceData, EverySetComputes)
{
    struct Case {
        const char* file;
        int k;
        bool clampedAtZero;
    };
    const Case cases[] = {
        { "qcc_viscosity.csv", 0, false },
        { "qcc_antifreeze.csv", 0, false },
        { "syn01_ind_n10.csv", 0, false },
        { "syn04_ind_n100_integer.csv", 0, false },
        { "syn05_ind_n200_shift.csv", 0, false },
        { "syn06_ind_n37_lognormal.csv", 0, true },
        { "syn08_ind_n150_patterns.csv", 0, false },
        { "syn09_sub_k2_m30_lognormal.csv", 2, true },
        { "syn12_sub_k5_m40_integer.csv", 5, false },
        { "syn13_sub_k6_m15.csv", 6, false },
        { "syn16_sub_k10_m24_spread.csv", 10, false },
        { "syn17_sub_k12_m18.csv", 12, false },
        { "syn20_sub_k25_m50_outliers.csv", 25, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::vector<QStringList> rows = ReadReferenceCsv(QString::fromLatin1(c.file));
        ASSERT_FALSE(rows.empty());
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        BuildDocument(doc, c.k, { rows });
        ASSERT_TRUE(RunComputeCommand(doc));
        const TIndividualInfo& g = doc.Groups()[0];
        for (int slot = 0; slot < ChartSlotCount; ++slot) {
            if (c.k == 0 && slot != SlotCentre && slot != SlotDeviation)
                continue;
            const TControlLines& l = g.Lines[size_t(slot)];
            EXPECT_TRUE(std::isfinite(l.Lower) && std::isfinite(l.Centre) && std::isfinite(l.Upper)) << slot;
            EXPECT_LE(l.Lower, l.Centre) << slot;
            EXPECT_LE(l.Centre, l.Upper) << slot;
        }
        EXPECT_EQ(g.Lines[SlotCentre].Lower == 0, c.clampedAtZero);
        if (c.k > 10) {
            for (double median : g.Series(SlotMedians))
                EXPECT_EQ(median, 0);
        }
    }
}
