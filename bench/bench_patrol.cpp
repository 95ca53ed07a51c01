// How long the UI thread stalls while the patrol fetches, and how long a patrol takes: 100
// loopback feeds that each answer after 200 ms, in the all-sites and the one-site mode,
// and the same with one site that never answers. A 1 ms timer on the UI thread records the
// longest gap between its ticks while the patrol runs. Then the same all-sites patrol over
// headlines built to make a backtracking matcher give up (aaa…a!, word word … !), without
// rules, with the worst rules found so far (/(a+)+$/, /(\w+\s?)+$/), and with those rules
// rewritten half way through, so that the feeds read before are judged again.
//
// Usage: bench_patrol [sites] [delay-ms]; options of the other benchmarks (--...) are
// ignored.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

#include "bench/benchprogram.h"
#include "bench/loopbackfeeds.h"
#include "rules/rulesstore.h"
#include "tests/common/loopbackserver.h"
#include "tests/common/nullpatrolhost.h"
#include "core/appstate.h"
#include "patrol/frmtask.h"
#include "patrol/networkfeedservice.h"
#include "patrol/shownlists.h"

namespace {

struct Outcome {
    qint64 longestStallMs = 0;
    qint64 totalMs = 0;
};

enum class Rules { None, Worst, WorstRewritten };

const QByteArray kWorstRules = "hold\t/(a+)+$/\nmute\t/(\\w+\\s?)+$/\n";

// Twenty items whose titles make /(a+)+$/ and /(\w+\s?)+$/ backtrack without end.
QByteArray hostileFeed(int site) {
    QByteArray feed = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\"><channel>";
    for (int i = 0; i < 20; ++i) {
        QByteArray title;
        if (i % 2 == 0) {
            title = QByteArray(30 + i, 'a') + '!';
        } else {
            for (int w = 0; w < 12; ++w) {
                title += "word" + QByteArray::number(w) + ' ';
            }
            title += '!';
        }
        feed += "<item><title>" + title + "</title><link>http://example.com/" +
                QByteArray::number(site) + "/" + QByteArray::number(i) + "</link></item>";
    }
    return feed + "</channel></rss>";
}

void serveHostileSites(LoopbackServer& server, AppState& state, int sites, int delayMs) {
    serveSites(server, state, sites, delayMs, "hostile", hostileFeed);
}

bool writeRules(const AppState& state, const QByteArray& text) {
    QFile file(state.programFile(QString::fromLatin1(kRulesFileName)));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}

Outcome runPatrol(int sites, int delayMs, PatrolMode mode, bool oneHangs,
                  std::optional<Rules> hostile = std::nullopt) {
    BenchProgram program;
    AppState& state = *program.state;
    state.useFeedService(
        std::make_unique<NetworkFeedService>(state.fetchOptions, state.seams.clock));
    useShownLists(state);
    // A site that never answers is given up at the whole-transfer limit.
    state.fetchOptions.totalTimeoutMs = 5000;
    state.settings.AUTO_PIROT_MODE = mode;

    LoopbackServer server;
    if (hostile) {
        serveHostileSites(server, state, sites, delayMs);
        if (*hostile != Rules::None && !writeRules(state, kWorstRules)) {
            return {};
        }
    } else {
        serveOldSampleSites(server, state, sites, delayMs, oneHangs ? sites / 2 : -1);
    }
    state.rulesStore().reload();

    NullTicker ticker;
    NullStatus status;
    frmTask task(state, ticker, status);

    if (hostile == Rules::WorstRewritten) {
        // Half way, as a sync tool or an editor would: the feeds read so far are stale.
        QTimer::singleShot(sites * delayMs / frmTask::kMaxPatrolFetches / 2, [&] {
            writeRules(state, "# rewritten\n" + kWorstRules);
            state.rulesStore().reload();
        });
    }
    Outcome outcome;
    // The patrol may wait for the rules' first read before it starts: until it has been
    // seen running, it has not ended.
    bool started = false;
    outcome.totalMs = runUntil([&] { task.RssRefresh(); },
                               [&] {
                                   started = started || task.isPatrolling();
                                   return started && !task.isPatrolling();
                               },
                               outcome.longestStallMs);
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

    std::printf("\nall sites, headlines built to hurt a backtracking matcher\n");
    std::printf("%-40s %18s %10s %10s\n", "case", "longest stall ms", "patrol s", "x no rules");
    const struct {
        const char* name;
        Rules rules;
    } ruleCases[] = {
        {"no rules", Rules::None},
        {"/(a+)+$/ and /(\\w+\\s?)+$/", Rules::Worst},
        {"the same, rewritten half way", Rules::WorstRewritten},
    };
    double without = 0;
    for (const auto& c : ruleCases) {
        const Outcome outcome = runPatrol(sites, delayMs, PatrolMode::AllSites, false, c.rules);
        const double seconds = double(outcome.totalMs) / 1000.0;
        if (c.rules == Rules::None) {
            without = seconds;
        }
        std::printf("%-40s %18lld %10.2f %10.2f\n", c.name,
                    static_cast<long long>(outcome.longestStallMs), seconds,
                    without > 0 ? seconds / without : 0.0);
        std::fflush(stdout);
    }
    return 0;
}
