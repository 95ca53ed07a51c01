#pragma once

#include <array>
#include <optional>

class QWidget;

// Marks a top-level window as a dock that reserves a strip along a screen edge
// (_NET_WM_WINDOW_TYPE_DOCK, _NET_WM_STRUT_PARTIAL and _NET_WM_STRUT, in device-independent
// pixels as dockStrut gives them), or, with no strut, takes all three back. Window managers
// read the type when a window is mapped: call it while the window is hidden, and again after
// Qt has set the window's flags. False off X11 (Wayland's compositor places windows itself),
// and when the window has no native window yet.
bool setX11Dock(QWidget& window, const std::optional<std::array<int, 12>>& strut);

// Puts a top-level window on every virtual desktop (_NET_WM_DESKTOP 0xFFFFFFFF), as panels
// are, or takes that back: the window then stays on the desktop shown now. A window manager
// reads the property when the window is mapped and drops it when the window is withdrawn, so
// call it before every show; a window already mapped is moved by a request to the window
// manager. False off X11, and when the window has no native window yet.
bool setX11OnEveryDesktop(QWidget& window, bool every);
