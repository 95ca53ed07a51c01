#include "tests/common/testdefaults.h"

#include <QByteArray>
#include <QtGlobal>

void setTestEnvironmentDefaults() {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    }
    if (!qEnvironmentVariableIsSet("QT_LOGGING_RULES")) {
        qputenv("QT_LOGGING_RULES", QByteArrayLiteral("qt.qpa.*=false"));
    }
}

// Read by the address sanitizer's runtime, when there is one: leaks are not reported, as Qt
// and fontconfig keep allocations alive until the process ends. ASAN_OPTIONS overrides it.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}
