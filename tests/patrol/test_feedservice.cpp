#include <gtest/gtest.h>

#include <QLocale>
#include <QLoggingCategory>
#include <QTest>
#include <QTimeZone>
#include <memory>

#include "tests/common/loopbackserver.h"
#include "tests/common/nullpatrolhost.h"
#include "tests/common/testenv.h"
#include "patrol/shownlists.h"
#include "patrol/frmtask.h"
#include "patrol/md5.h"
#include "patrol/networkfeedservice.h"
#include "tests/platform/qstringprinter.h"

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
            state().shownStore().RecordNewsShown(state().NewsQueue[1]);
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

TEST_F(FeedServiceTest, OnlyCancelsByOthersAreAnsweredAndLaterFetchesGoAhead) {
    server.hold(QStringLiteral("/silent"));
    server.serve(QStringLiteral("/feed.xml"), freshFeed());
    const QString silent = server.url(QStringLiteral("/silent"));
    const QString feed = server.url(QStringLiteral("/feed.xml"));
    auto owner = std::make_unique<QObject>();
    QStringList answers;
    FeedFetchService& feeds = state().feeds();
    const auto answer = [&answers](const QString& who) {
        return [&answers, who](const FeedFetchResult& result) {
            answers.append(who + (result.cancelled ? " cancelled" : "") +
                           (result.feed.hasItems() ? " feed" : ""));
        };
    };
    // Cancelled by whoever asked, or orphaned: never answered.
    const quint64 ownCancel = feeds.fetch({feed, FetchLane::User}, nullptr, answer("own"));
    feeds.fetch({feed, FetchLane::User}, owner.get(), answer("orphan"));
    feeds.cancel(ownCancel);
    owner.reset();
    ASSERT_TRUE(QTest::qWaitFor([this] { return server.requestCount("/feed.xml") >= 1; }, 5000));
    ASSERT_TRUE(waitForFetches(state()));
    EXPECT_TRUE(answers.isEmpty()) << answers.join(", ").toStdString();

    // Everybody's fetches ended by another: each is answered as cancelled, unless its owner
    // drops it first; a fetch asked for right after the cancel goes ahead.
    feeds.fetch({silent, FetchLane::User}, nullptr, answer("dialog"));
    const quint64 dropped = feeds.fetch({silent, FetchLane::Patrol}, nullptr, answer("dropped"));
    feeds.cancelAll();
    feeds.fetch({feed, FetchLane::User}, nullptr, answer("after"));
    feeds.cancel(dropped);
    ASSERT_TRUE(waitForFetches(state()));
    answers.sort();
    EXPECT_EQ(answers, QStringList({"after feed", "dialog cancelled"}));
    EXPECT_TRUE(feeds.shutdown(1000));
    EXPECT_EQ(feeds.pendingCount(), 0);
}

TEST_F(FeedServiceTest, AUsersCheckIsSentThroughAPatrolsPause) {
    LoopbackServer::Response busy;
    busy.status = 503;
    busy.headers = {{"Retry-After", "3600"}};
    server.route(QStringLiteral("/busy"), busy);
    const QString url = server.url(QStringLiteral("/busy"));
    const auto fetchIn = [this, &url](FetchLane lane) {
        FeedFetchResult result;
        bool done = false;
        state().feeds().fetch({url, lane}, nullptr, [&](const FeedFetchResult& r) {
            result = r;
            done = true;
        });
        EXPECT_TRUE(QTest::qWaitFor([&done] { return done; }, 10000));
        return result;
    };
    EXPECT_EQ(fetchIn(FetchLane::Patrol).httpStatus, 503);
    EXPECT_TRUE(fetchIn(FetchLane::Patrol).deferred);

    // The user's check goes out and says why it failed; the patrol still waits.
    const FeedFetchResult checked = fetchIn(FetchLane::User);
    EXPECT_FALSE(checked.deferred);
    EXPECT_EQ(noFeedReason(checked), QStringLiteral("HTTP 503"));
    EXPECT_TRUE(fetchIn(FetchLane::Patrol).deferred);
    EXPECT_EQ(server.requestCount(QStringLiteral("/busy")), 2);
}

TEST_F(FeedServiceTest, AConditionalRequestRefusedWith4xxIsSentAgainPlain) {
    // An ETag longer than the front end takes back in a request header.
    const QByteArray etag = '"' + QByteArray(9 * 1024, 'e') + '"';
    LoopbackServer::Response response;
    response.body = freshFeed();
    response.headers = {{"ETag", etag}};
    response.maxRequestHeadBytes = 8 * 1024;
    server.route(QStringLiteral("/feed.xml"), response);
    const QString url = server.url(QStringLiteral("/feed.xml"));

    QStringList logged;
    QLoggingCategory::setFilterRules(QStringLiteral("qv.patrol.info=true"));
    static QStringList* sink = nullptr;
    sink = &logged;
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& text) { sink->append(text); });
    QList<FeedFetchResult> results;
    for (int i = 0; i < 3; ++i) {
        results.append(fetch(url));
    }
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());

    for (const FeedFetchResult& result : results) {
        EXPECT_TRUE(result.feed.hasItems()) << result.error.toStdString();
    }
    // Plain, conditional and refused, plain again; from then on plain only.
    const QList<LoopbackServer::Request> requests = server.requests();
    QList<bool> conditional;
    for (const LoopbackServer::Request& request : requests) {
        conditional.append(!request.header("If-None-Match").isEmpty());
    }
    EXPECT_EQ(conditional, QList<bool>({false, true, false, false}));
    for (const QString& line : std::as_const(logged)) {
        EXPECT_LT(line.size(), 500) << line.left(200).toStdString();
    }
}

}  // namespace
