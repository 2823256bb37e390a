#include "exchange/TableExport.h"

#include "exchange/DelimitedText.h"
#include "model/MeasurementDocument.h"
#include "model/Messenger.h"
#include "model/Numbers.h"
#include "model/PointNote.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QStringList>
#include <xlsxwriter.h>

#include <array>
#include <functional>

namespace {

// The columns of the exported table: group, point number, date, values, the note columns when
// any point carries a note or an exclusion, results.
struct ExportColumns {
    QStringList Headers;
    int ValueColumns = 0;
    int NoteColumns = 0; // 0 or 3: note, corrective action, exclusion reason
    int ResultColumns = 0;
};

// The texts of the note columns of a point row, in their order.
std::array<QString, 3> noteTexts(const MeasurementDocument& doc, int row)
{
    const PointNote* note = doc.NoteOf(row);
    if (!note)
        return {};
    return { note->Note, note->Action, note->ExcludeReason };
}

ExportColumns exportColumns(const MeasurementDocument& doc)
{
    ExportColumns columns;
    columns.Headers << QStringLiteral("Група") << doc.LabelHeader(0) << doc.LabelHeader(1);
    columns.ValueColumns = doc.ValueColumnCount();
    for (int c = 0; c < columns.ValueColumns; ++c)
        columns.Headers << doc.ValueColumnHeader(c);
    // A table without notes goes out as it always did.
    if (!doc.PointNotes().empty()) {
        columns.NoteColumns = 3;
        columns.Headers << NoteColumnHeader() << ActionColumnHeader() << ExcludeColumnHeader();
    }
    columns.ResultColumns = doc.IsComputed() ? doc.ResultColumnCount() : 0;
    for (int c = 0; c < columns.ResultColumns; ++c)
        columns.Headers << doc.ResultHeader(c);
    return columns;
}

// Calls visit(group, row) for every point row of the table, groups numbered from 1.
void forEachPoint(const MeasurementDocument& doc, const std::function<void(int, int)>& visit)
{
    int group = 1;
    const int rows = doc.TableRowCount();
    const std::vector<bool>& flags = doc.SeparatorFlags();
    for (int row = 1; row <= rows; ++row) {
        if (flags[size_t(row - 1)]) {
            ++group;
            continue;
        }
        visit(group, row);
    }
}

void appendCsvField(QString& out, QStringView text, QChar list)
{
    bool quote = false;
    for (const QChar c : text) {
        if (c == list || c == u'"' || c == u'\n' || c == u'\r') {
            quote = true;
            break;
        }
    }
    if (!quote && !text.isEmpty() && (text.front() == u' ' || text.back() == u' '))
        quote = true;
    AppendDelimitedField(out, text, quote);
}

// A value cell that is a number, written with the given decimal separator; other texts as typed.
void appendValue(QString& out, QStringView text, ExportSeparators separators)
{
    const QStringView trimmed = TrimBlanks(text);
    if (!ParseNumber(trimmed)) {
        appendCsvField(out, text, separators.List);
        return;
    }
    const qsizetype at = out.size();
    out += trimmed;
    for (qsizetype i = at; i < out.size(); ++i) {
        if (out[i] == u',' || out[i] == u'.')
            out[i] = separators.Decimal;
    }
}

QString writeFailure(const QString& fileName)
{
    return QStringLiteral("Неможливо записати файл «%1».").arg(QFileInfo(fileName).fileName());
}

// dd.MM.yyyy as an Excel day number; -1 for any other text.
double excelDay(QStringView text)
{
    if (text.size() != 10)
        return -1;
    const QDate date = QDate::fromString(text.toString(), QStringLiteral("dd.MM.yyyy"));
    if (!date.isValid() || date.year() < 1901)
        return -1;
    return double(QDate(1899, 12, 30).daysTo(date));
}

bool exportXlsx(const MeasurementDocument& doc, const QString& fileName)
{
    const ExportColumns columns = exportColumns(doc);
    constexpr int MaxRows = 1'048'576;
    if (doc.PointCount() + 1 > MaxRows) {
        doc.messenger().ShowMessage(
            QStringLiteral("Таблиця має більше рядків, ніж вміщує аркуш XLSX (1 048 576). Експортуйте її у CSV."));
        return false;
    }
    // libxlsxwriter writes the whole file on close; a partial file never replaces a good one.
    const QString partial = fileName + QStringLiteral(".part");
    const QByteArray path = QFile::encodeName(partial);
    lxw_workbook_options options {};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* workbook = workbook_new_opt(path.constData(), &options);
    if (!workbook) {
        doc.messenger().ShowMessage(writeFailure(fileName));
        return false;
    }
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "Таблиця даних");
    lxw_format* bold = workbook_add_format(workbook);
    format_set_bold(bold);
    lxw_format* dateFormat = workbook_add_format(workbook);
    format_set_num_format(dateFormat, "dd.mm.yyyy");
    std::array<lxw_format*, 16> numberFormats {};
    auto numberFormat = [&](int decimals) {
        decimals = std::clamp(decimals, 0, 15);
        lxw_format*& format = numberFormats[size_t(decimals)];
        if (!format) {
            format = workbook_add_format(workbook);
            const QByteArray code = decimals == 0 ? QByteArray("0") : "0." + QByteArray(decimals, '0');
            format_set_num_format(format, code.constData());
        }
        return format;
    };

    for (int c = 0; c < columns.Headers.size(); ++c)
        worksheet_write_string(sheet, 0, lxw_col_t(c), columns.Headers[c].toUtf8().constData(), bold);
    worksheet_set_column(sheet, 2, 2, 12, nullptr);
    lxw_row_t out = 1;
    auto writeCell = [&](int column, QStringView text) {
        const QStringView trimmed = TrimBlanks(text);
        if (trimmed.isEmpty())
            return;
        if (const std::optional<double> number = ParseNumber(trimmed))
            worksheet_write_number(sheet, out, lxw_col_t(column), *number, numberFormat(DecimalsOf(trimmed)));
        else
            worksheet_write_string(sheet, out, lxw_col_t(column), text.toUtf8().constData(), nullptr);
    };
    forEachPoint(doc, [&](int group, int row) {
        worksheet_write_number(sheet, out, 0, group, nullptr);
        worksheet_write_number(sheet, out, 1, out, nullptr);
        const QString& date = doc.DateText(row);
        const double day = excelDay(TrimBlanks(date));
        if (day >= 0)
            worksheet_write_number(sheet, out, 2, day, dateFormat);
        else if (!date.isEmpty())
            worksheet_write_string(sheet, out, 2, date.toUtf8().constData(), nullptr);
        for (int c = 0; c < columns.ValueColumns; ++c)
            writeCell(3 + c, doc.ValueText(row, c));
        if (columns.NoteColumns > 0) {
            const std::array<QString, 3> notes = noteTexts(doc, row);
            for (int c = 0; c < 3; ++c) {
                if (!notes[size_t(c)].isEmpty())
                    worksheet_write_string(sheet, out, lxw_col_t(3 + columns.ValueColumns + c),
                        notes[size_t(c)].toUtf8().constData(), nullptr);
            }
        }
        const int results = 3 + columns.ValueColumns + columns.NoteColumns;
        for (int c = 0; c < columns.ResultColumns; ++c)
            writeCell(results + c, doc.ResultText(row, c));
        ++out;
    });
    const lxw_error error = workbook_close(workbook);
    if (error != LXW_NO_ERROR) {
        QFile::remove(partial);
        doc.messenger().ShowMessage(writeFailure(fileName));
        return false;
    }
    if (QFile::exists(fileName) && !QFile::remove(fileName)) {
        QFile::remove(partial);
        doc.messenger().ShowMessage(writeFailure(fileName));
        return false;
    }
    if (!QFile::rename(partial, fileName)) {
        QFile::remove(partial);
        doc.messenger().ShowMessage(writeFailure(fileName));
        return false;
    }
    return true;
}

} // namespace

const QString& NoteColumnHeader()
{
    static const QString header = QStringLiteral("Примітка");
    return header;
}

const QString& ActionColumnHeader()
{
    static const QString header = QStringLiteral("Коригувальна дія");
    return header;
}

const QString& ExcludeColumnHeader()
{
    static const QString header = QStringLiteral("Причина виключення з обчислення меж");
    return header;
}

ExportSeparators UserSeparators()
{
    ExportSeparators separators;
    const QString point = QLocale().decimalPoint();
    separators.Decimal = point.isEmpty() ? QChar(u'.') : point.front();
    separators.List = separators.Decimal == u',' ? QChar(u';') : QChar(u',');
    return separators;
}

QByteArray ExportTableCsv(const MeasurementDocument& doc, ExportSeparators separators)
{
    const ExportColumns columns = exportColumns(doc);
    QString out;
    out.reserve(qsizetype(doc.PointCount()) * (24 + 12 * (columns.ValueColumns + columns.ResultColumns)) + 256);
    for (int c = 0; c < columns.Headers.size(); ++c) {
        if (c > 0)
            out += separators.List;
        appendCsvField(out, columns.Headers[c], separators.List);
    }
    out += u"\r\n";
    int point = 0;
    forEachPoint(doc, [&](int group, int row) {
        out += QString::number(group);
        out += separators.List;
        out += QString::number(++point);
        out += separators.List;
        appendCsvField(out, doc.DateText(row), separators.List);
        for (int c = 0; c < columns.ValueColumns; ++c) {
            out += separators.List;
            appendValue(out, doc.ValueText(row, c), separators);
        }
        if (columns.NoteColumns > 0) {
            for (const QString& text : noteTexts(doc, row)) {
                out += separators.List;
                appendCsvField(out, text, separators.List);
            }
        }
        for (int c = 0; c < columns.ResultColumns; ++c) {
            out += separators.List;
            appendCsvField(out, doc.ResultText(row, c), separators.List);
        }
        out += u"\r\n";
    });
    return QByteArrayLiteral("\xEF\xBB\xBF") + out.toUtf8();
}

bool ExportTable(const MeasurementDocument& doc, const QString& fileName)
{
    if (fileName.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive))
        return exportXlsx(doc, fileName);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(ExportTableCsv(doc, UserSeparators())) < 0 || !file.commit()) {
        doc.messenger().ShowMessage(writeFailure(fileName));
        return false;
    }
    return true;
}
