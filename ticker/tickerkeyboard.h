#pragma once

#include <QObject>

class QWidget;

// The ticker in the keyboard's hands: handed the keys by the keyboard command or Tab (never
// by a click, so the mouse works the ticker as it always has), it draws a frame around the
// window (focusFrame) until a mouse press takes it back; it takes the keys back when a window
// it opened with them closes.
class TickerKeyboard final : public QObject {
    Q_OBJECT
public:
    explicit TickerKeyboard(QWidget& window);

    // Brings the window to the front with the keyboard focus.
    void takeFocus();
    // A mouse button was pressed on the window or one of its widgets.
    void mousePressed();
    void focusIn(Qt::FocusReason reason);
    void focusOut();
    // The ticker opens the article list or the settings dialog.
    void openingWindow();
    // The window it opened has closed: true when the ticker had the keys then, once.
    bool takesKeysBack();
    // The frame covers the window, in front of every widget.
    void layOut();
    [[nodiscard]] QWidget* frame() const { return focusFrame; }

private:
    QWidget& window;
    // Drawn around the window while it has the keyboard focus.
    QWidget* focusFrame = nullptr;
    // The keyboard was handed to the ticker (the command, Tab) and no mouse button was pressed
    // on it since: only then is its frame drawn, not when a click made the window active.
    bool handedOver = false;
    // The ticker had the keyboard when it opened the article list or the settings.
    bool goesBack = false;
};
