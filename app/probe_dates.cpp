#include "app/probecommon.h"

int probeDate(const QStringList&) { return printUsage(QStringLiteral("date: not available")); }
int probeMd5(const QStringList&) { return printUsage(QStringLiteral("md5: not available")); }
