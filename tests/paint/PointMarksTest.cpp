#include "PaintTestSupport.h"

#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"
#include "compute/ComputeDriver.h"
#include "paint/ChartPage.h"
#include "paint/DrawingState.h"
#include "paint/Paint.h"

#include <gtest/gtest.h>
#include <map>

namespace {

constexpr int W = 773;
constexpr int H = 285;
constexpr QRgb White = qRgb(255, 255, 255);
constexpr QRgb Green = qRgb(0, 255, 0);
constexpr QRgb Navy = qRgb(0, 0, 128);
constexpr int CentreRow = 143; // of limits 0 .. 10 around 5 on a 285-pixel chart

QRgb At(const QImage& image, int64_t x, int y)
{
    return image.pixel(int(x), y) | 0xFF000000;
}

// Points 1, 4 and 5 lie on the centre line.
std::vector<TIndividualInfo> InsideLimits()
{
    return { ChartGroup({ 5, 2, 8, 5, 5, 3 }, { 0.0, 10.0, 5.0 }) };
}

// A note on point 1, point 4 kept out of the limits.
PointMark Marks(int g, int i)
{
    return PointMark { g == 0 && i == 0, g == 0 && i == 3 };
}

// Probes the disc of a point on the centre line at x: hollow or full, with or without the mark.
void ExpectDisc(const QImage& image, int64_t x, bool hollow, bool note)
{
    SCOPED_TRACE(x);
    EXPECT_EQ(At(image, x - 4, CentreRow), Green); // the ring, or the full disc
    EXPECT_EQ(At(image, x + 3, CentreRow), Green);
    EXPECT_EQ(At(image, x, CentreRow - 4), Green);
    EXPECT_EQ(At(image, x, CentreRow), hollow ? White : Green);
    EXPECT_EQ(At(image, x - 1, CentreRow - 2), hollow ? White : Green);
    EXPECT_EQ(At(image, x - 3, CentreRow), Green);
    const QRgb mark = note ? Navy : White;
    EXPECT_EQ(At(image, x - 3, NoteMarkTop(CentreRow)), mark);
    EXPECT_EQ(At(image, x + 2, NoteMarkTop(CentreRow)), mark);
    EXPECT_EQ(At(image, x, NoteMarkBottom(CentreRow)), mark);
    EXPECT_EQ(At(image, x - 1, NoteMarkBottom(CentreRow)), mark);
    // The triangle narrows to its tip and leaves the disc free.
    EXPECT_EQ(At(image, x + 1, NoteMarkBottom(CentreRow)), White);
    EXPECT_EQ(At(image, x, NoteMarkBottom(CentreRow) + 1), White);
    EXPECT_EQ(At(image, x, NoteMarkTop(CentreRow) - 1), White);
}

class PointMarksTest : public ::testing::Test {
protected:
    void SetUp() override { ChartDrawingState().Reset(); }
    void TearDown() override { ChartDrawingState().Reset(); }
};

TEST_F(PointMarksTest, PageDrawsTheMarkAndTheHollowDisc)
{
    for (const bool marked : { false, true }) {
        SCOPED_TRACE(marked);
        ChartDrawingState().Reset();
        QImage image(W, H, QImage::Format_RGB32);
        int extent = int(ChartPageExtent(6, 1, 50, 50));
        DrawChart(InsideLimits(), NumberedDates(6), image, QStringLiteral("мг"), 2, 0, 0, extent, 0.0,
            marked ? PointMarks(Marks) : PointMarks {});
        const int64_t x0 = ChartDrawingState().LeftMargin + 25;
        ExpectDisc(image, x0, false, marked);
        ExpectDisc(image, x0 + 3 * 50, marked, false);
        ExpectDisc(image, x0 + 4 * 50, false, false);
        // The series still runs into the hollow disc: the flat segment to point 5 reaches its ring.
        EXPECT_EQ(At(image, x0 + 3 * 50 + 10, CentreRow), Green);
    }
}

TEST_F(PointMarksTest, ReportPictureDrawsThemToo)
{
    RecordingMessenger messenger;
    for (const bool marked : { false, true }) {
        SCOPED_TRACE(marked);
        ChartDrawingState().Reset();
        QImage image(1, H, QImage::Format_RGB32);
        DrawChartRange(image, InsideLimits(), QStringLiteral("мг"), 2, 0, 0, 6, 1, NumberedDates(6), messenger,
            marked ? PointMarks(Marks) : PointMarks {});
        const int64_t x0 = ChartDrawingState().LeftMargin + 25;
        ExpectDisc(image, x0, false, marked);
        ExpectDisc(image, x0 + 3 * 50, marked, false);
        // Point 5 lies under the end of the line texts here; its disc stays full.
        EXPECT_EQ(At(image, x0 + 4 * 50, CentreRow), Green);
    }
    // A picture that starts at point 4 asks for the marks by the index within the group.
    ChartDrawingState().Reset();
    QImage image(1, H, QImage::Format_RGB32);
    DrawChartRange(image, InsideLimits(), QStringLiteral("мг"), 2, 0, 0, 5, 4, NumberedDates(6), messenger, Marks);
    const int64_t x4 = ChartDrawingState().LeftMargin + 25;
    EXPECT_EQ(At(image, x4, CentreRow), White);
    EXPECT_EQ(At(image, x4 - 4, CentreRow), Green);
    EXPECT_EQ(At(image, x4 + 50, CentreRow), Green);
    EXPECT_TRUE(messenger.messages.isEmpty());
}

// The document's notes reach the chart by table row; on the moving-range chart each range is
// the point it ends at.
TEST_F(PointMarksTest, DocumentNotesByRow)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    auto values = [](std::initializer_list<const char*> texts) {
        std::vector<QStringList> rows;
        for (const char* t : texts)
            rows.push_back({ QString::fromUtf8(t) });
        return rows;
    };
    BuildDocument(doc, 0, { values({ "10", "12", "11", "13", "10" }), values({ "14", "13", "15", "14" }) });
    EXPECT_FALSE(ChartPointMarks(doc, 0)); // nothing recorded: the plain drawing
    // Rows: 1-5 the first group, 6 the separator, 7-10 the second.
    doc.SetPointNote(2, PointNote { QStringLiteral("Нова партія реактиву"), {}, {}, {}, {} });
    doc.SetPointNote(8, PointNote { {}, {}, QStringLiteral("Збій термостата"), {}, {} });
    doc.SetPointNote(9, PointNote { {}, QStringLiteral("Калібрування"), {}, {}, {} });
    ASSERT_TRUE(RunComputeCommand(doc)) << messenger.messages.join(QLatin1Char('\n')).toStdString();

    const PointMarks values0 = ChartPointMarks(doc, 0);
    ASSERT_TRUE(values0);
    const struct {
        int group, index;
        bool note, excluded;
    } rows[] = {
        { 0, 0, false, false },
        { 0, 1, true, false },
        { 1, 0, false, false },
        { 1, 1, false, true },
        { 1, 2, true, false },
        { 1, 3, false, false },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.group << "/" << row.index);
        const PointMark mark = values0(row.group, row.index);
        EXPECT_EQ(mark.Note, row.note);
        EXPECT_EQ(mark.Excluded, row.excluded);
    }
    // Moving ranges: range 0 of the first group ends at its point 2 (row 2, the note); in the
    // second group ranges 0 (points 1-2) and 1 (points 2-3) both touch the excluded point.
    const PointMarks ranges = ChartPointMarks(doc, 2);
    EXPECT_TRUE(ranges(0, 0).Note);
    EXPECT_FALSE(ranges(0, 1).Note);
    EXPECT_TRUE(ranges(1, 0).Excluded);
    EXPECT_TRUE(ranges(1, 1).Excluded);
    EXPECT_TRUE(ranges(1, 1).Note);
    EXPECT_FALSE(ranges(1, 2).Excluded);
    EXPECT_FALSE(ranges(5, 0).Note); // no such group
}

} // namespace
