#pragma once

#include <QString>

#include "platform/modal/filedialogs.h"
#include "platform/desktop/trayicon.h"

// Shell seams for programs without a user at the desktop: the screenshot tools and the
// start-up benchmark.

// A notification area that takes the icon and never reports a gesture.
class NoTray final : public TrayIcon {
public:
    explicit NoTray(bool available) : trayAvailable(available) {}
    [[nodiscard]] bool isSystemTrayAvailable() const override { return trayAvailable; }
    void add(const QIcon&, const QString&) override {}
    void remove() override {}
    [[nodiscard]] bool isAdded() const override { return false; }

private:
    bool trayAvailable;
};

// File dialogs that are always cancelled.
class NoFileDialogs final : public FileDialogs {
public:
    void openFileName(QWidget*, const QString&, Chosen chosen) override { chosen({}); }
    void saveFileName(QWidget*, const QString&, Chosen chosen) override { chosen({}); }
};
