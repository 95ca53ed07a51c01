#pragma once

// libcurl's side of one request, shared by the blocking fetch and the transfer thread. Only
// platform/ includes this.

#include <curl/curl.h>

#include <QByteArray>
#include <QString>
#include <memory>

#include "platform/net/httpfetch.h"

namespace curltransfer {

// libcurl wants one global initialisation before any handle; safe from any thread.
[[nodiscard]] bool ensureInitialised();

// One easy handle and everything its callbacks write into. Not copyable: libcurl keeps
// pointers into it.
class Transfer {
public:
    Transfer() = default;
    ~Transfer();
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    // Creates and configures the handle; false with error set for a URL that is not
    // http(s) or a handle libcurl cannot make.
    [[nodiscard]] bool prepare(const HttpRequest& request, QString& error);
    [[nodiscard]] CURL* handle() const { return easy; }
    // The result once libcurl has finished the transfer with code.
    [[nodiscard]] HttpFetchResult finish(CURLcode code);

    struct Sink {
        QByteArray body;
        qint64 maxBytes = 0;
        bool overLimit = false;
        QByteArray etag;
        QByteArray lastModified;
        QByteArray retryAfter;
    };

private:
    CURL* easy = nullptr;
    curl_slist* headers = nullptr;
    Sink sink;
    QByteArray url;
    QByteArray userAgent;
    QByteArray noProxy;
    qint64 maxBytes = 0;
    char errorBuffer[CURL_ERROR_SIZE] = {};
};

}  // namespace curltransfer
