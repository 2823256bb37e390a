#include "Commands.h"
#include "ConsoleMessenger.h"

#include "model/DocumentFile.h"
#include "model/MeasurementDocument.h"

#include <QTextStream>

// meridan-cli resave IN OUT: reads a document of either layout and writes it in the current one.
int RunResave(const QStringList& args)
{
    if (args.size() != 2) {
        QTextStream(stderr) << "Використання: meridan-cli resave IN OUT\n";
        return 2;
    }
    ConsoleMessenger messenger;
    MeasurementDocument doc(messenger);
    if (!LoadDocument(doc, args[0]))
        return 1;
    return SaveDocument(doc, args[1]) ? 0 : 1;
}
