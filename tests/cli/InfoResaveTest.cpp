#include "CliTestSupport.h"
#include "common/TestSupport.h"
#include "model/DocumentFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>

namespace {

const QString ExamplePath = QStringLiteral(MERIDAN_SOURCE_DIR "/data/pistonrings.mrd");

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + QLatin1String("\r\n");
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(QStringEncoder("windows-1251").encode(text));
    return path;
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList LegacyIndividual()
{
    return { QStringLiteral("Петренко"), QStringLiteral("3"), QStringLiteral("1"),
        QStringLiteral("0.30000000000000004"), QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("1e-320"),
        QStringLiteral("3"), QStringLiteral("0"), QString(), QStringLiteral("Стара таблиця"), QStringLiteral("Маса"),
        QStringLiteral("d1"), QStringLiteral("1,5"), QStringLiteral("d2"), QStringLiteral("2"), QStringLiteral("d3"),
        QStringLiteral("2.75") };
}

} // namespace

TEST(InfoResave, InfoDescribesTheExampleDocument)
{
    const CliResult r = RunMeridanCli({ QStringLiteral("info"), ExamplePath });
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_FALSE(r.json.isEmpty()) << r.out.toStdString();
    const QJsonObject& j = r.json;
    EXPECT_EQ(j[u"mode"].toString(), QStringLiteral("subgroup"));
    EXPECT_EQ(j[u"subgroup_size"].toInt(), 5);
    EXPECT_EQ(j[u"point_count"].toInt(), 40);
    EXPECT_EQ(j[u"group_count"].toInt(), 2);
    EXPECT_EQ(j[u"display_precision"].toInt(), 3);
    EXPECT_EQ(j[u"units"].toString(), QStringLiteral("мм"));
    const QJsonObject header = j[u"header"].toObject();
    EXPECT_EQ(header[u"table_name"].toString(), QStringLiteral("Внутрішній діаметр поршневих кілець"));
    EXPECT_EQ(header[u"fill_date"].toString(), QStringLiteral("08.12.2026"));
    EXPECT_EQ(header[u"measured_parameter"].toObject()[u"text"].toString(), QStringLiteral("Діаметр"));
    EXPECT_TRUE(header[u"measured_parameter"].toObject()[u"present"].toBool());
    EXPECT_FALSE(header[u"detector"].toObject()[u"present"].toBool());
    for (const char* key : { "operator", "measured_parameter", "sample", "sample_preparation", "measurement_method",
             "instrument", "detector" })
        EXPECT_TRUE(header[QLatin1String(key)].toObject().contains(u"text")) << key;
    EXPECT_EQ(header[u"additional_information"].toObject()[u"lines"].toArray().size(), 2);
    EXPECT_EQ(j[u"charts"].toArray(), (QJsonArray { true, true, true, false, true, false, false }));
    const QJsonArray groups = j[u"groups"].toArray();
    ASSERT_EQ(groups.size(), 2);
    EXPECT_EQ(groups[1].toObject()[u"first_point"].toInt(), 26);
    EXPECT_EQ(groups[1].toObject()[u"last_point"].toInt(), 40);
    for (const char* key : { "centre", "sigma", "deviation_centre", "rel_deviation_centre", "median_centre",
             "range_centre", "rel_range_centre" }) {
        const QJsonObject setting = groups[0].toObject()[QLatin1String(key)].toObject();
        EXPECT_TRUE(setting[u"fixed"].isBool()) << key;
        EXPECT_TRUE(setting[u"value"].isDouble()) << key;
    }
    EXPECT_TRUE(groups[0].toObject()[u"use_sample_deviation"].toBool());
}

TEST(InfoResave, InfoOfALegacyDocumentKeepsNumbersExact)
{
    QTemporaryDir dir;
    const CliResult r
        = RunMeridanCli({ QStringLiteral("info"), WriteFile(dir, QStringLiteral("old.mrd"), LegacyIndividual()) });
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.json[u"mode"].toString(), QStringLiteral("individual"));
    EXPECT_EQ(r.json[u"subgroup_size"].toInt(), 0);
    EXPECT_EQ(r.json[u"display_precision"].toInt(), 2);
    const QJsonObject group = r.json[u"groups"].toArray()[0].toObject();
    EXPECT_EQ(group[u"centre"].toObject()[u"value"].toDouble(), 0.1 + 0.2);
    EXPECT_FALSE(group[u"range_centre"].toObject()[u"fixed"].toBool());
    EXPECT_EQ(group[u"sigma"].toObject()[u"value"].toDouble(), 1e-320);
    EXPECT_EQ(r.json[u"header"].toObject()[u"operator"].toObject()[u"text"].toString(), QStringLiteral("Петренко"));
}

TEST(InfoResave, BrokenFilesFailWithTheLoadError)
{
    QTemporaryDir dir;
    const QStringList example
        = QString(QStringDecoder("windows-1251").decode(ReadAll(ExamplePath))).split(QStringLiteral("\r\n"));
    QStringList hostile = example;
    ASSERT_EQ(hostile[26], QStringLiteral("40")); // the point count
    hostile[26] = QStringLiteral("2147483647");
    const QStringList files { WriteFile(dir, QStringLiteral("cut.mrd"), example.mid(0, example.size() / 2)),
        WriteFile(dir, QStringLiteral("hostile.mrd"), hostile), dir.filePath(QStringLiteral("missing.mrd")) };
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        for (const QStringList& args : { QStringList { QStringLiteral("info"), file },
                 QStringList { QStringLiteral("resave"), file, dir.filePath(QStringLiteral("out.mrd")) } }) {
            const CliResult r = RunMeridanCli(args);
            EXPECT_EQ(r.exitCode, 1);
            EXPECT_TRUE(r.err.contains(LoadErrorText())) << r.err.toStdString();
            EXPECT_TRUE(r.out.isEmpty());
        }
        EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("out.mrd"))));
    }
}

TEST(InfoResave, UsageErrors)
{
    for (const QStringList& args : { QStringList {}, QStringList { QStringLiteral("info") },
             QStringList { QStringLiteral("info"), QStringLiteral("a"), QStringLiteral("b") },
             QStringList { QStringLiteral("resave"), QStringLiteral("a") },
             QStringList { QStringLiteral("resave"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c") },
             QStringList { QStringLiteral("nonsense") } }) {
        const CliResult r = RunMeridanCli(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(u' ').toStdString();
        EXPECT_FALSE(r.err.isEmpty());
    }
}

TEST(InfoResave, ResaveWritesTheCurrentLayout)
{
    QTemporaryDir dir;
    const QString legacy = WriteFile(dir, QStringLiteral("old.mrd"), LegacyIndividual());
    const QString resaved = dir.filePath(QStringLiteral("new.mrd"));
    const CliResult r = RunMeridanCli({ QStringLiteral("resave"), legacy, resaved });
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(ReadAll(resaved).startsWith("UNPOS\r\nTrue\r\n"));
    EXPECT_EQ(RunMeridanCli({ QStringLiteral("info"), resaved }).json,
        RunMeridanCli({ QStringLiteral("info"), legacy }).json);

    // A current-layout file comes back byte for byte.
    const QString copy = dir.filePath(QStringLiteral("copy.mrd"));
    ASSERT_EQ(RunMeridanCli({ QStringLiteral("resave"), ExamplePath, copy }).exitCode, 0);
    EXPECT_EQ(ReadAll(copy), ReadAll(ExamplePath));

    const CliResult failed
        = RunMeridanCli({ QStringLiteral("resave"), ExamplePath, dir.filePath(QStringLiteral("missing/new.mrd")) });
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.err.contains(QStringLiteral("Помилка! Документ не збережено"))) << failed.err.toStdString();
}
