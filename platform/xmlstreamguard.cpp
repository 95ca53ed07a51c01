#include "platform/xmlstreamguard.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>

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

// Qt detects UTF-16 little-endian without a byte-order mark but not big-endian; XML's own
// detection rule says a document starting 00 3C ("<") is UTF-16BE.
QByteArray withDetectableEncoding(const QByteArray& data) {
    if (data.size() >= 2 && data.at(0) == '\0' && data.at(1) == '<') {
        return QByteArray("\xFE\xFF", 2) + data;
    }
    return data;
}

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

XmlStreamGuard::XmlStreamGuard(const QByteArray& bytes)
    : data(withDetectableEncoding(bytes)), device(&data) {
    device.open(QIODevice::ReadOnly);
    reader.setDevice(&device);
    reader.setNamespaceProcessing(false);
}

XmlStreamGuard::XmlStreamGuard(const QString& documentText)
    : text(documentText), fromText(true), reader(documentText) {
    reader.setNamespaceProcessing(false);
}

QXmlStreamReader::TokenType XmlStreamGuard::readNext() {
    if (failure != Fault::None) {
        return QXmlStreamReader::Invalid;
    }
    const QXmlStreamReader::TokenType token = reader.readNext();
    switch (token) {
        case QXmlStreamReader::StartElement:
            if (++depth > kMaxElementDepth) {
                refuse(Fault::TooDeep);
                return QXmlStreamReader::Invalid;
            }
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        case QXmlStreamReader::DTD:
            if (!reader.entityDeclarations().isEmpty() &&
                entityExpansionBound(reader.entityDeclarations(), decodedText(),
                                     reader.characterOffset()) >
                    (fromText ? text.size() : data.size()) + kExpansionAllowance) {
                refuse(Fault::EntityExpansion);
                return QXmlStreamReader::Invalid;
            }
            break;
        case QXmlStreamReader::Invalid:
            refuse(Fault::Malformed);
            break;
        default:
            break;
    }
    return token;
}

bool XmlStreamGuard::readToEnd() {
    while (!atEnd()) {
        readNext();
    }
    return failure == Fault::None;
}

void XmlStreamGuard::refuse(Fault why) {
    failure = why;
    line = reader.lineNumber();
    column = reader.columnNumber();
    if (why == Fault::Malformed) {
        message = reader.errorString();
        placeEncodingFault();
    } else {
        // Stops the reader: atEnd() is true from now on.
        reader.raiseError(QStringLiteral("refused"));
    }
}

void XmlStreamGuard::placeEncodingFault() {
    // The reader decodes ahead of where it parses, so it places a byte that is not UTF-8 at
    // the start of the block it was decoding, not where the byte is.
    if (fromText || QStringConverter::encodingForData(data, u'<')) {
        return;
    }
    const QStringView declared = reader.documentEncoding();
    if (!declared.isEmpty() && declared.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) != 0 &&
        declared.compare(QLatin1String("UTF8"), Qt::CaseInsensitive) != 0) {
        return;
    }
    const qsizetype bad = firstInvalidUtf8(data);
    if (bad < 0) {
        return;
    }
    const qsizetype lineStart = data.lastIndexOf('\n', bad - 1) + 1;
    line = data.left(bad).count('\n') + 1;
    column = QString::fromUtf8(data.constData() + lineStart, bad - lineStart).size();
}

QString XmlStreamGuard::decodedText() const {
    return fromText ? text : decodeLikeTheReader(data, reader.documentEncoding());
}

QString XmlStreamGuard::errorString() const {
    switch (failure) {
        case Fault::None:
            return {};
        case Fault::TooDeep:
            return QStringLiteral("elements nested deeper than %1 (line %2)")
                .arg(kMaxElementDepth)
                .arg(line);
        case Fault::EntityExpansion:
            return QStringLiteral("entity expansion too large (line %1)").arg(line);
        case Fault::Malformed:
            break;
    }
    return QStringLiteral("%1 (line %2, column %3)").arg(message).arg(line).arg(column);
}
