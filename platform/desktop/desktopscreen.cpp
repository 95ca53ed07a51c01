#include "platform/desktop/desktopscreen.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

// Without any screen (a display that went away) the ticker is still placed somewhere sane.
constexpr int kFallbackWidthPixels = 1024;
constexpr int kFallbackHeightPixels = 768;

}  // namespace

DesktopScreen::DesktopScreen() {
    if (qGuiApp == nullptr) {
        return;
    }
    for (QScreen* screen : QGuiApplication::screens()) {
        watch(screen);
    }
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watch(screen);
        changed();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &DesktopScreen::changed);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, &DesktopScreen::changed);
}

void DesktopScreen::watch(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, &DesktopScreen::changed);
}

void DesktopScreen::changed() {
    if (listener) {
        listener();
    }
}

int DesktopScreen::widthTwips() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return pixelsToTwips(screen ? screen->geometry().width() : kFallbackWidthPixels);
}

int DesktopScreen::heightTwips() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return pixelsToTwips(screen ? screen->geometry().height() : kFallbackHeightPixels);
}

QList<ScreenDesc> DesktopScreen::screens() const {
    QList<ScreenDesc> all;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary != nullptr) {
        all.append({primary->name(), primary->geometry()});
    }
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != primary) {
            all.append({screen->name(), screen->geometry()});
        }
    }
    if (all.isEmpty()) {
        all.append({QString(), QRect(0, 0, kFallbackWidthPixels, kFallbackHeightPixels)});
    }
    return all;
}

void DesktopScreen::onScreensChanged(std::function<void()> changedCallback) {
    listener = std::move(changedCallback);
}
