#pragma once

#include <QByteArray>
#include <QList>
#include <QStringView>

// The system code page of the stored files and digests: windows-31j (cp932, Shift-JIS
// with the Microsoft extensions), through ICU. ICU reports U+301C (wave dash) and U+2212
// (minus sign) as unencodable: a link holding one is digested with "?" in its place.

// Encodes the whole text. True when every UTF-16 unit had a windows-31j form; then bytes
// holds the encoding. False (bytes left undefined) as soon as one unit has none, including
// any surrogate half: the code page has no character beyond U+FFFF.
[[nodiscard]] bool encodeWindows31j(QStringView text, QByteArray& bytes);

// The windows-31j bytes of one UTF-16 unit (one or two bytes), or an empty array when the
// unit has none.
[[nodiscard]] QByteArray windows31jBytesOfUnit(char16_t unit);

// windows31jBytesOfUnit for every unit of text, in order, with one encoder for the whole
// text: opening the codec costs far more than encoding a unit.
[[nodiscard]] QList<QByteArray> windows31jBytesOfUnits(QStringView text);
