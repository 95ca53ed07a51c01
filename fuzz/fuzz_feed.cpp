// The feed reader on any bytes: the first byte picks the Content-Type the server sent.
// Where the plain scan of XML reads a document, the general reader must read it the same.

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "formats/feedreader.h"
#include "formats/xmlfeedreader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString contentTypes[] = {
        QString(),
        QStringLiteral("application/rss+xml"),
        QStringLiteral("text/xml; charset=Shift_JIS"),
        QStringLiteral("application/atom+xml; charset=EUC-JP"),
        QStringLiteral("text/html; charset=utf-8"),
        QStringLiteral("application/xml; charset=\"iso-2022-jp\""),
        QStringLiteral("text/xml; charset=x-no-such-charset"),
        QStringLiteral("application/xml; charset=UTF-16"),
    };
    if (size == 0) {
        return 0;
    }
    const QString& contentType = contentTypes[data[0] % std::size(contentTypes)];
    const QByteArray body(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const QUrl url(QStringLiteral("http://feeds.example.jp/dir/feed.xml"));
    const FeedReadResult read = readFeed(body, contentType, url);
    if (feedSyntaxOf(body) == FeedSyntax::Xml) {
        const std::optional<FeedReadResult> plain = readXmlFeedPlainly(body, contentType, url);
        if (plain && !sameFeedRead(*plain, readXmlFeedByStream(body, contentType, url))) {
            std::abort();
        }
    }
    // Whatever was read must be usable as it stands.
    qsizetype total = read.channel.title.size() + read.error.size();
    for (const ArticleRecord& item : read.items) {
        total += item.Title.size() + item.Link.size() + item.Description.size();
    }
    return total < 0 ? -1 : 0;
}
