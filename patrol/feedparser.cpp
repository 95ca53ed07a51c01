#include "patrol/feedparser.h"

#include <QDomNode>
#include <QDomNodeList>

#include "patrol/feeddates.h"
#include "patrol/titleclean.h"
#include "platform/xmldocument.h"

namespace {

bool isFeedBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') ||
           c == QLatin1Char('\n');
}

// Local names are compared lower-cased; most feeds already write them so, which spares
// the copy.
QString lowerBaseName(const QDomNode& node) {
    QString name = XmlDocument::baseName(node);
    for (const QChar c : name) {
        if (c.isUpper()) {
            return name.toLower();
        }
    }
    return name;
}

ArticleRecord parseItem(const QDomNode& item, qint16 siteIndex) {
    ArticleRecord record;
    record.SiteIndex = siteIndex;
    for (QDomNode child = item.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (!child.isElement()) {
            continue;  // text and comments have no local name, so they match nothing
        }
        const QString name = lowerBaseName(child);
        if (name == QLatin1String("title")) {
            record.Title = CleanTitleText(trimFeedText(XmlDocument::text(child)));
        } else if (name == QLatin1String("link")) {
            record.Link = trimFeedText(XmlDocument::text(child));
        } else if (name == QLatin1String("description")) {
            record.Description = trimFeedText(XmlDocument::text(child));
        } else if (name == QLatin1String("date") || name == QLatin1String("pubdate")) {
            // An unreadable date keeps what an earlier date element of the item gave.
            const QDateTime date =
                parseFeedDate(NormalizeRssDate(trimFeedText(XmlDocument::text(child))));
            if (date.isValid()) {
                record.PubDate = date;
            }
        }
    }
    return record;
}

enum class PassResult { Done, Overflow };

// One pass over the children of parent: items are appended, the last channel seen is
// left in channel (null when none).
PassResult collectItems(const QDomNode& parent, qint16 siteIndex,
                        QList<ArticleRecord>& SiteArticles,
                        const std::function<void(const QString&)>& log, QDomNode& channel) {
    channel = QDomNode();
    for (QDomNode child = parent.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (!child.isElement()) {
            continue;
        }
        const QString name = lowerBaseName(child);
        if (name == QLatin1String("item")) {
            if (SiteArticles.size() >= kMaxFeedItems) {
                return PassResult::Overflow;
            }
            ArticleRecord record = parseItem(child, siteIndex);
            if (log) {
                log(QStringLiteral(u"記事「") + record.Title + QStringLiteral(u"」を入力しました"));
            }
            SiteArticles.append(std::move(record));
        } else if (name == QLatin1String("channel")) {
            channel = child;
        }
    }
    return PassResult::Done;
}

QDomNode feedRoot(const XmlDocument& doc) {
    for (QDomNode node = doc.document().firstChild(); !node.isNull(); node = node.nextSibling()) {
        if (!node.isElement()) {
            continue;
        }
        const QString name = lowerBaseName(node);
        if (name == QLatin1String("rdf") || name == QLatin1String("rss")) {
            return node;
        }
    }
    return {};
}

}  // namespace

QString trimFeedText(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isFeedBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isFeedBlank(text[end - 1])) {
        --end;
    }
    if (begin == 0 && end == text.size()) {
        return text;
    }
    return text.mid(begin, end - begin);
}

bool parseFeedDocument(const XmlDocument& doc, qint16 siteIndex, QList<ArticleRecord>& SiteArticles,
                       const std::function<void(const QString&)>& log) {
    const QDomNode root = feedRoot(doc);
    if (root.isNull()) {
        return false;
    }
    SiteArticles.clear();
    // RSS 1.0 keeps its items beside the channel (first pass); RSS 0.9x and 2.0 inside it
    // (second pass, over the last channel only).
    QDomNode channel;
    if (collectItems(root, siteIndex, SiteArticles, log, channel) == PassResult::Overflow) {
        return false;
    }
    if (SiteArticles.isEmpty() && !channel.isNull()) {
        QDomNode nested;
        if (collectItems(channel, siteIndex, SiteArticles, log, nested) == PassResult::Overflow) {
            return false;
        }
    }
    return !SiteArticles.isEmpty();
}
