#include <gtest/gtest.h>

#include "ticker/tickermotion.h"
#include "ticker/tickerplacement.h"

namespace {

// A 1280 × 1024 pixel screen right of a 1024 × 768 primary one, in twips.
const QRect kScreen(15360, 0, 19200, 15360);

TEST(TickerPlacement, GeometryForEachPlacementAndEdge) {
    Settings settings;
    settings.TICKER_LEFT = 3000;
    settings.TICKER_TOP = 1500;
    settings.TICKER_MARGIN_TOP = 520;
    const int right = 15360 + 19200;
    struct Case {
        const char* name;
        TickerPlacement placement;
        TickerMode mode;
        QRect shown, start, parked;
        SlideEdge edge;
    };
    const Case cases[] = {
        {"window where it was put",
         TickerPlacement::Window,
         TickerMode::AlwaysShown,
         {3000, 1500, 7110, 495},
         {3000, 1500, 7110, 495},
         {right + 10, 520, 7110, 495},
         SlideEdge::Right},
        {"pop-up window at the right edge",
         TickerPlacement::Window,
         TickerMode::PopUp,
         {right - 7110, 520, 7110, 495},
         {right - 10, 520, 7110, 495},
         {right + 10, 520, 7110, 495},
         SlideEdge::Right},
        {"band at the top",
         TickerPlacement::DockedTop,
         TickerMode::AlwaysShown,
         {15360, 0, 19200, 495},
         {15360, 0, 19200, 495},
         {15360, -505, 19200, 495},
         SlideEdge::Top},
        {"pop-up band at the top",
         TickerPlacement::DockedTop,
         TickerMode::PopUp,
         {15360, 0, 19200, 495},
         {15360, -485, 19200, 495},
         {15360, -505, 19200, 495},
         SlideEdge::Top},
        {"pop-up band at the bottom",
         TickerPlacement::DockedBottom,
         TickerMode::PopUp,
         {15360, 14865, 19200, 495},
         {15360, 15350, 19200, 495},
         {15360, 15370, 19200, 495},
         SlideEdge::Bottom},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TickerGeometry g = tickerGeometry(c.placement, c.mode, kScreen, settings);
        EXPECT_EQ(g.shown, c.shown);
        EXPECT_EQ(g.start, c.start);
        EXPECT_EQ(g.parked, c.parked);
        EXPECT_EQ(g.edge, c.edge);

        // The design's slide steps bring every edge's slide from its start to its place
        // and back out to where it parks, never sideways.
        if (c.mode == TickerMode::PopUp) {
            int coordinate = slideCoordinate(g, g.start.topLeft());
            SlideStep step;
            for (int ticks = 0; ticks < 100 && !step.finished; ++ticks) {
                step = slideInStep(coordinate, slideExtent(g), edgeCoordinate(g), 15);
                coordinate = step.left;
                const QPoint at = slideTopLeft(g, coordinate);
                EXPECT_TRUE(at.x() == g.shown.x() || at.y() == g.shown.y());
            }
            EXPECT_EQ(slideTopLeft(g, coordinate), g.shown.topLeft());
            step = {};
            for (int ticks = 0; ticks < 100 && !step.finished; ++ticks) {
                step = slideOutStep(coordinate, slideExtent(g), edgeCoordinate(g), 15);
                coordinate = step.left;
            }
            EXPECT_EQ(slideTopLeft(g, coordinate), g.parked.topLeft());
        }
    }
}

// The struts count from the whole X screen: a band on the lower, shorter monitor of a pair
// reserves everything below its top edge.
TEST(TickerPlacement, StrutsOfABand) {
    const QRect desktop(0, 0, 2304, 1024);
    struct Case {
        TickerPlacement placement;
        QRect band;
        std::array<int, 12> strut;
    };
    const Case cases[] = {
        {TickerPlacement::DockedTop, {0, 0, 1024, 33}, {0, 0, 33, 0, 0, 0, 0, 0, 0, 1023, 0, 0}},
        {TickerPlacement::DockedBottom,
         {1024, 991, 1280, 33},
         {0, 0, 0, 33, 0, 0, 0, 0, 0, 0, 1024, 2303}},
        {TickerPlacement::DockedBottom,
         {0, 735, 1024, 33},
         {0, 0, 0, 289, 0, 0, 0, 0, 0, 0, 0, 1023}},
        {TickerPlacement::Window, {0, 735, 474, 33}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dockStrut(c.placement, c.band, desktop), c.strut);
    }
}

}  // namespace
