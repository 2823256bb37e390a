#include "PaintTestSupport.h"

#include "common/TestSupport.h"
#include "paint/DrawingState.h"
#include "paint/Paint.h"

#include <gtest/gtest.h>

namespace {

constexpr int H = 285;
constexpr QRgb Black = qRgb(0, 0, 0);

QRgb At(const QImage& image, int x, int y)
{
    return image.pixel(x, y) | 0xFF000000;
}

class DrawChartRangeTest : public ::testing::Test {
protected:
    void SetUp() override { ChartDrawingState().Reset(); }
    void TearDown() override { ChartDrawingState().Reset(); }

    // Points 1-5 in the first group, 6-8 in the second, 9-12 in the third.
    std::vector<TIndividualInfo> groups { ChartGroup({ 10, 12, 11, 14, 9 }, { 7, 15, 11 }),
        ChartGroup({ 12, 13, 12 }, { 9, 16, 12.5 }), ChartGroup({ 10, 11, 9, 10 }, { 8, 13, 10.5 }) };

    QImage Picture(int first, int last, RecordingMessenger& messenger)
    {
        QImage image(1, H, QImage::Format_RGB32);
        DrawChartRange(image, groups, QStringLiteral("мг"), 2, 0, 0, last, first, NumberedDates(12), messenger);
        return image;
    }
};

TEST_F(DrawChartRangeTest, PictureWidths)
{
    RecordingMessenger messenger;
    struct Row {
        const char* name;
        int first, last, width;
    } rows[] = {
        { "one point", 3, 3, 295 },
        { "two points of one group: four margins", 1, 2, 260 },
        { "a whole group", 1, 5, 130 + 50 + 4 * 50 },
        { "over three groups", 4, 10, 130 + 3 * 50 + (10 - 4 - 3 + 1) * 50 },
    };
    for (const Row& row : rows) {
        const QImage image = Picture(row.first, row.last, messenger);
        EXPECT_EQ(image.width(), row.width) << row.name;
        EXPECT_EQ(image.height(), H) << row.name;
    }
    EXPECT_TRUE(messenger.messages.isEmpty());
    EXPECT_EQ(ChartDrawingState().LeftMargin, 65); // a report picture keeps the margin it was given
}

TEST_F(DrawChartRangeTest, OnePointPicture)
{
    RecordingMessenger messenger;
    const QImage image = Picture(3, 3, messenger);
    const int width = image.width();
    // The group's lines run across the whole frame; the point sits 25 right of the left frame.
    EXPECT_EQ(At(image, 66, 143 - 0), At(image, 66, 143));
    const int centreRow = ValueToRow(11, H, ComputeChartScale(groups, 0, 0));
    EXPECT_EQ(At(image, 66, centreRow), Black);
    EXPECT_EQ(At(image, width - 67, centreRow), Black);
    const QFontMetrics metrics = ChartCanvas::ChartFontMetrics();
    EXPECT_TRUE(TextAt(image, 90 - metrics.horizontalAdvance("3") / 2, H - 16, QStringLiteral("3")));
    EXPECT_TRUE(TextAt(image, 90 - metrics.horizontalAdvance("d3") / 2, 16 - metrics.height(), QStringLiteral("d3")));
    // Below the frame the tick is 4 pixels: its own 3 and the marker's.
    for (int y = H - 25; y <= H - 22; ++y)
        EXPECT_EQ(At(image, 90, y), Black);
    // One shown point: the texts end at the smaller of xv + 62 and W - width, never left of margin + 15.
    const QString centre = QStringLiteral("ВКМ=15,00 мг"); // clear of the disc
    const int textWidth = metrics.horizontalAdvance(centre);
    const int right = std::min(90 + 62, width - textWidth);
    EXPECT_TRUE(TextAt(
        image, std::max(65 + 15, right - textWidth), ValueToRow(15, H, ComputeChartScale(groups, 0, 0)) - 15, centre));
}

TEST_F(DrawChartRangeTest, NeighbouringPicturesShareTheirBoundaryPoint)
{
    RecordingMessenger messenger;
    const QImage left = Picture(2, 6, messenger);
    const QImage right = Picture(6, 9, messenger);
    const QFontMetrics metrics = ChartCanvas::ChartFontMetrics();
    // Point 6 is the last of the left picture (25 left of its right frame) and the first of the right one.
    const int xLeft = left.width() - 65 - 25;
    EXPECT_EQ(xLeft, 90 + 3 * 50 + 50);
    EXPECT_TRUE(TextAt(left, xLeft - metrics.horizontalAdvance("6") / 2, H - 16, QStringLiteral("6")));
    EXPECT_TRUE(TextAt(right, 90 - metrics.horizontalAdvance("6") / 2, H - 16, QStringLiteral("6")));
    // Texts of the shown part of a group end a quarter step right of its last shown point.
    const ChartScale scale = ComputeChartScale(groups, 0, 0);
    const QString upper = QStringLiteral("ВКМ=15,00 мг");
    EXPECT_TRUE(
        TextAt(left, 90 + 3 * 50 + 12 - metrics.horizontalAdvance(upper), ValueToRow(15, H, scale) - 15, upper));
    EXPECT_TRUE(messenger.messages.isEmpty());
}

TEST_F(DrawChartRangeTest, MovingRangeChartNumbersRunToPointsLessGroups)
{
    // Groups of 5 and 3 values: 4 and 2 moving ranges, points 1 to 6 on this chart.
    groups = { ChartGroup({ 2, 1, 3, 1 }, { 0, 4, 1.5 }, 2), ChartGroup({ 1, 2 }, { 0, 4, 1.5 }, 2) };
    RecordingMessenger messenger;
    QImage image(1, H, QImage::Format_RGB32);
    DrawChartRange(image, groups, QString(), 1, 2, 0, 6, 5, NumberedDates(8), messenger);
    const QFontMetrics metrics = ChartCanvas::ChartFontMetrics();
    EXPECT_TRUE(TextAt(image, 140 - metrics.horizontalAdvance("6") / 2, H - 16, QStringLiteral("6")));
    EXPECT_TRUE(TextAt(image, 140 - metrics.horizontalAdvance("d6") / 2, 16 - metrics.height(), QStringLiteral("d6")));
    EXPECT_TRUE(messenger.messages.isEmpty());
    EXPECT_THROW(DrawChartRange(image, groups, QString(), 1, 2, 0, 7, 6, NumberedDates(8), messenger), DrawingAborted);
    EXPECT_EQ(messenger.messages,
        QStringList { QStringLiteral("Внутрішня помилка №47-в1! Спробуйте ще раз або зверніться до розробника.") });
}

TEST_F(DrawChartRangeTest, RangesOutsideTheChartAbortWithTheirMessage)
{
    const QString beyondFirst
        = QStringLiteral("Внутрішня помилка №47-в! Спробуйте ще раз або зверніться до розробника.");
    const QString beyondLast
        = QStringLiteral("Внутрішня помилка №47-в1! Спробуйте ще раз або зверніться до розробника.");
    struct Row {
        const char* name;
        int first, last;
        QString message;
    } rows[] = {
        { "first beyond the points", 13, 13, beyondFirst },
        { "last beyond the points", 10, 13, beyondLast },
        { "first before point 1", 0, 3, beyondFirst },
        { "last before first", 5, 4, beyondLast },
        { "far too many points for one picture", 1, 1000000, beyondLast },
    };
    for (const Row& row : rows) {
        RecordingMessenger messenger;
        EXPECT_THROW(Picture(row.first, row.last, messenger), DrawingAborted) << row.name;
        EXPECT_EQ(messenger.messages, QStringList { row.message }) << row.name;
    }
    // A range inside the chart but wider than any picture is refused before anything is allocated.
    std::vector<double> many(100000, 1.0);
    groups = { ChartGroup(many, { 0, 2, 1 }) };
    RecordingMessenger messenger;
    EXPECT_THROW(Picture(1, 100000, messenger), DrawingAborted);
    EXPECT_EQ(messenger.messages, QStringList { QStringLiteral("Забагато точок для одного малюнка карти!") });
}

} // namespace
