#pragma once

#include <algorithm>

#include "ticker/marqueemodel.h"

// Cuts the band's columns [left, right) into the runs that show one item's picture and the
// runs between them, from left to right: span(x, width, item) with item null for a gap.
// Items are in order along the line and do not overlap.
template <class SpanFn>
void forEachMarqueeSpan(const MarqueeModel& line, int left, int right, SpanFn&& span) {
    int at = left;
    for (const MarqueeItem& item : line.items()) {
        const int x = item.start - line.pixelOffset();
        const int from = std::max(x, at);
        const int to = std::min(x + item.width, right);
        if (to <= from) {
            if (x >= right) {
                break;
            }
            continue;
        }
        if (from > at) {
            span(at, from - at, static_cast<const MarqueeItem*>(nullptr));
        }
        span(from, to - from, &item);
        at = to;
    }
    if (at < right) {
        span(at, right - at, static_cast<const MarqueeItem*>(nullptr));
    }
}
