#include "ticker/frmticker.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <algorithm>

#include "core/appstate.h"
#include "core/articlesource.h"
#include "platform/desktop/browser.h"
#include "platform/modal/messagebox.h"
#include "platform/desktop/screeninfo.h"
#include "platform/x11/x11dock.h"
#include "ticker/clstransparency.h"
#include "ticker/marqueestrip.h"
#include "ticker/shapeframe.h"
#include "ticker/textbutton.h"
#include "ticker/tickercolors.h"
#include "ticker/tickerhost.h"
#include "ticker/tickerlabel.h"
#include "ticker/tickermotion.h"
#include "ticker/tickerpresentation.h"
#include "ui/twipslayout.h"
#include "ui/uifont.h"

namespace {

constexpr char kPauseCaption[] = QT_TRANSLATE_NOOP("frmTicker", "停");
constexpr char kResumeCaption[] = QT_TRANSLATE_NOOP("frmTicker", "再");

// Where the line under the time stamp and the site title lies, in twips.
constexpr int kLineTop = 240;

// A text label's pixel box runs from its top down to what lies below its row: the line under
// the time stamp and the site title, the window's bottom edge under the headline. The
// 180-twip (12 px) rows were made for a 12 px font; the fonts here need more, and within
// that box the label keeps their descenders whole (TickerLabel), never under the line or
// past the window's edge.
void placeLabelTwips(QLabel* label, int left, int top, int width) {
    const int bottom = top < kLineTop ? kLineTop : kTickerHeightTwips;
    placeTwips(label, left, top, width, bottom - top);
}

TickerLabel* textLabel(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new TickerLabel(text, parent);
    label->setObjectName(name);
    return label;
}

// Passes an OK-only message on once per run, after the handler that raised it has returned:
// the opacity read from config.ini is refused at every showing, and the box is the
// showing's, not a part of setting it up.
class OnceLaterMessageBox final : public MessageBoxSeam {
public:
    OnceLaterMessageBox(MessageBoxSeam& targetBox, QObject& owner)
        : target(targetBox), context(owner) {}
    void ask(const QString& text, const QString& title, MsgButtons buttons, MsgIcon icon,
             Answered answered) override {
        if (!shown) {
            shown = true;
            QMetaObject::invokeMethod(
                &context,
                [this, text, title, buttons, icon] { target.show(text, title, buttons, icon); },
                Qt::QueuedConnection);
        }
        if (answered) {
            answered(MsgResult::Ok);
        }
    }

private:
    MessageBoxSeam& target;
    QObject& context;
    bool shown = false;
};

// A frame in the text colour around the whole window: where the keyboard focus is. It lies
// in front of every widget and lets the mouse through.
class FocusFrame final : public QWidget {
public:
    explicit FocusFrame(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("focusFrame"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QPen pen(palette().color(QPalette::WindowText), 2, Qt::DotLine);
        painter.setPen(pen);
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
};

// The keys of a focused ticker and the buttons they press.
struct TickerKey {
    int key;
    TextButton* frmTicker::*button;
};
constexpr TickerKey kTickerKeys[] = {
    {Qt::Key_Space, &frmTicker::cmdPlay}, {Qt::Key_Left, &frmTicker::cmdBefor},
    {Qt::Key_Right, &frmTicker::cmdNext}, {Qt::Key_Return, &frmTicker::cmdWeb},
    {Qt::Key_Enter, &frmTicker::cmdWeb},  {Qt::Key_L, &frmTicker::cmdShowList},
    {Qt::Key_S, &frmTicker::cmdSetting},  {Qt::Key_Escape, &frmTicker::cmdHide},
};

}  // namespace

frmTicker::frmTicker(AppState& appState, TickerHost& tickerHost, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint),
      showing(appState, tickerHost, *this),
      intCallOPMLKey(showing.intCallOPMLKey),
      state(appState),
      host(tickerHost),
      opacityMessage(std::make_unique<OnceLaterMessageBox>(appState.seams.messageBox, *this)) {
    setObjectName(QStringLiteral("frmTicker"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Never the active window, yet the one-glyph buttons need their tips on hover.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setFixedSize(twipsToPixels(kWidthTwips), twipsToPixels(kHeightTwips));
    setFont(uiFont());
    setAutoFillBackground(true);
    buildWidgets();
    layoutWidgets();
    choosePresentation();
    rememberScreens();
    state.seams.screen.onScreensChanged([this] { screensChanged(); });
    // Start-up colours (a grey line) until AfterInit applies the settings.
    applyColors(0x000000, 0xFFFFFF);
    QPalette linePalette = lineTicker->palette();
    linePalette.setColor(QPalette::Window, QColor(128, 128, 128));
    lineTicker->setPalette(linePalette);
    // AfterInit sets the real interval; never let the article timer run at 0 ms before.
    tmrNextNews->setInterval(std::max<int>(1, state.settings.NEWS_INTERVAL) * 1000);
    Form_Load();
}

frmTicker::~frmTicker() {
    state.seams.screen.onScreensChanged({});
}

void frmTicker::buildWidgets() {
    // Creation order is stacking order: later siblings lie in front.
    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(QPixmap(QStringLiteral(":/icons/app-16.png")));
    picIcon->setAlignment(Qt::AlignCenter);
    picIcon->setAutoFillBackground(true);
    picIcon->setToolTip(tr("常に表示するモードのとき、ここをドラッグすると移動できます。"));
    placeAt(picIcon, 0, 0, 240, 240, Anchor::Left);
    picIcon->installEventFilter(this);

    lblTimeStamp = textLabel(QStringLiteral("lblTimeStamp"), QStringLiteral("Quorvane3"), this);
    placeAt(lblTimeStamp, 360, 30, 5175, 180, Anchor::Stretch);
    lblSiteTitle = textLabel(QStringLiteral("lblSiteTitle"), QString(), this);
    placeAt(lblSiteTitle, 1920, 30, 3615, 180, Anchor::Stretch);

    // A one-pixel horizontal line from 360 to 5520 at 240.
    lineTicker = new QWidget(this);
    lineTicker->setObjectName(QStringLiteral("lineTicker"));
    lineTicker->setAutoFillBackground(true);
    lineTicker->setAttribute(Qt::WA_TransparentForMouseEvents);
    placeAt(lineTicker, 360, kLineTop, 5520 - 360, 0, Anchor::Stretch);

    lblNews = textLabel(QStringLiteral("lblNews"), TickerShowing::loadingText(), this);
    placeAt(lblNews, kNewsLeft, 285, kNewsWidth, 180, Anchor::Stretch);
    // The wipe's overlay draws the headline lblNews is named by: nothing of its own to read.
    // Marked before it holds a text, which assistive technology would otherwise ask about.
    lblNewsOver = textLabel(QStringLiteral("lblNewsOver"), QString(), this);
    markDecorative(lblNewsOver);
    lblNewsOver->setText(TickerShowing::loadingText());
    lblNewsOver->setAutoFillBackground(true);
    lblNewsOver->setAttribute(Qt::WA_NoMousePropagation);
    placeNewsOver();
    for (QLabel* label : {lblTimeStamp, lblSiteTitle, lblNews}) {
        label->installEventFilter(this);
    }

    // Receives the clicks between the buttons, which do nothing.
    lblWall = new QLabel(this);
    lblWall->setObjectName(QStringLiteral("lblWall"));
    lblWall->setAttribute(Qt::WA_NoMousePropagation);
    placeAt(lblWall, 5640, 0, 1455, 255, Anchor::Right);

    for (int i = 0; i < int(shpButton.size()); ++i) {
        shpButton[i] = new ShapeFrame(this);
        shpButton[i]->setObjectName(QStringLiteral("shpButton_%1").arg(i));
        if (i < 6) {
            placeAt(shpButton[i], 5640 + 240 * i, 0, 255, 255, Anchor::Right);
        }
    }
    placeAt(shpButton[6], 6600, 280, 495, 200, Anchor::Right);

    auto button = [this](const char* name, const QString& caption, const QString& tip, int left,
                         int top, int width, int height, void (frmTicker::*handler)()) {
        auto* b = new TextButton(caption, tip, this);
        b->setObjectName(QLatin1String(name));
        placeAt(b, left, top, width, height, Anchor::Right);
        connect(b, &TextButton::clicked, this, handler);
        return b;
    };
    cmdPlay = button("cmdPlay", tr(kPauseCaption), tr("記事表示の更新を一時停止/再開します"), 5640,
                     40, 255, 240, &frmTicker::cmdPlay_Click);
    cmdBefor = button("cmdBefor", QStringLiteral("<<"), tr("前の記事に戻ります"), 5880, 40, 255,
                      200, &frmTicker::cmdBefor_Click);
    cmdNext = button("cmdNext", QStringLiteral(">>"), tr("次の記事に進めます"), 6120, 40, 255, 200,
                     &frmTicker::cmdNext_Click);
    cmdShowList = button("cmdShowList", tr("覧"), tr("このサイトの記事一覧を表示します"), 6360, 40,
                         255, 200, &frmTicker::cmdShowList_Click);
    cmdSetting = button("cmdSetting", tr("設"), tr("ティッカー設定画面を開きます"), 6600, 40, 255,
                        200, &frmTicker::cmdSetting_Click);
    cmdHide = button("cmdHide", tr("閉"), tr("ティッカーを閉じます"), 6840, 40, 255, 200,
                     &frmTicker::cmdHide_Click);
    cmdWeb = button("cmdWeb", QStringLiteral("web"), tr("この記事のサイトを開きます"), 6600, 290,
                    495, 200, &frmTicker::cmdWeb_Click);

    auto timer = [this](const char* name, int interval, void (frmTicker::*handler)()) {
        auto* t = new QTimer(this);
        t->setObjectName(QLatin1String(name));
        t->setInterval(interval);
        connect(t, &QTimer::timeout, this, handler);
        return t;
    };
    tmrDynamic = timer("tmrDynamic", 15, &frmTicker::tmrDynamic_Timer);
    // Its interval is NEWS_INTERVAL seconds, set by AfterInit.
    tmrNextNews = timer("tmrNextNews", 1000, &frmTicker::tmrNextNews_Timer);
    tmrPause = timer("tmrPause", 3000, &frmTicker::tmrPause_Timer);

    // One moving line from the headline's left edge to the buttons, as high as the window.
    marquee = new MarqueeStrip(this);
    marquee->hide();
    placeAt(marquee, kNewsLeft, 0, 5580 - kNewsLeft, kHeightTwips, Anchor::Stretch);
    connect(marquee, &MarqueeStrip::headlineClicked, this, &frmTicker::openHeadline);
    connect(marquee, &MarqueeStrip::pressedBeside, this,
            [this] { Form_MouseDown(Qt::LeftButton); });
    nameForAssistiveTechnology();

    // Reached from the keyboard command and by Tab, never by a click: the mouse works the
    // ticker as it always has.
    setFocusPolicy(Qt::TabFocus);
    focusFrame = new FocusFrame(this);
    // A press anywhere on the ticker puts it back in the mouse's hands (eventFilter).
    for (QWidget* child : findChildren<QWidget*>()) {
        child->installEventFilter(this);
    }
}

void frmTicker::nameForAssistiveTechnology() {
    setAccessibleName(tr("ニュースティッカー"));
    // Said for the buttons instead of their captions ("<<", "覧").
    cmdPlay->setAccessibleName(tr("一時停止"));
    cmdBefor->setAccessibleName(tr("前の記事"));
    cmdNext->setAccessibleName(tr("次の記事"));
    cmdShowList->setAccessibleName(tr("記事一覧"));
    cmdSetting->setAccessibleName(tr("ティッカーの設定"));
    cmdHide->setAccessibleName(tr("ティッカーを閉じる"));
    cmdWeb->setAccessibleName(tr("記事をブラウザで開く"));
    picIcon->setAccessibleName(tr("ティッカーの移動用アイコン"));
    // The labels are read by their texts; these say what each text is.
    lblTimeStamp->setAccessibleDescription(tr("記事の日時"));
    lblSiteTitle->setAccessibleDescription(tr("記事のサイト名"));
    // A backdrop that only takes clicks.
    markDecorative(lblWall);
    lblNews->setAccessibleDescription(tr("記事の見出し"));
    marquee->setAccessibleDescription(tr("記事の見出し"));
    announceHeadline(QString(), lblNews->text());
}

void frmTicker::placeAt(QWidget* widget, int left, int top, int width, int height, Anchor anchor) {
    layout.push_back({widget, left, top, width, height, anchor});
}

void frmTicker::layoutWidgets() {
    const int extra = windowWidth - kWidthTwips;
    for (const Placed& p : layout) {
        const int left = p.anchor == Anchor::Right ? p.left + extra : p.left;
        const int width = p.anchor == Anchor::Stretch ? p.width + extra : p.width;
        if (p.widget == lineTicker) {
            // A one-pixel line between its two ends.
            p.widget->setGeometry(twipsToPixels(left), twipsToPixels(p.top),
                                  twipsToPixels(left + width) - twipsToPixels(left) + 1, 1);
        } else if (qobject_cast<TickerLabel*>(p.widget) != nullptr) {
            placeLabelTwips(static_cast<QLabel*>(p.widget), left, p.top, width);
        } else {
            placeTwips(p.widget, left, p.top, width, p.height);
        }
    }
    placeNewsOver();
    fitSiteTitle();
    focusFrame->setGeometry(rect());
    focusFrame->raise();
}

void frmTicker::choosePresentation() {
    const TickerPresentationKind kind = state.settings.TICKER_MARQUEE;
    if (showing.presentation().kind() != kind) {
        showing.usePresentation(makeTickerPresentation(kind, showing, *marquee));
    }
    const bool scrolling = kind == TickerPresentationKind::Marquee;
    marquee->setVisible(scrolling);
    for (QWidget* line : {static_cast<QWidget*>(lblTimeStamp), static_cast<QWidget*>(lblSiteTitle),
                          lineTicker, static_cast<QWidget*>(lblNews)}) {
        line->setVisible(!scrolling);
    }
    if (scrolling) {
        lblNewsOver->hide();
    }
}

void frmTicker::openHeadline(int index) {
    if (index >= 1 && index <= showing.entries().lastIndex()) {
        if (index == showing.shownIndex()) {
            showing.releaseHeadline();
        }
        openFeedLink(state.seams.browser, showing.entry(index).Link);
        noteArticleOpened(state.articleSources, showing.entry(index));
    }
}

// ---- the showing: decided by TickerShowing ---------------------------------------------

void frmTicker::ShowForm(ShowMode intTickerModeSet) {
    showing.ShowForm(intTickerModeSet);
}

void frmTicker::ResetTicker() {
    showing.ResetTicker();
    repaint();
}

void frmTicker::queueEntriesMoved(const QList<int>& moved) {
    showing.queueEntriesMoved(moved);
}

void frmTicker::SetNewsIndex(qint16 intNewIndex) {
    showing.SetNewsIndex(intNewIndex);
}

void frmTicker::tmrNextNews_Timer() {
    showing.articleTick();
}

void frmTicker::takeKeyboardFocus() {
    if (parked) {
        return;
    }
    keyboardHandedOver = true;
    raise();
    activateWindow();
    setFocus(Qt::ShortcutFocusReason);
    // Already focused: no focus event draws the frame.
    focusFrame->setVisible(hasFocus());
}

void frmTicker::openedWindowClosed() {
    if (!keyboardGoesBack) {
        return;
    }
    keyboardGoesBack = false;
    // Once the closed window is gone, or the desktop hands the focus to the next window.
    QMetaObject::invokeMethod(this, &frmTicker::takeKeyboardFocus, Qt::QueuedConnection);
}

void frmTicker::keyPressEvent(QKeyEvent* event) {
    if ((event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0) {
        for (const TickerKey& k : kTickerKeys) {
            if (k.key == event->key()) {
                event->accept();
                (this->*k.button)->click();
                return;
            }
        }
    }
    QWidget::keyPressEvent(event);
}

void frmTicker::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
        reason == Qt::ShortcutFocusReason) {
        keyboardHandedOver = true;
    }
    focusFrame->setVisible(keyboardHandedOver);
}

void frmTicker::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    focusFrame->hide();
}

void frmTicker::cmdPlay_Click() {
    showing.playPressed();
}

void frmTicker::cmdBefor_Click() {
    showing.previousPressed();
}

void frmTicker::cmdNext_Click() {
    showing.nextPressed();
}

void frmTicker::cmdShowList_Click() {
    keyboardGoesBack = hasFocus();
    showing.listPressed();
}

void frmTicker::cmdHide_Click() {
    showing.hidePressed();
}

void frmTicker::cmdSetting_Click() {
    keyboardGoesBack = hasFocus();
    host.openTickerSettings();
}

void frmTicker::cmdWeb_Click() {
    if (!showing.currentLink().isEmpty()) {
        openFeedLink(state.seams.browser, showing.currentLink());
        const int shown = showing.shownIndex();
        if (shown >= 1 && shown <= state.NewsQueue.lastIndex() &&
            state.NewsQueue[shown].Link == showing.currentLink()) {
            noteArticleOpened(state.articleSources, state.NewsQueue[shown]);
        }
    }
}

// ---- what the showing draws -------------------------------------------------------------

bool frmTicker::isOnScreen() const {
    return !parked && isVisible();
}

bool frmTicker::isArticleTimerRunning() const {
    return tmrNextNews->isActive();
}

void frmTicker::setArticleTimer(bool running) {
    setTimerEnabled(tmrNextNews, running);
}

void frmTicker::enterShowing() {
    // Shown where the slide-in or the settings put it: mapped once, with its window type.
    Form_Load();
    SlideIn(true);
    AfterInit();
}

void frmTicker::leaveShowing() {
    SlideOut(true);
}

void frmTicker::setStampAndSite(const QString& timeStamp, const QString& siteTitle) {
    lblTimeStamp->setText(timeStamp);
    lblSiteTitle->setText(siteTitle);
    // Read by its text; an empty one still says what it is.
    lblSiteTitle->setAccessibleName(siteTitle.isEmpty() ? tr("サイト名なし") : QString());
    fitSiteTitle();
}

void frmTicker::wipeHeadline(const QString& headline) {
    WipeNews(headline);
}

void frmTicker::setHeadline(const QString& headline) {
    lblNews->setTextColour(nextHeadlineColour);
    lblNews->setText(headline);
}

void frmTicker::setHeadlineColour(std::optional<quint32> colour) {
    nextHeadlineColour = colour ? QColor(QRgb(*colour)) : QColor();
}

void frmTicker::setPaused(bool paused) {
    pausedByUser = paused;
    showPlayState();
}

void frmTicker::setHeadlineHeld(bool held) {
    heldByRule = held;
    showPlayState();
}

void frmTicker::showPlayState() {
    // A rule's hold stops the ticker as a pause does, and play lets it go on.
    const bool stopped = pausedByUser || heldByRule;
    cmdPlay->setText(stopped ? tr(kResumeCaption) : tr(kPauseCaption));
    cmdPlay->setAccessibleName(stopped ? tr("再開") : tr("一時停止"));
    cmdPlay->setToolTip(heldByRule ? tr("表示ルールがこの見出しで止めています。押すと先へ進みます")
                                   : tr("記事表示の更新を一時停止/再開します"));
    cmdPlay->setAccessibleDescription(heldByRule ? tr("表示ルールで止まっています") : QString());
}

void frmTicker::announceHeadline(const QString& siteTitle, const QString& headline) {
    // The name changes as the entry comes on display (the wipe draws it later): a screen
    // reader hears of the change and reads the new headline, with its site.
    QString name = headline.isEmpty() ? tr("（見出しなし）") : headline;
    if (!siteTitle.isEmpty()) {
        name = tr("%1：%2").arg(siteTitle, name);
    }
    lblNews->setAccessibleName(name);
    marquee->setAccessibleName(name);
}

void frmTicker::setButtons(const TickerButtons& buttons) {
    cmdWeb->setEnabled(buttons.web);
    cmdBefor->setEnabled(buttons.previous);
    cmdNext->setEnabled(buttons.next);
    cmdShowList->setEnabled(buttons.showList);
}

void frmTicker::fitSiteTitle() {
    // The site title's column starts 1560 twips after the time stamp's: room for a date
    // with seconds in the 12 px font the layout was made for, not in wider UI fonts. The
    // title then starts one space after the date; the twips stay as they are.
    const int stampLeft = lblTimeStamp->x();
    const int needed = stampLeft + lblTimeStamp->fontMetrics().horizontalAdvance(
                                       lblTimeStamp->text() + QLatin1Char(' '));
    const int right = lblSiteTitle->geometry().right() + 1;
    const int left = std::min(std::max(twipsToPixels(1920), needed), right);
    lblSiteTitle->setGeometry(left, lblSiteTitle->y(), right - left, lblSiteTitle->height());
}

// ---- loading, settings, unloading -------------------------------------------------------

void frmTicker::Form_Load() {
    showing.load();
    lblNewsOver->clear();

    // Parked at the current placement's edge: a slide-in starts from there.
    placedAs = state.settings.TICKER_PLACEMENT;
    park(placementGeometry());
    keepOnTop();

    objTransparency = std::make_unique<clsTransparency>(*opacityMessage, state.exeBaseName());
    objTransparency->WndHandle(this);
}

void frmTicker::AfterInit() {
    const Settings& settings = state.settings;
    objTransparency->Opacity(settings.TICKER_TRANSPARENCY_LEVEL);
    tmrNextNews->setInterval(std::max<int>(1, settings.NEWS_INTERVAL) * 1000);
    keepOnTop();
    placeForSettings();
    choosePresentation();
    if (!settings.TICKER_SPEAK) {
        showing.stopSpeaking();
    }

    // A colour that is no 0x00BBGGRR value (a hand-edited file) leaves the colours as
    // they are, like any failure of this step.
    if (isBgrColor(settings.TICKER_BACK_COLOR) && isBgrColor(settings.TICKER_FORE_COLOR)) {
        applyColors(settings.TICKER_BACK_COLOR, settings.TICKER_FORE_COLOR);
    }
}

void frmTicker::applyColors(qint32 backColor, qint32 foreColor) {
    const QColor back = colorFromBgr(backColor);
    const QColor fore = colorFromBgr(foreColor);
    // Disabled buttons show their caption half way between the two colours.
    const QColor disabled((back.red() + fore.red()) / 2, (back.green() + fore.green()) / 2,
                          (back.blue() + fore.blue()) / 2);
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, back);
    windowPalette.setColor(QPalette::WindowText, fore);
    windowPalette.setColor(QPalette::Disabled, QPalette::WindowText, disabled);
    setPalette(windowPalette);

    QPalette linePalette = lineTicker->palette();
    linePalette.setColor(QPalette::Window, fore);
    lineTicker->setPalette(linePalette);
    marquee->setColors(back, fore);
    for (ShapeFrame* frame : shpButton) {
        frame->setBorderColor(fore);
    }
}

void frmTicker::Form_Unload() {
    park(placementGeometry());
    showing.unload();
    blnTimerState = {false, false};
    intDynamicFlags = 0;
    // A parked ticker runs no timer: a pending return from a step aside would bring
    // it back on screen, and an animation step would move it.
    tmrDynamic->stop();
    tmrNextNews->stop();
    tmrPause->stop();
    lblNewsOver->hide();
}

void frmTicker::closeEvent(QCloseEvent* event) {
    event->ignore();
    Form_Unload();
}

// ---- placement ---------------------------------------------------------------------------

void frmTicker::placeNewsOver() {
    placeLabelTwips(lblNewsOver, newsOverLeft, 285, newsOverWidth);
    // The new headline ends in "…" where it will end once it has come in whole; until then
    // the overlay's edge cuts it.
    lblNewsOver->setElideWidth(lblNews->width());
}

void frmTicker::setTimerEnabled(QTimer* timer, bool enabled) {
    if (!enabled) {
        timer->stop();
    } else if (!timer->isActive()) {
        timer->start();
    }
}
