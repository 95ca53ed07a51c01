#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include "patrol/articlerecord.h"

// What a feed says of itself: shown by the properties panel and taken by the new-site
// dialog. A value the feed does not give is empty.
struct FeedChannel {
    QString title;
    QString link;
    QString description;
};

// The outcome of reading one fetched document as a feed.
struct FeedReadResult {
    enum class Kind {
        // Not well-formed, or refused as hostile (entity expansion, nesting, size).
        NotXml,
        // Well-formed, but its root is no feed the program reads (an XHTML page, ...).
        NotFeed,
        Feed,
    };
    Kind kind = Kind::NotXml;
    FeedChannel channel;
    // The feed's items in document order, SiteIndex 0 and IsNew true; the reader of the
    // result sets SiteIndex. Empty when the item limit was passed (overflow).
    QList<ArticleRecord> items;
    bool overflow = false;
    // Why the document was not read (with line and column for XML errors).
    QString error;

    // What ParseRdf's result stands for: a feed with at least one item.
    [[nodiscard]] bool hasItems() const { return kind == Kind::Feed && !items.isEmpty(); }
};

// Reads a fetched document. contentType is the HTTP Content-Type (its charset decides
// only when the document declares no encoding of its own); documentUrl is where the
// document came from. Safe to call on any thread: it touches no shared state.
[[nodiscard]] FeedReadResult readFeed(const QByteArray& body, const QString& contentType = {},
                                      const QUrl& documentUrl = {});
