#include "app/appexit.h"

#include <QApplication>
#include <QWidget>

void AppExit::exitNow() {
    // Hidden first, so that nothing is seen in a half-torn-down state while main() returns.
    const QList<QWidget*> windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        window->hide();
    }
    QCoreApplication::exit(0);
}
