#include "PaintTestSupport.h"

#include "common/TestSupport.h"
#include "paint/ChartDrawing.h"
#include "paint/DrawingState.h"
#include "paint/Paint.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

constexpr int H = 285;

PointMark Marks(int group, int index)
{
    return { (group + index) % 3 == 0, (group * 7 + index) % 4 == 1 };
}

class ChartDrawingTest : public ::testing::Test {
protected:
    void SetUp() override { ChartDrawingState().Reset(); }
    void TearDown() override { ChartDrawingState().Reset(); }

    // Steep and flat segments, a group whose limits jump, a lone point, exponent-sized numbers.
    std::vector<TIndividualInfo> groups { ChartGroup({ 10, 22, 3, 14, 14, 9 }, { 2, 23, 11 }),
        ChartGroup({ 12, 13, 12 }, { 9, 16, 12.5 }), ChartGroup({ 30 }, { 4, 31, 20 }),
        ChartGroup({ 10, 11, 9, 10, 4, 18 }, { 3, 19, 10.5 }) };

    QImage Bitmap(int first, int last, int d, const PointMarks& marks)
    {
        RecordingMessenger messenger;
        QImage image(1, H, QImage::Format_RGB32);
        DrawChartRange(
            image, groups, QStringLiteral("мг/л"), d, 0, 0, last, first, NumberedDates(16), messenger, marks);
        return image;
    }
    ChartDrawing Drawing(int first, int last, int d, const PointMarks& marks)
    {
        RecordingMessenger messenger;
        ChartDrawing drawing;
        DrawChartRange(
            drawing, H, groups, QStringLiteral("мг/л"), d, 0, 0, last, first, NumberedDates(16), messenger, marks);
        return drawing;
    }
};

// The bitmap drawing is the reference: the recording, played back through the bitmap surface,
// gives its very pixels, whatever batching and dropping of hidden texts the recording did.
TEST_F(ChartDrawingTest, RecordingGivesTheBitmapPixels)
{
    struct Row {
        const char* name;
        int first, last, d;
        bool marked;
    } rows[] = {
        { "one point", 3, 3, 2, false },
        { "a whole group", 1, 6, 2, false },
        { "over every group with marks", 2, 16, 2, true },
        { "the lone point's group", 10, 10, 1, true },
        { "exponent numbers", 4, 12, 8, false },
    };
    for (const Row& row : rows) {
        const PointMarks marks = row.marked ? PointMarks(Marks) : PointMarks {};
        const QImage bitmap = Bitmap(row.first, row.last, row.d, marks);
        ChartDrawingState().Reset();
        const ChartDrawing drawing = Drawing(row.first, row.last, row.d, marks);
        ChartDrawingState().Reset();
        ASSERT_EQ(drawing.Size(), bitmap.size()) << row.name;
        EXPECT_TRUE(SameImage(drawing.ToImage(), bitmap)) << row.name;
        // Far fewer drawing steps than painted pixels: rows of pixels are whole rectangles, and
        // the series' rows of one colour share a batch.
        EXPECT_LT(drawing.Ops().size(), drawing.Fills().size()) << row.name;
        EXPECT_LT(drawing.Fills().size(), size_t(bitmap.width()) * 4) << row.name;
    }
}

// Played back on an ordinary raster device at its own size without antialiasing, the fills land
// on the bitmap's pixels; only the glyphs, drawn at another size for vector devices, may differ.
TEST_F(ChartDrawingTest, PlaybackAtOwnSizeCoversTheBitmapPixels)
{
    const QImage bitmap = Bitmap(2, 16, 2, Marks);
    ChartDrawingState().Reset();
    const ChartDrawing drawing = Drawing(2, 16, 2, Marks);
    QImage played(bitmap.size(), QImage::Format_RGB32);
    played.fill(Qt::magenta); // every pixel must be painted
    {
        QPainter painter(&played);
        drawing.Replay(painter, QRectF(QPointF(0, 0), QSizeF(bitmap.size())));
    }
    QImage mask(bitmap.size(), QImage::Format_RGB32);
    mask.fill(Qt::white);
    {
        QPainter painter(&mask);
        for (const ChartDrawing::Label& label : drawing.Labels())
            painter.fillRect(label.Box.adjusted(-2, -2, 2, 2), Qt::black);
    }
    int differing = 0;
    for (int y = 0; y < bitmap.height(); ++y) {
        for (int x = 0; x < bitmap.width(); ++x) {
            if (mask.pixel(x, y) == qRgb(255, 255, 255) && played.pixel(x, y) != bitmap.pixel(x, y))
                ++differing;
        }
    }
    EXPECT_EQ(differing, 0);
    // Texts are texts, not pixels: every number and label of the picture is in the drawing.
    QStringList texts;
    for (const ChartDrawing::Label& label : drawing.Labels())
        texts.append(label.Text);
    EXPECT_TRUE(texts.contains(QStringLiteral("ВКМ=23,00 мг/л")));
    EXPECT_TRUE(texts.contains(QStringLiteral("d16")));
}

TEST_F(ChartDrawingTest, MergesOnlyWhatPaintsTheSamePixels)
{
    ChartDrawing drawing(40, 20);
    const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);
    drawing.AddFill(QRect(0, 0, 10, 1), red);
    drawing.AddFill(QRect(10, 0, 5, 1), red); // continues the row: one rectangle
    drawing.AddFill(QRect(0, 1, 15, 1), red); // the row below, same span: still one
    drawing.AddFill(QRect(2, 0, 3, 3), blue); // over the red
    drawing.AddFill(QRect(30, 10, 2, 1), red); // far away: joins the first red batch
    drawing.AddFill(QRect(3, 1, 1, 1), red); // over the blue: must come after it
    drawing.AddText(QRect(20, 5, 10, 8), 12, QStringLiteral("7"));
    drawing.AddFill(QRect(20, 5, 10, 8), qRgb(255, 255, 255));
    drawing.AddText(QRect(20, 5, 10, 8), 12, QStringLiteral("7")); // hides the first copy
    drawing.Finish();

    ASSERT_EQ(drawing.Ops().size(), 6u);
    EXPECT_EQ(drawing.Ops()[0].Color, red);
    EXPECT_EQ(drawing.Ops()[1].Color, blue);
    EXPECT_EQ(drawing.Ops()[2].Color, red);
    EXPECT_EQ(drawing.Ops()[3].Index, -1); // the hidden text
    ASSERT_EQ(drawing.Fills().size(), 5u);
    EXPECT_EQ(drawing.Fills()[0].Rect, QRect(0, 0, 15, 2));
    EXPECT_EQ(drawing.Fills()[1].Rect, QRect(30, 10, 2, 1));
    EXPECT_EQ(drawing.Fills()[1].Batch, 0);

    // The same calls straight onto a bitmap.
    QImage expected(40, 20, QImage::Format_RGB32);
    expected.fill(Qt::white);
    {
        ChartCanvas canvas(expected);
        canvas.FillRect(0, 0, 15, 2, red);
        canvas.FillRect(2, 0, 5, 3, blue);
        canvas.FillRect(30, 10, 32, 11, red);
        canvas.FillRect(3, 1, 4, 2, red);
        canvas.Text(20, 5, QStringLiteral("7"));
    }
    QImage actual = drawing.ToImage();
    // The recorded box is not what the text measures; compare outside it.
    for (int y = 5; y < 13; ++y) {
        for (int x = 20; x < 30; ++x) {
            actual.setPixel(x, y, 0xFFFFFFFF);
            expected.setPixel(x, y, 0xFFFFFFFF);
        }
    }
    EXPECT_TRUE(SameImage(actual, expected));
}

} // namespace
