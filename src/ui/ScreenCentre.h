#pragma once

class QWidget;

// Moves a top-level window to the centre of the screen it is shown on (its parent's screen, or
// the primary one), whatever window it belongs to.
void CentreOnScreen(QWidget& window);
