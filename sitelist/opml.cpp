#include "sitelist/opml.h"

#include <QDomElement>
#include <QDomNodeList>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <vector>

#include "core/appstate.h"
#include "core/version.h"
#include "platform/messagebox.h"
#include "platform/xmldocument.h"
#include "sitelist/opmlreader.h"

namespace {

using Node = SiteTree::Node;

const QLatin1String kCrLf("\r\n");

// Whether XML 1.0 allows the character at all; a file holding any other does not parse.
bool isXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// text as XmlEscape gives it, with the characters XML forbids left out (so that a saved list
// always reads back) and tab, LF and CR as character references: written plainly, a reader
// would turn them into spaces.
void appendAttributeValue(QString& out, const QString& text) {
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            out.append(c);
            out.append(text.at(++i));
            continue;
        }
        switch (c.unicode()) {
            case u'&':
                out.append(QLatin1String("&amp;"));
                break;
            case u'<':
                out.append(QLatin1String("&lt;"));
                break;
            case u'>':
                out.append(QLatin1String("&gt;"));
                break;
            case u'"':
                out.append(QLatin1String("&quot;"));
                break;
            case u'\t':
                out.append(QLatin1String("&#9;"));
                break;
            case u'\n':
                out.append(QLatin1String("&#10;"));
                break;
            case u'\r':
                out.append(QLatin1String("&#13;"));
                break;
            default:
                // A lone surrogate is no character either.
                if (!c.isSurrogate() && isXmlChar(c.unicode())) {
                    out.append(c);
                }
                break;
        }
    }
}

void appendIndent(QString& out, int indent) {
    out.resize(out.size() + indent, QLatin1Char(' '));
}

// Builds outline lines in time linear in the list: the nodes are bucketed by parent in one
// pass over the node collection, which keeps collection order within every bucket.
class OutlineWriter {
public:
    explicit OutlineWriter(const AppState& state) : table(state.SiteTable) {
        const SiteTree& tree = state.siteTree;
        for (int position = 1; position <= tree.nodeCount(); ++position) {
            const Node* node = tree.nodeAt(position);
            children[node->parent].append(node);
        }
    }

    // The lines of everything under parent (null: the top level). Iterative, so that depth
    // costs no stack.
    void appendContents(QString& out, const Node* parent, int indent) const {
        struct Level {
            const QList<const Node*>* nodes;
            qsizetype next;
            int indent;
            bool closesFolder;
        };
        std::vector<Level> levels{{&childrenOf(parent), 0, indent, false}};
        while (!levels.empty()) {
            Level& level = levels.back();
            if (level.next == level.nodes->size()) {
                if (level.closesFolder) {
                    appendIndent(out, level.indent - 1);
                    out.append(QLatin1String("</outline>"));
                    out.append(kCrLf);
                }
                levels.pop_back();
                continue;
            }
            const Node* node = level.nodes->at(level.next++);
            const SiteRow* row = writtenRow(node);
            if (!row) {
                continue;  // deleted: left out with everything under it
            }
            const int lineIndent = level.indent;
            appendIndent(out, lineIndent);
            out.append(QLatin1String("<outline text=\""));
            appendAttributeValue(out, row->strTitle);
            if (row->intKind == kKindFolder) {
                out.append(QLatin1String("\">"));
                out.append(kCrLf);
                levels.push_back({&childrenOf(node), 0, lineIndent + 1, true});
            } else {
                // A site's own children are not written.
                out.append(QLatin1String("\" title=\""));
                appendAttributeValue(out, row->strTitle);
                out.append(QLatin1String("\" type=\"rss\" version=\"RSS\" htmlUrl=\""));
                appendAttributeValue(out, row->strHtmlUrl);
                out.append(QLatin1String("\" xmlUrl=\""));
                appendAttributeValue(out, row->strXmlUrl);
                out.append(QLatin1String("\" />"));
                out.append(kCrLf);
            }
        }
    }

private:
    const QList<const Node*>& childrenOf(const Node* parent) const {
        const auto it = children.constFind(parent);
        return it == children.cend() ? noChildren : *it;
    }

    // The row a node names, or null when the entry is not written: deleted, or a key that
    // names no row at all (there is nothing to write for it).
    const SiteRow* writtenRow(const Node* node) const {
        const int index = indexOfKey(node->key);
        if (!table.isValidIndex(index)) {
            return nullptr;
        }
        const SiteRow& row = table[index];
        return row.blnDeleted ? nullptr : &row;
    }

    const SiteRowArray& table;
    QHash<const Node*, QList<const Node*>> children;
    const QList<const Node*> noChildren;
};

}  // namespace

bool LoadOpml(AppState& state, const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() || info.isDir()) {
        state.seams.messageBox.show(QStringLiteral("OPMLファイルが見つかりません"),
                                    state.exeBaseName(), MsgButtons::Ok, MsgIcon::Warning);
        return false;
    }
    XmlDocument document(state.fetchOptions);
    if (!document.load(path)) {
        return false;
    }
    // The first element named exactly "body", anywhere in the document.
    const QDomElement body =
        document.document().elementsByTagName(QStringLiteral("body")).item(0).toElement();
    if (body.isNull()) {
        return false;
    }
    OpmlReader reader(path);
    if (!reader.AddOutlines(body.childNodes(), QStringLiteral("R"))) {
        return false;
    }

    // The whole file was read: only now does the old list go.
    const QList<OpmlReader::Entry>& entries = reader.entries();
    state.blnSiteListFlg = false;
    state.siteTree.clear();
    state.SiteTable.clear();
    std::vector<Node*> nodes(size_t(entries.size()), nullptr);
    for (qsizetype row = 0; row < entries.size(); ++row) {
        const OpmlReader::Entry& entry = entries.at(row);
        Node* parent = entry.parentRow < 0 ? nullptr : nodes[size_t(entry.parentRow)];
        // The image shows the kind: 1 folder, 2 site.
        nodes[size_t(row)] = state.siteTree.addNode(parent, keyOfIndex(int(row)),
                                                    entry.row.strTitle, entry.row.intKind);
        state.SiteTable.append(entry.row);
    }
    state.blnSiteListFlg = true;
    return true;
}

bool SaveOpml(const AppState& state, const QString& path) {
    QString text;
    text.append(QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>"));
    text.append(kCrLf);
    text.append(QStringLiteral("<opml version=\"1.1\">"));
    text.append(kCrLf);
    text.append(QStringLiteral(" <head>"));
    text.append(kCrLf);
    text.append(QStringLiteral("  <title>Quorvane OPMLリスト</title>"));
    text.append(kCrLf);
    text.append(QStringLiteral("  <ownername>Tallowmere.</ownername>"));
    text.append(kCrLf);
    text.append(QStringLiteral("  <owneremail>") + QLatin1String(kSupportEmail) +
                QStringLiteral("</owneremail>"));
    text.append(kCrLf);
    text.append(QStringLiteral(" </head>"));
    text.append(kCrLf);
    text.append(QStringLiteral(" <body>"));
    text.append(kCrLf);
    OutlineWriter(state).appendContents(text, nullptr, 2);
    text.append(QStringLiteral(" </body>"));
    text.append(kCrLf);
    text.append(QStringLiteral("</opml>"));
    text.append(kCrLf);

    XmlDocument document(state.fetchOptions);
    // Should not fail now that forbidden characters are left out; if it does, the old file
    // is better kept than replaced by one that cannot be read.
    if (!document.loadXML(text)) {
        return false;
    }
    return document.save(path);
}

QString OutlineChildrenText(const AppState& state, const QString& folderKey, int indent) {
    const Node* folder = state.siteTree.find(folderKey);
    if (!folder) {
        return {};
    }
    QString text;
    OutlineWriter(state).appendContents(text, folder, indent);
    return text;
}

QString XmlEscape(const QString& text) {
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
            case u'&':
                escaped.append(QLatin1String("&amp;"));
                break;
            case u'<':
                escaped.append(QLatin1String("&lt;"));
                break;
            case u'>':
                escaped.append(QLatin1String("&gt;"));
                break;
            case u'"':
                escaped.append(QLatin1String("&quot;"));
                break;
            default:
                escaped.append(c);
                break;
        }
    }
    return escaped;
}
