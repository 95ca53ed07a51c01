// The main window: construction, start-up, shut-down, the close box, the tray icon and the
// status bar. The menus and their handlers are in mainmenus.cpp.

#include "app/frmmain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QFontInfo>
#include <QIcon>
#include <QLayout>
#include <QMenu>
#include <QStatusBar>

#include "app/appexit.h"
#include "core/appstate.h"
#include "core/shownstore.h"
#include "app/appwindows.h"
#include "core/version.h"
#include "patrol/frmtask.h"
#include "platform/modal/messagebox.h"
#include "platform/desktop/screeninfo.h"
#include "platform/desktop/trayicon.h"
#include "settings/config.h"
#include "sitelist/brokenlist.h"
#include "sitelist/opml.h"
#include "sitepane/propertiespanel.h"
#include "sitepane/sitelistpane.h"
#include "sitepane/sitetreeeditor.h"
#include "ticker/frmticker.h"
#include "ui/textwrap.h"
#include "ui/uifont.h"

namespace {

constexpr int kStartUpDelayMs = 1000;

// What the exit says of files it could not write: failed holds each one's path and why.
QString notSavedText(const QStringList& failed) {
    return QCoreApplication::translate(
               "frmMain",
               "次のファイルを保存できませんでした。最後に保存できた後の変更は失われます。\r\n%1")
        .arg(failed.join(QStringLiteral("\r\n")));
}

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128}) {
        icon.addFile(QStringLiteral(":/icons/app-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

}  // namespace

frmMain::frmMain(AppState& appState, AppWindows& appWindows)
    : state(appState), windows(appWindows), seams(appWindows.appSeams()) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QLatin1String(kApplicationTitle));
    // Every window of the program carries its icon, a box that opens without an owner too.
    QApplication::setWindowIcon(applicationIcon());
    setWindowIcon(QApplication::windowIcon());
    setFont(uiFont());

    pane = new SiteListPane(state, *this, this);
    // The start-up text and the channel texts are read without sideways scrolling.
    wrapWithinVisibleWidth(pane->properties->txtComment);
    // The pane is designed 3855 twips high; the status bar starts 30 twips below it.
    pane->setFixedSize(twipsToPixels(SiteListPane::kWidthTwips), twipsToPixels(kStatusBarTopTwips));
    setCentralWidget(pane);

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);
    StatusBar->setFixedHeight(twipsToPixels(kStatusBarHeightTwips));
    setStatusBar(StatusBar);
    // The status bar is named by its message, so that a screen reader hears each new one.
    StatusBar->setAccessibleName(tr("ステータスバー"));
    connect(StatusBar, &QStatusBar::messageChanged, this, [this](const QString& message) {
        StatusBar->setAccessibleName(message.isEmpty() ? tr("ステータスバー") : message);
    });

    buildMenus();
    buildTrayMenu();
    // The window keeps its designed size.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    tmrLoad.setObjectName(QStringLiteral("tmrLoad"));
    tmrLoad.setInterval(kStartUpDelayMs);
    tmrLoad.setSingleShot(true);
    connect(&tmrLoad, &QTimer::timeout, this, &frmMain::tmrLoad_Timer);

    connect(&seams.tray, &TrayIcon::doubleClicked, this, &frmMain::trayDoubleClicked);
    connect(&seams.tray, &TrayIcon::rightPressed, this, &frmMain::trayRightPressed);
    connect(&seams.tray, &TrayIcon::availabilityChanged, this, &frmMain::trayAvailabilityChanged);

    // A save that fails (a full disk) is said once; the next change tries again.
    connect(&state.siteListSaver, &SiteListSaver::saveFailed, this,
            [this](const QString& path, const QString& reason) {
                SetStatus(
                    tr("%1 を保存できませんでした（%2）").arg(QFileInfo(path).fileName(), reason));
            });

    // The desktop session may end without our exit command: save what the exit would.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, &frmMain::sessionEnding);
    connect(qGuiApp, &QCoreApplication::aboutToQuit, this, &frmMain::sessionEnding);
}

frmMain::~frmMain() = default;

QString frmMain::infoText() const {
    return tr("【%1】\r\n"
              "  ティッカー型RSSリーダ >> シンプルをモットーに開発を続けております。"
              "バグ・要望などありましたらご連絡ください（%2）\r\n"
              "  ")
        .arg(state.exeBaseName(), QLatin1String(kSupportEmail));
}

void frmMain::useAccounts(AccountsService* service) {
    pane->useAccounts(service);
}

bool frmMain::Form_Load() {
    // One instance per program directory; a second one ends before touching anything.
    if (!windows.instanceLock().tryLock()) {
        return false;
    }

    // Defaults first, then config.ini over them.
    InitDefaults(state);
    LoadSettings(state);

    // The info text stays until an entry is selected.
    pane->properties->setCommentText(infoText());
    pane->properties->intCurrentIndex = -1;

    // The working list, when there is one.
    QString path;
    const QString workingList = state.programFile(QStringLiteral("rsslist.opml"));
    if (QFileInfo::exists(workingList)) {
        path = workingList;
    }

    // A first start offers the starting list shipped beside the executable; start-up goes
    // on when the user has answered.
    if (state.settings.OPML_PATH.isEmpty()) {
        state.seams.messageBox.ask(
            tr("デフォルトのOPMLファイルを読み込みます。\r\nよろしいですか。"), state.exeBaseName(),
            MsgButtons::OkCancel, MsgIcon::Question, [this, path](MsgResult answer) {
                if (answer != MsgResult::Ok) {
                    finishLoad(path, false);
                    return;
                }
                state.settings.OPML_PATH =
                    joinPath(state.paths.shareDir, QStringLiteral("default.xml"));
                finishLoad(state.settings.OPML_PATH, true);
            });
    } else {
        finishLoad(path, false);
    }
    return true;
}

void frmMain::finishLoad(const QString& path, bool showMainWindow) {
    // The list into the tree; the first entry into the panel. A missing file has reported
    // itself; a list that exists but cannot be read is kept before anything saves over it.
    OpmlLoadError loadError;
    if (!path.isEmpty()) {
        // The working list may have been read already, while the windows were being built.
        std::optional<OpmlList> early = windows.listReadAhead().take(path);
        bool listLoaded = false;
        if (early) {
            loadError = early->error;
            listLoaded = early->ok;
            if (listLoaded) {
                applyOpml(state, std::move(*early));
            }
        } else {
            listLoaded = LoadOpml(state, path, &loadError);
        }
        if (listLoaded) {
            if (state.siteTree.nodeCount() == 0) {
                state.blnSiteListFlg = false;
            } else {
                pane->selectFirstNode();
            }
        } else {
            reportBrokenList(state, path, loadError);
        }
    }

    // The patrol starts a second from now, after the windows are up.
    tmrLoad.start();

    // Without a notification area there is nowhere to put the icon; it goes up when one
    // appears.
    trayAvailable = seams.tray.isSystemTrayAvailable();
    if (trayAvailable) {
        AddTrayIcon();
    }

    // The ticker is loaded in any case; shown when so set.
    frmTicker& ticker = windows.ticker();
    if (state.settings.AUTO_LOAD_FLG) {
        ticker.ShowForm(ShowMode::Permanent);
    }

    // The main window is shown on a first start only. Without a notification area the window is the
    // only way in, so it is shown.
    if (showMainWindow || !trayAvailable) {
        show();
    }

    // Nothing to paste yet; all-sites patrols only for the refresh commands.
    pasteWanted = false;
    updateEditCommands();
    setRefreshCommandsEnabled(state.settings.AUTO_PIROT_MODE == PatrolMode::AllSites);
    loaded = true;
    Q_EMIT startUpFinished();
}

void frmMain::tmrLoad_Timer() {
    tmrLoad.stop();
    // Loading the patrol window patrols at once; a window already loaded stays as it is.
    (void)windows.task();
}

void frmMain::closeEvent(QCloseEvent* event) {
    bool cancel = false;
    // Only a close the window system delivers comes from the user's close box or menu.
    Form_QueryUnload(cancel, event->spontaneous() ? kCloseFromControlMenu : kCloseFromCode);
    if (cancel) {
        event->ignore();
    } else {
        event->accept();
    }
}

void frmMain::Form_QueryUnload(bool& cancel, int unloadMode) {
    if (unloadMode == kCloseFromControlMenu && !exiting) {
        cancel = true;
        putAway();
    }
}

void frmMain::putAway() {
    if (trayAvailable) {
        hide();
    } else {
        showMinimized();
    }
}

void frmMain::bringToFront() {
    if (isMinimized()) {
        showNormal();
    } else {
        show();
    }
    raise();
    activateWindow();
}

QStringList frmMain::saveListAndSettings() {
    QStringList failed;
    pane->saveList();
    state.siteListSaver.flush();
    state.shownStore().flush();
    if (const std::optional<SiteListSaver::Failure> failure = state.siteListSaver.failure()) {
        failed << QDir::toNativeSeparators(failure->path) << failure->reason;
    }
    QString why;
    if (!SaveSettings(state, &why)) {
        failed << QDir::toNativeSeparators(state.programFile(QStringLiteral("config.ini"))) << why;
    }
    return failed;
}

void frmMain::mnuClose_Click() {
    putAway();
}

void frmMain::mnuExit_Click() {
    exitProgram(true);
}

void frmMain::exitAtOnce() {
    exitProgram(false);
}

void frmMain::exitProgram(bool tellUser) {
    if (exiting) {
        // Asked again while the box is open (a signal, the tray menu): no more waiting.
        if (exitBoxOpen) {
            finishExit();
        }
        return;
    }
    exiting = true;
    // Nothing waits for the network: every transfer ends here, before the files are saved.
    windows.stopFetching();
    if (frmTask* task = windows.taskIfLoaded()) {
        task->tmrRefresh.stop();
    }
    // An exit while the first start's question is still open (a logout, a signal) has loaded
    // no list: saving would write an empty one over the working list.
    const QStringList failed = loaded ? saveListAndSettings() : QStringList();
    if (failed.isEmpty()) {
        finishExit();
        return;
    }
    if (!tellUser) {
        qWarning().noquote() << QStringLiteral("Quorvane3:") << notSavedText(failed);
        finishExit();
        return;
    }
    exitBoxOpen = true;
    state.seams.messageBox.ask(notSavedText(failed), state.exeBaseName(), MsgButtons::Ok,
                               MsgIcon::Warning, [this](MsgResult) {
                                   if (exitBoxOpen) {
                                       finishExit();
                                   }
                               });
}

void frmMain::finishExit() {
    exitBoxOpen = false;
    RemoveTrayIcon();
    seams.appExit.exitNow();
}

void frmMain::mnuExitNotify_Click() {
    mnuExit_Click();
}

void frmMain::sessionEnding() {
    // Before start-up finished there is nothing of ours to save, and after the exit
    // command everything is saved already.
    if (exiting || !loaded) {
        return;
    }
    // Nobody is left to tell but the log.
    const QStringList failed = saveListAndSettings();
    if (!failed.isEmpty()) {
        qWarning().noquote() << QStringLiteral("Quorvane3:") << notSavedText(failed);
    }
}

bool frmMain::event(QEvent* event) {
    // Menu items have no status tips; hovering them must not wipe the patrol's status text.
    if (event->type() == QEvent::StatusTip) {
        return true;
    }
    return QMainWindow::event(event);
}

void frmMain::SetStatus(const QString& strValue, const QString& details) {
    StatusBar->showMessage(strValue);
    StatusBar->setToolTip(details);
}

QString frmMain::statusText() const {
    return StatusBar->currentMessage();
}

void frmMain::AddTrayIcon() {
    seams.tray.add(windowIcon(), state.exeBaseName());
}

void frmMain::RemoveTrayIcon() {
    seams.tray.remove();
}

void frmMain::trayDoubleClicked() {
    bringToFront();
}

void frmMain::trayRightPressed(const QPoint& globalPos) {
    mnuNotifyMenu->popup(globalPos);
}

void frmMain::trayAvailabilityChanged(bool available) {
    // Start-up looks for itself, and after the exit the icon stays down.
    if (!loaded || exiting || available == trayAvailable) {
        return;
    }
    trayAvailable = available;
    if (available) {
        AddTrayIcon();
        return;
    }
    // The icon went with the notification area; a window hidden behind it would be lost.
    RemoveTrayIcon();
    if (isHidden()) {
        showMinimized();
    }
}

void frmMain::setRefreshCommandsEnabled(bool enabled) {
    mnuProperty->setEnabled(enabled);
    mnuRefresh->setEnabled(enabled);
}

void frmMain::openNewSiteDialog() {
    windows.openNewSiteDialog();
}

void frmMain::setPasteEnabled(bool enabled) {
    pasteWanted = enabled;
    updateEditCommands();
}

void frmMain::updateEditCommands() {
    const SiteTreeEditor::Allowance allowed = pane->editor->allowance();
    const QString why = SiteTreeEditor::serverKeepsText();
    const auto set = [&why](QAction* action, bool enabled, bool allowedHere) {
        action->setEnabled(enabled && allowedHere);
        // No tip of its own: the menu shows none.
        action->setToolTip(allowedHere ? QString() : why);
    };
    set(mnuNewFolder, true, allowed.structural);
    set(mnuNewRdf, true, allowed.newSite);
    set(mnuETriming, true, allowed.structural);
    set(mnuECopy, true, allowed.structural);
    set(mnuEPaste, pasteWanted, allowed.structural);
    set(mnuDelete, true, allowed.remove);
}

void frmMain::popupEditMenu(const QPoint& globalPos) {
    mnuEdit->popup(globalPos);
}

SiteIcons* frmMain::siteIcons() {
    return seams.siteIcons;
}

void frmMain::showStatus(const QString& text) {
    SetStatus(text);
}
