#include "Commands.h"

#include "document/DocumentFile.h"
#include "document/MeasurementDocument.h"
#include "document/Messenger.h"

#include <QTextStream>

namespace {

// Messages go to standard error; questions are answered No, so nothing is changed without consent.
class ConsoleMessenger final : public Messenger {
public:
    void ShowMessage(const QString& text) override { QTextStream(stderr) << text << '\n'; }
    bool AskYesNo(const QString& question) override
    {
        QTextStream(stderr) << question << '\n';
        return false;
    }
};

} // namespace

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
