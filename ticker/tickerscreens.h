#pragma once

#include <QHash>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QString>

#include "ticker/tickerplacement.h"

class ScreenInfo;
struct Settings;

// Where on the desktop's screens the ticker lies: its placement's geometry on the screen
// TICKER_SCREEN names, and the always-shown window's own place, which follows the window
// from screen to screen and is kept on the screen it came from while that one is gone.
class TickerScreens {
public:
    // settings and screens outlive this.
    TickerScreens(Settings& settings, const ScreenInfo& screens);

    // The placement's geometry (twips) for a window heightTwips high.
    [[nodiscard]] TickerGeometry geometry(int heightTwips) const;
    // The always-shown window's top-left (twips) on the screen it is shown on: its own place,
    // or, while TICKER_SCREEN is not connected, that place moved onto the primary screen.
    [[nodiscard]] QPoint windowPlace(int heightTwips) const;
    // Every screen connected now, as last seen.
    void remember();
    // Puts the ticker on the screen of that name (TICKER_SCREEN; empty: the primary) in the
    // settings. The window's own place goes along at the same place relative to the screen,
    // or back to where it last was on that screen in this run.
    void moveToScreen(const QString& name, int heightTwips);
    // The always-shown window was dragged to place (twips): stores it as its own place.
    void storeDraggedPlace(QPoint place, int heightTwips);

private:
    // TICKER_SCREEN names a screen that is not connected now.
    [[nodiscard]] bool isAwayFromItsScreen() const;

    Settings& settings;
    const ScreenInfo& screens;
    // Every screen connected in this run as last seen, in twips: where a window whose screen
    // went away was, relative to it.
    QHash<QString, QRect> seenScreens;
    // The window's own place on each screen it was moved away from in this run.
    QHash<QString, QPointF> keptPlaces;
};
