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

#include "bench/loopbackfeeds.h"
#include "tests/common/loopbackserver.h"
#include "tests/common/nullpatrolhost.h"
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
    serveOldSampleSites(server, state, sites, delayMs, oneHangs ? sites / 2 : -1);

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
    const QList<int> numbers = numberArguments();
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
