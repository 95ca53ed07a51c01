#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>
#include <functional>

#include "core/articlerecord.h"
#include "patrol/feedreader.h"

class XmlDocument;

// Reads a loaded RSS 0.9x, 1.0 or 2.0 document as readFeed does and refills SiteArticles
// with its items in document order with SiteIndex = siteIndex. log receives
// "記事「<title>」を入力しました" per item. True when at least one item was read; false
// for a document that is no RSS feed (Atom and HTML included: this is the reader of RSS
// documents already loaded; fetched feeds of every family go through readFeed) and when
// the item limit is passed. On false SiteArticles is empty.
[[nodiscard]] bool parseFeedDocument(const XmlDocument& doc, qint16 siteIndex,
                                     QList<ArticleRecord>& SiteArticles,
                                     const std::function<void(const QString&)>& log);

// Gives a read feed's items to SiteArticles with SiteIndex = siteIndex, logging one line per
// item as parseFeedDocument does. False, with SiteArticles empty, when it has none.
bool takeFeedItems(FeedReadResult& feed, qint16 siteIndex, QList<ArticleRecord>& SiteArticles,
                   const std::function<void(const QString&)>& log);
