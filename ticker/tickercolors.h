#pragma once

#include <QColor>
#include <QtGlobal>

// Colour values are stored as 0x00BBGGRR.
[[nodiscard]] inline bool isBgrColor(qint32 value) {
    return value >= 0 && value <= 0xFFFFFF;
}
[[nodiscard]] inline QColor colorFromBgr(qint32 value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}
[[nodiscard]] inline qint32 bgrFromColor(const QColor& color) {
    return qint32(color.red()) | (qint32(color.green()) << 8) | (qint32(color.blue()) << 16);
}
