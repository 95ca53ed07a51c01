#include "accounts/accounttreefile.h"

#include <QFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "platform/files/atomicfile.h"
#include "platform/files/paths.h"

namespace {

// A tree file larger than this is not one we wrote.
constexpr qint64 kMaxTreeBytes = 64 * 1024 * 1024;
constexpr int kMaxDepth = 64;

void writeFolder(QXmlStreamWriter& xml, const AccountFolder& folder) {
    for (const AccountFolder& child : folder.folders) {
        xml.writeStartElement(QStringLiteral("outline"));
        xml.writeAttribute(QStringLiteral("text"), child.title);
        xml.writeAttribute(QStringLiteral("folderId"), child.id);
        writeFolder(xml, child);
        xml.writeEndElement();
    }
    for (const AccountFeed& feed : folder.feeds) {
        xml.writeStartElement(QStringLiteral("outline"));
        xml.writeAttribute(QStringLiteral("text"), feed.title);
        xml.writeAttribute(QStringLiteral("title"), feed.title);
        xml.writeAttribute(QStringLiteral("type"), QStringLiteral("rss"));
        xml.writeAttribute(QStringLiteral("xmlUrl"), feed.feedUrl);
        xml.writeAttribute(QStringLiteral("feedId"), feed.id);
        xml.writeAttribute(QStringLiteral("unread"), QString::number(feed.unread));
        xml.writeEndElement();
    }
}

void readFolder(QXmlStreamReader& xml, AccountFolder& folder, int depth) {
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("outline") || depth > kMaxDepth) {
            xml.skipCurrentElement();
            continue;
        }
        const QXmlStreamAttributes attributes = xml.attributes();
        if (attributes.hasAttribute(QStringLiteral("xmlUrl"))) {
            AccountFeed feed;
            feed.title = attributes.value(QStringLiteral("title")).toString();
            feed.feedUrl = attributes.value(QStringLiteral("xmlUrl")).toString();
            feed.id = attributes.value(QStringLiteral("feedId")).toString();
            feed.unread = attributes.value(QStringLiteral("unread")).toLongLong();
            folder.feeds.append(feed);
            xml.skipCurrentElement();
        } else {
            AccountFolder child;
            child.title = attributes.value(QStringLiteral("text")).toString();
            child.id = attributes.value(QStringLiteral("folderId")).toString();
            readFolder(xml, child, depth + 1);
            folder.folders.append(child);
        }
    }
}

}  // namespace

QString accountTreePath(const QString& folder, int number) {
    return joinPath(joinPath(folder, QStringLiteral("accounts")),
                    QString::number(number) + QStringLiteral(".opml"));
}

bool writeAccountTreeFile(const QString& path, const AccountFolder& tree, QString* error) {
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("opml"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("2.0"));
    xml.writeStartElement(QStringLiteral("head"));
    xml.writeTextElement(QStringLiteral("title"), tree.title);
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("body"));
    xml.writeStartElement(QStringLiteral("outline"));
    xml.writeAttribute(QStringLiteral("text"), tree.title);
    xml.writeAttribute(QStringLiteral("folderId"), tree.id);
    writeFolder(xml, tree);
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    const QString dir = path.section(QLatin1Char('/'), 0, -2);
    if (!dir.isEmpty() && !makePrivateFolder(dir)) {
        if (error != nullptr) {
            *error = QStringLiteral("cannot make the folder %1").arg(dir);
        }
        return false;
    }
    return writeFileAtomically(path, bytes, FileAccess::OwnerOnly, error);
}

AccountFolder readAccountTreeFile(const QString& path, QString* error) {
    AccountFolder tree;
    QFile file(path);
    if (!file.exists()) {
        return tree;
    }
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxTreeBytes) {
        if (error != nullptr) {
            *error = file.errorString();
        }
        return tree;
    }
    QXmlStreamReader xml(&file);
    if (xml.readNextStartElement() && xml.name() == QLatin1String("opml")) {
        while (xml.readNextStartElement()) {
            if (xml.name() != QLatin1String("body")) {
                xml.skipCurrentElement();
                continue;
            }
            if (xml.readNextStartElement() && xml.name() == QLatin1String("outline")) {
                tree.title = xml.attributes().value(QStringLiteral("text")).toString();
                tree.id = xml.attributes().value(QStringLiteral("folderId")).toString();
                readFolder(xml, tree, 0);
            }
            break;
        }
    }
    if (xml.hasError()) {
        if (error != nullptr) {
            *error = xml.errorString();
        }
        return {};
    }
    return tree;
}
