#include "actions/TableOperations.h"

#include "actions/GroupMerge.h"
#include "model/MeasurementDocument.h"
#include "model/Messenger.h"
#include "model/Numbers.h"

#include <algorithm>
#include <exception>
#include <optional>

namespace {

const QString& invalidNumberMessage()
{
    static const QString text = QStringLiteral("Некоректно задане число!");
    return text;
}

const QString& numberBelowOneMessage()
{
    static const QString text = QStringLiteral("Номер має бути більшим за нуль!");
    return text;
}

const QString& countBelowOneMessage()
{
    static const QString text = QStringLiteral("Число має бути більшим за нуль!");
    return text;
}

const QString& noSuchElementMessage()
{
    static const QString text = QStringLiteral("Елемента з таким номером у таблиці немає!");
    return text;
}

const QString& tooManyRowsMessage()
{
    static const QString text
        = QStringLiteral("Операцію не виконано: таблиця не може містити більше 10 000 000 рядків!");
    return text;
}

// Where the walk from the top for point n ends.
struct PointPlace {
    bool Exists = false;
    int Row = 0; // row of point n; the row after the table when there is no point n
    int Position = 0; // within its group, from 1
    int SeparatorsAbove = 0;
    int LastPointRow = 0; // the last point row passed, and its position
    int LastPointPosition = 0;
};

PointPlace locatePoint(const MeasurementDocument& doc, int n)
{
    const std::vector<bool>& flags = doc.SeparatorFlags();
    const int tableRows = doc.TableRowCount();
    PointPlace place;
    int points = 0;
    int position = 0;
    for (int row = 1; row <= tableRows; ++row) {
        if (flags[size_t(row - 1)]) {
            ++place.SeparatorsAbove;
            position = 0;
            continue;
        }
        ++points;
        ++position;
        place.LastPointRow = row;
        place.LastPointPosition = position;
        if (points == n) {
            place.Exists = true;
            place.Row = row;
            place.Position = position;
            return place;
        }
    }
    place.Row = tableRows + 1;
    return place;
}

// The row after `row` is a separator or the end (the flags end in a true sentinel).
bool endsGroup(const MeasurementDocument& doc, int row)
{
    return doc.SeparatorFlags()[size_t(row)];
}

bool fitsRowCap(MeasurementDocument& doc, qint64 addedRows)
{
    if (qint64(doc.TableRowCount()) + addedRows <= MaximumTableRows)
        return true;
    doc.messenger().ShowMessage(tooManyRowsMessage());
    return false;
}

// A failure inside an operation (memory, most likely) says so plainly instead of ending the program.
template <typename Operation> TableEdit guarded(MeasurementDocument& doc, Operation operation)
{
    try {
        return operation();
    } catch (const std::exception&) {
        doc.messenger().ShowMessage(QStringLiteral("Операцію не виконано: не вистачає пам'яті!"));
        return {};
    }
}

// The row the selection takes after a removal: the removed row's place, or the last row; a
// separator there hands it to the point above.
int rowAfterRemoval(const MeasurementDocument& doc, int row)
{
    row = std::min(row, doc.TableRowCount());
    if (row > 1 && doc.IsSeparatorRow(row))
        --row;
    return std::max(row, 0);
}

void keepGroupCount(MeasurementDocument& doc)
{
    doc.StoreGroupCount(int(doc.Groups().size()));
}

void tell(TableChangeObserver* observer, const MeasurementDocument& doc, const TableChange& change)
{
    if (observer)
        observer->AboutToChange(doc, change);
}

std::optional<int> readWholeNumber(MeasurementDocument& doc, const QString& text, const QString& belowOneMessage)
{
    bool ok = false;
    const int n = TrimBlanks(text).toInt(&ok, 10);
    if (!ok) {
        doc.messenger().ShowMessage(invalidNumberMessage());
        return std::nullopt;
    }
    if (n < 1) {
        doc.messenger().ShowMessage(belowOneMessage);
        return std::nullopt;
    }
    return n;
}

} // namespace

TableEdit InsertPoint(MeasurementDocument& doc, int n, TableChangeObserver* observer)
{
    if (n < 1 || !fitsRowCap(doc, 1))
        return {};
    return guarded(doc, [&]() -> TableEdit {
        const PointPlace place = locatePoint(doc, n);
        // Beyond the last point the new one closes the last group.
        const int row = place.Exists ? place.Row : doc.TableRowCount() + 1;
        tell(observer, doc, { row, 0, 1, false, 0, 0 });
        doc.InsertTableRows(row, 1, false);
        doc.SetPointCount(doc.PointCount() + 1);
        doc.MarkChanged();
        return { true, row };
    });
}

TableEdit InsertSeparator(MeasurementDocument& doc, int n, TableChangeObserver* observer)
{
    const PointPlace place = locatePoint(doc, n);
    if (!place.Exists || place.Position < 3 || endsGroup(doc, place.Row)) {
        doc.messenger().ShowMessage(
            QStringLiteral("У результаті вставки буде створено підгрупу з одного або менше елементів!"));
        return {};
    }
    if (!fitsRowCap(doc, 1))
        return {};
    return guarded(doc, [&]() -> TableEdit {
        const bool individual = doc.IndividualMode();
        const std::vector<TIndividualInfo>& groups = doc.Groups();
        const size_t split = size_t(place.SeparatorsAbove);
        const int groupFirst = int(std::min(split, groups.size()));
        tell(observer, doc, { place.Row, 0, 1, true, groupFirst, split < groups.size() ? 1 : 0 });
        if (groups.size() <= split)
            doc.SetGroupCount(int(split) + 1);
        // The upper part gets a new record with the settings the whole group had.
        TIndividualInfo upper = SplitRecord(groups[split], individual);
        doc.InsertTableRows(place.Row, 1, true);
        std::vector<TIndividualInfo> inserted;
        inserted.push_back(std::move(upper));
        doc.ReplaceGroupRecords(int(split), 0, std::move(inserted));
        keepGroupCount(doc);
        doc.MarkChanged();
        return { true, place.Row + 1 };
    });
}

TableEdit DeletePoint(MeasurementDocument& doc, int n, TableChangeObserver* observer)
{
    const PointPlace place = locatePoint(doc, n);
    const int row = place.Exists ? place.Row : place.LastPointRow;
    const int position = place.Exists ? place.Position : place.LastPointPosition;
    if (row > 0) {
        const bool lonePoint = (position == 1 && (endsGroup(doc, row) || endsGroup(doc, row + 1)))
            || (position == 2 && endsGroup(doc, row));
        if (lonePoint) {
            doc.messenger().ShowMessage(QStringLiteral("У результаті вилучення буде створено підгрупу з одного "
                                                       "елементу! Вилучіть, спочатку один із роздільників!"));
            return {};
        }
    }
    if (!place.Exists) {
        doc.messenger().ShowMessage(noSuchElementMessage());
        return {};
    }
    return guarded(doc, [&]() -> TableEdit {
        tell(observer, doc, { row, 1, 0, false, 0, 0 });
        doc.RemoveTableRow(row);
        doc.SetPointCount(doc.PointCount() - 1);
        doc.MarkChanged();
        return { true, rowAfterRemoval(doc, row) };
    });
}

TableEdit DeleteSeparator(MeasurementDocument& doc, int n, MergeDecider& decider, TableChangeObserver* observer)
{
    const std::vector<bool>& flags = doc.SeparatorFlags();
    const int tableRows = doc.TableRowCount();
    int row = 0;
    int separators = 0;
    for (int r = 1; r <= tableRows && separators < n; ++r) {
        if (flags[size_t(r - 1)] && ++separators == n)
            row = r;
    }
    if (row == 0 || n < 1) {
        doc.messenger().ShowMessage(noSuchElementMessage());
        return {};
    }
    return guarded(doc, [&]() -> TableEdit {
        const bool individual = doc.IndividualMode();
        const std::vector<TIndividualInfo>& groups = doc.Groups();
        const int recordsBefore = int(groups.size());
        if (groups.size() <= size_t(n)) {
            // Records lost to a damaged file come back automatic before the merge reads them.
            doc.SetGroupCount(n + 1);
        }
        const TIndividualInfo& earlier = groups[size_t(n - 1)];
        const TIndividualInfo& later = groups[size_t(n)];
        std::optional<MergeDecision> decision;
        if (!SameSettings(earlier, later)) {
            // Point labels of the table's number column: the groups reach from the separators around them.
            int first = row - 1;
            while (first > 1 && !flags[size_t(first - 2)])
                --first;
            int last = row + 1;
            while (!flags[size_t(last)])
                ++last;
            MergeQuestion question;
            question.Individual = individual;
            question.Earlier = &earlier;
            question.Later = &later;
            const QString paneStart = QStringLiteral(" У групі з точок ");
            const QString paneEnd = QStringLiteral(" контрольні лінії обчислюються у такий спосіб ");
            question.EarlierCaption
                = paneStart + doc.LabelText(first) + QLatin1Char('-') + doc.LabelText(row - 1) + paneEnd;
            question.LaterCaption
                = paneStart + doc.LabelText(row + 1) + QLatin1Char('-') + doc.LabelText(last) + paneEnd;
            question.MergedCaption
                = QStringLiteral(" Вкажіть спосіб обчислення контрольні лінії для групи, яку буде утворено з точок ")
                + doc.LabelText(first) + QLatin1Char('-') + doc.LabelText(last) + QLatin1Char(' ');
            question.DisplayPrecision = doc.DisplayPrecision();
            decision = decider.AskMerge(question);
            if (!decision)
                return {};
        }
        const int groupFirst = std::min(n - 1, recordsBefore);
        tell(observer, doc, { row, 1, 0, false, groupFirst, recordsBefore - groupFirst });
        doc.ReplaceGroupRecords(n, 1, {});
        if (decision) {
            TIndividualInfo merged = doc.TakeGroupRecord(n - 1);
            ApplyMergeDecision(merged, individual, *decision);
            doc.StoreGroupRecord(n - 1, std::move(merged));
            doc.RaiseDisplayPrecision(decision->Decimals);
        }
        doc.RemoveTableRow(row);
        keepGroupCount(doc);
        doc.MarkChanged();
        return { true, rowAfterRemoval(doc, row) };
    });
}

TableEdit AppendPoints(MeasurementDocument& doc, int n, TableChangeObserver* observer)
{
    if (n < 1 || !fitsRowCap(doc, n))
        return {};
    return guarded(doc, [&]() -> TableEdit {
        const int row = doc.TableRowCount() + 1;
        tell(observer, doc, { row, 0, n, false, 0, 0 });
        doc.InsertTableRows(row, n, false);
        doc.SetPointCount(doc.PointCount() + n);
        doc.MarkChanged();
        return { true, row };
    });
}

QString LastPointsQuestion(int count)
{
    QString ending;
    switch (count % 10) {
    case 1:
        ending = QStringLiteral(" точку.");
        break;
    case 2:
    case 3:
    case 4:
        ending = QStringLiteral(" точки.");
        break;
    default:
        ending = QStringLiteral(" точок.");
        break;
    }
    return QStringLiteral("Вилучення буде коректним тільки якщо вилучити останні ") + QString::number(count) + ending
        + QStringLiteral(" Підтверджуєте вилучення?");
}

TableEdit DeleteLastPoints(MeasurementDocument& doc, int n, TableChangeObserver* observer)
{
    if (n < 1)
        return {};
    const std::vector<bool>& flags = doc.SeparatorFlags();
    auto isSeparator = [&](int row) { return bool(flags[size_t(row - 1)]); };
    int newLast = 0;
    if (n < doc.PointCount()) {
        int row = doc.TableRowCount();
        for (int passed = 0; row >= 1; --row) {
            if (!isSeparator(row) && ++passed == n)
                break;
        }
        newLast = row - 1;
        if (newLast >= 1 && isSeparator(newLast))
            --newLast;
        // A single point left in the last group, or in the whole table, cannot stay.
        if (newLast == 1 || (newLast > 1 && isSeparator(newLast - 1))) {
            if (!doc.messenger().AskYesNo(LastPointsQuestion(n + 1)))
                return {};
            newLast = std::max(0, newLast - 2);
            ++n;
        }
    }
    return guarded(doc, [&]() -> TableEdit {
        n = std::min(n, doc.PointCount());
        const int oldRows = doc.TableRowCount();
        const auto keptSeparators = std::count(flags.begin(), flags.begin() + std::min(newLast, oldRows), true);
        const int recordsBefore = int(doc.Groups().size());
        const int groupFirst = std::min(int(keptSeparators) + 1, recordsBefore);
        tell(observer, doc,
            { newLast + 1, std::max(0, oldRows - newLast), 0, false, groupFirst, recordsBefore - groupFirst });
        doc.TruncateTable(newLast);
        doc.SetPointCount(doc.PointCount() - n);
        const auto separators = std::count(flags.begin(), flags.end() - 1, true);
        doc.SetGroupCount(int(separators) + 1);
        keepGroupCount(doc);
        doc.MarkChanged();
        return { true, 0 };
    });
}

TableEdit SubmitInsertPoint(MeasurementDocument& doc, const QString& text, TableChangeObserver* observer)
{
    const std::optional<int> n = readWholeNumber(doc, text, numberBelowOneMessage());
    return n ? InsertPoint(doc, *n, observer) : TableEdit {};
}

TableEdit SubmitInsertSeparator(MeasurementDocument& doc, const QString& text, TableChangeObserver* observer)
{
    const std::optional<int> n = readWholeNumber(doc, text, numberBelowOneMessage());
    return n ? InsertSeparator(doc, *n, observer) : TableEdit {};
}

TableEdit SubmitDeletePoint(MeasurementDocument& doc, const QString& text, TableChangeObserver* observer)
{
    const std::optional<int> n = readWholeNumber(doc, text, numberBelowOneMessage());
    return n ? DeletePoint(doc, *n, observer) : TableEdit {};
}

TableEdit SubmitDeleteSeparator(
    MeasurementDocument& doc, const QString& text, MergeDecider& decider, TableChangeObserver* observer)
{
    const std::optional<int> n = readWholeNumber(doc, text, numberBelowOneMessage());
    return n ? DeleteSeparator(doc, *n, decider, observer) : TableEdit {};
}

TableEdit SubmitAppendPoints(MeasurementDocument& doc, const QString& text, TableChangeObserver* observer)
{
    const std::optional<int> n = readWholeNumber(doc, text, countBelowOneMessage());
    return n ? AppendPoints(doc, *n, observer) : TableEdit {};
}

TableEdit SubmitDeleteLastPoints(MeasurementDocument& doc, const QString& text, TableChangeObserver* observer)
{
    const std::optional<int> n = readWholeNumber(doc, text, countBelowOneMessage());
    if (!n || !doc.messenger().AskYesNo(QStringLiteral("Підтверджуєте вилучення?")))
        return {};
    return DeleteLastPoints(doc, *n, observer);
}
