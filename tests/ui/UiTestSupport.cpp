#include "UiTestSupport.h"

#include "compute/ComputeDriver.h"
#include "model/DocumentFile.h"

#include <QDir>
#include <QWidget>

void LoadComputedExample(MeasurementDocument& doc)
{
    ASSERT_TRUE(LoadDocument(doc, QStringLiteral(MERIDAN_SOURCE_DIR "/data/pistonrings.mrd")));
    ASSERT_TRUE(RunComputeCommand(doc));
}

void BuildComputed(MeasurementDocument& doc, int subgroupSize, const std::vector<std::vector<QStringList>>& groups)
{
    BuildDocument(doc, subgroupSize, groups);
    ASSERT_TRUE(RunComputeCommand(doc));
}

void SaveSnapshot(QWidget& widget, const QString& name)
{
    const QString folder = qEnvironmentVariable("MERIDAN_UI_SNAPSHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    widget.grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}
