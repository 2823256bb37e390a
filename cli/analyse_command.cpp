#include "Commands.h"
#include "ConsoleMessenger.h"
#include "Json.h"

#include "compute/ComputeDriver.h"
#include "criteria/CriteriaEngine.h"
#include "model/DocumentFile.h"
#include "model/MeasurementDocument.h"
#include "model/Numbers.h"
#include "presentation/AnalysisPresentation.h"
#include "presentation/MainWindowState.h"

#include <QTextStream>
#include <optional>
#include <vector>

namespace {

struct Outcome {
    bool ok = false;
    std::optional<QString> error;
    int walkedGroups = 0; // groups the compute walked, the failing one included
};

// The slots a mode charts; the median chart does not exist above ten values per subgroup.
std::vector<int> ReportedSlots(const MeasurementDocument& doc)
{
    if (doc.IndividualMode())
        return { SlotCentre, SlotDeviation };
    std::vector<int> slots;
    for (int slot = 0; slot < ChartSlotCount; ++slot) {
        if (slot != SlotMedians || doc.SubgroupSize() <= 10)
            slots.push_back(slot);
    }
    return slots;
}

QString JsonSetting(const TFixableValue& setting)
{
    return QStringLiteral("{\"fixed\": %1, \"value\": %2}").arg(JsonBool(setting.Fixed), JsonNumber(setting.Value));
}

QString JsonHits(const ErrorArray& hits)
{
    QStringList items;
    for (const TCriterionHit& hit : hits)
        items << QStringLiteral("[%1, %2, %3]").arg(hit.Criterion).arg(hit.FirstPoint).arg(hit.LastPoint);
    return QLatin1Char('[') + items.join(QStringLiteral(", ")) + QLatin1Char(']');
}

QString JsonSlot(const TIndividualInfo& g, int slot)
{
    const TControlLines& lines = g.Lines[size_t(slot)];
    const TSlotHits& hits = g.Hits[size_t(slot)];
    QStringList series;
    for (double v : g.Series(slot))
        series << JsonNumber(v);
    QString out = QStringLiteral("{\"slot\": %1, \"centre\": %2, \"lower\": %3, \"upper\": %4, \"series\": [%5], ")
                      .arg(QString::number(slot), JsonNumber(lines.Centre), JsonNumber(lines.Lower),
                          JsonNumber(lines.Upper), series.join(QStringLiteral(", ")));
    out += QStringLiteral("\"westgard\": %1, \"iso\": %2, ").arg(JsonHits(hits.Westgard), JsonHits(hits.Iso));
    out += QStringLiteral("\"westgard_list\": %1, \"iso_list\": %2, ")
               .arg(JsonString(CriteriaList(hits.Westgard)), JsonString(CriteriaList(hits.Iso)));
    out += QStringLiteral("\"westgard_verdict\": %1, \"iso_verdict\": %2}")
               .arg(JsonString(Verdict(CriteriaFamily::Westgard, hits.Westgard).Text),
                   JsonString(Verdict(CriteriaFamily::Iso, hits.Iso).Text));
    return out;
}

QString JsonGroup(const MeasurementDocument& doc, const GroupSpan& span, const TIndividualInfo& g, bool withSlots)
{
    QString out = QStringLiteral("{\"first_point\": %1, \"last_point\": %2, \"counted_points\": %3, "
                                 "\"grand_mean\": %4, \"mean_deviation\": %5, \"mean_range\": %6, ")
                      .arg(QString::number(span.FirstPoint), QString::number(span.LastPoint),
                          QString::number(g.CountedPointCount()), JsonNumber(g.GrandMean), JsonNumber(g.MeanDeviation),
                          JsonNumber(g.MeanRange));
    out += QStringLiteral("\"settings\": {\"centre\": %1, \"sigma\": %2, \"deviation_centre\": %3, "
                          "\"rel_deviation_centre\": %4, \"median_centre\": %5, \"range_centre\": %6, "
                          "\"rel_range_centre\": %7, \"use_sample_deviation\": %8}")
               .arg(JsonSetting(g.CentreSetting), JsonSetting(g.SigmaSetting), JsonSetting(g.DeviationCentreSetting),
                   JsonSetting(g.RelDeviationCentreSetting), JsonSetting(g.MedianCentreSetting),
                   JsonSetting(g.RangeCentreSetting), JsonSetting(g.RelRangeCentreSetting),
                   JsonBool(g.UseSampleDeviation));
    if (withSlots) {
        QStringList slots;
        for (int slot : ReportedSlots(doc))
            slots << JsonSlot(g, slot);
        out += QStringLiteral(", \"slots\": [") + slots.join(QStringLiteral(", ")) + QLatin1Char(']');
    }
    return out + QLatin1Char('}');
}

QString Json(const MeasurementDocument& doc, const Outcome& outcome)
{
    const bool individual = doc.IndividualMode();
    QString out = QStringLiteral("{\"mode\": %1, \"subgroup_size\": %2, \"point_count\": %3, "
                                 "\"display_precision\": %4, \"ok\": %5, \"error\": %6, \"groups\": [")
                      .arg(JsonString(individual ? QStringLiteral("individual") : QStringLiteral("subgroup")),
                          QString::number(individual ? 0 : doc.SubgroupSize()), QString::number(doc.PointCount()),
                          QString::number(doc.DisplayPrecision()), JsonBool(outcome.ok),
                          outcome.error ? JsonString(*outcome.error) : QStringLiteral("null"));
    const std::vector<GroupSpan> spans = doc.DeriveGroups();
    QStringList groups;
    for (int g = 0; g < outcome.walkedGroups && size_t(g) < spans.size() && size_t(g) < doc.Groups().size(); ++g)
        groups << JsonGroup(doc, spans[size_t(g)], doc.Groups()[size_t(g)], outcome.ok);
    out += groups.join(QStringLiteral(", "));
    return out + QStringLiteral("]}\n");
}

void PrintSummary(QTextStream& out, const MeasurementDocument& doc, const QString& fileName, const Outcome& outcome)
{
    const int d = doc.DisplayPrecision();
    out << "Файл: " << fileName << '\n';
    if (doc.IndividualMode())
        out << "Індивідуальні значення, точок: " << doc.PointCount() << '\n';
    else
        out << "Підгрупи по " << doc.SubgroupSize() << " значень, підгруп: " << doc.PointCount() << '\n';
    if (!outcome.ok) {
        out << "Обчислення не виконано";
        if (outcome.error)
            out << ": " << *outcome.error;
        out << '\n';
        return;
    }
    const QString units = TrimBlanks(doc.Units()).toString();
    const std::vector<GroupSpan> spans = doc.DeriveGroups();
    for (size_t g = 0; g < spans.size() && g < doc.Groups().size(); ++g) {
        const TIndividualInfo& group = doc.Groups()[g];
        out << '\n' << "Група точок " << MeasurementDocument::GroupRangeText(spans[g]) << '\n';
        for (int slot : ReportedSlots(doc)) {
            const TControlLines& lines = group.Lines[size_t(slot)];
            const QString unit = slot == SlotRelDeviation || slot == SlotRelRanges ? QStringLiteral("%") : units;
            const QString suffix = unit.isEmpty() ? QString() : QLatin1Char(' ') + unit;
            out << "  " << MainWindowState(doc).TabCaption(slot) << ": центральна лінія "
                << FormatFixed(lines.Centre, d) << suffix << ", нижня межа " << FormatFixed(lines.Lower, d) << suffix
                << ", верхня межа " << FormatFixed(lines.Upper, d) << suffix << '\n';
            const TSlotHits& hits = group.Hits[size_t(slot)];
            out << "    Westgard: " << CriteriaSentence(hits.Westgard) << '\n'
                << "      " << Verdict(CriteriaFamily::Westgard, hits.Westgard).Text << '\n';
            out << "    ДСТУ ISO 8258-2001: " << CriteriaSentence(hits.Iso) << '\n'
                << "      " << Verdict(CriteriaFamily::Iso, hits.Iso).Text << '\n';
        }
    }
}

int Usage()
{
    QTextStream(stderr) << "Використання: meridan-cli analyse FILE [--json]\n";
    return 2;
}

} // namespace

int RunAnalyse(const QStringList& args)
{
    QString fileName;
    bool json = false;
    for (const QString& arg : args) {
        if (arg == QLatin1String("--json"))
            json = true;
        else if (arg.startsWith(QLatin1String("--")) || !fileName.isEmpty())
            return Usage();
        else
            fileName = arg;
    }
    if (fileName.isEmpty())
        return Usage();

    ConsoleMessenger messenger;
    MeasurementDocument doc(messenger);
    Outcome outcome;
    if (!LoadDocument(doc, fileName)) {
        outcome.error = messenger.messages.isEmpty() ? QStringLiteral("Не вдалося прочитати файл ") + fileName
                                                     : messenger.messages.last();
        if (messenger.messages.isEmpty())
            QTextStream(stderr) << *outcome.error << '\n';
    } else if (doc.SeparatorFlags().size() <= 1) {
        QTextStream(stderr) << "У документі немає точок.\n";
    } else {
        const qsizetype before = messenger.messages.size();
        outcome.ok = RunComputeCommand(doc);
        outcome.walkedGroups = int(doc.GroupList().size());
        if (!outcome.ok) {
            outcome.error = messenger.messages.size() > before
                ? messenger.messages.last()
                : QStringLiteral("Некоректні дані! Неможливо провести обчислення");
        }
    }

    QTextStream out(stdout);
    if (json)
        out << Json(doc, outcome);
    else
        PrintSummary(out, doc, fileName, outcome);
    return outcome.ok ? 0 : 1;
}
