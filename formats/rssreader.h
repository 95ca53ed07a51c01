#pragma once

#include "core/feedservice.h"

class XmlFeedCursor;

// Whether the root element just started is an RSS root: rss (0.9x, 2.0) or rdf (1.0), any
// prefix, any case.
[[nodiscard]] bool isRssRoot(const XmlFeedCursor& xml);

// Reads an RSS document from its root's start to its end into result (family Rss).
// Items are the root's item children; only when it has none, the item children of its last
// channel. Of an item, the last title, link, description and readable date or pubDate child
// counts (any prefix, any case). The channel's title, link and description are read from
// every channel, a later one's overwriting.
void readRss(XmlFeedCursor& xml, FeedReadResult& result);
