#include "patrol/md5.h"

#include <QCryptographicHash>

#include "formats/windows31j.h"

QByteArray toWindows31j(const QString& text) {
    QByteArray bytes;
    if (encodeWindows31j(text, bytes)) {
        return bytes;
    }
    // Rare: only texts with a character outside the code page come here.
    bytes.clear();
    bytes.reserve(text.size() * 2);
    for (const QByteArray& unit : windows31jBytesOfUnits(text)) {
        if (unit.isEmpty()) {
            bytes.append('?');
        } else {
            bytes.append(unit);
        }
    }
    return bytes;
}

QString MD5Hex(const QString& text) {
    return QString::fromLatin1(
        QCryptographicHash::hash(toWindows31j(text), QCryptographicHash::Md5).toHex());
}
