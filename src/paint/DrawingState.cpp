#include "paint/DrawingState.h"

DrawingState& ChartDrawingState()
{
    static DrawingState state;
    return state;
}
