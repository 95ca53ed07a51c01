#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>
#include <optional>
#include <utility>

#include "core/articlerecord.h"
#include "core/settings.h"
#include "ticker/tickerspeech.h"

class TickerHost;
class TickerPresentation;
struct AppState;

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
    // False while the window lies beyond the screen's edge (parked, stepping aside) or is
    // hidden: an article tick then shows nothing.
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
    // The colour (0xRRGGBB) of the headlines wipeHeadline and setHeadline put from now on;
    // none: the ticker's text colour.
    virtual void setHeadlineColour(std::optional<quint32>) {}
    // The play button shows whether the article timer was paused by the user.
    virtual void setPaused(bool paused) = 0;
    // A display rule holds the headline on display: the play button says so, and that it
    // lets the showing go on.
    virtual void setHeadlineHeld(bool /*held*/) {}
    virtual void setButtons(const TickerButtons& buttons) = 0;
    // The headline now on display (an entry's, or a text that stands instead of one), with
    // its site's title (empty for those texts): what assistive technology is told.
    virtual void announceHeadline(const QString& /*siteTitle*/, const QString& /*headline*/) {}
};

// Reasons for the showing not to move on by itself, besides the user's pause: they do not
// change the play button, and the showing goes on when the last one is lifted.
enum class TickerHold {
    Pointer,   // the pointer rests on the moving headlines
    Headline,  // a headline asks to stay (held by a rule)
};

// The colour (0xRRGGBB) a display rule gives the entry's headline; none when no rule does.
[[nodiscard]] std::optional<quint32> headlineColour(const ArticleRecord& entry);

// How an entry comes on display.
enum class EntryArrival {
    Wiped,     // its headline is wiped in (the article tick)
    AtOnce,    // its headline replaces the old one at once (<< and >>)
    Scrolled,  // it has come whole into a moving line, which draws its texts itself
    Again,     // the entry on display, drawn anew by another presentation: its texts at once
};

// A showing of the ticker over the articles the patrol queues: which entry is on display,
// when a pop-up round ends and the ticker hides, what the buttons do, and which texts the
// labels show. Holds no widget: it tells its TickerView what to draw and when to move. How
// entries come on screen (the wipe, the marquee) is its TickerPresentation's, which reports
// each entry that comes on display back through putOnDisplay.
//
// The showing is handed copies of the entries of NewsQueue (entries()): once taken, an entry
// is the showing's own, with its identity, site title and feed URL, whatever becomes of the
// queue's slot. Entries the patrol appends are taken at the next use, so those appended
// during a round are shown in it. Indices are 1-based (slot 0 is never used).
class TickerShowing {
public:
    // Presents with the wipe until usePresentation gives another.
    TickerShowing(AppState& state, TickerHost& host, TickerView& view);
    ~TickerShowing();
    TickerShowing(const TickerShowing&) = delete;
    TickerShowing& operator=(const TickerShowing&) = delete;

    // The headline of a window loaded afresh, before its first article.
    [[nodiscard]] static QString loadingText();

    // Starts a showing (permanent, or one round), restarts after ResetTicker, or turns a
    // running one-round showing permanent.
    void ShowForm(ShowMode intTickerModeSet);
    // Empties the queue and shows the waiting texts until the next ShowForm.
    void ResetTicker();
    // Entries left the queue; see TickerControl::queueEntriesMoved.
    void queueEntriesMoved(const QList<int>& moved);
    // The entry the next article tick shows; ignored unless 1 ≤ intNewIndex ≤ last index.
    void SetNewsIndex(qint16 intNewIndex);
    // The state of a window loaded afresh, and its texts.
    void load();
    // The state of a closed window: nothing on display, no showing.
    void unload();

    // The article timer's tick.
    void articleTick();
    // Pause or resume ("停" / "再"); on a held headline, lets the showing go on.
    void playPressed();
    // The entry before (after) the one on display, at once and paused; no wrap-around.
    // Before anything was on display, ">>" shows the first entry.
    void previousPressed();
    void nextPressed();
    // Opens the article list of the site on display, or closes an open one.
    void listPressed();
    // Ends the showing: the queue is emptied and the window hides.
    void hidePressed();

    // Puts a hold on or lifts it. While any hold is on, article ticks do nothing: the entry
    // on display stays and a pop-up round does not end. Lifting the pointer's hold starts
    // the article interval afresh.
    void setHold(TickerHold hold, bool on);
    [[nodiscard]] bool isHeld() const { return holds != 0; }
    [[nodiscard]] bool isHeld(TickerHold hold) const;
    // The user has dealt with the held headline on display (clicked it, stepped away from
    // it): its hold is lifted for good. False when no headline was held.
    bool releaseHeadline();

    // The presentation from now on. The old one ends; during a showing the new one goes on
    // from the entry on display.
    void usePresentation(std::unique_ptr<TickerPresentation> presentation);
    [[nodiscard]] TickerPresentation& presentation() { return *shown; }

    [[nodiscard]] qint16 nextIndex() const { return intNextIndex; }
    [[nodiscard]] qint16 shownIndex() const { return intShownIndex; }
    [[nodiscard]] const QString& currentLink() const { return strCurrentLink; }
    [[nodiscard]] ShowMode showMode() const { return intShowMode; }
    [[nodiscard]] bool isShowing() const { return blnShowing; }
    [[nodiscard]] bool isRoundDone() const { return blnRoundDone; }
    [[nodiscard]] bool isResetPending() const { return blnResetPending; }
    // The entries of the showing, with those the patrol has queued since the last look.
    [[nodiscard]] const ArticleArray& entries();
    // The entry at i (1 ≤ i ≤ entries().lastIndex()).
    [[nodiscard]] const ArticleRecord& entry(int i) { return entries()[i]; }
    // Ends the reading aloud of headlines (read-aloud turned off).
    void stopSpeaking() { speech.stop(); }

    // Site-table index of the site whose article list window is open; -1 = none (0 is a
    // site). The article list window reads it and sets it to -1 when it closes.
    qint16 intCallOPMLKey = -1;
    // The article of another source (an account) whose feed's article list window is open,
    // while intCallOPMLKey stays -1; the window reads it and resets it when it closes.
    std::optional<ArticleRecord> callArticle;
    // The article list window is open for a site or an account's feed.
    [[nodiscard]] bool isListOpen() const { return intCallOPMLKey >= 0 || callArticle; }

    // ---- for presentations ----------------------------------------------------------------

    [[nodiscard]] AppState& appState() { return state; }
    [[nodiscard]] TickerView& window() { return view; }
    // The time stamp and site title shown with an entry: the date and the site's title, or,
    // for an undated entry, the site's title alone in the time stamp's place.
    [[nodiscard]] std::pair<QString, QString> entryTexts(const ArticleRecord& entry) const;
    // The entry at index i is on display from now on: its texts (unless it scrolled in),
    // the link, its shown-list line, the buttons. Afterwards nextIndex() is i.
    void putOnDisplay(int i, EntryArrival arrival);
    void setNextIndex(int i) { intNextIndex = qint16(i); }
    // A one-round showing ends at the next article tick.
    void setRoundDone() { blnRoundDone = true; }
    [[nodiscard]] bool isOneRound() const { return intShowMode == ShowMode::OneRound; }
    // A single entry already on display is not shown again; an undated one leaves the site
    // title empty and so is shown at every tick.
    [[nodiscard]] bool isSingleEntryOnDisplay();
    // Stops the article timer; the play button then offers to resume.
    void pause();
    // Starts the article timer afresh after the user's pause; the entry after the one on
    // display comes next, or, past the last, a one-round showing ends.
    void resume();
    // Texts that stand instead of an entry (loading, waiting).
    void showStill(const QString& timeStamp, const QString& headline);
    void setStampAndSite(const QString& timeStamp, const QString& siteTitle);

private:
    void UpdateButtons();
    // Empties NewsQueue and the showing's entries.
    void emptyQueue();
    // Lifts the headline's hold without touching the entry (the queue has gone, or the
    // window closes).
    void dropHeadlineHold();

    AppState& state;
    TickerHost& host;
    TickerView& view;
    std::unique_ptr<TickerPresentation> shown;
    // Copies of NewsQueue's entries 1 … taken, made as they were queued.
    ArticleArray news;
    int taken = 0;
    // NewsQueue's fillingId() when the copies were taken.
    quint64 takenFrom = 0;
    // Reads each headline put on display aloud while TICKER_SPEAK is on.
    TickerSpeech speech;

    qint16 intNextIndex = 1;
    qint16 intShownIndex = -1;
    QString strCurrentLink;
    // OneRound: the showing ends after one round; Permanent: it cycles until closed.
    ShowMode intShowMode = ShowMode::Permanent;
    bool blnShowing = false;
    // A pop-up round has passed its last entry; the next article tick ends the showing.
    bool blnRoundDone = false;
    // ResetTicker emptied the queue; the next ShowForm restarts at entry 1.
    bool blnResetPending = false;
    // What the site-title label shows: a single entry on display is not shown again.
    QString siteTitle;
    // TickerHold bits.
    int holds = 0;
};
