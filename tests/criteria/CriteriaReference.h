#pragma once

#include "model/CriterionHit.h"

#include <span>

// The criteria routines as first written: straightforward, one branch per case. The optimised
// routines must give exactly the same hits, in the same order, for every input.
ErrorArray ReferenceWestgardCheck(std::span<const double> values, double centre, double upper, double lower);
ErrorArray ReferenceIsoCheck(std::span<const double> values, double centre, double upper, double lower);
