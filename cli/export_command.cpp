#include "Commands.h"
#include "ConsoleMessenger.h"

#include "compute/ComputeDriver.h"
#include "exchange/TableExport.h"
#include "model/DocumentFile.h"
#include "model/MeasurementDocument.h"

#include <QTextStream>

// meridan-cli export FILE -o OUT.csv|OUT.xlsx: the table with its statistics columns and groups.
int RunExport(const QStringList& args)
{
    if (args.size() != 3 || args[1] != QLatin1String("-o")) {
        QTextStream(stderr) << "Використання: meridan-cli export FILE -o OUT.csv|OUT.xlsx\n";
        return 2;
    }
    ConsoleMessenger messenger;
    MeasurementDocument doc(messenger);
    if (!LoadDocument(doc, args[0]))
        return 1;
    // A document the compute refuses still has its table written, without statistics; the
    // compute's message says why and the status tells scripts.
    const bool computed = doc.PointCount() > 0 && RunComputeCommand(doc);
    if (!ExportTable(doc, args[2]))
        return 1;
    if (!computed && doc.PointCount() > 0) {
        QTextStream(stderr) << "Таблицю експортовано без статистик.\n";
        return 1;
    }
    return 0;
}
