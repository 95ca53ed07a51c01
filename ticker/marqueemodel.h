#pragma once

#include <QString>
#include <QtGlobal>
#include <deque>
#include <optional>
#include <vector>

// The texts of one headline on the marquee: its time and site (drawn dimmer) and its title,
// in a display rule's colour (0xRRGGBB) when one gives it. The site's icon, from the feed
// at feedUrl, goes before the site title, which starts at siteAt in the lead (-1: none).
struct MarqueeText {
    QString lead;
    QString headline;
    std::optional<quint32> colour;
    QString feedUrl;
    qsizetype siteAt = -1;
    bool operator==(const MarqueeText&) const = default;
};

// One headline on the strip. Strip coordinates are pixels along an endless line; the band's
// point x shows the strip's point pixelOffset() + x.
struct MarqueeItem {
    int index = 0;       // index of the showing's entry
    quint64 serial = 0;  // tells items apart when the queue has been refilled
    MarqueeText text;
    int start = 0;
    int width = 0;
    // It lies whole in the band, or did since it last lay beyond the band's right edge.
    bool entered = false;
    [[nodiscard]] int end() const { return start + width; }
};

// What one step of the strip did.
struct MarqueeStep {
    int scrolled = 0;          // whole pixels the drawing moved left
    std::vector<int> entered;  // queue indices of the items that came whole into the band
};

// The marquee's line: headlines one after another with a gap between them, moving right to
// left through a band of a given width. No widget and no clock: the caller feeds it items as
// it asks for them and moves it by the pixels a frame's time is worth.
class MarqueeModel {
public:
    // A narrower band keeps what lies at its right edge there (the line moves left by the
    // difference), so a headline whole in the band stays whole as far as it fits and one to
    // come comes in when it would have; a wider one keeps what lies at its left edge.
    void setViewWidth(int pixels);
    void setGap(int pixels) { gap = pixels; }
    [[nodiscard]] int viewWidth() const { return view; }

    // Empties the strip; the next item starts at the band's right edge.
    void clear();
    [[nodiscard]] bool isEmpty() const { return line.empty(); }
    // True once the last item is whole in the band (or there is none): the next item is
    // due.
    [[nodiscard]] bool wantsItem() const;
    // Puts an item after the last one, or at the band's right edge when the strip has run
    // out there.
    void append(int index, const MarqueeText& text, int width);
    // Moves the strip left by pixels (fractions add up). Items that have passed the band's
    // left edge are dropped.
    MarqueeStep advance(double pixels);
    // Lays the strip out anew with the item at index ending at the band's right edge, and
    // before it, as far as the band reaches, the items that earlier(k) gives: the k-th
    // item before it (index, text, width), or an index of 0 when there is none. All count as
    // entered.
    struct Earlier {
        int index = 0;
        MarqueeText text;
        int width = 0;
    };
    template <class EarlierFn>
    void restartAt(int index, const MarqueeText& text, int width, EarlierFn earlier) {
        clear();
        append(index, text, width);
        MarqueeItem& target = line.back();
        target.start = pixelOffset() + view - width;
        target.entered = true;
        for (int k = 1; line.front().start - gap > pixelOffset(); ++k) {
            const Earlier item = earlier(k);
            if (item.index == 0) {
                break;
            }
            MarqueeItem before{item.index, ++serials, item.text, 0, item.width, true};
            before.start = line.front().start - gap - item.width;
            line.push_front(before);
        }
    }

    // The queue index of the headline at the band's point x; 0 in a gap or beyond the
    // strip.
    [[nodiscard]] int indexAt(int x) const;
    // The strip's point at the band's left edge, in whole pixels.
    [[nodiscard]] int pixelOffset() const { return drawn; }
    [[nodiscard]] const std::deque<MarqueeItem>& items() const { return line; }

private:
    std::deque<MarqueeItem> line;
    int view = 0;
    int gap = 48;
    double offset = 0;
    int drawn = 0;
    quint64 serials = 0;
};

// How the marquee moves at a speed: a frame every frameMs, each moving the line by pixels
// (fractions add up). 60 frames a second, so that no frame moves it more than 4 pixels up to
// 240 pixels a second (120 moves it by 2 whole pixels every frame); below 60 pixels a second
// one frame for each pixel, as 60 frames would leave some frames with nothing to move.
struct MarqueePace {
    double frameMs = 0;
    double pixels = 0;
};
[[nodiscard]] MarqueePace marqueePace(double pixelsPerSecond);

// The marquee's speed from NEWS_SCROLL_SPEED, the design's step count (larger is slower):
// 1800 / NEWS_SCROLL_SPEED pixels a second, held within 30 to 240 (4 pixels a frame at 60
// Hz). The default 15 gives 120.
[[nodiscard]] double marqueePixelsPerSecond(int scrollSpeed);
