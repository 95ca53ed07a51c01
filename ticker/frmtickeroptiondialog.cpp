#include "ticker/frmtickeroptiondialog.h"

#include <QCoreApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <array>

#include "core/appstate.h"
#include "core/version.h"
#include "ui/labelledcombobox.h"
#include "ui/dialoghost.h"
#include "ui/fittedlabel.h"
#include "ui/twipslayout.h"
#include "ui/uifont.h"
#include "ui/updown.h"
#include "platform/modal/qtcolorpicker.h"
#include "platform/desktop/screeninfo.h"
#include "platform/speech/speechengine.h"
#include "ticker/frmticker.h"
#include "ticker/tickercolors.h"
#include "settings/tickeroptionrules.h"

namespace {

constexpr char kTranspTip[] =
    QT_TRANSLATE_NOOP("frmTickerOptionDialog", "ティッカーウィンドウの透過率を設定します");
constexpr char kIntervalTip[] =
    QT_TRANSLATE_NOOP("frmTickerOptionDialog", "記事の更新間隔を指定します");
constexpr char kMarginTip[] = QT_TRANSLATE_NOOP(
    "frmTickerOptionDialog", "ポップアップ表示のとき、ティッカーのスライドイン位置を指定します");

// The placement box's entries, in order.
constexpr std::array kPlacements = {TickerPlacement::Window, TickerPlacement::DockedTop,
                                    TickerPlacement::DockedBottom};

QString placementCaption(TickerPlacement placement) {
    switch (placement) {
        case TickerPlacement::Window:
            return QCoreApplication::translate("frmTickerOptionDialog", "ウィンドウで表示");
        case TickerPlacement::DockedTop:
            return QCoreApplication::translate("frmTickerOptionDialog", "画面の上端に帯で表示");
        case TickerPlacement::DockedBottom:
            return QCoreApplication::translate("frmTickerOptionDialog", "画面の下端に帯で表示");
    }
    return {};
}

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
    // OK, キャンセル, Esc or the close box: a ticker that had the keyboard takes it back.
    connect(this, &QDialog::finished, this, [this] { ticker.openedWindowClosed(); });
    setWindowTitle(tr("%1 ニュースティッカーの表示設定").arg(QLatin1String(kApplicationTitle)));
    setWindowIcon(QIcon(QStringLiteral(":/icons/app-16.png")));
    setModal(false);
    setFont(uiFont());
    setClientSizeTwips(this, kClientWidthTwips, kClientHeightTwips);

    fraView = new QGroupBox(tr("表示設定"), this);
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

    lblTransp = label("lblTransp", tr("ウィンドウを透過する"), tr(kTranspTip), 120, 285, 1425, 180);
    txtTransp = numberBox("txtTransp", 3, tr(kTranspTip), fraView);
    placeNumberBoxTwips(txtTransp, 3120, 240, 495, 270);
    updownTransp = spinner("updownTransp", txtTransp, kOpacityRange.minimum, kOpacityRange.maximum,
                           kOpacityRange.step, tr(kTranspTip));
    lblTransp2 = label("lblTransp2", tr("％"), tr(kTranspTip), 3880, 280, 180, 180);
    lblTransp3 =
        label("lblTransp3", tr("（100％で不透過になります）"), tr(kTranspTip), 120, 480, 2010, 180);
    QPalette grey = lblTransp3->palette();
    grey.setColor(QPalette::WindowText, QColor(128, 128, 128));
    lblTransp3->setPalette(grey);

    lblNewsInterval =
        label("lblNewsInterval", tr("記事表示間隔"), tr(kIntervalTip), 120, 760, 1080, 180);
    txtNewsInterval = numberBox("txtNewsInterval", 2, tr(kIntervalTip), fraView);
    placeNumberBoxTwips(txtNewsInterval, 3120, 720, 495, 270);
    updownNewsInterval = spinner("updownNewsInterval", txtNewsInterval, kIntervalRange.minimum,
                                 kIntervalRange.maximum, 1, tr(kIntervalTip));
    lblNewsInterval2 = label("lblNewsInterval2", tr("秒"), tr(kIntervalTip), 3880, 760, 180, 180);

    lblTopMargin =
        label("lblTopMargin", tr("ポップアップの表示位置"), tr(kMarginTip), 120, 1245, 1635, 180);
    txtTopMargin = numberBox("txtTopMargin", 4, tr(kMarginTip), fraView);
    placeNumberBoxTwips(txtTopMargin, 3120, 1200, 495, 270);
    // The maximum follows the screen; Form_Load sets it.
    updownTopMargin = spinner("updownTopMargin", txtTopMargin, 0, 0, 1, tr(kMarginTip));
    lblTopMargin2 =
        label("lblTopMargin2", QStringLiteral("px"), tr(kMarginTip), 3880, 1240, 180, 180);
    lblTopMargin3 = label("lblTopMargin3", tr("（ポップアップモードのとき画面の上端からの距離）"),
                          tr(kMarginTip), 120, 1480, 3420, 180);

    chkKeepFront = new QCheckBox(tr("常に最前面に表示する"), fraView);
    chkKeepFront->setObjectName(QStringLiteral("chkKeepFront"));
    chkKeepFront->setToolTip(tr("ティッカーを常に前面に表示するときチェックします"));
    chkKeepFront->setChecked(true);
    placeTextTwips(chkKeepFront, 120, 1800, 2175, 255);
    chkFlatMode = new QCheckBox(tr("フラットモードを有効"), fraView);
    chkFlatMode->setObjectName(QStringLiteral("chkFlatMode"));
    placeTextTwips(chkFlatMode, 2400, 1800, 1935, 300);

    lineBorder1 = new QFrame(fraView);
    lineBorder1->setObjectName(QStringLiteral("lineBorder1"));
    lineBorder1->setFrameShape(QFrame::HLine);
    lineBorder1->setFrameShadow(QFrame::Sunken);
    placeTwips(lineBorder1, 120, 2265, 4200, 30);

    lblColor = label("lblColor", tr("ウィンドウ配色"), QString(), 120, 2400, 1005, 180);
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
    cmdFontColor =
        button("cmdFontColor", tr("文字色"), tr("ティッカーの文字色を設定します"), fraView);
    placeTwips(cmdFontColor, 3120, 2400, 1215, 255);
    cmdBackgroundColor =
        button("cmdBackgroundColor", tr("背景色"), tr("ティッカーの背景色を設定します"), fraView);
    placeTwips(cmdBackgroundColor, 3120, 2640, 1215, 255);
    // A caption wider than its box (in another language) widens the button to the right.
    for (QPushButton* colourButton : {cmdFontColor, cmdBackgroundColor}) {
        const int needed = colourButton->fontMetrics().horizontalAdvance(colourButton->text()) +
                           2 * colourButton->style()->pixelMetric(QStyle::PM_ButtonMargin);
        colourButton->resize(std::max(colourButton->width(), needed), colourButton->height());
    }

    cmdOK = button("cmdOK", QStringLiteral("OK"), QString(), this);
    placeTwips(cmdOK, 4680, 120, 1215, 375);
    cmdOK->setDefault(true);
    cmdCancel = button("cmdCancel", tr("キャンセル"), QString(), this);
    placeTwips(cmdCancel, 4680, 600, 1215, 375);

    connect(cmdFontColor, &QPushButton::clicked, this, &frmTickerOptionDialog::cmdFontColor_Click);
    connect(cmdBackgroundColor, &QPushButton::clicked, this,
            &frmTickerOptionDialog::cmdBackgroundColor_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmTickerOptionDialog::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmTickerOptionDialog::cmdCancel_Click);

    buildPlacementGroup();
    fitCaptions();
    // A screen reader names each box by the caption before it.
    lblTransp->setBuddy(txtTransp);
    lblNewsInterval->setBuddy(txtNewsInterval);
    lblTopMargin->setBuddy(txtTopMargin);
    lblPlacement->setBuddy(cboPlacement);
    lblScreen->setBuddy(cboScreen);
    lblMarqueeSpeed->setBuddy(sldMarqueeSpeed);
    // Tab goes down the settings, then to OK and キャンセル.
    setTabOrder(sldMarqueeSpeed, chkSpeak);
    setTabOrder(chkSpeak, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
}

void frmTickerOptionDialog::buildPlacementGroup() {
    fraPlacement = new QGroupBox(tr("表示場所と流し方"), this);
    fraPlacement->setObjectName(QStringLiteral("fraPlacement"));
    placeTwips(fraPlacement, 120, 3255, 4455, 2040);

    const auto label = [this](const char* name, const QString& caption, int top) {
        auto* l = new QLabel(caption, fraPlacement);
        l->setObjectName(QLatin1String(name));
        placeTextTwips(l, 120, top, 1320, 180);
        return l;
    };
    const auto combo = [this](const char* name, const QString& tip, int top) {
        // Read out by its label, as the other controls are.
        auto* box = new LabelledComboBox(fraPlacement);
        box->setObjectName(QLatin1String(name));
        box->setToolTip(tip);
        placeTwips(box, 1560, top, 2775, 300);
        return box;
    };
    lblPlacement = label("lblPlacement", tr("表示位置"), 330);
    cboPlacement = combo("cboPlacement",
                         tr("画面の端に帯で表示すると、最大化したウィンドウが帯に"
                            "重なりません"),
                         285);
    for (const TickerPlacement placement : kPlacements) {
        cboPlacement->addItem(placementCaption(placement));
    }
    lblScreen = label("lblScreen", tr("表示する画面"), 735);
    cboScreen = combo("cboScreen", tr("ティッカーを表示する画面を選びます"), 690);

    chkMarquee = new QCheckBox(tr("記事を右から左へ流して表示する"), fraPlacement);
    chkMarquee->setObjectName(QStringLiteral("chkMarquee"));
    chkMarquee->setToolTip(tr("見出しを一行に続けて流します"));
    placeTextTwips(chkMarquee, 120, 1095, 4215, 255);

    lblMarqueeSpeed = label("lblMarqueeSpeed", tr("流れる速さ"), 1425);
    sldMarqueeSpeed = new QSlider(Qt::Horizontal, fraPlacement);
    sldMarqueeSpeed->setObjectName(QStringLiteral("sldMarqueeSpeed"));
    sldMarqueeSpeed->setToolTip(tr("右ほど速く流れます"));
    // NEWS_SCROLL_SPEED counts steps: the smaller, the faster, so the slider runs backwards.
    const SettingRange speeds = dialogRange("NEWS_SCROLL_SPEED");
    sldMarqueeSpeed->setRange(speeds.minimum, speeds.maximum);
    sldMarqueeSpeed->setInvertedAppearance(true);
    placeTwips(sldMarqueeSpeed, 1560, 1380, 2775, 270);
    connect(chkMarquee, &QCheckBox::toggled, sldMarqueeSpeed, &QWidget::setEnabled);
    connect(chkMarquee, &QCheckBox::toggled, lblMarqueeSpeed, &QWidget::setEnabled);

    chkSpeak = new QCheckBox(tr("新しい見出しを読み上げる"), fraPlacement);
    chkSpeak->setObjectName(QStringLiteral("chkSpeak"));
    placeTextTwips(chkSpeak, 120, 1740, 4215, 255);
}

void frmTickerOptionDialog::fitCaptions() {
    // The room a frame keeps inside its edge, as for every caption.
    constexpr int kInset = 4;
    QList<QWidget*> captions;
    int grow = 0;
    for (QWidget* child : fraView->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<QCheckBox*>(child) == nullptr &&
            (qobject_cast<QLabel*>(child) == nullptr || child == lblColorSample)) {
            continue;
        }
        child->setFont(fraView->font());
        captions.append(child);
        grow = std::max(grow, child->x() + child->sizeHint().width() + kInset - fraView->width());
    }
    widen(grow);
    for (QWidget* caption : captions) {
        caption->resize(std::max(caption->width(), caption->sizeHint().width()), caption->height());
    }
}

void frmTickerOptionDialog::widen(int pixels) {
    if (pixels <= 0) {
        return;
    }
    setFixedSize(width() + pixels, height());
    for (QWidget* frame : {static_cast<QWidget*>(fraView), static_cast<QWidget*>(fraPlacement)}) {
        frame->resize(frame->width() + pixels, frame->height());
    }
    for (QWidget* button : {cmdOK, cmdCancel}) {
        button->move(button->x() + pixels, button->y());
    }
}

void frmTickerOptionDialog::fitScreenBox() {
    // The closed box shows its entry whole: both boxes grow to the longest entry, keeping
    // their margin to the frame's edge, and the dialog with them.
    const int margin = fraPlacement->width() - cboScreen->geometry().right() - 1;
    QStyleOptionComboBox option;
    option.initFrom(cboScreen);
    option.frame = true;
    const int field =
        style()
            ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, cboScreen)
            .width();
    int widest = 0;
    for (QComboBox* box : {cboPlacement, cboScreen}) {
        for (int i = 0; i < box->count(); ++i) {
            widest = std::max(widest, box->fontMetrics().horizontalAdvance(box->itemText(i)));
        }
    }
    // The entry is drawn a pixel in from either side of the box's field (the style's size
    // hint leaves less room than that in some styles).
    const int wanted = widest + 2 + cboScreen->width() - field;
    if (wanted <= cboScreen->width()) {
        return;
    }
    widen(cboScreen->x() + wanted + margin - fraPlacement->width());
    for (QComboBox* box : {cboPlacement, cboScreen}) {
        box->resize(wanted, box->height());
    }
}

void frmTickerOptionDialog::fillScreens() {
    const QString chosen = state.settings.TICKER_SCREEN;
    cboScreen->clear();
    const QList<ScreenDesc> screens = state.seams.screen.screens();
    const auto described = [](const ScreenDesc& screen) {
        return tr("%1（%2×%3）")
            .arg(screen.name)
            .arg(screen.pixels.width())
            .arg(screen.pixels.height());
    };
    cboScreen->addItem(tr("プライマリ画面 — %1").arg(described(screens.front())), QString());
    bool found = chosen.isEmpty();
    for (const ScreenDesc& screen : screens) {
        cboScreen->addItem(described(screen), screen.name);
        found = found || screen.name == chosen;
    }
    // A screen that is not connected now stays chosen, for when it comes back.
    if (!found) {
        cboScreen->addItem(tr("%1（接続されていません）").arg(chosen), chosen);
    }
    cboScreen->setCurrentIndex(std::max(0, cboScreen->findData(chosen)));
    fitScreenBox();
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

    const auto placement =
        std::find(kPlacements.begin(), kPlacements.end(), settings.TICKER_PLACEMENT);
    cboPlacement->setCurrentIndex(int(placement - kPlacements.begin()));
    fillScreens();
    const bool marqueeOn = settings.TICKER_MARQUEE == TickerPresentationKind::Marquee;
    chkMarquee->setChecked(marqueeOn);
    sldMarqueeSpeed->setValue(settings.NEWS_SCROLL_SPEED);
    sldMarqueeSpeed->setEnabled(marqueeOn);
    lblMarqueeSpeed->setEnabled(marqueeOn);
    const QString noSpeech = state.speech().unavailableReason();
    chkSpeak->setChecked(settings.TICKER_SPEAK && noSpeech.isEmpty());
    chkSpeak->setEnabled(noSpeech.isEmpty());
    chkSpeak->setToolTip(noSpeech.isEmpty()
                             ? tr("ティッカーに出る見出しを、サイト名に続けて読み上げます")
                             : noSpeech);
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

    settings.TICKER_PLACEMENT = kPlacements[std::size_t(std::max(0, cboPlacement->currentIndex()))];
    ticker.moveToScreen(cboScreen->currentData().toString());
    settings.TICKER_MARQUEE =
        chkMarquee->isChecked() ? TickerPresentationKind::Marquee : TickerPresentationKind::Wipe;
    // The speed is the marquee's; the design's slide keeps its own unless the marquee runs.
    if (chkMarquee->isChecked()) {
        settings.NEWS_SCROLL_SPEED = qint16(sldMarqueeSpeed->value());
    }

    // Without an engine the box is greyed and the setting stays as the file has it.
    if (chkSpeak->isEnabled()) {
        settings.TICKER_SPEAK = chkSpeak->isChecked();
    }

    ticker.AfterInit();
    accept();
}

void frmTickerOptionDialog::cmdCancel_Click() {
    reject();
}
