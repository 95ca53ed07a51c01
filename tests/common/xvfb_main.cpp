#include <QApplication>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/common/testdefaults.h"

namespace {

// Starts Xvfb on a display it picks itself and returns its process, with DISPLAY set to that
// display once the server takes connections; -1 when it does not start.
pid_t startXvfb() {
    int ready[2];
    if (pipe(ready) != 0) {
        return -1;
    }
    const pid_t server = fork();
    if (server == 0) {
        close(ready[0]);
        const std::string fd = std::to_string(ready[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x800x24", "-nolisten",
               "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    // The server writes its display number when it is ready; nothing when it failed.
    std::string display;
    char c = 0;
    while (server > 0 && read(ready[0], &c, 1) == 1 && c != '\n') {
        display += c;
    }
    close(ready[0]);
    if (server <= 0 || display.empty()) {
        return -1;
    }
    setenv("DISPLAY", (":" + display).c_str(), 1);
    return server;
}

}  // namespace

// Test executables of X11 code: their own Xvfb (1280 × 800), the xcb platform at a device
// pixel ratio of 2, so that device pixels and Qt's differ, and a QApplication on it. Listing
// the cases needs no server.
int main(int argc, char* argv[]) {
    bool listing = false;
    for (int i = 1; i < argc; ++i) {
        listing = listing || std::strcmp(argv[i], "--gtest_list_tests") == 0;
    }
    pid_t server = -1;
    if (!listing) {
        server = startXvfb();
        if (server < 0) {
            std::fprintf(stderr, "Xvfb did not start (scripts/deps installs it)\n");
            return 1;
        }
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
    }
    qputenv("QT_SCALE_FACTOR", QByteArrayLiteral("2"));
    setTestEnvironmentDefaults();
    int result = 0;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    if (server > 0) {
        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
    }
    return result;
}
