#include "ticker/tickerscreens.h"

#include "core/settings.h"
#include "platform/desktop/screeninfo.h"

namespace {

QRect screenTwips(const ScreenDesc& screen) {
    const QRect& pixels = screen.pixels;
    return {pixelsToTwips(pixels.x()), pixelsToTwips(pixels.y()), pixelsToTwips(pixels.width()),
            pixelsToTwips(pixels.height())};
}

}  // namespace

TickerScreens::TickerScreens(Settings& appSettings, const ScreenInfo& screenInfo)
    : settings(appSettings), screens(screenInfo) {}

TickerGeometry TickerScreens::geometry(int height) const {
    const QRect twips = screenTwips(chosenScreen(screens, settings.TICKER_SCREEN));
    TickerGeometry g =
        tickerGeometry(settings.TICKER_PLACEMENT, settings.TICKER_MODE, twips, settings, height);
    if (settings.TICKER_PLACEMENT == TickerPlacement::Window &&
        settings.TICKER_MODE == TickerMode::AlwaysShown) {
        g.shown.moveTopLeft(windowPlace(height));
        g.start = g.shown;
    }
    return g;
}

bool TickerScreens::isAwayFromItsScreen() const {
    const QString& name = settings.TICKER_SCREEN;
    return !name.isEmpty() && chosenScreen(screens, name).name != name;
}

QPoint TickerScreens::windowPlace(int height) const {
    const QPoint place(qRound(settings.TICKER_LEFT), qRound(settings.TICKER_TOP));
    if (!isAwayFromItsScreen()) {
        return place;
    }
    const auto home = seenScreens.find(settings.TICKER_SCREEN);
    return windowPlaceOn(place,
                         home != seenScreens.end() ? std::optional<QRect>(*home) : std::nullopt,
                         screenTwips(chosenScreen(screens, settings.TICKER_SCREEN)), height);
}

void TickerScreens::remember() {
    for (const ScreenDesc& screen : screens.screens()) {
        seenScreens.insert(screen.name, screenTwips(screen));
    }
}

void TickerScreens::moveToScreen(const QString& name, int height) {
    if (name == settings.TICKER_SCREEN) {
        return;
    }
    const QRect from = screenTwips(chosenScreen(screens, settings.TICKER_SCREEN));
    const QPoint shownAt = windowPlace(height);
    keptPlaces.insert(settings.TICKER_SCREEN, QPointF(settings.TICKER_LEFT, settings.TICKER_TOP));
    settings.TICKER_SCREEN = name;
    QPointF place;
    if (const auto kept = keptPlaces.find(name); kept != keptPlaces.end()) {
        place = *kept;
    } else {
        place = windowPlaceOn(shownAt, from, screenTwips(chosenScreen(screens, name)), height);
    }
    settings.TICKER_LEFT = float(place.x());
    settings.TICKER_TOP = float(place.y());
}

void TickerScreens::storeDraggedPlace(QPoint place, int height) {
    if (isAwayFromItsScreen()) {
        // Shown on the primary screen while its own is not connected: a click that moved
        // nothing keeps the place on its own screen; a move counts relative to it.
        if (place == windowPlace(height)) {
            return;
        }
        const auto home = seenScreens.find(settings.TICKER_SCREEN);
        if (home != seenScreens.end()) {
            place += home->topLeft() - screenTwips(chosenScreen(screens, QString())).topLeft();
        }
    }
    settings.TICKER_TOP = float(place.y());
    settings.TICKER_LEFT = float(place.x());
}
