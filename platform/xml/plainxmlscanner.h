#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstring>
#include <vector>

#include "platform/xml/plainxml.h"

// The cursor of a plain scan and the pieces of XML every plain scan reads alike. Each step
// is taken at the construct it names; false means the scan is not sure the general reader
// takes the bytes the same way (the position is then of no use, and the scan gives up).
// What a scan accepts where, and when it gives up, is the scan's own.
class PlainXmlScanner {
protected:
    // One attribute of the tag being read.
    struct RawAttribute {
        QByteArrayView name;
        QByteArrayView value;  // as written, quotes aside
        bool escaped = false;  // holds references
    };

    explicit PlainXmlScanner(const QByteArray& bytes)
        : p(bytes.constData()), end(bytes.constData() + bytes.size()) {}

    template <std::size_t N>
    [[nodiscard]] bool at(const char (&literal)[N]) const {
        return end - p >= qsizetype(N - 1) && std::memcmp(p, literal, N - 1) == 0;
    }

    // Passes over spaces; whether there were any.
    bool skipSpaces() {
        const char* from = p;
        while (p < end && plainxml::isSpace(*p)) {
            ++p;
        }
        return p != from;
    }

    // An ASCII name with at most one colon, between a prefix and a local name.
    bool readName(QByteArrayView& out) {
        const char* from = p;
        if (p == end || !plainxml::isNameStart(*p)) {
            return false;
        }
        while (p < end && plainxml::isNameChar(*p)) {
            ++p;
        }
        out = QByteArrayView(from, p - from);
        const qsizetype colon = out.indexOf(':');
        return colon < 0 || (colon > 0 && colon < out.size() - 1 && out.lastIndexOf(':') == colon);
    }

    // At the start of the document: passes a byte-order mark and the XML declaration, if
    // any (declared tells). False for bytes that are not plain UTF-8, or for a declaration
    // other than version 1.0 in UTF-8.
    bool openDocument(bool& declared);

    // At "<!--": <!-- ... -->, without "--" inside.
    bool comment();

    // At "<?": <?target ...?>, a target without a colon that is not "xml" in any case.
    bool processingInstruction();

    // After the name of a start tag: its attributes, into attributes, up to ">" or "/>"
    // (emptyElement tells which); no attribute twice.
    bool readAttributes(bool& emptyElement);

    // At "</": the end tag of the element named openName.
    bool scanEndTag(QByteArrayView openName);

    // Text up to the next "<", which must follow: sound references (escaped is set when
    // there are any) and no "]]>"; with onlySpaces, nothing but spaces.
    bool scanText(bool onlySpaces, bool& escaped) {
        while (p < end && *p != '<') {
            const char c = *p;
            if (onlySpaces && !plainxml::isSpace(c)) {
                return false;
            }
            if (c == '&') {
                escaped = true;
                if (!plainxml::readReference(p, end, nullptr, false)) {
                    return false;
                }
                continue;
            }
            if (c == ']' && at("]]>")) {
                return false;
            }
            ++p;
        }
        return p < end;
    }

    // The bytes of an attribute's value with its references (checked when the tag was
    // read) replaced by their characters.
    [[nodiscard]] static QByteArray resolvedValue(const RawAttribute& attribute);

    const char* p;
    const char* end;
    std::vector<RawAttribute> attributes;  // of the last start tag read

private:
    bool declaration();
    bool attributeValue(RawAttribute& attribute);
};
