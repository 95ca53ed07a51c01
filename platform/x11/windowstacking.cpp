#include "platform/x11/windowstacking.h"

#include <QWidget>

bool setWindowStaysOnTop(QWidget& window, bool above) {
    if (window.windowFlags().testFlag(Qt::WindowStaysOnTopHint) == above) {
        return false;
    }
    // Changing the flags of a visible window hides it; show it again where it was.
    const bool wasVisible = window.isVisible();
    const QPoint position = window.pos();
    window.setWindowFlag(Qt::WindowStaysOnTopHint, above);
    if (wasVisible) {
        window.move(position);
        window.show();
    }
    return true;
}
