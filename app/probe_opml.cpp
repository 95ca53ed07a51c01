#include "app/probecommon.h"

int probeOpml(const QStringList&) { return printUsage(QStringLiteral("opml: not available")); }
int probeOpmlResave(const QStringList&) {
    return printUsage(QStringLiteral("opml-resave: not available"));
}
