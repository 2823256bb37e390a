#include "Commands.h"

#include "program/ProgramFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <cstdio>

// Lists the example documents the program offers, from the example list of the program's data
// folder: one path per line. Fails when the list or one of its documents is missing.
int RunExamples(const QStringList& args)
{
    if (!args.isEmpty()) {
        QTextStream(stderr) << "Використання: meridan-cli examples\n";
        return 2;
    }
    const QString folder = ProgramDataFolder();
    const auto examples = ReadExampleList(folder);
    if (!examples) {
        QTextStream(stderr) << "Не знайдено список прикладів \"" << ExampleListFileName << "\" у теці \""
                            << QDir::toNativeSeparators(folder) << "\".\n";
        return 1;
    }
    QTextStream out(stdout);
    int status = 0;
    for (const QString& example : *examples) {
        const QString document = example + QStringLiteral(".mrd");
        out << QDir::toNativeSeparators(document) << '\n';
        if (!QFileInfo::exists(document)) {
            QTextStream(stderr) << "Файл прикладу не знайдено: " << QDir::toNativeSeparators(document) << '\n';
            status = 1;
        }
    }
    return status;
}
