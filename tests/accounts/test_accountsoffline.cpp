#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "accounts/accountsruntime.h"
#include "accounts/marklog.h"
#include "patrol/sourceintake.h"
#include "platform/net/httpclient.h"
#include "tests/accounts/accountfakes.h"
#include "tests/common/loopbackserver.h"
#include "tests/common/nullpatrolhost.h"
#include "tests/common/testenv.h"
#include "tests/platform/qstringprinter.h"

// The accounts against servers that are no Tiny Tiny RSS: answers it cannot take, and one
// that never answers.

namespace {

class AccountsOfflineTest : public ::testing::Test {
protected:
    // An account at path of the loopback server.
    std::unique_ptr<AccountsRuntime> start(const QString& path, bool markWhenShown = false) {
        AccountSettings account;
        account.number = 2;
        account.type = QStringLiteral("ttrss");
        account.url = server.url(path);
        account.user = QStringLiteral("alice");
        account.markReadWhenShown = markWhenShown;
        name = account.displayName();
        EXPECT_TRUE(writeAccountsIni(accountsIniPath(env.dir()), {account}));
        secrets.passwords.insert(2, QStringLiteral("secret"));
        auto runtime = std::make_unique<AccountsRuntime>(env.dir(), secrets, http, options);
        runtime->reload();
        EXPECT_TRUE(QTest::qWaitFor([&runtime] { return runtime->client(2) != nullptr; }, 10000));
        return runtime;
    }

    TestEnv env;
    NullTicker ticker;
    RecordingStatus status;
    MemorySecrets secrets;
    std::shared_ptr<SourceIntake> intake =
        std::make_shared<SourceIntake>(env.state(), ticker, status);
    LoopbackServer server;
    HttpClient http;
    FetchOptions options;
    QString name;
};

// An HTML page, a 5xx, a cut answer: the status line names the account and the reason, the
// queue keeps what it had, and the account is asked again at the next patrol.
TEST_F(AccountsOfflineTest, AnAnswerThatIsNoApiAnswerIsNamedAndTriedAgain) {
    server.serve(QStringLiteral("/page/api/"), "<!DOCTYPE html><html><body>Hi</body></html>",
                 "text/html");
    LoopbackServer::Response broken;
    broken.status = 502;
    server.route(QStringLiteral("/broken/api/"), broken);
    server.serve(QStringLiteral("/cut/api/"), "{\"seq\":0,\"status\":0,\"content\":{\"sess",
                 "text/json");
    ArticleRecord kept;
    kept.Title = QStringLiteral("kept");
    kept.Account = 2;
    kept.Identity = QStringLiteral("5");
    env.state().NewsQueue.append(kept);
    for (const QString& path :
         {QStringLiteral("/page/"), QStringLiteral("/broken/"), QStringLiteral("/cut/")}) {
        auto runtime = start(path);
        for (int patrol = 0; patrol < 2; ++patrol) {
            QSignalSpy ended(runtime.get(), &AccountsRuntime::patrolEnded);
            runtime->patrol(intake);
            ASSERT_TRUE(ended.wait(10000)) << path.toStdString();
            const AccountsService::Status said = runtime->status(2);
            EXPECT_FALSE(said.stopped) << path.toStdString();
            EXPECT_TRUE(said.problem.startsWith(name + QStringLiteral(": ")) &&
                        said.problem.size() > name.size() + 2)
                << said.problem.toStdString();
            ASSERT_FALSE(status.lines.isEmpty());
            EXPECT_EQ(status.lines.last(), said.problem);
        }
        EXPECT_EQ(env.state().NewsQueue.lastIndex(), 1);
    }
}

// The exit during a patrol that waits on a server that never answers: it ends at once, and
// an article opened just before is on the disk.
TEST_F(AccountsOfflineTest, TheExitDuringASyncEndsAtOnceAndKeepsTheMarks) {
    LoopbackServer::Response hold;
    hold.hold = true;
    server.route(QStringLiteral("/hang/api/"), hold);
    auto runtime = start(QStringLiteral("/hang/"));
    runtime->patrol(intake);
    ASSERT_TRUE(QTest::qWaitFor([&runtime] { return runtime->isSyncing(2); }, 10000));
    ArticleRecord read;
    read.Account = 2;
    read.Identity = QStringLiteral("77");
    runtime->articleOpened(read);
    // Shown is not read unless the account says so.
    ArticleRecord shown = read;
    shown.Identity = QStringLiteral("78");
    runtime->articleShown(shown);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(runtime->shutdown(500));
    runtime.reset();
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(readMarks(markLogPath(env.dir(), 2)), QStringList{QStringLiteral("77")});

    // With mark_read_when_shown=1, what the ticker has shown is marked read too, after what
    // was marked before.
    runtime = start(QStringLiteral("/hang/"), true);
    runtime->articleShown(shown);
    runtime->articleShown(shown);
    EXPECT_TRUE(runtime->shutdown(500));
    EXPECT_EQ(readMarks(markLogPath(env.dir(), 2)),
              QStringList({QStringLiteral("77"), QStringLiteral("78")}));
}

}  // namespace
