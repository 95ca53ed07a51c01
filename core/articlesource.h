#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>

#include "core/articlerecord.h"

class RuleSet;

// Where a source's articles go at a patrol: through the freshness limit, the display rules'
// verdicts, the shown-list rule of their feed URL and into NewsQueue, as a site's items do.
// Lives on the UI thread; a source calls it there only.
class ArticleIntake {
public:
    virtual ~ArticleIntake() = default;

    // The display rules in force, for a source to judge its articles by on a worker.
    [[nodiscard]] virtual std::shared_ptr<const RuleSet> rules() const = 0;
    // Whether articles judged under generation may go in as they are.
    [[nodiscard]] virtual bool judgedByRulesInForce(quint64 generation) const = 0;
    // Articles of one patrol, judged: each with Identity, Account, FeedUrl and SiteTitle.
    // An article already queued (same account and identity) is not queued twice. They go in
    // a few feeds at a time so that the UI thread is never held long; done(admitted) runs
    // once all have gone through.
    virtual void takeIn(QList<ArticleRecord> articles, std::function<void(int admitted)> done) = 0;
    // The account's queued articles whose identity is not in keep leave the queue (read
    // elsewhere); one on display stays on the screen until the ticker moves on.
    virtual void dropAllBut(int account, const QSet<QString>& keep) = 0;
    // A line for the status bar.
    virtual void tell(const QString& text) = 0;
};

// One walk of a patrol over the site table, where the patrol's schedule puts it: from the
// row from, coming round to it (wrap: the one-site mode) or stopping at the table's end.
struct PatrolWalk {
    qint16 from = 0;
    bool wrap = true;
};

// A source of articles: the user's own sites (the walk over the site table) or an
// aggregator account. The patrol asks every source alike: patrol() at its start, walk() for
// each of its walks, walksEnded() once its last walk has ended. A source does its work off
// the UI thread and hands what it found on later: the site walk into the queue as it
// applies each site, any other source through the intake.
class ArticleSource {
public:
    // Receives the row at which a following walk would start.
    using WalkEnded = std::function<void(qint16 next)>;

    virtual ~ArticleSource() = default;

    // One patrol, unless one of this source's is still under way. The source keeps intake
    // only weakly: the patrol window may go first.
    virtual void patrol(const std::shared_ptr<ArticleIntake>& intake) = 0;
    // A walk of the patrol under way. A source whose patrol is made of walks (the site
    // table's) makes it and returns true; ended then runs once, perhaps before walk returns,
    // and the patrol ends or walks again as its schedule says. The patrol's walks are its
    // first such source's. A source that is asked once per patrol returns false.
    virtual bool walk(const PatrolWalk& step, WalkEnded ended) {
        static_cast<void>(step);
        static_cast<void>(ended);
        return false;
    }
    // Every site the patrol visits has been heard from; the all-sites mode shows the ticker
    // next.
    virtual void walksEnded() {}
    // The user opened the article (web, the article list), or the ticker has shown it: a
    // source that keeps read state elsewhere takes note. Articles of other sources are
    // ignored.
    virtual void articleOpened(const ArticleRecord& article) = 0;
    virtual void articleShown(const ArticleRecord& article) = 0;

    // What a list of one feed's articles brought: the articles (each with Identity,
    // Account, FeedUrl, SiteTitle and the display rules' verdict), or why there are none (a
    // sentence for the status line; empty when the list came).
    using ListDone =
        std::function<void(const QList<ArticleRecord>& articles, const QString& error)>;
    // Lists the articles of the feed that of came from, for the article list window. False
    // when of is not this source's: done never runs then. Otherwise done runs once, on the
    // UI thread later, never from inside the call; a later listFeed or cancelList drops
    // the list still under way, whose done then never runs.
    virtual bool listFeed(const ArticleRecord& of, ListDone done) {
        static_cast<void>(of);
        static_cast<void>(done);
        return false;
    }
    virtual void cancelList() {}
};

// Tells every source.
void noteArticleOpened(const QList<ArticleSource*>& sources, const ArticleRecord& article);
void noteArticleShown(const QList<ArticleSource*>& sources, const ArticleRecord& article);
