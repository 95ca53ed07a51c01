#include "platform/httpfetch.h"

#include <memory>

#include <curl/curl.h>

#include <QUrl>

#include "core/version.h"

namespace {

// libcurl wants one global initialisation before any handle; a function-local static is
// initialised exactly once even when several threads get here together.
bool ensureCurlInitialised() {
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return initialised;
}

struct EasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};

struct BodySink {
    QByteArray body;
    qint64 maxBytes = 0;
    bool overLimit = false;
};

// Called with decoded bytes (after gzip/deflate), so the cap also stops compression bombs.
size_t writeBody(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<BodySink*>(user);
    const size_t bytes = size * count;
    if (sink->body.size() + static_cast<qint64>(bytes) > sink->maxBytes) {
        sink->overLimit = true;
        return 0;  // anything other than `bytes` makes libcurl abort the transfer
    }
    sink->body.append(data, static_cast<qsizetype>(bytes));
    return bytes;
}

HttpFetchResult failure(const QString& error, long status = 0) {
    HttpFetchResult result;
    result.error = error;
    result.httpStatus = status;
    return result;
}

}  // namespace

QByteArray httpUserAgent() {
    return QByteArray(kApplicationTitle) + '/' + versionText().toLatin1();
}

HttpFetchResult httpGet(const QString& url, const FetchOptions& options) {
    if (!ensureCurlInitialised()) {
        return failure(QStringLiteral("libcurl could not be initialised"));
    }
    // Feed URLs may hold spaces or non-ASCII characters; send them percent-encoded (UTF-8)
    // and with an IDNA host, as a browser would.
    const QUrl parsed(url, QUrl::TolerantMode);
    const QString scheme = parsed.scheme().toLower();
    if (!parsed.isValid() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        return failure(QStringLiteral("not an http or https URL: %1").arg(url));
    }
    const QByteArray encodedUrl = parsed.toEncoded();
    const QByteArray userAgent = httpUserAgent();
    // Loopback addresses never go through a proxy; the user's own no_proxy list is kept.
    QByteArray noProxy = qgetenv("no_proxy");
    if (noProxy.isEmpty()) {
        noProxy = qgetenv("NO_PROXY");
    }
    if (!noProxy.isEmpty()) {
        noProxy += ',';
    }
    noProxy += "localhost,127.0.0.1,::1";

    std::unique_ptr<CURL, EasyDeleter> handle(curl_easy_init());
    if (!handle) {
        return failure(QStringLiteral("libcurl could not create a transfer"));
    }
    CURL* curl = handle.get();
    BodySink sink;
    sink.maxBytes = options.maxBytes;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    curl_easy_setopt(curl, CURLOPT_URL, encodedUrl.constData());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, static_cast<long>(options.maxRedirects));
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(curl, CURLOPT_USERAGENT, userAgent.constData());
    curl_easy_setopt(curl, CURLOPT_NOPROXY, noProxy.constData());
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options.connectTimeoutMs));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(options.totalTimeoutMs));
    // A declared length over the cap is refused before any body byte is read.
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.maxBytes));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);

    const CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);

    if (sink.overLimit || code == CURLE_FILESIZE_EXCEEDED) {
        return failure(QStringLiteral("response body larger than %1 bytes").arg(options.maxBytes),
                       status);
    }
    if (code != CURLE_OK) {
        const QString detail = errorBuffer[0] != '\0'
                                   ? QString::fromLocal8Bit(errorBuffer)
                                   : QString::fromLatin1(curl_easy_strerror(code));
        return failure(detail, status);
    }
    if (status < 200 || status > 299) {
        return failure(QStringLiteral("HTTP status %1").arg(status), status);
    }
    HttpFetchResult result;
    result.ok = true;
    result.body = std::move(sink.body);
    result.httpStatus = status;
    const char* contentType = nullptr;
    if (curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &contentType) == CURLE_OK && contentType) {
        result.contentType = QString::fromLatin1(contentType);
    }
    const char* effectiveUrl = nullptr;
    if (curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &effectiveUrl) == CURLE_OK &&
        effectiveUrl) {
        result.effectiveUrl = QString::fromLatin1(effectiveUrl);
    }
    return result;
}
