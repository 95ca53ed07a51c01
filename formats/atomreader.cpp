#include "formats/atomreader.h"

#include "formats/articleidentity.h"
#include "formats/feeddates.h"
#include "formats/feedtext.h"
#include "formats/htmltext.h"
#include "formats/xmlfeedcursor.h"

namespace {

const QLatin1StringView kAtomNamespace("http://www.w3.org/2005/Atom");

// The link an Atom feed or entry stands for: its first link with an href whose rel is
// alternate or absent, else its first link with an href.
class AtomLinkChoice {
public:
    void consider(const XmlFeedCursor& xml, const QUrl& base) {
        const QString hrefText = xml.attribute(QLatin1StringView("href"));
        const QStringView href = trimmedFeedText(hrefText);
        if (href.isEmpty() || !alternate.isEmpty()) {
            return;
        }
        const QString relText = xml.attribute(QLatin1StringView("rel"));
        const QStringView rel = trimmedFeedText(relText);
        if (rel.isEmpty() ||
            rel.compare(QLatin1StringView("alternate"), Qt::CaseInsensitive) == 0 ||
            rel == QLatin1StringView("http://www.iana.org/assignments/relation/alternate")) {
            alternate = resolvedFeedLink(href, base);
        } else if (first.isEmpty()) {
            first = resolvedFeedLink(href, base);
        }
    }
    [[nodiscard]] QString chosen() const { return alternate.isEmpty() ? first : alternate; }

private:
    QString alternate;
    QString first;
};

class AtomReader {
public:
    AtomReader(XmlFeedCursor& cursor, const QUrl& url, FeedReadResult& read)
        : xml(cursor), documentUrl(url), result(read) {}

    bool read() {
        takeNamespaces();
        if (!xml.named(QLatin1StringView("feed"), Qt::CaseSensitive) || !inAtomNamespace()) {
            return false;
        }
        result.kind = FeedReadResult::Kind::Feed;
        result.family = FeedReadResult::Family::Atom;
        const QUrl feedBase = baseOf(documentUrl);
        AtomLinkChoice link;
        QString icon;
        QString logo;
        QList<ArticleRecord> entries;
        bool overflow = false;
        while (xml.nextChild(1)) {
            takeNamespaces();
            if (!inAtomNamespace()) {
                xml.skipElement();
            } else if (is("entry")) {
                xml.collect(entries, overflow, [this, &feedBase] { return readEntry(feedBase); });
            } else if (is("title")) {
                result.channel.title = feedChannelTitle(readText());
            } else if (is("subtitle")) {
                result.channel.description = feedDescription(readText());
            } else if (is("icon")) {
                icon = trimFeedText(readText());
            } else if (is("logo")) {
                logo = trimFeedText(readText());
            } else if (is("link")) {
                link.consider(xml, baseOf(feedBase));
                xml.skipElement();
            } else {
                xml.skipElement();
            }
        }
        result.channel.link = link.chosen();
        // The icon is small and square, as a site's icon is; the logo is a banner.
        result.channel.image = icon.isEmpty() ? logo : icon;
        result.overflow = overflow;
        result.items = std::move(entries);
        return true;
    }

private:
    // Atom's names are matched exactly.
    [[nodiscard]] bool is(const char* name) const {
        return xml.named(QLatin1StringView(name), Qt::CaseSensitive);
    }

    ArticleRecord readEntry(const QUrl& feedBase) {
        ArticleRecord record;
        const QUrl base = baseOf(feedBase);
        const int depth = xml.depth();
        AtomLinkChoice link;
        QString published;
        QString updated;
        QString summary;
        QString content;
        QString id;
        while (xml.nextChild(depth)) {
            takeNamespaces();
            if (!inAtomNamespace()) {
                xml.skipElement();
            } else if (is("title")) {
                record.Title = feedItemTitle(readText());
            } else if (is("link")) {
                link.consider(xml, baseOf(base));
                xml.skipElement();
            } else if (is("published")) {
                published = xml.readText();
            } else if (is("updated")) {
                updated = xml.readText();
            } else if (is("id")) {
                id = xml.readText();
            } else if (is("summary")) {
                summary = xml.readText();
            } else if (is("content")) {
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
        record.Description =
            feedDescription(trimmedFeedText(summary).isEmpty() ? content : summary);
        record.Identity = articleIdentity(id, record.Link, record.Title, record.PubDate);
        return record;
    }

    // An Atom text construct: HTML is given as the text it shows; the text of XHTML's
    // div and plain text as they stand.
    QString readText() {
        const QString type = xml.attribute(QLatin1StringView("type")).trimmed().toLower();
        const QString text = xml.readText();
        if (type == QLatin1StringView("html") || type == QLatin1StringView("text/html")) {
            return htmlToPlainText(text);
        }
        return text;
    }

    // The base URL within the element just started: its xml:base resolved against the
    // base of its parent.
    [[nodiscard]] QUrl baseOf(const QUrl& parentBase) const {
        const QString valueText = xml.attribute(QLatin1StringView("xml:base"));
        const QStringView value = trimmedFeedText(valueText);
        if (value.isEmpty()) {
            return parentBase;
        }
        const QUrl url(value.toString());
        return parentBase.isEmpty() ? url : parentBase.resolved(url);
    }

    // Called at an element's start: forgets the namespace declarations of the elements
    // closed since the last call and takes this one's. Namespaces are tracked here because
    // the cursor does not process them: a prefix a feed forgot to declare must not make
    // it unreadable.
    void takeNamespaces() {
        const int depth = xml.depth();
        while (!bindings.isEmpty() && bindings.last().depth >= depth) {
            bindings.removeLast();
        }
        const QList<XmlFeedCursor::NamespaceDeclaration> declared = xml.namespaceDeclarations();
        for (const XmlFeedCursor::NamespaceDeclaration& declaration : declared) {
            bindings.append({depth, declaration.prefix, declaration.uri});
        }
    }

    [[nodiscard]] bool inAtomNamespace() const {
        const QAnyStringView prefix = xml.prefix();
        for (auto it = bindings.crbegin(); it != bindings.crend(); ++it) {
            if (QAnyStringView::equal(it->prefix, prefix)) {
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

    XmlFeedCursor& xml;
    const QUrl documentUrl;
    FeedReadResult& result;
    QList<NamespaceBinding> bindings;
};

}  // namespace

bool readAtom(XmlFeedCursor& xml, const QUrl& documentUrl, FeedReadResult& result) {
    return AtomReader(xml, documentUrl, result).read();
}
