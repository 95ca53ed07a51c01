#include "ticker/tickershowing.h"

#include <QCoreApplication>

#include "core/appstate.h"
#include "core/articlesource.h"
#include "patrol/shownlists.h"
#include "core/newsdate.h"
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
    state.NewsQueue.clear();
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
    // The running line holds the queue's indices of what it laid out: it is laid out anew
    // from the next entry.
    if (blnShowing && !blnResetPending && shown->kind() == TickerPresentationKind::Marquee) {
        shown->end();
        shown->begin();
    }
    UpdateButtons();
}

void TickerShowing::SetNewsIndex(qint16 intNewIndex) {
    if (intNewIndex >= 1 && intNewIndex <= state.NewsQueue.lastIndex()) {
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
        if (intShownIndex >= 1 && intShownIndex <= state.NewsQueue.lastIndex()) {
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
    if (intShownIndex >= 1 && intShownIndex <= state.NewsQueue.lastIndex()) {
        state.NewsQueue[intShownIndex].Display = RuleAction::Show;
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
        if (intCallOPMLKey >= 0) {
            // The article list is open: wait, and look again one interval later.
            resume();
            return;
        }
        blnShowing = false;
        shown->end();
        state.NewsQueue.clear();
        intCallOPMLKey = -1;
        host.closeArticleList();
        view.leaveShowing();
        return;
    }
    shown->articleTick();
}

bool TickerShowing::isSingleEntryOnDisplay() const {
    return !siteTitle.isEmpty() && state.NewsQueue.lastIndex() <= 1;
}

QString TickerShowing::siteNameOf(const ArticleRecord& entry) const {
    // An account's article has no row of the site table: it carries its feed's title.
    if (entry.Account != 0) {
        return entry.SiteTitle;
    }
    return state.SiteTable.isValidIndex(entry.SiteIndex) ? state.SiteTable[entry.SiteIndex].strTitle
                                                         : QString();
}

void TickerShowing::putOnDisplay(int i, EntryArrival arrival) {
    // The entry on display may have gone with the queue (ResetTicker): nothing to show.
    if (i < 1 || i > state.NewsQueue.lastIndex()) {
        return;
    }
    intNextIndex = qint16(i);
    const ArticleRecord& entry = state.NewsQueue[i];
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
    const QString siteName = siteNameOf(entry);
    view.announceHeadline(siteName, entry.Title);
    if (state.settings.TICKER_SPEAK) {
        // A headline the user stepped to is read at once; one that came by itself waits for
        // the one being read.
        speech.headline(siteName, entry.Title, arrival == EntryArrival::AtOnce);
    }
    intShownIndex = qint16(i);
    strCurrentLink = entry.Link;
    if (entry.IsNew) {
        // A shown-list line that cannot be written never stops the ticker; the entry
        // then stays new.
        RecordNewsShown(state, i);
    }
    noteArticleShown(state.articleSources, state.NewsQueue[i]);
    UpdateButtons();
    setHold(TickerHold::Headline, state.NewsQueue[i].Display == RuleAction::Hold);
}

std::pair<QString, QString> TickerShowing::entryTexts(const ArticleRecord& entry) const {
    const QString date = shownNewsDate(entry.PubDate);
    const QString site = siteNameOf(entry);
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
    const int last = state.NewsQueue.lastIndex();
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
    if (intShownIndex < state.NewsQueue.lastIndex()) {
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
    const bool nothingShown = intShownIndex < 1 || intShownIndex > state.NewsQueue.lastIndex();
    if (intCallOPMLKey >= 0 || nothingShown) {
        intCallOPMLKey = -1;
        host.closeArticleList();
        return;
    }
    intCallOPMLKey = state.NewsQueue[intShownIndex].SiteIndex;
    host.openArticleList();
}

void TickerShowing::hidePressed() {
    speech.stop();
    dropHeadlineHold();
    view.setArticleTimer(false);
    shown->end();
    blnShowing = false;
    if (intCallOPMLKey >= 0) {
        intCallOPMLKey = -1;
        host.closeArticleList();
    }
    state.NewsQueue.clear();
    view.leaveShowing();
}
