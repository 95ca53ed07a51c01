#include "app/appwindows.h"

#include "app/appstate.h"
#include "app/frmabout.h"
#include "app/frmmain.h"
#include "patrol/frmtask.h"
#include "platform/screeninfo.h"
#include "sitelist/sitelistpane.h"
#include "ticker/frmticker.h"

AppWindows::AppWindows(AppState& appState, const AppSeams& appSeams)
    : state(appState), seams(appSeams), lock(appState.paths.programDir) {}

AppWindows::~AppWindows() {
    // The patrol and the ticker call into the other windows; they go first.
    taskWindow.reset();
    aboutWindow.reset();
    tickerWindow.reset();
    mainWindow.reset();
}

frmMain& AppWindows::main() {
    if (!mainWindow) {
        mainWindow = std::make_unique<frmMain>(state, *this);
    }
    return *mainWindow;
}

frmTicker& AppWindows::ticker() {
    if (!tickerWindow) {
        // The constructor runs the ticker's own load.
        tickerWindow = std::make_unique<frmTicker>(state, *this);
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
    // Wired to frmOption (shown modeless, at the main window + 120 twips) when it lands.
}

void AppWindows::openNewSiteDialog() {
    // Wired to frmNewSiteDialog (modeless, above other windows) when it lands.
}

void AppWindows::openArticleList() {
    // Wired to frmTickerList (for the ticker's intCallOPMLKey) when it lands.
}

void AppWindows::closeArticleList() {
    // Wired to frmTickerList's unload when it lands.
}

void AppWindows::openTickerSettings() {
    // Wired to frmTickerOptionDialog (modeless, at the main window + 120 twips) when it lands.
}

void AppWindows::ShowForm(qint16 intTickerModeSet) {
    ticker().ShowForm(intTickerModeSet);
}

void AppWindows::ResetTicker() {
    ticker().ResetTicker();
}

void AppWindows::SetStatus(const QString& strValue) {
    main().SetStatus(strValue);
}

qint16 AppWindows::LoadRdf(qint16 intNextKey, bool blnFullFlg) {
    return task().LoadRdf(intNextKey, blnFullFlg);
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
    main().pane->mnuNewRdf_Click_Ret();
}
