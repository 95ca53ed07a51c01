#pragma once

#include <QColor>
#include <QHash>
#include <QPointF>
#include <QRect>
#include <QString>
#include <QWidget>
#include <array>
#include <memory>
#include <vector>

#include "patrol/patrolhost.h"
#include "ticker/tickerlabel.h"
#include "ticker/tickerplacement.h"
#include "ticker/tickershowing.h"

class MarqueeStrip;
class MessageBoxSeam;
class QLabel;
class QTimer;
class ShapeFrame;
class TextButton;
class TickerHost;
class clsTransparency;
struct AppState;

// The news ticker: a small frameless window, or a band along a screen edge, that shows the
// articles of NewsQueue, slides in and out in pop-up mode and wipes each new headline in,
// or runs them past as a marquee. Created once and never destroyed while the program runs:
// a close request parks and resets it. A parked ticker is hidden and lies beyond every
// screen.
//
// Which article is shown when is decided by its TickerShowing and the presentation it
// holds; the window draws, runs the timers and animates. Geometry is kept in twips (the
// window's left/top/width and the wipe overlay's left/width); widget pixels are derived
// from them. The screens come from state.seams.screen; the ticker's is TICKER_SCREEN's.
class frmTicker : public QWidget, public TickerControl, private TickerView {
    Q_OBJECT
    // Declared first: intCallOPMLKey below refers into it.
    TickerShowing showing;

public:
    static constexpr int kWidthTwips = kTickerWidthTwips;
    static constexpr int kHeightTwips = kTickerHeightTwips;

    frmTicker(AppState& state, TickerHost& host, QWidget* parent = nullptr);
    ~frmTicker() override;

    // Starts a showing, restarts after ResetTicker, or turns a running one-round showing
    // permanent.
    void ShowForm(ShowMode intTickerModeSet) override;
    // Empties the queue and shows the waiting text until the next ShowForm.
    void ResetTicker() override;
    void queueEntriesMoved(const QList<int>& moved) override;
    // The entry the next article tick shows; ignored unless 1 ≤ intNewIndex ≤ last index.
    void SetNewsIndex(qint16 intNewIndex);
    // Applies the display settings: opacity, article interval, stacking, position, colours,
    // and the placement, screen and presentation.
    void AfterInit();
    // Resets the showing state and parks the window off screen.
    void Form_Load();
    // What a close request does instead of destroying the window: park and reset.
    void Form_Unload();

    // Timer handlers; tests call them directly.
    void tmrNextNews_Timer();
    void tmrDynamic_Timer();
    void tmrPause_Timer();

    // Brings the ticker's window to the front with the keyboard focus, so that its keys
    // drive it; nothing while the ticker is parked.
    void takeKeyboardFocus();
    // The article list or the settings dialog that the ticker opened has closed: a ticker
    // that had the keyboard then takes it back.
    void openedWindowClosed();

    // Puts the ticker on the screen of that name (TICKER_SCREEN; empty: the primary) in the
    // settings record. The window's own place goes along at the same place relative to the
    // screen, or back to where it last was on that screen in this run. AfterInit applies it.
    void moveToScreen(const QString& name);

    void cmdPlay_Click();
    // Spelt "Befor" on purpose: the name this handler and its button are known by.
    void cmdBefor_Click();
    void cmdNext_Click();
    void cmdShowList_Click();
    void cmdHide_Click();
    void cmdSetting_Click();
    void cmdWeb_Click();

    void Form_MouseDown(Qt::MouseButton Button);
    void lblNews_MouseDown(Qt::MouseButton Button);
    void lblSiteTitle_MouseDown(Qt::MouseButton Button);
    void lblTimeStamp_MouseDown(Qt::MouseButton Button);
    // Mouse positions within picIcon, in twips.
    void picIcon_MouseDown(Qt::MouseButton Button, float X, float Y);
    void picIcon_MouseMove(Qt::MouseButtons Button, float X, float Y);
    void picIcon_MouseUp(Qt::MouseButton Button, float X, float Y);

    // Window geometry in twips.
    [[nodiscard]] int leftTwips() const { return windowLeft; }
    [[nodiscard]] int topTwips() const { return windowTop; }
    [[nodiscard]] int widthTwips() const { return windowWidth; }
    [[nodiscard]] int heightTwips() const { return kHeightTwips; }
    // The headline and its wipe overlay, in twips within the window.
    [[nodiscard]] int lblNewsLeftTwips() const { return kNewsLeft; }
    [[nodiscard]] int lblNewsWidthTwips() const { return newsWidth(); }
    [[nodiscard]] int lblNewsOverLeftTwips() const { return newsOverLeft; }
    [[nodiscard]] int lblNewsOverWidthTwips() const { return newsOverWidth; }

    // The showing's state, read-only for other windows and tests.
    [[nodiscard]] qint16 nextIndex() const { return showing.nextIndex(); }
    [[nodiscard]] qint16 shownIndex() const { return showing.shownIndex(); }
    [[nodiscard]] const QString& currentLink() const { return showing.currentLink(); }
    [[nodiscard]] ShowMode showMode() const { return showing.showMode(); }
    // Parked: hidden, beyond every screen (closed, or stepping aside).
    [[nodiscard]] bool isParked() const { return parked; }
    // The X11 strut the band reserves (all zero when it reserves nothing), in pixels.
    [[nodiscard]] const std::array<int, 12>& reservedStrut() const { return strut; }
    // The holds and presentation, for the windows and rules that extend the ticker.
    [[nodiscard]] TickerShowing& tickerShowing() { return showing; }
    [[nodiscard]] bool isShowing() const { return showing.isShowing(); }
    [[nodiscard]] bool isRoundDone() const { return showing.isRoundDone(); }
    [[nodiscard]] bool isResetPending() const { return showing.isResetPending(); }

    // Site-table index of the site whose article list window is open; -1 = none. The
    // article list window reads it and sets it to -1 when it closes.
    qint16& intCallOPMLKey;
    // Running animations: kSlideIn | kWipe | kSlideOut; tmrDynamic runs while not 0.
    int intDynamicFlags = 0;
    // Enabled states of tmrDynamic and tmrNextNews saved while the ticker steps aside.
    std::array<bool, 2> blnTimerState{};
    // Where a drag of picIcon started, in twips within picIcon.
    float sngDragX = 0;
    float sngDragY = 0;
    std::unique_ptr<clsTransparency> objTransparency;

    static constexpr int kSlideIn = 1;
    static constexpr int kWipe = 2;
    static constexpr int kSlideOut = 4;

    QLabel* picIcon = nullptr;
    TickerLabel* lblTimeStamp = nullptr;
    TickerLabel* lblSiteTitle = nullptr;
    QWidget* lineTicker = nullptr;
    TickerLabel* lblNews = nullptr;
    TickerLabel* lblNewsOver = nullptr;
    QLabel* lblWall = nullptr;
    TextButton* cmdPlay = nullptr;
    TextButton* cmdBefor = nullptr;
    TextButton* cmdNext = nullptr;
    TextButton* cmdShowList = nullptr;
    TextButton* cmdSetting = nullptr;
    TextButton* cmdHide = nullptr;
    TextButton* cmdWeb = nullptr;
    std::array<ShapeFrame*, 7> shpButton{};
    QTimer* tmrDynamic = nullptr;
    QTimer* tmrNextNews = nullptr;
    QTimer* tmrPause = nullptr;
    // The marquee's band, in place of the two lines while the marquee runs.
    MarqueeStrip* marquee = nullptr;
    // Drawn around the window while it has the keyboard focus.
    QWidget* focusFrame = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // The pointer resting on the ticker holds the headline.
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // With the focus on the ticker: Space 停/再, Left <<, Right >>, Enter web, L 覧, S 設,
    // Esc 閉.
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    static constexpr int kNewsLeft = 360;
    static constexpr int kNewsWidth = 6240;

    // How a widget follows a band wider than the design's window.
    enum class Anchor {
        Left,     // stays
        Stretch,  // grows by the extra width
        Right,    // moves right by it
    };
    struct Placed {
        QWidget* widget;
        int left, top, width, height;
        Anchor anchor;
    };

    // What the showing asks of the window.
    [[nodiscard]] bool isOnScreen() const override;
    [[nodiscard]] bool isArticleTimerRunning() const override;
    void setArticleTimer(bool running) override;
    void enterShowing() override;
    void leaveShowing() override;
    void setStampAndSite(const QString& timeStamp, const QString& siteTitle) override;
    void wipeHeadline(const QString& headline) override;
    void endWipe() override;
    void setHeadline(const QString& headline) override;
    void setHeadlineColour(std::optional<quint32> colour) override;
    void setPaused(bool paused) override;
    void setHeadlineHeld(bool held) override;
    // The play button's caption, name and tip for the user's pause and a rule's hold.
    void showPlayState();
    void setButtons(const TickerButtons& buttons) override;
    void announceHeadline(const QString& siteTitle, const QString& headline) override;
    // What a screen reader says for each control, and the texts it reads.
    void nameForAssistiveTechnology();

    // Starts a stopped timer (a whole interval from now) or stops it; a running timer
    // keeps its phase.
    static void setTimerEnabled(QTimer* timer, bool enabled);
    void buildWidgets();
    // Places every widget for the window's width: the design's places for the design's
    // width; in a wider band the texts stretch and the buttons keep to the right end.
    void layoutWidgets();
    void placeAt(QWidget* widget, int left, int top, int width, int height, Anchor anchor);
    // The presentation TICKER_MARQUEE names, and the widgets it draws with.
    void choosePresentation();
    void openHeadline(int index);
    void SlideIn(bool start);
    void SlideOut(bool start);
    // Starts the wipe of a new headline. An empty text starts nothing: the headline
    // becomes empty, or, while a wipe runs, that wipe ends on an empty headline.
    void WipeNews(const QString& text);
    void wipeNewsStep();
    void StepAside();
    void keepOnTop();
    void startAnimation(int flag);
    void finishAnimation(int flag);
    void applyColors(qint32 backColor, qint32 foreColor);
    // Moves the site title right of a time stamp too wide for its column.
    void fitSiteTitle();
    // Moves the native window to the twips; a parked window is hidden and put beyond every
    // screen, whatever the window manager does with windows moved off screen.
    void placeWindow();
    void park(const TickerGeometry& geometry);
    // Shows the window with what the window manager reads as it maps it.
    void mapWindow();
    void applyDesktops();
    // The band's dock type and strut, as the placement and mode want them.
    void applyDock();
    // Where the settings put a ticker on screen; nothing for a parked one.
    void placeForSettings();
    void screensChanged();
    void placeNewsOver();
    [[nodiscard]] TickerGeometry placementGeometry() const;
    // The always-shown window's top-left (twips) on the screen it is shown on: its own place,
    // or, while TICKER_SCREEN is not connected, that place moved onto the primary screen.
    [[nodiscard]] QPoint windowPlace() const;
    // TICKER_SCREEN names a screen that is not connected now.
    [[nodiscard]] bool isAwayFromItsScreen() const;
    void rememberScreens();
    [[nodiscard]] bool isDockedBand() const;
    [[nodiscard]] int newsWidth() const { return kNewsWidth + windowWidth - kWidthTwips; }
    [[nodiscard]] int scrollSpeed() const;

    AppState& state;
    TickerHost& host;
    // The opacity refusal of objTransparency: shown once per run, after the current handler.
    std::unique_ptr<MessageBoxSeam> opacityMessage;

    // Twips are the truth; pixels are derived, so the slide arithmetic stays exact.
    int windowLeft = 0;
    int windowTop = 0;
    int windowWidth = kWidthTwips;
    bool parked = true;
    TickerPlacement placedAs = TickerPlacement::Window;
    // Every screen connected in this run as last seen, in twips: where a window whose screen
    // went away was, relative to it.
    QHash<QString, QRect> seenScreens;
    // The window's own place on each screen it was moved away from in this run.
    QHash<QString, QPointF> keptPlaces;
    std::vector<Placed> layout;
    std::array<int, 12> strut{};
    bool dockApplied = false;
    bool onEveryDesktop = false;
    // The keyboard was handed to the ticker (the command, Tab) and no mouse button was pressed
    // on it since: only then is its frame drawn, not when a click made the window active.
    bool keyboardHandedOver = false;
    // The ticker had the keyboard when it opened the article list or the settings.
    bool keyboardGoesBack = false;
    // The marquee moved when the ticker stepped aside.
    bool marqueeWasMoving = false;
    // The colour of the next headline put (invalid: the text colour).
    QColor nextHeadlineColour;
    bool pausedByUser = false;
    bool heldByRule = false;
    int newsOverLeft = 6480;
    int newsOverWidth = 15;
};
