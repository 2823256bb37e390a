// The extension block of the file: notes, exclusions and the change log after the group records.
// They come back exactly, a document without them is written as before, and a broken block costs
// the block only, once said and asked about before a save writes the file without it.
#include "common/DocumentFileTestSupport.h"

#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"
#include "model/DocumentFile.h"
#include "model/EscapedText.h"
#include "model/ExtensionBlock.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {

// Texts that test the escapes: every kind of character the code page lacks or the line cannot hold.
const QString Hostile = QStringLiteral("a\\b\\\\c\td\ne\r\nf\rg \\t \\u{41} 中文 😀 é ™ ") + QChar(0x01) + QChar(0x7F)
    + QStringLiteral(" Ґґ №");

struct Loaded {
    std::unique_ptr<RecordingMessenger> messenger = std::make_unique<RecordingMessenger>();
    std::unique_ptr<MeasurementDocument> doc = std::make_unique<MeasurementDocument>(*messenger);
    bool complete = false;
};

// Three groups of individual values: points 1-5 are rows 1-5, 6-11 rows 7-12, 12-15 rows 14-17.
void BuildThreeGroups(MeasurementDocument& doc, int subgroupSize = 0)
{
    std::vector<std::vector<QStringList>> groups;
    int value = 1;
    for (const int size : { 5, 6, 4 }) {
        std::vector<QStringList> rows;
        for (int i = 0; i < size; ++i, ++value) {
            QStringList cells;
            for (int c = 0; c < std::max(1, subgroupSize); ++c)
                cells << QString::number(value + c);
            rows.push_back(cells);
        }
        groups.push_back(rows);
    }
    BuildDocument(doc, subgroupSize, groups);
}

PointNote Note(const QString& note, const QString& action, const QString& reason)
{
    return { note, action, reason, QStringLiteral("Петренко"), QStringLiteral("2026-12-09T10:15:00+02:00") };
}

void AddRecords(MeasurementDocument& doc)
{
    doc.SetPointNote(1, Note(QStringLiteral("Перша точка"), QString(), QString()));
    doc.SetPointNote(7, Note(Hostile, QStringLiteral("Повторне\nвимірювання"), QString()));
    doc.SetPointNote(12, Note(QString(), QString(), QStringLiteral("Забруднений посуд")));
    doc.SetPointNote(17, Note(QStringLiteral("Остання"), Hostile, Hostile));
    doc.AppendLogEntryAt(QStringLiteral("2026-12-09T10:00:00+02:00"), QStringLiteral("analyst"),
        QStringLiteral("редагування клітинки: точка 3, «1» → «1,5»"), QString());
    doc.AppendLogEntryAt(QStringLiteral("2026-12-09T10:01:00+02:00"), Hostile, Hostile, Hostile);
    doc.AppendLogEntryAt(QStringLiteral("2026-12-09T10:02:00+02:00"), QStringLiteral("analyst"),
        QStringLiteral("скасування: редагування клітинки"), QString());
}

Loaded Load(const QByteArray& bytes, bool plain = false)
{
    Loaded loaded;
    loaded.complete = plain ? LoadDocumentFromBytesPlain(*loaded.doc, bytes, QStringLiteral("doc.mrd"))
                            : LoadDocumentFromBytes(*loaded.doc, bytes, QStringLiteral("doc.mrd"));
    return loaded;
}

QStringList Lines(const QByteArray& bytes)
{
    return FileLines(bytes);
}

// The bytes of a file whose block lines are changed by edit (given the index of the marker).
template <typename Edit> QByteArray EditedBlock(const QByteArray& bytes, Edit edit)
{
    QStringList lines = Lines(bytes);
    const qsizetype marker = lines.indexOf(ExtensionMarker.toString());
    EXPECT_GE(marker, 0);
    edit(lines, marker);
    return FileBytes(lines);
}

// Loads with a block expected broken: the table read whole, the block gone, one message, and a
// save that asks first.
void ExpectBrokenBlock(const QByteArray& bytes, const QByteArray& withoutBlock, const QString& why)
{
    for (const bool plain : { false, true }) {
        SCOPED_TRACE(plain ? "plain reader" : "streamed reader");
        Loaded loaded = Load(bytes, plain);
        EXPECT_TRUE(loaded.complete);
        ASSERT_EQ(loaded.messenger->messages.size(), 1);
        EXPECT_EQ(loaded.messenger->messages.front(), ExtensionLostMessage(why));
        EXPECT_TRUE(loaded.messenger->messages.front().startsWith(
            QStringLiteral("Не вдалося прочитати примітки та журнал змін: ")));
        EXPECT_TRUE(loaded.doc->PointNotes().empty());
        EXPECT_TRUE(loaded.doc->Log().Empty());
        EXPECT_TRUE(loaded.doc->UnknownExtensionLines().isEmpty());
        EXPECT_TRUE(loaded.doc->ExtensionLost());
        EXPECT_FALSE(loaded.doc->Changed());

        // Declined: nothing written. Agreed: the file without the block.
        loaded.messenger->answers = { false };
        EXPECT_EQ(SaveDocumentToBytes(*loaded.doc), std::nullopt);
        ASSERT_EQ(loaded.messenger->questions.size(), 1);
        EXPECT_EQ(loaded.messenger->questions.front(), ExtensionLostQuestion());
        loaded.messenger->answers = { true };
        EXPECT_EQ(SaveDocumentToBytes(*loaded.doc), withoutBlock);
        EXPECT_EQ(loaded.messenger->questions.size(), 2);
        EXPECT_EQ(loaded.messenger->messages.size(), 1); // said once, at the load
    }
}

} // namespace

TEST(ExtensionBlock, NotesExclusionsAndLogComeBackExactly)
{
    for (const int subgroupSize : { 0, 3 }) {
        SCOPED_TRACE("subgroup size " + std::to_string(subgroupSize));
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        BuildThreeGroups(doc, subgroupSize);
        AddRecords(doc);
        const QByteArray bytes = SavedBytes(doc);
        EXPECT_TRUE(messenger.questions.isEmpty()) << "escaped texts need no consent";

        for (const bool plain : { false, true }) {
            Loaded loaded = Load(bytes, plain);
            ASSERT_TRUE(loaded.complete);
            EXPECT_TRUE(loaded.messenger->messages.isEmpty());
            EXPECT_EQ(loaded.doc->PointNotes(), doc.PointNotes());
            EXPECT_EQ(loaded.doc->Log().Entries(), doc.Log().Entries());
            EXPECT_TRUE(loaded.doc->Log().Verified());
            EXPECT_EQ(loaded.doc->ExcludedPointCount(), 2);
            EXPECT_TRUE(loaded.doc->PointExcluded(12));
            EXPECT_FALSE(loaded.doc->ExtensionLost());
            ExpectSameStoredContent(*loaded.doc, doc);
            EXPECT_EQ(SavedBytes(*loaded.doc), bytes) << "loaded and saved unchanged: byte for byte";
        }
    }
}

// The file names points, the document rows: points after separators are counted past them.
TEST(ExtensionBlock, PointNumbersCountPointRowsOnly)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildThreeGroups(doc);
    AddRecords(doc);
    QStringList points;
    QStringList lines = Lines(SavedBytes(doc));
    const qsizetype marker = lines.indexOf(ExtensionMarker.toString());
    ASSERT_GT(marker, 0);
    EXPECT_EQ(lines[marker + 1], QStringLiteral("VERSION\t1"));
    for (qsizetype i = marker; i < lines.size(); ++i) {
        if (lines[i].startsWith(QStringLiteral("POINT\t")))
            points << lines[i].section(QLatin1Char('\t'), 1, 1);
    }
    EXPECT_EQ(points, (QStringList { "1", "6", "11", "15" }));
    // Each text as EscapeText writes it (the writer copies plain texts without asking it).
    const PointNote* last = doc.NoteOf(17);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(lines[marker + 5],
        QStringList({ QStringLiteral("POINT"), QStringLiteral("15"), EscapeText(last->Note), EscapeText(last->Action),
                        EscapeText(last->ExcludeReason), EscapeText(last->Author), EscapeText(last->Time) })
            .join(QLatin1Char('\t')));
    for (const QString& text : { QStringLiteral("Abc xyz ~!"), QStringLiteral("Їжак №1"), QStringLiteral("Ёё"),
             QStringLiteral("АБВабв ЯЮяю"), QStringLiteral("a\\b") }) {
        MeasurementDocument one(messenger);
        BuildThreeGroups(one);
        one.SetPointNote(1, Note(text, text, text));
        EXPECT_TRUE(Lines(SavedBytes(one))
                        .contains(QStringList(
                            { QStringLiteral("POINT\t1"), EscapeText(text), EscapeText(text), EscapeText(text),
                                QStringLiteral("Петренко"), QStringLiteral("2026-12-09T10:15:00+02:00") })
                                      .join(QLatin1Char('\t'))))
            << text.toStdString();
    }
    EXPECT_EQ(lines.last(), QStringLiteral("END\t7"));
    // Every block line is code-page text without a stray break: the file's lines are the block's.
    EXPECT_EQ(lines.size() - marker, 1 + 1 + 7 + 1);
}

// The plain layout's reader stops after the group records: what it reads of a file with a block
// is exactly the file without it.
TEST(ExtensionBlock, PlainLayoutOfAFileWithABlockIsTheFileWithout)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildThreeGroups(doc);
    const QByteArray plain = SavedBytes(doc);
    AddRecords(doc);
    const QByteArray withBlock = SavedBytes(doc);
    ASSERT_TRUE(withBlock.startsWith(plain));
    EXPECT_TRUE(withBlock.sliced(plain.size()).startsWith("MERIDAN-EXTENSION\r\n"));
}

TEST(ExtensionBlock, DocumentWithoutRecordsIsWrittenAsBefore)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildThreeGroups(doc);
    const QByteArray before = SavedBytes(doc);
    EXPECT_FALSE(before.contains("MERIDAN-EXTENSION"));
    // A note set and removed again leaves nothing behind.
    doc.SetPointNote(3, Note(QStringLiteral("x"), QString(), QString()));
    doc.SetPointNote(3, PointNote());
    EXPECT_EQ(SavedBytes(doc), before);

    // None of the delivered examples and the reader's corpus gains a block; the examples, which
    // the writer wrote, load and save byte for byte.
    int compared = 0;
    for (const char* folder : { "data", "fuzz/corpus" }) {
        const QDir dir(QStringLiteral(MERIDAN_SOURCE_DIR "/") + QLatin1String(folder));
        for (const QString& name : dir.entryList({ QStringLiteral("*.mrd") }, QDir::Files)) {
            QFile file(dir.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            Loaded loaded = Load(bytes);
            const QByteArray saved = SavedBytes(*loaded.doc);
            // A seed that holds a block keeps it, byte for byte.
            if (bytes.contains("MERIDAN-EXTENSION")) {
                EXPECT_EQ(saved, bytes) << name.toStdString();
                continue;
            }
            EXPECT_FALSE(saved.contains("MERIDAN-EXTENSION")) << name.toStdString();
            if (QLatin1String(folder) == QLatin1String("data")) {
                EXPECT_TRUE(loaded.complete) << name.toStdString();
                EXPECT_EQ(saved, bytes) << name.toStdString();
                ++compared;
            }
        }
    }
    EXPECT_GE(compared, 3);
}

// A legacy file has no block; lines after the group records that open no block are ignored as
// they always were.
TEST(ExtensionBlock, NoBlockWhereNoneCanBe)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildThreeGroups(doc);
    AddRecords(doc);
    const QStringList block = Lines(SavedBytes(doc)).mid(Lines(SavedBytes(doc)).indexOf(ExtensionMarker.toString()));

    const QStringList legacy { QStringLiteral("Іванов"), QStringLiteral("3"), QStringLiteral("0"), QStringLiteral("0"),
        QStringLiteral("0"), QStringLiteral("2"), QStringLiteral("0"), QString(), QStringLiteral("Таблиця"), QString(),
        QStringLiteral("01.01.2024"), QStringLiteral("1"), QStringLiteral("02.01.2024"), QStringLiteral("2") };
    Loaded fromLegacy = Load(FileBytes(legacy + block));
    EXPECT_TRUE(fromLegacy.complete);
    EXPECT_TRUE(fromLegacy.messenger->messages.isEmpty());
    EXPECT_TRUE(fromLegacy.doc->PointNotes().empty());
    EXPECT_TRUE(fromLegacy.doc->Log().Empty());

    MeasurementDocument clean(messenger);
    BuildThreeGroups(clean);
    const QByteArray plain = SavedBytes(clean);
    for (const QStringList& tail : { QStringList { QString() }, QStringList { QStringLiteral("something else") },
             QStringList { QStringLiteral(" MERIDAN-EXTENSION") } + block.mid(1) }) {
        Loaded loaded = Load(plain + FileBytes(tail));
        EXPECT_TRUE(loaded.complete);
        EXPECT_TRUE(loaded.messenger->messages.isEmpty());
        EXPECT_TRUE(loaded.doc->PointNotes().empty());
        EXPECT_FALSE(loaded.doc->ExtensionLost());
        EXPECT_EQ(SavedBytes(*loaded.doc), plain);
    }
}

TEST(ExtensionBlock, BrokenBlocksCostTheBlockOnly)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildThreeGroups(doc);
    const QByteArray withoutBlock = SavedBytes(doc);
    AddRecords(doc);
    const QByteArray bytes = SavedBytes(doc);
    const qsizetype marker = Lines(bytes).indexOf(ExtensionMarker.toString());
    ASSERT_GT(marker, 0);
    // File line numbers (from 1) of the block's lines.
    const qsizetype version = marker + 2;
    const qsizetype firstPoint = marker + 3;
    const qsizetype firstLog = marker + 7;
    const qsizetype end = marker + 10;
    using L = QStringList&;
    auto field = [](L lines, qsizetype line, int index, const QString& text) {
        QStringList fields = lines[line - 1].split(QLatin1Char('\t'));
        fields[index] = text;
        lines[line - 1] = fields.join(QLatin1Char('\t'));
    };

    struct Case {
        const char* name;
        std::function<void(L, qsizetype)> edit;
        QString why;
    };
    const std::vector<Case> cases {
        { "end line missing", [](L lines, qsizetype) { lines.removeLast(); },
            QStringLiteral("блок обірвано, завершального рядка немає") },
        { "cut after the marker", [](L lines, qsizetype at) { lines = lines.mid(0, at + 1); },
            QStringLiteral("блок обірвано, завершального рядка немає") },
        { "a line dropped", [](L lines, qsizetype at) { lines.removeAt(at + 3); },
            QStringLiteral("рядок %1: завершальний рядок називає 7 записів, а в блоці їх 6").arg(end - 1) },
        { "a line repeated", [](L lines, qsizetype at) { lines.insert(at + 3, lines[at + 3]); },
            QStringLiteral("рядок %1: точка 6 іде не за зростанням номерів").arg(firstPoint + 2) },
        { "hostile count", [](L lines, qsizetype) { lines.last() = QStringLiteral("END\t2147483647"); },
            QStringLiteral("рядок %1: завершальний рядок називає 2147483647 записів, а в блоці їх 7").arg(end) },
        { "count past 32 bits", [](L lines, qsizetype) { lines.last() = QStringLiteral("END\t99999999999"); },
            QStringLiteral("рядок %1: некоректний завершальний рядок").arg(end) },
        { "negative count", [](L lines, qsizetype) { lines.last() = QStringLiteral("END\t-7"); },
            QStringLiteral("рядок %1: некоректний завершальний рядок").arg(end) },
        { "bad escape", [&](L lines, qsizetype) { field(lines, firstPoint, 2, QStringLiteral("a\\qb")); },
            QStringLiteral("рядок %1: некоректне екранування в тексті «a\\qb»").arg(firstPoint) },
        { "escape cut short", [&](L lines, qsizetype) { field(lines, firstLog, 3, QStringLiteral("x\\")); },
            QStringLiteral("рядок %1: некоректне екранування в тексті «x\\»").arg(firstLog) },
        { "not a hex code point", [&](L lines, qsizetype) { field(lines, firstLog, 1, QStringLiteral("\\u{12G}")); },
            QStringLiteral("рядок %1: некоректне екранування в тексті «\\u{12G}»").arg(firstLog) },
        { "code point too large", [&](L lines, qsizetype) { field(lines, firstLog, 5, QStringLiteral("\\u{110000}")); },
            QStringLiteral("рядок %1: некоректне екранування в тексті «\\u{110000}»").arg(firstLog) },
        { "point zero", [&](L lines, qsizetype) { field(lines, firstPoint, 1, QStringLiteral("0")); },
            QStringLiteral("рядок %1: некоректний номер точки «0»").arg(firstPoint) },
        { "point not a number", [&](L lines, qsizetype) { field(lines, firstPoint, 1, QStringLiteral(" 1")); },
            QStringLiteral("рядок %1: некоректний номер точки « 1»").arg(firstPoint) },
        { "hostile point number",
            [&](L lines, qsizetype) { field(lines, firstPoint + 3, 1, QStringLiteral("2147483647")); },
            QStringLiteral("точки 2147483647 у таблиці немає (точок у таблиці: 15)") },
        { "point past the table", [&](L lines, qsizetype) { field(lines, firstPoint + 3, 1, QStringLiteral("16")); },
            QStringLiteral("точки 16 у таблиці немає (точок у таблиці: 15)") },
        { "points out of order", [&](L lines, qsizetype) { field(lines, firstPoint + 1, 1, QStringLiteral("1")); },
            QStringLiteral("рядок %1: точка 1 іде не за зростанням номерів").arg(firstPoint + 1) },
        { "empty point record",
            [&](L lines, qsizetype) {
                field(lines, firstPoint, 2, QString());
                field(lines, firstPoint, 3, QString());
                field(lines, firstPoint, 4, QString());
            },
            QStringLiteral("рядок %1: запис точки 1 не містить ні примітки, ні причини виключення").arg(firstPoint) },
        { "field missing",
            [](L lines, qsizetype at) { lines[at + 2] = lines[at + 2].section(QLatin1Char('\t'), 0, 5); },
            QStringLiteral("рядок %1: запис точки має 6 полів замість 7").arg(firstPoint) },
        { "field too many", [](L lines, qsizetype at) { lines[at + 6] += QStringLiteral("\textra"); },
            QStringLiteral("рядок %1: запис журналу має 7 полів замість 6").arg(firstLog) },
        { "unknown record of this version",
            [](L lines, qsizetype at) { lines.insert(at + 2, QStringLiteral("NOTE\tx")); },
            QStringLiteral("рядок %1: невідомий запис «NOTE»").arg(firstPoint) },
        { "blank line in the block", [](L lines, qsizetype at) { lines.insert(at + 4, QString()); },
            QStringLiteral("рядок %1: невідомий запис «»").arg(firstPoint + 2) },
        { "version missing", [](L lines, qsizetype at) { lines.removeAt(at + 1); },
            QStringLiteral("рядок %1: замість рядка версії «POINT\t1\tПерша точка\t\t\tПетренко\t2026-12-0…»")
                .arg(version) },
        { "version zero", [](L lines, qsizetype at) { lines[at + 1] = QStringLiteral("VERSION\t0"); },
            QStringLiteral("рядок %1: замість рядка версії «VERSION\t0»").arg(version) },
        { "version not a number", [](L lines, qsizetype at) { lines[at + 1] = QStringLiteral("VERSION\t1.1"); },
            QStringLiteral("рядок %1: замість рядка версії «VERSION\t1.1»").arg(version) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectBrokenBlock(EditedBlock(bytes, c.edit), withoutBlock, c.why);
    }

    // Cut short anywhere inside the block, mid-line too: broken, never more than the block lost.
    const qsizetype blockStart = withoutBlock.size();
    for (qsizetype cut = blockStart + ExtensionMarker.size(); cut < bytes.size() - 2; cut += 7) {
        SCOPED_TRACE("cut at byte " + std::to_string(cut));
        Loaded loaded = Load(bytes.first(cut));
        EXPECT_TRUE(loaded.complete);
        EXPECT_EQ(loaded.messenger->messages.size(), 1);
        EXPECT_TRUE(loaded.doc->ExtensionLost());
        EXPECT_TRUE(loaded.doc->PointNotes().empty());
        EXPECT_TRUE(loaded.doc->Log().Empty());
    }
}

// Once a save has written the file without the block, the document holds what its file holds:
// the next save asks nothing.
TEST(ExtensionBlock, SaveAfterALostBlockAsksOnce)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildThreeGroups(doc);
    AddRecords(doc);
    QByteArray bytes = SavedBytes(doc);
    bytes.chop(3); // the end line's count and break
    Loaded loaded = Load(bytes);
    ASSERT_TRUE(loaded.doc->ExtensionLost());
    const QString path = QDir(TemporaryFolder()).filePath(QStringLiteral("lost.mrd"));
    EXPECT_FALSE(SaveDocument(*loaded.doc, path));
    EXPECT_FALSE(QFile::exists(path)) << "declined: nothing written";
    loaded.messenger->answers = { true };
    EXPECT_TRUE(SaveDocument(*loaded.doc, path));
    EXPECT_FALSE(loaded.doc->ExtensionLost());
    EXPECT_TRUE(SaveDocument(*loaded.doc, path));
    EXPECT_EQ(loaded.messenger->questions.size(), 2);
}

// Lines of a later block version that this one does not know are kept and written back; the
// records it knows are read as always.
TEST(ExtensionBlock, UnknownLinesOfALaterVersionAreKept)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildThreeGroups(doc);
    AddRecords(doc);
    const QStringList future { QStringLiteral("ATTACHMENT\t3\tфото.jpg"), QStringLiteral("SIGNATURE\tabc\t\\u{1F600}"),
        QString() };
    const QByteArray later = EditedBlock(SavedBytes(doc), [&](QStringList& lines, qsizetype at) {
        lines[at + 1] = QStringLiteral("VERSION\t3");
        lines.removeLast();
        lines += future;
        lines.append(QStringLiteral("END\t10"));
    });
    for (const bool plain : { false, true }) {
        Loaded loaded = Load(later, plain);
        ASSERT_TRUE(loaded.complete);
        EXPECT_TRUE(loaded.messenger->messages.isEmpty());
        EXPECT_EQ(loaded.doc->PointNotes(), doc.PointNotes());
        EXPECT_EQ(loaded.doc->Log().Entries(), doc.Log().Entries());
        EXPECT_EQ(loaded.doc->UnknownExtensionLines(), QStringList { QStringLiteral("VERSION\t3") } + future);
        EXPECT_EQ(SavedBytes(*loaded.doc), later);

        // The kept lines follow the known ones, whatever the program adds.
        loaded.doc->AppendLogEntryAt(QStringLiteral("t"), QStringLiteral("u"), QStringLiteral("c"), QString());
        const QStringList saved = Lines(SavedBytes(*loaded.doc));
        EXPECT_EQ(saved.mid(saved.size() - 4), future + QStringList { QStringLiteral("END\t11") });
        Loaded again = Load(SavedBytes(*loaded.doc), plain);
        EXPECT_TRUE(again.messenger->messages.isEmpty());
        EXPECT_EQ(again.doc->Log().Size(), 4);
        EXPECT_EQ(again.doc->UnknownExtensionLines(), loaded.doc->UnknownExtensionLines());
    }

    // Placed among the known lines, they are kept too, and written after them.
    const QByteArray interleaved = EditedBlock(SavedBytes(doc), [&](QStringList& lines, qsizetype at) {
        lines[at + 1] = QStringLiteral("VERSION\t2");
        lines.insert(at + 3, future[0]);
        lines.last() = QStringLiteral("END\t8");
    });
    Loaded loaded = Load(interleaved);
    EXPECT_TRUE(loaded.messenger->messages.isEmpty());
    EXPECT_EQ(loaded.doc->PointNotes(), doc.PointNotes());
    EXPECT_EQ(loaded.doc->UnknownExtensionLines(), (QStringList { QStringLiteral("VERSION\t2"), future[0] }));
}

// The chain: an edit of any field of any entry, a dropped or swapped entry, is found at that entry.
TEST(ChangeLogChain, AnEditAnywhereIsFoundAtItsEntry)
{
    ChangeLog log;
    for (int i = 0; i < 5; ++i) {
        log.AppendAt(QStringLiteral("2026-12-09T10:0%1:00+02:00").arg(i), QStringLiteral("user%1").arg(i),
            QStringLiteral("зміна %1: «a» → «b»").arg(i), i == 2 ? Hostile : QString());
    }
    ASSERT_TRUE(log.Verified());
    EXPECT_EQ(log.VerifiedCount(), 5);
    EXPECT_EQ(log.Entries()[0].Hash, ChangeLog::EntryHash(QString(), log.Entries()[0]));
    EXPECT_EQ(log.Entries()[0].Hash.size(), 64);
    EXPECT_EQ(log.Entries()[0].Hash, log.Entries()[0].Hash.toLower());

    for (int entry = 0; entry < 5; ++entry) {
        for (int f = 0; f < 5; ++f) {
            SCOPED_TRACE("entry " + std::to_string(entry) + ", field " + std::to_string(f));
            ChangeLog edited;
            for (int i = 0; i < 5; ++i) {
                ChangeLogEntry e = log.Entries()[size_t(i)];
                if (i == entry) {
                    QString* fields[] = { &e.Time, &e.User, &e.Change, &e.Reason, &e.Hash };
                    // One character more, even an invisible one, breaks the chain.
                    fields[f]->append(f == 4 ? QStringLiteral("0") : QStringLiteral(" "));
                }
                edited.AppendStored(e);
            }
            EXPECT_EQ(edited.VerifiedCount(), entry);
            EXPECT_FALSE(edited.Verified());
        }
    }
    for (int dropped = 0; dropped < 4; ++dropped) {
        ChangeLog edited;
        for (int i = 0; i < 5; ++i) {
            if (i != dropped)
                edited.AppendStored(log.Entries()[size_t(i)]);
        }
        EXPECT_EQ(edited.VerifiedCount(), dropped);
    }
    ChangeLog swapped;
    for (const int i : { 0, 2, 1, 3, 4 })
        swapped.AppendStored(log.Entries()[size_t(i)]);
    EXPECT_EQ(swapped.VerifiedCount(), 1);
    // Dropping the last entries leaves a chain that holds: the file's end line counts them.
    ChangeLog cut;
    for (int i = 0; i < 3; ++i)
        cut.AppendStored(log.Entries()[size_t(i)]);
    EXPECT_TRUE(cut.Verified());
}

// The hash is the one the file format describes: SHA-256 over the previous hash, a line feed and
// the four escaped fields joined by tabs, as UTF-8 in lower-case hex.
TEST(ChangeLogChain, HashIsTheDocumentedOne)
{
    const ChangeLogEntry entry { QStringLiteral("2026-12-09T10:00:00+02:00"), QStringLiteral("analyst"),
        QStringLiteral("a\tb"), QString(), QString() };
    // printf '\n2026-12-09T10:00:00+02:00\tanalyst\ta\\tb\t' | sha256sum
    EXPECT_EQ(ChangeLog::EntryHash(QString(), entry),
        QStringLiteral("3279a2ee1eb66191a8401cdfc132a68c7abf64e678d444c6d8d36dc209daebf5"));
}

// An edit of a stored log is no damage to the block: the log loads whole and tells where it broke.
TEST(ChangeLogChain, EditedFileKeepsTheLogAndFindsTheEdit)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildThreeGroups(doc);
    AddRecords(doc);
    const QByteArray bytes = EditedBlock(SavedBytes(doc), [](QStringList& lines, qsizetype at) {
        lines[at + 8].replace(QStringLiteral("скасування"), QStringLiteral("повторення"));
    });
    Loaded loaded = Load(bytes);
    EXPECT_TRUE(loaded.complete);
    EXPECT_TRUE(loaded.messenger->messages.isEmpty());
    EXPECT_FALSE(loaded.doc->ExtensionLost());
    EXPECT_EQ(loaded.doc->Log().Size(), 3);
    EXPECT_EQ(loaded.doc->Log().VerifiedCount(), 2);
    EXPECT_EQ(SavedBytes(*loaded.doc), bytes) << "kept as read";
}

TEST(EscapedText, EscapesAndReadsBack)
{
    const struct {
        QString text;
        QString escaped;
    } cases[] = {
        { QString(), QString() },
        { QStringLiteral("Іванов І. І. №5 «так» — €"), QStringLiteral("Іванов І. І. №5 «так» — €") },
        { QStringLiteral("a\\b"), QStringLiteral("a\\\\b") },
        { QStringLiteral("\t\n\r\n"), QStringLiteral("\\t\\n\\r\\n") },
        { QStringLiteral("中"), QStringLiteral("\\u{4E2D}") },
        { QStringLiteral("😀"), QStringLiteral("\\u{1F600}") },
        { QStringLiteral("é"), QStringLiteral("\\u{E9}") },
        { QString(QChar(0x01)) + QChar(0x7F), QStringLiteral("\\u{1}\\u{7F}") },
        { QStringLiteral("\\u{41}"), QStringLiteral("\\\\u{41}") },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(EscapeText(c.text), c.escaped);
        EXPECT_EQ(UnescapeText(c.escaped), c.text);
    }
    EXPECT_EQ(UnescapeText(EscapeText(Hostile)), Hostile);
    // Whatever the text, its escaped form survives the code page unchanged.
    QStringEncoder encoder("windows-1251");
    const QByteArray encoded = encoder.encode(EscapeText(Hostile));
    EXPECT_FALSE(encoder.hasError());
    QStringDecoder decoder("windows-1251");
    EXPECT_EQ(QString(decoder.decode(encoded)), EscapeText(Hostile));
    // A lone surrogate is kept by its code point as well.
    const QString lone = QString(QChar(0xD83D)) + QStringLiteral("x");
    EXPECT_EQ(UnescapeText(EscapeText(lone)), lone);

    for (const QString& bad :
        { QStringLiteral("\\"), QStringLiteral("\\x"), QStringLiteral("\\u41"), QStringLiteral("\\u{}"),
            QStringLiteral("\\u{1234567}"), QStringLiteral("\\u{G}"), QStringLiteral("\\u{110000}"),
            QStringLiteral("\\u{41"), QStringLiteral("\\u{-41}"), QStringLiteral("a\tb"), QStringLiteral("a\nb") }) {
        EXPECT_EQ(UnescapeText(bad), std::nullopt) << bad.toStdString();
    }
}
