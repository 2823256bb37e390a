#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"

#include "document/DocumentFile.h"
#include "document/MeasurementDocument.h"
#include "paint/ChartPage.h"
#include "statistics/ComputeDriver.h"
#include "ui/ChartPageView.h"

#include <QScrollBar>

TEST(ChartPageView, EmptyUntilResults)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    ChartPageView view(doc, 0);
    EXPECT_EQ(view.ScrollBar()->objectName(), QStringLiteral("ScrollBar1"));
    EXPECT_EQ(view.Image().size(), QSize(ChartPageWidth, ChartPageHeight));
    EXPECT_FALSE(view.ScrollBar()->isEnabled());
}
