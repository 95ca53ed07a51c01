#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>
#include <functional>

#include "patrol/articlerecord.h"

struct AppState;

// Loads the feed of site-table row siteIndex (its strXmlUrl exactly as stored) into a
// fresh document, within state.fetchOptions, and refills SiteArticles with its items
// (parseFeedDocument). False, quietly, for a row that does not exist, a fetch that fails,
// a document that is not well-formed and every feed parseFeedDocument refuses; on false
// SiteArticles is empty.
[[nodiscard]] bool fetchSiteFeed(const AppState& state, qint16 siteIndex,
                                 QList<ArticleRecord>& SiteArticles,
                                 const std::function<void(const QString&)>& log);
