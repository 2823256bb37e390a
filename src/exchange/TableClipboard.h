#pragma once

#include "model/SourceTable.h"
#include "model/TableColumns.h"

#include <QString>

class MeasurementDocument;

// The cells of grid rows firstRow..lastRow and table columns firstColumn..lastColumn as a
// spreadsheet puts them on the clipboard: tab between cells, a line break after each row,
// quotes around a cell that holds a tab, a line break or a quote. Value cells that are numbers
// take the user's decimal separator; everything else is copied as the grids show it.
QString CopyCells(const MeasurementDocument& doc, int firstRow, int lastRow, int firstColumn, int lastColumn);

// A block of clipboard text as cells: tab-separated, or semicolon-separated when it has no tab;
// trailing line breaks are dropped. Empty for an empty text.
SourceTable ClipboardBlock(const QString& text);
