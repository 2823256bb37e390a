#include "ui/ReportPreviewDialog.h"
#include "common/TestSupport.h"
#include "reports/ReportEngine.h"

#include <QApplication>
#include <QFileInfo>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// Five pages: "Рядок 1" .. "Рядок 10", two rows a page; "Особливий" only on page 4.
void PrepareFivePages(rpt::ReportEngine& engine)
{
    engine.loadTemplateXml(QByteArrayLiteral(R"(<report version="1"><page>
<band type="pageHeader" name="PH" height="8"><memo name="P" x="0" y="0" w="100" h="5">Сторінка [Page#] з [TotalPages#]</memo></band>
<band type="data" name="Rows" dataSet="frxUserDataSet1" height="130"><memo name="R" x="0" y="0" w="100" h="5">[Row]</memo></band>
</page></report>)"),
        QStringLiteral("test.fr3"));
    engine.setValueCallback([&engine](const QString&) -> std::optional<QString> {
        const int row = engine.dataSet(QStringLiteral("frxUserDataSet1"))->currentRow() + 1;
        return row == 7 ? QStringLiteral("Особливий рядок") : QStringLiteral("Рядок %1").arg(row);
    });
    engine.dataSet(QStringLiteral("frxUserDataSet1"))->setRowCount(10);
    engine.prepare(true);
}
}

TEST(ReportPreviewDialog, NavigatesZoomsAndSearches)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        GTEST_SKIP() << "needs a widget application";
    rpt::ReportEngine engine;
    PrepareFivePages(engine);
    RecordingMessenger messenger;
    ReportPreviewDialog dialog(engine.prepared(), messenger);
    dialog.resize(800, 600);
    dialog.show();
    QApplication::processEvents();
    EXPECT_EQ(dialog.pageCount(), 5);
    EXPECT_EQ(dialog.currentPage(), 1);
    dialog.setCurrentPage(3);
    EXPECT_EQ(dialog.currentPage(), 3);
    dialog.setZoomFactor(2);
    EXPECT_DOUBLE_EQ(dialog.zoomFactor(), 2);
    EXPECT_EQ(dialog.currentPage(), 3); // zooming keeps the page in sight

    EXPECT_TRUE(dialog.findNext(QStringLiteral("особливий"))); // case ignored
    EXPECT_EQ(dialog.currentPage(), 4);
    EXPECT_TRUE(dialog.findNext(QStringLiteral("Сторінка 2 з 5")));
    EXPECT_EQ(dialog.currentPage(), 2);
    EXPECT_TRUE(messenger.messages.isEmpty());
    EXPECT_FALSE(dialog.findNext(QStringLiteral("немає такого")));
    EXPECT_EQ(messenger.messages, QStringList { QStringLiteral("Текст \"немає такого\" у звіті не знайдено.") });
    EXPECT_EQ(dialog.currentPage(), 2);
    const QPixmap shot = dialog.grab(); // the pages in sight paint
    EXPECT_FALSE(shot.isNull());
    if (qEnvironmentVariableIsSet("MERIDAN_REPORT_PNG")) // to look at by hand
        shot.save(qEnvironmentVariable("MERIDAN_REPORT_PNG") + QStringLiteral("/preview.png"));
}

TEST(ReportPreviewDialog, ExportsEveryFormatAndReportsFailures)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        GTEST_SKIP() << "needs a widget application";
    rpt::ReportEngine engine;
    PrepareFivePages(engine);
    RecordingMessenger messenger;
    ReportPreviewDialog dialog(engine.prepared(), messenger);
    QTemporaryDir dir;
    using Format = ReportPreviewDialog::Format;
    const QList<std::pair<Format, QString>> formats = { { Format::Pdf, "звіт.pdf" }, { Format::Html, "звіт.html" },
        { Format::Rtf, "звіт.rtf" }, { Format::Odt, "звіт.odt" } };
    for (const auto& [format, name] : formats) {
        const QString fileName = dir.filePath(name);
        EXPECT_TRUE(dialog.exportTo(format, fileName)) << name.toStdString(); // not opened offscreen
        EXPECT_GT(QFileInfo(fileName).size(), 100) << name.toStdString();
    }
    EXPECT_TRUE(messenger.messages.isEmpty());
    EXPECT_FALSE(dialog.exportTo(Format::Pdf, dir.filePath(QStringLiteral("no/such/folder/звіт.pdf"))));
    ASSERT_EQ(messenger.messages.size(), 1);
    EXPECT_TRUE(messenger.messages.front().startsWith(QStringLiteral("Не вдалося записати файл")));
}

TEST(ReportPreviewDialog, PageSetupWithoutASystemPrinterSaysSo)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        GTEST_SKIP() << "needs a widget application";
    rpt::ReportEngine engine;
    PrepareFivePages(engine);
    RecordingMessenger messenger;
    ReportPreviewDialog dialog(engine.prepared(), messenger);
    dialog.printer().setOutputFormat(QPrinter::PdfFormat); // what Qt falls back to with no printer installed
    dialog.pageSetup(); // Qt's own dialog would crash on it
    EXPECT_EQ(messenger.messages,
        QStringList { QStringLiteral("Параметри сторінки недоступні: у системі не встановлено принтера.") });
}

// The printer gets the chart pictures as vectors, like the PDF: no raster image, texts as text.
TEST(ReportPreviewDialog, PrintsChartPicturesAsVectors)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        GTEST_SKIP() << "needs a widget application";
    const QString pdfimages = QStandardPaths::findExecutable(QStringLiteral("pdfimages"));
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdfimages.isEmpty() || pdftotext.isEmpty())
        GTEST_SKIP() << "poppler-utils are not installed";
    rpt::ReportEngine engine;
    engine.loadTemplateXml(QByteArrayLiteral(R"(<report version="1"><page>
<band type="data" name="Cards" dataSet="frxUserDataSet1" height="80"><memo name="Title" x="0" y="0" w="190" h="5">[Title]</memo>
<picture name="Picture1" x="0" y="5" w="190" h="75" fit="keepAspect"/></band>
</page></report>)"),
        QStringLiteral("card.fr3"));
    engine.setValueCallback([&engine](const QString&) -> std::optional<QString> {
        auto drawing = std::make_shared<ChartDrawing>(400, 285);
        drawing->AddFill(QRect(0, 0, 400, 285), qRgb(255, 255, 255));
        drawing->AddFill(QRect(20, 140, 360, 1), qRgb(0, 0, 0));
        drawing->AddFill(QRect(60, 100, 8, 8), qRgb(40, 200, 0));
        drawing->AddText(QRect(300, 125, 80, 13), 135, QStringLiteral("ВКМ=12,50 мг/л"));
        drawing->Finish();
        engine.picture(QStringLiteral("Picture1"))->setDrawing(drawing);
        return QStringLiteral("Карта");
    });
    engine.dataSet(QStringLiteral("frxUserDataSet1"))->setRowCount(2);
    engine.prepare(true);

    RecordingMessenger messenger;
    ReportPreviewDialog dialog(engine.prepared(), messenger);
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setFullPage(true);
    const QString file = dir.filePath(QStringLiteral("друк.pdf"));
    printer.setOutputFileName(file);
    dialog.paintPages(printer);
    EXPECT_TRUE(messenger.messages.isEmpty());
    ASSERT_GT(QFileInfo(file).size(), 100);

    auto run = [](const QString& program, const QStringList& arguments) {
        QProcess process;
        process.start(program, arguments);
        process.waitForFinished(60000);
        return QString::fromUtf8(process.readAllStandardOutput());
    };
    const QString images = run(pdfimages, { QStringLiteral("-list"), file });
    EXPECT_EQ(images.split(u'\n', Qt::SkipEmptyParts).size(), 2) << images.toStdString(); // the header only
    EXPECT_EQ(run(pdftotext, { file, QStringLiteral("-") }).count(QStringLiteral("ВКМ=12,50 мг/л")), 2);
}
