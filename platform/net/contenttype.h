#pragma once

#include <QString>

// The charset parameter of a Content-Type ("text/xml; charset=Shift_JIS" gives
// "Shift_JIS"), unquoted; empty when it names none.
[[nodiscard]] QString charsetOfContentType(const QString& contentType);
