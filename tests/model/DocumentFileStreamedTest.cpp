// The streamed reader (lines counted on the bytes, decoded and split a block at a time) against
// the plain one (the whole text decoded, then split): the same files must give the same
// documents, the same result and the same messages, whole, cut short or damaged.
#include "common/DocumentBuilder.h"
#include "common/DocumentFileTestSupport.h"

#include "common/TestSupport.h"
#include "model/DocumentFile.h"
#include "model/DocumentLines.h"
#include "model/StreamedLines.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <random>

namespace {

struct Loaded {
    bool complete = false;
    QStringList messages;
    std::unique_ptr<RecordingMessenger> messenger = std::make_unique<RecordingMessenger>();
    std::unique_ptr<MeasurementDocument> doc = std::make_unique<MeasurementDocument>(*messenger);
};

void ExpectSameLoad(const Loaded& actual, const Loaded& plain)
{
    EXPECT_EQ(actual.complete, plain.complete);
    EXPECT_EQ(actual.messenger->messages, plain.messenger->messages);
    EXPECT_EQ(actual.doc->HasDocument(), plain.doc->HasDocument());
    EXPECT_EQ(actual.doc->RowCount(), plain.doc->RowCount());
    EXPECT_EQ(actual.doc->FileName(), plain.doc->FileName());
    if (plain.doc->HasDocument())
        ExpectConsistent(*actual.doc);
    ExpectSameStoredContent(*actual.doc, *plain.doc);
    EXPECT_EQ(actual.doc->PointNotes(), plain.doc->PointNotes());
    EXPECT_EQ(actual.doc->Log().Entries(), plain.doc->Log().Entries());
    EXPECT_EQ(actual.doc->UnknownExtensionLines(), plain.doc->UnknownExtensionLines());
    EXPECT_EQ(actual.doc->ExtensionLost(), plain.doc->ExtensionLost());
    EXPECT_EQ(SaveDocumentToBytes(*actual.doc), SaveDocumentToBytes(*plain.doc));
    EXPECT_EQ(DocumentFileBytes(*actual.doc), DocumentFileBytes(*plain.doc));
}

// Loads bytes through the plain reader, the streamed one from memory and from a file.
void ExpectSameThroughEveryPath(const QByteArray& bytes)
{
    const QString name = QStringLiteral("doc.mrd");
    Loaded plain;
    plain.complete = LoadDocumentFromBytesPlain(*plain.doc, bytes, name);
    Loaded streamed;
    streamed.complete = LoadDocumentFromBytes(*streamed.doc, bytes, name);
    {
        SCOPED_TRACE("from memory");
        ExpectSameLoad(streamed, plain);
    }
    const QString path = QDir(TemporaryFolder()).filePath(name);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    Loaded fromFile;
    fromFile.complete = LoadDocument(*fromFile.doc, path);
    Loaded plainNamed;
    plainNamed.complete = LoadDocumentFromBytesPlain(*plainNamed.doc, bytes, path);
    SCOPED_TRACE("from a file");
    ExpectSameLoad(fromFile, plainNamed);
}

QByteArray WithLineEnds(QByteArray bytes, const char* lineEnd)
{
    bytes.replace("\r\n", lineEnd);
    return bytes;
}

// A document large enough for several decoder blocks and file pieces, with varied dates and
// texts; `pad` lengthens the table name, which shifts every later line by that many bytes.
QByteArray LargeDocument(int points, int pad)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    const int groups = 4;
    std::vector<bool> flags;
    for (int g = 0; g < groups; ++g) {
        if (g > 0)
            flags.push_back(true);
        flags.insert(flags.end(), size_t(points / groups), false);
    }
    flags.push_back(true);
    doc.StoreIndividualMode(true);
    doc.SetPointCount(points / groups * groups);
    doc.StoreGroupCount(groups);
    doc.SetSeparatorFlags(flags);
    doc.SetMode(true);
    doc.SetGroupCount(groups);
    doc.SetTableName(QString(pad, QLatin1Char('x')) + QStringLiteral("Таблиця"));
    std::mt19937 rng(7);
    for (int row = 1; row <= doc.TableRowCount(); ++row) {
        if (doc.SeparatorFlags()[size_t(row - 1)]) {
            doc.SetDateText(row, MeasurementDocument::SeparatorLine());
            doc.SetValueText(row, 0, MeasurementDocument::SeparatorLine());
            continue;
        }
        doc.SetDateText(row, QStringLiteral("%1.03.2025").arg(1 + row / 700 % 28, 2, 10, QLatin1Char('0')));
        doc.SetValueText(row, 0, QString::number(double(rng() % 100000) / 1000.0, 'f', int(rng() % 5)));
    }
    EditGroup(doc, 1, [&](TIndividualInfo& record) { record.SigmaSetting = { true, 0.125 }; });
    return SavedBytes(doc);
}

// LargeDocument with notes, exclusions and a log in its extension block, texts escaped among them.
QByteArray LargeDocumentWithRecords(int points, int pad)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    EXPECT_TRUE(LoadDocumentFromBytesPlain(doc, LargeDocument(points, pad), QStringLiteral("large.mrd")));
    for (int row = 3; row <= doc.TableRowCount(); row += 37) {
        if (doc.SeparatorFlags()[size_t(row - 1)])
            continue;
        PointNote note;
        note.Note = QStringLiteral("Примітка %1\nрядок 2\t中").arg(row);
        if (row % 3 == 0)
            note.ExcludeReason = QStringLiteral("Причина %1").arg(row);
        note.Author = QStringLiteral("Петренко");
        note.Time = QStringLiteral("2026-12-09T10:00:00+02:00");
        doc.SetPointNote(row, note);
    }
    for (int i = 0; i < 500; ++i) {
        doc.AppendLogEntryAt(QStringLiteral("2026-12-09T10:00:%1+02:00").arg(i % 60, 2, 10, QLatin1Char('0')),
            QStringLiteral("analyst"), QStringLiteral("зміна %1 «a» → «b»\r\n").arg(i), QString());
    }
    return SavedBytes(doc);
}

QList<QByteArray> StoredDocuments()
{
    QList<QByteArray> documents;
    for (const char* folder : { "fuzz/corpus", "data" }) {
        const QDir dir(QStringLiteral(MERIDAN_SOURCE_DIR "/") + QLatin1String(folder));
        for (const QString& name : dir.entryList({ QStringLiteral("*.mrd") }, QDir::Files)) {
            QFile file(dir.filePath(name));
            EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
            documents.append(file.readAll());
        }
    }
    EXPECT_GE(documents.size(), 10);
    return documents;
}

} // namespace

TEST(DocumentFileStreamed, LinesCountedOnBytesMatchTheDecodedText)
{
    ASSERT_TRUE(OneCharacterPerByte());
    const QByteArray texts[] = { "", "a", "a\r\n", "\r\n", "a\r\nb\nc\rd", "a\n\rb", "a\r\r\nb", "\r", "\n\n",
        "\r\r\n\r", QByteArray(40, '\r'), QByteArray(40, '\n'), QByteArray(20, 'x') + "\r\n" + QByteArray(17, 'y'),
        "0123456789abcdef\r\n0123456789abcdef\r0123456789abcdef\n\r\n\r\n" };
    for (const QByteArray& bytes : texts) {
        QStringDecoder decoder("windows-1251");
        const qsizetype expected = DocumentLines(QString(decoder(bytes))).Remaining();
        // Every split into two pieces, and byte by byte.
        for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
            ByteLineCounter counter;
            counter.Add(QByteArrayView(bytes).first(cut));
            counter.Add(QByteArrayView(bytes).sliced(cut));
            EXPECT_EQ(counter.Lines(), expected) << bytes.toStdString() << " cut at " << cut;
            EXPECT_EQ(counter.Bytes(), bytes.size());
        }
        ByteLineCounter single;
        for (const char byte : bytes)
            single.Add(QByteArrayView(&byte, 1));
        EXPECT_EQ(single.Lines(), expected) << bytes.toStdString();
    }
}

TEST(DocumentFileStreamed, StoredDocumentsLoadAsThePlainReaderLoadsThem)
{
    for (const QByteArray& bytes : StoredDocuments()) {
        for (const char* lineEnd : { "\r\n", "\n", "\r" }) {
            SCOPED_TRACE(bytes.left(40).toStdString() + " / line end " + std::to_string(int(lineEnd[0])));
            ExpectSameThroughEveryPath(WithLineEnds(bytes, lineEnd));
        }
    }
}

// Every position of a line break against the ends of the decoder's blocks and the file's pieces,
// for each kind of line end.
TEST(DocumentFileStreamed, LineBreaksAcrossBlockEnds)
{
    for (int pad = 0; pad < 14; ++pad) {
        const QByteArray bytes = LargeDocument(24000, pad);
        ASSERT_GT(bytes.size(), 3 * 128 * 1024);
        for (const char* lineEnd : { "\r\n", "\n", "\r" }) {
            SCOPED_TRACE("pad " + std::to_string(pad) + " / line end " + std::to_string(int(lineEnd[0])));
            ExpectSameThroughEveryPath(WithLineEnds(bytes, lineEnd));
        }
    }
}

// Cut short anywhere, with bytes changed (line breaks, every code page byte), lines dropped or
// repeated: the same result, messages and rows read before the failure.
TEST(DocumentFileStreamed, DamagedDocumentsLoadAsThePlainReaderLoadsThem)
{
    QList<QByteArray> sources = StoredDocuments();
    sources.append(LargeDocument(30000, 3));
    std::mt19937 rng(20261209);
    for (int round = 0; round < 240; ++round) {
        QByteArray bytes = sources[qsizetype(rng() % sources.size())];
        switch (round % 4) {
        case 0: // cut short
            bytes.truncate(qsizetype(rng() % (bytes.size() + 1)));
            break;
        case 1: // bytes changed, line breaks and the code page's gaps among them
            for (int i = int(rng() % 6); i >= 0 && !bytes.isEmpty(); --i) {
                static const char picks[] = { '\r', '\n', '\0', char(0x98), char(0xFF), ' ', 'T', '1', ',' };
                const char byte = rng() % 2 ? picks[rng() % sizeof picks] : char(rng() % 256);
                bytes[qsizetype(rng() % bytes.size())] = byte;
            }
            break;
        case 2: { // a line dropped or repeated
            QList<QByteArray> lines = bytes.split('\n');
            const qsizetype at = qsizetype(rng() % lines.size());
            if (rng() % 2)
                lines.removeAt(at);
            else
                lines.insert(at, lines[at]);
            bytes = lines.join('\n');
            break;
        }
        default: // another kind of line end, then cut
            bytes = WithLineEnds(bytes, rng() % 2 ? "\r" : "\n");
            bytes.truncate(qsizetype(rng() % (bytes.size() + 1)));
            break;
        }
        SCOPED_TRACE("round " + std::to_string(round));
        ExpectSameThroughEveryPath(bytes);
    }
}

TEST(DocumentFileStreamed, EveryByteDecodesAsInThePlainReader)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    QByteArray bytes = FileBytes({ QStringLiteral("UNPOS"), QStringLiteral("True"), QString() });
    bytes.append(all); // the table name: every byte, breaks included
    bytes.append("\r\nTrue\r\n");
    ExpectSameThroughEveryPath(bytes);
}

// The block after the group records: read the same way by both readers, whole, cut short or
// damaged, across block and piece ends.
TEST(DocumentFileStreamed, ExtensionBlocksLoadAsThePlainReaderLoadsThem)
{
    for (const int pad : { 0, 5, 11 }) {
        const QByteArray bytes = LargeDocumentWithRecords(12000, pad);
        ASSERT_TRUE(bytes.contains("MERIDAN-EXTENSION\r\nVERSION\t1\r\n"));
        for (const char* lineEnd : { "\r\n", "\n", "\r" }) {
            SCOPED_TRACE("pad " + std::to_string(pad) + " / line end " + std::to_string(int(lineEnd[0])));
            ExpectSameThroughEveryPath(WithLineEnds(bytes, lineEnd));
        }
    }
    const QByteArray bytes = LargeDocumentWithRecords(9000, 2);
    const qsizetype block = bytes.indexOf("MERIDAN-EXTENSION");
    std::mt19937 rng(16);
    for (int round = 0; round < 60; ++round) {
        QByteArray damaged = bytes;
        const qsizetype at = block + qsizetype(rng() % (bytes.size() - block));
        switch (round % 3) {
        case 0:
            damaged.truncate(at);
            break;
        case 1: {
            static const char picks[] = { '\r', '\n', '\t', '\\', '0', char(0x98), 'u', '{' };
            damaged[at] = picks[rng() % sizeof picks];
            break;
        }
        default:
            damaged.remove(at, qsizetype(rng() % 200));
            break;
        }
        SCOPED_TRACE("round " + std::to_string(round));
        ExpectSameThroughEveryPath(damaged);
    }
}
