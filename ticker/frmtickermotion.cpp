// The ticker window's motion: the slide-in and slide-out and the surface's animation on
// tmrDynamic, the step aside on a click, dragging by the icon, and where the window lies.
// The arithmetic is tickermotion's and tickerplacement's.

#include "ticker/frmticker.h"

#include <QMouseEvent>
#include <QTimer>

#include "core/appstate.h"
#include "platform/desktop/screeninfo.h"
#include "platform/x11/windowstacking.h"
#include "ticker/tickerkeyboard.h"
#include "ticker/tickermotion.h"
#include "ticker/tickerpresentation.h"
#include "ticker/tickersurface.h"

// ---- animations -------------------------------------------------------------------------

void frmTicker::tmrDynamic_Timer() {
    if (intDynamicFlags & kSlideIn) {
        SlideIn(false);
    }
    if ((intDynamicFlags & kSurface) && !shownOn->animationStep(scrollSpeed())) {
        finishAnimation(kSurface);
    }
    if (intDynamicFlags & kSlideOut) {
        SlideOut(false);
    }
}

void frmTicker::startAnimation(int flag) {
    intDynamicFlags |= flag;
    setTimerEnabled(tmrDynamic, true);
}

void frmTicker::finishAnimation(int flag) {
    intDynamicFlags &= ~flag;
    if (intDynamicFlags == 0) {
        tmrDynamic->stop();
    }
}

void frmTicker::SlideIn(bool start) {
    const Settings& settings = state.settings;
    const TickerGeometry g = placementGeometry();
    if (start) {
        switch (settings.TICKER_MODE) {
            case TickerMode::AlwaysShown:
                windowLeft = g.shown.x();
                windowTop = g.shown.y();
                parked = false;
                placeWindow();
                break;
            case TickerMode::PopUp:
                windowLeft = g.start.x();
                windowTop = g.start.y();
                parked = false;
                placeWindow();
                startAnimation(kSlideIn);
                break;
        }
    } else {
        const SlideStep step = slideInStep(slideCoordinate(g, {windowLeft, windowTop}),
                                           slideExtent(g), edgeCoordinate(g), scrollSpeed());
        const QPoint topLeft = slideTopLeft(g, step.left);
        windowLeft = topLeft.x();
        windowTop = topLeft.y();
        placeWindow();
        if (step.finished) {
            finishAnimation(kSlideIn);
        }
    }
    if (settings.TICKER_TOPMOST_FLG == TickerStacking::AboveOthers) {
        keepOnTop();
    }
}

void frmTicker::SlideOut(bool start) {
    // A hide requested while the window slides in is dropped.
    if (intDynamicFlags & kSlideIn) {
        intDynamicFlags &= ~kSlideOut;
        return;
    }
    if (start) {
        switch (state.settings.TICKER_MODE) {
            case TickerMode::AlwaysShown:
                Form_Unload();
                break;
            case TickerMode::PopUp:
                startAnimation(kSlideOut);
                break;
        }
        return;
    }
    const TickerGeometry g = placementGeometry();
    const SlideStep step = slideOutStep(slideCoordinate(g, {windowLeft, windowTop}), slideExtent(g),
                                        edgeCoordinate(g), scrollSpeed());
    if (step.finished) {
        park(g);
        finishAnimation(kSlideOut);
        if (intDynamicFlags == 0) {
            Form_Unload();
        }
        return;
    }
    const QPoint topLeft = slideTopLeft(g, step.left);
    windowLeft = topLeft.x();
    windowTop = topLeft.y();
    placeWindow();
}

// ---- stepping aside and dragging --------------------------------------------------------

void frmTicker::StepAside() {
    // A click deals with a held headline; the pointer leaves with the window.
    showing.releaseHeadline();
    showing.setHold(TickerHold::Pointer, false);
    blnTimerState = {tmrDynamic->isActive(), tmrNextNews->isActive()};
    tmrDynamic->stop();
    tmrNextNews->stop();
    if (!steppedAside) {
        steppedAside = true;
        showing.presentation().stepAside(true);
    }
    tmrPause->start();
    park(placementGeometry());
}

void frmTicker::tmrPause_Timer() {
    tmrPause->stop();
    const TickerGeometry g = placementGeometry();
    windowLeft = g.shown.x();
    windowTop = g.shown.y();
    parked = false;
    placeWindow();
    setTimerEnabled(tmrDynamic, blnTimerState[0]);
    setTimerEnabled(tmrNextNews, blnTimerState[1]);
    if (steppedAside) {
        steppedAside = false;
        showing.presentation().stepAside(false);
    }
    if (state.settings.TICKER_TOPMOST_FLG == TickerStacking::AboveOthers) {
        keepOnTop();
    }
}

void frmTicker::Form_MouseDown(Qt::MouseButton) {
    StepAside();
}

void frmTicker::dragBy(QPoint twips) {
    // A band stays at its edge.
    if (state.settings.TICKER_MODE != TickerMode::AlwaysShown || isDockedBand()) {
        return;
    }
    windowLeft += twips.x();
    windowTop += twips.y();
    placeWindow();
}

void frmTicker::dragEnded() {
    // The band's place is its edge's: the window's own place is kept for when it is one
    // again.
    if (!isDockedBand()) {
        screens.storeDraggedPlace({windowLeft, windowTop}, windowHeight);
    }
}

void frmTicker::mousePressEvent(QMouseEvent* event) {
    keyboard->mousePressed();
    event->accept();
    Form_MouseDown(event->button());
}

void frmTicker::enterEvent(QEnterEvent*) {
    showing.setHold(TickerHold::Pointer, true);
}

void frmTicker::leaveEvent(QEvent*) {
    showing.setHold(TickerHold::Pointer, false);
}

bool frmTicker::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        keyboard->mousePressed();
    }
    return QWidget::eventFilter(watched, event);
}

// ---- geometry ---------------------------------------------------------------------------

TickerGeometry frmTicker::placementGeometry() const {
    return screens.geometry(windowHeight);
}

void frmTicker::moveToScreen(const QString& name) {
    screens.moveToScreen(name, windowHeight);
}

bool frmTicker::isDockedBand() const {
    return isDocked(state.settings.TICKER_PLACEMENT);
}

void frmTicker::keepOnTop() {
    const bool above = state.settings.TICKER_TOPMOST_FLG == TickerStacking::AboveOthers;
    if (!setWindowStaysOnTop(*this, above)) {
        return;
    }
    // New flags map the window again, and the window manager forgets its desktops.
    if (isVisible()) {
        band.setOnEveryDesktop(isDockedBand());
    }
    // New flags bring Qt's own window type back.
    if (band.forgetReserved()) {
        applyDock();
    }
}

void frmTicker::park(const TickerGeometry& g) {
    windowLeft = g.parked.x();
    windowTop = g.parked.y();
    parked = true;
    placeWindow();
}

void frmTicker::placeWindow() {
    const int width = placementGeometry().shown.width();
    if (width != windowWidth) {
        windowWidth = width;
        setFixedSize(twipsToPixels(windowWidth), twipsToPixels(windowHeight));
        layoutWidgets();
    }
    if (parked) {
        hide();
        // Beyond the right end of the whole desktop, in case a window manager maps it.
        move(desktopPixels(state.seams.screen).right() + 1 + twipsToPixels(kParkOffsetTwips),
             twipsToPixels(windowTop));
        applyDock();
        return;
    }
    move(twipsToPixels(windowLeft), twipsToPixels(windowTop));
    if (!isVisible()) {
        // The window type must be there before the window manager sees the window.
        applyDock();
        mapWindow();
    } else if (band.isOnEveryDesktop() != isDockedBand()) {
        band.setOnEveryDesktop(isDockedBand());
    }
    applyDock();
}

void frmTicker::mapWindow() {
    // A band is on every virtual desktop, as panels are; the window stays on its own.
    band.map(isDockedBand());
}

void frmTicker::applyDock() {
    const bool reserve =
        !parked && isDockedBand() && state.settings.TICKER_MODE == TickerMode::AlwaysShown;
    const QRect pixels(twipsToPixels(windowLeft), twipsToPixels(windowTop),
                       twipsToPixels(windowWidth), twipsToPixels(windowHeight));
    band.reserve(reserve, reserve ? dockStrut(state.settings.TICKER_PLACEMENT, pixels,
                                              desktopPixels(state.seams.screen))
                                  : std::array<int, 12>{});
}

void frmTicker::placeForSettings() {
    const TickerGeometry g = placementGeometry();
    const bool moved = placedAs != state.settings.TICKER_PLACEMENT;
    placedAs = state.settings.TICKER_PLACEMENT;
    if (parked) {
        // A closed or stepping-aside ticker stays out of sight, at its new edge.
        windowLeft = g.parked.x();
        windowTop = g.parked.y();
    } else if (moved || (state.settings.TICKER_MODE == TickerMode::AlwaysShown &&
                         (showing.isShowing() || isDockedBand()))) {
        windowLeft = g.shown.x();
        windowTop = g.shown.y();
    } else if (state.settings.TICKER_MODE == TickerMode::PopUp) {
        // A slide goes on from where it is; a band that stands still keeps to its edge.
        const bool sliding = (intDynamicFlags & (kSlideIn | kSlideOut)) != 0;
        if (!isDockedBand()) {
            windowTop = g.shown.y();
        } else if (!sliding) {
            windowLeft = g.shown.x();
            windowTop = g.shown.y();
        }
    }
    placeWindow();
}

void frmTicker::screensChanged() {
    screens.remember();
    placeForSettings();
}

int frmTicker::scrollSpeed() const {
    return state.settings.NEWS_SCROLL_SPEED;
}
