#include "ticker/textbutton.h"

#include <QMouseEvent>

TextButton::TextButton(const QString& caption, const QString& toolTip, QWidget* parent)
    : QLabel(caption, parent) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    setToolTip(toolTip);
    setAttribute(Qt::WA_NoMousePropagation);
}

void TextButton::mousePressEvent(QMouseEvent* event) {
    leftPressed = event->button() == Qt::LeftButton;
    event->accept();
}

void TextButton::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = leftPressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    leftPressed = false;
    event->accept();
    if (click) {
        Q_EMIT clicked();
    }
}
