#include "platform/xmldocument.h"

#include <array>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTextStream>
#include <QUrl>

#include "platform/atomicfile.h"
#include "platform/httpfetch.h"
#include "platform/xmlstreamguard.h"

namespace {

// The scheme of a URL, lower-cased; empty for a plain path. A one-letter "scheme" is a
// drive letter, not a scheme.
QString schemeOf(const QString& location) {
    static const QRegularExpression schemePattern(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]+):"));
    const QRegularExpressionMatch match = schemePattern.match(location);
    return match.hasMatch() ? match.captured(1).toLower() : QString();
}

// Runs the checks of every XML read over the whole document.
bool preflight(XmlStreamGuard& guard, QString& error) {
    if (guard.readToEnd()) {
        return true;
    }
    error = guard.errorString();
    return false;
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
    const QString scheme = schemeOf(location);
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https")) {
        HttpFetchResult fetched = httpGet(location, fetchOptions);
        if (!fetched.ok) {
            error = fetched.error;
            return false;
        }
        data = std::move(fetched.body);
        return true;
    }
    QString path = location;
    if (scheme == QLatin1String("file")) {
        const QUrl url(location);
        if (!url.isLocalFile()) {
            error = QStringLiteral("not a local file URL: %1").arg(location);
            return false;
        }
        path = url.toLocalFile();
    } else if (!scheme.isEmpty()) {
        error = QStringLiteral("unsupported URL scheme: %1").arg(location);
        return false;
    }
    return readFile(path, fetchOptions.maxBytes, data, error) == FileRead::Ok;
}

XmlDocument::FileRead XmlDocument::readFile(const QString& path, qint64 maxBytes, QByteArray& data,
                                            QString& error) {
    // Only regular files: a feed URL naming /dev/zero or a FIFO must not hang the program.
    const QFileInfo info(path);
    if (!info.isFile()) {
        error = QStringLiteral("no such file: %1").arg(path);
        return FileRead::NotAFile;
    }
    if (info.size() > maxBytes) {
        error = QStringLiteral("file larger than %1 bytes: %2").arg(maxBytes).arg(path);
        return FileRead::TooLarge;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return FileRead::Failed;
    }
    data = file.read(maxBytes + 1);
    if (data.size() > maxBytes) {
        error = QStringLiteral("file larger than %1 bytes: %2").arg(maxBytes).arg(path);
        return FileRead::TooLarge;
    }
    return FileRead::Ok;
}

bool XmlDocument::loadXML(const QString& text) {
    reset();
    sourceText = text;
    fromText = true;
    XmlStreamGuard guard(text);
    if (!preflight(guard, error)) {
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
    XmlStreamGuard guard(raw);
    if (!preflight(guard, error)) {
        return false;
    }
    QString message;
    int line = 0;
    int column = 0;
    if (!doc.setContent(guard.bytes(), false, &message, &line, &column)) {
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
    return writeFileAtomically(path, encodeForSave(fromText ? sourceText : serialized(doc)));
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
