#include "formats/feeddiscovery.h"

#include <array>

#include <QSet>

#include "formats/htmltags.h"

namespace {

// The feed types in the order their links are returned. JSON Feeds come last, and only
// under their own type: sites label other APIs application/json.
constexpr std::array<const char*, 4> kFeedTypes = {"application/rss+xml", "application/atom+xml",
                                                   "application/rdf+xml", "application/feed+json"};

bool isAlternate(const QString& rel) {
    for (const QStringView token : QStringView(rel).split(u' ', Qt::SkipEmptyParts)) {
        if (token.compare(QLatin1String("alternate"), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

// The media type without parameters, lower-cased.
QString mediaType(const QString& type) {
    return type.section(u';', 0, 0).trimmed().toLower();
}

QString resolved(const QString& href, const QUrl& base) {
    const QUrl url(href);
    return base.isEmpty() || !url.isRelative() ? href : base.resolved(url).toString();
}

}  // namespace

QStringList discoverFeedLinks(const QByteArray& html, const QString& contentType,
                              const QUrl& pageUrl) {
    const QString page = decodeHtmlPage(html, contentType);
    HtmlTagScanner scanner(page);
    std::array<QStringList, kFeedTypes.size()> hrefs;
    QString baseHref;
    bool baseSeen = false;
    HtmlTag tag;
    while (scanner.next(tag)) {
        if (tag.name == QLatin1String("body") ||
            (tag.closing && tag.name == QLatin1String("head"))) {
            break;
        }
        if (tag.closing) {
            continue;
        }
        if (tag.name == QLatin1String("base") && !baseSeen) {
            // The first base with an href is the document's base, wherever its links stand.
            baseHref = tag.attribute(QLatin1String("href")).trimmed();
            baseSeen = !baseHref.isEmpty();
        } else if (tag.name == QLatin1String("link") &&
                   isAlternate(tag.attribute(QLatin1String("rel")).simplified())) {
            const QString type = mediaType(tag.attribute(QLatin1String("type")));
            const QString href = tag.attribute(QLatin1String("href")).trimmed();
            for (size_t i = 0; i < kFeedTypes.size(); ++i) {
                if (!href.isEmpty() && type == QLatin1String(kFeedTypes[i])) {
                    hrefs[i].append(href);
                }
            }
        }
    }
    const QUrl base = baseSeen
                          ? (pageUrl.isEmpty() ? QUrl(baseHref) : pageUrl.resolved(QUrl(baseHref)))
                          : pageUrl;
    QStringList links;
    QSet<QString> seen;
    for (const QStringList& group : hrefs) {
        for (const QString& href : group) {
            QString link = resolved(href, base);
            if (!seen.contains(link)) {
                seen.insert(link);
                links.append(std::move(link));
            }
        }
    }
    return links;
}
