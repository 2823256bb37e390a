#pragma once

#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"

#include "model/MeasurementDocument.h"

#include <QString>

class QWidget;

// The example document delivered with the program, loaded and computed as F5 leaves it.
void LoadComputedExample(MeasurementDocument& doc);

// An individual-values document of the given groups, computed.
void BuildComputed(MeasurementDocument& doc, int subgroupSize, const std::vector<std::vector<QStringList>>& groups);

// Writes a picture of the widget into $MERIDAN_UI_SNAPSHOTS (when set) as NAME.png, so that the
// look of a window can be checked by eye.
void SaveSnapshot(QWidget& widget, const QString& name);
