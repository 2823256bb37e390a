#include "CliTestSupport.h"

#include <QJsonDocument>
#include <QProcess>

CliResult RunMeridanCli(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral(MERIDAN_CLI), args);
    CliResult result;
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = QString::fromUtf8(process.readAllStandardError());
    QJsonParseError error {};
    const QJsonDocument json = QJsonDocument::fromJson(result.out, &error);
    if (error.error == QJsonParseError::NoError)
        result.json = json.object();
    return result;
}
