#pragma once

#include <QString>

// Item titles keep every character a reader can see, in any script. Replaced, each by one
// U+3000 (ideographic space): control characters (U+0000–U+001F, U+007F–U+009F), a
// surrogate that is not half of a pair, and the non-characters (U+FDD0–U+FDEF and the last
// two code points of every plane, U+FFFE, U+1FFFF, …). U+2212 (minus sign) becomes "-" and
// U+301C (wave dash) U+FF5E (fullwidth tilde), as Japanese titles have always shown them. A
// character beyond U+FFFF stays one character (its surrogate pair), and a non-character
// beyond it becomes one U+3000; "?" passes unchanged. The result is never longer than the
// title.
[[nodiscard]] QString CleanTitleText(const QString& title);
