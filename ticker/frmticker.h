#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>

#include "patrol/patrolhost.h"
#include "ticker/tickerband.h"
#include "ticker/tickercontrols.h"
#include "ticker/tickerkeyboard.h"
#include "ticker/tickerplacement.h"
#include "ticker/tickerscreens.h"
#include "ticker/tickershowing.h"
#include "ticker/tickersurface.h"

class MessageBoxSeam;
class QTimer;
class SiteIcons;
class TickerHost;
class TickerIcon;
class TickerSiteIcons;
class clsTransparency;
struct AppState;

// The news ticker: a small frameless window, or a band along a screen edge, that shows the
// articles of NewsQueue, slides in and out in pop-up mode, and hosts the surface of the
// presentation the settings name (the wipe, the marquee), which brings the headlines in.
// Created once and never destroyed while the program runs: a close request parks and resets
// it. A parked ticker is hidden and lies beyond every screen.
//
// Which article is shown when is decided by its TickerShowing and the presentation it
// holds; the window runs the timers, slides, and passes what the showing draws on to the
// surface. Geometry is kept in twips; widget pixels are derived from them. The icon at the
// left, the surface from there to the buttons, the buttons (TickerControls) at the right
// end. The screens come from state.seams.screen; the ticker's is TICKER_SCREEN's.
class frmTicker : public QWidget, public TickerControl, private TickerView {
    Q_OBJECT
    // Declared first: intCallOPMLKey and callArticle below refer into it.
    TickerShowing showing;

public:
    static constexpr int kWidthTwips = kTickerWidthTwips;

    frmTicker(AppState& state, TickerHost& host, QWidget* parent = nullptr);
    ~frmTicker() override;

    // Starts a showing, restarts after ResetTicker, or turns a running one-round showing
    // permanent.
    void ShowForm(ShowMode intTickerModeSet) override { showing.ShowForm(intTickerModeSet); }
    // Empties the queue and shows the waiting text until the next ShowForm.
    void ResetTicker() override;
    void queueEntriesMoved(const QList<int>& moved) override;
    // The entry the next article tick shows; ignored unless 1 ≤ intNewIndex ≤ last index.
    void SetNewsIndex(qint16 intNewIndex) { showing.SetNewsIndex(intNewIndex); }
    // Applies the display settings: opacity, article interval, stacking, position, colours,
    // and the placement, screen and presentation.
    void AfterInit();
    // Resets the showing state and parks the window off screen.
    void Form_Load();
    // What a close request does instead of destroying the window: park and reset.
    void Form_Unload();

    // Timer handlers; tests call them directly.
    void tmrNextNews_Timer() { showing.articleTick(); }
    void tmrDynamic_Timer();
    void tmrPause_Timer();

    // Brings the ticker's window to the front with the keyboard focus, so that its keys
    // drive it; nothing while the ticker is parked.
    void takeKeyboardFocus();
    // The article list or the settings dialog that the ticker opened has closed: a ticker
    // that had the keyboard then takes it back.
    void openedWindowClosed();

    // Shows the sites' icons from icons (null: none) by the headlines.
    void useSiteIcons(SiteIcons* icons);

    // Puts the ticker on the screen of that name (TICKER_SCREEN; empty: the primary) in the
    // settings record. The window's own place goes along at the same place relative to the
    // screen, or back to where it last was on that screen in this run. AfterInit applies it.
    void moveToScreen(const QString& name);

    void cmdPlay_Click() { showing.playPressed(); }
    // Spelt "Befor" on purpose: the name this handler and its button are known by.
    void cmdBefor_Click() { showing.previousPressed(); }
    void cmdNext_Click() { showing.nextPressed(); }
    void cmdShowList_Click();
    void cmdHide_Click() { showing.hidePressed(); }
    void cmdSetting_Click();
    void cmdWeb_Click();
    // A press on the window (not on a button, the icon or the wall): it steps aside.
    void Form_MouseDown(Qt::MouseButton Button);

    // Window geometry in twips.
    [[nodiscard]] int leftTwips() const { return windowLeft; }
    [[nodiscard]] int topTwips() const { return windowTop; }
    [[nodiscard]] int widthTwips() const { return windowWidth; }
    [[nodiscard]] int heightTwips() const { return windowHeight; }

    // The showing's state, read-only for other windows and tests.
    [[nodiscard]] qint16 nextIndex() const { return showing.nextIndex(); }
    [[nodiscard]] qint16 shownIndex() const { return showing.shownIndex(); }
    [[nodiscard]] const QString& currentLink() const { return showing.currentLink(); }
    [[nodiscard]] ShowMode showMode() const { return showing.showMode(); }
    // Parked: hidden, beyond every screen (closed, or stepping aside).
    [[nodiscard]] bool isParked() const { return parked; }
    // The X11 strut the band reserves (all zero when it reserves nothing), in pixels.
    [[nodiscard]] const std::array<int, 12>& reservedStrut() const { return band.strut(); }
    // The holds and presentation, for the windows and rules that extend the ticker.
    [[nodiscard]] TickerShowing& tickerShowing() { return showing; }
    [[nodiscard]] bool isShowing() const { return showing.isShowing(); }
    [[nodiscard]] bool isRoundDone() const { return showing.isRoundDone(); }
    [[nodiscard]] bool isResetPending() const { return showing.isResetPending(); }

    // The widgets, for the tests and the screenshots.
    [[nodiscard]] TickerSurface& surface() const { return *shownOn; }
    [[nodiscard]] const TickerControls& controls() const { return *buttons; }
    [[nodiscard]] TickerIcon* picIcon() const { return icon; }
    [[nodiscard]] QWidget* focusFrame() const { return keyboard->frame(); }

    // Site-table index of the site whose article list window is open; -1 = none. The
    // article list window reads it and sets it to -1 when it closes.
    qint16& intCallOPMLKey;
    // The account's article whose feed's article list window is open (intCallOPMLKey is
    // -1 then); the window reads it and resets it when it closes.
    std::optional<ArticleRecord>& callArticle;
    // Running animations: kSlideIn | kSurface | kSlideOut; tmrDynamic runs while not 0.
    int intDynamicFlags = 0;
    // Enabled states of tmrDynamic and tmrNextNews saved while the ticker steps aside.
    std::array<bool, 2> blnTimerState{};
    std::unique_ptr<clsTransparency> objTransparency;

    static constexpr int kSlideIn = 1;
    // The surface's own animation (the wipe of a headline).
    static constexpr int kSurface = 2;
    static constexpr int kSlideOut = 4;

    QTimer* tmrDynamic = nullptr;
    QTimer* tmrNextNews = nullptr;
    QTimer* tmrPause = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // The pointer resting on the ticker holds the headline.
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // What the showing asks of the window.
    [[nodiscard]] bool isOnScreen() const override;
    [[nodiscard]] bool isArticleTimerRunning() const override;
    void setArticleTimer(bool running) override;
    void enterShowing() override;
    void leaveShowing() override { SlideOut(true); }
    void setStampAndSite(const QString& timeStamp, const QString& siteTitle) override {
        shownOn->setStampAndSite(timeStamp, siteTitle);
    }
    void wipeHeadline(const QString& headline) override;
    void endWipe() override;
    void setHeadline(const QString& headline) override {
        shownOn->setHeadline(headline, nextHeadlineColour);
    }
    void setHeadlineColour(std::optional<quint32> colour) override;
    void setPaused(bool paused) override;
    void setHeadlineHeld(bool held) override;
    void setButtons(const TickerButtons& enabled) override { buttons->setButtons(enabled); }
    void announceHeadline(const QString& siteTitle, const QString& headline) override;

    // Starts a stopped timer (a whole interval from now) or stops it; a running timer
    // keeps its phase.
    static void setTimerEnabled(QTimer* timer, bool enabled);
    void buildWidgets();
    void controlClicked(TickerControls::Command command);
    // Places every widget for the window's width: the design's places for the design's
    // width; in a wider band the surface stretches and the buttons keep to the right end.
    void layoutWidgets();
    // Hosts the surface of the presentation TICKER_MARQUEE names.
    void choosePresentation();
    void hostSurface(TickerSurface* surface);
    void openHeadline(int index);
    void SlideIn(bool start);
    void SlideOut(bool start);
    void StepAside();
    void keepOnTop();
    void startAnimation(int flag);
    void finishAnimation(int flag);
    void applyColors(qint32 backColor, qint32 foreColor);
    void applyWindowColors(const QColor& back, const QColor& fore);
    // Moves the native window to the twips; a parked window is hidden and put beyond every
    // screen, whatever the window manager does with windows moved off screen.
    void placeWindow();
    void park(const TickerGeometry& geometry);
    void mapWindow();
    // The band's dock type and strut, as the placement and mode want them.
    void applyDock();
    // Where the settings put a ticker on screen; nothing for a parked one.
    void placeForSettings();
    void screensChanged();
    void dragBy(QPoint twips);
    void dragEnded();
    [[nodiscard]] TickerGeometry placementGeometry() const;
    [[nodiscard]] bool isDockedBand() const;
    [[nodiscard]] int scrollSpeed() const;

    AppState& state;
    TickerHost& host;
    // The opacity refusal of objTransparency: shown once per run, after the current handler.
    std::unique_ptr<MessageBoxSeam> opacityMessage;
    TickerScreens screens;
    TickerBand band;
    TickerIcon* icon = nullptr;
    TickerSurface* shownOn = nullptr;
    TickerControls* buttons = nullptr;
    TickerKeyboard* keyboard = nullptr;
    TickerSiteIcons* siteIcons = nullptr;

    // Twips are the truth; pixels are derived, so the slide arithmetic stays exact.
    int windowLeft = 0;
    int windowTop = 0;
    int windowWidth = kWidthTwips;
    int windowHeight = kTickerHeightTwips;
    bool parked = true;
    // Stepped aside: tmrPause brings it back.
    bool steppedAside = false;
    TickerPlacement placedAs = TickerPlacement::Window;
    // The colours the settings gave, for a surface hosted later; none before AfterInit.
    std::optional<std::pair<QColor, QColor>> colours;
    // The name of the headline on display, for a surface hosted later.
    QString headlineName;
    // The colour of the next headline put (invalid: the text colour).
    QColor nextHeadlineColour;
    bool pausedByUser = false;
    bool heldByRule = false;
};
