#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QString>

#include "tests/common/loopbackserver.h"
#include "core/appstate.h"

// What the benchmarks that patrol loopback feeds share.

// An RSS 2.0 feed of twenty items, old enough that nothing is queued: a one-site patrol
// then walks every site.
inline QByteArray oldSampleFeed(int site) {
    QByteArray feed =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\"><channel>"
        "<title>Site</title>";
    for (int i = 0; i < 20; ++i) {
        feed += "<item><title>Site " + QByteArray::number(site) + " article " +
                QByteArray::number(i) + "</title><link>http://example.com/" +
                QByteArray::number(site) + "/" + QByteArray::number(i) +
                "</link><pubDate>Mon, 13 Mar 2006 11:00:00 +0900</pubDate>"
                "<description>A short summary of the article.</description></item>";
    }
    return feed + "</channel></rss>";
}

// The numbers among the command line's arguments, in order; the other benchmarks'
// options (--...) are left out.
inline QList<int> numberArguments() {
    QList<int> numbers;
    for (const QString& argument : QCoreApplication::arguments().mid(1)) {
        bool isNumber = false;
        const int value = argument.toInt(&isNumber);
        if (isNumber) {
            numbers.append(value);
        }
    }
    return numbers;
}

// Adds sites sites to the table, site i with the feed feedOf(i) at /<name>i.xml on the
// server answering after delayMs; the one at hanging (if any) never answers.
template <typename FeedOf>
void serveSites(LoopbackServer& server, AppState& state, int sites, int delayMs, const char* name,
                FeedOf feedOf, int hanging = -1) {
    for (int i = 0; i < sites; ++i) {
        LoopbackServer::Response response;
        response.body = feedOf(i);
        response.delayMs = delayMs;
        response.hold = i == hanging;
        response.headers = {{"Content-Type", "application/rss+xml"}};
        const QString path = QStringLiteral("/%1%2.xml").arg(QLatin1String(name)).arg(i);
        server.route(path, response);
        SiteRow row;
        row.intKind = kKindSite;
        row.strTitle = QStringLiteral("Site %1").arg(i);
        row.strXmlUrl = server.url(path);
        state.SiteTable.append(row);
    }
    state.blnSiteListFlg = true;
}

// Each site with its own old sample feed.
inline void serveOldSampleSites(LoopbackServer& server, AppState& state, int sites, int delayMs,
                                int hanging = -1) {
    serveSites(server, state, sites, delayMs, "feed", oldSampleFeed, hanging);
}
