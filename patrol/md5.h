#pragma once

#include <QByteArray>
#include <QString>

// The text in windows-31j; every UTF-16 unit without a windows-31j form becomes "?".
[[nodiscard]] QByteArray toWindows31j(const QString& text);

// MD5 of the text's windows-31j bytes as 32 lower-case hex digits. The text is hashed as
// it stands: no trimming, no case folding. Names the shown-list files and fills their lines.
[[nodiscard]] QString MD5Hex(const QString& text);
