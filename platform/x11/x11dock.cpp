#include "platform/x11/x11dock.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <cmath>
#include <cstring>
#include <xcb/xcb.h>

#include "platform/x11/x11connection.h"

namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, quint16(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t result = reply != nullptr ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

// The device pixels of a strut in device-independent pixels: a thickness scales, and so
// does the edge after the last row or column a strip covers (at 2, columns 0 … 1279 cover
// device columns 0 … 2559). The start and end of an edge that reserves nothing stay 0.
std::array<quint32, 12> deviceStrut(const std::array<int, 12>& strut, qreal ratio) {
    const auto scaled = [ratio](int value) {
        return quint32(std::lround(std::max(0, value) * ratio));
    };
    std::array<quint32, 12> values{};
    for (std::size_t edge = 0; edge < 4; ++edge) {
        values[edge] = scaled(strut[edge]);
        if (strut[edge] > 0) {
            const std::size_t start = 4 + 2 * edge;
            values[start] = scaled(strut[start]);
            const long end = std::lround((std::max(0, strut[start + 1]) + 1) * ratio) - 1;
            values[start + 1] = quint32(std::max(long(values[start]), end));
        }
    }
    return values;
}

xcb_window_t rootOf(xcb_connection_t* connection, xcb_window_t window) {
    xcb_query_tree_reply_t* tree =
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
    const xcb_window_t root = tree != nullptr ? tree->root : xcb_window_t(XCB_WINDOW_NONE);
    std::free(tree);
    return root;
}

std::optional<quint32> cardinal(xcb_connection_t* connection, xcb_window_t window,
                                xcb_atom_t property) {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, XCB_ATOM_CARDINAL, 0, 1),
        nullptr);
    std::optional<quint32> value;
    if (reply != nullptr && reply->format == 32 && xcb_get_property_value_length(reply) >= 4) {
        value = *static_cast<const quint32*>(xcb_get_property_value(reply));
    }
    std::free(reply);
    return value;
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
    const std::array<quint32, 12> values = deviceStrut(*strut, window.devicePixelRatioF());
    const xcb_atom_t dock = atom(connection, "_NET_WM_WINDOW_TYPE_DOCK");
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, type, XCB_ATOM_ATOM, 32, 1, &dock);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, partial, XCB_ATOM_CARDINAL, 32, 12,
                        values.data());
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, simple, XCB_ATOM_CARDINAL, 32, 4,
                        values.data());
    xcb_flush(connection);
    return true;
}

bool setX11OnEveryDesktop(QWidget& window, bool every) {
    xcb_connection_t* connection = x11Connection();
    if (connection == nullptr || window.windowHandle() == nullptr) {
        return false;
    }
    const auto id = xcb_window_t(window.winId());
    const xcb_atom_t desktop = atom(connection, "_NET_WM_DESKTOP");
    constexpr quint32 kEveryDesktop = 0xFFFFFFFF;
    if (every) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, desktop, XCB_ATOM_CARDINAL, 32,
                            1, &kEveryDesktop);
    } else {
        xcb_delete_property(connection, id, desktop);
    }
    if (window.isVisible()) {
        // A managed window's desktop is the window manager's to change.
        const xcb_window_t root = rootOf(connection, id);
        const std::optional<quint32> current =
            every ? std::optional(kEveryDesktop)
                  : cardinal(connection, root, atom(connection, "_NET_CURRENT_DESKTOP"));
        if (root != XCB_WINDOW_NONE && current) {
            xcb_client_message_event_t message{};
            message.response_type = XCB_CLIENT_MESSAGE;
            message.format = 32;
            message.window = id;
            message.type = desktop;
            message.data.data32[0] = *current;
            message.data.data32[1] = 1;  // asked by an application
            xcb_send_event(
                connection, 0, root,
                XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                reinterpret_cast<const char*>(&message));
        }
    }
    xcb_flush(connection);
    return true;
}
