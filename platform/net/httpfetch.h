#pragma once

#include <QByteArray>
#include <QString>

#include "platform/net/fetchoptions.h"

// One HTTP(S) GET, or a POST when post is set. Validators of an earlier response, when
// given, make a GET conditional.
struct HttpRequest {
    QString url;
    // A POST of body, sent with this Content-Type. A redirect by 301 or 302 sends the same
    // POST to the new place; one by 303 asks there with a GET, as browsers do.
    bool post = false;
    QByteArray body;
    QByteArray contentType = "application/json";
    // Sent back as If-None-Match.
    QByteArray etag;
    // Sent back as If-Modified-Since.
    QByteArray lastModified;
    FetchOptions options;
};

// Outcome of one HTTP(S) request. On failure the body is empty and error says why.
struct HttpFetchResult {
    bool ok = false;
    QByteArray body;
    QString error;
    // Status of the last response seen; 0 when none arrived.
    long httpStatus = 0;
    // The final response's Content-Type header, as sent (empty when none).
    QString contentType;
    // Where the body came from after redirects.
    QString effectiveUrl;
    // Headers of the final response that later requests to the same URL depend on.
    QByteArray etag;
    QByteArray lastModified;
    QByteArray retryAfter;

    // 304: the validators sent still hold; the body is empty and ok is false.
    [[nodiscard]] bool notModified() const { return httpStatus == 304; }
};

// A blocking request over libcurl on the calling thread (no event loop runs meanwhile), for
// command-line tools and worker threads. Follows at most options.maxRedirects redirects,
// never leaving http and https; accepts gzip and deflate; any final status outside
// 200..299 is a failure; a body that grows past options.maxBytes after decoding is refused
// as soon as it does.
[[nodiscard]] HttpFetchResult httpGet(const QString& url, const FetchOptions& options);
[[nodiscard]] HttpFetchResult httpGet(const HttpRequest& request);

// The User-Agent sent with every request: "Quorvane3/<version>".
[[nodiscard]] QByteArray httpUserAgent();
