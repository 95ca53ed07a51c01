#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <vector>

#include "formats/xmlfeedcursor.h"
#include "platform/xml/plainxmlscanner.h"

// The plain scan of a feed: feeds are mostly UTF-8 documents with a few escapes and CDATA
// sections, which a scan of the bytes reads several times faster than a general XML
// reader. It takes only what it is sure the general reader (SafeXmlStream) takes the same
// way, giving the same tokens, names and texts; at anything else (another encoding, a
// DTD, a name that is not ASCII, a document that is not well-formed, ...) it gives up, and
// the feed is read again with the general reader, which also words the errors. Nothing it
// read before giving up may be used.
class PlainXmlCursor final : public XmlFeedCursor, private PlainXmlScanner {
public:
    // fallbackCharset: the HTTP Content-Type's charset, which decides for a document that
    // names no encoding; the scan gives up on any but UTF-8.
    PlainXmlCursor(const QByteArray& bytes, const QString& fallbackCharset);

    [[nodiscard]] bool gaveUp() const { return unsure; }

    bool nextChild(int parentDepth) override;
    [[nodiscard]] int depth() const override { return int(open.size()); }
    [[nodiscard]] QAnyStringView name() const override;
    [[nodiscard]] QAnyStringView prefix() const override;
    [[nodiscard]] QString attribute(QLatin1StringView qualifiedName) const override;
    [[nodiscard]] QList<NamespaceDeclaration> namespaceDeclarations() const override;
    QString readText() override;
    void skipElement() override;
    bool finish() override;
    [[nodiscard]] QString errorString() const override { return {}; }

private:
    enum class Token { Start, End, Text, CData, EndOfDocument, Stop };

    Token advance();
    Token giveUp();
    bool prolog();
    bool startTag();
    bool endTag();
    bool text();
    bool cdata();
    // Appends the current Text or CData token to out as UTF-8, line ends normalised and
    // references decoded.
    void appendToken(QByteArray& out) const;
    [[nodiscard]] QString decodedValue(const RawAttribute& attribute) const;

    bool unsure = false;
    bool rootEnded = false;
    // An empty-element tag gives its end as the next token.
    bool pendingEnd = false;
    // The current Text or CData token, as written.
    QByteArrayView tokenText;
    bool tokenEscaped = false;
    QByteArrayView elementName;
    std::vector<QByteArrayView> open;  // open elements, innermost last
};
