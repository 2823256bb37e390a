#pragma once

#include "analysis/CriterionHit.h"

#include <QString>

enum class CriteriaFamily { Westgard, Iso };

struct AnalysisVerdict {
    QString Text;
    bool Critical = false; // shown in red; otherwise green
};

// "Для групи виконуються умови таких критеріїв: " and the list, or the sentence for no criteria.
QString CriteriaSentence(const ErrorArray& hits);

// The verdict of one analysis of one chart.
AnalysisVerdict Verdict(CriteriaFamily family, const ErrorArray& hits);
