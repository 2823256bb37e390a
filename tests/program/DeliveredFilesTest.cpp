#include "common/DocumentFileTestSupport.h"

#include "common/TestSupport.h"
#include "compute/ComputeDriver.h"
#include "model/DocumentFile.h"
#include "model/MeasurementDocument.h"
#include "program/HintFile.h"
#include "program/ProgramFiles.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

// The files in data/ are delivered as they are: every one must be readable by the program, every
// example must load and compute, and every hint the program can ask for must be there.

namespace {

const QString DataFolder = QStringLiteral(MERIDAN_SOURCE_DIR "/data");

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

} // namespace

TEST(DeliveredFiles, TextFilesAreWindows1251WithCrLf)
{
    const QStringList names
        = QDir(DataFolder).entryList({ QStringLiteral("*.txt"), QStringLiteral("*.mrd") }, QDir::Files);
    ASSERT_GE(names.size(), 11);
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray bytes = ReadBytes(QDir(DataFolder).filePath(name));
        ASSERT_FALSE(bytes.isEmpty());
        QStringDecoder decoder("windows-1251");
        const QString text = decoder(bytes);
        EXPECT_FALSE(decoder.hasError());
        EXPECT_FALSE(text.contains(QChar::ReplacementCharacter));
        EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF")) << "a UTF-8 mark";
        EXPECT_TRUE(bytes.endsWith("\r\n"));
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\n') {
                ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "a bare LF at byte " << i;
            }
            if (bytes[i] == '\r') {
                ASSERT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << "a bare CR at byte " << i;
            }
        }
    }
}

TEST(DeliveredFiles, GeneralHintsAndSplash)
{
    const QByteArray general = ReadBytes(QDir(DataFolder).filePath(GeneralHintFileName));
    for (const QString& key : GeneralHintKeys()) {
        const HintLookup hint = FindHint(general, key);
        EXPECT_EQ(hint.Status, HintStatus::Found) << key.toStdString();
        EXPECT_FALSE(hint.Record.DefaultGeometry) << key.toStdString();
        EXPECT_FALSE(hint.Record.Text.trimmed().isEmpty()) << key.toStdString();
    }
    const auto splash = ReadTextLines(QDir(DataFolder).filePath(SplashTextFileName));
    ASSERT_TRUE(splash.has_value());
    EXPECT_TRUE(splash->first().contains(QStringLiteral("Мерідан")));
}

TEST(DeliveredFiles, EveryExampleLoadsComputesAndHasItsHints)
{
    const auto examples = ReadExampleList(DataFolder);
    ASSERT_TRUE(examples.has_value());
    ASSERT_EQ(examples->size(), 4); // "Приклад 1" to "Приклад 4"
    bool individual = false;
    bool subgroups = false;
    for (const QString& example : *examples) {
        SCOPED_TRACE(example.toStdString());
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        ASSERT_TRUE(LoadDocument(doc, example + QStringLiteral(".mrd")));
        EXPECT_TRUE(RunComputeCommand(doc)) << messenger.messages.join(u'\n').toStdString();
        (doc.IndividualMode() ? individual : subgroups) = true;

        const QByteArray hints = ReadBytes(example + QStringLiteral(".txt"));
        const QStringList keys = HintKeys(hints);
        EXPECT_EQ(keys.size(), QSet<QString>(keys.begin(), keys.end()).size()) << "a key twice";
        for (const QString& key : ExampleHintKeys(doc.IndividualMode() ? 0 : doc.SubgroupSize())) {
            const HintLookup hint = FindHint(hints, key);
            EXPECT_EQ(hint.Status, HintStatus::Found) << key.toStdString();
            EXPECT_FALSE(hint.Record.DefaultGeometry) << key.toStdString();
        }
    }
    EXPECT_TRUE(individual);
    EXPECT_TRUE(subgroups);
}

TEST(ProgramFiles, ExampleListAndDataFolder)
{
    const QString folder = TemporaryFolder();
    EXPECT_FALSE(ReadExampleList(folder).has_value());
    QFile list(QDir(folder).filePath(ExampleListFileName));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("one\r\n\r\nsub\\two\r\n/abs/three\r\n");
    list.close();
    EXPECT_EQ(*ReadExampleList(folder),
        (QStringList { folder + QStringLiteral("/one"), QString(), folder + QStringLiteral("/sub/two"),
            QStringLiteral("/abs/three") })); // the blank line keeps its place
    EXPECT_EQ(DataFolderFor(folder), folder);

    // An installed program finds the files in ../share/meridan.
    const QString bin = QDir(folder).filePath(QStringLiteral("prefix/bin"));
    const QString share = QDir(folder).filePath(QStringLiteral("prefix/share/meridan"));
    ASSERT_TRUE(QDir().mkpath(bin) && QDir().mkpath(share));
    EXPECT_EQ(DataFolderFor(bin), bin);
    ASSERT_TRUE(QFile::copy(list.fileName(), QDir(share).filePath(ExampleListFileName)));
    EXPECT_EQ(DataFolderFor(bin), share);

    EXPECT_EQ(SplashText({ QStringLiteral("а"), QStringLiteral("б") }), QStringLiteral("а\n\rб\n\r"));
}
