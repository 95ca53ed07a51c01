#include "app/appwindows.h"

#include <QLineEdit>

#include "core/appstate.h"
#include "app/frmabout.h"
#include "app/frmmain.h"
#include "dialogs/accountsdialog.h"
#include "dialogs/frmnewsitedialog.h"
#include "dialogs/frmoption.h"
#include "dialogs/rulesdialog.h"
#include "patrol/frmtask.h"
#include "platform/desktop/screeninfo.h"
#include "sitepane/sitelistpane.h"
#include "sitepane/sitetreeeditor.h"
#include "ticker/frmticker.h"
#include "ticker/frmtickerlist.h"
#include "ticker/frmtickeroptiondialog.h"
#include "ui/siteicons.h"

AppWindows::AppWindows(AppState& appState, const AppSeams& appSeams)
    : state(appState), seams(appSeams), lock(appState.paths.programDir) {}

AppWindows::~AppWindows() {
    // The patrol and the ticker call into the other windows; they go first.
    taskWindow.reset();
    accountsWindow.reset();
    rulesWindow.reset();
    newSiteWindow.reset();
    optionWindow.reset();
    tickerSettingsWindow.reset();
    tickerListWindow.reset();
    aboutWindow.reset();
    tickerWindow.reset();
    mainWindow.reset();
}

frmMain& AppWindows::main() {
    if (!mainWindow) {
        mainWindow = std::make_unique<frmMain>(state, *this);
        if (seams.accounts != nullptr) {
            mainWindow->useAccounts(seams.accounts->service);
        }
    }
    return *mainWindow;
}

frmTicker& AppWindows::ticker() {
    if (!tickerWindow) {
        // The constructor runs the ticker's own load.
        tickerWindow = std::make_unique<frmTicker>(state, *this);
        tickerWindow->useSiteIcons(seams.siteIcons);
    }
    return *tickerWindow;
}

frmTask& AppWindows::task() {
    if (!taskWindow) {
        taskWindow = std::make_unique<frmTask>(state, *this, *this);
        taskWindow->Form_Load();
    }
    return *taskWindow;
}

frmAbout& AppWindows::about() {
    if (!aboutWindow) {
        aboutWindow = std::make_unique<frmAbout>();
    }
    return *aboutWindow;
}

frmTickerList& AppWindows::tickerList() {
    if (!tickerListWindow) {
        tickerListWindow = std::make_unique<frmTickerList>(state, ticker(), *this);
        tickerListWindow->setSiteIcons(seams.siteIcons);
    }
    return *tickerListWindow;
}

frmTickerOptionDialog& AppWindows::tickerSettings() {
    if (!tickerSettingsWindow) {
        tickerSettingsWindow = std::make_unique<frmTickerOptionDialog>(state, ticker(), *this);
    }
    return *tickerSettingsWindow;
}

frmOption& AppWindows::options() {
    if (!optionWindow) {
        optionWindow = std::make_unique<frmOption>(state, *this);
        if (SiteIcons* icons = seams.siteIcons) {
            // Icons turned off go at once, and come back as soon as they are turned on.
            QObject::connect(optionWindow.get(), &QDialog::accepted, icons,
                             &SiteIcons::followSettings);
        }
    }
    return *optionWindow;
}

frmNewSiteDialog& AppWindows::newSiteDialog() {
    if (!newSiteWindow) {
        newSiteWindow = std::make_unique<frmNewSiteDialog>(state, *this);
    }
    return *newSiteWindow;
}

RulesDialog& AppWindows::rulesDialog() {
    if (!rulesWindow) {
        rulesWindow = std::make_unique<RulesDialog>(state, *this);
        rulesWindow->setSiteIcons(seams.siteIcons);
    }
    return *rulesWindow;
}

AccountsDialog& AppWindows::accountsDialog() {
    if (!accountsWindow) {
        accountsWindow = std::make_unique<AccountsDialog>(*seams.accounts);
    }
    return *accountsWindow;
}

void AppWindows::unloadTicker() {
    if (tickerWindow) {
        tickerWindow->Form_Unload();
    }
}

void AppWindows::openAbout() {
    frmAbout& box = about();
    if (!box.isVisible()) {
        box.Form_Load();
    }
    box.show();
    box.raise();
    box.activateWindow();
}

void AppWindows::openOptions() {
    options().showOrRaise();
}

void AppWindows::openRules() {
    rulesDialog().showOrRaise();
}

void AppWindows::openAccounts() {
    if (seams.accounts != nullptr) {
        accountsDialog().showOrRaise();
    }
}

void AppWindows::openNewSiteDialog() {
    newSiteDialog().showOrRaise();
}

void AppWindows::openNewSiteDialogFor(const QString& url) {
    frmNewSiteDialog& dialog = newSiteDialog();
    // An open dialog may be in its second step, where OK would register the new URL under
    // the old site's name: the request starts over in a fresh first step.
    if (dialog.isVisible()) {
        dialog.close();
    }
    dialog.showOrRaise();
    dialog.txtURL->setText(url);
    dialog.cmdOK_Click();
}

void AppWindows::openArticleList() {
    tickerList().openFor();
}

void AppWindows::closeArticleList() {
    if (tickerListWindow) {
        tickerListWindow->closeList();
    }
}

void AppWindows::openTickerSettings() {
    tickerSettings().showOrRaise();
}

void AppWindows::ShowForm(ShowMode intTickerModeSet) {
    ticker().ShowForm(intTickerModeSet);
}

void AppWindows::ResetTicker() {
    ticker().ResetTicker();
}

void AppWindows::queueEntriesMoved(const QList<int>& moved) {
    if (tickerWindow) {
        tickerWindow->queueEntriesMoved(moved);
    }
}

void AppWindows::SetStatus(const QString& strValue) {
    main().SetStatus(strValue);
}

void AppWindows::setStatusDetails(const QString& strValue, const QString& details) {
    main().SetStatus(strValue, details);
}

void AppWindows::LoadRdf(qint16 intNextKey, bool blnFullFlg, WalkDone done) {
    task().LoadRdf(intNextKey, blnFullFlg, std::move(done));
}

bool AppWindows::loadSourceList(const ArticleRecord& of, std::function<void()> done) {
    return task().loadSourceList(of, std::move(done));
}

void AppWindows::cancelListLoad() {
    if (taskWindow) {
        taskWindow->cancelListLoad();
    }
}

void AppWindows::stopPatrol() {
    if (taskWindow) {
        taskWindow->cancelPatrol();
    }
    // The article list shows entries of the list being replaced.
    closeArticleList();
}

void AppWindows::stopFetching() {
    // The windows stay as they are: the exit unloads none of them.
    if (taskWindow) {
        taskWindow->cancelPatrol();
    }
    state.feeds().cancelAll();
}

void AppWindows::RssRefresh() {
    // Loading the patrol window patrols at once; a second patrol right after it would
    // only fetch every site again.
    if (!taskWindow) {
        (void)task();
        return;
    }
    taskWindow->RssRefresh();
}

QPoint AppWindows::mainWindowTopLeftTwips() const {
    if (!mainWindow) {
        return {};
    }
    // A window's pos() is its frame's top-left corner, as the dialogs' placement expects.
    const QPoint pixels = mainWindow->pos();
    return {pixelsToTwips(pixels.x()), pixelsToTwips(pixels.y())};
}

void AppWindows::setRefreshCommandsEnabled(bool enabled) {
    main().setRefreshCommandsEnabled(enabled);
}

void AppWindows::mnuNewRdf_Click_Ret() {
    main().pane->editor->mnuNewRdf_Click_Ret();
}
