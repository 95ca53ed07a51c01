#pragma once

struct xcb_connection_t;

// The program's connection to the X server; null off X11 (the offscreen platform offers
// Qt's X11 interface too, without a connection).
[[nodiscard]] xcb_connection_t* x11Connection();
