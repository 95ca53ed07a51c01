// The properties panel of SiteListPane: fill, information-box fetch, apply, rename in place.

#include <QApplication>
#include <QDomNode>
#include <QDomNodeList>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

#include "core/appstate.h"
#include "platform/xmldocument.h"
#include "sitelist/sitelisthost.h"
#include "sitelist/sitelistpane.h"
#include "sitelist/sitetreeview.h"

namespace {

// Feeds indent their elements' text with line breaks: space, tab, CR and LF go from both
// ends. U+3000 stays; Japanese titles use it on purpose.
QString trimFeedText(const QString& text) {
    const auto blank = [](QChar c) {
        return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') ||
               c == QLatin1Char('\n');
    };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && blank(text.at(begin))) {
        ++begin;
    }
    while (end > begin && blank(text.at(end - 1))) {
        --end;
    }
    return text.mid(begin, end - begin);
}

QString lowerBaseName(const QDomNode& node) {
    return XmlDocument::baseName(node).toLower();
}

// A title of nothing but white space (the ideographic space too) is no title: taking it would
// leave an entry the user can no longer tell apart.
bool isBlankTitle(const QString& title) {
    return title.trimmed().isEmpty();
}

}  // namespace

void SiteListPane::trvOPML_NodeClick() {
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
        fetchChannelInfo();
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

void SiteListPane::fetchChannelInfo() {
    // The load blocks this thread until the feed has come or failed (the fetch layer's
    // timeouts bound it); the wait cursor says so.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    XmlDocument document(state.fetchOptions);
    const bool loaded = document.load(txtRDFPath->text());
    QApplication::restoreOverrideCursor();
    if (!loaded) {
        setCommentText(QStringLiteral("情報の取得に失敗しました"));
        return;
    }

    QDomNode root;
    const QDomNodeList top = document.childNodes();
    for (int i = 0; i < top.length(); ++i) {
        const QDomNode node = top.item(i);
        const QString name = lowerBaseName(node);
        if (node.isElement() && (name == QLatin1String("rdf") || name == QLatin1String("rss"))) {
            root = node;
            break;
        }
    }
    if (root.isNull()) {
        return;  // not RSS (Atom, HTML, ...): the box stays empty
    }

    QString title;
    QString link;
    QString description;
    const QDomNodeList rootChildren = root.childNodes();
    for (int c = 0; c < rootChildren.length(); ++c) {
        const QDomNode channel = rootChildren.item(c);
        if (lowerBaseName(channel) != QLatin1String("channel")) {
            continue;
        }
        // A later channel's values overwrite an earlier one's.
        const QDomNodeList fields = channel.childNodes();
        for (int f = 0; f < fields.length(); ++f) {
            const QDomNode field = fields.item(f);
            const QString name = lowerBaseName(field);
            if (name == QLatin1String("title")) {
                title = trimFeedText(XmlDocument::text(field));
            } else if (name == QLatin1String("link")) {
                link = trimFeedText(XmlDocument::text(field));
            } else if (name == QLatin1String("description")) {
                description = trimFeedText(XmlDocument::text(field));
            }
        }
    }
    setCommentText(QStringLiteral("【") + title + QStringLiteral("】\r\n") + link +
                   QStringLiteral("\r\n") + description);
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
