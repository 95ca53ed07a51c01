#include "dialogs/frmnewsitedialog.h"

#include <QApplication>
#include <QDomNode>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/appstate.h"
#include "dialogs/dialoghost.h"
#include "ui/twipslayout.h"
#include "ui/uifont.h"
#include "patrol/feedparser.h"
#include "platform/messagebox.h"
#include "platform/xmldocument.h"

namespace {

const QString kDefaultURL = QStringLiteral("http://");
const QString kDefaultName = QStringLiteral("新しいサイト");
const QString kProbeCaption = QStringLiteral("確認");
const QString kRegisterCaption = QStringLiteral("登録");

QString lowerBaseName(const QDomNode& node) {
    return XmlDocument::baseName(node).toLower();
}

}  // namespace

frmNewSiteDialog::frmNewSiteDialog(AppState& appState, DialogHost& dialogHost, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), state(appState), host(dialogHost) {
    setObjectName(QStringLiteral("frmNewSiteDialog"));
    setWindowTitle(QStringLiteral("新しいサイトの追加"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/app-16.png")));
    setModal(false);
    setFont(uiFont());
    setClientSizeTwips(this, kClientWidthTwips, kClientHeightTwips);
    buildWidgets();
}

void frmNewSiteDialog::buildWidgets() {
    lblURL = new QLabel(QStringLiteral("サイトのURL"), this);
    lblURL->setObjectName(QStringLiteral("lblURL"));
    placeTextTwips(lblURL, 120, 165, 1140, 180);
    txtURL = new QLineEdit(kDefaultURL, this);
    txtURL->setObjectName(QStringLiteral("txtURL"));
    placeTextTwips(txtURL, 1320, 120, 3960, 270);

    lblName = new QLabel(QStringLiteral("名前"), this);
    lblName->setObjectName(QStringLiteral("lblName"));
    placeTextTwips(lblName, 120, 525, 1140, 180);
    txtName = new QLineEdit(kDefaultName, this);
    txtName->setObjectName(QStringLiteral("txtName"));
    placeTextTwips(txtName, 1320, 480, 3960, 270);

    cmdOK = new QPushButton(kProbeCaption, this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    placeTwips(cmdOK, 2760, 960, 1215, 375);
    cmdCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    placeTwips(cmdCancel, 4065, 960, 1215, 375);

    connect(cmdOK, &QPushButton::clicked, this, &frmNewSiteDialog::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmNewSiteDialog::cmdCancel_Click);
}

void frmNewSiteDialog::showOrRaise() {
    if (!isVisible()) {
        Form_Load();
    }
    showInFront(this);
}

void frmNewSiteDialog::Form_Load() {
    windowTopLeft = host.mainWindowTopLeftTwips() + QPoint(kDialogOffsetTwips, kDialogOffsetTwips);
    moveWindowTwips(this, windowTopLeft);
    blnProbed = false;
    state.ClearNewSiteRow();

    // Every opening starts in the first step with the design's texts.
    txtURL->setText(kDefaultURL);
    txtName->setText(kDefaultName);
    txtName->setReadOnly(true);
    txtName->setEnabled(false);
    lblName->setEnabled(false);
    lblURL->setEnabled(true);
    cmdOK->setText(kProbeCaption);
    txtURL->setFocus();
    txtURL->end(false);
}

void frmNewSiteDialog::cmdOK_Click() {
    if (!blnProbed) {
        probeFeed();
        return;
    }
    state.NewSiteRow.strTitle = txtName->text();
    state.NewSiteRow.strXmlUrl = txtURL->text();
    host.mnuNewRdf_Click_Ret();
    accept();
}

bool frmNewSiteDialog::probeFeed() {
    XmlDocument doc(state.fetchOptions);
    // The fetch blocks the one thread (its layer has timeouts); the wait cursor says the
    // dialog is not dead meanwhile.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool loaded = doc.load(txtURL->text());
    QApplication::restoreOverrideCursor();
    if (!loaded) {
        state.seams.messageBox.show(QStringLiteral("ファイルの取得に失敗しました"),
                                    state.exeBaseName(), MsgButtons::Ok, MsgIcon::Warning);
        return false;
    }

    QDomNode root;
    const QDomNodeList top = doc.childNodes();
    for (int i = 0; i < top.length() && root.isNull(); ++i) {
        const QDomNode node = top.item(i);
        const QString name = lowerBaseName(node);
        if (node.isElement() && (name == QLatin1String("rdf") || name == QLatin1String("rss"))) {
            root = node;
        }
    }
    // Well-formed but no RSS (Atom, an XHTML page): stay in the first step, silently.
    if (root.isNull()) {
        return false;
    }

    for (QDomNode channel = root.firstChild(); !channel.isNull(); channel = channel.nextSibling()) {
        if (lowerBaseName(channel) != QLatin1String("channel")) {
            continue;
        }
        // Only the channel's own children count: an item's title is no site title.
        for (QDomNode child = channel.firstChild(); !child.isNull(); child = child.nextSibling()) {
            const QString name = lowerBaseName(child);
            if (name == QLatin1String("title")) {
                state.NewSiteRow.strTitle = trimFeedText(XmlDocument::text(child));
                txtName->setText(state.NewSiteRow.strTitle);
            } else if (name == QLatin1String("link")) {
                state.NewSiteRow.strHtmlUrl = trimFeedText(XmlDocument::text(child));
            }
        }
    }

    cmdOK->setText(kRegisterCaption);
    lblURL->setEnabled(false);
    txtName->setReadOnly(false);
    txtName->setEnabled(true);
    lblName->setEnabled(true);
    blnProbed = true;
    return true;
}

void frmNewSiteDialog::cmdCancel_Click() {
    reject();
}
