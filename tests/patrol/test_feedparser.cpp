#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QUrl>

#include "tests/common/testenv.h"
#include "patrol/feeditems.h"
#include "formats/feedreader.h"
#include "tests/platform/qstringprinter.h"

namespace {

// One record as "title|link|date|description", the date as yyyy-MM-dd HH:mm:ss.
QString describe(const ArticleRecord& record) {
    return QStringList{record.Title, record.Link,
                       record.PubDate.isValid()
                           ? record.PubDate.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                           : QString(),
                       record.Description}
        .join(QLatin1Char('|'));
}

struct Parsed {
    bool ok = false;
    QStringList records;
    QStringList log;
    QList<qint16> siteIndexes;
    QStringList origins;
    QList<bool> isNew;
};

// What ParseRdf makes of a fetched result: the read feed's items given to the site.
Parsed parse(FeedReadResult feed, qint16 siteIndex = 3) {
    Parsed result;
    QList<ArticleRecord> articles{ArticleRecord{}};  // left over from an earlier site
    result.ok = takeFeedItems(feed, siteIndex, QStringLiteral("http://feed.example/rss"),
                              QStringLiteral("Site"), articles,
                              [&result](const QString& line) { result.log.append(line); });
    for (const ArticleRecord& record : articles) {
        result.records.append(describe(record));
        result.siteIndexes.append(record.SiteIndex);
        result.origins.append(record.FeedUrl + QLatin1Char('|') + record.SiteTitle);
        result.isNew.append(record.IsNew);
    }
    return result;
}

Parsed parseFixture(const QString& name) {
    return parse(readFeed(readTestData(name)));
}

Parsed parseText(const QString& text) {
    return parse(readFeed(text.toUtf8()));
}

QString spaces(int count) {
    return QString(count, QChar(0x3000));
}

TEST(FeedParser, FixtureFeeds) {
    struct Row {
        const char* fixture;
        bool ok;
        QStringList records;
    };
    const Row rows[] = {
        {"rss091.xml",
         true,
         {QStringLiteral(u"花火大会は7月～8月に開催|http://minato.example.jp/news/"
                         u"0001.html||今年も開催します。"),
          QStringLiteral("Harbour & market reopen|http://minato.example.jp/news/0002.html||"
                         "<b>Open</b> from 6:00")}},
        // Items beside the channel; the rdf:Seq and comments are no items.
        {"rss10.rdf",
         true,
         {QStringLiteral(
              u"初雪を観測|http://yama.example.jp/entry/10|2006-03-16 07:24:48|今朝、山頂で初雪。"),
          QStringLiteral(
              u"登山道の補修 -2区間|http://yama.example.jp/entry/9|2006-03-15 00:00:00|"),
          QStringLiteral(u"小屋開き|http://yama.example.jp/entry/8|2006-03-14 18:05:00|")}},
        // U+3000 survives the trim; Hangul and an emoji are kept; a later unreadable date
        // keeps the earlier one.
        {"rss20.xml",
         true,
         {spaces(1) + QStringLiteral(u"全角の空白で始まる見出し") + spaces(1) +
              QStringLiteral(u"|http://kawabe.example.jp/2006/03/16/a.html|2006-03-16 "
                             u"07:24:48|本文の要約です。"),
          QStringLiteral(
              u"시장 소식 and 橋の工事|http://kawabe.example.jp/2006/03/16/b.html|2006-03-16 "
              u"06:10:00|"),
          QStringLiteral(
              u"Emoji 😀 in a title?|http://kawabe.example.jp/2006/03/15/c.html||no date here")}},
        // Items under the root win over the channel's.
        {"items_beside_channel.xml",
         true,
         {QStringLiteral("beside the channel 1|http://mixed.example.jp/out/1||"),
          QStringLiteral("beside the channel 2|http://mixed.example.jp/out/2||")}},
        // Only the last channel is read; names match in any case and any namespace, and a
        // later element overwrites an earlier one.
        {"rss20_quirks.xml",
         true,
         {QStringLiteral("|http://quirks.example.jp/untitled||an item without a title"),
          QStringLiteral("dc:title last|http://quirks.example.jp/b||"),
          QStringLiteral("plain title last||2006-03-16 07:24:00|")}},
        {"channel_without_items.xml", false, {}},
        {"xhtml.html", false, {}},
        {"broken.xml", false, {}},
        // Decoded as their declarations say; 髙 is one of the code page's extensions.
        {"rss20_shift_jis.xml",
         true,
         {QStringLiteral(u"東京で桜が開花|http://example.jp/news/1|2006-03-16 01:00:00|"
                         u"気象台が発表しました。"),
          QStringLiteral(u"髙橋さんが受賞 \u2015 表彰式は来月|http://example.jp/news/2|"
                         u"2006-03-16 02:00:00|ソフトウェア表示の試験")}},
        {"rss20_euc_jp.xml",
         true,
         {QStringLiteral(u"東京で桜が開花|http://example.jp/news/1|2006-03-16 01:00:00|"
                         u"気象台が発表しました。"),
          QStringLiteral(u"表彰式は来月|http://example.jp/news/2|2006-03-16 02:00:00|"
                         u"ソフトウェア表示の試験")}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fixture);
        const Parsed parsed = parseFixture(QString::fromLatin1(row.fixture));
        EXPECT_EQ(parsed.ok, row.ok);
        EXPECT_EQ(parsed.records, row.records);
        if (!row.ok) {
            EXPECT_TRUE(parsed.log.isEmpty());
        }
    }
}

TEST(FeedParser, RecordsCarryTheSiteAndOneLogLineEach) {
    const Parsed parsed = parseFixture(QStringLiteral("rss20_quirks.xml"));
    ASSERT_TRUE(parsed.ok);
    EXPECT_EQ(parsed.siteIndexes, QList<qint16>({3, 3, 3}));
    EXPECT_EQ(parsed.origins, QStringList(3, QStringLiteral("http://feed.example/rss|Site")));
    EXPECT_EQ(parsed.isNew, QList<bool>({true, true, true}));
    EXPECT_EQ(parsed.log, QStringList({QStringLiteral(u"記事「」を入力しました"),
                                       QStringLiteral(u"記事「dc:title last」を入力しました"),
                                       QStringLiteral(u"記事「plain title last」を入力しました")}));
}

TEST(FeedParser, RootDetection) {
    struct Row {
        QString text;
        bool ok;
    };
    const Row rows[] = {
        // A comment and a processing instruction before the root are skipped.
        {QStringLiteral("<!-- c --><?pi x?><rss><channel><item><title>a</title></item>"
                        "</channel></rss>"),
         true},
        {QStringLiteral("<x:RDF xmlns:x='urn:x'><item/></x:RDF>"), true},
        {QStringLiteral("<rssfeed><channel><item/></channel></rssfeed>"), false},
        // Items nested below a channel's children are never found.
        {QStringLiteral("<rss><channel><items><item/></items></channel></rss>"), false},
        // Pass 2 runs only over a channel seen in pass 1.
        {QStringLiteral("<rss><other><channel><item/></channel></other></rss>"), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text.toStdString());
        EXPECT_EQ(parseText(row.text).ok, row.ok);
    }
}

TEST(FeedParser, TrimsAsciiBlanksOnly) {
    const Parsed parsed = parseText(QStringLiteral(
        u"<rss><item><title> \t\r\n\u3000x\u3000 \n</title><link>\r\n http://a/ \t</link>"
        u"<description>\u00a0d\u00a0</description></item></rss>"));
    ASSERT_TRUE(parsed.ok);
    EXPECT_EQ(parsed.records,
              QStringList{QStringLiteral(u"\u3000x\u3000|http://a/||\u00a0d\u00a0")});
}

TEST(FeedParser, ItemLimitEndsTheParseAsAFailure) {
    const auto feedOf = [](int items) {
        QString text = QStringLiteral("<rss><channel>");
        for (int i = 0; i < items; ++i) {
            text += QStringLiteral("<item/>");
        }
        return text + QStringLiteral("</channel></rss>");
    };
    const Parsed atLimit = parseText(feedOf(kMaxFeedItems));
    EXPECT_TRUE(atLimit.ok);
    EXPECT_EQ(atLimit.records.size(), kMaxFeedItems);
    EXPECT_FALSE(parseText(feedOf(kMaxFeedItems + 1)).ok);
}

// Where a stored feed URL may point, through the fetch service as the patrol asks it.
TEST(FeedFetch, ReadsLocalFilesAndFailsQuietly) {
    TestEnv env;
    AppState& state = env.state();
    env.writeFile(QStringLiteral("my feed.xml"), readTestData(QStringLiteral("rss10.rdf")));
    QDir(env.dir()).mkdir(QStringLiteral("folder"));
    const QString spaced = env.path(QStringLiteral("my feed.xml"));
    struct Row {
        QString url;
        int items;
    };
    const Row rows[] = {
        {testDataPath(QStringLiteral("rss10.rdf")), 3},
        {QUrl::fromLocalFile(spaced).toString(), 3},  // file:///…/my%20feed.xml
        {QStringLiteral("file:") + spaced, 3},
        {testDataPath(QStringLiteral("broken.xml")), 0},
        {testDataPath(QStringLiteral("xhtml.html")), 0},
        {env.path(QStringLiteral("missing.xml")), 0},
        {env.path(QStringLiteral("folder")), 0},
        // Stored untrimmed, so the blank makes it another file.
        {spaced + QLatin1Char(' '), 0},
        {QStringLiteral("/dev/zero"), 0},  // not a regular file: would never end
        {QStringLiteral("file:///dev/zero"), 0},
        {QStringLiteral("ftp://127.0.0.1/feed.xml"), 0},
        {QStringLiteral("javascript:alert(1)"), 0},
        {QString(), 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url.toStdString());
        FeedFetchResult fetched;
        state.feeds().fetch({row.url, FetchLane::Patrol}, nullptr,
                            [&fetched](const FeedFetchResult& result) { fetched = result; });
        ASSERT_TRUE(waitForFetches(state));
        const Parsed parsed = parse(fetched.feed);
        EXPECT_EQ(parsed.ok, row.items > 0);
        EXPECT_EQ(parsed.records.size(), row.items);
    }
    EXPECT_TRUE(env.messageBox.shown.isEmpty());
}

TEST(FeedProbe, PrintsOneLinePerItem) {
    QProcess probe;
    probe.start(QStringLiteral(QV_PROBE_PATH),
                {QStringLiteral("feed"), testDataPath(QStringLiteral("rss10.rdf"))});
    ASSERT_TRUE(probe.waitForFinished(30000));
    EXPECT_EQ(probe.exitCode(), 0);
    EXPECT_EQ(
        QString::fromUtf8(probe.readAllStandardOutput()),
        QStringLiteral(u"1\t初雪を観測\thttp://yama.example.jp/entry/10\t2006-03-16 07:24:48\t"
                       u"06/03/16 07:24:48\t今朝、山頂で初雪。\n"
                       u"2\t登山道の補修 -2区間\thttp://yama.example.jp/entry/9\t"
                       u"2006-03-15 00:00:00\t06/03/15\t\n"
                       u"3\t小屋開き\thttp://yama.example.jp/entry/8\t2006-03-14 18:05:00\t"
                       u"06/03/14 18:05\t\n"));

    const auto exitCodeOf = [](const QStringList& args) {
        QProcess run;
        run.start(QStringLiteral(QV_PROBE_PATH), QStringList{QStringLiteral("feed")} + args);
        run.waitForFinished(30000);
        return run.exitCode();
    };
    EXPECT_EQ(exitCodeOf({testDataPath(QStringLiteral("xhtml.html"))}), 1);
    EXPECT_EQ(exitCodeOf({}), 2);
}

}  // namespace
