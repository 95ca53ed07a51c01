#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>

// A streaming XML reader held to the rules every XML read of the program obeys, token by
// token, so that a reader can act on a document while it is checked: no DTD or external
// entity is ever fetched (the streaming reader fetches nothing), internal entity expansion is
// bounded, and elements nest at most kMaxElementDepth deep. Names keep their prefixes (no
// namespace processing).
class XmlStreamGuard {
public:
    static constexpr int kMaxElementDepth = 1000;

    enum class Fault {
        None,
        Malformed,        // not well-formed XML, or an encoding that cannot be decoded
        TooDeep,          // elements nested deeper than kMaxElementDepth
        EntityExpansion,  // internal entities would blow the text up
    };

    // A document's bytes as fetched or read from a file, decoded as XML says (byte-order
    // mark, then the declared encoding, else UTF-8).
    explicit XmlStreamGuard(const QByteArray& data);
    // A complete XML text held in memory.
    explicit XmlStreamGuard(const QString& text);
    XmlStreamGuard(const XmlStreamGuard&) = delete;
    XmlStreamGuard& operator=(const XmlStreamGuard&) = delete;

    // The next token; Invalid once the document is refused, with the fault recorded.
    QXmlStreamReader::TokenType readNext();
    [[nodiscard]] bool atEnd() const { return reader.atEnd(); }
    // Reads to the end; true when the whole document passed.
    [[nodiscard]] bool readToEnd();

    // The reader, positioned on the token readNext() returned.
    [[nodiscard]] const QXmlStreamReader& stream() const { return reader; }
    // The bytes the reader reads (UTF-16BE without a byte-order mark gets one, so that other
    // parsers of the same bytes detect it too). Empty for a text.
    [[nodiscard]] const QByteArray& bytes() const { return data; }

    [[nodiscard]] Fault fault() const { return failure; }
    // Where the document was refused, counted from 1; 0 when it was not.
    [[nodiscard]] qint64 faultLine() const { return line; }
    [[nodiscard]] qint64 faultColumn() const { return column; }
    // The parser's own words for a malformed document; empty otherwise.
    [[nodiscard]] QString parserMessage() const { return message; }
    // The fault in one line for logs and error strings (English, with line and column).
    [[nodiscard]] QString errorString() const;

private:
    void refuse(Fault why);
    void placeEncodingFault();
    [[nodiscard]] QString decodedText() const;

    QByteArray data;
    // The reader reads the bytes through it a block at a time: given them whole, it would
    // decode them whole, doubling the memory a large document takes.
    QBuffer device;
    QString text;
    bool fromText = false;
    QXmlStreamReader reader;
    int depth = 0;
    Fault failure = Fault::None;
    qint64 line = 0;
    qint64 column = 0;
    QString message;
};
