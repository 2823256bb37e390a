#include "Commands.h"
#include "ConsoleMessenger.h"

#include "compute/ComputeDriver.h"
#include "model/DocumentFile.h"
#include "model/MeasurementDocument.h"
#include "paint/ChartPage.h"
#include "program/LaboratoryNames.h"
#include "program/ProgramFiles.h"
#include "reports/ReportAssembler.h"
#include "reports/ReportEngine.h"
#include "reports/ReportExport.h"
#include "reports/ReportRequest.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>
#include <optional>
#include <set>

namespace {

const char* const UsageText = "Використання: meridan-cli report FILE -o OUT.pdf [--html OUT.html] [--rtf OUT.rtf] "
                              "[--no-data] [--charts 0,2,...] [--range A-B] [--brief]\n";

int Usage(const QString& why = QString())
{
    QTextStream err(stderr);
    if (!why.isEmpty())
        err << why << '\n';
    err << UsageText;
    return 2;
}

int Failure(const QString& message)
{
    QTextStream(stderr) << message << '\n';
    return 1;
}

struct Options {
    QString file;
    QString pdf;
    QString html;
    QString rtf;
    bool data = true;
    std::optional<std::set<int>> charts;
    std::optional<PointRange> range;
    bool detailed = true;
};

std::optional<Options> Parse(const QStringList& args, QString& why)
{
    Options options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--no-data")) {
            options.data = false;
            continue;
        }
        if (arg == QLatin1String("--brief")) {
            options.detailed = false;
            continue;
        }
        const bool isOption = arg.startsWith(QLatin1Char('-')) && arg.size() > 1;
        if (!isOption) {
            if (!options.file.isEmpty()) {
                why = QStringLiteral("Зайвий аргумент: ") + arg;
                return std::nullopt;
            }
            options.file = arg;
            continue;
        }
        static const QStringList valued { QStringLiteral("-o"), QStringLiteral("--html"), QStringLiteral("--rtf"),
            QStringLiteral("--charts"), QStringLiteral("--range") };
        if (!valued.contains(arg)) {
            why = QStringLiteral("Невідомий параметр: ") + arg;
            return std::nullopt;
        }
        if (i + 1 >= args.size()) {
            why = QStringLiteral("Немає значення для ") + arg;
            return std::nullopt;
        }
        const QString value = args[++i];
        if (arg == QLatin1String("-o")) {
            options.pdf = value;
        } else if (arg == QLatin1String("--html")) {
            options.html = value;
        } else if (arg == QLatin1String("--rtf")) {
            options.rtf = value;
        } else if (arg == QLatin1String("--charts")) {
            std::set<int> slots;
            for (const QString& part : value.split(QLatin1Char(','))) {
                bool ok = false;
                const int slot = part.trimmed().toInt(&ok);
                if (!ok || slot < 0 || slot >= ChartSlotCount) {
                    why = QStringLiteral("Номери карт мають бути від 0 до 5 через кому.");
                    return std::nullopt;
                }
                slots.insert(slot);
            }
            options.charts = slots;
        } else { // --range
            static const QRegularExpression pattern(QStringLiteral("^\\s*(\\d{1,9})\\s*-\\s*(\\d{1,9})\\s*$"));
            const QRegularExpressionMatch match = pattern.match(value);
            if (!match.hasMatch()) {
                why = QStringLiteral("Діапазон точок задається як A-B, наприклад 1-25.");
                return std::nullopt;
            }
            options.range = PointRange { match.captured(1).toInt(), match.captured(2).toInt() };
        }
    }
    if (options.file.isEmpty() || options.pdf.isEmpty()) {
        why = QStringLiteral("Потрібні FILE і -o.");
        return std::nullopt;
    }
    return options;
}

// The request the options window would make with every chart of the mode (or those listed)
// chosen over the whole range (or A to B; a chart with fewer values than B ends at its last).
ReportRequest RequestFor(const MeasurementDocument& doc, const Options& options, QString& why)
{
    ReportRequest request = DefaultReportRequest(doc);
    const auto rangeOf = [&](int slot) {
        // Both ends: A-B past the moving ranges' last value still prints that chart's end.
        const PointRange range = ClampToChart(doc, slot, options.range.value_or(PointRange { 1, doc.PointCount() }));
        return std::pair(QString::number(range.First), QString::number(range.Last));
    };
    const auto [dataFirst, dataLast] = rangeOf(-1);
    request.Data = { options.data, dataFirst, dataLast, false };
    for (int slot : options.charts.value_or(std::set<int>())) {
        if (!SlotInUse(doc, slot))
            why = QStringLiteral("Карта %1 не будується для цього документа.").arg(slot);
    }
    for (int slot : ReportSlots(doc)) {
        const bool chosen = !options.charts || options.charts->count(slot) > 0;
        const auto [first, last] = rangeOf(slot);
        request.Charts[size_t(slot)] = { chosen, first, last, options.detailed };
    }
    return request;
}

} // namespace

int RunReport(const QStringList& args)
{
    QString why;
    const std::optional<Options> options = Parse(args, why);
    if (!options)
        return Usage(why);

    ConsoleMessenger messenger;
    MeasurementDocument doc(messenger);
    if (!LoadDocument(doc, options->file))
        return 1;
    if (doc.SeparatorFlags().size() <= 1)
        return Failure(QStringLiteral("У документі немає точок."));
    if (!RunComputeCommand(doc))
        return 1;

    const ReportRequest request = RequestFor(doc, *options, why);
    if (!why.isEmpty())
        return Usage(why);
    if (const std::optional<QString> message = CheckRanges(doc, request))
        return Failure(*message);
    const QString templates = ReportTemplateFolder(ProgramDataFolder());
    if (const std::optional<QString> message = MissingTemplateMessage(templates))
        return Failure(*message);

    rpt::ReportEngine engine;
    ReportAssembler assembler(doc, engine, templates);
    assembler.SetLaboratoryNames(ReadLaboratoryNames(LaboratoryDefaultsFile(ProgramDataFolder())));
    if (assembler.Assemble(request) != ReportAssembler::Outcome::Done)
        return 1; // the messenger has said why
    if (const QString warnings = engine.prepared().warningsMessage(); !warnings.isEmpty())
        messenger.ShowMessage(warnings); // on standard error; the report is still written

    rpt::ExportInfo info;
    info.title = doc.TableName().isEmpty() ? QFileInfo(options->file).completeBaseName() : doc.TableName();
    try {
        rpt::exportPdf(engine.prepared(), options->pdf, info);
        if (!options->html.isEmpty())
            rpt::exportHtml(engine.prepared(), options->html, info);
        if (!options->rtf.isEmpty())
            rpt::exportRtf(engine.prepared(), options->rtf, info);
    } catch (const rpt::ReportError& error) {
        return Failure(error.message());
    }
    return 0;
}
