#pragma once

#include <QString>
#include <QWidget>
#include <QtGlobal>

#include "core/sitetree.h"

struct AppState;
struct FeedFetchResult;
class AccountTrees;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class SiteListHost;
class SiteTreeView;

// The properties panel beside the site tree: the title, homepage and feed URL of the entry
// selected in the tree, the apply button, and an information box that shows a site's channel.
// It follows the tree by itself: a selection the user makes fills it, an in-place rename
// reaches it. Its widgets sit where the main window's design places them; the panel's own
// corner lies kLeftTwips right of the tree's.
//
// The list is saved (rsslist.opml, in the background) after every change the panel makes to
// it, so that an apply or a rename is not lost if the program never reaches its exit.
class PropertiesPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLeftTwips = 3840;

    PropertiesPanel(AppState& state, SiteTreeView& tree, SiteListHost& host,
                    QWidget* parent = nullptr);
    ~PropertiesPanel() override;

    // The widgets, by the names the main window's design gives them.
    QLabel* lblTitle = nullptr;
    QLineEdit* txtTitle = nullptr;
    QLabel* lblHomepage = nullptr;
    QLineEdit* txtHomepage = nullptr;
    QLabel* lblRDFPath = nullptr;
    QLineEdit* txtRDFPath = nullptr;
    QPlainTextEdit* txtComment = nullptr;
    QPushButton* cmdOK = nullptr;
    // Whether the site's headlines go to the ticker: unticked while the display rules hold
    // the line that mutes the site's feed URL ("mute", "*", the URL); a click adds or removes
    // that line in rules.txt at once.
    QCheckBox* chkTicker = nullptr;

    // The accounts' folders in the tree (null: none); they outlive the panel.
    void setAccountTrees(AccountTrees* trees);

    // Site-table index of the entry shown in the panel; -1 for none (also while an entry of
    // an account's folder is shown).
    qint16 intCurrentIndex = -1;

    // Shows the entry selected in the tree; for a site with a homepage also fetches its
    // feed's channel title, link and description into the information box, which fills when
    // the feed has come. Selecting another entry meanwhile drops that fetch.
    void trvOPML_NodeClick();
    // Writes the panel's title (and, for a site, its two URLs) to the shown entry and saves
    // the list. An empty or blank title keeps the old one, and the status bar says so.
    void cmdOK_Click();
    // The selected entry takes newLabel as its title; an empty or blank label is a cancelled
    // edit.
    void trvOPML_AfterLabelEdit(const QString& newLabel);
    // node takes newLabel as its title and the list is saved; an empty or blank label is a
    // cancelled edit. The tree's label editor reports an accepted edit so.
    void renameEntry(SiteTree::Node* node, const QString& newLabel);
    // intCurrentIndex -1, the four boxes emptied, cmdOK disabled.
    void clearPanel();

    // Shows whether the rules in force keep the shown site out of the ticker. Greyed for a
    // folder, for no entry, for a site without a feed URL, and while rules.txt cannot be
    // written (its last read failed; the box's tip says why). For an account's feed, shows
    // the account's own choice for it (greyed until that is known).
    void showTickerChoice();
    // Writes the box's state to rules.txt in the background (the box greyed meanwhile); a
    // failed write says so and unticks nothing. For an account's feed, sets the account's
    // choice for it, written to its own file.
    void chkTicker_Click();

    // The information box's text exactly as set (its lines joined by CR LF); the box shows
    // each line on a line of its own.
    [[nodiscard]] QString commentText() const { return strComment; }
    void setCommentText(const QString& text);

protected:
    // Back in the main window the box shows the rules as they are now (an edit in the rules
    // dialog or in the file).
    void changeEvent(QEvent* event) override;

private:
    void buildWidgets();
    // Shows an entry of an account's folder, read only: the server keeps it.
    void showAccountEntry(const SiteTree::Node* node);
    // The three boxes editable (the user's own entries) or read only.
    void setBoxesReadOnly(bool readOnly);
    // The feed URL of the site shown; empty for a folder or no entry.
    [[nodiscard]] QString shownFeedUrl() const;
    // With discover, a page in the feed box is searched for the feeds it names.
    void fetchChannelInfo(bool discover);
    void showChannelInfo(const FeedFetchResult& result);
    // Enables a URL box with the window background, or disables it with the button face.
    void setUrlBoxApplies(QLineEdit* box, bool applies);

    AppState& state;
    SiteTreeView& trvOPML;
    SiteListHost& host;
    // Shows the account's choice for the shown account feed.
    void showAccountTickerChoice();
    // Sets it from the box.
    void setAccountFeedInTicker();

    AccountTrees* accountTrees = nullptr;
    QString strComment;
    // The account feed shown (account 0: none), by the server's feed id.
    int shownAccount = 0;
    QString shownFeedId;
};
