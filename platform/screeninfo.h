#pragma once

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

// The primary screen's size in twips. Tests fix it.
class ScreenInfo {
public:
    virtual ~ScreenInfo() = default;
    [[nodiscard]] virtual int widthTwips() const = 0;
    [[nodiscard]] virtual int heightTwips() const = 0;
};

// A screen of a fixed size: for tests and for tools that run without a display.
class FixedScreen final : public ScreenInfo {
public:
    FixedScreen(int widthPixels, int heightPixels)
        : width(pixelsToTwips(widthPixels)), height(pixelsToTwips(heightPixels)) {}
    [[nodiscard]] int widthTwips() const override { return width; }
    [[nodiscard]] int heightTwips() const override { return height; }
    void setTwips(int w, int h) {
        width = w;
        height = h;
    }

private:
    int width;
    int height;
};
