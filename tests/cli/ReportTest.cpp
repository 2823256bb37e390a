#include "CliTestSupport.h"
#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"
#include "model/DocumentFile.h"
#include "model/MeasurementDocument.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

CliResult RunReportCli(const QStringList& args)
{
    return RunMeridanCli(QStringList { QStringLiteral("report") } + args);
}

// Output of a poppler tool; empty when it is missing or fails.
QString Poppler(const QString& tool, const QStringList& args)
{
    QProcess process;
    process.start(tool, args);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString Example()
{
    return QDir(QStringLiteral(MERIDAN_SOURCE_DIR)).filePath(QStringLiteral("data/pistonrings.mrd"));
}

QString SaveIndividual(const QTemporaryDir& dir, int points)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    std::vector<QStringList> rows;
    for (int i = 0; i < points; ++i)
        rows.push_back({ QString::number(5.0 + (i * 37 % 17) * 0.05, 'f', 2) });
    BuildDocument(doc, 0, { rows });
    doc.SetUnits(QStringLiteral("мг/л"));
    doc.SetTableName(QStringLiteral("Вміст заліза"));
    const QString path = dir.filePath(QStringLiteral("iron.mrd"));
    EXPECT_TRUE(SaveDocument(doc, path));
    return path;
}

TEST(ReportCli, WritesThePdfOfTheExample)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    const QString html = dir.filePath(QStringLiteral("report.html"));
    const QString rtf = dir.filePath(QStringLiteral("report.rtf"));
    const CliResult result = RunReportCli(
        { Example(), QStringLiteral("-o"), pdf, QStringLiteral("--html"), html, QStringLiteral("--rtf"), rtf });
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(QFile::exists(html));
    EXPECT_TRUE(QFile::exists(rtf));

    const QString info = Poppler(QStringLiteral("pdfinfo"), { pdf });
    ASSERT_FALSE(info.isEmpty());
    EXPECT_TRUE(info.contains(QStringLiteral("(A4)")));
    const QString text = Poppler(QStringLiteral("pdftotext"), { QStringLiteral("-layout"), pdf, QStringLiteral("-") });
    for (const char* expected : { "Звіт внутрішньолабораторного контролю якості", "Таблиця даних",
             "Загалом по групі точок 1-25", "Карта середніх", "Верхня контрольна межа", "Нижня контрольна межа",
             "Карта медіан", "Аналіз за правилами Вестгарда", "Підпис оператора" })
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected;
    const int pages = info.section(QStringLiteral("Pages:"), 1).section(QLatin1Char('\n'), 0, 0).trimmed().toInt();
    EXPECT_GT(pages, 5);
    EXPECT_TRUE(text.contains(QStringLiteral("Сторінка %1 з %1").arg(pages)));

    const QString fonts = Poppler(QStringLiteral("pdffonts"), { pdf });
    EXPECT_TRUE(fonts.contains(QStringLiteral("Liberation")));
    for (const QString& line : fonts.split(QLatin1Char('\n')).mid(2)) {
        if (!line.trimmed().isEmpty()) {
            EXPECT_TRUE(line.contains(QStringLiteral(" yes "))) << line.toStdString(); // embedded
        }
    }
    // Chart pictures are vector drawings: no raster image at all, and their labels are text.
    const QString images = Poppler(QStringLiteral("pdfimages"), { QStringLiteral("-list"), pdf });
    EXPECT_FALSE(images.contains(QStringLiteral("image"))) << images.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("ВКМ=")));
    EXPECT_TRUE(text.contains(QStringLiteral("НКМ=")));
}

TEST(ReportCli, ChosenChartsRangeAndBrief)
{
    QTemporaryDir dir;
    const QString document = SaveIndividual(dir, 40);
    const QString pdf = dir.filePath(QStringLiteral("part.pdf"));
    const CliResult result
        = RunReportCli({ document, QStringLiteral("-o"), pdf, QStringLiteral("--no-data"), QStringLiteral("--charts"),
            QStringLiteral("0"), QStringLiteral("--range"), QStringLiteral("5-17"), QStringLiteral("--brief") });
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QString text = Poppler(QStringLiteral("pdftotext"), { pdf, QStringLiteral("-") });
    EXPECT_TRUE(text.contains(QStringLiteral("(точки №№5-16)")));
    EXPECT_TRUE(text.contains(QStringLiteral("(точки №№16-17)")));
    EXPECT_FALSE(text.contains(QStringLiteral("Таблиця даних")));
    EXPECT_FALSE(text.contains(QStringLiteral("Карта ковзних розмахів")));
    EXPECT_FALSE(text.contains(QStringLiteral("Тип критерію"))); // no detail rows
    EXPECT_TRUE(text.contains(QStringLiteral("Вміст заліза")));

    // The full range of an individual document: the moving-range chart ends at its last range.
    const QString all = dir.filePath(QStringLiteral("all.pdf"));
    const CliResult full
        = RunReportCli({ document, QStringLiteral("-o"), all, QStringLiteral("--range"), QStringLiteral("1-40") });
    ASSERT_EQ(full.exitCode, 0) << full.err.toStdString();
    const QString fullText = Poppler(QStringLiteral("pdftotext"), { all, QStringLiteral("-") });
    EXPECT_TRUE(fullText.contains(QStringLiteral("(точки №№34-39)")));
}

// Every range the individual chart accepts gives a report: the moving-range chart, one value
// fewer per group, takes the range up to its own last value.
TEST(ReportCli, RangeClampedToEveryChart)
{
    QTemporaryDir dir;
    const QString viscosity = QDir(QStringLiteral(MERIDAN_SOURCE_DIR)).filePath(QStringLiteral("data/viscosity.mrd"));
    struct Row {
        const char* range;
        const char* lastMovingRangeTitle;
    } rows[] = {
        { "34-35", "(точка №33)" }, // 35 points in two groups: 33 moving ranges
        { "35-35", "(точка №33)" },
        { "30-35", "(точки №№30-33)" },
        { "1-35", "(точки №№23-33)" },
    };
    for (const Row& row : rows) {
        const QString pdf = dir.filePath(QStringLiteral("v.pdf"));
        const CliResult result = RunReportCli({ viscosity, QStringLiteral("-o"), pdf, QStringLiteral("--no-data"),
            QStringLiteral("--brief"), QStringLiteral("--range"), QString::fromLatin1(row.range) });
        ASSERT_EQ(result.exitCode, 0) << row.range << ": " << result.err.toStdString();
        const QString text = Poppler(QStringLiteral("pdftotext"), { pdf, QStringLiteral("-") });
        EXPECT_TRUE(text.contains(QStringLiteral("Карта ковзних розмахів"))) << row.range;
        EXPECT_TRUE(text.contains(QString::fromUtf8(row.lastMovingRangeTitle))) << row.range;
    }
}

// The layout's warnings go to standard error, once each; the report is still written.
TEST(ReportCli, LayoutWarningsOnStandardError)
{
    // The program beside templates of its own, one of which asks for a value nobody answers.
    QTemporaryDir dir;
    const QDir folder(dir.path());
    ASSERT_TRUE(folder.mkpath(QStringLiteral("Data")));
    const QString program = folder.filePath(QStringLiteral("meridan-cli"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(MERIDAN_CLI), program));
    QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
    const QDir source(QStringLiteral(MERIDAN_SOURCE_DIR "/data"));
    ASSERT_TRUE(QFile::copy(
        source.filePath(QStringLiteral("demo_path.txt")), folder.filePath(QStringLiteral("demo_path.txt"))));
    for (const char* name : { "head.fr3", "individ.fr3", "card.fr3", "group.fr3", "result.fr3" }) {
        QFile in(source.filePath(QStringLiteral("Data/") + QLatin1String(name)));
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        QByteArray xml = in.readAll();
        if (qstrcmp(name, "head.fr3") == 0)
            xml.replace("</page>",
                "<band type=\"summary\" name=\"Probe\" height=\"5\"><memo name=\"ProbeText\" x=\"0\" "
                "y=\"0\" w=\"50\" h=\"5\">[NoSuchValue] [NoSuchValue]</memo></band></page>");
        QFile out(folder.filePath(QStringLiteral("Data/") + QLatin1String(name)));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(xml);
    }
    const QString pdf = folder.filePath(QStringLiteral("w.pdf"));
    QProcess process;
    process.start(
        program, { QStringLiteral("report"), Example(), QStringLiteral("-o"), pdf, QStringLiteral("--no-data") });
    ASSERT_TRUE(process.waitForFinished(60000));
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_EQ(process.exitCode(), 0) << err.toStdString();
    EXPECT_TRUE(QFile::exists(pdf));
    EXPECT_TRUE(err.contains(QStringLiteral("Звіт підготовлено із зауваженнями до макета:"))) << err.toStdString();
    EXPECT_EQ(err.count(QStringLiteral("Невідома змінна [NoSuchValue]")), 1) << err.toStdString();

    // The delivered templates leave nothing to say.
    const CliResult clean = RunReportCli({ Example(), QStringLiteral("-o"), pdf });
    EXPECT_EQ(clean.exitCode, 0);
    EXPECT_FALSE(clean.err.contains(QStringLiteral("зауваженнями"))) << clean.err.toStdString();
}

TEST(ReportCli, FailuresAndUsage)
{
    QTemporaryDir dir;
    const QString document = SaveIndividual(dir, 20);
    const QString pdf = dir.filePath(QStringLiteral("x.pdf"));
    struct Row {
        const char* name;
        QStringList args;
        int exitCode;
        const char* message;
    } rows[] = {
        { "no output", { document }, 2, "Використання: meridan-cli report" },
        { "bad chart", { document, "-o", pdf, "--charts", "0,7" }, 2, "Номери карт" },
        { "chart of the other mode", { document, "-o", pdf, "--charts", "4" }, 2, "не будується" },
        { "bad range", { document, "-o", pdf, "--range", "5" }, 2, "A-B" },
        { "unknown option", { document, "-o", pdf, "--fast" }, 2, "Невідомий параметр" },
        { "inverted range", { document, "-o", pdf, "--range", "9-3" }, 1, "некоректно задано діапазон точок!" },
        { "missing file", { dir.filePath("none.mrd"), "-o", pdf }, 1, "" },
        { "unwritable output", { document, "-o", dir.filePath("no/such/folder/x.pdf") }, 1, "" },
    };
    for (const Row& row : rows) {
        const CliResult result = RunReportCli(row.args);
        EXPECT_EQ(result.exitCode, row.exitCode) << row.name << ": " << result.err.toStdString();
        EXPECT_TRUE(result.err.contains(QString::fromUtf8(row.message)))
            << row.name << ": " << result.err.toStdString();
        if (row.exitCode == 1) {
            EXPECT_FALSE(result.err.trimmed().isEmpty()) << row.name;
        }
    }
}

} // namespace
