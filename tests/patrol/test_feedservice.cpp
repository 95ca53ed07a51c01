#include <gtest/gtest.h>

#include <QLocale>
#include <QTest>
#include <QTimeZone>
#include <memory>

#include "common/loopbackserver.h"
#include "common/nullpatrolhost.h"
#include "common/testenv.h"
#include "patrol/articlestore.h"
#include "patrol/frmtask.h"
#include "patrol/md5.h"
#include "patrol/networkfeedservice.h"
#include "platform/qstringprinter.h"

namespace {

class FeedServiceTest : public ::testing::Test {
protected:
    FeedServiceTest() {
        state().fetchOptions.connectTimeoutMs = 2000;
        state().fetchOptions.totalTimeoutMs = 5000;
    }
    AppState& state() { return env.state(); }

    // Fetches url with the state's service and waits for the result.
    FeedFetchResult fetch(const QString& url) {
        FeedFetchResult result;
        bool done = false;
        state().feeds().fetch({url, FetchLane::Patrol}, nullptr, [&](const FeedFetchResult& r) {
            result = r;
            done = true;
        });
        EXPECT_TRUE(QTest::qWaitFor([&done] { return done; }, 10000));
        return result;
    }
    QByteArray freshFeed() const {
        const QString date = QLocale::c().toString(env.clock.now().addSecs(-3600),
                                                   QStringLiteral("ddd, dd MMM yyyy HH:mm:ss"));
        return QStringLiteral(
                   "<rss><channel><title>t</title>"
                   "<item><title>一</title><link>http://a/1</link><pubDate>%1</pubDate></item>"
                   "<item><title>二</title><link>http://a/2</link><pubDate>%1</pubDate></item>"
                   "</channel></rss>")
            .arg(date)
            .toUtf8();
    }

    TestEnv env;
    LoopbackServer server;
};

TEST_F(FeedServiceTest, NotModifiedAdmitsWhatTheFullDownloadAdmitted) {
    LoopbackServer::Response response;
    response.body = freshFeed();
    response.headers = {{"Content-Type", "application/rss+xml"}, {"ETag", "\"v1\""}};
    server.route(QStringLiteral("/feed.xml"), response);
    SiteRow row;
    row.intKind = kKindSite;
    row.strXmlUrl = server.url(QStringLiteral("/feed.xml"));
    state().SiteTable.append(row);
    state().blnSiteListFlg = true;
    NullTicker ticker;
    NullStatus status;
    frmTask task(state(), ticker, status);
    const QString shownFile =
        QStringLiteral("temporary/") + MD5Hex(row.strXmlUrl) + QStringLiteral(".dat");

    // The first patrol downloads; one article is then shown; the second patrol is answered
    // 304 and must queue exactly what a download of the same body queues.
    QStringList admitted[3];
    for (int patrol = 0; patrol < 3; ++patrol) {
        if (patrol == 2) {
            response.headers = {{"Content-Type", "application/rss+xml"}};  // no more ETag
            server.route(QStringLiteral("/feed.xml"), response);
            state().useFeedService(
                std::make_unique<NetworkFeedService>(state().fetchOptions, state().seams.clock));
        }
        state().NewsQueue.clear();
        task.RssRefresh();
        ASSERT_TRUE(QTest::qWaitFor([&task] { return !task.isPatrolling(); }, 10000));
        for (int i = 1; i <= state().NewsQueue.lastIndex(); ++i) {
            admitted[patrol].append(state().NewsQueue[i].Link +
                                    (state().NewsQueue[i].IsNew ? "" : " shown"));
        }
        if (patrol == 0) {
            ASSERT_TRUE(RecordNewsShown(state(), 1));
        }
    }
    const QList<LoopbackServer::Request> requests = server.requests();
    ASSERT_EQ(requests.size(), 3);
    EXPECT_TRUE(requests[0].header("If-None-Match").isEmpty());
    EXPECT_EQ(requests[1].header("If-None-Match"), "\"v1\"");
    EXPECT_EQ(admitted[0], QStringList({"http://a/1", "http://a/2"}));
    EXPECT_EQ(admitted[1], QStringList({"http://a/1 shown", "http://a/2"}));
    EXPECT_EQ(admitted[1], admitted[2]);
    EXPECT_EQ(env.readFile(shownFile).count("\r\n"), 1);
}

TEST_F(FeedServiceTest, RetryAfterKeepsTheUrlQuietUntilTheTimeGiven) {
    const QDateTime start = env.clock.now();
    const QDateTime later = start.addSecs(300);
    // The server's date is absolute; the clock counts local wall-clock time.
    const QDateTime laterUtc = QDateTime(later.date(), later.time()).toUTC();
    const struct {
        int status;
        QByteArray retryAfter;
        int pauseSeconds;  // 0: no pause
    } cases[] = {
        {503, "120", 120},
        {429,
         QLocale::c()
             .toString(laterUtc, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'"))
             .toLatin1(),
         300},
        {503, "soon", 0},
        {500, "120", 0},
        {503, "99999999", int(NetworkFeedService::kMaxRetryAfterSeconds)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.retryAfter.toStdString());
        env.clock.set(start);
        state().useFeedService(
            std::make_unique<NetworkFeedService>(state().fetchOptions, state().seams.clock));
        LoopbackServer::Response busy;
        busy.status = c.status;
        busy.headers = {{"Retry-After", c.retryAfter}};
        server.route(QStringLiteral("/busy"), busy);
        server.clearRequests();
        const QString url = server.url(QStringLiteral("/busy"));

        EXPECT_FALSE(fetch(url).fetched);
        env.clock.set(start.addSecs(std::max(c.pauseSeconds, 1) - 1));
        const FeedFetchResult second = fetch(url);
        EXPECT_EQ(second.deferred, c.pauseSeconds > 0);
        EXPECT_EQ(server.requestCount(QStringLiteral("/busy")), c.pauseSeconds > 0 ? 1 : 2);

        // Once the time has come, the URL is fetched again.
        server.serve(QStringLiteral("/busy"), freshFeed());
        env.clock.set(start.addSecs(c.pauseSeconds));
        EXPECT_TRUE(fetch(url).feed.hasItems());
    }
}

TEST_F(FeedServiceTest, CancelledAndOrphanedFetchesNeverCallBack) {
    server.hold(QStringLiteral("/silent"));
    server.serve(QStringLiteral("/feed.xml"), freshFeed());
    auto owner = std::make_unique<QObject>();
    int calls = 0;
    FeedFetchService& feeds = state().feeds();
    const auto count = [&calls](const FeedFetchResult&) { ++calls; };
    feeds.fetch({server.url(QStringLiteral("/silent")), FetchLane::User}, owner.get(), count);
    const quint64 cancelled =
        feeds.fetch({server.url(QStringLiteral("/feed.xml")), FetchLane::User}, nullptr, count);
    feeds.fetch({server.url(QStringLiteral("/feed.xml")), FetchLane::User}, owner.get(), count);
    feeds.cancel(cancelled);
    EXPECT_EQ(feeds.pendingCount(), 2);
    owner.reset();
    // The owner's fetch of the feed completes but finds no one to hand it to.
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return server.requestCount(QStringLiteral("/feed.xml")) >= 1; }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(feeds.shutdown(1000));
    EXPECT_EQ(feeds.pendingCount(), 0);
}

}  // namespace
