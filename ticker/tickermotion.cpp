#include "ticker/tickermotion.h"

#include <algorithm>

int motionStep(int widthTwips, int scrollSpeed) {
    return widthTwips / std::max(1, scrollSpeed);
}

SlideStep slideInStep(int left, int windowWidth, int screenWidth, int scrollSpeed) {
    const int step = motionStep(windowWidth, scrollSpeed);
    const int overhang = left + windowWidth - screenWidth;
    SlideStep result;
    result.left = overhang < step ? screenWidth - windowWidth : left - step;
    result.finished = screenWidth - windowWidth >= result.left;
    return result;
}

SlideStep slideOutStep(int left, int windowWidth, int screenWidth, int scrollSpeed) {
    SlideStep result;
    result.left = left + motionStep(windowWidth, scrollSpeed);
    if (result.left > screenWidth) {
        result.left = parkedLeft(screenWidth);
        result.finished = true;
    }
    return result;
}

WipeStep wipeStep(int newsLeft, int newsWidth, int overLeft, int scrollSpeed) {
    const int step = motionStep(newsWidth, scrollSpeed);
    WipeStep result;
    if (overLeft - newsLeft < step) {
        result.overLeft = newsLeft;
        result.overWidth = newsWidth;
    } else {
        result.overLeft = overLeft - step;
        result.overWidth = newsWidth + newsLeft - result.overLeft;
    }
    result.finished = result.overLeft <= newsLeft;
    return result;
}
