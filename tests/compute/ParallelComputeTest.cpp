// The compute on several threads against the plain sequential order: random documents computed both
// ways must agree in every stored number, bit for bit, in every criterion hit and every message.
#include "common/StatisticsTestSupport.h"

#include "compute/ComputeDriver.h"
#include "compute/ParallelTasks.h"

#include <atomic>
#include <cstring>
#include <random>
#include <stdexcept>

namespace {

using ::SameBits; // the doubles' one, beside the rows' one below

bool SameBits(const TDArray& a, const TDArray& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

void ExpectSameRecord(const TIndividualInfo& a, const TIndividualInfo& b)
{
    EXPECT_EQ(a.FirstRow, b.FirstRow);
    EXPECT_EQ(a.GroupPointCount, b.GroupPointCount);
    EXPECT_EQ(a.ElementCount, b.ElementCount);
    EXPECT_EQ(a.Excluded, b.Excluded);
    ASSERT_EQ(a.Data.size(), b.Data.size());
    for (size_t row = 0; row < a.Data.size(); ++row)
        EXPECT_TRUE(SameBits(a.Data[row], b.Data[row])) << "Data row " << row;
    EXPECT_TRUE(SameBits(a.GrandMean, b.GrandMean));
    EXPECT_TRUE(SameBits(a.MeanDeviation, b.MeanDeviation));
    EXPECT_TRUE(SameBits(a.MeanRange, b.MeanRange));
    for (auto setting :
        { &TIndividualInfo::CentreSetting, &TIndividualInfo::SigmaSetting, &TIndividualInfo::DeviationCentreSetting,
            &TIndividualInfo::RelDeviationCentreSetting, &TIndividualInfo::MedianCentreSetting,
            &TIndividualInfo::RangeCentreSetting, &TIndividualInfo::RelRangeCentreSetting }) {
        EXPECT_EQ((a.*setting).Fixed, (b.*setting).Fixed);
        EXPECT_TRUE(SameBits((a.*setting).Value, (b.*setting).Value));
    }
    ExpectSameLinesAndHits(a, b);
}

// Every cell the table shows and everything the compute stores beside the records.
void ExpectSameDocument(const MeasurementDocument& a, const MeasurementDocument& b)
{
    ASSERT_EQ(a.RowCount(), b.RowCount());
    EXPECT_EQ(a.GroupList(), b.GroupList());
    EXPECT_EQ(a.PointGroup(), b.PointGroup());
    EXPECT_EQ(a.PointDates(), b.PointDates());
    EXPECT_EQ(a.DisplayPrecision(), b.DisplayPrecision());
    EXPECT_EQ(a.IsComputed(), b.IsComputed());
    for (int row = 1; row < a.RowCount(); ++row) {
        EXPECT_EQ(a.LabelText(row), b.LabelText(row)) << row;
        for (int c = 0; c < a.ValueColumnCount(); ++c)
            EXPECT_EQ(a.ValueText(row, c), b.ValueText(row, c)) << row;
        for (int c = 0; c < a.ResultColumnCount(); ++c)
            EXPECT_EQ(a.ResultText(row, c), b.ResultText(row, c)) << row << ", " << c;
    }
}

enum class Fault { None, BadCell, TooFewCounted };

struct Shape {
    int subgroupSize = 0; // 0: individual values
    int groups = 1;
    int minPoints = 2;
    int maxPoints = 60;
    bool exclusions = false;
    bool fixedValues = false;
    Fault fault = Fault::None;
};

// A random document of the shape; the same seed gives the same document.
void BuildRandom(MeasurementDocument& doc, const Shape& shape, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> size(shape.minPoints, shape.maxPoints);
    std::normal_distribution<double> value(50.0, 2.0);
    std::uniform_int_distribution<int> decimals(0, 3);
    std::vector<std::vector<QStringList>> groups(size_t(shape.groups));
    const int columns = std::max(1, shape.subgroupSize);
    for (auto& group : groups) {
        group.resize(size_t(size(random)));
        for (QStringList& point : group) {
            for (int c = 0; c < columns; ++c)
                point << QString::number(value(random), 'f', decimals(random));
        }
        // Runs that trip the criteria now and then.
        if (random() % 3 == 0 && group.size() > 10) {
            const size_t from = random() % (group.size() - 9);
            for (size_t i = from; i < from + 9; ++i) {
                for (QString& text : group[i])
                    text = QString::number(text.toDouble() + 5.0, 'f', 2);
            }
        }
    }
    const size_t faulty = random() % groups.size();
    if (shape.fault == Fault::BadCell)
        groups[faulty][random() % groups[faulty].size()][0] = QStringLiteral("x");
    BuildDocument(doc, shape.subgroupSize, groups);

    int firstRow = 1;
    for (size_t g = 0; g < groups.size(); ++g) {
        const int n = int(groups[g].size());
        for (int i = 0; i < n; ++i) {
            const bool tooFew = shape.fault == Fault::TooFewCounted && g == faulty && i > 0;
            if (tooFew || (shape.exclusions && random() % 7 == 0)) {
                PointNote note;
                note.ExcludeReason = QStringLiteral("збій дозатора");
                doc.SetPointNote(firstRow + i, note);
            }
        }
        if (shape.fixedValues && g < doc.Groups().size() && random() % 2 == 0) {
            const bool deviation = random() % 2 == 0;
            const bool sample = random() % 2 == 0;
            EditGroup(doc, int(g), [&](TIndividualInfo& record) {
                record.CentreSetting = { true, 50.5 };
                record.SigmaSetting = { true, 1.75 };
                record.RangeCentreSetting = { true, 2.25 };
                record.DeviationCentreSetting = { deviation, 1.5 };
                record.UseSampleDeviation = sample;
            });
        }
        firstRow += n + 1;
    }
}

struct Computed {
    RecordingMessenger messenger;
    MeasurementDocument doc { messenger };
    bool ok = false;
};

// The compute command's steps, with the threads chosen.
void Compute(Computed& c, const Shape& shape, unsigned seed, ComputeThreads threads)
{
    BuildRandom(c.doc, shape, seed);
    c.doc.SetChartFormatFromN13();
    c.doc.EnterComputedState();
    c.ok = ComputeDocument(c.doc, PrecisionNotice::Now, threads);
}

void ExpectParallelAsSequential(const Shape& shape, unsigned seeds)
{
    for (unsigned seed = 1; seed <= seeds; ++seed) {
        SCOPED_TRACE(seed);
        Computed sequential;
        Computed parallel;
        Compute(sequential, shape, seed, ComputeThreads::Sequential);
        Compute(parallel, shape, seed, ComputeThreads::Parallel);
        ASSERT_EQ(sequential.ok, parallel.ok);
        EXPECT_EQ(sequential.ok, shape.fault == Fault::None);
        EXPECT_EQ(sequential.messenger.messages, parallel.messenger.messages);
        ExpectSameDocument(sequential.doc, parallel.doc);
        // A failing compute stops at its failing group; the records up to it are what it leaves.
        const size_t walked = size_t(sequential.doc.GroupList().size());
        ASSERT_LE(walked, sequential.doc.Groups().size());
        for (size_t g = 0; g < walked; ++g) {
            SCOPED_TRACE(g);
            ExpectSameRecord(sequential.doc.Groups()[g], parallel.doc.Groups()[g]);
        }
    }
}

} // namespace

TEST(ParallelCompute, GivesTheSequentialResultsBitForBit)
{
    struct Case {
        const char* name;
        Shape shape;
    };
    const Case cases[] = {
        { "individual, one group", { .groups = 1, .minPoints = 400, .maxPoints = 900 } },
        { "individual, ten groups", { .groups = 10 } },
        { "individual, many small groups", { .groups = 60, .minPoints = 2, .maxPoints = 8 } },
        { "individual, exclusions", { .groups = 7, .minPoints = 10, .exclusions = true } },
        { "individual, fixed values", { .groups = 5, .minPoints = 10, .exclusions = true, .fixedValues = true } },
        { "subgroups of 2, one group", { .subgroupSize = 2, .groups = 1, .minPoints = 200, .maxPoints = 400 } },
        { "subgroups of 5, many groups", { .subgroupSize = 5, .groups = 25, .maxPoints = 30 } },
        { "subgroups of 4, exclusions, fixed values",
            { .subgroupSize = 4, .groups = 6, .minPoints = 10, .exclusions = true, .fixedValues = true } },
        { "individual, a bad cell", { .groups = 8, .fault = Fault::BadCell } },
        { "subgroups of 3, a bad cell", { .subgroupSize = 3, .groups = 8, .fault = Fault::BadCell } },
        { "individual, too few counted", { .groups = 6, .minPoints = 3, .fault = Fault::TooFewCounted } },
        { "subgroups of 3, too few counted",
            { .subgroupSize = 3, .groups = 6, .minPoints = 3, .fault = Fault::TooFewCounted } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectParallelAsSequential(c.shape, 6);
    }
}

TEST(ParallelCompute, RunsEveryTaskOnceAndPassesTheFirstFailureOn)
{
    for (ComputeThreads threads : { ComputeThreads::Sequential, ComputeThreads::Parallel }) {
        std::vector<std::atomic<int>> runs(1000);
        RunTasks(runs.size(), threads, [&](size_t i) { ++runs[i]; });
        for (size_t i = 0; i < runs.size(); ++i)
            ASSERT_EQ(runs[i].load(), 1) << i;
        RunTasks(0, threads, [](size_t) { FAIL() << "no task to run"; });

        std::atomic<int> started { 0 };
        EXPECT_THROW(RunTasks(100000, threads,
                         [&](size_t i) {
                             ++started;
                             if (i == 3)
                                 throw std::bad_alloc();
                         }),
            std::bad_alloc);
        EXPECT_LT(started.load(), 100000); // no new task after the failure
    }
}
