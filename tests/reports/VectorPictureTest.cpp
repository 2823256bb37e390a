#include "ReportTestSupport.h"

#include "paint/ChartCanvas.h"
#include "paint/ChartPage.h"
#include "paint/DrawingState.h"
#include "reports/PreparedReport.h"
#include "reports/ReportAssembler.h"
#include "reports/ReportEngine.h"
#include "reports/ReportExport.h"
#include "reports/ReportValues.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

namespace {

struct FoundPicture {
    int Page = -1;
    rpt::ImageCmd Command;
};

FoundPicture FirstPicture(const rpt::PreparedReport& report)
{
    for (int p = 0; p < report.pageCount(); ++p) {
        for (const rpt::DrawCmd& command : report.page(p).commands) {
            if (const auto* image = std::get_if<rpt::ImageCmd>(&command); image && image->image)
                return { p, *image };
        }
    }
    return {};
}

// Pixels of `raster` (offset by dx, dy) that differ from `bitmap`, outside the text boxes.
int DifferingPixels(const QImage& raster, int dx, int dy, const QImage& bitmap, const ChartDrawing& drawing)
{
    QImage mask(bitmap.size(), QImage::Format_Grayscale8);
    mask.fill(0);
    for (const ChartDrawing::Label& label : drawing.Labels()) {
        const QRect box = label.Box.adjusted(-2, -2, 2, 2).intersected(mask.rect());
        for (int y = box.top(); y <= box.bottom(); ++y)
            memset(mask.scanLine(y) + box.left(), 1, size_t(box.width()));
    }
    int differing = 0;
    for (int y = 0; y < bitmap.height(); ++y) {
        for (int x = 0; x < bitmap.width(); ++x) {
            if (mask.constScanLine(y)[x] != 0)
                continue;
            const int rx = x + dx, ry = y + dy;
            const bool inside = rx >= 0 && ry >= 0 && rx < raster.width() && ry < raster.height();
            if (!inside || (raster.pixel(rx, ry) & 0xFFFFFF) != (bitmap.pixel(x, y) & 0xFFFFFF))
                ++differing;
        }
    }
    return differing;
}

class VectorPictureTest : public ::testing::Test {
protected:
    void SetUp() override { ChartDrawingState().Reset(); }
    void TearDown() override { ChartDrawingState().Reset(); }
};

// A report picture goes into the PDF as vectors and texts. Rasterised without antialiasing at its
// own size it shows the bitmap drawing of the same range, pixel for pixel but for a few, outside
// the texts; the page holds no raster image, and the chart's labels are text.
TEST_F(VectorPictureTest, PdfPictureRasterisedAtItsSizeIsTheBitmap)
{
    const QString pdftoppm = Tool("pdftoppm"), pdfimages = Tool("pdfimages"), pdftotext = Tool("pdftotext");
    if (pdftoppm.isEmpty() || pdfimages.isEmpty() || pdftotext.isEmpty())
        GTEST_SKIP() << "poppler-utils are not installed";
    RecordingMessenger messenger;
    auto doc = IndividualDocument(messenger, { 7, 9 });
    PointNote note;
    note.Note = QStringLiteral("Перевірити калібрування");
    doc->SetPointNote(3, note); // a marked point too
    rpt::ReportEngine engine;
    ReportAssembler assembler(*doc, engine, DeliveredTemplateFolder());
    ReportRequest request = DefaultReportRequest(*doc);
    request.Charts[0] = { true, QStringLiteral("1"), QStringLiteral("16"), false };
    request.Rules = false;
    ASSERT_EQ(assembler.Assemble(request), ReportAssembler::Outcome::Done);
    const int margin = ChartDrawingState().LeftMargin;

    const FoundPicture found = FirstPicture(engine.prepared());
    ASSERT_GE(found.Page, 0);
    const ChartDrawing* drawing = found.Command.image->drawing();
    ASSERT_NE(drawing, nullptr);

    // The bitmap of the same range, as the chart command draws it.
    ChartDrawingState().Reset();
    ChartDrawingState().LeftMargin = margin;
    QImage bitmap;
    const ReportValues::PictureRange range = ReportValues::PictureRangeOf(1, 16, assembler.PointsPerPicture(), 0);
    DrawReportPicture(*doc, 0, range.First, range.Last, bitmap);
    ASSERT_EQ(bitmap.size(), drawing->Size());

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    rpt::exportPdf(engine.prepared(), pdf);

    // The picture alone on a page of its size, so that its pixels fall on whole raster pixels;
    // one picture pixel per raster pixel. The crop starts a pixel early, the offset is searched.
    rpt::PreparedReport alone;
    rpt::ImageCmd command = found.Command;
    command.rectMm.moveTopLeft(QPointF(0, 0));
    command.clipMm = command.rectMm;
    alone.addPage(command.rectMm.size()).commands.emplace_back(command);
    const QString picturePdf = dir.filePath(QStringLiteral("picture.pdf"));
    rpt::exportPdf(alone, picturePdf);
    const QRectF rect = command.rectMm;
    const double dpi = drawing->Width() / (rect.width() / 25.4);
    EXPECT_NEAR(rect.height() / 25.4 * dpi, drawing->Height(), 0.01);
    const int left = 0, top = 0;
    const QString page = QStringLiteral("1");
    const QString prefix = dir.filePath(QStringLiteral("picture"));
    RunTool(pdftoppm,
        { QStringLiteral("-f"), page, QStringLiteral("-l"), page, QStringLiteral("-r"), QString::number(dpi, 'f', 6),
            QStringLiteral("-x"), QString::number(left), QStringLiteral("-y"), QString::number(top),
            QStringLiteral("-W"), QString::number(drawing->Width()), QStringLiteral("-H"),
            QString::number(drawing->Height()), QStringLiteral("-aa"), QStringLiteral("no"),
            QStringLiteral("-aaVector"), QStringLiteral("no"), QStringLiteral("-png"), QStringLiteral("-singlefile"),
            picturePdf, prefix });
    const QImage raster(prefix + QStringLiteral(".png"));
    ASSERT_FALSE(raster.isNull());
    int best = INT_MAX;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx)
            best = std::min(best, DifferingPixels(raster, dx, dy, bitmap, *drawing));
    }
    const int pixels = bitmap.width() * bitmap.height();
    EXPECT_LE(best, pixels / 200) << best << " of " << pixels << " pixels differ";
    // The fills are whole pixels, so in fact next to none differ: a disc drawn a pixel aside
    // (some 250 pixels over the picture) must not slip through the allowance.
    EXPECT_LE(best, pixels / 2000) << best << " of " << pixels << " pixels differ";

    const QString images = RunTool(pdfimages, { QStringLiteral("-list"), pdf });
    EXPECT_EQ(images.split(u'\n', Qt::SkipEmptyParts).size(), 2) << images.toStdString(); // the header only
    const QString text = RunTool(pdftotext, { pdf, QStringLiteral("-") });
    for (const char* label : { "ВКМ=", "НКМ=", "Центр=" })
        EXPECT_TRUE(text.contains(QString::fromUtf8(label))) << label;
}

// The exporters that need bitmaps get the bitmap drawing's pixels from a vector picture.
TEST_F(VectorPictureTest, StoredDrawingGivesTheBitmap)
{
    RecordingMessenger messenger;
    auto doc = IndividualDocument(messenger, { 12 });
    ChartDrawingState().LeftMargin = ReportLeftMargin(*doc, 0, ChartCanvas::ChartFontMetrics());
    auto drawing = std::make_shared<ChartDrawing>();
    DrawReportPicture(*doc, 0, 2, 9, *drawing);
    QImage bitmap;
    DrawReportPicture(*doc, 0, 2, 9, bitmap);
    const rpt::StoredImage stored(drawing);
    EXPECT_EQ(stored.size(), bitmap.size());
    EXPECT_EQ(stored.image(), bitmap);
    EXPECT_EQ(QImage::fromData(stored.png()).convertToFormat(QImage::Format_RGB32), bitmap);
    EXPECT_GT(stored.storedBytes(), 0);
}

} // namespace
