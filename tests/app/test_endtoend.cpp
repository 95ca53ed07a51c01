#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QLocale>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTimer>

#include "core/appstate.h"
#include "dialogs/frmnewsitedialog.h"
#include "app/appwindows.h"
#include "app/frmmain.h"
#include "tests/app/appfixture.h"
#include "tests/common/loopbackserver.h"

#include "patrol/frmtask.h"
#include "patrol/md5.h"
#include "sitepane/propertiespanel.h"
#include "sitepane/sitelistpane.h"
#include "sitepane/sitetreeeditor.h"
#include "ticker/frmticker.h"
#include "ticker/wipesurface.h"

namespace {

// An RSS 2.0 date hoursAgo hours before the clock, as a Japanese site writes it.
QString feedDate(const FakeClock& clock, int hoursAgo) {
    return QLocale::c().toString(clock.now().addSecs(-3600 * hoursAgo),
                                 QStringLiteral("ddd, dd MMM yyyy HH:mm:ss")) +
           QStringLiteral(" +0900");
}

TEST_F(AppTest, WholeProgramShowsTheFirstArticleOfALoopbackFeedAndExits) {
    LoopbackServer server;
    ASSERT_TRUE(server.isListening());
    const QString feedUrl = server.url(QStringLiteral("/feed.xml"));
    const QString feed =
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\"><channel>"
            "<title>ループバック新聞</title><link>%1</link><description>毎日のニュース</"
            "description>"
            "<item><title>一面の記事</title><link>%1news/1</link><pubDate>%2</pubDate></item>"
            "<item><title>二面の記事</title><link>%1news/2</link><pubDate>%3</pubDate></item>"
            "</channel></rss>")
            .arg(server.url(QStringLiteral("/")), feedDate(env.clock, 1), feedDate(env.clock, 2));
    server.serve(QStringLiteral("/feed.xml"), feed.toUtf8());
    env.writeFile(QStringLiteral("rsslist.opml"),
                  QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                                 "<opml version=\"1.1\"><head/><body>\n"
                                 "<outline text=\"ループバック\" htmlUrl=\"%1\" xmlUrl=\"%2\"/>\n"
                                 "</body></opml>\n")
                      .arg(server.url(QStringLiteral("/")), feedUrl)
                      .toUtf8());
    env.writeFile(QStringLiteral("config.ini"), laterStartConfig());

    ASSERT_TRUE(start());
    // The site shown at start-up has its channel fetched for the information box.
    ASSERT_TRUE(waitForFetches(state()));
    EXPECT_EQ(main().pane->properties->commentText(), QStringLiteral("【ループバック新聞】\r\n") +
                                                          server.url(QStringLiteral("/")) +
                                                          QStringLiteral("\r\n毎日のニュース"));
    EXPECT_FALSE(main().isVisible());
    frmTicker* ticker = windows->tickerIfLoaded();
    ASSERT_NE(ticker, nullptr);
    EXPECT_EQ(server.requestCount(QStringLiteral("/feed.xml")), 1);

    // A second later the patrol starts and queues both fresh articles.
    main().tmrLoad_Timer();
    ASSERT_NE(windows->taskIfLoaded(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !windows->taskIfLoaded()->isPatrolling(); }));
    EXPECT_EQ(server.requestCount(QStringLiteral("/feed.xml")), 2);
    EXPECT_EQ(state().NewsQueue.lastIndex(), 2);
    EXPECT_EQ(main().statusText(), QStringLiteral("完了"));

    // The next article tick wipes the first headline in.
    ticker->tmrNextNews_Timer();
    for (int ticks = 0; ticker->tmrDynamic->isActive() && ticks < 100; ++ticks) {
        ticker->tmrDynamic_Timer();
    }
    EXPECT_EQ(dynamic_cast<WipeSurface&>(ticker->surface()).lblNews()->text(),
              QStringLiteral("一面の記事"));
    EXPECT_EQ(dynamic_cast<WipeSurface&>(ticker->surface()).lblSiteTitle()->text(),
              QStringLiteral("ループバック"));
    EXPECT_EQ(dynamic_cast<WipeSurface&>(ticker->surface()).lblTimeStamp()->text(),
              QStringLiteral("06/03/16 11:00"));
    EXPECT_EQ(ticker->currentLink(), server.url(QStringLiteral("/news/1")));

    // Its shown-list line went to the site's file under temporary/.
    const QStringList shown =
        QString::fromUtf8(
            env.readFile(QStringLiteral("temporary/") + MD5Hex(feedUrl) + QStringLiteral(".dat")))
            .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(MD5Hex(server.url(QStringLiteral("/news/1")))));

    main().mnuExit->trigger();
    EXPECT_EQ(appExit.exits, 1);
    EXPECT_FALSE(tray.added);
    EXPECT_EQ(configLines().size(), 19);
    EXPECT_TRUE(configLines().contains(QStringLiteral("OPML_PATH=/somewhere/default.xml")));
    EXPECT_TRUE(QString::fromUtf8(env.readFile(QStringLiteral("rsslist.opml"))).contains(feedUrl));
}

// A site added through the new-site dialog, by its feed's URL or by its home page (whose
// head names the feed): the feed patrols, shows in the ticker and opens its article.
struct NewSiteCase {
    const char* label;
    // What the user types: the home page "/" or the feed's own path.
    const char* typed;
    const char* feedPath;
    const char* linkType;  // in the home page's head
    const char* contentType;
    // The feed, with %1 the home page, %2 and %3 the two entries' dates (RFC 3339).
    const char* feed;
};

class NewSiteEndToEnd : public AppTest, public ::testing::WithParamInterface<NewSiteCase> {};

TEST_P(NewSiteEndToEnd, FeedPatrolsShowsAndOpensItsArticle) {
    const NewSiteCase& site = GetParam();
    LoopbackServer server;
    ASSERT_TRUE(server.isListening());
    const QString home = server.url(QStringLiteral("/"));
    const QString feedUrl = server.url(QString::fromLatin1(site.feedPath));
    server.serve(QStringLiteral("/"),
                 QStringLiteral("<!DOCTYPE html><html><head><title>Home</title>"
                                "<link rel=\"alternate\" type=\"application/json\" href=\"/api\">"
                                "<link rel=\"alternate\" type=\"%1\" href=\"%2\">"
                                "</head><body><p>ようこそ</p></body></html>")
                     .arg(QString::fromLatin1(site.linkType), QString::fromLatin1(site.feedPath))
                     .toUtf8(),
                 "text/html; charset=UTF-8");
    const auto date = [this](int hoursAgo) {
        return env.clock.now()
                   .addSecs(-3600 * hoursAgo)
                   .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
               QStringLiteral("+09:00");
    };
    server.serve(QString::fromLatin1(site.feedPath),
                 QString::fromUtf8(site.feed).arg(home, date(1), date(2)).toUtf8(),
                 site.contentType);
    env.writeFile(QStringLiteral("rsslist.opml"), kEmptyList);
    env.writeFile(QStringLiteral("config.ini"), laterStartConfig());
    ASSERT_TRUE(start());

    main().pane->editor->mnuNewRdf_Click();
    frmNewSiteDialog& dialog = windows->newSiteDialog();
    dialog.txtURL->setText(server.url(QString::fromLatin1(site.typed)));
    dialog.cmdOK->click();
    ASSERT_TRUE(QTest::qWaitFor([&dialog] { return dialog.isProbed(); }));
    EXPECT_EQ(dialog.txtURL->text(), feedUrl);
    EXPECT_EQ(dialog.txtName->text(), QStringLiteral("原子の便り"));
    EXPECT_TRUE(env.messageBox.shown.isEmpty());
    dialog.cmdOK->click();
    ASSERT_EQ(state().SiteTable.size(), 1);
    EXPECT_EQ(state().SiteTable[0].strXmlUrl, feedUrl);
    EXPECT_EQ(state().SiteTable[0].strHtmlUrl, home);

    // The patrol reads it like any feed; the ticker shows its first entry and opens it.
    main().tmrLoad_Timer();
    ASSERT_NE(windows->taskIfLoaded(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !windows->taskIfLoaded()->isPatrolling(); }));
    EXPECT_EQ(state().NewsQueue.lastIndex(), 2);
    frmTicker* ticker = windows->tickerIfLoaded();
    ASSERT_NE(ticker, nullptr);
    ticker->tmrNextNews_Timer();
    for (int ticks = 0; ticker->tmrDynamic->isActive() && ticks < 100; ++ticks) {
        ticker->tmrDynamic_Timer();
    }
    EXPECT_EQ(dynamic_cast<WipeSurface&>(ticker->surface()).lblNews()->text(),
              QStringLiteral("最初の記事"));
    EXPECT_EQ(dynamic_cast<WipeSurface&>(ticker->surface()).lblSiteTitle()->text(),
              QStringLiteral("原子の便り"));
    EXPECT_EQ(dynamic_cast<WipeSurface&>(ticker->surface()).lblTimeStamp()->text(),
              QStringLiteral("06/03/16 11:00"));
    ticker->cmdWeb_Click();
    EXPECT_EQ(env.browser.opened, QStringList{server.url(QStringLiteral("/articles/one"))});
    main().mnuExit->trigger();
}

const char kAtomFeed[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
    "<feed xmlns=\"http://www.w3.org/2005/Atom\" xml:base=\"/articles/\">"
    "<title>原子の便り</title><link rel=\"alternate\" href=\"%1\"/>"
    "<subtitle>毎日の記事</subtitle>"
    "<entry><title type=\"html\">&lt;b&gt;最初&lt;/b&gt;の記事</title>"
    "<link rel=\"alternate\" href=\"one\"/><published>%2</published></entry>"
    "<entry><title>二番目の記事</title><link href=\"two\"/><updated>%3</updated></entry>"
    "</feed>";

// The second item is older and has only an external link.
const char kJsonFeed[] =
    "{\"version\": \"https://jsonfeed.org/version/1.1\", \"title\": \"原子の便り\",\n"
    " \"home_page_url\": \"%1\", \"items\": [\n"
    "  {\"id\": \"1\", \"title\": \"最初の記事\", \"url\": \"/articles/one\",\n"
    "   \"date_published\": \"%2\", \"content_html\": \"<p>本文</p>\"},\n"
    "  {\"id\": \"2\", \"title\": \"二番目の記事\", \"external_url\": \"https://example.org/\",\n"
    "   \"date_modified\": \"%3\"}]}";

INSTANTIATE_TEST_SUITE_P(
    AppTest, NewSiteEndToEnd,
    ::testing::Values(NewSiteCase{"AtomFromItsHomePage", "/", "/feeds/atom.xml",
                                  "application/atom+xml", "application/atom+xml", kAtomFeed},
                      NewSiteCase{"JsonFeedFromItsHomePage", "/", "/feeds/feed.json",
                                  "application/feed+json", "application/feed+json", kJsonFeed},
                      NewSiteCase{"JsonFeedByItsUrlServedAsJson", "/feeds/feed.json",
                                  "/feeds/feed.json", "application/feed+json", "application/json",
                                  kJsonFeed}),
    [](const ::testing::TestParamInfo<NewSiteCase>& test) {
        return std::string(test.param.label);
    });

TEST_F(AppTest, ExitDuringFetchesThatNeverEndIsImmediateAndSaves) {
    LoopbackServer server;
    ASSERT_TRUE(server.isListening());
    server.hold(QStringLiteral("/silent.xml"));
    const QString url = server.url(QStringLiteral("/silent.xml"));
    // The first site has a homepage, so start-up reads its feed for the information box.
    QByteArray list = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<opml version=\"1.1\"><body>\n";
    for (int i = 0; i < 6; ++i) {
        list += QStringLiteral("<outline text=\"S%1\" htmlUrl=\"http://h/\" xmlUrl=\"%2?%1\"/>\n")
                    .arg(i)
                    .arg(url)
                    .toUtf8();
    }
    env.writeFile(QStringLiteral("rsslist.opml"), list + "</body></opml>\n");
    env.writeFile(QStringLiteral("config.ini"), laterStartConfig("AUTO_PIROT_MODE=2\r\n"));

    ASSERT_TRUE(start());
    main().tmrLoad_Timer();
    // The properties panel's fetch and four patrol fetches hang at the server.
    ASSERT_TRUE(QTest::qWaitFor(
        [&server] { return server.requestCount(QStringLiteral("/silent.xml")) == 5; }, 5000));
    QFile::remove(env.path(QStringLiteral("rsslist.opml")));

    QElapsedTimer clock;
    clock.start();
    main().mnuExit->trigger();
    EXPECT_TRUE(state().feeds().shutdown(500));
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(appExit.exits, 1);
    EXPECT_EQ(state().feeds().pendingCount(), 0);
    EXPECT_TRUE(env.exists(QStringLiteral("config.ini")));
    EXPECT_TRUE(env.readFile(QStringLiteral("rsslist.opml")).contains("S5"));
}

}  // namespace
