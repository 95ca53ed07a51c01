#include "ui/twipslayout.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QWidget>
#include <algorithm>

#include "platform/desktop/screeninfo.h"

namespace {

// Pixels between a frame's outer edge and the captions inside it.
constexpr int kFrameInsetPixels = 4;
// A caption is never set smaller than this to make it fit.
constexpr qreal kSmallestPointSize = 6.0;
constexpr qreal kPointStep = 0.5;
// QLineEdit keeps 2 px between its contents rectangle and the text on either side, and the
// cursor takes 1 px after the last character.
constexpr int kLineEditTextMargin = 2;
constexpr int kCursorWidth = 1;

// Lowers the widget's font in half points until fits() holds or the smallest size is reached.
template <typename Fits>
void shrinkFontUntil(QWidget* widget, Fits fits) {
    QFont font = widget->font();
    qreal size = font.pointSizeF();
    while (!fits() && size - kPointStep >= kSmallestPointSize) {
        size -= kPointStep;
        font.setPointSizeF(size);
        widget->setFont(font);
    }
}

// Width the box gives its text before it scrolls it, in pixels.
int lineEditTextRoom(const QLineEdit& box) {
    QStyleOptionFrame option;
    option.initFrom(&box);
    option.rect = box.rect();
    option.lineWidth =
        box.hasFrame() ? box.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &box) : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    const QRect contents =
        box.style()->subElementRect(QStyle::SE_LineEditContents, &option, &box) - box.textMargins();
    return contents.width() - 2 * kLineEditTextMargin - kCursorWidth;
}

}  // namespace

void placeTwips(QWidget* widget, int left, int top, int width, int height) {
    const int x = twipsToPixels(left);
    const int y = twipsToPixels(top);
    widget->setGeometry(x, y, twipsToPixels(left + width) - x, twipsToPixels(top + height) - y);
}

void placeTextTwips(QWidget* widget, int left, int top, int width, int height) {
    placeTwips(widget, left, top, width, height);
    QRect box = widget->geometry();
    // A text box keeps its width: its text scrolls. A caption needs all of its width.
    if (!qobject_cast<QLineEdit*>(widget)) {
        int room = box.width();
        if (const QWidget* parent = widget->parentWidget()) {
            room = std::max(room, parent->width() - kFrameInsetPixels - box.left());
        }
        shrinkFontUntil(widget, [widget, room] { return widget->sizeHint().width() <= room; });
        box.setWidth(std::clamp(widget->sizeHint().width(), box.width(), room));
    }
    const QSize hint = widget->sizeHint();
    if (box.height() < hint.height()) {
        const int grow = hint.height() - box.height();
        box.setTop(box.top() - grow / 2);
        box.setHeight(hint.height());
    }
    widget->setGeometry(box);
}

void placeNumberBoxTwips(QLineEdit* box, int left, int top, int width, int height) {
    placeTextTwips(box, left, top, width, height);
    const QFont font = box->font();
    const auto fit = [box, font] {
        box->setFont(font);
        shrinkFontUntil(box, [box] {
            return box->fontMetrics().horizontalAdvance(box->text()) <= lineEditTextRoom(*box);
        });
    };
    QObject::connect(box, &QLineEdit::textChanged, box, fit);
    fit();
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
