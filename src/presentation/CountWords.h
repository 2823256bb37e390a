#pragma once

#include <QString>

// A count of points in the nominative, with the word in its Ukrainian plural form: "1 точка",
// "3 точки", "11 точок", "21 точка".
QString PointCountText(int n);
