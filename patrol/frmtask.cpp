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
    // A judging under way ends after the headline it is at.
    stopJudging->store(true);
    judges.stop(-1);
    state.feeds().cancelAll(this);
}

qint32 frmTask::periodTicks() const {
    return qint32(state.settings.AUTO_PIROT_MINITS) * 60 / (kRefreshIntervalMs / 1000);
}

void frmTask::Form_Load() {
    NextSiteIndex = 0;
    TickCount = periodTicks();
    blnBusy = false;
    tmrRefresh.start();
    tmrRefresh_Timer();
}

void frmTask::RssRefresh() {
    if (patrolling) {
        return;
    }
    TickCount = periodTicks();
    tmrRefresh_Timer();
}

void frmTask::tmrRefresh_Timer() {
    if (patrolling) {
        return;
    }
    // Headlines are admitted under the rules of the file, never under none because the
    // file's first read has not come back yet; the tick is taken up when it has.
    if (state.rulesStore().awaitingFirstRead()) {
        waitingForRules = true;
        return;
    }
    ++TickCount;
    if (periodTicks() > TickCount) {
        const qint32 secondsLeft =
            qint32(state.settings.AUTO_PIROT_MINITS) * 60 - TickCount * kSecondsPerTick;
        LogWrite(QStringLiteral(u"待機中 あと") + QString::number(secondsLeft) +
                     QStringLiteral(u"秒..."),
                 false);
        return;
    }
    TickCount = 0;
    tmrRefresh.stop();
    patrolling = true;
    // The other sources (accounts) work beside the walk; what they find comes later.
    if (state.settings.AUTO_PIROT_MODE != PatrolMode::NeverOffered) {
        for (ArticleSource* source : std::as_const(state.articleSources)) {
            source->patrol(sourceIntake);
        }
    }
    switch (state.settings.AUTO_PIROT_MODE) {
        case PatrolMode::OneSite:
            startWalk(NextSiteIndex, true, [this](qint16 next) {
                NextSiteIndex = next;
                finishPatrol();
            });
            break;
        case PatrolMode::AllSites:
            patrolAllSites();
            break;
        case PatrolMode::NeverOffered:
            finishPatrol();  // the ticks go on, nothing is fetched
            break;
    }
}

void frmTask::finishPatrol() {
    patrolling = false;
    allSitesMode = false;
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

void frmTask::patrolAllSites() {
    allSitesMode = true;
    prefetchFrom = 0;
    NextSiteIndex = 0;
    if (!state.NewsQueue.isEmpty()) {
        guarded("resetting the ticker", [this] { ticker.ResetTicker(); });
    }
    // Each walk ends after a site with news or at the table's end, so every site is
    // visited once and nothing is queued twice in one patrol.
    const auto walkEnded = std::make_shared<WalkDone>();
    *walkEnded = [this, walkEnded](qint16 next) {
        const qint16 start = NextSiteIndex;
        NextSiteIndex = next;
        if (next > start) {
            startWalk(next, false, *walkEnded);
            return;
        }
        dropFetches();
        if (!state.NewsQueue.isEmpty()) {
            guarded("showing the ticker",
                    [this] { ticker.ShowForm(patrolShowMode(state.settings.TICKER_MODE)); });
        }
        finishPatrol();
    };
    startWalk(0, false, *walkEnded);
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
    allSitesMode = false;
    if (patrolling) {
        patrolling = false;
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
    if (state.SiteTable.size() == 0) {
        blnBusy = false;
        if (done) {
            done(intNextKey);
        }
        return;
    }
    // A start left outside the table by a shorter site list begins at the top.
    const qint16 start = state.SiteTable.isValidIndex(intNextKey) ? intNextKey : qint16(0);
    walk = Walk{start, wrap, start, 1, false, std::move(done)};
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
            if (!isEligible(walk->index, false)) {
                advance(false);
                continue;
            }
            const QString url = state.SiteTable[walk->index].strXmlUrl;
            LogWrite(tr(kProcessingText).arg(url), true);
            if (current != generation || !walk) {
                continue;
            }
            fetchForHead(walk->index, url);
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
        if (!isEligible(walk->index, false) || state.SiteTable[walk->index].strXmlUrl != head.url) {
            continue;
        }
        const bool added = processEntry(walk->index, head.url, *head.result);
        if (current != generation || !walk) {
            continue;
        }
        advance(added);
    }
    driving = false;
}

bool frmTask::advance(bool added) {
    const int rows = state.SiteTable.size();
    const qint16 index = walk->index;
    const bool atEnd = index + 1 > state.SiteTable.lastIndex();
    const qint16 next = atEnd ? qint16(0) : qint16(index + 1);
    if (added) {
        const quint64 current = generation;
        LogWrite(tr(kDoneText), true);
        if (current != generation || !walk) {
            return false;
        }
    }
    if (atEnd && !walk->wrap) {
        endWalk(next);
        return false;
    }
    if (next == walk->start || walk->visited >= rows) {
        endWalk(walk->start);
        return false;
    }
    if (added) {
        endWalk(next);
        return false;
    }
    walk->index = next;
    ++walk->visited;
    return true;
}

void frmTask::endWalk(qint16 next) {
    WalkDone done = std::move(walk->done);
    walk.reset();
    blnBusy = false;
    if (!allSitesMode) {
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
    if (!allSitesMode || !walk) {
        return;
    }
    int inFlight = 0;
    for (const Fetch& fetch : fetches) {
        inFlight += fetch.result ? 0 : 1;
    }
    qint16 from = std::max<qint16>(prefetchFrom, qint16(walk->index + 1));
    if (!fetches.empty()) {
        from = std::max<qint16>(from, qint16(fetches.back().index + 1));
    }
    while (inFlight < kMaxPatrolFetches && int(fetches.size()) <= kMaxPrefetchedSites &&
           from <= state.SiteTable.lastIndex()) {
        if (isEligible(from, false)) {
            const QString url = state.SiteTable[from].strXmlUrl;
            fetches.push_back(Fetch{from, url, 0, 0, std::nullopt});
            fetches.back().key = requestFetch(url, fetches.back().id);
            ++inFlight;
        }
        ++from;
    }
    prefetchFrom = from;
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
    prefetchFrom = 0;
}

bool frmTask::processEntry(qint16 index, const QString& url, const FeedFetchResult& result) {
    bool added = false;
    try {
        if (!ParseRdf(index, result)) {
            return false;
        }
        MarkShownArticles(state, SiteArticles, index);
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
    return takeFeedItems(feed, siteIndex, SiteArticles,
                         [this](const QString& text) { LogWrite(text, false); });
}

void frmTask::LogWrite(const QString& strValue, bool blnStatusBar) {
    if (blnStatusBar) {
        status.SetStatus(strValue);
    } else {
        qCInfo(lcPatrol).noquote() << strValue;
    }
}
