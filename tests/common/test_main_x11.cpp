#include <QApplication>
#include <cstring>
#include <gtest/gtest.h>

#include "tests/common/testdefaults.h"
#include "tests/common/x11tests.h"
#include "tests/common/xvfbserver.h"

namespace {
QString noServer;
}  // namespace

QString whyNoXServer() {
    return noServer;
}

// Test executables of X11 code run on an Xvfb server of their own, with Qt's xcb platform.
// Without one (no Xvfb, or it would not start) they run offscreen and their cases skip,
// saying why. Listing the cases starts no server.
int main(int argc, char* argv[]) {
    setTestEnvironmentDefaults();
    bool listing = false;
    for (int i = 1; i < argc; ++i) {
        listing = listing || std::strncmp(argv[i], "--gtest_list_tests", 18) == 0;
    }
    XvfbServer server;
    if (listing) {
        noServer = QStringLiteral("only listing the tests");
    } else if (server.start()) {
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
    } else {
        noServer = server.why();
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    }
#ifdef QV_X11_TEST_SCALE
    // Device pixels and Qt's differ, so that a conversion between them that is off shows.
    qputenv("QT_SCALE_FACTOR", QByteArrayLiteral(QV_X11_TEST_SCALE));
#endif
    int status = 0;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        status = RUN_ALL_TESTS();
    }
    return status;
}
