// How long the UI thread stalls while the patrol fetches, and how long a patrol takes: 100
// loopback feeds that each answer after 200 ms, in the all-sites and the one-site mode,
// and the same with one site that never answers. A 1 ms timer on the UI thread records the
// longest gap between its ticks while the patrol runs.
//
// Usage: bench_patrol [sites] [delay-ms]; options of the other benchmarks (--...) are
// ignored.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "common/loopbackserver.h"
#include "common/nullpatrolhost.h"
#include "core/appstate.h"
#include "patrol/frmtask.h"
#include "platform/clock.h"
#include "platform/consoleseams.h"
#include "platform/screeninfo.h"
#include "patrol/networkfeedservice.h"

namespace {

struct Outcome {
    qint64 longestStallMs = 0;
    qint64 totalMs = 0;
};

// An RSS 2.0 feed of twenty items, old enough that nothing is queued: the one-site mode
// then walks every site.
QByteArray sampleFeed(int site) {
    QByteArray feed =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\"><channel>"
        "<title>Site</title>";
    for (int i = 0; i < 20; ++i) {
        feed += "<item><title>Site " + QByteArray::number(site) + " article " +
                QByteArray::number(i) + "</title><link>http://example.com/" +
                QByteArray::number(site) + "/" + QByteArray::number(i) +
                "</link><pubDate>Mon, 13 Mar 2006 11:00:00 +0900</pubDate>"
                "<description>A short summary of the article.</description></item>";
    }
    return feed + "</channel></rss>";
}

Outcome runPatrol(int sites, int delayMs, PatrolMode mode, bool oneHangs) {
    QTemporaryDir dir;
    ProgramPaths paths;
    paths.programDir = dir.path();
    paths.shareDir = dir.path();
    paths.exeBaseName = QStringLiteral("Quorvane3");
    SystemClock clock;
    ConsoleMessageBox messageBox;
    NoBrowser browser;
    FixedScreen screen{1024, 768};
    AppState state(paths, PlatformSeams{clock, messageBox, browser, screen});
    state.useFeedService(
        std::make_unique<NetworkFeedService>(state.fetchOptions, state.seams.clock));
    // A site that never answers is given up at the whole-transfer limit.
    state.fetchOptions.totalTimeoutMs = 5000;
    state.settings.AUTO_PIROT_MODE = mode;

    LoopbackServer server;
    for (int i = 0; i < sites; ++i) {
        LoopbackServer::Response response;
        response.body = sampleFeed(i);
        response.delayMs = delayMs;
        response.hold = oneHangs && i == sites / 2;
        response.headers = {{"Content-Type", "application/rss+xml"}};
        const QString path = QStringLiteral("/feed%1.xml").arg(i);
        server.route(path, response);
        SiteRow row;
        row.intKind = kKindSite;
        row.strTitle = QStringLiteral("Site %1").arg(i);
        row.strXmlUrl = server.url(path);
        state.SiteTable.append(row);
    }
    state.blnSiteListFlg = true;

    NullTicker ticker;
    NullStatus status;
    frmTask task(state, ticker, status);

    Outcome outcome;
    QElapsedTimer sinceTick;
    QTimer ticks;
    ticks.setTimerType(Qt::PreciseTimer);
    ticks.setInterval(1);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        outcome.longestStallMs = std::max(outcome.longestStallMs, sinceTick.restart());
    });
    QElapsedTimer total;
    QTimer watch;
    watch.setInterval(1);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!task.isPatrolling()) {
            outcome.totalMs = total.elapsed();
            QCoreApplication::quit();
        }
    });
    QTimer::singleShot(0, [&] {
        sinceTick.start();
        ticks.start();
        watch.start();
        total.start();
        task.RssRefresh();
    });
    QCoreApplication::exec();
    ticks.stop();
    return outcome;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QList<int> numbers;
    for (const QString& argument : QCoreApplication::arguments().mid(1)) {
        bool isNumber = false;
        const int value = argument.toInt(&isNumber);
        if (isNumber) {
            numbers.append(value);
        }
    }
    const int sites = std::max(1, numbers.value(0, 100));
    const int delayMs = std::max(0, numbers.value(1, 200));
    std::printf(
        "patrol of %d loopback feeds answering after %d ms; a never-answering site "
        "is given up after 5 s\n",
        sites, delayMs);
    std::printf("%-40s %18s %10s\n", "case", "longest stall ms", "patrol s");
    const struct {
        const char* name;
        PatrolMode mode;
        bool oneHangs;
    } cases[] = {
        {"all sites (4 in flight)", PatrolMode::AllSites, false},
        {"one site at a time", PatrolMode::OneSite, false},
        {"all sites, one never answers", PatrolMode::AllSites, true},
        {"one site at a time, one never answers", PatrolMode::OneSite, true},
    };
    for (const auto& c : cases) {
        const Outcome outcome = runPatrol(sites, delayMs, c.mode, c.oneHangs);
        std::printf("%-40s %18lld %10.2f\n", c.name, static_cast<long long>(outcome.longestStallMs),
                    double(outcome.totalMs) / 1000.0);
        std::fflush(stdout);
    }
    return 0;
}
