#include <gtest/gtest.h>

#include <QUrl>

#include "tests/common/testenv.h"
#include "patrol/formats/feedreader.h"
#include "tests/platform/qstringprinter.h"

namespace {

using Kind = FeedReadResult::Kind;

// One record as "title|link|date|description", the date as yyyy-MM-dd HH:mm:ss.
QStringList describe(const FeedReadResult& feed) {
    QStringList records;
    for (const ArticleRecord& record : feed.items) {
        records.append(QStringList{record.Title, record.Link,
                                   record.PubDate.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                                   record.Description}
                           .join(QLatin1Char('|')));
    }
    return records;
}

const QUrl kDocument(QStringLiteral("https://blog.example.jp/diary/feed.json"));

TEST(JsonFeed, ItemsAsTheOtherFormatsGiveThem) {
    const QByteArray feed = QStringLiteral(
                                uR"({
        "version": "https://jsonfeed.org/version/1.1",
        "title": " 日記 & メモ ", "home_page_url": "https://blog.example.jp/diary/",
        "description": "毎日の記録",
        "items": [
          {"id": "1", "title": "桜の開花 &amp; <b>速報</b>",
           "url": "https://blog.example.jp/diary/sakura.html",
           "date_published": "2024-04-01T09:30:15+09:00", "date_modified": "2024-04-09T00:00:00Z",
           "content_text": "今年は早い開花です。", "content_html": "<p>使われない</p>"},
          {"id": "2", "url": " ", "external_url": "https://other.example.com/x?a=1&b=2",
           "date_modified": "2024-04-02T23:59:59.25-05:00",
           "content_html": "<p>駅前に<a href=\"/shops\">商店街</a>ができます。</p>"},
          {"id": "3", "title": null, "url": "../2024/04/rel.html",
           "date_published": "2024-04-03T06:00:00Z", "content_text": "  ",
           "content_html": "&lt;tag&gt; &amp; 本文"},
          {"id": "4", "title": "ハングル 한 と 〜 −1", "url": 42,
           "date_published": "yesterday", "date_modified": "2024-04-04"},
          {"id": "5", "title": 7, "content_text": 8},
          "no object", null
        ]})")
                                .toUtf8();
    const FeedReadResult read = readFeed(feed, {}, kDocument);
    ASSERT_EQ(read.kind, Kind::Feed);
    EXPECT_EQ(read.family, FeedReadResult::Family::Json);
    EXPECT_EQ(QStringList({read.channel.title, read.channel.link, read.channel.description}),
              QStringList({QStringLiteral(u"日記 & メモ"),
                           QStringLiteral("https://blog.example.jp/diary/"),
                           QStringLiteral(u"毎日の記録")}));
    EXPECT_EQ(
        describe(read),
        QStringList({
            // The title is plain text; published wins over modified, the zone dropped;
            // content_text over content_html.
            QStringLiteral(u"桜の開花 &amp; <b>速報</b>|https://blog.example.jp/diary/sakura.html|"
                           u"2024-04-01 09:30:15|今年は早い開花です。"),
            // No title; a blank url gives way to external_url; modified alone; HTML alone,
            // as the text it shows.
            QStringLiteral(u"|https://other.example.com/x?a=1&b=2|2024-04-02 23:59:59|"
                           u"駅前に商店街ができます。"),
            // A relative url against the document; a blank content_text gives way.
            QStringLiteral(u"|https://blog.example.jp/2024/04/rel.html|2024-04-03 06:00:00|"
                           u"<tag> & 本文"),
            // Cleaned as RSS titles are; an unreadable date gives way to the next.
            QStringLiteral(u"ハングル 한 と \uff5e -1||2024-04-04 00:00:00|"),
            // Values that are no strings read as no text.
            QStringLiteral("|||"),
        }));
}

// Detection is by content alone, whatever the server calls it; what is no JSON Feed is
// refused, with a reason.
TEST(JsonFeed, VersionsRejectsAndServedTypes) {
    const auto versioned = [](const char* version, const QByteArray& rest) {
        return QByteArray("{\"version\": \"") + version + "\"" + rest + "}";
    };
    const QByteArray oneItem = ", \"items\": [{\"title\": \"一\"}]";
    struct Row {
        const char* label;
        QByteArray body;
        Kind kind;
    };
    const Row rows[] = {
        {"1.1", versioned("https://jsonfeed.org/version/1.1", oneItem), Kind::Feed},
        {"1.0", versioned("https://jsonfeed.org/version/1", oneItem), Kind::Feed},
        {"1.0 as http", versioned("http://jsonfeed.org/version/1", oneItem), Kind::Feed},
        {"byte-order mark and blanks",
         "\xEF\xBB\xBF \r\n\t" + versioned("https://jsonfeed.org/version/1.1", oneItem),
         Kind::Feed},
        {"cut off", versioned("https://jsonfeed.org/version/1.1", oneItem).chopped(3),
         Kind::Malformed},
        {"not JSON at all", "{version: 1.1}", Kind::Malformed},
        {"another feed in JSON", "{\"rss\": {\"channel\": {\"item\": [{\"title\": \"a\"}]}}}",
         Kind::NotFeed},
        {"another version URL", versioned("https://example.com/version/1.1", oneItem),
         Kind::NotFeed},
        {"a version that is no text", "{\"version\": 1, \"items\": [{}]}", Kind::NotFeed},
        {"no items", versioned("https://jsonfeed.org/version/1.1", ""), Kind::NotFeed},
        {"items not an array",
         versioned("https://jsonfeed.org/version/1.1", ", \"items\": {\"title\": \"a\"}"),
         Kind::NotFeed},
        {"an empty items array", versioned("https://jsonfeed.org/version/1.1", ", \"items\": []"),
         Kind::NotFeed},
        {"items that are no objects",
         versioned("https://jsonfeed.org/version/1.1", ", \"items\": [1, \"a\", null, []]"),
         Kind::NotFeed},
        {"nested past the limit",
         versioned(
             "https://jsonfeed.org/version/1.1",
             ", \"items\": [{\"x\": " + QByteArray(100'000, '[') + QByteArray(100'000, ']') + "}]"),
         Kind::Malformed},
        // JSON that does not open with an object is no JSON Feed: it is read as XML.
        {"an array", "[" + versioned("https://jsonfeed.org/version/1.1", oneItem) + "]",
         Kind::Malformed},
    };
    for (const Row& row : rows) {
        for (const QString& served :
             {QString(), QStringLiteral("application/feed+json"),
              QStringLiteral("application/json; charset=utf-8"), QStringLiteral("text/plain"),
              QStringLiteral("application/rss+xml")}) {
            SCOPED_TRACE(std::string(row.label) + " as " + served.toStdString());
            const FeedReadResult read = readFeed(row.body, served, kDocument);
            EXPECT_EQ(read.kind, row.kind);
            EXPECT_EQ(read.hasItems(), row.kind == Kind::Feed);
            EXPECT_EQ(read.error.isEmpty(), row.kind == Kind::Feed);
        }
    }
}

// The fixture as the patrol's own path reads it: from disk through the fetch service.
TEST(JsonFeed, ReadThroughTheFetchService) {
    TestEnv env;
    FeedFetchResult fetched;
    env.state().feeds().fetch({testDataPath(QStringLiteral("jsonfeed.json")), FetchLane::Patrol},
                              nullptr,
                              [&fetched](const FeedFetchResult& result) { fetched = result; });
    ASSERT_TRUE(waitForFetches(env.state()));
    ASSERT_TRUE(fetched.feed.hasItems());
    const QString base = QUrl::fromLocalFile(testDataPath(QString())).toString();
    EXPECT_EQ(describe(fetched.feed),
              QStringList({QStringLiteral(u"朝市が再開 & 屋台も|") + base +
                               QStringLiteral(u"news/0003.html|2024-05-03 07:30:00|"
                                              u"今朝から朝市が再開しました。"),
                           QStringLiteral(u"花火大会は7月～8月に開催|"
                                          u"https://minato.example.jp/news/0002.html|"
                                          u"2024-05-02 18:05:00|今年も開催します。"),
                           QStringLiteral(u"灯台の見学会|https://lighthouse.example.org/tour||")}));
}

}  // namespace
