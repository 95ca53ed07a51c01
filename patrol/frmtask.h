#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QSet>
#include <QtGlobal>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include "core/articlerecord.h"
#include "core/feedservice.h"
#include "patrol/patrolhost.h"
#include "patrol/patrollog.h"
#include "patrol/patrolschedule.h"
#include "platform/system/workerpool.h"

class ArticleSource;
struct AppState;
class SourceIntake;

// The patrol window: never shown, it exists for its timer. Every AUTO_PIROT_MINITS
// minutes it walks the site table, fetches feeds and feeds NewsQueue, in one of two modes
// (AUTO_PIROT_MODE 0: up to the first site with news; 2: every site). The article list
// asks it for one site's full list. It reaches the ticker and the status bar only through
// the two interfaces it is given, and the network only through the fetch service. What is
// due when (the countdown, which walk comes next, where a walk goes after each site, which
// sites are fetched ahead) is its PatrolSchedule's to say; frmTask does what it says.
//
// A walk never blocks: each eligible site's fetch is asked of the service and the walk
// goes on when its result comes back. Results are applied strictly in table order, one
// site at a time on the UI thread, so the queue, the shown-list files and the status
// texts are what a walk that fetched each site in turn would give. The all-sites mode
// keeps up to kMaxPatrolFetches fetches of the sites ahead in flight meanwhile.
//
// The display rules judge a feed where it is read. When they change before its result is
// applied, the feed is judged again on a thread of the patrol's own and applied when that
// is done: no rule ever runs on the UI thread.
class frmTask : public QObject, public PatrolControl {
    Q_OBJECT

public:
    static constexpr int kRefreshIntervalMs = PatrolSchedule::kRefreshIntervalMs;
    static constexpr int kMaxPatrolFetches = PatrolSchedule::kMaxPatrolFetches;
    // Times one feed is judged again while the rules keep changing under it (a sync tool
    // rewriting the file); after that it goes in with the verdicts of rules in force a
    // moment ago, as articles already queued keep theirs.
    static constexpr int kMaxJudgings = 3;

    frmTask(AppState& state, TickerControl& ticker, StatusSink& status, QObject* parent = nullptr);
    ~frmTask() override;
    frmTask(const frmTask&) = delete;
    frmTask& operator=(const frmTask&) = delete;

    // Starts the timer and patrols at once.
    void Form_Load();
    void RssRefresh() override;
    // One walk from intNextKey (0 when outside the table). Normal mode (blnFullFlg false)
    // visits the eligible sites in table order, wrapping at the end, and stops after the
    // first that admits articles to NewsQueue; done gets the index after that site, or the
    // start when none did. Refused while the site list is not ready or a walk is already
    // running: done gets intNextKey at once and nothing else happens.
    // Full mode fetches the requested site alone (deleted or not) on its own, beside any
    // walk, and appends its items to ListArticles; done gets the index after it, or
    // intNextKey when it has none. A new full-mode request replaces one still waiting.
    void LoadRdf(qint16 intNextKey, bool blnFullFlg, WalkDone done) override;
    bool loadSourceList(const ArticleRecord& of, std::function<void()> done) override;
    void cancelListLoad() override;
    // Ends the patrol under way and the article list's load, if any: fetches are
    // cancelled, no further site is applied, blnBusy is cleared, the timer runs again and
    // the status bar is emptied of the stopped walk's text. For a site list replaced
    // meanwhile.
    void cancelPatrol();
    // Status-bar texts go to the main window; the others to the qv.patrol log.
    void LogWrite(const QString& strValue, bool blnStatusBar);

    // Patrol period in ticks of tmrRefresh: 6 per minute of AUTO_PIROT_MINITS. 32-bit, so
    // any value a hand-edited config.ini holds fits; 0 or less patrols at every tick.
    [[nodiscard]] qint32 periodTicks() const;
    // True from a timed or requested patrol's start until its last walk has ended.
    [[nodiscard]] bool isPatrolling() const { return schedule.patrolling(); }

    // The state below is public for reading; only frmTask changes it.
    QTimer tmrRefresh;
    PatrolSchedule schedule;
    // The schedule's countdown (ticks since the last timed patrol) and where its next
    // one-site-mode walk starts.
    qint32& TickCount = schedule.TickCount;
    qint16& NextSiteIndex = schedule.NextSiteIndex;
    // True while a LoadRdf walk runs.
    bool blnBusy = false;
    // Items of the site applied last.
    QList<ArticleRecord> SiteArticles;

public Q_SLOTS:
    void tmrRefresh_Timer();

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

    // Does what the schedule said after a tick, "check now" or a walk of the patrol.
    void follow(const PatrolSchedule::PatrolStep& step);
    // The patrol's last walk has ended: every site it visits has been heard from. A source
    // of articles the patrol asks once per patrol is asked here.
    void walksEnded(bool showTicker);
    void finishPatrol();
    // Once per start, after a patrol, the status bar says that rules.txt could not be read
    // or which of its lines cannot be used; and once for each rule whose regular expression
    // gave up at its bound on some headline.
    void tellRulesProblems();
    // Whether result may be applied now (see judgedByRulesInForce); false when its feed must
    // be judged again first and judgings has not reached kMaxJudgings.
    [[nodiscard]] bool readyToApply(FeedFetchResult& result, int judgings);
    // Judges feed for the site of feedUrl by the rules in force, on the judging thread;
    // judged then gets it back on this thread, unless this frmTask is gone.
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

    AppState& state;
    TickerControl& ticker;
    StatusSink& status;
    // A tick came while the rules' first read was under way.
    bool waitingForRules = false;
    std::optional<Walk> walk;
    // In table order; the front one is the site the walk has reached or will reach next.
    std::deque<Fetch> fetches;
    // Bumped whenever a walk is dropped, so that a callback of the old one does nothing.
    quint64 generation = 0;
    quint64 lastFetchKey = 0;
    // continueWalk is running: what would re-enter it is left to its loop.
    bool driving = false;
    quint64 listRequest = 0;
    // The source asked for the article list's articles, and the number of that request.
    ArticleSource* listSource = nullptr;
    quint64 sourceList = 0;
    // The article list's feed on the judging thread (0: none), and the last such number.
    quint64 listJudging = 0;
    quint64 lastListJudging = 0;
    // Where the other sources' articles go.
    std::shared_ptr<SourceIntake> sourceIntake;
    bool rulesFailureTold = false;
    bool rulesProblemsTold = false;
    // The over-budget rules named so far, as told.
    QSet<QString> overBudgetTold;
    // Declared last: destroyed first, after the destructor has told it to stop.
    std::shared_ptr<std::atomic<bool>> stopJudging = std::make_shared<std::atomic<bool>>(false);
    WorkerPool judges{1};
};
