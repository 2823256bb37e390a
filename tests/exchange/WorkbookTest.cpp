#include "exchange/Workbook.h"
#include "ExchangeTestSupport.h"
#include "common/TestSupport.h"
#include "exchange/ImportSource.h"

#include <QFile>
#include <QTemporaryDir>
#include <xlsxwriter.h>

namespace {

QStringList RowCells(const SourceTable& table, int row)
{
    QStringList cells;
    for (int c = 0; c < table.CellCount(row); ++c)
        cells << table.Cell(row, c).toString();
    return cells;
}

// A workbook as a spreadsheet program saves one: a first sheet of notes, then the data with a
// header, formatted numbers, a date, a number typed as text, a gap row and a gap column.
bool WriteXlsx(const QString& path)
{
    lxw_workbook* workbook = workbook_new(QFile::encodeName(path).constData());
    if (!workbook)
        return false;
    lxw_worksheet* notes = workbook_add_worksheet(workbook, "Примітки");
    worksheet_write_string(notes, 0, 0, "не дані", nullptr);
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "Дані");
    lxw_format* three = workbook_add_format(workbook);
    format_set_num_format(three, "0.000");
    lxw_format* date = workbook_add_format(workbook);
    format_set_num_format(date, "dd.mm.yyyy");
    worksheet_write_string(sheet, 0, 0, "Дата", nullptr);
    worksheet_write_string(sheet, 0, 1, "Маса", nullptr);
    worksheet_write_string(sheet, 0, 3, "Примітка", nullptr);
    worksheet_write_number(sheet, 1, 0, 45327, date); // 05.02.2024
    worksheet_write_number(sheet, 1, 1, 74.03, three);
    worksheet_write_string(sheet, 1, 3, "перша, \"свіжа\"", nullptr);
    worksheet_write_number(sheet, 2, 0, 45328.5, date);
    worksheet_write_number(sheet, 2, 1, 0.1 + 0.2, nullptr); // written as 0.3 (%.16G)
    worksheet_write_string(sheet, 4, 1, "1,5", nullptr);
    worksheet_write_number(sheet, 5, 1, -2e-7, nullptr);
    return workbook_close(workbook) == LXW_NO_ERROR;
}

} // namespace

TEST(Workbook, XlsxWrittenByLibxlsxwriterReadsBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("книга.xlsx"));
    ASSERT_TRUE(WriteXlsx(path));
    EXPECT_EQ(DetectWorkbook(path), WorkbookKind::Xlsx);
    EXPECT_EQ(ReadWorkbookSheetNames(path).Names, (QStringList { "Примітки", "Дані" }));

    SourceOptions options;
    options.Sheet = QStringLiteral("Дані");
    const LoadedSource source = LoadSource(path, options);
    ASSERT_TRUE(source.Error.isEmpty()) << source.Error.toStdString();
    EXPECT_TRUE(source.Workbook);
    EXPECT_EQ(source.SheetIndex, 1);
    EXPECT_FALSE(source.Decimal().has_value());
    const SourceTable& table = source.Table;
    ASSERT_EQ(table.RowCount(), 5);
    EXPECT_EQ(RowCells(table, 0), (QStringList { "Дата", "Маса", "", "Примітка" }));
    EXPECT_EQ(RowCells(table, 1), (QStringList { "05.02.2024", "74.030", "", "перша, \"свіжа\"" }));
    EXPECT_EQ(RowCells(table, 2), (QStringList { "06.02.2024 12:00", "0.3" }));
    EXPECT_EQ(RowCells(table, 3), (QStringList { "", "1,5" }));
    EXPECT_EQ(RowCells(table, 4), (QStringList { "", "-2e-07" }));
    EXPECT_EQ(table.Line(3), 5); // the sheet's row number, past the gap
    EXPECT_EQ(table.ColumnCount(), 4);

    // By number; the first sheet without a choice; no such sheet.
    options.Sheet = QStringLiteral("2");
    EXPECT_EQ(LoadSource(path, options).Table.RowCount(), 5);
    EXPECT_EQ(RowCells(LoadSource(path, {}).Table, 0), (QStringList { "не дані" }));
    options.Sheet = QStringLiteral("3");
    EXPECT_FALSE(LoadSource(path, options).Error.isEmpty());
}

TEST(Workbook, OdsWrittenByHandReadsBack)
{
    const QByteArray content = R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
  xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
  xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.2">
 <office:body><office:spreadsheet>
  <table:table table:name="Перший"><table:table-row><table:table-cell office:value-type="string"><text:p>інше</text:p></table:table-cell></table:table-row></table:table>
  <table:table table:name="Вимірювання">
   <table:table-column table:number-columns-repeated="3"/>
   <table:table-header-rows>
    <table:table-row>
     <table:table-cell office:value-type="string"><text:p>Дата</text:p></table:table-cell>
     <table:table-cell office:value-type="string"><text:p>X1</text:p></table:table-cell>
     <table:table-cell office:value-type="string"><text:p>X2</text:p></table:table-cell>
    </table:table-row>
   </table:table-header-rows>
   <table:table-row>
    <table:table-cell office:value-type="date" office:date-value="2024-02-05"><text:p>05.02.24</text:p></table:table-cell>
    <table:table-cell office:value-type="float" office:value="1.25"><text:p>1,250</text:p></table:table-cell>
    <table:table-cell office:value-type="float" office:value="0.3333333333333333"><text:p>0,33</text:p></table:table-cell>
   </table:table-row>
   <table:table-row table:number-rows-repeated="2">
    <table:table-cell table:number-columns-repeated="2" office:value-type="float" office:value="7"><text:p>7</text:p></table:table-cell>
    <table:table-cell office:value-type="string"><text:p>a<text:s text:c="2"/>b</text:p><text:p>c</text:p></table:table-cell>
   </table:table-row>
   <table:table-row table:number-rows-repeated="1048570"><table:table-cell table:number-columns-repeated="1024"/></table:table-row>
   <table:table-row>
    <table:table-cell table:number-columns-repeated="2"/>
    <table:table-cell office:value-type="float" office:value="9"><text:p>9</text:p></table:table-cell>
   </table:table-row>
  </table:table>
 </office:spreadsheet></office:body>
</office:document-content>)";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("вимірювання.ods"));
    ASSERT_TRUE(WriteZip(path,
        { { QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.spreadsheet" },
            { QStringLiteral("content.xml"), content } }));
    EXPECT_EQ(DetectWorkbook(path), WorkbookKind::Ods);
    EXPECT_EQ(ReadWorkbookSheetNames(path).Names, (QStringList { "Перший", "Вимірювання" }));

    SourceOptions options;
    options.Sheet = QStringLiteral("Вимірювання");
    const LoadedSource source = LoadSource(path, options);
    ASSERT_TRUE(source.Error.isEmpty()) << source.Error.toStdString();
    const SourceTable& table = source.Table;
    ASSERT_EQ(table.RowCount(), 5);
    EXPECT_EQ(RowCells(table, 0), (QStringList { "Дата", "X1", "X2" }));
    EXPECT_EQ(RowCells(table, 1), (QStringList { "05.02.2024", "1.250", "0.3333333333333333" }));
    EXPECT_EQ(RowCells(table, 2), (QStringList { "7", "7", "a  b\nc" }));
    EXPECT_EQ(RowCells(table, 3), RowCells(table, 2));
    EXPECT_EQ(RowCells(table, 4), (QStringList { "", "", "9" }));
    EXPECT_EQ(table.Line(4), 1048575); // blank repeated rows advance the count without taking memory
}

TEST(Workbook, DamagedFilesAreRefused)
{
    QTemporaryDir dir;
    const QString notZip = dir.filePath(QStringLiteral("fake.xlsx"));
    ASSERT_TRUE(WriteBytes(notZip, "PK\x03\x04 not really"));
    EXPECT_FALSE(LoadSource(notZip, {}).Error.isEmpty());
    const QString otherZip = dir.filePath(QStringLiteral("other.zip"));
    ASSERT_TRUE(WriteZip(otherZip, { { QStringLiteral("readme.txt"), "hello" } }));
    EXPECT_EQ(DetectWorkbook(otherZip), WorkbookKind::None);
    EXPECT_FALSE(LoadSource(otherZip, {}).Error.isEmpty());
    const QString badXml = dir.filePath(QStringLiteral("bad.xlsx"));
    ASSERT_TRUE(WriteZip(badXml,
        { { QStringLiteral("xl/workbook.xml"),
              "<workbook><sheets><sheet name=\"a\" r:id=\"rId1\"/></sheets></workbook>" },
            { QStringLiteral("xl/worksheets/sheet1.xml"), "<worksheet><sheetData><row r=\"1\"><c r=\"A1\"><v>1" } }));
    EXPECT_FALSE(LoadSource(badXml, {}).Error.isEmpty());
    EXPECT_FALSE(LoadSource(dir.filePath(QStringLiteral("absent.csv")), {}).Error.isEmpty());
}
