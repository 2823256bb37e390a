#include "CliTestSupport.h"
#include "NotesOutput.h"
#include "common/DocumentBuilder.h"
#include "common/NoteSupport.h"
#include "common/TestSupport.h"
#include "model/ChangeLog.h"
#include "model/DocumentFile.h"
#include "model/MeasurementDocument.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStringEncoder>
#include <QTemporaryDir>

namespace {

const QString ExamplePath = QStringLiteral(MERIDAN_SOURCE_DIR "/data/pistonrings.mrd");

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

PointNote Note(const QString& note, const QString& action, const QString& reason)
{
    return TestNote(note, action, reason);
}

QString Copy(const QTemporaryDir& dir, const QString& name)
{
    const QString path = dir.filePath(name);
    QFile::copy(ExamplePath, path);
    QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

CliResult Annotate(const QString& file, const QStringList& options)
{
    return RunMeridanCli(QStringList { QStringLiteral("annotate"), file } + options);
}

} // namespace

// The JSON forms scripts read: exact text, point numbers counting points only, null for no reason.
TEST(NotesOutput, PointsAndLogInTheirStableForms)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    EXPECT_EQ(PointNotesJson(doc), "[]");
    // Rows 1-2, a separator in row 3, rows 4-5: row 5 is point 4.
    BuildDocument(doc, 0, { { { "1.5" }, { "1.7" } }, { { "1.4" }, { "1.8" } } });
    doc.SetPointNotes({ { 5, Note(QStringLiteral("два\nрядки"), QString(), QStringLiteral("викид \"A\"")) },
        { 1, Note(QStringLiteral("примітка"), QStringLiteral("дія"), QString()) } });
    EXPECT_EQ(PointNotesJson(doc),
        "[\n"
        "    {\"point\": 1, \"note\": \"примітка\", \"action\": \"дія\", \"excluded\": null},\n"
        "    {\"point\": 4, \"note\": \"два\\nрядки\", \"action\": \"\", \"excluded\": \"викид \\\"A\\\"\"}\n"
        "  ]");

    ChangeLog log;
    EXPECT_EQ(ChangeLogJson(log), "[]\n");
    EXPECT_EQ(ChangeLogText(log), "");
    log.AppendAt(QStringLiteral("2026-12-01T10:00:00+02:00"), QStringLiteral("ivan"),
        QStringLiteral("вставлення точки"), QString());
    log.AppendAt(QStringLiteral("2026-12-01T10:05:00+02:00"), QStringLiteral("ivan"),
        QStringLiteral("примітка: «» → «a\nb»"), QStringLiteral("викид"));
    const QString json = ChangeLogJson(log);
    const QJsonArray entries = QJsonDocument::fromJson(json.toUtf8()).array();
    ASSERT_EQ(entries.size(), 2) << json.toStdString();
    const QJsonObject first = entries[0].toObject();
    EXPECT_EQ(first.keys(), (QStringList { "change", "hash", "index", "reason", "time", "user" }));
    EXPECT_EQ(first[u"index"].toInt(), 1);
    EXPECT_TRUE(first[u"reason"].isNull());
    EXPECT_EQ(first[u"hash"].toString(), log.Entries()[0].Hash);
    EXPECT_EQ(entries[1].toObject()[u"index"].toInt(), 2);
    EXPECT_EQ(entries[1].toObject()[u"change"].toString(), "примітка: «» → «a\nb»");
    EXPECT_EQ(entries[1].toObject()[u"reason"].toString(), "викид");
    EXPECT_TRUE(json.startsWith(QStringLiteral("[\n  {\"index\": 1, \"time\": \"2026-12-01T10:00:00+02:00\", "
                                               "\"user\": \"ivan\", \"change\": \"вставлення точки\", "
                                               "\"reason\": null, \"hash\": \"")));

    EXPECT_EQ(ChangeLogText(log),
        "1. 2026-12-01T10:00:00+02:00  ivan\n"
        "    вставлення точки\n"
        "2. 2026-12-01T10:05:00+02:00  ivan\n"
        "    примітка: «» → «a\n"
        "    b»\n"
        "    Причина: викид\n");
}

// The new keys follow every old one, so scripts that read the old keys by position still work.
TEST(NotesCli, InfoEndsWithPointsAndLogLength)
{
    const CliResult r = RunMeridanCli({ QStringLiteral("info"), ExamplePath });
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.json[u"points"].toArray().size(), 0);
    EXPECT_EQ(r.json[u"log_entries"].toInt(-1), 0);
    const QString text = r.Text();
    const qsizetype groups = text.indexOf(QStringLiteral("\n  \"groups\": ["));
    const qsizetype points = text.indexOf(QStringLiteral("\n  \"points\": []"));
    const qsizetype log = text.indexOf(QStringLiteral("\n  \"log_entries\": 0\n}\n"));
    EXPECT_TRUE(groups > 0 && points > groups && log > points) << text.toStdString();
}

// Every refusal says why, exits non-zero and leaves the file as it was.
TEST(NotesCli, AnnotateRefusalsLeaveTheFile)
{
    QTemporaryDir dir;
    const QString file = Copy(dir, QStringLiteral("doc.mrd"));
    const QByteArray before = ReadAll(file);
    const QString tooLong(2001, u'ж');
    const struct {
        QStringList Options;
        QString Message;
    } cases[] = {
        { { "--point", "3", "--exclude", "викид", "--include" }, "не обидва" },
        { { "--point", "3", "--exclude", "   " }, "Причина виключення точки не може бути порожньою." },
        { { "--point", "41", "--note", "x" }, "Точки 41 у документі немає: він має точок 40." },
        { { "--point", "0", "--note", "x" }, "Номер точки має бути цілим числом від 1." },
        { { "--point", "abc", "--note", "x" }, "Номер точки має бути цілим числом від 1." },
        { { "--point", "99999999999999999999", "--note", "x" }, "Номер точки має бути цілим числом від 1." },
        { { "--point", "3" }, "Нічого змінювати" },
        { { "--note", "x" }, "Потрібні файл і --point N." },
        { { "--point", "3", "--note" }, "Після --note бракує значення." },
        { { "--point", "3", "--colour", "red" }, "Невідомий параметр: --colour" },
        { { "--point", "3", "--note", tooLong }, "довший за 2000 символів" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Options.join(u' ').left(60).toStdString());
        const CliResult r = Annotate(file, c.Options);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.contains(c.Message)) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("Використання: meridan-cli annotate")));
        EXPECT_EQ(ReadAll(file), before);
    }
    const CliResult missing = Annotate(dir.filePath(QStringLiteral("missing.mrd")), { "--point", "1", "--note", "x" });
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains(LoadErrorText())) << missing.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("missing.mrd"))));
}

TEST(NotesCli, LogOfADocumentWithoutOneAndOfNoDocument)
{
    const CliResult plain = RunMeridanCli({ QStringLiteral("log"), ExamplePath });
    EXPECT_EQ(plain.exitCode, 0) << plain.err.toStdString();
    EXPECT_TRUE(plain.out.isEmpty());
    const CliResult json = RunMeridanCli({ QStringLiteral("log"), ExamplePath, QStringLiteral("--json") });
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_EQ(json.out, "[]\n");

    QTemporaryDir dir;
    const QString garbage = dir.filePath(QStringLiteral("garbage.mrd"));
    ASSERT_TRUE(WriteAll(garbage, "UNPOS\r\nnonsense\r\n"));
    for (const QString& file : { dir.filePath(QStringLiteral("missing.mrd")), garbage }) {
        const CliResult r = RunMeridanCli({ QStringLiteral("log"), file, QStringLiteral("--json") });
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.contains(LoadErrorText())) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    for (const QStringList& args : { QStringList { QStringLiteral("log") },
             QStringList { QStringLiteral("log"), ExamplePath, QStringLiteral("--xml") },
             QStringList { QStringLiteral("log"), ExamplePath, ExamplePath } }) {
        const CliResult r = RunMeridanCli(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.contains(QStringLiteral("Коди виходу"))) << r.err.toStdString();
    }
}

// Columns that are not there, named in ways a script may get wrong or a hostile file may hold.
TEST(NotesCli, ImportRefusesBadNoteColumns)
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.csv"));
    ASSERT_TRUE(WriteAll(in, "x;note\n1.5;a\n1.6;b\n"));
    const QString out = dir.filePath(QStringLiteral("out.mrd"));
    const struct {
        QString Option;
        QString Column;
        QString Message;
        int Exit;
    } cases[] = {
        { "--note-column", "3", "Стовпця «3» у файлі немає.", 1 },
        { "--action-column", "0", "Стовпця «0» у файлі немає.", 1 },
        { "--exclude-column", "-1", "Стовпця «-1» у файлі немає.", 1 },
        { "--note-column", "99999999999999999999", "Стовпця «99999999999999999999» у файлі немає.", 1 },
        { "--note-column", "примітка", "Стовпця «примітка» у файлі немає.", 1 }, // names need --header
        { "--note-column", "\x1b[2J\x07", "Стовпця «?[2J?» у файлі немає.", 1 },
        { "--note-column", QString(500, u'Z'), "Стовпця «ZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZ…» у файлі немає.",
            1 },
        { "--note-column", "1", "Стовпець 1 вибрано і для значень, і для приміток.", 1 },
        { "--exclude-column", " ", "Після --exclude-column бракує стовпця.", 2 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.Option + u' ' + c.Column.left(20)).toStdString());
        const CliResult r = RunMeridanCli({ QStringLiteral("import"), in, QStringLiteral("-o"), out,
            QStringLiteral("--values"), QStringLiteral("1"), c.Option, c.Column });
        EXPECT_EQ(r.exitCode, c.Exit);
        EXPECT_TRUE(r.err.contains(c.Message)) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains(QChar(0x1b)));
        EXPECT_FALSE(QFile::exists(out));
    }
}

// Annotate, info and log on files, as users chain them.
TEST(NotesCli, AnnotateThenInfoAndLog)
{
    QTemporaryDir dir;
    const QString file = Copy(dir, QStringLiteral("doc.mrd"));
    CliResult r = Annotate(file, { "--point", "27", "--note", "QQNOTE", "--action", "калібрування" });
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    r = Annotate(file, { "--point", "3", "--exclude", "бульбашка" });
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    // The same again changes nothing and writes nothing.
    const QByteArray twice = ReadAll(file);
    r = Annotate(file, { "--point", "3", "--exclude", "бульбашка" });
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(ReadAll(file), twice);

    const CliResult info = RunMeridanCli({ QStringLiteral("info"), file });
    ASSERT_EQ(info.exitCode, 0) << info.err.toStdString();
    const QJsonArray points = info.json[u"points"].toArray();
    ASSERT_EQ(points.size(), 2) << info.Text().toStdString();
    EXPECT_EQ(points[0].toObject(),
        (QJsonObject { { "point", 3 }, { "note", "" }, { "action", "" }, { "excluded", "бульбашка" } }));
    EXPECT_EQ(points[1].toObject(),
        (QJsonObject { { "point", 27 }, { "note", "QQNOTE" }, { "action", "калібрування" }, { "excluded", {} } }));
    EXPECT_EQ(info.json[u"log_entries"].toInt(), 2);

    const CliResult log = RunMeridanCli({ QStringLiteral("log"), file, QStringLiteral("--json") });
    ASSERT_EQ(log.exitCode, 0) << log.err.toStdString();
    const QJsonArray entries = QJsonDocument::fromJson(log.out).array();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].toObject()[u"user"].toString(), ChangeLog::CurrentUser());
    EXPECT_TRUE(entries[0].toObject()[u"change"].toString().contains(QStringLiteral("QQNOTE")));
    EXPECT_EQ(entries[1].toObject()[u"reason"].toString(), QStringLiteral("бульбашка"));
    const CliResult plain = RunMeridanCli({ QStringLiteral("log"), file });
    EXPECT_EQ(plain.exitCode, 0);
    EXPECT_TRUE(plain.Text().startsWith(QStringLiteral("1. "))) << plain.Text().toStdString();
    EXPECT_TRUE(plain.Text().contains(QStringLiteral("\n2. ")));

    // An edit of the second entry outside the program: the first still verifies.
    QByteArray bytes = ReadAll(file);
    ASSERT_TRUE(bytes.contains(QByteArrayLiteral("QQNOTE")));
    const QByteArray reason = QStringEncoder("windows-1251").encode(QStringLiteral("бульбашка"));
    ASSERT_TRUE(bytes.contains(reason));
    const QByteArray edited = QStringEncoder("windows-1251").encode(QStringLiteral("бульбашки"));
    bytes.replace(reason, edited);
    ASSERT_TRUE(WriteAll(file, bytes));
    const CliResult tampered = RunMeridanCli({ QStringLiteral("log"), file });
    EXPECT_EQ(tampered.exitCode, 1);
    EXPECT_TRUE(tampered.err.contains(QStringLiteral("журнал змінено поза програмою після запису 1")))
        << tampered.err.toStdString();
    EXPECT_TRUE(tampered.Text().contains(QStringLiteral("\n2. "))); // the log is still shown
}

// A block that cannot be read: log cannot check it, and annotate will not save the document without it.
TEST(NotesCli, BrokenBlockIsNeitherCheckedNorLost)
{
    QTemporaryDir dir;
    const QString file = Copy(dir, QStringLiteral("doc.mrd"));
    ASSERT_EQ(Annotate(file, { "--point", "3", "--note", "x" }).exitCode, 0);
    QByteArray bytes = ReadAll(file);
    const qsizetype end = bytes.lastIndexOf("\nEND\t");
    ASSERT_GT(end, 0);
    bytes.insert(end + 5, "9"); // a count the block does not have
    ASSERT_TRUE(WriteAll(file, bytes));

    const CliResult log = RunMeridanCli({ QStringLiteral("log"), file, QStringLiteral("--json") });
    EXPECT_EQ(log.exitCode, 2);
    EXPECT_TRUE(log.err.contains(QStringLiteral("Не вдалося прочитати примітки та журнал змін")))
        << log.err.toStdString();
    EXPECT_TRUE(log.out.isEmpty());
    const CliResult annotate = Annotate(file, { "--point", "4", "--note", "y" });
    EXPECT_EQ(annotate.exitCode, 1);
    EXPECT_EQ(ReadAll(file), bytes);
}

// A spreadsheet round trip through the command line keeps the three columns.
TEST(NotesCli, ImportAndExportKeepTheNoteColumns)
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.csv"));
    ASSERT_TRUE(WriteAll(in,
        QStringLiteral("Дата;x;Примітка;Дія;Виключити\r\n"
                       "01.02.2024;1,5;\"перша\nдруга\";дія;\r\n"
                       "02.02.2024;1,7;;;викид\r\n"
                       "03.02.2024;1,6;;;\r\n"
                       "04.02.2024;1,4;;;\r\n")
            .toUtf8()));
    const QString mrd = dir.filePath(QStringLiteral("out.mrd"));
    CliResult r = RunMeridanCli({ QStringLiteral("import"), in, QStringLiteral("-o"), mrd, QStringLiteral("--header"),
        QStringLiteral("--date-column"), QStringLiteral("1"), QStringLiteral("--values"), QStringLiteral("x"),
        QStringLiteral("--note-column"), QStringLiteral("Примітка"), QStringLiteral("--action-column"),
        QStringLiteral("4"), QStringLiteral("--exclude-column"), QStringLiteral("Виключити") });
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonArray expected { QJsonObject { { "point", 1 }, { "note", "перша\nдруга" }, { "action", "дія" },
                                    { "excluded", {} } },
        QJsonObject { { "point", 2 }, { "note", "" }, { "action", "" }, { "excluded", "викид" } } };
    const CliResult info = RunMeridanCli({ QStringLiteral("info"), mrd });
    EXPECT_EQ(info.json[u"points"].toArray(), expected) << info.Text().toStdString();

    for (const QString& name : { QStringLiteral("table.csv"), QStringLiteral("table.xlsx") }) {
        SCOPED_TRACE(name.toStdString());
        const QString table = dir.filePath(name);
        r = RunMeridanCli({ QStringLiteral("export"), mrd, QStringLiteral("-o"), table });
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QString back = dir.filePath(QStringLiteral("back.mrd"));
        r = RunMeridanCli({ QStringLiteral("import"), table, QStringLiteral("-o"), back, QStringLiteral("--header"),
            QStringLiteral("--date-column"), QStringLiteral("Дата"), QStringLiteral("--values"), QStringLiteral("4"),
            QStringLiteral("--group-column"), QStringLiteral("Група"), QStringLiteral("--note-column"),
            QStringLiteral("Примітка"), QStringLiteral("--action-column"), QStringLiteral("Коригувальна дія"),
            QStringLiteral("--exclude-column"), QStringLiteral("Причина виключення з обчислення меж") });
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(RunMeridanCli({ QStringLiteral("info"), back }).json[u"points"].toArray(), expected);
    }
}
