#include "exchange/TableClipboard.h"

#include "exchange/DelimitedText.h"
#include "model/MeasurementDocument.h"
#include "model/Numbers.h"

#include <QLocale>
#include <algorithm>

namespace {

void appendClipboardCell(QString& out, QStringView text)
{
    const bool quote = text.contains(u'\t') || text.contains(u'\n') || text.contains(u'\r') || text.contains(u'"');
    AppendDelimitedField(out, text, quote);
}

QString copiedValue(QStringView text, QChar point)
{
    if (!ParseNumber(text))
        return text.toString();
    QString number = TrimBlanks(text).toString();
    for (QChar& c : number) {
        if (c == u',' || c == u'.')
            c = point;
    }
    return number;
}

} // namespace

QString CopyCells(const MeasurementDocument& doc, int firstRow, int lastRow, int firstColumn, int lastColumn)
{
    firstRow = std::max(firstRow, 1);
    lastRow = std::min(lastRow, doc.RowCount() - 1);
    firstColumn = std::max(firstColumn, 0);
    lastColumn = std::min(lastColumn, TableColumns::Count(doc) - 1);
    const QChar point = QLocale().decimalPoint().front();
    const int firstResult = TableColumns::FirstResult(doc);
    QString out;
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = firstColumn; column <= lastColumn; ++column) {
            if (column > firstColumn)
                out += u'\t';
            if (column == TableColumns::Label)
                appendClipboardCell(out, doc.LabelText(row));
            else if (column == TableColumns::Date)
                appendClipboardCell(out, doc.DateText(row));
            else if (column < firstResult)
                appendClipboardCell(out, copiedValue(doc.ValueText(row, column - TableColumns::FirstValue), point));
            else
                appendClipboardCell(out, doc.ResultText(row, column - firstResult));
        }
        out += u'\n';
    }
    return out;
}

SourceTable ClipboardBlock(const QString& text)
{
    QStringView trimmed(text);
    while (!trimmed.isEmpty() && (trimmed.back() == u'\n' || trimmed.back() == u'\r'))
        trimmed.chop(1);
    if (trimmed.isEmpty())
        return {};
    const QChar delimiter = trimmed.contains(u'\t') ? QChar(u'\t')
        : trimmed.contains(u';')                    ? QChar(u';')
                                                    : QChar(u'\t');
    return ParseDelimited(trimmed, delimiter, -1, true);
}
