#include "CliTestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// meridan-cli validate on the delivered pack and on copies of it with one thing changed.

namespace {

const QString DeliveredPack = QStringLiteral(MERIDAN_SOURCE_DIR "/data/validation");

// A copy of the delivered pack whose cases.json has `from` replaced by `to` (once).
bool CopyPack(const QTemporaryDir& dir, const QByteArray& from = {}, const QByteArray& to = {})
{
    const QDir source(DeliveredPack);
    for (const QString& name : source.entryList(QDir::Files)) {
        QFile in(source.filePath(name));
        if (!in.open(QIODevice::ReadOnly))
            return false;
        QByteArray bytes = in.readAll();
        if (name == QLatin1String("cases.json") && !from.isEmpty()) {
            const qsizetype at = bytes.indexOf(from);
            if (at < 0)
                return false;
            bytes.replace(at, from.size(), to);
        }
        QFile out(dir.filePath(name));
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            return false;
    }
    return true;
}

CliResult Validate(const QStringList& args)
{
    return RunMeridanCli(QStringList { QStringLiteral("validate") } + args);
}

} // namespace

TEST(Validate, DeliveredPackAgreesAsJsonAndPdf)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("validation.pdf"));
    const CliResult result = Validate({ QStringLiteral("--json"), QStringLiteral("-o"), pdf });
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString() << result.Text().toStdString();
    EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
    ASSERT_FALSE(result.json.isEmpty());
    EXPECT_TRUE(result.json[QLatin1String("ok")].toBool());
    EXPECT_FALSE(result.json[QLatin1String("version")].toString().isEmpty());
    EXPECT_FALSE(result.json[QLatin1String("commit")].toString().isEmpty());
    // The hash is of the program that ran.
    QFile binary(QStringLiteral(MERIDAN_CLI));
    ASSERT_TRUE(binary.open(QIODevice::ReadOnly));
    EXPECT_EQ(result.json[QLatin1String("binary_sha256")].toString(),
        QString::fromLatin1(QCryptographicHash::hash(binary.readAll(), QCryptographicHash::Sha256).toHex()));
    const QJsonArray cases = result.json[QLatin1String("cases")].toArray();
    ASSERT_EQ(cases.size(), 8);
    int checks = 0;
    for (const QJsonValue& c : cases) {
        EXPECT_TRUE(c[QLatin1String("ok")].toBool()) << c[QLatin1String("id")].toString().toStdString();
        EXPECT_FALSE(c[QLatin1String("checks")].toArray().isEmpty());
        checks += int(c[QLatin1String("checks")].toArray().size());
    }
    EXPECT_EQ(checks, 207);
    QFile written(pdf);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.read(5) == "%PDF-");
    EXPECT_GT(written.size(), 10000);

    // Without --json: a line per case and the verdict.
    const CliResult text = Validate({});
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_TRUE(text.Text().contains(QStringLiteral("sas_partgaps: збігається (48 з 48)")));
    EXPECT_TRUE(text.Text().contains(QStringLiteral("Разом: 207 з 207 порівнянь збігаються")));
}

TEST(Validate, OneAlteredNumberFails)
{
    QTemporaryDir dir;
    // The piston rings' x̄ UCL one unit of its last printed digit higher.
    ASSERT_TRUE(CopyPack(dir, "\"published\": 74.0143,", "\"published\": 74.0144,"));
    const CliResult result = Validate({ QStringLiteral("--json"), QStringLiteral("--pack"), dir.path() });
    EXPECT_EQ(result.exitCode, 1);
    ASSERT_FALSE(result.json.isEmpty()) << result.Text().toStdString();
    EXPECT_FALSE(result.json[QLatin1String("ok")].toBool());
    int failing = 0;
    for (const QJsonValue& c : result.json[QLatin1String("cases")].toArray()) {
        for (const QJsonValue& check : c[QLatin1String("checks")].toArray()) {
            if (check[QLatin1String("ok")].toBool())
                continue;
            ++failing;
            EXPECT_EQ(c[QLatin1String("id")].toString(), QStringLiteral("qcc_pistonrings"));
            EXPECT_EQ(check[QLatin1String("what")].toString(), QStringLiteral("x̄ chart UCL, group 1"));
            EXPECT_EQ(check[QLatin1String("published")].toDouble(), 74.0144);
        }
    }
    EXPECT_EQ(failing, 1);
    QTemporaryDir same;
    ASSERT_TRUE(CopyPack(same));
    EXPECT_EQ(Validate({ QStringLiteral("--pack"), same.path() }).exitCode, 0);
}

TEST(Validate, CaseWithoutComparableNumbersFailsWithAMessage)
{
    QTemporaryDir dir;
    ASSERT_TRUE(CopyPack(dir));
    QFile file(dir.filePath(QStringLiteral("cases.json")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray json = file.readAll();
    file.close();
    // Partgaps, the last case: every entry of it shown only.
    const qsizetype start = json.indexOf("\"id\": \"sas_partgaps\"");
    ASSERT_GT(start, 0);
    const QByteArray head = json.left(start);
    QByteArray tail = json.mid(start);
    tail.replace("\"comparable\": true", "\"comparable\": false");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(head + tail);
    file.close();
    const CliResult result = Validate({ QStringLiteral("--pack"), dir.path() });
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains(QStringLiteral("sas_partgaps: У випадку немає жодного опублікованого числа")))
        << result.err.toStdString();
    EXPECT_TRUE(result.Text().contains(QStringLiteral("sas_partgaps: не збігається (0 з 0)")));
}

TEST(Validate, UsageAndMissingPack)
{
    EXPECT_EQ(Validate({ QStringLiteral("--bogus") }).exitCode, 2);
    EXPECT_EQ(Validate({ QStringLiteral("-o") }).exitCode, 2);
    QTemporaryDir empty;
    const CliResult missing = Validate({ QStringLiteral("--json"), QStringLiteral("--pack"), empty.path() });
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("cases.json"))) << missing.err.toStdString();
    EXPECT_FALSE(missing.json[QLatin1String("ok")].toBool(true));
    // A PDF that cannot be written is a failure that names the file.
    const CliResult unwritable
        = Validate({ QStringLiteral("-o"), empty.filePath(QStringLiteral("no/such/dir/x.pdf")) });
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_TRUE(unwritable.err.contains(QStringLiteral("x.pdf"))) << unwritable.err.toStdString();
}
