#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

// The feeds an HTML page names in its head: the href of every <link> whose rel holds
// "alternate" and whose type is application/rss+xml, then of those of type
// application/atom+xml, then application/rdf+xml (RSS 1.0 as some older sites label it),
// then application/feed+json (JSON Feed; not application/json, which names any JSON),
// each group in document order, resolved against the page's <base href> and pageUrl,
// without repeats. Real-world HTML is taken as browsers take it: names in any case,
// attribute values quoted either way or not at all, character references decoded,
// comments, scripts and styles passed over; the search stops at </head> or <body>.
// The page is decoded by the charset of contentType, else its byte-order mark, else the
// charset a <meta> near its start names, else as UTF-8. Pure: safe on any thread.
[[nodiscard]] QStringList discoverFeedLinks(const QByteArray& html, const QString& contentType,
                                            const QUrl& pageUrl);
