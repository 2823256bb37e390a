#include "compute/ComputeDriver.h"

#include "compute/GroupCompute.h"
#include "model/MeasurementDocument.h"
#include "model/Messenger.h"

#include <algorithm>
#include <span>
#include <utility>
#include <vector>

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

// A group whose points kept out of the limits leave too few to compute them from; range is the
// group's first and last point numbers.
QString tooFewCountedMessage(const QString& range, int excluded)
{
    return QStringLiteral("Група точок %1: замало точок для обчислення меж (виключено %2).")
        .arg(range, QString::number(excluded));
}

} // namespace

void ShowPrecisionNotice(MeasurementDocument& doc)
{
    if (doc.ExponentForced())
        doc.messenger().ShowMessage(normalisedDisplayMessage());
}

bool ComputeDocument(MeasurementDocument& doc, PrecisionNotice notice, ComputeThreads threads)
{
    doc.SetPointIndex({}, {}, {}); // nothing of the last walk stays while this one runs
    doc.RecomputeDisplayPrecision();

    const std::vector<GroupSpan> spans = doc.DeriveGroups();
    if (doc.Groups().size() < spans.size())
        doc.SetGroupCount(int(spans.size())); // one record per group, whatever the caller left
    const bool individual = doc.IndividualMode();
    const int subgroupSize = individual ? 0 : doc.SubgroupSize();
    std::vector<int> pointGroup(size_t(std::max(0, doc.PointCount())), 0);
    QStringList dates;
    QStringList groupList;
    dates.reserve(doc.PointCount());
    threads = ThreadsFor(threads, (long long)std::max(0, doc.PointCount()) * doc.ValueColumnCount());

    // Reading a group's cells only reads the document, so the groups may be read at once, each into
    // a record of its own, before anything is written; taking the reading over, the writing, the
    // messages and the stop at the first failing group stay in order, so a failing compute leaves
    // the records after it as they were.
    std::vector<TIndividualInfo> read;
    std::vector<GroupFailure> readFailures;
    if (threads == ComputeThreads::Parallel) {
        read.assign(spans.size(), TIndividualInfo(individual));
        readFailures.resize(spans.size());
        const MeasurementDocument& source = doc;
        RunTasks(spans.size(), threads, [&](size_t g) {
            readFailures[g]
                = ReadGroupStatistics(read[g], source, spans[g].FirstRow, spans[g].PointCount, subgroupSize);
        });
    }

    GroupFailure failure = GroupFailure::None;
    for (size_t g = 0; g < spans.size() && failure == GroupFailure::None; ++g) {
        const GroupSpan& span = spans[g];
        for (int i = 0; i < span.PointCount; ++i) {
            dates.append(doc.DateText(span.FirstRow + i));
            const int point = span.FirstPoint + i;
            if (point >= 1 && size_t(point) <= pointGroup.size())
                pointGroup[size_t(point - 1)] = int(g);
        }
        TIndividualInfo record = doc.TakeGroupRecord(int(g));
        try {
            if (read.empty()) {
                failure = ComputeGroupStatistics(
                    record, doc, span.FirstRow, span.PointCount, subgroupSize, doc.DisplayPrecision());
            } else {
                TakeReadStatistics(record, std::move(read[g]));
                failure = readFailures[g];
                if (failure == GroupFailure::None)
                    failure = WriteGroupStatistics(record, doc, doc.DisplayPrecision());
            }
        } catch (...) {
            doc.StoreGroupRecord(int(g), std::move(record)); // the analyst's settings stay whatever fails
            throw;
        }
        const int excluded = record.ExcludedPointCount();
        doc.StoreGroupRecord(int(g), std::move(record));
        const QString range = MeasurementDocument::GroupRangeText(span);
        groupList.append(range);
        if (failure == GroupFailure::TooFewCounted) {
            doc.SetPointIndex(std::move(pointGroup), std::move(dates), std::move(groupList));
            doc.messenger().ShowMessage(tooFewCountedMessage(range, excluded));
            return false;
        }
    }
    doc.SetPointIndex(std::move(pointGroup), std::move(dates), std::move(groupList));
    if (failure != GroupFailure::None) {
        doc.messenger().ShowMessage(invalidDataMessage());
        return false;
    }

    if (threads == ComputeThreads::Sequential) {
        for (size_t g = 0; g < spans.size(); ++g)
            RecomputeForDisplay(doc, int(g));
    } else {
        // The records are moved out for the threads and back in whatever happens, so the analyst's
        // settings stay.
        std::vector<TIndividualInfo> groups;
        std::vector<int> offsets(spans.size());
        groups.reserve(spans.size());
        for (size_t g = 0; g < spans.size(); ++g) {
            offsets[g] = DisplayOffset(doc.Groups()[g], doc);
            groups.push_back(doc.TakeGroupRecord(int(g)));
        }
        const auto storeBack = [&] {
            for (size_t g = 0; g < groups.size(); ++g)
                doc.StoreGroupRecord(int(g), std::move(groups[g]));
        };
        try {
            ComputeLinesOfGroups(groups, offsets, threads);
        } catch (...) {
            storeBack();
            throw;
        }
        storeBack();
    }

    doc.SetResultsComplete(true); // the chart tabs and the report command follow

    if (notice == PrecisionNotice::Now)
        ShowPrecisionNotice(doc);
    doc.ClearSelectedGroups();
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
