#include <gtest/gtest.h>

#include <QStringList>
#include <algorithm>

#include "rules/displayrule.h"
#include "tests/common/testenv.h"
#include "ticker/marqueepresentation.h"
#include "ticker/marqueespans.h"
#include "ticker/tickerhost.h"
#include "ticker/tickershowing.h"

namespace {

// A band 300 px wide; the line's items come in at its right edge and count as shown once
// their right end is in.
TEST(MarqueeModel, PositionsOverTimeEntriesAndPoints) {
    MarqueeModel line;
    line.setViewWidth(300);
    line.setGap(50);
    EXPECT_TRUE(line.wantsItem());
    line.append(1, {}, 100);  // 300 … 400 on the strip
    EXPECT_FALSE(line.wantsItem());

    struct Step {
        double pixels;
        int scrolled;
        std::vector<int> entered;
        int at;  // band point
        int indexThere;
        bool wantsItem;
    };
    const Step steps[] = {
        {99.5, 99, {}, 201, 1, false},  // 99.5: not quite whole
        {0.5, 1, {1}, 199, 0, true},    // whole: shown, and the next is due
        {50.0, 50, {}, 150, 1, true},   // left of it a blank band
        {1.25, 1, {}, 149, 1, true},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.pixels);
        const MarqueeStep step = line.advance(s.pixels);
        EXPECT_EQ(step.scrolled, s.scrolled);
        EXPECT_EQ(step.entered, s.entered);
        EXPECT_EQ(line.indexAt(s.at), s.indexThere);
        EXPECT_EQ(line.wantsItem(), s.wantsItem);
    }
    line.append(2, {}, 30);  // asked for late: at the band's edge, not the gap's 450
    EXPECT_EQ(line.items().back().start, 451);
    EXPECT_EQ(line.advance(30).entered, std::vector<int>{2});
    line.advance(220);  // 401: item 1 has passed the left edge
    ASSERT_EQ(line.items().size(), 1U);
    EXPECT_EQ(line.items().front().index, 2);
    line.advance(80);
    EXPECT_TRUE(line.isEmpty());
    // After a pause in the news the next item comes in at the band's edge.
    line.append(3, {}, 10);
    EXPECT_EQ(line.items().back().start, 481 + 300);

    // A narrower band keeps what lies at its right edge; a wider one what lies at its left.
    MarqueeModel band;
    band.setViewWidth(300);
    band.append(1, {}, 100);
    band.advance(100);  // whole at 200 … 300
    band.setViewWidth(200);
    EXPECT_EQ(band.indexAt(99), 0);
    EXPECT_EQ(band.indexAt(100), 1);
    EXPECT_EQ(band.indexAt(199), 1);
    band.setViewWidth(300);
    EXPECT_EQ(band.indexAt(100), 1);
    EXPECT_EQ(band.indexAt(200), 0);
    band.setViewWidth(60);  // it lay left of the last 60 pixels
    EXPECT_TRUE(band.isEmpty());
}

// Frames a second and the steps they make: never more than 4 pixels, all alike at 120.
TEST(MarqueeModel, PaceKeepsStepsSmallAndEven) {
    struct Case {
        double speed;
        double framesPerSecond;
        int smallestStep;
        int largestStep;
    };
    const Case cases[] = {
        {30, 30, 1, 1},  {45, 45, 1, 1},  {60, 60, 1, 1},  {90, 60, 1, 2},
        {120, 60, 2, 2}, {200, 60, 3, 4}, {240, 60, 4, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.speed);
        const MarqueePace pace = marqueePace(c.speed);
        EXPECT_NEAR(1000.0 / pace.frameMs, c.framesPerSecond, 1e-9);
        MarqueeModel line;
        line.setViewWidth(1000);
        int smallest = 1000;
        int largest = 0;
        int moved = 0;
        for (int frame = 0; frame < int(c.framesPerSecond) * 10; ++frame) {
            const int step = line.advance(pace.pixels).scrolled;
            smallest = std::min(smallest, step);
            largest = std::max(largest, step);
            moved += step;
        }
        EXPECT_EQ(smallest, c.smallestStep);
        EXPECT_EQ(largest, c.largestStep);
        EXPECT_NEAR(moved, c.speed * 10, 1);  // ten seconds' worth
    }
}

// What a stretch of the band shows: each column once, from left to right, a headline's
// picture or the gap's colour.
TEST(MarqueeModel, SpansCoverABandStretchOnceInOrder) {
    MarqueeModel line;
    line.setViewWidth(300);
    line.setGap(50);
    line.append(1, {}, 100);
    line.advance(100);  // item 1 whole: the next is due
    line.append(2, {}, 80);
    line.advance(100);  // item 1 at the band's 100 … 200, item 2 at 250 … 330
    struct Case {
        int left;
        int right;
        QStringList spans;  // "x+width:index", index 0 for a gap
    };
    const Case cases[] = {
        {0, 300, {"0+100:0", "100+100:1", "200+50:0", "250+50:2"}},
        {120, 260, {"120+80:1", "200+50:0", "250+10:2"}},
        {100, 200, {"100+100:1"}},
        {0, 100, {"0+100:0"}},
        {210, 240, {"210+30:0"}},
        {299, 300, {"299+1:2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.left);
        QStringList spans;
        forEachMarqueeSpan(line, c.left, c.right, [&](int x, int width, const MarqueeItem* item) {
            spans.append(QStringLiteral("%1+%2:%3")
                             .arg(x)
                             .arg(width)
                             .arg(item != nullptr ? item->index : 0));
        });
        EXPECT_EQ(spans, c.spans);
    }
}

// Records what the showing asks of its window.
class FakeWindow final : public TickerView, public TickerHost, public MarqueeSurface {
public:
    bool isOnScreen() const override { return true; }
    bool isArticleTimerRunning() const override { return timer; }
    void setArticleTimer(bool running) override { timer = running; }
    void enterShowing() override { showing->load(); }
    void leaveShowing() override {
        hidden = true;
        showing->unload();
    }
    void setStampAndSite(const QString&, const QString&) override {}
    void wipeHeadline(const QString&) override {}
    void endWipe() override {}
    void setHeadline(const QString& text) override { headline = text; }
    void setPaused(bool isPaused) override { paused = isPaused; }
    void setHeadlineHeld(bool isHeld) override { held = isHeld; }
    void setButtons(const TickerButtons& shown) override { buttons = shown; }
    void openArticleList() override {}
    void closeArticleList() override {}
    void openTickerSettings() override {}

    void attach(MarqueePresentation* attached) override { presentation = attached; }
    int bandWidth() const override { return width; }
    int measure(const MarqueeText& text) const override { return 20 * text.headline.size(); }
    void runFrames(bool on) override { frames = on; }
    void scrolled(int) override {}
    void redraw() override {}
    void showStill(const QString&, const QString& text) override { still = text; }

    TickerShowing* showing = nullptr;
    MarqueePresentation* presentation = nullptr;
    bool timer = false;
    bool paused = false;
    bool frames = false;
    bool hidden = false;
    bool held = false;
    int width = 300;
    QString still;
    QString headline;
    TickerButtons buttons;
};

class MarqueeTest : public ::testing::Test {
protected:
    MarqueeTest() {
        SiteRow row;
        row.strTitle = QStringLiteral("Site");
        row.strXmlUrl = QStringLiteral("http://example.com/feed");
        env.state().SiteTable.append(row);
        window.showing = &showing;
        showing.usePresentation(std::make_unique<MarqueePresentation>(showing, window));
        // 5 headlines 100 px wide, new; 120 px a second.
        for (int i = 1; i <= 5; ++i) {
            ArticleRecord record;
            record.Title = QStringLiteral("#%1").arg(i).leftJustified(5);
            record.Link = QStringLiteral("http://example.com/%1").arg(i);
            record.IsNew = true;
            record.SiteTitle = row.strTitle;
            record.FeedUrl = row.strXmlUrl;
            env.state().NewsQueue.append(record);
        }
    }
    // Runs frames 6 px at a time (3 frames at 120 px/s) while the frame clock runs; the
    // indices shown on the way.
    QList<int> run(int pixels) {
        QList<int> shown;
        for (int moved = 0; moved < pixels && window.frames; moved += 6) {
            const int before = showing.shownIndex();
            window.presentation->frame(3);
            if (showing.shownIndex() != before) {
                shown.append(showing.shownIndex());
            }
        }
        return shown;
    }
    bool isNew(int i) { return showing.entry(i).IsNew; }
    // Where entry i lies in the band, left and right end; {0, 0} when it is not on the line.
    std::pair<int, int> placeOf(int i) const {
        const MarqueeModel& line = window.presentation->line();
        for (const MarqueeItem& item : line.items()) {
            if (item.index == i) {
                return {item.start - line.pixelOffset(), item.end() - line.pixelOffset()};
            }
        }
        return {0, 0};
    }
    void expectWholeInBand(int i) const {
        const auto [left, right] = placeOf(i);
        EXPECT_GE(left, 0);
        EXPECT_LE(right, window.width);
        EXPECT_GT(right, left);
    }

    TestEnv env;
    FakeWindow window;
    TickerShowing showing{env.state(), window, window};
};

TEST_F(MarqueeTest, HeadlinesCountAsShownOnceWholeAndARoundEndsWhenTheLineRunsOut) {
    showing.ShowForm(ShowMode::OneRound);
    EXPECT_TRUE(window.frames);
    EXPECT_EQ(run(96), QList<int>{});  // 300 … 400: not whole yet
    EXPECT_TRUE(isNew(1));
    EXPECT_EQ(run(6), QList<int>{1});
    EXPECT_FALSE(isNew(1));
    EXPECT_EQ(showing.currentLink(), QStringLiteral("http://example.com/1"));
    // Each comes 148 px (its width and the gap) after the last.
    EXPECT_EQ(run(4 * 148), QList<int>({2, 3, 4, 5}));
    EXPECT_FALSE(window.hidden);
    run(400);  // the last leaves the band: the round is over
    EXPECT_TRUE(window.hidden);
    EXPECT_FALSE(window.frames);
    EXPECT_TRUE(env.state().NewsQueue.isEmpty());
}

TEST_F(MarqueeTest, PermanentLineCyclesAndHoldsPausesAndJumps) {
    showing.ShowForm(ShowMode::Permanent);
    EXPECT_EQ(run(102 + 5 * 148), QList<int>({1, 2, 3, 4, 5, 1}));

    // The pointer on the line holds it without touching the play button.
    showing.setHold(TickerHold::Pointer, true);
    EXPECT_FALSE(window.frames);
    EXPECT_FALSE(window.paused);
    showing.setHold(TickerHold::Pointer, false);
    EXPECT_TRUE(window.frames);

    // ">>" and "<<" jump one headline at once and pause.
    showing.nextPressed();
    EXPECT_EQ(showing.shownIndex(), 2);
    EXPECT_TRUE(window.paused);
    EXPECT_FALSE(window.frames);
    EXPECT_EQ(window.presentation->indexAt(299), 2);  // it ends at the band's right edge
    EXPECT_EQ(window.presentation->indexAt(299 - 100 - 48), 1);
    showing.previousPressed();
    showing.previousPressed();
    EXPECT_EQ(showing.shownIndex(), 1);
    showing.playPressed();
    EXPECT_TRUE(window.frames);
    EXPECT_FALSE(window.paused);
    EXPECT_EQ(run(148), QList<int>{2});
}

TEST_F(MarqueeTest, NextBeforeAnythingWasShownShowsTheFirst) {
    showing.ShowForm(ShowMode::Permanent);
    showing.nextPressed();
    EXPECT_EQ(showing.shownIndex(), 1);
    EXPECT_FALSE(isNew(1));

    // The same holds for the wipe: a ticker opened on an empty queue, then news arrives.
    showing.hidePressed();
    showing.usePresentation(std::make_unique<WipePresentation>(showing));
    showing.ShowForm(ShowMode::Permanent);
    ArticleRecord record;
    record.Title = QStringLiteral("#1");
    env.state().NewsQueue.append(record);
    ASSERT_LT(showing.shownIndex(), 1);
    showing.nextPressed();
    EXPECT_EQ(showing.shownIndex(), 1);
}

// A headline a rule holds stops the line whole in the band, and stays whole in view when
// the band narrows or widens and when the presentation changes under it; play lets it go.
TEST_F(MarqueeTest, AHeldHeadlineStaysInViewAcrossWidthsAndPresentations) {
    env.state().NewsQueue[3].Display = RuleAction::Hold;
    showing.ShowForm(ShowMode::Permanent);
    EXPECT_EQ(run(102 + 3 * 148), QList<int>({1, 2, 3}));
    EXPECT_FALSE(window.frames);
    EXPECT_TRUE(window.held);
    EXPECT_FALSE(window.paused);
    for (const int width : {140, 300, 100, 300}) {
        SCOPED_TRACE(width);
        window.width = width;
        window.presentation->bandResized();
        expectWholeInBand(3);
        EXPECT_EQ(placeOf(4), std::make_pair(0, 0));  // the next has not come in
    }

    // The wipe takes over: the held headline at once, no other.
    showing.usePresentation(std::make_unique<WipePresentation>(showing));
    EXPECT_EQ(window.headline, env.state().NewsQueue[3].Title);
    showing.articleTick();
    EXPECT_EQ(showing.shownIndex(), 3);
    EXPECT_EQ(showing.nextIndex(), 4);  // once let go
    // And the marquee again, on a narrower band.
    window.width = 200;
    showing.usePresentation(std::make_unique<MarqueePresentation>(showing, window));
    expectWholeInBand(3);
    EXPECT_FALSE(window.frames);
    EXPECT_EQ(showing.shownIndex(), 3);

    showing.playPressed();
    EXPECT_FALSE(window.held);
    EXPECT_FALSE(window.paused);
    EXPECT_TRUE(window.frames);
    EXPECT_EQ(run(148), QList<int>{4});
}

// ">>" lets a held headline go, the last of a round too; after it the round ends by itself.
TEST_F(MarqueeTest, NextReleasesAHeldLastHeadlineAndTheRoundEnds) {
    env.state().NewsQueue[5].Display = RuleAction::Hold;
    showing.ShowForm(ShowMode::OneRound);
    EXPECT_EQ(run(102 + 5 * 148), QList<int>({1, 2, 3, 4, 5}));
    EXPECT_TRUE(window.held);
    EXPECT_TRUE(window.buttons.next);
    run(600);
    EXPECT_FALSE(window.hidden);

    showing.nextPressed();
    EXPECT_FALSE(window.held);
    EXPECT_FALSE(window.buttons.next);
    EXPECT_FALSE(window.paused);
    run(400);
    EXPECT_TRUE(window.hidden);
}

}  // namespace
