#include "platform/x11dock.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <cmath>
#include <cstring>
#include <xcb/xcb.h>

#include "platform/x11connection.h"

namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, quint16(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t result = reply != nullptr ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

}  // namespace

bool setX11Dock(QWidget& window, const std::optional<std::array<int, 12>>& strut) {
    xcb_connection_t* connection = x11Connection();
    if (connection == nullptr || window.windowHandle() == nullptr) {
        return false;
    }
    const auto id = xcb_window_t(window.winId());
    const xcb_atom_t partial = atom(connection, "_NET_WM_STRUT_PARTIAL");
    const xcb_atom_t simple = atom(connection, "_NET_WM_STRUT");
    const xcb_atom_t type = atom(connection, "_NET_WM_WINDOW_TYPE");
    if (!strut) {
        xcb_delete_property(connection, id, partial);
        xcb_delete_property(connection, id, simple);
        // Qt sets the type again from the window's flags when it next applies them.
        xcb_delete_property(connection, id, type);
        xcb_flush(connection);
        return true;
    }
    // The window manager counts device pixels.
    const qreal ratio = window.devicePixelRatioF();
    std::array<quint32, 12> values{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = quint32(std::lround(std::max(0, (*strut)[i]) * ratio));
    }
    const xcb_atom_t dock = atom(connection, "_NET_WM_WINDOW_TYPE_DOCK");
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, type, XCB_ATOM_ATOM, 32, 1, &dock);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, partial, XCB_ATOM_CARDINAL, 32, 12,
                        values.data());
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, simple, XCB_ATOM_CARDINAL, 32, 4,
                        values.data());
    xcb_flush(connection);
    return true;
}
