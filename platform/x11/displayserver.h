#pragma once

#include <QByteArray>

// The display-server variables the platform choice looks at.
struct DisplayEnvironment {
    QByteArray waylandDisplay;  // WAYLAND_DISPLAY
    QByteArray display;         // DISPLAY
    QByteArray sessionType;     // XDG_SESSION_TYPE
    QByteArray qpaPlatform;     // QT_QPA_PLATFORM
};

// The ticker places itself at the screen's edge and slides in, which a Wayland client may
// not do. Under a Wayland session with X11 at hand (XWayland, DISPLAY set) the program
// asks Qt for "xcb"; the user's own QT_QPA_PLATFORM always wins. Empty: leave Qt's choice.
[[nodiscard]] QByteArray preferredQtPlatform(const DisplayEnvironment& environment);

// The same for the process's environment: sets QT_QPA_PLATFORM when so decided. Must run
// before the application object is created.
void preferXcbUnderWayland();
