#pragma once

#include <memory>

#include "platform/trayicon.h"

class QSystemTrayIcon;

// The tray icon over QSystemTrayIcon.
class SystemTrayIcon final : public TrayIcon {
    Q_OBJECT
public:
    explicit SystemTrayIcon(QObject* parent = nullptr);
    ~SystemTrayIcon() override;

    [[nodiscard]] bool isSystemTrayAvailable() const override;
    void add(const QIcon& icon, const QString& toolTip) override;
    void remove() override;
    [[nodiscard]] bool isAdded() const override;

private:
    std::unique_ptr<QSystemTrayIcon> icon;
};
