#include "platform/boxplacement.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>
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
}
