#include "Commands.h"
#include "ConsoleMessenger.h"
#include "PointRows.h"

#include "actions/DocumentActions.h"
#include "model/DocumentFile.h"
#include "model/MeasurementDocument.h"
#include "model/PointNote.h"

#include <QTextStream>
#include <optional>

namespace {

const char annotateUsage[] = "Використання: meridan-cli annotate FILE --point N [--note TEXT] [--action TEXT] "
                             "[--exclude REASON | --include]\n";

int usageError(const QString& why)
{
    QTextStream err(stderr);
    if (!why.isEmpty())
        err << why << '\n';
    err << annotateUsage;
    return 2;
}

struct AnnotateArguments {
    QString File;
    int Point = 0;
    std::optional<QString> Note;
    std::optional<QString> Action;
    std::optional<QString> Exclude;
    bool Include = false;
};

// Empty when the arguments are well formed; otherwise why not.
QString parseArguments(const QStringList& args, AnnotateArguments& out)
{
    bool pointGiven = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        auto value = [&]() { return args[++i]; };
        if (arg == QLatin1String("--include")) {
            out.Include = true;
        } else if (!arg.startsWith(QLatin1String("--"))) {
            if (!out.File.isEmpty())
                return QStringLiteral("Зайвий аргумент: %1").arg(arg);
            out.File = arg;
        } else if (arg != QLatin1String("--point") && arg != QLatin1String("--note") && arg != QLatin1String("--action")
            && arg != QLatin1String("--exclude")) {
            return QStringLiteral("Невідомий параметр: %1").arg(arg);
        } else if (!hasValue) {
            return QStringLiteral("Після %1 бракує значення.").arg(arg);
        } else if (arg == QLatin1String("--point")) {
            bool ok = false;
            out.Point = value().trimmed().toInt(&ok);
            if (!ok || out.Point < 1)
                return QStringLiteral("Номер точки має бути цілим числом від 1.");
            pointGiven = true;
        } else {
            std::optional<QString>& target = arg == QLatin1String("--note") ? out.Note
                : arg == QLatin1String("--action")                          ? out.Action
                                                                            : out.Exclude;
            target = value();
            if (target->size() > PointNoteMaxChars)
                return QStringLiteral("Текст після %1 довший за %2 символів.").arg(arg).arg(PointNoteMaxChars);
        }
    }
    if (out.File.isEmpty() || !pointGiven)
        return QStringLiteral("Потрібні файл і --point N.");
    if (out.Exclude && out.Include)
        return QStringLiteral("Задайте або --exclude, або --include, не обидва.");
    if (out.Exclude && out.Exclude->trimmed().isEmpty())
        return QStringLiteral("Причина виключення точки не може бути порожньою.");
    if (!out.Note && !out.Action && !out.Exclude && !out.Include)
        return QStringLiteral("Нічого змінювати: задайте --note, --action, --exclude або --include.");
    return {};
}

} // namespace

// meridan-cli annotate FILE --point N ...: changes the note, the corrective action or the exclusion
// of one point as the note dialog does, with its entry in the change log, and saves the file.
int RunAnnotate(const QStringList& args)
{
    AnnotateArguments arguments;
    const QString why = parseArguments(args, arguments);
    if (!why.isEmpty())
        return usageError(why);

    ConsoleMessenger messenger;
    MeasurementDocument doc(messenger);
    if (!LoadDocument(doc, arguments.File))
        return 1;
    const int row = TableRowOfPoint(doc, arguments.Point);
    if (row == 0) {
        return usageError(
            QStringLiteral("Точки %1 у документі немає: він має точок %2.").arg(arguments.Point).arg(doc.PointCount()));
    }
    const PointNote* old = doc.NoteOf(row);
    PointNote note = old ? *old : PointNote();
    if (arguments.Note)
        note.Note = *arguments.Note;
    if (arguments.Action)
        note.Action = *arguments.Action;
    if (arguments.Exclude)
        note.ExcludeReason = *arguments.Exclude;
    if (arguments.Include)
        note.ExcludeReason.clear();

    DocumentActions actions(doc);
    if (!actions.SetPointNote(row, note)) {
        QTextStream(stdout) << QStringLiteral("Точка %1 вже має такий запис; файл не змінено.\n").arg(arguments.Point);
        return 0;
    }
    actions.FlushLog();
    if (!SaveDocument(doc, arguments.File))
        return 1;
    QTextStream(stdout)
        << QStringLiteral("Точку %1 змінено; записів у журналі змін: %2.\n").arg(arguments.Point).arg(doc.Log().Size());
    return 0;
}
