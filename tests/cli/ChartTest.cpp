#include "CliTestSupport.h"
#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"
#include "compute/ComputeDriver.h"
#include "model/DocumentFile.h"
#include "model/MeasurementDocument.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

namespace {

CliResult RunChartCli(const QStringList& args)
{
    return RunMeridanCli(QStringList { QStringLiteral("chart") } + args);
}

std::vector<QStringList> Values(std::initializer_list<const char*> texts)
{
    std::vector<QStringList> rows;
    for (const char* t : texts)
        rows.push_back({ QString::fromUtf8(t) });
    return rows;
}

QString SaveIndividual(
    const QTemporaryDir& dir, const QString& name, const std::vector<std::vector<QStringList>>& groups)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, 0, groups);
    doc.SetUnits(QStringLiteral("мг"));
    const QString path = dir.filePath(name);
    EXPECT_TRUE(SaveDocument(doc, path)) << messenger.messages.join(QLatin1Char('\n')).toStdString();
    return path;
}

const std::vector<std::vector<QStringList>> TwoGroups { Values({ "10", "12", "11", "13", "10", "12", "11" }),
    Values({ "14", "13", "15", "14", "16" }) };

// Pixels of the series and discs: coloured by zone, never grey, never with blue.
int GradientPixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            count += qBlue(c) == 0 && (qRed(c) > 0 || qGreen(c) > 0) ? 1 : 0;
        }
    }
    return count;
}

// The frame's bottom line: black from some left margin to the same margin from the right.
bool HasFrame(const QImage& image)
{
    const int bottom = image.height() - 26;
    int left = 0;
    while (left < image.width() && image.pixel(left, bottom) != qRgb(0, 0, 0))
        ++left;
    const int right = image.width() - left - 1;
    if (left < 20 || right <= left)
        return false;
    for (int x = left; x <= right; ++x) {
        if (image.pixel(x, bottom) != qRgb(0, 0, 0) || image.pixel(x, 25) != qRgb(0, 0, 0))
            return false;
    }
    return image.pixel(left - 1, bottom) == qRgb(255, 255, 255)
        && image.pixel(right + 1, bottom) == qRgb(255, 255, 255);
}

TEST(ChartCommand, WritesThePageAndTheReportPicture)
{
    QTemporaryDir dir;
    const QString path = SaveIndividual(dir, QStringLiteral("two.mrd"), TwoGroups);
    const QString page = dir.filePath(QStringLiteral("page.png"));
    CliResult run = RunChartCli({ path, QStringLiteral("--slot"), QStringLiteral("0"), QStringLiteral("-o"), page,
        QStringLiteral("--scroll"), QStringLiteral("0,5"), QStringLiteral("--locale"), QStringLiteral("uk_UA") });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QImage written(page);
    EXPECT_EQ(written.size(), QSize(773, 285));
    written = written.convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(HasFrame(written));
    EXPECT_GT(GradientPixels(written), 100);
    // Another scroll position shows another part of the chart.
    const QString start = dir.filePath(QStringLiteral("start.png"));
    run = RunChartCli({ path, QStringLiteral("--slot"), QStringLiteral("0"), QStringLiteral("-o"), start });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_NE(QImage(start).convertToFormat(QImage::Format_RGB32), written);

    // Moving ranges 2 to 5 of the first group: a picture of 4 points with the initial margin.
    const QString picture = dir.filePath(QStringLiteral("picture.png"));
    run = RunChartCli({ path, QStringLiteral("--slot"), QStringLiteral("2"), QStringLiteral("-o"), picture,
        QStringLiteral("--first"), QStringLiteral("2"), QStringLiteral("--last"), QStringLiteral("5"),
        QStringLiteral("--locale"), QStringLiteral("uk_UA") });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    written = QImage(picture);
    EXPECT_EQ(written.size(), QSize(2 * 65 + 50 + 3 * 50, 285));
    written = written.convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(written.pixel(65, 100), qRgb(0, 0, 0)); // the left frame edge at the initial margin
    EXPECT_TRUE(HasFrame(written));
    EXPECT_GT(GradientPixels(written), 50);
}

TEST(ChartCommand, FailuresAndUsageErrors)
{
    QTemporaryDir dir;
    const QString path = SaveIndividual(dir, QStringLiteral("two.mrd"), TwoGroups);
    const QString bad = SaveIndividual(dir, QStringLiteral("bad.mrd"), { Values({ "10", "x", "11" }) });
    const QString out = dir.filePath(QStringLiteral("out.png"));
    const QString slot = QStringLiteral("--slot");
    const QString o = QStringLiteral("-o");
    struct Row {
        const char* name;
        QStringList args;
        int exitCode;
        QString message;
    } rows[] = {
        { "no output", { path, slot, "0" }, 2, {} },
        { "no slot", { path, o, out }, 2, {} },
        { "slot out of range", { path, slot, "6", o, out }, 2, {} },
        { "slot the mode does not use", { path, slot, "1", o, out }, 2, {} },
        { "scroll not a number", { path, slot, "0", o, out, "--scroll", "half" }, 2, {} },
        { "scroll beyond 1", { path, slot, "0", o, out, "--scroll", "1.5" }, 2, {} },
        { "first without last", { path, slot, "0", o, out, "--first", "2" }, 2, {} },
        { "last before first", { path, slot, "0", o, out, "--first", "3", "--last", "2" }, 2, {} },
        { "unknown option", { path, slot, "0", o, out, "--colour", "red" }, 2, {} },
        { "missing file", { dir.filePath("none.mrd"), slot, "0", o, out }, 1, {} },
        { "data that do not compute", { bad, slot, "0", o, out }, 1,
            QStringLiteral("Некоректні дані! Неможливо провести обчислення") },
        { "last point beyond the chart", { path, slot, "2", o, out, "--first", "9", "--last", "11" }, 1,
            QStringLiteral("Внутрішня помилка №47-в1! Спробуйте ще раз або зверніться до розробника.") },
        { "first point beyond the chart", { path, slot, "0", o, out, "--first", "13", "--last", "13" }, 1,
            QStringLiteral("Внутрішня помилка №47-в! Спробуйте ще раз або зверніться до розробника.") },
    };
    for (const Row& row : rows) {
        const CliResult run = RunChartCli(row.args);
        EXPECT_EQ(run.exitCode, row.exitCode) << row.name << ": " << run.err.toStdString();
        if (!row.message.isEmpty()) {
            EXPECT_TRUE(run.err.contains(row.message)) << row.name << ": " << run.err.toStdString();
        }
    }
}

} // namespace
