#include "icons/icondiscovery.h"

#include <algorithm>
#include <limits>

#include <QList>
#include <QSet>

#include "formats/htmltags.h"

namespace {

bool isHttp(const QUrl& url) {
    const QString scheme = url.scheme();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !url.host().isEmpty();
}

enum class IconRel { None, Icon, TouchIcon };

// What a link's rel makes of it: the tokens "icon" (alone or after "shortcut") name a
// favicon; "apple-touch-icon" and its "-precomposed" form a home-screen icon.
IconRel iconRelOf(const QString& rel) {
    IconRel found = IconRel::None;
    for (const QStringView token : QStringView(rel).split(u' ', Qt::SkipEmptyParts)) {
        if (token.compare(QLatin1String("icon"), Qt::CaseInsensitive) == 0) {
            return IconRel::Icon;
        }
        if (token.compare(QLatin1String("apple-touch-icon"), Qt::CaseInsensitive) == 0 ||
            token.compare(QLatin1String("apple-touch-icon-precomposed"), Qt::CaseInsensitive) ==
                0) {
            found = IconRel::TouchIcon;
        }
    }
    return found;
}

// How well a sizes attribute fits: rank 0 for an icon that fits (or scales), 1 for one that
// says nothing usable, 2 for one only larger; within a rank, lower is better.
struct Fit {
    int rank = 1;
    int order = 0;
    friend bool operator<(const Fit& a, const Fit& b) {
        return a.rank != b.rank ? a.rank < b.rank : a.order < b.order;
    }
};

Fit fitOfSizes(const QString& sizes) {
    int largestFitting = 0;
    int smallestLarger = std::numeric_limits<int>::max();
    bool scalable = false;
    for (const QStringView token : QStringView(sizes).split(u' ', Qt::SkipEmptyParts)) {
        if (token.compare(QLatin1String("any"), Qt::CaseInsensitive) == 0) {
            scalable = true;
            continue;
        }
        const qsizetype x = token.indexOf(u'x', 0, Qt::CaseInsensitive);
        if (x <= 0) {
            continue;
        }
        bool widthOk = false;
        bool heightOk = false;
        const int width = token.left(x).toInt(&widthOk);
        const int height = token.mid(x + 1).toInt(&heightOk);
        if (!widthOk || !heightOk || width <= 0 || height <= 0) {
            continue;
        }
        const int side = std::max(width, height);
        if (side <= kIconFitPixels) {
            largestFitting = std::max(largestFitting, side);
        } else {
            smallestLarger = std::min(smallestLarger, side);
        }
    }
    if (scalable) {
        return {0, -kIconFitPixels};
    }
    if (largestFitting > 0) {
        return {0, -largestFitting};
    }
    if (smallestLarger != std::numeric_limits<int>::max()) {
        return {2, smallestLarger};
    }
    return {1, 0};
}

struct Candidate {
    IconRel rel = IconRel::Icon;
    Fit fit;
    QString href;
};

}  // namespace

QString absoluteHttpUrl(const QString& href, const QUrl& base) {
    const QString trimmed = href.trimmed();
    if (trimmed.isEmpty()) {
        return {};
    }
    const QUrl url(trimmed);
    if (!url.isValid()) {
        return {};
    }
    const QUrl absolute = url.isRelative() ? base.resolved(url) : url;
    if (!absolute.isValid() || !isHttp(absolute)) {
        return {};
    }
    return absolute.toString(QUrl::FullyEncoded);
}

QString faviconUrlOf(const QUrl& url) {
    if (!isHttp(url)) {
        return {};
    }
    QUrl favicon;
    favicon.setScheme(url.scheme());
    favicon.setHost(url.host());
    favicon.setPort(url.port());
    favicon.setPath(QStringLiteral("/favicon.ico"));
    return favicon.toString(QUrl::FullyEncoded);
}

QStringList discoverIconLinks(const QByteArray& html, const QString& contentType,
                              const QUrl& pageUrl) {
    if (!isHttp(pageUrl)) {
        return {};
    }
    const QString page = decodeHtmlPage(html, contentType);
    HtmlTagScanner scanner(page);
    QList<Candidate> candidates;
    QString baseHref;
    HtmlTag tag;
    while (scanner.next(tag)) {
        if (tag.name == QLatin1String("body") ||
            (tag.closing && tag.name == QLatin1String("head"))) {
            break;
        }
        if (tag.closing) {
            continue;
        }
        if (tag.name == QLatin1String("base") && baseHref.isEmpty()) {
            // The first base with an href is the document's base, wherever its links stand.
            baseHref = tag.attribute(QLatin1String("href")).trimmed();
        } else if (tag.name == QLatin1String("link")) {
            const IconRel rel = iconRelOf(tag.attribute(QLatin1String("rel")).simplified());
            const QString href = tag.attribute(QLatin1String("href")).trimmed();
            if (rel != IconRel::None && !href.isEmpty()) {
                candidates.append({rel, fitOfSizes(tag.attribute(QLatin1String("sizes"))), href});
            }
        }
    }
    QUrl base = pageUrl;
    if (!baseHref.isEmpty()) {
        const QString absoluteBase = absoluteHttpUrl(baseHref, pageUrl);
        if (!absoluteBase.isEmpty()) {
            base = QUrl(absoluteBase);
        }
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) {
                         if (a.rel != b.rel) {
                             return a.rel < b.rel;
                         }
                         return a.fit < b.fit;
                     });
    QStringList links;
    QSet<QString> seen;
    auto add = [&](const QString& link) {
        if (!link.isEmpty() && !seen.contains(link)) {
            seen.insert(link);
            links.append(link);
        }
    };
    for (const Candidate& candidate : candidates) {
        add(absoluteHttpUrl(candidate.href, base));
    }
    add(faviconUrlOf(pageUrl));
    return links;
}
