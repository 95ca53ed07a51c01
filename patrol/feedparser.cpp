#include "patrol/feedparser.h"

#include "platform/xmldocument.h"

bool takeFeedItems(FeedReadResult& feed, qint16 siteIndex, QList<ArticleRecord>& SiteArticles,
                   const std::function<void(const QString&)>& log) {
    SiteArticles.clear();
    if (!feed.hasItems()) {
        return false;
    }
    for (ArticleRecord& record : feed.items) {
        record.SiteIndex = siteIndex;
        if (log) {
            log(QStringLiteral(u"記事「") + record.Title + QStringLiteral(u"」を入力しました"));
        }
    }
    SiteArticles = std::move(feed.items);
    return true;
}

bool parseFeedDocument(const XmlDocument& doc, qint16 siteIndex, QList<ArticleRecord>& SiteArticles,
                       const std::function<void(const QString&)>& log) {
    SiteArticles.clear();
    const std::unique_ptr<SafeXmlStream> stream = doc.stream();
    if (!stream) {
        return false;
    }
    FeedReadResult feed = readFeed(*stream);
    if (feed.family != FeedReadResult::Family::Rss) {
        return false;
    }
    return takeFeedItems(feed, siteIndex, SiteArticles, log);
}
