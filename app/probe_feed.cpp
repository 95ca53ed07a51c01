#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

#include "app/probecommon.h"
#include "patrol/feeddates.h"
#include "patrol/feedfetch.h"

// feed URL|FILE: the items the patrol reads from a feed, one line each: index from 1,
// title (cleaned), link, date as yyyy-MM-dd HH:mm:ss (empty when none), its display
// text, description. Exit 1 when the feed yields nothing.
int probeFeed(const QStringList& args) {
    if (args.size() != 1) {
        return printUsage(QStringLiteral("usage: qv3probe feed URL|FILE"));
    }
    ProbeEnvironment environment(
        QDir::currentPath(), QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
    AppState& state = environment.state();
    SiteRow site;
    site.intKind = kKindSite;
    site.strXmlUrl = args.at(0);
    state.SiteTable.append(site);

    QList<ArticleRecord> articles;
    if (!fetchSiteFeed(state, 0, articles, {})) {
        std::fprintf(stderr, "no items read from %s\n", qUtf8Printable(args.at(0)));
        return kProbeFailed;
    }
    int number = 0;
    for (const ArticleRecord& article : articles) {
        printRecord({QString::number(++number), article.Title, article.Link,
                     article.PubDate.isValid()
                         ? article.PubDate.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                         : QString(),
                     FormatNewsDate(article.PubDate), article.Description});
    }
    return kProbeOk;
}
