#pragma once

#include "model/MeasurementDocument.h"

// The drawing state every chart drawing shares for the whole run of the program: the margin and
// steps of the horizontal layout, the rows of the group being drawn, and the float format of the
// numbers written on charts. Drawings are not reentrant because of it; tests Reset() it.
struct DrawingState {
    int LeftMargin = 65; // x of the left frame edge; set by the screen drawing and the report options
    int GroupStep = 50; // last point of a group to the first point of the next
    int PointStep = 50; // between consecutive points of one group
    int UpperRow = 50; // rows of the group being drawn, set at the start of every group
    int CentreRow = 100;
    int LowerRow = 150;
    // The main window keeps it in step with the document; a drawing given 7 or more decimals
    // switches it to the exponent form, and it stays so.
    ChartNumberFormat NumberFormat;

    void Reset() { *this = DrawingState(); }
};

// The one process-wide drawing state.
DrawingState& ChartDrawingState();
