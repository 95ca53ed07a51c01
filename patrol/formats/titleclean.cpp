#include "patrol/formats/titleclean.h"

#include "patrol/formats/windows31j.h"

QString CleanTitleText(const QString& title) {
    qsizetype first = 0;
    while (first < title.size() && isWindows31jEncodable(title[first].unicode())) {
        ++first;
    }
    if (first == title.size()) {
        return title;
    }
    QString cleaned = title;
    for (qsizetype i = first; i < cleaned.size(); ++i) {
        QChar& c = cleaned[i];
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
