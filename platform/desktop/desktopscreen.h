#pragma once

#include <QObject>

#include "platform/desktop/screeninfo.h"

class QScreen;

// The desktop's screens as Qt reports them now, 15 twips to a device-independent pixel.
class DesktopScreen final : public QObject, public ScreenInfo {
    Q_OBJECT
public:
    DesktopScreen();
    [[nodiscard]] int widthTwips() const override;
    [[nodiscard]] int heightTwips() const override;
    [[nodiscard]] QList<ScreenDesc> screens() const override;
    void onScreensChanged(std::function<void()> changed) override;

private:
    void watch(QScreen* screen);
    void changed();

    std::function<void()> listener;
};
