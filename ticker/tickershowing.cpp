#include "ticker/tickershowing.h"

#include <QCoreApplication>

#include "core/appstate.h"
#include "core/articlesource.h"
#include "core/newsdate.h"
#include "core/shownstore.h"
#include "rules/displayrule.h"
#include "ticker/tickerhost.h"
#include "ticker/tickerpresentation.h"

namespace {

// Headline while an all-sites patrol refills the emptied queue.
constexpr char kWaitingText[] =
    QT_TRANSLATE_NOOP("TickerShowing", "再巡回中です // しばらくお待ちください");
// Time stamp during that wait. "Ruorvane3" is deliberate, not a misspelt Quorvane3: users
// know the waiting ticker by this text.
const QString kWaitingStamp = QStringLiteral("Ruorvane3");

int holdBit(TickerHold hold) {
    switch (hold) {
        case TickerHold::Pointer:
            return 1;
        case TickerHold::Headline:
            return 2;
    }
    return 0;
}

}  // namespace

std::optional<quint32> headlineColour(const ArticleRecord& entry) {
    if (entry.Display != RuleAction::Highlight) {
        return std::nullopt;
    }
    return entry.HighlightColour;
}

TickerShowing::TickerShowing(AppState& appState, TickerHost& tickerHost, TickerView& tickerView)
    : state(appState),
      host(tickerHost),
      view(tickerView),
      shown(std::make_unique<WipePresentation>(*this)),
      speech(appState) {}

TickerShowing::~TickerShowing() = default;

QString TickerShowing::loadingText() {
    return QCoreApplication::translate("TickerShowing", "読み込み中です...");
}

// ---- the showing ------------------------------------------------------------------------

void TickerShowing::ShowForm(ShowMode intTickerModeSet) {
    if (blnResetPending) {
        blnResetPending = false;
        intNextIndex = 1;
        intShownIndex = -1;
        intCallOPMLKey = -1;
        callArticle.reset();
        // The restart begins a new round: a round that had ended before the reset must
        // not end the showing before the new entries were shown.
        blnRoundDone = false;
        shown->begin();
        view.setArticleTimer(true);
    } else if (!blnShowing) {
        intShowMode = intTickerModeSet;
        // Loading clears blnRoundDone; a one-entry pop-up round may end in this tick.
        view.enterShowing();
        shown->begin();
        view.setArticleTimer(true);
        blnShowing = true;
    } else if (intTickerModeSet == ShowMode::Permanent) {
        intShowMode = ShowMode::Permanent;
    }
}

void TickerShowing::ResetTicker() {
    speech.stop();
    dropHeadlineHold();
    view.setArticleTimer(false);
    shown->end();
    emptyQueue();
    blnResetPending = true;
    showStill(kWaitingStamp, QCoreApplication::translate("TickerShowing", kWaitingText));
    strCurrentLink.clear();
    UpdateButtons();
}

void TickerShowing::queueEntriesMoved(const QList<int>& moved) {
    if (moved.isEmpty()) {
        return;
    }
    const int oldCount = int(moved.size());
    // The showing's copies of the entries it took are the queue's first entries, in order:
    // the same ones go.
    ArticleArray kept;
    for (int i = 1; i <= news.lastIndex() && i < oldCount; ++i) {
        if (moved[i] > 0) {
            kept.append(news[i]);
        }
    }
    news = kept;
    taken = news.lastIndex();
    // The next entry is the first one left at or after the old next.
    if (intNextIndex >= 1 && intNextIndex < oldCount) {
        int i = intNextIndex;
        while (i < oldCount && moved[i] == 0) {
            ++i;
        }
        intNextIndex = qint16(i < oldCount ? moved[i] : 1);
    } else if (intNextIndex >= oldCount) {
        intNextIndex = 1;
    }
    if (intShownIndex >= 1 && intShownIndex < oldCount) {
        intShownIndex = moved[intShownIndex] > 0 ? qint16(moved[intShownIndex]) : qint16(-1);
    }
    if (blnShowing && !blnResetPending) {
        shown->entriesRenumbered();
    }
    UpdateButtons();
}

void TickerShowing::SetNewsIndex(qint16 intNewIndex) {
    if (intNewIndex >= 1 && intNewIndex <= entries().lastIndex()) {
        intNextIndex = intNewIndex;
    }
}

void TickerShowing::load() {
    dropHeadlineHold();
    blnShowing = false;
    blnRoundDone = false;
    blnResetPending = false;
    intNextIndex = 1;
    intShownIndex = -1;
    intCallOPMLKey = -1;
    callArticle.reset();
    shown->end();
    showStill(state.exeBaseName(), loadingText());
}

void TickerShowing::unload() {
    speech.stop();
    dropHeadlineHold();
    holds = 0;
    blnShowing = false;
    blnRoundDone = false;
    blnResetPending = false;
    intShowMode = ShowMode::Permanent;
    intNextIndex = 0;
    intShownIndex = 0;
    strCurrentLink.clear();
    shown->end();
}

void TickerShowing::usePresentation(std::unique_ptr<TickerPresentation> presentation) {
    shown->end();
    shown = std::move(presentation);
    if (blnShowing && !blnResetPending) {
        if (intShownIndex >= 1 && intShownIndex <= entries().lastIndex()) {
            intNextIndex = intShownIndex;
        }
        shown->begin();
    } else {
        showStill(blnResetPending ? kWaitingStamp : state.exeBaseName(),
                  blnResetPending ? QCoreApplication::translate("TickerShowing", kWaitingText)
                                  : loadingText());
    }
}

void TickerShowing::setHold(TickerHold hold, bool on) {
    const int before = holds;
    holds = on ? holds | holdBit(hold) : holds & ~holdBit(hold);
    if ((before != 0) != (holds != 0)) {
        shown->holdChanged();
    }
    if (hold == TickerHold::Headline && ((before ^ holds) & holdBit(hold)) != 0) {
        view.setHeadlineHeld(on);
        UpdateButtons();
    }
    if (hold == TickerHold::Pointer && !on && (before & holdBit(hold)) != 0 &&
        view.isArticleTimerRunning()) {
        // The pointer has left: a whole interval before the next headline.
        view.setArticleTimer(false);
        view.setArticleTimer(true);
    }
}

bool TickerShowing::isHeld(TickerHold hold) const {
    return (holds & holdBit(hold)) != 0;
}

bool TickerShowing::releaseHeadline() {
    if (!isHeld(TickerHold::Headline)) {
        return false;
    }
    if (intShownIndex >= 1 && intShownIndex <= entries().lastIndex()) {
        // Dealt with for good: the same article queued again by a later patrol is not held
        // a second time.
        const QString identity = news[intShownIndex].Identity;
        const int account = news[intShownIndex].Account;
        for (int i = 1; i <= news.lastIndex() && !identity.isEmpty(); ++i) {
            ArticleRecord& other = news[i];
            if (other.Display == RuleAction::Hold && other.Identity == identity &&
                other.Account == account) {
                other.Display = RuleAction::Show;
            }
        }
        news[intShownIndex].Display = RuleAction::Show;
    }
    setHold(TickerHold::Headline, false);
    return true;
}

void TickerShowing::dropHeadlineHold() {
    if (isHeld(TickerHold::Headline)) {
        setHold(TickerHold::Headline, false);
    }
}

// ---- the article tick -------------------------------------------------------------------

void TickerShowing::articleTick() {
    // A held headline stays, and a pop-up round does not end under it.
    if (isHeld()) {
        return;
    }
    if (blnRoundDone) {
        view.setArticleTimer(false);
        if (isListOpen()) {
            // The article list is open: wait, and look again one interval later.
            resume();
            return;
        }
        blnShowing = false;
        shown->end();
        emptyQueue();
        intCallOPMLKey = -1;
        callArticle.reset();
        host.closeArticleList();
        view.leaveShowing();
        return;
    }
    shown->articleTick();
}

const ArticleArray& TickerShowing::entries() {
    const ArticleArray& queue = state.NewsQueue;
    if (queue.fillingId() != takenFrom) {
        // Emptied (or replaced) since the last look: the showing's entries go with it.
        news.clear();
        taken = 0;
        takenFrom = queue.fillingId();
    }
    for (; taken < queue.lastIndex() && !news.isFull(); ++taken) {
        news.append(queue[taken + 1]);
    }
    return news;
}

void TickerShowing::emptyQueue() {
    state.NewsQueue.clear();
    news.clear();
    taken = 0;
    takenFrom = state.NewsQueue.fillingId();
}

bool TickerShowing::isSingleEntryOnDisplay() {
    return !siteTitle.isEmpty() && entries().lastIndex() <= 1;
}

void TickerShowing::putOnDisplay(int i, EntryArrival arrival) {
    // The entry on display may have gone with the queue (ResetTicker): nothing to show.
    if (i < 1 || i > entries().lastIndex()) {
        return;
    }
    intNextIndex = qint16(i);
    ArticleRecord& entry = news[i];
    if (arrival != EntryArrival::Scrolled) {
        view.setHeadlineColour(headlineColour(entry));
    }
    switch (arrival) {
        case EntryArrival::Wiped:
            view.wipeHeadline(entry.Title);
            break;
        case EntryArrival::Again:
        case EntryArrival::AtOnce:
            // A wipe still running would otherwise put the previous headline back when it
            // ends.
            view.endWipe();
            view.setHeadline(entry.Title);
            break;
        case EntryArrival::Scrolled:
            break;
    }
    const auto [stamp, site] = entryTexts(entry);
    setStampAndSite(stamp, site);
    if (arrival == EntryArrival::Again) {
        // Already announced, read aloud, recorded and held.
        return;
    }
    const QString& siteName = entry.SiteTitle;
    view.announceHeadline(siteName, entry.Title);
    if (state.settings.TICKER_SPEAK) {
        // A headline the user stepped to is read at once; one that came by itself waits for
        // the one being read.
        speech.headline(siteName, entry.Title, arrival == EntryArrival::AtOnce);
    }
    intShownIndex = qint16(i);
    strCurrentLink = entry.Link;
    const bool held = entry.Display == RuleAction::Hold;
    if (entry.IsNew) {
        // Only queued here: the frame that brought the entry on display never waits for the
        // disk, and a line that cannot be written never stops the ticker.
        state.shownStore().RecordNewsShown(entry);
    }
    noteArticleShown(state.articleSources, entry);
    UpdateButtons();
    setHold(TickerHold::Headline, held);
}

std::pair<QString, QString> TickerShowing::entryTexts(const ArticleRecord& entry) const {
    const QString date = shownNewsDate(entry.PubDate);
    const QString& site = entry.SiteTitle;
    // Without a date the site title takes the time stamp's place.
    if (date.isEmpty()) {
        return {site, QString()};
    }
    return {date, site};
}

void TickerShowing::setStampAndSite(const QString& timeStamp, const QString& site) {
    siteTitle = site;
    view.setStampAndSite(timeStamp, site);
}

void TickerShowing::showStill(const QString& timeStamp, const QString& headline) {
    siteTitle.clear();
    shown->showStill(timeStamp, headline);
    view.announceHeadline(QString(), headline);
}

void TickerShowing::UpdateButtons() {
    const int last = entries().lastIndex();
    const int onDisplay = intShownIndex >= 1 && intShownIndex <= last ? intShownIndex : 0;
    TickerButtons buttons;
    buttons.web = !strCurrentLink.isEmpty();
    buttons.previous = onDisplay >= 2;
    // ">>" also lets a held headline go, the last one of a round too.
    buttons.next = onDisplay < last || isHeld(TickerHold::Headline);
    buttons.showList = true;
    view.setButtons(buttons);
}

// ---- buttons ----------------------------------------------------------------------------

void TickerShowing::pause() {
    speech.stop();
    view.setArticleTimer(false);
    view.setPaused(true);
}

void TickerShowing::resume() {
    view.setArticleTimer(true);
    view.setPaused(false);
    if (intShownIndex < entries().lastIndex()) {
        intNextIndex = qint16(intShownIndex + 1);
    } else if (intShowMode == ShowMode::OneRound) {
        blnRoundDone = true;
    }
}

void TickerShowing::playPressed() {
    // A held headline is what stops the ticker: play lets it go.
    if (releaseHeadline()) {
        shown->goOn();
        return;
    }
    shown->playPressed();
}

void TickerShowing::previousPressed() {
    releaseHeadline();
    shown->stepPressed(-1);
}

void TickerShowing::nextPressed() {
    const bool released = releaseHeadline();
    shown->stepPressed(1);
    if (released) {
        // The held headline has been read: the next one stays its interval and the showing
        // goes on by itself (or a round whose last headline it was ends).
        shown->goOn();
    }
}

void TickerShowing::listPressed() {
    const bool nothingShown = intShownIndex < 1 || intShownIndex > entries().lastIndex();
    if (isListOpen() || nothingShown) {
        intCallOPMLKey = -1;
        callArticle.reset();
        host.closeArticleList();
        return;
    }
    const ArticleRecord& entry = news[intShownIndex];
    intCallOPMLKey = entry.SiteIndex;
    // An account's article has no site row: the list is of its server feed.
    if (entry.SiteIndex < 0 && entry.Account != 0) {
        callArticle = entry;
    }
    host.openArticleList();
}

void TickerShowing::hidePressed() {
    speech.stop();
    dropHeadlineHold();
    view.setArticleTimer(false);
    shown->end();
    blnShowing = false;
    if (isListOpen()) {
        intCallOPMLKey = -1;
        callArticle.reset();
        host.closeArticleList();
    }
    emptyQueue();
    view.leaveShowing();
}
