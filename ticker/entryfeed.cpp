#include "ticker/entryfeed.h"

#include "core/appstate.h"

QString entryFeedUrl(const AppState& state, const ArticleRecord& entry) {
    return state.SiteTable.isValidIndex(entry.SiteIndex)
               ? state.SiteTable[entry.SiteIndex].strXmlUrl
               : QString();
}
