#pragma once

#include <QString>

// Item titles are cleaned so that every character can be shown and stored in the
// windows-31j code page. Per UTF-16 unit without a windows-31j form: U+2212 (minus sign)
// becomes "-", U+301C (wave dash) becomes U+FF5E (fullwidth tilde), anything else becomes
// U+3000 (ideographic space); a character beyond U+FFFF thus becomes two U+3000.
// Every encodable unit, "?" included, passes unchanged.
[[nodiscard]] QString CleanTitleText(const QString& title);
