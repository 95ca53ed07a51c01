#pragma once

#include <QByteArray>
#include <QUrl>

#include "core/feedservice.h"

// Reads a JSON Feed (version 1.0 or 1.1) into result (family Json), the texts as the other
// formats give them: an item's title is plain text (references and markup stay as written)
// cleaned and cut as RSS titles; its link is url, else external_url, resolved against
// documentUrl; its date is date_published, else date_modified, the wall-clock time as
// written; its description is content_text, else content_html as the text it shows. The
// channel is the feed's title, home_page_url and description.
//
// The document is read as it is parsed, without building it in memory: only the texts the
// result keeps are decoded, each cut as it is read, and past the item limit no item is
// kept (the read ends there once the version is known).
//
// Refused: JSON that does not parse (Malformed; nesting deeper than 1024 levels
// included), and as NotFeed, each with its reason in error: a document that is no
// object or whose version does not start with https://jsonfeed.org/version/ (or the
// http: form), items missing or not an array, and no item (an entry that is no object is
// none).
[[nodiscard]] FeedReadResult readJsonFeed(const QByteArray& body, const QUrl& documentUrl);
