#include "UiTestSupport.h"

#include "paint/ChartPage.h"
#include "paint/DrawingState.h"
#include "ui/ChartPageView.h"

#include <QImage>
#include <QProcess>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

// The chart meridan-cli draws of the example at a scroll fraction, in the tests' locale.
QImage CliChart(int slot, double fraction)
{
    QTemporaryDir folder;
    const QString output = folder.filePath(QStringLiteral("chart.png"));
    QProcess cli;
    cli.start(QStringLiteral(MERIDAN_CLI),
        { QStringLiteral("chart"), QStringLiteral(MERIDAN_SOURCE_DIR "/data/pistonrings.mrd"), QStringLiteral("--slot"),
            QString::number(slot), QStringLiteral("--scroll"), QString::number(fraction, 'g', 17),
            QStringLiteral("--locale"), QLocale().name(), QStringLiteral("-o"), output });
    EXPECT_TRUE(cli.waitForFinished(30000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    return QImage(output).convertToFormat(QImage::Format_RGB32);
}

int NonWhitePixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += (image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
    return count;
}

int DifferentPixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return -1;
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += (a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF);
    return count;
}

} // namespace

TEST(ChartPageView, EmptyUntilResults)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    ChartPageView view(doc, 0);
    EXPECT_EQ(view.ScrollBar()->objectName(), QStringLiteral("ScrollBar1"));
    EXPECT_EQ(view.findChild<QWidget*>(QStringLiteral("Image1"))->size(), QSize(773, 285));
    EXPECT_EQ(view.Image().size(), QSize(ChartPageWidth, ChartPageHeight));
    EXPECT_FALSE(view.ScrollBar()->isEnabled());
    view.Redraw(); // nothing computed: stays white
    EXPECT_EQ(NonWhitePixels(view.Image()), 0);
}

TEST(ChartPageView, ScrollRangeAndStepsPerSlot)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    LoadComputedExample(doc);
    // 40 points in 2 groups: 2 x 50 + 50 div 3 + 130 + 38 x 50.
    const int extent = 2146;
    const QString names[ChartSlotCount]
        = { "ScrollBar1", "ScrollBar3", "ScrollBar4", "ScrollBar5", "ScrollBar6", "ScrollBar7" };
    for (int slot = 0; slot < ChartSlotCount; ++slot) {
        SCOPED_TRACE(slot);
        ChartPageView view(doc, slot);
        EXPECT_EQ(view.Slot(), slot);
        EXPECT_EQ(view.ScrollBar()->objectName(), names[slot]);
        view.UpdateScrollRange();
        EXPECT_EQ(doc.ChartExtent()[size_t(slot)], extent);
        EXPECT_TRUE(view.ScrollBar()->isEnabled());
        EXPECT_EQ(view.ScrollBar()->minimum(), 0);
        EXPECT_EQ(view.ScrollBar()->maximum(), extent - 773);
        EXPECT_EQ(view.ScrollBar()->singleStep(), 1);
        EXPECT_EQ(view.ScrollBar()->pageStep(), slot <= 3 ? 50 : 1);
    }

    // A chart narrower than the image does not scroll.
    MeasurementDocument small(messenger);
    BuildComputed(small, 0, { { { "10" }, { "12" }, { "11" } } });
    ChartPageView view(small, 0);
    view.UpdateScrollRange();
    EXPECT_FALSE(view.ScrollBar()->isEnabled());
    EXPECT_EQ(view.ScrollBar()->maximum(), 0);
    EXPECT_EQ(view.ScrollFraction(), 0.0);
    view.Redraw();
    EXPECT_GT(NonWhitePixels(view.Image()), 1000); // frame, lines, points and texts
    view.Clear();
    EXPECT_EQ(NonWhitePixels(view.Image()), 0);
}

// One paint path: a page on screen is the picture the command line draws of the same document,
// slot and scroll position, pixel for pixel.
TEST(ChartPageView, ScrolledPageIsTheCommandLineChart)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    LoadComputedExample(doc);
    for (int slot : { 0, 1, 3, 4 }) {
        SCOPED_TRACE(slot);
        ChartPageView view(doc, slot);
        view.UpdateScrollRange();
        QSignalSpy scrolled(&view, &ChartPageView::scrolled);
        // The program places the bar (no scrolling reported), then the analyst steps it once.
        const int position = slot == 0 ? 0 : view.ScrollBar()->maximum() * slot / 4;
        view.ScrollBar()->setValue(position - 1);
        EXPECT_EQ(scrolled.count(), 0);
        if (position == 0) {
            view.Redraw();
        } else {
            view.ScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            EXPECT_EQ(view.ScrollBar()->value(), position);
            EXPECT_EQ(scrolled.count(), 1);
            EXPECT_EQ(scrolled.front().at(0).toInt(), slot);
        }
        const double fraction = double(position) / view.ScrollBar()->maximum();
        EXPECT_EQ(view.ScrollFraction(), fraction);
        const QImage page = view.Image().convertToFormat(QImage::Format_RGB32);
        SaveSnapshot(
            *view.findChild<QWidget*>(ChartPageView::ImageName(slot)), QStringLiteral("Image-slot%1").arg(slot));
        EXPECT_EQ(DifferentPixels(page, CliChart(slot, fraction)), 0);
    }
}
