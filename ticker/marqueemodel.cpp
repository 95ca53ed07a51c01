#include "ticker/marqueemodel.h"

#include <algorithm>
#include <cmath>

void MarqueeModel::setViewWidth(int pixels) {
    const int width = std::max(0, pixels);
    const int narrower = view - width;
    view = width;
    if (narrower <= 0) {
        return;
    }
    for (MarqueeItem& item : line) {
        item.start -= narrower;
    }
    while (!line.empty() && line.front().end() <= drawn) {
        line.pop_front();
    }
}

void MarqueeModel::clear() {
    line.clear();
}

bool MarqueeModel::wantsItem() const {
    // Laid out as soon as the last one is whole in the band, the next one starts a whole gap
    // after it, however far a frame moves the line.
    return line.empty() || line.back().end() <= drawn + view;
}

void MarqueeModel::append(int index, const MarqueeText& text, int width) {
    MarqueeItem item{index, ++serials, text, 0, std::max(1, width), false};
    const int edge = drawn + view;
    item.start = line.empty() ? edge : std::max(line.back().end() + gap, edge);
    line.push_back(item);
}

MarqueeStep MarqueeModel::advance(double pixels) {
    MarqueeStep step;
    offset += std::max(0.0, pixels);
    const int whole = int(std::floor(offset));
    step.scrolled = whole - drawn;
    drawn = whole;
    for (MarqueeItem& item : line) {
        if (!item.entered && item.end() <= drawn + view) {
            item.entered = true;
            step.entered.push_back(item.index);
        }
    }
    while (!line.empty() && line.front().end() <= drawn) {
        line.pop_front();
    }
    // A ticker left running for months would overflow its coordinates: they start again
    // from the band's left edge now and then. What is drawn does not move.
    constexpr int kRebaseAt = 1 << 30;
    if (drawn >= kRebaseAt) {
        for (MarqueeItem& item : line) {
            item.start -= drawn;
        }
        offset -= drawn;
        drawn = 0;
    }
    return step;
}

int MarqueeModel::indexAt(int x) const {
    const int point = drawn + x;
    for (const MarqueeItem& item : line) {
        if (point >= item.start && point < item.end()) {
            return item.index;
        }
    }
    return 0;
}

double marqueePixelsPerSecond(int scrollSpeed) {
    constexpr double kSlowest = 30;
    constexpr double kFastest = 240;
    return std::clamp(1800.0 / std::max(1, scrollSpeed), kSlowest, kFastest);
}

MarqueePace marqueePace(double pixelsPerSecond) {
    constexpr double kFramesPerSecond = 60;
    const double speed = std::max(1.0, pixelsPerSecond);
    const double frames = std::min(kFramesPerSecond, speed);
    return {1000.0 / frames, speed / frames};
}
