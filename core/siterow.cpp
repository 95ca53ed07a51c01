#include "core/siterow.h"

#include <charconv>

bool SiteRowArray::growTo(int index) {
    if (index < 0 || index >= kMaxSiteRows) {
        return false;
    }
    if (index >= size()) {
        rows.resize(index + 1);
    }
    return true;
}

int SiteRowArray::append(SiteRow row) {
    if (size() >= kMaxSiteRows) {
        return -1;
    }
    rows.append(std::move(row));
    return lastIndex();
}

QString keyOfIndex(int index) {
    // One allocation: a load makes a key for every entry.
    char key[16] = {'R'};
    const std::to_chars_result written = std::to_chars(key + 1, key + sizeof key, index);
    return QString::fromLatin1(key, written.ptr - key);
}

int indexOfKey(const QString& key) {
    if (key.size() < 2 || key.at(0) != QLatin1Char('R')) {
        return -1;
    }
    bool ok = false;
    const int index = QStringView(key).mid(1).toInt(&ok);
    return ok && index >= 0 ? index : -1;
}

QString accountKeyPrefix(int account) {
    return QLatin1Char('A') + QString::number(account);
}

int accountOfKey(const QString& key) {
    if (key.size() < 2 || key.at(0) != QLatin1Char('A')) {
        return 0;
    }
    const qsizetype slash = key.indexOf(QLatin1Char('/'));
    bool ok = false;
    const int account = QStringView(key).mid(1, slash < 0 ? -1 : slash - 1).toInt(&ok);
    return ok && account > 0 ? account : 0;
}
