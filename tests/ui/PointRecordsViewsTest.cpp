#include "UiTestSupport.h"

#include "compute/ComputeDriver.h"
#include "model/DocumentFile.h"
#include "model/PointNote.h"
#include "paint/ChartPage.h"
#include "paint/DrawingState.h"
#include "presentation/MainWindowState.h"
#include "reports/ReportEngine.h"
#include "ui/ChartPageView.h"
#include "ui/ChartPages.h"
#include "ui/DetailsWindow.h"
#include "ui/Hints.h"
#include "ui/ReportDialog.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

// What the chart pages, the details window and the report options make of the points' notes
// and exclusions.

namespace {

PointNote Note(const QString& note, const QString& excluded = QString())
{
    return PointNote { note, QString(), excluded, QStringLiteral("lab"), QStringLiteral("2026-03-05T14:07:09+02:00") };
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

// The example with a note on every third point and two points kept out, computed.
void RecordedExample(MeasurementDocument& doc)
{
    ASSERT_TRUE(LoadDocument(doc, QStringLiteral(MERIDAN_SOURCE_DIR "/data/pistonrings.mrd")));
    for (int row = 2; row < doc.TableRowCount(); row += 3) {
        if (!doc.IsSeparatorRow(row))
            doc.SetPointNote(row, Note(QStringLiteral("Примітка %1").arg(row)));
    }
    doc.SetPointNote(5, Note(QString(), QStringLiteral("Збій термостата")));
    doc.SetPointNote(8, Note(QStringLiteral("Повтор"), QStringLiteral("Забруднена кювета")));
    ASSERT_TRUE(RunComputeCommand(doc));
}

} // namespace

// The page on screen is the drawing the command-line chart makes of the same document, marks
// included; and the marks change the picture.
TEST(PointRecordsViews, ChartPageShowsTheMarksAsTheCommandLineDrawsThem)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    RecordedExample(doc);
    MeasurementDocument plain(messenger);
    LoadComputedExample(plain);
    for (int slot = 0; slot < ChartSlotCount; ++slot) {
        if (!SlotInUse(doc, slot))
            continue;
        SCOPED_TRACE(slot);
        ChartPageView view(doc, slot);
        view.UpdateScrollRange();
        view.Redraw();
        QImage direct;
        DrawChartPage(doc, slot, direct, view.ScrollFraction());
        EXPECT_EQ(DifferentPixels(view.Image().convertToFormat(QImage::Format_RGB32), direct), 0);
        QImage unmarked;
        DrawChartPage(plain, slot, unmarked, view.ScrollFraction());
        EXPECT_GT(DifferentPixels(direct, unmarked), 20);
        SaveSnapshot(
            *view.findChild<QWidget*>(ChartPageView::ImageName(slot)), QStringLiteral("Image-marks-slot%1").arg(slot));
    }
    EXPECT_TRUE(messenger.messages.isEmpty());
}

// Through the file and meridan-cli: pixel for pixel the page on screen, once the file keeps notes.
TEST(PointRecordsViews, CommandLineChartOfASavedDocumentWithNotes)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    RecordedExample(doc);
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("notes.mrd"));
    ASSERT_TRUE(SaveDocument(doc, file));
    MeasurementDocument reread(messenger);
    ASSERT_TRUE(LoadDocument(reread, file));
    if (reread.PointNotes() != doc.PointNotes())
        GTEST_SKIP() << "this build's document file does not keep the notes";
    ChartPageView view(doc, 0);
    view.UpdateScrollRange();
    view.Redraw();
    const QString output = folder.filePath(QStringLiteral("chart.png"));
    QProcess cli;
    cli.start(QStringLiteral(MERIDAN_CLI),
        { QStringLiteral("chart"), file, QStringLiteral("--slot"), QStringLiteral("0"), QStringLiteral("--locale"),
            QLocale().name(), QStringLiteral("-o"), output });
    ASSERT_TRUE(cli.waitForFinished(30000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    EXPECT_EQ(DifferentPixels(view.Image().convertToFormat(QImage::Format_RGB32),
                  QImage(output).convertToFormat(QImage::Format_RGB32)),
        0);
}

// A note added to a computed document shows on the chart pages at once.
TEST(PointRecordsViews, ChartPagesRedrawWhenANoteChanges)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    LoadComputedExample(doc);
    Hints hints;
    QWidget window;
    window.resize(1000, 700);
    auto* pages = new QTabWidget(&window);
    for (int tab = 0; tab <= ChartSlotCount; ++tab)
        pages->addTab(new QWidget, QString::number(tab));
    ChartPages charts(doc, hints, &window, pages, 0, 1, &window);
    charts.RedrawChartSet();
    const QImage before = charts.ChartView(0)->Image().copy();
    doc.SetPointNote(2, Note(QStringLiteral("Нова партія реактиву")));
    ASSERT_TRUE(doc.IsComputed());
    EXPECT_GT(DifferentPixels(charts.ChartView(0)->Image(), before), 10);
    doc.SetPointNote(2, PointNote {});
    EXPECT_EQ(DifferentPixels(charts.ChartView(0)->Image(), before), 0);
}

// The details window names the note beside a hit's point, and every row still shows whole.
TEST(PointRecordsViews, DetailsShowTheNotesOfTheHits)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    RecordedExample(doc);
    doc.SetPointNote(3, Note(QStringLiteral("Нова партія реактиву; перевірено калібрування ваг і піпеток дозатора")));
    TSlotHits hits;
    hits.Westgard = { { 1, 2, 2 }, { 1, 3, 3 }, { 5, 2, 5 } };
    hits.Iso = { { 2, 1, 9 } };
    Hints hints;
    TFDet details(hints);
    details.SetHits(hits, doc, SlotCentre);
    details.Prepare(CriteriaFamily::Westgard, QStringLiteral("Карта середніх"), 2);
    details.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&details));
    QTableView* grid = details.WestgardGrid();
    const QString first = grid->model()->index(0, 2).data().toString();
    EXPECT_TRUE(first.contains(QStringLiteral(" 2 (")));
    EXPECT_TRUE(first.contains(QStringLiteral("(примітка: Примітка 2)"))) << first.toStdString();
    EXPECT_TRUE(first.contains(QStringLiteral("(примітка: Нова партія реактиву; перевірено калібрування ваг і")))
        << first.toStdString();
    const QString fifth = grid->model()->index(4, 2).data().toString();
    EXPECT_TRUE(fifth.contains(QStringLiteral("(точка 2, примітка: Примітка 2)"))) << fifth.toStdString();
    for (int row = 0; row < grid->model()->rowCount(); ++row) {
        const QRect cell = grid->visualRect(grid->model()->index(row, 2));
        const QString text = grid->model()->index(row, 2).data().toString();
        const QRect needed
            = grid->fontMetrics().boundingRect(QRect(0, 0, grid->columnWidth(2) - 8, 10000), Qt::TextWordWrap, text);
        EXPECT_LE(needed.height(), cell.height()) << row;
        EXPECT_LE(cell.bottom(), grid->viewport()->height()) << row;
    }
    SaveSnapshot(details, QStringLiteral("TFDet-notes"));
    // Without notes the rows are those of the plain presentation.
    MeasurementDocument plain(messenger);
    LoadComputedExample(plain);
    details.SetHits(hits, plain, SlotCentre);
    EXPECT_EQ(grid->model()->index(0, 2).data().toString(),
        DetailsGridRows(CriteriaFamily::Westgard, hits.Westgard, plain.PointDates()).at(1).Points);
}

namespace {

class ReportRecordsOptions : public ::testing::Test {
protected:
    void open(MeasurementDocument& doc)
    {
        std::array<QString, ChartSlotCount> captions;
        for (int s = 0; s < ChartSlotCount; ++s)
            captions[size_t(s)] = MainWindowState(doc).TabCaption(s);
        dialog.SetDocument(&doc);
        dialog.SetTemplateFolder(QDir(QStringLiteral(MERIDAN_SOURCE_DIR)).filePath(QStringLiteral("data/Data")));
        dialog.SetChartCaptions(captions);
        dialog.SetPreviewHandler([this](rpt::ReportEngine&) { ++previews; });
        dialog.show();
    }
    QCheckBox* notes() const { return dialog.findChild<QCheckBox*>(QStringLiteral("CheckBoxNotes")); }
    QCheckBox* log() const { return dialog.findChild<QCheckBox*>(QStringLiteral("CheckBoxLog")); }

    RecordingMessenger messenger;
    TfmReportDialog dialog;
    int previews = 0;
};

} // namespace

TEST_F(ReportRecordsOptions, NotesOnWhenAnyPointHasOneLogNever)
{
    MeasurementDocument doc(messenger);
    LoadComputedExample(doc);
    open(doc);
    ASSERT_TRUE(notes() && log());
    EXPECT_FALSE(notes()->isChecked());
    EXPECT_FALSE(log()->isChecked());
    EXPECT_FALSE(dialog.Request().Notes);
    // How the rules are applied: on for every report, inside the records box.
    const QCheckBox* rules = dialog.findChild<QCheckBox*>(QStringLiteral("CheckBoxRules"));
    ASSERT_TRUE(rules);
    EXPECT_TRUE(rules->isChecked());
    EXPECT_TRUE(dialog.Request().Rules);
    // Inside the window, beside the data-table box, whatever the mode.
    const QGroupBox* box = dialog.findChild<QGroupBox*>(QStringLiteral("GroupBox8"));
    ASSERT_TRUE(box);
    EXPECT_TRUE(box->rect().contains(rules->geometry()));
    EXPECT_TRUE(dialog.rect().contains(box->geometry()));
    EXPECT_FALSE(box->geometry().intersects(dialog.findChild<QGroupBox*>(QStringLiteral("GroupBox7"))->geometry()));
    dialog.hide();

    MeasurementDocument recorded(messenger);
    RecordedExample(recorded);
    open(recorded);
    EXPECT_TRUE(notes()->isChecked());
    EXPECT_FALSE(log()->isChecked());
    log()->click();
    const ReportRequest request = dialog.Request();
    EXPECT_TRUE(request.Notes);
    EXPECT_TRUE(request.ChangeLog);
    dialog.findChild<QPushButton*>(QStringLiteral("Button2"))->click();
    EXPECT_EQ(previews, 1);
    EXPECT_TRUE(messenger.messages.isEmpty()) << messenger.messages.join(QLatin1Char('\n')).toStdString();
    SaveSnapshot(dialog, QStringLiteral("fmReportDialog-records"));
    // Every showing starts from the defaults again.
    dialog.hide();
    notes()->setChecked(false);
    dialog.show();
    EXPECT_TRUE(notes()->isChecked());
    EXPECT_FALSE(log()->isChecked());
}
