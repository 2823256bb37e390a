#pragma once

#include "model/MeasurementDocument.h"

#include <QString>

// Texts of the numbers written on charts, in the user's decimal separator.

// v in exponent form with `significant` significant digits and an exponent of at least
// `exponentDigits` digits (at most 4 are ever padded: a double's exponent has 3 digits at most).
QString FormatExponent(double v, int significant, int exponentDigits);

// A number in a chart number format: fixed with `decimals` decimals, giving way to the exponent
// form when more than `digits` digits stand before the separator; or the exponent form with
// `digits` significant digits and `decimals` as the minimum exponent digits.
QString FormatChartNumber(double v, ChartNumberFormat::Kind kind, int digits, int decimals);

// Control-line label text in the shared chart number format.
QString FormatValue(double v, int d);
// Value axis label: in fixed form d decimals, or d + 1 when the next tick would read the same;
// in exponent form three significant digits, whatever d is.
QString FormatAxisValue(double v, double next, int d);
