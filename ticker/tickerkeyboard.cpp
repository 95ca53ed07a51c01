#include "ticker/tickerkeyboard.h"

#include <QPainter>
#include <QWidget>

namespace {

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

}  // namespace

TickerKeyboard::TickerKeyboard(QWidget& keyWindow)
    : QObject(&keyWindow), window(keyWindow), focusFrame(new FocusFrame(&keyWindow)) {
    // Reached from the keyboard command and by Tab, never by a click.
    window.setFocusPolicy(Qt::TabFocus);
}

void TickerKeyboard::takeFocus() {
    handedOver = true;
    window.raise();
    window.activateWindow();
    window.setFocus(Qt::ShortcutFocusReason);
    // Already focused: no focus event draws the frame.
    focusFrame->setVisible(window.hasFocus());
}

void TickerKeyboard::mousePressed() {
    // The mouse works the ticker now: the keyboard's frame goes until it is handed the keys
    // again.
    handedOver = false;
    focusFrame->hide();
}

void TickerKeyboard::focusIn(Qt::FocusReason reason) {
    if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
        reason == Qt::ShortcutFocusReason) {
        handedOver = true;
    }
    focusFrame->setVisible(handedOver);
}

void TickerKeyboard::focusOut() {
    focusFrame->hide();
}

void TickerKeyboard::openingWindow() {
    goesBack = window.hasFocus();
}

bool TickerKeyboard::takesKeysBack() {
    const bool back = goesBack;
    goesBack = false;
    return back;
}

void TickerKeyboard::layOut() {
    focusFrame->setGeometry(window.rect());
    focusFrame->raise();
}
