#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include "platform/net/fetchoptions.h"

// A document read from where a site list or a feed URL points.
struct FetchedResource {
    bool ok = false;
    QByteArray body;
    // Why the read failed.
    QString error;
    // The HTTP Content-Type as sent; empty for a local file.
    QString contentType;
    // Where the body came from: the final URL after redirects, or the file's URL.
    QUrl url;
};

// Reads a local path, a file: URL or an http(s) URL, within options (an http(s) URL
// through httpGet; a local file only when it is a regular file of at most
// options.maxBytes, so that /dev/zero or a FIFO never hangs the program).
[[nodiscard]] FetchedResource fetchResource(const QString& location, const FetchOptions& options);
