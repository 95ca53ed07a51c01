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
#include "appfixture.h"
#include "common/loopbackserver.h"
#include "patrol/articlestore.h"
#include "patrol/frmtask.h"
#include "patrol/md5.h"
#include "sitepane/sitelistpane.h"
#include "ticker/frmticker.h"

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
    EXPECT_EQ(main().pane->commentText(), QStringLiteral("【ループバック新聞】\r\n") +
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
    EXPECT_EQ(ticker->lblNews->text(), QStringLiteral("一面の記事"));
    EXPECT_EQ(ticker->lblSiteTitle->text(), QStringLiteral("ループバック"));
    EXPECT_EQ(ticker->lblTimeStamp->text(), QStringLiteral("06/03/16 11:00"));
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

TEST_F(AppTest, AtomFeedFoundFromAPastedHomePagePatrolsAndOpensItsArticle) {
    LoopbackServer server;
    ASSERT_TRUE(server.isListening());
    const QString home = server.url(QStringLiteral("/"));
    const QString feedUrl = server.url(QStringLiteral("/feeds/atom.xml"));
    server.serve(QStringLiteral("/"),
                 "<!DOCTYPE html><html><head><title>Home</title>"
                 "<link rel=\"alternate\" type=\"application/atom+xml\" href=\"/feeds/atom.xml\">"
                 "</head><body><p>ようこそ</p></body></html>",
                 "text/html; charset=UTF-8");
    const auto atomDate = [this](int hoursAgo) {
        return env.clock.now()
                   .addSecs(-3600 * hoursAgo)
                   .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
               QStringLiteral("+09:00");
    };
    const QString feed =
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
            "<feed xmlns=\"http://www.w3.org/2005/Atom\" xml:base=\"/articles/\">"
            "<title>原子の便り</title><link rel=\"alternate\" href=\"%1\"/>"
            "<subtitle>毎日の記事</subtitle>"
            "<entry><title type=\"html\">&lt;b&gt;最初&lt;/b&gt;の記事</title>"
            "<link rel=\"alternate\" href=\"one\"/><published>%2</published></entry>"
            "<entry><title>二番目の記事</title><link href=\"two\"/><updated>%3</updated></entry>"
            "</feed>")
            .arg(home, atomDate(1), atomDate(2));
    server.serve(QStringLiteral("/feeds/atom.xml"), feed.toUtf8());
    env.writeFile(QStringLiteral("rsslist.opml"),
                  "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<opml version=\"1.1\"><head/>"
                  "<body>\n</body></opml>\n");
    env.writeFile(QStringLiteral("config.ini"), laterStartConfig());
    ASSERT_TRUE(start());

    // The home page pasted in the new-site dialog leads to its Atom feed.
    main().pane->mnuNewRdf_Click();
    frmNewSiteDialog& dialog = windows->newSiteDialog();
    dialog.txtURL->setText(home);
    dialog.cmdOK->click();
    ASSERT_TRUE(QTest::qWaitFor([&dialog] { return dialog.isProbed(); }));
    EXPECT_EQ(dialog.txtURL->text(), feedUrl);
    EXPECT_EQ(dialog.txtName->text(), QStringLiteral("原子の便り"));
    dialog.cmdOK->click();
    ASSERT_EQ(state().SiteTable.size(), 1);
    EXPECT_EQ(state().SiteTable[0].strXmlUrl, feedUrl);

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
    EXPECT_EQ(ticker->lblNews->text(), QStringLiteral("最初の記事"));
    EXPECT_EQ(ticker->lblSiteTitle->text(), QStringLiteral("原子の便り"));
    EXPECT_EQ(ticker->lblTimeStamp->text(), QStringLiteral("06/03/16 11:00"));
    ticker->cmdWeb_Click();
    EXPECT_EQ(env.browser.opened, QStringList{server.url(QStringLiteral("/articles/one"))});
    main().mnuExit->trigger();
}

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
