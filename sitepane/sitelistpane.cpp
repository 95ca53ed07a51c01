#include "sitepane/sitelistpane.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "core/appstate.h"
#include "sitelist/opml.h"
#include "sitepane/sitelisthost.h"
#include "sitepane/sitetreeview.h"
#include "platform/screeninfo.h"
#include "ui/twipslayout.h"
#include "ui/uifont.h"

SiteListPane::SiteListPane(AppState& appState, SiteListHost& siteListHost, QWidget* parent)
    : QWidget(parent), state(appState), host(siteListHost) {
    setObjectName(QStringLiteral("SiteListPane"));
    setFont(uiFont());

    buildWidgets();
    const int width = twipsToPixels(kWidthTwips);
    const int height = twipsToPixels(kHeightTwips);
    setMinimumSize(width, height);
    resize(width, height);

    connect(trvOPML, &SiteTreeView::nodeClicked, this, &SiteListPane::trvOPML_NodeClick);
    connect(trvOPML, &SiteTreeView::labelEdited, this, &SiteListPane::renameEntry);
    connect(trvOPML, &SiteTreeView::editMenuRequested, this,
            [this](const QPoint& globalPos) { host.popupEditMenu(globalPos); });
    connect(cmdOK, &QPushButton::clicked, this, &SiteListPane::cmdOK_Click);
    connect(&state.siteTree, &SiteTree::treeReset, this, &SiteListPane::onTreeReset);
}

void SiteListPane::buildWidgets() {
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

    trvOPML = new SiteTreeView(state.siteTree, this);
    lblTitle = label("lblTitle", QStringLiteral("タイトル"));
    txtTitle = lineEdit("txtTitle");
    lblHomepage = label("lblHomepage", QStringLiteral("ホームページ"));
    txtHomepage = lineEdit("txtHomepage");
    lblRDFPath = label("lblRDFPath", QStringLiteral("RSSファイルパス"));
    txtRDFPath = lineEdit("txtRDFPath");
    txtComment = new QPlainTextEdit(this);
    txtComment->setObjectName(QStringLiteral("txtComment"));
    txtComment->setReadOnly(true);
    cmdOK = new QPushButton(QStringLiteral("適用"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    // Nothing is shown yet, so there is nothing to apply.
    cmdOK->setEnabled(false);

    // (left, top, width, height) in twips.
    placeTwips(trvOPML, 0, 0, 3735, 3855);
    placeTwips(lblTitle, 3840, 45, 525, 180);
    placeTwips(txtTitle, 3840, 240, 3135, 270);
    placeTwips(lblHomepage, 3840, 525, 900, 180);
    placeTwips(txtHomepage, 3840, 720, 3135, 270);
    placeTwips(lblRDFPath, 3840, 1005, 1125, 180);
    placeTwips(txtRDFPath, 3840, 1200, 3135, 270);
    placeTwips(txtComment, 3840, 1560, 3135, 1770);
    placeTwips(cmdOK, 5880, 3480, 1095, 375);
    // The captions' widths were made for a narrower font: a label grows to the right, where
    // nothing lies beside it, rather than cut its caption off.
    for (QLabel* l : {lblTitle, lblHomepage, lblRDFPath}) {
        l->resize(qMax(l->width(), l->sizeHint().width()), l->height());
    }

    // Tab order as the panel reads, top to bottom.
    setTabOrder(trvOPML, txtTitle);
    setTabOrder(txtTitle, txtHomepage);
    setTabOrder(txtHomepage, txtRDFPath);
    setTabOrder(txtRDFPath, txtComment);
    setTabOrder(txtComment, cmdOK);
}

bool SiteListPane::selectFirstNode() {
    SiteTree::Node* first = state.siteTree.nodeAt(1);
    if (!first) {
        return false;
    }
    selectNode(first);
    trvOPML_NodeClick();
    return true;
}

void SiteListPane::clearPanel() {
    intCurrentIndex = -1;
    txtTitle->clear();
    txtHomepage->clear();
    txtRDFPath->clear();
    setCommentText(QString());
    cmdOK->setEnabled(false);
}

SiteTree::Node* SiteListPane::selectedNode() {
    return trvOPML->selectedNode();
}

void SiteListPane::selectNode(SiteTree::Node* node) {
    trvOPML->selectNode(node);
}

void SiteListPane::saveList() {
    // A tree too deeply nested to be read back is not written: the file on disk stays.
    if (std::optional<QByteArray> bytes = opmlBytes(state)) {
        state.siteListSaver.save(state.programFile(QStringLiteral("rsslist.opml")),
                                 std::move(*bytes));
    }
}

void SiteListPane::setCommentText(const QString& text) {
    strComment = text;
    // The box breaks lines at LF; CR LF and a lone CR each make one line break.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    txtComment->setPlainText(shown);
}

void SiteListPane::onTreeReset() {
    // A load numbers the rows afresh: the shown index and the clipboard's key may now name
    // other entries.
    intCurrentIndex = -1;
    if (intClipMode != 0) {
        clipStale = true;
    }
}
