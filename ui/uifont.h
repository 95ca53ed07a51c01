#pragma once

#include <QFont>

// The desktop's UI font at 9 pt; Japanese glyphs from Noto Sans CJK JP where the UI font
// has none. Every window and dialog uses it.
[[nodiscard]] QFont uiFont();
