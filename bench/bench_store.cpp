// The shown-list comparison of one patrolled site and the digest behind it.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <memory>

#include "bench/benchprogram.h"
#include "core/appstate.h"
#include "patrol/shownlists.h"
#include "patrol/md5.h"

namespace {

constexpr int kItems = 1000;

// A program directory in a temporary folder with one site.
struct Program : BenchProgram {
    Program() {
        SiteRow site;
        site.intKind = kKindSite;
        site.strXmlUrl = QStringLiteral("http://www.example.com/rss/index.rdf");
        state->SiteTable.append(site);
        useShownLists(*state);
        QDir().mkpath(dir.filePath(QStringLiteral("temporary")));
    }
    [[nodiscard]] const QString& feedUrl() const { return state->SiteTable[0].strXmlUrl; }
    QString link(int i) const {
        return QStringLiteral("http://www.example.com/news/2006/03/16/article-%1.html").arg(i);
    }
    QList<ArticleRecord> feed(int first) const {
        QList<ArticleRecord> records;
        for (int i = first; i < first + kItems; ++i) {
            ArticleRecord record;
            record.Link = link(i);
            records.append(record);
        }
        return records;
    }
    // kItems lines for the links first … first + kItems − 1.
    void writeShownList(int first) const {
        QByteArray content;
        for (int i = first; i < first + kItems; ++i) {
            content += MD5Hex(link(i)).toLatin1() + "20060316120000\r\n";
        }
        QFile file(shownListPath(*state, state->SiteTable[0].strXmlUrl));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            file.write(content);
        }
    }
};

// Every item was shown and every line matches: read, compare, no rewrite needed.
void BM_MarkShownArticles_AllShown(benchmark::State& bench) {
    Program program;
    program.writeShownList(0);
    for (auto _ : bench) {
        QList<ArticleRecord> records = program.feed(0);
        program.state->shownStore().MarkShownArticles(program.feedUrl(), records);
        benchmark::DoNotOptimize(records);
    }
}
BENCHMARK(BM_MarkShownArticles_AllShown)->Unit(benchmark::kMillisecond);

// Half the lines belong to articles that left the feed: the file is pruned, and its
// rewrite queued. The caller's time only: the writer thread does the rewrite.
void BM_MarkShownArticles_Prune(benchmark::State& bench) {
    Program program;
    for (auto _ : bench) {
        bench.PauseTiming();
        program.state->shownStore().flush();
        program.writeShownList(kItems / 2);
        QList<ArticleRecord> records = program.feed(0);
        bench.ResumeTiming();
        program.state->shownStore().MarkShownArticles(program.feedUrl(), records);
        benchmark::DoNotOptimize(records);
    }
}
BENCHMARK(BM_MarkShownArticles_Prune)->Unit(benchmark::kMillisecond);

// The same with the rewrite waited for: what the caller paid when it wrote the file itself.
void BM_MarkShownArticles_PruneAndWrite(benchmark::State& bench) {
    Program program;
    for (auto _ : bench) {
        bench.PauseTiming();
        program.writeShownList(kItems / 2);
        QList<ArticleRecord> records = program.feed(0);
        bench.ResumeTiming();
        program.state->shownStore().MarkShownArticles(program.feedUrl(), records);
        program.state->shownStore().flush();
        benchmark::DoNotOptimize(records);
    }
}
BENCHMARK(BM_MarkShownArticles_PruneAndWrite)->Unit(benchmark::kMillisecond);

// What showing a headline costs the thread that shows it: the line is made and queued.
void BM_RecordNewsShown(benchmark::State& bench) {
    Program program;
    ArticleRecord record;
    record.FeedUrl = program.feedUrl();
    int i = 0;
    for (auto _ : bench) {
        record.Link = program.link(i++);
        record.IsNew = true;
        program.state->shownStore().RecordNewsShown(record);
    }
}
BENCHMARK(BM_RecordNewsShown)->Iterations(2000)->Unit(benchmark::kMicrosecond);

// The same with the line waited for: what the frame paid when it appended the line itself.
void BM_RecordNewsShownAndWrite(benchmark::State& bench) {
    Program program;
    ArticleRecord record;
    record.FeedUrl = program.feedUrl();
    int i = 0;
    for (auto _ : bench) {
        record.Link = program.link(i++);
        record.IsNew = true;
        program.state->shownStore().RecordNewsShown(record);
        program.state->shownStore().flush();
    }
}
BENCHMARK(BM_RecordNewsShownAndWrite)->Iterations(2000)->Unit(benchmark::kMicrosecond);

void BM_MD5Hex_Url(benchmark::State& bench) {
    const QString url = QStringLiteral("http://www.example.com/news/2006/03/16/article-12345.html");
    for (auto _ : bench) {
        benchmark::DoNotOptimize(MD5Hex(url));
    }
}
BENCHMARK(BM_MD5Hex_Url);

}  // namespace

BENCHMARK_MAIN();
