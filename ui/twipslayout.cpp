#include "ui/twipslayout.h"

#include <QLineEdit>
#include <QWidget>
#include <algorithm>

#include "platform/screeninfo.h"

namespace {

// Pixels between a frame's outer edge and the captions inside it.
constexpr int kFrameInsetPixels = 4;

}  // namespace

void placeTwips(QWidget* widget, int left, int top, int width, int height) {
    const int x = twipsToPixels(left);
    const int y = twipsToPixels(top);
    widget->setGeometry(x, y, twipsToPixels(left + width) - x, twipsToPixels(top + height) - y);
}

void placeTextTwips(QWidget* widget, int left, int top, int width, int height) {
    placeTwips(widget, left, top, width, height);
    const QSize hint = widget->sizeHint();
    QRect box = widget->geometry();
    // A text box keeps its width: its text scrolls. A caption needs all of its width.
    if (!qobject_cast<QLineEdit*>(widget) && box.width() < hint.width()) {
        box.setWidth(hint.width());
        // Kept inside the frame that holds it, moving left where it would cross the edge.
        if (QWidget* parent = widget->parentWidget()) {
            const int limit = parent->width() - kFrameInsetPixels;
            if (box.right() > limit) {
                box.moveLeft(std::max(0, limit - box.width() + 1));
            }
        }
    }
    if (box.height() < hint.height()) {
        const int grow = hint.height() - box.height();
        box.setTop(box.top() - grow / 2);
        box.setHeight(hint.height());
    }
    widget->setGeometry(box);
}

void setClientSizeTwips(QWidget* window, int width, int height) {
    window->setFixedSize(twipsToPixels(width), twipsToPixels(height));
}

void moveWindowTwips(QWidget* window, QPoint topLeftTwips) {
    window->move(twipsToPixels(topLeftTwips.x()), twipsToPixels(topLeftTwips.y()));
}

void showInFront(QWidget* window) {
    if (window->isMinimized()) {
        window->showNormal();
    } else {
        window->show();
    }
    window->raise();
    window->activateWindow();
}
