#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QXmlStreamReader>
#include <optional>

// A streaming XML reader that refuses hostile input as it reads, for every XML the program
// reads (site lists and feeds): no DTD or external entity is ever fetched, entity expansion
// is bounded, and elements nested deeper than kMaxElementDepth end the read.
// Read without namespace processing: names keep their prefixes, and name() is the local
// part. A violation ends the stream as an error, like malformed input.
class SafeXmlStream {
public:
    static constexpr int kMaxElementDepth = 1000;

    enum class Fault {
        None,
        Malformed,        // not well-formed XML, or an encoding that cannot be decoded
        TooDeep,          // elements nested deeper than kMaxElementDepth
        EntityExpansion,  // internal entities would blow the text up
    };

    // A document's bytes as fetched, decoded as XML says: a byte-order mark or UTF-16's
    // zero bytes, else the encoding its declaration names, else fallbackCharset (the
    // charset an HTTP Content-Type named) when it is one the platform knows, else UTF-8.
    explicit SafeXmlStream(const QByteArray& data, const QString& fallbackCharset = {});
    // A text already decoded; an encoding its declaration names is ignored.
    explicit SafeXmlStream(const QString& text);
    SafeXmlStream(const SafeXmlStream&) = delete;
    SafeXmlStream& operator=(const SafeXmlStream&) = delete;

    // The next token, after the checks above.
    QXmlStreamReader::TokenType readNext();
    // The current token's name, text, attributes and position.
    [[nodiscard]] const QXmlStreamReader& reader() const { return *xml; }
    [[nodiscard]] bool atEnd() const { return xml->atEnd(); }
    [[nodiscard]] bool hasError() const { return xml->hasError(); }
    // Why the read failed, with line and column for XML errors.
    [[nodiscard]] QString errorString() const;
    // What ended the read, where (line from 1, column from 0; a byte that is not UTF-8 is
    // placed where it stands, not where the reader's decoding block began) and, for
    // malformed input, the parser's own words.
    [[nodiscard]] Fault fault() const { return failure; }
    [[nodiscard]] qint64 faultLine() const { return line; }
    [[nodiscard]] qint64 faultColumn() const { return column; }
    [[nodiscard]] QString parserMessage() const { return message; }
    // Elements open at the current token: 1 at the root's start, 0 after its end.
    [[nodiscard]] int depth() const { return level; }

    // Reads on to the end of the document. False when it is not well-formed or refused.
    bool readToEnd();
    // Called at an element's start: its text content (text and CDATA of it and its
    // descendants in document order; comments and processing instructions left out,
    // Latin-1 entities of an unfetched DTD spelled out). Leaves the stream at its end.
    QString readText();
    // Called at an element's start: moves to its end.
    void skipElement();

private:
    void refuse(Fault why, const QString& text);
    void noteMalformed();

    // The bytes the reader reads when it was given bytes, and the device it reads them
    // through: decoded a block at a time, never the whole document at once.
    QByteArray bytes;
    QBuffer device;
    // The text given, when it was given text.
    QString source;
    std::optional<QXmlStreamReader> xml;
    int level = 0;
    Fault failure = Fault::None;
    qint64 line = 0;
    qint64 column = 0;
    QString message;
};

// The character that a reference to one of HTML's Latin-1 entities (&nbsp; to &yuml;,
// U+00A0 to U+00FF) stands for, or an empty text for any other name. Old RSS 0.91 feeds
// use them under an external DTD, which is never fetched; the reader then keeps them as
// unresolved references, and the readers spell them out instead of dropping them.
[[nodiscard]] QString latin1EntityText(QStringView name);

// The bytes with a byte-order mark put before a UTF-16 big-endian document that lacks
// one: XML's detection rule reads 00 3C ("<") as UTF-16BE, which Qt does not.
[[nodiscard]] QByteArray withDetectableEncoding(const QByteArray& data);
