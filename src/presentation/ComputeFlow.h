#pragma once

#include <functional>

class MeasurementDocument;

// The compute command as the main window runs it (F5): compute, then draw the chart pages, and
// what becomes of the document when a drawing gives up.
enum class ComputeOutcome {
    NothingToDo, // no table rows, or the results are there already
    Refused, // the compute said why and left the document editable
    DrawingAborted, // a drawing gave up after saying why; the document went back to editing
    Drawn, // computed and every chart page drawn
};

struct ComputeSteps {
    std::function<void()> computed; // after the compute, whether it ran or was refused
    std::function<void(int slot)> draw; // each chart slot in turn; throws when its drawing gave up
};

bool ComputeWanted(const MeasurementDocument& doc); // a compute would do something

// Runs the compute command (the precision notice is the caller's, after the drawing) and draws
// slot 0 .. ChartSlotCount - 1 through steps.draw. Any exception of a drawing ends the drawing
// and drops the results.
ComputeOutcome RunComputeAndDraw(MeasurementDocument& doc, const ComputeSteps& steps);
