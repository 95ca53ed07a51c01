// The display rules at the queue admission: 10,000 headlines of 100 sites against 200 rules
// (150 plain texts, 50 regular expressions, a third of them for one site), the compile of
// those rules, and the two ways of matching each kind that were weighed against each other.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <memory>
#include <random>

#include "bench/benchprogram.h"
#include "core/appstate.h"
#include "patrol/admission.h"
#include "patrol/feeditems.h"
#include "rules/boundedregex.h"
#include "rules/rulesdocument.h"
#include "rules/rulesstore.h"
#include "rules/ruleset.h"

namespace {

constexpr int kSites = 100;
constexpr int kArticles = 10000;

const char16_t* const kJapaneseWords[] = {
    u"速報",       u"地震",    u"選挙",   u"株価",     u"円安",     u"台風", u"新製品",
    u"発表",       u"決算",    u"値上げ", u"事故",     u"訃報",     u"野球", u"サッカー",
    u"アニメ",     u"ゲーム",  u"スマホ", u"半導体",   u"人工知能", u"宇宙", u"ロケット",
    u"電気自動車", u"再開発",  u"鉄道",   u"運休",     u"遅延",     u"大雨", u"猛暑",
    u"観光",       u"旅行",    u"グルメ", u"ラーメン", u"新型",     u"感染", u"ワクチン",
    u"政府",       u"首相",    u"国会",   u"法案",     u"裁判",     u"判決", u"逮捕",
    u"ｾｰﾙ",        u"ｷｬﾝﾍﾟｰﾝ", u"ＰＲ",   u"広告",     u"限定",     u"無料", u"配信",
    u"映画",       u"音楽",    u"ライブ", u"結婚",     u"引退",     u"移籍", u"優勝",
};
const char* const kEnglishWords[] = {
    "breaking",  "Bitcoin", "crypto",   "election", "earnings", "launch",    "release", "update",
    "security",  "exploit", "outage",   "Apple",    "Google",   "Microsoft", "Linux",   "Rust",
    "Python",    "review",  "deal",     "sale",     "discount", "sponsored", "podcast", "video",
    "interview", "opinion", "analysis", "rumor",    "leak",     "patch",     "beta",    "stable",
    "kernel",    "browser", "privacy",  "lawsuit",  "merger",   "layoffs",   "startup", "funding",
};

QString siteUrl(int site) {
    return QStringLiteral("https://site%1.example.jp/rss").arg(site);
}

// 150 plain texts (words that turn up in headlines and some that never do), 50 regular
// expressions in the shapes people write; every third rule for one site.
QByteArray makeRules() {
    QStringList patterns;
    for (const char16_t* word : kJapaneseWords) {
        patterns.append(QString::fromUtf16(word));
    }
    for (const char* word : kEnglishWords) {
        patterns.append(QString::fromLatin1(word));
    }
    for (int i = 0; patterns.size() < 150; ++i) {
        patterns.append(i % 2 ? QStringLiteral("キーワード%1").arg(i)
                              : QStringLiteral("keyword-%1").arg(i));
    }
    const char16_t* const shapes[] = {
        u"^\\[PR\\]%1",
        u"\\b%1\\d+\\b",
        u"(?:セール|sale)\\s*%1%",
        u"第%1話",
        u"^【%1】",
        u"\\d+%\\s*off.*%1",
        u"(foo|bar)%1baz",
        u"[A-Z]{3}-%1",
        u"(?:号外|extra)\\s+no\\.?\\s*%1",
        u"ver\\.?\\s*%1\\.\\d+",
    };
    for (int i = 0; i < 50; ++i) {
        patterns.append(QLatin1Char('/') + QString::fromUtf16(shapes[i % 10]).arg(i) +
                        QLatin1Char('/'));
    }
    const char* const actions[] = {"mute", "hold", "highlight"};
    QByteArray text = "# bench rules\n";
    for (int r = 0; r < patterns.size(); ++r) {
        QByteArray line = QByteArray(actions[r % 3]) + '\t' + patterns[r].toUtf8();
        if (r % 3 == 1) {
            line += '\t' + siteUrl(r % kSites).toUtf8();
        }
        text += line + '\n';
    }
    return text;
}

// Headlines of 20 to 60 characters, Japanese and English, some meeting a rule.
QList<ArticleRecord> makeArticles() {
    std::mt19937 random(21);
    const auto pick = [&](int n) { return int(random() % unsigned(n)); };
    const QString fillers[] = {QStringLiteral("について"),
                               QStringLiteral("の最新情報"),
                               QStringLiteral("、専門家に聞く"),
                               QStringLiteral(" 2024年版"),
                               QStringLiteral(" what we know so far"),
                               QStringLiteral(" and why it matters")};
    QList<ArticleRecord> articles;
    for (int i = 0; i < kArticles; ++i) {
        QString title;
        const bool japanese = pick(10) < 6;
        for (int words = 0; words < 3 + pick(3); ++words) {
            if (japanese) {
                title += pick(4) == 0 ? QString::fromUtf16(kJapaneseWords[pick(56)])
                                      : QStringLiteral("記事の見出し");
            } else {
                title += (pick(4) == 0 ? QString::fromLatin1(kEnglishWords[pick(40)])
                                       : QStringLiteral("headline")) +
                         QLatin1Char(' ');
            }
        }
        title += fillers[pick(6)];
        ArticleRecord record;
        record.Title = title;
        record.Link = QStringLiteral("https://site%1.example.jp/news/%2").arg(i % kSites).arg(i);
        record.SiteIndex = qint16(i % kSites);
        articles.append(record);
    }
    return articles;
}

struct Program : BenchProgram {
    Program() {
        for (int s = 0; s < kSites; ++s) {
            SiteRow site;
            site.intKind = kKindSite;
            site.strXmlUrl = siteUrl(s);
            state->SiteTable.append(site);
        }
    }
    const QList<ArticleRecord> articles = makeArticles();
    const std::shared_ptr<const RuleSet> rules =
        RuleSet::compile(RulesDocument::fromBytes(makeRules()));
};

void BM_CompileRules(benchmark::State& bench) {
    const QByteArray text = makeRules();
    for (auto _ : bench) {
        benchmark::DoNotOptimize(RuleSet::compile(RulesDocument::fromBytes(text)));
    }
}
BENCHMARK(BM_CompileRules)->Unit(benchmark::kMillisecond);

// The design's admission of 10,000 fresh articles: the yardstick.
void BM_AdmissionWithoutRules(benchmark::State& bench) {
    Program program;
    for (auto _ : bench) {
        program.state->NewsQueue.clear();
        for (const ArticleRecord& record : program.articles) {
            admitToNewsQueue(*program.state, record);
        }
        benchmark::DoNotOptimize(program.state->NewsQueue.lastIndex());
    }
}
BENCHMARK(BM_AdmissionWithoutRules)->Unit(benchmark::kMillisecond);

// The same with each headline's verdict asked first; a muted one is not admitted.
void BM_AdmissionWithRules(benchmark::State& bench) {
    Program program;
    int muted = 0;
    for (auto _ : bench) {
        program.state->NewsQueue.clear();
        muted = 0;
        for (const ArticleRecord& record : program.articles) {
            const QString& feedUrl = program.state->SiteTable[record.SiteIndex].strXmlUrl;
            if (program.rules->verdict(record.Title, feedUrl).action == RuleAction::Mute) {
                ++muted;
                continue;
            }
            admitToNewsQueue(*program.state, record);
        }
        benchmark::DoNotOptimize(program.state->NewsQueue.lastIndex());
    }
    bench.counters["muted"] = muted;
}
BENCHMARK(BM_AdmissionWithRules)->Unit(benchmark::kMillisecond);

// The verdicts alone: what a reader thread adds to the reading of a feed.
void BM_Verdicts(benchmark::State& bench) {
    Program program;
    for (auto _ : bench) {
        for (const ArticleRecord& record : program.articles) {
            benchmark::DoNotOptimize(program.rules->verdict(
                record.Title, program.state->SiteTable[record.SiteIndex].strXmlUrl));
        }
    }
}
BENCHMARK(BM_Verdicts)->Unit(benchmark::kMillisecond);

// What a patrol of 100 sites of 20 items each costs the UI thread from the read feed to the
// queue: the copy of each site's items, the look at their verdicts, the admission (the
// shown-list files, the same with or without rules, are left out). Arg 0: no rules, as the
// design had it; 1: 200 rules whose verdicts came with the feeds from the reader threads
// (rules changed since go to the patrol's judging thread, never to this one).
void BM_PatrolUiThread(benchmark::State& bench) {
    constexpr int kItemsPerSite = 20;
    const int variant = int(bench.range(0));
    Program program;
    AppState& state = *program.state;
    if (variant > 0) {
        QFile file(state.rulesStore().path());
        if (!file.open(QIODevice::WriteOnly) || file.write(makeRules()) < 0) {
            bench.SkipWithError("rules.txt not written");
            return;
        }
        file.close();
        bool read = false;
        state.rulesStore().reload([&read] { read = true; });
        while (!read) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
    }
    std::vector<FeedReadResult> feeds(kSites);
    for (int i = 0; i < kSites * kItemsPerSite; ++i) {
        FeedReadResult& feed = feeds[size_t(i % kSites)];
        feed.kind = FeedReadResult::Kind::Feed;
        feed.items.append(program.articles[i]);
    }
    if (variant == 1) {
        for (int s = 0; s < kSites; ++s) {
            judgeFeedItems(feeds[size_t(s)], *state.rulesStore().current(), siteUrl(s));
        }
    }
    QList<ArticleRecord> siteArticles;
    for (auto _ : bench) {
        state.NewsQueue.clear();
        for (int s = 0; s < kSites; ++s) {
            FeedReadResult feed = feeds[size_t(s)];
            if (variant > 0 && !judgedByRulesInForce(state, feed)) {
                bench.SkipWithError("a feed was judged under other rules");
                return;
            }
            takeFeedItems(feed, qint16(s), {}, {}, siteArticles, {});
            for (const ArticleRecord& record : std::as_const(siteArticles)) {
                admitToNewsQueue(state, record);
            }
        }
        benchmark::DoNotOptimize(state.NewsQueue.lastIndex());
    }
    bench.counters["queued"] = state.NewsQueue.lastIndex();
}
BENCHMARK(BM_PatrolUiThread)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// What was weighed: the 50 expressions one by one against one alternation of them all.
std::vector<QRegularExpression> benchRegexes() {
    std::vector<QRegularExpression> regexes;
    for (const DisplayRule& rule : RulesDocument::fromBytes(makeRules()).rules()) {
        if (rule.isRegex()) {
            regexes.emplace_back(rule.regex(), QRegularExpression::CaseInsensitiveOption);
            regexes.back().optimize();
        }
    }
    return regexes;
}

void BM_RegexesOneByOne(benchmark::State& bench) {
    const QList<ArticleRecord> articles = makeArticles();
    const std::vector<QRegularExpression> regexes = benchRegexes();
    for (auto _ : bench) {
        for (const ArticleRecord& record : articles) {
            for (const QRegularExpression& regex : regexes) {
                benchmark::DoNotOptimize(regex.match(record.Title).hasMatch());
            }
        }
    }
}
BENCHMARK(BM_RegexesOneByOne)->Unit(benchmark::kMillisecond);

void BM_RegexesJoined(benchmark::State& bench) {
    const QList<ArticleRecord> articles = makeArticles();
    QStringList alternatives;
    for (const QRegularExpression& regex : benchRegexes()) {
        alternatives.append(QStringLiteral("(?:%1)").arg(regex.pattern()));
    }
    QRegularExpression joined(alternatives.join(u'|'), QRegularExpression::CaseInsensitiveOption);
    joined.optimize();
    for (auto _ : bench) {
        for (const ArticleRecord& record : articles) {
            benchmark::DoNotOptimize(joined.match(record.Title).hasMatch());
        }
    }
}
BENCHMARK(BM_RegexesJoined)->Unit(benchmark::kMillisecond);

// And the plain texts: each folded text looked for in the folded headline, against the
// one automaton that RuleSet uses (BM_Verdicts).
void BM_PlainTextsOneByOne(benchmark::State& bench) {
    const QList<ArticleRecord> articles = makeArticles();
    QStringList words;
    for (const DisplayRule& rule : RulesDocument::fromBytes(makeRules()).rules()) {
        if (!rule.isRegex()) {
            words.append(rule.pattern.normalized(QString::NormalizationForm_KC).toCaseFolded());
        }
    }
    for (auto _ : bench) {
        for (const ArticleRecord& record : articles) {
            const QString folded =
                record.Title.normalized(QString::NormalizationForm_KC).toCaseFolded();
            for (const QString& word : words) {
                benchmark::DoNotOptimize(folded.contains(word));
            }
        }
    }
}
BENCHMARK(BM_PlainTextsOneByOne)->Unit(benchmark::kMillisecond);

// One headline built to hurt a backtracking matcher, under the worst expressions found: with
// QRegularExpression (PCRE2's default limit of 10,000,000 steps, Arg 0) and with the bound the
// rules use (BoundedRegex, Arg 1). Args: 0 /(a+)+$/ on a…a! (40 a's); 1 /(\w+\s?)+$/ on
// "word0 … word11 !".
void BM_HostileHeadline(benchmark::State& bench) {
    const bool bounded = bench.range(0) == 1;
    const bool words = bench.range(1) == 1;
    const QString pattern = words ? QStringLiteral("(\\w+\\s?)+$") : QStringLiteral("(a+)+$");
    QString headline = QString(40, u'a') + u'!';
    if (words) {
        headline.clear();
        for (int w = 0; w < 12; ++w) {
            headline += QStringLiteral("word%1 ").arg(w);
        }
        headline += u'!';
    }
    const QRegularExpression qt(pattern, QRegularExpression::CaseInsensitiveOption);
    const BoundedRegex ours(pattern);
    for (auto _ : bench) {
        if (bounded) {
            benchmark::DoNotOptimize(ours.match(headline));
        } else {
            benchmark::DoNotOptimize(qt.match(headline).hasMatch());
        }
    }
}
BENCHMARK(BM_HostileHeadline)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMicrosecond);

// The largest file read (1 MiB, half a million unusable lines) read again after each change:
// the time is the whole read, parse and compile, on the store's thread; the counter what
// reload() costs the calling thread.
void BM_ReloadLargeFile(benchmark::State& bench) {
    Program program;
    RulesStore& store = program.state->rulesStore();
    QByteArray junk;
    while (junk.size() < kMaxRulesFileBytes) {
        junk += "j\n";
    }
    double callNs = 0;
    qint64 longestCallNs = 0;
    for (auto _ : bench) {
        bench.PauseTiming();
        junk[0] = junk[0] == 'j' ? 'k' : 'j';  // a change each time
        QFile file(store.path());
        if (!file.open(QIODevice::WriteOnly) || file.write(junk) != junk.size()) {
            bench.SkipWithError("rules.txt not written");
            return;
        }
        file.close();
        bench.ResumeTiming();
        bool read = false;
        QElapsedTimer call;
        call.start();
        store.reload([&read] { read = true; });
        const qint64 ns = call.nsecsElapsed();
        callNs += double(ns);
        longestCallNs = std::max(longestCallNs, ns);
        while (!read) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
    }
    bench.counters["call_us"] =
        benchmark::Counter(callNs / 1000, benchmark::Counter::kAvgIterations);
    bench.counters["longest_call_us"] = double(longestCallNs) / 1000;
    bench.counters["problems"] = double(store.current()->problems().size());
}
BENCHMARK(BM_ReloadLargeFile)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    // The rules store hands what it read back through the event loop.
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
