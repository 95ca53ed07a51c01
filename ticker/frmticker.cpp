#include "ticker/frmticker.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QTimer>
#include <algorithm>

#include "core/appstate.h"
#include "core/articlesource.h"
#include "platform/desktop/browser.h"
#include "platform/desktop/screeninfo.h"
#include "ticker/clstransparency.h"
#include "ticker/tickercolors.h"
#include "ticker/tickerhost.h"
#include "ticker/tickericon.h"
#include "ticker/tickerkeyboard.h"
#include "ticker/tickerpresentation.h"
#include "ticker/tickersiteicons.h"
#include "ticker/tickersurface.h"
#include "ui/oncelatermessage.h"
#include "ui/twipslayout.h"
#include "ui/uifont.h"

namespace {

// The icon's column and where the surface begins, in twips.
constexpr int kIconSide = 240;
constexpr int kSurfaceLeft = 360;
// The surface reaches under the buttons' right-hand column (cmdWeb's left edge).
constexpr int kSurfaceWidth = 6600 - kSurfaceLeft;

}  // namespace

frmTicker::frmTicker(AppState& appState, TickerHost& tickerHost, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint),
      showing(appState, tickerHost, *this),
      intCallOPMLKey(showing.intCallOPMLKey),
      callArticle(showing.callArticle),
      state(appState),
      host(tickerHost),
      opacityMessage(std::make_unique<OnceLaterMessageBox>(appState.seams.messageBox, *this)),
      screens(appState.settings, appState.seams.screen),
      band(*this, [this] {
          if (!parked && !isVisible()) {
              mapWindow();
          }
      }) {
    setObjectName(QStringLiteral("frmTicker"));
    setAccessibleName(tr("ニュースティッカー"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Never the active window, yet the one-glyph buttons need their tips on hover.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setFont(uiFont());
    setAutoFillBackground(true);
    buildWidgets();
    choosePresentation();
    setFixedSize(twipsToPixels(kWidthTwips), twipsToPixels(windowHeight));
    layoutWidgets();
    screens.remember();
    state.seams.screen.onScreensChanged([this] { screensChanged(); });
    // Start-up colours until AfterInit applies the settings.
    applyWindowColors(QColor(0, 0, 0), QColor(255, 255, 255));
    // AfterInit sets the real interval; never let the article timer run at 0 ms before.
    tmrNextNews->setInterval(std::max<int>(1, state.settings.NEWS_INTERVAL) * 1000);
    Form_Load();
}

frmTicker::~frmTicker() {
    state.seams.screen.onScreensChanged({});
}

void frmTicker::buildWidgets() {
    // Creation order is stacking order: later siblings lie in front. The surface, made by
    // choosePresentation, lies behind all of these.
    icon = new TickerIcon(this);
    connect(icon, &TickerIcon::dragged, this, &frmTicker::dragBy);
    connect(icon, &TickerIcon::released, this, &frmTicker::dragEnded);
    buttons = new TickerControls(*this);
    connect(buttons, &TickerControls::clicked, this, &frmTicker::controlClicked);

    auto timer = [this](const char* name, int interval, void (frmTicker::*handler)()) {
        auto* t = new QTimer(this);
        t->setObjectName(QLatin1String(name));
        t->setInterval(interval);
        connect(t, &QTimer::timeout, this, handler);
        return t;
    };
    tmrDynamic = timer("tmrDynamic", 15, &frmTicker::tmrDynamic_Timer);
    // Its interval is NEWS_INTERVAL seconds, set by AfterInit.
    tmrNextNews = timer("tmrNextNews", 1000, &frmTicker::tmrNextNews_Timer);
    tmrPause = timer("tmrPause", 3000, &frmTicker::tmrPause_Timer);

    keyboard = new TickerKeyboard(*this);
    // A press anywhere on the ticker puts it back in the mouse's hands (eventFilter).
    for (QWidget* child : findChildren<QWidget*>()) {
        child->installEventFilter(this);
    }
}

void frmTicker::controlClicked(TickerControls::Command command) {
    using C = TickerControls;
    static constexpr void (frmTicker::*kHandlers[C::kCommands])() = {
        &frmTicker::cmdPlay_Click,     &frmTicker::cmdBefor_Click,   &frmTicker::cmdNext_Click,
        &frmTicker::cmdShowList_Click, &frmTicker::cmdSetting_Click, &frmTicker::cmdHide_Click,
        &frmTicker::cmdWeb_Click,
    };
    (this->*kHandlers[command])();
}

void frmTicker::useSiteIcons(SiteIcons* icons) {
    delete siteIcons;
    siteIcons = new TickerSiteIcons(state, icons, this);
    icon->useSiteIcons(siteIcons);
    shownOn->useSiteIcons(siteIcons);
}

void frmTicker::layoutWidgets() {
    const int extra = windowWidth - kWidthTwips;
    placeTwips(icon, 0, 0, kIconSide, kIconSide);
    shownOn->placeInWindow(kSurfaceLeft, kSurfaceWidth + extra);
    buttons->layOut(extra);
    keyboard->layOut();
}

void frmTicker::choosePresentation() {
    const TickerPresentationKind kind = state.settings.TICKER_MARQUEE;
    if (shownOn != nullptr && showing.presentation().kind() == kind) {
        return;
    }
    TickerSurface* old = shownOn;
    hostSurface(makeTickerSurface(kind, this));
    showing.usePresentation(shownOn->present(showing));
    if (steppedAside) {
        showing.presentation().stepAside(true);
    }
    // The old presentation is gone with usePresentation; its surface may go now.
    delete old;
}

void frmTicker::hostSurface(TickerSurface* surface) {
    shownOn = surface;
    // Behind the icon and the buttons.
    surface->lower();
    connect(surface, &TickerSurface::headlineClicked, this, &frmTicker::openHeadline);
    connect(surface, &TickerSurface::pressedBeside, this,
            [this] { Form_MouseDown(Qt::LeftButton); });
    surface->installEventFilter(this);
    for (QWidget* child : surface->findChildren<QWidget*>()) {
        child->installEventFilter(this);
    }
    if (colours) {
        surface->setColors(colours->first, colours->second);
    }
    surface->announce(headlineName);
    surface->useSiteIcons(siteIcons);
    const int height = surface->heightTwips();
    if (height != windowHeight) {
        windowHeight = height;
        setFixedSize(twipsToPixels(windowWidth), twipsToPixels(windowHeight));
        placeWindow();
    }
    layoutWidgets();
    surface->show();
}

void frmTicker::openHeadline(int index) {
    if (index >= 1 && index <= showing.entries().lastIndex()) {
        if (index == showing.shownIndex()) {
            showing.releaseHeadline();
        }
        openFeedLink(state.seams.browser, showing.entry(index).Link);
        noteArticleOpened(state.articleSources, showing.entry(index));
    }
}

// ---- the showing: decided by TickerShowing ---------------------------------------------

void frmTicker::ResetTicker() {
    showing.ResetTicker();
    repaint();
}

void frmTicker::queueEntriesMoved(const QList<int>& moved) {
    showing.queueEntriesMoved(moved);
}

void frmTicker::takeKeyboardFocus() {
    if (!parked) {
        keyboard->takeFocus();
    }
}

void frmTicker::openedWindowClosed() {
    if (keyboard->takesKeysBack()) {
        // Once the closed window is gone, or the desktop hands the focus to the next window.
        QMetaObject::invokeMethod(this, &frmTicker::takeKeyboardFocus, Qt::QueuedConnection);
    }
}

void frmTicker::keyPressEvent(QKeyEvent* event) {
    if (buttons->pressKey(event->key(), event->modifiers())) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmTicker::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    keyboard->focusIn(event->reason());
}

void frmTicker::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    keyboard->focusOut();
}

void frmTicker::cmdShowList_Click() {
    keyboard->openingWindow();
    showing.listPressed();
}

void frmTicker::cmdSetting_Click() {
    keyboard->openingWindow();
    host.openTickerSettings();
}

void frmTicker::cmdWeb_Click() {
    if (!showing.currentLink().isEmpty()) {
        openFeedLink(state.seams.browser, showing.currentLink());
        const int shown = showing.shownIndex();
        if (shown >= 1 && shown <= state.NewsQueue.lastIndex() &&
            state.NewsQueue[shown].Link == showing.currentLink()) {
            noteArticleOpened(state.articleSources, state.NewsQueue[shown]);
        }
    }
}

// ---- what the showing draws: passed on to the surface -----------------------------------

bool frmTicker::isOnScreen() const {
    return !parked && isVisible();
}

bool frmTicker::isArticleTimerRunning() const {
    return tmrNextNews->isActive();
}

void frmTicker::setArticleTimer(bool running) {
    setTimerEnabled(tmrNextNews, running);
}

void frmTicker::enterShowing() {
    // Shown where the slide-in or the settings put it: mapped once, with its window type.
    Form_Load();
    SlideIn(true);
    AfterInit();
}

void frmTicker::wipeHeadline(const QString& headline) {
    if (shownOn->bringInHeadline(headline, nextHeadlineColour)) {
        startAnimation(kSurface);
    }
}

void frmTicker::endWipe() {
    if (intDynamicFlags & kSurface) {
        shownOn->finishAnimation();
        finishAnimation(kSurface);
    }
}

void frmTicker::setHeadlineColour(std::optional<quint32> colour) {
    nextHeadlineColour = colour ? QColor(QRgb(*colour)) : QColor();
}

void frmTicker::setPaused(bool paused) {
    pausedByUser = paused;
    buttons->showPlayState(pausedByUser, heldByRule);
}

void frmTicker::setHeadlineHeld(bool held) {
    heldByRule = held;
    buttons->showPlayState(pausedByUser, heldByRule);
}

void frmTicker::announceHeadline(const QString& siteTitle, const QString& headline) {
    // The name changes as the entry comes on display (the wipe draws it later): a screen
    // reader hears of the change and reads the new headline, with its site.
    QString name = headline.isEmpty() ? tr("（見出しなし）") : headline;
    if (!siteTitle.isEmpty()) {
        name = tr("%1：%2").arg(siteTitle, name);
    }
    headlineName = name;
    shownOn->announce(name);
    // An entry's site names it; the texts that stand instead of entries have none.
    const int i = showing.nextIndex();
    const bool entry = !siteTitle.isEmpty() && i >= 1 && i <= showing.entries().lastIndex();
    icon->showFeed(entry ? showing.entry(i).FeedUrl : QString());
}

// ---- loading, settings, unloading -------------------------------------------------------

void frmTicker::Form_Load() {
    showing.load();
    shownOn->clearAnimation();

    // Parked at the current placement's edge: a slide-in starts from there.
    placedAs = state.settings.TICKER_PLACEMENT;
    park(placementGeometry());
    keepOnTop();

    objTransparency = std::make_unique<clsTransparency>(*opacityMessage, state.exeBaseName());
    objTransparency->WndHandle(this);
}

void frmTicker::AfterInit() {
    const Settings& settings = state.settings;
    objTransparency->Opacity(settings.TICKER_TRANSPARENCY_LEVEL);
    tmrNextNews->setInterval(std::max<int>(1, settings.NEWS_INTERVAL) * 1000);
    keepOnTop();
    placeForSettings();
    choosePresentation();
    if (!settings.TICKER_SPEAK) {
        showing.stopSpeaking();
    }

    // A colour that is no 0x00BBGGRR value (a hand-edited file) leaves the colours as
    // they are, like any failure of this step.
    if (isBgrColor(settings.TICKER_BACK_COLOR) && isBgrColor(settings.TICKER_FORE_COLOR)) {
        applyColors(settings.TICKER_BACK_COLOR, settings.TICKER_FORE_COLOR);
    }
}

void frmTicker::applyColors(qint32 backColor, qint32 foreColor) {
    const QColor back = colorFromBgr(backColor);
    const QColor fore = colorFromBgr(foreColor);
    applyWindowColors(back, fore);
    colours = std::pair(back, fore);
    shownOn->setColors(back, fore);
}

void frmTicker::applyWindowColors(const QColor& back, const QColor& fore) {
    // Disabled buttons show their caption half way between the two colours.
    const QColor disabled((back.red() + fore.red()) / 2, (back.green() + fore.green()) / 2,
                          (back.blue() + fore.blue()) / 2);
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, back);
    windowPalette.setColor(QPalette::WindowText, fore);
    windowPalette.setColor(QPalette::Disabled, QPalette::WindowText, disabled);
    setPalette(windowPalette);
    buttons->setFrameColor(fore);
}

void frmTicker::Form_Unload() {
    park(placementGeometry());
    showing.unload();
    blnTimerState = {false, false};
    intDynamicFlags = 0;
    // A parked ticker runs no timer: a pending return from a step aside would bring
    // it back on screen, and an animation step would move it.
    tmrDynamic->stop();
    tmrNextNews->stop();
    tmrPause->stop();
    shownOn->finishAnimation();
    if (steppedAside) {
        steppedAside = false;
        showing.presentation().stepAside(false);
    }
}

void frmTicker::closeEvent(QCloseEvent* event) {
    event->ignore();
    Form_Unload();
}

void frmTicker::setTimerEnabled(QTimer* timer, bool enabled) {
    if (!enabled) {
        timer->stop();
    } else if (!timer->isActive()) {
        timer->start();
    }
}
