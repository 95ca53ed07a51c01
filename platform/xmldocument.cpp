#include "platform/xmldocument.h"

#include <QRegularExpression>
#include <QStringEncoder>
#include <QTextStream>

#include "platform/atomicfile.h"
#include "platform/resourcefetch.h"

namespace {

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
    sourceData.clear();
    fromText = false;
    loaded = false;
    error.clear();
}

bool XmlDocument::load(const QString& location) {
    reset();
    FetchedResource fetched = fetchResource(location, fetchOptions);
    if (!fetched.ok) {
        error = fetched.error;
        return false;
    }
    return loadData(fetched.body);
}

bool XmlDocument::loadXML(const QString& text) {
    reset();
    SafeXmlStream check(text);
    if (!check.readToEnd()) {
        error = check.errorString();
        return false;
    }
    sourceText = text;
    fromText = true;
    loaded = true;
    domPending = true;
    return true;
}

bool XmlDocument::loadData(const QByteArray& raw) {
    reset();
    SafeXmlStream check(raw);
    if (!check.readToEnd()) {
        error = check.errorString();
        return false;
    }
    sourceData = raw;
    loaded = true;
    domPending = true;
    return true;
}

const QDomDocument& XmlDocument::document() const {
    if (domPending) {
        domPending = false;
        // The streaming check of the load accepted the source, and the DOM reads with the
        // same reader, so this parse succeeds; should it not, the document stays empty.
        const bool parsed = fromText
                                ? bool(doc.setContent(sourceText, false))
                                : bool(doc.setContent(withDetectableEncoding(sourceData), false));
        if (!parsed) {
            doc = QDomDocument();
        }
    }
    return doc;
}

std::unique_ptr<SafeXmlStream> XmlDocument::stream() const {
    if (!loaded) {
        return nullptr;
    }
    return fromText ? std::make_unique<SafeXmlStream>(sourceText)
                    : std::make_unique<SafeXmlStream>(sourceData);
}

bool XmlDocument::save(const QString& path) const {
    if (!loaded) {
        return false;
    }
    return writeFileAtomically(path, encodeForSave(fromText ? sourceText : serialized(document())));
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
            result += latin1EntityText(current.nodeName());
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
