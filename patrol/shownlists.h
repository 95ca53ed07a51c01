#pragma once

#include <QList>
#include <QString>
#include <atomic>

#include "core/articlerecord.h"

struct AppState;
struct FeedReadResult;
class RuleSet;

// The shown-list files: one per feed URL under <program directory>/temporary/, named by
// MD5Hex of the URL exactly as stored. Each line is MD5Hex(Link) (32 characters) and the
// local time of showing, yyyyMMddHHmmss, ended by CR LF; only the first 32 characters are
// ever read back.

[[nodiscard]] QString shownListPath(const AppState& state, const QString& feedUrl);

// Marks the records whose link the site's shown-list file holds as not new, then rewrites
// the file with the matched lines only (original order), so lines of articles that have
// left the feed drop out. No file: nothing happens and none is created. An empty file is
// left alone. Any failure ends it quietly; records marked so far stay marked.
void MarkShownArticles(AppState& state, QList<ArticleRecord>& SiteArticles, int siteIndex);
// The same for the articles of the feed at feedUrl, with or without a site row (an
// account's feed).
void markShownOfFeed(AppState& state, QList<ArticleRecord>& articles, const QString& feedUrl);

// Appends the shown-list line of NewsQueue entry queueIndex to its site's file (creating
// the directory and the file when needed) and clears the entry's IsNew. False, with IsNew
// left true and no partial line left behind, when anything fails.
bool RecordNewsShown(AppState& state, int queueIndex);
