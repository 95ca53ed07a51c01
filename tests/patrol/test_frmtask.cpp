#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <QTest>
#include <QUrl>
#include <memory>
#include <optional>
#include <stdexcept>

#include "tests/common/fakefeedservice.h"
#include "tests/common/loopbackserver.h"
#include "tests/common/testenv.h"
#include "core/articlesource.h"
#include "patrol/shownlists.h"
#include "patrol/frmtask.h"
#include "patrol/md5.h"
#include "patrol/networkfeedservice.h"
#include "tests/platform/qstringprinter.h"
#include "rules/displayrule.h"
#include "rules/rulesstore.h"

namespace {

const QString kStart = QStringLiteral(u"RDF読み込み開始します...");
const QString kDone = QStringLiteral(u"完了");
const QString kProcessing = QStringLiteral(u"を処理中...");

// Resets empty the queue, as the ticker's own reset does.
class FakeTicker final : public TickerControl {
public:
    explicit FakeTicker(AppState& appState) : state(appState) {}
    void ShowForm(ShowMode intTickerModeSet) override {
        calls.append(
            QStringLiteral("ShowForm(%1)").arg(intTickerModeSet == ShowMode::OneRound ? 1 : 0));
        if (failShowForm) {
            throw std::runtime_error("ticker failed");
        }
    }
    void ResetTicker() override {
        calls.append(QStringLiteral("ResetTicker"));
        state.NewsQueue.clear();
    }
    void queueEntriesMoved(const QList<int>&) override {}
    AppState& state;
    QStringList calls;
    bool failShowForm = false;
};

class FakeStatus final : public StatusSink {
public:
    void SetStatus(const QString& strValue) override {
        texts.append(strValue);
        if (onStatus) {
            onStatus(strValue);
        }
    }
    void setStatusDetails(const QString& strValue, const QString& toolTip) override {
        SetStatus(strValue);
        details = toolTip;
    }
    QStringList texts;
    QString details;
    std::function<void(const QString&)> onStatus;
};

// Collects what the patrol writes to its log category while it lives.
class PatrolLog {
public:
    PatrolLog() {
        current = this;
        previousHandler = qInstallMessageHandler(&PatrolLog::handle);
        previousFilter = QLoggingCategory::installFilter(&PatrolLog::filter);
    }
    ~PatrolLog() {
        current = nullptr;
        QLoggingCategory::installFilter(previousFilter);  // back to the category's default
        qInstallMessageHandler(previousHandler);
    }
    PatrolLog(const PatrolLog&) = delete;
    PatrolLog& operator=(const PatrolLog&) = delete;
    QStringList lines;

private:
    static bool isPatrol(const char* category) { return qstrcmp(category, "qv.patrol") == 0; }
    static void filter(QLoggingCategory* category) {
        if (previousFilter != nullptr) {
            previousFilter(category);
        }
        if (isPatrol(category->categoryName())) {
            category->setEnabled(QtInfoMsg, true);
        }
    }
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (current != nullptr && isPatrol(context.category)) {
            current->lines.append(text);
        } else if (previousHandler != nullptr) {
            previousHandler(type, context, text);
        }
    }
    static inline PatrolLog* current = nullptr;
    static inline QtMessageHandler previousHandler = nullptr;
    static inline QLoggingCategory::CategoryFilter previousFilter = nullptr;
};

enum class Feed { Fresh, Old };

class PatrolTest : public ::testing::Test {
protected:
    PatrolTest() {
        state().blnSiteListFlg = true;
        auto service = std::make_unique<FakeFeedService>();
        feeds = service.get();
        state().useFeedService(std::move(service));
    }

    AppState& state() { return env.state(); }

    // A walk or list load run to its end, every fetch completed in the order asked.
    qint16 loadRdf(qint16 intNextKey, bool blnFullFlg) {
        std::optional<qint16> next;
        task.LoadRdf(intNextKey, blnFullFlg, [&next](qint16 index) { next = index; });
        feeds->drain();
        EXPECT_TRUE(next.has_value());
        return next.value_or(qint16(-999));
    }
    void refresh() {
        task.RssRefresh();
        feeds->drain();
    }
    void tick() {
        task.tmrRefresh_Timer();
        feeds->drain();
    }

    // An RSS 2.0 file of two items, written an hour (Fresh) or three days (Old) before
    // the fake clock's 2006-03-16 12:00; old ones are kept out of the queue by age.
    QString writeFeed(const QString& name, Feed kind) {
        const QString date = kind == Feed::Fresh
                                 ? QStringLiteral("Thu, 16 Mar 2006 11:00:00 +0900")
                                 : QStringLiteral("Mon, 13 Mar 2006 11:00:00 +0900");
        QString text = QStringLiteral("<?xml version=\"1.0\"?><rss version=\"2.0\"><channel>");
        for (int i = 1; i <= 2; ++i) {
            text += QStringLiteral(
                        "<item><title>%1 %2</title><link>http://%1/%2</link>"
                        "<pubDate>%3</pubDate></item>")
                        .arg(name)
                        .arg(i)
                        .arg(date);
        }
        text += QStringLiteral("</channel></rss>");
        env.writeFile(name, text.toUtf8());
        return env.path(name);
    }
    int addRow(const QString& url, qint16 kind = kKindSite, bool deleted = false) {
        SiteRow row;
        row.intKind = kind;
        row.blnDeleted = deleted;
        row.strTitle = QStringLiteral("row");
        row.strXmlUrl = url;
        return state().SiteTable.append(row);
    }
    // Sites 0 … 4 from feed files; only those listed in fresh have news.
    QStringList addFiveSites(const QList<int>& fresh) {
        QStringList urls;
        for (int i = 0; i < 5; ++i) {
            urls.append(writeFeed(QStringLiteral("site%1.xml").arg(i),
                                  fresh.contains(i) ? Feed::Fresh : Feed::Old));
            addRow(urls.last());
        }
        return urls;
    }
    // The URLs fetched, in order, as the status bar showed them.
    QStringList fetched() const {
        QStringList urls;
        for (const QString& text : status.texts) {
            if (text.endsWith(kProcessing)) {
                urls.append(text.chopped(kProcessing.size()));
            }
        }
        return urls;
    }
    QStringList queuedLinks() {
        QStringList links;
        for (int i = 1; i <= state().NewsQueue.lastIndex(); ++i) {
            links.append(state().NewsQueue[i].Link);
        }
        return links;
    }
    void clearRecords() {
        status.texts.clear();
        ticker.calls.clear();
    }

    TestEnv env;
    FakeFeedService* feeds = nullptr;
    FakeTicker ticker{env.state()};
    FakeStatus status;
    frmTask task{env.state(), ticker, status};
};

TEST_F(PatrolTest, OneSiteModeStopsAtTheFirstSiteWithNews) {
    const QStringList urls = addFiveSites({2});
    state().settings.TICKER_MODE = TickerMode::PopUp;
    refresh();

    EXPECT_EQ(fetched(), urls.mid(0, 3));
    EXPECT_EQ(status.texts.first(), kStart);
    EXPECT_EQ(status.texts.last(), kDone);
    EXPECT_EQ(ticker.calls, QStringList{QStringLiteral("ShowForm(1)")});
    EXPECT_EQ(queuedLinks(), QStringList({QStringLiteral("http://site2.xml/1"),
                                          QStringLiteral("http://site2.xml/2")}));
    EXPECT_EQ(task.NextSiteIndex, 3);
    EXPECT_TRUE(task.tmrRefresh.isActive());
    EXPECT_FALSE(task.siteWalk().blnBusy);

    // The next patrol goes on from the fourth site and round to the third.
    clearRecords();
    refresh();
    EXPECT_EQ(fetched(), QStringList({urls[3], urls[4], urls[0], urls[1], urls[2]}));
    EXPECT_EQ(task.NextSiteIndex, 3);
}

TEST_F(PatrolTest, WalkWithoutNewsComesFullCircle) {
    const QStringList urls = addFiveSites({});
    const int missing = addRow(env.path(QStringLiteral("missing.xml")));
    EXPECT_EQ(loadRdf(2, false), 2);
    EXPECT_EQ(fetched(), QStringList({urls[2], urls[3], urls[4],
                                      env.path(QStringLiteral("missing.xml")), urls[0], urls[1]}));
    // The status bar keeps the last site's text; nothing says 完了.
    EXPECT_EQ(status.texts.last(), urls[1] + kProcessing);
    EXPECT_TRUE(ticker.calls.isEmpty());
    EXPECT_TRUE(state().NewsQueue.isEmpty());
    EXPECT_TRUE(env.messageBox.shown.isEmpty());

    // A start left beyond the table by a shorter list begins at the top.
    clearRecords();
    EXPECT_EQ(loadRdf(qint16(missing + 40), false), 0);
    EXPECT_EQ(fetched().first(), urls[0]);
    EXPECT_EQ(fetched().size(), 6);
}

TEST_F(PatrolTest, OnlyLiveSitesWithAFeedUrlAreFetched) {
    const QString fresh = writeFeed(QStringLiteral("fresh.xml"), Feed::Fresh);
    const QString old = writeFeed(QStringLiteral("old.xml"), Feed::Old);
    addRow(QString(), kKindFolder);
    addRow(QStringLiteral("  \t "));
    const int deleted = addRow(old, kKindSite, true);
    addRow(fresh);

    EXPECT_EQ(loadRdf(0, false), 0);
    EXPECT_EQ(fetched(), QStringList{fresh});
    EXPECT_EQ(state().NewsQueue.lastIndex(), 2);

    // Full mode lists a deleted site too, every item, old or not, all new.
    clearRecords();
    EXPECT_EQ(loadRdf(qint16(deleted), true), deleted + 1);
    EXPECT_EQ(status.texts, QStringList({kStart, old + kProcessing, kDone}));
    ASSERT_EQ(state().ListArticles.lastIndex(), 2);
    EXPECT_EQ(state().ListArticles[1].Link, QStringLiteral("http://old.xml/1"));
    EXPECT_TRUE(state().ListArticles[1].IsNew && state().ListArticles[2].IsNew);
    EXPECT_EQ(state().ListArticles[2].SiteIndex, deleted);
    EXPECT_TRUE(ticker.calls.isEmpty());
    EXPECT_EQ(state().NewsQueue.lastIndex(), 2);
}

TEST_F(PatrolTest, FullModeListsTheRequestedSiteOnly) {
    const QString fresh = writeFeed(QStringLiteral("fresh.xml"), Feed::Fresh);
    const int failing = addRow(env.path(QStringLiteral("missing.xml")));
    const int folder = addRow(QString(), kKindFolder);
    addRow(fresh);

    for (const int index : {failing, folder, 17, -1}) {
        SCOPED_TRACE(index);
        clearRecords();
        EXPECT_EQ(loadRdf(qint16(index), true), index);
        EXPECT_TRUE(state().ListArticles.isEmpty());
        EXPECT_FALSE(fetched().contains(fresh));
        EXPECT_FALSE(status.texts.contains(kDone));
    }
    // The last row's next index wraps to 0.
    EXPECT_EQ(loadRdf(2, true), 0);
    EXPECT_EQ(state().ListArticles.lastIndex(), 2);
}

TEST_F(PatrolTest, AllSitesModeVisitsEachSiteOnce) {
    const QStringList urls = addFiveSites({0, 2});
    refresh();  // one-site mode: site 0 queued, the next walk would start at 1
    ASSERT_EQ(task.NextSiteIndex, 1);
    ASSERT_FALSE(state().NewsQueue.isEmpty());

    state().settings.AUTO_PIROT_MODE = PatrolMode::AllSites;
    state().settings.TICKER_MODE = TickerMode::PopUp;
    clearRecords();
    refresh();
    EXPECT_EQ(fetched(), urls);
    EXPECT_EQ(ticker.calls,
              QStringList({QStringLiteral("ResetTicker"), QStringLiteral("ShowForm(1)")}));
    EXPECT_EQ(
        queuedLinks(),
        QStringList({QStringLiteral("http://site0.xml/1"), QStringLiteral("http://site0.xml/2"),
                     QStringLiteral("http://site2.xml/1"), QStringLiteral("http://site2.xml/2")}));
    EXPECT_EQ(task.NextSiteIndex, 0);

    // Nothing queued, nothing fresh: no reset, no showing, still one visit each.
    state().NewsQueue.clear();
    writeFeed(QStringLiteral("site0.xml"), Feed::Old);
    writeFeed(QStringLiteral("site2.xml"), Feed::Old);
    clearRecords();
    refresh();
    EXPECT_EQ(fetched(), urls);
    EXPECT_TRUE(ticker.calls.isEmpty());
}

TEST_F(PatrolTest, NewsAtTheLastSiteEndsTheAllSitesPatrol) {
    const QStringList urls = addFiveSites({4});
    state().settings.AUTO_PIROT_MODE = PatrolMode::AllSites;
    refresh();
    EXPECT_EQ(fetched(), urls);
    EXPECT_EQ(ticker.calls, QStringList{QStringLiteral("ShowForm(0)")});
    EXPECT_EQ(state().NewsQueue.lastIndex(), 2);
}

TEST_F(PatrolTest, UnknownModeFetchesNothing) {
    addFiveSites({0});
    state().settings.AUTO_PIROT_MODE = PatrolMode::NeverOffered;
    task.Form_Load();
    EXPECT_TRUE(status.texts.isEmpty());
    EXPECT_EQ(task.TickCount, 0);
    EXPECT_TRUE(task.tmrRefresh.isActive());
}

TEST_F(PatrolTest, RefusedWhileTheSiteListIsNotReady) {
    addFiveSites({0});
    state().blnSiteListFlg = false;
    EXPECT_EQ(loadRdf(3, false), 3);
    EXPECT_EQ(loadRdf(1, true), 1);
    refresh();
    EXPECT_TRUE(status.texts.isEmpty());
    EXPECT_TRUE(state().NewsQueue.isEmpty());
    EXPECT_EQ(task.NextSiteIndex, 0);
}

TEST_F(PatrolTest, CallsDuringAWalkAreRefusedButAListLoadsBesideIt) {
    const QStringList urls = addFiveSites({1});
    QList<qint16> nested;
    bool called = false;
    status.onStatus = [&](const QString&) {
        if (called) {
            return;
        }
        called = true;
        task.LoadRdf(4, false, [&](qint16 next) { nested.append(next); });
        task.LoadRdf(2, true, [&](qint16 next) { nested.append(next); });
        task.RssRefresh();
        task.tmrRefresh_Timer();
    };
    refresh();
    // The second walk and the patrols are refused at once; the article list's request
    // fetches its own site beside the walk and lists it.
    EXPECT_EQ(nested, QList<qint16>({4, 3}));
    EXPECT_EQ(fetched(), QStringList({urls[2], urls[0], urls[1]}));
    EXPECT_EQ(status.texts.count(kStart), 2);
    ASSERT_EQ(state().ListArticles.lastIndex(), 2);
    EXPECT_EQ(state().ListArticles[1].SiteIndex, 2);
    EXPECT_EQ(task.NextSiteIndex, 2);
    EXPECT_FALSE(task.siteWalk().blnBusy);
}

TEST_F(PatrolTest, AFailingTickerAbandonsOnlyThatSite) {
    addFiveSites({1});
    ticker.failShowForm = true;
    refresh();
    EXPECT_EQ(ticker.calls, QStringList{QStringLiteral("ShowForm(0)")});
    EXPECT_EQ(task.NextSiteIndex, 2);
    EXPECT_EQ(state().NewsQueue.lastIndex(), 2);
    EXPECT_FALSE(task.siteWalk().blnBusy);
    EXPECT_TRUE(task.tmrRefresh.isActive());
}

TEST_F(PatrolTest, CountdownBetweenPatrols) {
    addFiveSites({});
    ASSERT_FALSE(task.tmrRefresh.isActive());
    EXPECT_EQ(task.tmrRefresh.interval(), 10000);

    PatrolLog log;
    task.Form_Load();  // patrols at once
    feeds->drain();
    EXPECT_EQ(status.texts.count(kStart), 1);
    EXPECT_TRUE(task.tmrRefresh.isActive());

    QStringList countdown;
    for (int n = 110; n >= 10; n -= 10) {
        countdown.append(QStringLiteral(u"待機中 あと%1秒...").arg(n));
    }
    log.lines.clear();
    for (int tick = 1; tick <= 11; ++tick) {
        task.tmrRefresh_Timer();
    }
    EXPECT_EQ(log.lines, countdown);
    EXPECT_EQ(status.texts.count(kStart), 1);
    tick();  // the 12th tick, 120 s on
    EXPECT_EQ(status.texts.count(kStart), 2);
    EXPECT_EQ(task.TickCount, 0);
    // Item lines go to the log only.
    EXPECT_TRUE(log.lines.contains(QStringLiteral(u"記事「site0.xml 1」を入力しました")));
    EXPECT_FALSE(status.texts.contains(QStringLiteral(u"記事「site0.xml 1」を入力しました")));
}

TEST_F(PatrolTest, PeriodOfZeroOrLessPatrolsAtEveryTick) {
    addFiveSites({});
    for (const qint16 minutes : {qint16(0), qint16(-3)}) {
        state().settings.AUTO_PIROT_MINITS = minutes;
        clearRecords();
        for (int n = 0; n < 3; ++n) {
            tick();
        }
        EXPECT_EQ(status.texts.count(kStart), 3) << minutes;
    }
}

TEST_F(PatrolTest, HugePeriodCountsWithoutOverflow) {
    addFiveSites({});
    state().settings.AUTO_PIROT_MINITS = 30000;
    EXPECT_EQ(task.periodTicks(), 180000);
    PatrolLog log;
    task.Form_Load();
    feeds->drain();
    EXPECT_EQ(status.texts.count(kStart), 1);
    log.lines.clear();
    task.tmrRefresh_Timer();
    task.TickCount = 179998;
    task.tmrRefresh_Timer();
    EXPECT_EQ(log.lines, QStringList({QStringLiteral(u"待機中 あと1799990秒..."),
                                      QStringLiteral(u"待機中 あと10秒...")}));
    tick();
    EXPECT_EQ(status.texts.count(kStart), 2);
}

// What one all-sites patrol leaves behind.
struct PatrolOutcome {
    QStringList queued;
    QStringList statusTexts;
    QStringList shownFiles;
    int maxInFlight = 0;
    bool operator==(const PatrolOutcome& other) const {
        return queued == other.queued && statusTexts == other.statusTexts &&
               shownFiles == other.shownFiles;
    }
};

// An all-sites patrol over nine rows (a folder, a deleted site and sites with and without
// news, some with shown-list files the patrol rewrites), its fetches completed in the
// order pick chooses.
PatrolOutcome allSitesPatrol(const std::function<int(const QList<FakeFeedService::Held>&)>& pick) {
    TestEnv env;
    auto service = std::make_unique<FakeFeedService>();
    FakeFeedService& feeds = *service;
    env.state().useFeedService(std::move(service));
    FakeTicker ticker(env.state());
    FakeStatus status;
    frmTask task(env.state(), ticker, status);
    env.state().blnSiteListFlg = true;
    env.state().settings.AUTO_PIROT_MODE = PatrolMode::AllSites;

    for (int i = 0; i < 9; ++i) {
        const QString name = QStringLiteral("site%1.xml").arg(i);
        const QDateTime published = env.clock.now().addSecs(i % 3 == 0 ? -3600 : -3 * 86400);
        QString text = QStringLiteral("<rss><channel>");
        for (int item = 1; item <= 3; ++item) {
            text +=
                QStringLiteral(
                    "<item><title>%1 %2</title><link>http://%1/%2</link>"
                    "<pubDate>%3</pubDate></item>")
                    .arg(name)
                    .arg(item)
                    .arg(QLocale::c().toString(published, QStringLiteral("dd MMM yyyy HH:mm:ss")));
        }
        env.writeFile(name, (text + QStringLiteral("</channel></rss>")).toUtf8());
        SiteRow row;
        row.intKind = i == 4 ? kKindFolder : kKindSite;
        row.blnDeleted = i == 6;
        row.strXmlUrl = i == 4 ? QString() : env.path(name);
        env.state().SiteTable.append(row);
        if (i % 2 == 1) {
            // Shown lines of an article still in the feed and of one gone from it.
            env.writeFile(
                QStringLiteral("temporary/") + MD5Hex(env.path(name)) + QStringLiteral(".dat"),
                (MD5Hex(QStringLiteral("http://%1/2").arg(name)) +
                 QStringLiteral("20060316100000\r\n") + MD5Hex(QStringLiteral("gone")) +
                 QStringLiteral("20060316100000\r\n"))
                    .toUtf8());
        }
    }
    task.RssRefresh();
    feeds.drain(pick);

    PatrolOutcome outcome;
    for (int i = 1; i <= env.state().NewsQueue.lastIndex(); ++i) {
        outcome.queued.append(env.state().NewsQueue[i].Link + (env.state().NewsQueue[i].IsNew
                                                                   ? QString()
                                                                   : QStringLiteral(" shown")));
    }
    // Each run has its own directory; the texts are compared without it.
    outcome.statusTexts = status.texts;
    outcome.statusTexts.replaceInStrings(env.dir(), QStringLiteral("DIR"));
    for (int i = 1; i < 9; i += 2) {
        outcome.shownFiles.append(QString::fromUtf8(env.readFile(
            QStringLiteral("temporary/") + MD5Hex(env.path(QStringLiteral("site%1.xml").arg(i))) +
            QStringLiteral(".dat"))));
    }
    outcome.maxInFlight = feeds.maxHeld;
    EXPECT_FALSE(task.isPatrolling());
    EXPECT_EQ(ticker.calls, QStringList({QStringLiteral("ShowForm(0)")}));
    return outcome;
}

TEST(PatrolOrderTest, AllSitesModeAppliesInTableOrderWhateverOrderFetchesEnd) {
    using Held = QList<FakeFeedService::Held>;
    const PatrolOutcome inOrder = allSitesPatrol([](const Held&) { return 0; });
    ASSERT_EQ(inOrder.queued.size(), 6);
    EXPECT_TRUE(inOrder.queued.first().startsWith(QStringLiteral("http://site0.xml/")));
    EXPECT_EQ(inOrder.maxInFlight, frmTask::kMaxPatrolFetches);

    const struct {
        const char* name;
        std::function<int(const Held&)> pick;
    } orders[] = {
        {"newest first", [](const Held& held) { return int(held.size()) - 1; }},
        // The site the walk waits for comes last, after every site behind it.
        {"head last", [](const Held& held) { return held.size() > 1 ? 1 : 0; }},
        {"alternating", [](const Held& held) { return int(held.size()) / 2; }},
    };
    for (const auto& order : orders) {
        SCOPED_TRACE(order.name);
        const PatrolOutcome outcome = allSitesPatrol(order.pick);
        EXPECT_EQ(outcome.queued, inOrder.queued);
        EXPECT_EQ(outcome.statusTexts, inOrder.statusTexts);
        EXPECT_EQ(outcome.shownFiles, inOrder.shownFiles);
        EXPECT_LE(outcome.maxInFlight, frmTask::kMaxPatrolFetches);
    }
}

TEST_F(PatrolTest, OneSiteModeFetchesOneSiteAtATimeAndNothingBeyondTheNews) {
    const QStringList urls = addFiveSites({1});
    task.RssRefresh();
    QStringList completed;
    while (!feeds->held.isEmpty()) {
        ASSERT_EQ(feeds->held.size(), 1);
        completed.append(feeds->held.first().request.url);
        feeds->completeFromFile(feeds->held.first().id);
    }
    EXPECT_EQ(completed, urls.mid(0, 2));
    EXPECT_EQ(feeds->requested, urls.mid(0, 2));
    EXPECT_EQ(task.NextSiteIndex, 2);
}

TEST_F(PatrolTest, ACancelledPatrolAppliesNothingMore) {
    const QStringList urls = addFiveSites({0, 3});
    state().settings.AUTO_PIROT_MODE = PatrolMode::AllSites;
    // Results of the cancelled patrol still arrive, as from a service that was too late.
    feeds->ignoreCancel = true;
    task.RssRefresh();
    feeds->completeFromFile(feeds->held.first().id);
    ASSERT_EQ(queuedLinks().size(), 2);
    ASSERT_TRUE(task.siteWalk().blnBusy);

    task.cancelPatrol();
    EXPECT_FALSE(task.siteWalk().blnBusy);
    EXPECT_FALSE(task.isPatrolling());
    EXPECT_TRUE(task.tmrRefresh.isActive());
    EXPECT_EQ(feeds->cancelled.size(), feeds->held.size());
    feeds->drain();
    EXPECT_EQ(queuedLinks().size(), 2);
    EXPECT_TRUE(ticker.calls.isEmpty());

    // The next patrol runs whole.
    feeds->ignoreCancel = false;
    state().NewsQueue.clear();
    refresh();
    EXPECT_EQ(queuedLinks().size(), 4);
    EXPECT_EQ(fetched().mid(fetched().size() - 5), urls);
}

TEST_F(PatrolTest, ARowChangedWhileItsFeedIsFetchedIsVisitedAsItStandsNow) {
    const QString fresh = writeFeed(QStringLiteral("fresh.xml"), Feed::Fresh);
    const QString other = writeFeed(QStringLiteral("other.xml"), Feed::Fresh);
    for (const bool deleted : {false, true}) {
        SCOPED_TRACE(deleted);
        state().SiteTable.clear();
        state().NewsQueue.clear();
        addRow(fresh);
        task.RssRefresh();
        ASSERT_EQ(feeds->held.size(), 1);
        if (deleted) {
            state().SiteTable[0].blnDeleted = true;
        } else {
            state().SiteTable[0].strXmlUrl = other;
        }
        feeds->drain();
        EXPECT_EQ(queuedLinks(), deleted ? QStringList()
                                         : QStringList({QStringLiteral("http://other.xml/1"),
                                                        QStringLiteral("http://other.xml/2")}));
        EXPECT_FALSE(task.siteWalk().blnBusy);
    }
}

TEST_F(PatrolTest, FeedsOverHttp) {
    LoopbackServer server;
    ASSERT_TRUE(server.isListening());
    state().fetchOptions.connectTimeoutMs = 2000;
    state().fetchOptions.totalTimeoutMs = 5000;
    state().useFeedService(
        std::make_unique<NetworkFeedService>(state().fetchOptions, state().seams.clock));
    const QString fresh = writeFeed(QStringLiteral("fresh.xml"), Feed::Fresh);
    server.serve(QStringLiteral("/news.xml"), env.readFile(QStringLiteral("fresh.xml")));
    addRow(server.url(QStringLiteral("/gone.xml")));  // answers 404
    addRow(server.url(QStringLiteral("/news.xml")));

    task.RssRefresh();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !task.isPatrolling(); }, 10000));
    EXPECT_EQ(server.requestCount(QStringLiteral("/gone.xml")), 1);
    EXPECT_EQ(server.requestCount(QStringLiteral("/news.xml")), 1);
    EXPECT_EQ(queuedLinks(), QStringList({QStringLiteral("http://fresh.xml/1"),
                                          QStringLiteral("http://fresh.xml/2")}));
    EXPECT_EQ(ticker.calls, QStringList{QStringLiteral("ShowForm(0)")});
    EXPECT_EQ(task.NextSiteIndex, 0);
    EXPECT_TRUE(env.messageBox.shown.isEmpty());
}

// The display rules at the queue's door: a muted article is neither queued nor recorded as
// shown, so taking the rule away lets it in while it is fresh; held and highlighted ones
// carry their verdict into the queue.
TEST_F(PatrolTest, DisplayRulesDecideWhatIsQueued) {
    struct Case {
        const char* name;
        const char* rules;  // %1: the first site's feed URL, %2: the second's
        QStringList queued;
        QList<RuleAction> actions;
    };
    const QString a1 = QStringLiteral("http://a.xml/1");
    const QString a2 = QStringLiteral("http://a.xml/2");
    const QString b1 = QStringLiteral("http://b.xml/1");
    const QString b2 = QStringLiteral("http://b.xml/2");
    const RuleAction show = RuleAction::Show;
    const Case cases[] = {
        {"no rules", "", {a1, a2, b1, b2}, {show, show, show, show}},
        {"a keyword, width and case ignored", "mute\tＡ.XML 1\n", {a2, b1, b2}, {show, show, show}},
        {"a site out of the ticker", "mute\t*\t%1\n", {b1, b2}, {show, show}},
        {"a rule for another site", "mute\t/1$/\t%2\n", {a1, a2, b2}, {show, show, show}},
        {"hold and highlight travel with the article",
         "# comment\n\nhold\ta.xml 2\nhighlight\t/^b/\t\t#123456\n",
         {a1, a2, b1, b2},
         {show, RuleAction::Hold, RuleAction::Highlight, RuleAction::Highlight}},
        {"mute wins over hold",
         "hold\t*\nmute\t/2$/\n",
         {a1, b1},
         {RuleAction::Hold, RuleAction::Hold}},
    };
    const QString rulesPath = env.path(QStringLiteral("rules.txt"));
    ASSERT_EQ(state().rulesStore().path(), rulesPath);
    state().settings.AUTO_PIROT_MODE = PatrolMode::AllSites;
    state().settings.CHECKED_HIDE_FLG = true;
    const QString a = writeFeed(QStringLiteral("a.xml"), Feed::Fresh);
    const QString b = writeFeed(QStringLiteral("b.xml"), Feed::Fresh);
    addRow(a);
    addRow(b);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        state().shownStore().flush();
        QFile::remove(shownListPath(state(), a));
        QFile::remove(shownListPath(state(), b));
        const QString rules = QString::fromUtf8(c.rules)
                                  .replace(QStringLiteral("%1"), a)
                                  .replace(QStringLiteral("%2"), b);
        env.writeFile(QStringLiteral("rules.txt"), rules.toUtf8());
        EXPECT_TRUE(reloadRules(state().rulesStore()));
        state().NewsQueue.clear();
        refresh();
        EXPECT_EQ(queuedLinks(), c.queued);
        QList<RuleAction> actions;
        for (int i = 1; i <= state().NewsQueue.lastIndex(); ++i) {
            actions.append(state().NewsQueue[i].Display);
        }
        EXPECT_EQ(actions, c.actions);
        if (c.actions.contains(RuleAction::Highlight)) {
            EXPECT_EQ(
                state().NewsQueue[c.actions.indexOf(RuleAction::Highlight) + 1].HighlightColour,
                0x123456u);
        }

        // The ticker shows what was queued; the rule goes; the next patrol queues only what
        // the rule kept out.
        for (int i = 1; i <= state().NewsQueue.lastIndex(); ++i) {
            state().shownStore().RecordNewsShown(state().NewsQueue[i]);
            EXPECT_FALSE(state().NewsQueue[i].IsNew);
        }
        env.writeFile(QStringLiteral("rules.txt"), QByteArray());
        EXPECT_TRUE(reloadRules(state().rulesStore()));
        state().NewsQueue.clear();
        refresh();
        QStringList keptOut;
        for (const QString& link : {a1, a2, b1, b2}) {
            if (!c.queued.contains(link)) {
                keptOut.append(link);
            }
        }
        EXPECT_EQ(queuedLinks(), keptOut);
    }
}

// A patrol asked for while the rules' first read is under way waits for it: the headlines are
// judged by the file's rules, never admitted under none for want of them.
TEST_F(PatrolTest, APatrolWaitsForTheRulesFirstRead) {
    addRow(writeFeed(QStringLiteral("a.xml"), Feed::Fresh));
    env.writeFile(QStringLiteral("rules.txt"), "hold\t*\n");
    state().rulesStore().reload();
    refresh();
    EXPECT_TRUE(queuedLinks().isEmpty());

    ASSERT_TRUE(waitForRules(state().rulesStore()));
    feeds->drain();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !task.isPatrolling(); }, 10000));
    ASSERT_EQ(state().NewsQueue.lastIndex(), 2);
    for (int i = 1; i <= state().NewsQueue.lastIndex(); ++i) {
        EXPECT_EQ(state().NewsQueue[i].Display, RuleAction::Hold);
    }
}

// Unusable lines are told once per start, after a patrol, with their line numbers.
TEST_F(PatrolTest, UnusableRuleLinesAreToldOnceInTheStatusBar) {
    addRow(writeFeed(QStringLiteral("a.xml"), Feed::Old));
    env.writeFile(QStringLiteral("rules.txt"), "# rules\nmute\tok\nshout\tx\nmute\t/(/\n");
    EXPECT_TRUE(reloadRules(state().rulesStore()));
    refresh();
    ASSERT_FALSE(status.texts.isEmpty());
    // Short enough for the status bar; the lines are named in its tool tip.
    EXPECT_EQ(status.texts.last(),
              QStringLiteral(u"表示ルールに使えない行が 2 行あります（設定 → 表示ルール）"));
    EXPECT_TRUE(status.details.startsWith(QStringLiteral(u"表示ルール 3 行目")));
    EXPECT_TRUE(status.details.contains(QStringLiteral(u"表示ルール 4 行目")));
    clearRecords();
    refresh();
    EXPECT_FALSE(status.texts.last().contains(QStringLiteral(u"表示ルール")));
}

// The rules change half way through a patrol, to a costly rule. The feeds read under the old
// rules are judged again off the UI thread: a result completed here is not applied at once,
// and the patrol goes on when the judging is done, with the new verdicts. The rule that gave
// up on a headline is skipped for it and named once. The article list's load alike.
TEST_F(PatrolTest, RulesChangedMidPatrolAreJudgedOffTheUiThread) {
    state().settings.AUTO_PIROT_MODE = PatrolMode::AllSites;
    const QString hurts = QString(48, u'a') + u'!';
    env.writeFile(QStringLiteral("c.xml"),
                  QStringLiteral("<rss version=\"2.0\"><channel>"
                                 "<item><title>%1</title><link>http://c/1</link></item>"
                                 "<item><title>calm</title><link>http://c/2</link></item>"
                                 "</channel></rss>")
                      .arg(hurts)
                      .toUtf8());
    const QString a = writeFeed(QStringLiteral("a.xml"), Feed::Fresh);
    addRow(a);
    addRow(env.path(QStringLiteral("c.xml")));
    env.writeFile(QStringLiteral("rules.txt"), "mute\t!\n");
    EXPECT_TRUE(reloadRules(state().rulesStore()));
    const QByteArray costly = "mute\tcalm\nhold\t/(a+)+$/\nmute\ta.xml 2\n";

    task.RssRefresh();
    ASSERT_EQ(feeds->held.size(), 2);
    env.writeFile(QStringLiteral("rules.txt"), costly);
    EXPECT_TRUE(reloadRules(state().rulesStore()));
    feeds->drain();  // judged by the service under the rules it was given
    EXPECT_EQ(state().NewsQueue.lastIndex(), 0);
    EXPECT_TRUE(task.isPatrolling());

    ASSERT_TRUE(QTest::qWaitFor([this] { return !task.isPatrolling(); }, 10000));
    EXPECT_EQ(queuedLinks(),
              QStringList({QStringLiteral("http://a.xml/1"), QStringLiteral("http://c/1")}));
    EXPECT_EQ(state().NewsQueue[2].Display, RuleAction::Show);
    EXPECT_EQ(
        status.texts.last(),
        QStringLiteral(u"表示ルールの正規表現 1 個が照合の上限に達しました（設定 → 表示ルール）"));
    EXPECT_TRUE(status.details.contains(QStringLiteral(u"表示ルール 2 行目")))
        << status.details.toStdString();
    clearRecords();
    refresh();
    EXPECT_FALSE(status.texts.join(u' ').contains(QStringLiteral(u"表示ルール")));

    std::optional<qint16> next;
    task.LoadRdf(1, true, [&next](qint16 index) { next = index; });
    env.writeFile(QStringLiteral("rules.txt"), "hold\tcalm\n");
    EXPECT_TRUE(reloadRules(state().rulesStore()));
    feeds->drain();
    EXPECT_FALSE(next.has_value());
    ASSERT_TRUE(QTest::qWaitFor([&next] { return next.has_value(); }, 10000));
    ASSERT_EQ(state().ListArticles.lastIndex(), 2);
    EXPECT_EQ(state().ListArticles[1].Display, RuleAction::Show);
    EXPECT_EQ(state().ListArticles[2].Display, RuleAction::Hold);
}

// The service that reads feeds judges their items there, under the rules it was given.
TEST_F(PatrolTest, TheReaderJudgesTheItemsWhereItReadsThem) {
    state().useFeedService(
        std::make_unique<NetworkFeedService>(state().fetchOptions, state().seams.clock));
    const QString a = writeFeed(QStringLiteral("a.xml"), Feed::Old);
    env.writeFile(QStringLiteral("rules.txt"), "mute\t1\nhighlight\t2\t\t#00ff00\n");
    EXPECT_TRUE(reloadRules(state().rulesStore()));
    std::optional<FeedFetchResult> got;
    state().feeds().fetch({a, FetchLane::Patrol, false, state().rulesStore().current()}, nullptr,
                          [&got](const FeedFetchResult& result) { got = result; });
    ASSERT_TRUE(QTest::qWaitFor([&got] { return got.has_value(); }, 10000));
    ASSERT_EQ(got->feed.items.size(), 2);
    EXPECT_EQ(got->feed.judgedUnder, state().rulesStore().generation());
    EXPECT_EQ(got->feed.items[0].Display, RuleAction::Mute);
    EXPECT_EQ(got->feed.items[1].Display, RuleAction::Highlight);
    EXPECT_EQ(got->feed.items[1].HighlightColour, 0x00FF00u);
}

// A source of articles as the patrol sees one: an account's kind (asked once a patrol, its
// articles handed to the intake) or, with walks set, one whose patrol is made of walks as the
// site table's is. It records what it was asked.
class RecordingSource final : public ArticleSource {
public:
    void patrol(const std::shared_ptr<ArticleIntake>& intake) override {
        calls.append(QStringLiteral("patrol"));
        if (!articles.isEmpty()) {
            intake->takeIn(articles, [this](int count) { admitted = count; });
        }
    }
    bool walk(const PatrolWalk& step, WalkEnded ended) override {
        if (!walks) {
            return ArticleSource::walk(step, std::move(ended));
        }
        calls.append(QStringLiteral("walk %1%2")
                         .arg(step.from)
                         .arg(step.wrap ? QStringLiteral(" wrap") : QString()));
        // Every other row has news, up to the end of a table of five.
        ended(step.from + 2 > 4 ? qint16(0) : qint16(step.from + 2));
        return true;
    }
    void walksEnded() override { calls.append(QStringLiteral("walksEnded")); }
    void articleOpened(const ArticleRecord&) override {}
    void articleShown(const ArticleRecord&) override {}

    bool walks = false;
    QList<ArticleRecord> articles;
    QStringList calls;
    int admitted = -1;
};

// The patrol asks the site walk and an account alike, the site walk first; the patrol's walks
// are the first walking source's, which a source other than the site walk may be, and a patrol
// with no walking source ends at once.
TEST_F(PatrolTest, EverySourceIsAskedAlikeTheSiteWalkFirst) {
    const QStringList urls = addFiveSites({1, 3});
    state().settings.AUTO_PIROT_MODE = PatrolMode::AllSites;
    RecordingSource account;
    ArticleRecord article;
    article.Account = 1;
    article.Identity = QStringLiteral("17");
    article.FeedUrl = QStringLiteral("http://server.test/feed.xml");
    article.Title = QStringLiteral("from the server");
    article.Link = QStringLiteral("http://server.test/17");
    article.PubDate = env.clock.now().addSecs(-60);
    account.articles = {article};
    state().articleSources.append(&account);
    ASSERT_EQ(state().articleSources,
              QList<ArticleSource*>({&task.siteWalk(), static_cast<ArticleSource*>(&account)}));

    // Three walks over the table (news at rows 1 and 3); the account is asked once.
    refresh();
    EXPECT_EQ(fetched(), urls);
    EXPECT_EQ(account.calls, QStringList({QStringLiteral("patrol"), QStringLiteral("walksEnded")}));
    ASSERT_TRUE(QTest::qWaitFor([&account] { return account.admitted >= 0; }, 10000));
    EXPECT_EQ(account.admitted, 1);
    EXPECT_EQ(
        queuedLinks(),
        QStringList({QStringLiteral("http://site1.xml/1"), QStringLiteral("http://site1.xml/2"),
                     QStringLiteral("http://site3.xml/1"), QStringLiteral("http://site3.xml/2"),
                     QStringLiteral("http://server.test/17")}));

    // Another source walks in the steps the schedule gives, in both modes.
    state().articleSources.removeAll(&task.siteWalk());
    account.walks = true;
    account.articles.clear();
    const struct {
        PatrolMode mode;
        QStringList calls;
        qint16 next;
    } modes[] = {
        {PatrolMode::AllSites,
         {QStringLiteral("patrol"), QStringLiteral("walk 0"), QStringLiteral("walk 2"),
          QStringLiteral("walk 4"), QStringLiteral("walksEnded")},
         0},
        {PatrolMode::OneSite,
         {QStringLiteral("patrol"), QStringLiteral("walk 0 wrap"), QStringLiteral("walksEnded")},
         2},
    };
    for (const auto& mode : modes) {
        SCOPED_TRACE(int(mode.mode));
        state().settings.AUTO_PIROT_MODE = mode.mode;
        account.calls.clear();
        clearRecords();
        refresh();
        EXPECT_EQ(account.calls, mode.calls);
        EXPECT_EQ(task.NextSiteIndex, mode.next);
        EXPECT_TRUE(fetched().isEmpty());
        EXPECT_FALSE(task.isPatrolling());
        EXPECT_TRUE(task.tmrRefresh.isActive());
    }

    // Nothing walks: the patrol's walks are over as soon as they start.
    account.walks = false;
    account.calls.clear();
    refresh();
    EXPECT_EQ(account.calls, QStringList({QStringLiteral("patrol"), QStringLiteral("walksEnded")}));
    EXPECT_FALSE(task.isPatrolling());
    EXPECT_TRUE(task.tmrRefresh.isActive());
    state().articleSources.removeAll(&account);
}

// The patrol window goes (the exit) while its walk waits for fetches and a feed is on the
// judging thread: the walk leaves the sources, and neither the judged feed nor a fetch's
// late result reaches it.
TEST_F(PatrolTest, APatrolWindowDestroyedMidWalkHearsNothingMore) {
    state().settings.AUTO_PIROT_MODE = PatrolMode::AllSites;
    QString items;
    for (int i = 0; i < 40; ++i) {
        items += QStringLiteral("<item><title>%1 %2</title><link>http://c/%2</link></item>")
                     .arg(QString(40, u'a') + u'!')
                     .arg(i);
    }
    env.writeFile(QStringLiteral("c.xml"), (QStringLiteral("<rss version=\"2.0\"><channel>") +
                                            items + QStringLiteral("</channel></rss>"))
                                               .toUtf8());
    addRow(env.path(QStringLiteral("c.xml")));
    addRow(writeFeed(QStringLiteral("a.xml"), Feed::Fresh));
    addRow(writeFeed(QStringLiteral("b.xml"), Feed::Fresh));
    env.writeFile(QStringLiteral("rules.txt"), "mute\tnothing\n");
    EXPECT_TRUE(reloadRules(state().rulesStore()));

    auto patrol = std::make_unique<frmTask>(state(), ticker, status);
    ASSERT_EQ(state().articleSources.first(), &patrol->siteWalk());
    feeds->ignoreCancel = true;  // the results come all the same, as from a late service
    patrol->RssRefresh();
    ASSERT_EQ(feeds->held.size(), 3);
    env.writeFile(QStringLiteral("rules.txt"), "hold\t/(a+)+$/\n");
    EXPECT_TRUE(reloadRules(state().rulesStore()));
    // Read under the rules of before: the first site goes to the judging thread.
    feeds->completeFromFile(feeds->held.first().id);
    ASSERT_TRUE(patrol->isPatrolling());
    ASSERT_EQ(state().NewsQueue.lastIndex(), 0);

    patrol.reset();
    EXPECT_EQ(state().articleSources, QList<ArticleSource*>{&task.siteWalk()});
    feeds->drain();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(state().NewsQueue.lastIndex(), 0);
    EXPECT_FALSE(status.texts.contains(kDone));
}

}  // namespace
