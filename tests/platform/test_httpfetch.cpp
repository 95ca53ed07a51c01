#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>
#include <mutex>

#include "core/version.h"
#include "tests/common/loopbackserver.h"
#include "platform/net/httpclient.h"
#include "platform/net/httpfetch.h"
#include "tests/platform/qstringprinter.h"

namespace {

const QByteArray kFeed =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\"><channel>"
    "<title>\xE9\x80\x9F\xE5\xA0\xB1</title></channel></rss>";

class HttpFetchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.isListening());
        server.serve(QStringLiteral("/feed.xml"), kFeed);
        // Short limits so that failing cases end quickly.
        options.connectTimeoutMs = 2000;
        options.totalTimeoutMs = 5000;
    }

    LoopbackServer server;
    FetchOptions options;
};

TEST_F(HttpFetchTest, FetchesAFeedAndNamesItself) {
    const HttpFetchResult fetched = httpGet(server.url(QStringLiteral("/feed.xml")), options);
    ASSERT_TRUE(fetched.ok) << fetched.error.toStdString();
    EXPECT_EQ(fetched.body, kFeed);

    ASSERT_EQ(server.requests().size(), 1);
    const LoopbackServer::Request request = server.requests().first();
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.header("user-agent"), "Quorvane3/" + versionText().toLatin1());
    EXPECT_EQ(request.header("User-Agent"), httpUserAgent());
    EXPECT_TRUE(request.header("Accept-Encoding").contains("gzip"));
}

TEST_F(HttpFetchTest, FollowsRedirectsWithinTheLimit) {
    // /hop0 → /hop1 → … → /hop<n> → /feed.xml: n + 1 redirects.
    const int limit = options.maxRedirects;
    for (int i = 0; i <= limit; ++i) {
        const QString next = i == limit ? server.url(QStringLiteral("/feed.xml"))
                                        : QStringLiteral("/hop%1").arg(i + 1);
        server.redirect(QStringLiteral("/hop%1").arg(i), next, i % 2 == 0 ? 301 : 302);
    }
    EXPECT_TRUE(httpGet(server.url(QStringLiteral("/hop1")), options).ok);  // limit redirects
    const HttpFetchResult tooMany = httpGet(server.url(QStringLiteral("/hop0")), options);
    EXPECT_FALSE(tooMany.ok);
    EXPECT_TRUE(tooMany.body.isEmpty());

    server.redirect(QStringLiteral("/loop"), QStringLiteral("/loop"));
    EXPECT_FALSE(httpGet(server.url(QStringLiteral("/loop")), options).ok);
}

TEST_F(HttpFetchTest, NeverLeavesHttpThroughARedirect) {
    for (const QString& target :
         {QStringLiteral("file:///etc/passwd"), QStringLiteral("ftp://127.0.0.1/feed.xml"),
          QStringLiteral("gopher://127.0.0.1/")}) {
        server.redirect(QStringLiteral("/away"), target);
        const HttpFetchResult fetched = httpGet(server.url(QStringLiteral("/away")), options);
        EXPECT_FALSE(fetched.ok) << target.toStdString();
        EXPECT_TRUE(fetched.body.isEmpty());
    }
}

TEST_F(HttpFetchTest, DecodesCompressedBodies) {
    server.serveGzip(QStringLiteral("/feed.xml.gz"), kFeed);
    const HttpFetchResult result = httpGet(server.url(QStringLiteral("/feed.xml.gz")), options);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.body, kFeed);
}

TEST_F(HttpFetchTest, AnyStatusOutside2xxFails) {
    for (const int status : {201, 204, 304, 404, 410, 500, 503}) {
        LoopbackServer::Response response;
        response.status = status;
        response.body = kFeed;
        server.route(QStringLiteral("/status"), response);
        const HttpFetchResult result = httpGet(server.url(QStringLiteral("/status")), options);
        const bool success = status >= 200 && status < 300;
        EXPECT_EQ(result.ok, success) << status;
        EXPECT_EQ(result.httpStatus, status);
    }
    EXPECT_FALSE(httpGet(server.url(QStringLiteral("/not-there.xml")), options).ok);
}

TEST_F(HttpFetchTest, RefusesBodiesOverTheCap) {
    const QByteArray big = "<a>" + QByteArray(200'000, 'x') + "</a>";
    server.serve(QStringLiteral("/big"), big);
    // Small on the wire with a small Content-Length: only the decoded size can refuse it.
    server.serveGzip(QStringLiteral("/bomb"), big);
    options.maxBytes = 100'000;
    for (const QString& path : {QStringLiteral("/big"), QStringLiteral("/bomb")}) {
        const HttpFetchResult result = httpGet(server.url(path), options);
        EXPECT_FALSE(result.ok) << path.toStdString();
        EXPECT_TRUE(result.body.isEmpty());
    }
    options.maxBytes = big.size();
    EXPECT_TRUE(httpGet(server.url(QStringLiteral("/big")), options).ok);
    EXPECT_TRUE(httpGet(server.url(QStringLiteral("/bomb")), options).ok);
}

TEST_F(HttpFetchTest, GivesUpOnAServerThatNeverAnswers) {
    server.hold(QStringLiteral("/silent"));
    options.totalTimeoutMs = 500;
    const HttpFetchResult result = httpGet(server.url(QStringLiteral("/silent")), options);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_EQ(server.requestCount(QStringLiteral("/silent")), 1);
}

TEST_F(HttpFetchTest, SendsNonAsciiPathsPercentEncoded) {
    server.serve(QStringLiteral("/%E3%83%95%E3%82%A3%E3%83%BC%E3%83%89/a%20b.xml"), kFeed);
    const QString url = QStringLiteral("http://127.0.0.1:%1/フィード/a b.xml").arg(server.port());
    EXPECT_TRUE(httpGet(url, options).ok);
}

TEST_F(HttpFetchTest, RefusesOtherSchemes) {
    for (const QString& url :
         {QStringLiteral("file:///etc/passwd"), QStringLiteral("ftp://127.0.0.1/"),
          QStringLiteral("not a url"), QString()}) {
        EXPECT_FALSE(httpGet(url, options).ok) << url.toStdString();
    }
    EXPECT_TRUE(server.requests().isEmpty());
}

}  // namespace

namespace {

class HttpClientTest : public HttpFetchTest {
protected:
    // Starts a GET of path; finished records its result when it ends.
    quint64 start(HttpClient& client, const QString& path, bool background = false) {
        HttpRequest request;
        request.url = server.url(path);
        request.options = options;
        return client.start(request, background, [this](quint64, HttpFetchResult result) {
            const std::lock_guard<std::mutex> lock(mutex);
            finished.append(result);
        });
    }
    int finishedCount() {
        const std::lock_guard<std::mutex> lock(mutex);
        return int(finished.size());
    }

    std::mutex mutex;
    QList<HttpFetchResult> finished;
};

TEST_F(HttpClientTest, CancelEndsAHangingTransferAtOnceAndNoneAskedForAfterIt) {
    server.hold(QStringLiteral("/silent"));
    server.serve(QStringLiteral("/feed.xml"), kFeed);
    HttpClient client;
    const quint64 id = start(client, QStringLiteral("/silent"));
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return server.requestCount(QStringLiteral("/silent")) == 1; }, 5000));
    client.cancel(id);
    EXPECT_TRUE(QTest::qWaitFor([&client] { return client.activeCount() == 0; }, 1000));
    EXPECT_EQ(finishedCount(), 0);

    // The network thread takes the cancel and the transfers queued right after it in one
    // round: only those before it end.
    for (const bool background : {false, true}) {
        start(client, QStringLiteral("/silent"), background);
    }
    client.cancelAll();
    start(client, QStringLiteral("/feed.xml"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return finishedCount() == 1; }, 5000));
    EXPECT_TRUE(finished.first().ok);
    EXPECT_TRUE(QTest::qWaitFor([&client] { return client.activeCount() == 0; }, 1000));
}

TEST_F(HttpClientTest, ATrickleIsCutOffByTheWholeTransferLimit) {
    LoopbackServer::Response slow;
    slow.body = kFeed;
    slow.trickleMs = 50;
    server.route(QStringLiteral("/slow"), slow);
    options.totalTimeoutMs = 400;
    HttpClient client;
    start(client, QStringLiteral("/slow"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return finishedCount() == 1; }, 5000));
    EXPECT_FALSE(finished.first().ok);
    EXPECT_TRUE(finished.first().body.isEmpty());
}

TEST_F(HttpClientTest, BackgroundTransfersQueueBeyondTheirLimitButUserOnesNever) {
    server.hold(QStringLiteral("/silent"));
    HttpClient client;
    for (int i = 0; i < HttpClient::kMaxBackgroundTransfers + 2; ++i) {
        start(client, QStringLiteral("/silent"), true);
    }
    const auto seen = [this] { return server.requestCount(QStringLiteral("/silent")); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen() == HttpClient::kMaxBackgroundTransfers; }));
    QTest::qWait(200);
    EXPECT_EQ(seen(), HttpClient::kMaxBackgroundTransfers);
    start(client, QStringLiteral("/feed.xml"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return finishedCount() == 1; }, 5000));
    EXPECT_TRUE(finished.first().ok);
    client.cancelAll();
    EXPECT_TRUE(QTest::qWaitFor([&client] { return client.activeCount() == 0; }, 1000));
}

}  // namespace

namespace {

// A POST goes through the same transfer as a GET: its body reaches the server, also after
// a redirect, and the answer is held to the same limits.
TEST_F(HttpClientTest, PostsAJsonBodyThroughRedirectsUnderTheSameLimits) {
    server.serve(QStringLiteral("/api/"), "{\"status\":0}", "text/json");
    server.redirect(QStringLiteral("/old/"), QStringLiteral("/api/"));
    const QByteArray body = "{\"op\":\"login\",\"user\":\"\xE5\xA0\xB1\"}" + QByteArray(3000, ' ');
    HttpClient client;
    HttpRequest request;
    request.url = server.url(QStringLiteral("/old/"));
    request.post = true;
    request.body = body;
    request.options = options;
    const auto record = [this](quint64, HttpFetchResult result) {
        const std::lock_guard<std::mutex> lock(mutex);
        finished.append(result);
    };
    client.start(request, false, record);
    ASSERT_TRUE(QTest::qWaitFor([this] { return finishedCount() == 1; }, 5000));
    EXPECT_TRUE(finished.first().ok) << finished.first().error.toStdString();
    EXPECT_EQ(finished.first().body, "{\"status\":0}");
    const QList<LoopbackServer::Request> seen = server.requests();
    ASSERT_EQ(seen.size(), 2);
    for (const LoopbackServer::Request& one : seen) {
        EXPECT_EQ(one.method, "POST");
        EXPECT_EQ(one.body, body);
        EXPECT_EQ(one.header("Content-Type"), "application/json");
        EXPECT_TRUE(one.header("Expect").isEmpty());
    }

    request.url = server.url(QStringLiteral("/api/"));
    request.options.maxBytes = 4;
    client.start(request, false, record);
    ASSERT_TRUE(QTest::qWaitFor([this] { return finishedCount() == 2; }, 5000));
    EXPECT_FALSE(finished.last().ok);
    EXPECT_TRUE(finished.last().body.isEmpty());
}

}  // namespace
