#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>
#include <functional>

#include "core/articlerecord.h"
#include "core/feedservice.h"

// Gives a read feed's items to SiteArticles in document order with SiteIndex = siteIndex;
// log receives "記事「<title>」を入力しました" per item. False, with SiteArticles empty,
// when the feed has none (a document that is no feed, or one past the item limit).
bool takeFeedItems(FeedReadResult& feed, qint16 siteIndex, QList<ArticleRecord>& SiteArticles,
                   const std::function<void(const QString&)>& log);
