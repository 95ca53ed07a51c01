#include <gtest/gtest.h>

#include <QProcess>
#include <QStringEncoder>
#include <QUrl>

#include "tests/common/testenv.h"
#include "formats/feeddiscovery.h"
#include "tests/platform/qstringprinter.h"

namespace {

TEST(FeedDiscovery, FindsTheFeedsAPageNames) {
    struct Row {
        const char* label;
        QByteArray html;
        QString contentType;
        QStringList feeds;
    };
    const QUrl page(QStringLiteral("https://site.example/blog/index.html"));
    const Row rows[] = {
        // Comments, scripts and the title hide their look-alikes; the base element rebases
        // every link; RSS comes first whatever the order, then Atom, then JSON Feed, once
        // each; body links, links that are no alternates or name no feed type (plain
        // application/json among them) are passed over.
        {"a real-world head",
         readTestData(QStringLiteral("discovery_page.html")),
         {},
         {QStringLiteral("https://blog.example.jp/diary/index.rdf"),
          QStringLiteral("https://blog.example.jp/comments/feed?format=rss&lang=ja"),
          QStringLiteral("https://blog.example.jp/diary/atom.xml"),
          QStringLiteral("https://blog.example.jp/feeds/all.json")}},
        {"a JSON Feed alone",
         "<head><link rel='alternate' type='application/json' href='/api.json'>"
         "<link rel='alternate' type='Application/Feed+JSON' href='feed.json'></head>",
         {},
         {QStringLiteral("https://site.example/blog/feed.json")}},
        {"relative links against the page",
         "<html><head><link rel='alternate' type='application/atom+xml' href='/atom'>"
         "<link rel='alternate' type='application/rss+xml' href='rss.xml'></head></html>",
         {},
         {QStringLiteral("https://site.example/blog/rss.xml"),
          QStringLiteral("https://site.example/atom")}},
        {"no head at all",
         "<link rel=alternate type=application/rss+xml href=feed><p>x</p>",
         {},
         {QStringLiteral("https://site.example/blog/feed")}},
        {"no feed link",
         "<html><head><title>t</title><link rel='icon' href='/favicon.ico'></head>"
         "<body><a href='/rss.xml'>RSS</a></body></html>",
         {},
         {}},
        {"an image", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR<link", 20), {}, {}},
        {"an unterminated tag",
         "<head><link rel='alternate type='application/rss+xml' href=",
         {},
         {}},
        // Non-ASCII hrefs need the page's charset: from a meta, or from the header.
        {"Shift_JIS named by a meta",
         QStringEncoder("Shift_JIS")
             .encode(QStringLiteral(u"<meta charset=\"Shift_JIS\"><link rel=\"alternate\" "
                                    u"type=\"application/rss+xml\" href=\"/記事.rdf\">")),
         {},
         {QStringLiteral(u"https://site.example/記事.rdf")}},
        {"EUC-JP named by the header",
         QStringEncoder("EUC-JP").encode(
             QStringLiteral(u"<link rel=alternate type=application/rss+xml href=/記事.rdf>")),
         QStringLiteral("text/html; charset=EUC-JP"),
         {QStringLiteral(u"https://site.example/記事.rdf")}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(discoverFeedLinks(row.html, row.contentType, page), row.feeds);
    }
}

TEST(FeedDiscovery, ProbeCommands) {
    const auto run = [](const QStringList& args) {
        QProcess probe;
        probe.start(QStringLiteral(QV_PROBE_PATH), args);
        probe.waitForFinished(30000);
        return std::make_pair(probe.exitCode(), QString::fromUtf8(probe.readAllStandardOutput()));
    };
    EXPECT_EQ(
        run({QStringLiteral("discover"), testDataPath(QStringLiteral("discovery_page.html"))}),
        std::make_pair(0, QStringLiteral("https://blog.example.jp/diary/index.rdf\n"
                                         "https://blog.example.jp/comments/feed?format=rss"
                                         "&lang=ja\n"
                                         "https://blog.example.jp/diary/atom.xml\n"
                                         "https://blog.example.jp/feeds/all.json\n")));
    EXPECT_EQ(run({QStringLiteral("discover"), testDataPath(QStringLiteral("rss20.xml"))}).first,
              1);
    EXPECT_EQ(run({QStringLiteral("discover")}).first, 2);
    // Atom entries are listed as RSS items are.
    EXPECT_EQ(run({QStringLiteral("feed"), testDataPath(QStringLiteral("atom.xml"))}),
              std::make_pair(0, QStringLiteral(u"1\tエントリー\thttp://atom.example.jp/2006/03/16/"
                                               u"entry\t2006-03-16 07:24:48\t06/03/16 07:24:48\t"
                                               u"要約\n")));
}

}  // namespace
