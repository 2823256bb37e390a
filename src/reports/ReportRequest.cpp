#include "reports/ReportRequest.h"

#include "model/MeasurementDocument.h"
#include "model/Numbers.h"
#include "paint/ChartPage.h"
#include "presentation/MainWindowState.h"

#include <QDir>
#include <QFileInfo>

const QStringList& ReportTemplateNames()
{
    static const QStringList names { QStringLiteral("head.fr3"), QStringLiteral("individ.fr3"),
        QStringLiteral("card.fr3"), QStringLiteral("group.fr3"), QStringLiteral("result.fr3") };
    return names;
}

QString ReportTemplateFolder(const QString& programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("Data"));
}

QString ReportTemplatePath(const QString& templateFolder, const QString& name)
{
    return QDir::toNativeSeparators(templateFolder + QLatin1Char('/') + name);
}

std::optional<QString> MissingTemplateMessage(const QString& templateFolder)
{
    for (const QString& name : ReportTemplateNames()) {
        const QString path = ReportTemplatePath(templateFolder, name);
        if (!QFileInfo(path).isFile())
            return QStringLiteral("Не знайдено файл \"") + path + QStringLiteral("\"! Неможливо побудувати звіт!");
    }
    return std::nullopt;
}

std::optional<QString> MissingTemplateMessage(const QString& templateFolder, const ReportRequest& request)
{
    if (std::optional<QString> message = MissingTemplateMessage(templateFolder))
        return message;
    QStringList names;
    if (request.Notes)
        names.append(NotesTemplateName);
    if (request.ChangeLog)
        names.append(ChangeLogTemplateName);
    for (const QString& name : names) {
        const QString path = ReportTemplatePath(templateFolder, name);
        if (!QFileInfo(path).isFile())
            return QStringLiteral("Не знайдено файл \"") + path + QStringLiteral("\"! Неможливо побудувати звіт!");
    }
    return std::nullopt;
}

int RangeEndLimit(const MeasurementDocument& doc, int slot)
{
    if (doc.IndividualMode() && slot == SlotDeviation) {
        // As many moving ranges as the chart has: one fewer than points in every group.
        int ranges = 0;
        for (const TIndividualInfo& group : doc.Groups())
            ranges += int(group.Series(SlotDeviation).size());
        return ranges;
    }
    return doc.PointCount();
}

std::optional<PointRange> ParseRange(const RangeChoice& choice)
{
    bool firstOk = false;
    bool lastOk = false;
    const int first = TrimBlanks(choice.FirstText).toInt(&firstOk);
    const int last = TrimBlanks(choice.LastText).toInt(&lastOk);
    if (!firstOk || !lastOk)
        return std::nullopt;
    return PointRange { first, last };
}

PointRange ClampToChart(const MeasurementDocument& doc, int slot, PointRange range)
{
    const int limit = RangeEndLimit(doc, slot);
    return PointRange { std::min(range.First, limit), std::min(range.Last, limit) };
}

std::vector<int> ReportSlots(const MeasurementDocument& doc)
{
    std::vector<int> slots;
    for (int s = 0; s < ChartSlotCount; ++s) {
        if (SlotInUse(doc, s))
            slots.push_back(s);
    }
    return slots;
}

std::optional<QString> CheckRanges(const MeasurementDocument& doc, const ReportRequest& request)
{
    auto check = [&](const RangeChoice& choice, const QString& caption, int slot) -> std::optional<QString> {
        if (!choice.Checked)
            return std::nullopt;
        const std::optional<PointRange> range = ParseRange(choice);
        if (!range)
            return QStringLiteral("Некоректно задане число!");
        const bool inLists = range->First >= 1 && range->First <= doc.PointCount() && range->Last >= 1
            && range->Last <= RangeEndLimit(doc, slot);
        if (range->Last < range->First || !inLists)
            return caption + QStringLiteral(" - некоректно задано діапазон точок!");
        return std::nullopt;
    };
    if (std::optional<QString> message = check(request.Data, request.DataCaption, -1))
        return message;
    for (int s : ReportSlots(doc)) {
        if (std::optional<QString> message = check(request.Charts[size_t(s)], request.Captions[size_t(s)], s))
            return message;
    }
    return std::nullopt;
}

QString ChartBoxCaption(const MeasurementDocument& doc, int slot)
{
    return QLatin1Char(' ') + MainWindowState(doc).TabCaption(slot) + QLatin1Char(' ');
}

ReportRequest DefaultReportRequest(const MeasurementDocument& doc)
{
    ReportRequest request;
    const QString last = QString::number(doc.PointCount());
    request.Data = { false, QStringLiteral("1"), last, false };
    for (int s = 0; s < ChartSlotCount; ++s) {
        request.Captions[size_t(s)] = ChartBoxCaption(doc, s);
        request.Charts[size_t(s)] = { false, QStringLiteral("1"), QString::number(RangeEndLimit(doc, s)), false };
    }
    request.Notes = !doc.PointNotes().empty();
    request.ChangeLog = false;
    request.Rules = true;
    return request;
}
