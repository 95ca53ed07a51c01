#include "patrol/sourceintake.h"

#include <QElapsedTimer>
#include <QHash>
#include <QTimer>
#include <exception>

#include "core/appstate.h"
#include "patrol/admission.h"
#include "patrol/patrolhost.h"
#include "patrol/patrollog.h"
#include "core/shownstore.h"
#include "rules/rulesstore.h"

namespace {

QString queueKey(int account, const QString& identity) {
    return QString::number(account) + QLatin1Char('\n') + identity;
}

}  // namespace

SourceIntake::SourceIntake(AppState& appState, TickerControl& tickerControl, StatusSink& statusSink,
                           QObject* parent)
    : QObject(parent), state(appState), ticker(tickerControl), status(statusSink) {}

std::shared_ptr<const RuleSet> SourceIntake::rules() const {
    return state.rulesStore().current();
}

bool SourceIntake::judgedByRulesInForce(quint64 generation) const {
    return generation == state.rulesStore().generation();
}

void SourceIntake::takeIn(QList<ArticleRecord> articles, std::function<void(int)> done) {
    Job job;
    QHash<QString, qsizetype> feedOf;
    for (ArticleRecord& article : articles) {
        const auto found = feedOf.constFind(article.FeedUrl);
        if (found == feedOf.constEnd()) {
            feedOf.insert(article.FeedUrl, job.feeds.size());
            job.feeds.append(QList<ArticleRecord>{std::move(article)});
        } else {
            job.feeds[*found].append(std::move(article));
        }
    }
    job.done = std::move(done);
    jobs.push_back(std::move(job));
    scheduleSlice();
}

void SourceIntake::scheduleSlice() {
    if (scheduled || jobs.empty()) {
        return;
    }
    scheduled = true;
    QTimer::singleShot(0, this, [this] {
        scheduled = false;
        if (!slice(kSliceMs)) {
            scheduleSlice();
        }
    });
}

void SourceIntake::finishNow() {
    while (!slice(-1)) {
    }
}

bool SourceIntake::slice(qint64 budgetMs) {
    QElapsedTimer clock;
    clock.start();
    // What the queue holds already, so that a source that hands its unread articles again
    // (the queue was not emptied since) queues none twice.
    QSet<QString> queued;
    for (int i = 1; i <= state.NewsQueue.lastIndex(); ++i) {
        const ArticleRecord& entry = state.NewsQueue[i];
        if (entry.Account != 0) {
            queued.insert(queueKey(entry.Account, entry.Identity));
        }
    }
    while (!jobs.empty()) {
        Job& job = jobs.front();
        while (job.next < job.feeds.size()) {
            QList<ArticleRecord>& feed = job.feeds[job.next];
            ++job.next;
            try {
                if (!feed.first().FeedUrl.isEmpty()) {
                    state.shownStore().MarkShownArticles(feed.first().FeedUrl, feed);
                }
                for (const ArticleRecord& article : std::as_const(feed)) {
                    const QString key = queueKey(article.Account, article.Identity);
                    if (!queued.contains(key) && admitToNewsQueue(state, article)) {
                        queued.insert(key);
                        ++job.admitted;
                    }
                }
            } catch (const std::exception& error) {
                qCWarning(lcPatrol).noquote()
                    << "articles of" << feed.first().FeedUrl << "abandoned:" << error.what();
            }
            feed.clear();
            if (budgetMs >= 0 && clock.elapsed() >= budgetMs) {
                return false;
            }
        }
        Job finished = std::move(jobs.front());
        jobs.pop_front();
        if (finished.admitted > 0 && !state.NewsQueue.isEmpty()) {
            ticker.ShowForm(patrolShowMode(state.settings.TICKER_MODE));
        }
        if (finished.done) {
            finished.done(finished.admitted);
        }
        if (budgetMs >= 0 && clock.elapsed() >= budgetMs) {
            return jobs.empty();
        }
    }
    return true;
}

void SourceIntake::dropAllBut(int account, const QSet<QString>& keep) {
    const QList<int> moved = state.NewsQueue.removeIf([&](const ArticleRecord& entry) {
        return entry.Account == account && !keep.contains(entry.Identity);
    });
    if (!moved.isEmpty()) {
        ticker.queueEntriesMoved(moved);
    }
}

void SourceIntake::tell(const QString& text) {
    status.SetStatus(text);
}
