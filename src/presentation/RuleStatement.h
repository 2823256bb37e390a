#pragma once

#include "criteria/RuleTable.h"

#include <QString>
#include <QStringList>
#include <span>

// "Як застосовуються критерії": how every rule of the table is applied, as paragraphs for the
// report. Built from the rule table alone, so the statement says what the engine does.
struct RuleStatement {
    QStringList General; // charts, σ, boundaries, group separators
    QStringList Westgard; // one paragraph a rule
    QStringList Iso;
    QStringList Verdicts; // how the grades give the verdicts
};

RuleStatement StateRules(std::span<const CriterionRule> rules = CriterionRules);
