#include "ticker/tickerplacement.h"

#include <algorithm>

#include "ticker/tickermotion.h"

TickerGeometry tickerGeometry(TickerPlacement placement, TickerMode mode, const QRect& screen,
                              const Settings& settings, int height) {
    TickerGeometry g;
    const int right = screen.x() + screen.width();
    const int bottom = screen.y() + screen.height();
    switch (placement) {
        case TickerPlacement::Window: {
            const QSize size(kTickerWidthTwips, height);
            const int popUpTop = screen.y() + settings.TICKER_MARGIN_TOP;
            g.edge = SlideEdge::Right;
            g.parked = QRect(QPoint(right + kParkOffsetTwips, popUpTop), size);
            switch (mode) {
                case TickerMode::AlwaysShown:
                    g.shown = QRect(
                        QPoint(qRound(settings.TICKER_LEFT), qRound(settings.TICKER_TOP)), size);
                    g.start = g.shown;
                    break;
                case TickerMode::PopUp:
                    g.shown = QRect(QPoint(right - size.width(), popUpTop), size);
                    g.start = QRect(QPoint(right - kParkOffsetTwips, popUpTop), size);
                    break;
            }
            break;
        }
        case TickerPlacement::DockedTop: {
            const QSize size(screen.width(), height);
            g.edge = SlideEdge::Top;
            g.shown = QRect(screen.topLeft(), size);
            g.start = g.shown.translated(0, kParkOffsetTwips - size.height());
            g.parked = g.shown.translated(0, -kParkOffsetTwips - size.height());
            break;
        }
        case TickerPlacement::DockedBottom: {
            const QSize size(screen.width(), height);
            g.edge = SlideEdge::Bottom;
            g.shown = QRect(QPoint(screen.x(), bottom - size.height()), size);
            g.start = QRect(QPoint(screen.x(), bottom - kParkOffsetTwips), size);
            g.parked = QRect(QPoint(screen.x(), bottom + kParkOffsetTwips), size);
            break;
        }
    }
    if (placement != TickerPlacement::Window && mode == TickerMode::AlwaysShown) {
        g.start = g.shown;
    }
    return g;
}

QPoint windowPlaceOn(QPoint place, const std::optional<QRect>& home, const QRect& screen,
                     int height) {
    if (home) {
        place += screen.topLeft() - home->topLeft();
    }
    // A screen smaller than the window shows its top-left part.
    const int right = std::max(screen.x(), screen.x() + screen.width() - kTickerWidthTwips);
    const int bottom = std::max(screen.y(), screen.y() + screen.height() - height);
    return {std::clamp(place.x(), screen.x(), right), std::clamp(place.y(), screen.y(), bottom)};
}

int edgeCoordinate(const TickerGeometry& g) {
    switch (g.edge) {
        case SlideEdge::Right:
            return g.parked.x() - kParkOffsetTwips;
        case SlideEdge::Top:
            return g.shown.y();
        case SlideEdge::Bottom:
            return g.parked.y() - kParkOffsetTwips;
    }
    return 0;
}

int slideExtent(const TickerGeometry& g) {
    return g.edge == SlideEdge::Right ? g.shown.width() : g.shown.height();
}

int slideCoordinate(const TickerGeometry& g, QPoint topLeft) {
    switch (g.edge) {
        case SlideEdge::Right:
            return topLeft.x();
        case SlideEdge::Top:
            // Mirrored: moving down into the screen counts as moving left.
            return 2 * g.shown.y() - topLeft.y() - g.shown.height();
        case SlideEdge::Bottom:
            return topLeft.y();
    }
    return 0;
}

QPoint slideTopLeft(const TickerGeometry& g, int coordinate) {
    switch (g.edge) {
        case SlideEdge::Right:
            return {coordinate, g.shown.y()};
        case SlideEdge::Top:
            return {g.shown.x(), 2 * g.shown.y() - g.shown.height() - coordinate};
        case SlideEdge::Bottom:
            return {g.shown.x(), coordinate};
    }
    return {};
}

std::array<int, 12> dockStrut(TickerPlacement placement, const QRect& band, const QRect& desktop) {
    std::array<int, 12> strut{};
    const int startX = band.x() - desktop.x();
    const int endX = startX + band.width() - 1;
    switch (placement) {
        case TickerPlacement::Window:
            break;
        case TickerPlacement::DockedTop:
            strut[2] = band.y() + band.height() - desktop.y();
            strut[8] = startX;
            strut[9] = endX;
            break;
        case TickerPlacement::DockedBottom:
            strut[3] = desktop.y() + desktop.height() - band.y();
            strut[10] = startX;
            strut[11] = endX;
            break;
    }
    return strut;
}
