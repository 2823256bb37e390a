#include "presentation/RuleStatement.h"

#include "criteria/CriteriaEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// Lines C = 10, U = 13, L = 7: σ = 1 on both sides.
constexpr double Centre = 10;
constexpr double Upper = 13;
constexpr double Lower = 7;

bool hits(CriteriaFamily family, int criterion, const std::vector<double>& values)
{
    const ErrorArray found = family == CriteriaFamily::Westgard ? WestgardCheck(values, Centre, Upper, Lower)
                                                                : IsoCheck(values, Centre, Upper, Lower);
    return std::any_of(found.begin(), found.end(), [&](const TCriterionHit& h) { return h.Criterion == criterion; });
}

// The smallest pattern of a run rule with `points` points, framed so that the run ends on both sides.
std::vector<double> pattern(const CriterionRule& rule, int points)
{
    std::vector<double> values;
    auto repeat = [&](double value, int count) { values.insert(values.end(), size_t(count), value); };
    switch (rule.Zone) {
    case RuleZone::BeyondTwoSigmaOneSide:
        if (rule.Gap == 0) {
            repeat(Centre, 1);
            repeat(12.5, points);
            repeat(Centre, 1);
        } else {
            // Qualifying points with single misses between them.
            repeat(Centre, 2);
            for (int i = 0; i < points; ++i) {
                if (i > 0)
                    repeat(11.5, rule.Gap);
                repeat(12.5, 1);
            }
            repeat(Centre, 2);
        }
        break;
    case RuleZone::BeyondOneSigmaOneSide:
        repeat(Centre, 2);
        repeat(11.5, points);
        repeat(Centre, 2);
        break;
    case RuleZone::OneSideOfCentre:
        repeat(9.5, 1);
        repeat(10.5, points);
        repeat(9.5, 1);
        break;
    case RuleZone::InsideOneSigmaOrOneSide:
    case RuleZone::InsideOneSigmaBothSides:
        repeat(12.5, 1);
        for (int i = 0; i < points; ++i)
            repeat(i % 2 ? 9.5 : 10.5, 1);
        repeat(12.5, 1);
        break;
    case RuleZone::OutsideOneSigmaBothSides:
        repeat(Centre, 1);
        for (int i = 0; i < points; ++i)
            repeat(i % 2 ? 8.5 : 11.5, 1);
        repeat(Centre, 1);
        break;
    case RuleZone::Trend:
        repeat(9.0, 1);
        for (int i = 0; i < points; ++i)
            repeat(9.0 + 0.1 * i, 1);
        repeat(values.back(), 1);
        break;
    case RuleZone::Alternating:
        repeat(9.8, 1);
        for (int i = 0; i < points; ++i)
            repeat(i % 2 ? 10.2 : 9.8, 1);
        repeat(values.back(), 1);
        break;
    default:
        break;
    }
    return values;
}

} // namespace

// The engine takes its run lengths from the table: every run rule fires on its shortest pattern
// and not on one point less.
TEST(RuleTable, TheEngineRunsOnTheTable)
{
    int checked = 0;
    for (const CriterionRule& rule : CriterionRules) {
        if (rule.Points < 2 || rule.Zone == RuleZone::Jump)
            continue;
        SCOPED_TRACE(rule.Text);
        EXPECT_TRUE(hits(rule.Family, rule.Number, pattern(rule, rule.Points)));
        EXPECT_FALSE(hits(rule.Family, rule.Number, pattern(rule, rule.Points - 1)));
        ++checked;
    }
    EXPECT_EQ(checked, 10);
    const CriterionRule& jump = *FindRule(CriteriaFamily::Westgard, 3);
    EXPECT_TRUE(hits(jump.Family, 3, { Centre, 8.0, 8.0 + jump.Sigmas + 0.1 }));
    EXPECT_FALSE(hits(jump.Family, 3, { Centre, 8.0, 8.0 + jump.Sigmas - 0.1 }));
}

TEST(RuleStatement, OneParagraphARuleWithItsGradeAndPattern)
{
    const RuleStatement statement = StateRules();
    ASSERT_EQ(statement.Westgard.size(), CriteriaCount(CriteriaFamily::Westgard));
    ASSERT_EQ(statement.Iso.size(), CriteriaCount(CriteriaFamily::Iso));
    EXPECT_EQ(statement.Westgard[5],
        QStringLiteral(
            "Правило Westgard 6 (критичний): щонайменше 10 точок підряд по один бік від центральної лінії."));
    EXPECT_EQ(statement.Iso[4],
        QStringLiteral("Тест ДСТУ ISO 8258 5 (попереджуючий): щонайменше 2 точки за межами 2 сигма по один бік від "
                       "центральної лінії, між якими стоїть не більше 1 точки поза цією зоною поспіль."));
    EXPECT_TRUE(statement.Verdicts[0].contains(QStringLiteral("Сигнал про критичну невідповідність!")));
    EXPECT_TRUE(statement.General.join(QLatin1Char(' ')).contains(QStringLiteral("розділювач")));
}

TEST(RuleStatement, FollowsAChangedTable)
{
    auto rules = CriterionRules;
    CriterionRule& sideRun = rules[5];
    ASSERT_EQ(sideRun.Number, 6);
    sideRun.Points = 8;
    sideRun.Critical = false;
    const RuleStatement statement = StateRules(rules);
    EXPECT_EQ(statement.Westgard[5],
        QStringLiteral(
            "Правило Westgard 6 (попереджуючий): щонайменше 8 точок підряд по один бік від центральної лінії."));
    EXPECT_EQ(statement.Westgard[0], StateRules().Westgard[0]);
}
