#include "CliTestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The delivered files reach the programs both in the build and after installation.

namespace {

const QString SourceData = QStringLiteral(MERIDAN_SOURCE_DIR "/data");

// Every file of data/, relative to it.
QStringList DeliveredFiles()
{
    QStringList files;
    QDirIterator it(SourceData, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(SourceData).relativeFilePath(it.next()));
    files.sort();
    return files;
}

} // namespace

TEST(Examples, BuiltCliFindsTheExamplesBesideIt)
{
    const CliResult result = RunMeridanCli({ QStringLiteral("examples") });
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QStringList paths = result.Text().split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(paths.size(), 4);
    EXPECT_TRUE(paths[0].endsWith(QStringLiteral("/pistonrings.mrd")));
    for (const QString& path : paths)
        EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();
    EXPECT_EQ(RunMeridanCli({ QStringLiteral("examples"), QStringLiteral("extra") }).exitCode, 2);
}

TEST(Install, EveryDeliveredFileIsInstalledAndFound)
{
    QTemporaryDir destdir;
    ASSERT_TRUE(destdir.isValid());
    QProcess install;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DESTDIR"), destdir.path());
    install.setProcessEnvironment(environment);
    install.start(QStringLiteral(MERIDAN_CMAKE),
        { QStringLiteral("--install"), QStringLiteral(MERIDAN_BUILD_DIR), QStringLiteral("--prefix"),
            QStringLiteral("/usr") });
    ASSERT_TRUE(install.waitForFinished(120000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();

    const QDir usr(destdir.path() + QStringLiteral("/usr"));
    for (const QString& program : { QStringLiteral("bin/meridan"), QStringLiteral("bin/meridan-cli") }) {
        EXPECT_TRUE(QFileInfo(usr.filePath(program)).isExecutable()) << program.toStdString();
    }
    for (const QString& file : DeliveredFiles()) {
        const QString installed = usr.filePath(QStringLiteral("share/meridan/") + file);
        ASSERT_TRUE(QFileInfo::exists(installed)) << file.toStdString();
        QFile a(installed);
        QFile b(QDir(SourceData).filePath(file));
        ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        EXPECT_EQ(a.readAll(), b.readAll()) << file.toStdString();
    }

    QFile desktop(usr.filePath(QStringLiteral("share/applications/meridan.desktop")));
    ASSERT_TRUE(desktop.open(QIODevice::ReadOnly));
    const QString entry = QString::fromUtf8(desktop.readAll());
    EXPECT_TRUE(entry.contains(QStringLiteral("Name=Мерідан")));
    EXPECT_TRUE(entry.contains(QStringLiteral("Exec=meridan %f")));
    EXPECT_TRUE(entry.contains(QStringLiteral("Categories=Education;Science;")));
    EXPECT_TRUE(entry.contains(QStringLiteral("MimeType=application/x-meridan-document;")));
    QFile mime(usr.filePath(QStringLiteral("share/mime/packages/meridan.xml")));
    ASSERT_TRUE(mime.open(QIODevice::ReadOnly));
    const QByteArray mimeText = mime.readAll();
    EXPECT_TRUE(mimeText.contains("application/x-meridan-document"));
    EXPECT_TRUE(mimeText.contains("*.mrd"));
    EXPECT_TRUE(QFileInfo::exists(usr.filePath(QStringLiteral("share/icons/hicolor/scalable/apps/meridan.svg"))));
    for (int size : { 16, 24, 32, 48, 64, 128, 256 }) {
        const QImage icon(usr.filePath(QStringLiteral("share/icons/hicolor/%1x%1/apps/meridan.png").arg(size)));
        EXPECT_EQ(icon.size(), QSize(size, size)) << size;
    }

    // The installed companion finds the installed examples, and they load.
    QProcess cli;
    cli.start(usr.filePath(QStringLiteral("bin/meridan-cli")), { QStringLiteral("examples") });
    ASSERT_TRUE(cli.waitForFinished(20000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    const QStringList paths = QString::fromUtf8(cli.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(paths.size(), 4);
    for (const QString& path : paths) {
        EXPECT_TRUE(path.startsWith(usr.filePath(QStringLiteral("share/meridan/")))) << path.toStdString();
        QProcess analyse;
        analyse.start(usr.filePath(QStringLiteral("bin/meridan-cli")), { QStringLiteral("analyse"), path });
        ASSERT_TRUE(analyse.waitForFinished(20000));
        EXPECT_EQ(analyse.exitCode(), 0) << path.toStdString() << analyse.readAllStandardError().toStdString();
    }
    // And the installed validation pack.
    QProcess validate;
    validate.start(usr.filePath(QStringLiteral("bin/meridan-cli")), { QStringLiteral("validate") });
    ASSERT_TRUE(validate.waitForFinished(20000));
    EXPECT_EQ(validate.exitCode(), 0) << validate.readAllStandardError().toStdString();
    EXPECT_TRUE(QString::fromUtf8(validate.readAllStandardOutput())
                    .contains(usr.filePath(QStringLiteral("share/meridan/validation"))));
}
