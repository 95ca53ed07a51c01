#include <gtest/gtest.h>

#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "tests/common/testenv.h"
#include "rules/displayrule.h"
#include "ticker/tickerhost.h"
#include "ticker/tickershowing.h"
#include "platform/speech/speechengine.h"

namespace {

// Records what the showing asks for as a trace: "enter", "w3" (entry 3 wiped in), "d3"
// (entry 3 set at once), "open" / "close" (article list), "hide".
class TraceView final : public TickerView, public TickerHost {
public:
    [[nodiscard]] bool isOnScreen() const override { return onScreen; }
    [[nodiscard]] bool isArticleTimerRunning() const override { return timerRunning; }
    void setArticleTimer(bool running) override { timerRunning = running; }
    void enterShowing() override {
        trace << QStringLiteral("enter");
        showing->load();
    }
    void leaveShowing() override {
        trace << QStringLiteral("hide");
        showing->unload();
    }
    void setStampAndSite(const QString& timeStamp, const QString& siteTitle) override {
        stamp = timeStamp;
        site = siteTitle;
    }
    void wipeHeadline(const QString& headline) override { record(QLatin1Char('w'), headline); }
    void endWipe() override {}
    void setHeadline(const QString& headline) override { record(QLatin1Char('d'), headline); }
    void setHeadlineColour(std::optional<quint32> rgb) override { colour = rgb; }
    void setPaused(bool isPaused) override { paused = isPaused; }
    void setButtons(const TickerButtons& shown) override { buttons = shown; }
    void openArticleList() override { trace << QStringLiteral("open"); }
    void closeArticleList() override { trace << QStringLiteral("close"); }
    void openTickerSettings() override {}

    // Entry titles are "#<index>"; the loading and waiting headlines are not traced.
    void record(QChar kind, const QString& headline) {
        headlineShown = headline;
        if (headline.startsWith(QLatin1Char('#'))) {
            trace << kind + headline.mid(1) +
                         (colour ? QStringLiteral(":%1").arg(*colour, 6, 16, QLatin1Char('0'))
                                 : QString());
        }
    }

    TickerShowing* showing = nullptr;
    std::optional<quint32> colour;
    bool onScreen = true;
    bool timerRunning = false;
    bool paused = false;
    QString stamp;
    QString site;
    QString headlineShown;
    TickerButtons buttons;
    QStringList trace;
};

class TickerShowingTest : public ::testing::Test {
protected:
    TickerShowingTest() {
        for (const char* title : {"Site A", "Site B"}) {
            SiteRow row;
            row.strTitle = QString::fromUtf8(title);
            row.strXmlUrl = QStringLiteral("http://example.com/") + row.strTitle;
            env.state().SiteTable.append(row);
        }
        view.showing = &showing;
        showing.load();
    }

    void fill(int count, bool dated = true, qint16 siteIndex = 1) {
        ArticleArray& queue = env.state().NewsQueue;
        for (int n = 0; n < count; ++n) {
            ArticleRecord record;
            const int index = queue.lastIndex() + 1;
            record.Title = QStringLiteral("#%1").arg(index);
            record.Link = QStringLiteral("http://example.com/%1").arg(index);
            record.SiteIndex = siteIndex;
            if (env.state().SiteTable.isValidIndex(siteIndex)) {
                record.SiteTitle = env.state().SiteTable[siteIndex].strTitle;
                record.FeedUrl = env.state().SiteTable[siteIndex].strXmlUrl;
            }
            if (dated) {
                record.PubDate = wallClock(QDate(2006, 3, 16), QTime(7, 24, 0));
            }
            queue.append(record);
        }
    }

    // Runs space-separated steps; returns the trace they left.
    std::string run(const QString& steps) {
        const std::map<QString, std::function<void()>> actions = {
            {QStringLiteral("show0"), [this] { showing.ShowForm(ShowMode::Permanent); }},
            {QStringLiteral("show1"), [this] { showing.ShowForm(ShowMode::OneRound); }},
            {QStringLiteral("tick"), [this] { showing.articleTick(); }},
            {QStringLiteral("<<"), [this] { showing.previousPressed(); }},
            {QStringLiteral(">>"), [this] { showing.nextPressed(); }},
            {QStringLiteral("play"), [this] { showing.playPressed(); }},
            {QStringLiteral("list"), [this] { showing.listPressed(); }},
            {QStringLiteral("hide"), [this] { showing.hidePressed(); }},
            {QStringLiteral("reset"), [this] { showing.ResetTicker(); }},
            {QStringLiteral("fill"), [this] { fill(2); }},
            {QStringLiteral("off"), [this] { view.onScreen = false; }},
            {QStringLiteral("ptr"), [this] { showing.setHold(TickerHold::Pointer, true); }},
            {QStringLiteral("unptr"), [this] { showing.setHold(TickerHold::Pointer, false); }},
            {QStringLiteral("click"), [this] { showing.releaseHeadline(); }},
        };
        for (const QString& step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            actions.at(step)();
        }
        return view.trace.join(QLatin1Char(' ')).toStdString();
    }

    TestEnv env;
    TraceView view;
    TickerShowing showing{env.state(), view, view};
};

TEST_F(TickerShowingTest, StepsThroughTheQueueAndEndsPopUpRounds) {
    struct Case {
        const char* name;
        int entries;
        bool dated;
        const char* steps;
        const char* trace;
    };
    const Case cases[] = {
        {"permanent cycles", 3, true, "show0 tick tick tick tick tick", "enter w1 w2 w3 w1 w2 w3"},
        {"pop-up shows each once, then hides", 3, true, "show1 tick tick tick",
         "enter w1 w2 w3 close hide"},
        {"pop-up of one entry", 1, true, "show1 tick", "enter w1 close hide"},
        {"a single dated entry on display stays", 1, true, "show0 tick tick", "enter w1"},
        {"a single undated entry is wiped in again", 1, false, "show0 tick tick", "enter w1 w1 w1"},
        {"round end waits for the article list", 2, true, "show1 tick list tick tick list tick",
         "enter w1 w2 open close close hide"},
        {"ShowForm 0 makes a pop-up showing permanent", 2, true, "show1 show0 tick tick",
         "enter w1 w2 w1"},
        {"ShowForm 1 leaves a permanent showing", 2, true, "show0 show1 tick tick",
         "enter w1 w2 w1"},
        {"reset restarts at entry 1 in the same showing", 2, true,
         "show1 tick reset fill show1 tick tick", "enter w1 w2 w1 w2 close hide"},
        {"off screen nothing is shown and the round ends", 2, true, "show1 off tick tick",
         "enter w1 close hide"},
        {"closed at once", 2, true, "show1 list hide tick", "enter w1 open close hide"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        env.state().NewsQueue.clear();
        view.trace.clear();
        view.onScreen = true;
        showing.unload();
        fill(c.entries, c.dated);
        EXPECT_EQ(run(QString::fromUtf8(c.steps)), c.trace);
        const bool hidden = view.trace.endsWith(QStringLiteral("hide"));
        EXPECT_EQ(showing.isShowing(), !hidden);
        EXPECT_EQ(env.state().NewsQueue.isEmpty(), hidden);
        EXPECT_EQ(showing.intCallOPMLKey, -1);
    }
}

// Entries that leave the queue under the ticker (read elsewhere) are never reached; the
// ticker goes on with the first one left after them, and an account's entry names its feed.
TEST_F(TickerShowingTest, GoesOnPastEntriesThatLeftTheQueue) {
    fill(5);
    EXPECT_EQ(run(QStringLiteral("show0 tick")), "enter w1 w2");
    const auto drop = [this](const QStringList& titles) {
        const QList<int> moved = env.state().NewsQueue.removeIf(
            [&titles](const ArticleRecord& entry) { return titles.contains(entry.Title); });
        showing.queueEntriesMoved(moved);
    };
    drop({QStringLiteral("#1"), QStringLiteral("#3")});
    EXPECT_EQ(env.state().NewsQueue.lastIndex(), 3);
    EXPECT_EQ(showing.shownIndex(), 1);
    EXPECT_EQ(run(QStringLiteral("tick tick tick")), "enter w1 w2 w4 w5 w2");
    // The entry on display itself went: the next one left comes.
    drop({QStringLiteral("#2")});
    EXPECT_EQ(run(QStringLiteral("tick")), "enter w1 w2 w4 w5 w2 w4");
    drop({QStringLiteral("none")});
    EXPECT_EQ(env.state().NewsQueue.lastIndex(), 2);

    // Undated, the entry's own site title stands in the time stamp's place.
    ArticleRecord mine;
    mine.Account = 1;
    mine.SiteIndex = -1;
    mine.SiteTitle = QStringLiteral("Their feed");
    EXPECT_EQ(showing.entryTexts(mine).first, QStringLiteral("Their feed"));
}

TEST_F(TickerShowingTest, ButtonsPauseAndStepWithoutWrapping) {
    struct Case {
        const char* name;
        qint16 mode;
        const char* steps;
        const char* trace;
        bool paused;
        bool previous;
        bool next;
    };
    // Five entries; ShowForm shows entry 1 at once.
    const Case cases[] = {
        {"<< on the first entry only pauses", 0, "<<", "enter w1", true, false, true},
        {">> shows the next at once", 0, "tick >>", "enter w1 w2 d3", true, true, true},
        {"resume continues after the entry on display", 0, "tick >> play tick", "enter w1 w2 d3 w4",
         false, true, true},
        {"pause and resume", 0, "tick play play tick", "enter w1 w2 w3", false, true, true},
        {"no wrap-around at the end", 0, ">> >> >> >> >>", "enter w1 d2 d3 d4 d5", true, true,
         false},
        {"<< steps back", 0, ">> >> << <<", "enter w1 d2 d3 d2 d1", true, false, true},
        {"resume on the last entry ends a pop-up round", 1, ">> >> >> >> play tick",
         "enter w1 d2 d3 d4 d5 close hide", false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        env.state().NewsQueue.clear();
        view.trace.clear();
        showing.unload();
        fill(5);
        EXPECT_EQ(run(QStringLiteral("show%1 ").arg(c.mode) + QString::fromUtf8(c.steps)), c.trace);
        EXPECT_EQ(view.paused, c.paused);
        EXPECT_EQ(view.timerRunning, !c.paused && showing.isShowing());
        EXPECT_EQ(view.buttons.previous, c.previous);
        EXPECT_EQ(view.buttons.next, c.next);
    }
}

// Entry 2 held, entry 3 highlighted by the display rules (where the queue has them); "ptr"
// and "unptr" the pointer coming onto the ticker and leaving it, "click" a click on it.
TEST_F(TickerShowingTest, HeldHighlightedAndHoveredHeadlines) {
    struct Case {
        const char* name;
        int entries;
        const char* steps;
        const char* trace;
    };
    const Case cases[] = {
        {"a held headline stays until >>, which goes on", 3, "show1 tick tick tick >> tick",
         "enter w1 w2 d3:123456 close hide"},
        {"a held last headline ends the round when released", 2, "show1 tick tick tick >> tick",
         "enter w1 w2 close hide"},
        {"a click releases it for good", 4, "show0 tick tick click tick tick tick tick tick",
         "enter w1 w2 w3:123456 w4 w1 w2 w3:123456"},
        {"highlight only colours its own headline", 3, "show0 tick click tick tick",
         "enter w1 w2 w3:123456 w1"},
        {"the pointer keeps the headline and the pop-up", 3, "show1 ptr tick tick", "enter w1"},
        {"when it leaves the round goes on", 3, "show1 ptr tick unptr tick", "enter w1 w2"},
        {"<< releases the held headline too", 3, "show0 tick << play tick tick",
         "enter w1 w2 d1 w2 w3:123456"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        env.state().NewsQueue.clear();
        view.trace.clear();
        showing.unload();
        fill(c.entries);
        ArticleArray& queue = env.state().NewsQueue;
        queue[2].Display = RuleAction::Hold;
        if (c.entries >= 3) {
            queue[3].Display = RuleAction::Highlight;
            queue[3].HighlightColour = 0x123456;
        }
        EXPECT_EQ(run(QString::fromUtf8(c.steps)), c.trace);
        EXPECT_FALSE(view.paused);
    }
}

// Once handed over, an entry is the showing's own: what later becomes of the queue's slot or
// the site's row changes nothing on display; what the patrol appends still comes.
TEST_F(TickerShowingTest, HandedEntriesAreTheShowingsOwn) {
    fill(3);
    showing.ShowForm(ShowMode::Permanent);
    ASSERT_EQ(view.headlineShown, QStringLiteral("#1"));
    ArticleArray& queue = env.state().NewsQueue;
    queue[2].Title = QStringLiteral("#changed");
    queue[2].SiteTitle = QStringLiteral("Elsewhere");
    queue[2].IsNew = false;
    env.state().SiteTable[1].strTitle = QStringLiteral("Renamed");
    showing.articleTick();
    EXPECT_EQ(view.headlineShown, QStringLiteral("#2"));
    EXPECT_EQ(view.site, QStringLiteral("Site B"));
    EXPECT_FALSE(showing.entry(2).IsNew);  // recorded as shown: it was new when handed over
    fill(1);
    showing.articleTick();
    showing.articleTick();
    EXPECT_EQ(view.headlineShown, QStringLiteral("#4"));
    EXPECT_EQ(view.site, QStringLiteral("Renamed"));
}

// Letting a held headline go lets go of the same article queued again, not of another.
TEST_F(TickerShowingTest, ReleasingAHeldHeadlineReleasesItsOtherCopies) {
    fill(3);
    ArticleArray& queue = env.state().NewsQueue;
    for (const int i : {1, 3}) {
        queue[i].Identity = QStringLiteral("same");
        queue[i].Display = RuleAction::Hold;
    }
    queue[2].Display = RuleAction::Hold;
    showing.ShowForm(ShowMode::Permanent);
    ASSERT_TRUE(showing.isHeld(TickerHold::Headline));
    ASSERT_TRUE(showing.releaseHeadline());
    EXPECT_EQ(showing.entry(3).Display, RuleAction::Show);
    EXPECT_EQ(showing.entry(2).Display, RuleAction::Hold);
}

TEST_F(TickerShowingTest, LabelsShowDateAndSiteOrTheSiteAloneOrTheWaitingTexts) {
    const QString date = QStringLiteral("06/03/16 07:24");
    struct Case {
        const char* name;
        bool dated;
        qint16 siteIndex;
        QString stamp;
        QString site;
    };
    const Case cases[] = {
        {"dated", true, 1, date, QStringLiteral("Site B")},
        {"undated: the site title in the time stamp's place", false, 1, QStringLiteral("Site B"),
         QString()},
        {"site no longer in the table", true, 7, date, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        env.state().NewsQueue.clear();
        showing.unload();
        fill(1, c.dated, c.siteIndex);
        showing.ShowForm(ShowMode::Permanent);
        EXPECT_EQ(view.stamp, c.stamp);
        EXPECT_EQ(view.site, c.site);
        EXPECT_EQ(view.headlineShown, QStringLiteral("#1"));
        EXPECT_TRUE(view.buttons.web);

        // While the patrol refills the queue: none of the entry's texts, no link.
        showing.ResetTicker();
        EXPECT_FALSE(view.timerRunning);
        EXPECT_NE(view.stamp, c.stamp);
        EXPECT_TRUE(view.site.isEmpty());
        EXPECT_FALSE(view.headlineShown.isEmpty());
        EXPECT_NE(view.headlineShown, QStringLiteral("#1"));
        EXPECT_FALSE(view.buttons.web);
        EXPECT_TRUE(showing.currentLink().isEmpty());
    }
    // A window loaded afresh shows the program's name.
    showing.load();
    EXPECT_EQ(view.stamp, env.state().exeBaseName());
    EXPECT_EQ(view.headlineShown, TickerShowing::loadingText());
}

// A speech engine that records what it is asked to say ("■" for a stop) and finishes an
// utterance when the test says so.
class FakeSpeech final : public SpeechEngine {
public:
    [[nodiscard]] QString unavailableReason() const override { return {}; }
    void say(const QString& text) override { said << text; }
    void stop() override { said << QStringLiteral("■"); }
    void finish() { reportFinished(); }
    QStringList said;
};

class TickerSpeechTest : public ::testing::Test {
protected:
    TickerSpeechTest() {
        SiteRow row;
        row.strTitle = QStringLiteral("Site A");
        env.state().SiteTable.append(row);
        auto engine = std::make_unique<FakeSpeech>();
        speech = engine.get();
        env.state().useSpeechEngine(std::move(engine));
        env.state().settings.TICKER_SPEAK = true;
        showing = std::make_unique<TickerShowing>(env.state(), view, view);
        view.showing = showing.get();
        showing->load();
    }
    void fill() {
        env.state().NewsQueue.clear();
        for (int i = 1; i <= 3; ++i) {
            ArticleRecord record;
            record.Title = QStringLiteral("#%1").arg(i);
            record.SiteIndex = 0;
            record.SiteTitle = QStringLiteral("Site A");
            env.state().NewsQueue.append(record);
        }
    }

    TestEnv env;
    FakeSpeech* speech = nullptr;
    TraceView view;
    std::unique_ptr<TickerShowing> showing;
};

TEST_F(TickerSpeechTest, ReadsEachHeadlineAfterItsSiteInOrderAndStopsWithThePause) {
    struct Case {
        const char* steps;
        const char* said;
    };
    // "done": the engine has said its utterance to the end. The showing starts on #1.
    const Case cases[] = {
        {"", "Site A。#1"},
        {"done tick", "Site A。#1|Site A。#2"},
        // A headline waits for the one being read; of two waiting only the newer is read.
        {"tick", "Site A。#1"},
        {"tick tick done", "Site A。#1|Site A。#3"},
        // The pause and the close stop the reading, and nothing waiting is read afterwards.
        {"play", "Site A。#1|■"},
        {"tick play done", "Site A。#1|■"},
        {"hide done", "Site A。#1|■"},
        // A step is read at once.
        {">>", "Site A。#1|■|Site A。#2"},
        {"done >> <<", "Site A。#1|Site A。#2|■|Site A。#1"},
        // Read-aloud off: nothing is said.
        {"quiet done tick", "Site A。#1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.steps);
        showing->unload();
        fill();
        speech->said.clear();
        env.state().settings.TICKER_SPEAK = true;
        showing->ShowForm(ShowMode::Permanent);
        for (const QString& step :
             QString::fromUtf8(c.steps).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (step == QLatin1String("done")) {
                speech->finish();
            } else if (step == QLatin1String("tick")) {
                showing->articleTick();
            } else if (step == QLatin1String("play")) {
                showing->playPressed();
            } else if (step == QLatin1String("hide")) {
                showing->hidePressed();
            } else if (step == QLatin1String(">>")) {
                showing->nextPressed();
            } else if (step == QLatin1String("<<")) {
                showing->previousPressed();
            } else if (step == QLatin1String("quiet")) {
                env.state().settings.TICKER_SPEAK = false;
            }
        }
        EXPECT_EQ(speech->said.join(QLatin1Char('|')).toStdString(), c.said);
    }
}

}  // namespace
