#include "patrol/feedfetch.h"

#include "core/appstate.h"
#include "patrol/feedparser.h"
#include "patrol/feedreader.h"
#include "platform/resourcefetch.h"

bool fetchSiteFeed(const AppState& state, qint16 siteIndex, QList<ArticleRecord>& SiteArticles,
                   const std::function<void(const QString&)>& log) {
    SiteArticles.clear();
    if (!state.SiteTable.isValidIndex(siteIndex)) {
        return false;
    }
    FetchedResource fetched =
        fetchResource(state.SiteTable[siteIndex].strXmlUrl, state.fetchOptions);
    if (!fetched.ok) {
        return false;
    }
    FeedReadResult feed = readFeed(fetched.body, fetched.contentType, fetched.url);
    // The body is no longer needed while the items are handed over.
    fetched.body = {};
    return takeFeedItems(feed, siteIndex, SiteArticles, log);
}
