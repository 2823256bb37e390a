#include "ReportTestSupport.h"

#include "paint/DrawingState.h"
#include "reports/ReportAssembler.h"
#include "reports/ReportEngine.h"
#include "reports/ReportExport.h"
#include "reports/ReportValues.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace {

class ReportAssemblyTest : public ::testing::Test {
protected:
    void SetUp() override { ChartDrawingState().Reset(); }
    void TearDown() override { ChartDrawingState().Reset(); }

    // Only the chart of slot, from first to last.
    static ReportRequest ChartRequest(const MeasurementDocument& doc, int slot, int first, int last, bool detailed)
    {
        ReportRequest request = DefaultReportRequest(doc);
        request.Charts[size_t(slot)] = { true, QString::number(first), QString::number(last), detailed };
        return request;
    }
    static ReportRequest DataRequest(const MeasurementDocument& doc, int first, int last)
    {
        ReportRequest request = DefaultReportRequest(doc);
        request.Data = { true, QString::number(first), QString::number(last), false };
        return request;
    }
    ReportAssembler::Outcome Assemble(
        MeasurementDocument& doc, const ReportRequest& request, const QString& folder = DeliveredTemplateFolder())
    {
        ReportAssembler assembler(doc, engine, folder);
        assembler.SetLaboratoryNames({ QStringLiteral("Лабораторія якості води"), QStringLiteral("ЛЯВ") });
        const ReportAssembler::Outcome outcome = assembler.Assemble(request);
        pointsPerPicture = assembler.PointsPerPicture();
        context = assembler.Context();
        return outcome;
    }

    RecordingMessenger messenger;
    rpt::ReportEngine engine;
    int pointsPerPicture = 0;
    SectionContext context;
};

TEST_F(ReportAssemblyTest, PictureCountsAndTitles)
{
    auto doc = IndividualDocument(messenger, { 160 });
    struct Row {
        const char* name;
        int first, last, pictures;
        QString lastTitle;
    } rows[] = {
        { "one point", 5, 5, 1, QStringLiteral(" Карта індивідуальних значень  (точка №5)") },
        { "1-12", 1, 12, 1, QStringLiteral(" Карта індивідуальних значень  (точки №№1-12)") },
        { "1-13", 1, 13, 2, QStringLiteral(" Карта індивідуальних значень  (точки №№12-13)") },
        { "156 points", 1, 156, 15, QStringLiteral(" Карта індивідуальних значень  (точки №№155-156)") },
    };
    for (const Row& row : rows) {
        ASSERT_EQ(
            Assemble(*doc, ChartRequest(*doc, SlotCentre, row.first, row.last, false)), ReportAssembler::Outcome::Done)
            << row.name;
        EXPECT_EQ(pointsPerPicture, 11) << row.name;
        EXPECT_EQ(PictureCount(engine.prepared(), QStringLiteral("Picture1")), row.pictures) << row.name;
        const QStringList titles = TextsOf(engine.prepared(), QStringLiteral("CardTitle"));
        ASSERT_EQ(titles.size(), row.pictures) << row.name;
        EXPECT_EQ(titles.last(), row.lastTitle) << row.name;
    }
    EXPECT_TRUE(messenger.messages.isEmpty());
    // The chart section set the margin from the first value and the units, and it stays.
    EXPECT_GT(ChartDrawingState().LeftMargin, 20);
    EXPECT_NE(ChartDrawingState().LeftMargin, DrawingState().LeftMargin);
}

TEST_F(ReportAssemblyTest, OneResultSectionPerTouchedGroup)
{
    auto doc = IndividualDocument(messenger, { 10, 10, 10 });
    ASSERT_EQ(Assemble(*doc, ChartRequest(*doc, SlotCentre, 12, 18, false)), ReportAssembler::Outcome::Done);
    EXPECT_EQ(TextsOf(engine.prepared(), QStringLiteral("InfoHeader")),
        QStringList { QStringLiteral(" Карта індивідуальних значень  - основні показники (група точок 11-20)") });
    EXPECT_EQ(context.SectionGroup, 1);

    ASSERT_EQ(Assemble(*doc, ChartRequest(*doc, SlotCentre, 1, 30, false)), ReportAssembler::Outcome::Done);
    EXPECT_EQ(TextsOf(engine.prepared(), QStringLiteral("ResHeader")).size(), 3);
    // Every moving range of the chart leads to every group; the last group's ranges end at point 29.
    ASSERT_EQ(Assemble(*doc, ChartRequest(*doc, SlotDeviation, 1, 27, true)), ReportAssembler::Outcome::Done);
    const QStringList headers = TextsOf(engine.prepared(), QStringLiteral("InfoHeader"));
    ASSERT_EQ(headers.size(), 3);
    EXPECT_EQ(headers.last(), QStringLiteral(" Карта ковзних розмахів  - основні показники (група точок 21-29)"));
    // Limits rows, with the unit.
    const QStringList labels = TextsOf(engine.prepared(), QStringLiteral("LimitName"));
    ASSERT_EQ(labels.size(), 15);
    EXPECT_EQ(labels[3], QStringLiteral("Середній ковзний розмах"));
    EXPECT_TRUE(TextsOf(engine.prepared(), QStringLiteral("LimitValue"))[0].endsWith(QStringLiteral(" мг/л")));
    // Detailed: both grids with their header rows (again on each page a grid continues on).
    const QStringList westgard = TextsOf(engine.prepared(), QStringLiteral("Det1Criterion"));
    const QStringList iso = TextsOf(engine.prepared(), QStringLiteral("Det2Criterion"));
    const QString header = QStringLiteral("Номер критерію");
    EXPECT_EQ(westgard.size() - westgard.count(header), 3 * 6);
    EXPECT_EQ(iso.size() - iso.count(header), 3 * 8);
    EXPECT_GE(westgard.count(header), 3);
    EXPECT_GE(iso.count(header), 3);

    ASSERT_EQ(Assemble(*doc, ChartRequest(*doc, SlotDeviation, 1, 27, false)), ReportAssembler::Outcome::Done);
    EXPECT_TRUE(TextsOf(engine.prepared(), QStringLiteral("Det1Criterion")).isEmpty());
    EXPECT_TRUE(TextsOf(engine.prepared(), QStringLiteral("Det2Criterion")).isEmpty());
}

TEST_F(ReportAssemblyTest, IndividualTableRowsAndSummaries)
{
    auto doc = IndividualDocument(messenger, { 10, 10 });
    ASSERT_EQ(Assemble(*doc, DataRequest(*doc, 1, 20)), ReportAssembler::Outcome::Done);
    QStringList numbers = TextsOf(engine.prepared(), QStringLiteral("Number"));
    ASSERT_EQ(numbers.size(), 22);
    EXPECT_EQ(numbers[0], QStringLiteral("1"));
    EXPECT_EQ(numbers[10], QStringLiteral("Загалом по групі точок 1-10"));
    EXPECT_EQ(numbers[11], QStringLiteral("11"));
    EXPECT_EQ(numbers[21], QStringLiteral("Загалом по групі точок 11-20"));
    const QStringList values = TextsOf(engine.prepared(), QStringLiteral("Value"));
    EXPECT_TRUE(values[10].startsWith(QStringLiteral("Середнє по групі: ")));
    EXPECT_TRUE(values[21].startsWith(QStringLiteral("Середнє по групі: ")));
    EXPECT_EQ(TextsOf(engine.prepared(), QStringLiteral("Date"))[21], ReportValues::Filler());
    EXPECT_EQ(TextsOf(engine.prepared(), QStringLiteral("Date"))[10], ReportValues::Filler());
    EXPECT_EQ(TextsOf(engine.prepared(), QStringLiteral("MovingRange")).last(), ReportValues::Filler());
    EXPECT_EQ(context.SectionGroup, 2);

    // Ending in the middle of a group: the last row sums up that whole group.
    ASSERT_EQ(Assemble(*doc, DataRequest(*doc, 3, 15)), ReportAssembler::Outcome::Done);
    numbers = TextsOf(engine.prepared(), QStringLiteral("Number"));
    ASSERT_EQ(numbers.size(), 15);
    EXPECT_EQ(numbers[0], QStringLiteral("3"));
    EXPECT_EQ(numbers[8], QStringLiteral("Загалом по групі точок 1-10"));
    EXPECT_EQ(numbers.last(), QStringLiteral("Загалом по групі точок 11-20"));
    EXPECT_EQ(TextsOf(engine.prepared(), QStringLiteral("Value")).last(), values[21]);

    // Starting in the second group: its first summary names the second group.
    ASSERT_EQ(Assemble(*doc, DataRequest(*doc, 12, 14)), ReportAssembler::Outcome::Done);
    numbers = TextsOf(engine.prepared(), QStringLiteral("Number"));
    EXPECT_EQ(numbers,
        QStringList({ QStringLiteral("12"), QStringLiteral("13"), QStringLiteral("14"),
            QStringLiteral("Загалом по групі точок 11-20") }));
}

TEST_F(ReportAssemblyTest, SubgroupCrossTab)
{
    auto doc = SubgroupDocument(messenger, 3, { 4, 3 });
    ASSERT_EQ(Assemble(*doc, DataRequest(*doc, 1, 7)), ReportAssembler::Outcome::Done);
    const QStringList cells = TextsOf(engine.prepared(), QStringLiteral("Cross1"));
    EXPECT_TRUE(cells.contains(QStringLiteral("Загалом по групі точок 1-4")));
    EXPECT_TRUE(cells.contains(QStringLiteral("Загалом по групі точок 5-7")));
    EXPECT_TRUE(cells.contains(QStringLiteral("X3")));
    EXPECT_TRUE(cells.contains(QStringLiteral("Дата")));
    EXPECT_LT(cells.indexOf(QStringLiteral("Загалом по групі точок 1-4")),
        cells.indexOf(QStringLiteral("Загалом по групі точок 5-7")));
    EXPECT_FALSE(cells.contains(MeasurementDocument::SeparatorLine()));
}

TEST_F(ReportAssemblyTest, VerdictColoursAndSentences)
{
    auto doc = IndividualDocument(messenger, { 12, 12 });
    TSlotHits first = doc->Groups()[0].Hits[SlotCentre];
    first.Westgard = { { 2, 4, 4 } }; // critical
    first.Iso = { { 5, 3, 5 } }; // warning only
    EditGroup(*doc, 1, [&](TIndividualInfo& record) { record.Hits[SlotCentre] = {}; });
    EditGroup(*doc, 0, [&](TIndividualInfo& record) { record.Hits[SlotCentre] = first; });
    ASSERT_EQ(Assemble(*doc, ChartRequest(*doc, SlotCentre, 1, 24, true)), ReportAssembler::Outcome::Done);
    std::vector<LaidOutText> westgard;
    std::vector<LaidOutText> iso;
    for (const LaidOutText& text : LaidOutTexts(engine.prepared())) {
        if (text.Object == QStringLiteral("Recom1"))
            westgard.push_back(text);
        if (text.Object == QStringLiteral("Recom2"))
            iso.push_back(text);
    }
    ASSERT_EQ(westgard.size(), 2u);
    ASSERT_EQ(iso.size(), 2u);
    EXPECT_EQ(westgard[0].Text, QStringLiteral("Сигнал про критичну невідповідність! Застосуйте коригувальні дії!"));
    EXPECT_EQ(westgard[0].Colour, QColor(255, 0, 0));
    EXPECT_EQ(iso[0].Colour, QColor(0, 128, 0));
    EXPECT_TRUE(iso[0].Text.startsWith(QStringLiteral("Карта відповідає попереджуючим критеріям.")));
    EXPECT_EQ(westgard[1].Text,
        QStringLiteral("Випробування знаходяться у статистично керованому стані. Можна продовжувати роботу."));
    EXPECT_EQ(westgard[1].Colour, QColor(0, 128, 0));
    const QStringList criteria = TextsOf(engine.prepared(), QStringLiteral("Crit1"));
    EXPECT_EQ(criteria[1], QStringLiteral("Не виконуються умови жодного критерію"));
    EXPECT_TRUE(criteria[0].startsWith(QStringLiteral("Для групи виконуються умови таких критеріїв: ")));
    // The detail row of the hit lists its point, with its date.
    EXPECT_EQ(TextsOf(engine.prepared(), QStringLiteral("Det1Points"))[2].trimmed(),
        QStringLiteral("4 (") + doc->PointDates().value(3) + QLatin1Char(')'));
}

// The report lists a criterion's points as the details window does: with the dates of each hit.
TEST_F(ReportAssemblyTest, DetailsCarryTheDatesOfTheDetailsWindow)
{
    auto doc = IndividualDocument(messenger, { 15, 15 });
    TSlotHits hits = doc->Groups()[1].Hits[SlotCentre];
    hits.Westgard = { { 1, 17, 17 }, { 4, 20, 23 }, { 1, 25, 25 } };
    hits.Iso = { { 5, 18, 22 } };
    EditGroup(*doc, 1, [&](TIndividualInfo& record) { record.Hits[SlotCentre] = hits; });
    ASSERT_EQ(Assemble(*doc, ChartRequest(*doc, SlotCentre, 16, 30, true)), ReportAssembler::Outcome::Done);
    const auto unwrapped = [](const QString& text) { return QString(text).remove(QLatin1Char(' ')); };
    const struct {
        CriteriaFamily Family;
        const ErrorArray& Hits;
        const char* Object;
    } grids[] = { { CriteriaFamily::Westgard, hits.Westgard, "Det1Points" },
        { CriteriaFamily::Iso, hits.Iso, "Det2Points" } };
    for (const auto& grid : grids) {
        const std::vector<DetailsRow> shown = PresentAnalysis(grid.Family, grid.Hits, doc->PointDates()).Details;
        QStringList printed = TextsOf(engine.prepared(), QLatin1String(grid.Object));
        // The grid's header row comes again on each page the grid continues on.
        for (qsizetype i = printed.size(); i-- > 1;)
            if (printed[i] == printed[0])
                printed.removeAt(i);
        ASSERT_EQ(printed.size(), qsizetype(shown.size())) << grid.Object << ": " << printed.join(u'|').toStdString();
        for (size_t r = 0; r < shown.size(); ++r)
            EXPECT_EQ(unwrapped(printed[qsizetype(r)]).toStdString(), unwrapped(shown[r].Points).toStdString())
                << grid.Object << " row " << r;
    }
    const QString date17 = doc->PointDates().value(16);
    ASSERT_FALSE(date17.isEmpty());
    EXPECT_TRUE(TextsOf(engine.prepared(), QStringLiteral("Det1Points"))[1].contains(date17));
}

// A single group of 10,000 points whose moving-range chart meets rule 1 at 2,494 points: the
// criterion's cell runs over several pages, cut between its lines, with every point printed and
// nothing over the footer.
TEST_F(ReportAssemblyTest, LongCriteriaCellContinuesOverThePages)
{
    auto doc = IndividualDocument(messenger, { 10000 });
    TSlotHits hits = doc->Groups()[0].Hits[SlotDeviation];
    hits.Westgard.clear();
    for (int k = 0; k < 2494; ++k)
        hits.Westgard.push_back({ 1, 2 + 4 * k, 2 + 4 * k });
    hits.Westgard.push_back({ 2, 9000, 9001 });
    EditGroup(*doc, 0, [&](TIndividualInfo& record) { record.Hits[SlotDeviation] = hits; });
    ASSERT_EQ(Assemble(*doc, ChartRequest(*doc, SlotDeviation, 1, 11, true)), ReportAssembler::Outcome::Done);
    const rpt::PreparedReport& report = engine.prepared();
    EXPECT_TRUE(report.warnings().isEmpty()) << report.warnings().first().toStdString();

    // The body ends above the result template's page footer: 297 - 10 - 8 mm.
    const double bodyBottom = 279;
    const std::vector<DetailsRow> shown
        = PresentAnalysis(CriteriaFamily::Westgard, hits.Westgard, doc->PointDates()).Details;
    QString printed;
    std::set<int> pages;
    for (int p = 0; p < report.pageCount(); ++p) {
        for (const rpt::DrawCmd& command : report.page(p).commands) {
            const auto* text = std::get_if<rpt::TextCmd>(&command);
            if (!text || text->objectName.startsWith(QLatin1String("Signature")) || text->objectName == u"CheckedBy")
                continue;
            EXPECT_LE(text->rectMm.bottom(), bodyBottom + 1e-6)
                << "page " << p + 1 << " " << text->objectName.toStdString();
            if (text->objectName != u"Det1Points")
                continue;
            EXPECT_LE(text->lines.size() * text->lineHeightMm + 2 * text->paddingMm, text->rectMm.height() + 1e-6)
                << "page " << p + 1;
            if (text->lines.join(QString()) != shown[0].Points) {
                printed += text->lines.join(QString());
                pages.insert(p);
            }
        }
    }
    QString expected;
    for (size_t r = 1; r < shown.size(); ++r)
        expected += shown[r].Points;
    EXPECT_EQ(printed.remove(QLatin1Char(' ')).toStdString(), expected.remove(QLatin1Char(' ')).toStdString());
    EXPECT_GE(pages.size(), 4u);
    // The rest of the section follows the long grid: the ISO analysis with its grid.
    const QStringList iso = TextsOf(report, QStringLiteral("Det2Criterion"));
    EXPECT_EQ(iso.size() - iso.count(QStringLiteral("Номер критерію")), 8);
}

// A details grid that continues on the next page starts there with its header row again.
TEST_F(ReportAssemblyTest, DetailsGridRepeatsItsHeaderRowOnEveryPage)
{
    auto doc = IndividualDocument(messenger, { 200 });
    TSlotHits hits = doc->Groups()[0].Hits[SlotCentre];
    hits.Westgard.clear();
    for (int criterion : { 1, 4, 5 }) {
        for (int point = 1; point <= 60; ++point)
            hits.Westgard.push_back({ criterion, point, point });
    }
    EditGroup(*doc, 0, [&](TIndividualInfo& record) { record.Hits[SlotCentre] = hits; });
    ASSERT_EQ(Assemble(*doc, ChartRequest(*doc, SlotCentre, 1, 11, true)), ReportAssembler::Outcome::Done);
    const QString header = QStringLiteral("Точки критерія");
    std::map<int, QStringList> pages; // the grid's points column, page by page
    for (const LaidOutText& text : LaidOutTexts(engine.prepared())) {
        if (text.Object == QStringLiteral("Det1Points"))
            pages[text.Page].append(text.Text);
    }
    ASSERT_GE(pages.size(), 2u); // the grid does continue on another page
    int rows = 0;
    for (const auto& [page, texts] : pages) {
        EXPECT_EQ(texts.first().toStdString(), header.toStdString()) << "page " << page + 1;
        EXPECT_EQ(texts.count(header), 1) << "page " << page + 1;
        EXPECT_GE(texts.size(), 2) << "page " << page + 1; // never the header row alone
        rows += int(texts.size()) - 1;
    }
    EXPECT_EQ(rows, 6);
}

TEST_F(ReportAssemblyTest, HeaderFields)
{
    auto doc = IndividualDocument(messenger, { 10 });
    doc->SetHeaderPresent(HeaderField::Operator, false);
    doc->SetHeaderPresent(HeaderField::Instrument, true);
    doc->SetHeaderText(HeaderField::Instrument, QStringLiteral("Спектрофотометр"));
    doc->SetFillDate(QStringLiteral("  .  .    "));
    doc->SetAdditionalInfoPresent(true);
    doc->SetAdditionalInfo({ QStringLiteral("перший рядок"), QStringLiteral("другий рядок") });
    ReportRequest request = DefaultReportRequest(*doc);
    request.Rules = false; // the header page alone
    ASSERT_EQ(Assemble(*doc, request), ReportAssembler::Outcome::Done);
    const rpt::PreparedReport& report = engine.prepared();
    EXPECT_TRUE(TextsOf(report, QStringLiteral("OperatorLabel")).isEmpty());
    EXPECT_EQ(TextsOf(report, QStringLiteral("Device")), QStringList { QStringLiteral("Спектрофотометр") });
    // Empty memos leave nothing on the page.
    EXPECT_TRUE(TextsOf(report, QStringLiteral("SDate")).join(QString()).isEmpty());
    EXPECT_EQ(TextsOf(report, QStringLiteral("InfoHeading")), QStringList { QStringLiteral("Додаткова інформація:") });
    EXPECT_EQ(TextsOf(report, QStringLiteral("InfoLine")),
        QStringList({ QStringLiteral("перший рядок"), QStringLiteral("другий рядок") }));
    EXPECT_EQ(TextsOf(report, QStringLiteral("LabFull")), QStringList { QStringLiteral("Лабораторія якості води") });
    EXPECT_EQ(
        TextsOf(report, QStringLiteral("PageNo")), QStringList { QStringLiteral("Сторінка [Page#] з [TotalPages#]") });
}

TEST_F(ReportAssemblyTest, SecondAssemblyReplacesTheFirst)
{
    auto doc = IndividualDocument(messenger, { 30 });
    const ReportRequest request = ChartRequest(*doc, SlotCentre, 1, 30, false);
    ASSERT_EQ(Assemble(*doc, request), ReportAssembler::Outcome::Done);
    const int pages = engine.prepared().pageCount();
    ASSERT_EQ(Assemble(*doc, request), ReportAssembler::Outcome::Done);
    EXPECT_EQ(engine.prepared().pageCount(), pages);
    EXPECT_EQ(TextsOf(engine.prepared(), QStringLiteral("LabFull")).size(), pages);
}

TEST_F(ReportAssemblyTest, FailuresShowTheGeneralMessage)
{
    auto doc = IndividualDocument(messenger, { 10, 10 });
    // A template that lacks an object the program addresses.
    QTemporaryDir dir;
    for (const QString& name : ReportTemplateNames())
        QFile::copy(QDir(DeliveredTemplateFolder()).filePath(name), QDir(dir.path()).filePath(name));
    QFile card(QDir(dir.path()).filePath(QStringLiteral("result.fr3")));
    ASSERT_TRUE(card.open(QIODevice::ReadOnly));
    QString text
        = QString::fromUtf8(card.readAll()).replace(QStringLiteral("\"ResHeader\""), QStringLiteral("\"Other\""));
    card.close();
    ASSERT_TRUE(card.open(QIODevice::WriteOnly | QIODevice::Truncate));
    card.write(text.toUtf8());
    card.close();
    EXPECT_EQ(
        Assemble(*doc, ChartRequest(*doc, SlotCentre, 1, 20, false), dir.path()), ReportAssembler::Outcome::Failed);
    EXPECT_EQ(messenger.messages, QStringList { ReportAssembler::FailureMessage() });
    EXPECT_TRUE(engine.prepared().isEmpty());

    // A chart drawing that gives up: its own message, then the general one.
    messenger.messages.clear();
    EXPECT_EQ(Assemble(*doc, ChartRequest(*doc, SlotCentre, 15, 40, false)), ReportAssembler::Outcome::Failed);
    ASSERT_EQ(messenger.messages.size(), 2);
    EXPECT_EQ(messenger.messages.last(), ReportAssembler::FailureMessage());
    EXPECT_TRUE(engine.prepared().isEmpty());
    EXPECT_FALSE(doc->Changed());
}

TEST_F(ReportAssemblyTest, CancelLeavesNothing)
{
    auto doc = IndividualDocument(messenger, { 200 });
    ReportRequest request = ChartRequest(*doc, SlotCentre, 1, 200, true);
    request.Data = { true, QStringLiteral("1"), QStringLiteral("200"), false };
    ReportAssembler assembler(*doc, engine, DeliveredTemplateFolder());
    qint64 seen = 0;
    qint64 whole = 0;
    const auto outcome = assembler.Assemble(request, [&](qint64 done, qint64 total) {
        seen = done;
        whole = total;
        return done < 50;
    });
    EXPECT_EQ(outcome, ReportAssembler::Outcome::Cancelled);
    EXPECT_EQ(seen, 50);
    EXPECT_GT(whole, 200);
    EXPECT_TRUE(messenger.messages.isEmpty());
    EXPECT_TRUE(engine.prepared().isEmpty());
    EXPECT_FALSE(doc->Changed());
}

} // namespace

namespace {

// The tables of an HTML report as rows of cell counts (a spanning cell counts for its columns),
// with the first cell's text of each row; the page must parse as XML.
struct HtmlTable {
    std::vector<int> cells; // per row
    std::vector<int> elements; // per row: td and th written
    std::vector<bool> header; // per row: all cells are th
    QStringList firstCells;
};
struct HtmlOutline {
    std::vector<HtmlTable> tables;
    QStringList alts;
    int h1 = 0;
    QString error;
};

HtmlOutline OutlineOf(const QByteArray& html)
{
    HtmlOutline outline;
    QXmlStreamReader reader(html);
    HtmlTable* table = nullptr;
    bool allHeader = true;
    QString cellText;
    bool inCell = false;
    while (!reader.atEnd()) {
        reader.readNext();
        const QStringView name = reader.name();
        if (reader.isStartElement()) {
            if (name == u"table") {
                outline.tables.emplace_back();
                table = &outline.tables.back();
            } else if (name == u"tr" && table) {
                table->cells.push_back(0);
                table->elements.push_back(0);
                allHeader = true;
                cellText.clear();
            } else if ((name == u"td" || name == u"th") && table) {
                const int span = reader.attributes().value(QStringLiteral("colspan")).toInt();
                if (table->cells.back() == 0)
                    inCell = true;
                table->cells.back() += std::max(span, 1);
                ++table->elements.back();
                allHeader = allHeader && name == u"th";
            } else if (name == u"img") {
                outline.alts.append(reader.attributes().value(QStringLiteral("alt")).toString());
            } else if (name == u"h1") {
                ++outline.h1;
            }
        } else if (reader.isCharacters() && inCell) {
            cellText += reader.text();
        } else if (reader.isEndElement()) {
            if (name == u"td" || name == u"th")
                inCell = false;
            else if (name == u"tr" && table) {
                table->header.push_back(allHeader);
                table->firstCells.append(cellText);
            } else if (name == u"table")
                table = nullptr;
        }
    }
    if (reader.hasError())
        outline.error = reader.errorString() + QStringLiteral(" at line ") + QString::number(reader.lineNumber());
    return outline;
}

// What RTF writes for a text: its letters as Unicode escapes.
QByteArray RtfEscaped(const QString& text)
{
    QByteArray out;
    for (QChar c : text)
        out += c.unicode() < 128 ? QByteArray(1, char(c.unicode()))
                                 : "\\u" + QByteArray::number(int(qint16(c.unicode()))) + '?';
    return out;
}

// The RTF with every group that opens with one of the control words taken out, and those groups.
std::pair<QByteArray, QByteArrayList> SplitGroups(const QByteArray& rtf, const QList<QByteArray>& openers)
{
    QByteArray rest;
    QByteArrayList groups;
    qsizetype i = 0;
    while (i < rtf.size()) {
        bool opened = false;
        for (const QByteArray& opener : openers) {
            if (rtf.mid(i, opener.size()) != opener)
                continue;
            int depth = 0;
            qsizetype j = i;
            for (; j < rtf.size(); ++j) {
                if (rtf[j] == '\\') {
                    ++j;
                    continue;
                }
                depth += rtf[j] == '{' ? 1 : rtf[j] == '}' ? -1 : 0;
                if (depth == 0)
                    break;
            }
            groups.append(rtf.mid(i, j - i + 1));
            i = j + 1;
            opened = true;
            break;
        }
        if (!opened)
            rest += rtf[i++];
    }
    return { rest, groups };
}

} // namespace

TEST_F(ReportAssemblyTest, HeaderIdentifiesTheRecord)
{
    auto doc = IndividualDocument(messenger, { 6, 5 });
    doc->SetHeaderPresent(HeaderField::MeasuredParameter, true);
    doc->SetHeaderText(HeaderField::MeasuredParameter, QStringLiteral("Нітрати"));
    ASSERT_FALSE(doc->PointDates().front().isEmpty());
    ReportRequest request = DefaultReportRequest(*doc);
    request.Rules = false;
    ASSERT_EQ(Assemble(*doc, request), ReportAssembler::Outcome::Done);
    const rpt::PreparedReport& report = engine.prepared();
    const std::pair<const char*, QString> rows[] = {
        { "Parameter", QStringLiteral("Нітрати") },
        { "UnitsValue", QStringLiteral("мг/л") },
        { "ModeValue", QStringLiteral("Індивідуальні значення") },
        { "PointCountValue", QStringLiteral("11") },
        { "GroupCountValue", QStringLiteral("2") },
        { "FirstDateValue", doc->PointDates().front() },
        { "LastDateValue", doc->PointDates().back() },
        { "FileValue", QStringLiteral("не збережено") },
        { "ShaValue", QStringLiteral("не збережено") },
        { "VersionValue", ReportValues::ProgramVersionText() },
    };
    for (const auto& [object, text] : rows)
        EXPECT_EQ(TextsOf(report, QLatin1String(object)), QStringList { text }) << object;
    const std::pair<const char*, const char*> labels[] = { { "ParameterLabel", "Вимірюваний параметр:" },
        { "UnitsLabel", "Одиниці вимірювання:" }, { "ShaLabel", "SHA-256:" }, { "VersionLabel", "Версія програми:" } };
    for (const auto& [object, text] : labels)
        EXPECT_EQ(TextsOf(report, QLatin1String(object)), QStringList { QString::fromUtf8(text) }) << object;
    // The rows that were there keep their place above the new ones.
    const std::vector<LaidOutText> texts = LaidOutTexts(report);
    const auto indexOf = [&](const char* object) {
        return std::find_if(texts.begin(), texts.end(), [&](const LaidOutText& t) {
            return t.Object == QLatin1String(object);
        }) - texts.begin();
    };
    EXPECT_LT(indexOf("TableValue"), indexOf("Parameter"));
    EXPECT_LT(indexOf("Parameter"), indexOf("VersionValue"));

    auto subgroups = SubgroupDocument(messenger, 4, { 5 });
    ASSERT_EQ(Assemble(*subgroups, DefaultReportRequest(*subgroups)), ReportAssembler::Outcome::Done);
    EXPECT_EQ(TextsOf(engine.prepared(), QStringLiteral("ModeValue")),
        QStringList { QStringLiteral("Групові значення, підгрупи по 4") });
}

TEST_F(ReportAssemblyTest, HtmlIsADocumentOfTablesAndDescribedPictures)
{
    auto doc = IndividualDocument(messenger, { 12, 10 });
    ReportRequest request = ChartRequest(*doc, SlotCentre, 1, 22, true);
    request.Data = { true, QStringLiteral("1"), QStringLiteral("22"), false };
    request.Rules = false;
    ASSERT_EQ(Assemble(*doc, request), ReportAssembler::Outcome::Done);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("звіт.html"));
    rpt::exportHtml(engine.prepared(), path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray html = file.readAll();
    const HtmlOutline outline = OutlineOf(html);
    ASSERT_TRUE(outline.error.isEmpty()) << outline.error.toStdString();
    EXPECT_EQ(outline.h1, 1);
    EXPECT_TRUE(html.contains("@media print"));

    // Tables told apart by their widths: the header's fields (2, label as th), the data (4),
    // the limits of each group (2, no th), the criteria details (3).
    std::vector<const HtmlTable*> fields, data, limits, criteria;
    for (const HtmlTable& table : outline.tables) {
        ASSERT_FALSE(table.cells.empty());
        for (int count : table.cells)
            EXPECT_EQ(count, table.cells.front()) << "every row of a table as wide as its first";
        if (table.cells.front() == 4)
            data.push_back(&table);
        else if (table.cells.front() == 3)
            criteria.push_back(&table);
        else if (table.cells.front() == 2 && table.firstCells.contains(QStringLiteral("SHA-256:")))
            fields.push_back(&table);
        else if (table.cells.front() == 2)
            limits.push_back(&table);
    }
    ASSERT_EQ(fields.size(), 1u);
    EXPECT_EQ(fields[0]->firstCells.front(), QStringLiteral("Назва таблиці:"));
    EXPECT_TRUE(fields[0]->firstCells.contains(QStringLiteral("Кількість точок:")));
    EXPECT_EQ(fields[0]->firstCells.back(), QStringLiteral("Версія програми:"));

    ASSERT_EQ(data.size(), 1u);
    EXPECT_TRUE(data[0]->header.front());
    const int tableRows = ReportValues::TableRow(*doc, 22) - ReportValues::TableRow(*doc, 1) + 2;
    EXPECT_EQ(int(data[0]->cells.size()), 1 + tableRows); // the header row once, though it repeats on paper
    EXPECT_EQ(data[0]->firstCells.at(1), QStringLiteral("1"));

    ASSERT_EQ(limits.size(), 2u); // one per group
    for (const HtmlTable* table : limits)
        EXPECT_EQ(table->cells.size(), size_t(ReportValues::LimitsRowCount(*doc, SlotCentre)));
    ASSERT_EQ(criteria.size(), 4u); // Westgard and ISO for each group, each with its header row
    for (const HtmlTable* table : criteria)
        EXPECT_TRUE(table->header.front());

    const int pictures = ReportValues::PictureCount(1, 22, pointsPerPicture);
    ASSERT_EQ(outline.alts.size(), pictures);
    EXPECT_TRUE(
        outline.alts.front().startsWith(request.Captions[SlotCentre].simplified() + QStringLiteral(", точки 1–")))
        << outline.alts.front().toStdString();
}

TEST_F(ReportAssemblyTest, SubgroupHtmlTableSpansItsUpperHeaders)
{
    auto doc = SubgroupDocument(messenger, 3, { 6 });
    ReportRequest request = DefaultReportRequest(*doc);
    request.Data = { true, QStringLiteral("1"), QStringLiteral("6"), false };
    request.Rules = false;
    ASSERT_EQ(Assemble(*doc, request), ReportAssembler::Outcome::Done);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("звіт.html"));
    rpt::exportHtml(engine.prepared(), path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const HtmlOutline outline = OutlineOf(file.readAll());
    ASSERT_TRUE(outline.error.isEmpty()) << outline.error.toStdString();
    // The cross-tab, in as many tables as it takes pieces to fit the page: two header rows, the
    // upper headers spanning their columns, every other row as wide as the header.
    int crossTables = 0, spanning = 0;
    for (const HtmlTable& table : outline.tables) {
        if (table.cells.size() < 3 || !table.header[0] || !table.header[1])
            continue;
        ++crossTables;
        spanning += table.elements[0] < table.cells[0];
        EXPECT_FALSE(table.header[2]);
        for (size_t r = 2; r < table.cells.size(); ++r) {
            EXPECT_EQ(table.cells[r], table.cells[0]) << r;
        }
        EXPECT_EQ(int(table.cells.size()), 2 + 6 + 1); // the subgroups and the group's closing row
    }
    EXPECT_GE(crossTables, 1);
    EXPECT_GE(spanning, 1);
}

TEST_F(ReportAssemblyTest, RtfRunningTextsAreHeadersAndFooters)
{
    auto doc = IndividualDocument(messenger, { 40, 40 });
    ReportRequest request = ChartRequest(*doc, SlotCentre, 1, 80, true);
    request.Data = { true, QStringLiteral("1"), QStringLiteral("80"), false };
    ASSERT_EQ(Assemble(*doc, request), ReportAssembler::Outcome::Done);
    const int pages = engine.prepared().pageCount();
    ASSERT_GE(pages, 3);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("звіт.rtf"));
    rpt::exportRtf(engine.prepared(), path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray rtf = file.readAll();

    int depth = 0, least = 0;
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        if (rtf[i] == '\\') {
            ++i;
            continue;
        }
        depth += rtf[i] == '{' ? 1 : rtf[i] == '}' ? -1 : 0;
        if (i + 1 < rtf.size())
            least = std::min(least, depth);
    }
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(least, 0);
    EXPECT_FALSE(rtf.contains("\\page\\par"));
    EXPECT_EQ(rtf.count("\\sectd"), pages);

    const auto [body, groups] = SplitGroups(rtf, { "{\\header ", "{\\footer " });
    const QByteArray lab = RtfEscaped(QStringLiteral("Лабораторія якості води"));
    const QByteArray signature = RtfEscaped(QStringLiteral("Підпис оператора"));
    int headers = 0, footers = 0;
    for (const QByteArray& group : groups) {
        if (group.startsWith("{\\header ")) {
            ++headers;
            EXPECT_TRUE(group.contains(lab));
            EXPECT_TRUE(group.contains("{\\chpgn}"));
            EXPECT_TRUE(
                group.contains("{\\field{\\*\\fldinst NUMPAGES}{\\fldrslt " + QByteArray::number(pages) + "}}"));
        } else {
            ++footers;
            EXPECT_TRUE(group.contains(signature));
        }
    }
    EXPECT_EQ(headers, pages);
    EXPECT_EQ(footers, pages);
    // The body no longer repeats them on every page.
    EXPECT_FALSE(body.contains(lab));
    EXPECT_FALSE(body.contains(signature));
    EXPECT_FALSE(body.contains("Page#"));
    // The report's own title and tables stay in the body.
    EXPECT_TRUE(body.contains(RtfEscaped(QStringLiteral("Звіт внутрішньолабораторного контролю якості"))));
    EXPECT_GE(body.count("\\trowd"), 80);
}
