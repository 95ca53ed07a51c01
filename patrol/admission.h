#pragma once

#include <QString>
#include <atomic>

#include "core/articlerecord.h"

struct AppState;
struct FeedReadResult;
class RuleSet;

// Sets the items' Display and HighlightColour as rules judge them for the site whose feed
// URL is feedUrl, and records the rules' generation in feed.judgedUnder. Runs the rules'
// regular expressions: never on the UI thread. Once *stop is set it ends early, leaving
// feed.judgedUnder as it was.
void judgeFeedItems(FeedReadResult& feed, const RuleSet& rules, const QString& feedUrl,
                    const std::atomic<bool>* stop = nullptr);
// Whether feed may be applied as it is: it holds no items, or it was judged under the rules
// in force, or no rules are in force (then it is judged here, which runs no rule).
[[nodiscard]] bool judgedByRulesInForce(const AppState& state, FeedReadResult& feed);

// The patrol's admission of one fresh record to NewsQueue. Rejected when the display rules
// mute it, when OLD_HIDE_FLG is set and the record is dated strictly before now −
// LIMIT_HOURES hours, when CHECKED_HIDE_FLG is set and the record was shown already, or
// when the queue is full. True when the record was appended.
bool admitToNewsQueue(AppState& state, const ArticleRecord& record);
