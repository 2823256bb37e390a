#include "Commands.h"
#include "ConsoleMessenger.h"

#include "compute/ComputeDriver.h"
#include "model/DocumentFile.h"
#include "model/MeasurementDocument.h"
#include "model/Numbers.h"
#include "paint/ChartPage.h"
#include "paint/DrawingState.h"
#include "paint/Paint.h"

#include <QImage>
#include <QLocale>
#include <QTextStream>
#include <optional>

namespace {

int Usage(const QString& why = QString())
{
    QTextStream err(stderr);
    if (!why.isEmpty())
        err << why << '\n';
    err << "Використання: meridan-cli chart FILE --slot S -o OUT.png [--scroll F] [--first A --last B] "
           "[--locale NAME]\n";
    return 2;
}

std::optional<int> ParseInteger(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

struct Options {
    QString file;
    QString output;
    std::optional<int> slot;
    double scroll = 0.0;
    std::optional<int> first;
    std::optional<int> last;
    std::optional<QString> locale;
};

// Reads the arguments; an empty optional means a usage error, already explained.
std::optional<Options> Parse(const QStringList& args, QString& why)
{
    Options options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool isOption = arg.startsWith(QLatin1Char('-')) && arg.size() > 1;
        if (!isOption) {
            if (!options.file.isEmpty()) {
                why = QStringLiteral("Зайвий аргумент: ") + arg;
                return std::nullopt;
            }
            options.file = arg;
            continue;
        }
        if (i + 1 >= args.size()) {
            why = QStringLiteral("Немає значення для ") + arg;
            return std::nullopt;
        }
        const QString value = args[++i];
        if (arg == QLatin1String("--slot")) {
            options.slot = ParseInteger(value);
            if (!options.slot || *options.slot < 0 || *options.slot >= ChartSlotCount) {
                why = QStringLiteral("Номер карти має бути від 0 до 5.");
                return std::nullopt;
            }
        } else if (arg == QLatin1String("-o")) {
            options.output = value;
        } else if (arg == QLatin1String("--scroll")) {
            const std::optional<double> f = ParseNumber(value);
            if (!f || *f < 0.0 || *f > 1.0) {
                why = QStringLiteral("Частка прокрутки має бути числом від 0 до 1.");
                return std::nullopt;
            }
            options.scroll = *f;
        } else if (arg == QLatin1String("--first") || arg == QLatin1String("--last")) {
            const std::optional<int> point = ParseInteger(value);
            if (!point || *point < 1) {
                why = QStringLiteral("Номер точки має бути цілим числом від 1.");
                return std::nullopt;
            }
            (arg == QLatin1String("--first") ? options.first : options.last) = point;
        } else if (arg == QLatin1String("--locale")) {
            options.locale = value;
        } else {
            why = QStringLiteral("Невідомий параметр: ") + arg;
            return std::nullopt;
        }
    }
    if (options.file.isEmpty() || options.output.isEmpty() || !options.slot) {
        why = QStringLiteral("Потрібні FILE, --slot і -o.");
        return std::nullopt;
    }
    if (options.first.has_value() != options.last.has_value() || (options.first && *options.last < *options.first)) {
        why = QStringLiteral("--first і --last задаються разом, і --first не більший за --last.");
        return std::nullopt;
    }
    return options;
}

} // namespace

int RunChart(const QStringList& args)
{
    QString why;
    const std::optional<Options> options = Parse(args, why);
    if (!options)
        return Usage(why);
    if (options->locale)
        QLocale::setDefault(QLocale(*options->locale));

    ConsoleMessenger messenger;
    MeasurementDocument doc(messenger);
    if (!LoadDocument(doc, options->file))
        return 1;
    const int slot = *options->slot;
    if (!SlotInUse(doc, slot))
        return Usage(QStringLiteral("Карта %1 не будується для цього документа.").arg(slot));
    if (doc.SeparatorFlags().size() <= 1) {
        QTextStream(stderr) << "У документі немає точок.\n";
        return 1;
    }
    if (!RunComputeCommand(doc))
        return 1;

    QImage image;
    try {
        if (options->first) {
            ChartDrawingState().LeftMargin = DrawingState().LeftMargin;
            DrawReportPicture(doc, slot, *options->first, *options->last, image);
        } else {
            DrawChartPage(doc, slot, image, options->scroll);
        }
    } catch (const DrawingAborted&) {
        return 1; // the drawing has shown its message
    }
    if (!image.save(options->output, "PNG")) {
        QTextStream(stderr) << "Не вдалося записати файл " << options->output << '\n';
        return 1;
    }
    return 0;
}
