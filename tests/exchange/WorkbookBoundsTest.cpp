// Workbooks made to exhaust the reader: parts that inflate to gigabytes, sheets that claim a
// billion rows or columns, XML tricks, and cells that refer to texts that are not there. Each is
// refused with a message before it costs anything, or read exactly as it stands.
#include "ExchangeTestSupport.h"
#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"
#include "exchange/ImportSession.h"
#include "exchange/ImportSource.h"
#include "exchange/TableImport.h"
#include "exchange/Workbook.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

constexpr qint64 TwoGigabytes = 2ll * 1024 * 1024 * 1024;

const QByteArray XmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
const QByteArray SheetHead
    = XmlHead + "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
const QByteArray SheetTail = "</sheetData></worksheet>";
const QByteArray OdsHead = XmlHead
    + "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
      "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
      "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:spreadsheet>"
      "<table:table table:name=\"Дані\">";
const QByteArray OdsTail = "</table:table></office:spreadsheet></office:body></office:document-content>";

// The parts around a one-sheet XLSX's sheet.
std::vector<std::pair<QString, QByteArray>> XlsxFrame(const QByteArray& sharedStrings = {})
{
    std::vector<std::pair<QString, QByteArray>> parts {
        { QStringLiteral("xl/workbook.xml"),
            XmlHead
                + "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheets>"
                  "<sheet name=\"Дані\" sheetId=\"1\"/></sheets></workbook>" },
    };
    if (!sharedStrings.isEmpty())
        parts.push_back({ QStringLiteral("xl/sharedStrings.xml"), sharedStrings });
    return parts;
}

QString WriteXlsxSheet(
    const QTemporaryDir& dir, const QString& name, const QByteArray& rows, const QByteArray& sharedStrings = {})
{
    const QString path = dir.filePath(name);
    auto parts = XlsxFrame(sharedStrings);
    parts.push_back({ QStringLiteral("xl/worksheets/sheet1.xml"), SheetHead + rows + SheetTail });
    return WriteZip(path, parts) ? path : QString();
}

QString WriteOds(const QTemporaryDir& dir, const QString& name, const QByteArray& rows)
{
    const QString path = dir.filePath(name);
    return WriteZip(path,
               { { QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.spreadsheet" },
                   { QStringLiteral("content.xml"), OdsHead + rows + OdsTail } })
        ? path
        : QString();
}

QString Cells(const SourceTable& table)
{
    QStringList rows;
    for (int r = 0; r < table.RowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < table.CellCount(r); ++c)
            cells << table.Cell(r, c).toString();
        rows << QStringLiteral("%1: %2").arg(table.Line(r)).arg(cells.join(u'|'));
    }
    return rows.join(u'\n');
}

struct CliRun {
    int Exit = -1;
    QString Err;
    QString Out;
};

CliRun Import(const QString& in, const QString& out)
{
    QProcess process;
    process.start(QStringLiteral(MERIDAN_CLI), { QStringLiteral("import"), in, QStringLiteral("-o"), out });
    CliRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.Exit = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.Err = QString::fromUtf8(process.readAllStandardError());
    run.Out = QString::fromUtf8(process.readAllStandardOutput());
    return run;
}

} // namespace

TEST(WorkbookBounds, PartsThatInflateToGigabytesAreRefusedUnread)
{
    QTemporaryDir dir;
    struct Case {
        const char* File;
        bool Ods;
        RepeatedPart Part;
    };
    const Case cases[] = {
        { "zeros.xlsx", false,
            { QStringLiteral("xl/worksheets/sheet1.xml"), SheetHead, QByteArray(1, '\0'), TwoGigabytes, SheetTail } },
        { "rows.xlsx", false,
            { QStringLiteral("xl/worksheets/sheet1.xml"), SheetHead + "<row r=\"1\"><c><v>1</v></c></row>", "<row/>",
                TwoGigabytes / 6, SheetTail } },
        { "strings.xlsx", false,
            { QStringLiteral("xl/sharedStrings.xml"), XmlHead + "<sst>", "<si><t>текст</t></si>", TwoGigabytes / 30,
                "</sst>" } },
        { "rows.ods", true,
            { QStringLiteral("content.xml"),
                OdsHead
                    + "<table:table-row><table:table-cell office:value-type=\"float\" office:value=\"1\"/>"
                      "</table:table-row>",
                "<table:table-row/>", TwoGigabytes / 18, OdsTail } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.File);
        const QString path = dir.filePath(QString::fromLatin1(c.File));
        std::vector<std::pair<QString, QByteArray>> parts;
        if (c.Ods) {
            parts = { { QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.spreadsheet" } };
        } else {
            parts = XlsxFrame();
            if (!c.Part.Name.endsWith(u"sheet1.xml"))
                parts.push_back({ QStringLiteral("xl/worksheets/sheet1.xml"), SheetHead + SheetTail });
        }
        ASSERT_TRUE(WriteZipWithRepeatedPart(path, parts, c.Part));
        EXPECT_LT(QFileInfo(path).size(), 20 * 1024 * 1024);

        const LoadedSource source = LoadSource(path, {});
        EXPECT_TRUE(source.Error.contains(QStringLiteral("розпаковується"))) << source.Error.toStdString();
        EXPECT_TRUE(source.Error.contains(c.Part.Name)) << source.Error.toStdString();
        EXPECT_EQ(source.Table.RowCount(), 0);
    }
}

TEST(WorkbookBounds, HugeClaimsAreReadExactlyOrRefused)
{
    QTemporaryDir dir;
    struct Case {
        const char* Name;
        bool Ods;
        QByteArray Rows;
        const char* Cells; // read exactly; empty when refused
        const char* Error; // part of the message when refused
    };
    const Case cases[] = {
        { "dimension of a whole sheet", false,
            "<dimension ref=\"A1:XFD1048576\"/><row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"
            "<row r=\"1048576\"><c r=\"XFD1048576\"><v>2</v></c></row>",
            "", nullptr },
        { "row a billion down", false, "<row r=\"1000000000\"><c><v>1</v></c></row>", nullptr, "рядок 1000000000" },
        { "row past the 64-bit range", false, "<row r=\"99999999999999999999\"><c><v>1</v></c></row>", "1: 1",
            nullptr },
        { "column one past XFD", false, "<row r=\"3\"><c r=\"XFE3\"><v>1</v></c></row>", nullptr,
            "у рядку 3 є стовпець 16385" },
        { "column letters without end", false, "<row r=\"1\"><c r=\"ZZZZZZZZZZZZZZZZ1\"><v>1</v></c></row>", nullptr,
            "стовпець" },
        { "a billion blank rows at the end", true,
            "<table:table-row><table:table-cell office:value-type=\"float\" office:value=\"5\"/></table:table-row>"
            "<table:table-row table:number-rows-repeated=\"1000000000\"><table:table-cell "
            "table:number-columns-repeated=\"1000000000\"/></table:table-row>",
            "1: 5", nullptr },
        { "a row after a billion blank rows", true,
            "<table:table-row table:number-rows-repeated=\"1000000000\"><table:table-cell/></table:table-row>"
            "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>x</text:p></table:table-cell>"
            "</table:table-row>",
            nullptr, "рядків в аркуші щонайбільше 1048576" },
        { "a row of data repeated a billion times", true,
            "<table:table-row table:number-rows-repeated=\"1000000000\"><table:table-cell "
            "office:value-type=\"float\" office:value=\"5\"/></table:table-row>",
            nullptr, "рядок 1000000000" },
        { "a value repeated across a billion columns", true,
            "<table:table-row><table:table-cell table:number-columns-repeated=\"1000000000\" "
            "office:value-type=\"float\" office:value=\"5\"/></table:table-row>",
            nullptr, "стовпець 1000000000" },
        { "repeats at the 64-bit limit", true,
            "<table:table-row table:number-rows-repeated=\"9223372036854775807\"><table:table-cell "
            "table:number-columns-repeated=\"9223372036854775807\"/><table:table-cell office:value-type=\"float\" "
            "office:value=\"5\"/></table:table-row>",
            nullptr, "стовпець 16385" },
        // Found by fuzzing (slow under the sanitizers, not stuck): a million rows made, then the XML breaks.
        { "a million rows, then damage", true,
            "<table:table-row table:number-rows-repeated=\"1048570\"><table:table-cell office:value-type=\"float\" "
            "office:value=\"5\"/></table:table-row><table:table-row table:number-rows-repeated=\"1048e-row>",
            nullptr, "пошкоджений" },
        { "a full row repeated past the cell budget", true,
            "<table:table-row table:number-rows-repeated=\"1000\"><table:table-cell "
            "table:number-columns-repeated=\"16384\" office:value-type=\"float\" office:value=\"5\"/>"
            "</table:table-row>",
            nullptr, "клітинок" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const QString path = c.Ods ? WriteOds(dir, QStringLiteral("claim.ods"), c.Rows)
                                   : WriteXlsxSheet(dir, QStringLiteral("claim.xlsx"), c.Rows);
        ASSERT_FALSE(path.isEmpty());
        const LoadedSource source = LoadSource(path, {});
        if (c.Error) {
            EXPECT_TRUE(source.Error.contains(QString::fromUtf8(c.Error))) << source.Error.toStdString();
            EXPECT_EQ(source.Table.RowCount(), 0);
        } else if (QByteArray(c.Cells).isEmpty()) {
            EXPECT_TRUE(source.Error.isEmpty()) << source.Error.toStdString();
            // The whole-sheet claim: the two cells there, the last one 16383 empty cells along.
            ASSERT_EQ(source.Table.RowCount(), 2);
            EXPECT_EQ(source.Table.Line(1), 1048576);
            EXPECT_EQ(source.Table.CellCount(1), 16384);
            EXPECT_EQ(source.Table.Cell(1, 16383), u"2");
        } else {
            EXPECT_TRUE(source.Error.isEmpty()) << source.Error.toStdString();
            EXPECT_EQ(Cells(source.Table), QString::fromUtf8(c.Cells));
        }
    }
}

TEST(WorkbookBounds, XmlTricksAreRefused)
{
    QTemporaryDir dir;
    QByteArray laughs = "<!DOCTYPE worksheet [<!ENTITY a \"hahahahahahahahahaha\">";
    for (char e = 'b'; e <= 'j'; ++e)
        laughs += QByteArray("<!ENTITY ") + e + " \""
            + QByteArray(10, '&').replace("&", QByteArray("&") + char(e - 1) + ";") + "\">";
    laughs += "]>";
    QByteArray deep = "<row r=\"1\"><c><v>1</v></c></row>";
    deep += QByteArray(300, 'x').replace("x", "<x>") + QByteArray(300, 'x').replace("x", "</x>");
    // A comment of 5 MB that does not compress: the reader would hold all of it at once.
    QByteArray noise(5 * 1024 * 1024, 'a');
    quint32 random = 7;
    for (char& byte : noise) {
        random = random * 1103515245u + 12345u;
        byte = char('a' + (random >> 16) % 26);
    }
    struct Case {
        const char* Name;
        QByteArray Sheet;
        const char* Error;
    };
    const Case cases[] = {
        { "billion laughs",
            XmlHead + laughs + "<worksheet><sheetData><row><c t=\"str\"><v>&j;</v></c></row>" + SheetTail, "DTD" },
        { "external entity",
            XmlHead + "<!DOCTYPE worksheet [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
                + "<worksheet><sheetData><row><c t=\"str\"><v>&x;</v></c></row>" + SheetTail,
            "DTD" },
        { "undeclared entity", SheetHead + "<row><c t=\"str\"><v>&x;</v></c></row>" + SheetTail, "" },
        { "nesting 300 deep", SheetHead + deep + SheetTail, "глибше" },
        { "a comment of 5 MB", SheetHead + "<!--" + noise + "-->" + SheetTail, "довший за 4" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const QString path = dir.filePath(QStringLiteral("tricks.xlsx"));
        QFile::remove(path);
        auto parts = XlsxFrame();
        parts.push_back({ QStringLiteral("xl/worksheets/sheet1.xml"), c.Sheet });
        ASSERT_TRUE(WriteZip(path, parts));
        const LoadedSource source = LoadSource(path, {});
        EXPECT_FALSE(source.Error.isEmpty());
        EXPECT_TRUE(source.Error.contains(QString::fromUtf8(c.Error))) << source.Error.toStdString();
        EXPECT_EQ(source.Table.RowCount(), 0);
    }
    // The workbook part is held to the same rules.
    const QString path = dir.filePath(QStringLiteral("book.xlsx"));
    ASSERT_TRUE(WriteZip(path,
        { { QStringLiteral("xl/workbook.xml"),
              XmlHead + laughs + "<workbook><sheets><sheet name=\"&j;\"/></sheets></workbook>" },
            { QStringLiteral("xl/worksheets/sheet1.xml"), SheetHead + SheetTail } }));
    EXPECT_TRUE(ReadWorkbookSheetNames(path).Error.contains(u"DTD"));
    EXPECT_TRUE(ReadWorkbookSheetNames(path).Names.isEmpty());
}

TEST(WorkbookBounds, UnreadableCellsAreListedAsBadRows)
{
    QTemporaryDir dir;
    const QByteArray strings
        = XmlHead + "<sst><si><t>Маса</t></si><si><t>" + QByteArray(40000, '7') + "</t></si></sst>";
    const QByteArray rows = "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>"
                            "<row r=\"2\"><c r=\"A2\"><v>1.5</v></c></row>"
                            "<row r=\"3\"><c r=\"A3\" t=\"s\"><v>99</v></c></row>"
                            "<row r=\"4\"><c r=\"A4\" t=\"s\"><v>-1</v></c></row>"
                            "<row r=\"5\"><c r=\"A5\" t=\"s\"><v>один</v></c></row>"
                            "<row r=\"6\"><c r=\"A6\" t=\"s\"><v>1</v></c></row>"
                            "<row r=\"7\"><c r=\"A7\" t=\"inlineStr\"><is><t>"
        + QByteArray(40000, '8') + "</t></is></c></row><row r=\"8\"><c r=\"A8\"><v>2.5</v></c></row>";
    const QString path = WriteXlsxSheet(dir, QStringLiteral("посилання.xlsx"), rows, strings);
    ASSERT_FALSE(path.isEmpty());
    const LoadedSource source = LoadSource(path, {});
    ASSERT_TRUE(source.Error.isEmpty()) << source.Error.toStdString();
    EXPECT_EQ(Cells(source.Table),
        QStringLiteral("1: Маса\n2: 1.5\n3: #ПОМИЛКА: немає спільного тексту №99\n"
                       "4: #ПОМИЛКА: немає спільного тексту №-1\n5: #ПОМИЛКА: немає спільного тексту №один\n"
                       "6: #ПОМИЛКА: текст понад 32767 символів\n7: #ПОМИЛКА: текст понад 32767 символів\n8: 2.5"));

    ImportChoice choice;
    choice.ValueColumns = { 0 };
    choice.HeaderRow = true;
    const ImportPlan plan = PlanImport(source.Table, choice);
    ASSERT_TRUE(plan.Error.isEmpty());
    EXPECT_EQ(BadRowLines(plan.BadRows),
        (QStringList { "Рядок 3: «#ПОМИЛКА: немає спільного тексту №99» не є числом",
            "Рядок 4: «#ПОМИЛКА: немає спільного тексту №-1» не є числом",
            "Рядок 5: «#ПОМИЛКА: немає спільного тексту №один» не є числом",
            "Рядок 6: «#ПОМИЛКА: текст понад 32767 символів» не є числом",
            "Рядок 7: «#ПОМИЛКА: текст понад 32767 символів» не є числом" }));
}

TEST(WorkbookBounds, RefusedWorkbookLeavesTheDocumentAsItWas)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bomb.xlsx"));
    ASSERT_TRUE(WriteZipWithRepeatedPart(path, XlsxFrame(),
        { QStringLiteral("xl/worksheets/sheet1.xml"), SheetHead, "<row/>", TwoGigabytes / 6, SheetTail }));
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, 0, { { { "1" }, { "2" }, { "3" } } });
    ImportSession session;
    EXPECT_FALSE(session.Open(path));
    EXPECT_FALSE(session.Error().isEmpty());
    EXPECT_FALSE(session.CanImport());
    EXPECT_FALSE(session.Apply(doc));
    EXPECT_EQ(doc.PointCount(), 3);
    EXPECT_EQ(doc.ValueText(2, 0), u"2");
    EXPECT_FALSE(doc.Changed());
}

// The whole import as the user runs it: the bomb refused, nothing written; the unreadable cells
// listed while the rest is imported.
TEST(WorkbookBounds, ImportCommandRefusesBombsAndListsUnreadableCells)
{
    QTemporaryDir dir;
    const QString bomb = dir.filePath(QStringLiteral("bomb.ods"));
    ASSERT_TRUE(WriteZipWithRepeatedPart(bomb,
        { { QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.spreadsheet" } },
        { QStringLiteral("content.xml"), OdsHead, "<table:table-row/>", TwoGigabytes / 18, OdsTail }));
    const QString out = dir.filePath(QStringLiteral("out.mrd"));
    CliRun run = Import(bomb, out);
    EXPECT_EQ(run.Exit, 1);
    EXPECT_TRUE(run.Err.contains(QStringLiteral("частина «content.xml» розпаковується"))) << run.Err.toStdString();
    EXPECT_FALSE(QFile::exists(out));

    const QString missing = WriteXlsxSheet(dir, QStringLiteral("missing.xlsx"),
        "<row r=\"1\"><c t=\"s\"><v>0</v></c></row><row r=\"2\"><c t=\"s\"><v>5</v></c></row>",
        XmlHead + "<sst><si><t>4.5</t></si></sst>");
    run = Import(missing, out);
    EXPECT_EQ(run.Exit, 0) << run.Err.toStdString();
    EXPECT_TRUE(run.Err.contains(QStringLiteral("Рядок 2: «#ПОМИЛКА: немає спільного тексту №5» не є числом")))
        << run.Err.toStdString();
    EXPECT_TRUE(run.Out.contains(QStringLiteral("рядків з помилками: 1"))) << run.Out.toStdString();
}
