#pragma once

#include <QKeySequence>
#include <QMainWindow>
#include <QString>
#include <QTimer>

#include "sitepane/sitelisthost.h"
#include "sitelist/sitelistloader.h"

class AppWindows;
class QAction;
class QMenu;
class QStatusBar;
class AccountsService;
class SiteListPane;
struct AppSeams;
struct AppState;

// The main window: the site tree with its properties panel, the status bar, the menus and
// the tray menu. It is the program's start-up object (Form_Load) and carries its exit.
// Closing it only hides it: the program lives on in the notification area. Without one it
// is minimised instead, so that it can always be reached.
class frmMain : public QMainWindow, public SiteListHost {
    Q_OBJECT
public:
    // The status bar's place below the pane, in twips.
    static constexpr int kStatusBarTopTwips = 3885;
    static constexpr int kStatusBarHeightTwips = 255;
    // Why a close request came: the user's close box or system menu, or anything else.
    static constexpr int kCloseFromControlMenu = 0;
    static constexpr int kCloseFromCode = 1;

    frmMain(AppState& state, AppWindows& windows);
    ~frmMain() override;

    // Shows the window in front of the others.
    void bringToFront();

    // Start-up. False when another instance runs: the caller ends the process then, and
    // nothing has been read or written. On a first start it goes on once the user has
    // answered whether to load the starting list; startUpFinished tells when it has ended.
    bool Form_Load();
    // The accounts whose folders the tree shows and whose edits go to their servers; none
    // while the program runs no accounts.
    void useAccounts(AccountsService* service);
    // Loads the patrol window a second after start-up.
    void tmrLoad_Timer();
    // Sets cancel (and hides the window) for a close by the user.
    void Form_QueryUnload(bool& cancel, int unloadMode);
    // Saves the list and the settings when the desktop session ends without our exit.
    void sessionEnding();
    // The exit command's work without its box: for a signal, where nobody may be there to
    // answer. What could not be saved goes to the log.
    void exitAtOnce();

    // The status bar's one text; details, when given, are its tool tip until the next text.
    void SetStatus(const QString& strValue, const QString& details = QString());
    [[nodiscard]] QString statusText() const;

    void AddTrayIcon();
    void RemoveTrayIcon();
    // The tray icon's gestures.
    void trayDoubleClicked();
    void trayRightPressed(const QPoint& globalPos);
    // The desktop's notification area appeared or went (its shell restarted): the icon goes
    // up again, or a hidden window comes back minimised.
    void trayAvailabilityChanged(bool available);

    // A site list handed over from outside: after the user's OK, loaded as the File
    // menu's OPML load loads a chosen file, and the main window shown.
    void offerSiteList(const QString& fileName);

    // Greys the Edit menu's edits that the selection does not allow (within an account's
    // folder the server keeps the entries), each with a tip saying why.
    void updateEditCommands();

    // Enables or disables both "最新の情報を取得(&R)" commands.
    void setRefreshCommandsEnabled(bool enabled);

    // SiteListHost.
    void openNewSiteDialog() override;
    void setPasteEnabled(bool enabled) override;
    void popupEditMenu(const QPoint& globalPos) override;
    void showStatus(const QString& text) override;
    [[nodiscard]] SiteIcons* siteIcons() override;

    // Menu handlers.
    void mnuOpenTicker_Click();
    // Shows the ticker when it is hidden and gives it the keyboard focus.
    void mnuOperateTicker_Click();
    void mnuOPMLLoad_Click();
    void mnuOPMLSave_Click();
    void mnuProperty_Click();
    void mnuClose_Click();
    void mnuExit_Click();
    void mnuOpenBrowser_Click();
    void mnuSetTicker_Click();
    void mnuSetOption_Click();
    void mnuSetRules_Click();
    void mnuSetAccounts_Click();
    void mnuOnlineHelp_Click();
    void mnuAppInfo_Click();
    void mnuHomepage_Click();
    void mnuOpenTickerNotify_Click();
    void mnuShowMain_Click();
    void mnuRefresh_Click();
    void mnuSetTickerNotify_Click();
    void mnuSetOptionNotify_Click();
    void mnuAppInfoNotify_Click();
    void mnuExitNotify_Click();

    // The info text the information box shows until an entry is selected.
    [[nodiscard]] QString infoText() const;
    // True while a list the File menu loads is being read in the background.
    [[nodiscard]] bool isLoadingList() const { return listLoader.isReading(); }
    // True while the desktop has a notification area; without one the window is minimised
    // instead of hidden, so that the program can always be reached.
    [[nodiscard]] bool hasTray() const { return trayAvailable; }

    SiteListPane* pane = nullptr;
    QStatusBar* StatusBar = nullptr;
    QTimer tmrLoad;

    QMenu* mnuFile = nullptr;
    QAction* mnuOpenTicker = nullptr;
    QAction* mnuOperateTicker = nullptr;
    QAction* mnuSepFile1 = nullptr;
    QAction* mnuOPMLLoad = nullptr;
    QAction* mnuOPMLSave = nullptr;
    QAction* mnuSepFile2 = nullptr;
    QAction* mnuProperty = nullptr;
    QAction* mnuSepFile3 = nullptr;
    QAction* mnuClose = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuEdit = nullptr;
    QMenu* mnuNew = nullptr;
    QAction* mnuNewFolder = nullptr;
    QAction* mnuNewRdf = nullptr;
    QAction* mnuSepEdit1 = nullptr;
    // Spelt as the design names it (the cut command); kept so that the name can be found.
    QAction* mnuETriming = nullptr;
    QAction* mnuECopy = nullptr;
    QAction* mnuEPaste = nullptr;
    QAction* mnuDelete = nullptr;
    QAction* mnuSepEdit2 = nullptr;
    QAction* mnuCopyTitle = nullptr;
    QAction* mnuCopyURL = nullptr;
    QAction* mnuOpenBrowser = nullptr;
    // Spelt as the design names it (the hidden View menu); kept so that the name can be found.
    QMenu* mnuVirw = nullptr;
    QMenu* mnuSetting = nullptr;
    QAction* mnuSetTicker = nullptr;
    QAction* mnuSetOption = nullptr;
    QAction* mnuSetRules = nullptr;
    QAction* mnuSetAccounts = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuOnlineHelp = nullptr;
    QAction* mnuSepHelp1 = nullptr;
    QAction* mnuUpdate = nullptr;
    QAction* mnuAppInfo = nullptr;
    QAction* mnuHomepage = nullptr;
    QMenu* mnuNotifyMenu = nullptr;
    QAction* mnuOpenTickerNotify = nullptr;
    QAction* mnuOperateTickerNotify = nullptr;
    QAction* mnuShowMain = nullptr;
    QAction* mnuSepNoti1 = nullptr;
    QAction* mnuRefresh = nullptr;
    QAction* mnuSepNoti3 = nullptr;
    QAction* mnuSetTickerNotify = nullptr;
    QAction* mnuSetOptionNotify = nullptr;
    QAction* mnuSepNoti2 = nullptr;
    QAction* mnuAppInfoNotify = nullptr;
    QAction* mnuExitNotify = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

Q_SIGNALS:
    // Form_Load has run through: the list is in the tree and the windows are up.
    void startUpFinished();

private:
    // Writes the list as it is now to a file the user chose, and says so when that fails.
    void saveListCopy(const QString& fileName);
    // The rest of Form_Load, with the list to load (or none) and whether to show the window.
    void finishLoad(const QString& path, bool showMainWindow);
    void buildMenus();
    void buildTrayMenu();
    QAction* addItem(QMenu* menu, const char* name, const QString& caption,
                     const QKeySequence& shortcut = {});
    QAction* addSeparator(QMenu* menu, const char* name);
    QMenu* addMenu(QWidget* parent, const char* name, const QString& caption);

    // Hides the window, or minimises it when there is no tray to bring it back from.
    void putAway();
    // Writes the list to rsslist.opml and the settings to config.ini; for each that could
    // not be written, its path and why.
    [[nodiscard]] QStringList saveListAndSettings();
    // The exit: everything saved, then the end; tellUser: a box first names what could not
    // be saved, and the program ends when it is answered.
    void exitProgram(bool tellUser);
    void finishExit();
    // The OPML load after the file is chosen ("" = cancelled): the tree, the panel and
    // rsslist.opml.
    void loadChosenSiteList(const QString& fileName);
    // Opens a page of the site shown in the panel only while an entry is shown.
    void openWhileEntryShown(const QString& url);
    // The end of the File menu's load, when the list has been read in the background.
    void opmlLoadFinished(const QString& path, OpmlList&& list);

    AppState& state;
    AppWindows& windows;
    const AppSeams& seams;
    // Reads the lists the File menu loads.
    SiteListLoader listLoader;
    bool trayAvailable = true;
    // Whether the edit clipboard holds something to paste.
    bool pasteWanted = false;
    // Set when Form_Load has run through (this is the one instance).
    bool loaded = false;
    // Set once the exit command has saved everything; the session-end save is not needed.
    bool exiting = false;
    // The exit waits for the box that names what could not be saved.
    bool exitBoxOpen = false;
};
