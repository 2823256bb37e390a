#include "compute/GroupCompute.h"

#include "criteria/CriteriaEngine.h"
#include "model/FixedFormatter.h"
#include "model/MeasurementDocument.h"
#include "model/Numbers.h"
#include "statistics/ControlLines.h"
#include "statistics/PointStatistics.h"

#include <algorithm>
#include <cmath>

namespace {

void addOffset(ErrorArray& hits, int offset)
{
    for (TCriterionHit& hit : hits) {
        hit.FirstPoint += offset;
        hit.LastPoint += offset;
    }
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

    if (g.Individual)
        g.Data = { TDArray(size_t(n)), TDArray(), TDArray(size_t(n - 1)) };
    else
        g.Data.assign(size_t(k + 6), TDArray(size_t(n)));
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
    StoreControlLines(g, ControlLinesOf(g));
    for (int slot = 0; slot < ChartSlotCount; ++slot) {
        const std::span<const double> series = g.Series(slot);
        if (g.Individual && slot != SlotCentre && slot != SlotDeviation)
            continue;
        const TControlLines& lines = g.Lines[size_t(slot)];
        TSlotHits& hits = g.Hits[size_t(slot)];
        hits.Westgard = WestgardCheck(series, lines.Centre, lines.Upper, lines.Lower);
        hits.Iso = IsoCheck(series, lines.Centre, lines.Upper, lines.Lower);
        addOffset(hits.Westgard, offset);
        addOffset(hits.Iso, offset);
    }
}

void RecomputeForDisplay(TIndividualInfo& g, const MeasurementDocument& doc)
{
    int offset = 0;
    if (g.FirstRow >= 1 && g.FirstRow < doc.RowCount()) {
        bool ok = false;
        const int number = doc.LabelText(g.FirstRow).toInt(&ok);
        if (ok)
            offset = number - 1;
    }
    ComputeLines(g, offset);
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
