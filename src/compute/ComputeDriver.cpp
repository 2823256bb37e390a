#include "compute/ComputeDriver.h"

#include "compute/GroupCompute.h"
#include "model/MeasurementDocument.h"
#include "model/Messenger.h"
#include "model/Numbers.h"

#include <algorithm>

namespace {

const QString& invalidDataMessage()
{
    static const QString text = QStringLiteral("Некоректні дані! Неможливо провести обчислення");
    return text;
}

const QString& normalisedDisplayMessage()
{
    static const QString text = QStringLiteral("Точність задання чисел перевищила критичний рівень! На картах всі "
                                               "результати будуть відображатися у нормованій формі!");
    return text;
}

} // namespace

void ShowPrecisionNotice(MeasurementDocument& doc)
{
    if (!doc.NormalisedChoiceEnabled())
        doc.messenger().ShowMessage(normalisedDisplayMessage());
}

bool ComputeDocument(MeasurementDocument& doc, PrecisionNotice notice)
{
    doc.GroupList().clear();
    doc.PointDates().clear();
    doc.PointGroup().assign(size_t(std::max(0, doc.PointCount())), 0);
    doc.RecomputeDisplayPrecision();

    const std::vector<GroupSpan> spans = doc.DeriveGroups();
    if (doc.Groups().size() < spans.size())
        doc.SetGroupCount(int(spans.size())); // one record per group, whatever the caller left
    const bool individual = doc.IndividualMode();
    const QString units = TrimBlanks(doc.Units()).toString();
    std::vector<int>& pointGroup = doc.PointGroup();
    QStringList& dates = doc.PointDates();
    dates.reserve(doc.PointCount());

    bool failed = false;
    for (size_t g = 0; g < spans.size() && !failed; ++g) {
        const GroupSpan& span = spans[g];
        for (int i = 0; i < span.PointCount; ++i) {
            dates.append(doc.DateText(span.FirstRow + i));
            const int point = span.FirstPoint + i;
            if (point >= 1 && size_t(point) <= pointGroup.size())
                pointGroup[size_t(point - 1)] = int(g);
        }
        const bool ok = LoadAndCompute(doc.Groups()[g], doc, span.FirstRow, span.PointCount,
            individual ? 0 : doc.SubgroupSize(), doc.DisplayPrecision(), units);
        doc.GroupList().append(MeasurementDocument::GroupRangeText(span));
        failed = !ok;
    }
    if (failed) {
        doc.messenger().ShowMessage(invalidDataMessage());
        return false;
    }

    for (size_t g = 0; g < spans.size(); ++g)
        RecomputeForDisplay(doc.Groups()[g], doc);

    doc.SetChartTabVisible(SlotCentre, doc.ChartSelection(N11));
    doc.SetChartTabVisible(SlotDeviation, doc.ChartSelection(N31));
    const bool subgroups = !individual;
    doc.SetChartTabVisible(SlotMedians, subgroups && doc.SubgroupSize() <= 10 && doc.ChartSelection(N21));
    doc.SetChartTabVisible(SlotRelDeviation, subgroups && doc.ChartSelection(N41));
    doc.SetChartTabVisible(SlotRanges, subgroups && doc.ChartSelection(N51));
    doc.SetChartTabVisible(SlotRelRanges, subgroups && doc.ChartSelection(N61));
    doc.SetPrintReportEnabled(true);

    if (notice == PrecisionNotice::Now)
        ShowPrecisionNotice(doc);
    doc.SelectedGroup().fill(0);
    return true;
}

bool RunComputeCommand(MeasurementDocument& doc, PrecisionNotice notice)
{
    if (doc.SeparatorFlags().size() <= 1 || doc.IsComputed())
        return doc.IsComputed();
    try {
        doc.SetChartFormatFromN13();
        doc.EnterComputedState();
        doc.SetPrintReportEnabled(true);
        if (ComputeDocument(doc, notice))
            return true;
    } catch (...) {
        // Any failure of the compute leaves the document editable, without a message of its own.
    }
    doc.InvalidateResults();
    return false;
}
