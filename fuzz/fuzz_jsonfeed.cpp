// The JSON Feed reader on any bytes, through the detector as a fetched body reaches it: a
// "{" is put before inputs that would not open with one.

#include <QByteArray>
#include <QUrl>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "patrol/formats/feedreader.h"
#include "patrol/formats/jsonfeedreader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray body(reinterpret_cast<const char*>(data), qsizetype(size));
    if (feedSyntaxOf(body) != FeedSyntax::Json) {
        body.prepend('{');
    }
    const FeedReadResult read =
        readJsonFeed(body, QUrl(QStringLiteral("https://feeds.example.jp/dir/feed.json")));
    // A feed has items, or passed the limit and keeps none; a refusal says why.
    const bool sound = read.kind == FeedReadResult::Kind::Feed
                           ? read.items.isEmpty() == read.overflow && read.error.isEmpty()
                           : read.items.isEmpty() && !read.error.isEmpty();
    if (!sound || read.items.size() > kMaxFeedItems) {
        std::abort();
    }
    for (const ArticleRecord& item : read.items) {
        if (item.Title.size() > kMaxFeedTitleLength ||
            item.Description.size() > kMaxFeedDescriptionLength) {
            std::abort();
        }
    }
    return 0;
}
