#pragma once

#include <QtGlobal>

class QWidget;

// The z-order placement of a top-level window, as TICKER_TOPMOST_FLG states it: -1 keeps
// the window above ordinary windows, -2 lets them cover it; other values change nothing.
// The window keeps its position. Cheap when the placement already holds, so it can be
// asserted at every animation step. True when the window's flags were changed.
bool setWindowTopmost(QWidget& window, qint32 topmostFlag);
