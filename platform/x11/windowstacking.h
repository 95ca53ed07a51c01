#pragma once

class QWidget;

// The z-order placement of a top-level window: above ordinary windows, or among them. The
// window keeps its position. Cheap when the placement already holds, so it can be asserted at
// every animation step. True when the window's flags were changed.
bool setWindowStaysOnTop(QWidget& window, bool above);
