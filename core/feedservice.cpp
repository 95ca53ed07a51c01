#include "core/feedservice.h"

#include <QCoreApplication>

QString noFeedReason(const FeedFetchResult& result) {
    if (!result.fetched) {
        const bool refused = result.httpStatus >= 300;
        return refused ? QStringLiteral("HTTP %1").arg(result.httpStatus) : QString();
    }
    if (result.feed.kind != FeedReadResult::Kind::Feed) {
        return QCoreApplication::translate("FeedService", "フィードが見つかりませんでした");
    }
    return {};
}
