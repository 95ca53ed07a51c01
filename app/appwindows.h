#pragma once

#include <QPoint>
#include <QString>
#include <QtGlobal>
#include <memory>

#include "ui/dialoghost.h"
#include "patrol/patrolhost.h"
#include "platform/system/instancelock.h"
#include "sitelist/sitelistreadahead.h"
#include "ticker/tickerhost.h"

class AccountsDialog;
class AppExit;
class FileDialogs;
class SiteIcons;
class TrayIcon;
class frmAbout;
class frmMain;
class frmNewSiteDialog;
class frmOption;
class frmTask;
class frmTicker;
class frmTickerList;
class frmTickerOptionDialog;
class RulesDialog;
struct AccountsDialogSeams;
struct AppState;

// The seams of the application shell that AppState does not carry.
struct AppSeams {
    TrayIcon& tray;
    FileDialogs& fileDialogs;
    AppExit& appExit;
    // Sites' icons for the windows; none in tests that do not ask for them.
    SiteIcons* siteIcons = nullptr;
    // What the accounts dialog works with; none in tests that do not ask for it (the
    // command is then hidden).
    const AccountsDialogSeams* accounts = nullptr;
};

// The program's windows. Each is created on its first use and kept until the registry goes
// at the end of the run; the windows reach each other only through it, by the interfaces
// they were built against. A test builds the whole program by building one registry over a
// TestEnv's AppState.
class AppWindows final : public TickerHost,
                         public TickerControl,
                         public StatusSink,
                         public PatrolControl,
                         public DialogHost {
public:
    AppWindows(AppState& state, const AppSeams& seams);
    ~AppWindows() override;
    AppWindows(const AppWindows&) = delete;
    AppWindows& operator=(const AppWindows&) = delete;

    // The windows, created (and loaded) on first use.
    [[nodiscard]] frmMain& main();
    [[nodiscard]] frmTicker& ticker();
    // Creating the patrol window runs its Form_Load, which patrols at once.
    [[nodiscard]] frmTask& task();
    [[nodiscard]] frmAbout& about();
    [[nodiscard]] frmTickerList& tickerList();
    [[nodiscard]] frmTickerOptionDialog& tickerSettings();
    [[nodiscard]] frmOption& options();
    [[nodiscard]] frmNewSiteDialog& newSiteDialog();
    [[nodiscard]] RulesDialog& rulesDialog();
    // Only when the seams hold the accounts'.
    [[nodiscard]] AccountsDialog& accountsDialog();

    // The windows that exist so far; null for one not yet used.
    [[nodiscard]] frmMain* mainIfLoaded() const { return mainWindow.get(); }
    [[nodiscard]] frmTicker* tickerIfLoaded() const { return tickerWindow.get(); }
    [[nodiscard]] frmTask* taskIfLoaded() const { return taskWindow.get(); }
    [[nodiscard]] frmAbout* aboutIfLoaded() const { return aboutWindow.get(); }
    [[nodiscard]] frmTickerList* tickerListIfLoaded() const { return tickerListWindow.get(); }

    [[nodiscard]] InstanceLock& instanceLock() { return lock; }
    // The working list, read ahead while the main window is built (start-up only).
    [[nodiscard]] SiteListReadAhead& listReadAhead() { return readAhead; }
    [[nodiscard]] const AppSeams& appSeams() const { return seams; }

    // The ticker's unload: parks and resets it. Nothing when it was never loaded.
    void unloadTicker();
    // The about box, modeless; its texts are rebuilt unless it is already open.
    void openAbout();
    // The options dialog, modeless.
    void openOptions();
    // The display rules dialog, modeless.
    void openRules();
    // The accounts dialog, modeless; nothing without the accounts' seams.
    void openAccounts();
    // The new-site dialog, modeless; it comes back through mnuNewRdf_Click_Ret.
    void openNewSiteDialog();
    // The new-site dialog for a feed handed over from outside: its URL box filled and the
    // check started, as if the user had typed it and pressed "確認".
    void openNewSiteDialogFor(const QString& url);

    // TickerHost.
    void openArticleList() override;
    void closeArticleList() override;
    void openTickerSettings() override;

    // TickerControl: the ticker, created on first use.
    void ShowForm(ShowMode intTickerModeSet) override;
    void ResetTicker() override;
    // Nothing to move in a ticker not yet loaded.
    void queueEntriesMoved(const QList<int>& moved) override;

    // StatusSink: the main window's status bar.
    void SetStatus(const QString& strValue) override;
    void setStatusDetails(const QString& strValue, const QString& details) override;

    // PatrolControl: the patrol window, loaded first when it is not (which patrols at once,
    // so RssRefresh then patrols no second time).
    void LoadRdf(qint16 intNextKey, bool blnFullFlg, WalkDone done) override;
    bool loadSourceList(const ArticleRecord& of, std::function<void()> done) override;
    void cancelListLoad() override;
    void RssRefresh() override;

    // Ends the patrol and the article list's load under way (a site list replaced); the
    // fetches of the other windows (the new-site dialog, the properties panel) go on.
    void stopPatrol();
    // Ends every fetch and the patrol under way (exit).
    void stopFetching();

    // DialogHost.
    [[nodiscard]] QPoint mainWindowTopLeftTwips() const override;
    void setRefreshCommandsEnabled(bool enabled) override;
    void mnuNewRdf_Click_Ret() override;

private:
    AppState& state;
    AppSeams seams;
    InstanceLock lock;
    SiteListReadAhead readAhead;

    std::unique_ptr<frmMain> mainWindow;
    std::unique_ptr<frmTicker> tickerWindow;
    std::unique_ptr<frmTask> taskWindow;
    std::unique_ptr<frmAbout> aboutWindow;
    std::unique_ptr<frmTickerList> tickerListWindow;
    std::unique_ptr<frmTickerOptionDialog> tickerSettingsWindow;
    std::unique_ptr<frmOption> optionWindow;
    std::unique_ptr<frmNewSiteDialog> newSiteWindow;
    std::unique_ptr<RulesDialog> rulesWindow;
    std::unique_ptr<AccountsDialog> accountsWindow;
};
