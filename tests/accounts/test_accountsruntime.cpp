#include <QMetaObject>
#include <QSignalSpy>

#include "accounts/accountsruntime.h"
#include "accounts/accounttreefile.h"
#include "accounts/marklog.h"
#include "accounts/tickerchoices.h"
#include "patrol/frmtask.h"
#include "patrol/sourceintake.h"
#include "rules/displayrule.h"
#include "tests/accounts/accountfakes.h"
#include "tests/accounts/ttrsstest.h"
#include "tests/common/loopbackserver.h"
#include "tests/common/nullpatrolhost.h"
#include "tests/common/testenv.h"
#include "tests/platform/qstringprinter.h"

// The accounts as the program runs them, against the real server: headlines into the
// queue, read state back.

namespace {

class AccountsRuntimeTest : public TtrssTest {
protected:
    void SetUp() override {
        TtrssTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        env.state().settings.OLD_HIDE_FLG = false;
        account.number = 1;
        account.type = QStringLiteral("ttrss");
        account.url = connection.url;
        account.user = connection.user;
        ASSERT_TRUE(writeAccountsIni(accountsIniPath(env.dir()), {account}));
        secrets.passwords.insert(1, connection.password);
    }

    std::unique_ptr<AccountsRuntime> start() {
        auto runtime = std::make_unique<AccountsRuntime>(env.dir(), secrets, http, options);
        runtime->reload();
        EXPECT_TRUE(QTest::qWaitFor([&runtime] { return runtime->client(1) != nullptr; }, 30000));
        return runtime;
    }

    // One patrol of the accounts, waited for until its articles are in the queue.
    bool patrolOnce(AccountsRuntime& runtime) {
        QSignalSpy ended(&runtime, &AccountsRuntime::patrolEnded);
        runtime.patrol(intake);
        return ended.wait(120000) && QTest::qWaitFor([this] { return !intake->busy(); }, 30000);
    }

    // The feed at path on the [::1] server, subscribed and fetched by the server.
    QString subscribe(LoopbackServer& feeds, const QString& path, const QByteArray& body) {
        feeds.serve(path, body);
        const QString url = feeds.url(path);
        Got<AccountSubscription> got;
        const auto client = makeClient(connection);
        client->subscribe(url, {}, got.reply());
        EXPECT_TRUE(got.wait());
        EXPECT_TRUE(got.value.subscribed()) << got.value.describe();
        feedId = got.value.feedId.toInt();
        updateFeed();
        return url;
    }
    void updateFeed() { elsewhere({{"op", "updateFeed"}, {"feed_id", feedId}}); }

    bool readOnServer(const QString& id) {
        return sql(QStringLiteral("SELECT unread FROM ttrss_user_entries WHERE ref_id = %1")
                       .arg(id.toLongLong())) == QStringLiteral("f");
    }
    // The account's articles in the queue, by identity.
    QHash<QString, ArticleRecord> queued() {
        QHash<QString, ArticleRecord> found;
        const ArticleArray& queue = env.state().NewsQueue;
        for (int i = 1; i <= queue.lastIndex(); ++i) {
            EXPECT_FALSE(found.contains(queue[i].Identity)) << "twice: " << queue[i].Title;
            found.insert(queue[i].Identity, queue[i]);
        }
        return found;
    }
    void webServer(const char* command) {
        QProcess script;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QV_TTRSS_DIR"), QStringLiteral(QV_TTRSS_DIR));
        script.setProcessEnvironment(environment);
        script.start(QStringLiteral(QV_TTRSS_SCRIPT), {QString::fromLatin1(command)});
        ASSERT_TRUE(script.waitForFinished(60000));
        ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().constData();
    }

    TestEnv env;
    NullTicker ticker;
    RecordingStatus status;
    MemorySecrets secrets;
    std::shared_ptr<SourceIntake> intake =
        std::make_shared<SourceIntake>(env.state(), ticker, status);
    AccountSettings account;
    int feedId = 0;
};

// 450 unread headlines over three pages reach the queue each once, as the feed's; a patrol
// again queues none twice; one read elsewhere leaves the queue; one opened here is marked
// read on the server and stays; and a later run goes on from where this one read up to.
TEST_F(AccountsRuntimeTest, HeadlinesReachTheQueueOnceAndFollowTheReadState) {
    LoopbackServer feeds(LoopbackServer::Listen::Ipv6Port80);
    if (!feeds.isListening()) {
        GTEST_SKIP() << "cannot listen on [::1] port 80 for the server's feeds";
    }
    const QString url = subscribe(feeds, QStringLiteral("/big.xml"), rssFeed(0, 450));
    auto runtime = start();
    QSignalSpy trees(runtime.get(), &AccountsRuntime::treeChanged);
    ASSERT_TRUE(patrolOnce(*runtime));
    EXPECT_TRUE(runtime->status(1).problem.isEmpty()) << runtime->status(1).problem;
    QHash<QString, ArticleRecord> first = queued();
    ASSERT_EQ(first.size(), 450);
    QSet<QString> titles;
    for (const ArticleRecord& article : std::as_const(first)) {
        titles.insert(article.Title);
        EXPECT_EQ(article.Account, 1);
        EXPECT_EQ(article.FeedUrl, url);
        EXPECT_EQ(article.SiteTitle, QStringLiteral("Big"));
    }
    EXPECT_EQ(titles.size(), 450);
    ASSERT_TRUE(trees.count() > 0 || trees.wait(10000));
    const AccountFolder tree = readAccountTreeFile(accountTreePath(env.dir(), 1));
    ASSERT_EQ(tree.feeds.size(), 1);
    EXPECT_EQ(tree.feeds.first().feedUrl, url);

    ASSERT_TRUE(patrolOnce(*runtime));
    EXPECT_EQ(queued().size(), 450);

    const QString theirs = env.state().NewsQueue[5].Identity;
    elsewhere({{"op", "updateArticle"}, {"article_ids", theirs}, {"mode", 0}, {"field", 2}});
    const ArticleRecord mine = env.state().NewsQueue[1];
    QSignalSpy sent(runtime.get(), &AccountsRuntime::marksSent);
    runtime->articleOpened(mine);
    ASSERT_TRUE(sent.wait(60000));
    EXPECT_TRUE(readOnServer(mine.Identity));
    EXPECT_TRUE(readMarks(markLogPath(env.dir(), 1)).isEmpty());
    ASSERT_TRUE(patrolOnce(*runtime));
    const QHash<QString, ArticleRecord> after = queued();
    EXPECT_EQ(after.size(), 449);
    EXPECT_FALSE(after.contains(theirs));
    EXPECT_TRUE(after.contains(mine.Identity));

    // The next run asks only for what is newer than what this one read.
    runtime.reset();
    env.state().NewsQueue.clear();
    feeds.serve(QStringLiteral("/big.xml"), rssFeed(0, 452));
    updateFeed();
    runtime = start();
    ASSERT_TRUE(patrolOnce(*runtime));
    QStringList fresh;
    for (const ArticleRecord& article : queued()) {
        fresh.append(article.Title);
    }
    fresh.sort();
    EXPECT_EQ(fresh, QStringList({"Item 450", "Item 451"}));
}

// A feed kept out of the ticker: its headlines leave the queue and never reach it again,
// through the server's tree written anew at every patrol and through a new run; let in
// again, its unread headlines come back.
TEST_F(AccountsRuntimeTest, AFeedKeptOutOfTheTickerStaysOutAcrossPatrolsAndRuns) {
    LoopbackServer feeds(LoopbackServer::Listen::Ipv6Port80);
    if (!feeds.isListening()) {
        GTEST_SKIP() << "cannot listen on [::1] port 80 for the server's feeds";
    }
    const QString loudUrl = subscribe(feeds, QStringLiteral("/loud.xml"), rssFeed(0, 5));
    const QString loud = QString::number(feedId);
    const QString quietUrl = subscribe(feeds, QStringLiteral("/quiet.xml"), rssFeed(100, 103));
    const auto fromFeed = [this](const QString& url) {
        int n = 0;
        for (const ArticleRecord& article : queued()) {
            n += article.FeedUrl == url ? 1 : 0;
        }
        return n;
    };
    const auto keepOut = [](AccountsRuntime& runtime, const QString& id, bool out) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return runtime.feedInTicker(1, id).has_value(); }));
        bool written = false;
        runtime.setFeedInTicker(1, id, !out, [&written](const QString& error) {
            EXPECT_EQ(error, QString());
            written = true;
        });
        EXPECT_EQ(runtime.feedInTicker(1, id), std::optional<bool>(!out));
        ASSERT_TRUE(QTest::qWaitFor([&written] { return written; }));
    };
    auto runtime = start();
    ASSERT_TRUE(patrolOnce(*runtime));
    ASSERT_EQ(fromFeed(loudUrl), 5);
    ASSERT_EQ(fromFeed(quietUrl), 3);

    keepOut(*runtime, loud, true);
    for (int patrol = 0; patrol < 2; ++patrol) {
        ASSERT_TRUE(patrolOnce(*runtime));
        EXPECT_EQ(fromFeed(loudUrl), 0);
        EXPECT_EQ(fromFeed(quietUrl), 3);
    }
    EXPECT_FALSE(readAccountTreeFile(accountTreePath(env.dir(), 1)).feeds.isEmpty());

    // A new run asks for every unread headline again (no cursor): the feed's are new to it,
    // and never reach the queue.
    runtime.reset();
    env.state().NewsQueue.clear();
    ASSERT_TRUE(QFile::remove(cursorPath(env.dir(), 1)));
    runtime = start();
    ASSERT_TRUE(patrolOnce(*runtime));
    EXPECT_EQ(runtime->feedInTicker(1, loud), std::optional<bool>(false));
    EXPECT_EQ(fromFeed(loudUrl), 0);
    EXPECT_EQ(fromFeed(quietUrl), 3);

    keepOut(*runtime, loud, false);
    ASSERT_TRUE(patrolOnce(*runtime));
    EXPECT_EQ(fromFeed(loudUrl), 5);
    EXPECT_FALSE(QFile::exists(hiddenFeedsPath(env.dir(), 1)));
}

// The server goes away: the patrol says which account failed and why, the queue keeps what
// it had, an article opened meanwhile waits on the disk; once the server is back the next
// patrol sends it.
TEST_F(AccountsRuntimeTest, MarksWaitForAServerThatWentAway) {
    LoopbackServer feeds(LoopbackServer::Listen::Ipv6Port80);
    if (!feeds.isListening()) {
        GTEST_SKIP() << "cannot listen on [::1] port 80 for the server's feeds";
    }
    subscribe(feeds, QStringLiteral("/small.xml"), rssFeed(0, 20));
    auto runtime = start();
    ASSERT_TRUE(patrolOnce(*runtime));
    ASSERT_EQ(queued().size(), 20);

    webServer("stop-web");
    const ArticleRecord mine = env.state().NewsQueue[3];
    runtime->articleOpened(mine);
    const QString marks = markLogPath(env.dir(), 1);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return readMarks(marks) == QStringList{mine.Identity}; }, 30000));
    ASSERT_TRUE(patrolOnce(*runtime));
    const QString problem = runtime->status(1).problem;
    EXPECT_TRUE(problem.startsWith(account.displayName() + QStringLiteral(": "))) << problem;
    EXPECT_FALSE(runtime->status(1).stopped);
    ASSERT_FALSE(status.lines.isEmpty());
    EXPECT_EQ(status.lines.last(), problem);
    EXPECT_EQ(queued().size(), 20);
    EXPECT_EQ(runtime->pendingMarks(1), QStringList{mine.Identity});

    webServer("start-web");
    QSignalSpy sent(runtime.get(), &AccountsRuntime::marksSent);
    ASSERT_TRUE(patrolOnce(*runtime));
    ASSERT_TRUE(sent.count() > 0 || sent.wait(60000));
    EXPECT_TRUE(readOnServer(mine.Identity));
    EXPECT_TRUE(runtime->status(1).problem.isEmpty()) << runtime->status(1).problem;
    EXPECT_EQ(queued().size(), 20);
}

// A wrong password stops the account until its settings change: no more requests that
// would fail alike.
TEST_F(AccountsRuntimeTest, AWrongPasswordStopsTheAccountUntilItChanges) {
    secrets.passwords.insert(1, QStringLiteral("not the password"));
    auto runtime = start();
    ASSERT_TRUE(patrolOnce(*runtime));
    EXPECT_TRUE(runtime->status(1).stopped);
    EXPECT_TRUE(runtime->status(1).problem.startsWith(account.displayName()))
        << runtime->status(1).problem;
    EXPECT_EQ(runtime->client(1), nullptr);
    runtime->patrol(intake);
    EXPECT_FALSE(runtime->isSyncing(1));
    // The article list of one of its articles says why it stays empty.
    ArticleRecord of;
    of.Account = 1;
    of.Identity = QStringLiteral("1");
    bool listed = false;
    QString why;
    ASSERT_TRUE(
        runtime->listFeed(of, [&](const QList<ArticleRecord>& articles, const QString& error) {
            listed = articles.isEmpty();
            why = error;
        }));
    ASSERT_TRUE(QTest::qWaitFor([&listed] { return listed; }, 10000));
    EXPECT_EQ(why, runtime->status(1).problem);

    secrets.passwords.insert(1, connection.password);
    runtime->reload();
    ASSERT_TRUE(QTest::qWaitFor([&runtime] { return runtime->client(1) != nullptr; }, 30000));
    EXPECT_FALSE(runtime->status(1).stopped);
    ASSERT_TRUE(patrolOnce(*runtime));
    EXPECT_TRUE(runtime->status(1).problem.isEmpty()) << runtime->status(1).problem;
}

// The article list of an account's article, as the patrol window loads it: the newest
// articles of that article's server feed, read or not, and none of another feed, judged by
// the display rules; a list for another feed replaced meanwhile never fills it. With the
// server gone the list stays empty and the status line names the account and the reason.
TEST_F(AccountsRuntimeTest, TheListOfAnArticlesFeedHoldsThatFeedsArticlesAlone) {
    LoopbackServer feeds(LoopbackServer::Listen::Ipv6Port80);
    if (!feeds.isListening()) {
        GTEST_SKIP() << "cannot listen on [::1] port 80 for the server's feeds";
    }
    const QString a = subscribe(feeds, QStringLiteral("/a.xml"), rssFeed(0, 5));
    const QString b = subscribe(feeds, QStringLiteral("/b.xml"), rssFeed(100, 103));
    env.writeFile(QStringLiteral("rules.txt"), "mute\tItem 3\n");
    ASSERT_TRUE(reloadRules(env.state().rulesStore()));
    auto runtime = start();
    ASSERT_TRUE(patrolOnce(*runtime));
    ArticleRecord ofA;
    ArticleRecord ofB;
    for (const ArticleRecord& article : queued()) {
        (article.FeedUrl == a ? ofA : ofB) = article;
    }
    ASSERT_FALSE(ofA.Identity.isEmpty());
    ASSERT_EQ(ofB.FeedUrl, b);
    // Read elsewhere: listed all the same.
    elsewhere({{"op", "updateArticle"}, {"article_ids", ofA.Identity}, {"mode", 0}, {"field", 2}});

    env.state().articleSources = {runtime.get()};
    frmTask task(env.state(), ticker, status);
    int listsOfB = 0;
    bool listedA = false;
    ASSERT_TRUE(task.loadSourceList(ofB, [&listsOfB] { ++listsOfB; }));
    ASSERT_TRUE(task.loadSourceList(ofA, [&listedA] { listedA = true; }));
    ASSERT_TRUE(QTest::qWaitFor([&listedA] { return listedA; }, 60000));
    EXPECT_EQ(listsOfB, 0);
    const ArticleArray& listed = env.state().ListArticles;
    QStringList titles;
    for (int i = 1; i <= listed.lastIndex(); ++i) {
        titles.append(listed[i].Title);
        EXPECT_EQ(listed[i].FeedUrl, a);
        EXPECT_EQ(listed[i].Account, 1);
        EXPECT_EQ(listed[i].SiteIndex, -1);
        EXPECT_FALSE(listed[i].Identity.isEmpty());
        EXPECT_EQ(listed[i].Display == RuleAction::Mute, listed[i].Title == "Item 3")
            << listed[i].Title;
    }
    titles.sort();
    EXPECT_EQ(titles, QStringList({"Item 0", "Item 1", "Item 2", "Item 3", "Item 4"}));
    ASSERT_FALSE(status.lines.isEmpty());
    EXPECT_EQ(status.lines.last(), QStringLiteral("完了"));

    webServer("stop-web");
    env.state().ListArticles.clear();
    bool failed = false;
    ASSERT_TRUE(task.loadSourceList(ofB, [&failed] { failed = true; }));
    const bool answered = QTest::qWaitFor([&failed] { return failed; }, 60000);
    webServer("start-web");
    ASSERT_TRUE(answered);
    EXPECT_TRUE(env.state().ListArticles.isEmpty());
    EXPECT_TRUE(status.lines.last().startsWith(account.displayName() + QStringLiteral(": ")))
        << status.lines.last();
    EXPECT_EQ(listsOfB, 0);
    env.state().articleSources.clear();
}

}  // namespace
