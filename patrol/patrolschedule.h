#pragma once

#include <QList>
#include <QtGlobal>
#include <functional>

#include "core/settings.h"

// What the patrol does when, as decisions on plain values: the countdown between patrols,
// the walks a patrol is made of (up to the first site with news, or every site in table
// order), where a walk goes after each site, and which sites ahead are fetched while the
// walk waits. No timer, no table, no network: frmTask tells it what happened (a tick, the
// user's "check now", a walk's end), its SiteWalk where a walk is (a walk's start, a site
// done, the fetches ahead), and each does what it answers.
//
// A patrol is one or more walks. Each walk ends after a site with news or when it has come
// round (one-site mode) or reached the table's end (all-sites mode). walkEnded() then says
// whether another walk follows or the patrol's walks are over (PatrolStep::WalksEnded):
// that is the one point where the patrol, having heard from every site it will visit,
// hands its queue on.
class PatrolSchedule {
public:
    static constexpr int kRefreshIntervalMs = 10'000;
    // Seconds one tick stands for in the countdown text.
    static constexpr int kSecondsPerTick = 10;
    // Fetches in flight at once in the all-sites mode.
    static constexpr int kMaxPatrolFetches = 4;
    // Sites ahead of the one being applied whose results may wait, read, for their turn.
    static constexpr int kMaxPrefetchedSites = 16;

    // What to do after a tick, "check now" or a walk's end.
    struct PatrolStep {
        enum class Kind {
            // A patrol is under way: the tick or request is dropped.
            Nothing,
            // The display rules' first read has not come back: tick again when it has.
            AwaitRules,
            // Not due yet; secondsLeft until it is.
            Countdown,
            // Start a walk at site (wrapping at the table's end when wrap).
            Walk,
            // The patrol's last walk has ended (or it had none to make); showTicker: the
            // whole queue is shown now (all-sites mode) rather than at each site's news.
            WalksEnded,
        };
        Kind kind = Kind::Nothing;
        qint32 secondsLeft = 0;
        qint16 site = 0;
        bool wrap = true;
        // Before the first walk: the queue left from the last patrol is dropped first.
        bool resetTicker = false;
        // The first walk of a patrol: the other sources of articles are asked now.
        bool patrolStarts = false;
        bool showTicker = false;
    };

    // Where a walk goes next.
    struct WalkStep {
        enum class Kind {
            // Visit site (skip it with siteDone(false) when it is not eligible).
            Visit,
            // The walk is over; site is where a following walk starts.
            Ended,
        };
        Kind kind = Kind::Ended;
        qint16 site = 0;
    };

    // Patrol period in ticks: 6 per minute. 32-bit, so any value a hand-edited config.ini
    // holds fits; 0 or less patrols at every tick.
    [[nodiscard]] static qint32 periodTicks(qint16 minutes);

    // The program starts: the first tick patrols, from the first site.
    void load(qint16 minutes);
    // One tick of the countdown. rulesReady: the display rules have been read once.
    // queueEmpty: nothing waits in NewsQueue (the all-sites mode resets a queue that does).
    [[nodiscard]] PatrolStep tick(qint16 minutes, PatrolMode mode, bool rulesReady,
                                  bool queueEmpty);
    // The user's "check now": a patrol unless one is under way.
    [[nodiscard]] PatrolStep checkNow(qint16 minutes, PatrolMode mode, bool rulesReady,
                                      bool queueEmpty);
    // A walk of the patrol has ended; next is where a following walk would start.
    [[nodiscard]] PatrolStep walkEnded(qint16 next);
    // The patrol has handed on what it found: the countdown runs again.
    void patrolEnded();
    // The patrol and its walk are dropped (the site list was replaced).
    void cancel();

    // A walk from site from over rows rows (from outside the table: the first row). wrap:
    // go round to the first row and stop short of the start; else stop at the table's end.
    [[nodiscard]] WalkStep startWalk(qint16 from, bool wrap, int rows);
    // The site the walk is at has been applied (added: it admitted news) or skipped.
    [[nodiscard]] WalkStep siteDone(bool added, int rows);
    // The site the walk is at; meaningful while walking().
    [[nodiscard]] qint16 site() const { return walkSite; }
    [[nodiscard]] bool walking() const { return walkUnderWay; }

    // The sites after the walk's to fetch ahead now, in table order, in the all-sites mode
    // only: inFlight fetches are under way, buffered fetches (done or not) wait their turn
    // and the last of them is lastBuffered (-1: none). eligible says whether a row is
    // fetched at all. Every row is offered once per patrol.
    [[nodiscard]] QList<qint16> prefetch(int inFlight, int buffered, qint16 lastBuffered, int rows,
                                         const std::function<bool(qint16)>& eligible);
    // Fetches ahead were dropped: offer the rows again from the walk's.
    void forgetPrefetch() { prefetchFrom = 0; }

    [[nodiscard]] bool patrolling() const { return underWay; }
    [[nodiscard]] bool allSites() const { return allSitesMode; }

    // Ticks since the last timed patrol.
    qint32 TickCount = 0;
    // Where the next one-site-mode walk starts.
    qint16 NextSiteIndex = 0;

private:
    PatrolStep startPatrol(PatrolMode mode, bool queueEmpty);

    bool underWay = false;
    bool allSitesMode = false;
    bool walkUnderWay = false;
    bool walkWraps = true;
    qint16 walkStart = 0;
    qint16 walkSite = 0;
    int visited = 0;
    // Next row to consider for a fetch ahead.
    qint16 prefetchFrom = 0;
};
