#pragma once

#include "exchange/DelimitedText.h"
#include "exchange/TableImport.h"
#include "model/SourceTable.h"

#include <QString>
#include <QStringList>

// How to read a file to import: overrides of the text format, and the sheet of a workbook.
struct SourceOptions {
    TextFormatChoice Text;
    QString Sheet; // name or 1-based number; empty: the first sheet
};

// A CSV, TSV or text file, or one sheet of an XLSX or ODS workbook (told apart by content).
struct LoadedSource {
    SourceTable Table;
    QString Error; // nothing could be read, and why
    bool Workbook = false;
    QStringList Sheets; // of a workbook
    int SheetIndex = 0;
    TextFormat Format; // of a text file: as detected or chosen
    // The decimal rule the cells of this source are read with: a text file's separator, or
    // either for a workbook, whose numbers are numbers.
    std::optional<DecimalSeparator> Decimal() const
    {
        return Workbook ? std::nullopt : std::optional<DecimalSeparator>(Format.Decimal);
    }
};

// maxRows limits the rows read (a preview); -1 reads them all.
LoadedSource LoadSource(const QString& fileName, const SourceOptions& options, int maxRows = -1);

// The file's base name, which names the imported table.
QString SourceTableName(const QString& fileName);
