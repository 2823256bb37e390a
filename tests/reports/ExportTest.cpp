#include "EngineTestSupport.h"
#include "ReportTestSupport.h"

#include "reports/PageRenderer.h"
#include "reports/ReportEngine.h"
#include "reports/ReportExport.h"
#include "reports/TextMeasurer.h"

#include <QFile>
#include <QFontInfo>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rpt;

namespace {

// A small report of two templates: a page header with page numbers, a framed table with
// Cyrillic text, and chart-like pictures.
void PrepareSample(ReportEngine& engine, int pictures = 3)
{
    const QString header = QStringLiteral(R"(
<band type="pageHeader" name="PageHeader1" height="18">
 <memo name="LabFull" x="0" y="0" w="190" h="5" bold="true" align="center">[Lab_FullName]</memo>
 <memo name="LabShort" x="0" y="5" w="130" h="4">[Lab_ShortName]  [TableName]</memo>
 <memo name="Today" x="130" y="5" w="60" h="4" align="right">[Date]</memo>
 <memo name="Sign" x="0" y="10" w="130" h="4">Підпис оператора: ______________</memo>
 <memo name="PageNo" x="130" y="10" w="60" h="4" align="right">Сторінка [Page#] з [TotalPages#]</memo>
 <line x1="0" y1="16" x2="190" y2="16" width="0.3"/>
</band>)");
    engine.loadTemplateXml(TemplateXml(header + QStringLiteral(R"(
<band type="header" name="Header1" height="6" repeatOnNewPage="true">
 <memo name="H1" x="0" y="0" w="25" h="6" frame="ltrb" bold="true" align="center" valign="center" fill="#e8e8e8">№</memo>
 <memo name="H2" x="25" y="0" w="60" h="6" frame="ltrb" bold="true" align="center" valign="center" fill="#e8e8e8">Дата</memo>
 <memo name="H3" x="85" y="0" w="60" h="6" frame="ltrb" bold="true" align="center" valign="center" fill="#e8e8e8">Значення</memo>
</band>
<band type="data" name="MasterData1" dataSet="frxUserDataSet1" height="5">
 <memo name="C1" x="0" y="0" w="25" h="5" frame="ltrb" stretch="max" valign="center">[SG3_1]</memo>
 <memo name="C2" x="25" y="0" w="60" h="5" frame="ltrb" stretch="max" valign="center" align="center">[SG3_2]</memo>
 <memo name="C3" x="85" y="0" w="60" h="5" frame="ltrb" stretch="actual" valign="center" align="right">[SG1_1]</memo>
</band>)")),
        QStringLiteral("individ.fr3"));
    engine.setDate(QDate(2024, 3, 15));
    engine.setValueCallback([&engine](const QString& name) -> std::optional<QString> {
        const int row = engine.dataSet(QStringLiteral("frxUserDataSet1"))->currentRow();
        if (name == u"Lab_FullName")
            return QStringLiteral("Випробувальна лабораторія якості «Мерідан»");
        if (name == u"Lab_ShortName")
            return QStringLiteral("ВЛ «Мерідан»");
        if (name == u"TableName")
            return QStringLiteral("Поршневі кільця");
        if (name == u"SG3_1")
            return row == 70 ? QStringLiteral("Загалом по групі точок 1-70") : QString::number(row + 1);
        if (name == u"SG3_2")
            return QStringLiteral("%1.03.2024").arg(row % 28 + 1, 2, 10, QLatin1Char('0'));
        if (name == u"SG1_1")
            return QStringLiteral("74,0%1").arg(row % 10);
        if (name == u"CardName") {
            QImage chart(718, 285, QImage::Format_RGB32);
            chart.fill(Qt::white);
            QPainter painter(&chart);
            painter.setPen(QPen(Qt::red, 1));
            for (int x = 0; x < 700; x += 50)
                painter.drawLine(x, 40 + (x * 7) % 200, x + 50, 40 + ((x + 50) * 7) % 200);
            painter.end();
            engine.picture(QStringLiteral("Picture1"))->setImage(chart);
            return QStringLiteral("Карта середніх (точки №№%1-%2)").arg(row * 11 + 1).arg(row * 11 + 12);
        }
        return std::nullopt;
    });
    engine.dataSet(QStringLiteral("frxUserDataSet1"))->setRowCount(71);
    engine.prepare(true);

    engine.loadTemplateXml(TemplateXml(header + QStringLiteral(R"(
<band type="data" name="MasterData3" dataSet="frxUserDataSet1" height="82">
 <memo name="Title" x="0" y="0" w="190" h="5" bold="true">[CardName]</memo>
 <picture name="Picture1" x="0" y="6" w="190" h="75" fit="keepAspect" frame="ltrb"/>
</band>)")),
        QStringLiteral("card.fr3"));
    engine.dataSet(QStringLiteral("frxUserDataSet1"))->setRowCount(pictures);
    engine.prepare(false);
}

}

// The templates name "Arial"; Debian's metric-compatible Liberation Sans must stand in for it,
// or every report would lay out differently. A machine without fonts-liberation2 fails here.
TEST(ReportFonts, ArialResolvesToLiberationSans)
{
    for (bool bold : { false, true }) {
        const QFont font = TextMeasurer::makeFont(QStringLiteral("Arial"), 9, bold, false, false);
        EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("Liberation Sans"));
    }
}

TEST(ReportExport, PdfHasA4PagesEmbeddedFontsCyrillicTextAndLosslessPictures)
{
    const QString pdfinfo = Tool("pdfinfo"), pdffonts = Tool("pdffonts"), pdftotext = Tool("pdftotext"),
                  pdfimages = Tool("pdfimages");
    if (pdfinfo.isEmpty() || pdffonts.isEmpty() || pdftotext.isEmpty() || pdfimages.isEmpty())
        GTEST_SKIP() << "poppler-utils are not installed";
    ReportEngine engine;
    PrepareSample(engine);
    const int pages = engine.prepared().pageCount();
    ASSERT_GE(pages, 3);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("звіт.pdf"));
    exportPdf(engine.prepared(), pdf, ExportInfo { QStringLiteral("Поршневі кільця") });

    const QString info = RunTool(pdfinfo, { pdf });
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages)))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("(A4)"))) << info.toStdString();

    const QString fonts = RunTool(pdffonts, { pdf });
    EXPECT_TRUE(fonts.contains(QStringLiteral("LiberationSans"))) << fonts.toStdString();
    for (const QString& line : fonts.split(u'\n').mid(2)) {
        const QStringList columns = line.simplified().split(u' ');
        if (columns.size() >= 5) { // name type encoding emb sub uni object ID; emb is 5th from the end
            EXPECT_EQ(columns[columns.size() - 5], QStringLiteral("yes")) << line.toStdString();
        }
    }

    const QString text = RunTool(pdftotext, { QStringLiteral("-layout"), pdf, QStringLiteral("-") });
    for (const QString& expected : { QStringLiteral("Випробувальна лабораторія якості «Мерідан»"),
             QStringLiteral("Підпис оператора"), QStringLiteral("15.03.2024"),
             QStringLiteral("Сторінка 1 з %1").arg(pages), QStringLiteral("Сторінка %1 з %1").arg(pages),
             QStringLiteral("Загалом по"), QStringLiteral("Карта середніх (точки №№1-12)") })
        EXPECT_TRUE(text.contains(expected)) << expected.toStdString();

    const QString images = RunTool(pdfimages, { QStringLiteral("-list"), pdf });
    const QStringList rows = images.split(u'\n', Qt::SkipEmptyParts).mid(2);
    EXPECT_EQ(rows.size(), 3) << images.toStdString();
    for (const QString& row : rows) {
        EXPECT_FALSE(row.contains(QStringLiteral("jpeg"))) << row.toStdString();
        EXPECT_TRUE(row.contains(QStringLiteral("718   285")) || row.contains(QStringLiteral("718 285"))
            || row.simplified().contains(QStringLiteral(" 718 285 ")))
            << row.toStdString();
    }
}

TEST(ReportExport, HtmlRtfAndOdtCarryTextTablesAndPictures)
{
    ReportEngine engine;
    PrepareSample(engine, 2);
    const int pages = engine.prepared().pageCount();
    QTemporaryDir dir;

    const QString html = dir.filePath(QStringLiteral("report.html"));
    exportHtml(engine.prepared(), html);
    QFile htmlFile(html);
    ASSERT_TRUE(htmlFile.open(QIODevice::ReadOnly));
    const QString htmlText = QString::fromUtf8(htmlFile.readAll());
    // A document, not pages: the running header once, the page counter nowhere.
    EXPECT_EQ(htmlText.count(QStringLiteral("Випробувальна лабораторія якості «Мерідан»")), 1);
    EXPECT_FALSE(htmlText.contains(QStringLiteral("Page#")));
    EXPECT_FALSE(htmlText.contains(QStringLiteral("position:absolute")));
    EXPECT_EQ(htmlText.count(QStringLiteral("<table")), 1); // the repeated header does not split the table
    EXPECT_EQ(htmlText.count(QRegularExpression(QStringLiteral("<th[ >]"))), 3);
    EXPECT_EQ(htmlText.count(QStringLiteral("data:image/png;base64,")), 2);

    const QString rtf = qEnvironmentVariableIsSet("MERIDAN_REPORT_PNG")
        ? qEnvironmentVariable("MERIDAN_REPORT_PNG") + QStringLiteral("/report.rtf")
        : dir.filePath(QStringLiteral("report.rtf"));
    exportRtf(engine.prepared(), rtf);
    QFile rtfFile(rtf);
    ASSERT_TRUE(rtfFile.open(QIODevice::ReadOnly));
    const QByteArray rtfText = rtfFile.readAll();
    EXPECT_TRUE(rtfText.startsWith("{\\rtf1"));
    EXPECT_EQ(rtfText.count('{'), rtfText.count('}'));
    EXPECT_EQ(rtfText.count("\\pngblip"), 2);
    EXPECT_EQ(rtfText.count("\\sect\n"), pages - 1);
    EXPECT_EQ(rtfText.count("\\sectd"), pages);
    EXPECT_EQ(rtfText.count("{\\header "), pages);
    EXPECT_EQ(rtfText.count("{\\chpgn}"), pages);
    EXPECT_GE(rtfText.count("\\trowd"), 71); // a table row per data row at least
    // "Сторінка" as RTF Unicode escapes.
    EXPECT_TRUE(rtfText.contains("\\u1057?\\u1090?\\u1086?\\u1088?\\u1110?\\u1085?\\u1082?\\u1072? {\\chpgn}"));

    const QString odt = dir.filePath(QStringLiteral("report.odt"));
    exportOdt(engine.prepared(), odt);
    QFile odtFile(odt);
    ASSERT_TRUE(odtFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(odtFile.read(2) == "PK");

    // An export that cannot be written says so and names the file.
    const QString blocked = dir.filePath(QStringLiteral("missing/folder/report.pdf"));
    for (auto* exporter : { &exportPdf, &exportHtml, &exportRtf }) {
        try {
            exporter(engine.prepared(), blocked, ExportInfo {});
            ADD_FAILURE() << "no error";
        } catch (const ReportError& error) {
            EXPECT_TRUE(error.message().contains(QStringLiteral("report.pdf"))) << error.message().toStdString();
        }
    }
}

// Drawing reads the report only: the same page drawn twice gives the same pixels, and what is
// drawn is where the commands say.
TEST(PageRenderer, DrawsThePreparedCommands)
{
    ReportEngine engine;
    PrepareSample(engine, 1);
    const PageRenderer renderer(engine.prepared());
    const int last = engine.prepared().pageCount() - 1;
    const QImage first = renderer.renderImage(last, 96);
    const QImage again = renderer.renderImage(last, 96);
    EXPECT_EQ(first, again);
    EXPECT_EQ(first.size(), QSize(794, 1123));
    // The chart's red line lies inside the picture box (x from 15 mm, y from 10 + 18 + 6 mm).
    int red = 0;
    for (int y = 0; y < first.height(); ++y)
        for (int x = 0; x < first.width(); ++x) {
            const QColor c = first.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 120 && c.blue() < 120) {
                ++red;
                EXPECT_GE(x, 56);
                EXPECT_GE(y, 128);
            }
        }
    EXPECT_GT(red, 100);
    if (qEnvironmentVariableIsSet("MERIDAN_REPORT_PNG")) // to look at by hand
        for (int p = 0; p <= last; ++p)
            renderer.renderImage(p, 100).save(
                QStringLiteral("%1/page%2.png").arg(qEnvironmentVariable("MERIDAN_REPORT_PNG")).arg(p + 1));
}

// A line as long as the layout measured it fits its box at every resolution and zoom, however
// the font's pixel size rounds there (9 pt is 12.5 px at 100 dpi), in every alignment.
TEST(PageRenderer, LongLinesStayWithinTheirMeasuredWidth)
{
    const QString line = QStringLiteral("Тест ДСТУ ISO 8258 5 (попереджувальний): щонайменше 2 точки за межами 2 сигма "
                                        "по один бік від центральної лінії, між якими");
    const QFont font = TextMeasurer::makeFont(QStringLiteral("Arial"), 9, false, false, false);
    const double widthMm = TextMeasurer().textWidthMm(line, font);
    PreparedReport report;
    PreparedPage& page = report.addPage(QSizeF(210, 297));
    const Qt::Alignment alignments[] = { Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight };
    for (int i = 0; i < 3; ++i) {
        TextCmd text;
        text.rectMm = QRectF(10, 20 + 10 * i, widthMm, 6);
        text.font = font;
        text.alignment = alignments[i] | Qt::AlignTop;
        text.lineHeightMm = 6;
        text.lines = { line };
        page.commands.emplace_back(text);
    }
    const PageRenderer renderer(report);
    for (const double dpi : { 60.0, 72.0, 96.0, 100.0, 110.0, 150.0, 300.0 }) {
        const QImage image = renderer.renderImage(0, dpi);
        const double perMm = dpi / 25.4;
        int left = image.width();
        int right = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) < 128) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        ASSERT_GE(right, 0) << dpi;
        // Inked from the box's left edge to its right one, within a pixel and 1% of the width.
        const double slack = 1 + 0.01 * widthMm * perMm;
        EXPECT_GE(left, 10 * perMm - slack) << dpi << " dpi";
        EXPECT_LE(right, (10 + widthMm) * perMm + slack) << dpi << " dpi";
        EXPECT_GE(right, (10 + widthMm) * perMm - slack - 0.02 * widthMm * perMm) << dpi << " dpi";
    }
}
