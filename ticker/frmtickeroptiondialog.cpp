#include "ticker/frmtickeroptiondialog.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/appstate.h"
#include "core/version.h"
#include "ui/dialoghost.h"
#include "ui/fittedlabel.h"
#include "ui/twipslayout.h"
#include "ui/uifont.h"
#include "ui/updown.h"
#include "platform/qtcolorpicker.h"
#include "platform/screeninfo.h"
#include "ticker/frmticker.h"
#include "ticker/tickercolors.h"
#include "settings/tickeroptionrules.h"

namespace {

const QString kTranspTip = QStringLiteral("ティッカーウィンドウの透過率を設定します");
const QString kIntervalTip = QStringLiteral("記事の更新間隔を指定します");
const QString kMarginTip =
    QStringLiteral("ポップアップ表示のとき、ティッカーのスライドイン位置を指定します");

// A number box: at most maxLength characters, digits typed without the input method.
QLineEdit* numberBox(const char* name, int maxLength, const QString& toolTip, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setMaxLength(maxLength);
    box->setToolTip(toolTip);
    box->setInputMethodHints(Qt::ImhDigitsOnly | Qt::ImhPreferNumbers);
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
    return box;
}

}  // namespace

frmTickerOptionDialog::frmTickerOptionDialog(AppState& appState, frmTicker& tickerWindow,
                                             DialogHost& dialogHost, QWidget* parent)
    : QDialog(parent),
      state(appState),
      ticker(tickerWindow),
      host(dialogHost),
      ownPicker(std::make_unique<QtColorPicker>()),
      CommonDialog(*ownPicker) {
    buildWidgets();
}

frmTickerOptionDialog::frmTickerOptionDialog(AppState& appState, frmTicker& tickerWindow,
                                             DialogHost& dialogHost, ColorPicker& picker,
                                             QWidget* parent)
    : QDialog(parent),
      state(appState),
      ticker(tickerWindow),
      host(dialogHost),
      CommonDialog(picker) {
    buildWidgets();
}

frmTickerOptionDialog::~frmTickerOptionDialog() = default;

void frmTickerOptionDialog::buildWidgets() {
    setObjectName(QStringLiteral("frmTickerOptionDialog"));
    setWindowTitle(QLatin1String(kApplicationTitle) +
                   QStringLiteral(" ニュースティッカーの表示設定"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/app-16.png")));
    setModal(false);
    setFont(uiFont());
    setClientSizeTwips(this, kClientWidthTwips, kClientHeightTwips);

    fraView = new QGroupBox(QStringLiteral("表示設定"), this);
    fraView->setObjectName(QStringLiteral("fraView"));
    placeTwips(fraView, 120, 120, 4455, 3015);

    // Widgets inside the frame are placed relative to it.
    const auto label = [this](const char* name, const QString& caption, const QString& tip,
                              int left, int top, int width, int height) {
        auto* l = new QLabel(caption, fraView);
        l->setObjectName(QLatin1String(name));
        l->setToolTip(tip);
        placeTextTwips(l, left, top, width, height);
        return l;
    };
    const auto spinner = [this](const char* name, QLineEdit* box, int minimum, int maximum,
                                int step, const QString& tip) {
        auto* updown = new UpDown(box, minimum, maximum, step, fraView);
        updown->setObjectName(QLatin1String(name));
        updown->setToolTip(tip);
        // Attached to the right edge of its box, as high as the box.
        updown->setGeometry(box->geometry().right() + 1, box->y(), twipsToPixels(240),
                            box->height());
        return updown;
    };

    lblTransp =
        label("lblTransp", QStringLiteral("ウィンドウを透過する"), kTranspTip, 120, 285, 1425, 180);
    txtTransp = numberBox("txtTransp", 3, kTranspTip, fraView);
    placeNumberBoxTwips(txtTransp, 3120, 240, 495, 270);
    updownTransp = spinner("updownTransp", txtTransp, kOpacityRange.minimum, kOpacityRange.maximum,
                           kOpacityRange.step, kTranspTip);
    lblTransp2 = label("lblTransp2", QStringLiteral("％"), kTranspTip, 3880, 280, 180, 180);
    lblTransp3 = label("lblTransp3", QStringLiteral("（100％で不透過になります）"), kTranspTip, 120,
                       480, 2010, 180);
    QPalette grey = lblTransp3->palette();
    grey.setColor(QPalette::WindowText, QColor(128, 128, 128));
    lblTransp3->setPalette(grey);

    lblNewsInterval =
        label("lblNewsInterval", QStringLiteral("記事表示間隔"), kIntervalTip, 120, 760, 1080, 180);
    txtNewsInterval = numberBox("txtNewsInterval", 2, kIntervalTip, fraView);
    placeNumberBoxTwips(txtNewsInterval, 3120, 720, 495, 270);
    updownNewsInterval = spinner("updownNewsInterval", txtNewsInterval, kIntervalRange.minimum,
                                 kIntervalRange.maximum, 1, kIntervalTip);
    lblNewsInterval2 =
        label("lblNewsInterval2", QStringLiteral("秒"), kIntervalTip, 3880, 760, 180, 180);

    lblTopMargin = label("lblTopMargin", QStringLiteral("ポップアップの表示位置"), kMarginTip, 120,
                         1245, 1635, 180);
    txtTopMargin = numberBox("txtTopMargin", 4, kMarginTip, fraView);
    placeNumberBoxTwips(txtTopMargin, 3120, 1200, 495, 270);
    // The maximum follows the screen; Form_Load sets it.
    updownTopMargin = spinner("updownTopMargin", txtTopMargin, 0, 0, 1, kMarginTip);
    lblTopMargin2 = label("lblTopMargin2", QStringLiteral("px"), kMarginTip, 3880, 1240, 180, 180);
    lblTopMargin3 =
        label("lblTopMargin3", QStringLiteral("（ポップアップモードのとき画面の上端からの距離）"),
              kMarginTip, 120, 1480, 3420, 180);

    chkKeepFront = new QCheckBox(QStringLiteral("常に最前面に表示する"), fraView);
    chkKeepFront->setObjectName(QStringLiteral("chkKeepFront"));
    chkKeepFront->setToolTip(QStringLiteral("ティッカーを常に前面に表示するときチェックします"));
    chkKeepFront->setChecked(true);
    placeTextTwips(chkKeepFront, 120, 1800, 2175, 255);
    chkFlatMode = new QCheckBox(QStringLiteral("フラットモードを有効"), fraView);
    chkFlatMode->setObjectName(QStringLiteral("chkFlatMode"));
    placeTextTwips(chkFlatMode, 2400, 1800, 1935, 300);

    lineBorder1 = new QFrame(fraView);
    lineBorder1->setObjectName(QStringLiteral("lineBorder1"));
    lineBorder1->setFrameShape(QFrame::HLine);
    lineBorder1->setFrameShadow(QFrame::Sunken);
    placeTwips(lineBorder1, 120, 2265, 4200, 30);

    lblColor = label("lblColor", QStringLiteral("ウィンドウ配色"), QString(), 120, 2400, 1005, 180);
    // Shows the lines that fit whole, in the ticker's own font size.
    lblColorSample = new FittedLabel(QStringLiteral("Quorvane3 Quorvane3 Quorvane3 "), fraView);
    lblColorSample->setObjectName(QStringLiteral("lblColorSample"));
    lblColorSample->setWordWrap(true);
    lblColorSample->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblColorSample->setAutoFillBackground(true);
    placeTwips(lblColorSample, 1680, 2400, 1335, 495);

    const auto button = [](const char* name, const QString& caption, const QString& tip,
                           QWidget* parent) {
        auto* b = new QPushButton(caption, parent);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(tip);
        return b;
    };
    cmdFontColor = button("cmdFontColor", QStringLiteral("文字色"),
                          QStringLiteral("ティッカーの文字色を設定します"), fraView);
    placeTwips(cmdFontColor, 3120, 2400, 1215, 255);
    cmdBackgroundColor = button("cmdBackgroundColor", QStringLiteral("背景色"),
                                QStringLiteral("ティッカーの背景色を設定します"), fraView);
    placeTwips(cmdBackgroundColor, 3120, 2640, 1215, 255);

    cmdOK = button("cmdOK", QStringLiteral("OK"), QString(), this);
    placeTwips(cmdOK, 4680, 120, 1215, 375);
    cmdOK->setDefault(true);
    cmdCancel = button("cmdCancel", QStringLiteral("キャンセル"), QString(), this);
    placeTwips(cmdCancel, 4680, 600, 1215, 375);

    connect(cmdFontColor, &QPushButton::clicked, this, &frmTickerOptionDialog::cmdFontColor_Click);
    connect(cmdBackgroundColor, &QPushButton::clicked, this,
            &frmTickerOptionDialog::cmdBackgroundColor_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmTickerOptionDialog::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmTickerOptionDialog::cmdCancel_Click);
}

void frmTickerOptionDialog::showOrRaise() {
    if (!isVisible()) {
        Form_Load();
    }
    showInFront(this);
}

void frmTickerOptionDialog::Form_Load() {
    const Settings& settings = state.settings;
    windowTopLeft = host.mainWindowTopLeftTwips() + QPoint(kDialogOffsetTwips, kDialogOffsetTwips);
    moveWindowTwips(this, windowTopLeft);

    const int marginUnits = marginUnitsFromTwips(settings.TICKER_MARGIN_TOP);
    txtTransp->setText(QString::number(settings.TICKER_TRANSPARENCY_LEVEL));
    txtNewsInterval->setText(QString::number(settings.NEWS_INTERVAL));
    txtTopMargin->setText(QString::number(marginUnits));

    updownTopMargin->setMaximum(
        marginMaximumUnits(state.seams.screen.heightTwips(), ticker.heightTwips()));
    updownTransp->setValue(settings.TICKER_TRANSPARENCY_LEVEL);
    updownNewsInterval->setValue(settings.NEWS_INTERVAL);
    updownTopMargin->setValue(marginUnits);

    chkKeepFront->setChecked(settings.TICKER_TOPMOST_FLG == TickerStacking::AboveOthers);
    chkFlatMode->setChecked(settings.FlatMode);

    backColor = settings.TICKER_BACK_COLOR;
    foreColor = settings.TICKER_FORE_COLOR;
    showSampleColors();
    cmdOK->setFocus();
}

void frmTickerOptionDialog::showSampleColors() {
    QPalette palette = lblColorSample->palette();
    palette.setColor(QPalette::Window, colorFromBgr(backColor));
    palette.setColor(QPalette::WindowText, colorFromBgr(foreColor));
    lblColorSample->setPalette(palette);
}

void frmTickerOptionDialog::cmdBackgroundColor_Click() {
    const QColor chosen = CommonDialog.chooseColor(colorFromBgr(backColor), this);
    // A cancelled dialog gives its start colour back; keep the held value exactly then.
    if (chosen != colorFromBgr(backColor)) {
        backColor = bgrFromColor(chosen);
    }
    showSampleColors();
}

void frmTickerOptionDialog::cmdFontColor_Click() {
    const QColor chosen = CommonDialog.chooseColor(colorFromBgr(foreColor), this);
    if (chosen != colorFromBgr(foreColor)) {
        foreColor = bgrFromColor(chosen);
    }
    showSampleColors();
}

void frmTickerOptionDialog::cmdOK_Click() {
    Settings& settings = state.settings;
    const int opacity = cleanOpacityText(txtTransp->text(), settings.TICKER_TRANSPARENCY_LEVEL);
    txtTransp->setText(QString::number(opacity));
    const int interval = cleanIntervalText(txtNewsInterval->text(), settings.NEWS_INTERVAL);
    txtNewsInterval->setText(QString::number(interval));
    const int margin = cleanMarginText(txtTopMargin->text(), settings.TICKER_MARGIN_TOP,
                                       updownTopMargin->maximum());
    txtTopMargin->setText(QString::number(margin));

    settings.TICKER_TRANSPARENCY_LEVEL = qint16(opacity);
    settings.NEWS_INTERVAL = qint16(interval);
    settings.TICKER_MARGIN_TOP = qint16(margin * kMarginUnitTwips);
    settings.TICKER_TOPMOST_FLG =
        chkKeepFront->isChecked() ? TickerStacking::AboveOthers : TickerStacking::Normal;
    settings.FlatMode = chkFlatMode->isChecked();
    settings.TICKER_BACK_COLOR = backColor;
    settings.TICKER_FORE_COLOR = foreColor;

    ticker.AfterInit();
    accept();
}

void frmTickerOptionDialog::cmdCancel_Click() {
    reject();
}
