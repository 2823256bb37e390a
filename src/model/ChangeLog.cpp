#include "model/ChangeLog.h"

#include "model/EscapedText.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QProcessEnvironment>
#include <cstdlib>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

void ChangeLog::Append(const QString& change, const QString& reason)
{
    AppendAt(CurrentTime(), CurrentUser(), change, reason);
}

void ChangeLog::AppendAt(const QString& time, const QString& user, const QString& change, const QString& reason)
{
    ChangeLogEntry entry { time, user, change, reason, QString() };
    entry.Hash = EntryHash(m_entries.empty() ? QString() : m_entries.back().Hash, entry);
    m_entries.push_back(std::move(entry));
}

int ChangeLog::VerifiedCount() const
{
    QString previous;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (EntryHash(previous, m_entries[i]) != m_entries[i].Hash)
            return int(i);
        previous = m_entries[i].Hash;
    }
    return Size();
}

QString ChangeLog::EntryHash(const QString& previous, const ChangeLogEntry& entry)
{
    // The escaped fields cannot hold a tab or a break, so the joined text names them unambiguously.
    const QString text = previous + QLatin1Char('\n') + EscapeText(entry.Time) + QLatin1Char('\t')
        + EscapeText(entry.User) + QLatin1Char('\t') + EscapeText(entry.Change) + QLatin1Char('\t')
        + EscapeText(entry.Reason);
    return QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toHex());
}

QString ChangeLog::CurrentUser()
{
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : { "USER", "USERNAME", "LOGNAME" }) {
        const QString user = environment.value(QString::fromLatin1(name));
        if (!user.isEmpty())
            return user;
    }
#ifdef Q_OS_UNIX
    // Services and sandboxes often run without those variables; the account database still knows.
    if (const passwd* account = getpwuid(geteuid()); account && account->pw_name && *account->pw_name)
        return QString::fromLocal8Bit(account->pw_name);
#endif
    return QStringLiteral("невідомий");
}

QString ChangeLog::CurrentTime()
{
    // The offset always as ±HH:MM, also for UTC, so every entry reads alike.
    const QDateTime now = QDateTime::currentDateTime();
    const int offset = now.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return now.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + (offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        + QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QLatin1Char('0')).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}
