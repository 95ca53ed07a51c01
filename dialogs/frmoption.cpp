#include "dialogs/frmoption.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "core/appstate.h"
#include "core/version.h"
#include "ui/dialoghost.h"
#include "ui/twipslayout.h"
#include "ui/uifont.h"
#include "settings/optionrules.h"
#include "ui/updown.h"
#include "platform/desktop/screeninfo.h"

namespace {

constexpr char kIntervalTip[] =
    QT_TRANSLATE_NOOP("frmOption", "各サイトからRDFファイルを取得する間隔です。");
constexpr char kNewsLimitTip[] =
    QT_TRANSLATE_NOOP("frmOption", "指定した時間より前に書かれた古い記事は表示しません。");

// Selects at most one of two option buttons; with neither (a value the dialog does not
// offer) both are cleared, which an exclusive pair does not allow by itself.
void selectOption(QRadioButton* first, bool firstOn, QRadioButton* second, bool secondOn) {
    first->setAutoExclusive(false);
    second->setAutoExclusive(false);
    first->setChecked(firstOn);
    second->setChecked(secondOn);
    first->setAutoExclusive(true);
    second->setAutoExclusive(true);
}

}  // namespace

frmOption::frmOption(AppState& appState, DialogHost& dialogHost, QWidget* parent)
    : QDialog(parent), state(appState), host(dialogHost) {
    setObjectName(QStringLiteral("frmOption"));
    setWindowTitle(tr("%1 オプション").arg(QLatin1String(kApplicationTitle)));
    setWindowIcon(QIcon(QStringLiteral(":/icons/app-16.png")));
    setModal(false);
    setFont(uiFont());
    setClientSizeTwips(this, kClientWidthTwips, kClientHeightTwips);
    buildWidgets();
}

void frmOption::buildWidgets() {
    const auto frame = [this](const char* name, const QString& caption, int top, int height) {
        auto* box = new QGroupBox(caption, this);
        box->setObjectName(QLatin1String(name));
        placeTwips(box, 120, top, 5400, height);
        return box;
    };
    // Children are placed in twips relative to their frame.
    const auto label = [](const char* name, const QString& caption, const QString& tip,
                          QWidget* parent, int left, int top, int width) {
        auto* l = new QLabel(caption, parent);
        l->setObjectName(QLatin1String(name));
        l->setToolTip(tip);
        placeTextTwips(l, left, top, width, 180);
        return l;
    };
    const auto numberBox = [](const char* name, const QString& tip, QWidget* parent, int left,
                              int top) {
        auto* box = new QLineEdit(parent);
        box->setObjectName(QLatin1String(name));
        box->setToolTip(tip);
        // Plain digits; no conversion of Japanese input.
        box->setInputMethodHints(Qt::ImhDigitsOnly | Qt::ImhPreferNumbers);
        box->setAttribute(Qt::WA_InputMethodEnabled, false);
        placeTextTwips(box, left, top, 495, 270);
        return box;
    };
    const auto spinner = [](const char* name, QLineEdit* box, int minimum, int maximum,
                            const QString& tip, QWidget* parent) {
        auto* updown = new UpDown(box, minimum, maximum, 1, parent);
        updown->setObjectName(QLatin1String(name));
        updown->setToolTip(tip);
        updown->setGeometry(box->geometry().right() + 1, box->y(), twipsToPixels(240),
                            box->height());
        return updown;
    };
    const auto option = [](const char* name, const QString& caption, const QString& tip,
                           QWidget* parent, int left, int top, int width) {
        auto* b = new QRadioButton(caption, parent);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(tip);
        placeTextTwips(b, left, top, width, 255);
        return b;
    };
    const auto check = [](const char* name, const QString& caption, const QString& tip,
                          QWidget* parent, int left, int top, int width) {
        auto* b = new QCheckBox(caption, parent);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(tip);
        placeTextTwips(b, left, top, width, 255);
        return b;
    };

    frmAutoPilot = frame("frmAutoPilot", tr("RDF巡回設定"), 120, 1095);
    lblAutoPirotInterval = label("lblAutoPirotInterval", tr("巡回間隔"), tr(kIntervalTip),
                                 frmAutoPilot, 240, 345, 720);
    txtAutoPirotInterval =
        numberBox("txtAutoPirotInterval", tr(kIntervalTip), frmAutoPilot, 1080, 300);
    updownAutoPirotInterval =
        spinner("updownAutoPirotInterval", txtAutoPirotInterval, kAutoPirotIntervalRange.minimum,
                kAutoPirotIntervalRange.maximum, tr(kIntervalTip), frmAutoPilot);
    lblAutoPirotInterval2 =
        label("lblAutoPirotInterval2", tr("分"), tr(kIntervalTip), frmAutoPilot, 1875, 345, 240);
    optPirotSimple =
        option("optPirotSimple", tr("一サイトずつ（推奨）"),
               tr("指定した間隔ごとに一つずつサイトを巡回します。"), frmAutoPilot, 240, 720, 2520);
    optPirotAllSite =
        option("optPirotAllSite", tr("全サイトまとめて"),
               tr("指定した間隔ごとに全サイトを巡回します。"), frmAutoPilot, 2880, 720, 2280);

    frmNewsSelect = frame("frmNewsSelect", tr("ティッカーに表示する記事"), 1320, 1335);
    chkCheckedNewsHide =
        check("chkCheckedNewsHide", tr("一度ティッカーに表示した記事は表示しない"),
              tr("ティッカーに表示したことがある記事は、次の巡回で表示しないようにします。"),
              frmNewsSelect, 240, 300, 4980);
    chkOldNewsHide =
        check("chkOldNewsHide", tr("古い記事は表示しない"),
              tr("ティッカーに表示したことが無くても、ある程度古い記事は表示しないように"
                 "することができます。"),
              frmNewsSelect, 240, 600, 4980);
    lblNews = label("lblNews", QStringLiteral("└"), QString(), frmNewsSelect, 360, 930, 240);
    txtNewsLimit = numberBox("txtNewsLimit", tr(kNewsLimitTip), frmNewsSelect, 600, 900);
    updownNewsLimit = spinner("updownNewsLimit", txtNewsLimit, kNewsLimitRange.minimum,
                              kNewsLimitRange.maximum, tr(kNewsLimitTip), frmNewsSelect);
    lblNewsLimit = label("lblNewsLimit", tr("時間より前の記事は「古い」と判断する"),
                         tr(kNewsLimitTip), frmNewsSelect, 1395, 945, 3840);
    // A screen reader names each box by the caption beside it.
    lblAutoPirotInterval->setBuddy(txtAutoPirotInterval);
    lblNewsLimit->setBuddy(txtNewsLimit);

    fraTickerView = frame("fraTickerView", tr("ティッカーの表示"), 2775, 1095);
    optTickerFullView = option("optTickerFullView", tr("常に表示"),
                               tr("ティッカーウィンドウを常に表示します。記事をすべて表示し終えたら"
                                  "先頭から再び表示します。"),
                               fraTickerView, 240, 330, 1200);
    lblTickerAutoLoad =
        label("lblTickerAutoLoad", tr("・・・・・・"), QString(), fraTickerView, 1440, 367, 1080);
    chkTickerAutoLoad =
        check("chkTickerAutoLoad", tr("起動と同時に表示する"),
              tr("アプリケーションが起動したと同時にティッカーを表示するかどうか設定します。"),
              fraTickerView, 2580, 330, 2580);
    optTickerPickup =
        option("optTickerPickup", tr("ポップアップ表示"),
               tr("巡回によって新しい記事が見つかったとき、ポップアップのようにティッカーを"
                  "一定時間だけ表示します。"),
               fraTickerView, 240, 720, 2400);

    chkSiteIcons = check("chkSiteIcons", tr("サイトのアイコンを表示する"),
                         tr("サイト一覧に各サイトのアイコンを表示します。アイコンは各サイトから"
                            "取得します。"),
                         this, 240, kSiteIconsTopTwips, 5280);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    placeTwips(cmdOK, 5760, 195, 1215, 375);
    cmdCancel = new QPushButton(tr("キャンセル"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    placeTwips(cmdCancel, 5760, 675, 1215, 375);

    connect(chkOldNewsHide, &QCheckBox::toggled, this, &frmOption::chkOldNewsHide_Click);
    connect(optTickerFullView, &QRadioButton::toggled, this, &frmOption::optTickerFullView_Click);
    connect(optTickerPickup, &QRadioButton::toggled, this, &frmOption::optTickerPickup_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmOption::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmOption::cmdCancel_Click);
}

void frmOption::showOrRaise() {
    if (!isVisible()) {
        Form_Load();
    }
    showInFront(this);
}

void frmOption::Form_Load() {
    const Settings& settings = state.settings;
    windowTopLeft = host.mainWindowTopLeftTwips() + QPoint(kDialogOffsetTwips, kDialogOffsetTwips);
    moveWindowTwips(this, windowTopLeft);

    const bool alwaysShown = settings.TICKER_MODE == TickerMode::AlwaysShown;
    selectOption(optTickerFullView, alwaysShown, optTickerPickup, !alwaysShown);
    chkTickerAutoLoad->setEnabled(alwaysShown);
    chkTickerAutoLoad->setChecked(settings.AUTO_LOAD_FLG);
    chkCheckedNewsHide->setChecked(settings.CHECKED_HIDE_FLG);
    chkOldNewsHide->setChecked(settings.OLD_HIDE_FLG);
    chkSiteIcons->setChecked(settings.SITE_ICONS);
    txtNewsLimit->setText(QString::number(settings.LIMIT_HOURES));
    updownNewsLimit->setValue(settings.LIMIT_HOURES);
    txtAutoPirotInterval->setText(QString::number(settings.AUTO_PIROT_MINITS));
    updownAutoPirotInterval->setValue(settings.AUTO_PIROT_MINITS);
    // The mode never offered (a hand-edited 1) selects neither; OK then stores all sites.
    selectOption(optPirotSimple, settings.AUTO_PIROT_MODE == PatrolMode::OneSite, optPirotAllSite,
                 settings.AUTO_PIROT_MODE == PatrolMode::AllSites);

    // Filling the boxes counts as clicking them: the enabling rules hold from the start.
    chkOldNewsHide_Click();
    cmdOK->setFocus();
}

void frmOption::chkOldNewsHide_Click() {
    const bool on = chkOldNewsHide->isChecked();
    txtNewsLimit->setEnabled(on);
    updownNewsLimit->setEnabled(on);
}

void frmOption::optTickerFullView_Click() {
    chkTickerAutoLoad->setEnabled(optTickerFullView->isChecked());
}

void frmOption::optTickerPickup_Click() {
    chkTickerAutoLoad->setEnabled(optTickerFullView->isChecked());
}

void frmOption::cmdOK_Click() {
    Settings& settings = state.settings;
    const int hours = cleanSpinnerNumber(txtNewsLimit->text(), settings.LIMIT_HOURES,
                                         updownNewsLimit->minimum(), updownNewsLimit->maximum());
    txtNewsLimit->setText(QString::number(hours));
    const int minutes =
        cleanSpinnerNumber(txtAutoPirotInterval->text(), settings.AUTO_PIROT_MINITS,
                           updownAutoPirotInterval->minimum(), updownAutoPirotInterval->maximum());
    txtAutoPirotInterval->setText(QString::number(minutes));

    settings.TICKER_MODE =
        optTickerFullView->isChecked() ? TickerMode::AlwaysShown : TickerMode::PopUp;
    settings.AUTO_LOAD_FLG = chkTickerAutoLoad->isChecked() && chkTickerAutoLoad->isEnabled();
    settings.CHECKED_HIDE_FLG = chkCheckedNewsHide->isChecked();
    settings.OLD_HIDE_FLG = chkOldNewsHide->isChecked();
    settings.SITE_ICONS = chkSiteIcons->isChecked();
    settings.LIMIT_HOURES = qint16(hours);
    settings.AUTO_PIROT_MINITS = qint16(minutes);
    settings.AUTO_PIROT_MODE =
        optPirotSimple->isChecked() ? PatrolMode::OneSite : PatrolMode::AllSites;

    host.setRefreshCommandsEnabled(settings.AUTO_PIROT_MODE == PatrolMode::AllSites);
    accept();
}

void frmOption::cmdCancel_Click() {
    reject();
}
