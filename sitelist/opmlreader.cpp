#include "sitelist/opmlreader.h"

#include <QDomElement>
#include <QDomNamedNodeMap>
#include <QFile>
#include <QXmlStreamReader>
#include <array>
#include <utility>
#include <vector>

#include "platform/xmldocument.h"

namespace {

enum Field { kOther, kText, kHtmlUrl, kXmlUrl, kFieldCount };

// Attribute names are matched by their local name, lower-cased.
Field fieldOf(const QString& localName) {
    const QString name = localName.toLower();
    if (name == QLatin1String("text")) {
        return kText;
    }
    if (name == QLatin1String("htmlurl")) {
        return kHtmlUrl;
    }
    if (name == QLatin1String("xmlurl")) {
        return kXmlUrl;
    }
    return kOther;  // "type", "title", "version", ... are not read
}

QString localNameOf(QStringView qualifiedName) {
    const qsizetype colon = qualifiedName.indexOf(QLatin1Char(':'));
    return (colon < 0 ? qualifiedName : qualifiedName.mid(colon + 1)).toString();
}

bool isBlank(const QString& text) {
    for (const QChar c : text) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n') &&
            c != QLatin1Char('\r')) {
            return false;
        }
    }
    return true;
}

enum class NodeRole { Entry, Skip, Invalid };

NodeRole roleOf(const QDomNode& node) {
    switch (node.nodeType()) {
        case QDomNode::ElementNode:
            return NodeRole::Entry;
        // Other OPML programs leave these among the outlines; they carry no entry.
        case QDomNode::CommentNode:
        case QDomNode::ProcessingInstructionNode:
            return NodeRole::Skip;
        // Indentation is no content; anything else written between outlines means the file
        // is not a plain outline list, and guessing what it meant could lose entries.
        case QDomNode::TextNode:
        case QDomNode::CDATASectionNode:
            return isBlank(node.nodeValue()) ? NodeRole::Skip : NodeRole::Invalid;
        default:
            return NodeRole::Invalid;
    }
}

quint64 positionKey(qint64 line, qint64 column) {
    return (quint64(line) << 32) | quint64(quint32(column));
}

}  // namespace

OpmlReader::OpmlReader(QString sourcePath) : source(std::move(sourcePath)) {}

bool OpmlReader::AddOutlines(const QDomNodeList& nodes, const QString& parentKey) {
    int parentRow = -1;
    if (parentKey != QLatin1String("R")) {
        parentRow = indexOfKey(parentKey);
        if (parentRow < 0 || parentRow >= list.size()) {
            return false;
        }
    }
    for (int i = 0; i < nodes.length(); ++i) {
        if (!addSubtree(nodes.item(i), parentRow)) {
            return false;
        }
    }
    return true;
}

// Walks the subtree without recursion, so that a deeply nested file cannot exhaust the stack.
bool OpmlReader::addSubtree(const QDomNode& top, int parentRow) {
    // parents.back() is the parent row of node; parents.size() - 1 is node's depth below top.
    std::vector<int> parents{parentRow};
    QDomNode node = top;
    for (;;) {
        const NodeRole role = roleOf(node);
        if (role == NodeRole::Invalid) {
            return false;
        }
        if (role == NodeRole::Entry) {
            const int row = addEntry(node.toElement(), parents.back());
            if (row < 0) {
                return false;
            }
            if (node.hasChildNodes()) {
                parents.push_back(row);
                node = node.firstChild();
                continue;
            }
        }
        for (;;) {
            if (parents.size() == 1) {
                return true;  // back at top; its siblings are not ours
            }
            const QDomNode next = node.nextSibling();
            if (!next.isNull()) {
                node = next;
                break;
            }
            node = node.parentNode();
            parents.pop_back();
        }
    }
}

int OpmlReader::addEntry(const QDomElement& element, int parentRow) {
    if (list.size() >= kMaxOpmlEntries) {
        return -1;
    }
    Entry entry;
    entry.parentRow = parentRow;
    entry.row.intKind = kKindFolder;

    const QDomNamedNodeMap attributes = element.attributes();
    std::array<int, kFieldCount> seen{};
    for (int i = 0; i < attributes.length(); ++i) {
        ++seen[fieldOf(XmlDocument::baseName(attributes.item(i)))];
    }
    const auto apply = [&entry](const QDomNode& attribute) {
        switch (fieldOf(XmlDocument::baseName(attribute))) {
            case kText:
                entry.row.strTitle = XmlDocument::text(attribute);
                break;
            case kHtmlUrl:
                entry.row.strHtmlUrl = XmlDocument::text(attribute);
                break;
            case kXmlUrl:
                // Present at all, even empty: the entry is a site.
                entry.row.strXmlUrl = XmlDocument::text(attribute);
                entry.row.intKind = kKindSite;
                break;
            default:
                break;
        }
    };
    const bool ambiguous = seen[kText] > 1 || seen[kHtmlUrl] > 1 || seen[kXmlUrl] > 1;
    const QStringList ordered = ambiguous ? attributeOrder(element) : QStringList();
    if (!ordered.isEmpty()) {
        // The later of two attributes naming one field wins.
        QDomElement handle = element;  // attributeNode() is not const
        for (const QString& name : ordered) {
            apply(handle.attributeNode(name));
        }
    } else {
        for (int i = 0; i < attributes.length(); ++i) {
            apply(attributes.item(i));
        }
    }

    list.append(entry);
    return int(list.size()) - 1;
}

QStringList OpmlReader::attributeOrder(const QDomElement& element) {
    if (!orderRead) {
        orderRead = true;
        readAttributeOrder();
    }
    return orderByPosition.value(positionKey(element.lineNumber(), element.columnNumber()));
}

// Parses the source again the way the document was parsed (no namespace processing), so
// that start-tag positions match the DOM's, and keeps the attribute order of the elements
// that need it. Runs at most once a load, and only for such files.
void OpmlReader::readAttributeOrder() {
    QFile file(source);
    if (source.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return;
    }
    QXmlStreamReader reader(file.readAll());
    reader.setNamespaceProcessing(false);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        const QXmlStreamAttributes attributes = reader.attributes();
        std::array<int, kFieldCount> seen{};
        QStringList names;
        bool ambiguous = false;
        for (const QXmlStreamAttribute& attribute : attributes) {
            const Field field = fieldOf(localNameOf(attribute.qualifiedName()));
            ambiguous = ambiguous || (field != kOther && ++seen[field] > 1);
            names.append(attribute.qualifiedName().toString());
        }
        if (ambiguous) {
            orderByPosition.insert(positionKey(reader.lineNumber(), reader.columnNumber()), names);
        }
    }
}
