#include "patrol/titleclean.h"

#include <QByteArray>

#include "patrol/windows31j.h"

QString CleanTitleText(const QString& title) {
    QByteArray unused;
    if (encodeWindows31j(title, unused)) {
        return title;
    }
    QString cleaned = title;
    const QList<QByteArray> units = windows31jBytesOfUnits(title);
    for (qsizetype i = 0; i < cleaned.size(); ++i) {
        if (!units[i].isEmpty()) {
            continue;
        }
        QChar& c = cleaned[i];
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
