#include <gtest/gtest.h>

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include "patrol/patrolschedule.h"

namespace {

using Step = PatrolSchedule::PatrolStep;
using WalkStep = PatrolSchedule::WalkStep;

QString describe(const Step& step) {
    switch (step.kind) {
        case Step::Kind::Nothing:
            return QStringLiteral("nothing");
        case Step::Kind::AwaitRules:
            return QStringLiteral("await rules");
        case Step::Kind::Countdown:
            return QStringLiteral("%1s").arg(step.secondsLeft);
        case Step::Kind::Walk:
            return QStringLiteral("walk %1%2%3")
                .arg(step.site)
                .arg(step.wrap ? QStringLiteral(" wrap") : QString())
                .arg(step.resetTicker ? QStringLiteral(" reset") : QString());
        case Step::Kind::WalksEnded:
            return step.showTicker ? QStringLiteral("ended show") : QStringLiteral("ended");
    }
    return {};
}

// One walk run to its end over rows; the sites in news admit news. The sites visited,
// then "-> n" with where the next walk starts.
QStringList runWalk(PatrolSchedule& schedule, qint16 from, bool wrap, int rows,
                    const QSet<int>& news) {
    QStringList trail;
    WalkStep step = schedule.startWalk(from, wrap, rows);
    int guard = 0;
    while (step.kind == WalkStep::Kind::Visit && ++guard < 1000) {
        trail.append(QString::number(step.site));
        EXPECT_EQ(schedule.site(), step.site);
        step = schedule.siteDone(news.contains(step.site), rows);
    }
    EXPECT_FALSE(schedule.walking());
    trail.append(QStringLiteral("-> %1").arg(step.site));
    return trail;
}

TEST(PatrolSchedule, CountsDownToThePatrol) {
    // Events: t a tick, n "check now", w and m the same before the rules' first read is back,
    // l the program's start, e the patrol's end (no step of its own).
    const struct {
        const char* name;
        qint16 minutes;
        PatrolMode mode;
        bool queueEmpty;
        const char* events;
        QString steps;
    } cases[] = {
        {"two minutes", 2, PatrolMode::OneSite, true, "ttttttttttttet",
         "110s, 100s, 90s, 80s, 70s, 60s, 50s, 40s, 30s, 20s, 10s, walk 3 wrap, 110s"},
        {"zero patrols at every tick", 0, PatrolMode::OneSite, true, "tete",
         "walk 3 wrap, walk 3 wrap"},
        {"less than zero too", -3, PatrolMode::OneSite, true, "te", "walk 3 wrap"},
        {"the start patrols at once", 2, PatrolMode::OneSite, true, "lt", "walk 0 wrap"},
        {"nothing starts a second patrol", 2, PatrolMode::OneSite, true, "lttnet",
         "walk 0 wrap, nothing, nothing, 110s"},
        {"ticks before the rules do not count", 1, PatrolMode::OneSite, true, "wwwttttt",
         "await rules, await rules, await rules, 50s, 40s, 30s, 20s, 10s"},
        {"a check before the rules patrols at the first tick after", 2, PatrolMode::OneSite, true,
         "wmt", "await rules, await rules, walk 3 wrap"},
        {"every site: from the top, a queue left over reset", 2, PatrolMode::AllSites, false, "n",
         "walk 0 reset"},
        {"every site, nothing queued", 2, PatrolMode::AllSites, true, "n", "walk 0"},
        {"a mode never offered patrols nothing", 2, PatrolMode::NeverOffered, true, "nen",
         "ended, ended"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PatrolSchedule schedule;
        schedule.NextSiteIndex = 3;  // the start and the all-sites mode begin at the top
        QStringList steps;
        for (const char* event = c.events; *event != '\0'; ++event) {
            switch (*event) {
                case 'l':
                    schedule.load(c.minutes);
                    break;
                case 'e':
                    schedule.patrolEnded();
                    break;
                case 'n':
                case 'm':
                    steps.append(describe(
                        schedule.checkNow(c.minutes, c.mode, *event == 'n', c.queueEmpty)));
                    break;
                default:
                    steps.append(
                        describe(schedule.tick(c.minutes, c.mode, *event == 't', c.queueEmpty)));
            }
        }
        EXPECT_EQ(steps.join(QStringLiteral(", ")).toStdString(), c.steps.toStdString());
    }

    // A huge period neither overflows nor patrols early.
    PatrolSchedule schedule;
    EXPECT_EQ(PatrolSchedule::periodTicks(32767), 196602);
    schedule.TickCount = 179998;
    EXPECT_EQ(describe(schedule.tick(30000, PatrolMode::OneSite, true, true)),
              QStringLiteral("10s"));
}

TEST(PatrolSchedule, WalksGoUpToTheFirstSiteWithNewsOrRound) {
    const struct {
        const char* name;
        qint16 from;
        bool wrap;
        int rows;
        QSet<int> news;
        QStringList trail;
    } cases[] = {
        {"news at the third", 0, true, 5, {2}, {"0", "1", "2", "-> 3"}},
        {"round without news", 3, true, 5, {}, {"3", "4", "0", "1", "2", "-> 3"}},
        {"news at the last row wraps", 3, true, 5, {4}, {"3", "4", "-> 0"}},
        {"news at the start", 2, true, 5, {2, 3}, {"2", "-> 3"}},
        {"news only behind the start", 2, true, 5, {1}, {"2", "3", "4", "0", "1", "-> 2"}},
        {"a start beyond the table", 40, true, 3, {}, {"0", "1", "2", "-> 0"}},
        {"a start below the table", -1, true, 3, {1}, {"0", "1", "-> 2"}},
        {"one row", 0, true, 1, {}, {"0", "-> 0"}},
        {"one row with news", 0, true, 1, {0}, {"0", "-> 0"}},
        {"no rows", 4, true, 0, {}, {"-> 4"}},
        {"to the end", 2, false, 5, {}, {"2", "3", "4", "-> 0"}},
        {"to the end, news", 1, false, 5, {3}, {"1", "2", "3", "-> 4"}},
        {"to the end, news at the end", 0, false, 3, {2}, {"0", "1", "2", "-> 0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PatrolSchedule schedule;
        EXPECT_EQ(runWalk(schedule, c.from, c.wrap, c.rows, c.news), c.trail);
    }
}

TEST(PatrolSchedule, AWalkOverATableThatShrinksEnds) {
    // Rows deleted under a walk: it never visits a row past the end and never runs for ever.
    PatrolSchedule schedule;
    ASSERT_EQ(schedule.startWalk(3, true, 5).site, 3);
    WalkStep step = schedule.siteDone(false, 2);
    ASSERT_EQ(step.kind, WalkStep::Kind::Visit);
    EXPECT_EQ(step.site, 0);
    step = schedule.siteDone(false, 2);
    EXPECT_EQ(step.kind, WalkStep::Kind::Ended);
}

// A whole patrol driven as frmTask drives it: each walk's sites, then how it ended.
QStringList runPatrol(PatrolSchedule& schedule, PatrolMode mode, int rows, const QSet<int>& news) {
    QStringList trail;
    Step step = schedule.checkNow(2, mode, true, true);
    int guard = 0;
    int sourcesAsked = 0;
    while (step.kind == Step::Kind::Walk && ++guard < 100) {
        sourcesAsked += step.patrolStarts ? 1 : 0;
        const QStringList walk = runWalk(schedule, step.site, step.wrap, rows, news);
        trail.append(walk.join(QLatin1Char(' ')));
        step = schedule.walkEnded(walk.last().mid(3).toShort());
    }
    // The other sources of articles are asked once a patrol, as its first walk starts.
    EXPECT_EQ(sourcesAsked, trail.isEmpty() ? 0 : 1);
    trail.append(describe(step));
    schedule.patrolEnded();
    return trail;
}

TEST(PatrolSchedule, APatrolIsOneWalkOrEverySiteOnce) {
    const struct {
        const char* name;
        PatrolMode mode;
        qint16 next;
        int rows;
        QSet<int> news;
        QStringList trail;
        qint16 nextAfter;
    } cases[] = {
        {"one site: up to the news", PatrolMode::OneSite, 1, 5, {3}, {"1 2 3 -> 4", "ended"}, 4},
        {"one site: none", PatrolMode::OneSite, 1, 5, {}, {"1 2 3 4 0 -> 1", "ended"}, 1},
        {"every site: walks end at news",
         PatrolMode::AllSites,
         3,
         5,
         {1, 3},
         {"0 1 -> 2", "2 3 -> 4", "4 -> 0", "ended show"},
         0},
        {"every site: news at the last",
         PatrolMode::AllSites,
         0,
         5,
         {4},
         {"0 1 2 3 4 -> 0", "ended show"},
         0},
        {"every site: each has news",
         PatrolMode::AllSites,
         0,
         3,
         {0, 1, 2},
         {"0 -> 1", "1 -> 2", "2 -> 0", "ended show"},
         0},
        {"every site: no rows", PatrolMode::AllSites, 2, 0, {}, {"-> 0", "ended show"}, 0},
        {"never offered", PatrolMode::NeverOffered, 2, 5, {0}, {"ended"}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PatrolSchedule schedule;
        schedule.NextSiteIndex = c.next;
        EXPECT_EQ(runPatrol(schedule, c.mode, c.rows, c.news), c.trail);
        EXPECT_EQ(schedule.NextSiteIndex, c.nextAfter);
        EXPECT_FALSE(schedule.patrolling());
        EXPECT_FALSE(schedule.allSites());
    }
}

TEST(PatrolSchedule, FetchesAheadStayWithinTheirBounds) {
    const auto every = [](qint16) { return true; };
    const auto startAllSites = [](PatrolSchedule& schedule, qint16 at, int rows) {
        ASSERT_EQ(schedule.checkNow(2, PatrolMode::AllSites, true, true).kind, Step::Kind::Walk);
        ASSERT_EQ(schedule.startWalk(0, false, rows).kind, WalkStep::Kind::Visit);
        for (qint16 i = 0; i < at; ++i) {
            ASSERT_EQ(schedule.siteDone(false, rows).kind, WalkStep::Kind::Visit);
        }
    };
    {
        SCOPED_TRACE("four in flight, the head's among them");
        PatrolSchedule schedule;
        startAllSites(schedule, 0, 40);
        EXPECT_EQ(schedule.prefetch(1, 1, 0, 40, every), QList<qint16>({1, 2, 3}));
        // Each row is offered once: nothing more while four are in flight.
        EXPECT_TRUE(schedule.prefetch(4, 4, 3, 40, every).isEmpty());
        // Two done: two more, after the last asked.
        EXPECT_EQ(schedule.prefetch(2, 4, 3, 40, every), QList<qint16>({4, 5}));
    }
    {
        SCOPED_TRACE("rows that are not fetched are passed over");
        PatrolSchedule schedule;
        startAllSites(schedule, 2, 10);
        const auto odd = [](qint16 row) { return row % 2 == 1; };
        EXPECT_EQ(schedule.prefetch(1, 1, 2, 10, odd), QList<qint16>({3, 5, 7}));
        EXPECT_EQ(schedule.prefetch(0, 4, 7, 10, odd), QList<qint16>({9}));
        EXPECT_TRUE(schedule.prefetch(0, 5, 9, 10, odd).isEmpty());
    }
    {
        SCOPED_TRACE("results waiting their turn hold the walk's lead");
        PatrolSchedule schedule;
        startAllSites(schedule, 0, 100);
        const int full = PatrolSchedule::kMaxPrefetchedSites + 1;
        EXPECT_TRUE(schedule.prefetch(0, full, qint16(full - 1), 100, every).isEmpty());
        // One applied: room for one more.
        EXPECT_EQ(schedule.prefetch(0, full - 1, qint16(full - 1), 100, every),
                  QList<qint16>({qint16(full)}));
    }
    {
        SCOPED_TRACE("only in the all-sites mode, and after a drop from the walk on");
        PatrolSchedule schedule;
        ASSERT_EQ(schedule.startWalk(0, true, 10).kind, WalkStep::Kind::Visit);
        EXPECT_TRUE(schedule.prefetch(0, 0, -1, 10, every).isEmpty());
        PatrolSchedule allSites;
        startAllSites(allSites, 5, 10);
        EXPECT_EQ(allSites.prefetch(0, 0, -1, 10, every), QList<qint16>({6, 7, 8, 9}));
        allSites.forgetPrefetch();
        EXPECT_EQ(allSites.prefetch(0, 0, -1, 10, every), QList<qint16>({6, 7, 8, 9}));
        allSites.cancel();
        EXPECT_TRUE(allSites.prefetch(0, 0, -1, 10, every).isEmpty());
    }
}

}  // namespace
