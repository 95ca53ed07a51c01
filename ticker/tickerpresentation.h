#pragma once

#include <QString>
#include <memory>

#include "core/settings.h"

class TickerShowing;

// How a showing puts its entries on screen. TickerShowing keeps the queue position, the
// showing's mode, the shown-list records and the end of a round; the presentation decides
// when the next entry comes on display and reports it with TickerShowing::putOnDisplay.
// It draws on its surface (TickerSurface), the widget that makes it: the window hosts that
// surface and never asks which presentation runs.
//
// A new way of presenting is its class, its surface, a value of TickerPresentationKind and
// the case in makeTickerSurface, plus its choice in the ticker settings dialog; nothing else
// tests which one runs.
class TickerPresentation {
public:
    virtual ~TickerPresentation() = default;
    [[nodiscard]] virtual TickerPresentationKind kind() const = 0;
    // A showing starts, restarts after a reset, or is handed over from another
    // presentation: the entry at the showing's nextIndex() comes on screen first.
    virtual void begin() = 0;
    // Stops moving (reset, close, or another presentation takes over).
    virtual void end() = 0;
    // The article timer's tick, once a round that is over has been dealt with.
    virtual void articleTick() = 0;
    // Pause or resume ("停" / "再").
    virtual void playPressed() = 0;
    // One entry back (-1) or on (+1), at once and paused.
    virtual void stepPressed(int direction) = 0;
    // A hold was put on or lifted (TickerShowing::isHeld).
    virtual void holdChanged() = 0;
    // The user has dealt with a held headline (its hold is lifted): the showing goes on by
    // itself, unpaused, the next headline a whole interval later.
    virtual void goOn() = 0;
    // Texts that stand instead of the entries (loading, waiting).
    virtual void showStill(const QString& timeStamp, const QString& headline) = 0;
    // The window steps aside (true) and comes back (false): whatever moves by itself stops
    // until then. The window's own timers are the window's.
    virtual void stepAside(bool /*aside*/) {}
    // Entries left the queue and those left were numbered anew (the showing's indices
    // follow): a presentation that keeps indices of entries lays itself out again.
    virtual void entriesRenumbered() {}
};

// The design's presentation: each entry's headline is wiped in over the last one at every
// article tick, with its time stamp and site title on the line above.
class WipePresentation final : public TickerPresentation {
public:
    explicit WipePresentation(TickerShowing& tickerShowing) : showing(tickerShowing) {}
    [[nodiscard]] TickerPresentationKind kind() const override {
        return TickerPresentationKind::Wipe;
    }
    void begin() override;
    void end() override;
    void articleTick() override;
    void playPressed() override;
    void stepPressed(int direction) override;
    void holdChanged() override {}
    void goOn() override;
    void showStill(const QString& timeStamp, const QString& headline) override;

private:
    // The entry after i comes next; past the last, the first, and a one-round showing ends.
    void moveOnFrom(int i);

    TickerShowing& showing;
};
