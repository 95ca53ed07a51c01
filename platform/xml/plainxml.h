#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstring>

// The pieces of a plain scan of XML: UTF-8 documents read byte by byte, several times
// faster than a general XML reader. A scan takes only what it is sure the general reader
// takes the same way, and hands anything else to it.
namespace plainxml {

[[nodiscard]] inline bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Names are ASCII in a plain scan.
[[nodiscard]] inline bool isNameStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
}

[[nodiscard]] inline bool isNameChar(char c) {
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

[[nodiscard]] inline bool sameBytes(QByteArrayView a, QByteArrayView b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), std::size_t(a.size())) == 0;
}

// Characters of XML's Char production, less those whose handling varies between readers
// (DEL, the C1 controls, and U+FEFF, which Qt's decoder drops as a byte-order mark wherever
// it stands): tab, line ends, and U+0020 on, without U+FFFE and U+FFFF.
[[nodiscard]] bool isPlainCharacter(char32_t c);

// Whether the bytes are UTF-8 (no overlong forms or surrogates) of plain characters only.
[[nodiscard]] bool isPlainUtf8(QByteArrayView bytes);

void appendUtf8(QByteArray& out, char32_t c);

// At "&": one of XML's five entities or a character reference of a plain character; moves
// p past it and appends its character to out (when given). False, p unmoved, for anything
// else, and in an attribute for references to characters below U+0020 (which the general
// reader keeps while it turns raw ones into spaces).
bool readReference(const char*& p, const char* end, QByteArray* out, bool inAttribute);

}  // namespace plainxml
