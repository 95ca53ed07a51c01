#pragma once

#include "platform/desktop/browser.h"

// Opens pages in the desktop's default web browser.
class DesktopBrowser final : public Browser {
public:
    void openUrl(const QString& url) override;
};
