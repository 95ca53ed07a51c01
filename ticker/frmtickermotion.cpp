// The ticker window's motion: the slide-in, slide-out and headline wipe on tmrDynamic, the
// step aside on a click, dragging by the icon. The arithmetic is tickermotion's.

#include "ticker/frmticker.h"

#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

#include "core/appstate.h"
#include "platform/desktop/screeninfo.h"
#include "platform/x11/windowstacking.h"
#include "platform/x11/x11dock.h"
#include "ticker/marqueestrip.h"
#include "ticker/tickerlabel.h"
#include "ticker/tickermotion.h"

namespace {

QRect screenTwips(const ScreenDesc& screen) {
    const QRect& pixels = screen.pixels;
    return {pixelsToTwips(pixels.x()), pixelsToTwips(pixels.y()), pixelsToTwips(pixels.width()),
            pixelsToTwips(pixels.height())};
}

}  // namespace

// ---- animations -------------------------------------------------------------------------

void frmTicker::tmrDynamic_Timer() {
    if (intDynamicFlags & kSlideIn) {
        SlideIn(false);
    }
    if (intDynamicFlags & kWipe) {
        wipeNewsStep();
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

void frmTicker::WipeNews(const QString& text) {
    if (text.isEmpty()) {
        if (intDynamicFlags & kWipe) {
            lblNewsOver->clear();
        } else {
            lblNews->clear();
        }
        return;
    }
    newsOverLeft = kNewsLeft + newsWidth();
    newsOverWidth = 0;
    lblNewsOver->setTextColour(nextHeadlineColour);
    lblNewsOver->setText(text);
    placeNewsOver();
    lblNewsOver->show();
    startAnimation(kWipe);
}

void frmTicker::wipeNewsStep() {
    const WipeStep step = wipeStep(kNewsLeft, newsWidth(), newsOverLeft, scrollSpeed());
    newsOverLeft = step.overLeft;
    newsOverWidth = step.overWidth;
    placeNewsOver();
    if (step.finished) {
        lblNewsOver->hide();
        lblNews->setTextColour(lblNewsOver->textColour());
        lblNews->setText(lblNewsOver->text());
        finishAnimation(kWipe);
    }
}

void frmTicker::endWipe() {
    if (intDynamicFlags & kWipe) {
        lblNewsOver->hide();
        finishAnimation(kWipe);
    }
}

// ---- stepping aside and dragging --------------------------------------------------------

void frmTicker::StepAside() {
    // A click deals with a held headline; the pointer leaves with the window.
    showing.releaseHeadline();
    showing.setHold(TickerHold::Pointer, false);
    blnTimerState = {tmrDynamic->isActive(), tmrNextNews->isActive()};
    marqueeWasMoving = marquee->framesRunning();
    tmrDynamic->stop();
    tmrNextNews->stop();
    marquee->runFrames(false);
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
    marquee->runFrames(marqueeWasMoving);
    if (state.settings.TICKER_TOPMOST_FLG == TickerStacking::AboveOthers) {
        keepOnTop();
    }
}

void frmTicker::Form_MouseDown(Qt::MouseButton) {
    StepAside();
}
void frmTicker::lblNews_MouseDown(Qt::MouseButton) {
    StepAside();
}
void frmTicker::lblSiteTitle_MouseDown(Qt::MouseButton) {
    StepAside();
}
void frmTicker::lblTimeStamp_MouseDown(Qt::MouseButton) {
    StepAside();
}

void frmTicker::picIcon_MouseDown(Qt::MouseButton, float X, float Y) {
    sngDragX = X;
    sngDragY = Y;
}

void frmTicker::picIcon_MouseMove(Qt::MouseButtons Button, float X, float Y) {
    // A band stays at its edge.
    if (state.settings.TICKER_MODE != TickerMode::AlwaysShown || isDockedBand() ||
        Button != Qt::LeftButton) {
        return;
    }
    windowLeft += qRound(X - sngDragX);
    windowTop += qRound(Y - sngDragY);
    placeWindow();
}

void frmTicker::picIcon_MouseUp(Qt::MouseButton, float, float) {
    // The band's place is its edge's: the window's own place is kept for when it is one
    // again.
    if (isDockedBand()) {
        return;
    }
    QPoint place(windowLeft, windowTop);
    if (isAwayFromItsScreen()) {
        // Shown on the primary screen while its own is not connected: a click that moved
        // nothing keeps the place on its own screen; a move counts relative to it.
        if (place == windowPlace()) {
            return;
        }
        const auto home = seenScreens.find(state.settings.TICKER_SCREEN);
        if (home != seenScreens.end()) {
            place += home->topLeft() -
                     screenTwips(chosenScreen(state.seams.screen, QString())).topLeft();
        }
    }
    state.settings.TICKER_TOP = float(place.y());
    state.settings.TICKER_LEFT = float(place.x());
}

void frmTicker::mousePressEvent(QMouseEvent* event) {
    keyboardHandedOver = false;
    focusFrame->hide();
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
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress) {
        // The mouse works the ticker now: the keyboard's frame goes until it is handed the
        // keys again.
        keyboardHandedOver = false;
        focusFrame->hide();
    }
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease) {
        return QWidget::eventFilter(watched, event);
    }
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (watched == picIcon) {
        const float x = float(mouse->position().x() * kTwipsPerPixel);
        const float y = float(mouse->position().y() * kTwipsPerPixel);
        if (type == QEvent::MouseButtonPress) {
            picIcon_MouseDown(mouse->button(), x, y);
        } else if (type == QEvent::MouseMove) {
            picIcon_MouseMove(mouse->buttons(), x, y);
        } else {
            picIcon_MouseUp(mouse->button(), x, y);
        }
        return true;
    }
    if (type != QEvent::MouseButtonPress) {
        return QWidget::eventFilter(watched, event);
    }
    if (watched == lblNews) {
        lblNews_MouseDown(mouse->button());
    } else if (watched == lblSiteTitle) {
        lblSiteTitle_MouseDown(mouse->button());
    } else if (watched == lblTimeStamp) {
        lblTimeStamp_MouseDown(mouse->button());
    } else {
        return QWidget::eventFilter(watched, event);
    }
    return true;
}

// ---- geometry ---------------------------------------------------------------------------

TickerGeometry frmTicker::placementGeometry() const {
    const Settings& settings = state.settings;
    const QRect twips = screenTwips(chosenScreen(state.seams.screen, settings.TICKER_SCREEN));
    TickerGeometry g =
        tickerGeometry(settings.TICKER_PLACEMENT, settings.TICKER_MODE, twips, settings);
    if (settings.TICKER_PLACEMENT == TickerPlacement::Window &&
        settings.TICKER_MODE == TickerMode::AlwaysShown) {
        g.shown.moveTopLeft(windowPlace());
        g.start = g.shown;
    }
    return g;
}

bool frmTicker::isAwayFromItsScreen() const {
    const QString& name = state.settings.TICKER_SCREEN;
    return !name.isEmpty() && chosenScreen(state.seams.screen, name).name != name;
}

QPoint frmTicker::windowPlace() const {
    const Settings& settings = state.settings;
    const QPoint place(qRound(settings.TICKER_LEFT), qRound(settings.TICKER_TOP));
    if (!isAwayFromItsScreen()) {
        return place;
    }
    const auto home = seenScreens.find(settings.TICKER_SCREEN);
    return windowPlaceOn(place,
                         home != seenScreens.end() ? std::optional<QRect>(*home) : std::nullopt,
                         screenTwips(chosenScreen(state.seams.screen, settings.TICKER_SCREEN)));
}

void frmTicker::rememberScreens() {
    for (const ScreenDesc& screen : state.seams.screen.screens()) {
        seenScreens.insert(screen.name, screenTwips(screen));
    }
}

void frmTicker::moveToScreen(const QString& name) {
    Settings& settings = state.settings;
    if (name == settings.TICKER_SCREEN) {
        return;
    }
    const QRect from = screenTwips(chosenScreen(state.seams.screen, settings.TICKER_SCREEN));
    const QPoint shownAt = windowPlace();
    keptPlaces.insert(settings.TICKER_SCREEN, QPointF(settings.TICKER_LEFT, settings.TICKER_TOP));
    settings.TICKER_SCREEN = name;
    QPointF place;
    if (const auto kept = keptPlaces.find(name); kept != keptPlaces.end()) {
        place = *kept;
    } else {
        place = windowPlaceOn(shownAt, from, screenTwips(chosenScreen(state.seams.screen, name)));
    }
    settings.TICKER_LEFT = float(place.x());
    settings.TICKER_TOP = float(place.y());
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
        applyDesktops();
    }
    if (dockApplied) {
        // New flags bring Qt's own window type back.
        dockApplied = false;
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
        setFixedSize(twipsToPixels(windowWidth), twipsToPixels(kHeightTwips));
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
    } else if (onEveryDesktop != isDockedBand()) {
        applyDesktops();
    }
    applyDock();
}

void frmTicker::mapWindow() {
    if (!testAttribute(Qt::WA_WState_Created)) {
        create();
    }
    applyDesktops();
    show();
}

void frmTicker::applyDesktops() {
    // A band is on every virtual desktop, as panels are; the window stays on its own.
    const bool every = isDockedBand();
    if (setX11OnEveryDesktop(*this, every)) {
        onEveryDesktop = every;
    }
}

void frmTicker::applyDock() {
    const bool reserve =
        !parked && isDockedBand() && state.settings.TICKER_MODE == TickerMode::AlwaysShown;
    const QRect band(twipsToPixels(windowLeft), twipsToPixels(windowTop),
                     twipsToPixels(windowWidth), twipsToPixels(kHeightTwips));
    const std::array<int, 12> wanted = reserve ? dockStrut(state.settings.TICKER_PLACEMENT, band,
                                                           desktopPixels(state.seams.screen))
                                               : std::array<int, 12>{};
    if (reserve == dockApplied && wanted == strut) {
        return;
    }
    strut = wanted;
    if (reserve != dockApplied && isVisible()) {
        // A window manager reads the type when the window is mapped: map it again, a moment
        // later, once the window manager has let go of it (mapped at once, it may stay
        // unmapped).
        hide();
        setX11Dock(*this, reserve ? std::optional(strut) : std::nullopt);
        if (!reserve) {
            setWindowFlags(windowFlags());
        }
        constexpr int kRemapDelayMs = 100;
        QTimer::singleShot(kRemapDelayMs, this, [this] {
            if (!parked && !isVisible()) {
                mapWindow();
            }
        });
    } else {
        if (reserve && !testAttribute(Qt::WA_WState_Created)) {
            create();
        }
        setX11Dock(*this, reserve ? std::optional(strut) : std::nullopt);
    }
    dockApplied = reserve;
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
    rememberScreens();
    placeForSettings();
}

int frmTicker::scrollSpeed() const {
    return state.settings.NEWS_SCROLL_SPEED;
}
