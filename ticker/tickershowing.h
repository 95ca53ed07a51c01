#pragma once

#include <QString>
#include <QtGlobal>

class TickerHost;
struct AppState;
struct ArticleRecord;

// Enabled states of the buttons that depend on the entry on display.
struct TickerButtons {
    bool web = false;       // cmdWeb: the entry has a link
    bool previous = false;  // cmdBefor: an entry before it
    bool next = false;      // cmdNext: an entry after it
    bool showList = false;  // cmdShowList
    bool operator==(const TickerButtons&) const = default;
};

// What a showing asks of the window that draws it.
class TickerView {
public:
    virtual ~TickerView() = default;
    // False while the window lies beyond the screen's right edge (parked, stepping aside) or
    // is hidden: an article tick then shows nothing.
    [[nodiscard]] virtual bool isOnScreen() const = 0;
    [[nodiscard]] virtual bool isArticleTimerRunning() const = 0;
    // Starts the article timer when it is stopped (a whole interval from now), or stops it.
    virtual void setArticleTimer(bool running) = 0;
    // Makes the window visible, loads it afresh (Form_Load, which calls load()) and brings
    // it on screen with the current settings.
    virtual void enterShowing() = 0;
    // Starts the hide; once the window is off screen it is unloaded (unload()).
    virtual void leaveShowing() = 0;
    virtual void setStampAndSite(const QString& timeStamp, const QString& siteTitle) = 0;
    // Wipes a new headline in over the old one. An empty headline starts no wipe: the
    // headline becomes empty, or a running wipe ends on an empty headline.
    virtual void wipeHeadline(const QString& headline) = 0;
    // Ends a running headline wipe at once; the headline keeps what it shows.
    virtual void endWipe() = 0;
    virtual void setHeadline(const QString& headline) = 0;
    // The play button shows whether the article timer was paused by the user.
    virtual void setPaused(bool paused) = 0;
    virtual void setButtons(const TickerButtons& buttons) = 0;
};

// A showing of the ticker over NewsQueue: which entry the next article tick shows, when a
// pop-up round ends and the ticker hides, what the buttons do, and which texts the labels
// show. Holds no widget: it tells its TickerView what to draw and when to move.
//
// Queue indices are 1-based (slot 0 of NewsQueue is never used). The last index is read
// afresh at every use, so entries the patrol appends during a round are shown in it.
class TickerShowing {
public:
    TickerShowing(AppState& state, TickerHost& host, TickerView& view);
    TickerShowing(const TickerShowing&) = delete;
    TickerShowing& operator=(const TickerShowing&) = delete;

    // The headline of a window loaded afresh, before its first article.
    [[nodiscard]] static QString loadingText();

    // Starts a showing (0 permanent, 1 one round), restarts after ResetTicker, or turns a
    // running pop-up showing permanent (0).
    void ShowForm(qint16 intTickerModeSet);
    // Empties the queue and shows the waiting texts until the next ShowForm.
    void ResetTicker();
    // The entry the next article tick shows; ignored unless 1 ≤ intNewIndex ≤ last index.
    void SetNewsIndex(qint16 intNewIndex);
    // The state of a window loaded afresh, and its texts.
    void load();
    // The state of a closed window: nothing on display, no showing.
    void unload();

    // The article timer's tick.
    void articleTick();
    // Pause or resume ("停" / "再").
    void playPressed();
    // The entry before (after) the one on display, at once and paused; no wrap-around.
    void previousPressed();
    void nextPressed();
    // Opens the article list of the site on display, or closes an open one.
    void listPressed();
    // Ends the showing: the queue is emptied and the window hides.
    void hidePressed();

    [[nodiscard]] qint16 nextIndex() const { return intNextIndex; }
    [[nodiscard]] qint16 shownIndex() const { return intShownIndex; }
    [[nodiscard]] const QString& currentLink() const { return strCurrentLink; }
    [[nodiscard]] qint16 showMode() const { return intShowMode; }
    [[nodiscard]] bool isShowing() const { return blnShowing; }
    [[nodiscard]] bool isRoundDone() const { return blnRoundDone; }
    [[nodiscard]] bool isResetPending() const { return blnResetPending; }

    // Site-table index of the site whose article list window is open; -1 = none (0 is a
    // site). The article list window reads it and sets it to -1 when it closes.
    qint16 intCallOPMLKey = -1;

private:
    // Shows the entry at intNextIndex at once, without a wipe and without advancing.
    void DisplayNews();
    void UpdateButtons();
    void showEntryTexts(const ArticleRecord& entry);
    void setStampAndSite(const QString& timeStamp, const QString& siteTitle);
    // Stops the article timer; the play button then offers to resume.
    void pause();

    AppState& state;
    TickerHost& host;
    TickerView& view;

    qint16 intNextIndex = 1;
    qint16 intShownIndex = -1;
    QString strCurrentLink;
    // 1: the showing ends after one round; 0: it cycles until closed.
    qint16 intShowMode = 0;
    bool blnShowing = false;
    // A pop-up round has passed its last entry; the next article tick ends the showing.
    bool blnRoundDone = false;
    // ResetTicker emptied the queue; the next ShowForm restarts at entry 1.
    bool blnResetPending = false;
    // What the site-title label shows: a single entry on display is not shown again.
    QString siteTitle;
};
