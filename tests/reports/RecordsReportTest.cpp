#include "ReportTestSupport.h"

#include "compute/ComputeDriver.h"
#include "model/ChangeLog.h"
#include "model/PointNote.h"
#include "paint/DrawingState.h"
#include "presentation/RuleStatement.h"
#include "reports/ReportAssembler.h"
#include "reports/ReportEngine.h"
#include "reports/ReportExport.h"
#include "reports/ReportValues.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The analyst's records in the report: the notes section, the change log, the excluded points
// of the data tables and the points the limits were computed from.

namespace {

PointNote Note(const char* note, const char* action = "", const char* excluded = "")
{
    return PointNote { QString::fromUtf8(note), QString::fromUtf8(action), QString::fromUtf8(excluded),
        QStringLiteral("lab"), QStringLiteral("2026-03-05T14:07:09+02:00") };
}

class RecordsReportTest : public ::testing::Test {
protected:
    void SetUp() override { ChartDrawingState().Reset(); }
    void TearDown() override { ChartDrawingState().Reset(); }

    ReportAssembler::Outcome Assemble(
        MeasurementDocument& doc, const ReportRequest& request, const QString& folder = DeliveredTemplateFolder())
    {
        ReportAssembler assembler(doc, engine, folder);
        return assembler.Assemble(request);
    }
    // Notes (and exclusions, which drop the results) before the document is computed again.
    void Record(MeasurementDocument& doc, const std::map<int, PointNote>& notes)
    {
        for (const auto& [row, note] : notes)
            doc.SetPointNote(row, note);
        ASSERT_TRUE(RunComputeCommand(doc)) << messenger.messages.join(QLatin1Char('\n')).toStdString();
    }
    QStringList Texts(const QString& object) const { return TextsOf(engine.prepared(), object); }

    RecordingMessenger messenger;
    rpt::ReportEngine engine;
};

TEST_F(RecordsReportTest, SectionsFollowTheOptionsAndTheData)
{
    auto doc = IndividualDocument(messenger, { 10, 10 });
    // Nothing recorded: the notes are not offered, the log never by default.
    ReportRequest request = DefaultReportRequest(*doc);
    EXPECT_FALSE(request.Notes);
    EXPECT_FALSE(request.ChangeLog);
    ASSERT_EQ(Assemble(*doc, request), ReportAssembler::Outcome::Done);
    EXPECT_TRUE(Texts(QStringLiteral("NotesHeading")).isEmpty());
    EXPECT_TRUE(Texts(QStringLiteral("LogHeading")).isEmpty());

    // Rows 1-10 the first group, 11 the separator, 12-21 the second.
    Record(
        *doc, { { 3, Note("Нова партія реактиву", "Перевірено калібрування") }, { 14, Note("", "Замінено лампу") } });
    request = DefaultReportRequest(*doc);
    EXPECT_TRUE(request.Notes);
    EXPECT_FALSE(request.ChangeLog);
    ASSERT_EQ(Assemble(*doc, request), ReportAssembler::Outcome::Done);
    EXPECT_EQ(Texts(QStringLiteral("NotesHeading")), QStringList { QStringLiteral("Примітки та коригувальні дії") });
    EXPECT_EQ(Texts(QStringLiteral("NotePoint")), QStringList({ QStringLiteral("3"), QStringLiteral("13") }));
    EXPECT_EQ(Texts(QStringLiteral("NoteDate")), QStringList({ doc->DateText(3), doc->DateText(14) }));
    EXPECT_EQ(Texts(QStringLiteral("NoteValue")),
        QStringList({ doc->ValueText(3, 0).toString(), doc->ValueText(14, 0).toString() }));
    EXPECT_EQ(Texts(QStringLiteral("NoteText")).value(0), QStringLiteral("Нова партія реактиву"));
    EXPECT_EQ(Texts(QStringLiteral("NoteAction")).value(1), QStringLiteral("Замінено лампу"));
    EXPECT_EQ(Texts(QStringLiteral("NoteAuthor")).value(0), QStringLiteral("lab 05.03.2026 14:07"));
    EXPECT_EQ(Texts(QStringLiteral("HeadValue")).value(0), doc->ValueColumnHeader(0));

    // Unchecked, the section is left out though notes exist; the log comes when asked for.
    request.Notes = false;
    request.ChangeLog = true;
    ASSERT_EQ(Assemble(*doc, request), ReportAssembler::Outcome::Done);
    EXPECT_TRUE(Texts(QStringLiteral("NotesHeading")).isEmpty());
    EXPECT_EQ(Texts(QStringLiteral("LogHeading")), QStringList { QStringLiteral("Журнал змін") });
    EXPECT_EQ(Texts(QStringLiteral("LogChain")), QStringList { QStringLiteral("Журнал змін порожній.") });
    EXPECT_TRUE(Texts(QStringLiteral("LogIndex")).isEmpty());
}

TEST_F(RecordsReportTest, ChangeLogTableAndItsChain)
{
    auto doc = IndividualDocument(messenger, { 6, 6 });
    doc->AppendLogEntryAt(QStringLiteral("2026-03-05T14:07:09+02:00"), QStringLiteral("olena"),
        QStringLiteral("Зміна значення точки 3: 10,2 → 10,4"), QString());
    doc->AppendLogEntryAt(QStringLiteral("2026-03-05T14:09:00+02:00"), QStringLiteral("olena"),
        QStringLiteral("Виключення точки 5"), QStringLiteral("Збій термостата"));
    doc->AppendLogEntryAt(QStringLiteral("2026-03-06T08:00:00+02:00"), QStringLiteral("petro"),
        QStringLiteral("Зміна центру"), QString());
    ReportRequest request = DefaultReportRequest(*doc);
    request.ChangeLog = true;
    ASSERT_EQ(Assemble(*doc, request), ReportAssembler::Outcome::Done);
    EXPECT_EQ(Texts(QStringLiteral("LogIndex")),
        QStringList({ QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3") }));
    EXPECT_EQ(Texts(QStringLiteral("LogTime")).value(1), QStringLiteral("2026-03-05T14:09:00+02:00"));
    EXPECT_EQ(Texts(QStringLiteral("LogUser")).value(2), QStringLiteral("petro"));
    EXPECT_EQ(Texts(QStringLiteral("LogChange")).value(0), QStringLiteral("Зміна значення точки 3: 10,2 → 10,4"));
    EXPECT_EQ(
        Texts(QStringLiteral("LogReason")), QStringList { QStringLiteral("Збій термостата") }); // blanks print nothing
    EXPECT_EQ(Texts(QStringLiteral("LogChain")),
        QStringList { QStringLiteral("Ланцюжок записів журналу цілий (перевірено записів: 3).") });

    // An entry edited outside the program breaks the chain from there on, and the report says so.
    const std::vector<ChangeLogEntry> entries = doc->Log().Entries();
    doc->ResetRecords(); // the log as a load of the edited file gives it
    for (ChangeLogEntry entry : entries) {
        if (entry.User == QStringLiteral("petro"))
            entry.Change = QStringLiteral("Нічого не змінено");
        doc->AppendStoredLogEntry(entry);
    }
    ASSERT_EQ(Assemble(*doc, request), ReportAssembler::Outcome::Done);
    EXPECT_EQ(Texts(QStringLiteral("LogChain")),
        QStringList { QStringLiteral("Журнал змінено поза програмою після запису 2.") });
}

TEST_F(RecordsReportTest, ExcludedPointsInTheTablesAndTheCounts)
{
    auto doc = IndividualDocument(messenger, { 10, 10 });
    Record(*doc, { { 4, Note("", "", "Збій термостата") }, { 5, Note("Сумнівна проба", "", "Повтор аналізу") } });
    ReportRequest request = DefaultReportRequest(*doc);
    request.Data = { true, QStringLiteral("1"), QStringLiteral("20"), false };
    request.Charts[SlotCentre] = { true, QStringLiteral("1"), QStringLiteral("20"), false };
    ASSERT_EQ(Assemble(*doc, request), ReportAssembler::Outcome::Done);
    const QStringList numbers = Texts(QStringLiteral("Number"));
    ASSERT_GE(numbers.size(), 6);
    EXPECT_EQ(numbers[2], QStringLiteral("3"));
    EXPECT_EQ(numbers[3], QStringLiteral("4*"));
    EXPECT_EQ(numbers[4], QStringLiteral("5*"));
    EXPECT_EQ(Texts(QStringLiteral("ExcludedLegend")), QStringList { ReportValues::ExcludedLegend() });
    // The limits of each group say how many points fed them.
    EXPECT_EQ(Texts(QStringLiteral("CountedPoints")),
        QStringList({ QStringLiteral("Межі обчислено за 8 точками (виключено з обчислення меж: 2)."),
            QStringLiteral("Межі обчислено за 10 точками.") }));
    // The notes section gives the reason beside the note.
    EXPECT_EQ(Texts(QStringLiteral("NotePoint")), QStringList({ QStringLiteral("4*"), QStringLiteral("5*") }));
    EXPECT_EQ(Texts(QStringLiteral("NoteText")).value(1),
        QStringLiteral("Сумнівна проба Не враховується при обчисленні меж: Повтор аналізу"));

    // A table of the second group only has no excluded point: no legend.
    request.Data = { true, QStringLiteral("11"), QStringLiteral("20"), false };
    ASSERT_EQ(Assemble(*doc, request), ReportAssembler::Outcome::Done);
    EXPECT_TRUE(Texts(QStringLiteral("ExcludedLegend")).isEmpty());
    EXPECT_FALSE(Texts(QStringLiteral("Number")).join(QLatin1Char(' ')).contains(QLatin1Char('*')));
}

TEST_F(RecordsReportTest, SubgroupTableMarksExcludedRows)
{
    auto doc = SubgroupDocument(messenger, 3, { 4, 3 });
    Record(*doc, { { 2, Note("", "", "Забруднена кювета") } });
    ReportRequest request = DefaultReportRequest(*doc);
    request.Data = { true, QStringLiteral("1"), QStringLiteral("7"), false };
    request.Charts[SlotCentre] = { true, QStringLiteral("1"), QStringLiteral("7"), false };
    ASSERT_EQ(Assemble(*doc, request), ReportAssembler::Outcome::Done);
    const QStringList cells = Texts(QStringLiteral("Cross1"));
    EXPECT_TRUE(cells.contains(QStringLiteral("2*")));
    EXPECT_FALSE(cells.contains(QStringLiteral("3*")));
    EXPECT_EQ(Texts(QStringLiteral("ExcludedLegend")).size(), 1);
    EXPECT_EQ(Texts(QStringLiteral("CountedPoints")).value(0),
        QStringLiteral("Межі обчислено за 3 точками (виключено з обчислення меж: 1)."));
    EXPECT_EQ(Texts(QStringLiteral("NoteValue")), QStringList { doc->ResultText(2, 0) });
}

TEST_F(RecordsReportTest, CountedPointsSpeakUkrainian)
{
    auto doc = IndividualDocument(messenger, { 21, 11, 3 });
    std::map<int, PointNote> notes;
    notes[2] = Note("", "", "x"); // 20 of 21 points
    Record(*doc, notes);
    EXPECT_EQ(ReportValues::CountedPoints(*doc, 0), 20);
    EXPECT_EQ(ReportValues::CountedPointsText(*doc, 1), QStringLiteral("Межі обчислено за 11 точками."));
    EXPECT_EQ(ReportValues::CountedPointsText(*doc, 2), QStringLiteral("Межі обчислено за 3 точками."));
    auto many = IndividualDocument(messenger, { 21 });
    EXPECT_EQ(ReportValues::CountedPointsText(*many, 0), QStringLiteral("Межі обчислено за 21 точкою."));
}

// The hits of the result sections carry the notes of their points, as the details window shows them.
TEST_F(RecordsReportTest, DetailsNameTheNotesOfTheHits)
{
    auto doc = IndividualDocument(messenger, { 12 });
    Record(*doc,
        { { 4, Note("Нова партія реактиву\nдругий рядок не показується") },
            { 7, Note("проба проба проба проба проба проба проба проба проба проба проба проба проба") } });
    EditGroup(*doc, 0, [](TIndividualInfo& record) {
        record.Hits[SlotCentre].Westgard = { { 2, 4, 4 }, { 5, 6, 9 } };
    });
    ReportRequest request = DefaultReportRequest(*doc);
    request.Charts[SlotCentre] = { true, QStringLiteral("1"), QStringLiteral("12"), true };
    ASSERT_EQ(Assemble(*doc, request), ReportAssembler::Outcome::Done);
    QStringList points = Texts(QStringLiteral("Det1Points"));
    points.removeAll(QStringLiteral("Точки критерія")); // the header row, on every page it reaches
    ASSERT_GE(points.size(), 5) << points.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(points[1].trimmed(),
        QStringLiteral("4 (") + doc->PointDates().value(3) + QStringLiteral(") (примітка: Нова партія реактиву…)"));
    const QString excerpt = NoteExcerpt(*doc->NoteOf(7));
    EXPECT_LE(excerpt.size(), 61);
    EXPECT_TRUE(excerpt.endsWith(QStringLiteral("проба…")));
    EXPECT_TRUE(points[4].contains(QStringLiteral("(точка 7, примітка: ") + excerpt + QLatin1Char(')')))
        << points[4].toStdString();
}

TEST_F(RecordsReportTest, ExportsCarryTheNewSections)
{
    auto doc = IndividualDocument(messenger, { 8 });
    Record(*doc, { { 2, Note("Примітка з символом €", "Дія") } });
    doc->AppendLogEntryAt(QStringLiteral("2026-03-05T14:07:09+02:00"), QStringLiteral("olena"),
        QStringLiteral("Примітка до точки 2"), QString());
    ReportRequest request = DefaultReportRequest(*doc);
    request.ChangeLog = true;
    ASSERT_EQ(Assemble(*doc, request), ReportAssembler::Outcome::Done);
    QTemporaryDir dir;
    rpt::exportHtml(engine.prepared(), dir.filePath(QStringLiteral("r.html")));
    rpt::exportOdt(engine.prepared(), dir.filePath(QStringLiteral("r.odt")));
    rpt::exportRtf(engine.prepared(), dir.filePath(QStringLiteral("r.rtf")));
    rpt::exportPdf(engine.prepared(), dir.filePath(QStringLiteral("r.pdf")));
    for (const char* name : { "r.html", "r.odt", "r.rtf", "r.pdf" })
        EXPECT_GT(QFile(dir.filePath(QString::fromLatin1(name))).size(), 1000) << name;
    QFile html(dir.filePath(QStringLiteral("r.html")));
    ASSERT_TRUE(html.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(html.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("Примітки та коригувальні дії")));
    EXPECT_TRUE(text.contains(QStringLiteral("Примітка з символом €")));
    EXPECT_TRUE(text.contains(QStringLiteral("Журнал змін")));
}

// A chosen section whose template is missing stops the report before anything is assembled.
TEST_F(RecordsReportTest, MissingSectionTemplate)
{
    QTemporaryDir dir;
    const QDir delivered(DeliveredTemplateFolder());
    for (const QString& name : ReportTemplateNames())
        ASSERT_TRUE(QFile::copy(delivered.filePath(name), dir.filePath(name)));
    auto doc = IndividualDocument(messenger, { 8 });
    ReportRequest request = DefaultReportRequest(*doc);
    EXPECT_FALSE(MissingTemplateMessage(dir.path(), request));
    request.ChangeLog = true;
    const std::optional<QString> message = MissingTemplateMessage(dir.path(), request);
    ASSERT_TRUE(message);
    EXPECT_TRUE(message->startsWith(QStringLiteral("Не знайдено файл \"")));
    EXPECT_TRUE(message->contains(ChangeLogTemplateName));
}

} // namespace

// Every report states how the rules are applied, from the rule table, unless the analyst drops it;
// a template folder without its template still gives the report.
TEST_F(RecordsReportTest, RuleStatementIsPrintedByDefault)
{
    auto doc = IndividualDocument(messenger, { 8 });
    ReportRequest request = DefaultReportRequest(*doc);
    EXPECT_TRUE(request.Rules);
    ASSERT_EQ(Assemble(*doc, request), ReportAssembler::Outcome::Done);
    const QStringList lines = Texts(QStringLiteral("RuleText"));
    const RuleStatement statement = StateRules();
    ASSERT_EQ(lines.size(),
        4 + statement.General.size() + statement.Westgard.size() + statement.Iso.size() + statement.Verdicts.size());
    EXPECT_TRUE(lines.contains(QStringLiteral("Правила Westgard")));
    EXPECT_TRUE(lines.contains(statement.Westgard[5]));
    EXPECT_TRUE(lines.contains(statement.Iso[7]));
    EXPECT_EQ(Texts(QStringLiteral("RulesHeading")), QStringList { QStringLiteral("Як застосовуються критерії") });

    request.Rules = false;
    ASSERT_EQ(Assemble(*doc, request), ReportAssembler::Outcome::Done);
    EXPECT_TRUE(Texts(QStringLiteral("RuleText")).isEmpty());

    QTemporaryDir dir;
    const QDir delivered(DeliveredTemplateFolder());
    for (const QString& name : ReportTemplateNames())
        ASSERT_TRUE(QFile::copy(delivered.filePath(name), dir.filePath(name)));
    request.Rules = true;
    EXPECT_FALSE(MissingTemplateMessage(dir.path(), request));
}
