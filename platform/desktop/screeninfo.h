#pragma once

#include <QList>
#include <QRect>
#include <QString>
#include <functional>

// 15 twips to a device-independent pixel.
inline constexpr int kTwipsPerPixel = 15;

[[nodiscard]] constexpr int pixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}
// Widget pixels are derived from twips by dividing by 15 and rounding (halves away from 0).
[[nodiscard]] constexpr int twipsToPixels(int twips) {
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

// A connected screen: its name as the desktop reports it (QScreen::name()) and its
// geometry in device-independent pixels on the virtual desktop.
struct ScreenDesc {
    QString name;
    QRect pixels;
    bool operator==(const ScreenDesc&) const = default;
};

// The desktop's screens. Tests fix them.
class ScreenInfo {
public:
    virtual ~ScreenInfo() = default;
    // The primary screen's size in twips.
    [[nodiscard]] virtual int widthTwips() const = 0;
    [[nodiscard]] virtual int heightTwips() const = 0;
    // The connected screens, the primary first; never empty.
    [[nodiscard]] virtual QList<ScreenDesc> screens() const = 0;
    // Called after a screen was added or removed or changed its geometry. One listener.
    virtual void onScreensChanged(std::function<void()> changed) = 0;
};

// The screen of that name, or the primary screen when none of that name is connected (or
// the name is empty).
[[nodiscard]] inline ScreenDesc chosenScreen(const ScreenInfo& info, const QString& name) {
    const QList<ScreenDesc> all = info.screens();
    for (const ScreenDesc& screen : all) {
        if (!name.isEmpty() && screen.name == name) {
            return screen;
        }
    }
    return all.isEmpty() ? ScreenDesc{} : all.front();
}

// The bounding rectangle of every screen, in pixels: the whole X screen on X11.
[[nodiscard]] inline QRect desktopPixels(const ScreenInfo& info) {
    QRect all;
    for (const ScreenDesc& screen : info.screens()) {
        all = all.united(screen.pixels);
    }
    return all;
}

// Screens of fixed sizes: for tests and for tools that run without a display. One screen
// at first, the primary.
class FixedScreen final : public ScreenInfo {
public:
    FixedScreen(int widthPixels, int heightPixels)
        : width(pixelsToTwips(widthPixels)), height(pixelsToTwips(heightPixels)) {}
    [[nodiscard]] int widthTwips() const override { return width; }
    [[nodiscard]] int heightTwips() const override { return height; }
    [[nodiscard]] QList<ScreenDesc> screens() const override {
        QList<ScreenDesc> all{
            {QStringLiteral("FIXED-1"), QRect(0, 0, twipsToPixels(width), twipsToPixels(height))}};
        return all + others;
    }
    void onScreensChanged(std::function<void()> changed) override { listener = std::move(changed); }
    // The primary screen's size.
    void setTwips(int w, int h) {
        width = w;
        height = h;
        notify();
    }
    // The screens besides the primary.
    void setOtherScreens(const QList<ScreenDesc>& screens) {
        others = screens;
        notify();
    }

private:
    void notify() const {
        if (listener) {
            listener();
        }
    }

    int width;
    int height;
    QList<ScreenDesc> others;
    std::function<void()> listener;
};
