#pragma once

#include <QList>
#include <QString>

#include "core/articlerecord.h"

// What the ticker has shown, kept per feed URL: the patrol asks it before it queues a feed's
// articles, and the ticker tells it each article it puts on display. An account's article is
// kept under the URL of its feed, as a site's with that feed URL is.
//
// Called on the user-interface thread. Recording never waits for a disk: the writes are queued
// and done in the order asked, and flush() (or the store's end) waits for them.
class ShownStore {
public:
    virtual ~ShownStore() = default;
    // Clears IsNew of the records of the feed at feedUrl that were shown, and forgets the
    // shown articles that are no longer among the records. Sees every record asked for before
    // it, written yet or not.
    virtual void MarkShownArticles(const QString& feedUrl, QList<ArticleRecord>& SiteArticles) = 0;
    // Records the article as shown under its FeedUrl and clears its IsNew. A record without a
    // feed URL belongs to no feed: nothing is recorded and it stays new.
    virtual void RecordNewsShown(ArticleRecord& record) = 0;
    // Returns when every record asked for so far has reached the disk, or failed to.
    virtual void flush() = 0;
};
