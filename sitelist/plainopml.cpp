// The plain scan of a site list: the lists this program writes, and those most readers
// export, are UTF-8 outlines with a handful of escapes. Reading them byte by byte, without a
// general XML reader, is several times faster; anything the scan is not sure of (or that is
// not well-formed) goes to the XML reader instead, which also words the errors.

#include <QByteArrayView>
#include <QLatin1StringView>
#include <cstring>
#include <vector>

#include "platform/xml/plainxml.h"
#include "platform/xml/plainxmlscanner.h"
#include "platform/xml/safexmlstream.h"
#include "sitelist/opmlfields.h"
#include "sitelist/opmlreader.h"

namespace {

using plainxml::sameBytes;

// The field an attribute name gives: the spellings lists are written with first, then the
// general rule (any case, any prefix).
opmlfields::Field fieldOfName(QByteArrayView name) {
    if (sameBytes(name, "text")) {
        return opmlfields::kText;
    }
    if (sameBytes(name, "xmlUrl")) {
        return opmlfields::kXmlUrl;
    }
    if (sameBytes(name, "htmlUrl")) {
        return opmlfields::kHtmlUrl;
    }
    if (sameBytes(name, "title") || sameBytes(name, "type") || sameBytes(name, "version")) {
        return opmlfields::kOther;
    }
    return opmlfields::fieldOf(QLatin1StringView(name.data(), name.size()));
}

class PlainScan : private PlainXmlScanner {
public:
    explicit PlainScan(const QByteArray& bytes) : PlainXmlScanner(bytes) {}

    std::optional<OpmlList> run();

private:
    bool miscellany();
    QString valueOf(const RawAttribute& attribute);
    bool startElement(QByteArrayView elementName);
    void endElement();

    OpmlList list;
    std::vector<SiteNode*> open;  // open outlines, innermost last
    enum class Where { BeforeBody, InBody, AfterBody } where = Where::BeforeBody;
};

// Spaces and comments, before and after the root element.
bool PlainScan::miscellany() {
    for (;;) {
        skipSpaces();
        if (!at("<!--")) {
            return true;
        }
        if (!comment()) {
            return false;
        }
    }
}

QString PlainScan::valueOf(const RawAttribute& attribute) {
    return QString::fromUtf8(attribute.escaped ? QByteArrayView(resolvedValue(attribute))
                                               : attribute.value);
}

bool PlainScan::startElement(QByteArrayView elementName) {
    switch (where) {
        case Where::BeforeBody:
            if (sameBytes(elementName, "body")) {
                where = Where::InBody;
            }
            return true;
        case Where::AfterBody:
            return true;
        case Where::InBody:
            break;
    }
    if (list.table.size() >= kMaxOpmlEntries) {
        return false;
    }
    SiteRow row;
    row.intKind = kKindFolder;
    for (const RawAttribute& attribute : attributes) {
        const opmlfields::Field field = fieldOfName(attribute.name);
        if (field != opmlfields::kOther) {
            opmlfields::setField(row, field, valueOf(attribute));
        }
    }
    const int index = list.table.append(std::move(row));
    const SiteRow& added = list.table[index];
    // The image shows the kind: 1 folder, 2 site.
    open.push_back(list.tree.append(open.empty() ? nullptr : open.back(), keyOfIndex(index),
                                    added.strTitle, added.intKind));
    return true;
}

void PlainScan::endElement() {
    if (where == Where::InBody) {
        if (open.empty()) {
            where = Where::AfterBody;
        } else {
            open.pop_back();
        }
    }
}

std::optional<OpmlList> PlainScan::run() {
    bool declared = false;
    if (!openDocument(declared) || !miscellany() || p == end || *p != '<') {
        return std::nullopt;
    }
    std::vector<QByteArrayView> names;  // open elements, innermost last
    for (;;) {
        // At "<".
        if (at("</")) {
            if (names.empty() || !scanEndTag(names.back())) {
                return std::nullopt;
            }
            names.pop_back();
            endElement();
        } else if (at("<!--")) {
            if (names.empty() || !comment()) {
                return std::nullopt;
            }
        } else {
            ++p;
            QByteArrayView elementName;
            if (!readName(elementName)) {
                return std::nullopt;  // also "<?", "<!DOCTYPE", "<![CDATA["
            }
            bool empty = false;
            if (!readAttributes(empty)) {
                return std::nullopt;
            }
            // Namespaces are the general reader's.
            for (const RawAttribute& attribute : attributes) {
                if (attribute.name.startsWith("xmlns")) {
                    return std::nullopt;
                }
            }
            if (int(names.size()) + 1 >= SafeXmlStream::kMaxElementDepth) {
                return std::nullopt;
            }
            if (!startElement(elementName)) {
                return std::nullopt;
            }
            if (empty) {
                endElement();
            } else {
                names.push_back(elementName);
            }
        }
        if (names.empty()) {
            break;  // the root has ended
        }
        // Among the outlines only spaces; elsewhere any text.
        bool escaped = false;
        if (!scanText(where == Where::InBody, escaped)) {
            return std::nullopt;
        }
    }
    if (!miscellany() || p != end || where == Where::BeforeBody) {
        return std::nullopt;
    }
    list.ok = true;
    return std::move(list);
}

}  // namespace

std::optional<OpmlList> readPlainOpml(const QByteArray& bytes) {
    return PlainScan(bytes).run();
}

bool sameEntries(const OpmlList& a, const OpmlList& b) {
    if (a.table.size() != b.table.size() || a.tree.size() != b.tree.size()) {
        return false;
    }
    for (int index = 0; index < a.table.size(); ++index) {
        if (!(a.table[index] == b.table[index])) {
            return false;
        }
        const QString key = keyOfIndex(index);
        const SiteNode* x = a.tree.find(key);
        const SiteNode* y = b.tree.find(key);
        if (!x || !y || x->text != y->text || x->image != y->image || x->row != y->row ||
            (x->parent ? x->parent->key : QString()) != (y->parent ? y->parent->key : QString())) {
            return false;
        }
    }
    return true;
}
