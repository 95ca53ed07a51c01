#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <deque>
#include <functional>

#include "core/articlesource.h"

struct AppState;
class StatusSink;
class TickerControl;

// The patrol's side of the other sources of articles: their articles go through the
// shown-list rule of their feed URL and queue admission as a site's items do, a few feeds
// at a time between the events of the UI thread.
class SourceIntake final : public QObject, public ArticleIntake {
    Q_OBJECT
public:
    // How long one slice of taking in may hold the UI thread.
    static constexpr int kSliceMs = 8;

    SourceIntake(AppState& state, TickerControl& ticker, StatusSink& status,
                 QObject* parent = nullptr);

    [[nodiscard]] std::shared_ptr<const RuleSet> rules() const override;
    [[nodiscard]] bool judgedByRulesInForce(quint64 generation) const override;
    void takeIn(QList<ArticleRecord> articles, std::function<void(int admitted)> done) override;
    void dropAllBut(int account, const QSet<QString>& keep) override;
    void tell(const QString& text) override;

    // Runs the slices still waiting now, for a test that does not turn the event loop.
    void finishNow();
    [[nodiscard]] bool busy() const { return !jobs.empty(); }

private:
    struct Job {
        // By feed, in the order the source gave them.
        QList<QList<ArticleRecord>> feeds;
        qsizetype next = 0;
        int admitted = 0;
        std::function<void(int)> done;
    };

    // Takes in feeds until the slice's time is up; false when jobs are left.
    bool slice(qint64 budgetMs);
    void scheduleSlice();

    AppState& state;
    TickerControl& ticker;
    StatusSink& status;
    std::deque<Job> jobs;
    bool scheduled = false;
};
