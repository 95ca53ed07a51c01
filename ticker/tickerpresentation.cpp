#include "ticker/tickerpresentation.h"

#include "core/appstate.h"
#include "ticker/tickershowing.h"

void WipePresentation::begin() {
    // Handed over with a held headline: it stays, drawn by the wipe's labels.
    if (showing.isHeld(TickerHold::Headline)) {
        showing.putOnDisplay(showing.shownIndex(), EntryArrival::Again);
        moveOnFrom(showing.shownIndex());
        return;
    }
    showing.articleTick();
}

void WipePresentation::moveOnFrom(int i) {
    int next = i + 1;
    if (next > showing.entries().lastIndex()) {
        next = 1;
        if (showing.isOneRound()) {
            showing.setRoundDone();
        }
    }
    showing.setNextIndex(next);
}

void WipePresentation::end() {}

void WipePresentation::articleTick() {
    // A held headline stays; the round goes on when the hold is lifted.
    if (showing.isHeld()) {
        return;
    }
    const int last = showing.entries().lastIndex();
    const bool skip =
        !showing.window().isOnScreen() || last == 0 || showing.isSingleEntryOnDisplay();
    if (skip) {
        if (showing.isOneRound()) {
            showing.setRoundDone();
        }
        return;
    }

    int i = showing.nextIndex();
    if (i < 1 || i > last) {
        i = 1;
    }
    showing.putOnDisplay(i, EntryArrival::Wiped);
    showing.window().setPaused(false);
    moveOnFrom(i);
}

void WipePresentation::playPressed() {
    if (showing.window().isArticleTimerRunning()) {
        showing.pause();
    } else {
        showing.resume();
    }
}

void WipePresentation::goOn() {
    showing.window().setArticleTimer(false);
    showing.resume();
}

void WipePresentation::stepPressed(int direction) {
    showing.pause();
    // Before anything was on display (-1, or 0 after a close), ">>" shows the first entry.
    const int shown = std::max<int>(showing.shownIndex(), 0);
    const int target = shown + direction;
    if (direction < 0 ? shown > 1 : shown < showing.entries().lastIndex()) {
        showing.putOnDisplay(target, EntryArrival::AtOnce);
    }
}

void WipePresentation::showStill(const QString& timeStamp, const QString& headline) {
    showing.window().endWipe();
    showing.window().setHeadlineColour(std::nullopt);
    showing.window().setHeadline(headline);
    showing.setStampAndSite(timeStamp, QString());
}
