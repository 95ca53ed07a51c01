#include "sitepane/propertiespanel.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

#include "accounts/accountsservice.h"
#include "core/appstate.h"
#include "core/feedservice.h"
#include "platform/modal/messagebox.h"
#include "rules/rulesstore.h"
#include "sitelist/opml.h"
#include "sitepane/accounttrees.h"
#include "sitepane/sitelisthost.h"
#include "sitepane/sitetreeeditor.h"
#include "sitepane/sitetreeview.h"
#include "ui/twipslayout.h"

namespace {

constexpr char kChannelLoading[] = QT_TRANSLATE_NOOP("PropertiesPanel", "情報を取得しています...");
constexpr char kTickerTip[] = QT_TRANSLATE_NOOP(
    "PropertiesPanel",
    "外すと、このサイトの記事をティッカーに表示しません（表示ルールに書かれます）。");
constexpr char kAccountTickerTip[] =
    QT_TRANSLATE_NOOP("PropertiesPanel",
                      "外すと、このフィードの記事をティッカーに表示しません（このパソコンだけの設定"
                      "で、サーバーは変わりません）。");

// A title of nothing but white space (the ideographic space too) is no title: taking it would
// leave an entry the user can no longer tell apart.
bool isBlankTitle(const QString& title) {
    return title.trimmed().isEmpty();
}

}  // namespace

PropertiesPanel::PropertiesPanel(AppState& appState, SiteTreeView& tree, SiteListHost& siteListHost,
                                 QWidget* parent)
    : QWidget(parent), state(appState), trvOPML(tree), host(siteListHost) {
    setObjectName(QStringLiteral("PropertiesPanel"));
    buildWidgets();

    connect(&trvOPML, &SiteTreeView::nodeClicked, this, &PropertiesPanel::trvOPML_NodeClick);
    connect(&trvOPML, &SiteTreeView::labelEdited, this, &PropertiesPanel::renameEntry);
    connect(cmdOK, &QPushButton::clicked, this, &PropertiesPanel::cmdOK_Click);
    connect(chkTicker, &QCheckBox::clicked, this, &PropertiesPanel::chkTicker_Click);
    // A load numbers the rows afresh: the shown index may now name another entry.
    connect(&state.siteTree, &SiteTree::treeReset, this, [this] {
        intCurrentIndex = -1;
        showTickerChoice();
    });
    // rules.txt changed on disk (or in the rules dialog): the box shows it at once.
    state.rulesStore().addChangedHandler(this, [this] { showTickerChoice(); });
}

PropertiesPanel::~PropertiesPanel() {
    state.rulesStore().removeChangedHandlers(this);
}

void PropertiesPanel::buildWidgets() {
    const auto label = [this](const char* name, const QString& caption) {
        auto* l = new QLabel(caption, this);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    const auto lineEdit = [this](const char* name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        return e;
    };

    lblTitle = label("lblTitle", tr("タイトル"));
    txtTitle = lineEdit("txtTitle");
    lblHomepage = label("lblHomepage", tr("ホームページ"));
    txtHomepage = lineEdit("txtHomepage");
    lblRDFPath = label("lblRDFPath", tr("RSSファイルパス"));
    txtRDFPath = lineEdit("txtRDFPath");
    txtComment = new QPlainTextEdit(this);
    txtComment->setObjectName(QStringLiteral("txtComment"));
    txtComment->setReadOnly(true);
    cmdOK = new QPushButton(tr("適用"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    // Nothing is shown yet, so there is nothing to apply.
    cmdOK->setEnabled(false);
    // Left of the apply button, in a holder that ends before it: a caption too wide for the
    // room left there is set smaller rather than run under the button.
    auto* tickerRoom = new QWidget(this);
    chkTicker = new QCheckBox(tr("ティッカーに表示する"), tickerRoom);
    chkTicker->setObjectName(QStringLiteral("chkTicker"));
    chkTicker->setToolTip(tr(kTickerTip));
    chkTicker->setChecked(true);
    chkTicker->setEnabled(false);

    // (left, top, width, height) in the main window's twips, from the panel's corner.
    const auto place = [](QWidget* widget, int left, int top, int width, int height) {
        placeTwips(widget, left - kLeftTwips, top, width, height);
    };
    place(lblTitle, 3840, 45, 525, 180);
    place(txtTitle, 3840, 240, 3135, 270);
    place(lblHomepage, 3840, 525, 900, 180);
    place(txtHomepage, 3840, 720, 3135, 270);
    place(lblRDFPath, 3840, 1005, 1125, 180);
    place(txtRDFPath, 3840, 1200, 3135, 270);
    place(txtComment, 3840, 1560, 3135, 1770);
    place(cmdOK, 5880, 3480, 1095, 375);
    place(tickerRoom, 3840, 3480, 1965, 375);
    placeTextTwips(chkTicker, 0, 60, 1905, 255);
    // The captions' widths were made for a narrower font: a label grows to the right, where
    // nothing lies beside it, rather than cut its caption off.
    for (QLabel* l : {lblTitle, lblHomepage, lblRDFPath}) {
        l->resize(qMax(l->width(), l->sizeHint().width()), l->height());
    }

    // Tab order as the panel reads, top to bottom.
    setTabOrder(txtTitle, txtHomepage);
    setTabOrder(txtHomepage, txtRDFPath);
    setTabOrder(txtRDFPath, txtComment);
    setTabOrder(txtComment, chkTicker);
    setTabOrder(chkTicker, cmdOK);

    // A screen reader names each box by its caption.
    lblTitle->setBuddy(txtTitle);
    lblHomepage->setBuddy(txtHomepage);
    lblRDFPath->setBuddy(txtRDFPath);
    txtComment->setAccessibleName(tr("サイトの情報"));
}

void PropertiesPanel::setAccountTrees(AccountTrees* trees) {
    accountTrees = trees;
    if (trees) {
        connect(trees, &AccountTrees::tickerChoicesChanged, this, [this](int account) {
            if (account == shownAccount) {
                showAccountTickerChoice();
            }
        });
    }
}

void PropertiesPanel::setBoxesReadOnly(bool readOnly) {
    const QString tip = readOnly ? SiteTreeEditor::serverKeepsText() : QString();
    for (QLineEdit* box : {txtTitle, txtHomepage, txtRDFPath}) {
        box->setReadOnly(readOnly);
        box->setToolTip(tip);
    }
}

void PropertiesPanel::showAccountEntry(const SiteTree::Node* node) {
    using Kind = AccountTrees::Entry::Kind;
    const AccountTrees::Entry* entry = accountTrees ? accountTrees->entryOf(node) : nullptr;
    intCurrentIndex = -1;
    cmdOK->setEnabled(false);
    setBoxesReadOnly(true);
    const bool isFeed = entry && entry->kind == Kind::Feed;
    txtTitle->setText(entry ? entry->title : node->text);
    txtHomepage->clear();
    txtRDFPath->setText(isFeed ? entry->feedUrl : QString());
    for (QLineEdit* box : {txtTitle, txtHomepage, txtRDFPath}) {
        box->setCursorPosition(0);
    }
    setUrlBoxApplies(txtHomepage, false);
    setUrlBoxApplies(txtRDFPath, isFeed);
    txtRDFPath->setReadOnly(true);
    QString info;
    if (entry && entry->kind == Kind::Account) {
        info = tr("サーバーのアカウントです。フォルダとフィードはサーバーが管理しています。");
    } else {
        info = tr("サーバーが管理している項目です。変更はサーバーで行ってください。");
    }
    if (entry) {
        info += QStringLiteral("\r\n") + tr("未読 %1 件").arg(entry->unread);
    }
    setCommentText(info);
    shownAccount = isFeed ? entry->account : 0;
    shownFeedId = isFeed ? entry->id : QString();
    showTickerChoice();
}

void PropertiesPanel::showAccountTickerChoice() {
    AccountsService* service = accountTrees ? accountTrees->service() : nullptr;
    const std::optional<bool> inTicker =
        service ? service->feedInTicker(shownAccount, shownFeedId) : std::nullopt;
    chkTicker->setChecked(inTicker.value_or(true));
    chkTicker->setEnabled(inTicker.has_value());
    chkTicker->setToolTip(tr(kAccountTickerTip));
}

void PropertiesPanel::setAccountFeedInTicker() {
    AccountsService* service = accountTrees ? accountTrees->service() : nullptr;
    if (!service || !service->feedInTicker(shownAccount, shownFeedId).has_value()) {
        showAccountTickerChoice();
        return;
    }
    service->setFeedInTicker(
        shownAccount, shownFeedId, chkTicker->isChecked(),
        [self = QPointer<PropertiesPanel>(this)](const QString& error) {
            if (self && !error.isEmpty()) {
                // The choice holds for this run; the next one written carries it.
                self->state.seams.messageBox.show(
                    tr("ティッカーに表示するかどうかを保存できません: %1").arg(error),
                    self->state.exeBaseName(), MsgButtons::Ok, MsgIcon::Warning);
            }
        });
}

void PropertiesPanel::clearPanel() {
    intCurrentIndex = -1;
    shownAccount = 0;
    shownFeedId.clear();
    setBoxesReadOnly(false);
    txtTitle->clear();
    txtHomepage->clear();
    txtRDFPath->clear();
    setCommentText(QString());
    cmdOK->setEnabled(false);
    showTickerChoice();
}

void PropertiesPanel::setCommentText(const QString& text) {
    strComment = text;
    // The box breaks lines at LF; CR LF and a lone CR each make one line break.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    txtComment->setPlainText(shown);
}

void PropertiesPanel::trvOPML_NodeClick() {
    // Whatever the panel still waited for belongs to the entry it showed before.
    state.feeds().cancelAll(this);
    txtComment->setPlaceholderText(QString());
    if (state.siteTree.nodeCount() < 1) {
        clearPanel();
        return;
    }
    shownAccount = 0;
    shownFeedId.clear();
    const SiteTree::Node* node = trvOPML.selectedNode();
    if (AccountTrees::isAccountNode(node)) {
        showAccountEntry(node);
        return;
    }
    const int index = node ? indexOfKey(node->key) : -1;
    setBoxesReadOnly(false);
    if (!state.SiteTable.isValidIndex(index)) {
        // Nothing selected (or a node naming no row): nothing to show.
        clearPanel();
        return;
    }
    const SiteRow& row = state.SiteTable[index];
    txtTitle->setText(row.strTitle);
    txtHomepage->setText(row.strHtmlUrl);
    txtRDFPath->setText(row.strXmlUrl);
    // A text longer than its box shows its beginning, not its end.
    for (QLineEdit* box : {txtTitle, txtHomepage, txtRDFPath}) {
        box->setCursorPosition(0);
    }
    const bool isFolder = row.intKind == kKindFolder;
    setUrlBoxApplies(txtHomepage, !isFolder);
    setUrlBoxApplies(txtRDFPath, !isFolder);

    setCommentText(QString());
    intCurrentIndex = qint16(index);
    cmdOK->setEnabled(true);
    showTickerChoice();

    // A folder has no homepage, so it is never fetched; nor is a site without one.
    if (!txtHomepage->text().isEmpty()) {
        fetchChannelInfo(true);
    }
}

void PropertiesPanel::setUrlBoxApplies(QLineEdit* box, bool applies) {
    box->setEnabled(applies);
    const QPalette reference = QApplication::palette();
    const QColor background = applies ? reference.color(QPalette::Active, QPalette::Base)
                                      : reference.color(QPalette::Active, QPalette::Button);
    QPalette palette = box->palette();
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, background);
    }
    box->setPalette(palette);
}

void PropertiesPanel::fetchChannelInfo(bool discover) {
    // The box stays empty while the feed loads; its placeholder says that it does.
    state.feeds().cancelAll(this);
    txtComment->setPlaceholderText(tr(kChannelLoading));
    const qint16 index = intCurrentIndex;
    state.feeds().fetch({txtRDFPath->text(), FetchLane::User, discover}, this,
                        [this, index](const FeedFetchResult& result) {
                            txtComment->setPlaceholderText(QString());
                            // Stopped by others (the exit): nothing to show.
                            if (index != intCurrentIndex || result.cancelled) {
                                return;
                            }
                            showChannelInfo(result);
                        });
}

void PropertiesPanel::showChannelInfo(const FeedFetchResult& result) {
    // A site's page in the feed box: the feed it names takes its place in the box (適用
    // stores it) and is shown.
    if (result.fetched && result.feed.kind != FeedReadResult::Kind::Feed &&
        !result.discovered.isEmpty()) {
        txtRDFPath->setText(result.discovered.first());
        txtRDFPath->setCursorPosition(0);
        fetchChannelInfo(false);
        return;
    }
    const QString reason = noFeedReason(result);
    // Unreachable and not well-formed alike: the load failed; the second line says why.
    if (!result.fetched || result.feed.kind == FeedReadResult::Kind::Malformed) {
        setCommentText(tr("情報の取得に失敗しました") +
                       (reason.isEmpty() ? QString() : QStringLiteral("\r\n") + reason));
        return;
    }
    if (result.feed.kind != FeedReadResult::Kind::Feed) {
        setCommentText(reason);
        return;
    }
    const FeedChannel& channel = result.feed.channel;
    setCommentText(tr("【%1】\r\n%2\r\n%3").arg(channel.title, channel.link, channel.description));
}

void PropertiesPanel::cmdOK_Click() {
    if (intCurrentIndex < 0 || !state.SiteTable.isValidIndex(intCurrentIndex)) {
        return;
    }
    SiteRow& row = state.SiteTable[intCurrentIndex];
    if (isBlankTitle(txtTitle->text())) {
        txtTitle->setText(row.strTitle);
        host.showStatus(tr("タイトルが空なので、元のタイトルのままにしました。"));
    } else {
        row.strTitle = txtTitle->text();
    }
    // A folder's URLs are never written from the panel.
    if (row.intKind == kKindSite) {
        row.strHtmlUrl = txtHomepage->text();
        row.strXmlUrl = txtRDFPath->text();
    }
    const QString key = keyOfIndex(intCurrentIndex);
    SiteTree::Node* node = trvOPML.selectedNode();
    if (!node || node->key != key) {
        node = state.siteTree.find(key);
    }
    state.siteTree.setText(node, row.strTitle);
    saveWorkingList(state);
}

void PropertiesPanel::trvOPML_AfterLabelEdit(const QString& newLabel) {
    renameEntry(trvOPML.selectedNode(), newLabel);
}

void PropertiesPanel::renameEntry(SiteTree::Node* node, const QString& newLabel) {
    const int index = node ? indexOfKey(node->key) : -1;
    if (!state.SiteTable.isValidIndex(index) || isBlankTitle(newLabel)) {
        return;  // a blank label cancels the edit: the old title stays
    }
    state.SiteTable[index].strTitle = newLabel;
    if (index == intCurrentIndex) {
        txtTitle->setText(newLabel);
    }
    state.siteTree.setText(node, newLabel);
    saveWorkingList(state);
}

QString PropertiesPanel::shownFeedUrl() const {
    if (!state.SiteTable.isValidIndex(intCurrentIndex)) {
        return {};
    }
    const SiteRow& row = state.SiteTable[intCurrentIndex];
    return row.intKind == kKindSite ? row.strXmlUrl : QString();
}

void PropertiesPanel::showTickerChoice() {
    if (shownAccount != 0) {
        showAccountTickerChoice();
        return;
    }
    const QString url = shownFeedUrl();
    const RulesStore& store = state.rulesStore();
    bool muted = false;
    if (!url.isEmpty()) {
        for (const DisplayRule& rule : store.current()->rules()) {
            muted = muted ||
                    (rule.action == RuleAction::Mute && rule.matchesAll() && rule.feedUrl == url);
        }
    }
    chkTicker->setChecked(!muted);
    chkTicker->setEnabled(!url.isEmpty() && store.readFailure().isEmpty());
    chkTicker->setToolTip(store.readFailure().isEmpty() ? tr(kTickerTip) : store.readFailure());
}

void PropertiesPanel::chkTicker_Click() {
    if (shownAccount != 0) {
        setAccountFeedInTicker();
        return;
    }
    const QString url = shownFeedUrl();
    RulesDocument document = state.rulesStore().document();
    if (url.isEmpty()) {
        return;
    }
    const auto finish = [this](RulesSave saved) {
        QString why;
        switch (saved) {
            case RulesSave::Saved:
                break;
            case RulesSave::ChangedOnDisk:
                why = rulesChangedOnDiskText();
                break;
            case RulesSave::TooLarge:
                why = rulesTooLargeText();
                break;
            case RulesSave::Failed:
                why = rulesSaveFailedText(state.rulesStore().path());
                break;
        }
        if (!why.isEmpty()) {
            state.seams.messageBox.show(why, state.exeBaseName(), MsgButtons::Ok, MsgIcon::Warning);
        }
        showTickerChoice();
    };
    if (!document.setSiteMuted(url, !chkTicker->isChecked())) {
        finish(RulesSave::Failed);
        return;
    }
    // Greyed until the save has come back: a second click would be made on the old rules.
    chkTicker->setEnabled(false);
    state.rulesStore().save(std::move(document),
                            [self = QPointer<PropertiesPanel>(this), finish](RulesSave saved) {
                                if (self) {
                                    finish(saved);
                                }
                            });
}

void PropertiesPanel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        showTickerChoice();
    }
}
