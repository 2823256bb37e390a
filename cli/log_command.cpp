#include "Commands.h"
#include "ConsoleMessenger.h"
#include "NotesOutput.h"

#include "model/ChangeLog.h"
#include "model/DocumentFile.h"
#include "model/MeasurementDocument.h"

#include <QTextStream>

namespace {

const char logUsage[] = "Використання: meridan-cli log FILE [--json]\n"
                        "Коди виходу: 0 журнал цілий; 1 журнал змінено поза програмою (повідомлення у стандартний "
                        "потік помилок); 2 файл не прочитано.\n";

} // namespace

// meridan-cli log FILE [--json]: the document's change log, and whether its hash chain holds.
// 0: it holds; 1: an entry was changed outside the program (said on standard error); 2: the file,
// or its notes and log, cannot be read.
int RunLog(const QStringList& args)
{
    QString file;
    bool json = false;
    for (const QString& arg : args) {
        if (arg == QLatin1String("--json")) {
            json = true;
        } else if (file.isEmpty() && !arg.startsWith(u'-')) {
            file = arg;
        } else {
            QTextStream(stderr) << logUsage;
            return 2;
        }
    }
    if (file.isEmpty()) {
        QTextStream(stderr) << logUsage;
        return 2;
    }
    ConsoleMessenger messenger;
    MeasurementDocument doc(messenger);
    // The loader has said why when the log could not be read; a log it left out cannot be checked.
    if (!LoadDocument(doc, file) || doc.ExtensionLost())
        return 2;
    const ChangeLog& log = doc.Log();
    QTextStream(stdout) << (json ? ChangeLogJson(log) : ChangeLogText(log));
    const int verified = log.VerifiedCount();
    if (verified < log.Size()) {
        QTextStream(stderr) << QStringLiteral("журнал змінено поза програмою після запису %1").arg(verified) << '\n';
        return 1;
    }
    return 0;
}
