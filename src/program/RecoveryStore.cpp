#include "program/RecoveryStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>
#include <atomic>

namespace {

const QString CopySuffix = QStringLiteral(".mrd");
const QString NoteSuffix = QStringLiteral(".json");
const QString LockSuffix = QStringLiteral(".lock");
constexpr qint64 MaxNoteBytes = 64 * 1024; // a note is a few lines; anything larger is not one

bool WriteAtomically(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    if (written) {
        written = file.write(bytes) == bytes.size() && file.flush();
        written = written && file.commit();
        if (!written)
            file.cancelWriting();
    }
    if (!written && error)
        *error = file.errorString();
    return written;
}

} // namespace

RecoveryStore::RecoveryStore(QString folder)
    : m_folder(std::move(folder))
{
}

RecoveryStore::~RecoveryStore() = default;

QString RecoveryStore::DefaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/recovery");
}

QString RecoveryStore::NewId()
{
    // The start time as well as the process id: after a reboot a new process may well get the id
    // of the one that crashed, and must not write over the copy that one left.
    static const qint64 started = QDateTime::currentMSecsSinceEpoch();
    static std::atomic<int> serial { 0 };
    return QStringLiteral("%1-%2-%3").arg(QCoreApplication::applicationPid()).arg(started).arg(++serial);
}

QString RecoveryStore::CopyPath(const QString& id) const
{
    return m_folder + QLatin1Char('/') + id + CopySuffix;
}
QString RecoveryStore::NotePath(const QString& id) const
{
    return m_folder + QLatin1Char('/') + id + NoteSuffix;
}
QString RecoveryStore::LockPath(const QString& id) const
{
    return m_folder + QLatin1Char('/') + id + LockSuffix;
}

bool RecoveryStore::lock(const QString& id)
{
    if (m_locks.count(id))
        return true;
    auto file = std::make_unique<QLockFile>(LockPath(id));
    // Never stale by age: a window may keep its copy for days. Stale only when its process is gone.
    file->setStaleLockTime(0);
    if (!file->tryLock(0))
        return false;
    m_locks.emplace(id, std::move(file));
    return true;
}

bool RecoveryStore::Write(const QString& id, const QByteArray& bytes, const QString& originalFileName, QString* error)
{
    if (!QDir().mkpath(m_folder)) {
        if (error)
            *error = QStringLiteral("не вдалося створити теку «%1»").arg(QDir::toNativeSeparators(m_folder));
        return false;
    }
    if (!lock(id)) {
        if (error)
            *error = QStringLiteral("копію «%1» тримає інша програма").arg(id);
        return false;
    }
    QJsonObject note;
    note.insert(QStringLiteral("file"), originalFileName);
    note.insert(QStringLiteral("time"), QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
    note.insert(QStringLiteral("pid"), QCoreApplication::applicationPid());
    return WriteAtomically(CopyPath(id), bytes, error)
        && WriteAtomically(NotePath(id), QJsonDocument(note).toJson(QJsonDocument::Indented), error);
}

bool RecoveryStore::Remove(const QString& id)
{
    bool removed = true;
    // The note goes first: a copy without its note is no longer offered, whatever else remains.
    for (const QString& path : { NotePath(id), CopyPath(id) }) {
        if (QFileInfo::exists(path))
            removed = QFile::remove(path) && removed;
    }
    Release(id);
    return removed;
}

void RecoveryStore::Release(const QString& id)
{
    m_locks.erase(id); // QLockFile deletes its file as it goes
}

RecoveryCopy RecoveryStore::readNote(const QString& id) const
{
    RecoveryCopy copy;
    copy.Id = id;
    copy.CopyPath = CopyPath(id);
    QFile file(NotePath(id));
    if (!file.open(QIODevice::ReadOnly)) {
        copy.Problem = file.errorString();
        return copy;
    }
    if (file.size() > MaxNoteBytes) {
        copy.Problem = QStringLiteral("замітка копії завелика");
        return copy;
    }
    QJsonParseError parseError;
    const QJsonDocument json = QJsonDocument::fromJson(file.readAll(), &parseError);
    const QJsonObject note = json.object();
    copy.OriginalFileName = note.value(QStringLiteral("file")).toString();
    copy.Time = QDateTime::fromString(note.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs);
    copy.Pid = note.value(QStringLiteral("pid")).toInteger();
    if (parseError.error != QJsonParseError::NoError || !json.isObject() || !copy.Time.isValid())
        copy.Problem = QStringLiteral("замітка копії пошкоджена");
    else if (!QFileInfo(copy.CopyPath).isFile())
        copy.Problem = QStringLiteral("файлу копії немає");
    return copy;
}

std::vector<RecoveryCopy> RecoveryStore::TakeUpOrphans()
{
    std::vector<RecoveryCopy> copies;
    const QStringList notes = QDir(m_folder).entryList({ QLatin1Char('*') + NoteSuffix }, QDir::Files, QDir::Name);
    for (const QString& name : notes) {
        const QString id = name.chopped(NoteSuffix.size());
        if (m_locks.count(id) || !lock(id))
            continue; // this store's own copy, or one whose writer still runs
        copies.push_back(readNote(id));
    }
    std::stable_sort(
        copies.begin(), copies.end(), [](const RecoveryCopy& a, const RecoveryCopy& b) { return a.Time < b.Time; });
    return copies;
}
