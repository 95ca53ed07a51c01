#include <array>

#include "app/probecommon.h"
#include "formats/feeddates.h"
#include "core/newsdate.h"

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
    QList<ArticleRecord> articles;
    if (!fetchProbeFeed(args.at(0), articles)) {
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
