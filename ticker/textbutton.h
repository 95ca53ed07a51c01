#pragma once

#include <QLabel>

// A caption that acts as a button: centred text on a transparent background, clicked by
// the left mouse button only (pressed and released over it). Presses never reach the
// window behind it, also while it is disabled. A caption wider than the button ("<<" in
// a wide UI font) is narrowed to fit instead of being cut at both ends.
//
// Assistive technology sees a push button named by its accessible name ("前の記事", not
// "<<") that it can press.
class TextButton : public QLabel {
    Q_OBJECT
public:
    TextButton(const QString& caption, const QString& toolTip, QWidget* parent);

    // What a click does, for the keyboard and assistive technology: nothing while disabled.
    void click();

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool leftPressed = false;
};
