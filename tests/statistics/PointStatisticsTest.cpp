#include "common/StatisticsTestSupport.h"

#include "compute/ComputeDriver.h"

#include <bit>
#include <cmath>
#include <limits>

namespace {

struct StatsCase {
    const char* name;
    int k; // 0: individual values
    std::vector<QStringList> points;
    bool ok;
    double grandMean;
    double meanDeviation;
    double meanRange;
};

} // namespace

TEST(PointStatistics, GroupMeansAndFailureRules)
{
    const StatsCase cases[] = {
        { "individual 10 12 11", 0, Values({ 10, 12, 11 }), true, 11, 1.5, 0 },
        { "individual negative mean", 0, Values({ -4, -2 }), true, -3, 2, 0 },
        { "individual zero mean is fine", 0, Values({ -1, 1 }), true, 0, 2, 0 },
        { "comma and blanks", 0, Points({ { "1,5" }, { " 1.5 " }, { "\t2.5" } }), true, 11.0 / 6, 0.5, 0 },
        { "point forms", 0, Points({ { "5." }, { ".5" }, { "-1e1" } }), true, -1.5, 7.5, 0 },
        { "trailing garbage", 0, Points({ { "1.5a" }, { "2" } }), false, 0, 0, 0 },
        { "empty cell", 0, Points({ { "1" }, { "" }, { "2" } }), false, 0, 0, 0 },
        { "two separators in a number", 0, Points({ { "1,5,2" }, { "2" } }), false, 0, 0, 0 },
        { "single point", 0, Values({ 7 }), false, 0, 0, 0 },
        { "overflowing moving range", 0, Values({ 1e308, -1e308 }), false, 0, 0, 0 },
        { "subgroups k3", 3, Points({ { "3", "1", "2" }, { "6", "5", "4" } }), true, 3.5, 1, 2 },
        { "negative grand mean", 2, Points({ { "-1", "-2" }, { "-3", "-4" } }), true, -2.5, std::sqrt(0.5), 1 },
        { "grand mean zero", 2, Points({ { "-1", "-2" }, { "1", "2" } }), false, 0, std::sqrt(0.5), 1 },
        { "grand mean just below 1e-6", 2, Points({ { "-1", "1.0000009" }, { "-1", "1.0000009" } }), false, 4.5e-7,
            1.414214199, 2.0000009 },
        { "grand mean just above 1e-6", 2, Points({ { "-1", "1.000003" }, { "-1", "1.000003" } }), true, 1.5e-6,
            1.414215684, 2.000003 },
        { "subgroup mean zero", 2, Points({ { "-1", "1" }, { "2", "3" } }), false, 1.25, 1.06066017177982, 1.5 },
        { "subgroup cell not a number", 3, Points({ { "1", "2", "x" }, { "1", "2", "3" } }), false, 0, 0, 0 },
        { "one subgroup", 3, Points({ { "1", "2", "3" } }), false, 0, 0, 0 },
    };
    for (const StatsCase& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        BuildDocument(doc, c.k, { c.points });
        EXPECT_EQ(RunComputeCommand(doc), c.ok);
        EXPECT_EQ(doc.IsComputed(), c.ok);
        const TIndividualInfo& g = doc.Groups()[0];
        EXPECT_TRUE(Near(g.GrandMean, c.grandMean, 1e-9)) << g.GrandMean;
        EXPECT_TRUE(Near(g.MeanDeviation, c.meanDeviation, 1e-9)) << g.MeanDeviation;
        EXPECT_TRUE(Near(g.MeanRange, c.meanRange, 1e-9)) << g.MeanRange;
        for (const TDArray& row : g.Data) {
            for (double v : row)
                ASSERT_TRUE(std::isfinite(v));
        }
        EXPECT_EQ(messenger.messages.size(), c.ok ? 0 : 1);
    }
}

TEST(PointStatistics, SubgroupRowsPerPoint)
{
    struct Case {
        const char* name;
        QStringList subgroup;
        std::array<double, 6> row; // mean, median, s, s %, range, range %
    };
    const Case cases[] = {
        { "3 1 2", { "3", "1", "2" }, { 2, 2, 1, 50, 2, 100 } },
        { "4 1 3 2", { "4", "1", "3", "2" }, { 2.5, 2.5, std::sqrt(5.0 / 3), std::sqrt(5.0 / 3) * 40, 3, 120 } },
        { "eleven values", { "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11" },
            { 6, 0, std::sqrt(11.0), std::sqrt(11.0) * 100 / 6, 10, 1000.0 / 6 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int k = int(c.subgroup.size());
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        BuildDocument(doc, k, { { c.subgroup, c.subgroup } });
        ASSERT_TRUE(RunComputeCommand(doc));
        const TIndividualInfo& g = doc.Groups()[0];
        ASSERT_EQ(g.Data.size(), size_t(k + 6));
        for (int r = 0; r < 6; ++r) {
            for (int i = 0; i < 2; ++i)
                EXPECT_TRUE(Near(g.Data[size_t(k + r)][size_t(i)], c.row[size_t(r)], 1e-12)) << "row " << k + r;
        }
    }
}

TEST(PointStatistics, ResultCellsOfIndividualValues)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, 0, { Values({ 10, 12, 11 }), Points({ { "1,25" }, { "1.5" } }) });
    ASSERT_TRUE(RunComputeCommand(doc));
    // Two decimals from "1,25"; the user's decimal separator is ",".
    EXPECT_EQ(doc.DisplayPrecision(), 2);
    EXPECT_EQ(doc.ResultText(1, 0), QString());
    EXPECT_EQ(doc.ResultText(2, 0), QStringLiteral("2,00"));
    EXPECT_EQ(doc.ResultText(3, 0), QStringLiteral("1,00"));
    EXPECT_EQ(doc.ValueText(4, 0), QStringLiteral("Середнє по групі: 11,00"));
    EXPECT_EQ(doc.ResultText(5, 0), QString());
    EXPECT_EQ(doc.ResultText(6, 0), QStringLiteral("0,25"));
    EXPECT_EQ(doc.ValueText(7, 0), QStringLiteral("Середнє по групі: 1,38"));
}

TEST(PointStatistics, ResultCellsOfSubgroups)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, 3, { Points({ { "3", "1", "2" }, { "6", "5", "4" } }) });
    ASSERT_TRUE(RunComputeCommand(doc));
    EXPECT_EQ(doc.DisplayPrecision(), 1);
    const QStringList first { "2,0", "2,0", "1,0", "50,0", "2,0", "100,0" };
    const QStringList second { "5,0", "5,0", "1,0", "20,0", "2,0", "40,0" };
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(doc.ResultText(1, c), first[c]) << c;
        EXPECT_EQ(doc.ResultText(2, c), second[c]) << c;
    }
    // Overall deviation sqrt((3 * 1 + 3 * 1) / (2 * 3 - 1)) = 1.0954; relative 31.298 %.
    EXPECT_EQ(doc.LabelText(3), QStringLiteral("Загалом по групі"));
    EXPECT_EQ(doc.ResultText(3, 0), QStringLiteral("3,5"));
    EXPECT_EQ(doc.ResultText(3, 2), QStringLiteral("1,1"));
    EXPECT_EQ(doc.ResultText(3, 3), QStringLiteral("31,3"));
    EXPECT_TRUE(FuzzyCompare(OverallDeviation(doc.Groups()[0]), std::sqrt(6.0 / 5), 1e-14));
}

TEST(PointStatistics, StatisticsOfAFailedReadAreZero)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, 0, { Values({ 10, 12, 11 }) });
    ASSERT_TRUE(RunComputeCommand(doc));
    doc.EditValueText(2, 0, QStringLiteral("abc"));
    EXPECT_FALSE(RunComputeCommand(doc));
    EXPECT_EQ(doc.Groups()[0].GrandMean, 0);
    EXPECT_EQ(doc.Groups()[0].MeanDeviation, 0);
    EXPECT_EQ(messenger.messages, QStringList { QStringLiteral("Некоректні дані! Неможливо провести обчислення") });
}

// The counting rule on the record itself, and a record whose points are all left out stays finite.
TEST(PointStatistics, CountedPointsOfARecord)
{
    struct Case {
        const char* name;
        bool individual;
        std::vector<bool> excluded;
        int counted;
        bool enough;
    };
    const Case cases[] = {
        { "none excluded", true, {}, 4, true },
        { "flags all clear", true, { false, false, false, false }, 4, true },
        { "alternate, no moving range between counted points", true, { false, true, false, true }, 2, false },
        { "alternate subgroups", false, { false, true, false, true }, 2, true },
        { "last two counted", true, { true, true, false, false }, 2, true },
        { "one counted", false, { true, true, true, false }, 1, false },
        { "all excluded", true, { true, true, true, true }, 0, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        BuildDocument(doc, c.individual ? 0 : 2,
            { c.individual ? Values({ 1, 2, 4, 8 })
                           : Points({ { "1", "2" }, { "2", "3" }, { "4", "6" }, { "8", "9" } }) });
        ASSERT_TRUE(RunComputeCommand(doc));
        TIndividualInfo g = doc.Groups()[0];
        g.Excluded = c.excluded;
        EXPECT_EQ(g.CountedPointCount(), c.counted);
        EXPECT_EQ(g.ExcludedPointCount(), 4 - c.counted);
        EXPECT_EQ(EnoughCountedPoints(g), c.enough);
        EXPECT_EQ(ComputePointStatistics(g), c.counted > 0);
        EXPECT_TRUE(std::isfinite(g.GrandMean) && std::isfinite(g.MeanDeviation) && std::isfinite(g.MeanRange));
        if (c.counted == 0) {
            EXPECT_EQ(g.GrandMean, 0);
            EXPECT_EQ(g.RowMean(c.individual ? 0 : 3), 0);
        }
    }
}

// The struct form reads the record only, and storing it gives the very record the compute keeps,
// overflowing groups (their non-finite entries zeroed) included.
TEST(PointStatistics, StructFormLeavesTheRecordAndStoresWhatTheComputeKeeps)
{
    const std::vector<std::pair<int, std::vector<QStringList>>> cases = {
        { 0, Values({ 10, 12, 11, 15 }) },
        { 3, Points({ { "1", "2", "4" }, { "2", "3", "3" }, { "4", "6", "5" } }) },
        { 2, Points({ { "1e308", "1.7e308" }, { "1", "2" } }) },
    };
    for (const auto& [k, points] : cases) {
        SCOPED_TRACE(k);
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        BuildDocument(doc, k, { points });
        RunComputeCommand(doc);
        const TIndividualInfo computed = doc.Groups()[0];
        TIndividualInfo values = computed;
        const size_t valueRows = k == 0 ? 1 : size_t(k);
        for (size_t r = valueRows; r < values.Data.size(); ++r)
            values.Data[r].clear();
        const TIndividualInfo before = values;
        const PointStatistics statistics = PointStatisticsOf(values);
        EXPECT_EQ(values.Data, before.Data);
        StorePointStatistics(values, statistics);
        ASSERT_EQ(values.Data.size(), computed.Data.size());
        for (size_t r = 0; r < values.Data.size(); ++r) {
            ASSERT_EQ(values.Data[r].size(), computed.Data[r].size()) << r;
            for (size_t i = 0; i < values.Data[r].size(); ++i)
                EXPECT_EQ(std::bit_cast<uint64_t>(values.Data[r][i]), std::bit_cast<uint64_t>(computed.Data[r][i]));
        }
        EXPECT_EQ(std::bit_cast<uint64_t>(values.GrandMean), std::bit_cast<uint64_t>(computed.GrandMean));
        EXPECT_EQ(std::bit_cast<uint64_t>(values.MeanDeviation), std::bit_cast<uint64_t>(computed.MeanDeviation));
        EXPECT_EQ(std::bit_cast<uint64_t>(values.MeanRange), std::bit_cast<uint64_t>(computed.MeanRange));
    }
}
