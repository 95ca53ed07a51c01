// An account's folder of 5,000 feeds in 200 nested folders shown in the main window's tree:
// the longest slice of the UI thread (every event it handles, timed in wall and in the thread's
// own CPU time) from the moment the tree file is asked for until the folder is shown and
// drawn. Two cases: the folder shown at start (collapsed), and the same file shown again (as
// after a patrol) while every folder of it is open and a feed selected, which the view keeps.
//
// Usage: bench_accounttree [runs]; options of the other benchmarks (--...) are ignored.

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include "accounts/accountsservice.h"
#include "accounts/accounttreefile.h"
#include "bench/benchprogram.h"
#include "core/appstate.h"
#include "core/siterow.h"
#include "sitepane/accounttrees.h"
#include "sitepane/sitelisthost.h"
#include "sitepane/sitelistpane.h"
#include "sitepane/sitetreeview.h"

namespace {

constexpr int kFeeds = 5000;
constexpr int kTopFolders = 20;
constexpr int kSubFolders = 9;  // per top folder
constexpr int kFolders = kTopFolders * (1 + kSubFolders);

// Times every event the UI thread handles (the outermost only: a nested one is part of it).
class TimingApplication final : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        if (depth > 0 || !measuring) {
            ++depth;
            const bool handled = QApplication::notify(receiver, event);
            --depth;
            return handled;
        }
        const char* receiverClass = receiver->metaObject()->className();
        const int eventType = int(event->type());
        QElapsedTimer timer;
        timer.start();
        const qint64 cpuBefore = threadCpuNs();
        ++depth;
        const bool handled = QApplication::notify(receiver, event);
        --depth;
        const qint64 cpu = threadCpuNs() - cpuBefore;
        longestNs = std::max(longestNs, timer.nsecsElapsed());
        if (cpu > longestCpuNs) {
            longestCpuNs = cpu;
            longestWhat = QStringLiteral("%1, event %2")
                              .arg(QString::fromLatin1(receiverClass))
                              .arg(eventType);
        }
        return handled;
    }
    static qint64 threadCpuNs() {
        timespec now{};
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
    }
    void reset() {
        longestNs = 0;
        longestCpuNs = 0;
        longestWhat.clear();
    }

    bool measuring = false;
    int depth = 0;
    qint64 longestNs = 0;
    qint64 longestCpuNs = 0;
    // What took the longest CPU slice: the receiver's class and the event's type.
    QString longestWhat;
};

class NoHost final : public SiteListHost {
public:
    void openNewSiteDialog() override {}
    void setPasteEnabled(bool) override {}
    void popupEditMenu(const QPoint&) override {}
    void showStatus(const QString&) override {}
};

// One account, as accounts.ini would list it, with no server behind it.
class OneAccount final : public AccountsService {
public:
    [[nodiscard]] QList<AccountSettings> accounts() const override {
        AccountSettings settings;
        settings.number = 1;
        settings.type = QStringLiteral("ttrss");
        settings.user = QStringLiteral("bench");
        settings.url = QStringLiteral("https://rss.example/tt-rss/");
        return {settings};
    }
    [[nodiscard]] Status status(int) const override { return {}; }
    [[nodiscard]] AccountClient* client(int) const override { return nullptr; }
    void reload() override {}
    void fileWritten() { Q_EMIT treeChanged(1); }
};

AccountFolder bigTree() {
    AccountFolder tree;
    tree.title = QStringLiteral("bench@rss.example");
    int feed = 0;
    int folderId = 1;
    const auto addFeeds = [&feed](AccountFolder& folder) {
        for (int i = 0; i < kFeeds / kFolders; ++i, ++feed) {
            AccountFeed f;
            f.id = QString::number(1000 + feed);
            f.title = QStringLiteral("フィード %1 のニュース").arg(feed);
            f.feedUrl = QStringLiteral("https://site%1.example.jp/rss?a=1&b=%1").arg(feed);
            f.unread = feed % 7;
            folder.feeds.append(f);
        }
    };
    for (int t = 0; t < kTopFolders; ++t) {
        AccountFolder top;
        top.id = QString::number(folderId++);
        top.title = QStringLiteral("フォルダ %1").arg(t);
        for (int s = 0; s < kSubFolders; ++s) {
            AccountFolder sub;
            sub.id = QString::number(folderId++);
            sub.title = QStringLiteral("サブフォルダ %1-%2").arg(t).arg(s);
            addFeeds(sub);
            top.folders.append(sub);
        }
        addFeeds(top);
        tree.folders.append(top);
    }
    return tree;
}

struct Slice {
    double wallMs = 0;
    double cpuMs = 0;
    QString what;
};

// Runs start inside an event, then the event loop until shown() holds and 300 ms more (the
// view's delayed layout and paint); gives the longest slice.
template <typename Start, typename Shown>
Slice measure(TimingApplication& app, Start start, Shown shown) {
    app.reset();
    app.measuring = true;
    QTimer::singleShot(0, start);
    QElapsedTimer limit;
    limit.start();
    while (!shown() && limit.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    QElapsedTimer after;
    after.start();
    while (after.elapsed() < 300) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    app.measuring = false;
    return {double(app.longestNs) / 1e6, double(app.longestCpuNs) / 1e6, app.longestWhat};
}

void expandAll(SiteTreeView& view, const SiteNode* node) {
    view.expandNode(node);
    for (const SiteNode* child : node->children) {
        if (child->image == kImageFolder) {
            expandAll(view, child);
        }
    }
}

void report(const char* name, std::vector<Slice> slices) {
    std::sort(slices.begin(), slices.end(),
              [](const Slice& a, const Slice& b) { return a.wallMs < b.wallMs; });
    const Slice& median = slices.at(slices.size() / 2);
    const Slice& worst = slices.back();
    const Slice* worstCpu = &slices.front();
    for (const Slice& s : slices) {
        worstCpu = s.cpuMs > worstCpu->cpuMs ? &s : worstCpu;
    }
    std::printf("%-36s %10.1f %10.1f %10.1f %10.1f  %s\n", name, median.wallMs, worst.wallMs,
                median.cpuMs, worstCpu->cpuMs, qPrintable(worstCpu->what));
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                    : qgetenv("QT_QPA_PLATFORM"));
    TimingApplication app(argc, argv);
    int runs = 5;
    if (argc > 1 && argv[1][0] != '-') {
        runs = std::max(1, std::atoi(argv[1]));
    }
    QTemporaryDir dir;
    BenchState bench(dir.path());
    AppState& state = bench.state;
    if (!writeAccountTreeFile(accountTreePath(dir.path(), 1), bigTree())) {
        std::fprintf(stderr, "cannot write the tree file\n");
        return 1;
    }
    NoHost host;
    OneAccount service;
    SiteListPane pane(state, host);
    pane.resize(900, 700);
    pane.show();
    QCoreApplication::processEvents();

    const QString top = accountKeyPrefix(1);
    std::vector<Slice> first;
    std::vector<Slice> again;
    for (int run = 0; run < runs; ++run) {
        // At start: no folder yet, the file read and the folder shown collapsed.
        pane.useAccounts(nullptr);
        QCoreApplication::processEvents();
        first.push_back(measure(
            app, [&] { pane.useAccounts(&service); },
            [&] { return state.siteTree.find(top) && !pane.accounts->isReading(); }));
        // After a patrol wrote the file anew: every folder open, a feed selected.
        expandAll(*pane.trvOPML, state.siteTree.find(top));
        pane.trvOPML->selectNode(state.siteTree.find(top)->children.last()->children.last());
        QCoreApplication::processEvents();
        const qint64 before = state.siteTree.find(top)->serial;
        again.push_back(measure(
            app, [&] { service.fileWritten(); },
            [&] {
                const SiteNode* now = state.siteTree.find(top);
                return now && now->serial != before && !pane.accounts->isReading();
            }));
    }
    std::printf("%d feeds in %d folders, %d runs; longest UI-thread slice (goal <= 16 ms)\n",
                kFeeds, kFolders, runs);
    std::printf("%-36s %10s %10s %10s %10s  %s\n", "case", "median ms", "worst ms", "median cpu",
                "worst cpu", "longest in");
    report("shown at start (collapsed)", first);
    report("shown again, every folder open", again);
    return 0;
}
