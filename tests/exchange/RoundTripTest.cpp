#include "ExchangeTestSupport.h"
#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"
#include "compute/ComputeDriver.h"
#include "exchange/ImportSource.h"
#include "exchange/TableExport.h"
#include "exchange/TableImport.h"
#include "model/MeasurementDocument.h"
#include "model/Numbers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

// Imports an exported table: group column, values, date, as the export lays them out.
void ImportExported(const QString& path, MeasurementDocument& doc, int valueColumns)
{
    const LoadedSource source = LoadSource(path, {});
    ASSERT_TRUE(source.Error.isEmpty()) << source.Error.toStdString();
    ImportChoice choice;
    choice.HeaderRow = true;
    choice.GroupColumn = FindColumn(source.Table, true, QStringLiteral("Група"));
    choice.DateColumn = FindColumn(source.Table, true, QStringLiteral("Дата"));
    for (int c = 0; c < valueColumns; ++c)
        choice.ValueColumns.push_back(3 + c);
    choice.Decimal = source.Decimal();
    const ImportPlan plan = PlanImport(source.Table, choice);
    ASSERT_TRUE(plan.Error.isEmpty()) << plan.Error.toStdString();
    EXPECT_TRUE(plan.BadRows.empty());
    ApplyImport(doc, source.Table, choice, plan, QString());
}

void ExpectSameTable(const MeasurementDocument& a, const MeasurementDocument& b)
{
    ASSERT_EQ(a.SeparatorFlags(), b.SeparatorFlags());
    ASSERT_EQ(a.ValueColumnCount(), b.ValueColumnCount());
    for (int row = 1; row <= a.TableRowCount(); ++row) {
        EXPECT_EQ(a.DateText(row), b.DateText(row)) << "row " << row;
        for (int c = 0; c < a.ValueColumnCount(); ++c) {
            const QStringView left = a.ValueText(row, c);
            const QStringView right = b.ValueText(row, c);
            if (a.IsSeparatorRow(row))
                continue;
            EXPECT_EQ(ParseNumber(left), ParseNumber(right)) << "row " << row << " column " << c;
            EXPECT_EQ(DecimalsOf(left), DecimalsOf(right)) << "row " << row << " column " << c;
        }
    }
}

} // namespace

TEST(TableExport, CsvAndXlsxRoundTrips)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, 3,
        { { { "10.10", "10.2", "9.95" }, { "10,4", "10.5", "10.6" }, { "10.7", "10.8", "10.9" } },
            { { "11.0", "11.125", "11.2" }, { "11.3", "11.4", "11.5" } } });
    doc.SetDateText(2, QStringLiteral("05.03.2024 08:30"));
    ASSERT_TRUE(RunComputeCommand(doc));

    QTemporaryDir dir;
    for (const QString& name : { QStringLiteral("table.csv"), QStringLiteral("table.xlsx") }) {
        SCOPED_TRACE(name.toStdString());
        const QString path = dir.filePath(name);
        ASSERT_TRUE(ExportTable(doc, path));
        RecordingMessenger second;
        MeasurementDocument back(second);
        ImportExported(path, back, 3);
        ExpectSameTable(doc, back);
        EXPECT_TRUE(messenger.messages.isEmpty());
    }

    // The CSV as a Ukrainian spreadsheet expects it: BOM, ";" and decimal commas, statistics columns.
    const QByteArray csv = ExportTableCsv(doc, { u';', u',' });
    EXPECT_TRUE(csv.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(csv.mid(3)).split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines[0], "Група;№;Дата;X1;X2;X3;Середнє;Медіана;Відхилення;В. відхилення, %;Розмах;В. розмах, %");
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("1;1;02.01.2024;10,10;10,2;9,95;10,083;10,100;")))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[4].startsWith(QStringLiteral("2;4;"))) << lines[4].toStdString();
    EXPECT_EQ(lines.size(), 7); // header, five points, the empty rest after the last line break
    // In the editing state there are no statistics columns.
    doc.InvalidateResults();
    EXPECT_TRUE(ExportTableCsv(doc, { u',', u'.' }).contains("Група,№,Дата,X1,X2,X3\r\n1,1,02.01.2024,10.10,"));

    // A failure says so and keeps what was there.
    EXPECT_FALSE(ExportTable(doc, dir.filePath(QStringLiteral("missing/table.csv"))));
    EXPECT_FALSE(ExportTable(doc, dir.filePath(QStringLiteral("missing/table.xlsx"))));
    EXPECT_EQ(messenger.messages.size(), 2);
}

// Every reference data set read as a CSV file gives the results of the document built from it.
TEST(TableImport, ReferenceDataSetsComputeAsBuiltDocuments)
{
    const QStringList files = QDir(ReferenceDataPath(QString())).entryList({ QStringLiteral("*.csv") }, QDir::Files);
    ASSERT_EQ(files.size(), 23);
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        const std::vector<QStringList> rows = ReadReferenceCsv(file);
        ASSERT_FALSE(rows.empty());
        const int columns = int(rows.front().size());

        RecordingMessenger builtMessenger;
        MeasurementDocument built(builtMessenger);
        BuildDocument(built, columns == 1 ? 0 : columns, { rows });
        ASSERT_TRUE(RunComputeCommand(built));

        const LoadedSource source = LoadSource(ReferenceDataPath(file), {});
        ASSERT_TRUE(source.Error.isEmpty());
        ImportChoice choice;
        choice.HeaderRow = true;
        for (int c = 0; c < columns; ++c)
            choice.ValueColumns.push_back(c);
        choice.Decimal = source.Decimal();
        const ImportPlan plan = PlanImport(source.Table, choice);
        ASSERT_TRUE(plan.Error.isEmpty());
        EXPECT_TRUE(plan.BadRows.empty());
        RecordingMessenger importedMessenger;
        MeasurementDocument imported(importedMessenger);
        ApplyImport(imported, source.Table, choice, plan, QString());
        ASSERT_TRUE(RunComputeCommand(imported));

        EXPECT_EQ(imported.DisplayPrecision(), built.DisplayPrecision());
        ASSERT_EQ(imported.Groups().size(), 1u);
        const TIndividualInfo& a = imported.Groups()[0];
        const TIndividualInfo& b = built.Groups()[0];
        for (int slot = 0; slot < ChartSlotCount; ++slot) {
            EXPECT_EQ(a.Lines[size_t(slot)].Centre, b.Lines[size_t(slot)].Centre) << "slot " << slot;
            EXPECT_EQ(a.Lines[size_t(slot)].Lower, b.Lines[size_t(slot)].Lower) << "slot " << slot;
            EXPECT_EQ(a.Lines[size_t(slot)].Upper, b.Lines[size_t(slot)].Upper) << "slot " << slot;
            EXPECT_EQ(a.Hits[size_t(slot)].Westgard, b.Hits[size_t(slot)].Westgard) << "slot " << slot;
            EXPECT_EQ(a.Hits[size_t(slot)].Iso, b.Hits[size_t(slot)].Iso) << "slot " << slot;
        }
        for (int row = 1; row <= built.TableRowCount(); ++row) {
            for (int c = 0; c < built.ResultColumnCount(); ++c)
                ASSERT_EQ(imported.ResultText(row, c), built.ResultText(row, c)) << "row " << row;
        }
    }
}
