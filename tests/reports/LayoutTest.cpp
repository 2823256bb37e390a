#include "EngineTestSupport.h"

#include "reports/ReportEngine.h"
#include "reports/ReportExport.h"

#include <gtest/gtest.h>

using namespace rpt;

namespace {
const TextCmd* findText(const PreparedReport& report, int page, const QString& objectName, int nth = 0)
{
    for (const DrawCmd& command : report.page(page).commands)
        if (const auto* text = std::get_if<TextCmd>(&command))
            if (text->objectName == objectName && nth-- == 0)
                return text;
    return nullptr;
}
}

// The callbacks' side effects rely on this order: objects in document order, before-print first,
// then one value per placeholder, left to right; each band instance filled once.
TEST(ReportCallbacks, OrderAndCountsPerBandInstance)
{
    ReportEngine engine;
    engine.loadTemplateXml(TemplateXml(QStringLiteral(R"(
<band type="title" name="Title1" height="5"><memo name="T" x="0" y="0" w="50" h="5">[A] and [B] and [A]</memo></band>
<band type="header" name="Head" height="5" repeatOnNewPage="true"><memo name="H" x="0" y="0" w="50" h="5">[H]</memo></band>
<band type="data" name="Rows" dataSet="frxUserDataSet1" height="100">
 <memo name="R1" x="0" y="0" w="50" h="5">[SG3_1]</memo>
 <memo name="R2" x="50" y="0" w="50" h="5">[SG3_2][SG3_3]</memo>
</band>
<band type="summary" name="Sum" height="5"><memo name="S" x="0" y="0" w="50" h="5">[Unterminated</memo></band>)")),
        QStringLiteral("t.fr3"));
    CallRecorder recorder;
    recorder.attach(engine);
    std::vector<int> rowsSeen;
    engine.setValueCallback([&](const QString& name) -> std::optional<QString> {
        recorder.calls.append(QStringLiteral("value:") + name);
        if (name == u"SG3_1")
            rowsSeen.push_back(engine.dataSet(QStringLiteral("frxUserDataSet1"))->currentRow());
        return name;
    });
    engine.dataSet(QStringLiteral("frxUserDataSet1"))->setRowCount(4); // 100 mm each: two pages
    engine.prepare(true);

    const QStringList expected = {
        "before:T", "value:A", "value:B", "value:A", //
        "before:H", "value:H", //
        "before:R1", "value:SG3_1", "before:R2", "value:SG3_2", "value:SG3_3", //
        "before:R1", "value:SG3_1", "before:R2", "value:SG3_2", "value:SG3_3", //
        "before:R1", "value:SG3_1", "before:R2", "value:SG3_2", "value:SG3_3", //
        "before:R1", "value:SG3_1", "before:R2", "value:SG3_2", "value:SG3_3", //
        "before:S", // an unterminated bracket stays literal and asks nothing
    };
    EXPECT_EQ(recorder.calls, expected);
    EXPECT_EQ(rowsSeen, (std::vector<int> { 0, 1, 2, 3 }));
    EXPECT_EQ(engine.prepared().pageCount(), 2);
    // The repeated header is the first fill placed again, not a new fill.
    EXPECT_TRUE(findText(engine.prepared(), 1, QStringLiteral("H"))) << textDump(engine.prepared()).toStdString();
    EXPECT_TRUE(ReportLines(engine.prepared()).contains(QStringLiteral("page 2: [Unterminated")));
}

// The value callback may recolour its memo; a picture is taken when the walk reaches it, after the
// memo before it drew it; a cross-tab is empty when its before-print callback comes.
TEST(ReportCallbacks, SideEffectsSeenByLaterObjects)
{
    ReportEngine engine;
    engine.loadTemplateXml(TemplateXml(QStringLiteral(R"(
<band type="data" name="Charts" dataSet="frxUserDataSet1" height="30">
 <memo name="Recom1" x="0" y="0" w="100" h="5">[Recommendation1]</memo>
 <memo name="Title" x="0" y="5" w="100" h="5">[CardName]</memo>
 <picture name="Picture1" x="0" y="10" w="100" h="20" fit="clip"/>
</band>
<band type="data" name="Table" rowCount="1" height="5"><crosstab name="Cross1" x="0" y="0" w="190"/></band>)")),
        QStringLiteral("t.fr3"));
    int drawn = 0;
    engine.setValueCallback([&](const QString& name) -> std::optional<QString> {
        if (name == u"Recommendation1") {
            engine.memo(QStringLiteral("recom1"))->setFontColor(drawn % 2 ? Qt::red : Qt::darkGreen);
            return QStringLiteral("verdict");
        }
        if (name == u"CardName") {
            QImage image(10 + drawn, 10, QImage::Format_RGB32);
            image.fill(Qt::blue);
            engine.picture(QStringLiteral("Picture1"))->setImage(image);
            ++drawn;
            return QStringLiteral("chart %1").arg(drawn);
        }
        return std::nullopt;
    });
    int crossCalls = 0;
    engine.setBeforePrintCallback([&](ReportObject& object) {
        if (auto* cross = dynamic_cast<CrossTabObject*>(&object)) {
            EXPECT_TRUE(cross->rows().isEmpty());
            cross->addCell(
                QStringLiteral("1"), QStringLiteral(" "), QStringLiteral("Дата"), QStringLiteral("01.02.2024"));
            ++crossCalls;
        }
    });
    engine.dataSet(QStringLiteral("frxUserDataSet1"))->setRowCount(2);
    engine.prepare(true);
    engine.prepare(false); // the cross-tab is filled afresh, not added to
    EXPECT_EQ(crossCalls, 2);
    EXPECT_EQ(drawn, 4);

    const PreparedReport& report = engine.prepared();
    std::vector<int> widths;
    std::vector<QColor> colors;
    for (const PreparedPage& page : report.pages())
        for (const DrawCmd& command : page.commands) {
            if (const auto* image = std::get_if<ImageCmd>(&command))
                widths.push_back(image->image->size().width());
            if (const auto* text = std::get_if<TextCmd>(&command); text && text->objectName == u"Recom1")
                colors.push_back(text->color);
        }
    EXPECT_EQ(widths, (std::vector<int> { 10, 11, 12, 13 }));
    EXPECT_EQ(colors,
        (std::vector<QColor> { QColor(Qt::darkGreen), QColor(Qt::red), QColor(Qt::darkGreen), QColor(Qt::red) }));
    EXPECT_TRUE(ReportLines(report).contains(QStringLiteral("page 2: 01.02.2024")));
}

// A band with row count 0 prints nothing, its header neither, and asks nothing.
TEST(ReportLayout, RowCountZeroPrintsNothing)
{
    ReportEngine engine;
    engine.loadTemplateXml(TemplateXml(QStringLiteral(R"(
<band type="header" name="OpHead" height="5"><memo name="OH" x="0" y="0" w="50" h="5">Оператор:</memo></band>
<band type="data" name="MasterData1" height="5"><memo name="Operator" x="0" y="0" w="50" h="5">[Op]</memo></band>
<band type="data" name="Lines" dataSet="frxUserDataSet1" height="5"><memo name="L" x="0" y="0" w="50" h="5">[Line]</memo></band>
<band type="data" name="After" height="5"><memo name="A" x="0" y="0" w="50" h="5">кінець</memo></band>)")),
        QStringLiteral("head.fr3"));
    CallRecorder recorder;
    recorder.attach(engine);
    engine.band(QStringLiteral("masterdata1"))->setRowCount(0);
    UserDataSet* lines = engine.dataSet(QStringLiteral("frxUserDataSet1"));
    lines->setRowCount(0);
    lines->next();
    engine.prepare(true);
    EXPECT_EQ(recorder.calls, QStringList { QStringLiteral("before:A") });
    EXPECT_EQ(lines->currentRow(), 0); // first() still resets it
    EXPECT_EQ(ReportLines(engine.prepared()), QStringList { QStringLiteral("page 1: кінець") });
    const TextCmd* last = findText(engine.prepared(), 0, QStringLiteral("A"));
    ASSERT_TRUE(last);
    EXPECT_DOUBLE_EQ(last->rectMm.top(), 10); // nothing above it
}

// A memo that stretches grows with its text, its band with it, and the "max" memos of the band
// follow so that table frames stay even; a memo that does not stretch keeps its size.
TEST(ReportLayout, TextStretch)
{
    ReportEngine engine;
    const QString longText
        = QStringLiteral("Дуже довгий текст, що не вміщується в один рядок вузької клітинки таблиці");
    engine.loadTemplateXml(TemplateXml(QStringLiteral(R"(
<band type="data" name="Row" height="5">
 <memo name="Long" x="0" y="0" w="30" h="5" stretch="actual" frame="ltrb">%1</memo>
 <memo name="Even" x="30" y="0" w="30" h="5" stretch="max" frame="ltrb">1</memo>
 <memo name="Fixed" x="60" y="0" w="30" h="5" frame="ltrb">%1</memo>
</band>
<band type="data" name="Next" height="5"><memo name="N" x="0" y="0" w="30" h="5">next</memo></band>)")
                                           .arg(longText)),
        QStringLiteral("t.fr3"));
    engine.prepare(true);
    const PreparedReport& report = engine.prepared();
    const TextCmd* stretched = findText(report, 0, QStringLiteral("Long"));
    const TextCmd* even = findText(report, 0, QStringLiteral("Even"));
    const TextCmd* fixed = findText(report, 0, QStringLiteral("Fixed"));
    const TextCmd* next = findText(report, 0, QStringLiteral("N"));
    ASSERT_TRUE(stretched && even && fixed && next);
    EXPECT_GE(stretched->lines.size(), 3);
    EXPECT_EQ(stretched->lines.join(QLatin1Char(' ')), longText);
    EXPECT_GT(stretched->rectMm.height(), 10);
    EXPECT_GE(stretched->rectMm.height(), stretched->lines.size() * stretched->lineHeightMm);
    EXPECT_DOUBLE_EQ(even->rectMm.height(), stretched->rectMm.height());
    EXPECT_DOUBLE_EQ(fixed->rectMm.height(), 5);
    EXPECT_EQ(fixed->lines.size(), 1); // cut, with a warning
    EXPECT_FALSE(report.warnings().isEmpty());
    EXPECT_DOUBLE_EQ(next->rectMm.top(), stretched->rectMm.bottom());
}

// Rows that do not fit move whole to the next page, below the page header and the repeated
// table header; a band taller than a page continues on the next one.
TEST(ReportLayout, PageBreaksRepeatHeaders)
{
    ReportEngine engine;
    engine.loadTemplateXml(TemplateXml(QStringLiteral(R"(
<band type="pageHeader" name="PH" height="10"><memo name="P" x="0" y="0" w="100" h="5">Сторінка [Page#] з [TotalPages#]</memo></band>
<band type="header" name="Head" for="Rows" height="8" repeatOnNewPage="true"><memo name="H" x="0" y="0" w="50" h="8" frame="ltrb">№</memo></band>
<band type="data" name="Rows" dataSet="frxUserDataSet1" height="10"><memo name="R" x="0" y="0" w="50" h="10" frame="ltrb">[Row]</memo></band>
<band type="data" name="Huge" height="400"><memo name="Big" x="0" y="0" w="50" h="5">huge</memo><memo name="Low" x="0" y="390" w="50" h="5">lost</memo></band>
<band type="pageFooter" name="PF" height="5"><memo name="F" x="0" y="0" w="100" h="5">footer</memo></band>)")),
        QStringLiteral("t.fr3"));
    int row = 0;
    engine.setValueCallback([&](const QString&) -> std::optional<QString> { return QString::number(++row); });
    engine.dataSet(QStringLiteral("frxUserDataSet1"))->setRowCount(60);
    engine.prepare(true);
    const PreparedReport& report = engine.prepared();
    // Body: 297 - 10 - 10 - 5 (footer) - 10 (page header) = 262 mm; 8 mm header, 25 rows of 10 mm.
    ASSERT_EQ(report.pageCount(), 4);
    EXPECT_EQ(row, 60);
    for (int p = 0; p < 3; ++p) {
        const TextCmd* header = findText(report, p, QStringLiteral("H"));
        ASSERT_TRUE(header) << p;
        EXPECT_DOUBLE_EQ(header->rectMm.top(), 20);
        const TextCmd* first = findText(report, p, QStringLiteral("R"));
        EXPECT_EQ(first->lines, QStringList { QString::number(p * 25 + 1) });
        EXPECT_DOUBLE_EQ(first->rectMm.top(), 28);
        const TextCmd* footer = findText(report, p, QStringLiteral("F"));
        ASSERT_TRUE(footer);
        EXPECT_DOUBLE_EQ(footer->rectMm.top(), 282);
        EXPECT_LE(findText(report, p, QStringLiteral("R"), p < 2 ? 24 : 9)->rectMm.bottom(), 282);
    }
    // The band taller than a page starts below the last rows and continues on the next page.
    const TextCmd* big = findText(report, 2, QStringLiteral("Big"));
    ASSERT_TRUE(big);
    EXPECT_DOUBLE_EQ(big->rectMm.top(), 128);
    const TextCmd* low = findText(report, 3, QStringLiteral("Low"));
    ASSERT_TRUE(low);
    EXPECT_DOUBLE_EQ(low->rectMm.top(), 20 + 390 - (282 - 128));
    EXPECT_FALSE(findText(report, 3, QStringLiteral("H"))); // the table is over: no header
    EXPECT_TRUE(report.warnings().isEmpty());
    EXPECT_TRUE(ReportLines(report).contains(QStringLiteral("page 4: Сторінка 4 з 4")));
}

// A band taller than a page body starts where it stands and continues on the next pages: its
// long text is cut between lines, nothing is lost or drawn outside the body, the cells beside it
// stay as tall as it on every page, and the table's header comes back above each piece.
TEST(ReportLayout, TallBandContinuesOnTheNextPages)
{
    QStringList points;
    for (int p = 1; p <= 900; ++p)
        points.append(QString::number(p * 4));
    const QString longText = points.join(QStringLiteral(" , "));
    ReportEngine engine;
    engine.loadTemplateXml(TemplateXml(QStringLiteral(R"(
<band type="pageHeader" name="PH" height="10"><memo name="P" x="0" y="0" w="100" h="5">[Page#]</memo></band>
<band type="data" name="Above" height="100"><memo name="A" x="0" y="0" w="50" h="5">above</memo></band>
<band type="header" name="Head" for="Rows" height="6" repeatOnNewPage="true"><memo name="H" x="0" y="0" w="80" h="6" frame="ltrb">Точки</memo></band>
<band type="data" name="Rows" rowCount="1" height="5">
 <memo name="Name" x="0" y="0" w="50" h="5" valign="center" frame="ltrb" stretch="max">1. Правило</memo>
 <memo name="Points" x="50" y="0" w="30" h="5" valign="center" frame="ltrb" stretch="max" padding="1">%1</memo>
</band>
<band type="data" name="After" height="5"><memo name="N" x="0" y="0" w="50" h="5">after</memo></band>
<band type="pageFooter" name="PF" height="5"><memo name="F" x="0" y="0" w="100" h="5">footer</memo></band>)")
                                           .arg(longText)),
        QStringLiteral("t.fr3"));
    engine.prepare(true);
    const PreparedReport& report = engine.prepared();
    ASSERT_GE(report.pageCount(), 3);
    EXPECT_TRUE(report.warnings().isEmpty()) << report.warnings().join(u'\n').toStdString();

    const double bodyBottom = 297 - 10 - 5;
    QStringList printed;
    for (int p = 0; p < report.pageCount(); ++p) {
        const TextCmd* piece = findText(report, p, QStringLiteral("Points"));
        ASSERT_TRUE(piece) << p;
        printed += piece->lines;
        EXPECT_LE(piece->rectMm.bottom(), bodyBottom + 1e-6) << p;
        EXPECT_LE(piece->lines.size() * piece->lineHeightMm + 2 * piece->paddingMm, piece->rectMm.height() + 1e-6) << p;
        // The header of the table above every piece; the piece below it.
        const TextCmd* header = findText(report, p, QStringLiteral("H"));
        ASSERT_TRUE(header) << p;
        EXPECT_DOUBLE_EQ(header->rectMm.bottom(), piece->rectMm.top()) << p;
        // The frame beside it as tall as the piece.
        double nameBottom = -1;
        for (const DrawCmd& command : report.page(p).commands) {
            const auto* box = std::get_if<BoxCmd>(&command);
            if (box && std::abs(box->rectMm.left() - 15) < 1e-6
                && std::abs(box->rectMm.top() - piece->rectMm.top()) < 1e-6)
                nameBottom = box->rectMm.bottom();
        }
        EXPECT_DOUBLE_EQ(nameBottom, piece->rectMm.bottom()) << p;
        if (p + 1 < report.pageCount()) { // full pages down to the body's end
            EXPECT_DOUBLE_EQ(piece->rectMm.bottom(), bodyBottom) << p;
        }
        for (const DrawCmd& command : report.page(p).commands) { // nothing over the footer
            const auto* text = std::get_if<TextCmd>(&command);
            if (text && text->objectName != u"F") {
                EXPECT_LE(text->rectMm.bottom(), bodyBottom + 1e-6) << p << " " << text->objectName.toStdString();
            }
        }
    }
    EXPECT_EQ(printed.join(QLatin1Char(' ')), longText);
    EXPECT_DOUBLE_EQ(
        findText(report, 0, QStringLiteral("Points"))->rectMm.top(), 20 + 100 + 6); // starts where it stands
    // The rule's name reads at the top of its cell, beside the first points.
    const TextCmd* name = findText(report, 0, QStringLiteral("Name"));
    ASSERT_TRUE(name);
    EXPECT_DOUBLE_EQ(name->rectMm.top(), 126);
    EXPECT_TRUE(name->alignment & Qt::AlignTop);
    const int last = report.pageCount() - 1;
    const TextCmd* after = findText(report, last, QStringLiteral("N"));
    ASSERT_TRUE(after);
    EXPECT_DOUBLE_EQ(after->rectMm.top(), findText(report, last, QStringLiteral("Points"))->rectMm.bottom());
}

// A grid whose row 0 names its columns (the details grids) prints that row again at the top of
// every page it continues on, from its one fill, and never leaves it alone at a page's foot.
TEST(ReportLayout, HeaderRowsRepeatOnEveryPage)
{
    ReportEngine engine;
    engine.loadTemplateXml(TemplateXml(QStringLiteral(R"(
<band type="pageHeader" name="PH" height="10"><memo name="P" x="0" y="0" w="100" h="5">[Page#]</memo></band>
<band type="data" name="Above" height="245"><memo name="A" x="0" y="0" w="50" h="5">above</memo></band>
<band type="data" name="Grid" dataSet="frxUserDataSet2" headerRows="1" height="10"><memo name="R" x="0" y="0" w="50" h="10" frame="ltrb">[Row]</memo></band>
<band type="data" name="After" height="5"><memo name="N" x="0" y="0" w="50" h="5">after</memo></band>
<band type="pageFooter" name="PF" height="5"><memo name="F" x="0" y="0" w="100" h="5">footer</memo></band>)")),
        QStringLiteral("t.fr3"));
    UserDataSet* rows = engine.dataSet(QStringLiteral("frxUserDataSet2"));
    QStringList asked;
    engine.setValueCallback([&](const QString& name) -> std::optional<QString> {
        if (name != u"Row")
            return std::nullopt;
        asked.append(QString::number(rows->currentRow()));
        return rows->currentRow() == 0 ? QStringLiteral("Номер") : QString::number(rows->currentRow());
    });
    rows->setRowCount(60);
    engine.prepare(true);
    const PreparedReport& report = engine.prepared();
    EXPECT_EQ(asked.size(), 60); // each row filled once
    // Body 262 mm: 12 mm left below "Above" cannot take the header row with a row after it.
    ASSERT_EQ(report.pageCount(), 4) << textDump(report).toStdString();
    EXPECT_FALSE(findText(report, 0, QStringLiteral("R")));
    int next = 1;
    for (int p = 1; p < 4; ++p) {
        const TextCmd* header = findText(report, p, QStringLiteral("R"));
        ASSERT_TRUE(header) << p;
        EXPECT_EQ(header->lines, QStringList { QStringLiteral("Номер") }) << p;
        EXPECT_DOUBLE_EQ(header->rectMm.top(), 20) << p;
        const TextCmd* first = findText(report, p, QStringLiteral("R"), 1);
        ASSERT_TRUE(first) << p;
        EXPECT_EQ(first->lines, QStringList { QString::number(next) }) << p;
        EXPECT_DOUBLE_EQ(first->rectMm.top(), 30) << p;
        next += 25;
    }
    // Over after the grid: the next band is no row of it.
    const TextCmd* after = findText(report, 3, QStringLiteral("N"));
    ASSERT_TRUE(after);
    EXPECT_DOUBLE_EQ(after->rectMm.top(), 30 + 9 * 10);
    EXPECT_TRUE(report.warnings().isEmpty()) << report.warnings().join(u'\n').toStdString();
}

// "Page n of m" counts the whole report assembled from several templates, without laying out
// anything twice; prepare(true) starts again; a section may continue on the previous page.
TEST(ReportLayout, PageNumbersAcrossSeveralPrepares)
{
    ReportEngine engine;
    const QString header = QStringLiteral(
        "<band type=\"pageHeader\" name=\"PH\" height=\"6\"><memo name=\"P\" x=\"0\" y=\"0\" w=\"100\" h=\"5\">"
        "Сторінка [Page#] з [TotalPages#]</memo></band>");
    const QByteArray twoPages = TemplateXml(header
        + QStringLiteral("<band type=\"data\" name=\"D\" rowCount=\"2\" height=\"200\">"
                         "<memo name=\"X\" x=\"0\" y=\"0\" w=\"50\" h=\"5\">[X]</memo></band>"));
    const QByteArray continued = TemplateXml(header
            + QStringLiteral("<band type=\"data\" name=\"D\" height=\"20\">"
                             "<memo name=\"Y\" x=\"0\" y=\"0\" w=\"50\" h=\"5\">[Y]</memo></band>"),
        QStringLiteral("printOnPreviousPage=\"true\""));
    CallRecorder recorder;
    recorder.attach(engine);
    engine.loadTemplateXml(twoPages, QStringLiteral("a.fr3"));
    engine.prepare(true);
    engine.prepare(false);
    engine.loadTemplateXml(continued, QStringLiteral("b.fr3"));
    engine.prepare(false);
    const PreparedReport& report = engine.prepared();
    ASSERT_EQ(report.pageCount(), 4);
    EXPECT_EQ(recorder.calls.count(QStringLiteral("value:X")), 4);
    EXPECT_EQ(recorder.calls.count(QStringLiteral("value:Y")), 1);
    const QStringList lines = ReportLines(report);
    for (int p = 1; p <= 4; ++p)
        EXPECT_TRUE(lines.contains(QStringLiteral("page %1: Сторінка %1 з 4").arg(p))) << p;
    EXPECT_TRUE(lines.contains(QStringLiteral("page 4: <Y>"))); // continued below the last rows
    EXPECT_FALSE(textDump(report).isEmpty());
    EXPECT_TRUE(textDump(report).contains(QStringLiteral("Сторінка 3 з 4")));

    engine.loadTemplateXml(twoPages, QStringLiteral("a.fr3"));
    engine.prepare(true);
    EXPECT_EQ(engine.prepared().pageCount(), 2);
    EXPECT_TRUE(ReportLines(engine.prepared()).contains(QStringLiteral("page 2: Сторінка 2 з 2")));
}

// A callback that throws (the chart drawing's silent abort) leaves the report as it was.
TEST(ReportLayout, FailingCallbackDropsTheSection)
{
    ReportEngine engine;
    engine.loadTemplateXml(
        TemplateXml(QStringLiteral("<band type=\"data\" name=\"D\" rowCount=\"30\" height=\"20\">"
                                   "<memo name=\"X\" x=\"0\" y=\"0\" w=\"50\" h=\"5\">[X]</memo></band>")),
        QStringLiteral("a.fr3"));
    int calls = 0;
    engine.setValueCallback([&](const QString&) -> std::optional<QString> {
        if (++calls == 45)
            throw std::runtime_error("aborted");
        return QStringLiteral("x");
    });
    engine.prepare(true);
    const QString before = textDump(engine.prepared());
    EXPECT_THROW(engine.prepare(false), std::runtime_error);
    EXPECT_EQ(textDump(engine.prepared()), before);
}
