#include "actions/TableOperations.h"
#include "common/TestSupport.h"
#include "model/DocumentFile.h"
#include "program/RecoveryStore.h"
#include "ui/MainForm.h"
#include "ui/RecoveryController.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Example = QStringLiteral(MERIDAN_SOURCE_DIR "/data/pistonrings.mrd");

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every window of a case keeps its copies in the case's own data folder.
class Recovery : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_data.isValid());
        m_previous = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", m_data.path().toLocal8Bit());
    }
    void TearDown() override { qputenv("XDG_DATA_HOME", m_previous); }

    QString folder() const { return RecoveryStore::DefaultFolder(); }
    QStringList notes() const { return QDir(folder()).entryList({ QStringLiteral("*.json") }, QDir::Files); }

    QTemporaryDir m_data;
    QByteArray m_previous;
};

} // namespace

// The copy follows the edits (a plain edit within the interval, a table operation at once) and is
// the very file Save writes; saving or a close with the changes declined takes it away.
TEST_F(Recovery, CopyFollowsTheEditsAndGoesWithSaveAndClose)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    auto store = std::make_shared<RecoveryStore>(folder());
    RecoveryController controller(doc, messenger, store);
    ASSERT_TRUE(LoadDocument(doc, Example));
    QCoreApplication::processEvents();
    EXPECT_TRUE(notes().isEmpty()) << "a document without changes has no copy";

    controller.SetInterval(20);
    doc.EditValueText(1, 0, u"74,123");
    const QString copy = store->CopyPath(controller.CopyId());
    QTRY_VERIFY(QFile::exists(copy));
    EXPECT_EQ(FileBytes(copy), *SaveDocumentToBytes(doc));

    // A table operation: written as soon as the event is over, without waiting for the interval.
    controller.SetInterval(RecoveryController::DefaultIntervalMs);
    ASSERT_TRUE(InsertPoint(doc, 2).Done);
    QTRY_COMPARE(FileBytes(copy), *SaveDocumentToBytes(doc));

    QTemporaryDir saved;
    const QString target = saved.filePath(QStringLiteral("saved.mrd"));
    ASSERT_TRUE(SaveDocument(doc, target));
    EXPECT_TRUE(notes().isEmpty());
    EXPECT_FALSE(QFile::exists(copy));

    doc.EditValueText(1, 0, u"75");
    ASSERT_TRUE(controller.WriteNow());
    EXPECT_EQ(notes().size(), 1);
    controller.DocumentClosed();
    EXPECT_TRUE(notes().isEmpty());
    EXPECT_TRUE(messenger.messages.isEmpty()) << messenger.messages.join(u'\n').toStdString();
}

// A copy that cannot be written is said once; the edits and the program go on.
TEST_F(Recovery, AnUnwritableCopyIsSaidOnce)
{
    QTemporaryDir temp;
    QFile blocker(temp.filePath(QStringLiteral("taken")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    RecoveryController controller(
        doc, messenger, std::make_shared<RecoveryStore>(blocker.fileName() + QStringLiteral("/recovery")));
    ASSERT_TRUE(LoadDocument(doc, Example));
    for (int edit = 0; edit < 3; ++edit) {
        doc.EditValueText(1, 0, QString::number(70 + edit));
        EXPECT_FALSE(controller.WriteNow());
    }
    ASSERT_EQ(messenger.messages.size(), 1);
    EXPECT_TRUE(messenger.messages[0].startsWith(QStringLiteral("Не вдалося записати копію відновлення")));
    EXPECT_EQ(doc.ValueText(1, 0).toString(), QStringLiteral("72"));
}

// The window: "Ні" at close drops the copy, "Скасувати" keeps window and copy.
TEST_F(Recovery, WindowCloseWithChangesDeclinedDropsTheCopy)
{
    RecordingMessenger messenger;
    TMainForm window(&messenger);
    ASSERT_TRUE(window.OpenDocument(Example));
    auto* controller = window.findChild<RecoveryController*>();
    ASSERT_NE(controller, nullptr);
    window.Document().EditValueText(1, 0, u"74,5");
    ASSERT_TRUE(controller->WriteNow());
    ASSERT_EQ(notes().size(), 1);

    window.show();
    messenger.choices = { Messenger::Answer::Cancel };
    window.close();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(notes().size(), 1);
    messenger.choices = { Messenger::Answer::No };
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(notes().isEmpty());
}

// After a crash: every copy left behind is offered with its document's name; restored, a document
// has its own file name, counts as changed and saves as the document would have saved; discarded
// copies go, postponed ones and unreadable ones stay.
TEST_F(Recovery, StartUpOffersEveryCopyLeftBehind)
{
    QTemporaryDir work;
    const QString named = work.filePath(QStringLiteral("кільця.mrd"));
    ASSERT_TRUE(QFile::copy(Example, named));
    QByteArray expected;
    QStringList ids;
    {
        // Three windows that die with changes: two named documents and one never saved.
        RecordingMessenger silent;
        RecoveryStore crashed(folder());
        MeasurementDocument doc(silent);
        ASSERT_TRUE(LoadDocument(doc, named));
        doc.EditValueText(1, 0, u"74,321");
        ASSERT_TRUE(InsertSeparator(doc, 5).Done);
        expected = *SaveDocumentToBytes(doc);
        for (const QString& name : { named, QString(), named }) {
            ids.append(RecoveryStore::NewId());
            ASSERT_TRUE(crashed.Write(ids.back(), expected, name));
            QTest::qWait(2); // notes keep the time to the millisecond; the order is the order written
        }
        // And one whose document file is damaged.
        ids.append(RecoveryStore::NewId());
        ASSERT_TRUE(crashed.Write(ids.back(), "UNPOS\r\nне документ\r\n", named));
    }

    RecordingMessenger messenger;
    // Restore, discard, later; the damaged copy is restored too, but cannot be.
    messenger.buttonChoices = { 0, 1, 2, 0 };
    std::vector<std::unique_ptr<TMainForm>> windows;
    RecoveryStore store(folder());
    const int restored = RecoveryController::OfferCopies(store, messenger, [&] {
        windows.push_back(std::make_unique<TMainForm>(&messenger));
        return windows.back().get();
    });
    EXPECT_EQ(restored, 1);
    ASSERT_EQ(messenger.choiceButtons.size(), 4);
    EXPECT_EQ(messenger.choiceButtons[0],
        QStringList({ QStringLiteral("Відновити"), QStringLiteral("Відкинути"), QStringLiteral("Пізніше") }));
    ASSERT_GE(messenger.questions.size(), 2);
    EXPECT_TRUE(messenger.questions[0].startsWith(
        QStringLiteral("Знайдено копію відновлення документа «%1» від ").arg(QDir::toNativeSeparators(named))))
        << messenger.questions[0].toStdString();
    EXPECT_TRUE(
        messenger.questions[1].startsWith(QStringLiteral("Знайдено копію відновлення документа «без назви» від ")));
    ASSERT_EQ(messenger.messages.size(), 1);
    EXPECT_EQ(messenger.messages[0], RecoveryController::UnreadableMessage(store.CopyPath(ids[3]), LoadErrorText()));

    ASSERT_EQ(windows.size(), 2u);
    MeasurementDocument& doc = windows[0]->Document();
    EXPECT_EQ(doc.FileName(), named);
    EXPECT_TRUE(doc.Changed());
    EXPECT_EQ(DocumentFileBytes(doc), expected);
    EXPECT_FALSE(windows[1]->Document().HasDocument()) << "a damaged copy left part of itself in the window";

    // The restored copy is now the window's own; the discarded one is gone; the postponed and the
    // damaged ones stay for the next start.
    QStringList left = notes();
    left.sort();
    auto* controller = windows[0]->findChild<RecoveryController*>();
    QStringList expectedLeft = { controller->CopyId() + QStringLiteral(".json"), ids[2] + QStringLiteral(".json"),
        ids[3] + QStringLiteral(".json") };
    expectedLeft.sort();
    EXPECT_EQ(left, expectedLeft);
    EXPECT_TRUE(QFile::exists(store.CopyPath(ids[3])));

    // Saving the restored document writes what the crashed window would have saved, and its copy goes.
    ASSERT_TRUE(windows[0]->MSaveClick());
    EXPECT_EQ(FileBytes(named), expected);
    EXPECT_FALSE(QFile::exists(store.NotePath(controller->CopyId())));
}
