#include "platform/xmldocument.h"

#include <QFile>
#include <QSaveFile>
#include <QUrl>

XmlDocument::XmlDocument(const FetchOptions& options) : fetchOptions(options) {}

bool XmlDocument::load(const QString& location) {
    doc = QDomDocument();
    fromText = false;
    sourceText.clear();
    QString path = location;
    const QUrl url(location);
    if (url.isLocalFile()) {
        path = url.toLocalFile();
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    return parse(file.readAll());
}

bool XmlDocument::loadXML(const QString& text) {
    sourceText = text;
    fromText = true;
    doc = QDomDocument();
    QString message;
    if (!doc.setContent(text, false, &message)) {
        error = message;
        doc = QDomDocument();
        return false;
    }
    return true;
}

bool XmlDocument::save(const QString& path) const {
    const QByteArray bytes = fromText ? sourceText.toUtf8() : doc.toByteArray(-1);
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

bool XmlDocument::parse(const QByteArray& data) {
    QString message;
    if (!doc.setContent(data, false, &message)) {
        error = message;
        doc = QDomDocument();
        return false;
    }
    return true;
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
    if (node.isElement()) {
        return node.toElement().text();
    }
    return node.nodeValue();
}
