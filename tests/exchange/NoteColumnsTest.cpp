#include "ExchangeTestSupport.h"
#include "common/DocumentBuilder.h"
#include "common/NoteSupport.h"
#include "common/TestSupport.h"
#include "exchange/DelimitedText.h"
#include "exchange/ImportSession.h"
#include "exchange/ImportSource.h"
#include "exchange/TableExport.h"
#include "exchange/TableImport.h"
#include "model/ChangeLog.h"
#include "model/MeasurementDocument.h"

#include <QTemporaryDir>

namespace {

PointNote Note(const QString& note, const QString& action, const QString& reason)
{
    return TestNote(note, action, reason);
}

// Two groups of three points; rows 1-3, a separator in row 4, rows 5-7.
void BuildAnnotated(MeasurementDocument& doc)
{
    BuildDocument(doc, 0, { { { "1.5" }, { "1.7" }, { "1.6" } }, { { "1.4" }, { "1.8" }, { "1.5" } } });
    doc.SetPointNotes({
        // Several lines, the list separator, quotes, blanks around and text Windows-1251 lacks.
        { 1, Note(QStringLiteral("перша лінія\nдруга; \"третя\""), QStringLiteral("  калібрування  "), QString()) },
        { 3, Note(QString(), QString(), QStringLiteral("бульбашка в кюветі")) },
        { 6, Note(QStringLiteral("µ ≥ 3σ 😀"), QStringLiteral("заміна реагенту"), QStringLiteral("викид")) },
    });
}

// The note texts of every table row, with the row: what a round trip must keep.
std::vector<std::tuple<int, QString, QString, QString>> NoteTexts(const MeasurementDocument& doc)
{
    std::vector<std::tuple<int, QString, QString, QString>> texts;
    for (const auto& [row, note] : doc.PointNotes())
        texts.emplace_back(row, note.Note, note.Action, note.ExcludeReason);
    return texts;
}

ImportChoice ExportedChoice(const SourceTable& table)
{
    ImportChoice choice;
    choice.HeaderRow = true;
    choice.GroupColumn = FindColumn(table, true, QStringLiteral("Група"));
    choice.DateColumn = FindColumn(table, true, QStringLiteral("Дата"));
    choice.ValueColumns = { 3 };
    choice.NoteColumn = FindColumn(table, true, NoteColumnHeader());
    choice.ActionColumn = FindColumn(table, true, ActionColumnHeader());
    choice.ExcludeColumn = FindColumn(table, true, ExcludeColumnHeader());
    return choice;
}

} // namespace

// Notes, actions and exclusions go out to a spreadsheet and come back on the same points, in both
// formats, and the import stamps them as the analyst's own.
TEST(NoteColumns, CsvAndXlsxRoundTripsKeepTheNotes)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildAnnotated(doc);

    const QStringList lines
        = QString::fromUtf8(ExportTableCsv(doc, { u';', u',' }).mid(3)).split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines[0], "Група;№;Дата;Значення;Примітка;Коригувальна дія;Причина виключення з обчислення меж");
    EXPECT_EQ(lines[1], "1;1;02.01.2024;1,5;\"перша лінія\nдруга; \"\"третя\"\"\";\"  калібрування  \";");
    EXPECT_EQ(lines[2], "1;2;03.01.2024;1,7;;;");
    EXPECT_EQ(lines[3], "1;3;04.01.2024;1,6;;;бульбашка в кюветі");

    QTemporaryDir dir;
    for (const QString& name : { QStringLiteral("notes.csv"), QStringLiteral("notes.xlsx") }) {
        SCOPED_TRACE(name.toStdString());
        const QString path = dir.filePath(name);
        ASSERT_TRUE(ExportTable(doc, path));
        const LoadedSource source = LoadSource(path, {});
        ASSERT_TRUE(source.Error.isEmpty()) << source.Error.toStdString();
        ImportChoice choice = ExportedChoice(source.Table);
        choice.Decimal = source.Decimal();
        EXPECT_EQ(choice.NoteColumn, 4);
        EXPECT_EQ(choice.ExcludeColumn, 6);
        const ImportPlan plan = PlanImport(source.Table, choice);
        ASSERT_TRUE(plan.Error.isEmpty()) << plan.Error.toStdString();

        RecordingMessenger second;
        MeasurementDocument back(second);
        ApplyImport(back, source.Table, choice, plan, QString());
        EXPECT_EQ(back.SeparatorFlags(), doc.SeparatorFlags());
        EXPECT_EQ(NoteTexts(back), NoteTexts(doc));
        EXPECT_EQ(back.ExcludedPointCount(), 2);
        ASSERT_NE(back.NoteOf(1), nullptr);
        EXPECT_EQ(back.NoteOf(1)->Author, ChangeLog::CurrentUser());
        EXPECT_FALSE(back.NoteOf(1)->Time.isEmpty());
        EXPECT_TRUE(back.Log().Empty());
    }
    EXPECT_TRUE(messenger.messages.isEmpty());

    // Without notes the export keeps its old columns.
    doc.SetPointNotes({});
    EXPECT_TRUE(ExportTableCsv(doc, { u';', u',' }).contains("Група;№;Дата;Значення\r\n1;1;"));
}

// What a cell of each column means: blank cells carry nothing, a blank reason does not exclude,
// blanks around a reason are dropped, a text longer than the dialog takes is cut.
TEST(NoteColumns, CellsBecomeNotesAndExclusions)
{
    TextFormat format;
    const QString longNote(PointNoteMaxChars + 10, u'ж');
    const SourceTable table = ReadDelimitedText(QStringLiteral("x;n;a;e\n"
                                                               "1,5;  ;;   \n"
                                                               "1,6;;;  викид  \n"
                                                               "1,7;%1;дія;\n"
                                                               "1,8;\n")
                                                    .arg(longNote)
                                                    .toUtf8(),
        {}, format);
    ImportChoice choice;
    choice.HeaderRow = true;
    choice.ValueColumns = { 0 };
    choice.NoteColumn = 1;
    choice.ActionColumn = 2;
    choice.ExcludeColumn = 3;
    const ImportPlan plan = PlanImport(table, choice);
    ASSERT_TRUE(plan.Error.isEmpty()) << plan.Error.toStdString();
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    ApplyImport(doc, table, choice, plan, QString());
    ASSERT_EQ(doc.PointCount(), 4);
    EXPECT_EQ(doc.PointNotes().size(), 2u);
    EXPECT_EQ(doc.NoteOf(1), nullptr);
    ASSERT_NE(doc.NoteOf(2), nullptr);
    EXPECT_EQ(doc.NoteOf(2)->ExcludeReason, "викид");
    EXPECT_FALSE(doc.NoteOf(2)->HasNote());
    ASSERT_NE(doc.NoteOf(3), nullptr);
    EXPECT_EQ(doc.NoteOf(3)->Note.size(), PointNoteMaxChars);
    EXPECT_EQ(doc.NoteOf(3)->Action, "дія");
    EXPECT_FALSE(doc.PointExcluded(3));
    EXPECT_EQ(doc.ExcludedFlags(1, 4), (std::vector<bool> { false, true, false, false }));

    // A new import replaces the notes of the document it goes into.
    choice.NoteColumn = choice.ActionColumn = choice.ExcludeColumn = -1;
    ApplyImport(doc, table, choice, PlanImport(table, choice), QString());
    EXPECT_TRUE(doc.PointNotes().empty());
}

TEST(NoteColumns, RefusalsNameTheColumn)
{
    TextFormat format;
    const SourceTable table = ReadDelimitedText("a;b\n1;x\n2;y\n", {}, format);
    ImportChoice choice;
    choice.HeaderRow = true;
    choice.ValueColumns = { 0 };
    for (int* column : { &choice.NoteColumn, &choice.ActionColumn, &choice.ExcludeColumn }) {
        *column = 7;
        EXPECT_EQ(PlanImport(table, choice).Error, "Стовпця 8 у файлі немає: він має стовпців 2.");
        *column = 0;
        EXPECT_EQ(PlanImport(table, choice).Error, "Стовпець 1 вибрано і для значень, і для приміток.");
        *column = 1;
        EXPECT_TRUE(PlanImport(table, choice).Error.isEmpty());
        *column = -1;
    }
}

// The session the import dialog mirrors takes the note columns too.
TEST(NoteColumns, SessionImportsTheNotes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("notes.csv"));
    ASSERT_TRUE(WriteBytes(path, "x;note;why\n1.5;;\n1.6;repeat;\n1.7;;outlier\n"));
    ImportSession session;
    ASSERT_TRUE(session.Open(path));
    session.SetValueColumns(0, 1);
    session.SetNoteColumns(1, -1, 2);
    ASSERT_TRUE(session.CanImport()) << session.Summary().toStdString();
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    ASSERT_TRUE(session.Apply(doc));
    ASSERT_EQ(doc.PointNotes().size(), 2u);
    EXPECT_EQ(doc.NoteOf(2)->Note, "repeat");
    EXPECT_EQ(doc.NoteOf(3)->ExcludeReason, "outlier");
    session.SetNoteColumns(0, -1, -1);
    EXPECT_FALSE(session.CanImport());
}
