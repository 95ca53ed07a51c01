#include "app/probecommon.h"
#include "formats/feeddates.h"
#include "core/newsdate.h"
#include "patrol/md5.h"

// date TEXT: the normalised text, the date read from it (empty when none) and its display.
int probeDate(const QStringList& args) {
    if (args.size() != 1) {
        return printUsage(QStringLiteral("usage: qv3probe date TEXT"));
    }
    const QString normalized = NormalizeRssDate(args[0]);
    const QDateTime date = parseFeedDate(normalized);
    printRecord({normalized,
                 date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString(),
                 FormatNewsDate(date)});
    return kProbeOk;
}

// md5 TEXT: the digest that names shown-list files and fills their lines.
int probeMd5(const QStringList& args) {
    if (args.size() != 1) {
        return printUsage(QStringLiteral("usage: qv3probe md5 TEXT"));
    }
    printRecord({MD5Hex(args[0])});
    return kProbeOk;
}
