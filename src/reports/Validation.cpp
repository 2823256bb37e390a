#include "reports/Validation.h"

#include "compute/ComputeDriver.h"
#include "compute/GroupCompute.h"
#include "model/MeasurementDocument.h"
#include "model/Numbers.h"
#include "paint/ChartPage.h"
#include "program/ProgramFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <set>
#include <span>

namespace validation {

namespace {

    // Far above any pack we deliver; a larger file is refused rather than read into memory.
    constexpr qint64 MaxPackFileBytes = 16 * 1024 * 1024;
    constexpr int MaxCsvRows = 100000;

    // Keeps every message of one case's document: a failed compute explains itself.
    class CollectingMessenger final : public Messenger {
    public:
        void ShowMessage(const QString& text) override { messages.append(text); }
        bool AskYesNo(const QString& question) override
        {
            messages.append(question);
            return false;
        }
        QStringList messages;
    };

    std::optional<QByteArray> ReadSmallFile(const QString& path, QString& why)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            why = QStringLiteral("Не вдалося відкрити файл \"%1\"").arg(QDir::toNativeSeparators(path));
            return std::nullopt;
        }
        if (file.size() > MaxPackFileBytes) {
            why = QStringLiteral("Файл \"%1\" завеликий").arg(QDir::toNativeSeparators(path));
            return std::nullopt;
        }
        return file.readAll();
    }

    // Header row, then one row of value texts per line; "." decimals, "," between values.
    std::vector<QStringList> ReadCsv(const QString& path, int columns, QStringList& errors)
    {
        QString why;
        const std::optional<QByteArray> bytes = ReadSmallFile(path, why);
        if (!bytes) {
            errors.append(why);
            return {};
        }
        const QStringList lines = QString::fromUtf8(*bytes).split(QLatin1Char('\n'));
        std::vector<QStringList> rows;
        bool header = true;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QString line = lines[i].trimmed();
            if (line.isEmpty())
                continue;
            if (header) {
                header = false;
                continue;
            }
            QStringList cells = line.split(QLatin1Char(','));
            for (QString& cell : cells)
                cell = cell.trimmed();
            if (cells.size() != columns) {
                errors.append(QStringLiteral("%1, рядок %2: %3 значень замість %4")
                                  .arg(QFileInfo(path).fileName())
                                  .arg(i + 1)
                                  .arg(cells.size())
                                  .arg(columns));
                return {};
            }
            if (int(rows.size()) >= MaxCsvRows) {
                errors.append(QStringLiteral("%1: забагато рядків").arg(QFileInfo(path).fileName()));
                return {};
            }
            rows.push_back(cells);
        }
        if (rows.empty())
            errors.append(QStringLiteral("%1: немає значень").arg(QFileInfo(path).fileName()));
        return rows;
    }

    std::optional<int> IntegerOf(const QJsonValue& value)
    {
        if (!value.isDouble())
            return std::nullopt;
        const double d = value.toDouble();
        if (d != std::floor(d) || std::abs(d) > 1e9)
            return std::nullopt;
        return int(d);
    }

    std::optional<std::vector<int>> IntegersOf(const QJsonValue& value)
    {
        if (!value.isArray())
            return std::nullopt;
        std::vector<int> out;
        for (const QJsonValue& item : value.toArray()) {
            const std::optional<int> n = IntegerOf(item);
            if (!n)
                return std::nullopt;
            out.push_back(*n);
        }
        return out;
    }

    // A JSON value as one line of text, for what is only shown.
    QString ShownText(const QJsonValue& value)
    {
        if (value.isString())
            return value.toString();
        if (value.isDouble())
            return RoundTripText(value.toDouble());
        if (value.isBool())
            return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
        if (value.isArray()) {
            QStringList items;
            for (const QJsonValue& item : value.toArray())
                items.append(ShownText(item));
            return items.join(QStringLiteral(", "));
        }
        if (value.isObject()) {
            QStringList items;
            const QJsonObject object = value.toObject();
            for (auto it = object.begin(); it != object.end(); ++it)
                items.append(it.key() + QStringLiteral(": ") + ShownText(it.value()));
            return items.join(QStringLiteral("; "));
        }
        return QString();
    }

    bool SlotOfMode(const ValidationCase& c, int slot)
    {
        if (c.Individual)
            return slot == SlotCentre || slot == SlotDeviation;
        return slot >= 0 && slot < ChartSlotCount && (slot != SlotMedians || c.SubgroupSize <= 10);
    }

    // "CL0 of group 1", "R-bar of group 1 / 2.326 (...)", "MR-bar of group 1 / 1.128", "s-bar of group 1 / 0.94".
    std::optional<FixedFrom> ParseFixed(const QString& text, bool sigma, QString& why)
    {
        static const QRegularExpression pattern(QStringLiteral(
            "^\\s*(CL0|R-bar|MR-bar|s-bar) of group (\\d{1,6})(?:\\s*/\\s*(\\d+(?:\\.\\d+)?))?(?:\\s*\\(.*\\))?\\s*$"));
        const QRegularExpressionMatch match = pattern.match(text);
        if (!match.hasMatch()) {
            why = QStringLiteral("незрозуміле задання \"%1\"").arg(text);
            return std::nullopt;
        }
        FixedFrom fixed;
        const QString what = match.captured(1);
        fixed.Group = match.captured(2).toInt();
        if (what == QLatin1String("CL0"))
            fixed.From = FixedFrom::Source::Centre;
        else if (what == QLatin1String("R-bar"))
            fixed.From = FixedFrom::Source::MeanRange;
        else if (what == QLatin1String("MR-bar"))
            fixed.From = FixedFrom::Source::MeanMovingRange;
        else
            fixed.From = FixedFrom::Source::MeanDeviation;
        const bool centre = fixed.From == FixedFrom::Source::Centre;
        if (centre == sigma || centre != match.captured(3).isEmpty()) {
            why = QStringLiteral("незрозуміле задання \"%1\"").arg(text);
            return std::nullopt;
        }
        if (!centre) {
            fixed.Divisor = match.captured(3).toDouble();
            if (!(fixed.Divisor > 0)) {
                why = QStringLiteral("дільник має бути додатнім: \"%1\"").arg(text);
                return std::nullopt;
            }
        }
        return fixed;
    }

    void ReadSetup(ValidationCase& c, const QJsonObject& setup)
    {
        const QJsonArray groups = setup.value(QLatin1String("groups")).toArray();
        if (groups.isEmpty())
            c.Errors.append(QStringLiteral("не задано групи точок"));
        for (qsizetype i = 0; i < groups.size(); ++i) {
            const QJsonObject group = groups[i].toObject();
            const std::optional<std::vector<int>> rows = IntegersOf(group.value(QLatin1String("rows")));
            GroupSetup g;
            if (!rows || rows->size() != 2 || (*rows)[0] < 1 || (*rows)[1] < (*rows)[0]) {
                c.Errors.append(QStringLiteral("група %1: рядки мають бути [перший, останній]").arg(i + 1));
                continue;
            }
            g.FirstRow = (*rows)[0];
            g.LastRow = (*rows)[1];
            const QJsonObject fixed = group.value(QLatin1String("fixed")).toObject();
            for (auto it = fixed.begin(); it != fixed.end(); ++it) {
                const bool sigma = it.key() == QLatin1String("SigmaSetting");
                if (!sigma && it.key() != QLatin1String("CentreSetting")) {
                    c.Errors.append(QStringLiteral("група %1: невідоме задання %2").arg(i + 1).arg(it.key()));
                    continue;
                }
                QString why;
                const std::optional<FixedFrom> from = ParseFixed(it.value().toString(), sigma, why);
                if (!from) {
                    c.Errors.append(QStringLiteral("група %1: %2").arg(i + 1).arg(why));
                    continue;
                }
                if (from->Group < 1 || from->Group > int(i)) {
                    c.Errors.append(
                        QStringLiteral("група %1: задання може спиратися лише на попередню групу").arg(i + 1));
                    continue;
                }
                const bool individualSource = from->From == FixedFrom::Source::MeanMovingRange;
                if (!sigma || individualSource == c.Individual)
                    (sigma ? g.Sigma : g.Centre) = from;
                else
                    c.Errors.append(QStringLiteral("група %1: \"%2\" не підходить до виду документа")
                                        .arg(i + 1)
                                        .arg(it.value().toString()));
            }
            c.Groups.push_back(g);
        }
        const QJsonValue basis = setup.value(QLatin1String("UseSampleDeviation"));
        if (basis.isBool())
            c.UseSampleDeviation = basis.toBool();
        else if (!basis.isUndefined())
            c.Errors.append(QStringLiteral("UseSampleDeviation має бути true або false"));
    }

    void ReadPublished(ValidationCase& c, const QJsonArray& entries)
    {
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const QJsonObject o = entries[i].toObject();
            PublishedEntry e;
            e.What = o.value(QLatin1String("what")).toString();
            const QString where = e.What.isEmpty() ? QStringLiteral("запис %1").arg(i + 1) : e.What;
            e.Printed = o.value(QLatin1String("printed")).toString();
            e.Comparable = o.value(QLatin1String("comparable")).toBool(false);
            e.Method = o.value(QLatin1String("method")).toString();
            e.Reason = o.value(QLatin1String("reason")).toString();
            e.ToleranceBasis = o.value(QLatin1String("tolerance_basis")).toString();
            if (o.value(QLatin1String("published")).isDouble())
                e.Published = o.value(QLatin1String("published")).toDouble();
            if (o.value(QLatin1String("tolerance")).isDouble())
                e.Tolerance = o.value(QLatin1String("tolerance")).toDouble();
            e.Decimals = IntegerOf(o.value(QLatin1String("decimals"))).value_or(-1);
            e.Slot = IntegerOf(o.value(QLatin1String("slot"))).value_or(-1);
            e.Group = IntegerOf(o.value(QLatin1String("group"))).value_or(0);
            const QString line = o.value(QLatin1String("line")).toString();
            if (line == QLatin1String("lower"))
                e.Line = LineKind::Lower;
            else if (line == QLatin1String("centre"))
                e.Line = LineKind::Centre;
            else if (line == QLatin1String("upper"))
                e.Line = LineKind::Upper;
            else if (!o.value(QLatin1String("line")).isNull() && !o.value(QLatin1String("line")).isUndefined())
                c.Errors.append(QStringLiteral("%1: невідома лінія \"%2\"").arg(where, line));
            if (o.contains(QLatin1String("points")) || o.contains(QLatin1String("values"))) {
                const std::optional<std::vector<int>> points = IntegersOf(o.value(QLatin1String("points")));
                const QJsonArray values = o.value(QLatin1String("values")).toArray();
                if (points)
                    e.Points = *points;
                for (const QJsonValue& v : values)
                    e.Values.push_back(v.isDouble() ? v.toDouble() : std::nan(""));
                const bool allNumbers
                    = std::none_of(e.Values.begin(), e.Values.end(), [](double v) { return std::isnan(v); });
                if (!points || e.Points.empty() || e.Points.size() != e.Values.size() || !allNumbers)
                    c.Errors.append(QStringLiteral("%1: точки і значення ряду не відповідають одне одному").arg(where));
            }
            if (e.Comparable) {
                // Only what can be compared is checked here; a shown-only entry may lack any of it.
                const bool series = !e.Values.empty();
                if (!SlotOfMode(c, e.Slot))
                    c.Errors.append(
                        QStringLiteral("%1: карта %2 не будується для цього випадку").arg(where).arg(e.Slot));
                if (e.Group < 1 || e.Group > int(c.Groups.size()))
                    c.Errors.append(QStringLiteral("%1: немає групи %2").arg(where).arg(e.Group));
                if (!e.Tolerance || *e.Tolerance < 0 || !std::isfinite(*e.Tolerance))
                    c.Errors.append(QStringLiteral("%1: не задано допуск").arg(where));
                if (e.Decimals < 0)
                    c.Errors.append(QStringLiteral("%1: не задано кількість знаків").arg(where));
                if (series == (e.Line != LineKind::None) || (!series && !e.Published))
                    c.Errors.append(
                        QStringLiteral("%1: має бути або лінія з опублікованим числом, або ряд").arg(where));
            }
            c.Published.push_back(e);
        }
    }

    void ReadRuleHits(ValidationCase& c, const QJsonArray& entries)
    {
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const QJsonObject o = entries[i].toObject();
            RuleHitEntry r;
            r.What = o.value(QLatin1String("what")).toString();
            const QString where = r.What.isEmpty() ? QStringLiteral("правило %1").arg(i + 1) : r.What;
            r.Counts = o.value(QLatin1String("counts_as_validation")).toBool(false);
            r.Reason = o.value(QLatin1String("reason")).toString();
            const QJsonValue slot = o.value(QLatin1String("slot"));
            if (const std::optional<int> one = IntegerOf(slot))
                r.Slots = { *one };
            else if (const std::optional<std::vector<int>> many = IntegersOf(slot))
                r.Slots = *many;
            r.Group = IntegerOf(o.value(QLatin1String("group")));
            r.Points = IntegersOf(o.value(QLatin1String("points"))).value_or(std::vector<int>());
            const QJsonObject criteria = o.value(QLatin1String("program_criteria")).toObject();
            r.WestgardRule = IntegerOf(criteria.value(QLatin1String("westgard"))).value_or(0);
            r.IsoTest = IntegerOf(criteria.value(QLatin1String("iso"))).value_or(0);
            if (r.Counts) {
                if (r.Slots.empty()
                    || !std::all_of(r.Slots.begin(), r.Slots.end(), [&](int s) { return SlotOfMode(c, s); }))
                    c.Errors.append(QStringLiteral("%1: карти задано неправильно").arg(where));
                if (r.Group && (*r.Group < 1 || *r.Group > int(c.Groups.size())))
                    c.Errors.append(QStringLiteral("%1: немає групи %2").arg(where).arg(*r.Group));
                if (r.WestgardRule < 1 || r.WestgardRule > 6 || r.IsoTest < 1 || r.IsoTest > 8)
                    c.Errors.append(QStringLiteral("%1: не задано правило Вестгарда і критерій ISO").arg(where));
                if (!o.value(QLatin1String("points")).isArray())
                    c.Errors.append(QStringLiteral("%1: не задано точки").arg(where));
            }
            c.RuleHits.push_back(r);
        }
    }

    ValidationCase ReadCase(const QJsonObject& o, const QString& folder)
    {
        ValidationCase c;
        c.Id = o.value(QLatin1String("id")).toString();
        c.Title = o.value(QLatin1String("title")).toString();
        c.File = o.value(QLatin1String("file")).toString();
        c.Licence = o.value(QLatin1String("licence")).toString();
        if (c.Id.isEmpty())
            c.Errors.append(QStringLiteral("випадок без id"));
        const QString kind = o.value(QLatin1String("kind")).toString();
        c.Individual = kind == QLatin1String("individual");
        if (!c.Individual && kind != QLatin1String("subgroup"))
            c.Errors.append(QStringLiteral("вид має бути individual або subgroup"));
        if (!c.Individual) {
            c.SubgroupSize = IntegerOf(o.value(QLatin1String("k"))).value_or(0);
            if (c.SubgroupSize < 2 || c.SubgroupSize > 25)
                c.Errors.append(QStringLiteral("розмір підгрупи має бути від 2 до 25"));
        }
        // The document first, then where in it; QJsonObject has lost the file's order.
        const QJsonObject source = o.value(QLatin1String("source")).toObject();
        QStringList keys = source.keys();
        const QStringList first { QStringLiteral("document"), QStringLiteral("edition"), QStringLiteral("location"),
            QStringLiteral("data"), QStringLiteral("call") };
        std::stable_sort(keys.begin(), keys.end(), [&first](const QString& a, const QString& b) {
            const auto rank = [&first](const QString& key) {
                const qsizetype i = first.indexOf(key);
                return i < 0 ? first.size() : i;
            };
            return rank(a) < rank(b);
        });
        for (const QString& key : keys)
            c.Source.append(key + QStringLiteral(": ") + ShownText(source.value(key)));
        const QString document = source.value(QLatin1String("document")).toString();
        const QString location = source.value(QLatin1String("location")).toString();
        c.SourceSummary = location.isEmpty() ? document : document + QStringLiteral("; ") + location;

        ReadSetup(c, o.value(QLatin1String("program_setup")).toObject());
        const QJsonObject slots = o.value(QLatin1String("slots")).toObject();
        for (auto it = slots.begin(); it != slots.end(); ++it) {
            const std::optional<int> slot = IntegerOf(it.value());
            if (!slot || !SlotOfMode(c, *slot))
                c.Errors.append(QStringLiteral("карта %1: слот задано неправильно").arg(it.key()));
            else
                c.Charts.emplace_back(it.key(), *slot);
        }
        std::sort(c.Charts.begin(), c.Charts.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
        ReadPublished(c, o.value(QLatin1String("published")).toArray());
        ReadRuleHits(c, o.value(QLatin1String("rule_hits")).toArray());
        const QJsonObject here = o.value(QLatin1String("computed_here")).toObject();
        for (auto it = here.begin(); it != here.end(); ++it) {
            if (it.key() != QLatin1String("not_published"))
                c.NotPublished.append(it.key() + QStringLiteral(": ") + ShownText(it.value()));
        }
        const QJsonObject unverified = o.value(QLatin1String("unverified_from_collector")).toObject();
        for (auto it = unverified.begin(); it != unverified.end(); ++it)
            c.NotPublished.append(it.key() + QStringLiteral(": ") + ShownText(it.value()));

        if (c.File.isEmpty() || c.File.contains(QLatin1Char('/')) || c.File.contains(QLatin1Char('\\'))) {
            c.Errors.append(QStringLiteral("файл даних має бути в теці набору"));
        } else {
            c.Rows = ReadCsv(QDir(folder).filePath(c.File), c.Individual ? 1 : c.SubgroupSize, c.Errors);
            for (const GroupSetup& g : c.Groups) {
                if (!c.Rows.empty() && g.LastRow > int(c.Rows.size()))
                    c.Errors.append(QStringLiteral("рядки %1-%2: у файлі лише %3 рядків")
                                        .arg(g.FirstRow)
                                        .arg(g.LastRow)
                                        .arg(c.Rows.size()));
            }
        }
        return c;
    }

    double LineValue(const TControlLines& lines, LineKind line)
    {
        switch (line) {
        case LineKind::Lower:
            return lines.Lower;
        case LineKind::Centre:
            return lines.Centre;
        case LineKind::Upper:
            return lines.Upper;
        case LineKind::None:
            break;
        }
        return std::nan("");
    }

    // The document the reader would make of the case's groups: point rows, a separator between groups.
    void BuildCaseDocument(MeasurementDocument& doc, const ValidationCase& c)
    {
        std::vector<bool> flags;
        int points = 0;
        for (size_t g = 0; g < c.Groups.size(); ++g) {
            if (g > 0)
                flags.push_back(true);
            const int n = c.Groups[g].LastRow - c.Groups[g].FirstRow + 1;
            flags.insert(flags.end(), size_t(n), false);
            points += n;
        }
        flags.push_back(true);
        const int groupCount = int(c.Groups.size());
        doc.StoreIndividualMode(c.Individual);
        doc.SetPointCount(points);
        if (!c.Individual)
            doc.SetSubgroupSize(c.SubgroupSize);
        doc.StoreGroupCount(groupCount);
        doc.SetSeparatorFlags(flags);
        doc.SetMode(c.Individual);
        doc.SetGroupCount(groupCount);
        doc.SetTableName(c.Id);
        int row = 1;
        for (size_t g = 0; g < c.Groups.size(); ++g) {
            if (g > 0) {
                doc.SetDateText(row, MeasurementDocument::SeparatorLine());
                for (int col = 0; col < doc.ValueColumnCount(); ++col)
                    doc.SetValueText(row, col, MeasurementDocument::SeparatorLine());
                ++row;
            }
            for (int r = c.Groups[g].FirstRow; r <= c.Groups[g].LastRow; ++r) {
                const QStringList& values = c.Rows[size_t(r - 1)];
                for (int col = 0; col < doc.ValueColumnCount() && col < values.size(); ++col)
                    doc.SetValueText(row, col, values[col]);
                ++row;
            }
        }
        if (!c.Individual && c.UseSampleDeviation) {
            for (int i = 0; i < int(doc.Groups().size()); ++i) {
                TIndividualInfo g = doc.TakeGroupRecord(i);
                g.UseSampleDeviation = *c.UseSampleDeviation;
                doc.StoreGroupRecord(i, std::move(g));
            }
        }
        doc.ClearChanged();
    }

    double FixedValue(const TIndividualInfo& source, const FixedFrom& fixed)
    {
        switch (fixed.From) {
        case FixedFrom::Source::Centre:
            return source.Lines[SlotCentre].Centre;
        case FixedFrom::Source::MeanRange:
            return source.MeanRange / fixed.Divisor;
        case FixedFrom::Source::MeanMovingRange:
        case FixedFrom::Source::MeanDeviation:
            return source.MeanDeviation / fixed.Divisor;
        }
        return 0;
    }

    // The later groups' fixed settings, entered as the analyst enters them in the group box,
    // and the group recomputed as the box then recomputes it.
    void ApplyFixedSettings(MeasurementDocument& doc, const ValidationCase& c)
    {
        for (size_t i = 0; i < c.Groups.size() && i < doc.Groups().size(); ++i) {
            const GroupSetup& setup = c.Groups[i];
            if (!setup.Centre && !setup.Sigma)
                continue;
            TFixableValue centre = doc.Groups()[i].CentreSetting;
            TFixableValue sigma = doc.Groups()[i].SigmaSetting;
            if (setup.Centre)
                centre = { true, FixedValue(doc.Groups()[size_t(setup.Centre->Group - 1)], *setup.Centre) };
            if (setup.Sigma)
                sigma = { true, FixedValue(doc.Groups()[size_t(setup.Sigma->Group - 1)], *setup.Sigma) };
            TIndividualInfo g = doc.TakeGroupRecord(int(i));
            if (c.Individual)
                g.SetIndividualSettings(centre, sigma, g.RangeCentreSetting);
            else
                g.SetSubgroupSettings(centre, sigma, g.DeviationCentreSetting, g.RelDeviationCentreSetting,
                    g.MedianCentreSetting, g.RangeCentreSetting, g.RelRangeCentreSetting, g.UseSampleDeviation);
            RecomputeForDisplay(g, doc);
            doc.StoreGroupRecord(int(i), std::move(g));
        }
    }

    QString PointsText(const std::set<int>& points)
    {
        if (points.empty())
            return QStringLiteral("none");
        QStringList items;
        for (int p : points)
            items.append(QString::number(p));
        return items.join(QStringLiteral(", "));
    }

    // The points of a group range on which hits of one criterion lie, on one slot.
    std::set<int> HitPoints(const MeasurementDocument& doc, const RuleHitEntry& rule, int slot, bool westgard)
    {
        std::set<int> points;
        const int criterion = westgard ? rule.WestgardRule : rule.IsoTest;
        for (size_t g = 0; g < doc.Groups().size(); ++g) {
            if (rule.Group && int(g) != *rule.Group - 1)
                continue;
            const TSlotHits& hits = doc.Groups()[g].Hits[size_t(slot)];
            for (const TCriterionHit& hit : westgard ? hits.Westgard : hits.Iso) {
                if (hit.Criterion != criterion)
                    continue;
                for (int p = hit.FirstPoint; p <= hit.LastPoint && points.size() < 100000; ++p)
                    points.insert(p);
            }
        }
        return points;
    }

    void CompareRuleHits(CaseResult& result, const MeasurementDocument& doc, const RuleHitEntry& rule)
    {
        const std::set<int> published(rule.Points.begin(), rule.Points.end());
        for (int slot : rule.Slots) {
            for (const bool westgard : { true, false }) {
                const std::set<int> found = HitPoints(doc, rule, slot, westgard);
                const QString criterion = westgard ? QStringLiteral("Westgard rule %1").arg(rule.WestgardRule)
                                                   : QStringLiteral("ISO 8258 test %1").arg(rule.IsoTest);
                if (!rule.Counts) {
                    result.Shown.push_back({ QStringLiteral("%1: %2, slot %3").arg(rule.What, criterion).arg(slot),
                        PointsText(published), std::nullopt,
                        QStringLiteral("знайдено: %1; не рахується: %2").arg(PointsText(found), rule.Reason) });
                    continue;
                }
                Check check;
                check.What = QStringLiteral("%1: %2, slot %3, points %4")
                                 .arg(rule.What, criterion)
                                 .arg(slot)
                                 .arg(PointsText(published));
                check.Published = double(published.size());
                check.Computed = double(found.size());
                check.Ok = found == published;
                check.Basis = QStringLiteral("the same points");
                check.PublishedText = PointsText(published);
                check.ComputedText = PointsText(found);
                result.Checks.push_back(check);
            }
        }
    }

    void CompareEntry(CaseResult& result, const MeasurementDocument& doc, const PublishedEntry& e)
    {
        const std::vector<GroupSpan> spans = doc.DeriveGroups();
        const bool groupExists
            = e.Group >= 1 && size_t(e.Group) <= doc.Groups().size() && size_t(e.Group) <= spans.size();
        if (!e.Comparable) {
            ShownNumber shown { e.What, e.Printed, std::nullopt, e.Reason.isEmpty() ? e.Method : e.Reason };
            if (groupExists && e.Line != LineKind::None && SlotInUse(doc, e.Slot))
                shown.Computed = LineValue(doc.Groups()[size_t(e.Group - 1)].Lines[size_t(e.Slot)], e.Line);
            result.Shown.push_back(shown);
            return;
        }
        if (!groupExists) {
            result.Errors.append(QStringLiteral("%1: немає групи %2").arg(e.What).arg(e.Group));
            return;
        }
        const TIndividualInfo& group = doc.Groups()[size_t(e.Group - 1)];
        if (e.Line != LineKind::None) {
            Check check { e.What, *e.Published, e.Decimals, LineValue(group.Lines[size_t(e.Slot)], e.Line), false,
                *e.Tolerance, e.ToleranceBasis, QString(), QString() };
            check.Ok = WithinTolerance(check.Computed, check.Published, check.Tolerance);
            result.Checks.push_back(check);
            return;
        }
        const std::span<const double> series = group.Series(e.Slot);
        const int firstPoint = spans[size_t(e.Group - 1)].FirstPoint;
        for (size_t i = 0; i < e.Points.size(); ++i) {
            const int index = e.Points[i] - firstPoint;
            if (index < 0 || size_t(index) >= series.size()) {
                result.Errors.append(QStringLiteral("%1: точки %2 немає на карті").arg(e.What).arg(e.Points[i]));
                continue;
            }
            Check check { QStringLiteral("%1, point %2").arg(e.What).arg(e.Points[i]), e.Values[i], e.Decimals,
                series[size_t(index)], false, *e.Tolerance, e.ToleranceBasis, QString(), QString() };
            check.Ok = WithinTolerance(check.Computed, check.Published, check.Tolerance);
            result.Checks.push_back(check);
        }
    }

    QString JsonString(const QString& text)
    {
        QString out;
        out.reserve(text.size() + 2);
        out += QLatin1Char('"');
        for (const QChar ch : text) {
            const char16_t u = ch.unicode();
            if (u == u'"')
                out += QLatin1String("\\\"");
            else if (u == u'\\')
                out += QLatin1String("\\\\");
            else if (u == u'\n')
                out += QLatin1String("\\n");
            else if (u == u'\r')
                out += QLatin1String("\\r");
            else if (u == u'\t')
                out += QLatin1String("\\t");
            else if (u < 0x20)
                out += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
            else
                out += ch;
        }
        out += QLatin1Char('"');
        return out;
    }

    QString JsonNumber(double value)
    {
        return std::isfinite(value) ? RoundTripText(value) : QStringLiteral("null");
    }

    QString JsonBool(bool value)
    {
        return value ? QStringLiteral("true") : QStringLiteral("false");
    }

} // namespace

CaseDocument::CaseDocument() = default;
CaseDocument::~CaseDocument() = default;
CaseDocument::CaseDocument(CaseDocument&&) noexcept = default;
CaseDocument& CaseDocument::operator=(CaseDocument&&) noexcept = default;

int PackResult::CheckCount() const
{
    int n = 0;
    for (const CaseResult& c : Cases)
        n += int(c.Checks.size());
    return n;
}

int PackResult::AgreeingCount() const
{
    int n = 0;
    for (const CaseResult& c : Cases)
        n += int(std::count_if(c.Checks.begin(), c.Checks.end(), [](const Check& check) { return check.Ok; }));
    return n;
}

QString DeliveredPackFolder()
{
    return QDir(ProgramDataFolder()).filePath(PackFolderName);
}

ValidationPack LoadValidationPack(const QString& folder)
{
    ValidationPack pack;
    pack.Folder = folder;
    QString why;
    const std::optional<QByteArray> bytes = ReadSmallFile(QDir(folder).filePath(CasesFileName), why);
    if (!bytes) {
        pack.Error = why;
        return pack;
    }
    QJsonParseError parseError {};
    const QJsonDocument json = QJsonDocument::fromJson(*bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError || !json.isObject()) {
        pack.Error = QStringLiteral("Файл \"%1\" не є правильним JSON: %2 (позиція %3)")
                         .arg(CasesFileName, parseError.errorString())
                         .arg(parseError.offset);
        return pack;
    }
    const QJsonArray cases = json.object().value(QLatin1String("cases")).toArray();
    if (cases.isEmpty()) {
        pack.Error = QStringLiteral("У файлі \"%1\" немає жодного випадку").arg(CasesFileName);
        return pack;
    }
    std::set<QString> ids;
    for (const QJsonValue& value : cases) {
        ValidationCase c = ReadCase(value.toObject(), folder);
        if (!c.Id.isEmpty() && !ids.insert(c.Id).second)
            c.Errors.append(QStringLiteral("id %1 повторюється").arg(c.Id));
        pack.Cases.push_back(std::move(c));
    }
    return pack;
}

bool WithinTolerance(double computed, double published, double tolerance)
{
    if (!std::isfinite(computed) || !std::isfinite(published) || !(tolerance >= 0))
        return false;
    const double representation = 8 * DBL_EPSILON * std::max(std::abs(computed), std::abs(published));
    return std::abs(computed - published) <= tolerance + representation;
}

CaseResult RunCase(const ValidationCase& c)
{
    CaseResult result;
    result.Id = c.Id;
    result.Title = c.Title;
    result.Source = c.SourceSummary;
    result.SourceLines = c.Source;
    result.Licence = c.Licence;
    result.Charts = c.Charts;
    result.Errors = c.Errors;
    const bool anyComparable
        = std::any_of(c.Published.begin(), c.Published.end(), [](const PublishedEntry& e) { return e.Comparable; });
    if (!anyComparable)
        result.Errors.append(QStringLiteral("У випадку немає жодного опублікованого числа, яке можна порівняти"));
    if (!c.Errors.isEmpty() || c.Rows.empty() || c.Groups.empty()) {
        result.Ok = false;
        return result;
    }

    auto messenger = std::make_unique<CollectingMessenger>();
    CollectingMessenger& messages = *messenger;
    result.Computed.Messages = std::move(messenger);
    result.Computed.Document = std::make_unique<MeasurementDocument>(messages);
    MeasurementDocument& doc = *result.Computed.Document;
    BuildCaseDocument(doc, c);
    if (!RunComputeCommand(doc)) {
        result.Errors.append(QStringLiteral("Обчислення не виконано: %1")
                                 .arg(messages.messages.isEmpty() ? QStringLiteral("невідома причина")
                                                                  : messages.messages.join(QStringLiteral("; "))));
        result.Computed.Document.reset();
        return result;
    }
    ApplyFixedSettings(doc, c);

    for (const PublishedEntry& e : c.Published)
        CompareEntry(result, doc, e);
    for (const RuleHitEntry& rule : c.RuleHits)
        CompareRuleHits(result, doc, rule);
    for (const QString& line : c.NotPublished)
        result.Shown.push_back({ line, QString(), std::nullopt, QStringLiteral("не опубліковано, не рахується") });

    result.Ok = result.Errors.isEmpty() && !result.Checks.empty()
        && std::all_of(result.Checks.begin(), result.Checks.end(), [](const Check& check) { return check.Ok; });
    return result;
}

PackResult RunPack(const ValidationPack& pack, const ProgramIdentity& identity, const Progress& progress)
{
    PackResult result;
    result.Identity = identity;
    result.Folder = pack.Folder;
    result.Error = pack.Error;
    const int total = int(pack.Cases.size());
    bool stopped = false;
    for (int i = 0; i < total; ++i) {
        result.Cases.push_back(RunCase(pack.Cases[size_t(i)]));
        if (progress && !progress(i + 1, total)) {
            stopped = i + 1 < total;
            break;
        }
    }
    if (stopped && result.Error.isEmpty())
        result.Error = QStringLiteral("Перевірку перервано");
    result.Ok = result.Error.isEmpty() && !result.Cases.empty()
        && std::all_of(result.Cases.begin(), result.Cases.end(), [](const CaseResult& c) { return c.Ok; });
    return result;
}

QString PackJson(const PackResult& result)
{
    const ProgramIdentity& id = result.Identity;
    QString out
        = QStringLiteral("{\"ok\": %1, \"version\": %2, \"commit\": %3, \"binary_sha256\": %4, \"cases\": [")
              .arg(JsonBool(result.Ok), JsonString(id.Version), JsonString(id.Commit), JsonString(id.BinarySha256));
    for (size_t i = 0; i < result.Cases.size(); ++i) {
        const CaseResult& c = result.Cases[i];
        out += i == 0 ? QStringLiteral("\n") : QStringLiteral(",\n");
        out += QStringLiteral(" {\"id\": %1, \"title\": %2, \"source\": %3, \"ok\": %4, \"checks\": [")
                   .arg(JsonString(c.Id), JsonString(c.Title), JsonString(c.Source), JsonBool(c.Ok));
        for (size_t j = 0; j < c.Checks.size(); ++j) {
            const Check& check = c.Checks[j];
            out += j == 0 ? QStringLiteral("\n") : QStringLiteral(",\n");
            out += QStringLiteral("  {\"what\": %1, \"published\": %2, \"decimals\": %3, \"computed\": %4, \"ok\": %5}")
                       .arg(JsonString(check.What), JsonNumber(check.Published), QString::number(check.Decimals),
                           JsonNumber(check.Computed), JsonBool(check.Ok));
        }
        out += c.Checks.empty() ? QStringLiteral("]}") : QStringLiteral("\n ]}");
    }
    out += result.Cases.empty() ? QStringLiteral("]}\n") : QStringLiteral("\n]}\n");
    return out;
}

QString VerdictText(bool ok)
{
    return ok ? QStringLiteral("збігається") : QStringLiteral("не збігається");
}

QString PackSummary(const PackResult& result)
{
    QString out;
    out += QStringLiteral("Перевірка розрахунків: %1\n").arg(QDir::toNativeSeparators(result.Folder));
    if (!result.Error.isEmpty())
        out += QStringLiteral("Помилка: %1\n").arg(result.Error);
    for (const CaseResult& c : result.Cases) {
        const auto agreeing = std::count_if(c.Checks.begin(), c.Checks.end(), [](const Check& k) { return k.Ok; });
        out += QStringLiteral("%1: %2 (%3 з %4)\n").arg(c.Id, VerdictText(c.Ok)).arg(agreeing).arg(c.Checks.size());
        for (const QString& error : c.Errors)
            out += QStringLiteral("  помилка: %1\n").arg(error);
        for (const Check& k : c.Checks) {
            if (k.Ok)
                continue;
            out += QStringLiteral("  %1: опубліковано %2, обчислено %3, різниця %4, допуск %5\n")
                       .arg(k.What, RoundTripText(k.Published),
                           k.ComputedText.isEmpty() ? RoundTripText(k.Computed) : k.ComputedText,
                           RoundTripText(k.Computed - k.Published), RoundTripText(k.Tolerance));
        }
    }
    out += QStringLiteral("Разом: %1 з %2 порівнянь збігаються; %3\n")
               .arg(result.AgreeingCount())
               .arg(result.CheckCount())
               .arg(result.Ok ? QStringLiteral("усі випадки збігаються з опублікованими результатами.")
                              : QStringLiteral("є розбіжності або помилки."));
    return out;
}

} // namespace validation
