#pragma once

#include <QColor>
#include <QObject>
#include <array>

class QLabel;
class QWidget;
class ShapeFrame;
class TextButton;
struct TickerButtons;

// The ticker's buttons at its right end, their frames and the wall behind them: made as
// children of the window (in front of the presentation's surface), kept at the right end of
// a band, pressed by the mouse or the keys of a focused ticker.
class TickerControls final : public QObject {
    Q_OBJECT
public:
    enum Command { Play, Previous, Next, List, Settings, Hide, Web, kCommands };

    explicit TickerControls(QWidget& window);

    // Places every widget in a window extraTwips wider than the design's.
    void layOut(int extraTwips);
    void setFrameColor(const QColor& color);
    // The play button's caption, name and tip for the user's pause and a rule's hold.
    void showPlayState(bool paused, bool held);
    void setButtons(const TickerButtons& buttons);
    // Presses the button of a focused ticker's key (Space 停/再, Left <<, Right >>, Enter
    // web, L 覧, S 設, Esc 閉); false when the key presses none.
    bool pressKey(int key, Qt::KeyboardModifiers modifiers);

    [[nodiscard]] TextButton* button(Command command) const { return buttons[command]; }
    [[nodiscard]] ShapeFrame* frame(int i) const { return frames[std::size_t(i)]; }
    [[nodiscard]] QLabel* wall() const { return lblWall; }

Q_SIGNALS:
    void clicked(TickerControls::Command command);

private:
    QLabel* lblWall = nullptr;
    std::array<ShapeFrame*, 7> frames{};
    std::array<TextButton*, kCommands> buttons{};
};
