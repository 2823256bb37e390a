#include "reports/ReportValues.h"

#include "model/ChangeLog.h"
#include "model/GroupRecord.h"
#include "model/MeasurementDocument.h"
#include "model/Numbers.h"
#include "model/PointNote.h"
#include "reports/ProgramIdentity.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace ReportValues {

const QString& Filler()
{
    static const QString text(11, QLatin1Char('_'));
    return text;
}

QString Cell(const QString& text)
{
    return text == MeasurementDocument::SeparatorLine() ? Filler() : text;
}

QString FillDate(const MeasurementDocument& doc)
{
    const QString text = TrimBlanks(doc.FillDate()).toString();
    if (text.isEmpty() || text == QStringLiteral(".  ."))
        return QString();
    return doc.FillDate();
}

const QString& NotGiven()
{
    static const QString text = QStringLiteral("не вказано");
    return text;
}

const QString& NotSaved()
{
    static const QString text = QStringLiteral("не збережено");
    return text;
}

namespace {
    QString OrNotGiven(const QString& text)
    {
        const QString trimmed = text.trimmed();
        return trimmed.isEmpty() ? NotGiven() : trimmed;
    }
}

QString MeasuredParameterText(const MeasurementDocument& doc)
{
    const HeaderEntry& entry = doc.Header(HeaderField::MeasuredParameter);
    return OrNotGiven(entry.Present ? entry.Text : QString());
}

QString UnitsText(const MeasurementDocument& doc)
{
    return OrNotGiven(doc.Units());
}

QString ModeText(const MeasurementDocument& doc)
{
    if (doc.IndividualMode())
        return QStringLiteral("Індивідуальні значення");
    return QStringLiteral("Групові значення, підгрупи по ") + QString::number(doc.SubgroupSize());
}

QString FirstDateText(const MeasurementDocument& doc)
{
    for (const QString& date : doc.PointDates())
        if (!date.trimmed().isEmpty())
            return date.trimmed();
    return NotGiven();
}

QString LastDateText(const MeasurementDocument& doc)
{
    const QStringList& dates = doc.PointDates();
    for (qsizetype i = dates.size(); i-- > 0;)
        if (!dates[i].trimmed().isEmpty())
            return dates[i].trimmed();
    return NotGiven();
}

QString DocumentFileText(const MeasurementDocument& doc)
{
    return doc.FileName().isEmpty() ? NotSaved() : QDir::toNativeSeparators(doc.FileName());
}

QString DocumentSha256Text(const MeasurementDocument& doc)
{
    const SavedFileStamp& stamp = doc.SavedFile();
    if (doc.Changed() || doc.FileName().isEmpty() || stamp.Path != doc.FileName())
        return NotSaved();
    // Someone may have written the file since: then its bytes are not what the report shows.
    const QFileInfo info(stamp.Path);
    if (!info.isFile() || info.size() != stamp.Size || info.lastModified() != stamp.Modified)
        return NotSaved();
    const QString hash = FileSha256(stamp.Path);
    return hash.isEmpty() ? NotSaved() : hash;
}

QString ProgramVersionText()
{
    return ProgramVersionLine();
}

int GroupOfPoint(const MeasurementDocument& doc, int point)
{
    const std::vector<int>& groups = doc.PointGroup();
    if (point < 1 || size_t(point) > groups.size())
        return 0;
    return groups[size_t(point - 1)];
}

int TableRow(const MeasurementDocument& doc, int point)
{
    return point + GroupOfPoint(doc, point);
}

QString GroupPointsText(const MeasurementDocument& doc, const TIndividualInfo& group, int count)
{
    return doc.LabelText(group.FirstRow) + QLatin1Char('-') + doc.LabelText(group.FirstRow + count - 1);
}

QString GroupSummaryText(const MeasurementDocument& doc, int group)
{
    const TIndividualInfo& info = doc.Groups().at(size_t(group));
    return QStringLiteral("Загалом по групі точок ") + GroupPointsText(doc, info, info.GroupPointCount);
}

int PointsPerPictureFor(double pictureWidth, int leftMargin, int pointStep)
{
    const long steps = std::lround(pictureWidth - 2.0 * leftMargin) / std::max(1, pointStep);
    return int(std::clamp<long>(steps, 1, 11));
}

int PictureCount(int first, int last, int perPicture)
{
    const int span = last - first;
    return std::max(1, (span + perPicture - 1) / perPicture);
}

PictureRange PictureRangeOf(int first, int last, int perPicture, int r)
{
    const int f = first + r * perPicture;
    return { f, std::min(first + (r + 1) * perPicture, last) };
}

QString PictureTitle(const QString& title, const PictureRange& range)
{
    if (range.First == range.Last)
        return title + QStringLiteral(" (точка №") + QString::number(range.First) + QLatin1Char(')');
    return title + QStringLiteral(" (точки №№") + QString::number(range.First) + QLatin1Char('-')
        + QString::number(range.Last) + QLatin1Char(')');
}

QString PictureDescription(const QString& title, const PictureRange& range)
{
    const QString chart = title.simplified();
    if (range.First == range.Last)
        return chart + QStringLiteral(", точка ") + QString::number(range.First);
    return chart + QStringLiteral(", точки ") + QString::number(range.First) + QChar(0x2013)
        + QString::number(range.Last);
}

GroupSpanOfRange GroupsOfChartRange(const MeasurementDocument& doc, int slot, int first, int last)
{
    GroupSpanOfRange span { 0, -1 };
    bool foundFirst = false;
    int64_t end = 0; // positions of the chart up to and including the group
    const std::vector<TIndividualInfo>& groups = doc.Groups();
    for (size_t g = 0; g < groups.size(); ++g) {
        end += int64_t(groups[g].Series(slot).size());
        if (!foundFirst && first <= end) {
            span.FirstGroup = int(g);
            foundFirst = true;
        }
        if (foundFirst && last <= end) {
            span.LastGroup = int(g);
            return span;
        }
    }
    return { 0, -1 };
}

int LimitsRowCount(const MeasurementDocument& doc, int slot)
{
    return !doc.IndividualMode() && slot == SlotMedians ? 4 : 5;
}

namespace {

    struct CentreRow {
        const char* Label;
        TFixableValue TIndividualInfo::*Setting;
    };

    CentreRow CentreRowOf(const MeasurementDocument& doc, int slot)
    {
        if (doc.IndividualMode()) {
            if (slot == SlotDeviation)
                return { "Середній ковзний розмах", &TIndividualInfo::RangeCentreSetting };
            return { "Середнє значення", &TIndividualInfo::CentreSetting };
        }
        switch (slot) {
        case SlotMedians:
            return { "Середня медіана", &TIndividualInfo::MedianCentreSetting };
        case SlotDeviation:
            return { "Середнє стандартне відхилення", &TIndividualInfo::DeviationCentreSetting };
        case SlotRelDeviation:
            return { "Середнє відносне відхилення", &TIndividualInfo::RelDeviationCentreSetting };
        case SlotRanges:
            return { "Середній розмах", &TIndividualInfo::RangeCentreSetting };
        case SlotRelRanges:
            return { "Середній відносний розмах", &TIndividualInfo::RelRangeCentreSetting };
        default:
            return { "Середнє значення", &TIndividualInfo::CentreSetting };
        }
    }

    const QString& FixedSuffix()
    {
        static const QString text = QStringLiteral(" - зафіксовано");
        return text;
    }

} // namespace

QString LimitsRowLabel(const MeasurementDocument& doc, int g, int slot, int i)
{
    const TIndividualInfo& group = doc.Groups().at(size_t(g));
    switch (i) {
    case 0:
        return QStringLiteral("Верхня контрольна межа");
    case 1:
        return QStringLiteral("Центр");
    case 2:
        return QStringLiteral("Нижня контрольна межа");
    case 3: {
        const CentreRow row = CentreRowOf(doc, slot);
        const QString label = QString::fromUtf8(row.Label);
        return (group.*row.Setting).Fixed ? label + FixedSuffix() : label;
    }
    default:
        return group.SigmaSetting.Fixed ? QStringLiteral("Відхилення") + FixedSuffix() : QStringLiteral("Відхилення");
    }
}

QString LimitsRowValue(const MeasurementDocument& doc, int g, int slot, int i)
{
    const TIndividualInfo& group = doc.Groups().at(size_t(g));
    const TControlLines& lines = group.Lines[size_t(slot)];
    double value = 0.0;
    switch (i) {
    case 0:
        value = lines.Upper;
        break;
    case 1:
        value = lines.Centre;
        break;
    case 2:
        value = lines.Lower;
        break;
    case 3:
        value = (group.*CentreRowOf(doc, slot).Setting).Value;
        break;
    default:
        value = group.SigmaSetting.Value;
        break;
    }
    // The deviation row is the process standard deviation, in the measurement units on every chart.
    const bool percent = (slot == SlotRelDeviation || slot == SlotRelRanges) && i < 4;
    const QString unit = percent ? QStringLiteral(" %") : QLatin1Char(' ') + TrimBlanks(doc.Units()).toString();
    return FormatFixed(value, doc.DisplayPrecision()) + unit;
}

namespace {

    QString SectionHeader(const MeasurementDocument& doc, int g, int slot, const QString& title, const char* what)
    {
        const TIndividualInfo& group = doc.Groups().at(size_t(g));
        const int count = int(group.Series(slot).size());
        return title + QString::fromUtf8(what) + GroupPointsText(doc, group, count) + QLatin1Char(')');
    }

} // namespace

QString InfoHeaderText(const MeasurementDocument& doc, int g, int slot, const QString& title)
{
    return SectionHeader(doc, g, slot, title, " - основні показники (група точок ");
}

QString ResultHeaderText(const MeasurementDocument& doc, int g, int slot, const QString& title)
{
    return SectionHeader(doc, g, slot, title, " - результати аналізу (група точок ");
}

std::vector<CrossCell> SubgroupTableCells(const MeasurementDocument& doc, int first, int last)
{
    static const int blankWidths[] = { 2, 3, 5, 7, 6, 4 };
    std::vector<CrossCell> cells;
    const int firstRow = TableRow(doc, first);
    const int lastRow = TableRow(doc, last);
    int closingRow = lastRow + 1;
    while (closingRow < doc.RowCount() - 1 && !doc.IsSeparatorRow(closingRow))
        ++closingRow;
    const int columns = doc.ValueColumnCount();
    const int results = std::min(doc.ResultColumnCount(), int(std::size(blankWidths)));
    cells.reserve(size_t(lastRow - firstRow + 2) * size_t(1 + columns + results));

    const QString dateUpper = QStringLiteral(" ");
    const QString dateLower = doc.LabelHeader(1);
    const QString valueUpper = doc.ValueHeader();
    QStringList valueLower;
    for (int c = 0; c < columns; ++c)
        valueLower.append(doc.ValueColumnHeader(c));
    QStringList resultUpper;
    QStringList resultLower;
    for (int c = 0; c < results; ++c) {
        resultUpper.append(QString(blankWidths[c], QLatin1Char(' ')));
        resultLower.append(doc.ResultHeader(c));
    }

    int group = GroupOfPoint(doc, first);
    auto addRow = [&](int row) {
        QString header = MarkedLabel(doc, row);
        if (row == closingRow || doc.IsSeparatorRow(row)) {
            const TIndividualInfo& info = doc.Groups().at(size_t(group));
            header += QStringLiteral(" точок ") + GroupPointsText(doc, info, info.GroupPointCount);
            if (row != closingRow)
                ++group;
        }
        cells.push_back({ header, dateUpper, dateLower, Cell(doc.DateText(row)) });
        for (int c = 0; c < columns; ++c)
            cells.push_back({ header, valueUpper, valueLower[c], Cell(doc.ValueText(row, c).toString()) });
        for (int c = 0; c < results; ++c)
            cells.push_back({ header, resultUpper[c], resultLower[c], Cell(doc.ResultText(row, c)) });
    };
    for (int row = firstRow; row <= lastRow; ++row)
        addRow(row);
    addRow(closingRow);
    return cells;
}

const QString& ExcludedMark()
{
    static const QString text = QStringLiteral("*");
    return text;
}

const QString& ExcludedLegend()
{
    static const QString text = QStringLiteral("* - точка не враховується при обчисленні контрольних меж");
    return text;
}

bool AnyExcluded(const MeasurementDocument& doc, int firstRow, int lastRow)
{
    const std::map<int, PointNote>& notes = doc.PointNotes();
    for (auto it = notes.lower_bound(firstRow); it != notes.end() && it->first <= lastRow; ++it) {
        if (it->second.Excluded())
            return true;
    }
    return false;
}

QString MarkedLabel(const MeasurementDocument& doc, int row)
{
    const QString label = doc.LabelText(row);
    return doc.PointExcluded(row) && !doc.IsSeparatorRow(row) ? label + ExcludedMark() : label;
}

int CountedPoints(const MeasurementDocument& doc, int g)
{
    return doc.Groups().at(size_t(g)).CountedPointCount(); // the compute took them from the notes
}

QString CountedPointsText(const MeasurementDocument& doc, int g)
{
    const int counted = CountedPoints(doc, g);
    const int excluded = doc.Groups().at(size_t(g)).ExcludedPointCount();
    // "за 1 точкою, за 21 точкою", else "за N точками".
    const bool singular = counted % 10 == 1 && counted % 100 != 11;
    QString text = QStringLiteral("Межі обчислено за %1 %2").arg(counted).arg(singular ? "точкою" : "точками");
    if (excluded > 0)
        text += QStringLiteral(" (виключено з обчислення меж: %1)").arg(excluded);
    return text + QLatin1Char('.');
}

std::vector<int> NoteRows(const MeasurementDocument& doc)
{
    std::vector<int> rows;
    for (const auto& [row, note] : doc.PointNotes()) {
        if (!note.Empty() && row >= 1 && row < doc.RowCount() && !doc.IsSeparatorRow(row))
            rows.push_back(row);
    }
    return rows;
}

QString NoteValueHeader(const MeasurementDocument& doc)
{
    return doc.IndividualMode() ? doc.ValueColumnHeader(0) : doc.ResultHeader(0);
}

QString NoteValue(const MeasurementDocument& doc, int row)
{
    return doc.IndividualMode() ? Cell(doc.ValueText(row, 0).toString()) : Cell(doc.ResultText(row, 0));
}

QString NoteText(const PointNote& note)
{
    QString text = note.Note;
    if (note.Excluded()) {
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        text += QStringLiteral("Не враховується при обчисленні меж: ") + note.ExcludeReason;
    }
    return text;
}

namespace {

    QString readableTime(const QString& iso)
    {
        const QDateTime time = QDateTime::fromString(iso, Qt::ISODate);
        return time.isValid() ? time.toString(QStringLiteral("dd.MM.yyyy HH:mm")) : iso;
    }

} // namespace

QString NoteAuthorText(const PointNote& note)
{
    const QString time = readableTime(note.Time);
    if (note.Author.isEmpty() || time.isEmpty())
        return note.Author + time;
    return note.Author + QLatin1Char('\n') + time;
}

QString LogTimeText(const ChangeLogEntry& entry)
{
    // The stored text, offset included: the record says exactly when, wherever it was made.
    return entry.Time;
}

QString LogChainText(const ChangeLog& log)
{
    if (log.Empty())
        return QStringLiteral("Журнал змін порожній.");
    const int verified = log.VerifiedCount();
    if (verified == log.Size())
        return QStringLiteral("Ланцюжок записів журналу цілий (перевірено записів: %1).").arg(log.Size());
    return QStringLiteral("Журнал змінено поза програмою після запису %1.").arg(verified);
}

} // namespace ReportValues
