#include "exchange/ImportSource.h"

#include "exchange/Workbook.h"

#include <QFile>
#include <QFileInfo>

namespace {

// Larger text files are refused rather than read whole into memory.
constexpr qint64 MaxTextBytes = 512ll * 1024 * 1024;

} // namespace

LoadedSource LoadSource(const QString& fileName, const SourceOptions& options, int maxRows)
{
    LoadedSource source;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        source.Error = QStringLiteral("Неможливо відкрити файл «%1».").arg(fileName);
        return source;
    }
    const QByteArray magic = file.peek(4);
    if (magic == QByteArrayLiteral("PK\x03\x04")) {
        file.close();
        if (DetectWorkbook(fileName) == WorkbookKind::None) {
            source.Error = QStringLiteral("Файл «%1» не є книгою XLSX чи ODS.").arg(fileName);
            return source;
        }
        source.Workbook = true;
        const WorkbookSheets sheets = ReadWorkbookSheetNames(fileName);
        if (!sheets.Error.isEmpty()) {
            source.Error = sheets.Error;
            return source;
        }
        source.Sheets = sheets.Names;
        source.SheetIndex = options.Sheet.isEmpty() ? 0 : FindSheet(sheets.Names, options.Sheet);
        if (source.SheetIndex < 0) {
            source.Error = QStringLiteral("У книзі немає аркуша «%1».").arg(options.Sheet);
            return source;
        }
        WorkbookSheet sheet = ReadWorkbookSheet(fileName, source.SheetIndex);
        source.Error = sheet.Error;
        source.Table = std::move(sheet.Table);
        return source;
    }
    if (file.size() > MaxTextBytes) {
        source.Error = QStringLiteral("Файл «%1» завеликий для імпорту.").arg(fileName);
        return source;
    }
    const QByteArray bytes = file.readAll();
    source.Table = ReadDelimitedText(bytes, options.Text, source.Format, maxRows);
    return source;
}

QString SourceTableName(const QString& fileName)
{
    return QFileInfo(fileName).completeBaseName();
}
