#include "ticker/tickercontrols.h"

#include <QLabel>

#include "ticker/shapeframe.h"
#include "ticker/textbutton.h"
#include "ticker/tickerlabel.h"
#include "ticker/tickershowing.h"
#include "ui/twipslayout.h"

namespace {

constexpr char kPauseCaption[] = QT_TRANSLATE_NOOP("TickerControls", "停");
constexpr char kResumeCaption[] = QT_TRANSLATE_NOOP("TickerControls", "再");

struct ButtonPlace {
    const char* name;
    int left, top, width, height;
};
constexpr ButtonPlace kButtonPlaces[TickerControls::kCommands] = {
    {"cmdPlay", 5640, 40, 255, 240},    {"cmdBefor", 5880, 40, 255, 200},
    {"cmdNext", 6120, 40, 255, 200},    {"cmdShowList", 6360, 40, 255, 200},
    {"cmdSetting", 6600, 40, 255, 200}, {"cmdHide", 6840, 40, 255, 200},
    {"cmdWeb", 6600, 290, 495, 200},
};

// The keys of a focused ticker and the buttons they press.
struct TickerKey {
    int key;
    TickerControls::Command command;
};
constexpr TickerKey kTickerKeys[] = {
    {Qt::Key_Space, TickerControls::Play}, {Qt::Key_Left, TickerControls::Previous},
    {Qt::Key_Right, TickerControls::Next}, {Qt::Key_Return, TickerControls::Web},
    {Qt::Key_Enter, TickerControls::Web},  {Qt::Key_L, TickerControls::List},
    {Qt::Key_S, TickerControls::Settings}, {Qt::Key_Escape, TickerControls::Hide},
};

}  // namespace

TickerControls::TickerControls(QWidget& window) : QObject(&window) {
    // Creation order is stacking order: the buttons in front of their frames, the frames in
    // front of the wall.
    // Receives the clicks between the buttons, which do nothing.
    lblWall = new QLabel(&window);
    lblWall->setObjectName(QStringLiteral("lblWall"));
    lblWall->setAttribute(Qt::WA_NoMousePropagation);
    // A backdrop that only takes clicks.
    markDecorative(lblWall);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        frames[i] = new ShapeFrame(&window);
        frames[i]->setObjectName(QStringLiteral("shpButton_%1").arg(i));
    }
    const QString captions[kCommands] = {
        tr(kPauseCaption), QStringLiteral("<<"),  QStringLiteral(">>"), tr("覧"), tr("設"),
        tr("閉"),          QStringLiteral("web"),
    };
    const QString tips[kCommands] = {
        tr("記事表示の更新を一時停止/再開します"),
        tr("前の記事に戻ります"),
        tr("次の記事に進めます"),
        tr("このサイトの記事一覧を表示します"),
        tr("ティッカー設定画面を開きます"),
        tr("ティッカーを閉じます"),
        tr("この記事のサイトを開きます"),
    };
    // Said for the buttons instead of their captions ("<<", "覧").
    const QString names[kCommands] = {
        tr("一時停止"),
        tr("前の記事"),
        tr("次の記事"),
        tr("記事一覧"),
        tr("ティッカーの設定"),
        tr("ティッカーを閉じる"),
        tr("記事をブラウザで開く"),
    };
    for (int c = 0; c < kCommands; ++c) {
        auto* b = new TextButton(captions[c], tips[c], &window);
        b->setObjectName(QLatin1String(kButtonPlaces[c].name));
        b->setAccessibleName(names[c]);
        connect(b, &TextButton::clicked, this, [this, c] { Q_EMIT clicked(Command(c)); });
        buttons[std::size_t(c)] = b;
    }
}

void TickerControls::layOut(int extra) {
    placeTwips(lblWall, 5640 + extra, 0, 1455, 255);
    for (int i = 0; i < 6; ++i) {
        placeTwips(frames[std::size_t(i)], 5640 + 240 * i + extra, 0, 255, 255);
    }
    placeTwips(frames[6], 6600 + extra, 280, 495, 200);
    for (int c = 0; c < kCommands; ++c) {
        const ButtonPlace& p = kButtonPlaces[c];
        placeTwips(buttons[std::size_t(c)], p.left + extra, p.top, p.width, p.height);
    }
}

void TickerControls::setFrameColor(const QColor& color) {
    for (ShapeFrame* frame : frames) {
        frame->setBorderColor(color);
    }
}

void TickerControls::showPlayState(bool paused, bool held) {
    // A rule's hold stops the ticker as a pause does, and play lets it go on.
    const bool stopped = paused || held;
    TextButton* play = buttons[Play];
    play->setText(stopped ? tr(kResumeCaption) : tr(kPauseCaption));
    play->setAccessibleName(stopped ? tr("再開") : tr("一時停止"));
    play->setToolTip(held ? tr("表示ルールがこの見出しで止めています。押すと先へ進みます")
                          : tr("記事表示の更新を一時停止/再開します"));
    play->setAccessibleDescription(held ? tr("表示ルールで止まっています") : QString());
}

void TickerControls::setButtons(const TickerButtons& state) {
    buttons[Web]->setEnabled(state.web);
    buttons[Previous]->setEnabled(state.previous);
    buttons[Next]->setEnabled(state.next);
    buttons[List]->setEnabled(state.showList);
}

bool TickerControls::pressKey(int key, Qt::KeyboardModifiers modifiers) {
    if ((modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0) {
        return false;
    }
    for (const TickerKey& k : kTickerKeys) {
        if (k.key == key) {
            buttons[k.command]->click();
            return true;
        }
    }
    return false;
}
