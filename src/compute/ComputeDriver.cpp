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
    if (doc.ExponentForced())
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

    doc.SetResultsComplete(true); // the chart tabs and the report command follow

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
        if (ComputeDocument(doc, notice))
            return true;
    } catch (...) {
        // Any failure of the compute leaves the document editable, without a message of its own.
    }
    doc.InvalidateResults();
    return false;
}
