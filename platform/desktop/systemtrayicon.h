#pragma once

#include <QTimer>
#include <memory>

#include "platform/desktop/trayicon.h"

class QSystemTrayIcon;
class X11TrayOwner;

// The tray icon over QSystemTrayIcon. Qt says nothing when a notification area appears or
// goes, so it is asked again every few seconds. On X11 Qt keeps the notification area's
// window once found, even after that window is gone; the owner of the tray selection is
// asked besides, without waiting: each check takes the answer to the request the one before
// sent.
class SystemTrayIcon final : public TrayIcon {
    Q_OBJECT
public:
    explicit SystemTrayIcon(QObject* parent = nullptr);
    ~SystemTrayIcon() override;

    [[nodiscard]] bool isSystemTrayAvailable() const override;
    void add(const QIcon& icon, const QString& toolTip) override;
    void remove() override;
    [[nodiscard]] bool isAdded() const override;

    static constexpr int kAvailabilityCheckMs = 3000;

    // Every kAvailabilityCheckMs: asks whether there is a notification area and says so when
    // the answer differs from the last one.
    void checkAvailability();

private:
    std::unique_ptr<QSystemTrayIcon> icon;
    // Null off X11.
    std::unique_ptr<X11TrayOwner> x11Owner;
    QTimer availabilityCheck;
    // What the last check found; unset before the first.
    int lastAvailable = -1;
};
