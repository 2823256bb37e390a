#include "paint/ChartPage.h"
#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"
#include "compute/ComputeDriver.h"
#include "paint/DrawingState.h"
#include "paint/Paint.h"

#include <gtest/gtest.h>

namespace {

class ChartPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ChartDrawingState().Reset();
        BuildDocument(doc, 0, { Column({ "10", "12", "11", "13", "10" }), Column({ "14", "13", "15", "14" }) });
        doc.SetUnits(QStringLiteral(" мг "));
        ASSERT_TRUE(RunComputeCommand(doc)) << messenger.messages.join(QLatin1Char('\n')).toStdString();
    }
    void TearDown() override { ChartDrawingState().Reset(); }

    static std::vector<QStringList> Column(std::initializer_list<const char*> texts)
    {
        std::vector<QStringList> rows;
        for (const char* t : texts)
            rows.push_back({ QString::fromUtf8(t) });
        return rows;
    }

    RecordingMessenger messenger;
    MeasurementDocument doc { messenger };
};

TEST_F(ChartPageTest, PageSizeExtentAndUnits)
{
    EXPECT_EQ(ChartUnitText(doc, 0), QStringLiteral("мг"));
    EXPECT_EQ(ChartUnitText(doc, 3), QStringLiteral("%"));
    // 9 points in 2 groups.
    EXPECT_EQ(PageChartExtent(doc), 2 * 50 + 16 + 130 + 7 * 50);
    QImage image;
    DrawChartPage(doc, 0, image, 0.0);
    EXPECT_EQ(image.size(), QSize(ChartPageWidth, ChartPageHeight));
    EXPECT_EQ(doc.ChartExtent()[0], PageChartExtent(doc) + 2 * ChartDrawingState().LeftMargin - 130);
    EXPECT_TRUE(messenger.messages.isEmpty());
}

TEST_F(ChartPageTest, ExponentFormReachesTheDocument)
{
    QImage image;
    DrawChartPage(doc, 2, image, 1.0);
    EXPECT_EQ(doc.ChartFormat().Format, ChartNumberFormat::Fixed);
    doc.SetDisplayPrecision(7);
    DrawChartPage(doc, 2, image, 1.0);
    EXPECT_EQ(doc.ChartFormat(), (ChartNumberFormat { ChartNumberFormat::Exponent, 4 }));
    // The next page starts from the document's format: one set from N13 comes through.
    doc.SetDisplayPrecision(2);
    doc.SetChartFormatFromN13();
    DrawChartPage(doc, 0, image, 0.0);
    EXPECT_EQ(ChartDrawingState().NumberFormat.Format, ChartNumberFormat::Fixed);
}

TEST_F(ChartPageTest, ReportPictureAndMargin)
{
    // The first value of the series, with two decimals, and the units.
    const QFontMetrics metrics = ChartCanvas::ChartFontMetrics();
    const int margin = ReportLeftMargin(doc, 0, metrics);
    EXPECT_EQ(margin, metrics.horizontalAdvance(QStringLiteral("10,00 мг")) + 20);
    ChartDrawingState().LeftMargin = margin;
    QImage image;
    DrawReportPicture(doc, 0, 4, 7, image);
    EXPECT_EQ(image.width(), 2 * margin + 2 * 50 + (7 - 4 - 2 + 1) * 50);
    EXPECT_EQ(image.height(), ChartPageHeight);
    EXPECT_EQ(image.pixel(margin, 100) | 0xFF000000, qRgb(0, 0, 0));
    EXPECT_THROW(DrawReportPicture(doc, 2, 8, 8, image), DrawingAborted); // 7 moving ranges
    EXPECT_EQ(messenger.messages,
        QStringList { QStringLiteral("Внутрішня помилка №47-в! Спробуйте ще раз або зверніться до розробника.") });
}

TEST_F(ChartPageTest, SlotsOfEachMode)
{
    EXPECT_TRUE(SlotInUse(doc, 0));
    EXPECT_FALSE(SlotInUse(doc, 1));
    EXPECT_TRUE(SlotInUse(doc, 2));
    EXPECT_FALSE(SlotInUse(doc, 5));
    EXPECT_FALSE(SlotInUse(doc, -1));
    RecordingMessenger quiet;
    MeasurementDocument subgroups(quiet);
    BuildDocument(subgroups, 11, { { QStringList(11, QStringLiteral("1")), QStringList(11, QStringLiteral("2")) } });
    EXPECT_FALSE(SlotInUse(subgroups, 1));
    EXPECT_TRUE(SlotInUse(subgroups, 5));
    EXPECT_FALSE(SlotInUse(subgroups, 6));
}

} // namespace
