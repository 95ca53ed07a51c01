#pragma once

#include <QLabel>

// A caption that acts as a button: centred text on a transparent background, clicked by
// the left mouse button only (pressed and released over it). Presses never reach the
// window behind it, also while it is disabled. A caption wider than the button ("<<" in
// a wide UI font) is narrowed to fit instead of being cut at both ends.
class TextButton : public QLabel {
    Q_OBJECT
public:
    TextButton(const QString& caption, const QString& toolTip, QWidget* parent);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool leftPressed = false;
};
