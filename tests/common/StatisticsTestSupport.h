#pragma once

#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"
#include "compute/GroupCompute.h"
#include "model/MeasurementDocument.h"
#include "statistics/PointStatistics.h"

#include <QStringList>
#include <cstring>
#include <gtest/gtest.h>
#include <initializer_list>
#include <vector>

// One point per entry: a single value, or the k value texts of a subgroup.
inline std::vector<QStringList> Points(std::initializer_list<std::initializer_list<const char*>> rows)
{
    std::vector<QStringList> out;
    for (const auto& row : rows) {
        QStringList texts;
        for (const char* t : row)
            texts << QString::fromUtf8(t);
        out.push_back(texts);
    }
    return out;
}

// Individual values given as numbers.
inline std::vector<QStringList> Values(std::initializer_list<double> values)
{
    std::vector<QStringList> out;
    for (double v : values)
        out.push_back({ QString::number(v, 'g', 17) });
    return out;
}

// Equal, or within a relative tolerance.
inline bool Near(double actual, double expected, double relative)
{
    return actual == expected || FuzzyCompare(actual, expected, relative);
}

// Doubles compared bit for bit: a faster path must give the very numbers of the plain one.
inline bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The control lines and criteria hits of every chart slot of two group records, bit for bit.
inline void ExpectSameLinesAndHits(const TIndividualInfo& a, const TIndividualInfo& b)
{
    for (int slot = 0; slot < ChartSlotCount; ++slot) {
        SCOPED_TRACE(slot);
        const TControlLines& la = a.Lines[size_t(slot)];
        const TControlLines& lb = b.Lines[size_t(slot)];
        EXPECT_TRUE(SameBits(la.Lower, lb.Lower) && SameBits(la.Centre, lb.Centre) && SameBits(la.Upper, lb.Upper));
        EXPECT_EQ(a.Hits[size_t(slot)].Westgard, b.Hits[size_t(slot)].Westgard);
        EXPECT_EQ(a.Hits[size_t(slot)].Iso, b.Hits[size_t(slot)].Iso);
    }
}
