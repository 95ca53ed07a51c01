#pragma once

#include <QString>
#include <QWidget>
#include <QtGlobal>

#include "core/sitetree.h"

struct FeedFetchResult;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
struct AppState;
class SiteListHost;
class SiteTreeView;

// The main window's client area: the site tree trvOPML with its editor commands, and the
// properties panel beside it. Placed in twips as the main window's design places them; the
// main window puts its status bar below (at 3885 twips).
//
// Operations run on the current selection of the tree; the editor commands are the Edit
// menu's handlers and save the list to rsslist.opml after every structural edit.
class SiteListPane : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidthTwips = 7110;
    static constexpr int kHeightTwips = 3855;

    SiteListPane(AppState& state, SiteListHost& host, QWidget* parent = nullptr);

    // The widgets, by the names the main window's design gives them.
    SiteTreeView* trvOPML = nullptr;
    QLabel* lblTitle = nullptr;
    QLineEdit* txtTitle = nullptr;
    QLabel* lblHomepage = nullptr;
    QLineEdit* txtHomepage = nullptr;
    QLabel* lblRDFPath = nullptr;
    QLineEdit* txtRDFPath = nullptr;
    QPlainTextEdit* txtComment = nullptr;
    QPushButton* cmdOK = nullptr;

    // Site-table index of the entry shown in the panel; -1 for none.
    qint16 intCurrentIndex = -1;
    // Edit clipboard: 0 empty, 1 an entry has been cut, 2 an entry has been copied.
    qint16 intClipMode = 0;
    // Collection position (from 1) the cut or copied node had when it was cut or copied; -1
    // after a cut was pasted. Only reported: the paste finds the node itself.
    int intClipNode = -1;

    // Properties panel.
    // Shows the selected entry; for a site with a homepage also fetches its feed's channel
    // title, link and description into the information box, which fills when the feed
    // has come. Selecting another entry meanwhile drops that fetch.
    void trvOPML_NodeClick();
    // Writes the panel's title (and, for a site, its two URLs) to the shown entry. An empty or
    // blank title keeps the old one, and the status bar says so.
    void cmdOK_Click();
    // The selected entry takes newLabel as its title; an empty or blank label is a cancelled
    // edit. Saves nothing.
    void trvOPML_AfterLabelEdit(const QString& newLabel);

    // Tree editor (the Edit menu).
    void mnuNewFolder_Click();
    // Opens the new-site dialog, which comes back through mnuNewRdf_Click_Ret.
    void mnuNewRdf_Click();
    // Adds the entry the new-site dialog prepared in AppState::NewSiteRow.
    void mnuNewRdf_Click_Ret();
    // Spelt as the design names the cut command's handler.
    void mnuETriming_Click();
    void mnuECopy_Click();
    void mnuEPaste_Click();
    void mnuDelete_Click();
    void mnuCopyTitle_Click();
    void mnuCopyURL_Click();

    // Selects the node at collection position 1 and fills the panel; false when the tree is
    // empty (nothing changes then).
    bool selectFirstNode();
    // intCurrentIndex -1, the four boxes emptied, cmdOK disabled.
    void clearPanel();
    [[nodiscard]] SiteTree::Node* selectedNode();
    // Selects node without filling the panel.
    void selectNode(SiteTree::Node* node);
    // Writes the tree to rsslist.opml in the program directory: the text is made now, the
    // file written in the background (AppState::siteListSaver); the result is ignored.
    void saveList();

    // The information box's text exactly as set (its lines joined by CR LF); the box shows
    // each line on a line of its own.
    [[nodiscard]] QString commentText() const { return strComment; }
    void setCommentText(const QString& text);

private:
    // Deletes node with everything under it once the user has agreed (null: nothing to
    // delete), then empties the panel when the tree is empty and saves.
    void deleteEntry(SiteTree::Node* node);
    void buildWidgets();
    void onTreeReset();

    // Properties panel.
    // With discover, a page in the feed box is searched for the feeds it names.
    void fetchChannelInfo(bool discover);
    void showChannelInfo(const FeedFetchResult& result);
    // Enables a URL box with the window background, or disables it with the button face.
    void setUrlBoxApplies(QLineEdit* box, bool applies);
    void renameEntry(SiteTree::Node* node, const QString& newLabel);

    // Tree editor.
    // False, with intCurrentIndex -1 when the tree is empty, unless an entry is shown.
    bool commonGuard();
    // Where a new or pasted entry goes: the selected folder, or the selected site's parent
    // (null: the top level, also when nothing is selected).
    [[nodiscard]] SiteTree::Node* placementParent();
    // Index of the row a new folder or site takes, the table grown to hold it; -1 (after a
    // warning) when the table is full.
    int takeNewRow();
    void warnTableFull();
    [[nodiscard]] SiteTree::Node* clipNode() const;
    void takeIntoClipboard(qint16 mode);
    // The pending cut, if any, back to the normal text colour.
    void releaseCut();
    void clearClipboard();
    void pasteCut(SiteTree::Node* source);
    void pasteCopy(SiteTree::Node* source);
    void putOnSystemClipboard(const QString& text);

    AppState& state;
    SiteListHost& host;
    // Key of the cut or copied node. Keys name one entry until the next load: after the tree
    // was cleared the key may name another entry, so it is then stale.
    QString clipKey;
    bool clipStale = false;
    QString strComment;
};
