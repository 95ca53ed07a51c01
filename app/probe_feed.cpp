#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <array>
#include <cstdio>
#include <memory>

#include "app/probecommon.h"
#include "patrol/feedparser.h"
#include "patrol/formats/feeddates.h"
#include "patrol/formats/feedtext.h"
#include "patrol/networkfeedservice.h"

namespace {

// yyyy-MM-dd HH:mm:ss, written digit by digit: the probe prints one per item.
QString isoText(const QDateTime& date) {
    if (!date.isValid()) {
        return {};
    }
    const QDate day = date.date();
    const QTime time = date.time();
    std::array<char16_t, 19> text{};
    qsizetype length = 0;
    const auto digits = [&text, &length](int value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            text[length + i] = char16_t(u'0' + value % 10);
            value /= 10;
        }
        length += count;
    };
    const auto separator = [&text, &length](char16_t c) { text[length++] = c; };
    digits(day.year(), 4);
    separator(u'-');
    digits(day.month(), 2);
    separator(u'-');
    digits(day.day(), 2);
    separator(u' ');
    digits(time.hour(), 2);
    separator(u':');
    digits(time.minute(), 2);
    separator(u':');
    digits(time.second(), 2);
    return QString(reinterpret_cast<const QChar*>(text.data()), length);
}

}  // namespace

// feed URL|FILE: the items the patrol reads from a feed, fetched and read as the patrol
// fetches and reads them, one line each: index from 1, title (cleaned), link, date as
// yyyy-MM-dd HH:mm:ss (empty when none), its display text, description. Exit 1, with the
// reason on stderr, when the feed yields nothing.
int probeFeed(const QStringList& args) {
    if (args.size() != 1) {
        return printUsage(QStringLiteral("usage: qv3probe feed URL|FILE"));
    }
    ProbeEnvironment environment(
        QDir::currentPath(), QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
    AppState& state = environment.state();
    state.useFeedService(
        std::make_unique<NetworkFeedService>(state.fetchOptions, state.seams.clock));

    FeedFetchResult fetched;
    state.feeds().fetch({args.at(0), FetchLane::User}, nullptr,
                        [&fetched](const FeedFetchResult& result) {
                            fetched = result;
                            QCoreApplication::quit();
                        });
    QCoreApplication::exec();
    state.feeds().shutdown(-1);

    QList<ArticleRecord> articles;
    if (!takeFeedItems(fetched.feed, 0, articles, {})) {
        QString why = fetched.error.isEmpty() ? fetched.feed.error : fetched.error;
        if (why.isEmpty()) {
            why = fetched.feed.overflow ? QStringLiteral("more than %1 items").arg(kMaxFeedItems)
                                        : noFeedReason(fetched);
        }
        std::fprintf(stderr, "no items read from %s: %s\n", qUtf8Printable(args.at(0)),
                     qUtf8Printable(why));
        return kProbeFailed;
    }
    int number = 0;
    for (const ArticleRecord& article : std::as_const(articles)) {
        printRecord({QString::number(++number), article.Title, article.Link,
                     isoText(article.PubDate), FormatNewsDate(article.PubDate),
                     article.Description});
    }
    return kProbeOk;
}
