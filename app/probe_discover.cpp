#include <cstdio>

#include "app/probecommon.h"
#include "formats/feeddiscovery.h"
#include "platform/net/resourcefetch.h"

// discover URL|FILE: the feeds an HTML page names in its head, one URL a line, RSS first.
// Exit 1 when the page cannot be read or names none.
int probeDiscover(const QStringList& args) {
    if (args.size() != 1) {
        return printUsage(QStringLiteral("usage: qv3probe discover URL|FILE"));
    }
    const FetchedResource page = fetchResource(args.at(0), FetchOptions{});
    if (!page.ok) {
        std::fprintf(stderr, "cannot read %s: %s\n", qUtf8Printable(args.at(0)),
                     qUtf8Printable(page.error));
        return kProbeFailed;
    }
    const QStringList feeds = discoverFeedLinks(page.body, page.contentType, page.url);
    if (feeds.isEmpty()) {
        std::fprintf(stderr, "no feed named in %s\n", qUtf8Printable(args.at(0)));
        return kProbeFailed;
    }
    for (const QString& feed : feeds) {
        printRecord({feed});
    }
    return kProbeOk;
}
