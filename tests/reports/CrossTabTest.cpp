#include "EngineTestSupport.h"

#include "reports/PageRenderer.h"
#include "reports/ReportEngine.h"

#include <gtest/gtest.h>

using namespace rpt;

// Cells are grouped by equal headers in the order added: no sorting ("10" stays after "2"), and
// headers compared exactly, so blank upper headers of different lengths stay separate groups.
TEST(CrossTab, GroupsInInsertionOrderComparingHeadersExactly)
{
    CrossTabObject cross;
    const QStringList blanks = { "  ", "   ", "     " };
    for (const QString& row :
        { QStringLiteral("2"), QStringLiteral("10"), QStringLiteral("Розділювач № 1 точок 1-2") }) {
        cross.addCell(row, QStringLiteral(" "), QStringLiteral("Дата"), QStringLiteral("d") + row);
        cross.addCell(row, QStringLiteral("Значення"), QStringLiteral("X1"), QStringLiteral("a") + row);
        cross.addCell(row, QStringLiteral("Значення"), QStringLiteral("X2"), QStringLiteral("b") + row);
        for (int c = 0; c < blanks.size(); ++c)
            cross.addCell(row, blanks[c], QStringLiteral("S%1").arg(c), QStringLiteral("s%1").arg(c));
    }
    // A lower header that turns up late joins its own group, not the end of the table.
    cross.addCell(QStringLiteral("2"), QStringLiteral("Значення"), QStringLiteral("X3"), QStringLiteral("late"));
    cross.addCell(QStringLiteral("2"), QStringLiteral("Значення"), QStringLiteral("X1"), QStringLiteral("again"));

    EXPECT_EQ(cross.rows(), (QStringList { "2", "10", "Розділювач № 1 точок 1-2" }));
    QStringList columns;
    for (const CrossTabColumn& column : cross.columns())
        columns.append(QStringLiteral("[%1]%2").arg(column.upper, column.lower));
    EXPECT_EQ(columns,
        (QStringList { "[ ]Дата", "[Значення]X1", "[Значення]X2", "[Значення]X3", "[  ]S0", "[   ]S1", "[     ]S2" }));
    EXPECT_EQ(cross.cell(0, 1), QStringLiteral("again")); // the last value wins
    EXPECT_EQ(cross.cell(0, 3), QStringLiteral("late"));
    EXPECT_EQ(cross.cell(1, 3), QString());
    EXPECT_EQ(cross.cell(2, 6), QStringLiteral("s2"));
    cross.clearCells();
    EXPECT_TRUE(cross.rows().isEmpty());
    EXPECT_TRUE(cross.columns().empty());
}

namespace {
struct Cell {
    int page;
    QRectF rect;
    QString text;
};
std::vector<Cell> crossCells(const PreparedReport& report)
{
    std::vector<Cell> cells;
    for (int p = 0; p < report.pageCount(); ++p)
        for (const DrawCmd& command : report.page(p).commands)
            if (const auto* text = std::get_if<TextCmd>(&command); text && text->objectName == u"Cross1")
                cells.push_back(Cell { p, text->rectMm, text->lines.join(u' ') });
    return cells;
}
}

// 25 values per subgroup give 1 + 25 + 6 columns, far too many for 190 mm: the table is cut into
// chunks that fit (a column group kept whole), each printed down the pages with its header rows
// repeated, then the next chunk.
TEST(CrossTab, SplitsAcrossThePageWidthAndRepeatsHeaders)
{
    ReportEngine engine;
    engine.loadTemplateXml(TemplateXml(QStringLiteral(R"(
<band type="pageHeader" name="PH" height="10"><memo name="P" x="0" y="0" w="100" h="5">[Page#]</memo></band>
<band type="data" name="MasterData1" rowCount="1" height="10">
 <memo name="Title" x="0" y="0" w="190" h="6" bold="true">Таблиця даних</memo>
 <crosstab name="Cross1" x="0" y="6" w="190" fontSize="7" minColWidth="8" maxColWidth="30" rowHeaderTitle="№"/>
</band>)")),
        QStringLiteral("group.fr3"));
    const int rows = 80;
    const QList<int> blankLengths = { 2, 3, 5, 7, 6, 4 };
    engine.setBeforePrintCallback([&](ReportObject& object) {
        auto* cross = dynamic_cast<CrossTabObject*>(&object);
        if (!cross)
            return;
        for (int r = 1; r <= rows; ++r) {
            const QString row = QString::number(r);
            cross->addCell(row, QStringLiteral(" "), QStringLiteral("Дата"), QStringLiteral("01.02.2024"));
            for (int c = 1; c <= 25; ++c)
                cross->addCell(row, QStringLiteral("Результати вимірювань"), QStringLiteral("X%1").arg(c),
                    QStringLiteral("%1,%2").arg(r).arg(c));
            for (int s = 0; s < 6; ++s)
                cross->addCell(row, QString(blankLengths[s], u' '), QStringLiteral("Стат %1").arg(s),
                    QStringLiteral("s%1").arg(s));
        }
    });
    engine.prepare(true);
    const PreparedReport& report = engine.prepared();
    const std::vector<Cell> cells = crossCells(report);

    // Nothing goes past the right margin; every row header of every chunk is printed.
    for (const Cell& cell : cells)
        EXPECT_LE(cell.rect.right(), 205.0 + 1e-6) << cell.text.toStdString();
    const auto count = [&](const QString& text) {
        return std::count_if(cells.begin(), cells.end(), [&](const Cell& c) { return c.text == text; });
    };
    const long chunks = count(QStringLiteral("80")); // the last row header, once per chunk
    EXPECT_GE(chunks, 2);
    EXPECT_GT(count(QStringLiteral("№")), chunks); // headers repeated on continued pages
    EXPECT_GE(count(QStringLiteral("X25")), 1);
    EXPECT_GE(count(QStringLiteral("Стат 5")), 1);
    EXPECT_EQ(count(QStringLiteral("80,25")), 1);
    EXPECT_EQ(count(QStringLiteral("s5")), rows);
    // Each page with cells starts with the header rows (repeated on continued pages).
    std::vector<int> pagesWithRows(size_t(report.pageCount()), 0), pagesWithHeader(size_t(report.pageCount()), 0);
    for (const Cell& cell : cells) {
        if (cell.text == u"№")
            pagesWithHeader[size_t(cell.page)]++;
        if (cell.text == u"1" || cell.text == u"40" || cell.text == u"80")
            pagesWithRows[size_t(cell.page)]++;
    }
    for (int p = 0; p < report.pageCount(); ++p) {
        if (pagesWithRows[size_t(p)]) {
            EXPECT_GE(pagesWithHeader[size_t(p)], 1) << "page " << p + 1;
        }
    }
    EXPECT_GE(report.pageCount(), 2); // 80 rows do not fit one page

    // The "Результати вимірювань" group is kept whole in a chunk when it fits; the blank groups
    // print their lower headers over both header rows.
    const auto findCell = [&](const QString& text) {
        return *std::find_if(cells.begin(), cells.end(), [&](const Cell& c) { return c.text == text; });
    };
    const Cell stat = findCell(QStringLiteral("Стат 0"));
    const Cell x1 = findCell(QStringLiteral("X1"));
    EXPECT_GT(stat.rect.height(), x1.rect.height());

    if (qEnvironmentVariableIsSet("MERIDAN_REPORT_PNG")) // to look at by hand
        for (int p = 0; p < report.pageCount(); ++p)
            PageRenderer(report).renderImage(p, 100).save(
                QStringLiteral("%1/cross%2.png").arg(qEnvironmentVariable("MERIDAN_REPORT_PNG")).arg(p + 1));
}
