#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "icons/iconservice.h"
#include "platform/net/httpclient.h"
#include "tests/common/loopbackserver.h"
#include "tests/common/solidpng.h"
#include "tests/common/testenv.h"
#include "rules/displayrule.h"
#include "patrol/patrolhost.h"
#include "ticker/frmticker.h"
#include "ticker/frmtickerlist.h"
#include "ticker/textbutton.h"
#include "ticker/tickerhost.h"
#include "ui/fittedlabel.h"
#include "ui/siteicons.h"

namespace {

// A patrol whose full-mode load lists the articles the test gives it: at once, or, with
// hold set, when the test says the feed has come.
class FakePatrol final : public PatrolControl {
public:
    explicit FakePatrol(AppState& appState) : state(appState) {}
    void LoadRdf(qint16 intNextKey, bool blnFullFlg, WalkDone done) override {
        calls.append({intNextKey, blnFullFlg});
        pending = std::move(done);
        pendingKey = intNextKey;
        if (!hold) {
            arrive();
        }
    }
    bool loadSourceList(const ArticleRecord& of, std::function<void()> done) override {
        sourceCalls.append(of);
        pending = [done = std::move(done)](qint16) { done(); };
        if (!hold) {
            arrive();
        }
        return true;
    }
    void cancelListLoad() override {
        ++cancels;
        pending = nullptr;
    }
    void RssRefresh() override {}
    // The feed of the load still waiting has come.
    void arrive() {
        if (!pending) {
            return;
        }
        for (const ArticleRecord& article : articles) {
            state.ListArticles.append(article);
        }
        const WalkDone done = std::move(pending);
        pending = nullptr;
        done(pendingKey);
    }

    QList<QPair<qint16, bool>> calls;
    QList<ArticleRecord> sourceCalls;
    QList<ArticleRecord> articles;
    bool hold = false;
    int cancels = 0;
    WalkDone pending;
    qint16 pendingKey = -1;

private:
    AppState& state;
};

// Opens and closes the list window as the main window's registry does.
class ListTickerHost final : public TickerHost {
public:
    void openArticleList() override { list->openFor(); }
    void closeArticleList() override { list->closeList(); }
    void openTickerSettings() override {}
    frmTickerList* list = nullptr;
};

ArticleRecord article(const char* title, const char* link, QTime time = QTime()) {
    ArticleRecord record;
    record.Title = QString::fromUtf8(title);
    record.Link = QString::fromUtf8(link);
    if (time.isValid()) {
        record.PubDate = wallClock(QDate(2006, 3, 16), time);
    }
    return record;
}

class TickerListTest : public ::testing::Test {
protected:
    TickerListTest() : patrol(env.state()) {
        for (const char* title : {"Site A", "Site B"}) {
            SiteRow site;
            site.intKind = kKindSite;
            site.strTitle = QString::fromUtf8(title);
            env.state().SiteTable.append(site);
        }
        ticker = std::make_unique<frmTicker>(env.state(), host);
        list = std::make_unique<frmTickerList>(env.state(), *ticker, patrol);
        host.list = list.get();
    }
    ~TickerListTest() override { list->closeList(); }

    // Puts the ticker on screen at a place in twips (always-shown mode).
    void placeTicker(int left, int top) {
        env.state().settings.TICKER_MODE = TickerMode::AlwaysShown;
        env.state().settings.TICKER_LEFT = float(left);
        env.state().settings.TICKER_TOP = float(top);
        ticker->Form_Unload();
        ticker->ShowForm(ShowMode::Permanent);
        ticker->tmrNextNews->stop();
    }
    // Opens the list for a site and fills it, as 100 ms after opening.
    void openAndFill(qint16 site = 1) {
        ticker->intCallOPMLKey = site;
        list->openFor();
        list->tmrLoad_Timer();
    }
    QStringList lines() const {
        QStringList out;
        for (int i = 0; i < list->listRss->count(); ++i) {
            out.append(list->listRss->item(i)->text());
        }
        return out;
    }

    TestEnv env;
    ListTickerHost host;
    FakePatrol patrol;
    std::unique_ptr<frmTicker> ticker;
    std::unique_ptr<frmTickerList> list;
};

TEST_F(TickerListTest, OpensUnderOrAboveTheTicker) {
    // The rule uses the window's outer height, frame included once it has been shown.
    ticker->intCallOPMLKey = 1;
    list->openFor();
    list->closeList();
    const int h = list->heightTwips();
    EXPECT_GE(h, frmTickerList::kClientHeightTwips);

    struct Case {
        int screenHeight;
        int tickerTop;
        int listTop;
    };
    // The ticker is 495 twips high.
    const Case cases[] = {
        {11520, 1500, 1995},                            // under
        {11520, 0, 495},                                // at the top: under
        {11520, 11520 - 495 - h, 11520 - h},            // bottom on the screen's edge: still under
        {11520, 11521 - 495 - h, 11521 - 495 - 2 * h},  // one twip lower: above
        {11520, 10500, 10500 - h},                      // near the bottom: above
        {3600, 600, 1095},                              // neither fits: under, partly off screen
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tickerTop);
        env.screen.setTwips(15360, c.screenHeight);
        placeTicker(3000, c.tickerTop);
        ticker->intCallOPMLKey = 1;
        list->openFor();
        EXPECT_EQ(list->leftTwips(), 3000);
        EXPECT_EQ(list->topTwips(), c.listTop);
        EXPECT_EQ(list->pos(), QPoint(200, twipsToPixels(c.listTop)));
        list->closeList();
    }
    EXPECT_EQ(list->size(), QSize(474, 215));
}

TEST_F(TickerListTest, ShowsTheMessageFirstAndListsTheSite) {
    patrol.articles = {article("One", "http://example.com/1")};
    placeTicker(3000, 1500);
    ticker->intCallOPMLKey = 1;
    list->openFor();
    EXPECT_EQ(list->windowTitle(), QStringLiteral("Quorvane3 - Site B"));
    EXPECT_EQ(list->lblPause->text(), QStringLiteral("最新の情報を読み込んでいます"));
    EXPECT_FALSE(list->listRss->isVisible());
    EXPECT_TRUE(list->tmrLoad->isActive());
    EXPECT_EQ(list->tmrLoad->interval(), 100);
    EXPECT_TRUE(list->tmrLoad->isSingleShot());
    EXPECT_TRUE(patrol.calls.isEmpty());

    // An earlier list is dropped before the fetch.
    env.state().ListArticles.append(article("Stale", "http://stale/"));
    list->tmrLoad_Timer();
    EXPECT_FALSE(list->tmrLoad->isActive());
    EXPECT_EQ(patrol.calls, (QList<QPair<qint16, bool>>{{1, true}}));
    EXPECT_EQ(lines(), QStringList{QStringLiteral("One")});
    EXPECT_TRUE(list->listRss->isVisible());
    EXPECT_TRUE(list->lblPause->text().isEmpty());
    EXPECT_FALSE(list->cmdWeb->isEnabled());
}

// Every article is listed; those the display rules keep out of the ticker are greyed.
TEST_F(TickerListTest, MutedArticlesAreListedGreyed) {
    patrol.articles = {article("One", "http://example.com/1"),
                       article("Two", "http://example.com/2"),
                       article("Three", "http://example.com/3")};
    patrol.articles[1].Display = RuleAction::Mute;
    patrol.articles[2].Display = RuleAction::Hold;
    placeTicker(3000, 1500);
    openAndFill();
    ASSERT_EQ(lines().size(), 3);
    const QColor grey = list->listRss->palette().color(QPalette::Disabled, QPalette::Text);
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(list->listRss->item(row)->foreground().color() == grey, row == 1);
    }
}

TEST_F(TickerListTest, DateColumnForAllSomeOrNoEntries) {
    struct Case {
        const char* name;
        QList<ArticleRecord> articles;
        QStringList lines;
    };
    const Case cases[] = {
        {"all dated",
         {article("Morning", "", QTime(7, 24)), article("Midnight", "", QTime(0, 0)),
          article("With seconds", "", QTime(18, 5, 30))},
         {QStringLiteral("06/03/16 07:24    Morning"), QStringLiteral("06/03/16          Midnight"),
          QStringLiteral("06/03/16 18:05:30 With seconds")}},
        {"some dated",
         {article("Undated", ""), article("記事", "", QTime(7, 24))},
         {QStringLiteral("                  Undated"), QStringLiteral("06/03/16 07:24    記事")}},
        {"none dated",
         {article("Plain", ""), article("  Spaced", "")},
         {QStringLiteral("Plain"), QStringLiteral("  Spaced")}},
        {"failed fetch", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        patrol.articles = c.articles;
        openAndFill();
        EXPECT_EQ(lines(), c.lines);
        list->closeList();
    }
}

TEST_F(TickerListTest, SelectionShowsTheLinkAndWebOpensOnlyWebLinks) {
    patrol.articles = {article("Web", "http://example.com/1"), article("No link", ""),
                       article("Script", "javascript:alert(1)"),
                       article("Secure", "https://example.com/2")};
    openAndFill();

    list->listRss->setCurrentRow(0);
    EXPECT_EQ(list->lblPause->text(), QStringLiteral("http://example.com/1"));
    EXPECT_TRUE(list->cmdWeb->isEnabled());
    list->cmdWeb->click();
    EXPECT_EQ(env.browser.opened, QStringList{QStringLiteral("http://example.com/1")});

    // Double-click on an item without a link: nothing opens.
    list->listRss->setCurrentRow(1);
    EXPECT_TRUE(list->lblPause->text().isEmpty());
    EXPECT_FALSE(list->cmdWeb->isEnabled());
    list->listRss_DblClick();
    // A javascript: link is shown, but never handed to the browser.
    list->listRss->setCurrentRow(2);
    EXPECT_EQ(list->lblPause->text(), QStringLiteral("javascript:alert(1)"));
    list->listRss_DblClick();
    list->cmdWeb_Click();
    EXPECT_EQ(env.browser.opened.size(), 1);

    // A real double-click on an item opens it.
    list->show();
    QListWidgetItem* secure = list->listRss->item(3);
    const QPoint centre = list->listRss->visualItemRect(secure).center();
    QTest::mouseClick(list->listRss->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(list->listRss->viewport(), Qt::LeftButton, {}, centre);
    EXPECT_EQ(env.browser.opened.last(), QStringLiteral("https://example.com/2"));

    // Enter in the list opens the current article as a double-click does.
    list->listRss->setCurrentRow(0);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        env.browser.opened.clear();
        QTest::keyClick(list->listRss, key,
                        key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        EXPECT_EQ(env.browser.opened, QStringList{QStringLiteral("http://example.com/1")}) << key;
    }
}

TEST_F(TickerListTest, TheTickersButtonOpensAndClosesTheList) {
    placeTicker(3000, 1500);
    ArticleRecord queued = article("記事", "http://example.com/1", QTime(7, 24));
    queued.SiteIndex = 1;
    env.state().NewsQueue.append(queued);
    ticker->tmrNextNews_Timer();
    patrol.articles = {article("One", "http://example.com/1")};

    ticker->cmdShowList_Click();
    EXPECT_EQ(ticker->intCallOPMLKey, 1);
    EXPECT_TRUE(list->isOpen());
    EXPECT_EQ(list->listedSite(), 1);
    list->tmrLoad_Timer();
    list->listRss->setCurrentRow(0);

    // Asked again for the same site while open: brought forward unchanged.
    list->openFor();
    EXPECT_EQ(patrol.calls.size(), 1);
    EXPECT_EQ(list->listRss->currentRow(), 0);
    EXPECT_FALSE(list->tmrLoad->isActive());

    ticker->cmdShowList_Click();
    EXPECT_FALSE(list->isOpen());
    EXPECT_EQ(ticker->intCallOPMLKey, -1);

    // Closed by the user before the list was filled: no fetch, and the ticker is told.
    ticker->cmdShowList_Click();
    ASSERT_TRUE(list->isOpen());
    EXPECT_EQ(list->lblPause->text(), QStringLiteral("最新の情報を読み込んでいます"));
    EXPECT_EQ(list->listRss->count(), 0);
    list->close();
    EXPECT_EQ(ticker->intCallOPMLKey, -1);
    EXPECT_FALSE(list->tmrLoad->isActive());
    EXPECT_EQ(patrol.calls.size(), 1);
}

// An account's headline has no site row: 覧 lists the server feed it came from, under the
// feed's title, and closes the list again; the ticker's site key stays -1 throughout.
TEST_F(TickerListTest, AnAccountsHeadlineListsItsFeed) {
    placeTicker(3000, 1500);
    ArticleRecord queued = article("Headline", "http://example.com/9");
    queued.SiteIndex = -1;
    queued.Account = 1;
    queued.Identity = QStringLiteral("9");
    queued.FeedUrl = QStringLiteral("http://[::1]/a.xml");
    queued.SiteTitle = QStringLiteral("Server feed");
    env.state().NewsQueue.append(queued);
    ticker->tmrNextNews_Timer();
    ArticleRecord older = queued;
    older.Title = QStringLiteral("Older");
    older.Identity = QStringLiteral("8");
    patrol.articles = {queued, older};
    patrol.hold = true;

    ticker->cmdShowList_Click();
    EXPECT_EQ(ticker->intCallOPMLKey, -1);
    ASSERT_TRUE(ticker->callArticle.has_value());
    ASSERT_TRUE(list->isOpen());
    EXPECT_EQ(list->windowTitle(), env.state().exeBaseName() + QStringLiteral(" - Server feed"));
    list->tmrLoad_Timer();
    EXPECT_TRUE(patrol.calls.isEmpty());
    ASSERT_EQ(patrol.sourceCalls.size(), 1);
    EXPECT_EQ(patrol.sourceCalls[0].Identity, QStringLiteral("9"));
    EXPECT_EQ(list->lblPause->text(), QStringLiteral("最新の情報を読み込んでいます"));
    patrol.arrive();
    EXPECT_EQ(lines(), QStringList({QStringLiteral("Headline"), QStringLiteral("Older")}));

    // Asked again for the same feed while open: brought forward unchanged.
    list->openFor();
    EXPECT_EQ(patrol.sourceCalls.size(), 1);

    ticker->cmdShowList_Click();
    EXPECT_FALSE(list->isOpen());
    EXPECT_FALSE(ticker->callArticle.has_value());
    EXPECT_EQ(ticker->intCallOPMLKey, -1);
    EXPECT_FALSE(list->listedArticle().has_value());
}

TEST_F(TickerListTest, LoadsWithoutBlockingAndDropsALoadItNoLongerWants) {
    placeTicker(3000, 1500);
    patrol.hold = true;
    patrol.articles = {article("One", "http://example.com/1")};
    openAndFill(1);
    // The feed has not come: the window still says it is loading.
    EXPECT_EQ(list->lblPause->text(), QStringLiteral("最新の情報を読み込んでいます"));
    EXPECT_FALSE(list->listRss->isVisible());
    patrol.arrive();
    EXPECT_EQ(lines(), QStringList{QStringLiteral("One")});
    EXPECT_TRUE(list->listRss->isVisible());

    // Closed, or opened for another site, while loading: the old load never fills it.
    for (const bool reopen : {false, true}) {
        list->closeList();
        openAndFill(1);
        if (reopen) {
            ticker->intCallOPMLKey = 0;
            list->openFor();
        } else {
            list->closeList();
        }
        EXPECT_FALSE(patrol.pending) << reopen;
        EXPECT_EQ(list->listRss->count(), 0) << reopen;
    }
}

TEST_F(TickerListTest, ListsTheSiteItWasOpenedForEvenIfTheTickerRestarted) {
    placeTicker(3000, 1500);
    ticker->intCallOPMLKey = 1;
    list->openFor();
    // A new showing of the ticker resets its key before the list fills.
    ticker->Form_Load();
    list->tmrLoad_Timer();
    EXPECT_EQ(patrol.calls, (QList<QPair<qint16, bool>>{{1, true}}));
}

TEST_F(TickerListTest, LinkLongerThanTheStatusLineEndsInAnEllipsisBeforeTheWebButton) {
    const QString longLink = QStringLiteral("http://www.example.com/science/2006/03/16/") +
                             QString(200, QLatin1Char('a'));
    patrol.articles = {article("Short", "http://example.com/1"), article("Long", "")};
    patrol.articles[1].Link = longLink;
    openAndFill();
    list->show();
    const int room = list->cmdWeb->x() - list->lblPause->x();
    for (int row : {0, 1}) {
        SCOPED_TRACE(row);
        list->listRss->setCurrentRow(row);
        const QString shown = list->lblPause->shownText();
        EXPECT_LE(list->lblPause->geometry().right(), list->cmdWeb->x());
        EXPECT_LE(list->lblPause->fontMetrics().horizontalAdvance(shown), room);
        EXPECT_EQ(shown == list->lblPause->text(), row == 0);
    }
    EXPECT_TRUE(list->lblPause->shownText().endsWith(QChar(0x2026)));
    EXPECT_TRUE(list->lblPause->shownText().startsWith(QStringLiteral("http://www.example.com/")));
    // The web button opens the whole link.
    list->cmdWeb->click();
    EXPECT_EQ(env.browser.opened, QStringList{longLink});
}

TEST_F(TickerListTest, EscClosesTheListAsTheTickersButtonDoes) {
    patrol.articles = {article("One", "http://example.com/1")};
    for (bool filled : {false, true}) {
        SCOPED_TRACE(filled);
        ticker->intCallOPMLKey = 1;
        list->openFor();
        if (filled) {
            list->tmrLoad_Timer();
            list->listRss->setCurrentRow(0);
        }
        QWidget* focus = filled ? static_cast<QWidget*>(list->listRss) : list.get();
        QTest::keyClick(focus, Qt::Key_Escape);
        EXPECT_FALSE(list->isOpen());
        EXPECT_EQ(ticker->intCallOPMLKey, -1);
        EXPECT_EQ(list->listedSite(), -1);
    }
    // Other keys leave it open.
    ticker->intCallOPMLKey = 1;
    list->openFor();
    QTest::keyClick(list.get(), Qt::Key_Escape, Qt::ShiftModifier);
    QTest::keyClick(list.get(), Qt::Key_A);
    EXPECT_TRUE(list->isOpen());
}

// The title row shows the listed site's icon once it has come from the loopback site, the
// program's until then, for a site without one and with SITE_ICONS off, when nothing is
// fetched; turned on again, the icon is back.
TEST_F(TickerListTest, TitleRowShowsTheSitesIconWhenItArrives) {
    LoopbackServer server;
    serveLateRedIcon(server);
    SiteRow& site = env.state().SiteTable[1];
    site.strHtmlUrl = server.url(QStringLiteral("/"));
    site.strXmlUrl = server.url(QStringLiteral("/feed"));

    QTemporaryDir cache;
    FakeClock clock;
    HttpClient http;
    IconService service(http, cache.path(), clock);
    Settings& settings = env.state().settings;
    SiteIcons icons(service, settings);
    list->setSiteIcons(&icons);
    const auto centre = [this] { return list->windowIcon().pixmap(16).toImage().pixelColor(8, 8); };
    const QColor program = SiteIcons::programIcon().pixmap(16).toImage().pixelColor(8, 8);
    ASSERT_NE(program, QColor(Qt::red));

    openAndFill(1);
    EXPECT_EQ(centre(), program);
    ASSERT_TRUE(QTest::qWaitFor([&] { return centre() == QColor(Qt::red); }, 10000));

    list->closeList();
    openAndFill(0);
    EXPECT_EQ(centre(), program);

    list->closeList();
    openAndFill(1);
    EXPECT_EQ(centre(), QColor(Qt::red));
    settings.SITE_ICONS = false;
    icons.followSettings();
    EXPECT_EQ(centre(), program);
    server.clearRequests();
    list->closeList();
    openAndFill(1);
    EXPECT_EQ(centre(), program);
    EXPECT_TRUE(server.requests().isEmpty());

    settings.SITE_ICONS = true;
    icons.followSettings();
    ASSERT_TRUE(QTest::qWaitFor([&] { return centre() == QColor(Qt::red); }, 10000));
}

}  // namespace
