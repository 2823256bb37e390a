#pragma once

#include "model/SourceTable.h"

#include <QIODevice>
#include <QString>
#include <QStringList>
#include <optional>

enum class WorkbookKind { None, Xlsx, Ods };

// By content, not by name: a zip archive holding a workbook part of either format.
// The QIODevice forms read an open, seekable device (a file, or bytes in a QBuffer).
WorkbookKind DetectWorkbook(const QString& fileName);
WorkbookKind DetectWorkbook(QIODevice& file);

struct WorkbookSheets {
    QStringList Names; // in workbook order
    QString Error; // set when the workbook cannot be read
};
WorkbookSheets ReadWorkbookSheetNames(const QString& fileName);
WorkbookSheets ReadWorkbookSheetNames(QIODevice& file);

// One sheet's cells as shown: numbers in "." notation with the decimals of their number format,
// dates as dd.MM.yyyy (with the time when there is one), texts as typed. Rows are the sheet rows
// that hold something; Line is the sheet's row number. A cell that cannot be read (a shared text
// that is not there, a text longer than a cell holds) reads "#ПОМИЛКА: why", so its row is listed
// with the rows the import cannot take. Error says why nothing was read: the file is damaged, or
// larger, more deeply nested or more compressed than any real workbook.
struct WorkbookSheet {
    SourceTable Table;
    QString Error;
};
WorkbookSheet ReadWorkbookSheet(const QString& fileName, int sheetIndex);
WorkbookSheet ReadWorkbookSheet(QIODevice& file, int sheetIndex);

// "1" is the first sheet unless a sheet is called so; otherwise the sheet of that name. -1: none.
int FindSheet(const QStringList& names, const QString& nameOrNumber);
