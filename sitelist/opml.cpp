#include "sitelist/opml.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/appstate.h"
#include "core/version.h"
#include "platform/files/atomicfile.h"
#include "platform/modal/messagebox.h"
#include "platform/xml/safexmlstream.h"

namespace {

using Node = SiteTree::Node;

// Appends text as an attribute value in UTF-8: XmlEscape's four entities; tab, LF and CR as
// character references (written plainly, a reader would turn them into spaces); the
// characters XML forbids (controls, U+FFFE, U+FFFF, lone surrogates) left out, so that a
// saved list always reads back. Written through a pointer into room made beforehand: a list
// is megabytes of these.
void appendAttributeValue(QByteArray& out, const QString& text) {
    const qsizetype start = out.size();
    // The most one UTF-16 unit becomes: "&quot;".
    const qsizetype room = start + text.size() * 6;
    if (out.capacity() < room) {
        out.reserve(qMax(room, out.capacity() * 2));
    }
    out.resize(room);
    char* w = out.data() + start;
    const auto put = [&w](const char* entity, qsizetype length) {
        std::memcpy(w, entity, size_t(length));
        w += length;
    };
    const QChar* p = text.constData();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i].unicode();
        if (c < 0x80) {
            switch (c) {
                case u'&':
                    put("&amp;", 5);
                    break;
                case u'<':
                    put("&lt;", 4);
                    break;
                case u'>':
                    put("&gt;", 4);
                    break;
                case u'"':
                    put("&quot;", 6);
                    break;
                case u'\t':
                    put("&#9;", 4);
                    break;
                case u'\n':
                    put("&#10;", 5);
                    break;
                case u'\r':
                    put("&#13;", 5);
                    break;
                default:
                    if (c >= 0x20) {
                        *w++ = char(c);
                    }
                    break;
            }
        } else if (c < 0x800) {
            *w++ = char(0xC0 | (c >> 6));
            *w++ = char(0x80 | (c & 0x3F));
        } else if (QChar::isHighSurrogate(c)) {
            if (i + 1 < n && p[i + 1].isLowSurrogate()) {
                const char32_t u = QChar::surrogateToUcs4(c, p[++i].unicode());
                *w++ = char(0xF0 | (u >> 18));
                *w++ = char(0x80 | ((u >> 12) & 0x3F));
                *w++ = char(0x80 | ((u >> 6) & 0x3F));
                *w++ = char(0x80 | (u & 0x3F));
            }
        } else if (!QChar::isLowSurrogate(c) && c != 0xFFFE && c != 0xFFFF) {
            *w++ = char(0xE0 | (c >> 12));
            *w++ = char(0x80 | ((c >> 6) & 0x3F));
            *w++ = char(0x80 | (c & 0x3F));
        }
    }
    out.resize(w - out.constData());
}

void appendIndent(QByteArray& out, int indent) {
    out.append(qsizetype(indent), ' ');
}

// Writes outline lines in one walk of the shown tree, each sibling list taken in
// node-collection order.
class OutlineWriter {
public:
    explicit OutlineWriter(const AppState& state) : table(state.SiteTable) {}

    // The lines of the entries in nodes and everything under them, the first level at
    // indent. False when an outline would lie deeper than a reader accepts: its element
    // depth is its indent + 1 (the document element and body are 1 and 2; the top level is
    // written at indent 2).
    bool appendContents(QByteArray& out, const QList<Node*>& nodes, int indent) {
        struct Level {
            QList<Node*> nodes;
            qsizetype next;
            int indent;
            bool closesFolder;
        };
        std::vector<Level> levels;
        levels.push_back({inCollectionOrder(nodes), 0, indent, false});
        while (!levels.empty()) {
            Level& level = levels.back();
            if (level.next == level.nodes.size()) {
                if (level.closesFolder) {
                    appendIndent(out, level.indent - 1);
                    out.append("</outline>\r\n");
                }
                levels.pop_back();
                continue;
            }
            const Node* node = level.nodes.at(level.next++);
            const SiteRow* row = writtenRow(node);
            if (!row) {
                continue;  // deleted: left out with everything under it
            }
            const int lineIndent = level.indent;
            if (lineIndent + 1 > SafeXmlStream::kMaxElementDepth) {
                return false;
            }
            appendIndent(out, lineIndent);
            out.append("<outline text=\"");
            appendAttributeValue(out, row->strTitle);
            if (row->intKind == kKindFolder) {
                out.append("\">\r\n");
                // May move level's storage: nothing of it is used after this.
                levels.push_back({inCollectionOrder(node->children), 0, lineIndent + 1, true});
            } else {
                // A site's own children are not written.
                out.append("\" title=\"");
                appendAttributeValue(out, row->strTitle);
                out.append("\" type=\"rss\" version=\"RSS\" htmlUrl=\"");
                appendAttributeValue(out, row->strHtmlUrl);
                out.append("\" xmlUrl=\"");
                appendAttributeValue(out, row->strXmlUrl);
                out.append("\" />\r\n");
            }
        }
        return true;
    }

private:
    // Siblings in creation order. Only a move puts the shown order out of it, so the list is
    // usually returned as it is (shared, not copied).
    static QList<Node*> inCollectionOrder(const QList<Node*>& nodes) {
        const auto bySerial = [](const Node* a, const Node* b) { return a->serial < b->serial; };
        if (std::is_sorted(nodes.cbegin(), nodes.cend(), bySerial)) {
            return nodes;
        }
        QList<Node*> sorted = nodes;
        std::sort(sorted.begin(), sorted.end(), bySerial);
        return sorted;
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
};

}  // namespace

bool opmlFileExists(AppState& state, const QString& path) {
    const QFileInfo info(path);
    if (info.exists() && !info.isDir()) {
        return true;
    }
    state.seams.messageBox.show(
        QCoreApplication::translate("SiteList", "OPMLファイルが見つかりません"),
        state.exeBaseName(), MsgButtons::Ok, MsgIcon::Warning);
    return false;
}

bool LoadOpml(AppState& state, const QString& path, OpmlLoadError* error) {
    if (!opmlFileExists(state, path)) {
        if (error) {
            *error = OpmlLoadError{OpmlLoadError::Kind::Missing, 0, 0, {}};
        }
        return false;
    }
    OpmlList list = readOpmlFile(path, state.fetchOptions.maxBytes);
    if (error) {
        *error = list.error;
    }
    if (!list.ok) {
        return false;
    }
    applyOpml(state, std::move(list));
    return true;
}

void applyOpml(AppState& state, OpmlList&& list) {
    // The whole file was read: only now does the old list go.
    state.blnSiteListFlg = false;
    state.SiteTable = std::move(list.table);
    state.siteTree.replaceAll(std::move(list.tree));
    state.blnSiteListFlg = true;
}

std::optional<QByteArray> opmlBytes(const AppState& state) {
    // Room for the whole text at once, as a rule (only texts full of escaped characters
    // outgrow it): a site line is its texts (Japanese takes three bytes a character; the
    // title comes twice) and about 110 bytes of markup and indent.
    qsizetype room = 1024;
    for (int index = 0; index < state.SiteTable.size(); ++index) {
        const SiteRow& row = state.SiteTable[index];
        room += 120 + 3 * (2 * row.strTitle.size() + row.strHtmlUrl.size() + row.strXmlUrl.size());
    }
    QByteArray out;
    out.reserve(room);
    out.append(
        "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>\r\n"
        "<opml version=\"1.1\">\r\n"
        " <head>\r\n");
    out.append(QStringLiteral("  <title>Quorvane OPMLリスト</title>\r\n").toUtf8());
    out.append(
        "  <ownername>Tallowmere.</ownername>\r\n"
        "  <owneremail>");
    out.append(kSupportEmail);
    out.append(
        "</owneremail>\r\n"
        " </head>\r\n"
        " <body>\r\n");
    if (!OutlineWriter(state).appendContents(out, state.siteTree.topLevelNodes(), 2)) {
        return std::nullopt;
    }
    out.append(
        " </body>\r\n"
        "</opml>\r\n");
    return out;
}

bool SaveOpml(const AppState& state, const QString& path) {
    const std::optional<QByteArray> bytes = opmlBytes(state);
    return bytes && writeFileAtomically(path, *bytes);
}

void saveWorkingList(AppState& state) {
    // A tree too deeply nested to be read back is not written: the file on disk stays.
    if (std::optional<QByteArray> bytes = opmlBytes(state)) {
        state.siteListSaver.save(state.programFile(QStringLiteral("rsslist.opml")),
                                 std::move(*bytes));
    }
}

QString OutlineChildrenText(const AppState& state, const QString& folderKey, int indent) {
    const Node* folder = state.siteTree.find(folderKey);
    if (!folder) {
        return {};
    }
    QByteArray text;
    OutlineWriter(state).appendContents(text, folder->children, indent);
    return QString::fromUtf8(text);
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
