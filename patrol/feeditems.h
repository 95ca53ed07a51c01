#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>
#include <functional>

#include "core/articlerecord.h"
#include "core/feedservice.h"

// Gives a read feed's items to SiteArticles in document order with SiteIndex = siteIndex and
// the site's feed URL (as stored) and title, so that the records need no site row later;
// log receives "記事「<title>」を入力しました" per item. False, with SiteArticles empty,
// when the feed has none (a document that is no feed, or one past the item limit).
bool takeFeedItems(FeedReadResult& feed, qint16 siteIndex, const QString& feedUrl,
                   const QString& siteTitle, QList<ArticleRecord>& SiteArticles,
                   const std::function<void(const QString&)>& log);
