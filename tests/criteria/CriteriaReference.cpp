#include "CriteriaReference.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

// Point numbers are 32-bit; a longer series is examined only as far as its points can be numbered.
int32_t CountablePoints(std::span<const double> values)
{
    constexpr auto limit = static_cast<std::size_t>(std::numeric_limits<int32_t>::max() - 1);
    return static_cast<int32_t>(std::min(values.size(), limit));
}

class HitList {
public:
    void Record(int32_t criterion, int32_t first, int32_t last) { m_hits.push_back({ criterion, first, last }); }
    ErrorArray Take() const { return ErrorArray(m_hits.begin(), m_hits.end()); }

private:
    ErrorArray m_hits;
};

// Qualifying points of one ISO 8258 test 5 or 6 direction, allowing one non-qualifying point between them.
struct GapTracker {
    int32_t Test = 0;
    int32_t Threshold = 0;
    int32_t GapUsed = 0;
    int32_t Count = 0;
    int32_t LastMiss = 0;

    void Qualify() { ++Count; }

    void Miss(int32_t j, HitList& hits)
    {
        if (Count > 0) {
            if (GapUsed == 1) {
                if (Count > Threshold) {
                    hits.Record(Test, j - Count - 1, LastMiss == j - 1 ? j - 2 : j - 1);
                    GapUsed = 1;
                } else {
                    GapUsed = 0;
                }
                Count = j - LastMiss - 1;
            } else {
                GapUsed = 1;
            }
        }
        LastMiss = j;
    }

    void Finish(int32_t n, HitList& hits) const
    {
        if (Count > Threshold)
            hits.Record(Test, n - Count - GapUsed + 1, LastMiss == n ? n - 1 : n);
    }
};

} // namespace

ErrorArray ReferenceWestgardCheck(std::span<const double> values, double centre, double upper, double lower)
{
    const int32_t n = CountablePoints(values);
    if (n == 0)
        return {};

    const double sigmaUpper = (upper - centre) / 3;
    const double sigmaLower = (centre - lower) / 3;
    const double innerLow = centre - sigmaLower;
    const double innerHigh = centre + sigmaUpper;
    const double outerLow = centre - 2 * sigmaLower;
    const double outerHigh = centre + 2 * sigmaUpper;
    const double jump = 4 * sigmaUpper; // rule 3 uses the upper zone width in both directions

    HitList hits;
    int32_t a = 0; // run beyond 2 sigma
    int32_t b = 0; // run beyond 1 sigma
    int32_t s = 0; // run on one side of the centre

    for (int32_t j = 1; j <= n; ++j) {
        const double x = values[j - 1];
        // The bands are open on both sides: a value exactly on a boundary matches no case.
        if (innerLow < x && x < innerHigh) {
            if (std::abs(a) > 1)
                hits.Record(4, j - std::abs(a), j - 1);
            if (std::abs(b) > 3 && std::abs(b) > std::abs(a))
                hits.Record(5, j - std::abs(b), j - 1);
            if (x < centre) {
                if (s > 9 && std::abs(b) < s && std::abs(a) < s) {
                    hits.Record(6, j - s, j - 1);
                    s = -1;
                } else {
                    s = s < 1 ? s - 1 : -1;
                }
            } else {
                if (s < -9 && std::abs(b) < -s && std::abs(a) < -s) {
                    hits.Record(6, j + s, j - 1);
                    s = 1;
                } else {
                    s = s > -1 ? s + 1 : 1;
                }
            }
            a = 0;
            b = 0;
        } else if (outerLow < x && x < innerLow) {
            if (std::abs(a) > 1)
                hits.Record(4, j - std::abs(a), j - 1);
            a = 0;
            if (b < 1) {
                --b;
            } else {
                if (b > 3)
                    hits.Record(5, j - b, j - 1);
                b = -1;
            }
            if (s < 1) {
                --s;
            } else {
                if (s > 9 && std::abs(b) < s)
                    hits.Record(6, j - s, j - 1);
                s = -1;
            }
        } else if (innerHigh < x && x < outerHigh) {
            if (std::abs(a) > 1)
                hits.Record(4, j - std::abs(a), j - 1);
            a = 0;
            if (b > -1) {
                ++b;
            } else {
                if (b < -3)
                    hits.Record(5, j + b, j - 1);
                b = 1;
            }
            if (s > -1) {
                ++s;
            } else {
                if (s < -9 && std::abs(b) < -s)
                    hits.Record(6, j + s, j - 1);
                s = 1;
            }
        } else if (x < outerLow) {
            if (s < 1) {
                --s;
            } else {
                if (s > 9 && s > a && s > b)
                    hits.Record(6, j - s, j - 1);
                s = -1;
            }
            if (b < 1) {
                --b;
            } else {
                if (b > 3 && b > a)
                    hits.Record(5, j - b, j - 1);
                b = -1;
            }
            if (a < 1) {
                --a;
            } else {
                if (a > 1)
                    hits.Record(4, j - a, j - 1);
                a = -1;
            }
            hits.Record(x < lower ? 2 : 1, j, j);
        } else if (x > outerHigh) {
            if (s > -1) {
                ++s;
            } else {
                if (-s > 9 && s < a && s < b)
                    hits.Record(6, j + s, j - 1);
                s = 1;
            }
            if (b > -1) {
                ++b;
            } else {
                if (-b > 3 && b < a)
                    hits.Record(5, j + b, j - 1);
                b = 1;
            }
            if (a > -1) {
                ++a;
            } else {
                if (-a > 1)
                    hits.Record(4, j + a, j - 1);
                a = 1;
            }
            hits.Record(x > upper ? 2 : 1, j, j);
        }
        if (j > 1 && std::abs(x - values[j - 2]) > jump)
            hits.Record(3, j - 1, j);
    }

    if (std::abs(a) > 1)
        hits.Record(4, n - std::abs(a) + 1, n);
    if (std::abs(b) > 3 && std::abs(b) > std::abs(a))
        hits.Record(5, n - std::abs(b) + 1, n);
    if (std::abs(s) > 9 && std::abs(s) > std::abs(b) && std::abs(s) > std::abs(a))
        hits.Record(6, n - std::abs(s) + 1, n);
    return hits.Take();
}

ErrorArray ReferenceIsoCheck(std::span<const double> values, double centre, double upper, double lower)
{
    const int32_t n = CountablePoints(values);
    if (n == 0)
        return {};

    const double sigmaUpper = (upper - centre) / 3;
    const double sigmaLower = (centre - lower) / 3;
    const double innerLow = centre - sigmaLower;
    const double innerHigh = centre + sigmaUpper;
    const double outerLow = centre - 2 * sigmaLower;
    const double outerHigh = centre + 2 * sigmaUpper;

    HitList hits;
    int32_t w = 0; // run of inner points
    int32_t s2 = 0; // run on one side of the centre
    int32_t p = 0; // run of inner points, signed by its first point's side
    bool bothP = false;
    int32_t q = 0; // run of outer points, signed by its first point's side
    bool bothQ = false;
    int32_t d = 0; // rising (positive) or falling (negative) steps
    int32_t z = 0; // alternating steps, signed by the last step
    GapTracker test5Below { 5, 1 };
    GapTracker test5Above { 5, 1 };
    GapTracker test6Below { 6, 3 };
    GapTracker test6Above { 6, 3 };

    const auto sideAbove = [&](int32_t j) {
        if (s2 > -1) {
            ++s2;
        } else {
            if (s2 < -8)
                hits.Record(2, j + s2, j - 1);
            s2 = 1;
        }
    };
    const auto sideBelow = [&](int32_t j) {
        if (s2 < 1) {
            --s2;
        } else {
            if (s2 > 8)
                hits.Record(2, j - s2, j - 1);
            s2 = -1;
        }
    };

    for (int32_t j = 1; j <= n; ++j) {
        const double x = values[j - 1];
        if (innerLow < x && x < innerHigh) {
            ++w;
            if (x < centre) {
                sideBelow(j);
                if (p > 0) {
                    bothP = true;
                    ++p;
                } else {
                    --p;
                }
            } else {
                sideAbove(j);
                if (p < 0) {
                    bothP = true;
                    --p;
                } else {
                    ++p;
                }
            }
            test5Below.Miss(j, hits);
            test5Above.Miss(j, hits);
            test6Below.Miss(j, hits);
            test6Above.Miss(j, hits);
            if (std::abs(q) > 7 && bothQ)
                hits.Record(8, j - std::abs(q), j - 1);
            q = 0;
            bothQ = false;
        } else {
            if (w > 8)
                hits.Record(2, j - w, j - 1);
            w = 0;
            if (std::abs(p) > 14 && bothP)
                hits.Record(7, j - std::abs(p), j - 1);
            p = 0;
            bothP = false;
            // Above is tried first: with a zero-width zone a point may satisfy both comparisons.
            if (x >= innerHigh) {
                sideAbove(j);
                test5Below.Miss(j, hits);
                test6Above.Qualify();
                test6Below.Miss(j, hits);
                if (q < 0) {
                    bothQ = true;
                    --q;
                } else {
                    ++q;
                }
                if (x > outerHigh) {
                    if (x > upper)
                        hits.Record(1, j, j);
                    test5Above.Qualify();
                } else {
                    test5Above.Miss(j, hits);
                }
            } else {
                sideBelow(j);
                test5Above.Miss(j, hits);
                test6Below.Qualify();
                test6Above.Miss(j, hits);
                if (q > 0) {
                    bothQ = true;
                    ++q;
                } else {
                    --q;
                }
                if (x < outerLow) {
                    if (x < lower)
                        hits.Record(1, j, j);
                    test5Below.Qualify();
                } else {
                    test5Below.Miss(j, hits);
                }
            }
        }

        if (j > 1) {
            // Rising, falling and equal steps in one form, without a branch on the data (it is
            // close to random). D grows while the steps keep its direction; otherwise its run is
            // over (reported from five steps on) and D restarts at this step. Z grows, flipping its
            // sign, while the steps alternate; otherwise it is over (reported from thirteen steps
            // on) and restarts. An equal step, or one with NaN, restarts both at 0.
            const double previous = values[j - 2];
            const int32_t step = static_cast<int32_t>(x > previous) - static_cast<int32_t>(x < previous);
            const int32_t monotone = d * step > 0;
            if ((1 - monotone) & (std::abs(d) > 4))
                hits.Record(3, j - 1 - std::abs(d), j - 1);
            d = step + monotone * d;
            const int32_t alternating = z * step < 0;
            if ((1 - alternating) & (std::abs(z) > 12))
                hits.Record(4, j - 1 - std::abs(z), j - 1);
            z = step - alternating * z;
        }
    }

    if (w > 8)
        hits.Record(2, n - w + 1, n);
    if (std::abs(s2) > 8)
        hits.Record(2, n - std::abs(s2) + 1, n);
    if (std::abs(d) > 4)
        hits.Record(3, n - std::abs(d), n);
    if (std::abs(z) > 12)
        hits.Record(4, n - std::abs(z), n);
    test5Below.Finish(n, hits);
    test5Above.Finish(n, hits);
    test6Below.Finish(n, hits);
    test6Above.Finish(n, hits);
    if (std::abs(p) > 14 && bothP)
        hits.Record(7, n - std::abs(p) + 1, n);
    if (std::abs(q) > 7 && bothQ)
        hits.Record(8, n - std::abs(q) + 1, n);
    return hits.Take();
}
