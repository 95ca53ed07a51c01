// The properties panel of SiteListPane: fill, information-box fetch, apply, rename in place.

#include <QApplication>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>

#include "core/appstate.h"
#include "core/feedservice.h"
#include "sitepane/sitelisthost.h"
#include "sitepane/sitelistpane.h"
#include "sitepane/sitetreeview.h"

namespace {

const QString kChannelLoading = QStringLiteral(u"情報を取得しています...");

// A title of nothing but white space (the ideographic space too) is no title: taking it would
// leave an entry the user can no longer tell apart.
bool isBlankTitle(const QString& title) {
    return title.trimmed().isEmpty();
}

}  // namespace

void SiteListPane::trvOPML_NodeClick() {
    // Whatever the panel still waited for belongs to the entry it showed before.
    state.feeds().cancelAll(this);
    txtComment->setPlaceholderText(QString());
    if (state.siteTree.nodeCount() < 1) {
        clearPanel();
        return;
    }
    const SiteTree::Node* node = selectedNode();
    const int index = node ? indexOfKey(node->key) : -1;
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

    // A folder has no homepage, so it is never fetched; nor is a site without one.
    if (!txtHomepage->text().isEmpty()) {
        fetchChannelInfo(true);
    }
}

void SiteListPane::setUrlBoxApplies(QLineEdit* box, bool applies) {
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

void SiteListPane::fetchChannelInfo(bool discover) {
    // The box stays empty while the feed loads; its placeholder says that it does.
    state.feeds().cancelAll(this);
    txtComment->setPlaceholderText(kChannelLoading);
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

void SiteListPane::showChannelInfo(const FeedFetchResult& result) {
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
        setCommentText(QStringLiteral("情報の取得に失敗しました") +
                       (reason.isEmpty() ? QString() : QStringLiteral("\r\n") + reason));
        return;
    }
    if (result.feed.kind != FeedReadResult::Kind::Feed) {
        setCommentText(reason);
        return;
    }
    const FeedChannel& channel = result.feed.channel;
    setCommentText(QStringLiteral("【") + channel.title + QStringLiteral("】\r\n") + channel.link +
                   QStringLiteral("\r\n") + channel.description);
}

void SiteListPane::cmdOK_Click() {
    if (intCurrentIndex < 0 || !state.SiteTable.isValidIndex(intCurrentIndex)) {
        return;
    }
    SiteRow& row = state.SiteTable[intCurrentIndex];
    if (isBlankTitle(txtTitle->text())) {
        txtTitle->setText(row.strTitle);
        host.showStatus(QStringLiteral("タイトルが空なので、元のタイトルのままにしました。"));
    } else {
        row.strTitle = txtTitle->text();
    }
    // A folder's URLs are never written from the panel.
    if (row.intKind == kKindSite) {
        row.strHtmlUrl = txtHomepage->text();
        row.strXmlUrl = txtRDFPath->text();
    }
    const QString key = keyOfIndex(intCurrentIndex);
    SiteTree::Node* node = selectedNode();
    if (!node || node->key != key) {
        node = state.siteTree.find(key);
    }
    state.siteTree.setText(node, row.strTitle);
}

void SiteListPane::trvOPML_AfterLabelEdit(const QString& newLabel) {
    renameEntry(selectedNode(), newLabel);
}

void SiteListPane::renameEntry(SiteTree::Node* node, const QString& newLabel) {
    const int index = node ? indexOfKey(node->key) : -1;
    if (!state.SiteTable.isValidIndex(index) || isBlankTitle(newLabel)) {
        return;  // a blank label cancels the edit: the old title stays
    }
    state.SiteTable[index].strTitle = newLabel;
    if (index == intCurrentIndex) {
        txtTitle->setText(newLabel);
    }
    state.siteTree.setText(node, newLabel);
}
