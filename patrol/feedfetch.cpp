#include "patrol/feedfetch.h"

#include "core/appstate.h"
#include "patrol/feedparser.h"
#include "platform/xmldocument.h"

bool fetchSiteFeed(const AppState& state, qint16 siteIndex, QList<ArticleRecord>& SiteArticles,
                   const std::function<void(const QString&)>& log) {
    SiteArticles.clear();
    if (!state.SiteTable.isValidIndex(siteIndex)) {
        return false;
    }
    // A document is never reused: one per site and visit.
    XmlDocument xml(state.fetchOptions);
    if (!xml.load(state.SiteTable[siteIndex].strXmlUrl)) {
        return false;
    }
    if (!parseFeedDocument(xml, siteIndex, SiteArticles, log)) {
        SiteArticles.clear();
        return false;
    }
    return true;
}
