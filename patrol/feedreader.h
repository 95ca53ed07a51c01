#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include "core/feedservice.h"

class SafeXmlStream;

// Most items one feed may yield; one more ends the read as an overflow.
inline constexpr int kMaxFeedItems = 32767;
// Titles (after their clean-up) and descriptions are cut to these many UTF-16 units when
// a feed is read: the ticker shows one line, and nothing stored relies on longer texts.
// A description is never cut inside a surrogate pair, so it may keep one unit less.
inline constexpr qsizetype kMaxFeedTitleLength = 1000;
inline constexpr qsizetype kMaxFeedDescriptionLength = 65536;

// Reads a fetched document in one streaming pass. contentType is the HTTP Content-Type
// (its charset decides only when the document has neither a byte-order mark nor an
// encoding declaration); documentUrl is where the document came from, against which
// Atom's relative links are resolved. Safe to call on any thread: it touches no shared
// state.
//
// RSS (root rss or rdf, any prefix, any case): items are the root's item children; only
// when it has none, the item children of its last channel. Of an item, the last title,
// link, description and readable date or pubDate child counts (any prefix, any case).
// The channel's title, link and description are read from every channel, a later one's
// overwriting. Atom (root feed of the Atom namespace): entries are the feed's entry
// children.
[[nodiscard]] FeedReadResult readFeed(const QByteArray& body, const QString& contentType = {},
                                      const QUrl& documentUrl = {});
// The same over a stream that has not been read yet (a loaded XmlDocument's).
[[nodiscard]] FeedReadResult readFeed(SafeXmlStream& stream, const QUrl& documentUrl = {});

// Text with leading and trailing space, tab, CR and LF removed. U+3000 is kept: Japanese
// titles use it on purpose.
[[nodiscard]] QString trimFeedText(const QString& text);
