#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "tests/common/channelpages.h"
#include "tests/common/fakefeedservice.h"
#include "tests/common/loopbackserver.h"
#include "tests/common/testenv.h"
#include "tests/dialogs/fakedialoghost.h"
#include "dialogs/frmnewsitedialog.h"
#include "tests/common/wholetexts.h"

namespace {

const QString kFailed = QStringLiteral("ファイルの取得に失敗しました");
const QString kDefaultName = QStringLiteral("新しいサイト");
const QString kNoFeed = QStringLiteral("フィードが見つかりませんでした");

class NewSiteDialogTest : public ::testing::Test {
protected:
    NewSiteDialogTest() : host(env.state()), dialog(env.state(), host) {
        env.state().fetchOptions.connectTimeoutMs = 2000;
        env.state().fetchOptions.totalTimeoutMs = 5000;
        serveChannelPages(server);
        server.serve(QStringLiteral("/two.xml"),
                     "<rss><channel><title>First</title><link>http://1.example/</link>"
                     "</channel><channel><title>Second</title><title> Last </title>"
                     "<link>http://2.example/</link></channel></rss>");
        server.serve(QStringLiteral("/untitled.xml"),
                     "<rss><channel><description>no title</description>"
                     "<item><title>Item</title></item></channel></rss>");
    }

    // Opens the dialog, types the URL, presses OK once and waits for the check.
    void probe(const QString& url) {
        dialog.showOrRaise();
        dialog.txtURL->setText(url);
        dialog.cmdOK->click();
        ASSERT_TRUE(waitForFetches(env.state()));
    }

    SiteRow& newSiteRow() { return env.state().NewSiteRow; }

    TestEnv env;
    FakeDialogHost host;
    LoopbackServer server;
    frmNewSiteDialog dialog;
};

class NewSiteDialogTestInEnglish : public InEnglish, public NewSiteDialogTest {};

// Also the one-word status of a check under way, which a line may not break.
TEST_F(NewSiteDialogTestInEnglish, EveryCaptionShowsWhole) {
    dialog.showOrRaise();
    expectEveryCaptionShowsWhole(dialog);
    auto service = std::make_unique<FakeFeedService>();
    const FakeFeedService& feeds = *service;
    env.state().useFeedService(std::move(service));
    dialog.txtURL->setText(server.url(QStringLiteral("/rss20.xml")));
    dialog.cmdOK->click();
    ASSERT_EQ(feeds.pendingCount(), 1);
    ASSERT_FALSE(dialog.lblStatus->text().contains(QLatin1Char(' ')));
    expectEveryCaptionShowsWhole(dialog);
    dialog.close();
}

TEST_F(NewSiteDialogTest, OpensInTheFirstStepOnTopBesideTheMainWindow) {
    newSiteRow().strTitle = QStringLiteral("left over");
    newSiteRow().strHtmlUrl = QStringLiteral("http://left.over/");
    dialog.showOrRaise();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("新しいサイトの追加"));
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(dialog.isModal());
    EXPECT_EQ(dialog.topLeftTwips(), QPoint(3120, 1620));
    EXPECT_EQ(dialog.lblURL->text(), QStringLiteral("サイトのURL"));
    EXPECT_EQ(dialog.lblName->text(), QStringLiteral("名前"));
    EXPECT_EQ(dialog.txtURL->text(), QStringLiteral("http://"));
    EXPECT_EQ(dialog.txtName->text(), kDefaultName);
    EXPECT_TRUE(dialog.txtName->isReadOnly());
    EXPECT_EQ(dialog.cmdOK->text(), QStringLiteral("確認"));
    EXPECT_TRUE(dialog.cmdOK->isDefault());
    EXPECT_EQ(dialog.cmdCancel->text(), QStringLiteral("キャンセル"));
    EXPECT_FALSE(dialog.isProbed());
    EXPECT_EQ(newSiteRow().intKind, kKindSite);
    EXPECT_TRUE(newSiteRow().strTitle.isEmpty());
    EXPECT_TRUE(newSiteRow().strHtmlUrl.isEmpty());
    dialog.close();
}

TEST_F(NewSiteDialogTest, FirstStepReadsTheChannel) {
    ASSERT_TRUE(server.isListening());
    struct Case {
        const char* path;
        bool probed;
        QString name;
        QString homepage;
        bool message;
        // The dialog's line on what it found, and where the URL box points afterwards.
        QString status = QString();
        const char* feedPath = "";
    };
    const Case cases[] = {
        // Space, tab, CR and LF are trimmed, U+3000 kept; the item's title inside the
        // channel does not replace the channel's.
        {"/rss20.xml", true, QStringLiteral("\u3000Example News"),
         QStringLiteral("http://news.example.com/"), false},
        {"/rss10.rdf", true, QStringLiteral("RDF の 例"), QStringLiteral("http://rdf.example.jp/"),
         false},
        // The last channel and the last title win.
        {"/two.xml", true, QStringLiteral("Last"), QStringLiteral("http://2.example/"), false},
        {"/untitled.xml", true, kDefaultName, QString(), false},
        {"/atom.xml", true, QStringLiteral("Atom Example"),
         QStringLiteral("http://atom.example.org/"), false},
        // A site's page: the feed it names is read in its place.
        {"/home.html", true, QStringLiteral("\u3000Example News"),
         QStringLiteral("http://news.example.com/"), false, QString(), "/rss.xml"},
        {"/plain.html", false, kDefaultName, QString(), false, kNoFeed},
        {"/broken.xml", false, kDefaultName, QString(), true, kNoFeed},
        {"/missing.xml", false, kDefaultName, QString(), true, QStringLiteral("HTTP 404")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        env.messageBox.shown.clear();
        probe(server.url(QLatin1String(c.path)));
        EXPECT_EQ(dialog.isProbed(), c.probed);
        EXPECT_EQ(dialog.txtName->text(), c.name);
        EXPECT_EQ(newSiteRow().strHtmlUrl, c.homepage);
        EXPECT_EQ(dialog.lblStatus->text(), c.status);
        // The whole line shows beside the buttons, inside the dialog.
        const QRect status = dialog.lblStatus->geometry();
        const QRect needed = dialog.lblStatus->fontMetrics().boundingRect(
            QRect(QPoint(), status.size()), Qt::TextWordWrap, c.status);
        EXPECT_LE(needed.width(), status.width());
        EXPECT_LE(needed.height(), status.height());
        EXPECT_TRUE(dialog.rect().contains(status));
        EXPECT_FALSE(status.intersects(dialog.cmdOK->geometry()));
        EXPECT_EQ(dialog.txtURL->text(),
                  server.url(QLatin1String(*c.feedPath ? c.feedPath : c.path)));
        EXPECT_EQ(dialog.cmdOK->text(), c.probed ? QStringLiteral("登録") : QStringLiteral("確認"));
        EXPECT_EQ(dialog.lblURL->isEnabled(), !c.probed);
        EXPECT_EQ(dialog.txtName->isEnabled() && !dialog.txtName->isReadOnly(), c.probed);
        EXPECT_EQ(dialog.lblName->isEnabled(), c.probed);
        ASSERT_EQ(env.messageBox.shown.size(), c.message ? 1 : 0);
        if (c.message) {
            EXPECT_EQ(env.messageBox.shown[0].text, kFailed);
            EXPECT_EQ(env.messageBox.shown[0].title, QStringLiteral("Quorvane3"));
            EXPECT_EQ(env.messageBox.shown[0].buttons, MsgButtons::Ok);
            EXPECT_EQ(env.messageBox.shown[0].icon, MsgIcon::Warning);
        }
        dialog.close();
    }
    EXPECT_TRUE(host.addedRows.isEmpty());
}

TEST_F(NewSiteDialogTest, UnreachableUrlReportsAndStaysInTheFirstStep) {
    LoopbackServer gone;
    const QString url = gone.url(QStringLiteral("/feed.xml"));
    gone.stop();
    probe(url);
    ASSERT_EQ(env.messageBox.shown.size(), 1);
    EXPECT_EQ(env.messageBox.shown[0].text, kFailed);
    EXPECT_EQ(dialog.cmdOK->text(), QStringLiteral("確認"));
    EXPECT_FALSE(dialog.isProbed());

    // The user corrects the URL and tries again.
    dialog.txtURL->setText(server.url(QStringLiteral("/rss20.xml")));
    dialog.cmdOK->click();
    ASSERT_TRUE(waitForFetches(env.state()));
    EXPECT_TRUE(dialog.isProbed());
    dialog.close();
}

TEST_F(NewSiteDialogTest, SecondStepRegistersTheNameAndUrlAsTheyStand) {
    const QString url = server.url(QStringLiteral("/rss20.xml"));
    probe(url);
    ASSERT_TRUE(dialog.isProbed());
    dialog.cmdOK->click();
    ASSERT_EQ(host.addedRows.size(), 1);
    SiteRow expected;
    expected.intKind = kKindSite;
    expected.strTitle = QStringLiteral("\u3000Example News");
    expected.strHtmlUrl = QStringLiteral("http://news.example.com/");
    expected.strXmlUrl = url;
    EXPECT_EQ(host.addedRows[0], expected);
    EXPECT_FALSE(dialog.isVisible());

    // A name the user changed, and a URL changed after the probe, are taken unchanged;
    // the URL is not fetched again.
    probe(url);
    dialog.txtName->setText(QStringLiteral(" 私の サイト "));
    dialog.txtURL->setText(QStringLiteral("http://elsewhere.example/feed"));
    QTest::keyClick(dialog.txtName, Qt::Key_Return);
    ASSERT_EQ(host.addedRows.size(), 2);
    EXPECT_EQ(host.addedRows[1].strTitle, QStringLiteral(" 私の サイト "));
    EXPECT_EQ(host.addedRows[1].strXmlUrl, QStringLiteral("http://elsewhere.example/feed"));
    EXPECT_EQ(host.addedRows[1].strHtmlUrl, QStringLiteral("http://news.example.com/"));
    EXPECT_EQ(server.requestCount(QStringLiteral("/rss20.xml")), 2);
}

TEST_F(NewSiteDialogTest, EscapeInEitherStepAddsNothingAndTheNextOpeningStartsAfresh) {
    dialog.showOrRaise();
    QTest::keyClick(dialog.txtURL, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());

    probe(server.url(QStringLiteral("/rss10.rdf")));
    ASSERT_TRUE(dialog.isProbed());
    QTest::keyClick(dialog.txtName, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(host.addedRows.isEmpty());

    dialog.showOrRaise();
    EXPECT_FALSE(dialog.isProbed());
    EXPECT_EQ(dialog.cmdOK->text(), QStringLiteral("確認"));
    EXPECT_EQ(dialog.txtURL->text(), QStringLiteral("http://"));
    EXPECT_EQ(dialog.txtName->text(), kDefaultName);
    EXPECT_TRUE(dialog.lblURL->isEnabled());
    EXPECT_TRUE(newSiteRow().strTitle.isEmpty());
    EXPECT_TRUE(newSiteRow().strHtmlUrl.isEmpty());
    dialog.close();
    EXPECT_TRUE(host.addedRows.isEmpty());
}

TEST_F(NewSiteDialogTest, ACheckIsAskedOnceAndEndsWithTheDialog) {
    auto service = std::make_unique<FakeFeedService>();
    FakeFeedService& feeds = *service;
    env.state().useFeedService(std::move(service));
    const QString url = server.url(QStringLiteral("/rss20.xml"));

    // A double click: the second click arrives while the first check runs.
    dialog.showOrRaise();
    dialog.txtURL->setText(url);
    dialog.cmdOK->click();
    dialog.cmdOK_Click();
    QTest::keyClick(dialog.txtURL, Qt::Key_Return);
    EXPECT_EQ(feeds.requested, QStringList{url});
    EXPECT_TRUE(dialog.isChecking());

    // キャンセル during the check drops it and closes the dialog; nothing moves on to 登録.
    dialog.cmdCancel->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(feeds.pendingCount(), 0);
    EXPECT_FALSE(dialog.isProbed());

    // Closing the window does the same; a check that completes goes to the second step.
    for (const bool close : {true, false}) {
        dialog.showOrRaise();
        dialog.txtURL->setText(url);
        dialog.cmdOK->click();
        ASSERT_EQ(feeds.pendingCount(), 1);
        if (close) {
            dialog.close();
            EXPECT_EQ(feeds.pendingCount(), 0);
        } else {
            feeds.complete(feeds.held.first().id,
                           feeds.resultFromFile(testDataPath(QStringLiteral("channel_rss20.xml"))));
            EXPECT_TRUE(dialog.isProbed());
            EXPECT_FALSE(dialog.isChecking());
            EXPECT_TRUE(dialog.cmdOK->isEnabled());
        }
    }
    EXPECT_EQ(feeds.requested.size(), 3);
    EXPECT_TRUE(host.addedRows.isEmpty());
    dialog.close();
}

TEST_F(NewSiteDialogTest, OpeningAgainKeepsTheOpenDialogsStep) {
    const QString url = server.url(QStringLiteral("/rss20.xml"));
    probe(url);
    dialog.txtName->setText(QStringLiteral("Edited"));
    dialog.showOrRaise();
    EXPECT_TRUE(dialog.isProbed());
    EXPECT_EQ(dialog.cmdOK->text(), QStringLiteral("登録"));
    EXPECT_EQ(dialog.txtName->text(), QStringLiteral("Edited"));
    EXPECT_EQ(dialog.txtURL->text(), url);
    EXPECT_EQ(newSiteRow().strHtmlUrl, QStringLiteral("http://news.example.com/"));
    dialog.close();
}

}  // namespace
