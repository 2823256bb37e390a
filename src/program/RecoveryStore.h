#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <map>
#include <memory>
#include <vector>

class QLockFile;

// One recovery copy on disk: the document file "<id>.mrd" and its note "<id>.json".
struct RecoveryCopy {
    QString Id;
    QString OriginalFileName; // empty for a document that never had a name
    QDateTime Time; // when the copy was written
    qint64 Pid = 0; // the process that wrote it
    QString CopyPath; // the document file
    QString Problem; // why the copy cannot be read; empty when it looks whole
};

// The recovery copies of unsaved documents, kept in a folder of their own (never beside a
// document). Every copy is written atomically: the document file first, then its note, each
// through QSaveFile, so a crash leaves either the old copy or the new one.
//
// A copy belongs to the store that writes it for as long as that store lives: a lock file
// "<id>.lock" beside it holds the writer's process id. Another process (or another store) takes up
// only copies whose lock is free or stale, i.e. whose writer is gone; the lock is then held by the
// store that took it up until it removes or releases the copy.
class RecoveryStore {
public:
    explicit RecoveryStore(QString folder = DefaultFolder());
    ~RecoveryStore(); // releases every lock held; the copies stay
    RecoveryStore(const RecoveryStore&) = delete;
    RecoveryStore& operator=(const RecoveryStore&) = delete;

    // "recovery" in the user's data folder of the program.
    static QString DefaultFolder();
    QString Folder() const { return m_folder; }

    // An id no other copy uses: the process id, the process's start time and a serial number.
    static QString NewId();

    // Writes the copy for id (taking its lock first). On failure returns false with the reason in
    // error and leaves any earlier copy of id as it was.
    bool Write(const QString& id, const QByteArray& bytes, const QString& originalFileName, QString* error = nullptr);
    // Deletes the copy of id with its note and lock. False when a file could not be deleted.
    bool Remove(const QString& id);
    // Gives up the lock of id without deleting anything: the copy is offered again later.
    void Release(const QString& id);

    // Takes up every copy whose writer is gone, oldest first, and holds their locks. Copies that
    // cannot be read come with Problem set; they are never deleted here.
    std::vector<RecoveryCopy> TakeUpOrphans();

    QString CopyPath(const QString& id) const;
    QString NotePath(const QString& id) const;
    QString LockPath(const QString& id) const;

private:
    bool lock(const QString& id); // true when this store holds the lock of id afterwards
    RecoveryCopy readNote(const QString& id) const;

    QString m_folder;
    std::map<QString, std::unique_ptr<QLockFile>> m_locks;
};
