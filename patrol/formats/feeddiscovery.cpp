#include "patrol/formats/feeddiscovery.h"

#include <array>

#include <QList>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>

#include "patrol/formats/htmltext.h"
#include "platform/resourcefetch.h"

namespace {

// The feed types in the order their links are returned. JSON Feeds come last, and only
// under their own type: sites label other APIs application/json.
constexpr std::array<const char*, 4> kFeedTypes = {"application/rss+xml", "application/atom+xml",
                                                   "application/rdf+xml", "application/feed+json"};

// Elements whose content is text up to their end tag, never markup.
constexpr std::array<const char*, 4> kRawTextElements = {"script", "style", "title", "textarea"};

// How far into the page a <meta> naming the charset is looked for, as browsers do.
constexpr qsizetype kCharsetPrescanBytes = 1024;

QString charsetOfMeta(const QByteArray& html) {
    static const QRegularExpression meta(
        QStringLiteral(R"re(<meta\s[^>]*?charset\s*=\s*["']?\s*([A-Za-z0-9._:-]+))re"),
        QRegularExpression::CaseInsensitiveOption);
    return meta.match(QString::fromLatin1(html.left(kCharsetPrescanBytes))).captured(1);
}

QString decodePage(const QByteArray& html, const QString& contentType) {
    if (const auto marked = QStringConverter::encodingForData(html)) {
        // A byte-order mark outranks every label, as browsers have it.
        return QStringDecoder(*marked).decode(html);
    }
    for (const QString& charset : {charsetOfContentType(contentType), charsetOfMeta(html)}) {
        if (charset.isEmpty()) {
            continue;
        }
        QStringDecoder decoder(charset.toLatin1().constData());
        if (decoder.isValid()) {
            return decoder.decode(html);
        }
    }
    return QString::fromUtf8(html);
}

bool isHtmlSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

struct Tag {
    QString name;  // lower-cased
    bool closing = false;
    QList<std::pair<QString, QString>> attributes;  // names lower-cased, values decoded

    [[nodiscard]] QString attribute(QLatin1String wanted) const {
        for (const auto& [attributeName, value] : attributes) {
            if (attributeName == wanted) {
                return value;
            }
        }
        return {};
    }
};

// Walks the tags of a page as a browser's tokenizer would, closely enough for a head.
class TagScanner {
public:
    explicit TagScanner(QStringView page) : html(page) {}

    // The next tag, or false at the end of the page.
    bool next(Tag& tag) {
        while (true) {
            const qsizetype lt = html.indexOf(u'<', pos);
            if (lt < 0 || lt + 1 >= html.size()) {
                return false;
            }
            pos = lt + 1;
            const QChar c = html[pos];
            if (html.mid(lt, 4) == u"<!--") {
                const qsizetype end = html.indexOf(u"-->", lt + 4);
                pos = end < 0 ? html.size() : end + 3;
            } else if (c == u'!' || c == u'?') {
                skipPast(u'>');
            } else if (c == u'/' || c.isLetter()) {
                readTag(tag);
                return true;
            }
        }
    }

    // Moves past the end tag of the raw-text element name (lower-case).
    void skipRawText(const QString& name) {
        const QString endTag = QStringLiteral("</") + name;
        const qsizetype end = html.indexOf(endTag, pos, Qt::CaseInsensitive);
        pos = end < 0 ? html.size() : end;
    }

private:
    void skipPast(QChar c) {
        const qsizetype end = html.indexOf(c, pos);
        pos = end < 0 ? html.size() : end + 1;
    }

    void skipSpace() {
        while (pos < html.size() && isHtmlSpace(html[pos])) {
            ++pos;
        }
    }

    // A name up to space, "/", ">" (and "=" for attribute names), lower-cased.
    QString readName(bool attribute) {
        const qsizetype start = pos;
        while (pos < html.size() && !isHtmlSpace(html[pos]) && html[pos] != u'/' &&
               html[pos] != u'>' && !(attribute && pos > start && html[pos] == u'=')) {
            ++pos;
        }
        return html.mid(start, pos - start).toString().toLower();
    }

    QString readValue() {
        if (pos < html.size() && (html[pos] == u'"' || html[pos] == u'\'')) {
            const QChar quote = html[pos++];
            const qsizetype end = html.indexOf(quote, pos);
            const qsizetype stop = end < 0 ? html.size() : end;
            const QStringView value = html.mid(pos, stop - pos);
            pos = end < 0 ? html.size() : end + 1;
            return decodeHtmlEntities(value);
        }
        const qsizetype start = pos;
        while (pos < html.size() && !isHtmlSpace(html[pos]) && html[pos] != u'>') {
            ++pos;
        }
        return decodeHtmlEntities(html.mid(start, pos - start));
    }

    // pos is just after "<".
    void readTag(Tag& tag) {
        tag = Tag();
        tag.closing = html[pos] == u'/';
        if (tag.closing) {
            ++pos;
        }
        tag.name = readName(false);
        while (true) {
            while (pos < html.size() && (isHtmlSpace(html[pos]) || html[pos] == u'/')) {
                ++pos;
            }
            if (pos >= html.size()) {
                return;
            }
            if (html[pos] == u'>') {
                ++pos;
                return;
            }
            QString name = readName(true);
            skipSpace();
            QString value;
            if (pos < html.size() && html[pos] == u'=') {
                ++pos;
                skipSpace();
                value = readValue();
            }
            if (!tag.closing) {
                tag.attributes.append({std::move(name), std::move(value)});
            }
        }
    }

    QStringView html;
    qsizetype pos = 0;
};

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
    const QString page = decodePage(html, contentType);
    TagScanner scanner(page);
    std::array<QStringList, kFeedTypes.size()> hrefs;
    QString baseHref;
    bool baseSeen = false;
    Tag tag;
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
        for (const char* raw : kRawTextElements) {
            if (tag.name == QLatin1String(raw)) {
                scanner.skipRawText(tag.name);
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
