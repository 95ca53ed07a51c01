#include "platform/systemtrayicon.h"

#include <QCursor>
#include <QIcon>
#include <QSystemTrayIcon>

SystemTrayIcon::SystemTrayIcon(QObject* parent)
    : TrayIcon(parent), icon(std::make_unique<QSystemTrayIcon>()) {
    // No context menu is given to Qt: a right press is reported, and the program pops up
    // its own tray menu.
    connect(icon.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick) {
                    Q_EMIT doubleClicked();
                } else if (reason == QSystemTrayIcon::Context) {
                    Q_EMIT rightPressed(QCursor::pos());
                }
            });
}

SystemTrayIcon::~SystemTrayIcon() = default;

bool SystemTrayIcon::isSystemTrayAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void SystemTrayIcon::add(const QIcon& image, const QString& toolTip) {
    icon->setIcon(image);
    icon->setToolTip(toolTip);
    icon->show();
}

void SystemTrayIcon::remove() {
    icon->hide();
}

bool SystemTrayIcon::isAdded() const {
    return icon->isVisible();
}
