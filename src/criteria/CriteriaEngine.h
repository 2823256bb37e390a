#pragma once

#include "model/CriterionHit.h"

#include <QString>
#include <span>

// The six Westgard rules over one series against its lines. Points are numbered from 1.
ErrorArray WestgardCheck(std::span<const double> values, double centre, double upper, double lower);

// The eight ISO 8258 tests over one series against its lines. Points are numbered from 1.
ErrorArray IsoCheck(std::span<const double> values, double centre, double upper, double lower);

// The distinct criterion numbers in order of first appearance: " 2, 1"; empty for no hits.
QString CriteriaList(const ErrorArray& hits);
