#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QtGlobal>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include "core/articlerecord.h"
#include "core/articlesource.h"
#include "core/feedservice.h"
#include "platform/system/workerpool.h"

struct AppState;
class PatrolSchedule;
class StatusSink;
class TickerControl;

// The user's own sites as a source of articles: the walk over the site table. The patrol
// asks it for each of its walks (walk()), where its PatrolSchedule says; the walk visits
// the eligible sites in table order, fetches each feed and puts its fresh articles into
// NewsQueue, and ends after the first site with news or when it has come round (one-site
// mode) or at the table's end (all-sites mode). The article list asks it for one site's
// whole feed (LoadRdf in full mode).
//
// A walk never blocks: each eligible site's fetch is asked of the service and the walk
// goes on when its result comes back. Results are applied strictly in table order, one
// site at a time on the UI thread, so the queue, the shown-list files and the status
// texts are what a walk that fetched each site in turn would give. The all-sites mode
// keeps up to kMaxPatrolFetches fetches of the sites ahead in flight meanwhile, and keeps
// them from one walk to the next until the patrol's walks are over.
//
// The display rules judge a feed where it is read. When they change before its result is
// applied, the feed is judged again on a thread of the walk's own and applied when that
// is done: no rule ever runs on the UI thread.
//
// Lives on the UI thread. The destructor stops the judging thread (waiting for the feed it
// is at, which looks at its stop flag between headlines) and drops every fetch it asked
// for, so that neither a judged feed nor a fetch's result ever reaches a destroyed walk.
class SiteWalk final : public QObject, public ArticleSource {
    Q_OBJECT

public:
    using WalkDone = ArticleSource::WalkEnded;

    // Times one feed is judged again while the rules keep changing under it (a sync tool
    // rewriting the file); after that it goes in with the verdicts of rules in force a
    // moment ago, as articles already queued keep theirs.
    static constexpr int kMaxJudgings = 3;

    // schedule says where a walk goes after each site and which sites are fetched ahead;
    // it, the state, the ticker and the status bar outlive the walk.
    SiteWalk(AppState& state, PatrolSchedule& schedule, TickerControl& ticker, StatusSink& status,
             QObject* parent = nullptr);
    ~SiteWalk() override;
    SiteWalk(const SiteWalk&) = delete;
    SiteWalk& operator=(const SiteWalk&) = delete;

    // The site table is walked in the patrol's walks; its start asks nothing of it.
    void patrol(const std::shared_ptr<ArticleIntake>& intake) override;
    // A walk from step.from (see LoadRdf); true: ended always runs.
    bool walk(const PatrolWalk& step, WalkEnded ended) override;
    // The fetches ahead of the all-sites mode, kept between its walks, are dropped.
    void walksEnded() override;
    // The sites' articles keep no read state elsewhere.
    void articleOpened(const ArticleRecord& article) override;
    void articleShown(const ArticleRecord& article) override;

    // One walk from intNextKey (0 when outside the table). Normal mode (blnFullFlg false)
    // visits the eligible sites in table order, wrapping at the end, and stops after the
    // first that admits articles to NewsQueue; done gets the index after that site, or the
    // start when none did. Refused while the site list is not ready or a walk is already
    // running: done gets intNextKey at once and nothing else happens.
    // Full mode fetches the requested site alone (deleted or not) on its own, beside any
    // walk, and appends its items to ListArticles; done gets the index after it, or
    // intNextKey when it has none. A new full-mode request replaces one still waiting.
    void LoadRdf(qint16 intNextKey, bool blnFullFlg, WalkDone done);
    // Drops the article list's request still waiting for its feed; its done never runs.
    void cancelListLoad();
    // Ends the walk under way and the article list's load, if any: fetches are cancelled,
    // no further site is applied and blnBusy is cleared; the walk's done never runs. True
    // when something was under way.
    bool cancel();

    // True while a LoadRdf walk runs.
    bool blnBusy = false;
    // Items of the site applied last.
    QList<ArticleRecord> SiteArticles;

private:
    // One site's fetch, asked ahead of its turn or when the walk reached it.
    struct Fetch {
        qint16 index = 0;
        QString url;
        // The service's id (for cancel) and our own (results find their fetch by it).
        quint64 id = 0;
        quint64 key = 0;
        std::optional<FeedFetchResult> result;
        // Its feed is on the judging thread; judgings counts how often it went there.
        bool judging = false;
        int judgings = 0;
    };
    // The walk under way; where it is, is the schedule's.
    struct Walk {
        // The walk has shown the current site's text and waits for its result.
        bool waiting = false;
        WalkDone done;
    };

    // Whether result may be applied now (see judgedByRulesInForce); false when its feed must
    // be judged again first and judgings has not reached kMaxJudgings.
    [[nodiscard]] bool readyToApply(FeedFetchResult& result, int judgings);
    // Judges feed for the site of feedUrl by the rules in force, on the judging thread;
    // judged then gets it back on this thread, unless this walk is gone.
    void judgeOffThread(FeedReadResult feed, const QString& feedUrl,
                        std::function<void(FeedReadResult)> judged);
    void judgeHead();
    void applyListLoad(qint16 index, const QString& url, const WalkDone& done,
                       FeedFetchResult result, int judgings);
    void startWalk(qint16 intNextKey, bool wrap, WalkDone done);
    // Runs the walk until it must wait for a result or has ended.
    void continueWalk();
    // After the site the walk is at (added: it admitted news); goes on to the next site
    // or ends the walk.
    void advance(bool added);
    void endWalk(qint16 next);
    [[nodiscard]] bool isEligible(int index, bool blnFullFlg) const;
    // The fetch of the site the walk has reached, asked for now unless it is under way.
    Fetch& fetchForHead(qint16 index, const QString& url);
    // Asks ahead for the sites after the head, within the all-sites mode's limits.
    void prefetch();
    // Asks the service for url; returns our key and sets id to the service's.
    quint64 requestFetch(const QString& url, quint64& id);
    void onFetched(quint64 key, const FeedFetchResult& result);
    void dropFetches();
    // Hands on one site's articles; true when it added any (normal mode: at least one
    // admitted to NewsQueue).
    bool processEntry(qint16 index, const QString& url, const FeedFetchResult& result);
    // The fetched feed's items as SiteArticles of site siteIndex; true when there is one.
    bool ParseRdf(qint16 siteIndex, const FeedFetchResult& result);
    void LogWrite(const QString& strValue, bool blnStatusBar);

    AppState& state;
    PatrolSchedule& schedule;
    TickerControl& ticker;
    StatusSink& status;
    std::optional<Walk> walkUnderWay;
    // In table order; the front one is the site the walk has reached or will reach next.
    std::deque<Fetch> fetches;
    // Bumped whenever a walk is dropped, so that a callback of the old one does nothing.
    quint64 generation = 0;
    quint64 lastFetchKey = 0;
    // continueWalk is running: what would re-enter it is left to its loop.
    bool driving = false;
    quint64 listRequest = 0;
    // The article list's feed on the judging thread (0: none), and the last such number.
    quint64 listJudging = 0;
    quint64 lastListJudging = 0;
    // Declared last: destroyed first, after the destructor has told it to stop.
    std::shared_ptr<std::atomic<bool>> stopJudging = std::make_shared<std::atomic<bool>>(false);
    WorkerPool judges{1};
};
