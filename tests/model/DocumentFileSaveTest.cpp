#include "common/DocumentFileTestSupport.h"

#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"
#include "model/DocumentFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <unistd.h>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void SmallDocument(MeasurementDocument& doc, int subgroupSize = 0)
{
    const int columns = std::max(1, subgroupSize);
    std::vector<std::vector<QStringList>> groups(2);
    for (int i = 0; i < 5; ++i)
        groups[i < 3 ? 0 : 1].push_back(QStringList(columns, QString::number(i + 1)));
    BuildDocument(doc, subgroupSize, groups);
    doc.SetTableName(QStringLiteral("Назва"));
    doc.SetHeaderText(HeaderField::Operator, QStringLiteral("Оператор"));
}

} // namespace

TEST(DocumentFileSave, SaveStoresTheNameAndClearsChanged)
{
    const QString path = TemporaryFolder() + QStringLiteral("/doc.mrd");
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    SmallDocument(doc, 4);
    EditGroup(doc, 1, [&](TIndividualInfo& record) { record.SigmaSetting = { true, 0.1 + 0.2 }; });
    doc.MarkChanged();
    ASSERT_TRUE(SaveDocument(doc, path));
    EXPECT_TRUE(messenger.messages.isEmpty());
    EXPECT_TRUE(messenger.questions.isEmpty());
    EXPECT_EQ(doc.FileName(), path);
    EXPECT_FALSE(doc.Changed());
    EXPECT_EQ(ReadAll(path), SavedBytes(doc));

    RecordingMessenger readerMessenger;
    MeasurementDocument loaded(readerMessenger);
    ASSERT_TRUE(LoadDocument(loaded, path));
    ExpectSameStoredContent(loaded, doc);
    EXPECT_EQ(loaded.Groups()[1].SigmaSetting.Value, 0.1 + 0.2);
}

// A character the code page lacks is never written silently: the question names the place and the
// character, No writes nothing, Yes writes "?" in its place.
TEST(DocumentFileSave, UnencodableCharactersNeedConsent)
{
    struct Case {
        const char* name;
        std::function<void(MeasurementDocument&)> edit;
        QString place;
        QString character;
        std::function<QString(const MeasurementDocument&)> readBack;
        QString expected;
    };
    const Case cases[] = {
        { "operator", [](MeasurementDocument& d) { d.SetHeaderText(HeaderField::Operator, QStringLiteral("Іван ☺")); },
            QStringLiteral("поле «Оператор»"), QStringLiteral("«☺» (U+263A)"),
            [](const MeasurementDocument& d) { return d.Header(HeaderField::Operator).Text; },
            QStringLiteral("Іван ?") },
        { "units", [](MeasurementDocument& d) { d.SetUnits(QStringLiteral("µg·m⁻³")); },
            QStringLiteral("поле «Одиниці вимірювання»"), QStringLiteral("«⁻» (U+207B)"),
            [](const MeasurementDocument& d) { return d.Units(); }, QStringLiteral("µg·m??") },
        { "value cell", [](MeasurementDocument& d) { d.SetValueText(5, 1, QStringLiteral("4😀2")); },
            QStringLiteral("таблиця, точка 4, X2"), QStringLiteral("«😀» (U+1F600)"),
            [](const MeasurementDocument& d) { return d.ValueText(5, 1).toString(); }, QStringLiteral("4?2") },
        { "date cell", [](MeasurementDocument& d) { d.SetDateText(1, QStringLiteral("１.01")); },
            QStringLiteral("таблиця, точка 1, дата"), QStringLiteral("«１» (U+FF11)"),
            [](const MeasurementDocument& d) { return d.DateText(1); }, QStringLiteral("?.01") },
        { "information line",
            [](MeasurementDocument& d) {
                d.SetAdditionalInfo({ QStringLiteral("ok"), QStringLiteral("Ω") });
            },
            QStringLiteral("поле «Додаткова інформація», рядок 2"), QStringLiteral("«Ω» (U+03A9)"),
            [](const MeasurementDocument& d) { return d.AdditionalInfo().value(1); }, QStringLiteral("?") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = TemporaryFolder() + QStringLiteral("/doc.mrd");
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        SmallDocument(doc, 3);
        doc.SetFileName(QStringLiteral("before.mrd"));
        c.edit(doc);
        ASSERT_TRUE(doc.Changed());

        messenger.answers = { false };
        EXPECT_FALSE(SaveDocument(doc, path));
        ASSERT_EQ(messenger.questions.size(), 1);
        EXPECT_TRUE(messenger.questions[0].contains(c.place)) << messenger.questions[0].toStdString();
        EXPECT_TRUE(messenger.questions[0].contains(c.character)) << messenger.questions[0].toStdString();
        EXPECT_FALSE(QFileInfo::exists(path));
        EXPECT_TRUE(doc.Changed());
        EXPECT_EQ(doc.FileName(), QStringLiteral("before.mrd"));

        messenger.answers = { true };
        ASSERT_TRUE(SaveDocument(doc, path));
        RecordingMessenger readerMessenger;
        MeasurementDocument loaded(readerMessenger);
        ASSERT_TRUE(LoadDocument(loaded, path));
        EXPECT_EQ(c.readBack(loaded), c.expected);
    }
}

TEST(DocumentFileSave, LineBreaksInTexts)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    SmallDocument(doc);
    // Memo lines holding breaks become more lines, without loss and without a question.
    doc.SetAdditionalInfo({ QStringLiteral("a\r\nb"), QStringLiteral("c\rd\ne") });
    QByteArray bytes = SavedBytes(doc);
    EXPECT_TRUE(messenger.questions.isEmpty());
    RecordingMessenger readerMessenger;
    MeasurementDocument loaded(readerMessenger);
    ASSERT_TRUE(LoadDocumentFromBytes(loaded, bytes, QString()));
    EXPECT_EQ(loaded.AdditionalInfo(), (QStringList { "a", "b", "c", "d", "e" }));

    // A single-line field would break the file: asked, then written with a blank.
    doc.SetTableName(QStringLiteral("перший\nдругий"));
    EXPECT_FALSE(SaveDocumentToBytes(doc).has_value());
    ASSERT_EQ(messenger.questions.size(), 1);
    EXPECT_TRUE(messenger.questions[0].contains(QStringLiteral("поле «Назва таблиці»: розрив рядка")));
    messenger.answers = { true };
    bytes = SaveDocumentToBytes(doc).value_or(QByteArray());
    ASSERT_TRUE(LoadDocumentFromBytes(loaded, bytes, QString()));
    EXPECT_EQ(loaded.TableName(), QStringLiteral("перший другий"));
    EXPECT_EQ(loaded.PointCount(), 5);
}

TEST(DocumentFileSave, ManyProblemsAreListedShortly)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    SmallDocument(doc);
    for (int row = 1; row < doc.RowCount(); ++row)
        doc.SetDateText(row, QStringLiteral("☺"));
    EXPECT_FALSE(SaveDocumentToBytes(doc).has_value());
    ASSERT_EQ(messenger.questions.size(), 1);
    EXPECT_TRUE(messenger.questions[0].contains(QStringLiteral("таблиця, Розділювач №1, дата")));
    EXPECT_TRUE(messenger.questions[0].endsWith(QStringLiteral("Зберегти документ?")));
}

// A save that cannot finish leaves the file that was there as it was, and says so.
TEST(DocumentFileSave, FailedSaveKeepsTheOldFile)
{
    const QString folder = TemporaryFolder();
    const QString existing = folder + QStringLiteral("/existing.mrd");
    const QByteArray oldBytes("old contents\r\n");
    WriteAll(existing, oldBytes);
    QDir().mkpath(folder + QStringLiteral("/folder.mrd"));

    auto expectFailure = [&](const QString& target, const std::function<void()>& before = {},
                             const std::function<void()>& after = {}) {
        SCOPED_TRACE(target.toStdString());
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        SmallDocument(doc, 8);
        doc.SetFileName(QStringLiteral("before.mrd"));
        doc.MarkChanged();
        if (before)
            before();
        const bool saved = SaveDocument(doc, target);
        if (after)
            after();
        EXPECT_FALSE(saved);
        ASSERT_EQ(messenger.messages.size(), 1);
        EXPECT_TRUE(messenger.messages[0].startsWith(QStringLiteral("Помилка! Документ не збережено")));
        EXPECT_TRUE(doc.Changed());
        EXPECT_EQ(doc.FileName(), QStringLiteral("before.mrd"));
    };

    expectFailure(folder + QStringLiteral("/missing/doc.mrd"));
    expectFailure(folder + QStringLiteral("/folder.mrd"));
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/folder.mrd")).isDir());
    expectFailure(QString());

    // The disk fills up in the middle of the write: the file size limit stands in for it.
    rlimit previous {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    auto* previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    expectFailure(
        existing,
        [&] {
            rlimit small = previous;
            small.rlim_cur = 64;
            setrlimit(RLIMIT_FSIZE, &small);
        },
        [&] { setrlimit(RLIMIT_FSIZE, &previous); });
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(ReadAll(existing), oldBytes);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList { QStringLiteral("existing.mrd") });

    if (geteuid() != 0) { // root may write anything
        QFile::setPermissions(existing, QFileDevice::ReadOwner);
        expectFailure(existing);
        EXPECT_EQ(ReadAll(existing), oldBytes);
    }
}
