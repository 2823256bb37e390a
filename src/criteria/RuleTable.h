#pragma once

// The Westgard rules and ISO 8258 tests as this program applies them: one table that the criteria
// engine takes its run lengths from, the details windows their texts and grades, and the report
// its statement of how every rule is applied. A change here changes all three.

#include <array>
#include <span>

enum class CriteriaFamily { Westgard, Iso };

// The points a rule looks at. σ is the σ of the plotted statistic: a third of the distance from the
// centre line to the upper limit for the upper zones, to the lower limit for the lower ones.
enum class RuleZone {
    BetweenTwoSigmaAndLimit, // beyond 2σ, up to the control limit
    BeyondLimit, // beyond the control limit
    Jump, // the difference between neighbouring points exceeds Sigmas σ (the upper σ)
    BeyondTwoSigmaOneSide, // a run beyond 2σ on one side of the centre
    BeyondOneSigmaOneSide, // a run beyond 1σ on one side of the centre
    OneSideOfCentre, // a run on one side of the centre line
    InsideOneSigmaOrOneSide, // a run within 1σ, or a run on one side of the centre
    Trend, // a strictly rising or strictly falling run
    Alternating, // a run alternating up and down
    InsideOneSigmaBothSides, // a run within 1σ with points on both sides of the centre
    OutsideOneSigmaBothSides, // a run beyond 1σ with points on both sides of the centre
};

// How a point exactly on a zone's boundary is taken.
enum class BoundaryRule {
    OutsideEveryBand, // on a band boundary it falls in no band and changes no run (Westgard)
    OneSigmaIsOuter, // exactly at ±1σ it is outside 1σ; at ±2σ or on a limit it is not beyond (ISO)
};

struct CriterionRule {
    CriteriaFamily Family;
    int Number;
    const char* Text; // as the details window lists it
    bool Critical; // critical, or a warning
    RuleZone Zone;
    int Points; // the fewest points of a pattern (1 for a single point)
    int Gap; // points outside the zone a pattern may hold, one at a time between its points
    int Sigmas; // the zone's width in σ, or the jump for RuleZone::Jump; 0 where no width applies
};

inline constexpr std::array<CriterionRule, 14> CriterionRules { {
    { CriteriaFamily::Westgard, 1, "1. Один результат вийшов за межі 2 сигма", false, RuleZone::BetweenTwoSigmaAndLimit,
        1, 0, 2 },
    { CriteriaFamily::Westgard, 2, "2. Один результат вийшов за межі 3 сигма", true, RuleZone::BeyondLimit, 1, 0, 3 },
    { CriteriaFamily::Westgard, 3, "3. Різниця між посл. результатами більше 4 сигма", true, RuleZone::Jump, 2, 0, 4 },
    { CriteriaFamily::Westgard, 4, "4. Два посл. результати вийшли за межі 2 сигма", false,
        RuleZone::BeyondTwoSigmaOneSide, 2, 0, 2 },
    { CriteriaFamily::Westgard, 5, "5. Чотири посл. результати вийшли за межі 1 сигма", false,
        RuleZone::BeyondOneSigmaOneSide, 4, 0, 1 },
    { CriteriaFamily::Westgard, 6, "6. Десять посл. результатів лежать по один бік від центру", true,
        RuleZone::OneSideOfCentre, 10, 0, 0 },
    { CriteriaFamily::Iso, 1, "1. Один результат вийшов за межі 3 сигма", true, RuleZone::BeyondLimit, 1, 0, 3 },
    { CriteriaFamily::Iso, 2, "2. 9 точок підряд у межах 1 сигма або по один бік від центру", true,
        RuleZone::InsideOneSigmaOrOneSide, 9, 0, 1 },
    { CriteriaFamily::Iso, 3, "3. 6 підряд зростаючих або спадаючих точок", true, RuleZone::Trend, 6, 0, 0 },
    { CriteriaFamily::Iso, 4, "4. 14 поперемінно зростаючих та спадаючих точок", false, RuleZone::Alternating, 14, 0,
        0 },
    { CriteriaFamily::Iso, 5, "5. 2 з 3 послідовних точок за межами 2 сигма", false, RuleZone::BeyondTwoSigmaOneSide, 2,
        1, 2 },
    { CriteriaFamily::Iso, 6, "6. 4 з 5 послідовних точок за межами 1 сигма", false, RuleZone::BeyondOneSigmaOneSide, 4,
        1, 1 },
    { CriteriaFamily::Iso, 7, "7. 15 послідовних точок у межах 1 сигма вище та нижче центру", true,
        RuleZone::InsideOneSigmaBothSides, 15, 0, 1 },
    { CriteriaFamily::Iso, 8, "8. 8 послідовних точок по обидва боки від центру за межами 1 сигма", false,
        RuleZone::OutsideOneSigmaBothSides, 8, 0, 1 },
} };

constexpr BoundaryRule BoundaryOf(CriteriaFamily family)
{
    return family == CriteriaFamily::Westgard ? BoundaryRule::OutsideEveryBand : BoundaryRule::OneSigmaIsOuter;
}

constexpr int CriteriaCount(CriteriaFamily family)
{
    int count = 0;
    for (const CriterionRule& rule : CriterionRules)
        count += rule.Family == family;
    return count;
}

// The rule of a family by its number; nothing for a number the family does not have.
constexpr const CriterionRule* FindRule(CriteriaFamily family, int number)
{
    for (const CriterionRule& rule : CriterionRules) {
        if (rule.Family == family && rule.Number == number)
            return &rule;
    }
    return nullptr;
}

// The fewest points of a rule's pattern, at compile time, for the engine's thresholds.
constexpr int RulePoints(CriteriaFamily family, int number)
{
    return FindRule(family, number)->Points;
}
