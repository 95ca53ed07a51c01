#include "ticker/marqueepresentation.h"

#include <algorithm>

#include "core/appstate.h"
#include "ticker/tickershowing.h"

namespace {

// A frame that comes late (the thread was busy) moves the line by no more than this much
// time, so the headlines never leap.
constexpr int kLongestFrameMs = 50;

}  // namespace

MarqueePresentation::MarqueePresentation(TickerShowing& tickerShowing,
                                         MarqueeSurface& marqueeSurface)
    : showing(tickerShowing), surface(marqueeSurface) {
    surface.attach(this);
}

MarqueePresentation::~MarqueePresentation() {
    surface.runFrames(false);
    surface.attach(nullptr);
}

void MarqueePresentation::begin() {
    active = true;
    userPaused = false;
    showing.window().setPaused(false);
    // Handed over with a held headline: it stays in view, as the line stands still.
    const int held = showing.shownIndex();
    if (showing.isHeld(TickerHold::Headline) && held >= 1 &&
        held <= showing.entries().lastIndex()) {
        showWhole(held);
        updateMotion();
        return;
    }
    startAt = showing.nextIndex();
    startLine();
    if (model.isEmpty() && showing.isOneRound()) {
        // Nothing to show: the round is over at the next article tick.
        showing.setRoundDone();
    }
}

void MarqueePresentation::startLine() {
    model.clear();
    model.setViewWidth(surface.bandWidth());
    lastAppended = 0;
    fill();
    if (!model.isEmpty()) {
        surface.showStill(QString(), QString());
        surface.redraw();
    }
    updateMotion();
}

void MarqueePresentation::end() {
    active = false;
    updateMotion();
}

void MarqueePresentation::articleTick() {
    // The article timer only looks for news while the line has run out.
    if (active && model.isEmpty() && showing.window().isOnScreen() &&
        !showing.entries().isEmpty()) {
        startAt = 1;
        startLine();
    }
}

void MarqueePresentation::playPressed() {
    userPaused = !userPaused;
    showing.window().setPaused(userPaused);
    updateMotion();
}

void MarqueePresentation::stepPressed(int direction) {
    userPaused = true;
    showing.window().setPaused(true);
    updateMotion();
    const int shown = std::max<int>(showing.shownIndex(), 0);
    const int target = shown + direction;
    const int last = showing.entries().lastIndex();
    if (direction < 0 ? shown <= 1 || shown > last : shown >= last) {
        return;
    }
    showWhole(target);
    showing.putOnDisplay(target, EntryArrival::Scrolled);
}

void MarqueePresentation::showWhole(int index) {
    const MarqueeText text = textOf(index);
    model.setViewWidth(surface.bandWidth());
    model.restartAt(index, text, surface.measure(text), [this, index](int k) {
        MarqueeModel::Earlier earlier;
        if (index - k >= 1) {
            earlier.index = index - k;
            earlier.text = textOf(earlier.index);
            earlier.width = surface.measure(earlier.text);
        }
        return earlier;
    });
    lastAppended = index;
    surface.showStill(QString(), QString());
    surface.redraw();
}

void MarqueePresentation::goOn() {
    userPaused = false;
    showing.window().setPaused(false);
    updateMotion();
}

void MarqueePresentation::holdChanged() {
    updateMotion();
}

void MarqueePresentation::showStill(const QString& timeStamp, const QString& headline) {
    model.clear();
    updateMotion();
    surface.showStill(timeStamp, headline);
}

void MarqueePresentation::stepAside(bool aside) {
    away = aside;
    updateMotion();
}

void MarqueePresentation::bandResized() {
    model.setViewWidth(surface.bandWidth());
    if (!active || model.isEmpty()) {
        return;
    }
    const int shown = showing.shownIndex();
    if (showing.isHeld(TickerHold::Headline) && shown >= 1 &&
        shown <= showing.entries().lastIndex()) {
        // The line stands still on it: at the right edge, the band's width of earlier
        // headlines before it.
        showWhole(shown);
        return;
    }
    fill();
    surface.redraw();
}

MarqueePace MarqueePresentation::pace() const {
    return marqueePace(marqueePixelsPerSecond(showing.appState().settings.NEWS_SCROLL_SPEED));
}

void MarqueePresentation::frame(int frames) {
    if (!moving) {
        surface.runFrames(false);
        return;
    }
    const MarqueePace now = pace();
    const int most = std::max(1, int(kLongestFrameMs / now.frameMs));
    fill();
    const MarqueeStep step = model.advance(now.pixels * std::clamp(frames, 0, most));
    if (step.scrolled != 0) {
        surface.scrolled(step.scrolled);
    }
    for (const int index : step.entered) {
        showing.putOnDisplay(index, EntryArrival::Scrolled);
    }
    fill();
    if (!model.isEmpty()) {
        return;
    }
    // The line has run out: a round is over, or the queue was emptied.
    updateMotion();
    if (showing.isOneRound()) {
        showing.setRoundDone();
        showing.articleTick();
    } else {
        surface.showStill(showing.appState().exeBaseName(), TickerShowing::loadingText());
    }
}

void MarqueePresentation::fill() {
    while (model.wantsItem()) {
        const int index = nextToAppend();
        if (index == 0) {
            return;
        }
        const MarqueeText text = textOf(index);
        model.append(index, text, surface.measure(text));
        lastAppended = index;
    }
}

int MarqueePresentation::nextToAppend() const {
    const int last = showing.entries().lastIndex();
    if (last == 0) {
        return 0;
    }
    if (lastAppended == 0) {
        return startAt >= 1 && startAt <= last ? startAt : 1;
    }
    if (lastAppended + 1 <= last) {
        return lastAppended + 1;
    }
    return showing.isOneRound() ? 0 : 1;
}

MarqueeText MarqueePresentation::textOf(int index) const {
    const ArticleRecord& entry = showing.entry(index);
    const auto [stamp, site] = showing.entryTexts(entry);
    MarqueeText text;
    text.lead = site.isEmpty() ? stamp : stamp + QStringLiteral("  ") + site;
    text.headline = entry.Title;
    text.colour = headlineColour(entry);
    text.feedUrl = entry.FeedUrl;
    // Undated, the site's title stands alone in the time's place.
    if (!text.feedUrl.isEmpty() && !text.lead.isEmpty()) {
        text.siteAt = site.isEmpty() ? 0 : stamp.size() + 2;
    }
    return text;
}

void MarqueePresentation::updateMotion() {
    const bool move = active && !away && !userPaused && !showing.isHeld() && !model.isEmpty();
    if (move != moving) {
        moving = move;
        surface.runFrames(move);
    }
}
