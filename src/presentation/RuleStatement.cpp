#include "presentation/RuleStatement.h"

#include "presentation/AnalysisPresentation.h"
#include "presentation/CountWords.h"

namespace {

QString Points(int n)
{
    return PointCountText(n);
}

QString Sigma(int sigmas)
{
    return QString::number(sigmas) + QStringLiteral(" сигма"); // the words of the rule texts
}

QString Pattern(const CriterionRule& rule)
{
    const QString run = rule.Points > 1
        ? QStringLiteral("щонайменше ") + Points(rule.Points) + QStringLiteral(" підряд ")
        : QString();
    switch (rule.Zone) {
    case RuleZone::BetweenTwoSigmaAndLimit:
        return QStringLiteral("точка за межами ") + Sigma(rule.Sigmas)
            + QStringLiteral(", що не виходить за контрольну межу (точка на контрольній межі теж належить сюди)");
    case RuleZone::BeyondLimit:
        return QStringLiteral("точка за контрольною межею (") + Sigma(rule.Sigmas) + QLatin1Char(')');
    case RuleZone::Jump:
        return QStringLiteral("різниця між двома сусідніми точками більша за ") + Sigma(rule.Sigmas)
            + QStringLiteral(" (у обох напрямках береться сигма верхньої половини карти)");
    case RuleZone::BeyondTwoSigmaOneSide:
    case RuleZone::BeyondOneSigmaOneSide:
        if (rule.Gap > 0)
            return QStringLiteral("щонайменше ") + Points(rule.Points) + QStringLiteral(" за межами ")
                + Sigma(rule.Sigmas) + QStringLiteral(" по один бік від центральної лінії, між якими стоїть не більше ")
                + QString::number(rule.Gap) + QStringLiteral(" точки поза цією зоною поспіль");
        return run + QStringLiteral("за межами ") + Sigma(rule.Sigmas)
            + QStringLiteral(" по один бік від центральної лінії");
    case RuleZone::OneSideOfCentre:
        return run + QStringLiteral("по один бік від центральної лінії");
    case RuleZone::InsideOneSigmaOrOneSide:
        return run + QStringLiteral("у межах ") + Sigma(rule.Sigmas) + QStringLiteral(" від центральної лінії, або ")
            + Points(rule.Points) + QStringLiteral(" підряд по один бік від неї (обидва випадки — цей критерій)");
    case RuleZone::Trend:
        return QStringLiteral("щонайменше ") + Points(rule.Points) + QStringLiteral(" (")
            + QString::number(rule.Points - 1)
            + QStringLiteral(
                " кроків), що строго зростають або строго спадають; рівні сусідні значення обривають серію");
    case RuleZone::Alternating:
        return QStringLiteral("щонайменше ") + Points(rule.Points)
            + QStringLiteral(", що поперемінно зростають і спадають; рівні сусідні значення обривають серію");
    case RuleZone::InsideOneSigmaBothSides:
        return run + QStringLiteral("у межах ") + Sigma(rule.Sigmas)
            + QStringLiteral(" від центральної лінії, серед яких є точки по обидва її боки");
    case RuleZone::OutsideOneSigmaBothSides:
        return run + QStringLiteral("за межами ") + Sigma(rule.Sigmas)
            + QStringLiteral(" від центральної лінії, серед яких є точки по обидва її боки");
    }
    return QString();
}

QString Paragraph(const CriterionRule& rule)
{
    const QString family = rule.Family == CriteriaFamily::Westgard ? QStringLiteral("Правило Westgard ")
                                                                   : QStringLiteral("Тест ДСТУ ISO 8258 ");
    const QString grade = rule.Critical ? QStringLiteral("критичний") : QStringLiteral("попереджуючий");
    return family + QString::number(rule.Number) + QStringLiteral(" (") + grade + QStringLiteral("): ") + Pattern(rule)
        + QLatin1Char('.');
}

QString Boundaries(CriteriaFamily family)
{
    switch (BoundaryOf(family)) {
    case BoundaryRule::OutsideEveryBand:
        return QStringLiteral(
            "Правила Westgard: межі зон строгі з обох боків — точка точно на ±1 сигма або ±2 сигма не належить "
            "жодній зоні й не змінює жодної серії.");
    case BoundaryRule::OneSigmaIsOuter:
        return QStringLiteral(
            "Тести ДСТУ ISO 8258: точка точно на ±1 сигма вважається за межами 1 сигма; точка точно на ±2 "
            "сигма не вважається за межами 2 сигма, а точка на контрольній межі — за межею.");
    }
    return QString();
}

} // namespace

RuleStatement StateRules(std::span<const CriterionRule> rules)
{
    RuleStatement statement;
    statement.General = {
        QStringLiteral("Усі критерії перевіряються на кожній карті кожної групи: на картах індивідуальних значень і "
                       "ковзних розмахів, а для підгруп — на кожній побудованій карті (середніх, медіан, стандартних "
                       "відхилень, відносних стандартних відхилень, розмахів, відносних розмахів)."),
        QStringLiteral(
            "Сигма — стандартне відхилення нанесеної на карту статистики: третина відстані від центральної лінії "
            "до верхньої контрольної межі для зон над центральною лінією і до нижньої — для зон під нею."),
        QStringLiteral(
            "Точка на центральній лінії вважається вищою за неї. Серії ніколи не переходять через розділювач: "
            "кожна група перевіряється окремо. Серію повідомлено один раз, коли вона закінчується, на всю "
            "її довжину."),
        Boundaries(CriteriaFamily::Westgard),
        Boundaries(CriteriaFamily::Iso),
    };
    for (const CriterionRule& rule : rules)
        (rule.Family == CriteriaFamily::Westgard ? statement.Westgard : statement.Iso).append(Paragraph(rule));
    // The verdict sentences as the analysis gives them, from one hit of each grade.
    auto verdictOf = [](bool critical) {
        for (const CriterionRule& rule : CriterionRules) {
            if (rule.Critical == critical)
                return Verdict(rule.Family, { TCriterionHit { rule.Number, 1, 1 } }).Text;
        }
        return QString();
    };
    statement.Verdicts = {
        QStringLiteral("Якщо на карті виконується хоча б один критичний критерій: «") + verdictOf(true)
            + QStringLiteral("»."),
        QStringLiteral("Якщо виконуються лише попереджуючі критерії: «") + verdictOf(false) + QStringLiteral("»."),
        QStringLiteral("Якщо не виконується жоден критерій: «") + Verdict(CriteriaFamily::Westgard, {}).Text
            + QStringLiteral("»."),
    };
    return statement;
}
