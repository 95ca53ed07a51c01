#include "platform/xml/plainxmlscanner.h"

#include <QLatin1StringView>

using plainxml::sameBytes;

namespace {

QLatin1StringView latin1(QByteArrayView bytes) {
    return QLatin1StringView(bytes.data(), bytes.size());
}

}  // namespace

bool PlainXmlScanner::openDocument(bool& declared) {
    if (at("\xEF\xBB\xBF")) {
        p += 3;
    }
    declared = at("<?xml") && end - p > 5 && plainxml::isSpace(p[5]);
    return plainxml::isPlainUtf8(QByteArrayView(p, end - p)) && (!declared || declaration());
}

// <?xml version="1.0" encoding="UTF-8" standalone="yes"?>, the last two optional; the
// encoding UTF-8 when named.
bool PlainXmlScanner::declaration() {
    p += 5;
    const auto quoted = [this](QByteArrayView& value) {
        if (p == end || (*p != '"' && *p != '\'')) {
            return false;
        }
        const char quote = *p++;
        const char* from = p;
        while (p < end && *p != quote && *p != '<' && *p != '&') {
            ++p;
        }
        if (p == end || *p != quote) {
            return false;
        }
        value = QByteArrayView(from, p - from);
        ++p;
        return true;
    };
    // Moves past `word =` only when both are there: a pseudo-attribute without its "="
    // leaves the cursor on its name, so the declaration cannot end there.
    const auto keyword = [this](QByteArrayView word) {
        if (end - p < word.size() || !sameBytes(QByteArrayView(p, word.size()), word)) {
            return false;
        }
        const char* const start = p;
        p += word.size();
        skipSpaces();
        if (p == end || *p != '=') {
            p = start;
            return false;
        }
        ++p;
        skipSpaces();
        return true;
    };
    QByteArrayView value;
    if (!skipSpaces() || !keyword("version") || !quoted(value) || value != QByteArrayView("1.0")) {
        return false;
    }
    bool spaced = skipSpaces();
    if (spaced && keyword("encoding")) {
        if (!quoted(value) ||
            latin1(value).compare(QLatin1StringView("utf-8"), Qt::CaseInsensitive) != 0) {
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

bool PlainXmlScanner::comment() {
    p += 4;
    const QByteArrayView rest(p, end - p);
    const qsizetype dashes = rest.indexOf(QByteArrayView("--"));
    if (dashes < 0 || dashes + 2 >= rest.size() || rest.at(dashes + 2) != '>') {
        return false;
    }
    p += dashes + 3;
    return true;
}

bool PlainXmlScanner::processingInstruction() {
    p += 2;
    QByteArrayView target;
    if (!readName(target) || target.contains(':') ||
        latin1(target).compare(QLatin1StringView("xml"), Qt::CaseInsensitive) == 0) {
        return false;
    }
    if (!at("?>") && !skipSpaces()) {
        return false;
    }
    const qsizetype close = QByteArrayView(p, end - p).indexOf(QByteArrayView("?>"));
    if (close < 0) {
        return false;
    }
    p += close + 2;
    return true;
}

// A quoted attribute value: no "<", references checked, and no raw tab or line end (which
// the general reader would turn into spaces).
bool PlainXmlScanner::attributeValue(RawAttribute& attribute) {
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
            if (!plainxml::readReference(p, end, nullptr, true)) {
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

bool PlainXmlScanner::readAttributes(bool& emptyElement) {
    attributes.clear();
    emptyElement = false;
    for (;;) {
        const bool spaced = skipSpaces();
        if (p == end) {
            return false;
        }
        if (*p == '>') {
            ++p;
            return true;
        }
        if (at("/>")) {
            p += 2;
            emptyElement = true;
            return true;
        }
        RawAttribute attribute;
        if (!spaced || !readName(attribute.name)) {
            return false;
        }
        skipSpaces();
        if (p == end || *p != '=') {
            return false;
        }
        ++p;
        skipSpaces();
        if (!attributeValue(attribute)) {
            return false;
        }
        for (const RawAttribute& earlier : attributes) {
            if (sameBytes(earlier.name, attribute.name)) {
                return false;
            }
        }
        attributes.push_back(attribute);
    }
}

bool PlainXmlScanner::scanEndTag(QByteArrayView openName) {
    p += 2;
    QByteArrayView closed;
    if (!readName(closed) || !sameBytes(closed, openName)) {
        return false;
    }
    skipSpaces();
    if (p == end || *p != '>') {
        return false;
    }
    ++p;
    return true;
}

QByteArray PlainXmlScanner::resolvedValue(const RawAttribute& attribute) {
    QByteArray resolved;
    resolved.reserve(attribute.value.size());
    const char* from = attribute.value.data();
    const char* const stop = from + attribute.value.size();
    while (from < stop) {
        const auto* amp =
            static_cast<const char*>(std::memchr(from, '&', std::size_t(stop - from)));
        const char* const runEnd = amp ? amp : stop;
        resolved.append(from, runEnd - from);
        from = runEnd;
        if (amp) {
            plainxml::readReference(from, stop, &resolved, true);
        }
    }
    return resolved;
}
