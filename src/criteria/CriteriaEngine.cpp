#include "criteria/CriteriaEngine.h"

#include "criteria/RuleTable.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <unordered_set>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Both routines read the series in place: they never write to it, so a private copy would change
// nothing but the cost. Hits are appended as they are found and handed back in an array of
// exactly their number.
//
// Each routine exists twice over. The plain way (WestgardPlainPoint, IsoPlainPoint) takes a point
// case by case, as the rules are written; its branches follow the data, which is close to random,
// and mispredict often. So with lines in their usual order the
// routines first work out a code for each point of a block (its zone and flags, two points at a
// time), then count the runs from the codes without branches, and hand a point to the plain way
// only when it records a hit that needs the exact runs (rare) or is odd (a value on a boundary).

namespace {

// The thresholds the runs are checked against, from the rule table: a run is reported once its
// counter passes them (a counter of steps holds one less than the points of its run).
constexpr int32_t BeyondTwoRun = RulePoints(CriteriaFamily::Westgard, 4) - 1;
constexpr int32_t BeyondOneRun = RulePoints(CriteriaFamily::Westgard, 5) - 1;
constexpr int32_t SideRun = RulePoints(CriteriaFamily::Westgard, 6) - 1;
constexpr double JumpSigmas = FindRule(CriteriaFamily::Westgard, 3)->Sigmas;
constexpr int32_t InnerOrSideRun = RulePoints(CriteriaFamily::Iso, 2) - 1;
constexpr int32_t TrendSteps = RulePoints(CriteriaFamily::Iso, 3) - 2;
constexpr int32_t AlternatingSteps = RulePoints(CriteriaFamily::Iso, 4) - 2;
constexpr int32_t TwoSigmaCount = RulePoints(CriteriaFamily::Iso, 5) - 1;
constexpr int32_t OneSigmaCount = RulePoints(CriteriaFamily::Iso, 6) - 1;
constexpr int32_t InnerBothRun = RulePoints(CriteriaFamily::Iso, 7) - 1;
constexpr int32_t OuterBothRun = RulePoints(CriteriaFamily::Iso, 8) - 1;
// Tests 7 and 8 share one run of the latest point's kind; the shorter threshold sends it the plain way.
constexpr int32_t KindRun = std::min(InnerBothRun, OuterBothRun);

// Point numbers are 32-bit; a longer series is examined only as far as its points can be numbered.
int32_t CountablePoints(std::span<const double> values)
{
    constexpr auto limit = static_cast<std::size_t>(std::numeric_limits<int32_t>::max() - 1);
    return static_cast<int32_t>(std::min(values.size(), limit));
}

// Hits in order of finding. Room is made (MakeRoom) before a point that may record hits, so that
// they are appended with plain stores, and a hit that may or may not be due with no branch.
class HitList {
public:
    // The most hits one point can add, the hits of the series' end included.
    static constexpr std::size_t MaxPerPoint = 16;

    // About one hit in twenty points on ordinary data; the list doubles when that is not enough.
    explicit HitList(int32_t points) { Grow(static_cast<std::size_t>(points) / 16 + MaxPerPoint); }

    void MakeRoom(std::size_t hits = MaxPerPoint)
    {
        if (m_size + hits > m_capacity) [[unlikely]]
            Grow(std::max(2 * m_capacity, m_size + hits));
    }
    void Record(int32_t criterion, int32_t first, int32_t last) { m_data[m_size++] = { criterion, first, last }; }
    // Writes the hit in any case; it counts only when due.
    void RecordIf(bool due, int32_t criterion, int32_t first, int32_t last)
    {
        m_data[m_size] = { criterion, first, last };
        m_size += due;
    }
    ErrorArray Take() const { return ErrorArray(m_data, m_data + m_size); }

private:
    void Grow(std::size_t capacity)
    {
        m_hits.resize(capacity);
        m_data = m_hits.data();
        m_capacity = capacity;
    }

    ErrorArray m_hits;
    TCriterionHit* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

// The lines and the zone boundaries drawn from them: every upper zone is a third of the distance
// from the centre to the upper limit, every lower zone a third of that to the lower limit.
struct Zones {
    Zones(double centre, double upper, double lower)
        : centre(centre)
        , upper(upper)
        , lower(lower)
        , sigmaUpper((upper - centre) / 3)
        , sigmaLower((centre - lower) / 3)
        , innerLow(centre - sigmaLower)
        , innerHigh(centre + sigmaUpper)
        , outerLow(centre - 2 * sigmaLower)
        , outerHigh(centre + 2 * sigmaUpper)
    {
    }

    double centre;
    double upper;
    double lower;
    double sigmaUpper;
    double sigmaLower;
    double innerLow;
    double innerHigh;
    double outerLow;
    double outerHigh;

    // The zones lie in their usual order. Odd lines (swapped limits, zero-width zones, NaN) fail this.
    bool Ordered() const
    {
        return outerLow < innerLow && innerLow < centre && centre < innerHigh && innerHigh < outerHigh;
    }
};

// Runs of the Westgard rules.
struct WestgardRuns {
    int32_t a = 0; // run beyond 2 sigma
    int32_t b = 0; // run beyond 1 sigma
    int32_t s = 0; // run on one side of the centre
};

// Point j (value x) case by case, as the rules are written. WestgardCheck takes this way only for
// the first point and for the rare points that end a run long enough to be reported; kept out of
// line so that the loop keeps its state in registers.
[[gnu::noinline]] WestgardRuns WestgardPlainPoint(
    WestgardRuns runs, const Zones& zones, int32_t j, std::span<const double> values, HitList& hits)
{
    int32_t& a = runs.a;
    int32_t& b = runs.b;
    int32_t& s = runs.s;
    // Named references rather than structured bindings: lambdas below capture them.
    const double centre = zones.centre;
    const double upper = zones.upper;
    const double lower = zones.lower;
    const double sigmaUpper = zones.sigmaUpper;
    const double innerLow = zones.innerLow;
    const double innerHigh = zones.innerHigh;
    const double outerLow = zones.outerLow;
    const double outerHigh = zones.outerHigh;
    const double x = values[j - 1];
    // The bands are open on both sides: a value exactly on a boundary matches no case.
    if (innerLow < x && x < innerHigh) {
        if (std::abs(a) > BeyondTwoRun)
            hits.Record(4, j - std::abs(a), j - 1);
        if (std::abs(b) > BeyondOneRun && std::abs(b) > std::abs(a))
            hits.Record(5, j - std::abs(b), j - 1);
        if (x < centre) {
            if (s > SideRun && std::abs(b) < s && std::abs(a) < s) {
                hits.Record(6, j - s, j - 1);
                s = -1;
            } else {
                s = s < 1 ? s - 1 : -1;
            }
        } else {
            if (s < -SideRun && std::abs(b) < -s && std::abs(a) < -s) {
                hits.Record(6, j + s, j - 1);
                s = 1;
            } else {
                s = s > -1 ? s + 1 : 1;
            }
        }
        a = 0;
        b = 0;
    } else if (outerLow < x && x < innerLow) {
        if (std::abs(a) > BeyondTwoRun)
            hits.Record(4, j - std::abs(a), j - 1);
        a = 0;
        if (b < 1) {
            --b;
        } else {
            if (b > BeyondOneRun)
                hits.Record(5, j - b, j - 1);
            b = -1;
        }
        if (s < 1) {
            --s;
        } else {
            if (s > SideRun && std::abs(b) < s)
                hits.Record(6, j - s, j - 1);
            s = -1;
        }
    } else if (innerHigh < x && x < outerHigh) {
        if (std::abs(a) > BeyondTwoRun)
            hits.Record(4, j - std::abs(a), j - 1);
        a = 0;
        if (b > -1) {
            ++b;
        } else {
            if (b < -BeyondOneRun)
                hits.Record(5, j + b, j - 1);
            b = 1;
        }
        if (s > -1) {
            ++s;
        } else {
            if (s < -SideRun && std::abs(b) < -s)
                hits.Record(6, j + s, j - 1);
            s = 1;
        }
    } else if (x < outerLow) {
        if (s < 1) {
            --s;
        } else {
            if (s > SideRun && s > a && s > b)
                hits.Record(6, j - s, j - 1);
            s = -1;
        }
        if (b < 1) {
            --b;
        } else {
            if (b > BeyondOneRun && b > a)
                hits.Record(5, j - b, j - 1);
            b = -1;
        }
        if (a < 1) {
            --a;
        } else {
            if (a > BeyondTwoRun)
                hits.Record(4, j - a, j - 1);
            a = -1;
        }
        hits.Record(x < lower ? 2 : 1, j, j);
    } else if (x > outerHigh) {
        if (s > -1) {
            ++s;
        } else {
            if (-s > SideRun && s < a && s < b)
                hits.Record(6, j + s, j - 1);
            s = 1;
        }
        if (b > -1) {
            ++b;
        } else {
            if (-b > BeyondOneRun && b < a)
                hits.Record(5, j + b, j - 1);
            b = 1;
        }
        if (a > -1) {
            ++a;
        } else {
            if (-a > BeyondTwoRun)
                hits.Record(4, j + a, j - 1);
            a = 1;
        }
        hits.Record(x > upper ? 2 : 1, j, j);
    }
    if (j > 1 && std::abs(x - values[j - 2]) > JumpSigmas * sigmaUpper)
        hits.Record(3, j - 1, j);
    return runs;
}

// The four gap trackers of ISO 8258 tests 5 and 6, one lane each: test 5 below, test 5 above, test 6
// below, test 6 above. A tracker counts qualifying points, allowing one point that does not qualify (a
// miss) between them. Kept in lanes of one vector because every point updates all four.
using Lanes = int32_t __attribute__((vector_size(16)));
constexpr int32_t TrackerTest[4] = { 5, 5, 6, 6 };
constexpr Lanes TrackerThreshold = { TwoSigmaCount, TwoSigmaCount, OneSigmaCount, OneSigmaCount };

struct GapTrackers {
    Lanes count = {}; // qualifying points counted
    Lanes run = {}; // qualifying points since the latest miss
    Lanes gapUsed = {}; // -1 once a miss has been let through, 0 otherwise

    void Qualify(int lane)
    {
        ++count[lane];
        ++run[lane];
    }

    void Miss(int lane, int32_t j, HitList& hits)
    {
        if (count[lane] > 0) {
            if (gapUsed[lane] != 0) {
                if (count[lane] > TrackerThreshold[lane]) {
                    hits.Record(TrackerTest[lane], j - count[lane] - 1, run[lane] == 0 ? j - 2 : j - 1);
                    gapUsed[lane] = -1;
                } else {
                    gapUsed[lane] = 0;
                }
                count[lane] = run[lane];
            } else {
                gapUsed[lane] = -1;
            }
        }
        run[lane] = 0;
    }

    void Finish(int lane, int32_t n, HitList& hits) const
    {
        if (count[lane] > TrackerThreshold[lane])
            hits.Record(TrackerTest[lane], n - count[lane] + gapUsed[lane] + 1, run[lane] == 0 ? n - 1 : n);
    }
};

// Whether any lane is set.
inline bool AnyLane(Lanes lanes)
{
#if defined(__SSE2__)
    return _mm_movemask_epi8(reinterpret_cast<__m128i>(lanes)) != 0;
#else
    uint64_t halves[2];
    std::memcpy(halves, &lanes, sizeof halves);
    return (halves[0] | halves[1]) != 0;
#endif
}

enum TrackerLane { Test5Below, Test5Above, Test6Below, Test6Above };

// Runs of the ISO 8258 tests.
struct IsoRuns {
    int32_t w = 0; // run of inner points
    int32_t s2 = 0; // run on one side of the centre
    int32_t p = 0; // run of inner points, signed by its first point's side
    int32_t q = 0; // run of outer points, signed by its first point's side
    int32_t d = 0; // rising (positive) or falling (negative) steps
    int32_t z = 0; // alternating steps, signed by the last step
    bool bothP = false;
    bool bothQ = false;
    GapTrackers trackers;
};

// The steps from the previous value to x. Rising, falling and equal steps in one form, without a
// branch on the data (it is close to random). D grows while the steps keep its direction; otherwise
// its run is over (reported from five steps on) and D restarts at this step. Z grows, flipping its
// sign, while the steps alternate; otherwise it is over (reported from thirteen steps on) and
// restarts. An equal step, or one with NaN, restarts both at 0.
inline void IsoStep(IsoRuns& runs, int32_t j, double x, double previous, HitList& hits)
{
    int32_t& d = runs.d;
    int32_t& z = runs.z;
    const int32_t step = static_cast<int32_t>(x > previous) - static_cast<int32_t>(x < previous);
    const int32_t monotone = d * step > 0;
    if ((1 - monotone) & (std::abs(d) > TrendSteps)) [[unlikely]]
        hits.Record(3, j - 1 - std::abs(d), j - 1);
    d = step + monotone * d;
    const int32_t alternating = z * step < 0;
    if ((1 - alternating) & (std::abs(z) > AlternatingSteps)) [[unlikely]]
        hits.Record(4, j - 1 - std::abs(z), j - 1);
    z = step - alternating * z;
}

// Point j case by case, as the tests are written. IsoCheck takes this way only for the first point
// and for the rare points that record a hit other than the steps'.
[[gnu::noinline]] IsoRuns IsoPlainPoint(
    IsoRuns runs, const Zones& zones, int32_t j, std::span<const double> values, HitList& hits)
{
    int32_t& w = runs.w;
    int32_t& s2 = runs.s2;
    int32_t& p = runs.p;
    int32_t& q = runs.q;
    bool& bothP = runs.bothP;
    bool& bothQ = runs.bothQ;
    GapTrackers& trackers = runs.trackers;
    // Named references rather than structured bindings: lambdas below capture them.
    const double centre = zones.centre;
    const double upper = zones.upper;
    const double lower = zones.lower;
    const double innerLow = zones.innerLow;
    const double innerHigh = zones.innerHigh;
    const double outerLow = zones.outerLow;
    const double outerHigh = zones.outerHigh;
    const double x = values[j - 1];

    const auto sideAbove = [&] {
        if (s2 > -1) {
            ++s2;
        } else {
            if (s2 < -InnerOrSideRun)
                hits.Record(2, j + s2, j - 1);
            s2 = 1;
        }
    };
    const auto sideBelow = [&] {
        if (s2 < 1) {
            --s2;
        } else {
            if (s2 > InnerOrSideRun)
                hits.Record(2, j - s2, j - 1);
            s2 = -1;
        }
    };

    if (innerLow < x && x < innerHigh) {
        ++w;
        if (x < centre) {
            sideBelow();
            if (p > 0) {
                bothP = true;
                ++p;
            } else {
                --p;
            }
        } else {
            sideAbove();
            if (p < 0) {
                bothP = true;
                --p;
            } else {
                ++p;
            }
        }
        trackers.Miss(Test5Below, j, hits);
        trackers.Miss(Test5Above, j, hits);
        trackers.Miss(Test6Below, j, hits);
        trackers.Miss(Test6Above, j, hits);
        if (std::abs(q) > OuterBothRun && bothQ)
            hits.Record(8, j - std::abs(q), j - 1);
        q = 0;
        bothQ = false;
    } else {
        if (w > InnerOrSideRun)
            hits.Record(2, j - w, j - 1);
        w = 0;
        if (std::abs(p) > InnerBothRun && bothP)
            hits.Record(7, j - std::abs(p), j - 1);
        p = 0;
        bothP = false;
        // Above is tried first: with a zero-width zone a point may satisfy both comparisons.
        if (x >= innerHigh) {
            sideAbove();
            trackers.Miss(Test5Below, j, hits);
            trackers.Qualify(Test6Above);
            trackers.Miss(Test6Below, j, hits);
            if (q < 0) {
                bothQ = true;
                --q;
            } else {
                ++q;
            }
            if (x > outerHigh) {
                if (x > upper)
                    hits.Record(1, j, j);
                trackers.Qualify(Test5Above);
            } else {
                trackers.Miss(Test5Above, j, hits);
            }
        } else {
            sideBelow();
            trackers.Miss(Test5Above, j, hits);
            trackers.Qualify(Test6Below);
            trackers.Miss(Test6Above, j, hits);
            if (q > 0) {
                bothQ = true;
                ++q;
            } else {
                --q;
            }
            if (x < outerLow) {
                if (x < lower)
                    hits.Record(1, j, j);
                trackers.Qualify(Test5Below);
            } else {
                trackers.Miss(Test5Below, j, hits);
            }
        }
    }
    if (j > 1)
        IsoStep(runs, j, x, values[j - 2], hits);
    return runs;
}

// The ISO 8258 runs as IsoCheck keeps them between rare points: lengths with the side (or kind, or
// step) of the latest point, so that whether a run goes on depends on the codes alone. Every point
// extends either the run of inner points (P) or that of outer points (Q) and ends the other, so the
// two are kept as one run of the latest point's kind, whose length is also W.
struct IsoLengths {
    uint32_t sideLength = 0; // S2
    bool lastAbove = false;
    uint32_t kindLength = 0; // P or Q
    bool lastInner = false;
    bool kindFirstAbove = false; // the side of the first point of that run
    bool both = false;
    uint32_t riseLength = 0; // D
    uint32_t alternateLength = 0; // Z
    int32_t lastStep = 0; // 1 rising, -1 falling, 0 equal
    GapTrackers trackers;

    static IsoLengths From(const IsoRuns& plain)
    {
        return { static_cast<uint32_t>(std::abs(plain.s2)), plain.s2 > 0,
            static_cast<uint32_t>(std::abs(plain.p + plain.q)), plain.p != 0, plain.p + plain.q > 0,
            plain.bothP || plain.bothQ, static_cast<uint32_t>(std::abs(plain.d)),
            static_cast<uint32_t>(std::abs(plain.z)), (plain.d > 0) - (plain.d < 0), plain.trackers };
    }

    [[gnu::always_inline]] void Unpack(uint32_t& side, bool& above, uint32_t& kind, bool& inner, bool& kindAbove,
        bool& mixed, uint32_t& rise, uint32_t& alternate, int32_t& step, GapTrackers& gaps) const
    {
        side = sideLength;
        above = lastAbove;
        kind = kindLength;
        inner = lastInner;
        kindAbove = kindFirstAbove;
        mixed = both;
        rise = riseLength;
        alternate = alternateLength;
        step = lastStep;
        gaps = trackers;
    }

    IsoRuns Plain() const
    {
        const int32_t kind = (kindFirstAbove ? 1 : -1) * static_cast<int32_t>(kindLength);
        return { lastInner ? static_cast<int32_t>(kindLength) : 0,
            (lastAbove ? 1 : -1) * static_cast<int32_t>(sideLength), lastInner ? kind : 0, lastInner ? 0 : kind,
            lastStep * static_cast<int32_t>(riseLength), lastStep * static_cast<int32_t>(alternateLength),
            lastInner && both, !lastInner && both, trackers };
    }
};

// Westgard point codes: flags of the case a point falls in and of its hits of rules 1 to 3.
constexpr unsigned Above = 1; // at or above the centre
constexpr unsigned Inner = 2; // within 1 sigma
constexpr unsigned Beyond = 4; // beyond 2 sigma
constexpr unsigned OnBoundary = 8; // exactly on a band boundary, or NaN: no case applies
constexpr unsigned LimitCrossed = 16; // beyond a control limit
constexpr unsigned Jumped = 32; // more than 4 sigma from the previous value
constexpr std::size_t CodeBlock = 256;

// ISO 8258 point codes: the zone, 0 (beyond 2 sigma below) to 5 (beyond 2 sigma above) with 2 and 3
// the inner points below and above the centre, and flags (the limit flag is the one above).
constexpr unsigned ZoneBits = 7;
constexpr unsigned InnerZones = 0b001100;
constexpr unsigned Rising = 64; // above the previous value
constexpr unsigned Falling = 128; // below the previous value

// The Westgard code of x after previous. Needs ordered zones: then a point of any case is above the
// centre exactly when it is not below it. Rule 3 uses the upper zone width in both directions.
unsigned WestgardCode(double x, double previous, const Zones& zones)
{
    const double jump = JumpSigmas * zones.sigmaUpper;
    const double step = x - previous;
    return (x >= zones.centre) * Above + ((x > zones.innerLow) & (x < zones.innerHigh)) * Inner
        + ((x < zones.outerLow) | (x > zones.outerHigh)) * Beyond
        + ((x == zones.outerLow) | (x == zones.innerLow) | (x == zones.innerHigh) | (x == zones.outerHigh) | (x != x))
        * OnBoundary
        + ((x < zones.lower) | (x > zones.upper)) * LimitCrossed + ((step > jump) | (step < -jump)) * Jumped;
}

// The ISO 8258 code of x after previous. Needs ordered zones. A value exactly at 1 sigma is an outer
// point, and NaN an outer point below (zone 1), as in the plain way.
unsigned IsoCode(double x, double previous, const Zones& zones)
{
    const unsigned zone = !(x < zones.outerLow) + (x > zones.innerLow) + (x >= zones.centre) + (x >= zones.innerHigh)
        + (x > zones.outerHigh);
    return zone + ((x < zones.lower) | (x > zones.upper)) * LimitCrossed + (x > previous) * Rising
        + (x < previous) * Falling;
}

#if defined(__SSE2__)
// The same codes two points at a time: the comparisons are done on both at once and give masks of
// all ones where they hold, which select the flags.
struct PairCoder {
    explicit PairCoder(const Zones& zones)
        : centre(_mm_set1_pd(zones.centre))
        , upper(_mm_set1_pd(zones.upper))
        , lower(_mm_set1_pd(zones.lower))
        , innerLow(_mm_set1_pd(zones.innerLow))
        , innerHigh(_mm_set1_pd(zones.innerHigh))
        , outerLow(_mm_set1_pd(zones.outerLow))
        , outerHigh(_mm_set1_pd(zones.outerHigh))
        , jump(_mm_set1_pd(JumpSigmas * zones.sigmaUpper))
        , minusJump(_mm_set1_pd(-JumpSigmas * zones.sigmaUpper))
    {
    }

    static __m128i Flag(__m128d mask, unsigned flag)
    {
        return _mm_and_si128(_mm_castpd_si128(mask), _mm_set1_epi64x(flag));
    }
    static void Store(__m128i codes, uint8_t* to)
    {
        to[0] = static_cast<uint8_t>(_mm_cvtsi128_si32(codes));
        to[1] = static_cast<uint8_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(codes, codes)));
    }

    void Westgard(const double* x, uint8_t* to) const
    {
        const __m128d v = _mm_loadu_pd(x);
        const __m128d step = _mm_sub_pd(v, _mm_loadu_pd(x - 1));
        const __m128d onBoundary = _mm_or_pd(_mm_or_pd(_mm_cmpeq_pd(v, outerLow), _mm_cmpeq_pd(v, innerLow)),
            _mm_or_pd(_mm_or_pd(_mm_cmpeq_pd(v, innerHigh), _mm_cmpeq_pd(v, outerHigh)), _mm_cmpunord_pd(v, v)));
        Store(_mm_or_si128(
                  _mm_or_si128(_mm_or_si128(Flag(_mm_cmpge_pd(v, centre), Above),
                                   Flag(_mm_and_pd(_mm_cmpgt_pd(v, innerLow), _mm_cmplt_pd(v, innerHigh)), Inner)),
                      _mm_or_si128(Flag(_mm_or_pd(_mm_cmplt_pd(v, outerLow), _mm_cmpgt_pd(v, outerHigh)), Beyond),
                          Flag(onBoundary, OnBoundary))),
                  _mm_or_si128(Flag(_mm_or_pd(_mm_cmplt_pd(v, lower), _mm_cmpgt_pd(v, upper)), LimitCrossed),
                      Flag(_mm_or_pd(_mm_cmpgt_pd(step, jump), _mm_cmplt_pd(step, minusJump)), Jumped))),
            to);
    }

    void Iso(const double* x, uint8_t* to) const
    {
        const __m128d v = _mm_loadu_pd(x);
        const __m128d previous = _mm_loadu_pd(x - 1);
        // Subtracting a mask of all ones adds 1.
        __m128i zone = _mm_sub_epi64(_mm_setzero_si128(), _mm_castpd_si128(_mm_cmpnlt_pd(v, outerLow)));
        zone = _mm_sub_epi64(zone, _mm_castpd_si128(_mm_cmpgt_pd(v, innerLow)));
        zone = _mm_sub_epi64(zone, _mm_castpd_si128(_mm_cmpge_pd(v, centre)));
        zone = _mm_sub_epi64(zone, _mm_castpd_si128(_mm_cmpge_pd(v, innerHigh)));
        zone = _mm_sub_epi64(zone, _mm_castpd_si128(_mm_cmpgt_pd(v, outerHigh)));
        Store(_mm_or_si128(
                  _mm_or_si128(zone, Flag(_mm_or_pd(_mm_cmplt_pd(v, lower), _mm_cmpgt_pd(v, upper)), LimitCrossed)),
                  _mm_or_si128(Flag(_mm_cmpgt_pd(v, previous), Rising), Flag(_mm_cmplt_pd(v, previous), Falling))),
            to);
    }

    __m128d centre, upper, lower, innerLow, innerHigh, outerLow, outerHigh, jump, minusJump;
};
#endif

// Westgard (or ISO 8258) codes of count points from x[0] on; x[-1] is the point before them.
template <bool Westgard> void PointCodes(const double* x, int count, uint8_t* codes, const Zones& zones)
{
    int k = 0;
#if defined(__SSE2__)
    const PairCoder coder(zones);
    for (; k + 2 <= count; k += 2) {
        if constexpr (Westgard)
            coder.Westgard(x + k, codes + k);
        else
            coder.Iso(x + k, codes + k);
    }
#endif
    for (; k < count; ++k)
        codes[k]
            = static_cast<uint8_t>(Westgard ? WestgardCode(x[k], x[k - 1], zones) : IsoCode(x[k], x[k - 1], zones));
}

// The runs still open after the last point n.
ErrorArray WestgardFinish(int32_t a, int32_t b, int32_t s, int32_t n, HitList& hits)
{
    hits.MakeRoom();
    if (std::abs(a) > BeyondTwoRun)
        hits.Record(4, n - std::abs(a) + 1, n);
    if (std::abs(b) > BeyondOneRun && std::abs(b) > std::abs(a))
        hits.Record(5, n - std::abs(b) + 1, n);
    if (std::abs(s) > SideRun && std::abs(s) > std::abs(b) && std::abs(s) > std::abs(a))
        hits.Record(6, n - std::abs(s) + 1, n);
    return hits.Take();
}

} // namespace

ErrorArray WestgardCheck(std::span<const double> values, double centre, double upper, double lower)
{
    const int32_t n = CountablePoints(values);
    if (n == 0)
        return {};

    const Zones zones(centre, upper, lower);

    HitList hits(n);
    hits.MakeRoom();
    WestgardRuns runs = WestgardPlainPoint({}, zones, 1, values, hits);
    if (!zones.Ordered()) {
        for (int32_t j = 2; j <= n; ++j) {
            hits.MakeRoom();
            runs = WestgardPlainPoint(runs, zones, j, values, hits);
        }
        return WestgardFinish(runs.a, runs.b, runs.s, n, hits);
    }

    // The points are classified a block at a time, two at once (see WestgardCode); the runs have
    // to be counted point by point. There the runs are kept as lengths, with the side of the latest
    // point that matched a case: a run of either counter that is not empty lies on that side (A and
    // B are emptied by any point of another kind). Every run then goes on exactly when the point
    // is on the same side as the one before, which depends on the codes alone, and the short chain
    // from one point's lengths to the next's keeps the loop fast.
    uint32_t sLength = static_cast<uint32_t>(std::abs(runs.s));
    uint32_t bLength = static_cast<uint32_t>(std::abs(runs.b));
    uint32_t aLength = static_cast<uint32_t>(std::abs(runs.a));
    bool lastAbove = runs.s > 0;
    std::array<uint8_t, CodeBlock> codes;
    for (int64_t first = 2; first <= n; first += CodeBlock) {
        const int count = static_cast<int>(std::min<int64_t>(CodeBlock, n - first + 1));
        PointCodes<true>(values.data() + first - 1, count, codes.data(), zones);
        // Each point of the inner loop adds two hits at most. It stops at a point for the plain way:
        // with no call within it, the compiler keeps the whole state in registers.
        hits.MakeRoom(2 * static_cast<std::size_t>(count));
        for (int k = 0; k < count; ++k) {
            for (; k < count; ++k) {
                const unsigned code = codes[static_cast<std::size_t>(k)];
                const bool inner = (code & Inner) != 0;
                const bool beyond = (code & Beyond) != 0;
                const bool above = (code & Above) != 0;
                const bool same = above == lastAbove;

                // Runs that end here: S at a change of side, B also at an inner point, A also at
                // any point within 2 sigma. One long enough to be reported is rare, and so is a
                // value on a boundary: the plain way costs little there and keeps the hits in their
                // written order.
                const bool reportedEnd = (!same & (sLength > SideRun)) | ((!same | inner) & (bLength > BeyondOneRun))
                    | ((!same | !beyond) & (aLength > BeyondTwoRun));
                if ((code & OnBoundary) | reportedEnd) [[unlikely]]
                    break;
                // Masks rather than selects: the compiler is tempted to branch on a select, and mispredicts.
                const uint32_t kept = -uint32_t(same);
                sLength = (sLength & kept) + 1;
                bLength = ((bLength & kept) + 1) & -uint32_t(!inner);
                aLength = ((aLength & kept) + 1) & -uint32_t(beyond);
                lastAbove = above;
                // One point in twenty or so has a hit of rule 1, 2 or 3.
                if (code & (Beyond | Jumped)) [[unlikely]] {
                    const auto j = static_cast<int32_t>(first + k);
                    hits.RecordIf(beyond, 1 + ((code & LimitCrossed) != 0), j, j);
                    hits.RecordIf((code & Jumped) != 0, 3, j - 1, j);
                }
            }
            if (k == count)
                break;
            hits.MakeRoom(HitList::MaxPerPoint + 2 * static_cast<std::size_t>(count - k));
            const int32_t sign = lastAbove ? 1 : -1;
            runs = WestgardPlainPoint({ sign * static_cast<int32_t>(aLength), sign * static_cast<int32_t>(bLength),
                                          sign * static_cast<int32_t>(sLength) },
                zones, static_cast<int32_t>(first + k), values, hits);
            aLength = static_cast<uint32_t>(std::abs(runs.a));
            bLength = static_cast<uint32_t>(std::abs(runs.b));
            sLength = static_cast<uint32_t>(std::abs(runs.s));
            lastAbove = runs.s > 0;
        }
    }
    const int32_t sign = lastAbove ? 1 : -1;
    return WestgardFinish(sign * static_cast<int32_t>(aLength), sign * static_cast<int32_t>(bLength),
        sign * static_cast<int32_t>(sLength), n, hits);
}

ErrorArray IsoCheck(std::span<const double> values, double centre, double upper, double lower)
{
    const int32_t n = CountablePoints(values);
    if (n == 0)
        return {};

    const Zones zones(centre, upper, lower);

    HitList hits(n);
    hits.MakeRoom();
    IsoRuns runs = IsoPlainPoint({}, zones, 1, values, hits);
    if (!zones.Ordered()) {
        for (int32_t j = 2; j <= n; ++j) {
            hits.MakeRoom();
            runs = IsoPlainPoint(runs, zones, j, values, hits);
        }
    } else {
        // The trackers that a point of each zone counts for (the others see a miss).
        constexpr Lanes qualifying[6] = {
            { -1, 0, -1, 0 }, // beyond 2 sigma below
            { 0, 0, -1, 0 }, // outer below, within 2 sigma
            {}, // inner below the centre
            {}, // inner above
            { 0, 0, 0, -1 }, // outer above, within 2 sigma
            { 0, -1, 0, -1 }, // beyond 2 sigma above
        };
        // Kept in plain locals (not in an IsoLengths) so that the compiler keeps them in registers.
        uint32_t sideLength, kindLength, riseLength, alternateLength;
        bool lastAbove, lastInner, kindFirstAbove, both;
        int32_t lastStep;
        GapTrackers trackers;
        IsoLengths::From(runs).Unpack(sideLength, lastAbove, kindLength, lastInner, kindFirstAbove, both, riseLength,
            alternateLength, lastStep, trackers);

        std::array<uint8_t, CodeBlock> codes;
        for (int64_t first = 2; first <= n; first += CodeBlock) {
            const int count = static_cast<int>(std::min<int64_t>(CodeBlock, n - first + 1));
            PointCodes<false>(values.data() + first - 1, count, codes.data(), zones);
            // The inner loop records nothing and stops at a point for the plain way: with no call
            // within it, the compiler keeps the whole state in registers.
            for (int k = 0; k < count; ++k) {
                for (; k < count; ++k) {
                    const unsigned code = codes[static_cast<std::size_t>(k)];
                    const unsigned zone = code & ZoneBits;
                    const bool inner = (InnerZones >> zone) & 1;
                    const bool above = zone >= 3;
                    const bool sameSide = above == lastAbove;
                    const bool sameKind = inner == lastInner;

                    const Lanes qualify = qualifying[zone];
                    const Lanes counting = trackers.count > 0;
                    const Lanes restarting = counting & trackers.gapUsed & ~qualify;
                    const Lanes reporting = restarting & (trackers.count > TrackerThreshold);

                    // D goes on while the steps keep their direction, Z while they alternate; an
                    // equal step (or one with NaN) ends both and starts neither.
                    const int32_t step
                        = static_cast<int32_t>((code & Rising) != 0) - static_cast<int32_t>((code & Falling) != 0);
                    const bool monotone = (step == lastStep) & (step != 0);
                    const bool alternating = (step == -lastStep) & (step != 0);

                    // A point that records a hit is rare: the plain way costs little there and keeps
                    // the hits in their written order. Tests 2 (inner run), 7 and 8 can report only
                    // where a run of eight or more changes kind.
                    const bool recording = (code & LimitCrossed) | (!sameSide & (sideLength > InnerOrSideRun))
                        | (!sameKind & (kindLength > KindRun)) | AnyLane(reporting)
                        | (!monotone & (riseLength > TrendSteps))
                        | (!alternating & (alternateLength > AlternatingSteps));
                    if (recording) [[unlikely]]
                        break;

                    // Masks rather than selects: the compiler is tempted to branch on a select, and mispredicts.
                    sideLength = (sideLength & -uint32_t(sameSide)) + 1;
                    lastAbove = above;
                    // The run of one kind keeps the side of its first point and notes a point on the other.
                    both = sameKind & (both | (above != kindFirstAbove));
                    kindFirstAbove = sameKind ? kindFirstAbove : above;
                    kindLength = (kindLength & -uint32_t(sameKind)) + 1;
                    lastInner = inner;
                    // A qualifying point counts; a miss after a counted one either lets a gap
                    // through or, when one was let through already, restarts the count from the
                    // points since that gap.
                    trackers.count = (trackers.run & restarting) | ((trackers.count - qualify) & ~restarting);
                    trackers.run = (trackers.run - qualify) & qualify;
                    trackers.gapUsed ^= counting & ~qualify;
                    const uint32_t stepped = static_cast<uint32_t>(step != 0);
                    riseLength = (riseLength & -uint32_t(monotone)) + stepped;
                    alternateLength = (alternateLength & -uint32_t(alternating)) + stepped;
                    lastStep = step;
                }
                if (k == count)
                    break;
                hits.MakeRoom();
                IsoLengths::From(
                    IsoPlainPoint(IsoLengths { sideLength, lastAbove, kindLength, lastInner, kindFirstAbove, both,
                                      riseLength, alternateLength, lastStep, trackers }
                                      .Plain(),
                        zones, static_cast<int32_t>(first + k), values, hits))
                    .Unpack(sideLength, lastAbove, kindLength, lastInner, kindFirstAbove, both, riseLength,
                        alternateLength, lastStep, trackers);
            }
        }
        runs = IsoLengths { sideLength, lastAbove, kindLength, lastInner, kindFirstAbove, both, riseLength,
            alternateLength, lastStep, trackers }
                   .Plain();
    }

    hits.MakeRoom();
    const int32_t w = runs.w;
    const int32_t s2 = runs.s2;
    const int32_t p = runs.p;
    const int32_t q = runs.q;
    const int32_t d = runs.d;
    const int32_t z = runs.z;
    const bool bothP = runs.bothP;
    const bool bothQ = runs.bothQ;
    const GapTrackers& trackers = runs.trackers;
    if (w > InnerOrSideRun)
        hits.Record(2, n - w + 1, n);
    if (std::abs(s2) > InnerOrSideRun)
        hits.Record(2, n - std::abs(s2) + 1, n);
    if (std::abs(d) > TrendSteps)
        hits.Record(3, n - std::abs(d), n);
    if (std::abs(z) > AlternatingSteps)
        hits.Record(4, n - std::abs(z), n);
    trackers.Finish(Test5Below, n, hits);
    trackers.Finish(Test5Above, n, hits);
    trackers.Finish(Test6Below, n, hits);
    trackers.Finish(Test6Above, n, hits);
    if (std::abs(p) > InnerBothRun && bothP)
        hits.Record(7, n - std::abs(p) + 1, n);
    if (std::abs(q) > OuterBothRun && bothQ)
        hits.Record(8, n - std::abs(q) + 1, n);
    return hits.Take();
}

QString CriteriaList(const ErrorArray& hits)
{
    std::unordered_set<int32_t> seen;
    QString list;
    for (const TCriterionHit& hit : hits) {
        if (!seen.insert(hit.Criterion).second)
            continue;
        list += QLatin1Char(' ') + QString::number(hit.Criterion) + QLatin1Char(',');
    }
    list.chop(1);
    return list;
}
