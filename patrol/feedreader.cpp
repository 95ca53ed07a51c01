#include "patrol/feedreader.h"

#include <QDomNode>

#include "patrol/feedparser.h"
#include "platform/xmldocument.h"

namespace {

QString lowerBaseName(const QDomNode& node) {
    return XmlDocument::baseName(node).toLower();
}

// The children of every channel of the root; a later channel's values overwrite an
// earlier one's.
FeedChannel readChannel(const XmlDocument& doc) {
    FeedChannel channel;
    for (QDomNode root = doc.document().firstChild(); !root.isNull(); root = root.nextSibling()) {
        const QString rootName = lowerBaseName(root);
        if (!root.isElement() ||
            (rootName != QLatin1String("rdf") && rootName != QLatin1String("rss"))) {
            continue;
        }
        for (QDomNode node = root.firstChild(); !node.isNull(); node = node.nextSibling()) {
            if (lowerBaseName(node) != QLatin1String("channel")) {
                continue;
            }
            for (QDomNode field = node.firstChild(); !field.isNull(); field = field.nextSibling()) {
                const QString name = lowerBaseName(field);
                if (name == QLatin1String("title")) {
                    channel.title = trimFeedText(XmlDocument::text(field));
                } else if (name == QLatin1String("link")) {
                    channel.link = trimFeedText(XmlDocument::text(field));
                } else if (name == QLatin1String("description")) {
                    channel.description = trimFeedText(XmlDocument::text(field));
                }
            }
        }
        break;
    }
    return channel;
}

bool hasFeedRoot(const XmlDocument& doc) {
    for (QDomNode node = doc.document().firstChild(); !node.isNull(); node = node.nextSibling()) {
        const QString name = lowerBaseName(node);
        if (node.isElement() && (name == QLatin1String("rdf") || name == QLatin1String("rss"))) {
            return true;
        }
    }
    return false;
}

}  // namespace

FeedReadResult readFeed(const QByteArray& body, const QString& contentType,
                        const QUrl& documentUrl) {
    Q_UNUSED(contentType);
    Q_UNUSED(documentUrl);
    FeedReadResult result;
    XmlDocument doc;
    if (!doc.loadData(body)) {
        result.error = doc.errorString();
        return result;
    }
    if (!hasFeedRoot(doc)) {
        result.kind = FeedReadResult::Kind::NotFeed;
        return result;
    }
    result.kind = FeedReadResult::Kind::Feed;
    result.channel = readChannel(doc);
    if (!parseFeedDocument(doc, 0, result.items, {})) {
        result.overflow = result.items.size() >= kMaxFeedItems;
        result.items.clear();
    }
    return result;
}
