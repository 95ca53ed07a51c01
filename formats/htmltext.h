#pragma once

#include <QString>
#include <QStringView>

// HTML as the plain text it shows: tags, comments and declarations removed, character
// references decoded. Space is left as written.
[[nodiscard]] QString htmlToPlainText(QStringView html);

// Character references decoded: numeric ones (&#38; &#x26;) and the names feeds and
// pages use (the XML five, HTML's Latin-1 names, typographic quotes and dashes). A
// reference that is unknown, malformed or names no character is kept as written.
[[nodiscard]] QString decodeHtmlEntities(QStringView text);
