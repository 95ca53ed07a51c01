#include <QCoreApplication>
#include <gtest/gtest.h>

#include "tests/common/testdefaults.h"

// Tests of the core run with a QCoreApplication: no widgets, no platform plugin.
int main(int argc, char* argv[]) {
    setTestEnvironmentDefaults();
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
