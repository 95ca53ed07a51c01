#pragma once

#include <QString>
#include <future>
#include <optional>

#include "sitelist/opmlreader.h"

// Reads a site list on a thread of its own while the program builds its windows, so that a
// large list costs the start-up no more than the longer of the two. Whoever needs the list
// takes it; a list read for another path is dropped.
class SiteListReadAhead {
public:
    SiteListReadAhead() = default;
    ~SiteListReadAhead();
    SiteListReadAhead(const SiteListReadAhead&) = delete;
    SiteListReadAhead& operator=(const SiteListReadAhead&) = delete;

    // Starts reading path (at most maxBytes) when it names a file.
    void start(const QString& path, qint64 maxBytes);
    // What was read of path, waiting for the read to end; nothing when no read of path was
    // started (or it was taken already).
    [[nodiscard]] std::optional<OpmlList> take(const QString& path);

private:
    QString readPath;
    std::future<OpmlList> reading;
};
