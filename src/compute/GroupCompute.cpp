#include "compute/GroupCompute.h"

#include "criteria/CriteriaEngine.h"
#include "model/FixedFormatter.h"
#include "model/MeasurementDocument.h"
#include "model/Numbers.h"
#include "statistics/ControlLines.h"
#include "statistics/PointStatistics.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

void addOffset(ErrorArray& hits, int offset)
{
    for (TCriterionHit& hit : hits) {
        hit.FirstPoint += offset;
        hit.LastPoint += offset;
    }
}

// In individual-values mode only the values and the moving ranges are judged.
bool slotJudged(const TIndividualInfo& g, int slot)
{
    return !g.Individual || slot == SlotCentre || slot == SlotDeviation;
}

enum class CriteriaSet { Westgard, Iso };

// The hits of one criteria set on one slot against its lines, with offset added to the point
// numbers; writes only that list of the record.
void judgeSlot(TIndividualInfo& g, int slot, CriteriaSet set, int offset)
{
    const std::span<const double> series = g.Series(slot);
    const TControlLines& lines = g.Lines[size_t(slot)];
    TSlotHits& hits = g.Hits[size_t(slot)];
    ErrorArray& list = set == CriteriaSet::Westgard ? hits.Westgard : hits.Iso;
    list = set == CriteriaSet::Westgard ? WestgardCheck(series, lines.Centre, lines.Upper, lines.Lower)
                                        : IsoCheck(series, lines.Centre, lines.Upper, lines.Lower);
    addOffset(list, offset);
}

} // namespace

bool LoadAndCompute(
    TIndividualInfo& g, MeasurementDocument& doc, int firstRow, int n, int k, int precision, const QString& /*units*/)
{
    return ComputeGroupStatistics(g, doc, firstRow, n, k, precision) == GroupFailure::None;
}

GroupFailure ComputeGroupStatistics(
    TIndividualInfo& g, MeasurementDocument& doc, int firstRow, int n, int k, int precision)
{
    const GroupFailure failure = ReadGroupStatistics(g, doc, firstRow, n, k);
    if (failure != GroupFailure::None)
        return failure;
    return WriteGroupStatistics(g, doc, precision);
}

GroupFailure ReadGroupStatistics(TIndividualInfo& g, const MeasurementDocument& doc, int firstRow, int n, int k)
{
    constexpr GroupFailure invalid = GroupFailure::InvalidData;
    g.Individual = doc.IndividualMode();
    g.GrandMean = 0.0;
    g.MeanDeviation = 0.0;
    g.MeanRange = 0.0;
    g.FirstRow = firstRow;
    g.GroupPointCount = n;
    g.ElementCount = g.Individual ? 1 : k;
    g.Data.clear();
    g.Excluded.clear();
    const int columns = g.ElementCount;
    if (n < 2 || firstRow < 1 || firstRow + n - 1 > doc.TableRowCount())
        return invalid;
    if (!g.Individual && (k < 2 || k > 25))
        return invalid;
    if (columns > doc.ValueColumnCount())
        return invalid;
    g.Excluded = doc.ExcludedFlags(firstRow, n);
    if (std::find(g.Excluded.begin(), g.Excluded.end(), true) == g.Excluded.end())
        g.Excluded.clear(); // none of the group's points: the record says so by an empty list

    // The value rows only: the statistic rows come from the statistics, moved in.
    if (g.Individual) {
        g.Data = { TDArray(size_t(n)), TDArray(), TDArray() };
    } else {
        g.Data.assign(size_t(k + 6), TDArray());
        for (int c = 0; c < k; ++c)
            g.Data[size_t(c)].resize(size_t(n));
    }
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < columns; ++c) {
            const std::optional<double> value = ParseNumber(doc.ValueText(firstRow + r, c));
            if (!value)
                return invalid;
            g.Data[size_t(c)][size_t(r)] = *value;
        }
    }
    if (!EnoughCountedPoints(g))
        return GroupFailure::TooFewCounted;
    if (!ComputePointStatistics(g))
        return invalid;
    return GroupFailure::None;
}

void TakeReadStatistics(TIndividualInfo& g, TIndividualInfo&& read)
{
    g.Individual = read.Individual;
    g.GrandMean = read.GrandMean;
    g.MeanDeviation = read.MeanDeviation;
    g.MeanRange = read.MeanRange;
    g.FirstRow = read.FirstRow;
    g.GroupPointCount = read.GroupPointCount;
    g.ElementCount = read.ElementCount;
    g.Data = std::move(read.Data);
    g.Excluded = std::move(read.Excluded);
}

GroupFailure WriteGroupStatistics(TIndividualInfo& g, MeasurementDocument& doc, int precision)
{
    constexpr GroupFailure invalid = GroupFailure::InvalidData;
    const int firstRow = g.FirstRow;
    const int n = g.GroupPointCount;
    const int k = g.ElementCount;
    const FixedFormatter format(precision);
    doc.SetResultDecimals(precision);
    const int closingRow = firstRow + n; // the separator row after the group, or the closing row
    const bool hasClosingRow = closingRow < doc.RowCount();
    if (g.Individual) {
        if (hasClosingRow)
            doc.SetValueText(closingRow, 0, QStringLiteral("Середнє по групі: ") + format(g.GrandMean));
        doc.SetResultText(firstRow, 0, QString());
        const TDArray& ranges = g.Data[2];
        for (int i = 1; i < n; ++i)
            doc.SetResultNumber(firstRow + i, 0, ranges[size_t(i - 1)]);
        return GroupFailure::None;
    }

    for (int i = 0; i < n; ++i) {
        for (int c = 0; c < 6; ++c)
            doc.SetResultNumber(firstRow + i, c, g.Data[size_t(k + c)][size_t(i)]);
    }
    const double overall = OverallDeviation(g);
    if (!std::isfinite(overall))
        return invalid;
    if (hasClosingRow) {
        doc.SetLabelText(closingRow, QStringLiteral("Загалом по групі"));
        doc.SetResultNumber(closingRow, 0, g.GrandMean);
        doc.SetResultNumber(closingRow, 2, overall);
    }
    if (std::fabs(g.GrandMean) < ZeroCentre)
        return invalid;
    const double relative = overall * 100.0 / g.GrandMean;
    if (!std::isfinite(relative))
        return invalid;
    if (hasClosingRow)
        doc.SetResultNumber(closingRow, 3, relative);
    return GroupFailure::None;
}

void ComputeLines(TIndividualInfo& g, int offset)
{
    ComputeControlLines(g);
    for (int slot = 0; slot < ChartSlotCount; ++slot) {
        if (!slotJudged(g, slot))
            continue;
        judgeSlot(g, slot, CriteriaSet::Westgard, offset);
        judgeSlot(g, slot, CriteriaSet::Iso, offset);
    }
}

int DisplayOffset(const TIndividualInfo& g, const MeasurementDocument& doc)
{
    if (g.FirstRow >= 1 && g.FirstRow < doc.RowCount()) {
        bool ok = false;
        const int number = doc.LabelText(g.FirstRow).toInt(&ok);
        if (ok)
            return number - 1;
    }
    return 0;
}

void RecomputeForDisplay(TIndividualInfo& g, const MeasurementDocument& doc)
{
    ComputeLines(g, DisplayOffset(g, doc));
}

void ComputeLinesOfGroups(std::span<TIndividualInfo> groups, std::span<const int> offsets, ComputeThreads threads)
{
    RunTasks(groups.size(), threads, [&](size_t g) { ComputeControlLines(groups[g]); });

    // One task per judged slot and criteria set, the longest series first for an even spread.
    struct Judgement {
        size_t Group;
        int Slot;
        CriteriaSet Set;
    };
    std::vector<Judgement> work;
    for (size_t g = 0; g < groups.size(); ++g) {
        for (int slot = 0; slot < ChartSlotCount; ++slot) {
            if (!slotJudged(groups[g], slot))
                continue;
            work.push_back({ g, slot, CriteriaSet::Westgard });
            work.push_back({ g, slot, CriteriaSet::Iso });
        }
    }
    std::stable_sort(work.begin(), work.end(), [&](const Judgement& a, const Judgement& b) {
        return groups[a.Group].GroupPointCount > groups[b.Group].GroupPointCount;
    });
    RunTasks(work.size(), threads, [&](size_t i) {
        const Judgement& j = work[i];
        judgeSlot(groups[j.Group], j.Slot, j.Set, offsets[j.Group]);
    });
}

void RecomputeForDisplay(MeasurementDocument& doc, int index)
{
    TIndividualInfo record = doc.TakeGroupRecord(index);
    try {
        RecomputeForDisplay(record, doc);
    } catch (...) {
        doc.StoreGroupRecord(index, std::move(record));
        throw;
    }
    doc.StoreGroupRecord(index, std::move(record));
}
