// Points kept out of the limits: they stay in the series and are judged, but no mean the lines come
// from takes them.
#include "common/StatisticsTestSupport.h"

#include "compute/ComputeDriver.h"
#include "criteria/CriteriaEngine.h"
#include "model/Numbers.h"
#include "statistics/ControlLines.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <set>

namespace {

const QString invalidData = QStringLiteral("Некоректні дані! Неможливо провести обчислення");

PointNote Exclusion(const char* reason = "збій дозатора")
{
    PointNote note;
    note.ExcludeReason = QString::fromUtf8(reason);
    return note;
}

// Excludes the points of group 0 given by their index in the group (the group's first row is 1).
void ExcludeInFirstGroup(MeasurementDocument& doc, const std::set<int>& points)
{
    for (int i : points)
        doc.SetPointNote(1 + i, Exclusion());
}

// Everything the compute gives a group, bit for bit.
void ExpectSameResults(const TIndividualInfo& a, const TIndividualInfo& b)
{
    EXPECT_TRUE(SameBits(a.GrandMean, b.GrandMean));
    EXPECT_TRUE(SameBits(a.MeanDeviation, b.MeanDeviation));
    EXPECT_TRUE(SameBits(a.MeanRange, b.MeanRange));
    EXPECT_EQ(a.Data, b.Data);
    ExpectSameLinesAndHits(a, b);
    for (auto setting :
        { &TIndividualInfo::CentreSetting, &TIndividualInfo::SigmaSetting, &TIndividualInfo::DeviationCentreSetting,
            &TIndividualInfo::RelDeviationCentreSetting, &TIndividualInfo::MedianCentreSetting,
            &TIndividualInfo::RangeCentreSetting, &TIndividualInfo::RelRangeCentreSetting })
        EXPECT_TRUE(SameBits((a.*setting).Value, (b.*setting).Value));
    EXPECT_TRUE(SameBits(OverallDeviation(a), OverallDeviation(b)));
}

} // namespace

TEST(ExcludedPoints, TheRecordTakesTheExclusionsOfItsOwnPoints)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, 0, { Values({ 1, 2, 3, 4 }), Values({ 5, 6, 7 }), Values({ 8, 9 }) });
    // Rows: 1-4 group 0, 5 separator, 6-8 group 1, 9 separator, 10-11 group 2.
    doc.SetPointNote(2, Exclusion());
    doc.SetPointNote(8, Exclusion());
    PointNote noteOnly;
    noteOnly.Note = QStringLiteral("перевірено");
    doc.SetPointNote(10, noteOnly);
    ASSERT_TRUE(RunComputeCommand(doc));
    EXPECT_EQ(doc.Groups()[0].Excluded, (std::vector<bool> { false, true, false, false }));
    EXPECT_EQ(doc.Groups()[1].Excluded, (std::vector<bool> { false, false, true }));
    EXPECT_TRUE(doc.Groups()[2].Excluded.empty()); // a note alone keeps the point in
    EXPECT_EQ(doc.Groups()[0].CountedPointCount(), 3);
    EXPECT_EQ(doc.Groups()[1].ExcludedPointCount(), 1);
    EXPECT_EQ(doc.Groups()[2].CountedPointCount(), 2);

    // The exclusion lifted, a new compute forgets it.
    doc.SetPointNote(8, PointNote {});
    ASSERT_TRUE(RunComputeCommand(doc));
    EXPECT_TRUE(doc.Groups()[1].Excluded.empty());
}

// Worked by hand: the excluded points stay in the rows and the series, and are still judged.
TEST(ExcludedPoints, MeansPassTheExcludedPointsBy)
{
    struct Case {
        const char* name;
        int k;
        std::vector<QStringList> points;
        std::set<int> excluded;
        double grandMean;
        double meanDeviation;
        double meanRange;
        double overallDeviation; // subgroups
    };
    const Case cases[] = {
        // 10, 12, 11 as without the outlier; the range 11 -> 30 has an excluded end.
        { "individual, last excluded", 0, Values({ 10, 12, 11, 30 }), { 3 }, 11, 1.5, 0, 0 },
        // Only 12 -> 11 counts: both ranges of 50 touch it.
        { "individual, inner excluded", 0, Values({ 10, 50, 12, 11 }), { 1 }, 11, 1, 0, 0 },
        { "individual, first excluded", 0, Values({ 90, 10, 12, 11 }), { 0 }, 11, 1.5, 0, 0 },
        // Ranges 1 -> 2 and 4 -> 8 count; 2 -> 100 and 100 -> 4 do not.
        { "individual, two runs", 0, Values({ 1, 2, 100, 4, 8 }), { 2 }, 3.75, 2.5, 0, 0 },
        // s = 1, 1 and R = 2, 2 from the first two; overall sqrt((3 + 3) / (2 * 3 - 1)).
        { "subgroups k3", 3, Points({ { "3", "1", "2" }, { "6", "5", "4" }, { "100", "1", "50" } }), { 2 }, 3.5, 1, 2,
            std::sqrt(6.0 / 5) },
        { "subgroups k2, first excluded", 2, Points({ { "1", "9" }, { "4", "6" }, { "5", "5" } }), { 0 }, 5,
            std::sqrt(2.0) / 2, 1, std::sqrt(2.0 * 2 / 3) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        BuildDocument(doc, c.k, { c.points });
        ExcludeInFirstGroup(doc, c.excluded);
        ASSERT_TRUE(RunComputeCommand(doc));
        EXPECT_TRUE(messenger.messages.isEmpty());
        const TIndividualInfo& g = doc.Groups()[0];
        EXPECT_TRUE(Near(g.GrandMean, c.grandMean, 1e-12)) << g.GrandMean;
        EXPECT_TRUE(Near(g.MeanDeviation, c.meanDeviation, 1e-12)) << g.MeanDeviation;
        EXPECT_TRUE(Near(g.MeanRange, c.meanRange, 1e-12)) << g.MeanRange;
        EXPECT_TRUE(Near(OverallDeviation(g), c.overallDeviation, 1e-12)) << OverallDeviation(g);
        EXPECT_TRUE(Near(g.Lines[SlotCentre].Centre, c.grandMean, 1e-12));
        EXPECT_TRUE(Near(g.Lines[SlotDeviation].Centre, c.meanDeviation, 1e-12));

        // The point statistics are those of the document without exclusions.
        RecordingMessenger plainMessenger;
        MeasurementDocument plain(plainMessenger);
        BuildDocument(plain, c.k, { c.points });
        ASSERT_TRUE(RunComputeCommand(plain));
        EXPECT_EQ(g.Data, plain.Groups()[0].Data);
        for (int row = 1; row <= int(c.points.size()); ++row) {
            for (int col = 0; col < 6; ++col)
                EXPECT_EQ(doc.ResultText(row, col), plain.ResultText(row, col)) << row << ", " << col;
        }
    }

    // An excluded outlier is still judged: beyond the limits it did not move.
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, 0, { Values({ 10, 12, 11, 30 }) });
    ExcludeInFirstGroup(doc, { 3 });
    ASSERT_TRUE(RunComputeCommand(doc));
    const TIndividualInfo& g = doc.Groups()[0];
    EXPECT_TRUE(Near(g.Lines[SlotCentre].Upper, 11 + 3 / 1.128 * 1.5, 1e-12));
    EXPECT_EQ(g.Series(SlotCentre).size(), 4u);
    EXPECT_NE(std::find(g.Hits[SlotCentre].Westgard.begin(), g.Hits[SlotCentre].Westgard.end(),
                  TCriterionHit { 2, 4, 4 }), // beyond the control limit
        g.Hits[SlotCentre].Westgard.end());
    // 19 is the moving range into the outlier, far above 3.267 * 1.5.
    EXPECT_EQ(g.Series(SlotDeviation)[2], 19);
    EXPECT_FALSE(g.Hits[SlotDeviation].Westgard.empty());
    EXPECT_EQ(doc.ValueText(5, 0), QStringLiteral("Середнє по групі: ") + FormatFixed(11, doc.DisplayPrecision()));
}

TEST(ExcludedPoints, TooFewCountedPointsStopTheCompute)
{
    struct Case {
        const char* name;
        int k;
        std::vector<std::vector<QStringList>> groups;
        std::set<int> excludedRows;
        QString message; // empty: computes
        QStringList walked;
    };
    const auto tooFew = [](const char* range, int excluded) {
        return QStringLiteral("Група точок %1: замало точок для обчислення меж (виключено %2).")
            .arg(QString::fromLatin1(range))
            .arg(excluded);
    };
    const Case cases[] = {
        { "one counted point", 0, { Values({ 1, 2 }) }, { 2 }, tooFew("1-2", 1), { "1-2" } },
        { "no counted point", 2, { Points({ { "1", "2" }, { "3", "4" } }) }, { 1, 2 }, tooFew("1-2", 2), { "1-2" } },
        // Two counted values, but no moving range between two of them.
        { "no counted moving range", 0, { Values({ 1, 2, 3 }) }, { 2 }, tooFew("1-3", 1), { "1-3" } },
        { "subgroups need no moving range", 2, { Points({ { "1", "2" }, { "5", "6" }, { "3", "4" } }) }, { 2 }, {},
            { "1-3" } },
        { "two counted values side by side", 0, { Values({ 1, 2, 3, 4 }) }, { 1, 2 }, {}, { "1-4" } },
        // Rows 1-3 group 0, 4 separator, 5-7 group 1: the walk stops at the second group.
        { "second of three groups", 0, { Values({ 1, 2, 3 }), Values({ 4, 5, 6 }), Values({ 7, 8 }) }, { 5, 6, 7 },
            tooFew("4-6", 3), { "1-3", "4-6" } },
        // A cell that is no number fails the group as ever, exclusions or not.
        { "bad cell of an excluded point", 0, { Points({ { "1" }, { "x" }, { "2" } }) }, { 2 }, invalidData,
            { "1-3" } },
        { "bad cell before too few points", 0, { Points({ { "x" }, { "2" } }) }, { 1 }, invalidData, { "1-2" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        BuildDocument(doc, c.k, c.groups);
        for (int row : c.excludedRows)
            doc.SetPointNote(row, Exclusion());
        for (int slot = 0; slot < ChartSlotCount; ++slot)
            doc.SetSelectedGroup(slot, 1);
        const bool computes = c.message.isEmpty();
        EXPECT_EQ(RunComputeCommand(doc), computes);
        EXPECT_EQ(doc.IsComputed(), computes);
        EXPECT_EQ(messenger.messages, computes ? QStringList() : QStringList { c.message });
        EXPECT_EQ(doc.GroupList(), c.walked);
        if (!computes) {
            // As after any failed compute: the group choice stays, nothing is left half computed.
            EXPECT_EQ(doc.SelectedGroup(), (std::array<int, ChartSlotCount> { 1, 1, 1, 1, 1, 1 }));
            for (int row = 1; row < doc.RowCount(); ++row)
                EXPECT_TRUE(doc.IsSeparatorRow(row) || doc.ResultText(row, 0).isEmpty()) << row;
        }
    }
}

// The means of a group with excluded points are those of the group recomputed from its counted
// points alone (a moving range counts only between two counted points), so the lines are too.
// Random groups, exclusion sets and settings, individual values and several subgroup sizes.
TEST(ExcludedPoints, LinesAgreeWithARecomputeOfTheCountedPoints)
{
    std::mt19937 random(20260916);
    std::uniform_real_distribution<double> value(5.0, 25.0);
    std::bernoulli_distribution excludedDraw(0.25);
    std::bernoulli_distribution coin(0.5);
    int compared = 0;
    for (int k : { 0, 2, 3, 5, 10, 11, 25 }) {
        for (int trial = 0; trial < 40; ++trial) {
            SCOPED_TRACE(testing::Message() << "k " << k << " trial " << trial);
            const int n = 2 + int(random() % 30);
            std::vector<QStringList> points(static_cast<size_t>(n));
            for (QStringList& point : points) {
                for (int c = 0; c < std::max(1, k); ++c)
                    point << QString::number(value(random), 'f', 3);
            }
            std::vector<bool> excluded(static_cast<size_t>(n));
            for (int i = 0; i < n; ++i)
                excluded[size_t(i)] = excludedDraw(random);
            const bool sigmaFixed = coin(random) && coin(random);
            const bool sampleDeviation = coin(random);
            auto applySettings = [&](TIndividualInfo& g) {
                if (sigmaFixed)
                    g.SigmaSetting = { true, 1.25 };
                g.UseSampleDeviation = sampleDeviation;
            };

            RecordingMessenger messenger;
            MeasurementDocument doc(messenger);
            BuildDocument(doc, k, { points });
            for (int i = 0; i < n; ++i) {
                if (excluded[size_t(i)])
                    doc.SetPointNote(1 + i, Exclusion());
            }
            EditGroup(doc, 0, applySettings);
            const bool computed = RunComputeCommand(doc);

            std::vector<QStringList> counted;
            std::vector<double> countedRanges;
            for (int i = 0; i < n; ++i) {
                if (!excluded[size_t(i)])
                    counted.push_back(points[size_t(i)]);
                if (i > 0 && !excluded[size_t(i)] && !excluded[size_t(i - 1)])
                    countedRanges.push_back(std::fabs(
                        ParseNumber(points[size_t(i)][0]).value() - ParseNumber(points[size_t(i - 1)][0]).value()));
            }
            const bool enough = counted.size() >= 2 && (k > 0 || !countedRanges.empty());
            ASSERT_EQ(computed, enough);
            if (!enough)
                continue;

            RecordingMessenger referenceMessenger;
            MeasurementDocument reduced(referenceMessenger);
            BuildDocument(reduced, k, { counted });
            EditGroup(reduced, 0, applySettings);
            ASSERT_TRUE(RunComputeCommand(reduced));
            const TIndividualInfo& g = doc.Groups()[0];
            TIndividualInfo reference = reduced.Groups()[0];
            if (k == 0) {
                // The reduced series has ranges across the gaps the group does not count.
                double sum = 0;
                for (double r : countedRanges)
                    sum += r;
                reference.MeanDeviation = sum / double(countedRanges.size());
                reference.SetIndividualSettings(
                    { false, 0 }, sigmaFixed ? TFixableValue { true, 1.25 } : TFixableValue {}, { false, 0 });
                ComputeControlLines(reference);
            }
            EXPECT_TRUE(Near(g.GrandMean, reference.GrandMean, 1e-12));
            EXPECT_TRUE(Near(g.MeanDeviation, reference.MeanDeviation, 1e-12));
            EXPECT_TRUE(Near(g.MeanRange, reference.MeanRange, 1e-12));
            EXPECT_TRUE(Near(OverallDeviation(g), OverallDeviation(reference), 1e-12));
            for (int slot = 0; slot < ChartSlotCount; ++slot) {
                if (k == 0 && slot != SlotCentre && slot != SlotDeviation)
                    continue;
                SCOPED_TRACE(slot);
                const TControlLines& actual = g.Lines[size_t(slot)];
                const TControlLines& expected = reference.Lines[size_t(slot)];
                EXPECT_TRUE(Near(actual.Lower, expected.Lower, 1e-12)) << actual.Lower << " " << expected.Lower;
                EXPECT_TRUE(Near(actual.Centre, expected.Centre, 1e-12)) << actual.Centre << " " << expected.Centre;
                EXPECT_TRUE(Near(actual.Upper, expected.Upper, 1e-12)) << actual.Upper << " " << expected.Upper;
                // Every point is judged, the excluded ones too, against these lines.
                const std::span<const double> series = g.Series(slot);
                EXPECT_EQ(series.size(), size_t(k == 0 && slot == SlotDeviation ? n - 1 : n));
                EXPECT_EQ(
                    g.Hits[size_t(slot)].Westgard, WestgardCheck(series, actual.Centre, actual.Upper, actual.Lower));
                EXPECT_EQ(g.Hits[size_t(slot)].Iso, IsoCheck(series, actual.Centre, actual.Upper, actual.Lower));
            }
            EXPECT_TRUE(Near(g.SigmaSetting.Value, reference.SigmaSetting.Value, 1e-12));
            ++compared;
        }
    }
    EXPECT_GT(compared, 200); // most draws leave enough points to compare
}

// Without an exclusion in a group, its results are bit for bit those of a document without any:
// notes alone, or exclusions in other groups, change nothing there.
TEST(ExcludedPoints, AGroupWithoutExclusionsComputesAsBefore)
{
    for (const char* file : { "qcc_viscosity.csv", "syn05_ind_n200_shift.csv", "syn12_sub_k5_m40_integer.csv",
             "syn20_sub_k25_m50_outliers.csv" }) {
        SCOPED_TRACE(file);
        const std::vector<QStringList> rows = ReadReferenceCsv(QString::fromLatin1(file));
        ASSERT_FALSE(rows.empty());
        const int k = rows.front().size() == 1 ? 0 : int(rows.front().size());
        const std::vector<QStringList> second(rows.begin(), rows.begin() + std::min<size_t>(rows.size(), 10));

        RecordingMessenger plainMessenger;
        MeasurementDocument plain(plainMessenger);
        BuildDocument(plain, k, { rows, second });
        ASSERT_TRUE(RunComputeCommand(plain));

        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        BuildDocument(doc, k, { rows, second });
        PointNote note;
        note.Note = QStringLiteral("перевірено");
        doc.SetPointNote(3, note);
        const int secondFirstRow = int(rows.size()) + 2;
        doc.SetPointNote(secondFirstRow + 1, Exclusion());
        ASSERT_TRUE(RunComputeCommand(doc));
        EXPECT_TRUE(doc.Groups()[0].Excluded.empty());
        ExpectSameResults(doc.Groups()[0], plain.Groups()[0]);
        EXPECT_FALSE(SameBits(doc.Groups()[1].GrandMean, plain.Groups()[1].GrandMean));
    }
}
