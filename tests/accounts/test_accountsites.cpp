#include <QFile>
#include <QProcess>
#include <QTest>
#include <memory>

#include "accounts/accountclients.h"
#include "accounts/accountsservice.h"
#include "accounts/accounttreefile.h"
#include "platform/net/httpclient.h"
#include "platform/system/workerpool.h"
#include "sitepane/accounttrees.h"
#include "tests/accounts/ttrssserver.h"
#include "tests/common/loopbackserver.h"
#include "tests/sitepane/sitepanefixture.h"

// The account's folder in the site tree against the Tiny Tiny RSS server that
// scripts/ttrss-server brings up: a new site there subscribes on the server, a deletion
// unsubscribes, and the tree follows.

namespace {

// One account, connected for real.
class OneAccount final : public AccountsService {
public:
    AccountSettings settings;
    std::unique_ptr<AccountClient> connected;
    [[nodiscard]] QList<AccountSettings> accounts() const override { return {settings}; }
    [[nodiscard]] Status status(int) const override { return {}; }
    [[nodiscard]] AccountClient* client(int number) const override {
        return number == settings.number ? connected.get() : nullptr;
    }
    void reload() override {}
};

class AccountSiteTest : public SitePaneTest {
protected:
    void SetUp() override {
        SitePaneTest::SetUp();
        QV_NEED_TTRSS_SERVER(server);
        emptyTtrssAccount(server);
        service.settings.number = 1;
        service.settings.type = QStringLiteral("ttrss");
        service.settings.url = server.value("TTRSS_URL");
        service.settings.user = server.value("TTRSS_USER");
        FetchOptions options;
        options.connectTimeoutMs = 5000;
        options.totalTimeoutMs = 120000;
        service.connected = makeAccountClient(
            QStringLiteral("ttrss"),
            {service.settings.url, service.settings.user, server.value("TTRSS_PASSWORD")}, http,
            workers, options);
        ASSERT_NE(service.connected, nullptr);
    }

    QString sql(const QString& statements) { return ttrssSql(server, statements); }

    // The account's folder as "title[children]", as the tree shows it.
    QString accountShape() {
        const QString all = shape();
        const qsizetype at = all.indexOf(service.settings.displayName());
        return at < 0 ? QString() : all.mid(at + service.settings.displayName().size());
    }

    bool waitFor(const std::function<bool()>& done) { return QTest::qWaitFor(done, 20000); }

    QHash<QByteArray, QString> server;
    HttpClient http;
    WorkerPool workers{1};
    OneAccount service;
};

TEST_F(AccountSiteTest, NewSiteSubscribesOnTheServerAndDeleteUnsubscribesAfterTheQuestion) {
    LoopbackServer feeds(LoopbackServer::Listen::Ipv6Port80);
    if (!feeds.isListening()) {
        GTEST_SKIP() << "cannot listen on [::1] port 80 for the server's feeds";
    }
    feeds.serve(QStringLiteral("/feed.xml"),
                "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Loopback news"
                "</title><link>http://example.com/</link><item><title>One</title>"
                "<link>http://example.com/1</link></item></channel></rss>");
    feeds.serve(QStringLiteral("/page.html"), "<html><head><title>x</title></head></html>",
                "text/html");
    // A folder the server shows: one that holds a feed.
    sql(QStringLiteral("INSERT INTO ttrss_feed_categories (id, owner_uid, title) SELECT 900, id, "
                       "'Tech' FROM ttrss_users WHERE login = '%1';"
                       "INSERT INTO ttrss_feeds (owner_uid, title, cat_id, feed_url) SELECT id, "
                       "'Old', 900, 'http://[::1]/old.xml' FROM ttrss_users WHERE login = '%1';")
            .arg(service.settings.user));
    const QString techId = QStringLiteral("900");
    pane->useAccounts(&service);
    // The tree file comes from the server the first time: nothing was written yet.
    pane->accounts->refreshFromServer(1);
    ASSERT_TRUE(waitFor([this] { return accountShape() == QLatin1String("[Tech[Old]]"); }))
        << shape().toStdString() << " " << host.statusTexts.join(QLatin1Char('|')).toStdString();

    // In a folder of the account: subscribed there.
    const QString url = feeds.url(QStringLiteral("/feed.xml"));
    click(qPrintable(QStringLiteral("A1/c/") + techId));
    state().NewSiteRow.strXmlUrl = url;
    editor().mnuNewRdf_Click_Ret();
    ASSERT_TRUE(waitFor([this] {
        return accountShape() == QLatin1String("[Tech[Loopback news,Old]]");
    })) << accountShape().toStdString();
    EXPECT_EQ(sql(QStringLiteral("SELECT cat_id FROM ttrss_feeds WHERE feed_url = '%1'").arg(url)),
              techId);
    EXPECT_TRUE(host.statusTexts.last().contains(AccountSubscription().describe()));
    // Nothing reached the user's list, and the file holds the server's tree for the next start.
    EXPECT_EQ(state().SiteTable.size(), 0);
    const AccountFolder onDisk = readAccountTreeFile(accountTreePath(env.dir(), 1));
    ASSERT_EQ(onDisk.folders.size(), 1);
    ASSERT_EQ(onDisk.folders.first().feeds.size(), 2);
    EXPECT_EQ(onDisk.folders.first().feeds.first().feedUrl, url);

    // A page that names no feed: said plainly, nothing changes.
    state().NewSiteRow.strXmlUrl = feeds.url(QStringLiteral("/page.html"));
    editor().mnuNewRdf_Click_Ret();
    ASSERT_TRUE(waitFor([this] { return !env.messageBox.shown.isEmpty(); }));
    AccountSubscription noFeed;
    noFeed.outcome = AccountSubscription::Outcome::NoFeedThere;
    EXPECT_TRUE(env.messageBox.shown.last().text.contains(noFeed.describe()));

    // Deleting the feed asks first; Cancel keeps it, OK ends the subscription.
    const QString feedId =
        sql(QStringLiteral("SELECT id FROM ttrss_feeds WHERE feed_url = '%1'").arg(url));
    click(qPrintable(QStringLiteral("A1/f/") + feedId));
    EXPECT_EQ(panel().txtRDFPath->text(), url);
    env.messageBox.answers = {MsgResult::Cancel};
    editor().mnuDelete_Click();
    EXPECT_TRUE(env.messageBox.shown.last().text.contains(QLatin1String("Loopback news")));
    editor().mnuDelete_Click();
    ASSERT_TRUE(waitFor([this] { return accountShape() == QLatin1String("[Tech[Old]]"); }))
        << accountShape().toStdString();
    EXPECT_EQ(sql(QStringLiteral("SELECT count(*) FROM ttrss_feeds")), QStringLiteral("1"));
    EXPECT_EQ(env.messageBox.shown.size(), 3);
}

}  // namespace
