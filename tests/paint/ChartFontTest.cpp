#include "paint/ChartCanvas.h"
#include "paint/DrawingState.h"

#include <QFontInfo>
#include <gtest/gtest.h>

// The dates written over neighbouring points must not run into each other: a ten-character date,
// with a few pixels to spare, fits into one point step. The face must be the one installed with
// the program, not a substitute whose widths nobody checked.
TEST(ChartFont, DateFitsThePointStepAndTheFaceIsInstalled)
{
    const QFont font = ChartCanvas::ChartFont();
    EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("Liberation Sans Narrow"));
    EXPECT_EQ(font.pointSize(), 8);

    const QFontMetrics metrics = ChartCanvas::ChartFontMetrics();
    const int step = DrawingState().PointStep;
    for (const QString& date :
        { QStringLiteral("01.03.2024"), QStringLiteral("28.08.2008"), QStringLiteral("30/12/2099") })
        EXPECT_LE(metrics.horizontalAdvance(date), step - 4) << date.toStdString();
    // The Ukrainian texts of the axes are readable: the face has the Cyrillic letters.
    EXPECT_TRUE(metrics.inFont(QChar(u'і')));
    EXPECT_TRUE(metrics.inFont(QChar(u'м')));
    EXPECT_GE(metrics.height(), 11);
}
