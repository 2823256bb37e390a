#include "paint/DrawingState.h"
#include "paint/Paint.h"

#include <gtest/gtest.h>

namespace {

constexpr QRgb White = qRgb(255, 255, 255);
constexpr QRgb Black = qRgb(0, 0, 0);
constexpr QRgb Grey = qRgb(128, 128, 128);

class PrimitivesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ChartDrawingState().Reset();
        image.fill(Qt::white);
        // Limits at rows 80 and 200, centre at 140, on a bitmap 285 high.
        DrawingState& state = ChartDrawingState();
        state.UpperRow = 80;
        state.CentreRow = 140;
        state.LowerRow = 200;
    }
    void TearDown() override { ChartDrawingState().Reset(); }

    QRgb At(int x, int y) const { return image.pixel(x, y) | 0xFF000000; }
    int Column(int x, int fromRow, int toRow) const // non-white pixels in the rows of column x
    {
        int count = 0;
        for (int y = fromRow; y <= toRow; ++y)
            count += At(x, y) != White ? 1 : 0;
        return count;
    }

    QImage image { 300, 285, QImage::Format_RGB32 };
};

TEST_F(PrimitivesTest, VerticalSegmentIsOneColumnColouredByRow)
{
    {
        ChartCanvas canvas(image);
        DrawGradientSegment(100, 150, 100, 120, canvas);
    }
    for (int y = 120; y <= 150; ++y)
        EXPECT_EQ(At(100, y), ZoneColorOf(y, 285, { 80, 140, 200 })) << y;
    EXPECT_EQ(At(100, 119), White);
    EXPECT_EQ(At(100, 151), White);
    EXPECT_EQ(Column(99, 0, 284) + Column(101, 0, 284), 0);
}

TEST_F(PrimitivesTest, HorizontalSegmentIsTwoRowsWithItsEndPoint)
{
    {
        ChartCanvas canvas(image);
        DrawGradientSegment(100, 140, 150, 140, canvas);
    }
    const QRgb green = qRgb(0, 255, 0);
    for (int x = 100; x < 150; ++x) {
        EXPECT_EQ(At(x, 140), green) << x;
        EXPECT_EQ(At(x, 139), green) << x;
        EXPECT_EQ(At(x, 141), White) << x;
        EXPECT_EQ(At(x, 138), White) << x;
    }
    EXPECT_EQ(At(150, 140), green); // the end point
    EXPECT_EQ(At(150, 139), White); // but not the second row's
    EXPECT_EQ(At(99, 140), White);
}

TEST_F(PrimitivesTest, SlopedSegmentIsAStaircaseBetweenItsPoints)
{
    {
        ChartCanvas canvas(image);
        DrawGradientSegment(150, 180, 100, 100, canvas); // given lower end first
    }
    for (int y = 100; y <= 180; ++y) {
        int inRow = 0;
        for (int x = 0; x < 300; ++x) {
            if (At(x, y) == White)
                continue;
            ++inRow;
            EXPECT_GE(x, 100) << y;
            EXPECT_LE(x, 150) << y;
            EXPECT_EQ(At(x, y), ZoneColorOf(y, 285, { 80, 140, 200 })) << x << "," << y;
        }
        EXPECT_GE(inRow, 1) << y; // no gap in any row
    }
    EXPECT_EQ(Column(100, 0, 99) + Column(100, 181, 284), 0);
}

TEST_F(PrimitivesTest, GroupLinesAndTransition)
{
    {
        ChartCanvas canvas(image);
        DrawGroupLines(10, 100, canvas);
        DrawGroupTransition(100, 140, 60, 220, 140, canvas);
    }
    // Solid centre line, end point excluded.
    for (int x = 10; x < 100; ++x)
        ASSERT_EQ(At(x, 140), Black) << x;
    // Dashed limits and zone lines: 18 on, 6 off from the start.
    for (const int row : { 80, 100, 120, 160, 180, 200 }) {
        EXPECT_EQ(At(10, row), Black) << row;
        EXPECT_EQ(At(27, row), Black) << row;
        EXPECT_EQ(At(28, row), White) << row;
        EXPECT_EQ(At(33, row), White) << row;
        EXPECT_EQ(At(34, row), Black) << row;
    }
    EXPECT_EQ(At(10, 90), White);
    // The grey transition starts at the group's rows and runs toward the next group's.
    EXPECT_EQ(At(100, 140), Grey);
    EXPECT_EQ(At(139, 140), Grey);
    EXPECT_EQ(At(100, 80), Grey);
    EXPECT_EQ(At(140, 60), White); // end points excluded
    EXPECT_EQ(At(100, 200), Grey);
}

TEST_F(PrimitivesTest, MarkerDiscTickAndNumber)
{
    int counter = 7;
    {
        ChartCanvas canvas(image);
        DrawPointMarker(100, 140, counter, canvas);
    }
    EXPECT_EQ(counter, 8);
    const QRgb green = qRgb(0, 255, 0);
    // An 8 x 8 disc from x - 4 to x + 3 with its corners cut.
    EXPECT_EQ(At(96, 140), green);
    EXPECT_EQ(At(103, 140), green);
    EXPECT_EQ(At(104, 140), White);
    EXPECT_EQ(At(100, 136), green);
    EXPECT_EQ(At(100, 143), green);
    EXPECT_EQ(At(100, 144), White);
    EXPECT_EQ(At(96, 136), White);
    EXPECT_EQ(At(98, 136), green);
    // Four black pixels under the frame, then the number below them.
    for (int y = 285 - 25; y <= 285 - 22; ++y)
        EXPECT_EQ(At(100, y), Black);
    EXPECT_EQ(At(100, 285 - 26), White);
    EXPECT_GT(Column(100, 285 - 16, 284) + Column(98, 285 - 16, 284) + Column(101, 285 - 16, 284), 0);
}

TEST_F(PrimitivesTest, TextsArePlacedInBitmapPixelsOnAnyBitmap)
{
    // A bitmap meant for a high-density screen, in another format: texts still land where asked.
    QImage other(300, 40, QImage::Format_ARGB32_Premultiplied);
    other.setDevicePixelRatio(2.0);
    other.fill(Qt::white);
    QImage plain(300, 40, QImage::Format_RGB32);
    plain.fill(Qt::white);
    for (QImage* target : { &other, &plain }) {
        ChartCanvas canvas(*target);
        canvas.Text(120, 10, QStringLiteral("ВКМ=1,5 мг"));
    }
    EXPECT_EQ(other.convertToFormat(QImage::Format_RGB32), plain);
    int dark = 0;
    for (int x = 0; x < 120; ++x)
        dark += plain.pixel(x, 15) != qRgb(255, 255, 255) ? 1 : 0;
    EXPECT_EQ(dark, 0);
}

TEST_F(PrimitivesTest, WindowedCanvasTouchesOnlyItsClip)
{
    // A virtual bitmap 10,000 wide whose columns 5,000 .. 5,299 land on the image; clip 5,100 .. 5,199.
    {
        ChartCanvas canvas(image, 5000, 10000, { 5100, 50, 5200, 250 });
        DrawGroupLines(0, 10000, canvas);
        canvas.FillRect(0, 0, 10000, 285, Grey);
    }
    EXPECT_EQ(At(99, 140), White);
    EXPECT_EQ(At(100, 140), Grey);
    EXPECT_EQ(At(199, 249), Grey);
    EXPECT_EQ(At(200, 140), White);
    EXPECT_EQ(At(150, 49), White);
    EXPECT_EQ(At(150, 250), White);
}

} // namespace
