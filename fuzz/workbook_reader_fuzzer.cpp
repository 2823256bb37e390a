// Feeds arbitrary bytes to the workbook reader as an XLSX or ODS file: the zip container, the
// workbook and relationship parts, shared strings, styles and the sheet XML. Beyond the
// sanitizers it checks that a refused sheet gives no cells, that what is read stays within a
// sheet's limits, and that the import can take the first column of whatever was read.
#include "FuzzChecks.h"
#include "exchange/TableImport.h"
#include "exchange/Workbook.h"
#include "model/MeasurementDocument.h"
#include "model/Messenger.h"

#include <QBuffer>
#include <cstdint>

namespace {

void CheckSheet(const WorkbookSheet& sheet)
{
    const SourceTable& table = sheet.Table;
    if (!sheet.Error.isEmpty()) {
        Require(table.RowCount() == 0, "a refused sheet gives no rows");
        return;
    }
    Require(table.ColumnCount() <= 16384, "no more columns than a sheet has");
    Require(table.RowCount() <= 1'048'576, "no more rows than a sheet has");
    for (int row = 0; row < table.RowCount(); ++row) {
        Require(table.Line(row) >= 1 && table.Line(row) <= 1'048'576, "a row's line is a sheet row");
        Require(table.CellCount(row) <= table.ColumnCount(), "a row within the widest");
    }
    if (table.ColumnCount() == 0)
        return;
    ImportChoice choice;
    choice.ValueColumns = { 0 };
    const ImportPlan plan = PlanImport(table, choice);
    if (!plan.Error.isEmpty())
        return;
    SilentMessenger messenger;
    MeasurementDocument doc(messenger);
    ApplyImport(doc, table, choice, plan, QStringLiteral("fuzz"));
    CheckConsistent(doc);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    const WorkbookKind kind = DetectWorkbook(file);
    const WorkbookSheets sheets = ReadWorkbookSheetNames(file);
    Require(sheets.Error.isEmpty() != sheets.Names.isEmpty(), "either sheet names or why there are none");
    if (kind == WorkbookKind::None)
        Require(!sheets.Error.isEmpty(), "no workbook, no sheets");
    const int count = int(std::min<qsizetype>(sheets.Names.size(), 3));
    for (int i = 0; i < count; ++i)
        CheckSheet(ReadWorkbookSheet(file, i));
    Require(!ReadWorkbookSheet(file, -1).Error.isEmpty(), "no sheet before the first");
    Require(!ReadWorkbookSheet(file, int(sheets.Names.size())).Error.isEmpty() || kind == WorkbookKind::Ods,
        "no sheet past the last");
    return 0;
}
