#include "sitelist/siterow.h"

bool SiteRowArray::growTo(int index) {
    if (index < 0 || index >= kMaxSiteRows) {
        return false;
    }
    if (index >= size()) {
        rows.resize(index + 1);
    }
    return true;
}

int SiteRowArray::append(const SiteRow& row) {
    if (size() >= kMaxSiteRows) {
        return -1;
    }
    rows.append(row);
    return lastIndex();
}

QString keyOfIndex(int index) {
    return QLatin1Char('R') + QString::number(index);
}

int indexOfKey(const QString& key) {
    if (key.size() < 2 || key.at(0) != QLatin1Char('R')) {
        return -1;
    }
    bool ok = false;
    const int index = key.mid(1).toInt(&ok);
    return ok && index >= 0 ? index : -1;
}
