#include "platform/windowstacking.h"

#include <QWidget>

bool setWindowTopmost(QWidget& window, qint32 topmostFlag) {
    if (topmostFlag != -1 && topmostFlag != -2) {
        return false;
    }
    const bool above = topmostFlag == -1;
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
