#include "CliTestSupport.h"
#include "common/TestSupport.h"
#include "exchange/TableImport.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

QString WriteText(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray Csv = "Дата;Партія;x1;x2\r\n"
                       "01.02.2024;1;1,5;1,6\r\n"
                       "02.02.2024;1;1,7;1,4\r\n"
                       "03.02.2024;1;abc;1,4\r\n"
                       "04.02.2024;2;1,5;1,5\r\n"
                       "05.02.2024;2;1,6;1,8\r\n";

} // namespace

TEST(CliImport, ImportsThenExports)
{
    QTemporaryDir dir;
    const QString in = WriteText(dir, QStringLiteral("in.csv"), Csv);
    const QString mrd = dir.filePath(QStringLiteral("out.mrd"));
    CliResult result
        = RunMeridanCli({ QStringLiteral("import"), in, QStringLiteral("-o"), mrd, QStringLiteral("--header"),
            QStringLiteral("--values"), QStringLiteral("x1-x2"), QStringLiteral("--date-column"), QStringLiteral("1"),
            QStringLiteral("--group-column"), QStringLiteral("Партія") });
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(QStringLiteral("Рядок 4: «abc» не є числом")));
    EXPECT_TRUE(result.Text().contains(QStringLiteral("точок: 5, груп: 2")));

    const CliResult info = RunMeridanCli({ QStringLiteral("info"), mrd });
    ASSERT_EQ(info.exitCode, 0);
    EXPECT_EQ(info.json.value(QStringLiteral("subgroup_size")).toInt(), 2) << info.Text().toStdString();

    // The bad cell stays empty, so the compute refuses: the table goes out without statistics, status 1.
    const QString csv = dir.filePath(QStringLiteral("table.csv"));
    result = RunMeridanCli({ QStringLiteral("export"), mrd, QStringLiteral("-o"), csv });
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(ReadAll(csv).contains("01.02.2024"));

    // Left to the same file, an import of good rows exports with statistics.
    const QString good = WriteText(dir, QStringLiteral("good.txt"), "1.5\t1.6\n1.7\t1.4\n1.5\t1.5\n");
    result = RunMeridanCli({ QStringLiteral("import"), good, QStringLiteral("-o"), mrd, QStringLiteral("--values"),
        QStringLiteral("1-2"), QStringLiteral("--delimiter"), QStringLiteral("tab") });
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QString xlsx = dir.filePath(QStringLiteral("table.xlsx"));
    EXPECT_EQ(RunMeridanCli({ QStringLiteral("export"), mrd, QStringLiteral("-o"), xlsx }).exitCode, 0);
    EXPECT_TRUE(ReadAll(xlsx).startsWith("PK"));
    EXPECT_EQ(RunMeridanCli({ QStringLiteral("export"), mrd, QStringLiteral("-o"), csv }).exitCode, 0);
    EXPECT_TRUE(ReadAll(csv).contains("Середнє"));
}

TEST(CliImport, ExitStatuses)
{
    QTemporaryDir dir;
    const QString in = WriteText(dir, QStringLiteral("in.csv"), Csv);
    const QString out = dir.filePath(QStringLiteral("out.mrd"));
    // A column that does not exist, by number and by name.
    EXPECT_EQ(RunMeridanCli({ QStringLiteral("import"), in, QStringLiteral("-o"), out, QStringLiteral("--values"),
                                QStringLiteral("9") })
                  .exitCode,
        1);
    const CliResult named = RunMeridanCli({ QStringLiteral("import"), in, QStringLiteral("-o"), out,
        QStringLiteral("--header"), QStringLiteral("--date-column"), QStringLiteral("Час") });
    EXPECT_EQ(named.exitCode, 1);
    EXPECT_TRUE(named.err.contains(QStringLiteral("Стовпця «Час» у файлі немає.")));
    // No row readable: the date column holds no numbers.
    EXPECT_EQ(RunMeridanCli({ QStringLiteral("import"), in, QStringLiteral("-o"), out, QStringLiteral("--values"),
                                QStringLiteral("1") })
                  .exitCode,
        1);
    EXPECT_FALSE(QFile::exists(out));
    // Usage errors.
    EXPECT_EQ(RunMeridanCli({ QStringLiteral("import"), in }).exitCode, 2);
    EXPECT_EQ(RunMeridanCli({ QStringLiteral("import"), in, QStringLiteral("-o"), out, QStringLiteral("--encoding"),
                                QStringLiteral("koi8") })
                  .exitCode,
        2);
    EXPECT_EQ(
        RunMeridanCli({ QStringLiteral("import"), in, QStringLiteral("-o"), out, QStringLiteral("--bogus") }).exitCode,
        2);
    EXPECT_EQ(RunMeridanCli({ QStringLiteral("export"), in }).exitCode, 2);
    EXPECT_EQ(RunMeridanCli(
                  { QStringLiteral("import"), dir.filePath(QStringLiteral("absent.csv")), QStringLiteral("-o"), out })
                  .exitCode,
        1);
}

TEST(CliImport, ManyBadRowsAreListedUpToAThousandAndCountedInFull)
{
    QTemporaryDir dir;
    QByteArray csv = "value\n";
    for (int i = 0; i < 1800; ++i) // every third row a number: 1200 bad rows
        csv += (i % 3 == 0 ? QByteArray::number(i) : QByteArray("н/в")) + '\n';
    const QString in = WriteText(dir, QStringLiteral("bad.csv"), csv);
    const CliResult result = RunMeridanCli({ QStringLiteral("import"), in, QStringLiteral("-o"),
        dir.filePath(QStringLiteral("out.mrd")), QStringLiteral("--header") });
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QStringList lines = result.err.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.count(), ListedBadRowLimit + 1);
    EXPECT_EQ(lines.first(), QStringLiteral("Рядок 3: «н/в» не є числом"));
    EXPECT_EQ(lines.last(), QStringLiteral("... і ще 200"));
    EXPECT_TRUE(result.Text().endsWith(QStringLiteral("рядків з помилками: 1200\n")));
}
