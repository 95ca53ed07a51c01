#pragma once

#include <QString>

#include "tests/common/loopbackserver.h"
#include "tests/common/testenv.h"

// The pages a site's channel is read from, as the properties panel and the new-site dialog
// are tested against them: RSS 1.0, 2.0 and Atom channels, a broken feed, a home page that
// names its feed (/rss.xml) and one that names none.
inline void serveChannelPages(LoopbackServer& server) {
    server.serve(QStringLiteral("/rss10.rdf"), readTestData(QStringLiteral("channel_rss10.rdf")));
    server.serve(QStringLiteral("/rss20.xml"), readTestData(QStringLiteral("channel_rss20.xml")));
    server.serve(QStringLiteral("/atom.xml"), readTestData(QStringLiteral("channel_atom.xml")));
    server.serve(QStringLiteral("/broken.xml"), "<rss><channel><title>x</channel>");
    server.serve(QStringLiteral("/home.html"), readTestData(QStringLiteral("xhtml.html")),
                 "text/html; charset=UTF-8");
    server.serve(QStringLiteral("/rss.xml"), readTestData(QStringLiteral("channel_rss20.xml")));
    server.serve(QStringLiteral("/plain.html"), "<html><head><title>t</title></head></html>",
                 "text/html");
}
