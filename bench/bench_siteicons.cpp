// Sites' icons in the main window's tree, with a real network thread, cache and loopback
// sites:
//   - a first start (empty cache) with 1,000 sites on 200 hosts (h0.localhost … h199), the
//     tree scrolled through a page every 16 ms so that every host is asked for: the most
//     requests to one host at once and in all (seen by the server), the longest UI-thread
//     slice spent on icons (every event the icon service handles, timed), the longest gap
//     between 1 ms UI ticks, and the resident memory added;
//   - scrolling a tree of 27,000 sites on 1,000 hosts page by page, with icons (cache filled
//     first) against without: the mean and 95th-percentile frame (events, scroll, repaint) in
//     the UI thread's CPU time, which a busy machine does not inflate. Twice: with the icons
//     the cache filling left in memory, and as at the next start, read again from the disk
//     cache (its first pass reads them; the passes after it are measured). The tree without
//     icons is a second view of the same tree, scrolled in turn with the first, so that
//     neither side is favoured by its place in the run; each side's figure is the median of
//     its passes.
//
// The first start's sites are served by a process of their own, so that the server's memory
// is not the client's. SIGTERM or SIGINT ends the run at the next frame, the server process
// with it.
//
// Usage: bench_siteicons [sites hosts [scroll-sites scroll-hosts]]; options of the other
// benchmarks (--...) are ignored.

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/prctl.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <ctime>
#include <cstdio>
#include <vector>

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include "bench/benchprogram.h"
#include "bench/loopbackfeeds.h"
#include "core/settings.h"
#include "core/siterow.h"
#include "core/sitetree.h"
#include "icons/iconservice.h"
#include "platform/net/httpclient.h"
#include "platform/system/clock.h"
#include "sitepane/sitetreemodel.h"
#include "sitepane/sitetreeview.h"
#include "tests/common/loopbackserver.h"
#include "ui/siteicons.h"

namespace {

// The signal that asked the run to end; 0 while none has.
std::atomic<int> stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

void askToStop(int signalNumber) {
    stopSignal.store(signalNumber);
}

// The first SIGTERM or SIGINT ends the run at its next frame, leaving no temporary folder or
// server process behind; a second one ends it at once.
void stopOnSignals() {
    struct sigaction action {};
    action.sa_handler = askToStop;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

bool stopping() {
    return stopSignal.load() != 0;
}

// Times every event delivered to one receiver: the icon service's work on the UI thread
// comes to it as queued calls.
class TimingApplication final : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        if (receiver != watched || watched == nullptr) {
            return QApplication::notify(receiver, event);
        }
        QElapsedTimer timer;
        timer.start();
        const qint64 cpuBefore = threadCpuNs();
        const bool handled = QApplication::notify(receiver, event);
        const qint64 ns = timer.nsecsElapsed();
        longestCpuNs = std::max(longestCpuNs, threadCpuNs() - cpuBefore);
        longestNs = std::max(longestNs, ns);
        totalNs += ns;
        ++events;
        overOneMs += ns > 1'000'000 ? 1 : 0;
        overTwoMs += ns > 2'000'000 ? 1 : 0;
        return handled;
    }
    // The UI thread's own time: on a busy machine the wall time of an event includes the
    // time the thread waited for a core.
    static qint64 threadCpuNs() {
        timespec now{};
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
    }

    QObject* watched = nullptr;
    qint64 longestNs = 0;
    qint64 longestCpuNs = 0;
    qint64 totalNs = 0;
    qint64 events = 0;
    qint64 overOneMs = 0;
    qint64 overTwoMs = 0;
};

QByteArray iconPng() {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(QColor(30, 120, 200));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

// Each host's home page names its icon; both answer after delayMs.
void serveIconSites(LoopbackServer& server, int delayMs) {
    LoopbackServer::Response page;
    page.body =
        "<!DOCTYPE html><html><head><title>Site</title>"
        "<link rel=\"icon\" href=\"/icon.png\" sizes=\"32x32\"></head><body></body></html>";
    page.headers = {{"Content-Type", "text/html; charset=utf-8"}};
    page.delayMs = delayMs;
    server.route(QStringLiteral("/"), page);
    LoopbackServer::Response icon;
    icon.body = iconPng();
    icon.headers = {{"Content-Type", "image/png"}};
    icon.delayMs = delayMs;
    server.route(QStringLiteral("/icon.png"), icon);
}

// sites sites in folders of 1,000, site i on host h(i % hosts).localhost.
void buildSites(quint16 port, int sites, int hosts, SiteRowArray& table, SiteTree& tree) {
    SiteNodes nodes;
    SiteNode* folder = nullptr;
    for (int i = 0; i < sites; ++i) {
        if (i % 1000 == 0) {
            folder = nodes.append(nullptr, QStringLiteral("F%1").arg(i),
                                  QStringLiteral("Folder %1").arg(i / 1000), kImageFolder);
        }
        const QString host = QStringLiteral("http://h%1.localhost:%2").arg(i % hosts).arg(port);
        table.append({kKindSite, false, QStringLiteral("Site %1").arg(i), host + '/',
                      host + QStringLiteral("/feed%1.xml").arg(i)});
        nodes.append(folder, keyOfIndex(i), QStringLiteral("Site %1").arg(i), kImageSite);
    }
    tree.replaceAll(std::move(nodes));
}

// The first start's loopback sites in a process of their own, so that the memory of their
// server's threads is not counted as the icons'.
class ServerProcess {
public:
    struct Figures {
        int peakToOneHost = 0;
        int peakInAll = 0;
        int requests = 0;
    };

    explicit ServerProcess(int delayMs) {
        if (::pipe(toParent) != 0 || ::pipe(toChild) != 0) {
            return;
        }
        child = ::fork();
        if (child == 0) {
            // Ends with the benchmark, however that ends: the read below meets the end of the
            // pipe once no one holds its writing end, and the kernel sends SIGTERM besides.
            ::close(toParent[0]);
            ::close(toChild[1]);
            ::signal(SIGTERM, SIG_DFL);
            ::signal(SIGINT, SIG_DFL);
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (::getppid() == 1) {
                ::_exit(0);
            }
            LoopbackServer server;
            serveIconSites(server, delayMs);
            const quint16 listening = server.port();
            writeAll(toParent[1], &listening, sizeof listening);
            char done = 0;
            readAll(toChild[0], &done, 1);
            const Figures figures{server.peakConcurrentRequestsToOneHost(),
                                  server.peakConcurrentRequests(), int(server.requests().size())};
            writeAll(toParent[1], &figures, sizeof figures);
            server.stop();
            ::_exit(0);
        }
        ::close(toParent[1]);
        ::close(toChild[0]);
        readAll(toParent[0], &port, sizeof port);
    }
    ~ServerProcess() {
        if (child > 0) {
            ::kill(child, SIGTERM);
            ::waitpid(child, nullptr, 0);
        }
        for (const int fd : {toParent[0], toChild[1]}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // Ends the server and returns what it saw.
    Figures finish() {
        Figures figures;
        const char done = 1;
        writeAll(toChild[1], &done, 1);
        readAll(toParent[0], &figures, sizeof figures);
        ::waitpid(child, nullptr, 0);
        child = -1;
        return figures;
    }

    quint16 port = 0;

private:
    static void readAll(int fd, void* into, size_t size) {
        auto* bytes = static_cast<char*>(into);
        while (size > 0) {
            const ssize_t got = ::read(fd, bytes, size);
            if (got <= 0) {
                return;
            }
            bytes += got;
            size -= size_t(got);
        }
    }
    static void writeAll(int fd, const void* from, size_t size) {
        const auto* bytes = static_cast<const char*>(from);
        while (size > 0) {
            const ssize_t put = ::write(fd, bytes, size);
            if (put <= 0) {
                return;
            }
            bytes += put;
            size -= size_t(put);
        }
    }

    int toParent[2] = {-1, -1};
    int toChild[2] = {-1, -1};
    pid_t child = -1;
};

struct Scene {
    SiteRowArray table;
    SiteTree tree;
    std::unique_ptr<SiteTreeView> view;
};

void showTree(Scene& scene, SiteIcons* icons) {
    scene.view = std::make_unique<SiteTreeView>(scene.tree);
    scene.view->siteModel().setSiteIcons(icons, &scene.table);
    scene.view->resize(320, 640);
    scene.view->expandAll();
    scene.view->show();
    QCoreApplication::processEvents();
}

void firstStart(TimingApplication& app, ServerProcess& server, int sites, int hosts) {
    Scene scene;
    buildSites(server.port, sites, hosts, scene.table, scene.tree);
    QTemporaryDir cache;
    SystemClock clock;
    HttpClient http;
    Settings settings;
    showTree(scene, nullptr);

    const qint64 before = residentKb();
    qint64 peak = before;
    IconService service(http, cache.path(), clock);
    SiteIcons icons(service, settings);
    app.watched = &service;
    scene.view->siteModel().setSiteIcons(&icons, &scene.table);

    qint64 longestGapMs = 0;
    QElapsedTimer sinceTick;
    QTimer ticks;
    ticks.setTimerType(Qt::PreciseTimer);
    ticks.setInterval(1);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        longestGapMs = std::max(longestGapMs, sinceTick.restart());
        peak = std::max(peak, residentKb());
    });
    QScrollBar* bar = scene.view->verticalScrollBar();
    QTimer pages;
    pages.setInterval(16);
    QObject::connect(&pages, &QTimer::timeout, [&] {
        if (bar->value() < bar->maximum()) {
            bar->setValue(bar->value() + bar->pageStep());
        }
    });
    QElapsedTimer total;
    QTimer watch;
    watch.setInterval(10);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if ((bar->value() >= bar->maximum() && service.pendingCount() == 0) || stopping()) {
            QCoreApplication::quit();
        }
    });
    scene.view->viewport()->update();
    sinceTick.start();
    total.start();
    ticks.start();
    pages.start();
    watch.start();
    QCoreApplication::exec();
    ticks.stop();
    app.watched = nullptr;
    if (stopping()) {
        service.shutdown(500);
        return;
    }
    const qint64 after = residentKb();
    const ServerProcess::Figures seen = server.finish();

    std::printf("first start: %d sites on %d loopback hosts, each answer after 20 ms\n", sites,
                hosts);
    std::printf("  requests to one host at once (most)   %8d   goal <= 1\n", seen.peakToOneHost);
    std::printf("  requests at once in all (most)        %8d   limit %d\n", seen.peakInAll,
                IconService::kMaxFetches);
    std::printf("  requests in all                       %8d\n", seen.requests);
    std::printf("  icons' longest UI-thread slice ms     %8.3f   goal <= 2 (thread CPU time)\n",
                double(app.longestCpuNs) / 1e6);
    std::printf("  the same in wall time ms              %8.3f\n", double(app.longestNs) / 1e6);
    std::printf("  icons' UI-thread events / total ms    %8lld / %.1f\n",
                static_cast<long long>(app.events), double(app.totalNs) / 1e6);
    std::printf("  icons' slices over 1 ms / over 2 ms   %8lld / %lld\n",
                static_cast<long long>(app.overOneMs), static_cast<long long>(app.overTwoMs));
    std::printf("  longest gap between 1 ms ticks ms     %8lld\n",
                static_cast<long long>(longestGapMs));
    std::printf("  memory added MiB (peak / at the end)  %8.2f / %.2f   goal <= 10\n",
                double(peak - before) / 1024.0, double(after - before) / 1024.0);
    std::printf("  all icons in s                        %8.2f\n",
                double(total.elapsed()) / 1000.0);
    std::fflush(stdout);
    service.shutdown(500);
}

struct Frames {
    double meanMs = 0;
    double p95Ms = 0;
};

// Scrolls from the top to the bottom a page at a time; a frame is the events waiting (icons
// arriving), the scroll and a full repaint of the rows in view, in the UI thread's own time.
Frames scrollThrough(SiteTreeView& view) {
    QScrollBar* bar = view.verticalScrollBar();
    bar->setValue(0);
    QCoreApplication::processEvents();
    std::vector<double> frames;
    while (!stopping()) {
        const qint64 start = TimingApplication::threadCpuNs();
        QCoreApplication::processEvents();
        bar->setValue(bar->value() + bar->pageStep());
        view.viewport()->repaint();
        frames.push_back(double(TimingApplication::threadCpuNs() - start) / 1e6);
        if (bar->value() >= bar->maximum()) {
            break;
        }
    }
    Frames out;
    if (frames.empty()) {
        return out;
    }
    for (const double f : frames) {
        out.meanMs += f;
    }
    out.meanMs /= double(frames.size());
    std::sort(frames.begin(), frames.end());
    out.p95Ms = frames[std::min(frames.size() - 1, frames.size() * 95 / 100)];
    return out;
}

// The pass whose mean is the median of passes.
Frames medianOf(std::vector<Frames> passes) {
    std::sort(passes.begin(), passes.end(),
              [](const Frames& a, const Frames& b) { return a.meanMs < b.meanMs; });
    return passes.empty() ? Frames{} : passes[passes.size() / 2];
}

void waitForIcons(const IconService& service) {
    QElapsedTimer wait;
    wait.start();
    while (service.pendingCount() > 0 && wait.elapsed() < 120000 && !stopping()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
}

// Passes through withIcons (a view showing them) and without (one that does not) in turn,
// after a first pass through withIcons alone; prints the figures under title.
void comparePasses(const char* title, SiteTreeView& withIcons, SiteTreeView& without,
                   const IconService& service) {
    constexpr int kPasses = 7;
    const Frames first = scrollThrough(withIcons);
    // Icons still on their way from the first pass arrive before the next.
    waitForIcons(service);
    std::vector<Frames> withPasses;
    std::vector<Frames> withoutPasses;
    for (int pass = 0; pass < kPasses && !stopping(); ++pass) {
        withoutPasses.push_back(scrollThrough(without));
        withPasses.push_back(scrollThrough(withIcons));
    }
    if (stopping()) {
        return;
    }
    const Frames with = medianOf(withPasses);
    const Frames plain = medianOf(withoutPasses);
    std::printf("  %s\n", title);
    std::printf("    %-30s %10.3f %10.3f\n", "icons, first pass", first.meanMs, first.p95Ms);
    std::printf("    %-30s %10.3f %10.3f\n", "icons, median pass", with.meanMs, with.p95Ms);
    std::printf("    %-30s %10.3f %10.3f\n", "without icons, median pass", plain.meanMs,
                plain.p95Ms);
    std::printf(
        "    ratio of means, first pass / median pass  %.2f / %.2f   goal <= 1.2 (median)\n",
        first.meanMs / plain.meanMs, with.meanMs / plain.meanMs);
    std::fflush(stdout);
}

void scrolling(int sites, int hosts) {
    LoopbackServer server;
    serveIconSites(server, 0);
    Scene scene;
    buildSites(server.port(), sites, hosts, scene.table, scene.tree);
    QTemporaryDir cache;
    SystemClock clock;
    HttpClient http;
    Settings settings;
    {
        IconService service(http, cache.path(), clock);
        SiteIcons icons(service, settings);
        // Every host's icon in the cache first, as after a first start.
        for (int i = 0; i < hosts && i < sites; ++i) {
            (void)icons.iconOf(SiteIcons::siteOf(scene.table[i]));
        }
        waitForIcons(service);

        showTree(scene, &icons);
        SiteTreeView without(scene.tree);
        without.resize(scene.view->size());
        // Beside the other, for a look at both on a display.
        without.move(scene.view->frameGeometry().right() + 20, scene.view->y());
        without.expandAll();
        without.show();
        QCoreApplication::processEvents();
        scrollThrough(without);
        std::printf("scrolling %d sites on %d hosts, a page at a time (%d rows a page)\n", sites,
                    hosts, scene.view->verticalScrollBar()->pageStep());
        std::printf("    %-30s %10s %10s\n", "", "mean ms", "p95 ms");
        comparePasses("icons in memory (the cache filled in this run)", *scene.view, without,
                      service);
        scene.view->siteModel().setSiteIcons(nullptr, &scene.table);
        service.shutdown(500);
    }
    if (stopping()) {
        return;
    }
    // As at the next start: the icons are on disk alone.
    IconService service(http, cache.path(), clock);
    SiteIcons icons(service, settings);
    scene.view->siteModel().setSiteIcons(&icons, &scene.table);
    SiteTreeView without(scene.tree);
    without.resize(scene.view->size());
    // Beside the other, for a look at both on a display.
    without.move(scene.view->frameGeometry().right() + 20, scene.view->y());
    without.expandAll();
    without.show();
    QCoreApplication::processEvents();
    comparePasses("icons read again from the disk cache (the next start)", *scene.view, without,
                  service);
    service.shutdown(500);
}

}  // namespace

int main(int argc, char* argv[]) {
    stopOnSignals();
    // Before any thread starts.
    ServerProcess server(20);
    TimingApplication app(argc, argv);
    const QList<int> numbers = numberArguments();
    firstStart(app, server, std::max(1, numbers.value(0, 1000)),
               std::max(1, numbers.value(1, 200)));
    if (!stopping()) {
        scrolling(std::max(1, numbers.value(2, 27000)), std::max(1, numbers.value(3, 1000)));
    }
    if (stopping()) {
        std::fprintf(stderr, "stopped by signal %d\n", stopSignal.load());
        return 128 + stopSignal.load();
    }
    return 0;
}
