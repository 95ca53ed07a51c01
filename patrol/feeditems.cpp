#include "patrol/feeditems.h"

bool takeFeedItems(FeedReadResult& feed, qint16 siteIndex, const QString& feedUrl,
                   const QString& siteTitle, QList<ArticleRecord>& SiteArticles,
                   const std::function<void(const QString&)>& log) {
    SiteArticles.clear();
    if (!feed.hasItems()) {
        return false;
    }
    for (ArticleRecord& record : feed.items) {
        record.SiteIndex = siteIndex;
        record.FeedUrl = feedUrl;
        record.SiteTitle = siteTitle;
        if (log) {
            log(QStringLiteral(u"記事「") + record.Title + QStringLiteral(u"」を入力しました"));
        }
    }
    SiteArticles = std::move(feed.items);
    return true;
}
