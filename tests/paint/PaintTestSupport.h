#pragma once

#include "model/GroupRecord.h"
#include "paint/ChartCanvas.h"
#include "paint/Paint.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <vector>

// One group as a chart sees it: its plotted series on row s + rowOffset of the table, its lines
// on slot s.
TIndividualInfo ChartGroup(const std::vector<double>& series, TControlLines lines, int s = 0, int rowOffset = 0);

// Dates "d1", "d2", ... one per point.
QStringList NumberedDates(int count);

// Passes when both images have the same size and pixels; otherwise names the first differing
// pixel (row by row) and how many differ.
::testing::AssertionResult SameImage(const QImage& actual, const QImage& expected);

// Passes when the box of `text` written at (x, y) on a white bitmap appears in image exactly there.
::testing::AssertionResult TextAt(const QImage& image, int x, int y, const QString& text);

// The page drawing done the straightforward way: the whole chart drawn into an off-screen bitmap
// as wide as the chart, the visible window of it copied inside the frame, then the point
// numbers and dates of the visible points. Only usable on small documents; it is the yardstick
// of the windowed DrawChart.
void ReferenceDrawChart(const std::vector<TIndividualInfo>& groups, const QStringList& dates, QImage& bitmap,
    const QString& u, int d, int s, int rowOffset, int& chartExtent, double f, const PointMarks& marks = {});
