// Loading and saving site lists of the largest size a list may have (32,767 entries, 3,000
// folders nested up to 6 deep) and of a quarter of it. Saving must grow linearly: the
// 32k/8k ratio of the save times is printed at the end, against 4 (linear) and 16 (the
// quadratic walk of one scan of the node collection per folder). Its work is linear (4.1
// times the instructions); the time reads above 4 because the sites are spread round-robin
// over the folders, so the tree order visits the larger table all over, past the caches.
// BM_AddSiteEdit: the UI thread's time for one new site (the new-site dialog's return) in a
// shown tree of 10,000 sites, events processed until the window is idle again.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <iomanip>
#include <iostream>
#include <functional>
#include <map>
#include <memory>

#include "bench/benchprogram.h"
#include "core/appstate.h"
#include "sitelist/opml.h"
#include "sitelist/opmlreader.h"
#include "sitepane/sitelisthost.h"
#include "sitepane/propertiespanel.h"
#include "sitepane/sitelistpane.h"
#include "sitepane/sitetreeeditor.h"
#include "sitepane/sitetreeview.h"

namespace {

constexpr int kLargeEntries = kMaxOpmlEntries;
constexpr int kLargeFolders = 3000;
constexpr int kSmallEntries = 8192;
// The same share of folders as in the large list.
constexpr int kSmallFolders = kSmallEntries * kLargeFolders / kLargeEntries;

// A generated list in memory and its saved copy.
struct ListFixture {
    ListFixture(const QString& dir, int entries, int folders)
        : bench(dir), file(dir + QStringLiteral("/list%1.opml").arg(entries)) {
        build(entries, folders);
        saved = SaveOpml(bench.state, file);
    }

    // Folders first: three at the top, every later one in the folder (i - 3) / 4, which
    // nests 3,000 folders 6 deep. Then the sites, spread over the folders in turn.
    void build(int entries, int folders) {
        AppState& state = bench.state;
        for (int i = 0; i < entries; ++i) {
            const bool isFolder = i < folders;
            const int parent = isFolder ? (i < 3 ? -1 : (i - 3) / 4) : i % folders;
            SiteRow row;
            row.intKind = isFolder ? kKindFolder : kKindSite;
            row.strTitle = QStringLiteral("サイト %1 & <news>").arg(i);
            if (!isFolder) {
                row.strHtmlUrl = QStringLiteral("https://example.jp/%1/").arg(i);
                row.strXmlUrl = QStringLiteral("https://example.jp/%1/rss?a=1&b=2").arg(i);
            }
            const int index = state.SiteTable.append(row);
            state.siteTree.addNode(parent < 0 ? QStringLiteral("R") : keyOfIndex(parent),
                                   keyOfIndex(index), row.strTitle, row.intKind);
        }
    }

    BenchState bench;
    QString file;
    bool saved = false;
};

// The two lists, made on first use and kept for all runs.
class Lists {
public:
    ListFixture& get(int entries) {
        auto& fixture = byEntries[entries];
        if (!fixture) {
            const int folders = entries == kLargeEntries ? kLargeFolders : kSmallFolders;
            fixture = std::make_unique<ListFixture>(dir.path(), entries, folders);
        }
        return *fixture;
    }
    [[nodiscard]] QString path(const QString& name) const {
        return dir.path() + QLatin1Char('/') + name;
    }

private:
    QTemporaryDir dir;
    std::map<int, std::unique_ptr<ListFixture>> byEntries;
};

void saveList(benchmark::State& bench, Lists& lists) {
    ListFixture& fixture = lists.get(int(bench.range(0)));
    const QString out = lists.path(QStringLiteral("saved.opml"));
    for (auto _ : bench) {
        if (!SaveOpml(fixture.bench.state, out)) {
            bench.SkipWithError("SaveOpml failed");
            break;
        }
    }
    bench.counters["entries"] = double(fixture.bench.state.SiteTable.size());
}

void loadList(benchmark::State& bench, Lists& lists) {
    ListFixture& fixture = lists.get(int(bench.range(0)));
    if (!fixture.saved) {
        bench.SkipWithError("the list could not be saved");
        return;
    }
    BenchState target(lists.path(QString()));
    for (auto _ : bench) {
        if (!LoadOpml(target.state, fixture.file)) {
            bench.SkipWithError("LoadOpml failed");
            break;
        }
    }
    bench.counters["entries"] = double(target.state.SiteTable.size());
}

// The reading alone, from the bytes of the saved large list: the plain scan that lists as
// this program writes them take, against the XML reader that reads every list.
void readList(benchmark::State& bench, Lists& lists, bool plain) {
    ListFixture& fixture = lists.get(kLargeEntries);
    QFile in(fixture.file);
    if (!fixture.saved || !in.open(QIODevice::ReadOnly)) {
        bench.SkipWithError("the list could not be saved");
        return;
    }
    const QByteArray bytes = in.readAll();
    for (auto _ : bench) {
        const bool read =
            plain ? readPlainOpml(bytes).has_value() : readOpmlWithXmlReader(bytes).ok;
        if (!read) {
            bench.SkipWithError("the list was not read");
            break;
        }
    }
}

class NoHost final : public SiteListHost {
public:
    void openNewSiteDialog() override {}
    void setPasteEnabled(bool) override {}
    void popupEditMenu(const QPoint&) override {}
    void showStatus(const QString&) override {}
};

// 400 folders of 25 sites each, as a file the pane's list is loaded from.
QByteArray tenThousandSites() {
    QByteArray text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<opml version=\"1.1\"><body>\n";
    for (int f = 0; f < 400; ++f) {
        text += "<outline text=\"フォルダ " + QByteArray::number(f) + "\">\n";
        for (int s = 0; s < 25; ++s) {
            const QByteArray n = QByteArray::number(f * 25 + s);
            // No homepage: selecting a site fetches nothing.
            text += " <outline text=\"サイト " + n +
                    "\" htmlUrl=\"\" xmlUrl=\"https://example.jp/" + n + "/rss\"/>\n";
        }
        text += "</outline>\n";
    }
    return text + "</body></opml>\n";
}

void addSiteEdit(benchmark::State& bench, Lists& lists) {
    const QString file = lists.path(QStringLiteral("tenthousand.opml"));
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(tenThousandSites()) < 0) {
        bench.SkipWithError("cannot write the list");
        return;
    }
    out.close();
    BenchState target(lists.path(QString()));
    NoHost host;
    SiteListPane pane(target.state, host);
    if (!LoadOpml(target.state, file)) {
        bench.SkipWithError("LoadOpml failed");
        return;
    }
    pane.show();
    pane.selectFirstNode();
    QCoreApplication::processEvents();
    AppState& state = target.state;
    // A site in the middle of the list: the new ones go into its folder (each new site is
    // selected in turn, in the same folder).
    pane.trvOPML->selectNode(state.siteTree.find(keyOfIndex(200 * 26 + 1)));
    pane.properties->trvOPML_NodeClick();
    QCoreApplication::processEvents();
    for (auto _ : bench) {
        state.ClearNewSiteRow();
        state.NewSiteRow.strTitle = QStringLiteral("新しいサイト");
        state.NewSiteRow.strXmlUrl = QStringLiteral("https://new.example.jp/rss");
        pane.editor->mnuNewRdf_Click_Ret();
        QCoreApplication::processEvents();
    }
    bench.counters["entries"] = double(state.SiteTable.size());
}

// Prints as usual and keeps the save times for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                times[run.benchmark_name()] = run.GetAdjustedRealTime();
            }
        }
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Lists lists;
    benchmark::RegisterBenchmark("BM_SaveOpml", saveList, std::ref(lists))
        ->Arg(kSmallEntries)
        ->Arg(kLargeEntries)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_LoadOpml", loadList, std::ref(lists))
        ->Arg(kSmallEntries)
        ->Arg(kLargeEntries)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_ReadOpml/plain", readList, std::ref(lists), true)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_ReadOpml/xmlreader", readList, std::ref(lists), false)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_AddSiteEdit", addSiteEdit, std::ref(lists))
        ->Arg(10000)
        ->Unit(benchmark::kMillisecond);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto small = reporter.times.find("BM_SaveOpml/" + std::to_string(kSmallEntries));
    const auto large = reporter.times.find("BM_SaveOpml/" + std::to_string(kLargeEntries));
    if (small != reporter.times.end() && large != reporter.times.end() && small->second > 0) {
        std::cout << "SaveOpml time ratio " << kLargeEntries << "/" << kSmallEntries
                  << " entries: " << std::fixed << std::setprecision(2)
                  << large->second / small->second << " (linear "
                  << double(kLargeEntries) / kSmallEntries << ", quadratic "
                  << std::pow(double(kLargeEntries) / kSmallEntries, 2) << ")" << std::endl;
    }
    benchmark::Shutdown();
    return 0;
}
