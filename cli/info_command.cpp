#include "Commands.h"
#include "ConsoleMessenger.h"
#include "Json.h"
#include "NotesOutput.h"

#include "model/DocumentFile.h"
#include "model/MeasurementDocument.h"

#include <QTextStream>

namespace {

QString Fixable(const TFixableValue& setting)
{
    return QStringLiteral("{\"fixed\": %1, \"value\": %2}").arg(JsonBool(setting.Fixed), JsonNumber(setting.Value));
}

QString HeaderEntryJson(const HeaderEntry& entry)
{
    return QStringLiteral("{\"present\": %1, \"text\": %2}").arg(JsonBool(entry.Present), JsonString(entry.Text));
}

QString DocumentJson(const MeasurementDocument& doc)
{
    const bool individual = doc.IndividualMode();
    const std::vector<GroupSpan> spans = doc.DeriveGroups();
    QString out;
    QTextStream json(&out);
    json << "{\n";
    json << "  \"mode\": " << JsonString(individual ? QStringLiteral("individual") : QStringLiteral("subgroup"))
         << ",\n";
    json << "  \"subgroup_size\": " << (individual ? 0 : doc.SubgroupSize()) << ",\n";
    json << "  \"point_count\": " << doc.PointCount() << ",\n";
    json << "  \"group_count\": " << spans.size() << ",\n";
    json << "  \"display_precision\": " << doc.DisplayPrecision() << ",\n";

    static const std::pair<HeaderField, const char*> fields[]
        = { { HeaderField::Operator, "operator" }, { HeaderField::MeasuredParameter, "measured_parameter" },
              { HeaderField::Sample, "sample" }, { HeaderField::SamplePreparation, "sample_preparation" },
              { HeaderField::MeasurementMethod, "measurement_method" }, { HeaderField::Instrument, "instrument" },
              { HeaderField::Detector, "detector" } };
    json << "  \"header\": {\n";
    json << "    \"fill_date\": " << JsonString(doc.FillDate()) << ",\n";
    json << "    \"table_name\": " << JsonString(doc.TableName()) << ",\n";
    for (const auto& [field, key] : fields)
        json << "    \"" << key << "\": " << HeaderEntryJson(doc.Header(field)) << ",\n";
    QStringList lines;
    for (const QString& line : doc.AdditionalInfo())
        lines.append(JsonString(line));
    json << "    \"additional_information\": {\"present\": " << JsonBool(doc.AdditionalInfoPresent())
         << ", \"lines\": [" << lines.join(QStringLiteral(", ")) << "]}\n";
    json << "  },\n";
    json << "  \"units\": " << JsonString(doc.Units()) << ",\n";

    QStringList charts;
    for (const ChartChoice item : { N11, N21, N31, N41, N51, N61, N13 })
        charts.append(JsonBool(doc.ChartSelection(item)));
    json << "  \"charts\": [" << charts.join(QStringLiteral(", ")) << "],\n";

    json << "  \"groups\": [";
    const TIndividualInfo automatic(individual);
    for (size_t g = 0; g < spans.size(); ++g) {
        const TIndividualInfo& record = g < doc.Groups().size() ? doc.Groups()[g] : automatic;
        json << (g == 0 ? "\n" : ",\n");
        json << "    {\"first_point\": " << spans[g].FirstPoint << ", \"last_point\": " << spans[g].LastPoint
             << ",\n     \"centre\": " << Fixable(record.CentreSetting)
             << ",\n     \"sigma\": " << Fixable(record.SigmaSetting)
             << ",\n     \"deviation_centre\": " << Fixable(record.DeviationCentreSetting)
             << ",\n     \"rel_deviation_centre\": " << Fixable(record.RelDeviationCentreSetting)
             << ",\n     \"median_centre\": " << Fixable(record.MedianCentreSetting)
             << ",\n     \"range_centre\": " << Fixable(record.RangeCentreSetting)
             << ",\n     \"rel_range_centre\": " << Fixable(record.RelRangeCentreSetting)
             << ",\n     \"use_sample_deviation\": " << JsonBool(record.UseSampleDeviation) << "}";
    }
    json << (spans.empty() ? "]" : "\n  ]") << ",\n";

    json << "  \"points\": " << PointNotesJson(doc) << ",\n";
    json << "  \"log_entries\": " << doc.Log().Size() << "\n";
    json << "}\n";
    json.flush();
    return out;
}

} // namespace

// meridan-cli info FILE: the document's kind, counts, header, chart choices, group settings, the points'
// notes and exclusions and the length of the change log as JSON.
int RunInfo(const QStringList& args)
{
    if (args.size() != 1) {
        QTextStream(stderr) << "Використання: meridan-cli info FILE\n";
        return 2;
    }
    ConsoleMessenger messenger;
    MeasurementDocument doc(messenger);
    if (!LoadDocument(doc, args.front()))
        return 1;
    QTextStream(stdout) << DocumentJson(doc);
    return 0;
}
