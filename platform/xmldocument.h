#pragma once

#include <QDomDocument>
#include <QString>

#include "platform/fetchoptions.h"
#include "platform/xmlstreamguard.h"

// The XML document object: every XML read and write goes through it. A fresh document is
// made for every load or save. Parsed without namespace processing; element and attribute
// names keep their prefixes and baseName() gives the text after the first ":".
//
// Hostile input is refused rather than parsed (XmlStreamGuard): no DTD or external entity is
// ever fetched, entity expansion is bounded, and documents nested deeper than
// kMaxElementDepth are rejected (the DOM builds, walks and frees its tree recursively).
class XmlDocument {
public:
    static constexpr int kMaxElementDepth = XmlStreamGuard::kMaxElementDepth;

    enum class FileRead { Ok, NotAFile, TooLarge, Failed };

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
    // The document's own top-level child nodes, in document order.
    [[nodiscard]] QDomNodeList childNodes() const { return document().childNodes(); }
    [[nodiscard]] QString errorString() const { return error; }

    // Local name of an element or attribute: the text after the first ":". Empty for
    // text, comment and processing-instruction nodes.
    [[nodiscard]] static QString baseName(const QDomNode& node);
    // Text content with entities decoded; for an element (or the document), all descendants'
    // text and CDATA joined in document order, comments and processing instructions left out.
    [[nodiscard]] static QString text(const QDomNode& node);

    // Reads a local file whole: only a regular file (never a device or a FIFO) of at most
    // maxBytes. error says why it failed.
    [[nodiscard]] static FileRead readFile(const QString& path, qint64 maxBytes, QByteArray& data,
                                           QString& error);

private:
    void reset();
    bool readResource(const QString& location, QByteArray& data);

    FetchOptions fetchOptions;
    // After loadXML the tree is built on first use: a text that is only saved (the site
    // list) never pays for one. The well-formedness check has run by then.
    mutable QDomDocument doc;
    mutable bool domPending = false;
    // The text given to loadXML, written unchanged by save().
    QString sourceText;
    bool fromText = false;
    bool loaded = false;
    QString error;
};
