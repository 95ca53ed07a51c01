#pragma once

#include <QRect>
#include <array>
#include <functional>

class QWidget;

// What the window manager is told of the ticker's window: a band reserves its strip of the
// desktop (dock type and strut) and lies on every virtual desktop, as panels do; a window
// keeps to its own desktop. Applied to the native window as it is mapped and whenever it
// changes.
class TickerBand {
public:
    // window outlives this. remap maps a window taken down to be mapped anew (see reserve)
    // when the moment has come, if it is still wanted on screen.
    TickerBand(QWidget& window, std::function<void()> remap);

    // Shows the window with what the window manager reads as it maps it.
    void map(bool onEveryDesktop);
    // Puts the window on every virtual desktop or on its own.
    void setOnEveryDesktop(bool every);
    [[nodiscard]] bool isOnEveryDesktop() const { return everyDesktop; }
    // Reserves bandPixels' strip of the desktop (desktopPixels) at the placement's edge, or
    // nothing; strut is _NET_WM_STRUT_PARTIAL's (all zero for nothing).
    void reserve(bool on, const std::array<int, 12>& strut);
    // New window flags brought Qt's own window type back: the next reserve() applies anew.
    // True when a strip was reserved.
    bool forgetReserved();
    [[nodiscard]] const std::array<int, 12>& strut() const { return reserved; }

private:
    QWidget& window;
    std::function<void()> remap;
    std::array<int, 12> reserved{};
    bool dockApplied = false;
    bool everyDesktop = false;
};
