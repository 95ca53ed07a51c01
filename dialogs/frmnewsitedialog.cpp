#include "dialogs/frmnewsitedialog.h"

#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/appstate.h"
#include "platform/desktop/screeninfo.h"
#include "ui/dialoghost.h"
#include "ui/textwrap.h"
#include "ui/twipslayout.h"
#include "ui/uifont.h"
#include "core/feedservice.h"
#include "platform/modal/messagebox.h"

namespace {

const QString kDefaultURL = QStringLiteral("http://");
constexpr char kDefaultName[] = QT_TRANSLATE_NOOP("frmNewSiteDialog", "新しいサイト");
constexpr char kProbeCaption[] = QT_TRANSLATE_NOOP("frmNewSiteDialog", "確認");
constexpr char kRegisterCaption[] = QT_TRANSLATE_NOOP("frmNewSiteDialog", "登録");
constexpr char kCheckingText[] = QT_TRANSLATE_NOOP("frmNewSiteDialog", "確認しています...");
// Between the check's status line and the widgets above and beside it.
constexpr int kStatusGapTwips = 60;

}  // namespace

frmNewSiteDialog::frmNewSiteDialog(AppState& appState, DialogHost& dialogHost, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), state(appState), host(dialogHost) {
    setObjectName(QStringLiteral("frmNewSiteDialog"));
    setWindowTitle(tr("新しいサイトの追加"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/app-16.png")));
    setModal(false);
    setFont(uiFont());
    setClientSizeTwips(this, kClientWidthTwips, kClientHeightTwips);
    buildWidgets();
}

void frmNewSiteDialog::buildWidgets() {
    lblURL = new QLabel(tr("サイトのURL"), this);
    lblURL->setObjectName(QStringLiteral("lblURL"));
    placeTextTwips(lblURL, 120, 165, 1140, 180);
    txtURL = new QLineEdit(kDefaultURL, this);
    txtURL->setObjectName(QStringLiteral("txtURL"));
    placeTextTwips(txtURL, 1320, 120, 3960, 270);

    lblName = new QLabel(tr("名前"), this);
    lblName->setObjectName(QStringLiteral("lblName"));
    placeTextTwips(lblName, 120, 525, 1140, 180);
    txtName = new QLineEdit(tr(kDefaultName), this);
    txtName->setObjectName(QStringLiteral("txtName"));
    placeTextTwips(txtName, 1320, 480, 3960, 270);

    lblURL->setBuddy(txtURL);
    lblName->setBuddy(txtName);

    cmdOK = new QPushButton(tr(kProbeCaption), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    placeTwips(cmdOK, 2760, 960, 1215, 375);
    cmdCancel = new QPushButton(tr("キャンセル"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    placeTwips(cmdCancel, 4065, 960, 1215, 375);

    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setWordWrap(true);
    showStatus(QString());

    connect(cmdOK, &QPushButton::clicked, this, &frmNewSiteDialog::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmNewSiteDialog::cmdCancel_Click);
}

void frmNewSiteDialog::showStatus(const QString& text) {
    lblStatus->setText(text);
    // A screen reader reads the text itself; while there is none, it says what comes here.
    lblStatus->setAccessibleName(text.isEmpty() ? tr("確認の状況") : QString());
    // The room left of the buttons, below the name, from the labels' left edge to 確認. The
    // text takes the lines it needs there (two at most for what the check says), centred on
    // the buttons' middle.
    const int gap = twipsToPixels(kStatusGapTwips);
    const QRect room(QPoint(lblName->x(), txtName->geometry().bottom() + gap),
                     QPoint(cmdOK->x() - gap, height() - 1));
    const int textHeight = qMin(lblStatus->heightForWidth(room.width()), room.height());
    // As narrow as the lines allow, so that a text on two lines breaks near its middle rather
    // than before its last character.
    QRect box(room.left(), 0, balancedWrapWidth(*lblStatus, room.width()), textHeight);
    box.moveCenter(QPoint(box.center().x(), cmdOK->geometry().center().y()));
    box.moveTop(qBound(room.top(), box.top(), room.bottom() + 1 - textHeight));
    lblStatus->setGeometry(box);
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
    txtName->setText(tr(kDefaultName));
    txtName->setReadOnly(true);
    txtName->setEnabled(false);
    lblName->setEnabled(false);
    lblURL->setEnabled(true);
    cmdOK->setText(tr(kProbeCaption));
    txtURL->setFocus();
    txtURL->end(false);
}

void frmNewSiteDialog::cmdOK_Click() {
    // A second click while the feed is being checked would only check it again.
    if (checkRequest != 0) {
        return;
    }
    if (!blnProbed) {
        probeFeed(true);
        return;
    }
    state.NewSiteRow.strTitle = txtName->text();
    state.NewSiteRow.strXmlUrl = txtURL->text();
    host.mnuNewRdf_Click_Ret();
    accept();
}

void frmNewSiteDialog::probeFeed(bool discover) {
    cmdOK->setEnabled(false);
    txtURL->setReadOnly(true);
    showStatus(tr(kCheckingText));
    setCursor(Qt::BusyCursor);
    // The URL exactly as typed: a feed URL or a local path; a site's page names its feed.
    checkRequest = state.feeds().fetch({txtURL->text(), FetchLane::User, discover}, this,
                                       [this](const FeedFetchResult& result) {
                                           checkRequest = 0;
                                           endCheck();
                                           // Stopped by others (the exit): the dialog
                                           // is ready for another check.
                                           if (!result.cancelled) {
                                               probeFinished(result);
                                           }
                                       });
}

void frmNewSiteDialog::endCheck() {
    if (checkRequest != 0) {
        state.feeds().cancel(checkRequest);
        checkRequest = 0;
    }
    cmdOK->setEnabled(true);
    txtURL->setReadOnly(false);
    showStatus(QString());
    unsetCursor();
}

void frmNewSiteDialog::probeFinished(const FeedFetchResult& result) {
    // A site's page rather than its feed: the feed it names goes into the URL box and is
    // read in its place.
    if (result.fetched && result.feed.kind != FeedReadResult::Kind::Feed &&
        !result.discovered.isEmpty()) {
        txtURL->setText(result.discovered.first());
        probeFeed(false);
        return;
    }
    showStatus(noFeedReason(result));
    if (!result.fetched || result.feed.kind == FeedReadResult::Kind::Malformed) {
        state.seams.messageBox.show(tr("ファイルの取得に失敗しました"), state.exeBaseName(),
                                    MsgButtons::Ok, MsgIcon::Warning);
        return;
    }
    // Well-formed but no feed (a page naming none): stay in the first step.
    if (result.feed.kind != FeedReadResult::Kind::Feed) {
        return;
    }
    const FeedChannel& channel = result.feed.channel;
    // A feed without a title leaves the name as it was.
    if (!channel.title.isEmpty()) {
        state.NewSiteRow.strTitle = channel.title;
        txtName->setText(channel.title);
    }
    state.NewSiteRow.strHtmlUrl = channel.link;

    cmdOK->setText(tr(kRegisterCaption));
    lblURL->setEnabled(false);
    txtName->setReadOnly(false);
    txtName->setEnabled(true);
    lblName->setEnabled(true);
    blnProbed = true;
}

void frmNewSiteDialog::cmdCancel_Click() {
    reject();
}

void frmNewSiteDialog::done(int result) {
    endCheck();
    QDialog::done(result);
}
