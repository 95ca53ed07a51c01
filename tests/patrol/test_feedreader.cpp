#include <gtest/gtest.h>

#include <QUrl>

#include "tests/common/loopbackserver.h"
#include "tests/common/testenv.h"
#include "formats/feedreader.h"
#include "formats/xmlfeedreader.h"
#include "tests/platform/qstringprinter.h"
#include "platform/xml/safexmlstream.h"

namespace {

using Kind = FeedReadResult::Kind;
using Family = FeedReadResult::Family;

// One record as "title|link|date|description", the date as yyyy-MM-dd HH:mm:ss.
QString describe(const ArticleRecord& record) {
    return QStringList{record.Title, record.Link,
                       record.PubDate.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                       record.Description}
        .join(QLatin1Char('|'));
}

QStringList describeAll(const FeedReadResult& feed) {
    QStringList records;
    for (const ArticleRecord& record : feed.items) {
        records.append(describe(record));
    }
    return records;
}

QString channelOf(const FeedReadResult& feed) {
    return QStringList{feed.channel.title, feed.channel.link, feed.channel.description}.join(
        QLatin1Char('|'));
}

FeedReadResult readFixture(const char* name, const QString& contentType = {}) {
    return readFeed(readTestData(QString::fromLatin1(name)), contentType);
}

TEST(FeedReaderRss, KindsFamiliesAndChannels) {
    struct Row {
        const char* fixture;
        Kind kind;
        Family family;
        QString channel;
        int items;
    };
    const Row rows[] = {
        {"channel_rss20.xml", Kind::Feed, Family::Rss,
         QStringLiteral(u"\u3000Example News|http://news.example.com/|Every day's news"), 1},
        {"channel_rss10.rdf", Kind::Feed, Family::Rss,
         QStringLiteral(u"RDF の 例|http://rdf.example.jp/|RSS 1.0 で配信しています & テスト"), 1},
        // A feed without items still says what it is.
        {"channel_without_items.xml", Kind::Feed, Family::Rss,
         QStringLiteral(u"まだ記事のないサイト|http://empty.example.jp/|準備中"), 0},
        // Every channel is read, a later one's values overwriting.
        {"rss20_quirks.xml", Kind::Feed, Family::Rss, QStringLiteral("second channel||"), 3},
        {"atom.xml", Kind::Feed, Family::Atom,
         QStringLiteral(u"Atom の例|http://atom.example.jp/|"), 1},
        {"channel_atom.xml", Kind::Feed, Family::Atom,
         QStringLiteral("Atom Example|http://atom.example.org/|"), 1},
        // Decoded as the declaration, the byte-order mark or UTF-16's zero bytes say.
        {"rss20_iso_8859_1.xml", Kind::Feed, Family::Rss,
         QStringLiteral(u"Le Café du Matin|http://example.jp/|Nouvelles fraîches"), 2},
        {"rss20_shift_jis.xml", Kind::Feed, Family::Rss,
         QStringLiteral(u"テスト新聞～速報|http://example.jp/|日本語のフィード①"), 2},
        {"rss20_utf16le_bom.xml", Kind::Feed, Family::Rss,
         QStringLiteral(u"テスト新聞～速報|http://example.jp/|日本語のフィード"), 2},
        {"rss20_utf16be.xml", Kind::Feed, Family::Rss,
         QStringLiteral(u"テスト新聞～速報|http://example.jp/|日本語のフィード"), 2},
        {"xhtml.html", Kind::NotFeed, Family::Rss, QStringLiteral("||"), 0},
        {"broken.xml", Kind::Malformed, Family::Rss, QStringLiteral("||"), 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fixture);
        const FeedReadResult feed = readFixture(row.fixture);
        EXPECT_EQ(feed.kind, row.kind);
        EXPECT_EQ(feed.family, row.family);
        EXPECT_EQ(channelOf(feed), row.channel);
        EXPECT_EQ(feed.items.size(), row.items);
        EXPECT_FALSE(feed.overflow);
        EXPECT_EQ(feed.error.isEmpty(), row.kind != Kind::Malformed);
    }
}

TEST(FeedReaderAtom, EntriesOfABlogFeed) {
    const FeedReadResult feed = readFixture("atom_entries.xml");
    ASSERT_EQ(feed.kind, Kind::Feed);
    EXPECT_EQ(feed.family, Family::Atom);
    EXPECT_EQ(channelOf(feed),
              QStringLiteral(u"日記 & メモ|https://blog.example.jp/diary/|毎日の記録"));
    EXPECT_EQ(
        describeAll(feed),
        QStringList({
            // Published wins over updated, its fraction dropped; summary over content.
            QStringLiteral(u"桜の開花を観測しました|https://blog.example.jp/diary/2024/04/"
                           u"sakura.html|2024-04-01 09:30:15|今年は平年より五日早い開花です。"),
            // An HTML title as the text it shows; the rel-less link, against the entry's
            // base; updated alone; content without summary, kept as written.
            QStringLiteral(u"速報: 新駅 & 商店街|https://news.example.jp/articles/42|"
                           u"2024-04-02 23:59:59|<p>駅前に<a href=\"/shops\">商店街</a>ができます。"
                           u"</p>"),
            // An XHTML title's text; no alternate link, so the first with an href; a blank
            // summary gives way to the content.
            QStringLiteral(u"Less than 3 < 4|https://blog.example.jp/diary/podcast/ep3.mp3|"
                           u"2024-04-03 06:00:00|第三回の配信です。"),
            // Cleaned as RSS titles are; a relative xml:base builds on the feed's.
            QStringLiteral(u"ハングル 한 と 🍣 \uff5e -1|"
                           u"https://blog.example.jp/diary/top.html||"),
            // Elements of other namespaces are no Atom elements.
            QStringLiteral(
                u"本当のタイトル|https://other.example.com/x?a=1&b=2|2024-04-05 07:59:00|"
                u"他の名前空間の要素は読みません。"),
        }));
}

TEST(FeedReaderAtom, RootsNamespacesAndBases) {
    struct Row {
        QString text;
        QUrl documentUrl;
        Kind kind;
        QStringList records;
    };
    const QString atom = QStringLiteral("xmlns='http://www.w3.org/2005/Atom'");
    const QUrl document(QStringLiteral("https://h.example/blog/feed.xml"));
    const Row rows[] = {
        {QStringLiteral("<feed %1><entry><link href='p/1'/></entry></feed>").arg(atom),
         document,
         Kind::Feed,
         {QStringLiteral("|https://h.example/blog/p/1||")}},
        {QStringLiteral("<feed %1><entry><link href='p/1'/></entry></feed>").arg(atom),
         QUrl(),
         Kind::Feed,
         {QStringLiteral("|p/1||")}},
        {QStringLiteral("<feed %1 xml:base='news/'><entry><link href='1.html'/></entry></feed>")
             .arg(atom),
         document,
         Kind::Feed,
         {QStringLiteral("|https://h.example/blog/news/1.html||")}},
        // Any prefix, as long as it names the namespace; prefixes a feed forgot to declare
        // do not make it unreadable.
        {QStringLiteral("<a:feed xmlns:a='http://www.w3.org/2005/Atom'><a:entry><a:title>x"
                        "</a:title><title>not atom</title><dc:date>1</dc:date></a:entry></a:feed>"),
         QUrl(),
         Kind::Feed,
         {QStringLiteral("x|||")}},
        {QStringLiteral("<feed %1><entry xmlns='urn:other'><title>x</title></entry>"
                        "<entry><title>y</title></entry></feed>")
             .arg(atom),
         QUrl(),
         Kind::Feed,
         {QStringLiteral("y|||")}},
        {QStringLiteral("<feed xmlns='http://purl.org/atom/ns#'><entry/></feed>"),
         QUrl(),
         Kind::NotFeed,
         {}},
        {QStringLiteral("<feed><entry/></feed>"), QUrl(), Kind::NotFeed, {}},
        {QStringLiteral("<FEED %1><entry/></FEED>").arg(atom), QUrl(), Kind::NotFeed, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text.toStdString());
        const FeedReadResult feed = readFeed(row.text.toUtf8(), {}, row.documentUrl);
        EXPECT_EQ(feed.kind, row.kind);
        EXPECT_EQ(describeAll(feed), row.records);
    }
}

// The charset of the Content-Type decides only for a document that says nothing of its
// encoding.
TEST(FeedReaderCharset, HeaderCharsetOnlyWithoutADeclaration) {
    struct Row {
        const char* fixture;
        QString contentType;
        QString title;  // of the first item; empty when the document is not read
    };
    const QString sakura = QStringLiteral(u"東京で桜が開花");
    const QString sjisTitle = QStringLiteral(u"表示と予報の試験 ― ソフト開発");
    const Row rows[] = {
        {"rss20_shift_jis_undeclared.xml", QStringLiteral("text/xml; charset=Shift_JIS"),
         sjisTitle},
        {"rss20_shift_jis_undeclared.xml",
         QStringLiteral("application/rss+xml;CHARSET=\"shift_jis\""), sjisTitle},
        // Without the header the bytes are taken for UTF-8, which they are not.
        {"rss20_shift_jis_undeclared.xml", QString(), QString()},
        {"rss20_iso2022jp_undeclared.xml", QStringLiteral("text/xml; charset=ISO-2022-JP"), sakura},
        // The declaration, a byte-order mark and UTF-16's zero bytes win over the header.
        {"rss20_euc_jp.xml", QStringLiteral("text/xml; charset=Shift_JIS"), sakura},
        {"rss20_utf16le_bom.xml", QStringLiteral("text/xml; charset=Shift_JIS"),
         QStringLiteral(u"東京で桜が開花")},
        {"rss20_utf16be.xml", QStringLiteral("text/xml; charset=EUC-JP"),
         QStringLiteral(u"東京で桜が開花")},
        // A charset the platform does not know is passed over.
        {"rss20.xml", QStringLiteral("text/xml; charset=x-no-such-charset"),
         QStringLiteral(u"\u3000全角の空白で始まる見出し\u3000")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.fixture) + " " + row.contentType.toStdString());
        const FeedReadResult feed = readFixture(row.fixture, row.contentType);
        EXPECT_EQ(feed.hasItems() ? feed.items.first().Title : QString(), row.title);
    }
}

QString repeated(const QString& unit, int count) {
    return unit.repeated(count);
}

TEST(FeedReaderLimits, LongTextsAreCutAndTooManyItemsOverflow) {
    const QString sushi = QStringLiteral(u"🍣");
    // A long title with a surrogate pair across the cut, and a description and a channel
    // title likewise.
    const QString title =
        repeated(QStringLiteral(u"あ"), 999) + sushi + repeated(QStringLiteral("x"), 100'000);
    const QString description = repeated(QStringLiteral("d"), 65535) + sushi + QStringLiteral("e");
    // The channel's becomes a site's title: controls in it are replaced.
    const QString channelTitle =
        QStringLiteral(u"a\tb\nc\u009b") + repeated(QStringLiteral("c"), 993) + sushi;
    const QByteArray text = QStringLiteral(
                                "<rss><channel><title>%1</title><item><title>  %2</title>"
                                "<description>%3</description></item></channel></rss>")
                                .arg(channelTitle, title, description)
                                .toUtf8();
    const FeedReadResult feed = readFeed(text);
    ASSERT_TRUE(feed.hasItems());
    // The pair across the cut is dropped whole.
    EXPECT_EQ(feed.items.first().Title, title.left(999));
    EXPECT_EQ(feed.items.first().Description, description.left(65535));
    EXPECT_EQ(feed.channel.title,
              QStringLiteral(u"a\u3000b\u3000c\u3000") + repeated(QStringLiteral("c"), 993));

    const auto feedOf = [](const char* open, const char* item, const char* close, int items) {
        return (QByteArray(open) + QByteArray(item).repeated(items) + close);
    };
    struct Row {
        QByteArray text;
        bool overflow;
    };
    const char* atom = "<feed xmlns='http://www.w3.org/2005/Atom'>";
    const Row rows[] = {
        {feedOf(atom, "<entry/>", "</feed>", kMaxFeedItems), false},
        {feedOf(atom, "<entry/>", "</feed>", kMaxFeedItems + 1), true},
        {feedOf("<rss>", "<item/>", "<channel><item/></channel></rss>", kMaxFeedItems + 1), true},
        // A channel that overflows is no matter when the root has items of its own.
        {feedOf("<rss><channel>", "<item/>", "</channel><item/></rss>", kMaxFeedItems + 1), false},
        {feedOf("<rss><channel>", "<item/>", "</channel><channel><item/></channel></rss>",
                kMaxFeedItems + 1),
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text.left(60).toStdString());
        const FeedReadResult limited = readFeed(row.text);
        EXPECT_EQ(limited.kind, Kind::Feed);
        EXPECT_EQ(limited.overflow, row.overflow);
        EXPECT_EQ(limited.items.isEmpty(), row.overflow);
    }
}

TEST(FeedReaderSafety, HostileFeedsAreRefusedAndDtdsNeverFetched) {
    QString laughs = QStringLiteral("<!DOCTYPE rss [<!ENTITY a0 '%1'>").arg(QString(2000, u'x'));
    for (int i = 1; i < 8; ++i) {
        laughs += QStringLiteral("<!ENTITY a%1 '&a%2;&a%2;&a%2;&a%2;&a%2;&a%2;&a%2;&a%2;'>")
                      .arg(i)
                      .arg(i - 1);
    }
    laughs += QStringLiteral("]><rss><item><title>&a7;</title></item></rss>");
    const auto nested = [](int depth) {
        return QStringLiteral("<rss><item><title>t</title>") +
               QStringLiteral("<x>").repeated(depth - 2) +
               QStringLiteral("</x>").repeated(depth - 2) + QStringLiteral("</item></rss>");
    };
    // One entity just under the reader's per-entity cap, referenced many times; entities
    // that each refer to the next, far deeper than any real document goes.
    const QString quadratic =
        QStringLiteral(
            "<!DOCTYPE rss [<!ENTITY big '%1'>]><rss><item><title>%2</title></item>"
            "</rss>")
            .arg(QString(4000, u'x'), QStringLiteral("&big;").repeated(50'000));
    QString chain = QStringLiteral("<!DOCTYPE rss [");
    for (int i = 0; i < 20'000; ++i) {
        chain += QStringLiteral("<!ENTITY e%1 '&e%2;'>").arg(i).arg(i + 1);
    }
    chain += QStringLiteral("<!ENTITY e20000 'end'>]><rss><item><title>&e0;</title></item></rss>");
    struct Row {
        QString text;
        Kind kind;
        QString title;
    };
    const Row rows[] = {
        {laughs, Kind::Malformed, {}},
        {quadratic, Kind::Malformed, {}},
        {chain, Kind::Malformed, {}},
        // Internal entities of ordinary size still work.
        {QStringLiteral("<!DOCTYPE rss [<!ENTITY co 'Quorvane'>]><rss><item><title>&co;&co;"
                        "</title></item></rss>"),
         Kind::Feed, QStringLiteral("QuorvaneQuorvane")},
        {nested(SafeXmlStream::kMaxElementDepth), Kind::Feed, QStringLiteral("t")},
        {nested(SafeXmlStream::kMaxElementDepth + 1), Kind::Malformed, {}},
        {QStringLiteral("<!DOCTYPE rss [<!ENTITY x SYSTEM 'file:///etc/hostname'>]>"
                        "<rss><item><title>a&x;b</title></item></rss>"),
         Kind::Feed, QStringLiteral("ab")},
        // Old RSS 0.91 feeds use HTML's Latin-1 names under a DTD that is never fetched.
        {QStringLiteral("<!DOCTYPE rss PUBLIC '-//Netscape Communications//DTD RSS 0.91//EN' "
                        "'http://127.0.0.1:9/rss-0.91.dtd'>"
                        "<rss><item><title>&sect;1 &times; 2&deg;&unknown;!</title></item></rss>"),
         Kind::Feed, QStringLiteral(u"§1 × 2°!")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text.left(80).toStdString());
        const FeedReadResult feed = readFeed(row.text.toUtf8());
        EXPECT_EQ(feed.kind, row.kind);
        EXPECT_EQ(feed.hasItems() ? feed.items.first().Title : QString(), row.title);
    }
}

// Over HTTP the final URL after redirects resolves relative links and the Content-Type's
// charset decodes an undeclared feed; entities and DTDs outside the document are never
// fetched, from the server or from disk.
TEST(FeedFetch, ReadsWhatTheServerSaysAndNothingElse) {
    LoopbackServer server;
    ASSERT_TRUE(server.isListening());
    TestEnv env;
    server.serve(QStringLiteral("/blog/atom.xml"),
                 "<feed xmlns='http://www.w3.org/2005/Atom'><entry><title>a</title>"
                 "<link href='2024/entry.html'/></entry></feed>");
    server.redirect(QStringLiteral("/feed"), QStringLiteral("/blog/atom.xml"));
    server.serve(QStringLiteral("/sjis.xml"),
                 readTestData(QStringLiteral("rss20_shift_jis_undeclared.xml")),
                 "application/rss+xml; charset=Shift_JIS");
    server.serve(QStringLiteral("/secret"), "LEAKED");
    server.serve(QStringLiteral("/dtd"), "<!ENTITY leak \"LEAKED\">");
    env.writeFile(QStringLiteral("secret.txt"), "LEAKED");
    const QByteArray leaks[] = {
        "<!DOCTYPE rss [<!ENTITY x SYSTEM \"" +
            QUrl::fromLocalFile(env.path(QStringLiteral("secret.txt"))).toEncoded() +
            "\">]><rss><item><title>[&x;]</title></item></rss>",
        "<!DOCTYPE rss [<!ENTITY x SYSTEM \"" + server.url("/secret").toLatin1() +
            "\">]><rss><item><title>[&x;]</title></item></rss>",
        "<!DOCTYPE rss SYSTEM \"" + server.url("/dtd").toLatin1() +
            "\"><rss><item><title>[&leak;]</title></item></rss>",
        "<!DOCTYPE rss [<!ENTITY % p SYSTEM \"" + server.url("/dtd").toLatin1() +
            "\"> %p;]><rss><item><title>[&leak;]</title></item></rss>",
    };
    struct Row {
        QString path;
        QByteArray body;  // served at path when given
        QString title;
        QString link;
    };
    QList<Row> rows = {
        {QStringLiteral("/feed"),
         {},
         QStringLiteral("a"),
         server.url(QStringLiteral("/blog/2024/entry.html"))},
        {QStringLiteral("/sjis.xml"),
         {},
         QStringLiteral(u"表示と予報の試験 ― ソフト開発"),
         QStringLiteral("http://chiiki.example.jp/news/1")},
    };
    for (int i = 0; i < int(std::size(leaks)); ++i) {
        rows.append({QStringLiteral("/leak%1.xml").arg(i), leaks[i], QStringLiteral("[]"), {}});
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path.toStdString());
        if (!row.body.isEmpty()) {
            server.serve(row.path, row.body);
        }
        FeedFetchResult fetched;
        env.state().feeds().fetch({server.url(row.path), FetchLane::Patrol}, nullptr,
                                  [&fetched](const FeedFetchResult& result) { fetched = result; });
        ASSERT_TRUE(waitForFetches(env.state()));
        // A document that leans on what it may not fetch may be refused; it never reads it.
        if (fetched.feed.hasItems() || row.body.isEmpty()) {
            ASSERT_TRUE(fetched.feed.hasItems());
            EXPECT_EQ(fetched.feed.items.first().Title, row.title);
            EXPECT_EQ(fetched.feed.items.first().Link, row.link);
        }
    }
    EXPECT_EQ(server.requestCount(QStringLiteral("/secret")), 0);
    EXPECT_EQ(server.requestCount(QStringLiteral("/dtd")), 0);
}

}  // namespace

namespace {

// The plain scan reads the feeds it is sure of exactly as the general reader does, and
// leaves every other document to it.
TEST(FeedReaderPlainScan, AgreesWithTheGeneralReader) {
    struct Row {
        const char* label;
        QByteArray text;
        bool plain;  // read by the plain scan
    };
    const QByteArray atom = "xmlns='http://www.w3.org/2005/Atom'";
    const Row rows[] = {
        {"rss20.xml", readTestData(QStringLiteral("rss20.xml")), true},
        {"rss10.rdf", readTestData(QStringLiteral("rss10.rdf")), true},
        {"atom_entries.xml", readTestData(QStringLiteral("atom_entries.xml")), true},
        {"rss20_quirks.xml", readTestData(QStringLiteral("rss20_quirks.xml")), true},
        {"line ends, references, CDATA, comments and instructions",
         "\xEF\xBB\xBF<?xml version='1.0' encoding='utf-8' standalone='yes'?>\r\n"
         "<?xml-stylesheet href='s.xsl'?><!-- c --><rss\r\n version = \"2.0\"><channel>"
         "<item><title>a\r\nb\rc &amp;&#x3042;&#13;<![CDATA[ <d>\r\n&amp; ]]><!--x--><?pi?>e"
         "<x:y>f</x:y></title><link a=\"&lt;&apos;\" b='\"'>l</link><guid/></item></channel>"
         "</rss >\n<!-- end -->",
         true},
        {"an Atom feed with prefixes and bases",
         "<a:feed xmlns:a='http://www.w3.org/2005/Atom' xml:base='http://h.example/x/'>"
         "<a:entry><a:title type='html'>&lt;b&gt;t&lt;/b&gt;</a:title>"
         "<a:link rel='alternate' href='p&amp;q'/><a:updated>2024-01-02T03:04:05Z</a:updated>"
         "</a:entry></a:feed>",
         true},
        {"an empty root", "<rss/>", true},
        {"not a feed", "<html><head/></html>", true},
        // Left to the general reader.
        {"another encoding", readTestData(QStringLiteral("rss20_shift_jis.xml")), false},
        {"UTF-16", readTestData(QStringLiteral("rss20_utf16le_bom.xml")), false},
        {"a DTD", readTestData(QStringLiteral("rss091.xml")), false},
        {"not well-formed", readTestData(QStringLiteral("broken.xml")), false},
        {"a tab in an attribute", "<feed " + atom + "><link href='a\tb'/></feed>", false},
        {"a name that is not ASCII", "<rss><item><タイトル>x</タイトル></item></rss>", false},
        {"an undeclared entity", "<rss><item><title>&nbsp;</title></item></rss>", false},
        {"a repeated attribute", "<rss a='1' a='2'/>", false},
        {"a second root", "<rss/><rss/>", false},
        {"text after the root", "<rss/>x", false},
        {"]]> in text", "<rss><item><title>]]></title></item></rss>", false},
        {"a mismatched end tag", "<rss><item></itemx></rss>", false},
        {"cut off", "<rss><item><title>x</title>", false},
        {"a declaration not at the start", " <?xml version='1.0'?><rss/>", false},
        {"an encoding without a value", "<?xml version='1.0' encoding?><rss/>", false},
        {"a standalone without a value", "<?xml version='1.0' standalone ?><rss/>", false},
        {"a byte that is not UTF-8", "<rss><item><title>\xff</title></item></rss>", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const std::optional<FeedReadResult> plain = readXmlFeedPlainly(row.text, {}, {});
        EXPECT_EQ(plain.has_value(), row.plain);
        if (plain) {
            EXPECT_TRUE(sameFeedRead(*plain, readXmlFeedByStream(row.text, {}, {})));
            EXPECT_EQ(describeAll(*plain), describeAll(readXmlFeedByStream(row.text, {}, {})));
        }
    }
    // A charset from the header other than UTF-8 is the general reader's to apply.
    EXPECT_FALSE(readXmlFeedPlainly("<rss/>", QStringLiteral("text/xml; charset=EUC-JP"), {}));
    EXPECT_TRUE(readXmlFeedPlainly("<rss/>", QStringLiteral("text/xml; charset=UTF-8"), {}));
}

}  // namespace
