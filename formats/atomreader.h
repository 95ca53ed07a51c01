#pragma once

#include <QUrl>

#include "core/feedservice.h"

class XmlFeedCursor;

// At the root's start: when the root is the feed element of the Atom 1.0 namespace (any
// prefix that names it), reads the document to the root's end into result (family Atom) and
// gives true; else false, the cursor untouched. Entries are the feed's entry children;
// relative links are resolved against xml:base and documentUrl.
bool readAtom(XmlFeedCursor& xml, const QUrl& documentUrl, FeedReadResult& result);
