#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "tests/common/fakefeedservice.h"
#include "tests/common/channelpages.h"
#include "tests/common/loopbackserver.h"
#include "tests/sitepane/sitepanefixture.h"
#include "rules/rulesstore.h"

namespace {

// One site whose homepage is set and whose feed is the given URL.
QByteArray listWithFeed(const QString& feedUrl) {
    return "<?xml version=\"1.0\"?><opml version=\"1.1\"><head/><body>"
           "<outline text=\"S\" htmlUrl=\"http://s.example/\" xmlUrl=\"" +
           feedUrl.toUtf8() + "\"/></body></opml>";
}

}  // namespace

TEST_F(PropertiesPanelTest, FolderIsShownGreyedAndSiteEditable) {
    loadList(kSampleList);
    click("R0");
    const QColor buttonFace = QGuiApplication::palette().color(QPalette::Button);
    for (const QLineEdit* box : {panel().txtHomepage, panel().txtRDFPath}) {
        EXPECT_FALSE(box->isEnabled());
        EXPECT_EQ(box->palette().color(QPalette::Disabled, QPalette::Base), buttonFace);
    }
    EXPECT_EQ(panel().txtTitle->text(), QStringLiteral("F"));
    EXPECT_TRUE(panel().commentText().isEmpty());
    EXPECT_EQ(panel().intCurrentIndex, 0);
    EXPECT_TRUE(panel().cmdOK->isEnabled());

    click("R1");  // a site without a homepage: editable, not fetched
    const QColor window = QGuiApplication::palette().color(QPalette::Base);
    for (const QLineEdit* box : {panel().txtHomepage, panel().txtRDFPath}) {
        EXPECT_TRUE(box->isEnabled());
        EXPECT_EQ(box->palette().color(QPalette::Active, QPalette::Base), window);
    }
    EXPECT_EQ(panel().txtRDFPath->text(), QStringLiteral("a.xml"));
    EXPECT_TRUE(panel().commentText().isEmpty());
    // The boxes show the beginning of their texts.
    for (const QLineEdit* box : {panel().txtTitle, panel().txtHomepage, panel().txtRDFPath}) {
        EXPECT_EQ(box->cursorPosition(), 0);
    }
}

TEST_F(PropertiesPanelTest, SiteShowsItsFeedsChannelInformation) {
    LoopbackServer server;
    ASSERT_TRUE(server.isListening());
    serveChannelPages(server);
    state().fetchOptions.connectTimeoutMs = 2000;
    state().fetchOptions.totalTimeoutMs = 5000;

    struct Case {
        const char* path;
        QString comment;
        // Where the feed box points afterwards ("" = where it pointed).
        const char* feedPath = "";
    };
    const Case cases[] = {
        {"/rss10.rdf", QStringLiteral("【RDF の 例】\r\nhttp://rdf.example.jp/\r\n"
                                      "RSS 1.0 で配信しています & テスト")},
        // U+3000 stays; only space, tab, CR and LF are trimmed. The item's title is no
        // channel title.
        {"/rss20.xml", QStringLiteral("【\u3000Example News】\r\nhttp://news.example.com/\r\n"
                                      "Every day's news")},
        {"/atom.xml", QStringLiteral("【Atom Example】\r\nhttp://atom.example.org/\r\n")},
        // A page names its feed: that feed is shown and takes the page's place in the box.
        {"/home.html",
         QStringLiteral("【\u3000Example News】\r\nhttp://news.example.com/\r\nEvery day's news"),
         "/rss.xml"},
        {"/plain.html", QStringLiteral("フィードが見つかりませんでした")},
        {"/missing.xml", QStringLiteral("情報の取得に失敗しました\r\nHTTP 404")},
        {"/broken.xml",
         QStringLiteral("情報の取得に失敗しました\r\nフィードが見つかりませんでした")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        loadList(listWithFeed(server.url(QLatin1String(c.path))));
        panel().setCommentText(QStringLiteral("left over"));
        ASSERT_TRUE(pane->selectFirstNode());
        ASSERT_TRUE(waitForFetches(state()));
        EXPECT_EQ(panel().commentText(), c.comment);
        EXPECT_EQ(server.requestCount(QLatin1String(c.path)), 1);
        EXPECT_EQ(panel().txtRDFPath->text(),
                  server.url(QLatin1String(*c.feedPath ? c.feedPath : c.path)));
    }
    // The box shows the three parts on lines of their own.
    loadList(listWithFeed(server.url(QStringLiteral("/rss20.xml"))));
    pane->selectFirstNode();
    ASSERT_TRUE(waitForFetches(state()));
    EXPECT_EQ(panel().txtComment->toPlainText(),
              QStringLiteral("【\u3000Example News】\nhttp://news.example.com/\nEvery day's news"));
}

// Each apply and each rename reaches rsslist.opml by itself: no structural edit or exit has to
// follow for it to survive.
TEST_F(PropertiesPanelTest, ApplyAndRenameChangeTheListAndSaveIt) {
    loadList(kSampleList);
    const auto saved = [this](const char* outline) {
        return savedList().contains(QByteArray("<outline text=\"") + outline);
    };

    // A site takes all three boxes.
    click("R1");
    panel().txtTitle->setText(QStringLiteral("a2"));
    panel().txtHomepage->setText(QStringLiteral("http://a.example/"));
    panel().txtRDFPath->setText(QStringLiteral("a2.xml"));
    panel().cmdOK->click();
    EXPECT_EQ(state().SiteTable[1],
              (SiteRow{kKindSite, false, QStringLiteral("a2"), QStringLiteral("http://a.example/"),
                       QStringLiteral("a2.xml")}));
    EXPECT_TRUE(
        saved("a2\" title=\"a2\" type=\"rss\" version=\"RSS\" htmlUrl=\"http://a.example/\" "
              "xmlUrl=\"a2.xml\""));

    // A folder only its title, even when the selection has moved on meanwhile.
    click("R0");
    panel().txtTitle->setText(QStringLiteral("F2"));
    panel().txtHomepage->setText(QStringLiteral("http://f.example/"));
    view().selectNode(node("R5"));
    panel().cmdOK_Click();
    EXPECT_EQ(state().SiteTable[0], (SiteRow{kKindFolder, false, QStringLiteral("F2"), {}, {}}));
    EXPECT_EQ(shape(), QStringLiteral("F2[a2,Sub[b],c],T"));
    EXPECT_TRUE(saved("F2\">"));

    // Renaming the shown entry in place updates the panel; another entry leaves it alone.
    click("R4");
    panel().trvOPML_AfterLabelEdit(QStringLiteral("c2"));
    EXPECT_EQ(panel().txtTitle->text(), QStringLiteral("c2"));
    EXPECT_TRUE(saved("c2\""));
    view().selectNode(node("R3"));
    panel().trvOPML_AfterLabelEdit(QStringLiteral("b2"));
    EXPECT_EQ(panel().txtTitle->text(), QStringLiteral("c2"));
    EXPECT_EQ(state().SiteTable[3].strTitle, QStringLiteral("b2"));
    EXPECT_EQ(shape(), QStringLiteral("F2[a2,Sub[b2],c2],T"));
    EXPECT_TRUE(saved("b2\""));
}

TEST_F(PropertiesPanelTest, LabelEditInTheTreeRenamesUnlessCancelled) {
    loadList(kSampleList);
    pane->show();
    click("R4");

    struct Case {
        Qt::Key key;
        const char* title;
    };
    const Case cases[] = {{Qt::Key_Escape, "c"}, {Qt::Key_Return, "renamed"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        view().editNode(node("R4"));
        auto* editor = view().findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->setText(QStringLiteral("renamed"));
        QTest::keyClick(editor, c.key);
        // The delegate commits a Return through a queued call.
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(state().SiteTable[4].strTitle, QLatin1String(c.title));
        EXPECT_EQ(view().indexOf(node("R4")).data().toString(), QLatin1String(c.title));
        EXPECT_EQ(panel().txtTitle->text(), QLatin1String(c.title));
        // Saved when taken, not when cancelled.
        EXPECT_EQ(savedList().contains("<outline text=\"renamed\""), c.key == Qt::Key_Return);
    }
}

// A blank title would leave an entry nobody can tell apart: renaming to one is a cancelled
// edit, and the panel's apply keeps the old title (taking the URLs) and says so.
TEST_F(PropertiesPanelTest, BlankTitleIsNeverTaken) {
    loadList(kSampleList);
    pane->show();
    click("R4");
    const QStringList blanks{QString(), QStringLiteral("  "), QStringLiteral("\u3000\t")};
    for (const QString& blank : blanks) {
        SCOPED_TRACE(blank.toStdString());
        view().editNode(node("R4"));
        auto* editor = view().findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->setText(blank);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(state().SiteTable[4].strTitle, QStringLiteral("c"));
        EXPECT_EQ(node("R4")->text, QStringLiteral("c"));

        panel().txtTitle->setText(blank);
        panel().txtRDFPath->setText(QStringLiteral("c2.xml"));
        panel().cmdOK_Click();
        EXPECT_EQ(state().SiteTable[4].strTitle, QStringLiteral("c"));
        EXPECT_EQ(state().SiteTable[4].strXmlUrl, QStringLiteral("c2.xml"));
        EXPECT_EQ(panel().txtTitle->text(), QStringLiteral("c"));
        EXPECT_EQ(node("R4")->text, QStringLiteral("c"));
    }
    EXPECT_EQ(host.statusTexts.size(), blanks.size());
    // A title with text around its spaces is a title.
    panel().txtTitle->setText(QStringLiteral(" d "));
    panel().cmdOK_Click();
    EXPECT_EQ(state().SiteTable[4].strTitle, QStringLiteral(" d "));
    EXPECT_EQ(host.statusTexts.size(), blanks.size());
}

namespace {

TEST_F(PropertiesPanelTest, EveryClickOnASiteReadsItsFeedAgain) {
    auto service = std::make_unique<FakeFeedService>();
    FakeFeedService& feeds = *service;
    state().useFeedService(std::move(service));
    loadList(kSampleList);
    pane->resize(600, 400);
    pane->show();
    const QModelIndex site = view().indexOf(node("R5"));
    const QPoint at = view().visualRect(site).center();
    ASSERT_TRUE(view().viewport()->rect().contains(at));

    // The first click selects the site; each later one, on the site already selected,
    // reads its feed again. A click elsewhere is no click on it.
    QTest::mouseClick(view().viewport(), Qt::LeftButton, {}, at);
    QTest::mouseClick(view().viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(feeds.requested.size(), 2);
    EXPECT_EQ(feeds.pendingCount(), 1);  // the first read was dropped for the second
    QTest::mouseClick(view().viewport(), Qt::LeftButton, {},
                      view().visualRect(view().indexOf(node("R0"))).center());
    EXPECT_EQ(feeds.requested.size(), 2);
    EXPECT_EQ(panel().intCurrentIndex, 0);
}

}  // namespace

// The box shows whether the rules mute the shown site's feed URL and adds or removes that line
// at once, leaving every other line as it was; it is greyed where there is no feed URL to mute
// and while rules.txt cannot be read.
TEST_F(PropertiesPanelTest, TickerBoxAddsAndRemovesTheSitesMuteLine) {
    const QString rules = QString::fromLatin1(kRulesFileName);
    env.writeFile(rules, "# keep\nmute\t*\tb.xml\nhold\tx\n");
    EXPECT_TRUE(reloadRules(state().rulesStore()));
    loadList(kSampleList);
    struct Case {
        const char* key;
        bool enabled;
        bool checked;
    };
    const QList<Case> cases = {
        {"R0", false, true},  // folder
        {"R1", true, true},
        {"R3", true, false},  // muted
        {"R5", false, true},  // no feed URL
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        click(c.key);
        EXPECT_EQ(panel().chkTicker->isEnabled(), c.enabled);
        EXPECT_EQ(panel().chkTicker->isChecked(), c.checked);
    }
    (void)waitForFetches(state());

    click("R1");
    panel().chkTicker->click();
    EXPECT_TRUE(waitForRules(state().rulesStore()));
    EXPECT_FALSE(panel().chkTicker->isChecked());
    EXPECT_EQ(env.readFile(rules), "# keep\nmute\t*\tb.xml\nhold\tx\nmute\t*\ta.xml\n");
    click("R3");
    panel().chkTicker->click();
    EXPECT_TRUE(waitForRules(state().rulesStore()));
    EXPECT_TRUE(panel().chkTicker->isChecked());
    EXPECT_EQ(env.readFile(rules), "# keep\nhold\tx\nmute\t*\ta.xml\n");
    EXPECT_TRUE(env.messageBox.shown.isEmpty());

    // Changed elsewhere: the box follows at once, and a click made before the change was
    // noticed does not write over it.
    env.writeFile(rules, "mute\t*\tb.xml\n");
    EXPECT_TRUE(reloadRules(state().rulesStore()));
    EXPECT_FALSE(panel().chkTicker->isChecked());
    env.writeFile(rules, "# by hand\n");
    panel().chkTicker->click();
    EXPECT_TRUE(waitForRules(state().rulesStore()));
    EXPECT_EQ(env.readFile(rules), "# by hand\n");
    EXPECT_TRUE(panel().chkTicker->isChecked());
    ASSERT_EQ(env.messageBox.shown.size(), 1);
    env.messageBox.shown.clear();

    // Unreadable: nothing to edit, and the tip says why.
    env.writeFile(rules, "mute\tx\n" + QByteArray(kMaxRulesFileBytes, '#'));
    EXPECT_TRUE(reloadRules(state().rulesStore()));
    click("R1");
    EXPECT_FALSE(panel().chkTicker->isEnabled());
    EXPECT_EQ(panel().chkTicker->toolTip(), state().rulesStore().readFailure());
}
