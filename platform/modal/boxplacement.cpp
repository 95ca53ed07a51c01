#include "platform/modal/boxplacement.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace {

bool isShown(const QWidget* window) {
    return window && window->isVisible() && !window->isMinimized();
}

}  // namespace

QWidget* boxOwner(QWidget* home) {
    if (isShown(home)) {
        return home->window();
    }
    QWidget* active = QApplication::activeWindow();
    return isShown(active) ? active : nullptr;
}

void stackAboveProgramWindows(QDialog& box) {
    const QWidgetList windows = QApplication::topLevelWidgets();
    const bool anyAbove = std::any_of(windows.cbegin(), windows.cend(), [&box](QWidget* window) {
        return window != &box && isShown(window) &&
               window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    });
    // Shown after the windows that stay above ordinary ones, in their layer, it is above them.
    if (anyAbove) {
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }
    // A window manager keeps a window that is transient for another just above that one, and
    // the program's dialogs that have no parent (the new-site dialog among them) above all its
    // other windows. Without a transient parent the box is one of those, shown last: above
    // them all. The toolkit still centres it over its parent widget.
    box.winId();
    if (QWindow* window = box.windowHandle()) {
        window->setTransientParent(nullptr);
    }
}
