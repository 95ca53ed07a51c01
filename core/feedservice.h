#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <optional>

#include "core/articlerecord.h"

class QObject;
class RuleSet;

// What a feed says of itself: shown by the properties panel and taken by the new-site
// dialog. A value the feed does not give is empty. The title and description are cut as
// item titles and descriptions are (the title is not cleaned).
struct FeedChannel {
    QString title;
    QString link;
    QString description;
    // The feed's own picture as written (RSS's image url; Atom's icon, else its logo; JSON
    // Feed's favicon, else its icon), perhaps relative to the feed; empty when it names none.
    QString image;
};

// The outcome of reading one fetched document as a feed.
struct FeedReadResult {
    enum class Kind {
        // Not well-formed XML or JSON, or refused as hostile (entity expansion, nesting).
        Malformed,
        // Well-formed, but no feed the program reads (an XHTML page, JSON of another
        // kind, a JSON Feed without items, ...).
        NotFeed,
        Feed,
    };
    // The family of a Feed: RSS 0.9x, 1.0 (RDF) and 2.0, Atom 1.0, or JSON Feed 1.0 and 1.1.
    enum class Family { Rss, Atom, Json };

    Kind kind = Kind::Malformed;
    Family family = Family::Rss;
    FeedChannel channel;
    // The feed's items in document order, SiteIndex 0 and IsNew true; the reader of the
    // result sets SiteIndex. Empty when the item limit was passed (overflow).
    QList<ArticleRecord> items;
    bool overflow = false;
    // Why the document was not read (with line and column for XML errors, the offset for
    // JSON's).
    QString error;
    // The display rules of this generation have set the items' Display and HighlightColour;
    // unset while no rules have judged them.
    std::optional<quint64> judgedUnder = std::nullopt;

    // What ParseRdf's result stands for: a feed with at least one item.
    [[nodiscard]] bool hasItems() const { return kind == Kind::Feed && !items.isEmpty(); }
};

// Who asked: what the user asked for just now goes ahead of the patrol.
enum class FetchLane { User, Patrol };

struct FeedFetchRequest {
    // The feed URL or path exactly as stored.
    QString url;
    FetchLane lane = FetchLane::User;
    // A document that is no feed is searched for the feeds it names (a site's home page).
    bool discover = false;
    // When given, the items read are judged by these display rules, for the site whose
    // feed URL is url, where the feed is read.
    std::shared_ptr<const RuleSet> rules = nullptr;
};

// What one fetch gave, as plain values.
struct FeedFetchResult {
    QString url;
    // The document arrived (or the server said it has not changed since the last one).
    bool fetched = false;
    // Not sent at all: the server asked the patrol for a pause (Retry-After) that has not
    // ended.
    bool deferred = false;
    // Ended by someone other than whoever asked (cancelAll()): nothing was fetched.
    bool cancelled = false;
    // 304: feed holds what the last full download of this URL gave.
    bool notModified = false;
    long httpStatus = 0;
    QString error;
    FeedReadResult feed;
    // With discover: the feed URLs a document that is no feed names, best first.
    QStringList discovered;
};

// Why a result holds no feed, as one line for the user: "HTTP <status>" for a request the
// server refused, "フィードが見つかりませんでした" for a document that is no feed (a page,
// an image, a broken feed); empty for a feed, and for a fetch that failed before any
// answer (the caller's own failure text says that much).
[[nodiscard]] QString noFeedReason(const FeedFetchResult& result);

// Fetches and reads feeds off the UI thread. Results come back on the thread the service
// lives in (the UI thread), always later than the call that asked for them.
class FeedFetchService {
public:
    using Done = std::function<void(const FeedFetchResult&)>;

    virtual ~FeedFetchService() = default;

    // Starts a fetch and returns its id (never 0). done runs once with the result unless
    // whoever asked cancels the fetch first or owner (when given) has been destroyed by then.
    virtual quint64 fetch(const FeedFetchRequest& request, const QObject* owner, Done done) = 0;
    // Whoever asked drops its fetches: they never call back; their transfers end at once.
    virtual void cancel(quint64 id) = 0;
    virtual void cancelAll(const QObject* owner) = 0;
    // Ends everybody's fetches asked for so far. Each is answered, later, with cancelled
    // set, so that whoever waits for it can reset; a cancel of its own before that answer
    // drops it. Fetches asked for after this call go ahead.
    virtual void cancelAll() = 0;
    // Cancels everything and waits at most waitMs for the threads to finish; false when
    // some work could not be stopped in that time.
    virtual bool shutdown(int waitMs) = 0;
    // Fetches asked for whose result has not been handed on yet.
    [[nodiscard]] virtual int pendingCount() const = 0;
};
