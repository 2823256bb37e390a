#include "ReportTestSupport.h"

#include "paint/DrawingState.h"
#include "reports/PdfWriter.h"
#include "reports/PreparedReport.h"
#include "reports/ReportAssembler.h"
#include "reports/ReportEngine.h"
#include "reports/ReportExport.h"
#include "reports/TextMeasurer.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The PDF writer against the reference: the same pages painted through QPdfWriter.

namespace {

bool HavePoppler()
{
    return !Tool("pdftoppm").isEmpty() && !Tool("pdftotext").isEmpty() && !Tool("pdfinfo").isEmpty();
}

// The pages of a PDF as grey images at dpi.
std::vector<QImage> Pages(const QString& pdf, int dpi)
{
    const QString prefix = pdf + QStringLiteral("-page");
    RunTool(Tool("pdftoppm"), { QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-gray"), pdf, prefix });
    std::vector<QImage> pages;
    const QFileInfo info(pdf);
    QStringList files = QDir(info.path()).entryList({ info.fileName() + QStringLiteral("-page*.pgm") }, QDir::Files);
    files.sort(); // pdftoppm pads the page numbers
    for (const QString& file : files)
        pages.emplace_back(QDir(info.path()).filePath(file));
    return pages;
}

// Pixels whose grey differs by more than a quarter of the range: glyphs a fraction of a pixel
// apart differ only in their antialiased edges, a misplaced text or line differs in its body.
double DifferingShare(const QImage& a, const QImage& b)
{
    // The page sizes may round to a raster row apart.
    if (a.isNull() || b.isNull() || std::abs(a.width() - b.width()) > 1 || std::abs(a.height() - b.height()) > 1)
        return 1;
    const QRect common(0, 0, std::min(a.width(), b.width()), std::min(a.height(), b.height()));
    const QImage x = a.copy(common).convertToFormat(QImage::Format_Grayscale8);
    const QImage y = b.copy(common).convertToFormat(QImage::Format_Grayscale8);
    qsizetype differing = 0;
    for (int row = 0; row < x.height(); ++row) {
        const uchar* p = x.constScanLine(row);
        const uchar* q = y.constScanLine(row);
        for (int column = 0; column < x.width(); ++column)
            differing += std::abs(int(p[column]) - int(q[column])) > 64 ? 1 : 0;
    }
    return double(differing) / double(qsizetype(x.width()) * x.height());
}

QStringList Words(const QString& pdf)
{
    QStringList words = RunTool(Tool("pdftotext"), { pdf, QStringLiteral("-") })
                            .split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    words.sort();
    return words;
}

class PdfWriterTest : public ::testing::Test {
protected:
    void SetUp() override { ChartDrawingState().Reset(); }
    void TearDown() override { ChartDrawingState().Reset(); }
};

} // namespace

// A whole report of either mode, charts, tables, rules and all: every page looks as the painter
// draws it and carries the same words.
TEST_F(PdfWriterTest, PagesAsThePainterDrawsThem)
{
    if (!HavePoppler())
        GTEST_SKIP() << "poppler-utils are not installed";
    RecordingMessenger messenger;
    std::vector<std::unique_ptr<MeasurementDocument>> documents;
    documents.push_back(IndividualDocument(messenger, { 7, 9 }));
    documents.push_back(SubgroupDocument(messenger, 5, { 12 }));
    for (const auto& doc : documents) {
        SCOPED_TRACE(doc->IndividualMode() ? "individual values" : "subgroups");
        rpt::ReportEngine engine;
        ReportAssembler assembler(*doc, engine, DeliveredTemplateFolder());
        ASSERT_EQ(assembler.Assemble(DefaultReportRequest(*doc)), ReportAssembler::Outcome::Done);
        QTemporaryDir dir;
        const QString written = dir.filePath(QStringLiteral("written.pdf"));
        const QString painted = dir.filePath(QStringLiteral("painted.pdf"));
        rpt::exportPdf(engine.prepared(), written);
        rpt::exportPdfThroughPainter(engine.prepared(), painted);

        const std::vector<QImage> ours = Pages(written, 60);
        const std::vector<QImage> reference = Pages(painted, 60);
        ASSERT_EQ(int(ours.size()), engine.prepared().pageCount());
        ASSERT_EQ(ours.size(), reference.size());
        for (size_t p = 0; p < ours.size(); ++p)
            EXPECT_LT(DifferingShare(ours[p], reference[p]), 0.002) << "page " << p + 1;
        EXPECT_EQ(Words(written), Words(painted));
        EXPECT_LT(QFileInfo(written).size(), QFileInfo(painted).size());
    }
}

// More glyphs of one face than one-byte codes hold, a combining mark, a character no font has
// and fallback faces: the text comes back out whole, and every font is embedded.
TEST_F(PdfWriterTest, ManyGlyphsComeBackAsText)
{
    if (!HavePoppler())
        GTEST_SKIP() << "poppler-utils are not installed";
    QString latin, cyrillic, greek, accented;
    for (char16_t c = u'A'; c <= u'Z'; ++c)
        latin += QChar(c) + QString(QChar(char16_t(c + 32)));
    for (char16_t c = 0x410; c <= 0x44F; ++c)
        cyrillic += QChar(c);
    cyrillic += QStringLiteral("ЄєІіЇїҐґ");
    for (char16_t c = 0x391; c <= 0x3C9; ++c) {
        if (c != 0x3A2 && (c < 0x3AA || c > 0x3B0))
            greek += QChar(c);
    }
    for (char16_t c = 0xC0; c <= 0xFF; ++c) {
        if (c != 0xD7 && c != 0xF7)
            accented += QChar(c);
    }
    const QStringList lines { latin, cyrillic, greek, accented, QStringLiteral("0123456789 ±≤≥ σ x̄ R̄ №"),
        QStringLiteral("Кінець \U0000E000 тексту ✓ 測") };

    rpt::PreparedReport report;
    rpt::PreparedPage& page = report.addPage(QSizeF(210, 297));
    rpt::TextCmd text;
    text.rectMm = QRectF(10, 10, 190, 100);
    text.font = rpt::TextMeasurer::makeFont(QStringLiteral("Arial"), 8, false, false, false);
    text.lineHeightMm = 6;
    text.lines = lines;
    page.commands.emplace_back(text);

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("glyphs.pdf"));
    rpt::exportPdf(report, pdf);
    EXPECT_EQ(RunProgram(Tool("pdfinfo"), { pdf }).ExitCode, 0);
    const QString extracted = RunTool(Tool("pdftotext"), { pdf, QStringLiteral("-") });
    for (const QString& line : lines.mid(0, 5))
        EXPECT_TRUE(extracted.contains(line)) << line.toStdString() << "\n" << extracted.toStdString();
    EXPECT_TRUE(extracted.contains(QStringLiteral("Кінець"))) << extracted.toStdString();
    const QString fonts = RunTool(Tool("pdffonts"), { pdf });
    const QStringList rows = fonts.split(u'\n', Qt::SkipEmptyParts).mid(2);
    EXPECT_GE(rows.size(), 2) << fonts.toStdString(); // two code tables of Liberation Sans at least
    for (const QString& row : rows)
        EXPECT_TRUE(row.contains(QStringLiteral(" yes yes yes "))) << row.toStdString();
}

// A report without pages is still a PDF a reader opens: one empty page, as the painter gives.
// A device that takes no bytes is a failure, not a short file.
TEST_F(PdfWriterTest, EmptyReportAndRefusingDevice)
{
    if (!HavePoppler())
        GTEST_SKIP() << "poppler-utils are not installed";
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("empty.pdf"));
    rpt::exportPdf(rpt::PreparedReport(), pdf);
    const ToolResult info = RunProgram(Tool("pdfinfo"), { pdf });
    EXPECT_EQ(info.ExitCode, 0);
    EXPECT_TRUE(info.Output.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))))
        << info.Output.toStdString();

    class Refusing : public QIODevice {
    protected:
        qint64 readData(char*, qint64) override { return -1; }
        qint64 writeData(const char*, qint64) override { return -1; }
    } refusing;
    refusing.open(QIODevice::WriteOnly);
    EXPECT_FALSE(rpt::writePdf(rpt::PreparedReport(), refusing, {}));
}
