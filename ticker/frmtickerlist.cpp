#include "ticker/frmtickerlist.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "core/appstate.h"
#include "core/articlesource.h"
#include "ui/fittedlabel.h"
#include "ui/siteicons.h"
#include "ui/twipslayout.h"
#include "ui/uifont.h"
#include "core/newsdate.h"
#include "patrol/patrolhost.h"
#include "platform/desktop/browser.h"
#include "platform/desktop/screeninfo.h"
#include "rules/displayrule.h"
#include "ticker/frmticker.h"

namespace {

constexpr char kLoadingMessage[] =
    QT_TRANSLATE_NOOP("frmTickerList", "最新の情報を読み込んでいます");

// A fixed-pitch font at 9 pt, so that the date column lines up. Japanese glyphs come from
// a fixed-pitch CJK face where one is installed, else from Noto Sans CJK JP.
QFont listFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
    font.setFamilies({QFontInfo(font).family(), QStringLiteral("Noto Sans Mono CJK JP"),
                      QStringLiteral("Noto Sans CJK JP")});
    font.setStyleHint(QFont::Monospace);
    return font;
}

// Whether two articles of an account come from one server feed.
bool sameFeed(const ArticleRecord& a, const ArticleRecord& b) {
    if (a.Account != b.Account) {
        return false;
    }
    return a.FeedUrl.isEmpty() && b.FeedUrl.isEmpty() ? a.Identity == b.Identity
                                                      : a.FeedUrl == b.FeedUrl;
}

}  // namespace

QStringList ArticleListLines(const ArticleArray& articles) {
    const int last = articles.lastIndex();
    bool dated = false;
    for (int k = 1; k <= last && !dated; ++k) {
        dated = !shownNewsDate(articles[k].PubDate).isEmpty();
    }
    QStringList lines;
    lines.reserve(last);
    for (int k = 1; k <= last; ++k) {
        const ArticleRecord& entry = articles[k];
        if (dated) {
            const QString date =
                shownNewsDate(entry.PubDate)
                    .leftJustified(frmTickerList::kDateColumnWidth, QLatin1Char(' '), true);
            lines.append(date + entry.Title);
        } else {
            lines.append(entry.Title);
        }
    }
    return lines;
}

frmTickerList::frmTickerList(AppState& appState, frmTicker& tickerWindow,
                             PatrolControl& patrolControl, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      state(appState),
      ticker(tickerWindow),
      patrol(patrolControl) {
    setObjectName(QStringLiteral("frmTickerList"));
    setFont(uiFont());
    setWindowIcon(SiteIcons::programIcon());
    setClientSizeTwips(this, kClientWidthTwips, kClientHeightTwips);
    buildWidgets();
}

void frmTickerList::buildWidgets() {
    listRss = new QListWidget(this);
    listRss->setObjectName(QStringLiteral("listRss"));
    listRss->setFont(listFont());
    listRss->setUniformItemSizes(true);
    listRss->setAccessibleName(tr("このサイトの記事"));
    placeTwips(listRss, 0, 0, 7095, 2940);
    connect(listRss, &QListWidget::currentRowChanged, this, &frmTickerList::listRss_Click);
    connect(listRss, &QListWidget::itemDoubleClicked, this, &frmTickerList::listRss_DblClick);

    // A link longer than the status line ends in "…" before the web button; text() keeps
    // it whole for the browser, and the tool tip shows it.
    lblPause = new FittedLabel(tr(kLoadingMessage), this);
    lblPause->setObjectName(QStringLiteral("lblPause"));
    lblPause->setTextFormat(Qt::PlainText);
    placeTextTwips(lblPause, 0, 3000, 6480, 180);

    cmdWeb = new QPushButton(QStringLiteral("web"), this);
    cmdWeb->setObjectName(QStringLiteral("cmdWeb"));
    cmdWeb->setToolTip(tr("選択した記事のサイトを開きます"));
    cmdWeb->setEnabled(false);
    cmdWeb->setAccessibleName(tr("選択した記事をブラウザで開く"));
    cmdWeb->setAutoDefault(false);
    placeTwips(cmdWeb, 6600, 3000, 495, 225);
    connect(cmdWeb, &QPushButton::clicked, this, &frmTickerList::cmdWeb_Click);

    tmrLoad = new QTimer(this);
    tmrLoad->setObjectName(QStringLiteral("tmrLoad"));
    tmrLoad->setInterval(100);
    tmrLoad->setSingleShot(true);
    connect(tmrLoad, &QTimer::timeout, this, &frmTickerList::tmrLoad_Timer);
}

void frmTickerList::setSiteIcons(SiteIcons* icons) {
    if (siteIcons) {
        disconnect(siteIcons, nullptr, this, nullptr);
    }
    siteIcons = icons;
    if (icons) {
        connect(icons, &SiteIcons::iconChanged, this, [this](const QString& key) {
            IconSite site;
            if (listedIconSite(site) && siteIcons->keyFor(site) == key) {
                showSiteIcon();
            }
        });
        connect(icons, &SiteIcons::shownChanged, this, &frmTickerList::showSiteIcon);
    }
    showSiteIcon();
}

bool frmTickerList::listedIconSite(IconSite& site) const {
    if (listedOf) {
        // As the ticker draws it: the site of that feed in the site table names where its
        // icon is looked for, else the feed itself.
        site = IconSite{QString(), listedOf->FeedUrl};
        for (int i = 0; i < state.SiteTable.size(); ++i) {
            if (state.SiteTable[i].strXmlUrl == listedOf->FeedUrl) {
                site = SiteIcons::siteOf(state.SiteTable[i]);
                break;
            }
        }
        return true;
    }
    if (state.SiteTable.isValidIndex(listedKey)) {
        site = SiteIcons::siteOf(state.SiteTable[listedKey]);
        return true;
    }
    return false;
}

void frmTickerList::showSiteIcon() {
    IconSite site;
    if (!siteIcons || !listedIconSite(site)) {
        setWindowIcon(SiteIcons::programIcon());
        return;
    }
    // The larger pictures: a title bar scales them down, a task switcher shows them whole.
    const QIcon icon = siteIcons->iconOf(site, 32);
    setWindowIcon(icon.isNull() ? SiteIcons::programIcon() : icon);
}

bool frmTickerList::isOpen() const {
    return isVisible() || tmrLoad->isActive();
}

int frmTickerList::heightTwips() const {
    return std::max(kClientHeightTwips, pixelsToTwips(frameGeometry().height()));
}

void frmTickerList::openFor() {
    const bool sameList = ticker.callArticle ? listedOf && sameFeed(*listedOf, *ticker.callArticle)
                                             : !listedOf && listedKey == ticker.intCallOPMLKey;
    if (isOpen() && sameList) {
        showInFront(this);
        return;
    }
    Form_Load();
    showInFront(this);
}

void frmTickerList::closeList() {
    if (isOpen()) {
        close();
    }
}

void frmTickerList::Form_Load() {
    // Directly under the ticker; above it when the window would reach below the screen
    // and there is room above; else under it, partly off screen.
    const int ownHeight = heightTwips();
    windowLeft = ticker.leftTwips();
    windowTop = ticker.topTwips() + ticker.heightTwips();
    if (windowTop + ownHeight > state.seams.screen.heightTwips() &&
        ticker.topTwips() >= ownHeight) {
        windowTop = ticker.topTwips() - ownHeight;
    }
    moveWindowTwips(this, QPoint(windowLeft, windowTop));

    // A list still loading for another site must not fill this one.
    patrol.cancelListLoad();
    listedKey = ticker.intCallOPMLKey;
    listedOf = ticker.callArticle;
    QString siteTitle =
        state.SiteTable.isValidIndex(listedKey) ? state.SiteTable[listedKey].strTitle : QString();
    if (listedOf) {
        siteTitle = listedOf->SiteTitle;
    }
    setWindowTitle(state.exeBaseName() + QStringLiteral(" - ") + siteTitle);
    showSiteIcon();

    // Emptying the list clears the selection, which runs listRss_Click: the message
    // comes after it.
    listRss->clear();
    listRss->hide();
    lblPause->setText(tr(kLoadingMessage));
    cmdWeb->setEnabled(false);
    tmrLoad->start();
}

void frmTickerList::tmrLoad_Timer() {
    tmrLoad->stop();
    state.ListArticles.clear();
    // The site is the one the window was opened for: a ticker that starts a new showing
    // meanwhile resets its intCallOPMLKey, and the caption already names this site. The
    // loading message stays up until the feed has come (or failed).
    if (listedOf) {
        if (!patrol.loadSourceList(*listedOf, [this] { showArticles(); })) {
            showArticles();
        }
        return;
    }
    if (listedKey < 0) {
        showArticles();
        return;
    }
    patrol.LoadRdf(listedKey, true, [this](qint16) { showArticles(); });
}

void frmTickerList::showArticles() {
    listRss->addItems(ArticleListLines(state.ListArticles));
    // Every article is listed; those the display rules keep out of the ticker are greyed.
    const QColor muted = listRss->palette().color(QPalette::Disabled, QPalette::Text);
    for (int k = 1; k <= state.ListArticles.lastIndex(); ++k) {
        if (state.ListArticles[k].Display == RuleAction::Mute) {
            listRss->item(k - 1)->setForeground(muted);
        }
    }
    listRss->show();
    lblPause->clear();
    listRss_Click();
}

void frmTickerList::listRss_Click() {
    const int k = listRss->currentRow() + 1;
    if (k > state.ListArticles.lastIndex()) {
        lblPause->clear();
    } else {
        lblPause->setText(state.ListArticles[k].Link);
    }
    cmdWeb->setEnabled(!lblPause->text().isEmpty());
}

void frmTickerList::listRss_DblClick() {
    listRss_Click();
    if (cmdWeb->isEnabled()) {
        cmdWeb_Click();
    }
}

void frmTickerList::cmdWeb_Click() {
    if (!lblPause->text().isEmpty()) {
        openFeedLink(state.seams.browser, lblPause->text());
        const int k = listRss->currentRow() + 1;
        if (k >= 1 && k <= state.ListArticles.lastIndex() &&
            state.ListArticles[k].Link == lblPause->text()) {
            noteArticleOpened(state.articleSources, state.ListArticles[k]);
        }
    }
}

void frmTickerList::Form_Unload() {
    tmrLoad->stop();
    patrol.cancelListLoad();
    ticker.intCallOPMLKey = -1;
    ticker.callArticle.reset();
    listedKey = -1;
    listedOf.reset();
    setWindowIcon(SiteIcons::programIcon());
}

void frmTickerList::keyPressEvent(QKeyEvent* event) {
    // Esc closes the window as the ticker's "覧" does; without a window manager the
    // window has no close box.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        closeList();
        return;
    }
    // Enter on an article opens it as a double-click does; the list passes the key on.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && listRss->isVisible() && listRss->currentRow() >= 0) {
        listRss_DblClick();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmTickerList::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
    ticker.openedWindowClosed();
}
