#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTest>
#include <gtest/gtest.h>

#include "accounts/ttrss/ttrssclient.h"
#include "tests/accounts/ttrsstest.h"
#include "platform/net/httpclient.h"
#include "platform/system/workerpool.h"
#include "tests/common/loopbackserver.h"
#include "tests/platform/qstringprinter.h"

namespace {

using TtrssClientTest = TtrssTest;

// Log-in and every way it can fail is named as such.
TEST_F(TtrssClientTest, LogsInAndNamesEachFailure) {
    using Kind = AccountError::Kind;
    Got<AccountLogin> good;
    const auto client = makeClient(connection);
    client->logIn(good.reply());
    ASSERT_TRUE(good.wait());
    EXPECT_TRUE(good.error.ok()) << good.error.message;
    EXPECT_EQ(good.value.apiLevel, QStringLiteral("15"));

    const auto failureFor = [this](const AccountConnection& to) {
        Got<AccountFolder> got;
        const auto asking = makeClient(to);
        asking->fetchTree(got.reply());
        EXPECT_TRUE(got.wait());
        return got.error;
    };
    AccountConnection wrong = connection;
    wrong.password = QStringLiteral("not the password");
    EXPECT_EQ(failureFor(wrong).kind, Kind::WrongCredentials);

    sql(QStringLiteral(
        "UPDATE ttrss_user_prefs SET value = 'false' WHERE pref_name = 'ENABLE_API_ACCESS'"));
    const AccountError off = failureFor(connection);
    EXPECT_EQ(off.kind, Kind::ApiDisabled);
    EXPECT_TRUE(off.message.contains(QStringLiteral("Enable API"))) << off.message;

    LoopbackServer other;
    other.serve(QStringLiteral("/page/api/"), "<!DOCTYPE html><html><body>Hello</body></html>",
                "text/html");
    other.serve(QStringLiteral("/cut/api/"), "{\"seq\":0,\"status\":0,\"content\":{\"session_",
                "text/json");
    LoopbackServer::Response broken;
    broken.status = 503;
    other.route(QStringLiteral("/broken/api/"), broken);
    const std::pair<QString, Kind> cases[] = {
        {QStringLiteral("/page/"), Kind::NotAnAggregator},
        {QStringLiteral("/cut/api"), Kind::Truncated},
        {QStringLiteral("/broken"), Kind::ServerError},
        {QStringLiteral("/nothing/"), Kind::NotAnAggregator},
    };
    for (const auto& [path, kind] : cases) {
        AccountConnection to = connection;
        to.url = other.url(path);
        const AccountError error = failureFor(to);
        EXPECT_EQ(error.kind, kind) << path << ": " << error.message;
        EXPECT_FALSE(error.message.isEmpty());
    }
    AccountConnection gone = connection;
    gone.url = other.url(QStringLiteral("/"));
    other.stop();
    const AccountError refused = failureFor(gone);
    EXPECT_EQ(refused.kind, Kind::Network);
    EXPECT_TRUE(refused.message.contains(QStringLiteral("onnect"))) << refused.message;
}

// Folders nest as on the server, each feed with its URL; the probe prints the same tree.
TEST_F(TtrssClientTest, TheTreeHoldsNestedFoldersWithTheirFeeds) {
    sql(QStringLiteral(
            "INSERT INTO ttrss_feed_categories (id, owner_uid, title) SELECT 900, id, 'News' FROM "
            "ttrss_users WHERE login = '%1';"
            "INSERT INTO ttrss_feed_categories (id, owner_uid, title, parent_cat) SELECT 901, id, "
            "'Tech', 900 FROM ttrss_users WHERE login = '%1';"
            "INSERT INTO ttrss_feed_categories (id, owner_uid, title, parent_cat) SELECT 902, id, "
            "'Deeper', 901 FROM ttrss_users WHERE login = '%1';"
            "INSERT INTO ttrss_feeds (owner_uid, title, cat_id, feed_url) SELECT id, t, c, u FROM "
            "ttrss_users, (VALUES ('Deep feed', 902, 'http://[::1]/deep.xml'), ('News feed', 900, "
            "'http://[::1]/news.xml'), ('Loose feed', NULL, 'http://[::1]/loose.xml')) AS f(t, c, "
            "u) WHERE login = '%1';")
            .arg(connection.user));
    Got<AccountFolder> tree;
    const auto client = makeClient(connection);
    client->fetchTree(tree.reply());
    ASSERT_TRUE(tree.wait());
    ASSERT_TRUE(tree.error.ok()) << tree.error.message;
    ASSERT_EQ(tree.value.folders.size(), 1);
    const AccountFolder& news = tree.value.folders.first();
    EXPECT_EQ(news.title, QStringLiteral("News"));
    ASSERT_EQ(news.feeds.size(), 1);
    EXPECT_EQ(news.feeds.first().feedUrl, QStringLiteral("http://[::1]/news.xml"));
    ASSERT_EQ(news.folders.size(), 1);
    ASSERT_EQ(news.folders.first().folders.size(), 1);
    const AccountFolder& deeper = news.folders.first().folders.first();
    EXPECT_EQ(deeper.title, QStringLiteral("Deeper"));
    ASSERT_EQ(deeper.feeds.size(), 1);
    EXPECT_EQ(deeper.feeds.first().title, QStringLiteral("Deep feed"));
    ASSERT_EQ(tree.value.feeds.size(), 1);
    EXPECT_EQ(tree.value.feeds.first().feedUrl, QStringLiteral("http://[::1]/loose.xml"));

    QProcess probe;
    probe.start(QStringLiteral(QV_PROBE_PATH), {QStringLiteral("account"), connection.url,
                                                connection.user, QStringLiteral("tree")});
    probe.write(connection.password.toUtf8() + '\n');
    probe.closeWriteChannel();
    ASSERT_TRUE(probe.waitForFinished(60000));
    EXPECT_EQ(probe.exitCode(), 0) << probe.readAllStandardError().constData();
    EXPECT_EQ(probe.readAllStandardOutput(),
              "News/\n"
              "  Tech/\n"
              "    Deeper/\n"
              "      Deep feed\thttp://[::1]/deep.xml\n"
              "  News feed\thttp://[::1]/news.xml\n"
              "Loose feed\thttp://[::1]/loose.xml\n");
}

// Subscribing answers each of the server's outcomes; unsubscribing removes the feed.
TEST_F(TtrssClientTest, SubscribesAndUnsubscribes) {
    LoopbackServer feeds(LoopbackServer::Listen::Ipv6Port80);
    if (!feeds.isListening()) {
        GTEST_SKIP() << "cannot listen on [::1] port 80 for the server's feeds";
    }
    feeds.serve(QStringLiteral("/feed.xml"), rssFeed(0, 2));
    feeds.serve(QStringLiteral("/page.html"), "<html><head><title>x</title></head></html>",
                "text/html");
    const auto client = makeClient(connection);
    const auto subscribe = [&client](const QString& url) {
        Got<AccountSubscription> got;
        client->subscribe(url, {}, got.reply());
        EXPECT_TRUE(got.wait());
        EXPECT_TRUE(got.error.ok()) << got.error.message;
        EXPECT_FALSE(got.value.describe().isEmpty());
        return got.value;
    };
    using Outcome = AccountSubscription::Outcome;
    const AccountSubscription first = subscribe(feeds.url(QStringLiteral("/feed.xml")));
    EXPECT_EQ(first.outcome, Outcome::Subscribed);
    EXPECT_FALSE(first.feedId.isEmpty());
    EXPECT_EQ(subscribe(feeds.url(QStringLiteral("/feed.xml"))).outcome,
              Outcome::AlreadySubscribed);
    EXPECT_EQ(subscribe(QStringLiteral("not a url")).outcome, Outcome::InvalidUrl);
    EXPECT_EQ(subscribe(feeds.url(QStringLiteral("/page.html"))).outcome, Outcome::NoFeedThere);
    const AccountSubscription missing = subscribe(feeds.url(QStringLiteral("/missing.xml")));
    EXPECT_EQ(missing.outcome, Outcome::NotDownloaded);

    Got<bool> removed;
    client->unsubscribe(first.feedId, removed.reply());
    ASSERT_TRUE(removed.wait());
    EXPECT_TRUE(removed.error.ok()) << removed.error.message;
    EXPECT_EQ(sql(QStringLiteral("SELECT count(*) FROM ttrss_feeds")), QStringLiteral("0"));
    Got<bool> again;
    client->unsubscribe(first.feedId, again.reply());
    ASSERT_TRUE(again.wait());
    EXPECT_EQ(again.error.kind, AccountError::Kind::Refused);
}

// 450 unread headlines come over three pages, each once; the cursor then brings only what
// is newer, an article marked read leaves the unread set, and so does one read elsewhere.
TEST_F(TtrssClientTest, WalksEveryUnreadHeadlineOnceAndFollowsTheReadState) {
    LoopbackServer feeds(LoopbackServer::Listen::Ipv6Port80);
    if (!feeds.isListening()) {
        GTEST_SKIP() << "cannot listen on [::1] port 80 for the server's feeds";
    }
    const QString url = feeds.url(QStringLiteral("/big.xml"));
    feeds.serve(QStringLiteral("/big.xml"), rssFeed(0, 450));
    const auto client = makeClient(connection);
    Got<AccountSubscription> subscribed;
    client->subscribe(url, {}, subscribed.reply());
    ASSERT_TRUE(subscribed.wait());
    ASSERT_TRUE(subscribed.value.subscribed()) << subscribed.value.describe();
    const auto update = [&] {
        elsewhere({{"op", "updateFeed"}, {"feed_id", subscribed.value.feedId.toInt()}});
    };
    update();

    Got<AccountUnread> all;
    client->fetchUnread({QString(), true}, all.reply());
    ASSERT_TRUE(all.wait());
    ASSERT_TRUE(all.error.ok()) << all.error.message;
    QSet<QString> titles;
    QSet<QString> ids;
    for (const AccountHeadline& headline : all.value.headlines) {
        titles.insert(headline.title);
        ids.insert(headline.id);
        EXPECT_EQ(headline.feedUrl, url);
    }
    EXPECT_EQ(all.value.headlines.size(), 450);
    EXPECT_EQ(titles.size(), 450);
    EXPECT_EQ(ids, all.value.unreadIds);
    ASSERT_FALSE(all.value.cursor.isEmpty());

    feeds.serve(QStringLiteral("/big.xml"), rssFeed(0, 455));
    update();
    Got<AccountUnread> fresh;
    client->fetchUnread({all.value.cursor, false}, fresh.reply());
    ASSERT_TRUE(fresh.wait());
    ASSERT_TRUE(fresh.error.ok()) << fresh.error.message;
    QStringList freshTitles;
    for (const AccountHeadline& headline : fresh.value.headlines) {
        freshTitles.append(headline.title);
    }
    freshTitles.sort();
    EXPECT_EQ(freshTitles,
              QStringList({"Item 450", "Item 451", "Item 452", "Item 453", "Item 454"}));

    const QStringList mine = {all.value.headlines.at(0).id, all.value.headlines.at(1).id,
                              QStringLiteral("not an id")};
    Got<qint64> marked;
    client->markRead(mine, marked.reply());
    ASSERT_TRUE(marked.wait());
    ASSERT_TRUE(marked.error.ok()) << marked.error.message;
    EXPECT_EQ(marked.value, 2);
    const QString theirs = all.value.headlines.at(2).id;
    elsewhere({{"op", "updateArticle"}, {"article_ids", theirs}, {"mode", 0}, {"field", 2}});

    Got<AccountUnread> after;
    client->fetchUnread({fresh.value.cursor, true}, after.reply());
    ASSERT_TRUE(after.wait());
    ASSERT_TRUE(after.error.ok()) << after.error.message;
    EXPECT_EQ(after.value.unreadIds.size(), 455 - 3);
    EXPECT_FALSE(after.value.unreadIds.contains(mine.at(0)));
    EXPECT_FALSE(after.value.unreadIds.contains(theirs));
    EXPECT_TRUE(after.value.headlines.isEmpty());
    EXPECT_EQ(after.value.cursor, fresh.value.cursor);
}

// A server that forgot every session (restarted with its sessions gone) is logged in to
// again, once, and the request repeated.
TEST_F(TtrssClientTest, LogsInAgainWhenTheServerForgetsTheSession) {
    const auto client = makeClient(connection);
    Got<AccountFolder> before;
    client->fetchTree(before.reply());
    ASSERT_TRUE(before.wait());
    ASSERT_TRUE(before.error.ok()) << before.error.message;
    const QString firstSession = sql(QStringLiteral("SELECT id FROM ttrss_sessions"));

    sql(QStringLiteral("DELETE FROM ttrss_sessions"));
    QProcess restart;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QV_TTRSS_DIR"), QStringLiteral(QV_TTRSS_DIR));
    restart.setProcessEnvironment(environment);
    restart.start(QStringLiteral(QV_TTRSS_SCRIPT), {QStringLiteral("restart-web")});
    ASSERT_TRUE(restart.waitForFinished(60000));
    ASSERT_EQ(restart.exitCode(), 0) << restart.readAllStandardError().constData();

    Got<AccountFolder> after;
    client->fetchTree(after.reply());
    ASSERT_TRUE(after.wait());
    EXPECT_TRUE(after.error.ok()) << after.error.message;
    const QString secondSession = sql(QStringLiteral("SELECT id FROM ttrss_sessions"));
    EXPECT_FALSE(secondSession.isEmpty());
    EXPECT_NE(secondSession, firstSession);
}

}  // namespace
