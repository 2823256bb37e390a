#include "exchange/TableImport.h"
#include "ExchangeTestSupport.h"
#include "common/TestSupport.h"
#include "exchange/ImportSource.h"
#include "model/MeasurementDocument.h"

#include <QTemporaryDir>

namespace {

QStringList Values(const MeasurementDocument& doc, int column = 0)
{
    QStringList values;
    for (int row = 1; row <= doc.TableRowCount(); ++row)
        values << doc.ValueText(row, column).toString();
    return values;
}

std::vector<int> BadLines(const ImportPlan& plan)
{
    std::vector<int> lines;
    for (const BadRow& row : plan.BadRows)
        lines.push_back(row.Line);
    return lines;
}

const QString Line = MeasurementDocument::SeparatorLine();

// What a Ukrainian spreadsheet saves as "CSV": BOM, CR LF, ";" and decimal commas, a blank line,
// merged group cells left blank, a missing cell and texts where numbers belong.
const QByteArray LabCsv = "\xEF\xBB\xBF\"Дата\";\"Партія\";\"Вміст, мг/л\"\r\n"
                          "01.02.2024;А-1;1,25\r\n"
                          "02.02.2024;;1,30\r\n"
                          "\r\n"
                          "03.02.2024;А-1;н/в\r\n"
                          "04.02.2024;Б-2;1,28\r\n"
                          "05.02.2024;Б-2\r\n"
                          "06.02.2024;Б-2;\"1,31\"\r\n"
                          "07.02.2024;Б-2;1.33\r\n";

} // namespace

TEST(TableImport, SpreadsheetCsvWithGroupsAndBadRows)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("лабораторія.csv"));
    ASSERT_TRUE(WriteBytes(path, LabCsv));
    const LoadedSource source = LoadSource(path, {});
    ASSERT_TRUE(source.Error.isEmpty());
    EXPECT_EQ(source.Format.Delimiter, u';');
    EXPECT_EQ(source.Format.Decimal, DecimalSeparator::Comma);
    EXPECT_TRUE(source.Format.ByteOrderMark);

    ImportChoice choice;
    choice.HeaderRow = true;
    choice.DateColumn = FindColumn(source.Table, true, QStringLiteral("дата"));
    choice.GroupColumn = FindColumn(source.Table, true, QStringLiteral("Партія"));
    choice.ValueColumns = { FindColumn(source.Table, true, QStringLiteral("3")) };
    choice.Decimal = source.Decimal();
    ASSERT_EQ(choice.DateColumn, 0);
    ASSERT_EQ(choice.GroupColumn, 1);

    const ImportPlan kept = PlanImport(source.Table, choice);
    ASSERT_TRUE(kept.Error.isEmpty()) << kept.Error.toStdString();
    // The point in a decimal-comma file is no number: nothing is read as something it may not be.
    EXPECT_EQ(BadLines(kept), (std::vector<int> { 5, 7, 9 }));
    EXPECT_EQ(BadRowLines(kept.BadRows),
        (QStringList { "Рядок 5: «н/в» не є числом", "Рядок 7: порожня клітинка", "Рядок 9: «1.33» не є числом" }));
    EXPECT_EQ(kept.MeasuredParameter, "Вміст, мг/л");

    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    ApplyImport(doc, source.Table, choice, kept, SourceTableName(path));
    EXPECT_TRUE(doc.IndividualMode());
    EXPECT_EQ(doc.PointCount(), 7);
    EXPECT_EQ(doc.GroupCount(), 2);
    EXPECT_EQ(doc.Groups().size(), 2u);
    EXPECT_EQ(Values(doc), (QStringList { "1,25", "1,30", "", Line, "1,28", "", "1,31", "" }));
    EXPECT_EQ(doc.DateText(3), "03.02.2024");
    EXPECT_EQ(doc.DateText(4), Line);
    EXPECT_EQ(doc.LabelText(4), MeasurementDocument::SeparatorLabel(1));
    EXPECT_EQ(doc.ValueHeader(), "Вміст, мг/л");
    EXPECT_TRUE(doc.Header(HeaderField::MeasuredParameter).Present);
    EXPECT_EQ(doc.TableName(), "лабораторія");
    EXPECT_TRUE(doc.Changed());
    EXPECT_TRUE(doc.FileName().isEmpty());
    EXPECT_EQ(doc.DisplayPrecision(), 2);

    choice.LeaveOutBadRows = true;
    const ImportPlan leftOut = PlanImport(source.Table, choice);
    EXPECT_EQ(BadLines(leftOut), BadLines(kept));
    ApplyImport(doc, source.Table, choice, leftOut, QString());
    EXPECT_EQ(Values(doc), (QStringList { "1,25", "1,30", Line, "1,28", "1,31" }));
}

TEST(TableImport, RefusalsChangeNothing)
{
    TextFormat format;
    const SourceTable table = ReadDelimitedText("a;b\n1;x\n2;y\n", {}, format);
    ImportChoice choice;
    choice.HeaderRow = true;
    choice.ValueColumns = { 2 };
    EXPECT_EQ(PlanImport(table, choice).Error, "Стовпця 3 у файлі немає: він має стовпців 2.");
    EXPECT_EQ(FindColumn(table, true, QStringLiteral("c")), -1);
    choice.ValueColumns = { 1 };
    EXPECT_EQ(PlanImport(table, choice).Error, "Жоден рядок не містить чисел у вибраних стовпцях.");
    choice.ValueColumns = { 0 };
    choice.DateColumn = 0;
    EXPECT_FALSE(PlanImport(table, choice).Error.isEmpty());
    choice.DateColumn = -1;
    choice.ValueColumns.assign(26, 0);
    EXPECT_FALSE(PlanImport(table, choice).Error.isEmpty());
    choice.ValueColumns = { 0 };
    EXPECT_TRUE(PlanImport(table, choice).Error.isEmpty());
    const SourceTable headerOnly = ReadDelimitedText("a;b\n", {}, format);
    EXPECT_EQ(PlanImport(headerOnly, choice).Error, "У файлі немає рядків з даними.");
}

TEST(TableImport, SubgroupsFromATextFileWithQuotedLineBreaks)
{
    // Comma-separated, decimal points, a comment column whose text spans lines.
    TextFormat format;
    const SourceTable table = ReadDelimitedText("n,x1,x2,x3,comment\n"
                                                "1,10.1,10.2,10.3,\"calibrated,\nthen measured\"\n"
                                                "2,10.4,10.5,10.6,ok\n"
                                                "3,10.7,,10.9,ok\n"
                                                "4,11.0,11.1,11.2,\n",
        {}, format);
    EXPECT_EQ(format.Delimiter, u',');
    ImportChoice choice;
    choice.HeaderRow = true;
    choice.ValueColumns = { 1, 2, 3 };
    choice.Decimal = format.Decimal;
    const ImportPlan plan = PlanImport(table, choice);
    ASSERT_TRUE(plan.Error.isEmpty());
    EXPECT_EQ(BadLines(plan), (std::vector<int> { 5 })); // the quoted line break counts as a line
    EXPECT_TRUE(plan.MeasuredParameter.isEmpty());
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    ApplyImport(doc, table, choice, plan, QString());
    EXPECT_FALSE(doc.IndividualMode());
    EXPECT_EQ(doc.SubgroupSize(), 3);
    EXPECT_EQ(doc.PointCount(), 4);
    EXPECT_EQ(Values(doc, 2), (QStringList { "10.3", "10.6", "10.9", "11.2" }));
    EXPECT_EQ(Values(doc, 1), (QStringList { "10.2", "10.5", "", "11.1" }));
    EXPECT_EQ(doc.ValueColumnHeader(0), "X1");
}

TEST(TableImport, SingleGroupsAreNamed)
{
    TextFormat format;
    const SourceTable table = ReadDelimitedText("g;v\n1;5\n1;6\n2;7\n3;8\n3;9\n", {}, format);
    ImportChoice choice;
    choice.HeaderRow = true;
    choice.GroupColumn = 0;
    choice.ValueColumns = { 1 };
    const ImportPlan plan = PlanImport(table, choice);
    EXPECT_EQ(plan.GroupStarts, (std::vector<int> { 2, 3 }));
    EXPECT_EQ(plan.SingleGroups, (QStringList { "рядок 4" }));
}
