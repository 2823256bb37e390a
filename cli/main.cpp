#include "Commands.h"

#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// The offscreen platform warns about a missing runtime folder it does not need; users' scripts
// read standard error for our own messages only.
void quietMessages(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (text.startsWith(QLatin1String("QStandardPaths:")))
        return;
    QTextStream(stderr) << qFormatLogMessage(type, context, text) << '\n';
}

int usage()
{
    QTextStream(stderr) << "Використання:\n"
                           "  meridan-cli info FILE\n"
                           "  meridan-cli resave IN OUT\n"
                           "  meridan-cli analyse FILE [--json]\n"
                           "  meridan-cli chart FILE --slot S -o OUT.png [--scroll F] [--first A --last B] "
                           "[--locale NAME]\n"
                           "  meridan-cli report FILE -o OUT.pdf [--html OUT.html] [--rtf OUT.rtf] [--no-data] "
                           "[--charts 0,2,...] [--range A-B] [--brief]\n"
                           "  meridan-cli examples\n"

                           "  meridan-cli import IN -o OUT.mrd [--sheet NAME|N] [--values C1[-C2]] [--date-column C] "
                           "[--group-column C] [--note-column C] [--action-column C] [--exclude-column C] [--header] "
                           "[--delimiter D] [--decimal-comma] [--encoding utf-8|cp1251]\n"
                           "  meridan-cli export FILE -o OUT.csv|OUT.xlsx\n"
                           "  meridan-cli log FILE [--json]\n"
                           "      коди виходу: 0 журнал цілий; 1 журнал змінено поза програмою (повідомлення "
                           "у стандартний потік помилок); 2 файл не прочитано\n"
                           "  meridan-cli annotate FILE --point N [--note TEXT] [--action TEXT] "
                           "[--exclude REASON | --include]\n"
                           "  meridan-cli validate [-o OUT.pdf] [--json]\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    // Drawing needs fonts, so a GUI application on the offscreen platform when there is no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietMessages);
    // info and log read a document and draw nothing: the core application starts quicker.
    const bool drawing = !(argc > 1 && (std::strcmp(argv[1], "info") == 0 || std::strcmp(argv[1], "log") == 0));
    std::unique_ptr<QCoreApplication> app
        = drawing ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        return usage();
    const QString command = args.takeFirst();
    if (command == QLatin1String("info"))
        return RunInfo(args);
    if (command == QLatin1String("resave"))
        return RunResave(args);
    if (command == QLatin1String("analyse"))
        return RunAnalyse(args);
    if (command == QLatin1String("chart"))
        return RunChart(args);
    if (command == QLatin1String("report"))
        return RunReport(args);
    if (command == QLatin1String("examples"))
        return RunExamples(args);
    if (command == QLatin1String("import"))
        return RunImport(args);
    if (command == QLatin1String("export"))
        return RunExport(args);
    if (command == QLatin1String("log"))
        return RunLog(args);
    if (command == QLatin1String("annotate"))
        return RunAnnotate(args);
    if (command == QLatin1String("validate"))
        return RunValidate(args);
    return usage();
}
