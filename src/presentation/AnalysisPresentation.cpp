#include "presentation/AnalysisPresentation.h"

#include "criteria/CriteriaEngine.h"
#include "model/GroupRecord.h"
#include "model/MeasurementDocument.h"
#include "model/PointNote.h"

QString CriterionText(CriteriaFamily family, int criterion)
{
    const CriterionRule* rule = FindRule(family, criterion);
    return rule ? QString::fromUtf8(rule->Text) : QString();
}

bool IsCriticalCriterion(CriteriaFamily family, int criterion)
{
    const CriterionRule* rule = FindRule(family, criterion);
    return rule && rule->Critical;
}

QString CriterionTypeText(CriteriaFamily family, int criterion)
{
    const CriterionRule* rule = FindRule(family, criterion);
    if (!rule)
        return QString();
    return rule->Critical ? QStringLiteral("Критичний") : QStringLiteral("Попереджуючий");
}

QString CriteriaSentence(const ErrorArray& hits)
{
    const QString list = CriteriaList(hits);
    if (list.isEmpty())
        return QStringLiteral("Не виконуються умови жодного критерію");
    return QStringLiteral("Для групи виконуються умови таких критеріїв: ") + list;
}

AnalysisVerdict Verdict(CriteriaFamily family, const ErrorArray& hits)
{
    // The verdict reads the list text: a critical criterion's digit anywhere in it decides.
    const QString list = CriteriaList(hits);
    bool critical = false;
    for (const CriterionRule& rule : CriterionRules) {
        if (rule.Family == family && rule.Critical)
            critical = critical || list.contains(QString::number(rule.Number));
    }

    AnalysisVerdict verdict;
    verdict.Critical = critical;
    if (critical) {
        verdict.Colour = CriticalVerdictColour;
        verdict.Text = QStringLiteral("Сигнал про критичну невідповідність! Застосуйте коригувальні дії!");
    } else {
        verdict.Colour = WarningVerdictColour;
        verdict.Text = list.isEmpty()
            ? QStringLiteral("Випробування знаходяться у статистично керованому стані. Можна продовжувати роботу.")
            : QStringLiteral("Карта відповідає попереджуючим критеріям. Можливо, варто застосувати запобіжні дії. "
                             "Можна продовжувати роботу.");
    }
    return verdict;
}

// The details rows, with the hits' dates when there are dates to show.
static std::vector<DetailsRow> detailsRows(
    CriteriaFamily family, const ErrorArray& hits, const QStringList* pointDates, const HitNotes* notes = nullptr)
{
    const int count = CriteriaCount(family);
    std::vector<QString> points(static_cast<std::size_t>(count) + 1);
    for (const TCriterionHit& hit : hits) {
        if (hit.Criterion < 1 || hit.Criterion > count)
            continue;
        QString& text = points[static_cast<std::size_t>(hit.Criterion)];
        text += QLatin1Char(' ') + QString::number(hit.FirstPoint);
        if (hit.FirstPoint < hit.LastPoint)
            text += QLatin1Char('-') + QString::number(hit.LastPoint);
        if (pointDates) {
            const QString dates = HitDatesText(hit, *pointDates);
            if (!dates.isEmpty())
                text += QStringLiteral(" (") + dates + QLatin1Char(')');
        }
        if (notes && *notes) {
            const bool single = hit.FirstPoint == hit.LastPoint;
            for (const auto& [point, note] : (*notes)(hit)) {
                text += single ? QStringLiteral(" (примітка: ") + note + QLatin1Char(')')
                               : QStringLiteral(" (точка %1, примітка: ").arg(point) + note + QLatin1Char(')');
            }
        }
        text += QStringLiteral(" ,");
    }

    std::vector<DetailsRow> rows;
    rows.reserve(static_cast<std::size_t>(count) + 1);
    rows.push_back(
        { QStringLiteral("Номер критерію"), QStringLiteral("Тип критерію"), QStringLiteral("Точки критерія") });
    for (int criterion = 1; criterion <= count; ++criterion) {
        QString text = points[static_cast<std::size_t>(criterion)];
        if (text.isEmpty())
            text = QStringLiteral("Не відповідає критерію");
        else
            text.chop(1);
        rows.push_back({ CriterionText(family, criterion), CriterionTypeText(family, criterion), text });
    }
    return rows;
}

std::vector<DetailsRow> DetailsGridRows(CriteriaFamily family, const ErrorArray& hits)
{
    return detailsRows(family, hits, nullptr);
}

std::vector<DetailsRow> DetailsGridRows(CriteriaFamily family, const ErrorArray& hits, const QStringList& pointDates)
{
    return detailsRows(family, hits, &pointDates);
}

std::vector<DetailsRow> DetailsGridRows(
    CriteriaFamily family, const ErrorArray& hits, const QStringList& pointDates, const HitNotes& notes)
{
    return detailsRows(family, hits, &pointDates, &notes);
}

QString NoteExcerpt(const PointNote& note)
{
    constexpr int Longest = 60;
    QString text = (note.Note.isEmpty() ? note.Action : note.Note).trimmed();
    const qsizetype lineEnd = text.indexOf(QLatin1Char('\n'));
    bool cut = lineEnd >= 0;
    if (cut)
        text = text.left(lineEnd).trimmed();
    if (text.size() > Longest) {
        text = text.left(Longest);
        const qsizetype blank = text.lastIndexOf(QLatin1Char(' '));
        if (blank > Longest / 2)
            text = text.left(blank);
        cut = true;
    }
    return cut ? text + QChar(0x2026) : text;
}

HitNotes DocumentHitNotes(const MeasurementDocument& doc, int slot)
{
    if (doc.PointNotes().empty())
        return {};
    const bool ranges = doc.IndividualMode() && slot == SlotDeviation;
    return [&doc, ranges](const TCriterionHit& hit) {
        // The points of one hit lie in one group, so their rows run on without a separator.
        std::vector<std::pair<int, QString>> found;
        const std::vector<int>& groups = doc.PointGroup();
        const int first = hit.FirstPoint + (ranges ? 1 : 0);
        const int last = hit.LastPoint + (ranges ? 1 : 0);
        if (first < 1 || size_t(first) > groups.size() || last < first)
            return found;
        const int firstRow = first + groups[size_t(first - 1)];
        const int lastRow = firstRow + (last - first);
        constexpr size_t MostShown = 3; // a long run names its first notes; the notes section has all
        const std::map<int, PointNote>& notes = doc.PointNotes();
        for (auto it = notes.lower_bound(firstRow); it != notes.end() && it->first <= lastRow; ++it) {
            if (!it->second.HasNote())
                continue;
            if (found.size() == MostShown) {
                found.back().second += QStringLiteral("; …");
                break;
            }
            found.emplace_back(hit.FirstPoint + (it->first - firstRow), NoteExcerpt(it->second));
        }
        return found;
    };
}

QString HitDatesText(const TCriterionHit& hit, const QStringList& pointDates)
{
    auto dateOf = [&](int point) {
        return point >= 1 && point <= pointDates.size() ? pointDates[point - 1].trimmed() : QString();
    };
    const QString first = dateOf(hit.FirstPoint);
    const QString last = dateOf(hit.LastPoint);
    if (first.isEmpty() && last.isEmpty())
        return {};
    if (hit.FirstPoint == hit.LastPoint || first == last)
        return first.isEmpty() ? last : first;
    return first + QStringLiteral(" – ") + last;
}

AnalysisDisplay PresentAnalysis(CriteriaFamily family, const ErrorArray& hits)
{
    AnalysisDisplay display;
    display.List = CriteriaList(hits);
    display.Sentence = CriteriaSentence(hits);
    display.Verdict = Verdict(family, hits);
    display.Details = DetailsGridRows(family, hits);
    return display;
}

AnalysisDisplay PresentAnalysis(CriteriaFamily family, const ErrorArray& hits, const QStringList& pointDates)
{
    AnalysisDisplay display = PresentAnalysis(family, hits);
    display.Details = DetailsGridRows(family, hits, pointDates);
    return display;
}

QString AnalysisBoxCaption(CriteriaFamily family)
{
    // "IS0" with the digit zero is how the caption has always read.
    return family == CriteriaFamily::Westgard ? QStringLiteral(" Аналіз за правилами Westgard ")
                                              : QStringLiteral(" Аналіз за ДСТУ IS0 8258-2001 ");
}

DetailsWindowLayout DetailsWindowFor(CriteriaFamily family, const QString& pageCaption, int pageIndex)
{
    DetailsWindowLayout layout;
    layout.RowCount = CriteriaCount(family) + 1;
    QChar digit;
    if (family == CriteriaFamily::Westgard) {
        layout.Caption = QStringLiteral("Деталі по карті - ") + pageCaption;
        layout.ClientWidth = 625;
        layout.ClientHeight = 225;
        layout.ColumnWidths = { 307, 88, 208 };
        digit = QLatin1Char('1');
    } else {
        layout.Caption = QStringLiteral("Деталі аналізу карти - ") + pageCaption;
        layout.ClientWidth = 675;
        layout.ClientHeight = 275;
        layout.ColumnWidths = { 357, 90, 208 };
        digit = QLatin1Char('2');
    }
    layout.HintKey
        = QStringLiteral("Детальніше ") + digit + QStringLiteral(" на вкладці ") + QString::number(pageIndex);
    return layout;
}
