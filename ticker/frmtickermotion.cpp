// The ticker window's motion: the slide-in, slide-out and headline wipe on tmrDynamic, the
// step aside on a click, dragging by the icon. The arithmetic is tickermotion's.

#include "ticker/frmticker.h"

#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

#include "core/appstate.h"
#include "platform/screeninfo.h"
#include "platform/windowstacking.h"
#include "ticker/tickermotion.h"

// ---- animations -------------------------------------------------------------------------

void frmTicker::tmrDynamic_Timer() {
    if (intDynamicFlags & kSlideIn) {
        SlideIn(false);
    }
    if (intDynamicFlags & kWipe) {
        WipeNewsStep();
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
    if (start) {
        if (settings.TICKER_MODE == 0) {
            windowTop = qRound(settings.TICKER_TOP);
            windowLeft = qRound(settings.TICKER_LEFT);
            placeWindow();
        } else if (settings.TICKER_MODE == 1) {
            windowLeft = screenWidth() - kParkOffsetTwips;
            placeWindow();
            startAnimation(kSlideIn);
        }
    } else {
        const SlideStep step = slideInStep(windowLeft, kWidthTwips, screenWidth(), scrollSpeed());
        windowLeft = step.left;
        placeWindow();
        if (step.finished) {
            finishAnimation(kSlideIn);
        }
    }
    if (settings.TICKER_TOPMOST_FLG == -1) {
        KeepOnTop();
    }
}

void frmTicker::SlideOut(bool start) {
    // A hide requested while the window slides in is dropped.
    if (intDynamicFlags & kSlideIn) {
        intDynamicFlags &= ~kSlideOut;
        return;
    }
    if (start) {
        if (state.settings.TICKER_MODE == 0) {
            Form_Unload();
        } else if (state.settings.TICKER_MODE == 1) {
            startAnimation(kSlideOut);
        }
        return;
    }
    const SlideStep step = slideOutStep(windowLeft, kWidthTwips, screenWidth(), scrollSpeed());
    windowLeft = step.left;
    placeWindow();
    if (step.finished) {
        finishAnimation(kSlideOut);
        if (intDynamicFlags == 0) {
            Form_Unload();
        }
    }
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
    newsOverLeft = kNewsLeft + kNewsWidth;
    newsOverWidth = 0;
    lblNewsOver->setText(text);
    placeNewsOver();
    lblNewsOver->show();
    startAnimation(kWipe);
}

void frmTicker::WipeNewsStep() {
    const WipeStep step = wipeStep(kNewsLeft, kNewsWidth, newsOverLeft, scrollSpeed());
    newsOverLeft = step.overLeft;
    newsOverWidth = step.overWidth;
    placeNewsOver();
    if (step.finished) {
        lblNewsOver->hide();
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
    blnTimerState = {tmrDynamic->isActive(), tmrNextNews->isActive()};
    tmrDynamic->stop();
    tmrNextNews->stop();
    tmrPause->start();
    windowLeft = parkedLeft(screenWidth());
    placeWindow();
}

void frmTicker::tmrPause_Timer() {
    tmrPause->stop();
    const Settings& settings = state.settings;
    if (settings.TICKER_MODE == 0) {
        windowTop = qRound(settings.TICKER_TOP);
        windowLeft = qRound(settings.TICKER_LEFT);
    } else if (settings.TICKER_MODE == 1) {
        windowLeft = screenWidth() - kWidthTwips;
    }
    placeWindow();
    setTimerEnabled(tmrDynamic, blnTimerState[0]);
    setTimerEnabled(tmrNextNews, blnTimerState[1]);
    if (settings.TICKER_TOPMOST_FLG == -1) {
        KeepOnTop();
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
    if (state.settings.TICKER_MODE != 0 || Button != Qt::LeftButton) {
        return;
    }
    windowLeft += qRound(X - sngDragX);
    windowTop += qRound(Y - sngDragY);
    placeWindow();
}

void frmTicker::picIcon_MouseUp(Qt::MouseButton, float, float) {
    state.settings.TICKER_TOP = float(windowTop);
    state.settings.TICKER_LEFT = float(windowLeft);
}

void frmTicker::mousePressEvent(QMouseEvent* event) {
    event->accept();
    Form_MouseDown(event->button());
}

bool frmTicker::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
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

void frmTicker::KeepOnTop() {
    setWindowTopmost(*this, state.settings.TICKER_TOPMOST_FLG);
}

void frmTicker::placeWindow() {
    move(twipsToPixels(windowLeft), twipsToPixels(windowTop));
}

int frmTicker::screenWidth() const {
    return state.seams.screen.widthTwips();
}

int frmTicker::scrollSpeed() const {
    return state.settings.NEWS_SCROLL_SPEED;
}
