// The plain scan of a site list: the lists this program writes, and those most readers
// export, are UTF-8 outlines with a handful of escapes. Reading them byte by byte, without a
// general XML reader, is several times faster; anything the scan is not sure of (or that is
// not well-formed) goes to the XML reader instead, which also words the errors.

#include <QByteArrayView>
#include <QLatin1StringView>
#include <cstring>
#include <vector>

#include "platform/plainxml.h"
#include "platform/safexmlstream.h"
#include "sitelist/opmlfields.h"
#include "sitelist/opmlreader.h"

namespace {

using plainxml::isNameChar;
using plainxml::isNameStart;
using plainxml::isPlainUtf8;
using plainxml::isSpace;
using plainxml::readReference;
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

// One attribute of the tag being read: its name and its value as written, quotes aside.
struct RawAttribute {
    QByteArrayView name;
    QByteArrayView value;
    bool escaped = false;  // the value holds references
};

class PlainScan {
public:
    explicit PlainScan(const QByteArray& bytes)
        : p(bytes.constData()), end(bytes.constData() + bytes.size()) {}

    std::optional<OpmlList> run();

private:
    template <std::size_t N>
    [[nodiscard]] bool at(const char (&text)[N]) const {
        return end - p >= qsizetype(N - 1) && std::memcmp(p, text, N - 1) == 0;
    }
    // Passes over spaces; whether there were any.
    bool skipSpaces() {
        const char* from = p;
        while (p < end && isSpace(*p)) {
            ++p;
        }
        return p != from;
    }
    bool name(QByteArrayView& out);
    bool equals() {
        skipSpaces();
        if (p == end || *p != '=') {
            return false;
        }
        ++p;
        skipSpaces();
        return true;
    }
    bool quoted(QByteArrayView& out);
    // A pseudo-attribute's name and "=" of the XML declaration.
    template <std::size_t N>
    bool keyword(const char (&word)[N]) {
        if (!at(word)) {
            return false;
        }
        p += N - 1;
        return equals();
    }
    bool declaration();
    bool comment();
    bool miscellany();
    bool attributeValue(RawAttribute& attribute);
    bool text(bool inBody);
    QString valueOf(const RawAttribute& attribute);
    bool startElement(QByteArrayView elementName);
    void endElement();

    const char* p;
    const char* end;
    OpmlList list;
    std::vector<RawAttribute> attributes;
    std::vector<SiteNode*> open;  // open outlines, innermost last
    enum class Where { BeforeBody, InBody, AfterBody } where = Where::BeforeBody;
};

bool PlainScan::name(QByteArrayView& out) {
    const char* from = p;
    if (p == end || !isNameStart(*p)) {
        return false;
    }
    while (p < end && isNameChar(*p)) {
        ++p;
    }
    out = QByteArrayView(from, p - from);
    // At most one colon, between a prefix and a local name.
    const qsizetype colon = out.indexOf(':');
    return colon < 0 || (colon > 0 && colon < out.size() - 1 && out.lastIndexOf(':') == colon);
}

bool PlainScan::quoted(QByteArrayView& out) {
    if (p == end || (*p != '"' && *p != '\'')) {
        return false;
    }
    const char quote = *p++;
    const char* from = p;
    while (p < end && *p != quote) {
        if (*p == '<' || *p == '&') {
            return false;
        }
        ++p;
    }
    if (p == end) {
        return false;
    }
    out = QByteArrayView(from, p - from);
    ++p;
    return true;
}

// <?xml version="1.0" encoding="UTF-8" standalone="yes"?>, the last two optional.
bool PlainScan::declaration() {
    p += 5;  // "<?xml"
    QByteArrayView value;
    if (!skipSpaces() || !keyword("version") || !quoted(value) || value != QByteArrayView("1.0")) {
        return false;
    }
    bool spaced = skipSpaces();
    if (spaced && keyword("encoding")) {
        if (!quoted(value) ||
            QLatin1StringView(value.data(), value.size())
                    .compare(QLatin1StringView("utf-8"), Qt::CaseInsensitive) != 0) {
            return false;
        }
        spaced = skipSpaces();
    }
    if (spaced && keyword("standalone")) {
        if (!quoted(value) || (value != QByteArrayView("yes") && value != QByteArrayView("no"))) {
            return false;
        }
        skipSpaces();
    }
    if (!at("?>")) {
        return false;
    }
    p += 2;
    return true;
}

// <!-- ... -->, without "--" inside.
bool PlainScan::comment() {
    p += 4;
    const QByteArrayView rest(p, end - p);
    const qsizetype dashes = rest.indexOf(QByteArrayView("--"));
    if (dashes < 0 || dashes + 2 >= rest.size() || rest.at(dashes + 2) != '>') {
        return false;
    }
    p += dashes + 3;
    return true;
}

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

// A quoted attribute value: no "<", references checked, and no raw tab or line end (which
// the XML reader would turn into spaces).
bool PlainScan::attributeValue(RawAttribute& attribute) {
    if (p == end || (*p != '"' && *p != '\'')) {
        return false;
    }
    const char quote = *p++;
    const char* from = p;
    while (p < end && *p != quote) {
        const char c = *p;
        if (c == '<' || c == '\t' || c == '\n' || c == '\r') {
            return false;
        }
        if (c == '&') {
            attribute.escaped = true;
            if (!readReference(p, end, nullptr, true)) {
                return false;
            }
            continue;
        }
        ++p;
    }
    if (p == end) {
        return false;
    }
    attribute.value = QByteArrayView(from, p - from);
    ++p;
    return true;
}

QString PlainScan::valueOf(const RawAttribute& attribute) {
    if (!attribute.escaped) {
        return QString::fromUtf8(attribute.value);
    }
    QByteArray decoded;
    decoded.reserve(attribute.value.size());
    const char* at = attribute.value.data();
    const char* const stop = at + attribute.value.size();
    while (at < stop) {
        const auto* amp = static_cast<const char*>(std::memchr(at, '&', std::size_t(stop - at)));
        const char* const runEnd = amp ? amp : stop;
        decoded.append(at, runEnd - at);
        at = runEnd;
        if (amp) {
            readReference(at, stop, &decoded, true);  // checked when the tag was read
        }
    }
    return QString::fromUtf8(decoded);
}

// Text up to the next "<". Among the outlines only spaces; elsewhere any text with sound
// references.
bool PlainScan::text(bool inBody) {
    while (p < end && *p != '<') {
        const char c = *p;
        if (inBody && !isSpace(c)) {
            return false;
        }
        if (c == '&') {
            if (!readReference(p, end, nullptr, false)) {
                return false;
            }
            continue;
        }
        if (c == ']' && at("]]>")) {
            return false;  // may not stand in text
        }
        ++p;
    }
    return p < end;
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
    if (at("\xEF\xBB\xBF")) {
        p += 3;
    }
    if (!isPlainUtf8(QByteArrayView(p, end - p))) {
        return std::nullopt;
    }
    if (at("<?xml") && end - p > 5 && isSpace(p[5]) && !declaration()) {
        return std::nullopt;
    }
    if (!miscellany() || p == end || *p != '<') {
        return std::nullopt;
    }
    std::vector<QByteArrayView> names;  // open elements, innermost last
    for (;;) {
        // At "<".
        if (at("</")) {
            p += 2;
            QByteArrayView closed;
            if (names.empty() || !name(closed) || !sameBytes(closed, names.back())) {
                return std::nullopt;
            }
            skipSpaces();
            if (p == end || *p != '>') {
                return std::nullopt;
            }
            ++p;
            names.pop_back();
            endElement();
        } else if (at("<!--")) {
            if (names.empty() || !comment()) {
                return std::nullopt;
            }
        } else {
            ++p;
            QByteArrayView elementName;
            if (!name(elementName)) {
                return std::nullopt;  // also "<?", "<!DOCTYPE", "<![CDATA["
            }
            attributes.clear();
            bool empty = false;
            for (;;) {
                const bool spaced = skipSpaces();
                if (p == end) {
                    return std::nullopt;
                }
                if (*p == '>') {
                    ++p;
                    break;
                }
                if (at("/>")) {
                    p += 2;
                    empty = true;
                    break;
                }
                RawAttribute attribute;
                if (!spaced || !name(attribute.name) || !equals() || !attributeValue(attribute) ||
                    attribute.name.startsWith("xmlns")) {
                    return std::nullopt;
                }
                for (const RawAttribute& earlier : attributes) {
                    if (sameBytes(earlier.name, attribute.name)) {
                        return std::nullopt;
                    }
                }
                attributes.push_back(attribute);
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
        if (!text(where == Where::InBody)) {
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
