#include "program/RecoveryStore.h"
#include "common/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

namespace {

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// The id of a process that has ended.
qint64 GonePid()
{
    QProcess process;
    process.start(QStringLiteral("true"), {});
    EXPECT_TRUE(process.waitForStarted());
    const qint64 pid = process.processId();
    EXPECT_TRUE(process.waitForFinished());
    return pid;
}

// What a crash leaves: the lock file of a writer that no longer runs.
void LeaveStaleLock(const QString& lockPath)
{
    QByteArray contents;
    {
        QLockFile lock(lockPath);
        ASSERT_TRUE(lock.tryLock(0));
        contents = FileBytes(lockPath);
    }
    const qsizetype end = contents.indexOf('\n');
    ASSERT_GT(end, 0);
    WriteFile(lockPath, QByteArray::number(GonePid()) + contents.mid(end));
}

} // namespace

TEST(RecoveryStore, CopyOfALiveWriterIsNotTakenUpAndOneLeftByACrashIs)
{
    QTemporaryDir folder;
    const QByteArray bytes("UNPOS\r\nзміст документа\r\n");
    const QString id = RecoveryStore::NewId();
    auto writer = std::make_unique<RecoveryStore>(folder.path() + QStringLiteral("/recovery"));
    QString error;
    ASSERT_TRUE(writer->Write(id, bytes, QStringLiteral("/дані/зразок.mrd"), &error)) << error.toStdString();
    EXPECT_EQ(FileBytes(writer->CopyPath(id)), bytes);
    EXPECT_TRUE(QFile::exists(writer->LockPath(id)));

    RecoveryStore other(writer->Folder());
    EXPECT_TRUE(other.TakeUpOrphans().empty()); // its writer still runs
    EXPECT_TRUE(writer->TakeUpOrphans().empty()); // a store never offers its own copies

    // A second write replaces the copy.
    const QByteArray later("UNPOS\r\nпізніше\r\n");
    ASSERT_TRUE(writer->Write(id, later, QStringLiteral("/дані/зразок.mrd")));

    // The writer dies without a word: its lock stays behind with a process id that is gone.
    writer.reset();
    LeaveStaleLock(other.LockPath(id));
    const std::vector<RecoveryCopy> copies = other.TakeUpOrphans();
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].Id, id);
    EXPECT_EQ(copies[0].OriginalFileName, QStringLiteral("/дані/зразок.mrd"));
    EXPECT_EQ(copies[0].Pid, QCoreApplication::applicationPid());
    EXPECT_LE(qAbs(copies[0].Time.secsTo(QDateTime::currentDateTimeUtc())), 60);
    EXPECT_TRUE(copies[0].Problem.isEmpty()) << copies[0].Problem.toStdString();
    EXPECT_EQ(FileBytes(copies[0].CopyPath), later);

    // Taken up, it is not offered by a third store at the same time; released, it is again.
    RecoveryStore third(other.Folder());
    EXPECT_TRUE(third.TakeUpOrphans().empty());
    other.Release(id);
    ASSERT_EQ(third.TakeUpOrphans().size(), 1u);

    // Removed, nothing of it is left.
    EXPECT_TRUE(third.Remove(id));
    EXPECT_TRUE(QDir(other.Folder()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_TRUE(RecoveryStore(other.Folder()).TakeUpOrphans().empty());
}

TEST(RecoveryStore, SeveralCopiesOldestFirstAndUnnamedDocuments)
{
    QTemporaryDir folder;
    QStringList ids;
    {
        RecoveryStore a(folder.path());
        RecoveryStore b(folder.path());
        ids = { RecoveryStore::NewId(), RecoveryStore::NewId(), RecoveryStore::NewId() };
        ASSERT_NE(ids[0], ids[1]);
        // Written in this order, whatever their ids sort as.
        ASSERT_TRUE(b.Write(ids[2], "третій", QStringLiteral("c.mrd")));
        QThread::msleep(2); // the notes keep milliseconds
        ASSERT_TRUE(a.Write(ids[0], "перший", QString()));
        QThread::msleep(2);
        ASSERT_TRUE(a.Write(ids[1], "другий", QStringLiteral("b.mrd")));
    } // both writers end; their locks go with them
    RecoveryStore reader(folder.path());
    const std::vector<RecoveryCopy> copies = reader.TakeUpOrphans();
    ASSERT_EQ(copies.size(), 3u);
    EXPECT_EQ(copies[0].Id, ids[2]);
    EXPECT_EQ(copies[1].Id, ids[0]);
    EXPECT_EQ(copies[1].OriginalFileName, QString()); // a document that never had a name
    EXPECT_EQ(copies[2].Id, ids[1]);
    EXPECT_EQ(FileBytes(copies[1].CopyPath), QByteArray("перший"));
}

TEST(RecoveryStore, UnreadableCopiesAreReportedAndKept)
{
    QTemporaryDir folder;
    const QString damaged = QStringLiteral("1-1");
    const QString missing = QStringLiteral("1-2");
    {
        RecoveryStore writer(folder.path());
        ASSERT_TRUE(writer.Write(damaged, "x", QStringLiteral("a.mrd")));
        ASSERT_TRUE(writer.Write(missing, "y", QStringLiteral("b.mrd")));
        WriteFile(writer.NotePath(damaged), "{ not json");
        QFile::remove(writer.CopyPath(missing));
    }
    RecoveryStore reader(folder.path());
    const std::vector<RecoveryCopy> copies = reader.TakeUpOrphans();
    ASSERT_EQ(copies.size(), 2u);
    for (const RecoveryCopy& copy : copies)
        EXPECT_FALSE(copy.Problem.isEmpty()) << copy.Id.toStdString();
    reader.Release(damaged);
    reader.Release(missing);
    EXPECT_TRUE(QFile::exists(reader.NotePath(damaged)));
    EXPECT_TRUE(QFile::exists(reader.CopyPath(damaged)));
    EXPECT_TRUE(QFile::exists(reader.NotePath(missing)));
}

TEST(RecoveryStore, AFailedWriteSaysWhyAndKeepsTheEarlierCopy)
{
    QTemporaryDir folder;
    // The folder's place is taken by a file: nothing can be written there.
    const QString blocked = folder.path() + QStringLiteral("/blocked");
    WriteFile(blocked, "file");
    RecoveryStore nowhere(blocked + QStringLiteral("/recovery"));
    QString error;
    EXPECT_FALSE(nowhere.Write(QStringLiteral("1-1"), "x", QString(), &error));
    EXPECT_FALSE(error.isEmpty());

    // The copy's own place is taken by a folder: the write fails, the note of the earlier one stays.
    RecoveryStore store(folder.path());
    const QString id = QStringLiteral("1-2");
    ASSERT_TRUE(store.Write(id, "раніше", QStringLiteral("a.mrd")));
    const QByteArray note = FileBytes(store.NotePath(id));
    ASSERT_TRUE(QFile::remove(store.CopyPath(id)));
    ASSERT_TRUE(QDir().mkpath(store.CopyPath(id)));
    error.clear();
    EXPECT_FALSE(store.Write(id, "пізніше", QStringLiteral("a.mrd"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(FileBytes(store.NotePath(id)), note);
}
