// The main window's menu bar, the tray menu and the handlers of their commands (the Edit
// menu's commands are the site list pane's).

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>

#include "core/appstate.h"
#include "app/appwindows.h"
#include "app/frmmain.h"
#include "core/version.h"
#include "platform/desktop/browser.h"
#include "platform/modal/filedialogs.h"
#include "platform/modal/messagebox.h"
#include "sitelist/brokenlist.h"
#include "sitelist/opml.h"
#include "sitepane/propertiespanel.h"
#include "sitepane/sitelistpane.h"
#include "sitepane/sitetreeeditor.h"
#include "sitepane/sitetreeview.h"
#include "ticker/frmticker.h"

namespace {

// The site-list files the OPML commands offer, then everything. Each name carries its
// patterns for the reader; the patterns after it are for the dialog, which does not show them.
constexpr char kOpmlFilter[] = QT_TRANSLATE_NOOP(
    "frmMain", "OPMLファイル(*.opml, *.xml) (*.opml *.xml);;すべてのファイル(*.*) (*)");

}  // namespace

QMenu* frmMain::addMenu(QWidget* parent, const char* name, const QString& caption) {
    auto* menu = new QMenu(caption, parent);
    menu->setObjectName(QLatin1String(name));
    menu->menuAction()->setObjectName(QLatin1String(name));
    return menu;
}

QAction* frmMain::addItem(QMenu* menu, const char* name, const QString& caption,
                          const QKeySequence& shortcut) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    return action;
}

QAction* frmMain::addSeparator(QMenu* menu, const char* name) {
    QAction* separator = menu->addSeparator();
    separator->setObjectName(QLatin1String(name));
    return separator;
}

void frmMain::buildMenus() {
    QMenuBar* bar = menuBar();
    const auto on = [this](QAction* action, void (frmMain::*handler)()) {
        connect(action, &QAction::triggered, this, handler);
    };
    const auto onPane = [this](QAction* action, void (SiteTreeEditor::*handler)()) {
        connect(action, &QAction::triggered, pane->editor, handler);
    };

    mnuFile = addMenu(bar, "mnuFile", tr("ファイル(&F)"));
    bar->addMenu(mnuFile);
    mnuOpenTicker = addItem(mnuFile, "mnuOpenTicker", tr("ニュースティッカーを開く(&N)"),
                            QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuOperateTicker = addItem(mnuFile, "mnuOperateTicker", tr("ティッカーを操作(&K)"),
                               QKeySequence(Qt::CTRL | Qt::Key_K));
    mnuSepFile1 = addSeparator(mnuFile, "mnuSepFile1");
    mnuOPMLLoad = addItem(mnuFile, "mnuOPMLLoad", tr("サイト一覧(OPMLファイル)を読み込む(&L)"),
                          QKeySequence(Qt::CTRL | Qt::Key_L));
    mnuOPMLSave = addItem(mnuFile, "mnuOPMLSave", tr("サイト一覧(OPMLファイル)を保存(&S)"),
                          QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuSepFile2 = addSeparator(mnuFile, "mnuSepFile2");
    mnuProperty =
        addItem(mnuFile, "mnuProperty", tr("最新の情報を取得(&R)"), QKeySequence(Qt::Key_F5));
    mnuSepFile3 = addSeparator(mnuFile, "mnuSepFile3");
    mnuClose = addItem(mnuFile, "mnuClose", tr("この画面を閉じる(&C)"));
    mnuExit = addItem(mnuFile, "mnuExit", tr("終了(&X)"));
    on(mnuOpenTicker, &frmMain::mnuOpenTicker_Click);
    on(mnuOperateTicker, &frmMain::mnuOperateTicker_Click);
    on(mnuOPMLLoad, &frmMain::mnuOPMLLoad_Click);
    on(mnuOPMLSave, &frmMain::mnuOPMLSave_Click);
    on(mnuProperty, &frmMain::mnuProperty_Click);
    on(mnuClose, &frmMain::mnuClose_Click);
    on(mnuExit, &frmMain::mnuExit_Click);

    mnuEdit = addMenu(bar, "mnuEdit", tr("編集(&E)"));
    bar->addMenu(mnuEdit);
    mnuNew = addMenu(mnuEdit, "mnuNew", tr("新規作成(&N)"));
    mnuEdit->addMenu(mnuNew);
    mnuNewFolder = addItem(mnuNew, "mnuNewFolder", tr("フォルダ(&F)"));
    mnuNewRdf = addItem(mnuNew, "mnuNewRdf", tr("サイト(&S)"));
    mnuSepEdit1 = addSeparator(mnuEdit, "mnuSepEdit1");
    mnuETriming =
        addItem(mnuEdit, "mnuETriming", tr("切り取り(&T)"), QKeySequence(Qt::CTRL | Qt::Key_X));
    mnuECopy = addItem(mnuEdit, "mnuECopy", tr("コピー(&C)"), QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuEPaste =
        addItem(mnuEdit, "mnuEPaste", tr("貼り付け(&P)"), QKeySequence(Qt::CTRL | Qt::Key_V));
    mnuDelete = addItem(mnuEdit, "mnuDelete", tr("削除(&D)"), QKeySequence(Qt::Key_Delete));
    mnuSepEdit2 = addSeparator(mnuEdit, "mnuSepEdit2");
    mnuCopyTitle = addItem(mnuEdit, "mnuCopyTitle", tr("タイトルをコピー(&T)"));
    mnuCopyURL = addItem(mnuEdit, "mnuCopyURL", tr("URLをコピー(&U)"));
    mnuOpenBrowser = addItem(mnuEdit, "mnuOpenBrowser", tr("URLをブラウザで開く(&B)"),
                             QKeySequence(Qt::CTRL | Qt::Key_W));
    onPane(mnuNewFolder, &SiteTreeEditor::mnuNewFolder_Click);
    onPane(mnuNewRdf, &SiteTreeEditor::mnuNewRdf_Click);
    onPane(mnuETriming, &SiteTreeEditor::mnuETriming_Click);
    onPane(mnuECopy, &SiteTreeEditor::mnuECopy_Click);
    onPane(mnuEPaste, &SiteTreeEditor::mnuEPaste_Click);
    onPane(mnuDelete, &SiteTreeEditor::mnuDelete_Click);
    onPane(mnuCopyTitle, &SiteTreeEditor::mnuCopyTitle_Click);
    onPane(mnuCopyURL, &SiteTreeEditor::mnuCopyURL_Click);
    on(mnuOpenBrowser, &frmMain::mnuOpenBrowser_Click);
    // Edits an entry does not allow are greyed with a tip saying why.
    mnuEdit->setToolTipsVisible(true);
    mnuNew->setToolTipsVisible(true);
    connect(mnuEdit, &QMenu::aboutToShow, this, &frmMain::updateEditCommands);
    connect(pane->trvOPML->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &frmMain::updateEditCommands);

    // An empty menu that is never shown.
    mnuVirw = addMenu(bar, "mnuVirw", tr("表示(&V)"));
    bar->addMenu(mnuVirw);
    mnuVirw->menuAction()->setVisible(false);

    mnuSetting = addMenu(bar, "mnuSetting", tr("設定(&S)"));
    bar->addMenu(mnuSetting);
    mnuSetTicker = addItem(mnuSetting, "mnuSetTicker", tr("ニュースティッカーの設定(&D)"),
                           QKeySequence(Qt::Key_F11));
    mnuSetOption =
        addItem(mnuSetting, "mnuSetOption", tr("オプション(&O)"), QKeySequence(Qt::Key_F12));
    mnuSetRules = addItem(mnuSetting, "mnuSetRules", tr("表示ルール(&R)..."));
    mnuSetAccounts = addItem(mnuSetting, "mnuSetAccounts", tr("アカウント(&A)..."));
    // Only where the program was given what the accounts need.
    mnuSetAccounts->setVisible(windows.appSeams().accounts != nullptr);
    on(mnuSetTicker, &frmMain::mnuSetTicker_Click);
    on(mnuSetOption, &frmMain::mnuSetOption_Click);
    on(mnuSetRules, &frmMain::mnuSetRules_Click);
    on(mnuSetAccounts, &frmMain::mnuSetAccounts_Click);

    mnuHelp = addMenu(bar, "mnuHelp", tr("ヘルプ(&H)"));
    bar->addMenu(mnuHelp);
    mnuOnlineHelp =
        addItem(mnuHelp, "mnuOnlineHelp", tr("オンラインヘルプ(&C)"), QKeySequence(Qt::Key_F1));
    mnuSepHelp1 = addSeparator(mnuHelp, "mnuSepHelp1");
    // Never shown and does nothing.
    mnuUpdate = addItem(mnuHelp, "mnuUpdate", tr("更新確認(&U)"));
    mnuUpdate->setVisible(false);
    mnuAppInfo = addItem(mnuHelp, "mnuAppInfo", tr("バージョン情報(&A)"));
    mnuHomepage = addItem(mnuHelp, "mnuHomepage", tr("ホームページを開く(&H)"));
    on(mnuOnlineHelp, &frmMain::mnuOnlineHelp_Click);
    on(mnuAppInfo, &frmMain::mnuAppInfo_Click);
    on(mnuHomepage, &frmMain::mnuHomepage_Click);
}

void frmMain::buildTrayMenu() {
    const auto on = [this](QAction* action, void (frmMain::*handler)()) {
        connect(action, &QAction::triggered, this, handler);
    };
    // Never in the menu bar: it pops up from the tray icon.
    // The tray menu's caption is spelt so in the design, and shown so on purpose.
    mnuNotifyMenu = addMenu(this, "mnuNotifyMenu", QStringLiteral("Quorvaen3(&M)"));
    mnuOpenTickerNotify =
        addItem(mnuNotifyMenu, "mnuOpenTickerNotify", tr("ニュースティッカーを開く(&N)"));
    mnuOperateTickerNotify =
        addItem(mnuNotifyMenu, "mnuOperateTickerNotify", tr("ティッカーを操作(&K)"));
    mnuShowMain = addItem(mnuNotifyMenu, "mnuShowMain", tr("メインウィンドウを開く(&M)"));
    mnuSepNoti1 = addSeparator(mnuNotifyMenu, "mnuSepNoti1");
    mnuRefresh = addItem(mnuNotifyMenu, "mnuRefresh", tr("最新の情報を取得(&R)"));
    mnuSepNoti3 = addSeparator(mnuNotifyMenu, "mnuSepNoti3");
    mnuSetTickerNotify =
        addItem(mnuNotifyMenu, "mnuSetTickerNotify", tr("ニュースティッカーの設定(&D)"));
    mnuSetOptionNotify = addItem(mnuNotifyMenu, "mnuSetOptionNotify", tr("オプション(&O)"));
    mnuSepNoti2 = addSeparator(mnuNotifyMenu, "mnuSepNoti2");
    mnuAppInfoNotify = addItem(mnuNotifyMenu, "mnuAppInfoNotify", tr("バージョン情報(&A)"));
    mnuExitNotify = addItem(mnuNotifyMenu, "mnuExitNotify", tr("終了(&X)"));
    on(mnuOpenTickerNotify, &frmMain::mnuOpenTickerNotify_Click);
    on(mnuOperateTickerNotify, &frmMain::mnuOperateTicker_Click);
    on(mnuShowMain, &frmMain::mnuShowMain_Click);
    on(mnuRefresh, &frmMain::mnuRefresh_Click);
    on(mnuSetTickerNotify, &frmMain::mnuSetTickerNotify_Click);
    on(mnuSetOptionNotify, &frmMain::mnuSetOptionNotify_Click);
    on(mnuAppInfoNotify, &frmMain::mnuAppInfoNotify_Click);
    on(mnuExitNotify, &frmMain::mnuExitNotify_Click);
}

void frmMain::mnuOpenTicker_Click() {
    windows.ticker().ShowForm(ShowMode::Permanent);
    windows.RssRefresh();
}

void frmMain::mnuOperateTicker_Click() {
    if (!windows.ticker().isShowing()) {
        mnuOpenTicker_Click();
    }
    windows.ticker().takeKeyboardFocus();
}

void frmMain::mnuOpenTickerNotify_Click() {
    mnuOpenTicker_Click();
}

void frmMain::mnuProperty_Click() {
    windows.RssRefresh();
}

void frmMain::mnuRefresh_Click() {
    windows.RssRefresh();
}

void frmMain::mnuShowMain_Click() {
    bringToFront();
}

void frmMain::mnuSetTicker_Click() {
    windows.openTickerSettings();
}

void frmMain::mnuSetTickerNotify_Click() {
    windows.openTickerSettings();
}

void frmMain::mnuSetOption_Click() {
    windows.openOptions();
}

void frmMain::mnuSetRules_Click() {
    windows.openRules();
}

void frmMain::mnuSetAccounts_Click() {
    windows.openAccounts();
}

void frmMain::mnuSetOptionNotify_Click() {
    windows.openOptions();
}

void frmMain::mnuAppInfo_Click() {
    windows.openAbout();
}

void frmMain::mnuAppInfoNotify_Click() {
    windows.openAbout();
}

void frmMain::openWhileEntryShown(const QString& url) {
    if (pane->properties->intCurrentIndex >= 0) {
        state.seams.browser.openUrl(url);
    }
}

void frmMain::mnuOpenBrowser_Click() {
    const int index = pane->properties->intCurrentIndex;
    if (index < 0 || !state.SiteTable.isValidIndex(index)) {
        return;
    }
    // A homepage comes from a feed or a site list. The desktop hands a URL of any other
    // scheme to whatever program claims it, so only web pages are opened, by the rule the
    // articles' links follow.
    const QString url = state.SiteTable[index].strHtmlUrl.trimmed();
    if (isFeedLinkOpenable(url)) {
        state.seams.browser.openUrl(url);
        return;
    }
    if (url.isEmpty()) {
        SetStatus(tr("ホームページのURLがありません"));
        return;
    }
    // The scheme is named (it is short and plain); the rest of a text from a feed is not
    // shown, since it may be long or hold control characters.
    static const QRegularExpression schemePattern(
        QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]{0,31}):"));
    const QRegularExpressionMatch scheme = schemePattern.match(url);
    const QString name = scheme.captured(1).toLower();
    if (scheme.hasMatch() && name != QLatin1String("http") && name != QLatin1String("https")) {
        SetStatus(tr("「%1:」で始まるURLは開きません。ブラウザで開くのは http と https の"
                     "ページだけです")
                      .arg(scheme.captured(1)));
    } else {
        SetStatus(tr("ホームページのURLが正しくないため開きません"));
    }
}

void frmMain::mnuOnlineHelp_Click() {
    //: The file name of the help page in this language, among the pages in qvr3/.
    openWhileEntryShown(makerSiteUrl(state.paths.shareDir) + tr("help.html"));
}

void frmMain::mnuHomepage_Click() {
    //: The file name of the home page in this language, among the pages in qvr3/.
    openWhileEntryShown(makerSiteUrl(state.paths.shareDir) + tr("index.html"));
}

void frmMain::mnuOPMLLoad_Click() {
    // The ticker and the article list show entries of the list being replaced.
    windows.unloadTicker();
    windows.closeArticleList();

    seams.fileDialogs.openFileName(
        this, tr(kOpmlFilter), [this](const QString& fileName) { loadChosenSiteList(fileName); });
}

void frmMain::offerSiteList(const QString& fileName) {
    // The question is about the main window's list: it is asked over that window, which goes
    // back where it was when the answer is no. The file's name has a line of its own, so that
    // only a name too long for the screen is broken.
    const bool wasShown = isVisible() && !isMinimized();
    bringToFront();
    state.seams.messageBox.ask(tr("サイト一覧(OPMLファイル)を読み込みます。\r\n「%1」\r\n"
                                  "現在のサイト一覧は置き換えられます。よろしいですか。")
                                   .arg(fileName),
                               state.exeBaseName(), MsgButtons::OkCancel, MsgIcon::Question,
                               [this, fileName, wasShown](MsgResult answer) {
                                   if (answer != MsgResult::Ok) {
                                       if (!wasShown) {
                                           putAway();
                                       }
                                       return;
                                   }
                                   windows.unloadTicker();
                                   windows.closeArticleList();
                                   loadChosenSiteList(fileName);
                                   bringToFront();
                               });
}

void frmMain::loadChosenSiteList(const QString& fileName) {
    if (fileName.isEmpty() || !opmlFileExists(state, fileName)) {
        if (!fileName.isEmpty()) {
            state.seams.messageBox.show(opmlLoadFailedText(), state.exeBaseName(), MsgButtons::Ok,
                                        MsgIcon::Warning);
        }
        pane->saveList();
        return;
    }
    // Read on a worker; the window stays live and shows that it is busy meanwhile. A second
    // load started before the first ends supersedes it.
    if (!listLoader.isReading()) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
    }
    listLoader.read(
        fileName, state.fetchOptions.maxBytes,
        [this](const QString& path, OpmlList&& list) { opmlLoadFinished(path, std::move(list)); });
}

void frmMain::opmlLoadFinished(const QString& path, OpmlList&& list) {
    QApplication::restoreOverrideCursor();
    if (list.ok) {
        // A walk under way counts rows of the list being replaced.
        windows.stopPatrol();
        applyOpml(state, std::move(list));
        if (!pane->selectFirstNode()) {
            state.blnSiteListFlg = false;
            pane->clearPanel();
        }
    } else if (QFileInfo(path).canonicalFilePath() !=
               QFileInfo(state.programFile(QStringLiteral("rsslist.opml"))).canonicalFilePath()) {
        // The user's own file: said why, and left alone.
        reportUnreadableList(state, path, list.error);
    } else if (!reportBrokenList(state, path, list.error)) {
        // The working list, which the save below goes over: kept first.
        state.seams.messageBox.show(opmlLoadFailedText(), state.exeBaseName(), MsgButtons::Ok,
                                    MsgIcon::Warning);
    }
    // After a successful load the chosen file thus becomes the working list.
    pane->saveList();
}

void frmMain::mnuOPMLSave_Click() {
    seams.fileDialogs.saveFileName(this, tr(kOpmlFilter), [this](QString fileName) {
        if (!fileName.isEmpty()) {
            // The whole path counts: in a folder whose name holds a "." the name stays as
            // typed.
            if (!fileName.contains(QLatin1Char('.'))) {
                fileName += QStringLiteral(".xml");
            }
            saveListCopy(fileName);
        }
        pane->saveList();
    });
}

void frmMain::saveListCopy(const QString& fileName) {
    const auto failed = [this] {
        state.seams.messageBox.show(tr("OPMLファイルの保存に失敗しました"), state.exeBaseName(),
                                    MsgButtons::Ok, MsgIcon::Warning);
    };
    // The text is the tree as it is now; a list of megabytes is written on the saver's worker.
    std::optional<QByteArray> bytes = opmlBytes(state);
    if (!bytes) {
        failed();
        return;
    }
    auto* watcher = new QFutureWatcher<bool>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [watcher, failed] {
        if (!watcher->future().result()) {
            failed();
        }
        watcher->deleteLater();
    });
    watcher->setFuture(state.siteListSaver.saveCopy(fileName, std::move(*bytes)));
}
