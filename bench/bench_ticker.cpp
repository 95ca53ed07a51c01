// What the ticker costs on a real display (run it under Xvfb: scripts/bench does): a band
// at the screen's bottom edge with a queue of headlines, shown as the marquee and then wiped
// in one at a time, each for the same time; the whole process's CPU time (every thread)
// over the wall time of each run. Then the marquee again while a patrol fetches loopback
// feeds that answer after a delay, the longest gap between two frames of the marquee while
// the patrol runs.
//
// Usage: qv3-bench-ticker [seconds] [headlines] [sites] [delay-ms]
//        (60, 200, 100, 200)

#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "tests/common/loopbackserver.h"
#include "bench/loopbackfeeds.h"
#include "tests/common/nullpatrolhost.h"
#include "tests/common/shotsupport.h"
#include "core/appstate.h"
#include "patrol/frmtask.h"
#include "patrol/networkfeedservice.h"
#include "patrol/shownlists.h"
#include "platform/system/clock.h"
#include "platform/desktop/consoleseams.h"
#include "platform/desktop/desktopscreen.h"
#include "ticker/frmticker.h"
#include "ticker/marqueestrip.h"
#include "ticker/tickerhost.h"

namespace {

// Whole-process CPU time, every thread, in ms.
double processCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return double(t.tv_sec) * 1000 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Runs the event loop for ms milliseconds. (QCoreApplication::quit would close the windows.)
void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The longest time between two frames of the marquee, from start() on.
class FrameGaps final {
public:
    void start() {
        longest = 0;
        frames = 0;
        since.start();
    }
    void frame() {
        if (since.isValid()) {
            longest = std::max(longest, since.restart());
            ++frames;
        }
    }
    qint64 longest = 0;
    int frames = 0;

private:
    QElapsedTimer since;
};

// The machine's load over the last minute: the figures move with it.
QString loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).section(u' ', 0, 0)
                                          : QStringLiteral("?");
}

struct Cost {
    double cpuPercent = 0;
    int frames = 0;
};

Cost measure(FrameGaps& gaps, int seconds) {
    QElapsedTimer wall;
    gaps.start();
    const double cpu = processCpuMs();
    wall.start();
    runFor(seconds * 1000);
    return {100.0 * (processCpuMs() - cpu) / double(wall.elapsed()), gaps.frames};
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QList<int> numbers = numberArguments();
    const int seconds = std::max(1, numbers.value(0, 60));
    const int headlines = std::max(1, numbers.value(1, 200));
    const int sites = std::max(1, numbers.value(2, 100));
    const int delayMs = std::max(0, numbers.value(3, 200));

    QTemporaryDir dir;
    ProgramPaths paths;
    paths.programDir = dir.path();
    paths.shareDir = dir.path();
    paths.exeBaseName = QStringLiteral("Quorvane3");
    SystemClock clock;
    ConsoleMessageBox messageBox;
    NoBrowser browser;
    DesktopScreen screen;
    AppState state(paths, PlatformSeams{clock, messageBox, browser, screen});
    state.useFeedService(
        std::make_unique<NetworkFeedService>(state.fetchOptions, state.seams.clock));
    useShownLists(state);

    SiteRow row;
    row.intKind = kKindSite;
    row.strTitle = QStringLiteral("ベンチマーク ニュース");
    row.strXmlUrl = QStringLiteral("http://127.0.0.1:9/feed.xml");
    state.SiteTable.append(row);
    for (int i = 1; i <= headlines; ++i) {
        ArticleRecord article;
        article.Title =
            QStringLiteral("見出し %1：新型ロケットの打ち上げに成功、衛星を予定の軌道に投入")
                .arg(i);
        article.Link = QStringLiteral("http://example.com/%1").arg(i);
        article.PubDate = wallClock(QDate(2006, 3, 16), QTime(7, 24, 0));
        article.SiteIndex = 0;
        article.SiteTitle = row.strTitle;
        article.FeedUrl = row.strXmlUrl;
        state.NewsQueue.append(article);
    }
    const ArticleArray queue = state.NewsQueue;

    Settings& settings = state.settings;
    settings.TICKER_PLACEMENT = TickerPlacement::DockedBottom;
    NoTickerHost host;
    frmTicker ticker(state, host);
    FrameGaps gaps;
    const QSize screenSize = screen.screens().front().pixels.size();
    std::printf(
        "ticker band %dx%d on %s, %d headlines, %d s a run; whole-process CPU over wall"
        " (load %s)\n",
        screenSize.width(), ticker.height(), qPrintable(QApplication::platformName()), headlines,
        seconds, qPrintable(loadAverage()));

    const auto show = [&](TickerPresentationKind kind) {
        ticker.cmdHide_Click();
        state.NewsQueue = queue;
        settings.TICKER_MARQUEE = kind;
        ticker.AfterInit();
        // The marquee's strip comes with its surface.
        if (auto* strip = ticker.findChild<MarqueeStrip*>()) {
            QObject::connect(strip, &MarqueeStrip::frameDrawn, [&gaps] { gaps.frame(); });
        }
        ticker.ShowForm(ShowMode::Permanent);
        runFor(1000);  // settled: the band is up, the first headline in
    };

    show(TickerPresentationKind::Marquee);
    const Cost marquee = measure(gaps, seconds);
    std::printf("%-44s %6.2f %% of a core (%d frames, drawn by %s)\n", "marquee, 120 px/s",
                marquee.cpuPercent, marquee.frames,
                ticker.findChild<MarqueeStrip*>()->drawnByServer() ? "the X server" : "Qt");
    std::fflush(stdout);

    show(TickerPresentationKind::Wipe);
    const Cost wipe = measure(gaps, seconds);
    std::printf("%-44s %6.2f %% of a core\n", "wipe, a headline every 8 s", wipe.cpuPercent);
    std::fflush(stdout);

    // The marquee while a patrol fetches and reads feeds off the UI thread.
    show(TickerPresentationKind::Marquee);
    LoopbackServer server;
    serveOldSampleSites(server, state, sites, delayMs);
    settings.AUTO_PIROT_MODE = PatrolMode::AllSites;
    NullTicker patrolTicker;  // the patrol queues nothing; the band keeps its headlines
    NullStatus status;
    frmTask task(state, patrolTicker, status);
    QElapsedTimer patrolTime;
    QEventLoop patrolling;
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!task.isPatrolling()) {
            patrolling.quit();
        }
    });
    QTimer::singleShot(0, [&] {
        gaps.start();
        patrolTime.start();
        task.RssRefresh();
        watch.start();
    });
    patrolling.exec();
    std::printf("%-44s %6lld ms longest frame gap (patrol of %d feeds, %.1f s)\n",
                "marquee during a patrol", static_cast<long long>(gaps.longest), sites,
                double(patrolTime.elapsed()) / 1000.0);
    std::printf("marquee / wipe CPU: %.2f\n",
                wipe.cpuPercent > 0 ? marquee.cpuPercent / wipe.cpuPercent : 0.0);
    return 0;
}
