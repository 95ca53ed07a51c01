#include "formats/plainxmlcursor.h"

#include <QStringConverter>

#include "platform/xml/plainxml.h"
#include "platform/xml/safexmlstream.h"

namespace {

using plainxml::isNameStart;
using plainxml::sameBytes;

QLatin1StringView latin1(QByteArrayView bytes) {
    return QLatin1StringView(bytes.data(), bytes.size());
}

// Appends a run of the document as written: XML reads CR LF and a lone CR as LF.
void appendRaw(QByteArray& out, QByteArrayView run) {
    const char* at = run.data();
    const char* const stop = at + run.size();
    while (at < stop) {
        const auto* cr = static_cast<const char*>(std::memchr(at, '\r', std::size_t(stop - at)));
        if (!cr) {
            out.append(at, stop - at);
            return;
        }
        out.append(at, cr - at);
        out.append('\n');
        at = cr + 1 < stop && cr[1] == '\n' ? cr + 2 : cr + 1;
    }
}

// Text of bytes already known to be UTF-8, in a string of exactly its length: fields are
// kept by the ten thousand, and a general decoder leaves room for the worst case.
QString decodeUtf8(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype units = 0;
    for (qsizetype i = 0; i < n; ++i) {
        // Every byte that starts a character counts one unit, a four-byte one two.
        units += (p[i] & 0xC0) != 0x80 ? 1 : 0;
        units += p[i] >= 0xF0 ? 1 : 0;
    }
    QString text(units, Qt::Uninitialized);
    char16_t* w = reinterpret_cast<char16_t*>(text.data());
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            *w++ = c;
            i += 1;
        } else if (c < 0xE0) {
            *w++ = char16_t(((c & 0x1F) << 6) | (p[i + 1] & 0x3F));
            i += 2;
        } else if (c < 0xF0) {
            *w++ = char16_t(((c & 0x0F) << 12) | ((p[i + 1] & 0x3F) << 6) | (p[i + 2] & 0x3F));
            i += 3;
        } else {
            const char32_t code = ((c & 0x07) << 18) | ((p[i + 1] & 0x3F) << 12) |
                                  ((p[i + 2] & 0x3F) << 6) | (p[i + 3] & 0x3F);
            *w++ = QChar::highSurrogate(code);
            *w++ = QChar::lowSurrogate(code);
            i += 4;
        }
    }
    return text;
}

bool isUtf8Name(const QString& charset) {
    return QStringConverter::encodingForName(charset.toLatin1().constData()) ==
           QStringConverter::Utf8;
}

}  // namespace

PlainXmlCursor::PlainXmlCursor(const QByteArray& bytes, const QString& fallbackCharset)
    : PlainXmlScanner(bytes) {
    bool declared = false;
    if (!openDocument(declared) ||
        (!declared && !fallbackCharset.isEmpty() && !isUtf8Name(fallbackCharset)) || !prolog()) {
        unsure = true;
    }
}

PlainXmlCursor::Token PlainXmlCursor::giveUp() {
    unsure = true;
    return Token::Stop;
}

// Spaces, comments and processing instructions up to the root's start tag.
bool PlainXmlCursor::prolog() {
    for (;;) {
        skipSpaces();
        if (at("<!--")) {
            if (!comment()) {
                return false;
            }
        } else if (at("<?")) {
            if (!processingInstruction()) {
                return false;
            }
        } else {
            return end - p > 1 && *p == '<' && isNameStart(p[1]);
        }
    }
}

// At "<" of a start tag or an empty-element tag.
bool PlainXmlCursor::startTag() {
    ++p;
    if (!readName(elementName) || !readAttributes(pendingEnd)) {
        return false;
    }
    // The general reader refuses what nests deeper; it is left to say so.
    if (int(open.size()) + 1 >= SafeXmlStream::kMaxElementDepth) {
        return false;
    }
    open.push_back(elementName);
    return true;
}

// At "</".
bool PlainXmlCursor::endTag() {
    if (!scanEndTag(open.back())) {
        return false;
    }
    open.pop_back();
    rootEnded = open.empty();
    return true;
}

// Text up to the next "<", with sound references and without "]]>".
bool PlainXmlCursor::text() {
    const char* from = p;
    tokenEscaped = false;
    const bool ended = scanText(false, tokenEscaped);
    tokenText = QByteArrayView(from, p - from);
    return ended;
}

bool PlainXmlCursor::cdata() {
    p += 9;  // "<![CDATA["
    const qsizetype close = QByteArrayView(p, end - p).indexOf(QByteArrayView("]]>"));
    if (close < 0) {
        return false;
    }
    tokenText = QByteArrayView(p, close);
    tokenEscaped = false;
    p += close + 3;
    return true;
}

PlainXmlCursor::Token PlainXmlCursor::advance() {
    if (unsure) {
        return Token::Stop;
    }
    if (pendingEnd) {
        pendingEnd = false;
        open.pop_back();
        rootEnded = open.empty();
        return Token::End;
    }
    for (;;) {
        if (open.empty()) {
            if (!rootEnded) {
                return startTag() ? Token::Start : giveUp();  // the prolog ended at "<"
            }
            // Only spaces, comments and processing instructions after the root.
            skipSpaces();
            if (p == end) {
                return Token::EndOfDocument;
            }
            if (at("<!--") ? !comment() : !at("<?") || !processingInstruction()) {
                return giveUp();
            }
            continue;
        }
        if (p == end) {
            return giveUp();
        }
        if (*p != '<') {
            return text() ? Token::Text : giveUp();
        }
        if (at("</")) {
            return endTag() ? Token::End : giveUp();
        }
        if (at("<!--")) {
            if (!comment()) {
                return giveUp();
            }
        } else if (at("<![CDATA[")) {
            return cdata() ? Token::CData : giveUp();
        } else if (at("<?")) {
            if (!processingInstruction()) {
                return giveUp();
            }
        } else {
            return startTag() ? Token::Start : giveUp();
        }
    }
}

bool PlainXmlCursor::nextChild(int parentDepth) {
    for (;;) {
        switch (advance()) {
            case Token::Start:
                return true;
            case Token::End:
                if (depth() < parentDepth) {
                    return false;
                }
                break;
            case Token::Text:
            case Token::CData:
                break;
            case Token::EndOfDocument:
            case Token::Stop:
                return false;
        }
    }
}

QAnyStringView PlainXmlCursor::name() const {
    const qsizetype colon = elementName.indexOf(':');
    return latin1(colon < 0 ? elementName : elementName.sliced(colon + 1));
}

QAnyStringView PlainXmlCursor::prefix() const {
    const qsizetype colon = elementName.indexOf(':');
    return latin1(colon < 0 ? QByteArrayView() : elementName.first(colon));
}

QString PlainXmlCursor::decodedValue(const RawAttribute& attribute) const {
    return decodeUtf8(attribute.escaped ? QByteArrayView(resolvedValue(attribute))
                                        : attribute.value);
}

QString PlainXmlCursor::attribute(QLatin1StringView qualifiedName) const {
    for (const RawAttribute& attribute : attributes) {
        if (latin1(attribute.name) == qualifiedName) {
            return decodedValue(attribute);
        }
    }
    return {};
}

QList<XmlFeedCursor::NamespaceDeclaration> PlainXmlCursor::namespaceDeclarations() const {
    QList<NamespaceDeclaration> declared;
    for (const RawAttribute& attribute : attributes) {
        if (sameBytes(attribute.name, "xmlns")) {
            declared.append({QString(), decodedValue(attribute)});
        } else if (attribute.name.startsWith("xmlns:")) {
            declared.append({QString(latin1(attribute.name.sliced(6))), decodedValue(attribute)});
        }
    }
    return declared;
}

void PlainXmlCursor::appendToken(QByteArray& out) const {
    if (!tokenEscaped) {
        appendRaw(out, tokenText);
        return;
    }
    const char* at = tokenText.data();
    const char* const stop = at + tokenText.size();
    while (at < stop) {
        const auto* amp = static_cast<const char*>(std::memchr(at, '&', std::size_t(stop - at)));
        const char* const runEnd = amp ? amp : stop;
        appendRaw(out, QByteArrayView(at, runEnd - at));
        at = runEnd;
        if (amp) {
            plainxml::readReference(at, stop, &out, false);  // checked when it was scanned
        }
    }
}

QString PlainXmlCursor::readText() {
    const int start = depth();
    // Most fields are one run of text: it is decoded where it stands.
    QByteArrayView single;
    bool onlySingle = true;
    int pieces = 0;
    QByteArray joined;
    for (;;) {
        const Token token = advance();
        if (token == Token::Text || token == Token::CData) {
            if (pieces++ == 0 && !tokenEscaped && !tokenText.contains('\r')) {
                single = tokenText;
            } else {
                if (onlySingle) {
                    appendRaw(joined, single);
                    onlySingle = false;
                }
                appendToken(joined);
            }
        } else if (token == Token::End) {
            if (depth() < start) {
                break;
            }
        } else if (token != Token::Start) {
            return {};
        }
    }
    return decodeUtf8(onlySingle ? single : QByteArrayView(joined));
}

void PlainXmlCursor::skipElement() {
    const int start = depth();
    for (;;) {
        const Token token = advance();
        if ((token == Token::End && depth() < start) || token == Token::EndOfDocument ||
            token == Token::Stop) {
            return;
        }
    }
}

bool PlainXmlCursor::finish() {
    for (;;) {
        switch (advance()) {
            case Token::EndOfDocument:
                return true;
            case Token::Stop:
                return false;
            default:
                break;
        }
    }
}
