// The JSON Feed reader on any bytes, through the detector as a fetched body reaches it: a
// "{" is put before inputs that would not open with one. Every title it gives is cleaned.

#include <QByteArray>
#include <QUrl>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "formats/feedreader.h"
#include "formats/jsonfeedreader.h"

namespace {

// What a cleaned title never holds: a control character, a surrogate that is not half of a
// pair, or a non-character.
bool isShowable(const QString& title) {
    for (qsizetype i = 0; i < title.size(); ++i) {
        char32_t c = title[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < title.size() && title[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(title[i], title[i + 1]);
            ++i;
        } else if (QChar::isSurrogate(c)) {
            return false;
        }
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0xFDD0 && c <= 0xFDEF) ||
            (c & 0xFFFE) == 0xFFFE) {
            return false;
        }
    }
    return true;
}

}  // namespace

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
        if (item.Title.size() > kMaxFeedTitleLength || !isShowable(item.Title) ||
            item.Description.size() > kMaxFeedDescriptionLength) {
            std::abort();
        }
    }
    return 0;
}
