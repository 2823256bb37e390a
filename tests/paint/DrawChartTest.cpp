#include "PaintTestSupport.h"

#include "paint/ChartNumbers.h"
#include "paint/DrawingState.h"
#include "paint/Paint.h"

#include "common/TestSupport.h"

#include <QColor>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

constexpr int W = 773;
constexpr int H = 285;
constexpr QRgb Black = qRgb(0, 0, 0);
constexpr QRgb White = qRgb(255, 255, 255);

QRgb At(const QImage& image, int x, int y)
{
    return image.pixel(x, y) | 0xFF000000;
}

class DrawChartTest : public ::testing::Test {
protected:
    void SetUp() override { ChartDrawingState().Reset(); }
    void TearDown() override { ChartDrawingState().Reset(); }

    QImage Page() const
    {
        QImage image(W, H, QImage::Format_RGB32);
        image.fill(Qt::red); // every pixel must be drawn over
        return image;
    }
};

// Points all inside limits 0 .. 10 around a centre of 5.
std::vector<TIndividualInfo> InsideLimits()
{
    return { ChartGroup({ 5, 2, 8, 5, 5, 3 }, { 0.0, 10.0, 5.0 }) };
}

TEST_F(DrawChartTest, FrameLimitsAndMargin)
{
    QImage image = Page();
    int extent = int(ChartPageExtent(6, 1, 50, 50));
    const int extentBefore = extent;
    DrawChart(InsideLimits(), NumberedDates(6), image, QStringLiteral("мг"), 2, 0, 0, extent, 0.0);

    // The margin is the bottom label's width plus 20, and the extent follows it.
    const int margin = ChartDrawingState().LeftMargin;
    const QString bottom = QStringLiteral("0,00 мг");
    EXPECT_EQ(margin, ChartCanvas::ChartFontMetrics().horizontalAdvance(bottom) + 20);
    EXPECT_EQ(extent, extentBefore + 2 * margin - 130);
    EXPECT_TRUE(TextAt(image, margin - 8 - ChartCanvas::ChartFontMetrics().horizontalAdvance(bottom), H - 55, bottom));
    EXPECT_TRUE(TextAt(image, W - margin + 8, H - 55, bottom));
    EXPECT_TRUE(TextAt(image, W - margin + 8, 45, QStringLiteral("10,00 мг")));

    // Frame lines.
    for (int y = 25; y <= H - 26; ++y) {
        ASSERT_EQ(At(image, margin, y), Black) << y;
        ASSERT_EQ(At(image, W - margin - 1, y), Black) << y;
    }
    for (int x = margin; x <= W - margin - 1; ++x) {
        ASSERT_EQ(At(image, x, 25), Black) << x;
        ASSERT_EQ(At(image, x, H - 26), Black) << x;
    }
    EXPECT_EQ(At(image, margin - 1, 100), White);
    // Axis ticks: 5 pixels out from each frame edge, at the tick rows.
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(At(image, margin - k, H - 50 - 12), Black);
        EXPECT_EQ(At(image, W - margin + k, H - 50 - 12), Black);
    }
    EXPECT_EQ(At(image, margin - 5, H - 62), White);
    EXPECT_EQ(At(image, W - margin + 5, H - 62), White);

    // Upper limit at row 50, lower at H - 50 (dashed from the frame), centre solid at row 143.
    const int lineStart = margin + 1;
    EXPECT_EQ(At(image, lineStart, 50), Black);
    EXPECT_EQ(At(image, lineStart, H - 50), Black);
    EXPECT_EQ(At(image, lineStart + 17, 50), Black);
    EXPECT_EQ(At(image, lineStart + 18, 50), White); // the dash gap
    EXPECT_EQ(At(image, lineStart + 24, 50), Black);
    EXPECT_EQ(At(image, W - margin - 2, 143), Black);
    EXPECT_EQ(At(image, W - margin - 1 - 1, 112), At(image, W - margin - 2, 112)); // zone line present somewhere
}

TEST_F(DrawChartTest, PointsDiscsSegmentsAndAnnotations)
{
    QImage image = Page();
    int extent = int(ChartPageExtent(6, 1, 50, 50));
    DrawChart(InsideLimits(), NumberedDates(6), image, QStringLiteral("мг"), 2, 0, 0, extent, 0.0);
    const int margin = ChartDrawingState().LeftMargin;
    const int x0 = margin + 25; // the first point with f = 0

    // A point on the centre line is a pure green disc 8 pixels across.
    EXPECT_EQ(At(image, x0, 143), qRgb(0, 255, 0));
    EXPECT_EQ(At(image, x0 - 4, 143), qRgb(0, 255, 0));
    EXPECT_EQ(At(image, x0 + 3, 143 - 2), qRgb(0, 255, 0));
    EXPECT_EQ(At(image, x0 - 4, 143 - 4), White); // disc corner

    // Points 4 and 5 are equal: the segment between them is two rows thick.
    const int x4 = x0 + 3 * 50;
    for (int x = x4 + 5; x < x4 + 45; ++x) {
        ASSERT_EQ(At(image, x, 143), qRgb(0, 255, 0)) << x;
        ASSERT_EQ(At(image, x, 142), qRgb(0, 255, 0)) << x;
        ASSERT_NE(At(image, x, 144), qRgb(0, 255, 0)) << x;
        ASSERT_NE(At(image, x, 141), qRgb(0, 255, 0)) << x;
    }

    // Numbers centred under the points, 3-pixel ticks under the frame and 4 above, dates on top.
    const QFontMetrics metrics = ChartCanvas::ChartFontMetrics();
    EXPECT_TRUE(TextAt(image, x0 - metrics.horizontalAdvance("1") / 2, H - 16, QStringLiteral("1")));
    EXPECT_TRUE(TextAt(image, x0 + 50 - metrics.horizontalAdvance("2") / 2, H - 16, QStringLiteral("2")));
    EXPECT_TRUE(TextAt(image, x0 - metrics.horizontalAdvance("d1") / 2, 16 - metrics.height(), QStringLiteral("d1")));
    for (int y = H - 25; y <= H - 23; ++y)
        EXPECT_EQ(At(image, x0, y), Black);
    EXPECT_EQ(At(image, x0, H - 22), White);
    for (int y = 22; y <= 25; ++y)
        EXPECT_EQ(At(image, x0, y), Black);
    EXPECT_EQ(At(image, x0, 21), White);

    // The control-line texts end 25 pixels right of the group's last point.
    const int xl = x0 + 5 * 50;
    const QString upper = QStringLiteral("ВКМ=10,00 мг");
    EXPECT_TRUE(TextAt(image, xl + 25 - metrics.horizontalAdvance(upper), 50 - 15, upper));
}

TEST_F(DrawChartTest, MovingRangeChartNumbersItsOwnPoints)
{
    // Two groups of five values: four moving ranges each, points 1 to 8 on this chart.
    const std::vector<TIndividualInfo> groups { ChartGroup({ 1, 2, 1, 3 }, { 0, 4, 1.5 }, 2),
        ChartGroup({ 2, 1, 2, 2 }, { 0, 4, 1.5 }, 2) };
    QImage image = Page();
    int extent = int(ChartPageExtent(10, 2, 50, 50));
    DrawChart(groups, NumberedDates(10), image, QStringLiteral("мг"), 1, 2, 0, extent, 0.0);
    const int margin = ChartDrawingState().LeftMargin;
    const QFontMetrics metrics = ChartCanvas::ChartFontMetrics();
    const int x5 = margin + 25 + 3 * 50 + 50; // first point of the second group
    EXPECT_TRUE(TextAt(image, x5 - metrics.horizontalAdvance("5") / 2, H - 16, QStringLiteral("5")));
    EXPECT_TRUE(TextAt(image, x5 - metrics.horizontalAdvance("d5") / 2, 16 - metrics.height(), QStringLiteral("d5")));
    const int x8 = x5 + 3 * 50;
    EXPECT_TRUE(TextAt(image, x8 - metrics.horizontalAdvance("8") / 2, H - 16, QStringLiteral("8")));
}

TEST_F(DrawChartTest, SevenDecimalsSwitchToTheExponentFormForGood)
{
    QImage image = Page();
    int extent = int(ChartPageExtent(6, 1, 50, 50));
    DrawChart(InsideLimits(), NumberedDates(6), image, QString(), 7, 0, 0, extent, 0.0);
    EXPECT_EQ(ChartDrawingState().NumberFormat, (ChartNumberFormat { ChartNumberFormat::Exponent, 4 }));
    const QString bottom = QStringLiteral("0,00E+00 ");
    EXPECT_EQ(ChartDrawingState().LeftMargin, ChartCanvas::ChartFontMetrics().horizontalAdvance(bottom) + 20);
    // A later drawing with fewer decimals keeps it.
    DrawChart(InsideLimits(), NumberedDates(6), image, QString(), 2, 0, 0, extent, 0.0);
    EXPECT_EQ(ChartDrawingState().NumberFormat.Format, ChartNumberFormat::Exponent);
}

TEST_F(DrawChartTest, DegenerateInputDrawsWithoutFailing)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Row {
        const char* name;
        std::vector<TIndividualInfo> groups;
    } rows[] = {
        { "every value and limit equal", { ChartGroup({ 3, 3, 3 }, { 3, 3, 3 }) } },
        { "non-finite values and limits", { ChartGroup({ nan, inf, -inf, 1 }, { -inf, nan, inf }) } },
        { "huge range", { ChartGroup({ 1e308, -1e308 }, { -1e308, 1e308, 0 }) } },
        { "a group without the row", { TIndividualInfo(true), ChartGroup({ 1, 2 }, { 0, 3, 1.5 }) } },
        { "no groups", {} },
    };
    for (Row& row : rows) {
        QImage image = Page();
        int extent = 1000;
        DrawChart(row.groups, {}, image, QStringLiteral("x"), 2, 0, 0, extent, 0.5);
        EXPECT_EQ(At(image, ChartDrawingState().LeftMargin, 100), Black) << row.name;
        RecordingMessenger messenger;
        QImage picture(1, H, QImage::Format_RGB32);
        try {
            DrawChartRange(picture, row.groups, QStringLiteral("x"), 2, 0, 0, 2, 1, {}, messenger);
        } catch (const DrawingAborted&) {
        }
    }
    // Bitmaps of odd sizes draw without failing, too.
    for (const QSize size : { QSize(1, 1), QSize(10, 300), QSize(2000, 40), QSize(0, 0) }) {
        QImage image(size, QImage::Format_RGB32);
        int extent = 5000;
        DrawChart(rows[1].groups, {}, image, QStringLiteral("x"), 2, 0, 0, extent, 1.0);
    }
    // The equal chart draws its centre line in the middle of the widened scale.
    QImage image = Page();
    int extent = 1000;
    DrawChart(rows[0].groups, {}, image, QString(), 1, 0, 0, extent, 0.0);
    EXPECT_EQ(At(image, W - ChartDrawingState().LeftMargin - 2, 143), Black);
}

// The windowed drawing must give the very pixels of drawing the whole chart and copying the
// visible window of it.
TEST_F(DrawChartTest, WindowMatchesTheFullWidthDrawing)
{
    std::vector<double> wave;
    for (int i = 0; i < 23; ++i)
        wave.push_back(10 + ((i * 7) % 11) - 5 + (i == 17 ? 9 : 0));
    std::vector<TIndividualInfo> several {
        ChartGroup({ 10, 12, 11, 14, 9 }, { 7, 15, 11 }),
        ChartGroup({ 12 }, { 9, 16, 12.5 }), // a group of one plotted point
        ChartGroup(wave, { 4, 16, 10 }),
        ChartGroup({ 3, 21 }, { 2, 20, 11 }),
    };
    std::vector<double> longWave;
    for (int i = 0; i < 150; ++i)
        longWave.push_back(10 + 8 * std::sin(i * 0.3));
    std::vector<TIndividualInfo> pairs; // many short groups whose texts reach over their neighbours
    for (int g = 0; g < 12; ++g)
        pairs.push_back(ChartGroup({ 10.0 + g, 11.0 - g % 3 }, { 5.0 + g % 4, 16.0 + g, 10.5 }));
    struct Row {
        const char* name;
        std::vector<TIndividualInfo> groups;
        QString unit;
        int d;
        int s = 0;
        int rowOffset = 0;
    } rows[] = {
        { "one group", { ChartGroup(wave, { 4, 16, 10 }) }, QStringLiteral("мг/л"), 2 },
        { "several groups", several, QStringLiteral("%"), 1 },
        { "short groups, wide texts", pairs, QStringLiteral("одиниці"), 6 },
        { "narrower than the page", { ChartGroup({ 1, 3, 2 }, { 0, 4, 2 }) }, QString(), 3 },
        { "long groups on a relative chart",
            { ChartGroup(longWave, { 2, 18, 10 }, 3, 5), ChartGroup(wave, { 4, 16, 10 }, 3, 5),
                ChartGroup(longWave, { 1, 19, 10 }, 3, 5) },
            QStringLiteral("%"), 2, 3, 5 },
    };
    for (const Row& row : rows) {
        int points = 0;
        for (const TIndividualInfo& group : row.groups)
            points += SeriesOf(group, row.s, row.rowOffset).Count;
        const int initialExtent = int(ChartPageExtent(points, int(row.groups.size()), 50, 50));
        // Plain, and with notes and exclusions scattered over the points (some at group ends).
        const PointMarks scattered = [](int g, int i) { return PointMark { (g + i) % 3 == 0, (g * 5 + i) % 4 == 1 }; };
        for (const PointMarks& marks : { PointMarks {}, scattered }) {
            for (const double f : { 0.0, 0.137, 0.5, 0.77, 1.0 }) {
                ChartDrawingState().Reset();
                QImage expected(W, H, QImage::Format_RGB32);
                int expectedExtent = initialExtent;
                ReferenceDrawChart(row.groups, NumberedDates(points), expected, row.unit, row.d, row.s, row.rowOffset,
                    expectedExtent, f, marks);
                ChartDrawingState().Reset();
                QImage actual(W, H, QImage::Format_RGB32);
                int actualExtent = initialExtent;
                DrawChart(row.groups, NumberedDates(points), actual, row.unit, row.d, row.s, row.rowOffset,
                    actualExtent, f, marks);
                EXPECT_EQ(actualExtent, expectedExtent) << row.name << " f=" << f;
                EXPECT_TRUE(SameImage(actual, expected)) << row.name << " f=" << f << " marks=" << bool(marks);
            }
        }
    }
}

} // namespace
