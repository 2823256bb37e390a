#include "presentation/ComputeFlow.h"

#include "compute/ComputeDriver.h"
#include "model/MeasurementDocument.h"

bool ComputeWanted(const MeasurementDocument& doc)
{
    return doc.SeparatorFlags().size() > 1 && !doc.IsComputed();
}

ComputeOutcome RunComputeAndDraw(MeasurementDocument& doc, const ComputeSteps& steps)
{
    if (!ComputeWanted(doc))
        return ComputeOutcome::NothingToDo;
    const bool computed = RunComputeCommand(doc, PrecisionNotice::Caller);
    if (steps.computed)
        steps.computed();
    if (!computed)
        return ComputeOutcome::Refused;
    try {
        for (int slot = 0; slot < ChartSlotCount; ++slot)
            steps.draw(slot);
    } catch (...) {
        // A drawing that gave up has said why; the document goes back to editing.
        doc.InvalidateResults();
        return ComputeOutcome::DrawingAborted;
    }
    return ComputeOutcome::Drawn;
}
