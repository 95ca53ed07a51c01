#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

#include "core/sitetree.h"

struct AppState;
class AccountTrees;
class PropertiesPanel;
class SiteListHost;
class SiteTreeView;

// The Edit menu's commands on the site tree: new folder and site, cut, copy, paste, delete,
// and copying an entry's title or homepage to the system clipboard. They act on the tree's
// selection and on the entry the properties panel shows (its intCurrentIndex), fill the panel
// after they have moved the selection, and save the list (rsslist.opml) after every
// structural edit.
class SiteTreeEditor : public QObject {
    Q_OBJECT
public:
    SiteTreeEditor(AppState& state, SiteTreeView& tree, PropertiesPanel& panel, SiteListHost& host,
                   QObject* parent = nullptr);

    // Edit clipboard: 0 empty, 1 an entry has been cut, 2 an entry has been copied.
    qint16 intClipMode = 0;
    // Collection position (from 1) the cut or copied node had when it was cut or copied; -1
    // after a cut was pasted. Only reported: the paste finds the node itself.
    int intClipNode = -1;

    // What the Edit menu may do with the selected entry. Within an account's folder the
    // server keeps the folders and feeds: only a new site (a subscription) and the deletion
    // of a feed (its end) are asked of it; the rest is greyed.
    struct Allowance {
        // New folder, cut, copy and paste.
        bool structural = true;
        bool newSite = true;
        bool remove = true;
    };
    [[nodiscard]] Allowance allowance() const;
    // Why an edit is greyed within an account's folder: its tool tip.
    [[nodiscard]] static QString serverKeepsText();
    // The accounts' folders in the tree (null: none); they outlive the editor.
    void setAccountTrees(AccountTrees* trees) { accountTrees = trees; }

    void mnuNewFolder_Click();
    // Opens the new-site dialog, which comes back through mnuNewRdf_Click_Ret.
    void mnuNewRdf_Click();
    // Adds the entry the new-site dialog prepared in AppState::NewSiteRow.
    void mnuNewRdf_Click_Ret();
    // Spelt as the design names the cut command's handler.
    void mnuETriming_Click();
    void mnuECopy_Click();
    void mnuEPaste_Click();
    // Asks first; the entry goes when the user agrees.
    void mnuDelete_Click();
    void mnuCopyTitle_Click();
    void mnuCopyURL_Click();

private:
    // Deletes node with everything under it once the user has agreed (null: nothing to
    // delete), then empties the panel when the tree is empty and saves.
    void deleteEntry(SiteTree::Node* node);
    // False, with intCurrentIndex -1 when the tree is empty, unless an entry is shown.
    bool commonGuard();
    // Where a new or pasted entry goes: the selected folder, or the selected site's parent
    // (null: the top level, also when nothing is selected).
    [[nodiscard]] SiteTree::Node* placementParent();
    // Index of the row a new folder or site takes, the table grown to hold it; -1 (after a
    // warning) when the table is full.
    int takeNewRow();
    void warnTableFull();
    // Selects node and fills the panel with it.
    void showNode(SiteTree::Node* node);
    [[nodiscard]] SiteTree::Node* clipNode() const;
    void takeIntoClipboard(qint16 mode);
    // The pending cut, if any, back to the normal text colour.
    void releaseCut();
    void clearClipboard();
    void pasteCut(SiteTree::Node* source);
    void pasteCopy(SiteTree::Node* source);
    void putOnSystemClipboard(const QString& text);
    // True, after telling the user, when the selection lies in an account's folder, where
    // the server keeps the folders and feeds.
    bool refusedInAccount();
    // Asks the server of the account the selection lies in to follow url.
    void subscribeInAccount(const SiteTree::Node* selection, const QString& url);
    // Asks first, then the server stops following the selected feed.
    void unsubscribeInAccount(const SiteTree::Node* selection);

    AppState& state;
    SiteTreeView& trvOPML;
    PropertiesPanel& panel;
    SiteListHost& host;
    AccountTrees* accountTrees = nullptr;
    // Key of the cut or copied node. Keys name one entry until the next load: after the tree
    // was cleared the key may name another entry, so it is then stale.
    QString clipKey;
    bool clipStale = false;
};
