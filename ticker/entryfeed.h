#pragma once

#include <QString>

struct AppState;
struct ArticleRecord;

// The address of the feed an entry of the queue came from; empty when it is not known. The
// one place the ticker reads it, for the site's icon.
[[nodiscard]] QString entryFeedUrl(const AppState& state, const ArticleRecord& entry);
