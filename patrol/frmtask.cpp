#include "patrol/frmtask.h"

#include <algorithm>
#include <exception>
#include <memory>

#include "core/appstate.h"
#include "core/articlesource.h"
#include "patrol/admission.h"
#include "patrol/shownlists.h"
#include "patrol/sourceintake.h"
#include "patrol/feeditems.h"
#include "formats/feedtext.h"
#include "rules/rulesproblems.h"
#include "rules/rulesstore.h"

namespace {

constexpr char kStartText[] = QT_TRANSLATE_NOOP("frmTask", "RDF読み込み開始します...");
constexpr char kDoneText[] = QT_TRANSLATE_NOOP("frmTask", "完了");
constexpr char kProcessingText[] = QT_TRANSLATE_NOOP("frmTask", "%1を処理中...");

// Runs what the patrol asks of the ticker; a failing ticker must not stop the patrols to
// come, so its error is logged and the patrol goes on.
template <typename Call>
void guarded(const char* what, Call call) {
    try {
        call();
    } catch (const std::exception& error) {
        qCWarning(lcPatrol) << what << "failed:" << error.what();
    } catch (...) {
        qCWarning(lcPatrol) << what << "failed";
    }
}

}  // namespace

frmTask::frmTask(AppState& appState, TickerControl& tickerControl, StatusSink& statusSink,
                 QObject* parent)
    : QObject(parent),
      state(appState),
      ticker(tickerControl),
      status(statusSink),
      sourceIntake(std::make_shared<SourceIntake>(appState, tickerControl, statusSink)) {
    setObjectName(QStringLiteral("frmTask"));
    tmrRefresh.setObjectName(QStringLiteral("tmrRefresh"));
    tmrRefresh.setInterval(kRefreshIntervalMs);
    connect(&tmrRefresh, &QTimer::timeout, this, &frmTask::tmrRefresh_Timer);
    state.rulesStore().addChangedHandler(this, [this] {
        if (waitingForRules && !state.rulesStore().awaitingFirstRead()) {
            waitingForRules = false;
            tmrRefresh_Timer();
        }
    });
}

frmTask::~frmTask() {
    state.rulesStore().removeChangedHandlers(this);
    cancelListLoad();
    // A judging under way ends after the headline it is at.
    stopJudging->store(true);
    judges.stop(-1);
    state.feeds().cancelAll(this);
}

qint32 frmTask::periodTicks() const {
    return PatrolSchedule::periodTicks(state.settings.AUTO_PIROT_MINITS);
}

void frmTask::Form_Load() {
    schedule.load(state.settings.AUTO_PIROT_MINITS);
    blnBusy = false;
    tmrRefresh.start();
    tmrRefresh_Timer();
}

void frmTask::RssRefresh() {
    follow(schedule.checkNow(state.settings.AUTO_PIROT_MINITS, state.settings.AUTO_PIROT_MODE,
                             !state.rulesStore().awaitingFirstRead(), state.NewsQueue.isEmpty()));
}

void frmTask::tmrRefresh_Timer() {
    follow(schedule.tick(state.settings.AUTO_PIROT_MINITS, state.settings.AUTO_PIROT_MODE,
                         !state.rulesStore().awaitingFirstRead(), state.NewsQueue.isEmpty()));
}

void frmTask::follow(const PatrolSchedule::PatrolStep& step) {
    using Kind = PatrolSchedule::PatrolStep::Kind;
    switch (step.kind) {
        case Kind::Nothing:
            return;
        case Kind::AwaitRules:
            waitingForRules = true;  // the rules' changed handler ticks again
            return;
        case Kind::Countdown:
            LogWrite(QStringLiteral(u"待機中 あと") + QString::number(step.secondsLeft) +
                         QStringLiteral(u"秒..."),
                     false);
            return;
        case Kind::Walk:
            tmrRefresh.stop();
            if (step.resetTicker) {
                guarded("resetting the ticker", [this] { ticker.ResetTicker(); });
            }
            if (step.patrolStarts) {
                // The other sources (accounts) work beside the walk; what they find comes
                // later, through the intake.
                for (ArticleSource* source : std::as_const(state.articleSources)) {
                    source->patrol(sourceIntake);
                }
            }
            startWalk(step.site, step.wrap,
                      [this](qint16 next) { follow(schedule.walkEnded(next)); });
            return;
        case Kind::WalksEnded:
            tmrRefresh.stop();
            walksEnded(step.showTicker);
            return;
    }
}

void frmTask::walksEnded(bool showTicker) {
    if (schedule.allSites()) {
        dropFetches();
    }
    if (showTicker && !state.NewsQueue.isEmpty()) {
        guarded("showing the ticker",
                [this] { ticker.ShowForm(patrolShowMode(state.settings.TICKER_MODE)); });
    }
    finishPatrol();
}

void frmTask::finishPatrol() {
    schedule.patrolEnded();
    tmrRefresh.start();
    tellRulesProblems();
}

void frmTask::tellRulesProblems() {
    const RulesStore& rules = state.rulesStore();
    if (!rules.readFailure().isEmpty()) {
        if (!rulesFailureTold) {
            rulesFailureTold = true;
            LogWrite(rules.readFailure(), true);
        }
        return;
    }
    const std::shared_ptr<const RuleSet> inForce = rules.current();
    const auto tell = [this](const QList<RuleProblem>& problems) {
        // The first few: a file of half a million broken lines is no log of as many.
        for (qsizetype i = 0; i < problems.size() && i < kNamedRuleProblems; ++i) {
            qCWarning(lcPatrol).noquote() << ruleProblemText(problems[i]);
        }
        if (problems.size() > kNamedRuleProblems) {
            qCWarning(lcPatrol).noquote()
                << QStringLiteral("... %1 more").arg(problems.size() - kNamedRuleProblems);
        }
        status.setStatusDetails(ruleProblemSummary(problems), ruleProblemDetails(problems));
    };
    if (!inForce->problems().isEmpty() && !rulesProblemsTold) {
        rulesProblemsTold = true;
        tell(inForce->problems());
        return;
    }
    QList<RuleProblem> overBudget;
    for (const RuleProblem& problem : inForce->overBudgetProblems()) {
        const QString text = ruleProblemText(problem);
        if (!overBudgetTold.contains(text)) {
            overBudgetTold.insert(text);
            overBudget.append(problem);
        }
    }
    if (!overBudget.isEmpty()) {
        tell(overBudget);
    }
}

void frmTask::LoadRdf(qint16 intNextKey, bool blnFullFlg, WalkDone done) {
    if (!blnFullFlg) {
        startWalk(intNextKey, true, std::move(done));
        return;
    }
    if (!state.blnSiteListFlg) {
        if (done) {
            done(intNextKey);
        }
        return;
    }
    // The article list asked for this site's articles, so no other site's will do.
    cancelListLoad();
    LogWrite(tr(kStartText), true);
    if (!isEligible(intNextKey, true)) {
        if (done) {
            done(intNextKey);
        }
        return;
    }
    const QString url = state.SiteTable[intNextKey].strXmlUrl;
    LogWrite(tr(kProcessingText).arg(url), true);
    listRequest =
        state.feeds().fetch({url, FetchLane::User, false, state.rulesStore().current()}, this,
                            [this, intNextKey, url, done](const FeedFetchResult& result) {
                                listRequest = 0;
                                applyListLoad(intNextKey, url, done, result, 0);
                            });
}

void frmTask::applyListLoad(qint16 index, const QString& url, const WalkDone& done,
                            FeedFetchResult result, int judgings) {
    if (!readyToApply(result, judgings)) {
        const quint64 number = ++lastListJudging;
        listJudging = number;
        judgeOffThread(std::move(result.feed), url,
                       [this, number, index, url, done, result, judgings](FeedReadResult feed) {
                           if (listJudging != number) {
                               return;  // the list load was cancelled meanwhile
                           }
                           listJudging = 0;
                           FeedFetchResult judged = result;
                           judged.feed = std::move(feed);
                           applyListLoad(index, url, done, std::move(judged), judgings + 1);
                       });
        return;
    }
    qint16 next = index;
    // A row edited or a list replaced meanwhile has no articles of that feed.
    if (state.SiteTable.isValidIndex(index) && state.SiteTable[index].strXmlUrl == url &&
        ParseRdf(index, result)) {
        // Unfiltered and all new: the list shows the whole feed.
        for (const ArticleRecord& record : std::as_const(SiteArticles)) {
            state.ListArticles.append(record);
        }
        LogWrite(tr(kDoneText), true);
        next = qint16(index + 1 > state.SiteTable.lastIndex() ? 0 : index + 1);
    }
    if (done) {
        done(next);
    }
}

void frmTask::cancelListLoad() {
    if (listRequest != 0) {
        state.feeds().cancel(listRequest);
        listRequest = 0;
    }
    listJudging = 0;
    if (listSource != nullptr) {
        listSource->cancelList();
        listSource = nullptr;
    }
}

bool frmTask::loadSourceList(const ArticleRecord& of, std::function<void()> done) {
    // The article list asked for this feed's articles, so no other's will do.
    cancelListLoad();
    const quint64 number = ++sourceList;
    for (ArticleSource* source : std::as_const(state.articleSources)) {
        const bool owned = source->listFeed(
            of, [this, number, done](const QList<ArticleRecord>& articles, const QString& error) {
                if (listSource == nullptr || sourceList != number) {
                    return;
                }
                listSource = nullptr;
                if (error.isEmpty()) {
                    for (const ArticleRecord& record : articles) {
                        if (!state.ListArticles.append(record)) {
                            break;
                        }
                    }
                    LogWrite(tr(kDoneText), true);
                } else {
                    LogWrite(error, true);
                }
                if (done) {
                    done();
                }
            });
        if (owned) {
            listSource = source;
            LogWrite(tr(kStartText), true);
            LogWrite(tr(kProcessingText).arg(of.FeedUrl), true);
            return true;
        }
    }
    return false;
}

bool frmTask::readyToApply(FeedFetchResult& result, int judgings) {
    if (!result.fetched || judgedByRulesInForce(state, result.feed)) {
        return true;
    }
    // Rules that change faster than a feed is judged must not hold the patrol for ever.
    return judgings >= kMaxJudgings && result.feed.judgedUnder.has_value();
}

void frmTask::judgeOffThread(FeedReadResult feed, const QString& feedUrl,
                             std::function<void(FeedReadResult)> judged) {
    judges.start([this, feed = std::move(feed), rules = state.rulesStore().current(), feedUrl,
                  judged = std::move(judged), stop = stopJudging]() mutable {
        judgeFeedItems(feed, *rules, feedUrl, stop.get());
        if (stop->load()) {
            return;
        }
        // The destructor waits for this job, so this frmTask is still here to post to.
        QMetaObject::invokeMethod(
            this,
            [judged = std::move(judged), feed = std::move(feed)]() mutable {
                judged(std::move(feed));
            },
            Qt::QueuedConnection);
    });
}

void frmTask::judgeHead() {
    Fetch& head = fetches.front();
    head.judging = true;
    ++head.judgings;
    const quint64 key = head.key;
    const quint64 current = generation;
    judgeOffThread(std::move(head.result->feed), head.url,
                   [this, key, current](FeedReadResult feed) {
                       if (current != generation) {
                           return;
                       }
                       for (Fetch& fetch : fetches) {
                           if (fetch.key == key && fetch.judging) {
                               fetch.result->feed = std::move(feed);
                               fetch.judging = false;
                               break;
                           }
                       }
                       if (walk && walk->waiting && !fetches.empty() && fetches.front().result &&
                           !fetches.front().judging) {
                           continueWalk();
                       }
                   });
}

void frmTask::cancelPatrol() {
    // A walk or list load stopped half-way would leave its "…を処理中..." in the status bar.
    const bool underWay = blnBusy || walk.has_value() || listRequest != 0 || listJudging != 0;
    cancelListLoad();
    ++generation;
    dropFetches();
    walk.reset();
    blnBusy = false;
    const bool wasPatrolling = schedule.patrolling();
    schedule.cancel();
    if (wasPatrolling) {
        tmrRefresh.start();
    }
    if (underWay) {
        LogWrite(QString(), true);
    }
}

void frmTask::startWalk(qint16 intNextKey, bool wrap, WalkDone done) {
    if (blnBusy || !state.blnSiteListFlg) {
        if (done) {
            done(intNextKey);
        }
        return;
    }
    // Busy before the first text, so that nothing the status bar does can start a walk.
    blnBusy = true;
    const quint64 current = generation;
    LogWrite(tr(kStartText), true);
    if (current != generation) {
        return;  // cancelled from inside the status bar
    }
    SiteArticles.clear();
    // A start left outside the table by a shorter site list begins at the top.
    const PatrolSchedule::WalkStep first =
        schedule.startWalk(intNextKey, wrap, state.SiteTable.size());
    if (first.kind == PatrolSchedule::WalkStep::Kind::Ended) {
        blnBusy = false;
        if (done) {
            done(first.site);
        }
        return;
    }
    walk = Walk{false, std::move(done)};
    continueWalk();
}

void frmTask::continueWalk() {
    // Walks started from a walk's done (the all-sites mode) and results that come back
    // while this runs are taken up by this loop rather than by a nested one.
    if (driving) {
        return;
    }
    driving = true;
    while (walk) {
        const quint64 current = generation;
        if (!walk->waiting) {
            if (!isEligible(schedule.site(), false)) {
                advance(false);
                continue;
            }
            const QString url = state.SiteTable[schedule.site()].strXmlUrl;
            LogWrite(tr(kProcessingText).arg(url), true);
            if (current != generation || !walk) {
                continue;
            }
            fetchForHead(schedule.site(), url);
            walk->waiting = true;
        }
        prefetch();
        if (fetches.empty()) {
            walk->waiting = false;
            continue;
        }
        if (!fetches.front().result || fetches.front().judging) {
            break;  // onFetched or the judging takes the walk up again
        }
        if (!readyToApply(*fetches.front().result, fetches.front().judgings)) {
            judgeHead();
            break;
        }
        Fetch head = std::move(fetches.front());
        fetches.pop_front();
        walk->waiting = false;
        // A site deleted or given another feed while it was fetched is visited again as it
        // stands now, as a walk that reached it only now would.
        if (!isEligible(schedule.site(), false) ||
            state.SiteTable[schedule.site()].strXmlUrl != head.url) {
            continue;
        }
        const bool added = processEntry(schedule.site(), head.url, *head.result);
        if (current != generation || !walk) {
            continue;
        }
        advance(added);
    }
    driving = false;
}

void frmTask::advance(bool added) {
    const int rows = state.SiteTable.size();
    if (added) {
        const quint64 current = generation;
        LogWrite(tr(kDoneText), true);
        if (current != generation || !walk) {
            return;
        }
    }
    const PatrolSchedule::WalkStep step = schedule.siteDone(added, rows);
    if (step.kind == PatrolSchedule::WalkStep::Kind::Ended) {
        endWalk(step.site);
    }
}

void frmTask::endWalk(qint16 next) {
    WalkDone done = std::move(walk->done);
    walk.reset();
    blnBusy = false;
    // The all-sites mode's fetches ahead serve its next walk.
    if (!schedule.allSites()) {
        dropFetches();
    }
    if (done) {
        done(next);
    }
}

bool frmTask::isEligible(int index, bool blnFullFlg) const {
    if (!state.SiteTable.isValidIndex(index)) {
        return false;
    }
    const SiteRow& row = state.SiteTable[index];
    return !trimFeedText(row.strXmlUrl).isEmpty() && (blnFullFlg || !row.blnDeleted);
}

frmTask::Fetch& frmTask::fetchForHead(qint16 index, const QString& url) {
    // Fetches for sites the walk has passed, or for a feed URL since changed, are stale.
    while (!fetches.empty() && (fetches.front().index < index ||
                                (fetches.front().index == index && fetches.front().url != url))) {
        state.feeds().cancel(fetches.front().id);
        fetches.pop_front();
    }
    if (fetches.empty() || fetches.front().index != index) {
        fetches.push_front(Fetch{index, url, 0, 0, std::nullopt});
        fetches.front().key = requestFetch(url, fetches.front().id);
    }
    return fetches.front();
}

void frmTask::prefetch() {
    if (!walk) {
        return;
    }
    int inFlight = 0;
    for (const Fetch& fetch : fetches) {
        inFlight += fetch.result ? 0 : 1;
    }
    const QList<qint16> ahead = schedule.prefetch(
        inFlight, int(fetches.size()), fetches.empty() ? qint16(-1) : fetches.back().index,
        state.SiteTable.size(), [this](qint16 row) { return isEligible(row, false); });
    for (const qint16 row : ahead) {
        const QString url = state.SiteTable[row].strXmlUrl;
        fetches.push_back(Fetch{row, url, 0, 0, std::nullopt});
        fetches.back().key = requestFetch(url, fetches.back().id);
    }
}

quint64 frmTask::requestFetch(const QString& url, quint64& id) {
    const quint64 key = ++lastFetchKey;
    const quint64 current = generation;
    id = state.feeds().fetch({url, FetchLane::Patrol, false, state.rulesStore().current()}, this,
                             [this, key, current](const FeedFetchResult& result) {
                                 if (current == generation) {
                                     onFetched(key, result);
                                 }
                             });
    return key;
}

void frmTask::onFetched(quint64 key, const FeedFetchResult& result) {
    for (Fetch& fetch : fetches) {
        if (fetch.key == key) {
            fetch.result = result;
            break;
        }
    }
    if (walk && walk->waiting && !fetches.empty() && fetches.front().result &&
        !fetches.front().judging) {
        continueWalk();
    } else {
        prefetch();  // one fetch fewer in flight: ask for the next site ahead
    }
}

void frmTask::dropFetches() {
    for (const Fetch& fetch : fetches) {
        if (!fetch.result) {
            state.feeds().cancel(fetch.id);
        }
    }
    fetches.clear();
    schedule.forgetPrefetch();
}

bool frmTask::processEntry(qint16 index, const QString& url, const FeedFetchResult& result) {
    bool added = false;
    try {
        if (!ParseRdf(index, result)) {
            return false;
        }
        state.shownStore().MarkShownArticles(url, SiteArticles);
        for (const ArticleRecord& record : std::as_const(SiteArticles)) {
            if (admitToNewsQueue(state, record)) {
                added = true;
            }
        }
        if (added && !state.NewsQueue.isEmpty() &&
            state.settings.AUTO_PIROT_MODE == PatrolMode::OneSite) {
            ticker.ShowForm(patrolShowMode(state.settings.TICKER_MODE));
        }
    } catch (const std::exception& error) {
        // Whatever goes wrong with one site (memory for a huge feed, a failing ticker)
        // abandons that site only; what it queued so far stays queued.
        qCWarning(lcPatrol).noquote()
            << "site" << index << url << "abandoned while handing on its articles:" << error.what();
    } catch (...) {
        qCWarning(lcPatrol).noquote()
            << "site" << index << url << "abandoned while handing on its articles";
    }
    return added;
}

bool frmTask::ParseRdf(qint16 siteIndex, const FeedFetchResult& result) {
    SiteArticles.clear();
    if (!result.fetched) {
        return false;
    }
    // A copy: the service may hand the same read feed to another site of the same URL. Its
    // verdicts are those of the rules in force (readyToApply).
    FeedReadResult feed = result.feed;
    const SiteRow& site = state.SiteTable[siteIndex];
    return takeFeedItems(feed, siteIndex, site.strXmlUrl, site.strTitle, SiteArticles,
                         [this](const QString& text) { LogWrite(text, false); });
}

void frmTask::LogWrite(const QString& strValue, bool blnStatusBar) {
    if (blnStatusBar) {
        status.SetStatus(strValue);
    } else {
        qCInfo(lcPatrol).noquote() << strValue;
    }
}
