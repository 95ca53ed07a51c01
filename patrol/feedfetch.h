#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>
#include <functional>

#include "core/articlerecord.h"

struct AppState;

// Fetches the feed of site-table row siteIndex (its strXmlUrl exactly as stored: a local
// path, a file: URL or an http(s) URL) within state.fetchOptions, reads it with readFeed
// (the response's Content-Type and final URL included) and refills SiteArticles with its
// items (takeFeedItems). False, quietly, for a row that does not exist, a fetch that
// fails, a document that is not well-formed and every document readFeed finds no items
// in; on false SiteArticles is empty.
[[nodiscard]] bool fetchSiteFeed(const AppState& state, qint16 siteIndex,
                                 QList<ArticleRecord>& SiteArticles,
                                 const std::function<void(const QString&)>& log);
