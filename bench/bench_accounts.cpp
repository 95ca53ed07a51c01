// An account of 500 feeds and 2,000 unread headlines on the real Tiny Tiny RSS server
// (scripts/ttrss-server up), against the same 2,000 headlines as 500 sites of the user's own
// list on a loopback server: requests one patrol sends, its wall time, the UI thread's
// longest stall while the articles are taken in (a 1 ms timer's longest gap), and the
// memory the process grew by.
//
// Usage: bench_accounts [feeds] [headlines]; the server is found through $QV_TTRSS_DIR
// (default /tmp/quorvane3-ttrss), as the script leaves it.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QMetaObject>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

#include "accounts/accountsruntime.h"
#include "bench/benchprogram.h"
#include "bench/loopbackfeeds.h"
#include "core/appstate.h"
#include "patrol/frmtask.h"
#include "patrol/networkfeedservice.h"
#include "patrol/shownlists.h"
#include "patrol/sourceintake.h"
#include "platform/net/httpclient.h"
#include "rules/rulesstore.h"
#include "tests/common/loopbackserver.h"
#include "tests/common/nullpatrolhost.h"

namespace {

struct Outcome {
    qint64 requests = 0;
    qint64 totalMs = 0;
    qint64 longestStallMs = 0;
    qint64 memoryKb = 0;
    int queued = 0;
};

class FixedSecrets final : public SecretStore {
public:
    explicit FixedSecrets(QString value) : password(std::move(value)) {}
    void readPassword(const AccountSettings&, ReadDone done) override {
        QMetaObject::invokeMethod(
            this, [this, done] { done(true, password, {}); }, Qt::QueuedConnection);
    }
    void writePassword(const AccountSettings&, const QString&, WriteDone) override {}
    void removePassword(const AccountSettings&, WriteDone) override {}
    void probeKeyring(WriteDone) override {}
    QString password;
};

QHash<QByteArray, QString> serverEnv() {
    const QByteArray dir = qgetenv("QV_TTRSS_DIR");
    QFile env(QString::fromUtf8(dir.isEmpty() ? QByteArray("/tmp/quorvane3-ttrss") : dir) +
              QStringLiteral("/server.env"));
    QHash<QByteArray, QString> values;
    if (env.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : env.readAll().split('\n')) {
            const qsizetype equals = line.indexOf('=');
            if (equals > 0) {
                values.insert(line.left(equals), QString::fromUtf8(line.mid(equals + 1)));
            }
        }
    }
    return values;
}

bool sql(const QHash<QByteArray, QString>& env, const QString& statements) {
    QProcess psql;
    psql.start(QStringLiteral("psql"),
               {QStringLiteral("-h"), env.value("TTRSS_DB_SOCKET"), QStringLiteral("-p"),
                env.value("TTRSS_DB_PORT"), QStringLiteral("-U"), env.value("TTRSS_DB_USER"),
                QStringLiteral("-d"), env.value("TTRSS_DB_NAME"), QStringLiteral("-qtA"),
                QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-c"),
                statements});
    return psql.waitForFinished(120000) && psql.exitCode() == 0;
}

// Requests the server's web server has answered so far, as its log counts them.
qint64 apiRequests(const QHash<QByteArray, QString>& env) {
    QFile log(env.value("TTRSS_PHP_LOG"));
    if (!log.open(QIODevice::ReadOnly)) {
        return -1;
    }
    return log.readAll().count("]: POST /api/");
}

// Runs the event loop while start's work goes on, until ended() says so.
Outcome measure(const std::function<void()>& start, const std::function<bool()>& ended) {
    Outcome outcome;
    const qint64 before = residentKb();
    outcome.totalMs = runUntil(start, ended, outcome.longestStallMs);
    outcome.memoryKb = residentKb() - before;
    return outcome;
}

struct Bench : BenchProgram {
    Bench() {
        state->settings.OLD_HIDE_FLG = false;
        state->useFeedService(
            std::make_unique<NetworkFeedService>(state->fetchOptions, state->seams.clock));
        useShownLists(*state);
        state->rulesStore().reload();
        // The patrol waits for the rules' first read: done before anything is timed.
        QElapsedTimer wait;
        wait.start();
        while (state->rulesStore().awaitingFirstRead() && wait.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
    }
};

Outcome accountPatrol(const QHash<QByteArray, QString>& env) {
    Bench bench;
    AccountSettings account;
    account.number = 1;
    account.type = QStringLiteral("ttrss");
    account.url = env.value("TTRSS_URL");
    account.user = env.value("TTRSS_USER");
    if (!writeAccountsIni(accountsIniPath(bench.dir.path()), {account})) {
        return {};
    }
    FixedSecrets secrets(env.value("TTRSS_PASSWORD"));
    HttpClient http;
    FetchOptions options;
    options.totalTimeoutMs = 120000;
    AccountsRuntime runtime(bench.dir.path(), secrets, http, options);
    NullTicker ticker;
    NullStatus status;
    const auto intake = std::make_shared<SourceIntake>(*bench.state, ticker, status);
    runtime.reload();
    // Connected (the password read) before the patrol is timed.
    QElapsedTimer wait;
    wait.start();
    while (runtime.client(1) == nullptr && wait.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    bool ended = false;
    QObject::connect(&runtime, &AccountsRuntime::patrolEnded, [&ended] { ended = true; });
    const qint64 before = apiRequests(env);
    Outcome outcome = measure([&] { runtime.patrol(intake); }, [&] { return ended; });
    outcome.requests = apiRequests(env) - before;
    outcome.queued = bench.state->NewsQueue.lastIndex();
    if (!runtime.status(1).problem.isEmpty()) {
        std::printf("account: %s\n", runtime.status(1).problem.toLocal8Bit().constData());
    }
    return outcome;
}

Outcome sitesPatrol(int feeds, int perFeed) {
    Bench bench;
    LoopbackServer server;
    serveSites(server, *bench.state, feeds, 0, "site", [perFeed](int site) {
        QByteArray feed = "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Feed " +
                          QByteArray::number(site) + "</title>";
        for (int i = 0; i < perFeed; ++i) {
            feed += "<item><title>Feed " + QByteArray::number(site) + " headline " +
                    QByteArray::number(i) + "</title><link>http://example.com/" +
                    QByteArray::number(site) + "/" + QByteArray::number(i) + "</link></item>";
        }
        return feed + "</channel></rss>";
    });
    bench.state->settings.AUTO_PIROT_MODE = PatrolMode::AllSites;
    NullTicker ticker;
    NullStatus status;
    frmTask task(*bench.state, ticker, status);
    Outcome outcome = measure([&] { task.RssRefresh(); }, [&] { return !task.isPatrolling(); });
    // One request a site: what the walk asked of the server.
    outcome.requests = feeds;
    outcome.queued = bench.state->NewsQueue.lastIndex();
    return outcome;
}

void print(const char* name, const Outcome& outcome) {
    std::printf("%-36s %9lld %9.2f %12lld %10lld %8d\n", name,
                static_cast<long long>(outcome.requests), double(outcome.totalMs) / 1000.0,
                static_cast<long long>(outcome.longestStallMs),
                static_cast<long long>(outcome.memoryKb), outcome.queued);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QList<int> numbers = numberArguments();
    const int feeds = std::max(1, numbers.value(0, 500));
    const int headlines = std::max(feeds, numbers.value(1, 2000));
    const int perFeed = headlines / feeds;
    const QHash<QByteArray, QString> env = serverEnv();
    std::printf("%d feeds, %d unread headlines\n", feeds, perFeed * feeds);
    std::printf("%-36s %9s %9s %12s %10s %8s\n", "case", "requests", "patrol s", "longest ms",
                "memory kB", "queued");
    if (env.value("TTRSS_URL").isEmpty()) {
        std::printf("account: no Tiny Tiny RSS server (scripts/ttrss-server up)\n");
    } else {
        // The account's feeds and articles straight into the server's tables: subscribing
        // and fetching 500 feeds one by one takes minutes.
        const QString user = env.value("TTRSS_USER");
        const bool ready =
            sql(env,
                QStringLiteral(
                    "TRUNCATE ttrss_entries CASCADE; DELETE FROM ttrss_feeds;"
                    "DELETE FROM ttrss_feed_categories; DELETE FROM ttrss_sessions;"
                    "INSERT INTO ttrss_feeds (owner_uid, title, feed_url) SELECT u.id, 'Feed ' || "
                    "f, 'http://[::1]/bench/' || f || '.xml' FROM ttrss_users u, "
                    "generate_series(0, %2) f WHERE u.login = '%1';"
                    "INSERT INTO ttrss_entries (title, guid, link, updated, content, content_hash, "
                    "date_entered, date_updated) SELECT 'Feed ' || f || ' headline ' || i, "
                    "'bench-' || f || '-' || i, 'http://example.com/' || f || '/' || i, now(), '', "
                    "'', now(), now() FROM generate_series(0, %2) f, generate_series(0, %3) i;"
                    "INSERT INTO ttrss_user_entries (ref_id, uuid, feed_id, owner_uid, tag_cache, "
                    "label_cache, unread) SELECT e.id, '', fd.id, fd.owner_uid, '', '', true FROM "
                    "ttrss_entries e JOIN ttrss_feeds fd ON fd.feed_url = 'http://[::1]/bench/' || "
                    "split_part(e.guid, '-', 2) || '.xml';")
                    .arg(user)
                    .arg(feeds - 1)
                    .arg(perFeed - 1));
        if (!ready) {
            std::printf("account: the server's tables could not be filled\n");
        } else {
            print("account (one patrol)", accountPatrol(env));
        }
    }
    print("the same feeds as sites (all sites)", sitesPatrol(feeds, perFeed));
    return 0;
}
