#pragma once

// The ticker's animation arithmetic, in twips. Every step of every animation moves by
// width \ NEWS_SCROLL_SPEED (integer division), so NEWS_SCROLL_SPEED is a step count.

// Twips beyond the screen's right edge at which the ticker is parked, and twips of the
// window that show at the right edge when a slide-in starts.
inline constexpr int kParkOffsetTwips = 10;

// Step of an animation whose moving object is widthTwips wide. A speed below 1 counts
// as 1, so a value that slipped past the settings never divides by zero.
[[nodiscard]] int motionStep(int widthTwips, int scrollSpeed);

// Left edge of the parked (off-screen) window.
[[nodiscard]] constexpr int parkedLeft(int screenWidth) {
    return screenWidth + kParkOffsetTwips;
}

struct SlideStep {
    int left = 0;
    bool finished = false;
};

// One slide-in step: moves left until the window's right edge meets the screen's right
// edge, snapping onto it when less than one step remains.
[[nodiscard]] SlideStep slideInStep(int left, int windowWidth, int screenWidth, int scrollSpeed);

// One slide-out step: moves right; once the left edge is beyond the screen the window is
// parked and the slide is finished.
[[nodiscard]] SlideStep slideOutStep(int left, int windowWidth, int screenWidth, int scrollSpeed);

struct WipeStep {
    int overLeft = 0;
    int overWidth = 0;
    bool finished = false;
};

// One headline wipe step: the overlay grows leftwards from the headline's right end
// (newsLeft + newsWidth stays its right end) until it covers the whole headline.
[[nodiscard]] WipeStep wipeStep(int newsLeft, int newsWidth, int overLeft, int scrollSpeed);
