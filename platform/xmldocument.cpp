#include "platform/xmldocument.h"

#include <algorithm>
#include <array>
#include <functional>

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTextStream>
#include <QUrl>
#include <QXmlStreamReader>

#include "platform/httpfetch.h"
#include "platform/localfile.h"

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

// Walks the whole document once with a streaming reader, which never recurses, and
// refuses what the DOM must not be given: malformed input, nesting past the depth limit
// and text blown up by entity expansion. decodedText gives the document as the reader
// reads it; it is asked for only when the document declares entities.
bool preflight(QXmlStreamReader& reader, qint64 inputLength,
               const std::function<QString(QXmlStreamReader&)>& decodedText, QString& error) {
    reader.setNamespaceProcessing(false);
    int depth = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
            case QXmlStreamReader::StartElement:
                if (++depth > XmlDocument::kMaxElementDepth) {
                    error = QStringLiteral("elements nested deeper than %1 (line %2)")
                                .arg(XmlDocument::kMaxElementDepth)
                                .arg(reader.lineNumber());
                    return false;
                }
                break;
            case QXmlStreamReader::EndElement:
                --depth;
                break;
            case QXmlStreamReader::DTD:
                if (!reader.entityDeclarations().isEmpty() &&
                    entityExpansionBound(reader.entityDeclarations(), decodedText(reader),
                                         reader.characterOffset()) >
                        inputLength + kExpansionAllowance) {
                    error = QStringLiteral("entity expansion too large (line %1)")
                                .arg(reader.lineNumber());
                    return false;
                }
                break;
            default:
                break;
        }
    }
    if (reader.hasError()) {
        error = QStringLiteral("%1 (line %2, column %3)")
                    .arg(reader.errorString())
                    .arg(reader.lineNumber())
                    .arg(reader.columnNumber());
        return false;
    }
    return true;
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

// Where the text's XML declaration names its encoding; no match when it names none.
QRegularExpressionMatch declaredEncoding(const QString& text) {
    static const QRegularExpression declaration(
        QStringLiteral(R"(^\x{FEFF}?\s*<\?xml\s[^>]*?encoding\s*=\s*["']([A-Za-z0-9._:-]+)["'])"));
    return declaration.match(text);
}

// The bytes to write: the declared encoding when it can hold every character, otherwise
// UTF-8 with the declaration corrected so the file reads back as written.
QByteArray encodeForSave(const QString& text) {
    const QRegularExpressionMatch declared = declaredEncoding(text);
    const QString name = declared.captured(1);
    if (name.isEmpty() || name.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) == 0 ||
        name.compare(QLatin1String("UTF8"), Qt::CaseInsensitive) == 0) {
        return text.toUtf8();
    }
    QStringEncoder encoder(name.toLatin1().constData(), QStringConverter::Flag::WriteBom);
    if (encoder.isValid()) {
        QByteArray bytes = encoder.encode(text);
        if (!encoder.hasError()) {
            return bytes;
        }
    }
    QString corrected = text;
    corrected.replace(declared.capturedStart(1), name.size(), QStringLiteral("UTF-8"));
    return corrected.toUtf8();
}

// HTML's Latin-1 entities, U+00A0 to U+00FF in order. Old RSS 0.91 feeds use them under
// an external DTD, which is never fetched; the parser then keeps them as unresolved
// references, and text() spells them out instead of dropping them.
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

QString unresolvedEntityText(const QString& name) {
    for (size_t i = 0; i < kLatin1Entities.size(); ++i) {
        if (name == QLatin1String(kLatin1Entities[i])) {
            return QString(QChar(static_cast<char16_t>(0xA0 + i)));
        }
    }
    return {};
}

// The document as text. Node by node, because QDomDocument's own serialiser warns about
// declarations naming an encoding other than UTF-8/16; the encoding is applied on saving.
QString serialized(const QDomDocument& document) {
    QString text;
    QTextStream stream(&text);
    for (QDomNode node = document.firstChild(); !node.isNull(); node = node.nextSibling()) {
        node.save(stream, -1);
    }
    stream.flush();
    return text;
}

}  // namespace

XmlDocument::XmlDocument(const FetchOptions& options) : fetchOptions(options) {}

void XmlDocument::reset() {
    doc = QDomDocument();
    domPending = false;
    sourceText.clear();
    fromText = false;
    loaded = false;
    error.clear();
}

bool XmlDocument::load(const QString& location) {
    reset();
    QByteArray data;
    if (!readResource(location, data)) {
        return false;
    }
    return loadData(data);
}

bool XmlDocument::readResource(const QString& location, QByteArray& data) {
    const ResourceLocation where = locateResource(location);
    switch (where.kind) {
        case ResourceLocation::Kind::Http: {
            HttpFetchResult fetched = httpGet(location, fetchOptions);
            if (!fetched.ok) {
                error = fetched.error;
                return false;
            }
            data = std::move(fetched.body);
            return true;
        }
        case ResourceLocation::Kind::LocalFile:
            return readLocalFile(where.path, fetchOptions.maxBytes, data, error);
        case ResourceLocation::Kind::Unsupported:
            break;
    }
    error = where.error;
    return false;
}

bool XmlDocument::loadXML(const QString& text) {
    reset();
    sourceText = text;
    fromText = true;
    QXmlStreamReader reader(text);
    if (!preflight(
            reader, text.size(), [&text](QXmlStreamReader&) { return text; }, error)) {
        return false;
    }
    loaded = true;
    domPending = true;
    return true;
}

const QDomDocument& XmlDocument::document() const {
    if (domPending) {
        domPending = false;
        // The streaming check above accepted the text, and the DOM reads with the same
        // reader, so this parse succeeds; should it not, the document stays empty.
        if (!doc.setContent(sourceText, false)) {
            doc = QDomDocument();
        }
    }
    return doc;
}

bool XmlDocument::loadData(const QByteArray& raw) {
    reset();
    const QByteArray data = withDetectableEncoding(raw);
    QXmlStreamReader reader(data);
    const auto decoded = [&data](QXmlStreamReader& r) {
        return decodeLikeTheReader(data, r.documentEncoding());
    };
    if (!preflight(reader, data.size(), decoded, error)) {
        return false;
    }
    QString message;
    int line = 0;
    int column = 0;
    if (!doc.setContent(data, false, &message, &line, &column)) {
        error = QStringLiteral("%1 (line %2, column %3)").arg(message).arg(line).arg(column);
        doc = QDomDocument();
        return false;
    }
    loaded = true;
    return true;
}

bool XmlDocument::save(const QString& path) const {
    if (!loaded) {
        return false;
    }
    const QByteArray bytes = encodeForSave(fromText ? sourceText : serialized(doc));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString XmlDocument::baseName(const QDomNode& node) {
    if (!node.isElement() && !node.isAttr()) {
        return {};
    }
    const QString name = node.nodeName();
    const qsizetype colon = name.indexOf(QLatin1Char(':'));
    return colon < 0 ? name : name.mid(colon + 1);
}

QString XmlDocument::text(const QDomNode& node) {
    if (node.isAttr()) {
        return node.toAttr().value();
    }
    if (!node.isElement() && !node.isDocument() && !node.isDocumentFragment()) {
        return node.nodeValue();
    }
    // Depth-first over the descendants without recursion; text and CDATA in document order.
    QString result;
    QDomNode current = node.firstChild();
    while (!current.isNull() && current != node) {
        if (current.isText() || current.isCDATASection()) {
            result += current.nodeValue();
        } else if (current.isEntityReference() && !current.hasChildNodes()) {
            result += unresolvedEntityText(current.nodeName());
        }
        if (current.hasChildNodes() && !current.isDocumentType()) {
            current = current.firstChild();
            continue;
        }
        while (!current.isNull() && current != node && current.nextSibling().isNull()) {
            current = current.parentNode();
        }
        if (!current.isNull() && current != node) {
            current = current.nextSibling();
        }
    }
    return result;
}
