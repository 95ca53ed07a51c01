#include "platform/desktopscreen.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

// Without any screen (a display that went away) the ticker is still placed somewhere sane.
constexpr int kFallbackWidthPixels = 1024;
constexpr int kFallbackHeightPixels = 768;

}  // namespace

int DesktopScreen::widthTwips() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return pixelsToTwips(screen ? screen->geometry().width() : kFallbackWidthPixels);
}

int DesktopScreen::heightTwips() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return pixelsToTwips(screen ? screen->geometry().height() : kFallbackHeightPixels);
}
