#include "formats/xmlfeedreader.h"

#include <QXmlStreamAttributes>
#include <algorithm>

#include "formats/atomreader.h"
#include "formats/plainxmlcursor.h"
#include "formats/rssreader.h"
#include "formats/xmlfeedcursor.h"
#include "platform/net/contenttype.h"
#include "platform/xml/safexmlstream.h"

namespace {

// The cursor over Qt's stream reader, behind the checks of SafeXmlStream.
class StreamCursor final : public XmlFeedCursor {
public:
    explicit StreamCursor(SafeXmlStream& stream) : xml(stream) {}

    bool nextChild(int parentDepth) override {
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
    [[nodiscard]] int depth() const override { return xml.depth(); }
    [[nodiscard]] QAnyStringView name() const override { return xml.reader().name(); }
    [[nodiscard]] QAnyStringView prefix() const override { return xml.reader().prefix(); }
    [[nodiscard]] QString attribute(QLatin1StringView qualifiedName) const override {
        return xml.reader().attributes().value(qualifiedName).toString();
    }
    [[nodiscard]] QList<NamespaceDeclaration> namespaceDeclarations() const override {
        QList<NamespaceDeclaration> declared;
        const QXmlStreamAttributes attributes = xml.reader().attributes();
        for (const QXmlStreamAttribute& attribute : attributes) {
            if (attribute.qualifiedName() == QLatin1StringView("xmlns")) {
                declared.append({QString(), attribute.value().toString()});
            } else if (attribute.prefix() == QLatin1StringView("xmlns")) {
                declared.append({attribute.name().toString(), attribute.value().toString()});
            }
        }
        return declared;
    }
    QString readText() override { return xml.readText(); }
    void skipElement() override { xml.skipElement(); }
    bool finish() override { return xml.readToEnd(); }
    [[nodiscard]] QString errorString() const override { return xml.errorString(); }

private:
    SafeXmlStream& xml;
};

}  // namespace

FeedReadResult readXmlFeed(XmlFeedCursor& xml, const QUrl& documentUrl) {
    FeedReadResult result;
    if (xml.nextChild(0)) {
        result.kind = FeedReadResult::Kind::NotFeed;
        if (isRssRoot(xml)) {
            result.kind = FeedReadResult::Kind::Feed;
            readRss(xml, result);
        } else {
            readAtom(xml, documentUrl, result);
        }
    }
    // Whatever follows must be well-formed too.
    if (!xml.finish()) {
        FeedReadResult failed;
        failed.error = xml.errorString();
        return failed;
    }
    return result;
}

std::optional<FeedReadResult> readXmlFeedPlainly(const QByteArray& body, const QString& contentType,
                                                 const QUrl& documentUrl) {
    PlainXmlCursor plain(body, charsetOfContentType(contentType));
    if (plain.gaveUp()) {
        return std::nullopt;
    }
    FeedReadResult read = readXmlFeed(plain, documentUrl);
    if (plain.gaveUp()) {
        return std::nullopt;
    }
    return read;
}

FeedReadResult readXmlFeedByStream(const QByteArray& body, const QString& contentType,
                                   const QUrl& documentUrl) {
    SafeXmlStream stream(body, charsetOfContentType(contentType));
    StreamCursor cursor(stream);
    return readXmlFeed(cursor, documentUrl);
}

FeedReadResult readXmlFeed(const QByteArray& body, const QString& contentType,
                           const QUrl& documentUrl) {
    if (std::optional<FeedReadResult> plain = readXmlFeedPlainly(body, contentType, documentUrl)) {
        return std::move(*plain);
    }
    return readXmlFeedByStream(body, contentType, documentUrl);
}

bool sameFeedRead(const FeedReadResult& a, const FeedReadResult& b) {
    const auto sameRecord = [](const ArticleRecord& x, const ArticleRecord& y) {
        return x.Title == y.Title && x.Link == y.Link && x.Description == y.Description &&
               x.PubDate == y.PubDate && x.Identity == y.Identity && x.SiteIndex == y.SiteIndex &&
               x.IsNew == y.IsNew;
    };
    return a.kind == b.kind && a.family == b.family && a.overflow == b.overflow &&
           a.channel.title == b.channel.title && a.channel.link == b.channel.link &&
           a.channel.description == b.channel.description && a.channel.image == b.channel.image &&
           std::equal(a.items.cbegin(), a.items.cend(), b.items.cbegin(), b.items.cend(),
                      sameRecord);
}
