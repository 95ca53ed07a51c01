#pragma once

#include <QString>
#include <sys/types.h>

// A virtual X server of the test's own, on a display number the server picks itself, so
// that tests running side by side never share one. It ends with the object, and with the
// test process should that die first.
class XvfbServer {
public:
    XvfbServer() = default;
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // Starts the server (one screen of 1280 × 800 at 24 bits) and points DISPLAY at it.
    // False, with why(), when it cannot.
    bool start();
    [[nodiscard]] const QString& why() const { return reason; }

private:
    pid_t pid = 0;
    QString reason;
};
