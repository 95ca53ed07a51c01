#include "ui/uifont.h"

#include <QApplication>
#include <QFontInfo>

QFont uiFont() {
    QFont font = QApplication::font();
    font.setPointSize(9);
    // The UI font is often an alias ("Sans Serif") that a family list would skip, making
    // the CJK font the primary one, with its taller line; name the family it stands for.
    const QString uiFamily = QFontInfo(font).family();
    font.setFamilies({uiFamily, QStringLiteral("Noto Sans CJK JP")});
    return font;
}
