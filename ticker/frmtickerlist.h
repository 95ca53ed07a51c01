#pragma once

#include <QStringList>
#include <QWidget>
#include <QtGlobal>
#include <optional>

#include "core/articlerecord.h"

class ArticleArray;
class FittedLabel;
class PatrolControl;
class QLabel;
class QListWidget;
class QPushButton;
class QTimer;
class SiteIcons;
class frmTicker;
struct IconSite;
struct AppState;

// The article list window: every current article of one site, fetched afresh, with its
// date and title; the selected article's link in the status line and a "web" button that
// opens it. Opened from the ticker's "覧" button for the ticker's intCallOPMLKey (or, for an
// account's article, its callArticle: the articles of that article's server feed), placed
// right under the ticker (or above it), and closed by that button again, by the ticker or
// by the user. One such window exists; it is hidden, not destroyed, when it closes.
class frmTickerList : public QWidget {
    Q_OBJECT
public:
    static constexpr int kClientWidthTwips = 7110;
    static constexpr int kClientHeightTwips = 3225;
    // Width of the date column in characters.
    static constexpr int kDateColumnWidth = 18;

    frmTickerList(AppState& state, frmTicker& ticker, PatrolControl& patrol,
                  QWidget* parent = nullptr);

    // Opens the window for the ticker's intCallOPMLKey (or callArticle): places it, shows
    // the loading message and fills the list 100 ms later. Already open for that site
    // (that account's feed): brought forward unchanged.
    void openFor();
    // Closes the window when it is open or loading (Form_Unload, then hide).
    void closeList();
    // Open, or about to fill its list.
    [[nodiscard]] bool isOpen() const;
    // Site-table index the window lists; -1 when closed.
    [[nodiscard]] qint16 listedSite() const { return listedKey; }
    // The account's article whose feed the window lists; none for a site, or closed.
    [[nodiscard]] const std::optional<ArticleRecord>& listedArticle() const { return listedOf; }

    // The title row shows the listed site's icon from icons (which outlives the window), as
    // soon as it is there; the program's icon until then, and without icons.
    void setSiteIcons(SiteIcons* icons);

    void Form_Load();
    void tmrLoad_Timer();
    void listRss_Click();
    void listRss_DblClick();
    void cmdWeb_Click();
    // The ticker's intCallOPMLKey := −1 (and no callArticle); the window then closes.
    void Form_Unload();

    // Outer window geometry in twips; the frame the window manager adds is included once
    // the window has been shown.
    [[nodiscard]] int leftTwips() const { return windowLeft; }
    [[nodiscard]] int topTwips() const { return windowTop; }
    [[nodiscard]] int heightTwips() const;

    QListWidget* listRss = nullptr;
    FittedLabel* lblPause = nullptr;
    QPushButton* cmdWeb = nullptr;
    QTimer* tmrLoad = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildWidgets();
    // Fills the list from ListArticles once the feed has come.
    void showArticles();
    // The listed site's icon in the title row.
    void showSiteIcon();
    // Where the listed site's (or account feed's) icon is looked for; false when closed.
    bool listedIconSite(IconSite& site) const;

    AppState& state;
    frmTicker& ticker;
    PatrolControl& patrol;
    qint16 listedKey = -1;
    std::optional<ArticleRecord> listedOf;
    SiteIcons* siteIcons = nullptr;
    int windowLeft = 0;
    int windowTop = 0;
};

// The lines of the article list for entries 1 … last: when at least one entry has a
// date, every line starts with its date text padded with spaces (or, undated, blanks) to
// exactly 18 characters, followed by the title; otherwise a line is the title alone.
[[nodiscard]] QStringList ArticleListLines(const ArticleArray& articles);
