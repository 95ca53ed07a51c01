#include "app/probecommon.h"

int probeSettings(const QStringList&) {
    return printUsage(QStringLiteral("settings: not available"));
}
