#pragma once

#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"
#include "document/MeasurementDocument.h"

#include <memory>

// Computed documents for the report tests.

// Individual values: groups of the given sizes, values cycling gently around 10.
std::unique_ptr<MeasurementDocument> IndividualDocument(Messenger& messenger, const std::vector<int>& groupSizes);

// Subgroups of `size` values: groups of the given numbers of subgroups.
std::unique_ptr<MeasurementDocument> SubgroupDocument(
    Messenger& messenger, int size, const std::vector<int>& groupSizes);

// The folder of the templates delivered with the program.
QString DeliveredTemplateFolder();
