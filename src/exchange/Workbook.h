#pragma once

#include "document/SourceTable.h"

#include <QString>
#include <QStringList>
#include <optional>

enum class WorkbookKind { None, Xlsx, Ods };

// By content, not by name: a zip archive holding a workbook part of either format.
WorkbookKind DetectWorkbook(const QString& fileName);

struct WorkbookSheets {
    QStringList Names; // in workbook order
    QString Error; // set when the workbook cannot be read
};
WorkbookSheets ReadWorkbookSheetNames(const QString& fileName);

// One sheet's cells as shown: numbers in "." notation with the decimals of their number format,
// dates as dd.MM.yyyy (with the time when there is one), texts as typed. Rows are the sheet rows
// that hold something; Line is the sheet's row number. Error says why nothing was read.
struct WorkbookSheet {
    SourceTable Table;
    QString Error;
};
WorkbookSheet ReadWorkbookSheet(const QString& fileName, int sheetIndex);

// "1" is the first sheet unless a sheet is called so; otherwise the sheet of that name. -1: none.
int FindSheet(const QStringList& names, const QString& nameOrNumber);
