#include "reports/ProgramIdentity.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QSysInfo>

#ifndef MERIDAN_VERSION
#define MERIDAN_VERSION "0"
#endif
#ifndef MERIDAN_COMMIT
#define MERIDAN_COMMIT "unknown"
#endif

namespace {

// __DATE__ is "Mmm dd yyyy" with a blank before a one-digit day.
QString BuildDate()
{
    const QString text = QStringLiteral(__DATE__ " " __TIME__).simplified();
    const QDateTime when = QLocale::c().toDateTime(text, QStringLiteral("MMM d yyyy HH:mm:ss"));
    return when.isValid() ? when.toString(Qt::ISODate) : text;
}

} // namespace

QString FileSha256(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return QString();
    return QString::fromLatin1(hash.result().toHex());
}

QString ProgramVersionLine()
{
    const QString version = QStringLiteral(MERIDAN_VERSION);
    const QString commit = QStringLiteral(MERIDAN_COMMIT);
    if (commit.isEmpty() || commit == QLatin1String("unknown"))
        return version;
    return version + QStringLiteral(" (") + commit + QLatin1Char(')');
}

ProgramIdentity CurrentProgramIdentity()
{
    ProgramIdentity identity;
    identity.Version = QStringLiteral(MERIDAN_VERSION);
    identity.Commit = QStringLiteral(MERIDAN_COMMIT);
    if (identity.Commit.isEmpty())
        identity.Commit = QStringLiteral("unknown");
    identity.BuildDate = BuildDate();
    identity.OperatingSystem = QStringLiteral("%1 (%2 %3, %4)")
                                   .arg(QSysInfo::prettyProductName(), QSysInfo::kernelType(),
                                       QSysInfo::kernelVersion(), QSysInfo::currentCpuArchitecture());
    // The link the kernel keeps is the file that runs, whatever name it was started by.
    identity.BinarySha256 = FileSha256(QStringLiteral("/proc/self/exe"));
    if (identity.BinarySha256.isEmpty())
        identity.BinarySha256 = FileSha256(QCoreApplication::applicationFilePath());
    identity.RunDate = QDateTime::currentDateTime().toString(Qt::ISODate);
    return identity;
}
