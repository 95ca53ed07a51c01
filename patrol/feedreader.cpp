#include "patrol/feedreader.h"

#include <QXmlStreamAttributes>

#include "patrol/feeddates.h"
#include "patrol/htmltext.h"
#include "patrol/titleclean.h"
#include "platform/resourcefetch.h"
#include "platform/safexmlstream.h"

namespace {

const QLatin1String kAtomNamespace("http://www.w3.org/2005/Atom");

bool isFeedBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') ||
           c == QLatin1Char('\n');
}

QStringView trimmed(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isFeedBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isFeedBlank(text[end - 1])) {
        --end;
    }
    return text.mid(begin, end - begin);
}

// RSS names match in any case.
bool named(QStringView name, QLatin1String expected) {
    return name.compare(expected, Qt::CaseInsensitive) == 0;
}

// text without blanks at either end, cut to at most max units, and never inside a
// surrogate pair when keepPairs; text itself when that changes nothing, so that the
// common field costs no copy and a huge one is copied only as far as it is kept.
QString trimmedAndCut(const QString& text, qsizetype max, bool keepPairs = true) {
    QStringView kept = trimmed(text);
    if (kept.size() == text.size() && text.size() <= max) {
        return text;
    }
    if (kept.size() > max) {
        kept = kept.left(keepPairs && kept[max - 1].isHighSurrogate() ? max - 1 : max);
    }
    return kept.toString();
}

QString itemTitle(const QString& text) {
    // The clean-up maps unit for unit and turns every surrogate into U+3000, so cutting
    // before it gives the title that cutting after it would, and a title of megabytes is
    // never cleaned whole.
    return CleanTitleText(trimmedAndCut(text, kMaxFeedTitleLength, false));
}

QString channelTitle(const QString& text) {
    return trimmedAndCut(text, kMaxFeedTitleLength);
}

QString description(const QString& text) {
    return trimmedAndCut(text, kMaxFeedDescriptionLength);
}

// A link as written, or resolved against base when it is relative and there is a base.
QString resolvedLink(QStringView href, const QUrl& base) {
    const QUrl url(href.toString());
    if (!url.isRelative() || base.isEmpty()) {
        return href.toString();
    }
    QString link = base.resolved(url).toString();
    // QUrl builds its text by appending; the link is kept with the item.
    link.squeeze();
    return link;
}

// The link an Atom feed or entry stands for: its first link with an href whose rel is
// alternate or absent, else its first link with an href.
class AtomLinkChoice {
public:
    void consider(const QXmlStreamAttributes& attributes, const QUrl& base) {
        const QStringView href = trimmed(attributes.value(QLatin1String("href")));
        if (href.isEmpty() || !alternate.isEmpty()) {
            return;
        }
        const QStringView rel = trimmed(attributes.value(QLatin1String("rel")));
        if (rel.isEmpty() || rel.compare(QLatin1String("alternate"), Qt::CaseInsensitive) == 0 ||
            rel == QLatin1String("http://www.iana.org/assignments/relation/alternate")) {
            alternate = resolvedLink(href, base);
        } else if (first.isEmpty()) {
            first = resolvedLink(href, base);
        }
    }
    [[nodiscard]] QString chosen() const { return alternate.isEmpty() ? first : alternate; }

private:
    QString alternate;
    QString first;
};

// One pass over a feed document; each read* function is called at an element's start
// and returns at its end.
class FeedStreamReader {
public:
    FeedStreamReader(SafeXmlStream& stream, const QUrl& url) : xml(stream), documentUrl(url) {}

    FeedReadResult read() {
        bool atRoot = false;
        while (!atRoot && !xml.atEnd()) {
            atRoot = xml.readNext() == QXmlStreamReader::StartElement;
        }
        if (atRoot) {
            result.kind = FeedReadResult::Kind::NotFeed;
            if (named(name(), QLatin1String("rss")) || named(name(), QLatin1String("rdf"))) {
                result.kind = FeedReadResult::Kind::Feed;
                readRss();
            } else {
                takeNamespaces();
                if (name() == QLatin1String("feed") && inAtomNamespace()) {
                    result.kind = FeedReadResult::Kind::Feed;
                    readAtom();
                }
            }
        }
        // Whatever follows must be well-formed too.
        if (!xml.readToEnd()) {
            FeedReadResult failed;
            failed.error = xml.errorString();
            return failed;
        }
        return std::move(result);
    }

private:
    [[nodiscard]] QStringView name() const { return xml.reader().name(); }

    // Moves to the next child element of the element open at parentDepth. False at that
    // element's end, or the document's.
    bool nextChild(int parentDepth) {
        while (!xml.atEnd()) {
            switch (xml.readNext()) {
                case QXmlStreamReader::StartElement:
                    return true;
                case QXmlStreamReader::EndElement:
                    if (xml.depth() < parentDepth) {
                        return false;
                    }
                    break;
                default:
                    break;
            }
        }
        return false;
    }

    // Reads the item just started into items with readItem, or, past the item limit,
    // marks the overflow and keeps no item.
    template <typename ReadItem>
    void collect(QList<ArticleRecord>& items, bool& overflow, const ReadItem& readItem) {
        if (!overflow && items.size() >= kMaxFeedItems) {
            overflow = true;
            items = {};
        }
        if (overflow) {
            xml.skipElement();
            return;
        }
        items.append(readItem());
    }

    void readRss() {
        result.family = FeedReadResult::Family::Rss;
        QList<ArticleRecord> rootItems;
        bool rootOverflow = false;
        QList<ArticleRecord> channelItems;
        bool channelOverflow = false;
        const auto readItem = [this] { return readRssItem(); };
        while (nextChild(1)) {
            if (named(name(), QLatin1String("item"))) {
                collect(rootItems, rootOverflow, readItem);
            } else if (named(name(), QLatin1String("channel"))) {
                // Only the last channel's items count, and only when the root has none.
                channelItems = {};
                channelOverflow = false;
                readRssChannel(rootItems.isEmpty() && !rootOverflow ? &channelItems : nullptr,
                               channelOverflow);
            } else {
                xml.skipElement();
            }
        }
        if (rootOverflow || (rootItems.isEmpty() && channelOverflow)) {
            result.overflow = true;
        } else {
            result.items = rootItems.isEmpty() ? std::move(channelItems) : std::move(rootItems);
        }
    }

    // items is null when the channel's items are not wanted.
    void readRssChannel(QList<ArticleRecord>* items, bool& overflow) {
        const int depth = xml.depth();
        while (nextChild(depth)) {
            const QStringView field = name();
            if (named(field, QLatin1String("item")) && items != nullptr) {
                collect(*items, overflow, [this] { return readRssItem(); });
            } else if (named(field, QLatin1String("title"))) {
                result.channel.title = channelTitle(xml.readText());
            } else if (named(field, QLatin1String("link"))) {
                result.channel.link = trimFeedText(xml.readText());
            } else if (named(field, QLatin1String("description"))) {
                result.channel.description = description(xml.readText());
            } else {
                xml.skipElement();
            }
        }
    }

    ArticleRecord readRssItem() {
        ArticleRecord record;
        const int depth = xml.depth();
        while (nextChild(depth)) {
            const QStringView field = name();
            if (named(field, QLatin1String("title"))) {
                record.Title = itemTitle(xml.readText());
            } else if (named(field, QLatin1String("link"))) {
                record.Link = trimFeedText(xml.readText());
            } else if (named(field, QLatin1String("description"))) {
                record.Description = description(xml.readText());
            } else if (named(field, QLatin1String("date")) ||
                       named(field, QLatin1String("pubdate"))) {
                // An unreadable date keeps what an earlier date element of the item gave.
                const QDateTime date =
                    parseFeedDate(NormalizeRssDate(trimFeedText(xml.readText())));
                if (date.isValid()) {
                    record.PubDate = date;
                }
            } else {
                xml.skipElement();
            }
        }
        return record;
    }

    void readAtom() {
        result.family = FeedReadResult::Family::Atom;
        const QUrl feedBase = baseOf(documentUrl);
        AtomLinkChoice link;
        QList<ArticleRecord> entries;
        bool overflow = false;
        while (nextChild(1)) {
            takeNamespaces();
            const QStringView field = name();
            if (!inAtomNamespace()) {
                xml.skipElement();
            } else if (field == QLatin1String("entry")) {
                collect(entries, overflow, [this, &feedBase] { return readAtomEntry(feedBase); });
            } else if (field == QLatin1String("title")) {
                result.channel.title = channelTitle(readAtomText());
            } else if (field == QLatin1String("subtitle")) {
                result.channel.description = description(readAtomText());
            } else if (field == QLatin1String("link")) {
                link.consider(xml.reader().attributes(), baseOf(feedBase));
                xml.skipElement();
            } else {
                xml.skipElement();
            }
        }
        result.channel.link = link.chosen();
        result.overflow = overflow;
        result.items = std::move(entries);
    }

    ArticleRecord readAtomEntry(const QUrl& feedBase) {
        ArticleRecord record;
        const QUrl base = baseOf(feedBase);
        const int depth = xml.depth();
        AtomLinkChoice link;
        QString published;
        QString updated;
        QString summary;
        QString content;
        while (nextChild(depth)) {
            takeNamespaces();
            const QStringView field = name();
            if (!inAtomNamespace()) {
                xml.skipElement();
            } else if (field == QLatin1String("title")) {
                record.Title = itemTitle(readAtomText());
            } else if (field == QLatin1String("link")) {
                link.consider(xml.reader().attributes(), baseOf(base));
                xml.skipElement();
            } else if (field == QLatin1String("published")) {
                published = xml.readText();
            } else if (field == QLatin1String("updated")) {
                updated = xml.readText();
            } else if (field == QLatin1String("summary")) {
                summary = xml.readText();
            } else if (field == QLatin1String("content")) {
                content = xml.readText();
            } else {
                xml.skipElement();
            }
        }
        record.Link = link.chosen();
        record.PubDate = parseRfc3339Date(published);
        if (!record.PubDate.isValid()) {
            record.PubDate = parseRfc3339Date(updated);
        }
        record.Description = description(trimmed(summary).isEmpty() ? content : summary);
        return record;
    }

    // An Atom text construct: HTML is given as the text it shows; the text of XHTML's
    // div and plain text as they stand.
    QString readAtomText() {
        const QString type =
            xml.reader().attributes().value(QLatin1String("type")).trimmed().toString().toLower();
        const QString text = xml.readText();
        if (type == QLatin1String("html") || type == QLatin1String("text/html")) {
            return htmlToPlainText(text);
        }
        return text;
    }

    // The base URL within the element just started: its xml:base resolved against the
    // base of its parent.
    [[nodiscard]] QUrl baseOf(const QUrl& parentBase) const {
        const QStringView value =
            trimmed(xml.reader().attributes().value(QLatin1String("xml:base")));
        if (value.isEmpty()) {
            return parentBase;
        }
        const QUrl url(value.toString());
        return parentBase.isEmpty() ? url : parentBase.resolved(url);
    }

    // Called at an element's start: forgets the namespace declarations of the elements
    // closed since the last call and takes this one's. Namespaces are tracked here because
    // the stream does not process them: a prefix a feed forgot to declare must not make
    // it unreadable.
    void takeNamespaces() {
        const int depth = xml.depth();
        while (!bindings.isEmpty() && bindings.last().depth >= depth) {
            bindings.removeLast();
        }
        const QXmlStreamAttributes attributes = xml.reader().attributes();
        for (const QXmlStreamAttribute& attribute : attributes) {
            if (attribute.qualifiedName() == QLatin1String("xmlns")) {
                bindings.append({depth, QString(), attribute.value().toString()});
            } else if (attribute.prefix() == QLatin1String("xmlns")) {
                bindings.append({depth, attribute.name().toString(), attribute.value().toString()});
            }
        }
    }

    [[nodiscard]] bool inAtomNamespace() const {
        const QStringView prefix = xml.reader().prefix();
        for (auto it = bindings.crbegin(); it != bindings.crend(); ++it) {
            if (it->prefix == prefix) {
                return it->uri == kAtomNamespace;
            }
        }
        return false;
    }

    struct NamespaceBinding {
        int depth = 0;
        QString prefix;
        QString uri;
    };

    SafeXmlStream& xml;
    const QUrl documentUrl;
    FeedReadResult result;
    QList<NamespaceBinding> bindings;
};

}  // namespace

FeedReadResult readFeed(SafeXmlStream& stream, const QUrl& documentUrl) {
    return FeedStreamReader(stream, documentUrl).read();
}

FeedReadResult readFeed(const QByteArray& body, const QString& contentType,
                        const QUrl& documentUrl) {
    SafeXmlStream stream(body, charsetOfContentType(contentType));
    return readFeed(stream, documentUrl);
}

QString trimFeedText(const QString& text) {
    const QStringView kept = trimmed(text);
    return kept.size() == text.size() ? text : kept.toString();
}
