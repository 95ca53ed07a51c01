#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <optional>

#include "core/feedservice.h"

class XmlFeedCursor;

// Reads an XML document as a feed: the root element picks the reader (RSS or Atom); any
// other root gives NotFeed. contentType's charset decides only when the document has
// neither a byte-order mark nor an encoding declaration. Hostile documents (entity
// expansion, deep nesting) are refused as Malformed.
[[nodiscard]] FeedReadResult readXmlFeed(const QByteArray& body, const QString& contentType,
                                         const QUrl& documentUrl);

// The same over a cursor that has not been read yet.
[[nodiscard]] FeedReadResult readXmlFeed(XmlFeedCursor& xml, const QUrl& documentUrl);

// The two ways readXmlFeed reads: the plain scan of UTF-8 bytes, which gives nothing for a
// document it is not sure of, and the general reader, which reads any. Where the scan
// gives a result, it is the general reader's.
[[nodiscard]] std::optional<FeedReadResult> readXmlFeedPlainly(const QByteArray& body,
                                                               const QString& contentType,
                                                               const QUrl& documentUrl);
[[nodiscard]] FeedReadResult readXmlFeedByStream(const QByteArray& body, const QString& contentType,
                                                 const QUrl& documentUrl);

// Whether two reads gave the same: kind, family, channel, items and overflow (not the
// wording of an error).
[[nodiscard]] bool sameFeedRead(const FeedReadResult& a, const FeedReadResult& b);
