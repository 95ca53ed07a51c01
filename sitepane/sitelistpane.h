#pragma once

#include <QStringList>
#include <QWidget>

struct AppState;
class AccountTrees;
class AccountsService;
class PropertiesPanel;
class SiteListHost;
class SiteTreeEditor;
class SiteTreeView;

// The main window's client area: the site tree trvOPML, the properties panel beside it, and
// the editor whose commands the Edit menu runs on the tree. Placed in twips as the main
// window's design places them; the main window puts its status bar below (at 3885 twips).
class SiteListPane : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidthTwips = 7110;
    static constexpr int kHeightTwips = 3855;

    SiteListPane(AppState& state, SiteListHost& host, QWidget* parent = nullptr);

    SiteTreeView* trvOPML = nullptr;
    PropertiesPanel* properties = nullptr;
    SiteTreeEditor* editor = nullptr;
    // The accounts' folders, after the user's own entries.
    AccountTrees* accounts = nullptr;

    // Shows the accounts of service (null: none) in the tree, from their tree files.
    void useAccounts(AccountsService* service);

    // Selects the node at collection position 1 and fills the panel; false when the tree is
    // empty (nothing changes then).
    bool selectFirstNode();
    // Shows nothing in the panel: intCurrentIndex -1, its boxes emptied, cmdOK disabled.
    void clearPanel();
    // Writes the tree to rsslist.opml in the program directory, in the background.
    void saveList();

private:
    AppState& state;
    // While an account's folder is replaced: what was open in it, and the selection when it
    // lay there.
    QStringList expandedKeys;
    QString selectedKey;
};
