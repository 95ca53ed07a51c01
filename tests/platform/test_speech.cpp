#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/speech/threadedspeech.h"
#include "tests/platform/qstringprinter.h"

namespace {

// A speech server as the engine's backends see it, steered by the test. A hung server blocks
// the backend's calls in the chosen place until it is released.
struct FakeSpeechServer {
    enum class HangIn { Nothing, Connect, Say, Close };

    // Blocks the calling (speech) thread while the server hangs in where.
    void hangIf(HangIn where) {
        std::unique_lock lock(mutex);
        if (hangIn == where) {
            ++hung;
            released.wait(lock, [this, where] { return hangIn != where; });
        }
    }
    void hang(HangIn where) {
        const std::lock_guard lock(mutex);
        hangIn = where;
    }
    void release() {
        {
            const std::lock_guard lock(mutex);
            hangIn = HangIn::Nothing;
        }
        released.notify_all();
    }
    [[nodiscard]] int hungCalls() {
        const std::lock_guard lock(mutex);
        return hung;
    }

    std::mutex mutex;
    std::condition_variable released;
    HangIn hangIn = HangIn::Nothing;
    int hung = 0;
    // Set and read under mutex: the speech thread reads them.
    bool up = true;
    bool silent = false;
    int connections = 0;
    int closed = 0;
    // Not a QStringList: copies of one share its buffer, whose copy-on-write a race checker
    // cannot follow.
    std::vector<QString> said;
};

class FakeSpeechBackend final : public SpeechBackend {
public:
    explicit FakeSpeechBackend(std::shared_ptr<FakeSpeechServer> fakeServer)
        : server(std::move(fakeServer)) {}
    ~FakeSpeechBackend() override {
        server->hangIf(FakeSpeechServer::HangIn::Close);
        const std::lock_guard lock(server->mutex);
        ++server->closed;
    }

    QString open(Reports r) override {
        server->hangIf(FakeSpeechServer::HangIn::Connect);
        const std::lock_guard lock(server->mutex);
        ++server->connections;
        reports = std::move(r);
        return server->up ? QString() : QStringLiteral("no server");
    }

    void say(const QString& text) override {
        server->hangIf(FakeSpeechServer::HangIn::Say);
        bool up = false;
        bool silent = false;
        {
            const std::lock_guard lock(server->mutex);
            up = server->up;
            silent = server->silent;
            if (up) {
                server->said.push_back(text);
            }
        }
        if (!up) {
            reports.broken(QStringLiteral("connection lost"));
        } else if (!silent) {
            // The end comes from the thread's event loop, as a real server's does.
            QTimer::singleShot(0, &context, [this] { reports.finished(); });
        }
    }

    void stop() override {}

private:
    std::shared_ptr<FakeSpeechServer> server;
    Reports reports;
    QObject context;
};

class SpeechEngineTest : public ::testing::Test {
protected:
    ~SpeechEngineTest() override {
        server->release();
        engine.reset();
    }

    [[nodiscard]] std::unique_ptr<ThreadedSpeechEngine> makeEngine() {
        auto made = std::make_unique<ThreadedSpeechEngine>(
            [s = server] { return std::make_unique<FakeSpeechBackend>(s); }, retryMs);
        made->onFinished([this] { ++finished; });
        return made;
    }
    // Says text and waits for its end to be reported.
    [[nodiscard]] bool sayToTheEnd(const QString& text) {
        const int before = finished;
        engine->say(text);
        return QTest::qWaitFor([&] { return finished == before + 1; }, 5000);
    }
    void setServer(bool up, bool silent = false) {
        const std::lock_guard lock(server->mutex);
        server->up = up;
        server->silent = silent;
    }
    QStringList said() {
        const std::lock_guard lock(server->mutex);
        QStringList copy;
        for (const QString& text : server->said) {
            copy.append(text);
        }
        return copy;
    }
    int connections() {
        const std::lock_guard lock(server->mutex);
        return server->connections;
    }

    int finished = 0;
    // Every utterance may try a new connection.
    qint64 retryMs = 0;
    std::shared_ptr<FakeSpeechServer> server = std::make_shared<FakeSpeechServer>();
    std::unique_ptr<ThreadedSpeechEngine> engine = makeEngine();
};

// Without a server that can be heard, the probe at start says so before anything is said.
// The server comes; it dies (noticed on the next utterance), stays away, comes back; then it
// dies without a word, and the utterance left hanging is given up so that reading goes on.
TEST_F(SpeechEngineTest, ReadAloudComesBackWithTheServer) {
    setServer(false);
    engine->probe();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !engine->unavailableReason().isEmpty(); }, 5000));
    EXPECT_EQ(finished, 0);

    setServer(true);
    ASSERT_TRUE(sayToTheEnd(QStringLiteral("一")));
    EXPECT_TRUE(engine->unavailableReason().isEmpty());

    setServer(false);
    ASSERT_TRUE(sayToTheEnd(QStringLiteral("二")));
    ASSERT_TRUE(sayToTheEnd(QStringLiteral("三")));
    EXPECT_FALSE(engine->unavailableReason().isEmpty());
    EXPECT_EQ(said(), QStringList{QStringLiteral("一")});

    setServer(true);
    ASSERT_TRUE(sayToTheEnd(QStringLiteral("四")));
    EXPECT_TRUE(engine->unavailableReason().isEmpty());
    const int before = connections();

    setServer(true, true);
    engine->say(QStringLiteral("五"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return said().size() == 3; }, 5000));
    EXPECT_TRUE(engine->isAwaitingUtterance());
    engine->tmrOverdue_Timer();
    EXPECT_FALSE(engine->isAwaitingUtterance());
    EXPECT_EQ(finished, 5);

    setServer(true);
    ASSERT_TRUE(sayToTheEnd(QStringLiteral("六")));
    EXPECT_EQ(connections(), before + 1);  // the silent connection was dropped
    EXPECT_EQ(said(), (QStringList{QStringLiteral("一"), QStringLiteral("四"), QStringLiteral("五"),
                                   QStringLiteral("六")}));
    EXPECT_EQ(finished, 6);
}

// A server that cannot be heard is not asked again for every headline (each try may start
// one): the headlines end at once until a retry is due.
TEST_F(SpeechEngineTest, AServerThatCannotBeHeardIsNotAskedForEveryHeadline) {
    retryMs = ThreadedSpeechEngine::kFirstRetryMs;
    engine = makeEngine();
    setServer(false);
    for (int i = 1; i <= 3; ++i) {
        ASSERT_TRUE(sayToTheEnd(QStringLiteral("見出し")));
    }
    EXPECT_EQ(connections(), 1);
    EXPECT_FALSE(engine->unavailableReason().isEmpty());
    EXPECT_EQ(connections(), 1);
    EXPECT_FALSE(engine->isAwaitingUtterance());
}

// Whatever the server does, the exit waits for the speech thread only as long as it is told,
// and the engine is gone within a second.
TEST_F(SpeechEngineTest, TheExitIsNeverHeldByTheServer) {
    using HangIn = FakeSpeechServer::HangIn;
    constexpr int kWaitMs = 300;
    for (const HangIn where : {HangIn::Nothing, HangIn::Connect, HangIn::Say, HangIn::Close}) {
        SCOPED_TRACE(int(where));
        server->release();
        engine = makeEngine();
        ASSERT_TRUE(sayToTheEnd(QStringLiteral("前")));
        server->hang(where);
        const int hungBefore = server->hungCalls();
        if (where == HangIn::Connect) {
            engine->tmrOverdue_Timer();  // drops the connection: the next one hangs
        }
        engine->say(QStringLiteral("後"));
        if (where == HangIn::Connect || where == HangIn::Say) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return server->hungCalls() > hungBefore; }, 5000));
        }

        QElapsedTimer exit;
        exit.start();
        const bool ended = engine->shutdown(0) || engine->shutdown(kWaitMs);
        engine.reset();
        EXPECT_LT(exit.elapsed(), 1000);
        EXPECT_EQ(ended, where == HangIn::Nothing);
        if (!ended) {
            EXPECT_GE(exit.elapsed(), kWaitMs);
        }
    }
    // The threads left behind end once the server answers, each closing its connection; their
    // reports reach nothing.
    server->release();
    EXPECT_TRUE(QTest::qWaitFor(
        [this] {
            const std::lock_guard lock(server->mutex);
            return server->closed == server->connections;
        },
        5000));
    engine = makeEngine();
}

}  // namespace
