#include "patrol/sitewalk.h"

#include <exception>
#include <utility>

#include <QCoreApplication>

#include "core/appstate.h"
#include "core/shownstore.h"
#include "formats/feedtext.h"
#include "patrol/admission.h"
#include "patrol/feeditems.h"
#include "patrol/patrolhost.h"
#include "patrol/patrollog.h"
#include "patrol/patrolschedule.h"
#include "rules/rulesstore.h"

namespace {

// The walk's texts are the patrol window's, as they always were.
constexpr char kContext[] = "frmTask";
constexpr char kStartText[] = QT_TRANSLATE_NOOP("frmTask", "RDF読み込み開始します...");
constexpr char kDoneText[] = QT_TRANSLATE_NOOP("frmTask", "完了");
constexpr char kProcessingText[] = QT_TRANSLATE_NOOP("frmTask", "%1を処理中...");

QString text(const char* source) {
    return QCoreApplication::translate(kContext, source);
}

}  // namespace

SiteWalk::SiteWalk(AppState& appState, PatrolSchedule& patrolSchedule, TickerControl& tickerControl,
                   StatusSink& statusSink, QObject* parent)
    : QObject(parent),
      state(appState),
      schedule(patrolSchedule),
      ticker(tickerControl),
      status(statusSink) {
    setObjectName(QStringLiteral("siteWalk"));
}

SiteWalk::~SiteWalk() {
    // A judging under way ends after the headline it is at; what it posts back is dropped
    // with this object's events.
    stopJudging->store(true);
    judges.stop(-1);
    state.feeds().cancelAll(this);
}

void SiteWalk::patrol(const std::shared_ptr<ArticleIntake>& intake) {
    static_cast<void>(intake);
}

bool SiteWalk::walk(const PatrolWalk& step, WalkEnded ended) {
    startWalk(step.from, step.wrap, std::move(ended));
    return true;
}

void SiteWalk::walksEnded() {
    if (schedule.allSites()) {
        dropFetches();
    }
}

void SiteWalk::articleOpened(const ArticleRecord& article) {
    static_cast<void>(article);
}

void SiteWalk::articleShown(const ArticleRecord& article) {
    static_cast<void>(article);
}

void SiteWalk::LoadRdf(qint16 intNextKey, bool blnFullFlg, WalkDone done) {
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
    LogWrite(text(kStartText), true);
    if (!isEligible(intNextKey, true)) {
        if (done) {
            done(intNextKey);
        }
        return;
    }
    const QString url = state.SiteTable[intNextKey].strXmlUrl;
    LogWrite(text(kProcessingText).arg(url), true);
    listRequest =
        state.feeds().fetch({url, FetchLane::User, false, state.rulesStore().current()}, this,
                            [this, intNextKey, url, done](const FeedFetchResult& result) {
                                listRequest = 0;
                                applyListLoad(intNextKey, url, done, result, 0);
                            });
}

void SiteWalk::applyListLoad(qint16 index, const QString& url, const WalkDone& done,
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
        LogWrite(text(kDoneText), true);
        next = qint16(index + 1 > state.SiteTable.lastIndex() ? 0 : index + 1);
    }
    if (done) {
        done(next);
    }
}

void SiteWalk::cancelListLoad() {
    if (listRequest != 0) {
        state.feeds().cancel(listRequest);
        listRequest = 0;
    }
    listJudging = 0;
}

bool SiteWalk::readyToApply(FeedFetchResult& result, int judgings) {
    if (!result.fetched || judgedByRulesInForce(state, result.feed)) {
        return true;
    }
    // Rules that change faster than a feed is judged must not hold the patrol for ever.
    return judgings >= kMaxJudgings && result.feed.judgedUnder.has_value();
}

void SiteWalk::judgeOffThread(FeedReadResult feed, const QString& feedUrl,
                              std::function<void(FeedReadResult)> judged) {
    judges.start([this, feed = std::move(feed), rules = state.rulesStore().current(), feedUrl,
                  judged = std::move(judged), stop = stopJudging]() mutable {
        judgeFeedItems(feed, *rules, feedUrl, stop.get());
        if (stop->load()) {
            return;
        }
        // The destructor waits for this job, so this walk is still here to post to.
        QMetaObject::invokeMethod(
            this,
            [judged = std::move(judged), feed = std::move(feed)]() mutable {
                judged(std::move(feed));
            },
            Qt::QueuedConnection);
    });
}

void SiteWalk::judgeHead() {
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
                       if (walkUnderWay && walkUnderWay->waiting && !fetches.empty() &&
                           fetches.front().result && !fetches.front().judging) {
                           continueWalk();
                       }
                   });
}

bool SiteWalk::cancel() {
    const bool underWay =
        blnBusy || walkUnderWay.has_value() || listRequest != 0 || listJudging != 0;
    cancelListLoad();
    ++generation;
    dropFetches();
    walkUnderWay.reset();
    blnBusy = false;
    return underWay;
}

void SiteWalk::startWalk(qint16 intNextKey, bool wrap, WalkDone done) {
    if (blnBusy || !state.blnSiteListFlg) {
        if (done) {
            done(intNextKey);
        }
        return;
    }
    // Busy before the first text, so that nothing the status bar does can start a walk.
    blnBusy = true;
    const quint64 current = generation;
    LogWrite(text(kStartText), true);
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
    walkUnderWay = Walk{false, std::move(done)};
    continueWalk();
}

void SiteWalk::continueWalk() {
    // Walks started from a walk's done (the all-sites mode) and results that come back
    // while this runs are taken up by this loop rather than by a nested one.
    if (driving) {
        return;
    }
    driving = true;
    while (walkUnderWay) {
        const quint64 current = generation;
        if (!walkUnderWay->waiting) {
            if (!isEligible(schedule.site(), false)) {
                advance(false);
                continue;
            }
            const QString url = state.SiteTable[schedule.site()].strXmlUrl;
            LogWrite(text(kProcessingText).arg(url), true);
            if (current != generation || !walkUnderWay) {
                continue;
            }
            fetchForHead(schedule.site(), url);
            walkUnderWay->waiting = true;
        }
        prefetch();
        if (fetches.empty()) {
            walkUnderWay->waiting = false;
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
        walkUnderWay->waiting = false;
        // A site deleted or given another feed while it was fetched is visited again as it
        // stands now, as a walk that reached it only now would.
        if (!isEligible(schedule.site(), false) ||
            state.SiteTable[schedule.site()].strXmlUrl != head.url) {
            continue;
        }
        const bool added = processEntry(schedule.site(), head.url, *head.result);
        if (current != generation || !walkUnderWay) {
            continue;
        }
        advance(added);
    }
    driving = false;
}

void SiteWalk::advance(bool added) {
    const int rows = state.SiteTable.size();
    if (added) {
        const quint64 current = generation;
        LogWrite(text(kDoneText), true);
        if (current != generation || !walkUnderWay) {
            return;
        }
    }
    const PatrolSchedule::WalkStep step = schedule.siteDone(added, rows);
    if (step.kind == PatrolSchedule::WalkStep::Kind::Ended) {
        endWalk(step.site);
    }
}

void SiteWalk::endWalk(qint16 next) {
    WalkDone done = std::move(walkUnderWay->done);
    walkUnderWay.reset();
    blnBusy = false;
    // The all-sites mode's fetches ahead serve its next walk.
    if (!schedule.allSites()) {
        dropFetches();
    }
    if (done) {
        done(next);
    }
}

bool SiteWalk::isEligible(int index, bool blnFullFlg) const {
    if (!state.SiteTable.isValidIndex(index)) {
        return false;
    }
    const SiteRow& row = state.SiteTable[index];
    return !trimFeedText(row.strXmlUrl).isEmpty() && (blnFullFlg || !row.blnDeleted);
}

SiteWalk::Fetch& SiteWalk::fetchForHead(qint16 index, const QString& url) {
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

void SiteWalk::prefetch() {
    if (!walkUnderWay) {
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

quint64 SiteWalk::requestFetch(const QString& url, quint64& id) {
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

void SiteWalk::onFetched(quint64 key, const FeedFetchResult& result) {
    for (Fetch& fetch : fetches) {
        if (fetch.key == key) {
            fetch.result = result;
            break;
        }
    }
    if (walkUnderWay && walkUnderWay->waiting && !fetches.empty() && fetches.front().result &&
        !fetches.front().judging) {
        continueWalk();
    } else {
        prefetch();  // one fetch fewer in flight: ask for the next site ahead
    }
}

void SiteWalk::dropFetches() {
    for (const Fetch& fetch : fetches) {
        if (!fetch.result) {
            state.feeds().cancel(fetch.id);
        }
    }
    fetches.clear();
    schedule.forgetPrefetch();
}

bool SiteWalk::processEntry(qint16 index, const QString& url, const FeedFetchResult& result) {
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

bool SiteWalk::ParseRdf(qint16 siteIndex, const FeedFetchResult& result) {
    SiteArticles.clear();
    if (!result.fetched) {
        return false;
    }
    // A copy: the service may hand the same read feed to another site of the same URL. Its
    // verdicts are those of the rules in force (readyToApply).
    FeedReadResult feed = result.feed;
    const SiteRow& site = state.SiteTable[siteIndex];
    return takeFeedItems(feed, siteIndex, site.strXmlUrl, site.strTitle, SiteArticles,
                         [this](const QString& line) { LogWrite(line, false); });
}

void SiteWalk::LogWrite(const QString& strValue, bool blnStatusBar) {
    patrolLogWrite(status, strValue, blnStatusBar);
}
