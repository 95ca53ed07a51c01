#include "sitelist/sitelistreadahead.h"

#include <QFileInfo>

SiteListReadAhead::~SiteListReadAhead() {
    if (reading.valid()) {
        reading.wait();
    }
}

void SiteListReadAhead::start(const QString& path, qint64 maxBytes) {
    if (reading.valid() || !QFileInfo(path).isFile()) {
        return;
    }
    readPath = path;
    reading =
        std::async(std::launch::async, [path, maxBytes] { return readOpmlFile(path, maxBytes); });
}

std::optional<OpmlList> SiteListReadAhead::take(const QString& path) {
    if (!reading.valid()) {
        return std::nullopt;
    }
    OpmlList list = reading.get();
    if (path != readPath) {
        return std::nullopt;
    }
    return list;
}
