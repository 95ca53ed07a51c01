#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QtGlobal>
#include <functional>
#include <memory>

#include "core/articlesource.h"
#include "patrol/patrolhost.h"
#include "patrol/patrollog.h"
#include "patrol/patrolschedule.h"
#include "patrol/sitewalk.h"

struct AppState;
class SourceIntake;

// The patrol window: never shown, it exists for its timer. Every AUTO_PIROT_MINITS
// minutes it patrols, in one of two modes (AUTO_PIROT_MODE 0: up to the first site with
// news; 2: every site). What is due when (the countdown, which walk comes next) is its
// PatrolSchedule's to say; frmTask does what it says, asking every source of articles in
// AppState::articleSources alike: patrol() at the start, walk() for each walk of the
// patrol, walksEnded() at its end. The first of them is its own SiteWalk, the walk over the
// site table, there for as long as this frmTask lives; the accounts follow. It reaches the
// ticker and the status bar only through the two interfaces it is given.
class frmTask : public QObject, public PatrolControl {
    Q_OBJECT

public:
    static constexpr int kRefreshIntervalMs = PatrolSchedule::kRefreshIntervalMs;
    static constexpr int kMaxPatrolFetches = PatrolSchedule::kMaxPatrolFetches;

    frmTask(AppState& state, TickerControl& ticker, StatusSink& status, QObject* parent = nullptr);
    ~frmTask() override;
    frmTask(const frmTask&) = delete;
    frmTask& operator=(const frmTask&) = delete;

    // Starts the timer and patrols at once.
    void Form_Load();
    void RssRefresh() override;
    // The site walk's (SiteWalk::LoadRdf): a walk outside the patrol's schedule, or the
    // article list's load.
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
    [[nodiscard]] SiteWalk& siteWalk() { return walk; }

    // The state below is public for reading; only frmTask changes it.
    QTimer tmrRefresh;
    PatrolSchedule schedule;
    // The schedule's countdown (ticks since the last timed patrol) and where its next
    // one-site-mode walk starts.
    qint32& TickCount = schedule.TickCount;
    qint16& NextSiteIndex = schedule.NextSiteIndex;

public Q_SLOTS:
    void tmrRefresh_Timer();

private:
    // Does what the schedule said after a tick, "check now" or a walk of the patrol.
    void follow(const PatrolSchedule::PatrolStep& step);
    // A walk of the patrol, made by the first source that walks.
    void walkSources(const PatrolWalk& step);
    // The patrol's last walk has ended: every site it visits has been heard from.
    void walksEnded(bool showTicker);
    void finishPatrol();
    // Once per start, after a patrol, the status bar says that rules.txt could not be read
    // or which of its lines cannot be used; and once for each rule whose regular expression
    // gave up at its bound on some headline.
    void tellRulesProblems();

    AppState& state;
    TickerControl& ticker;
    StatusSink& status;
    // A tick came while the rules' first read was under way.
    bool waitingForRules = false;
    // Where the other sources' articles go.
    std::shared_ptr<SourceIntake> sourceIntake;
    bool rulesFailureTold = false;
    bool rulesProblemsTold = false;
    // The over-budget rules named so far, as told.
    QSet<QString> overBudgetTold;
    // The source asked for the article list's articles, and the number of that request.
    ArticleSource* listSource = nullptr;
    quint64 sourceList = 0;
    // Declared after the schedule it walks by, so destroyed before it: its destructor stops
    // the judging thread and drops its fetches while everything it calls is still here.
    SiteWalk walk;
};
