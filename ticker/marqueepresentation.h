#pragma once

#include <QString>

#include "ticker/marqueemodel.h"
#include "ticker/tickerpresentation.h"

class MarqueePresentation;

// What the marquee draws on: a band of the ticker's width with a frame clock.
class MarqueeSurface {
public:
    virtual ~MarqueeSurface() = default;
    // The presentation whose model is drawn and whose frame() the clock calls; null when
    // none.
    virtual void attach(MarqueePresentation* presentation) = 0;
    // The band's width in pixels.
    [[nodiscard]] virtual int bandWidth() const = 0;
    // The pixels an item's texts take.
    [[nodiscard]] virtual int measure(const MarqueeText& text) const = 0;
    // Starts or stops the frame clock: while it runs, frame() comes once every pace().frameMs.
    virtual void runFrames(bool on) = 0;
    // The strip moved left by whole pixels: move what is drawn, draw only what came in.
    virtual void scrolled(int pixels) = 0;
    // The strip was laid out anew: draw all of it.
    virtual void redraw() = 0;
    // A line that stands still in place of the strip (loading, waiting).
    virtual void showStill(const QString& lead, const QString& text) = 0;
};

// The marquee: the queue's headlines, each after its time and site, move right to left in
// one continuous line. An entry counts as shown (and becomes the entry on display) once its
// headline has come whole into the band. The pointer resting on the line holds it; "<<" and
// ">>" jump one headline and pause; a one-round showing ends when its last headline has
// left the band.
class MarqueePresentation final : public TickerPresentation {
public:
    MarqueePresentation(TickerShowing& showing, MarqueeSurface& surface);
    ~MarqueePresentation() override;
    MarqueePresentation(const MarqueePresentation&) = delete;
    MarqueePresentation& operator=(const MarqueePresentation&) = delete;

    [[nodiscard]] TickerPresentationKind kind() const override {
        return TickerPresentationKind::Marquee;
    }
    void begin() override;
    void end() override;
    void articleTick() override;
    void playPressed() override;
    void stepPressed(int direction) override;
    void holdChanged() override;
    void goOn() override;
    void showStill(const QString& timeStamp, const QString& headline) override;
    void stepAside(bool aside) override;
    // The running line holds the indices of what it laid out: it is laid out anew from the
    // next entry.
    void entriesRenumbered() override {
        end();
        begin();
    }

    // The frame clock's tick: frames is the number of frame times since the last tick (more
    // than 1 when the thread was busy).
    void frame(int frames);
    // How the line moves at the speed set now.
    [[nodiscard]] MarqueePace pace() const;
    // The band was resized: the strip is laid out for the new width (see
    // MarqueeModel::setViewWidth) and goes on over it.
    void bandResized();
    // The queue index of the headline at the band's point x; 0 when none.
    [[nodiscard]] int indexAt(int x) const { return model.indexAt(x); }
    [[nodiscard]] const MarqueeModel& line() const { return model; }
    [[nodiscard]] bool isMoving() const { return moving; }

private:
    void startLine();
    // Lays the line out anew with the entry at index whole at the band's right edge and the
    // entries before it to its left.
    void showWhole(int index);
    void fill();
    // The queue index the line takes next; 0 when the round has no more.
    [[nodiscard]] int nextToAppend() const;
    [[nodiscard]] MarqueeText textOf(int index) const;
    void updateMotion();

    TickerShowing& showing;
    MarqueeSurface& surface;
    MarqueeModel model;
    // Between begin() and end().
    bool active = false;
    bool userPaused = false;
    // The window has stepped aside: the line stands still until it is back.
    bool away = false;
    bool moving = false;
    // The entry the line starts with, and the last one it took (0: none yet).
    int startAt = 1;
    int lastAppended = 0;
};
