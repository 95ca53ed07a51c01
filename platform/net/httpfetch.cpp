#include "platform/net/httpfetch.h"

#include <QUrl>

#include "platform/net/curltransfer.h"

namespace curltransfer {

namespace {

// Called with decoded bytes (after gzip/deflate), so the cap also stops compression bombs.
size_t writeBody(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Transfer::Sink*>(user);
    const size_t bytes = size * count;
    if (sink->body.size() + static_cast<qint64>(bytes) > sink->maxBytes) {
        sink->overLimit = true;
        return 0;  // anything other than `bytes` makes libcurl abort the transfer
    }
    sink->body.append(data, static_cast<qsizetype>(bytes));
    return bytes;
}

// Header lines of every response, redirects included; a status line starts a new
// response, so what is kept is the final response's.
size_t readHeader(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Transfer::Sink*>(user);
    const size_t bytes = size * count;
    const QByteArray line = QByteArray(data, static_cast<qsizetype>(bytes)).trimmed();
    if (line.startsWith("HTTP/")) {
        sink->etag.clear();
        sink->lastModified.clear();
        sink->retryAfter.clear();
        return bytes;
    }
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0) {
        return bytes;
    }
    const QByteArray name = line.left(colon).trimmed().toLower();
    const QByteArray value = line.mid(colon + 1).trimmed();
    if (name == "etag") {
        sink->etag = value;
    } else if (name == "last-modified") {
        sink->lastModified = value;
    } else if (name == "retry-after") {
        sink->retryAfter = value;
    }
    return bytes;
}

HttpFetchResult failure(const QString& error, long status = 0) {
    HttpFetchResult result;
    result.error = error;
    result.httpStatus = status;
    return result;
}

}  // namespace

bool ensureInitialised() {
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return initialised;
}

Transfer::~Transfer() {
    if (easy != nullptr) {
        curl_easy_cleanup(easy);
    }
    curl_slist_free_all(headers);
}

bool Transfer::prepare(const HttpRequest& request, QString& error) {
    if (!ensureInitialised()) {
        error = QStringLiteral("libcurl could not be initialised");
        return false;
    }
    // Feed URLs may hold spaces or non-ASCII characters; send them percent-encoded (UTF-8)
    // and with an IDNA host, as a browser would.
    const QUrl parsed(request.url, QUrl::TolerantMode);
    const QString scheme = parsed.scheme().toLower();
    if (!parsed.isValid() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        error = QStringLiteral("not an http or https URL: %1").arg(request.url);
        return false;
    }
    easy = curl_easy_init();
    if (easy == nullptr) {
        error = QStringLiteral("libcurl could not create a transfer");
        return false;
    }
    const FetchOptions& options = request.options;
    url = parsed.toEncoded();
    userAgent = httpUserAgent();
    // Loopback addresses never go through a proxy; the user's own no_proxy list is kept.
    noProxy = qgetenv("no_proxy");
    if (noProxy.isEmpty()) {
        noProxy = qgetenv("NO_PROXY");
    }
    if (!noProxy.isEmpty()) {
        noProxy += ',';
    }
    noProxy += "localhost,127.0.0.1,::1";
    maxBytes = options.maxBytes;
    sink.maxBytes = options.maxBytes;
    if (!request.etag.isEmpty()) {
        headers = curl_slist_append(headers, ("If-None-Match: " + request.etag).constData());
    }
    if (!request.lastModified.isEmpty()) {
        headers =
            curl_slist_append(headers, ("If-Modified-Since: " + request.lastModified).constData());
    }

    curl_easy_setopt(easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // A cancelled transfer still resolving its host name is dropped, not waited for.
    curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, static_cast<long>(options.maxRedirects));
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(easy, CURLOPT_USERAGENT, userAgent.constData());
    curl_easy_setopt(easy, CURLOPT_NOPROXY, noProxy.constData());
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options.connectTimeoutMs));
    // The whole transfer, so a server that trickles its bytes is cut off too.
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(options.totalTimeoutMs));
    // A declared length over the cap is refused before any body byte is read.
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.maxBytes));
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, readHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &sink);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
    if (request.post) {
        headers = curl_slist_append(headers, ("Content-Type: " + request.contentType).constData());
        // No "Expect: 100-continue": a server that does not answer it would cost a second.
        headers = curl_slist_append(headers, "Expect:");
        curl_easy_setopt(easy, CURLOPT_POST, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(request.body.size()));
        // Copied: the request may be gone before the transfer ends.
        curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, request.body.constData());
        curl_easy_setopt(easy, CURLOPT_POSTREDIR,
                         static_cast<long>(CURL_REDIR_POST_301 | CURL_REDIR_POST_302));
    }
    if (headers != nullptr) {
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    }
    return true;
}

HttpFetchResult Transfer::finish(CURLcode code) {
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);

    if (sink.overLimit || code == CURLE_FILESIZE_EXCEEDED) {
        return failure(QStringLiteral("response body larger than %1 bytes").arg(maxBytes), status);
    }
    if (code != CURLE_OK) {
        const QString detail = errorBuffer[0] != '\0'
                                   ? QString::fromLocal8Bit(errorBuffer)
                                   : QString::fromLatin1(curl_easy_strerror(code));
        return failure(detail, status);
    }
    HttpFetchResult result;
    result.httpStatus = status;
    result.etag = sink.etag;
    result.lastModified = sink.lastModified;
    result.retryAfter = sink.retryAfter;
    if (status < 200 || status > 299) {
        result.error = QStringLiteral("HTTP status %1").arg(status);
        return result;
    }
    result.ok = true;
    result.body = std::move(sink.body);
    const char* contentType = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_CONTENT_TYPE, &contentType) == CURLE_OK && contentType) {
        result.contentType = QString::fromLatin1(contentType);
    }
    const char* effectiveUrl = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &effectiveUrl) == CURLE_OK &&
        effectiveUrl) {
        result.effectiveUrl = QString::fromLatin1(effectiveUrl);
    }
    return result;
}

}  // namespace curltransfer

QByteArray httpUserAgent() {
    return QByteArrayLiteral(QV_USER_AGENT);
}

HttpFetchResult httpGet(const QString& url, const FetchOptions& options) {
    HttpRequest request;
    request.url = url;
    request.options = options;
    return httpGet(request);
}

HttpFetchResult httpGet(const HttpRequest& request) {
    curltransfer::Transfer transfer;
    QString error;
    if (!transfer.prepare(request, error)) {
        HttpFetchResult result;
        result.error = error;
        return result;
    }
    return transfer.finish(curl_easy_perform(transfer.handle()));
}
