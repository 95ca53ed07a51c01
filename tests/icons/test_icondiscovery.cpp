#include <gtest/gtest.h>

#include <QUrl>

#include "icons/icondiscovery.h"
#include "formats/feedreader.h"
#include "tests/platform/qstringprinter.h"

namespace {

struct PageCase {
    const char* what;
    QByteArray head;
    QString pageUrl;
    QStringList expected;
};

TEST(IconDiscovery, FindsThePagesIconsBestFirstThenTheHostsFavicon) {
    const QString page = QStringLiteral("https://news.example.jp/blog/index.html");
    const QString favicon = QStringLiteral("https://news.example.jp/favicon.ico");
    const PageCase cases[] = {
        {"plain icon, relative to the page",
         R"(<link rel="icon" href="img/i.png">)",
         page,
         {"https://news.example.jp/blog/img/i.png", favicon}},
        {"shortcut icon, rooted path",
         R"(<LINK REL="Shortcut Icon" HREF="/f.ico">)",
         page,
         {"https://news.example.jp/f.ico", favicon}},
        {"protocol-relative takes the page's scheme",
         R"(<link rel=icon href=//cdn.example.com/i.png>)",
         page,
         {"https://cdn.example.com/i.png", favicon}},
        {"base href moves relative links",
         R"(<base href="http://static.example.jp/s/"><link rel="icon" href="i.png">)",
         page,
         {"http://static.example.jp/s/i.png", favicon}},
        {"a relative base is itself resolved",
         R"(<base href="/assets/"><link rel="icon" href="i.png">)",
         page,
         {"https://news.example.jp/assets/i.png", favicon}},
        {"touch icon only after every icon",
         R"(<link rel="apple-touch-icon" href="/t.png"><link rel="icon" href="/i.ico">)",
         page,
         {"https://news.example.jp/i.ico", "https://news.example.jp/t.png", favicon}},
        {"the largest that fits 32 px first, then unsized, then larger ones smallest first",
         R"(<link rel="icon" sizes="192x192" href="/192.png"><link rel="icon" href="/nosize.ico">
            <link rel="icon" sizes="16x16" href="/16.png"><link rel="icon" sizes="64x64" href="/64.png">
            <link rel="icon" sizes="32x32" href="/32.png">)",
         page,
         {"https://news.example.jp/32.png", "https://news.example.jp/16.png",
          "https://news.example.jp/nosize.ico", "https://news.example.jp/64.png",
          "https://news.example.jp/192.png", favicon}},
        {"several sizes in one link count by the best of them; any scales",
         R"(<link rel="icon" sizes="16x16 48x48" href="/multi.ico"><link rel="icon" sizes="any" href="/i.svg">)",
         page,
         {"https://news.example.jp/i.svg", "https://news.example.jp/multi.ico", favicon}},
        {"nonsense sizes count as none",
         R"(<link rel="icon" sizes="x32 0x0 axb" href="/a.png"><link rel="icon" sizes="256x256" href="/b.png">)",
         page,
         {"https://news.example.jp/a.png", "https://news.example.jp/b.png", favicon}},
        {"data:, javascript: and empty hrefs are dropped; the favicon is not repeated",
         R"html(<link rel="icon" href="data:image/png;base64,AAAA"><link rel="icon" href="javascript:x()">
            <link rel="icon" href=""><link rel="icon" href="/favicon.ico">)html",
         page,
         {favicon}},
        {"links after </head> or in a comment or script are not the head's",
         R"(<!-- <link rel="icon" href="/c.png"> --><script>'<link rel="icon" href="/s.png">'</script>
            </head><link rel="icon" href="/late.png">)",
         page,
         {favicon}},
        {"unclosed quote and tag run to the end without a crash",
         R"(<link rel="icon" href="/i.png)",
         page,
         {"https://news.example.jp/i.png", favicon}},
        {"entities in the href are decoded",
         R"(<link rel="icon" href="/i.php?a=1&amp;b=2">)",
         page,
         {"https://news.example.jp/i.php?a=1&b=2", favicon}},
        {"a port is kept for the favicon",
         "",
         "http://127.0.0.1:8080/feed/",
         {"http://127.0.0.1:8080/favicon.ico"}},
        {"a page that is no http(s) gives nothing",
         R"(<link rel="icon" href="/i.png">)",
         "file:///home/u/page.html",
         {}},
    };
    for (const PageCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(discoverIconLinks("<html><head>" + c.head, QString(), QUrl(c.pageUrl)),
                  c.expected);
    }
}

TEST(IconDiscovery, ReadsTheFeedsOwnPicture) {
    struct FeedCase {
        const char* what;
        QByteArray document;
        QString image;
    };
    const FeedCase cases[] = {
        {"RSS 2.0 channel image", R"(<rss version="2.0"><channel><title>t</title>
            <image><title>t</title><url> http://e.jp/logo.gif </url><link>http://e.jp/</link></image>
            <item><title>a</title></item></channel></rss>)",
         "http://e.jp/logo.gif"},
        {"RSS 1.0 image beside the channel",
         R"(<rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#" xmlns="http://purl.org/rss/1.0/">
            <channel><title>t</title><image rdf:resource="http://e.jp/i.png"/></channel>
            <image rdf:about="http://e.jp/i.png"><url>http://e.jp/i.png</url></image>
            <item><title>a</title></item></rdf:RDF>)",
         "http://e.jp/i.png"},
        {"Atom icon before logo", R"(<feed xmlns="http://www.w3.org/2005/Atom"><title>t</title>
            <logo>/banner.png</logo><icon>/icon.png</icon><entry><title>a</title></entry></feed>)",
         "/icon.png"},
        {"Atom logo alone",
         R"(<feed xmlns="http://www.w3.org/2005/Atom"><logo>/banner.png</logo></feed>)",
         "/banner.png"},
        {"JSON Feed favicon before icon",
         R"({"version": "https://jsonfeed.org/version/1.1", "icon": "/big.png", "favicon": "/fav.png", "items": [{"id": "1", "content_text": "a"}]})",
         "http://e.jp/fav.png"},
        {"JSON Feed icon alone",
         R"({"version": "https://jsonfeed.org/version/1", "icon": "big.png", "items": [{"id": "1", "content_text": "a"}]})",
         "http://e.jp/big.png"},
        {"none", R"(<rss version="2.0"><channel><title>t</title></channel></rss>)", ""},
    };
    for (const FeedCase& c : cases) {
        SCOPED_TRACE(c.what);
        const FeedReadResult read =
            readFeed(c.document, QString(), QUrl(QStringLiteral("http://e.jp/feed")));
        EXPECT_EQ(read.channel.image, c.image);
    }
    EXPECT_EQ(
        absoluteHttpUrl(QStringLiteral("/icon.png"), QUrl(QStringLiteral("https://e.jp/a/feed"))),
        QStringLiteral("https://e.jp/icon.png"));
}

}  // namespace
