// Loading and parsing whole feeds, as the patrol does for every site it visits.
// `bench_feed --write-feed=rss20|atom|json PATH` writes the 10,000-item feed of the benchmark
// instead, for the whole-process comparison of scripts/bench-feed-process, and
// `bench_feed --serve-bomb=json|rss` serves a compression bomb of tiny items over loopback
// HTTP (gzip) until it is stopped, its URL and sizes on the first line of the output.

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "formats/feedreader.h"
#include "platform/net/resourcefetch.h"
#include "tests/common/loopbackserver.h"

namespace {

const char16_t* const kJapaneseWords[] = {u"東京",   u"株価",     u"速報",     u"天気",
                                          u"新製品", u"〜発表〜", u"ニュース", u"開発者"};
const char* const kAsciiWords[] = {"Qt", "release", "update", "2006", "Linux", "beta"};

QString titleOf(int i) {
    return QString::fromUtf16(kJapaneseWords[i % 8]) + QLatin1Char(' ') +
           QLatin1String(kAsciiWords[i % 6]) + QString::fromUtf16(kJapaneseWords[(i / 8) % 8]) +
           QStringLiteral(" No.%1").arg(i);
}

// An RSS 2.0 feed of items with mixed Japanese and ASCII titles and a pubDate on each.
QByteArray rss20(int items) {
    QString text = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\">\n<channel>\n"
        "<title>ベンチマーク</title><link>http://bench.example.jp/</link>\n");
    const QString description = QStringLiteral(
        u"本日の記事の要約です。詳しくはリンク先をご覧ください。The summary of today's article, "
        u"with a few more words in English &amp; some markup &lt;b&gt;bold&lt;/b&gt;. "
        u"さらに日本語の文章が続きます。");
    for (int i = 0; i < items; ++i) {
        text += QStringLiteral(
                    "<item>\n  <title>%1</title>\n"
                    "  <link>http://bench.example.jp/news/2006/03/%2/article-%3.html</link>\n"
                    "  <description>%4</description>\n"
                    "  <pubDate>Thu, %2 Mar 2006 %5:%6:%7 +0900</pubDate>\n"
                    "  <guid>http://bench.example.jp/news/%3</guid>\n</item>\n")
                    .arg(titleOf(i))
                    .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                    .arg(i)
                    .arg(description)
                    .arg(i % 24, 2, 10, QLatin1Char('0'))
                    .arg(i % 60, 2, 10, QLatin1Char('0'))
                    .arg((i * 7) % 60, 2, 10, QLatin1Char('0'));
    }
    return (text + QStringLiteral("</channel>\n</rss>\n")).toUtf8();
}

// An Atom 1.0 feed with the same titles, links and summaries as rss20(), dated by
// published on even entries and by updated alone on odd ones.
QByteArray atom10(int entries) {
    QString text = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<feed xmlns=\"http://www.w3.org/2005/Atom\" xml:lang=\"ja\" "
        "xml:base=\"http://bench.example.jp/\">\n"
        "<title>ベンチマーク</title><link rel=\"alternate\" href=\"http://bench.example.jp/\"/>\n"
        "<id>tag:bench.example.jp,2006:feed</id><updated>2006-03-28T23:59:00+09:00</updated>\n");
    const QString summary = QStringLiteral(
        u"本日の記事の要約です。詳しくはリンク先をご覧ください。The summary of today's article, "
        u"with a few more words in English &amp; some markup &lt;b&gt;bold&lt;/b&gt;. "
        u"さらに日本語の文章が続きます。");
    for (int i = 0; i < entries; ++i) {
        const QString stamp = QStringLiteral("2006-03-%1T%2:%3:%4+09:00")
                                  .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                                  .arg(i % 24, 2, 10, QLatin1Char('0'))
                                  .arg(i % 60, 2, 10, QLatin1Char('0'))
                                  .arg((i * 7) % 60, 2, 10, QLatin1Char('0'));
        text +=
            QStringLiteral(
                "<entry>\n  <title>%1</title>\n"
                "  <link href=\"/news/2006/03/%2/article-%3.html\"/>\n"
                "  <id>tag:bench.example.jp,2006:%3</id>\n"
                "  <%5>%4</%5>\n"
                "  <summary type=\"html\">%6</summary>\n</entry>\n")
                .arg(titleOf(i))
                .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                .arg(i)
                .arg(stamp, i % 2 == 0 ? QStringLiteral("published") : QStringLiteral("updated"),
                     summary);
    }
    return (text + QStringLiteral("</feed>\n")).toUtf8();
}

// A JSON Feed 1.1 with the same titles, links, summaries and dates as rss20(), one item a
// line, as feeds are commonly served.
QByteArray jsonFeed(int items) {
    const auto quoted = [](const QString& text) {
        QString escaped = text;
        escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
            .replace(QLatin1Char('"'), QStringLiteral("\\\""));
        return QLatin1Char('"') + escaped + QLatin1Char('"');
    };
    QString text = QStringLiteral(
        "{\"version\": \"https://jsonfeed.org/version/1.1\", \"title\": \"ベンチマーク\", "
        "\"home_page_url\": \"http://bench.example.jp/\", \"items\": [\n");
    const QString description = QStringLiteral(
        u"本日の記事の要約です。詳しくはリンク先をご覧ください。The summary of today's article, "
        u"with a few more words in English & some markup <b>bold</b>. "
        u"さらに日本語の文章が続きます。");
    for (int i = 0; i < items; ++i) {
        text += QStringLiteral(
                    "  {\"id\": \"http://bench.example.jp/news/%3\", \"title\": %1, "
                    "\"url\": \"http://bench.example.jp/news/2006/03/%2/article-%3.html\", "
                    "\"content_text\": %4, "
                    "\"date_published\": \"2006-03-%2T%5:%6:%7+09:00\"}%8\n")
                    .arg(quoted(titleOf(i)))
                    .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                    .arg(i)
                    .arg(quoted(description))
                    .arg(i % 24, 2, 10, QLatin1Char('0'))
                    .arg(i % 60, 2, 10, QLatin1Char('0'))
                    .arg((i * 7) % 60, 2, 10, QLatin1Char('0'))
                    .arg(i + 1 < items ? QStringLiteral(",") : QString());
    }
    return (text + QStringLiteral("]}\n")).toUtf8();
}

// An RSS 1.0 feed: items beside the channel, dc:date.
QByteArray rss10(int items) {
    QString text = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
        "xmlns=\"http://purl.org/rss/1.0/\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
        "<channel rdf:about=\"http://bench.example.jp/\"><title>ベンチマーク</title>"
        "<items><rdf:Seq>\n");
    for (int i = 0; i < items; ++i) {
        text +=
            QStringLiteral("<rdf:li rdf:resource=\"http://bench.example.jp/entry/%1\"/>\n").arg(i);
    }
    text += QStringLiteral("</rdf:Seq></items></channel>\n");
    for (int i = 0; i < items; ++i) {
        text += QStringLiteral(
                    "<item rdf:about=\"http://bench.example.jp/entry/%1\">\n"
                    "  <title>%2</title>\n  <link>http://bench.example.jp/entry/%1</link>\n"
                    "  <description>%3</description>\n"
                    "  <dc:date>2006-03-16T%4:%5:00+09:00</dc:date>\n</item>\n")
                    .arg(i)
                    .arg(titleOf(i))
                    .arg(QStringLiteral(u"山小屋からのお知らせ。Notes from the hut."))
                    .arg(i % 24, 2, 10, QLatin1Char('0'))
                    .arg(i % 60, 2, 10, QLatin1Char('0'));
    }
    return (text + QStringLiteral("</rdf:RDF>\n")).toUtf8();
}

void loadAndParse(benchmark::State& bench, const QByteArray& feed) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("feed.xml"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(feed) != feed.size()) {
        bench.SkipWithError("cannot write the feed file");
        return;
    }
    file.close();
    qsizetype items = 0;
    for (auto _ : bench) {
        const FetchedResource fetched = fetchResource(path, FetchOptions{});
        const FeedReadResult read = readFeed(fetched.body, fetched.contentType, fetched.url);
        if (!read.hasItems()) {
            bench.SkipWithError("the feed did not parse");
            return;
        }
        items = read.items.size();
        benchmark::DoNotOptimize(read);
    }
    bench.SetBytesProcessed(qint64(bench.iterations()) * feed.size());
    bench.counters["items"] = double(items);
    bench.counters["MB"] = double(feed.size()) / 1e6;
}

void BM_Feed_Rss20_10000Items(benchmark::State& bench) {
    loadAndParse(bench, rss20(10000));
}
BENCHMARK(BM_Feed_Rss20_10000Items)->Unit(benchmark::kMillisecond);

void BM_Feed_Rss10_1000Items(benchmark::State& bench) {
    loadAndParse(bench, rss10(1000));
}
BENCHMARK(BM_Feed_Rss10_1000Items)->Unit(benchmark::kMillisecond);

void BM_Feed_Atom_10000Entries(benchmark::State& bench) {
    loadAndParse(bench, atom10(10000));
}
BENCHMARK(BM_Feed_Atom_10000Entries)->Unit(benchmark::kMillisecond);

// The read alone over bytes in memory: the part this program adds to the fetch.
void readOnly(benchmark::State& bench, const QByteArray& feed) {
    for (auto _ : bench) {
        const FeedReadResult read = readFeed(feed);
        if (!read.hasItems()) {
            bench.SkipWithError("the feed did not parse");
            return;
        }
        benchmark::DoNotOptimize(read);
    }
    bench.SetBytesProcessed(qint64(bench.iterations()) * feed.size());
}

void BM_Feed_Json_10000Items(benchmark::State& bench) {
    loadAndParse(bench, jsonFeed(10000));
}
BENCHMARK(BM_Feed_Json_10000Items)->Unit(benchmark::kMillisecond);

void BM_Feed_Rss20_10000Items_ParseOnly(benchmark::State& bench) {
    readOnly(bench, rss20(10000));
}
BENCHMARK(BM_Feed_Rss20_10000Items_ParseOnly)->Unit(benchmark::kMillisecond);

void BM_Feed_Atom_10000Entries_ParseOnly(benchmark::State& bench) {
    readOnly(bench, atom10(10000));
}
BENCHMARK(BM_Feed_Atom_10000Entries_ParseOnly)->Unit(benchmark::kMillisecond);

void BM_Feed_Json_10000Items_ParseOnly(benchmark::State& bench) {
    readOnly(bench, jsonFeed(10000));
}
BENCHMARK(BM_Feed_Json_10000Items_ParseOnly)->Unit(benchmark::kMillisecond);

// One item whose title is state.range(0) MiB of plain text, of character references, or
// (Atom) of HTML markup. Reading must stay linear in the title's size: the 10 MiB case
// should take about ten times the 1 MiB one.
enum class HugeTitle { Plain, References, AtomHtml };

QByteArray feedWithHugeTitle(HugeTitle kind, qsizetype bytes) {
    switch (kind) {
        case HugeTitle::Plain:
            return "<rss><channel><item><title>" + QByteArray(bytes, 'x') +
                   "</title></item></channel></rss>";
        case HugeTitle::References:
            return "<rss><channel><item><title>" + QByteArray("&amp;").repeated(bytes / 5) +
                   "</title></item></channel></rss>";
        case HugeTitle::AtomHtml:
            return "<feed xmlns='http://www.w3.org/2005/Atom'><entry><title type='html'>" +
                   QByteArray("&lt;b&gt;x&amp;amp;").repeated(bytes / 19) +
                   "</title></entry></feed>";
    }
    return {};
}

void BM_Feed_HugeTitle(benchmark::State& bench) {
    const QByteArray feed =
        feedWithHugeTitle(HugeTitle(bench.range(0)), qsizetype(bench.range(1)) << 20);
    for (auto _ : bench) {
        const FeedReadResult read = readFeed(feed);
        if (!read.hasItems() || read.items.first().Title.size() != kMaxFeedTitleLength) {
            bench.SkipWithError("the title was not read and cut");
            return;
        }
        benchmark::DoNotOptimize(read);
    }
    bench.SetBytesProcessed(qint64(bench.iterations()) * feed.size());
}
BENCHMARK(BM_Feed_HugeTitle)
    ->ArgsProduct({{int(HugeTitle::Plain), int(HugeTitle::References), int(HugeTitle::AtomHtml)},
                   {1, 10}})
    ->ArgNames({"kind", "MiB"})
    ->Unit(benchmark::kMillisecond);

// --write-feed=KIND PATH: writes one generated feed and returns its exit status; -1 when
// the arguments ask for no such thing.
int writeFeedIfAsked(int argc, char** argv) {
    constexpr const char kOption[] = "--write-feed=";
    if (argc != 3 || std::strncmp(argv[1], kOption, sizeof kOption - 1) != 0) {
        return -1;
    }
    const QByteArray kind(argv[1] + sizeof kOption - 1);
    QByteArray feed;
    if (kind == "rss20") {
        feed = rss20(10000);
    } else if (kind == "atom") {
        feed = atom10(10000);
    } else if (kind == "json") {
        feed = jsonFeed(10000);
    } else {
        std::fprintf(stderr, "unknown feed kind: %s (rss20, atom or json)\n", kind.constData());
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[2]));
    if (!file.open(QIODevice::WriteOnly) || file.write(feed) != feed.size()) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}

// About 14 MB of the smallest items each format has, some 25 KB once compressed: passes the
// item limit long before its end. The JSON Feed names its version last, so that the whole
// document must be read before it is known to be a feed.
QByteArray compressionBomb(const QByteArray& kind) {
    if (kind == "json") {
        return "{\"items\": [" + QByteArray("{\"title\":\"x\"},").repeated(1'000'000) +
               "{}], \"version\": \"https://jsonfeed.org/version/1.1\"}";
    }
    return "<rss version=\"2.0\"><channel>" +
           QByteArray("<item><title>x</title></item>").repeated(500'000) + "</channel></rss>";
}

// --serve-bomb=KIND: serves compressionBomb(KIND) at /bomb until the process is ended; -1
// when the arguments ask for no such thing.
int serveBombIfAsked(int argc, char** argv) {
    constexpr const char kOption[] = "--serve-bomb=";
    if (argc != 2 || std::strncmp(argv[1], kOption, sizeof kOption - 1) != 0) {
        return -1;
    }
    const QByteArray kind(argv[1] + sizeof kOption - 1);
    if (kind != "json" && kind != "rss") {
        std::fprintf(stderr, "unknown bomb: %s (json or rss)\n", kind.constData());
        return 2;
    }
    const QByteArray bomb = compressionBomb(kind);
    LoopbackServer server;
    if (!server.isListening()) {
        std::fprintf(stderr, "cannot listen on the loopback interface\n");
        return 1;
    }
    server.serveGzip(QStringLiteral("/bomb"), bomb,
                     kind == "json" ? "application/feed+json" : "application/rss+xml");
    std::printf("%s %lld %lld\n", qPrintable(server.url(QStringLiteral("/bomb"))),
                static_cast<long long>(bomb.size()),
                static_cast<long long>(LoopbackServer::gzip(bomb).size()));
    std::fflush(stdout);
    for (;;) {
        std::this_thread::sleep_for(std::chrono::hours(1));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (const int status = writeFeedIfAsked(argc, argv); status >= 0) {
        return status;
    }
    if (const int status = serveBombIfAsked(argc, argv); status >= 0) {
        return status;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
