#include "ticker/tickershowing.h"

#include "core/appstate.h"
#include "patrol/articlestore.h"
#include "patrol/formats/feeddates.h"
#include "ticker/tickerhost.h"

namespace {

// Headline while an all-sites patrol refills the emptied queue.
const QString kWaitingText = QStringLiteral("再巡回中です // しばらくお待ちください");
// Time stamp during that wait. "Ruorvane3" is deliberate, not a misspelt Quorvane3: users
// know the waiting ticker by this text.
const QString kWaitingStamp = QStringLiteral("Ruorvane3");

}  // namespace

TickerShowing::TickerShowing(AppState& appState, TickerHost& tickerHost, TickerView& tickerView)
    : state(appState), host(tickerHost), view(tickerView) {}

QString TickerShowing::loadingText() {
    return QStringLiteral("読み込み中です...");
}

// ---- the showing ------------------------------------------------------------------------

void TickerShowing::ShowForm(qint16 intTickerModeSet) {
    if (blnResetPending) {
        blnResetPending = false;
        intNextIndex = 1;
        intShownIndex = -1;
        intCallOPMLKey = -1;
        // The restart begins a new round: a round that had ended before the reset must
        // not end the showing before the new entries were shown.
        blnRoundDone = false;
        articleTick();
        view.setArticleTimer(true);
    } else if (!blnShowing) {
        intShowMode = intTickerModeSet;
        // Loading clears blnRoundDone; a one-entry pop-up round may end in this tick.
        view.enterShowing();
        articleTick();
        view.setArticleTimer(true);
        blnShowing = true;
    } else if (intTickerModeSet == 0) {
        intShowMode = 0;
    }
}

void TickerShowing::ResetTicker() {
    view.setArticleTimer(false);
    state.NewsQueue.clear();
    blnResetPending = true;
    view.endWipe();
    view.setHeadline(kWaitingText);
    setStampAndSite(kWaitingStamp, QString());
    strCurrentLink.clear();
    UpdateButtons();
}

void TickerShowing::SetNewsIndex(qint16 intNewIndex) {
    if (intNewIndex >= 1 && intNewIndex <= state.NewsQueue.lastIndex()) {
        intNextIndex = intNewIndex;
    }
}

void TickerShowing::load() {
    blnShowing = false;
    blnRoundDone = false;
    blnResetPending = false;
    intNextIndex = 1;
    intShownIndex = -1;
    intCallOPMLKey = -1;
    setStampAndSite(state.exeBaseName(), QString());
    view.setHeadline(loadingText());
}

void TickerShowing::unload() {
    blnShowing = false;
    blnRoundDone = false;
    blnResetPending = false;
    intShowMode = 0;
    intNextIndex = 0;
    intShownIndex = 0;
    strCurrentLink.clear();
}

// ---- the article tick -------------------------------------------------------------------

void TickerShowing::articleTick() {
    if (blnRoundDone) {
        view.setArticleTimer(false);
        if (intCallOPMLKey >= 0) {
            // The article list is open: wait, and look again one interval later.
            playPressed();
            return;
        }
        blnShowing = false;
        state.NewsQueue.clear();
        intCallOPMLKey = -1;
        host.closeArticleList();
        view.leaveShowing();
        return;
    }

    const int last = state.NewsQueue.lastIndex();
    // A single entry already on display is not shown again; an undated one leaves the
    // site title empty and so is wiped in at every tick.
    const bool skip = !view.isOnScreen() || last == 0 || (!siteTitle.isEmpty() && last <= 1);
    if (skip) {
        if (intShowMode == 1) {
            blnRoundDone = true;
        }
        return;
    }

    int i = intNextIndex;
    if (i < 1 || i > last) {
        i = 1;
    }
    intNextIndex = qint16(i);
    const ArticleRecord& entry = state.NewsQueue[i];
    view.wipeHeadline(entry.Title);
    showEntryTexts(entry);
    intShownIndex = qint16(i);
    strCurrentLink = entry.Link;
    if (entry.IsNew) {
        // A shown-list line that cannot be written never stops the ticker; the entry
        // then stays new.
        RecordNewsShown(state, i);
    }
    UpdateButtons();
    view.setPaused(false);

    int next = i + 1;
    if (next > state.NewsQueue.lastIndex()) {
        next = 1;
        if (intShowMode == 1) {
            blnRoundDone = true;
        }
    }
    intNextIndex = qint16(next);
}

void TickerShowing::DisplayNews() {
    const int i = intNextIndex;
    // The entry on display may have gone with the queue (ResetTicker): nothing to show.
    if (i < 1 || i > state.NewsQueue.lastIndex()) {
        return;
    }
    // A wipe still running would otherwise put the previous headline back when it ends.
    view.endWipe();
    const ArticleRecord& entry = state.NewsQueue[i];
    showEntryTexts(entry);
    view.setHeadline(entry.Title);
    intShownIndex = qint16(i);
    strCurrentLink = entry.Link;
    if (entry.IsNew) {
        RecordNewsShown(state, i);
    }
    UpdateButtons();
}

void TickerShowing::showEntryTexts(const ArticleRecord& entry) {
    const QString date = FormatNewsDate(entry.PubDate);
    const QString site = state.SiteTable.isValidIndex(entry.SiteIndex)
                             ? state.SiteTable[entry.SiteIndex].strTitle
                             : QString();
    // Without a date the site title takes the time stamp's place.
    if (date.isEmpty()) {
        setStampAndSite(site, QString());
    } else {
        setStampAndSite(date, site);
    }
}

void TickerShowing::setStampAndSite(const QString& timeStamp, const QString& site) {
    siteTitle = site;
    view.setStampAndSite(timeStamp, site);
}

void TickerShowing::UpdateButtons() {
    // intNextIndex is the entry on display whenever this runs.
    TickerButtons buttons;
    buttons.web = !strCurrentLink.isEmpty();
    buttons.previous = intNextIndex >= 2;
    buttons.next = intNextIndex < state.NewsQueue.lastIndex();
    buttons.showList = true;
    view.setButtons(buttons);
}

// ---- buttons ----------------------------------------------------------------------------

void TickerShowing::pause() {
    view.setArticleTimer(false);
    view.setPaused(true);
}

void TickerShowing::playPressed() {
    if (view.isArticleTimerRunning()) {
        pause();
        return;
    }
    view.setArticleTimer(true);
    view.setPaused(false);
    if (intShownIndex < state.NewsQueue.lastIndex()) {
        intNextIndex = qint16(intShownIndex + 1);
    } else if (intShowMode == 1) {
        blnRoundDone = true;
    }
}

void TickerShowing::previousPressed() {
    pause();
    if (intShownIndex > 1) {
        intNextIndex = qint16(intShownIndex - 1);
        DisplayNews();
    }
}

void TickerShowing::nextPressed() {
    pause();
    if (intShownIndex < state.NewsQueue.lastIndex()) {
        intNextIndex = qint16(intShownIndex + 1);
        DisplayNews();
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
    view.setArticleTimer(false);
    blnShowing = false;
    if (intCallOPMLKey >= 0) {
        intCallOPMLKey = -1;
        host.closeArticleList();
    }
    state.NewsQueue.clear();
    view.leaveShowing();
}
