#pragma once

#include <QRect>
#include <array>
#include <optional>

#include "core/settings.h"

// Where the ticker lies for its placement on its screen, in twips. The window of the
// design's size sits where it was put or slides in at the screen's right edge; a band spans
// its screen's width at the top or bottom edge and slides in from that edge.

inline constexpr int kTickerWidthTwips = 7110;
// The design's height; a presentation's surface may ask for another (TickerSurface).
inline constexpr int kTickerHeightTwips = 495;

enum class SlideEdge {
    Right,
    Top,
    Bottom,
};

struct TickerGeometry {
    QRect shown;   // on screen
    QRect start;   // where a slide-in starts: 10 twips of it show at its edge
    QRect parked;  // 10 twips beyond its edge, off its screen
    SlideEdge edge = SlideEdge::Right;
};

// The placement's geometry on a screen (twips) for a ticker heightTwips high (its
// presentation's). The always-shown window lies at TICKER_LEFT and TICKER_TOP, which keep
// virtual-desktop twips.
[[nodiscard]] TickerGeometry tickerGeometry(TickerPlacement placement, TickerMode mode,
                                            const QRect& screenTwips, const Settings& settings,
                                            int heightTwips = kTickerHeightTwips);

// Where the always-shown window lies on `screen` (twips) when its own place (TICKER_LEFT,
// TICKER_TOP) was kept on another screen, `home`, that is not connected now: at the same
// place relative to the screen's top-left corner, pulled inside the screen where it would
// stick out. Without a known home (a screen that was never connected in this run) the place
// is only pulled inside.
[[nodiscard]] QPoint windowPlaceOn(QPoint place, const std::optional<QRect>& home,
                                   const QRect& screen, int heightTwips = kTickerHeightTwips);

// A slide along its edge as one number: the design's left edge of a window sliding in from
// the right, with the screen's edge at edgeCoordinate(). The design's slide steps
// (tickermotion) then serve every edge.
[[nodiscard]] int slideCoordinate(const TickerGeometry& geometry, QPoint topLeft);
[[nodiscard]] QPoint slideTopLeft(const TickerGeometry& geometry, int coordinate);
[[nodiscard]] int edgeCoordinate(const TickerGeometry& geometry);
// The extent that moves: the width for the right edge, the height for the others.
[[nodiscard]] int slideExtent(const TickerGeometry& geometry);

// _NET_WM_STRUT_PARTIAL of a band docked at the top or bottom of its screen, in pixels of
// the whole X screen (desktop): left, right, top, bottom, left_start_y, left_end_y,
// right_start_y, right_end_y, top_start_x, top_end_x, bottom_start_x, bottom_end_x. The
// bottom strut counts from the X screen's bottom, so a band on a shorter monitor reserves
// the rows below it too. All zero for a window.
[[nodiscard]] std::array<int, 12> dockStrut(TickerPlacement placement, const QRect& bandPixels,
                                            const QRect& desktopPixels);
