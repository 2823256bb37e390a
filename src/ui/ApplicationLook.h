#pragma once

// The program's look, shared by the program and the screenshot program so that both show the same.

// Before the application object exists: fractional scale factors pass through unrounded, so the
// fixed layout keeps its proportions on a screen scaled by 1.25 or 1.5.
void PrepareApplicationLook();

// After the application object exists: the interface font. Liberation Sans (metrics of the
// classic Windows sans serif) keeps the fixed-width grid columns and buttons wide enough for their
// texts, which the wider DejaVu Sans cuts off.
void ApplyApplicationLook();

// After the application object exists: the program's icon on every window. Every window title is
// exactly the caption the window sets; an application display name would make X11 window
// managers show it after each title.
void ApplyApplicationIdentity();
