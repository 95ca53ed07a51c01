#include "platform/x11/displayserver.h"

#include <QtGlobal>

QByteArray preferredQtPlatform(const DisplayEnvironment& environment) {
    // Qt itself takes XDG_SESSION_TYPE=wayland as a Wayland session, also without
    // WAYLAND_DISPLAY (the compositor's default socket).
    const bool wayland =
        !environment.waylandDisplay.isEmpty() || environment.sessionType == "wayland";
    if (wayland && environment.qpaPlatform.isEmpty() && !environment.display.isEmpty()) {
        return QByteArrayLiteral("xcb");
    }
    return {};
}

void preferXcbUnderWayland() {
    const QByteArray platform =
        preferredQtPlatform({qgetenv("WAYLAND_DISPLAY"), qgetenv("DISPLAY"),
                             qgetenv("XDG_SESSION_TYPE"), qgetenv("QT_QPA_PLATFORM")});
    if (!platform.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", platform);
    }
}
