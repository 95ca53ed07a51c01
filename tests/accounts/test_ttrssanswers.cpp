#include <QJsonArray>
#include <QJsonDocument>
#include <atomic>
#include <chrono>
#include <thread>
#include <QTest>
#include <gtest/gtest.h>
#include <ostream>

#include "accounts/ttrss/ttrssanswers.h"
#include "accounts/ttrss/ttrssclient.h"
#include "formats/feedtext.h"
#include "platform/net/httpclient.h"
#include "platform/system/workerpool.h"
#include "tests/common/loopbackserver.h"
#include "tests/platform/qstringprinter.h"

// Failure messages name texts as they are.
inline std::ostream& operator<<(std::ostream& out, const QString& text) {
    return out << text.toStdString();
}

namespace {

using Kind = AccountError::Kind;

QJsonValue json(const QByteArray& text) {
    const QJsonDocument document = QJsonDocument::fromJson(text);
    return document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
}

HttpFetchResult answered(const QByteArray& body) {
    HttpFetchResult result;
    result.ok = true;
    result.httpStatus = 200;
    result.body = body;
    return result;
}

HttpFetchResult failed(long status, const QString& error) {
    HttpFetchResult result;
    result.httpStatus = status;
    result.error = error;
    return result;
}

// Whatever comes back is named for what it is: a page of another server, JSON cut short,
// a frame of another shape, the errors the server names, HTTP and network failures.
TEST(TtrssAnswers, NameWhatCameBack) {
    using State = ttrss::Answer::State;
    const struct {
        HttpFetchResult result;
        State state;
        Kind kind;
    } cases[] = {
        {answered("{\"seq\":0,\"status\":0,\"content\":[]}"), State::Ok, Kind::None},
        {answered(" \n<!DOCTYPE html><html></html>"), State::Failed, Kind::NotAnAggregator},
        {answered(""), State::Failed, Kind::NotAnAggregator},
        {answered("{\"seq\":0,\"status\":0,\"content\":{\"session_"), State::Failed,
         Kind::Truncated},
        {answered("{\"seq\":0,\"status\":0,\"content\":["), State::Failed, Kind::Truncated},
        {answered("{\"status\":0,\"content\":[]} trailing"), State::Failed, Kind::BadAnswer},
        {answered("{\"status\":0,\"content\":[]}\x01"), State::Failed, Kind::BadAnswer},
        {answered("{\"status\":\"0\",\"content\":[]}"), State::Failed, Kind::NotAnAggregator},
        {answered("{\"status\":0,\"content\":\"text\"}"), State::Failed, Kind::NotAnAggregator},
        {answered("{\"status\":0}"), State::Failed, Kind::NotAnAggregator},
        {answered("{\"status\":1,\"content\":{\"error\":\"NOT_LOGGED_IN\"}}"), State::NotLoggedIn,
         Kind::None},
        {answered("{\"status\":1,\"content\":{\"error\":\"LOGIN_ERROR\"}}"), State::Failed,
         Kind::WrongCredentials},
        {answered("{\"status\":1,\"content\":{\"error\":\"API_DISABLED\"}}"), State::Failed,
         Kind::ApiDisabled},
        {answered("{\"status\":1,\"content\":{\"error\":[1]}}"), State::Failed, Kind::Refused},
        {answered("{\"status\":1,\"content\":[]}"), State::Failed, Kind::Refused},
        {failed(502, QStringLiteral("HTTP status 502")), State::Failed, Kind::ServerError},
        {failed(404, QStringLiteral("HTTP status 404")), State::Failed, Kind::NotAnAggregator},
        {failed(0, QStringLiteral("SSL certificate problem: self-signed certificate")),
         State::Failed, Kind::Certificate},
        {failed(0, QStringLiteral("Could not resolve host: nowhere.invalid")), State::Failed,
         Kind::Network},
        {failed(200, QStringLiteral("response body larger than 4 bytes")), State::Failed,
         Kind::BadAnswer},
        {failed(200, QStringLiteral("transfer closed with 17 bytes remaining to read")),
         State::Failed, Kind::Truncated},
    };
    for (const auto& one : cases) {
        const ttrss::Answer answer = ttrss::readAnswer(one.result);
        const QString shown = QString::fromUtf8(one.result.body) + one.result.error;
        EXPECT_EQ(answer.state, one.state) << shown;
        EXPECT_EQ(answer.error.kind, one.kind) << shown << " → " << answer.error.message;
        EXPECT_EQ(answer.error.message.isEmpty(), one.kind == Kind::None) << shown;
    }
    // The reason of a network failure reaches the user.
    EXPECT_TRUE(ttrss::readAnswer(cases[18].result).error.message.contains("nowhere.invalid"));
}

// Headlines of a hostile server: what has no usable id is left out, texts are cut as a
// feed's are, links are web links only, times within reason.
TEST(TtrssAnswers, TakeOnlyWellFormedHeadlines) {
    QHash<QString, AccountFeed> feeds;
    feeds.insert(QStringLiteral("3"), {QStringLiteral("3"), QStringLiteral("Known"),
                                       QStringLiteral("http://example.com/feed"), 0});
    const QByteArray longTitle(5000, 'x');
    const QByteArray page =
        "[{\"id\":1,\"feed_id\":3,\"title\":\"One\",\"link\":\"https://example.com/1\","
        "\"updated\":1796724000},"
        "{\"id\":\"2\",\"feed_id\":\"9\",\"feed_title\":\"Other\",\"title\":\"" +
        longTitle +
        "\",\"link\":\"javascript:alert(1)\",\"updated\":-5},"
        "{\"id\":0,\"title\":\"zero\"},{\"id\":-4,\"title\":\"negative\"},"
        "{\"id\":1.5,\"title\":\"fraction\"},{\"id\":1e300,\"title\":\"huge\"},"
        "{\"id\":\"12abc\",\"title\":\"text\"},{\"id\":null},{\"id\":{}},[5],7,\"x\","
        "{\"id\":5,\"title\":[\"not\",\"text\"],\"link\":\"http://example.com/" +
        QByteArray(9000, 'a') + "\",\"updated\":1e20}]";
    int raw = 0;
    AccountError error;
    const QList<AccountHeadline> headlines = ttrss::readHeadlines(json(page), feeds, raw, error);
    EXPECT_TRUE(error.ok());
    EXPECT_EQ(raw, 13);
    ASSERT_EQ(headlines.size(), 3);
    EXPECT_EQ(headlines[0].id, QStringLiteral("1"));
    EXPECT_EQ(headlines[0].feedUrl, QStringLiteral("http://example.com/feed"));
    EXPECT_EQ(headlines[0].feedTitle, QStringLiteral("Known"));
    EXPECT_EQ(headlines[0].link, QStringLiteral("https://example.com/1"));
    EXPECT_EQ(headlines[0].updated.toSecsSinceEpoch(), 1796724000);
    EXPECT_EQ(headlines[1].id, QStringLiteral("2"));
    EXPECT_TRUE(headlines[1].feedUrl.isEmpty());
    EXPECT_EQ(headlines[1].feedTitle, QStringLiteral("Other"));
    EXPECT_EQ(headlines[1].title.size(), kMaxFeedTitleLength);
    EXPECT_TRUE(headlines[1].link.isEmpty());
    EXPECT_FALSE(headlines[1].updated.isValid());
    EXPECT_EQ(headlines[2].id, QStringLiteral("5"));
    EXPECT_TRUE(headlines[2].title.isEmpty());
    EXPECT_TRUE(headlines[2].link.isEmpty());
    EXPECT_FALSE(headlines[2].updated.isValid());

    (void)ttrss::readHeadlines(json("{\"error\":1}"), feeds, raw, error);
    EXPECT_EQ(error.kind, Kind::BadAnswer);
}

// The tree takes folders to a bounded depth, each feed once and only with its URL, and
// puts a feed the tree lacks at the top; the server's own views are no folders.
TEST(TtrssAnswers, BuildABoundedTreeOfKnownFeeds) {
    QHash<QString, AccountFeed> feeds;
    for (const char* id : {"1", "2", "3"}) {
        feeds.insert(QString::fromLatin1(id),
                     {QString::fromLatin1(id), QStringLiteral("Feed %1").arg(id),
                      QStringLiteral("http://example.com/%1").arg(id), 0});
    }
    QByteArray deep = "{\"id\":\"FEED:2\",\"bare_id\":2}";
    for (int level = 40; level > 0; --level) {
        deep = "{\"id\":\"CAT:" + QByteArray::number(100 + level) +
               "\",\"bare_id\":" + QByteArray::number(100 + level) + ",\"name\":\"L" +
               QByteArray::number(level) + "\",\"items\":[" + deep + "]}";
    }
    const QByteArray tree =
        "{\"categories\":{\"items\":["
        "{\"id\":\"CAT:-1\",\"bare_id\":-1,\"name\":\"Special\",\"items\":["
        "{\"id\":\"FEED:-4\",\"bare_id\":-4,\"name\":\"All articles\"}]},"
        "{\"id\":\"CAT:7\",\"bare_id\":7,\"name\":42,\"items\":["
        "{\"id\":\"FEED:1\",\"bare_id\":1},{\"id\":\"FEED:1\",\"bare_id\":1},"
        "{\"id\":\"FEED:99\",\"bare_id\":99}]}," +
        deep + "]}}";
    AccountError error;
    const AccountFolder top = ttrss::readTree(json(tree), feeds, error);
    EXPECT_TRUE(error.ok());
    ASSERT_EQ(top.folders.size(), 2);
    EXPECT_TRUE(top.folders[0].title.isEmpty());
    ASSERT_EQ(top.folders[0].feeds.size(), 1);
    EXPECT_EQ(top.folders[0].feeds[0].feedUrl, QStringLiteral("http://example.com/1"));
    int depth = 0;
    for (const AccountFolder* folder = &top.folders[1]; folder != nullptr; ++depth) {
        EXPECT_TRUE(folder->feeds.isEmpty());
        folder = folder->folders.isEmpty() ? nullptr : &folder->folders[0];
    }
    EXPECT_EQ(depth, ttrss::kMaxFolderDepth);
    // Feed 2 sat below the cut and feed 3 nowhere: both at the top, in id order.
    ASSERT_EQ(top.feeds.size(), 2);
    EXPECT_EQ(top.feeds[0].id, QStringLiteral("2"));
    EXPECT_EQ(top.feeds[1].id, QStringLiteral("3"));

    (void)ttrss::readTree(json("{\"categories\":{}}"), feeds, error);
    EXPECT_EQ(error.kind, Kind::BadAnswer);
}

// Each subscription code the server has, and none it has not.
TEST(TtrssAnswers, ReadEachSubscriptionCode) {
    using Outcome = AccountSubscription::Outcome;
    const std::pair<QByteArray, Outcome> codes[] = {
        {"0", Outcome::AlreadySubscribed}, {"1", Outcome::Subscribed},
        {"2", Outcome::InvalidUrl},        {"3", Outcome::NoFeedThere},
        {"4", Outcome::SeveralFeeds},      {"5", Outcome::NotDownloaded},
    };
    for (const auto& [code, outcome] : codes) {
        AccountError error;
        const AccountSubscription read = ttrss::readSubscription(
            json("{\"status\":{\"code\":" + code + ",\"feed_id\":8,\"message\":\"why\"}}"), error);
        EXPECT_TRUE(error.ok()) << code.constData();
        EXPECT_EQ(read.outcome, outcome) << code.constData();
        EXPECT_FALSE(read.describe().isEmpty());
    }
    AccountError error;
    const AccountSubscription several = ttrss::readSubscription(
        json("{\"status\":{\"code\":4,\"feeds\":{\"http://a.example/rss\":\"A\","
             "\"file:///etc/passwd\":\"B\",\"https://b.example/atom\":\"C\"}}}"),
        error);
    EXPECT_EQ(several.candidates, QStringList({"http://a.example/rss", "https://b.example/atom"}));
    EXPECT_TRUE(several.describe().contains(QStringLiteral("https://b.example/atom")));
    for (const QByteArray bad : {"{\"status\":{\"code\":6}}", "{\"status\":{\"code\":\"1\"}}",
                                 "{\"status\":{\"code\":1.5}}", "{\"status\":\"OK\"}"}) {
        AccountError wrong;
        (void)ttrss::readSubscription(json(bad), wrong);
        EXPECT_EQ(wrong.kind, Kind::BadAnswer) << bad.constData();
    }
}

// The base address or the API's, with or without its slash, leads to the API.
TEST(TtrssAnswers, FindTheApiFromEitherAddress) {
    const std::pair<QString, QString> cases[] = {
        {"https://example.com/tt-rss", "https://example.com/tt-rss/api/"},
        {"https://example.com/tt-rss/", "https://example.com/tt-rss/api/"},
        {"https://example.com/tt-rss/api", "https://example.com/tt-rss/api/"},
        {" https://example.com/tt-rss/api/?op=x#top ", "https://example.com/tt-rss/api/"},
        {"http://127.0.0.1:8080", "http://127.0.0.1:8080/api/"},
    };
    for (const auto& [given, api] : cases) {
        EXPECT_EQ(ttrss::apiUrl(given), api) << given;
    }
}

// Cancelled or gone, a client hears nothing more: its transfers end at once and a reply
// already on its way is dropped with it.
TEST(TtrssClientShutdown, NoReplyAfterCancelOrDestruction) {
    LoopbackServer server;
    server.hold(QStringLiteral("/silent/api/"));
    server.serve(QStringLiteral("/quick/api/"), "<html></html>", "text/html");
    HttpClient http;
    WorkerPool workers(1);
    AccountConnection connection{server.url(QStringLiteral("/silent")), QStringLiteral("u"),
                                 QStringLiteral("p")};
    bool replied = false;
    const auto reply = [&replied](const AccountFolder&, const AccountError&) { replied = true; };

    TtrssClient client(connection, http, workers);
    client.fetchTree(reply);
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.requestCount("/silent/api/") == 1; }));
    client.cancelAll();
    EXPECT_TRUE(QTest::qWaitFor([&] { return http.activeCount() == 0; }, 1000));

    auto gone = std::make_unique<TtrssClient>(connection, http, workers);
    gone->fetchTree(reply);
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.requestCount("/silent/api/") == 2; }));
    gone.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return http.activeCount() == 0; }, 1000));

    // The worker is kept busy until the client is gone, so the answer is read after.
    std::atomic<bool> release{false};
    workers.start([&release] {
        while (!release) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    connection.url = server.url(QStringLiteral("/quick"));
    auto answered = std::make_unique<TtrssClient>(connection, http, workers);
    answered->fetchTree(reply);
    ASSERT_TRUE(QTest::qWaitFor([&] { return http.activeCount() == 0; }, 5000));
    answered.reset();
    release = true;
    workers.stop(-1);
    QCoreApplication::processEvents();
    EXPECT_FALSE(replied);
}

}  // namespace
