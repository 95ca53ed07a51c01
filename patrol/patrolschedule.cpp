#include "patrol/patrolschedule.h"

#include <algorithm>

qint32 PatrolSchedule::periodTicks(qint16 minutes) {
    return qint32(minutes) * 60 / (kRefreshIntervalMs / 1000);
}

void PatrolSchedule::load(qint16 minutes) {
    NextSiteIndex = 0;
    TickCount = periodTicks(minutes);
}

PatrolSchedule::PatrolStep PatrolSchedule::tick(qint16 minutes, PatrolMode mode, bool rulesReady,
                                                bool queueEmpty) {
    PatrolStep step;
    if (underWay) {
        return step;
    }
    // Headlines are admitted under the rules of the file, never under none because the
    // file's first read has not come back yet.
    if (!rulesReady) {
        step.kind = PatrolStep::Kind::AwaitRules;
        return step;
    }
    ++TickCount;
    if (periodTicks(minutes) > TickCount) {
        step.kind = PatrolStep::Kind::Countdown;
        step.secondsLeft = qint32(minutes) * 60 - TickCount * kSecondsPerTick;
        return step;
    }
    TickCount = 0;
    return startPatrol(mode, queueEmpty);
}

PatrolSchedule::PatrolStep PatrolSchedule::checkNow(qint16 minutes, PatrolMode mode,
                                                    bool rulesReady, bool queueEmpty) {
    if (underWay) {
        return {};
    }
    // The tick that follows finds the period full.
    TickCount = periodTicks(minutes);
    return tick(minutes, mode, rulesReady, queueEmpty);
}

PatrolSchedule::PatrolStep PatrolSchedule::startPatrol(PatrolMode mode, bool queueEmpty) {
    underWay = true;
    PatrolStep step;
    switch (mode) {
        case PatrolMode::OneSite:
            step.kind = PatrolStep::Kind::Walk;
            step.site = NextSiteIndex;
            step.wrap = true;
            step.patrolStarts = true;
            break;
        case PatrolMode::AllSites:
            // Each walk ends after a site with news or at the table's end, so every site is
            // visited once and nothing is queued twice in one patrol.
            allSitesMode = true;
            prefetchFrom = 0;
            NextSiteIndex = 0;
            step.kind = PatrolStep::Kind::Walk;
            step.site = 0;
            step.wrap = false;
            step.resetTicker = !queueEmpty;
            step.patrolStarts = true;
            break;
        case PatrolMode::NeverOffered:
            step.kind = PatrolStep::Kind::WalksEnded;  // the ticks go on, nothing is fetched
            break;
    }
    return step;
}

PatrolSchedule::PatrolStep PatrolSchedule::walkEnded(qint16 next) {
    const qint16 start = NextSiteIndex;
    NextSiteIndex = next;
    PatrolStep step;
    if (allSitesMode && next > start) {
        step.kind = PatrolStep::Kind::Walk;
        step.site = next;
        step.wrap = false;
        return step;
    }
    step.kind = PatrolStep::Kind::WalksEnded;
    step.showTicker = allSitesMode;
    return step;
}

void PatrolSchedule::patrolEnded() {
    underWay = false;
    allSitesMode = false;
}

void PatrolSchedule::cancel() {
    underWay = false;
    allSitesMode = false;
    walkUnderWay = false;
    prefetchFrom = 0;
}

PatrolSchedule::WalkStep PatrolSchedule::startWalk(qint16 from, bool wrap, int rows) {
    if (rows <= 0) {
        walkUnderWay = false;
        return {WalkStep::Kind::Ended, from};
    }
    walkStart = from >= 0 && from < rows ? from : qint16(0);
    walkSite = walkStart;
    walkWraps = wrap;
    visited = 1;
    walkUnderWay = true;
    return {WalkStep::Kind::Visit, walkSite};
}

PatrolSchedule::WalkStep PatrolSchedule::siteDone(bool added, int rows) {
    const bool atEnd = walkSite + 1 > rows - 1;
    const qint16 next = atEnd ? qint16(0) : qint16(walkSite + 1);
    WalkStep step{WalkStep::Kind::Ended, next};
    if (atEnd && !walkWraps) {
        step.site = next;
    } else if (next == walkStart || visited >= rows) {
        // Come round without news: the next walk starts where this one did.
        step.site = walkStart;
    } else if (!added) {
        walkSite = next;
        ++visited;
        return {WalkStep::Kind::Visit, next};
    }
    walkUnderWay = false;
    return step;
}

QList<qint16> PatrolSchedule::prefetch(int inFlight, int buffered, qint16 lastBuffered, int rows,
                                       const std::function<bool(qint16)>& eligible) {
    QList<qint16> ask;
    if (!allSitesMode || !walkUnderWay) {
        return ask;
    }
    qint16 from = std::max<qint16>(prefetchFrom, qint16(walkSite + 1));
    if (buffered > 0) {
        from = std::max<qint16>(from, qint16(lastBuffered + 1));
    }
    while (inFlight < kMaxPatrolFetches && buffered <= kMaxPrefetchedSites && from <= rows - 1) {
        if (eligible(from)) {
            ask.append(from);
            ++inFlight;
            ++buffered;
        }
        ++from;
    }
    prefetchFrom = from;
    return ask;
}
