#include <QApplication>
#include <gtest/gtest.h>

#include "tests/common/testdefaults.h"

// Every test executable of the windows runs with a QApplication (offscreen platform). No
// translation is installed: the windows speak their own Japanese texts whatever the locale,
// and a test that wants them in English installs one (tests/common/wholetexts.h).
int main(int argc, char* argv[]) {
    setTestEnvironmentDefaults();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
