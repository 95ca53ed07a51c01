#include "app/probecommon.h"

int probeFeed(const QStringList&) { return printUsage(QStringLiteral("feed: not available")); }
