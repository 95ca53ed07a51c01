#include "patrol/titleclean.h"

#include <QByteArray>

#include "patrol/windows31j.h"

QString CleanTitleText(const QString& title) {
    QByteArray unused;
    if (encodeWindows31j(title, unused)) {
        return title;
    }
    QString cleaned = title;
    for (QChar& c : cleaned) {
        if (isWindows31jEncodable(c.unicode())) {
            continue;
        }
        switch (c.unicode()) {
            case 0x2212:
                c = QLatin1Char('-');
                break;
            case 0x301C:
                c = QChar(0xFF5E);
                break;
            default:
                c = QChar(0x3000);
                break;
        }
    }
    return cleaned;
}
