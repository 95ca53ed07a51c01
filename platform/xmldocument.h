#pragma once

#include <QByteArray>
#include <QDomDocument>
#include <QString>
#include <memory>

#include "platform/fetchoptions.h"
#include "platform/safexmlstream.h"

// The XML document object: every XML read and write goes through it. A fresh document is
// made for every load or save. Parsed without namespace processing; element and attribute
// names keep their prefixes and baseName() gives the text after the first ":".
//
// Hostile input is refused rather than parsed, as SafeXmlStream refuses it. The tree is
// built on first use, so a document that is only saved or streamed never pays for one.
class XmlDocument {
public:
    static constexpr int kMaxElementDepth = SafeXmlStream::kMaxElementDepth;

    explicit XmlDocument(const FetchOptions& options = {});

    // Loads a local path, a file: URL or an http(s) URL and parses it. True when the
    // resource was fetched and is well-formed XML; on false the document is empty.
    [[nodiscard]] bool load(const QString& location);
    // Parses a complete XML text held in memory.
    bool loadXML(const QString& text);
    // Parses a document's bytes as fetched, decoding them as XML says (byte-order mark,
    // then the declared encoding, else UTF-8).
    [[nodiscard]] bool loadData(const QByteArray& data);
    // Writes the document through a temporary file and a rename, in the encoding its XML
    // declaration names (UTF-8 when it names none or one that cannot hold the text). After
    // loadXML the text given is written unchanged. Fails, leaving any existing file as it
    // was, when nothing was loaded successfully.
    [[nodiscard]] bool save(const QString& path) const;

    [[nodiscard]] const QDomDocument& document() const;
    // A fresh streaming reader over the document as it was loaded; null when nothing was.
    [[nodiscard]] std::unique_ptr<SafeXmlStream> stream() const;
    // The document's own top-level child nodes, in document order.
    [[nodiscard]] QDomNodeList childNodes() const { return document().childNodes(); }
    [[nodiscard]] QString errorString() const { return error; }

    // Local name of an element or attribute: the text after the first ":". Empty for
    // text, comment and processing-instruction nodes.
    [[nodiscard]] static QString baseName(const QDomNode& node);
    // Text content with entities decoded; for an element (or the document), all descendants'
    // text and CDATA joined in document order, comments and processing instructions left out.
    [[nodiscard]] static QString text(const QDomNode& node);

private:
    void reset();

    FetchOptions fetchOptions;
    // The tree is built on first use; the well-formedness check has run by then.
    mutable QDomDocument doc;
    mutable bool domPending = false;
    // The text given to loadXML, written unchanged by save(), or the bytes given to
    // loadData: what the tree and the streams are read from.
    QString sourceText;
    QByteArray sourceData;
    bool fromText = false;
    bool loaded = false;
    QString error;
};
