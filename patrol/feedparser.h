#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>
#include <functional>

#include "patrol/articlerecord.h"

class XmlDocument;

// Most items one feed may yield; one more ends the parse as a failure.
inline constexpr int kMaxFeedItems = 32767;

// Turns a loaded RSS 0.9x, 1.0 or 2.0 document into article records: SiteArticles is
// refilled with the feed's items in document order with SiteIndex = siteIndex. The root is the
// first top-level element named rss or rdf (any prefix, any case). Items are read from the root's
// children; only when none stands there are they read from the last channel's children, never
// deeper. log receives "記事「<title>」を入力しました" per item. True when at least one item was
// read; false for any other root (Atom, HTML) and when the item limit is passed, in which case
// SiteArticles holds no reliable result.
[[nodiscard]] bool parseFeedDocument(const XmlDocument& doc, qint16 siteIndex,
                                     QList<ArticleRecord>& SiteArticles,
                                     const std::function<void(const QString&)>& log);

// Text with leading and trailing space, tab, CR and LF removed. U+3000 is kept: Japanese
// titles use it on purpose.
[[nodiscard]] QString trimFeedText(const QString& text);
