#include <QApplication>
#include <gtest/gtest.h>

#include "tests/common/testdefaults.h"

// Every test executable of the windows runs with a QApplication (offscreen platform).
int main(int argc, char* argv[]) {
    setTestEnvironmentDefaults();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
