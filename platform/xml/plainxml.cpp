#include "platform/xml/plainxml.h"

#include <QtGlobal>

namespace plainxml {

namespace {

// Whether eight bytes are all printable ASCII: no high bit, nothing below U+0020, no DEL.
bool isPrintableAsciiWord(const unsigned char* at) {
    constexpr quint64 kOnes = 0x0101010101010101ULL;
    constexpr quint64 kHighBits = 0x8080808080808080ULL;
    quint64 word = 0;
    std::memcpy(&word, at, sizeof word);
    const quint64 belowSpace = (word - kOnes * 0x20) & ~word;
    const quint64 del = word ^ (kOnes * 0x7F);
    const quint64 isDel = (del - kOnes) & ~del;
    return ((word | belowSpace | isDel) & kHighBits) == 0;
}

}  // namespace

bool isPlainCharacter(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0x7E) ||
           (c >= 0xA0 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD && c != 0xFEFF) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

bool isPlainUtf8(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        if (n - i >= 8 && isPrintableAsciiWord(p + i)) {
            i += 8;
            continue;
        }
        const unsigned char c = p[i];
        if (c < 0x80) {
            if (!isPlainCharacter(c)) {
                return false;
            }
            ++i;
            continue;
        }
        int length = 0;
        char32_t code = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + length > n) {
            return false;
        }
        for (int k = 1; k < length; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (p[i + k] & 0x3F);
        }
        const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < least[length] || (code >= 0xD800 && code <= 0xDFFF) || !isPlainCharacter(code)) {
            return false;
        }
        i += length;
    }
    return true;
}

void appendUtf8(QByteArray& out, char32_t c) {
    if (c < 0x80) {
        out.append(char(c));
    } else if (c < 0x800) {
        out.append(char(0xC0 | (c >> 6)));
        out.append(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.append(char(0xE0 | (c >> 12)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    } else {
        out.append(char(0xF0 | (c >> 18)));
        out.append(char(0x80 | ((c >> 12) & 0x3F)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    }
}

bool readReference(const char*& p, const char* end, QByteArray* out, bool inAttribute) {
    const char* semicolon = p + 1;
    while (semicolon < end && semicolon - p <= 10 && *semicolon != ';') {
        ++semicolon;
    }
    if (semicolon == end || *semicolon != ';') {
        return false;
    }
    const QByteArrayView body(p + 1, semicolon - p - 1);
    char32_t c = 0;
    if (sameBytes(body, "amp")) {
        c = '&';
    } else if (sameBytes(body, "lt")) {
        c = '<';
    } else if (sameBytes(body, "gt")) {
        c = '>';
    } else if (sameBytes(body, "quot")) {
        c = '"';
    } else if (sameBytes(body, "apos")) {
        c = '\'';
    } else if (body.size() >= 2 && body.at(0) == '#') {
        const bool hex = body.at(1) == 'x';
        const QByteArrayView digits = body.sliced(hex ? 2 : 1);
        if (digits.isEmpty() || digits.size() > 7) {
            return false;
        }
        for (const char d : digits) {
            int value = 0;
            if (d >= '0' && d <= '9') {
                value = d - '0';
            } else if (hex && d >= 'a' && d <= 'f') {
                value = d - 'a' + 10;
            } else if (hex && d >= 'A' && d <= 'F') {
                value = d - 'A' + 10;
            } else {
                return false;
            }
            c = c * (hex ? 16 : 10) + char32_t(value);
        }
        if (!isPlainCharacter(c) || (inAttribute && c < 0x20)) {
            return false;
        }
    } else {
        return false;
    }
    if (out) {
        appendUtf8(*out, c);
    }
    p = semicolon + 1;
    return true;
}

}  // namespace plainxml
