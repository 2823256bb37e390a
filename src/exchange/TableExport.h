#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

class MeasurementDocument;

// The separators a spreadsheet of the user's locale expects: the locale's decimal separator,
// and ";" between fields where the decimal separator is "," (otherwise ",").
struct ExportSeparators {
    QChar List = u';';
    QChar Decimal = u',';
};
ExportSeparators UserSeparators();

// The names of the note columns of an export, which an import can be pointed at: the note, the
// corrective action, and the reason a point is kept out of the limits (empty while it feeds them).
const QString& NoteColumnHeader();
const QString& ActionColumnHeader();
const QString& ExcludeColumnHeader();

// The table as a spreadsheet shows it: a group column (groups numbered from 1), the point
// number, the date, the value columns, the three note columns when any point carries a note or an
// exclusion, and, in the computed state, the statistics columns. One
// row a point; separators become the change of group. Numbers take the decimal separator given.
// UTF-8 with a byte order mark, so spreadsheets read the Cyrillic text right.
QByteArray ExportTableCsv(const MeasurementDocument& doc, ExportSeparators separators);

// The same as an XLSX workbook: numbers as numbers with the decimals they were typed with,
// dates of the form dd.MM.yyyy as dates, everything else as text.
// Both write by extension (".xlsx", anything else CSV); on failure say why through the document's
// messenger and return false, leaving an existing file as it was.
bool ExportTable(const MeasurementDocument& doc, const QString& fileName);
