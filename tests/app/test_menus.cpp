#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>

#include "core/appstate.h"
#include "app/appwindows.h"
#include "app/frmabout.h"
#include "app/frmmain.h"
#include "dialogs/accountsdialog.h"
#include "dialogs/frmnewsitedialog.h"
#include "dialogs/frmoption.h"
#include "dialogs/rulesdialog.h"
#include "tests/app/appfixture.h"
#include "tests/common/loopbackserver.h"
#include "tests/common/wholetexts.h"
#include "patrol/frmtask.h"
#include "sitelist/opml.h"
#include "sitepane/accounttrees.h"
#include "sitepane/propertiespanel.h"
#include "sitepane/sitelistpane.h"
#include "sitepane/sitetreeeditor.h"
#include "sitepane/sitetreeview.h"
#include "ticker/frmticker.h"
#include "ticker/frmtickerlist.h"
#include "ticker/frmtickeroptiondialog.h"
#include "ticker/textbutton.h"
#include "ticker/tickercontrols.h"

namespace {

const QString kOpmlFilter =
    QStringLiteral("OPMLファイル(*.opml, *.xml) (*.opml *.xml);;すべてのファイル(*.*) (*)");

// A started program with kTwoLevelList as its working list (a later start).
class MenuTest : public AppTest {
protected:
    void SetUp() override {
        env.writeFile(QStringLiteral("config.ini"), laterStartConfig());
        env.writeFile(QStringLiteral("rsslist.opml"), kTwoLevelList);
        ASSERT_TRUE(start());
    }
    // "caption|shortcut" of every item of a menu in order ("-" for a separator), sub-menus
    // as "caption[...]"; hidden items are marked "(hidden)".
    static QStringList describe(const QMenu* menu) {
        QStringList items;
        for (const QAction* action : menu->actions()) {
            QString item = action->objectName() + QLatin1Char(' ');
            if (action->isSeparator()) {
                item += QLatin1Char('-');
            } else {
                item += action->text();
                if (!action->shortcut().isEmpty()) {
                    item += QLatin1Char('|') + action->shortcut().toString();
                }
            }
            if (!action->isVisible()) {
                item += QStringLiteral(" (hidden)");
            }
            items.append(item);
            if (action->menu()) {
                for (const QString& sub : describe(action->menu())) {
                    items.append(QStringLiteral("  ") + sub);
                }
            }
        }
        return items;
    }
    QByteArray workingList() { return env.readFile(QStringLiteral("rsslist.opml")); }
};

TEST_F(MenuTest, MenuBarAndTrayMenuHoldEveryItemAsDesigned) {
    QStringList bar;
    for (const QAction* action : main().menuBar()->actions()) {
        bar.append(action->objectName() + QLatin1Char(' ') + action->text() +
                   (action->isVisible() ? QString() : QStringLiteral(" (hidden)")));
        bar.append(describe(action->menu()));
    }
    const QStringList expectedBar = {
        QStringLiteral("mnuFile ファイル(&F)"),
        QStringLiteral("mnuOpenTicker ニュースティッカーを開く(&N)|Ctrl+O"),
        QStringLiteral("mnuOperateTicker ティッカーを操作(&K)|Ctrl+K"),
        QStringLiteral("mnuSepFile1 -"),
        QStringLiteral("mnuOPMLLoad サイト一覧(OPMLファイル)を読み込む(&L)|Ctrl+L"),
        QStringLiteral("mnuOPMLSave サイト一覧(OPMLファイル)を保存(&S)|Ctrl+S"),
        QStringLiteral("mnuSepFile2 -"),
        QStringLiteral("mnuProperty 最新の情報を取得(&R)|F5"),
        QStringLiteral("mnuSepFile3 -"),
        QStringLiteral("mnuClose この画面を閉じる(&C)"),
        QStringLiteral("mnuExit 終了(&X)"),
        QStringLiteral("mnuEdit 編集(&E)"),
        QStringLiteral("mnuNew 新規作成(&N)"),
        QStringLiteral("  mnuNewFolder フォルダ(&F)"),
        QStringLiteral("  mnuNewRdf サイト(&S)"),
        QStringLiteral("mnuSepEdit1 -"),
        QStringLiteral("mnuETriming 切り取り(&T)|Ctrl+X"),
        QStringLiteral("mnuECopy コピー(&C)|Ctrl+C"),
        QStringLiteral("mnuEPaste 貼り付け(&P)|Ctrl+V"),
        QStringLiteral("mnuDelete 削除(&D)|Del"),
        QStringLiteral("mnuSepEdit2 -"),
        QStringLiteral("mnuCopyTitle タイトルをコピー(&T)"),
        QStringLiteral("mnuCopyURL URLをコピー(&U)"),
        QStringLiteral("mnuOpenBrowser URLをブラウザで開く(&B)|Ctrl+W"),
        QStringLiteral("mnuVirw 表示(&V) (hidden)"),
        QStringLiteral("mnuSetting 設定(&S)"),
        QStringLiteral("mnuSetTicker ニュースティッカーの設定(&D)|F11"),
        QStringLiteral("mnuSetOption オプション(&O)|F12"),
        QStringLiteral("mnuSetRules 表示ルール(&R)..."),
        QStringLiteral("mnuSetAccounts アカウント(&A)..."),
        QStringLiteral("mnuHelp ヘルプ(&H)"),
        QStringLiteral("mnuOnlineHelp オンラインヘルプ(&C)|F1"),
        QStringLiteral("mnuSepHelp1 -"),
        QStringLiteral("mnuUpdate 更新確認(&U) (hidden)"),
        QStringLiteral("mnuAppInfo バージョン情報(&A)"),
        QStringLiteral("mnuHomepage ホームページを開く(&H)"),
    };
    EXPECT_EQ(bar, expectedBar);

    EXPECT_EQ(main().mnuNotifyMenu->title(), QStringLiteral("Quorvaen3(&M)"));
    const QStringList expectedTray = {
        QStringLiteral("mnuOpenTickerNotify ニュースティッカーを開く(&N)"),
        QStringLiteral("mnuOperateTickerNotify ティッカーを操作(&K)"),
        QStringLiteral("mnuShowMain メインウィンドウを開く(&M)"),
        QStringLiteral("mnuSepNoti1 -"),
        QStringLiteral("mnuRefresh 最新の情報を取得(&R)"),
        QStringLiteral("mnuSepNoti3 -"),
        QStringLiteral("mnuSetTickerNotify ニュースティッカーの設定(&D)"),
        QStringLiteral("mnuSetOptionNotify オプション(&O)"),
        QStringLiteral("mnuSepNoti2 -"),
        QStringLiteral("mnuAppInfoNotify バージョン情報(&A)"),
        QStringLiteral("mnuExitNotify 終了(&X)"),
    };
    EXPECT_EQ(describe(main().mnuNotifyMenu), expectedTray);
}

TEST_F(MenuTest, WindowHasItsDesignedCaptionIconAndLayout) {
    EXPECT_EQ(main().windowTitle(), QStringLiteral("Quorvane3"));
    EXPECT_FALSE(main().windowIcon().isNull());
    main().show();
    // Client area 7110 × 4140 twips below the menu bar; status bar at 3885, 255 high.
    const int top = main().menuBar()->height();
    EXPECT_EQ(main().pane->geometry(), QRect(0, top, 474, 259));
    EXPECT_EQ(main().StatusBar->geometry(), QRect(0, top + 259, 474, 17));
    EXPECT_EQ(main().size(), QSize(474, top + 276));
}

TEST_F(MenuTest, RefreshCommandsAndF5FollowThePatrolMode) {
    main().show();
    QApplication::setActiveWindow(&main());
    QTest::keyClick(&main(), Qt::Key_F5);
    EXPECT_FALSE(main().mnuProperty->isEnabled());
    EXPECT_FALSE(main().mnuRefresh->isEnabled());
    EXPECT_EQ(windows->taskIfLoaded(), nullptr);

    // As the options dialog sets them after changing the mode.
    windows->setRefreshCommandsEnabled(true);
    EXPECT_TRUE(main().mnuRefresh->isEnabled());
    QTest::keyClick(&main(), Qt::Key_F5);
    ASSERT_NE(windows->taskIfLoaded(), nullptr);
    EXPECT_TRUE(main().statusText().endsWith(QStringLiteral("を処理中...")));
}

TEST_F(MenuTest, PasteFollowsTheEditClipboardAndTheEditMenuPopsUpFromTheTree) {
    EXPECT_FALSE(main().mnuEPaste->isEnabled());
    main().mnuECopy->trigger();
    EXPECT_TRUE(main().mnuEPaste->isEnabled());
    main().mnuDelete->trigger();  // answered OK: the clipboard empties
    EXPECT_FALSE(main().mnuEPaste->isEnabled());

    Q_EMIT main().pane->trvOPML->editMenuRequested(QPoint(40, 40));
    EXPECT_TRUE(main().mnuEdit->isVisible());
    main().mnuEdit->hide();
}

TEST_F(MenuTest, WithinAnAccountOnlySubscribingAndUnsubscribingAreOffered) {
    AccountFolder tree;
    AccountFolder category;
    category.id = QStringLiteral("7");
    category.title = QStringLiteral("Tech");
    AccountFeed feed;
    feed.id = QStringLiteral("12");
    feed.title = QStringLiteral("Server feed");
    feed.feedUrl = QStringLiteral("http://[::1]/feed.xml");
    category.feeds << feed;
    tree.folders << category;
    main().pane->saveList();
    const QByteArray listBefore = workingList();
    main().pane->accounts->show(1, QStringLiteral("alice@rss.example"), tree);
    // Built on a worker.
    ASSERT_TRUE(QTest::qWaitFor([this] { return !main().pane->accounts->isReading(); }));
    SiteTree& siteTree = state().siteTree;
    SiteTreeView& view = *main().pane->trvOPML;

    // A cut pending, so that paste is offered where pasting is allowed.
    view.selectNode(siteTree.find(QStringLiteral("R3")));
    main().mnuETriming->trigger();
    const QList<QAction*> edits = {main().mnuNewFolder, main().mnuNewRdf, main().mnuETriming,
                                   main().mnuECopy,     main().mnuEPaste, main().mnuDelete};
    const auto states = [&] {
        Q_EMIT main().mnuEdit->aboutToShow();
        QString enabled;
        for (const QAction* action : edits) {
            enabled += action->isEnabled() ? QLatin1Char('+') : QLatin1Char('-');
            EXPECT_EQ(action->toolTip() == SiteTreeEditor::serverKeepsText(), !action->isEnabled())
                << qPrintable(action->objectName());
        }
        return enabled;
    };
    const struct {
        const char* key;
        const char* enabled;  // new folder, new site, cut, copy, paste, delete
    } cases[] = {
        {"R0", "++++++"},      {"A1", "-+----"}, {"A1/c/7", "-+----"},
        {"A1/f/12", "-+---+"}, {"R1", "++++++"},
    };
    for (const auto& c : cases) {
        SiteTree::Node* node = siteTree.find(QLatin1String(c.key));
        ASSERT_NE(node, nullptr) << c.key;
        view.selectNode(node);
        EXPECT_EQ(states(), QLatin1String(c.enabled)) << c.key;
        EXPECT_EQ(bool(view.model()->flags(view.indexOf(node)) & Qt::ItemIsEditable),
                  accountOfKey(node->key) == 0)
            << c.key;
    }

    // The commands themselves refuse too (a shortcut, a call from elsewhere): the cut site
    // stays where it was, nothing is copied into the account's folder.
    view.selectNode(siteTree.find(QStringLiteral("A1/c/7")));
    main().pane->editor->mnuEPaste_Click();
    main().pane->editor->mnuNewFolder_Click();
    main().pane->editor->mnuECopy_Click();
    EXPECT_EQ(siteTree.find(QStringLiteral("R3"))->parent, nullptr);
    EXPECT_EQ(siteTree.find(QStringLiteral("A1/c/7"))->children.size(), 1);
    EXPECT_EQ(main().statusText(), SiteTreeEditor::serverKeepsText());
    // Deleting a folder of the account is no unsubscription: nothing is asked.
    const qsizetype asked = env.messageBox.shown.size();
    main().pane->editor->mnuDelete_Click();
    EXPECT_EQ(env.messageBox.shown.size(), asked);
    main().pane->saveList();
    EXPECT_EQ(workingList(), listBefore);
}

TEST_F(MenuTest, StatusBarKeepsItsTextWhileMenusAreHovered) {
    windows->SetStatus(QStringLiteral("RDF読み込み開始します..."));
    QStatusTipEvent tip{QString()};
    QApplication::sendEvent(&main(), &tip);
    EXPECT_EQ(main().statusText(), QStringLiteral("RDF読み込み開始します..."));
}

TEST_F(MenuTest, LoadingAListReplacesTheWorkingListOrKeepsTheOldOne) {
    struct Case {
        const char* what;
        QByteArray file;  // empty: the dialog is cancelled
        QStringList tree;
    };
    const QStringList old = {QStringLiteral("ニュース"), QStringLiteral("Site A"),
                             QStringLiteral("Site B"), QStringLiteral("Site C")};
    const Case cases[] = {
        {"list",
         "<opml><body><outline text=\"New\" htmlUrl=\"\" xmlUrl=\"n.xml\"/></body></opml>",
         {QStringLiteral("New")}},
        {"empty list", kEmptyList, {}},
        {"broken file", "<opml><body><outline text=\"x\"></body>", old},
        {"cancelled", {}, old},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Each case starts from the two-level list with its first entry shown.
        env.writeFile(QStringLiteral("start.opml"), kTwoLevelList);
        ASSERT_TRUE(LoadOpml(state(), env.path(QStringLiteral("start.opml"))));
        main().pane->selectFirstNode();
        windows->ticker().ShowForm(ShowMode::Permanent);
        env.messageBox.shown.clear();
        QFile::remove(env.path(QStringLiteral("rsslist.opml")));

        const bool broken = QByteArray(c.what) == "broken file";
        if (c.file.isEmpty()) {
            fileDialogs.answers = {QString()};
        } else {
            env.writeFile(QStringLiteral("chosen.opml"), c.file);
            fileDialogs.answers = {env.path(QStringLiteral("chosen.opml"))};
        }
        main().mnuOPMLLoad->trigger();
        // The list is read in the background; the window goes on meanwhile.
        ASSERT_TRUE(QTest::qWaitFor([this] { return !main().isLoadingList(); }));

        EXPECT_EQ(fileDialogs.filters.last(), kOpmlFilter);
        EXPECT_EQ(treeTitles(), c.tree);
        if (!c.file.isEmpty()) {
            EXPECT_EQ(env.readFile(QStringLiteral("chosen.opml")), c.file);
        }
        // The ticker was unloaded first, whatever the outcome.
        EXPECT_FALSE(windows->tickerIfLoaded()->isShowing());
        EXPECT_EQ(windows->tickerIfLoaded()->leftTwips(), env.screen.widthTwips() + 10);
        if (broken) {
            ASSERT_EQ(env.messageBox.shown.size(), 1);
            // Headed by the failure message; the file and why follow it. The user's own file
            // is left alone: nothing is written beside it.
            const QStringList lines = env.messageBox.shown[0].text.split(QStringLiteral("\r\n"));
            ASSERT_EQ(lines.size(), 3);
            EXPECT_EQ(lines[0], QStringLiteral("OPMLファイルの読み込みに失敗しました"));
            EXPECT_TRUE(lines[1].contains(env.path(QStringLiteral("chosen.opml"))));
            EXPECT_TRUE(lines[2].contains(QStringLiteral("行目"))) << lines[2].toStdString();
            EXPECT_EQ(QDir(env.dir()).entryList({QStringLiteral("chosen*")}, QDir::Files),
                      QStringList{QStringLiteral("chosen.opml")});
            EXPECT_EQ(env.messageBox.shown[0].icon, MsgIcon::Warning);
            EXPECT_EQ(env.messageBox.shown[0].buttons, MsgButtons::Ok);
        } else {
            EXPECT_TRUE(env.messageBox.shown.isEmpty());
        }
        // The working list is rewritten from whatever the tree now holds.
        const QByteArray saved = workingList();
        ASSERT_FALSE(saved.isEmpty());
        EXPECT_EQ(saved.count("<outline"), c.tree.size());
        if (c.tree.isEmpty()) {
            EXPECT_FALSE(state().blnSiteListFlg);
            EXPECT_EQ(main().pane->properties->intCurrentIndex, -1);
            EXPECT_TRUE(main().pane->properties->txtTitle->text().isEmpty());
            EXPECT_TRUE(main().pane->properties->commentText().isEmpty());
            EXPECT_FALSE(main().pane->properties->cmdOK->isEnabled());
        } else {
            EXPECT_EQ(main().pane->properties->txtTitle->text(), c.tree.first());
            EXPECT_EQ(main().pane->properties->intCurrentIndex, 0);
        }
    }
}

// A site list whose one site has a homepage, so that the properties panel reads its feed.
QByteArray oneSiteList(const QString& title, const QString& feedUrl) {
    return QStringLiteral(
               "<opml><body><outline text=\"%1\" htmlUrl=\"http://h/\" "
               "xmlUrl=\"%2\"/></body></opml>")
        .arg(title, feedUrl)
        .toUtf8();
}

TEST_F(MenuTest, AListLoadEndsThePatrolButNotTheChecksOfTheOtherWindows) {
    LoopbackServer server;
    server.hold(QStringLiteral("/hold.xml"));
    LoopbackServer::Response slow;
    slow.body = readTestData(QStringLiteral("channel_rss20.xml"));
    slow.delayMs = 300;
    server.route(QStringLiteral("/slow.xml"), slow);
    server.serve(QStringLiteral("/panel.xml"), readTestData(QStringLiteral("channel_rss20.xml")));

    // A walk waits at a site that never answers; the new-site dialog checks a slow feed.
    env.writeFile(QStringLiteral("held.opml"),
                  oneSiteList(QStringLiteral("Held"), server.url(QStringLiteral("/hold.xml"))));
    ASSERT_TRUE(LoadOpml(state(), env.path(QStringLiteral("held.opml"))));
    main().tmrLoad_Timer();
    ASSERT_TRUE(main().statusText().endsWith(QStringLiteral("を処理中...")));
    windows->openNewSiteDialogFor(server.url(QStringLiteral("/slow.xml")));

    env.writeFile(QStringLiteral("chosen.opml"),
                  oneSiteList(QStringLiteral("Chosen"), server.url(QStringLiteral("/panel.xml"))));
    fileDialogs.answers = {env.path(QStringLiteral("chosen.opml"))};
    main().mnuOPMLLoad->trigger();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !main().isLoadingList(); }));

    // The stopped walk's line is gone; the dialog's check and the panel's read of the new
    // list's first site end as if nothing had happened.
    EXPECT_TRUE(main().statusText().isEmpty()) << main().statusText().toStdString();
    frmNewSiteDialog& dialog = windows->newSiteDialog();
    EXPECT_TRUE(QTest::qWaitFor([&dialog] { return dialog.isProbed(); }, 5000));
    EXPECT_TRUE(dialog.txtName->text().contains(QStringLiteral("Example News")));
    EXPECT_TRUE(QTest::qWaitFor(
        [this] {
            return main().pane->properties->commentText().contains(QStringLiteral("Example News"));
        },
        5000));
    EXPECT_FALSE(windows->task().isPatrolling());
}

TEST_F(MenuTest, WindowsWaitingForAFetchResetWhenEveryFetchIsEnded) {
    LoopbackServer server;
    server.hold(QStringLiteral("/hold.xml"));
    const QString held = server.url(QStringLiteral("/hold.xml"));
    env.writeFile(QStringLiteral("held.opml"), oneSiteList(QStringLiteral("Held"), held));
    ASSERT_TRUE(LoadOpml(state(), env.path(QStringLiteral("held.opml"))));
    main().pane->selectFirstNode();
    windows->openNewSiteDialogFor(held);
    frmNewSiteDialog& dialog = windows->newSiteDialog();
    ASSERT_FALSE(dialog.cmdOK->isEnabled());
    ASSERT_FALSE(main().pane->properties->txtComment->placeholderText().isEmpty());

    state().feeds().cancelAll();
    EXPECT_TRUE(QTest::qWaitFor([&dialog] { return dialog.cmdOK->isEnabled(); }));
    EXPECT_TRUE(dialog.lblStatus->text().isEmpty());
    EXPECT_FALSE(dialog.isProbed());
    EXPECT_TRUE(main().pane->properties->txtComment->placeholderText().isEmpty());
    EXPECT_TRUE(main().pane->properties->commentText().isEmpty());
    // Nothing failed: nothing to say.
    EXPECT_TRUE(env.messageBox.shown.isEmpty());
}

TEST_F(MenuTest, SavingAppendsXmlOnlyWhenThePathHoldsNoDot) {
    const QString plain = env.path(QStringLiteral("lists"));
    const QString dotted = env.path(QStringLiteral("my.lists"));
    if (plain.contains(QLatin1Char('.'))) {
        GTEST_SKIP() << "the temporary directory's path holds a dot";
    }
    QDir().mkpath(plain);
    QDir().mkpath(dotted);
    struct Case {
        QString typed;
        QString written;
    };
    const Case cases[] = {
        {plain + QStringLiteral("/sites"), plain + QStringLiteral("/sites.xml")},
        {plain + QStringLiteral("/sites.opml"), plain + QStringLiteral("/sites.opml")},
        {dotted + QStringLiteral("/sites"), dotted + QStringLiteral("/sites")},
    };
    for (const Case& c : cases) {
        QFile::remove(env.path(QStringLiteral("rsslist.opml")));
        fileDialogs.answers = {c.typed};
        main().mnuOPMLSave->trigger();
        state().siteListSaver.flush();  // written on a worker
        EXPECT_TRUE(QFileInfo::exists(c.written)) << c.typed.toStdString();
        EXPECT_TRUE(workingList().contains("Site C"));
    }
    EXPECT_EQ(fileDialogs.filters.last(), kOpmlFilter);
    EXPECT_FALSE(QFileInfo::exists(dotted + QStringLiteral("/sites.xml")));
    EXPECT_TRUE(env.messageBox.shown.isEmpty());

    // A folder that does not exist: reported, and the working list is still written.
    QFile::remove(env.path(QStringLiteral("rsslist.opml")));
    fileDialogs.answers = {env.path(QStringLiteral("missing/sites.xml"))};
    main().mnuOPMLSave->trigger();
    EXPECT_TRUE(env.messageBox.shown.isEmpty());  // the window goes on while it is written
    ASSERT_TRUE(QTest::qWaitFor([this] { return !env.messageBox.shown.isEmpty(); }));
    ASSERT_EQ(env.messageBox.shown.size(), 1);
    EXPECT_EQ(env.messageBox.shown[0].text, QStringLiteral("OPMLファイルの保存に失敗しました"));
    EXPECT_EQ(env.messageBox.shown[0].icon, MsgIcon::Warning);
    EXPECT_TRUE(workingList().contains("Site C"));
}

TEST_F(MenuTest, TrayGesturesShowTheWindowAndPopUpTheTrayMenu) {
    ASSERT_FALSE(main().isVisible());
    Q_EMIT tray.doubleClicked();
    EXPECT_TRUE(main().isVisible());

    main().showMinimized();
    Q_EMIT tray.doubleClicked();
    EXPECT_FALSE(main().isMinimized());

    Q_EMIT tray.rightPressed(QPoint(300, 200));
    EXPECT_TRUE(main().mnuNotifyMenu->isVisible());
    main().mnuNotifyMenu->hide();
    EXPECT_FALSE(main().mnuEdit->isVisible());

    main().hide();
    main().mnuShowMain->trigger();
    EXPECT_TRUE(main().isVisible());
}

// A started program on a desktop without a notification area.
class NoTrayMenuTest : public MenuTest {
protected:
    void SetUp() override {
        tray.available = false;
        MenuTest::SetUp();
    }
};

// Every visible item of a menu and its visible sub-menus.
QList<QAction*> reachableItems(const QList<QAction*>& actions) {
    QList<QAction*> items;
    for (QAction* action : actions) {
        if (!action->isVisible() || action->isSeparator()) {
            continue;
        }
        if (action->menu()) {
            items += reachableItems(action->menu()->actions());
        } else {
            items.append(action);
        }
    }
    return items;
}

TEST_F(NoTrayMenuTest, EveryTrayCommandIsInTheMenuBarAlike) {
    const QList<QAction*> barItems = reachableItems(main().menuBar()->actions());
    for (const bool refreshEnabled : {false, true}) {
        main().setRefreshCommandsEnabled(refreshEnabled);
        for (const QAction* trayItem : main().mnuNotifyMenu->actions()) {
            // The window that would open is the one these menus are in.
            if (trayItem->isSeparator() || trayItem == main().mnuShowMain) {
                continue;
            }
            const auto same =
                std::find_if(barItems.begin(), barItems.end(),
                             [trayItem](QAction* a) { return a->text() == trayItem->text(); });
            ASSERT_NE(same, barItems.end()) << trayItem->text().toStdString();
            EXPECT_EQ((*same)->isEnabled(), trayItem->isEnabled())
                << trayItem->text().toStdString();
        }
    }
}

class MenuTestInEnglish : public InEnglish, public MenuTest {};

// In English the menus read English, and the help and home pages are the English ones.
TEST_F(MenuTestInEnglish, MenusAndHelpAreEnglish) {
    EXPECT_EQ(main().mnuFile->title(), QStringLiteral("&File"));
    EXPECT_EQ(main().mnuExit->text(), QStringLiteral("E&xit"));
    main().mnuOnlineHelp->trigger();
    main().mnuHomepage->trigger();
    const QString pages = QUrl::fromLocalFile(env.dir() + QStringLiteral("/qvr3/")).toString();
    EXPECT_EQ(env.browser.opened, (QStringList{pages + QStringLiteral("help-en.html"),
                                               pages + QStringLiteral("index-en.html")}));
    main().show();
    expectEveryCaptionShowsWhole(main());
}

TEST_F(MenuTest, BrowserCommandsOpenPagesOnlyWhileAnEntryIsShown) {
    state().SiteTable[1].strHtmlUrl = QStringLiteral(" http://a.example/ ");
    const QString site = QUrl::fromLocalFile(env.dir() + QStringLiteral("/qvr3/")).toString();
    struct Case {
        QAction* action;
        QStringList opened;
    };
    const Case cases[] = {
        {main().mnuOpenBrowser, {}},  // the folder shown first: it has no homepage
        {main().mnuOnlineHelp, {site + QStringLiteral("help.html")}},
        {main().mnuHomepage, {site + QStringLiteral("index.html")}},
    };
    for (const Case& c : cases) {
        env.browser.opened.clear();
        c.action->trigger();
        EXPECT_EQ(env.browser.opened, c.opened) << c.action->objectName().toStdString();
    }
    main().pane->trvOPML->selectNode(state().siteTree.find(QStringLiteral("R1")));
    main().pane->properties->trvOPML_NodeClick();
    env.browser.opened.clear();
    main().mnuOpenBrowser->trigger();
    EXPECT_EQ(env.browser.opened, QStringList{QStringLiteral("http://a.example/")});

    // Nothing shown: none of them opens anything.
    main().pane->clearPanel();
    env.browser.opened.clear();
    for (const Case& c : cases) {
        c.action->trigger();
    }
    EXPECT_TRUE(env.browser.opened.isEmpty());
}

// A homepage from a feed or a list reaches the desktop only as a web page; the status bar says
// why another is not opened, naming its scheme.
TEST_F(MenuTest, HomepagesAreOpenedOnlyAsWebPages) {
    const struct {
        const char* homepage;
        bool opened;
        const char* named;
    } cases[] = {
        {"https://news.example/top?a=1&b=2", true, ""},
        {"HTTP://NEWS.EXAMPLE/", true, ""},
        {"x-qv-test-scheme://run?cmd=id", false, "x-qv-test-scheme:"},
        {"file:///etc/passwd", false, "file:"},
        {"javascript:alert(1)", false, "javascript:"},
        {"smb://host/share", false, "smb:"},
        {"mailto:news@example.jp", false, "mailto:"},
        {"http://", false, ""},
        {"https:///path-only", false, ""},
        {"news.example/top", false, ""},
        {"", false, ""},
    };
    main().pane->trvOPML->selectNode(state().siteTree.find(QStringLiteral("R1")));
    main().pane->properties->trvOPML_NodeClick();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.homepage);
        state().SiteTable[1].strHtmlUrl = QString::fromLatin1(c.homepage);
        env.browser.opened.clear();
        main().SetStatus(QString());
        main().mnuOpenBrowser->trigger();
        EXPECT_EQ(env.browser.opened,
                  c.opened ? QStringList{QString::fromLatin1(c.homepage)} : QStringList());
        EXPECT_EQ(main().statusText().isEmpty(), c.opened);
        EXPECT_TRUE(main().statusText().contains(QString::fromLatin1(c.named)));
    }
}

TEST_F(MenuTest, AboutBoxIsOneWindowRebuiltAtEveryOpening) {
    main().mnuAppInfo->trigger();
    frmAbout* about = windows->aboutIfLoaded();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    EXPECT_FALSE(about->isModal());
    EXPECT_EQ(about->windowTitle(), QStringLiteral("Quorvane3のバージョン情報"));
    EXPECT_EQ(about->lblTitle->text(), QStringLiteral("Quorvane3"));
    EXPECT_EQ(
        about->lblVersion->text(),
        QStringLiteral("バージョン 3.0.37\r\nCopyright (C) Tallowmere. All rights reserved."));
    const QString comment = about->lblDescription->toPlainText();
    for (const char* part : {"RSS 0.9x/1.0/2.0", "汎用のティッカー型RSSリーダ", "無償",
                             "support@quorvane.example.jp"}) {
        EXPECT_TRUE(comment.contains(QString::fromUtf8(part))) << part;
    }
    EXPECT_TRUE(about->lblDescription->isReadOnly());
    EXPECT_FALSE(about->picIcon->pixmap().isNull());

    // The tray menu's command shows the same open window as it is.
    about->lblTitle->setText(QStringLiteral("changed"));
    main().mnuAppInfoNotify->trigger();
    EXPECT_EQ(windows->aboutIfLoaded(), about);
    EXPECT_EQ(about->lblTitle->text(), QStringLiteral("changed"));

    about->cmdOK->click();
    EXPECT_FALSE(about->isVisible());
    main().mnuAppInfoNotify->trigger();
    EXPECT_EQ(about->lblTitle->text(), QStringLiteral("Quorvane3"));
}

TEST_F(MenuTest, AboutBoxShowsBothRulesOnLightAndDarkWindows) {
    windows->openAbout();
    frmAbout& about = windows->about();
    // A rule this close in lightness (0 to 255) to the window is not seen.
    constexpr int kSeen = 24;
    for (const QColor window : {QColor(0xEF, 0xEF, 0xEF), QColor(0xFF, 0xFF, 0xFF),
                                QColor(0xD4, 0xD0, 0xC8), QColor(0x35, 0x35, 0x35)}) {
        SCOPED_TRACE(window.name().toStdString());
        QPalette palette = about.palette();
        palette.setColor(QPalette::Window, window);
        about.setPalette(palette);
        const QColor shadow = about.line1->palette().color(QPalette::Window);
        const QColor highlight = about.line2->palette().color(QPalette::Window);
        EXPECT_GE(std::abs(shadow.lightness() - window.lightness()), kSeen);
        EXPECT_GE(std::abs(highlight.lightness() - window.lightness()), kSeen);
        EXPECT_GE(std::abs(highlight.lightness() - shadow.lightness()), kSeen);
    }
}

TEST_F(MenuTest, OpeningTheTickerAfterALoadShowsItAndPatrolsAtOnce) {
    fileDialogs.answers = {QString()};
    main().mnuOPMLLoad->trigger();
    ASSERT_FALSE(windows->ticker().isShowing());

    main().mnuOpenTickerNotify->trigger();
    EXPECT_TRUE(windows->ticker().isShowing());
    ASSERT_NE(windows->taskIfLoaded(), nullptr);
    // The walk went over the list's sites (none answers).
    EXPECT_TRUE(main().statusText().endsWith(QStringLiteral("を処理中...")));
}

TEST_F(MenuTest, OperatingTheTickerShowsItAndHandsItTheKeys) {
    fileDialogs.answers = {QString()};
    main().mnuOPMLLoad->trigger();
    ASSERT_FALSE(windows->ticker().isShowing());

    main().mnuOperateTickerNotify->trigger();
    EXPECT_TRUE(windows->ticker().isShowing());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&windows->ticker()));
    EXPECT_TRUE(windows->ticker().hasFocus());
    // Esc closes it as 閉 does; the command brings it back.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(windows->ticker().isShowing());
    main().mnuOperateTicker->trigger();
    EXPECT_TRUE(windows->ticker().isShowing());
}

// S opens the settings and L the site's articles; once Esc has closed them again, the keys
// drive the ticker, not the window the desktop would pick.
TEST_F(MenuTest, TheTickerGetsTheKeysBackAfterSettingsOrListAndEsc) {
    ArticleRecord article;
    article.Title = QStringLiteral("見出し");
    article.SiteIndex = 1;
    state().NewsQueue.append(article);
    windows->ShowForm(ShowMode::Permanent);
    windows->ticker().tmrNextNews_Timer();
    main().bringToFront();
    main().mnuOperateTicker->trigger();
    frmTicker& ticker = windows->ticker();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&ticker));

    for (const Qt::Key key : {Qt::Key_S, Qt::Key_L}) {
        SCOPED_TRACE(QKeySequence(key).toString().toStdString());
        QTest::keyClick(&ticker, key);
        QWidget* opened = key == Qt::Key_S ? static_cast<QWidget*>(&windows->tickerSettings())
                                           : static_cast<QWidget*>(&windows->tickerList());
        ASSERT_TRUE(opened->isVisible());
        opened->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(opened));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        EXPECT_FALSE(opened->isVisible());
        EXPECT_TRUE(QTest::qWaitForWindowActive(&ticker));
        EXPECT_TRUE(ticker.hasFocus());
        EXPECT_TRUE(ticker.focusFrame()->isVisible());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        EXPECT_EQ(ticker.controls().button(TickerControls::Play)->text(), QStringLiteral("再"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    }
}

TEST_F(MenuTest, DialogsOpenAtTheMainWindowsCornerInTwips) {
    main().move(100, 50);
    EXPECT_EQ(windows->mainWindowTopLeftTwips(), QPoint(1500, 750));
}

TEST_F(MenuTest, EveryDialogCommandOpensItsOneWindow) {
    main().mnuSetTicker->trigger();
    frmTickerOptionDialog& tickerSettings = windows->tickerSettings();
    EXPECT_TRUE(tickerSettings.isVisible());
    main().mnuSetTickerNotify->trigger();
    windows->ticker().cmdSetting_Click();
    EXPECT_EQ(&windows->tickerSettings(), &tickerSettings);

    main().mnuSetOption->trigger();
    frmOption& options = windows->options();
    EXPECT_TRUE(options.isVisible());
    main().mnuSetOptionNotify->trigger();
    EXPECT_EQ(&windows->options(), &options);

    main().mnuSetRules->trigger();
    RulesDialog& rules = windows->rulesDialog();
    EXPECT_TRUE(rules.isVisible());
    main().mnuSetRules->trigger();
    EXPECT_EQ(&windows->rulesDialog(), &rules);

    main().mnuSetAccounts->trigger();
    AccountsDialog& accounts = windows->accountsDialog();
    EXPECT_TRUE(accounts.isVisible());
    main().mnuSetAccounts->trigger();
    EXPECT_EQ(&windows->accountsDialog(), &accounts);

    main().mnuNewRdf->trigger();
    EXPECT_TRUE(windows->newSiteDialog().isVisible());
}

TEST_F(MenuTest, ArticleListOpensFromTheTickerAndClosesWhenAListIsLoaded) {
    ArticleRecord article;
    article.Title = QStringLiteral("見出し");
    article.SiteIndex = 1;
    state().NewsQueue.append(article);
    // The ticker is up since start-up; its next article tick shows the entry.
    windows->ShowForm(ShowMode::Permanent);
    windows->ticker().tmrNextNews_Timer();
    ASSERT_EQ(windows->ticker().shownIndex(), 1);

    windows->ticker().cmdShowList_Click();
    ASSERT_NE(windows->tickerListIfLoaded(), nullptr);
    EXPECT_TRUE(windows->tickerListIfLoaded()->isOpen());
    EXPECT_EQ(windows->ticker().intCallOPMLKey, 1);

    fileDialogs.answers = {QString()};
    main().mnuOPMLLoad->trigger();
    EXPECT_FALSE(windows->tickerListIfLoaded()->isOpen());
    EXPECT_EQ(windows->ticker().intCallOPMLKey, -1);
}

}  // namespace
