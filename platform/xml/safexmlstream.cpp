#include "platform/xml/safexmlstream.h"

#include <algorithm>
#include <array>

#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>

namespace {

// Characters that internal entities may add to a document beyond its own length before it
// counts as an entity-expansion attack.
constexpr qint64 kExpansionAllowance = 1 << 20;

const QRegularExpression& entityReferencePattern() {
    static const QRegularExpression pattern(QStringLiteral("&([^\\s&;<>\"'#]+);"));
    return pattern;
}

// Upper bound of the characters that the references to internal entities in text (from
// offset on) expand to. The reader caps one entity's expansion but delivers all the text
// of an element as one piece, so many references to a mid-sized entity would be built in
// full before any check could see them; counting the references first avoids that.
qint64 entityExpansionBound(const QXmlStreamEntityDeclarations& declarations, const QString& text,
                            qsizetype offset) {
    QHash<QString, QString> values;
    for (const QXmlStreamEntityDeclaration& declaration : declarations) {
        // External and unparsed entities are never fetched, so they expand to nothing.
        if (declaration.systemId().isEmpty() && declaration.notationName().isEmpty()) {
            values.insert(declaration.name().toString(), declaration.value().toString());
        }
    }
    if (values.isEmpty()) {
        return 0;
    }
    constexpr qint64 kCap = qint64(1) << 40;  // keeps the sums from overflowing
    QHash<QString, qint64> lengths;
    // Expanded length of one entity; a cycle counts as empty (the reader rejects it anyway)
    // and a chain of references too long to follow without deep recursion as too large.
    constexpr int kMaxChain = 64;
    const auto lengthOf = [&](const QString& name, int chain, const auto& self) -> qint64 {
        if (chain > kMaxChain) {
            return kCap;
        }
        const auto known = lengths.constFind(name);
        if (known != lengths.constEnd()) {
            return known.value();
        }
        const auto value = values.constFind(name);
        if (value == values.constEnd()) {
            return 0;
        }
        lengths.insert(name, 0);
        qint64 length = value->size();
        QRegularExpressionMatchIterator it = entityReferencePattern().globalMatch(*value);
        while (it.hasNext()) {
            const QRegularExpressionMatch match = it.next();
            length += self(match.captured(1), chain + 1, self) - match.capturedLength();
        }
        length = std::clamp<qint64>(length, 0, kCap);
        lengths.insert(name, length);
        return length;
    };
    qint64 bound = 0;
    QRegularExpressionMatchIterator it =
        entityReferencePattern().globalMatch(text, std::clamp<qsizetype>(offset, 0, text.size()));
    while (it.hasNext() && bound < kCap) {
        const QRegularExpressionMatch match = it.next();
        bound += lengthOf(match.captured(1), 0, lengthOf);
    }
    return bound;
}

// The bytes as text, decoded as the reader decodes them: a byte-order mark or UTF-16's
// zero bytes first, then the declared encoding, else UTF-8.
QString decodeLikeTheReader(const QByteArray& data, QStringView declared) {
    if (const auto detected = QStringConverter::encodingForData(data, u'<')) {
        return QStringDecoder(*detected).decode(data);
    }
    QStringDecoder decoder(declared.toLatin1().constData());
    return decoder.isValid() ? QString(decoder.decode(data)) : QString::fromUtf8(data);
}

// Whether the document's XML declaration names an encoding. Only asked of documents
// without a byte-order mark or UTF-16 zero bytes, whose declaration is ASCII.
bool declaresEncoding(const QByteArray& data) {
    static const QRegularExpression declaration(
        QStringLiteral(R"(^\s*<\?xml\s[^>]*?encoding\s*=)"));
    constexpr qsizetype kDeclarationReach = 512;
    return declaration.match(QString::fromLatin1(data.left(kDeclarationReach))).hasMatch();
}

// The bytes the reader is to read: those of a document that says nothing of its encoding
// are decoded with the fallback charset and given as UTF-8, which is what the reader
// assumes for such a document.
QByteArray withFallbackEncoding(const QByteArray& data, const QString& fallbackCharset) {
    if (fallbackCharset.isEmpty() || QStringConverter::encodingForData(data, u'<') ||
        declaresEncoding(data)) {
        return data;
    }
    const auto known = QStringConverter::encodingForName(fallbackCharset.toLatin1().constData());
    if (known == QStringConverter::Utf8) {
        return data;
    }
    QStringDecoder decoder(fallbackCharset.toLatin1().constData());
    if (!decoder.isValid()) {
        return data;
    }
    return QString(decoder.decode(data)).toUtf8();
}

// HTML's Latin-1 entities, U+00A0 to U+00FF in order.
constexpr std::array<const char*, 96> kLatin1Entities = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",
    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn",
    "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",
    "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde",
    "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave",
    "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde",
    "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
    "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

// Offset of the first byte sequence that is not UTF-8 (overlong forms, surrogates and code
// points past U+10FFFF included); -1 when there is none.
qsizetype firstInvalidUtf8(const QByteArray& data) {
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData());
    const qsizetype n = data.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        unsigned char low = 0x80;  // bounds of the second byte
        unsigned char high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            low = c == 0xE0 ? 0xA0 : 0x80;
            high = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            low = c == 0xF0 ? 0x90 : 0x80;
            high = c == 0xF4 ? 0x8F : 0xBF;
        } else {
            return i;
        }
        if (i + length > n || p[i + 1] < low || p[i + 1] > high) {
            return i;
        }
        for (int k = 2; k < length; ++k) {
            if (p[i + k] < 0x80 || p[i + k] > 0xBF) {
                return i;
            }
        }
        i += length;
    }
    return -1;
}

}  // namespace

QString latin1EntityText(QStringView name) {
    for (size_t i = 0; i < kLatin1Entities.size(); ++i) {
        if (name == QLatin1String(kLatin1Entities[i])) {
            return QString(QChar(static_cast<char16_t>(0xA0 + i)));
        }
    }
    return {};
}

QByteArray withDetectableEncoding(const QByteArray& data) {
    if (data.size() >= 2 && data.at(0) == '\0' && data.at(1) == '<') {
        return QByteArray("\xFE\xFF", 2) + data;
    }
    return data;
}

SafeXmlStream::SafeXmlStream(const QByteArray& data, const QString& fallbackCharset)
    : bytes(withFallbackEncoding(withDetectableEncoding(data), fallbackCharset)) {
    device.setBuffer(&bytes);
    device.open(QIODevice::ReadOnly);
    xml.emplace(&device);
    xml->setNamespaceProcessing(false);
}

SafeXmlStream::SafeXmlStream(const QString& text) : source(text) {
    xml.emplace(source);
    xml->setNamespaceProcessing(false);
}

void SafeXmlStream::refuse(Fault why, const QString& text) {
    failure = why;
    line = xml->lineNumber();
    column = xml->columnNumber();
    xml->raiseError(QStringLiteral("%1 (line %2)").arg(text).arg(line));
}

void SafeXmlStream::noteMalformed() {
    failure = Fault::Malformed;
    line = xml->lineNumber();
    column = xml->columnNumber();
    message = xml->errorString();
    // The reader decodes ahead of where it parses, so it places a byte that is not UTF-8 at
    // the start of the block it was decoding, not where the byte is.
    if (!device.isOpen() || QStringConverter::encodingForData(bytes, u'<')) {
        return;
    }
    const QStringView declared = xml->documentEncoding();
    if (!declared.isEmpty() && declared.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) != 0 &&
        declared.compare(QLatin1String("UTF8"), Qt::CaseInsensitive) != 0) {
        return;
    }
    const qsizetype bad = firstInvalidUtf8(bytes);
    if (bad < 0) {
        return;
    }
    const qsizetype lineStart = bytes.lastIndexOf('\n', bad - 1) + 1;
    line = bytes.left(bad).count('\n') + 1;
    column = QString::fromUtf8(bytes.constData() + lineStart, bad - lineStart).size();
}

QXmlStreamReader::TokenType SafeXmlStream::readNext() {
    const QXmlStreamReader::TokenType token = xml->readNext();
    switch (token) {
        case QXmlStreamReader::StartElement:
            if (++level > kMaxElementDepth) {
                refuse(Fault::TooDeep,
                       QStringLiteral("elements nested deeper than %1").arg(kMaxElementDepth));
                return QXmlStreamReader::Invalid;
            }
            break;
        case QXmlStreamReader::EndElement:
            --level;
            break;
        case QXmlStreamReader::DTD: {
            if (xml->entityDeclarations().isEmpty()) {
                break;
            }
            // The document as text is needed only here, and only for documents that
            // declare entities.
            const QString text =
                device.isOpen() ? decodeLikeTheReader(bytes, xml->documentEncoding()) : source;
            const qint64 inputLength = device.isOpen() ? bytes.size() : source.size();
            if (entityExpansionBound(xml->entityDeclarations(), text, xml->characterOffset()) >
                inputLength + kExpansionAllowance) {
                refuse(Fault::EntityExpansion, QStringLiteral("entity expansion too large"));
                return QXmlStreamReader::Invalid;
            }
            break;
        }
        case QXmlStreamReader::Invalid:
            if (failure == Fault::None) {
                noteMalformed();
            }
            break;
        default:
            break;
    }
    return token;
}

QString SafeXmlStream::errorString() const {
    if (!xml->hasError()) {
        return {};
    }
    if (xml->error() == QXmlStreamReader::CustomError) {
        return xml->errorString();
    }
    return QStringLiteral("%1 (line %2, column %3)")
        .arg(xml->errorString())
        .arg(xml->lineNumber())
        .arg(xml->columnNumber());
}

bool SafeXmlStream::readToEnd() {
    while (!atEnd()) {
        readNext();
    }
    return !hasError();
}

QString SafeXmlStream::readText() {
    QString text;
    const int start = level;
    // Text that came in pieces grew by doubling; what readers keep should not carry that
    // slack (tens of thousands of feed fields are kept at once).
    const auto kept = [&text] {
        if (text.capacity() > text.size() + text.size() / 8 + 16) {
            text.squeeze();
        }
        return text;
    };
    while (!atEnd()) {
        switch (readNext()) {
            case QXmlStreamReader::Characters:
                text.append(xml->text());
                break;
            case QXmlStreamReader::EntityReference:
                text.append(latin1EntityText(xml->name()));
                break;
            case QXmlStreamReader::EndElement:
                if (level < start) {
                    return kept();
                }
                break;
            default:
                break;
        }
    }
    return kept();
}

void SafeXmlStream::skipElement() {
    const int start = level;
    while (!atEnd()) {
        if (readNext() == QXmlStreamReader::EndElement && level < start) {
            return;
        }
    }
}
