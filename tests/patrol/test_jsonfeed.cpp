#include <gtest/gtest.h>

#include <QUrl>

#include "tests/common/testenv.h"
#include "formats/feedreader.h"
#include "formats/feedtext.h"
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

// The document is read as it is parsed: members in any order (the version last), a member
// given twice keeps its last value, a value that is no text reads as none, and members of
// nested objects are neither the feed's nor an item's.
TEST(JsonFeed, MembersInAnyOrder) {
    const QByteArray feed = QStringLiteral(
                                uR"({
        "items": [
          {"content_html": "<b>html</b>", "title": "first", "title": " second ",
           "_ext": {"title": "not this", "url": "https://wrong.example/"},
           "url": "https://a.example/1", "date_modified": "2024-01-02",
           "date_published": "2024-01-01T10:00:00Z"},
          {"title": ["no", "text"], "url": {"href": "https://wrong.example/"},
           "external_url": " https://b.example/2 ", "content_html": "<i>no</i>",
           "content_text": "text"},
          {"title": "\u0041\u00e9\ud83c\udf63\u0007", "content_text": 12e99},
          {"title": "a\ud83cb\ud83c\u0041\\ud83c"}
        ],
        "author": {"name": "x", "items": [{"title": "nested"}], "version": "x"},
        "description": ["no"], "title": "  Channel\t",
        "version": "https://jsonfeed.org/version/1", "version": "https://jsonfeed.org/version/1.1"
    })")
                                .toUtf8();
    const FeedReadResult read = readFeed(feed, {}, kDocument);
    ASSERT_EQ(read.kind, Kind::Feed) << read.error.toStdString();
    EXPECT_EQ(read.channel.title, QStringLiteral("Channel"));
    EXPECT_EQ(read.channel.description, QString());
    EXPECT_EQ(describe(read), QStringList({
                                  QStringLiteral("second|https://a.example/1|2024-01-01 10:00:00|"
                                                 "html"),
                                  QStringLiteral("|https://b.example/2||text"),
                                  // Escapes decoded; a control character cleaned.
                                  QStringLiteral(u"Aé🍣\u3000|||"),
                                  // A surrogate escape that starts no pair is no reason to
                                  // refuse the feed; an escaped backslash is no escape.
                                  QStringLiteral(u"a\ufffdb\ufffdA\\ud83c|||"),
                              }));
    // A version given twice keeps the last: one that is no JSON Feed's refuses the feed.
    QByteArray otherVersion = feed;
    otherVersion.replace("\"version\": \"https://jsonfeed.org/version/1.1\"",
                         "\"version\": \"https://example.com/1.1\"");
    EXPECT_EQ(readFeed(otherVersion).kind, Kind::NotFeed);
}

// The item limit is kept while the document is read: past it nothing more is kept, and
// once the version is known the rest is not read at all (not even checked).
TEST(JsonFeed, TheItemLimitEndsTheRead) {
    const QByteArray version = "\"version\": \"https://jsonfeed.org/version/1.1\"";
    const auto items = [](int count) {
        return "\"items\": [" + QByteArray("{\"title\": \"t\"}, 1, ").repeated(count) + "{}]";
    };
    struct Row {
        const char* label;
        QByteArray body;
        Kind kind;
        bool overflow;
    };
    const Row rows[] = {
        {"at the limit", "{" + version + ", " + items(kMaxFeedItems - 1) + "}", Kind::Feed, false},
        {"past it", "{" + version + ", " + items(kMaxFeedItems) + "}", Kind::Feed, true},
        {"past it, the rest broken", "{" + version + ", " + items(kMaxFeedItems) + ", x!!",
         Kind::Feed, true},
        {"past it, the version last", "{" + items(kMaxFeedItems) + ", " + version + "}", Kind::Feed,
         true},
        {"past it, the version last and the rest broken",
         "{" + items(kMaxFeedItems) + ", " + version + ", x!!", Kind::Feed, true},
        {"past it, broken before the version", "{" + items(kMaxFeedItems) + ", x!!, " + version,
         Kind::Malformed, false},
        {"past it, no version", "{" + items(kMaxFeedItems) + "}", Kind::NotFeed, false},
        // A second items array starts afresh.
        {"past it, then one more array",
         "{" + version + ", " + items(kMaxFeedItems) + ", " + items(1) + "}", Kind::Feed, true},
        {"one array, then one past it",
         "{" + items(1) + ", " + items(kMaxFeedItems) + ", " + version + "}", Kind::Feed, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const FeedReadResult read = readFeed(row.body);
        EXPECT_EQ(read.kind, row.kind);
        EXPECT_EQ(read.overflow, row.overflow);
        EXPECT_EQ(read.items.size(), row.kind == Kind::Feed && !row.overflow ? kMaxFeedItems : 0);
    }
}

// Long texts are cut as they are read, as the other formats cut them.
TEST(JsonFeed, LongTextsAreCut) {
    const QString sushi = QStringLiteral(u"🍣");
    // Blanks at either end, written as escapes.
    const QString title = QStringLiteral(" \\t") + QString(999, u'あ') + sushi +
                          QString(100'000, u'x') + QStringLiteral(" \\n");
    const QString spaced = QStringLiteral("a") + QString(5000, u' ') + QStringLiteral("b  ");
    const QString description = QString(65535, u'd') + sushi;
    const QByteArray feed =
        QStringLiteral(
            "{\"version\": \"https://jsonfeed.org/version/1.1\", \"title\": \"%1\", "
            "\"items\": [{\"title\": \"%1\", \"content_text\": \"%2\"}, {\"title\": \"%3\"}]}")
            .arg(title, description, spaced)
            .toUtf8();
    const FeedReadResult read = readFeed(feed);
    ASSERT_EQ(read.items.size(), 2);
    EXPECT_EQ(read.channel.title, QString(999, u'あ'));
    EXPECT_EQ(read.items[0].Title, QString(999, u'あ'));
    EXPECT_EQ(read.items[0].Description, QString(65535, u'd'));
    // Blanks inside a title are kept up to the cut.
    EXPECT_EQ(read.items[1].Title, spaced.left(kMaxFeedTitleLength));
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
