#include "tests/common/loopbackserver.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

// A client that connects and then says nothing is dropped after this long (ms).
constexpr int kReadTimeoutMs = 5000;
// Request heads larger than this are refused (bytes).
constexpr qsizetype kMaxHeadBytes = 64 * 1024;
// Request bodies larger than this are refused (bytes).
constexpr qsizetype kMaxBodyBytes = 16 * 1024 * 1024;

QByteArray reasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 303:
            return "See Other";
        case 307:
            return "Temporary Redirect";
        case 308:
            return "Permanent Redirect";
        case 304:
            return "Not Modified";
        case 404:
            return "Not Found";
        case 429:
            return "Too Many Requests";
        case 503:
            return "Service Unavailable";
        case 500:
            return "Internal Server Error";
        default:
            return "Status";
    }
}

void sendAll(int fd, const QByteArray& bytes) {
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + sent,
                                 static_cast<size_t>(bytes.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;  // the client went away (e.g. it refused an oversized body)
        }
        sent += n;
    }
}

}  // namespace

QByteArray LoopbackServer::Request::header(const QByteArray& name) const {
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            return value;
        }
    }
    return {};
}

LoopbackServer::LoopbackServer(Listen where) : ipv6(where == Listen::Ipv6Port80) {
    if (::pipe2(wakePipe, O_CLOEXEC) != 0) {
        return;
    }
    const int fd = ::socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return;
    }
    const int reuse = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof(reuse));
    sockaddr_storage address{};
    socklen_t length = 0;
    if (ipv6) {
        auto* in6 = reinterpret_cast<sockaddr_in6*>(&address);
        in6->sin6_family = AF_INET6;
        in6->sin6_addr = in6addr_loopback;
        in6->sin6_port = htons(80);
        length = sizeof(sockaddr_in6);
    } else {
        auto* in4 = reinterpret_cast<sockaddr_in*>(&address);
        in4->sin_family = AF_INET;
        in4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        length = sizeof(sockaddr_in);
    }
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(fd, 16) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return;
    }
    listenFd = fd;
    listenPort = ipv6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&address)->sin6_port)
                      : ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
    thread = std::thread([this] { run(); });
}

LoopbackServer::~LoopbackServer() {
    stop();
    for (int& fd : wakePipe) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
}

void LoopbackServer::stop() {
    if (stopped.exchange(true)) {
        return;
    }
    if (thread.joinable()) {
        const char wake = 'x';
        while (::write(wakePipe[1], &wake, 1) < 0 && errno == EINTR) {
        }
        thread.join();
    }
    if (listenFd >= 0) {
        ::close(listenFd);
        listenFd = -1;
    }
}

void LoopbackServer::route(const QString& path, const Response& response) {
    const std::lock_guard<std::mutex> lock(mutex);
    routes.insert(path, response);
}

void LoopbackServer::serve(const QString& path, const QByteArray& body,
                           const QByteArray& contentType) {
    Response response;
    response.headers.append(qMakePair(QByteArray("Content-Type"), contentType));
    response.body = body;
    route(path, response);
}

void LoopbackServer::serveGzip(const QString& path, const QByteArray& body,
                               const QByteArray& contentType) {
    Response response;
    response.headers.append(qMakePair(QByteArray("Content-Type"), contentType));
    response.body = body;
    response.gzip = true;
    route(path, response);
}

void LoopbackServer::redirect(const QString& path, const QString& location, int status) {
    Response response;
    response.status = status;
    response.headers.append(qMakePair(QByteArray("Location"), location.toUtf8()));
    route(path, response);
}

void LoopbackServer::hold(const QString& path) {
    Response response;
    response.hold = true;
    route(path, response);
}

QString LoopbackServer::url(const QString& path) const {
    const QString slash = path.startsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/");
    if (ipv6) {
        return QStringLiteral("http://[::1]%1%2").arg(slash, path);
    }
    return QStringLiteral("http://127.0.0.1:%1%2%3").arg(listenPort).arg(slash, path);
}

QList<LoopbackServer::Request> LoopbackServer::requests() const {
    const std::lock_guard<std::mutex> lock(mutex);
    return seen;
}

int LoopbackServer::requestCount(const QString& path) const {
    const std::lock_guard<std::mutex> lock(mutex);
    int count = 0;
    for (const Request& request : seen) {
        count += request.path == path ? 1 : 0;
    }
    return count;
}

void LoopbackServer::clearRequests() {
    const std::lock_guard<std::mutex> lock(mutex);
    seen.clear();
}

QByteArray LoopbackServer::gzip(const QByteArray& data) {
    z_stream stream{};
    // 16 + 15 window bits: the gzip wrapper rather than zlib's own.
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + 15, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK) {
        return {};
    }
    QByteArray out(static_cast<qsizetype>(deflateBound(&stream, static_cast<uLong>(data.size()))),
                   Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.truncate(static_cast<qsizetype>(stream.total_out));
    deflateEnd(&stream);
    return result == Z_STREAM_END ? out : QByteArray();
}

int LoopbackServer::peakConcurrentRequestsToOneHost() const {
    const std::lock_guard<std::mutex> lock(mutex);
    return peakByHost;
}

void LoopbackServer::run() {
    while (true) {
        pollfd fds[2] = {{listenFd, POLLIN, 0}, {wakePipe[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (fds[1].revents != 0) {
            break;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                connections.emplace_back([this, fd] { handle(fd); });
            }
        }
    }
    for (std::thread& connection : connections) {
        connection.join();
    }
    connections.clear();
}

bool LoopbackServer::pause(int ms) const {
    pollfd wake{wakePipe[0], POLLIN, 0};
    while (true) {
        const int ready = ::poll(&wake, 1, ms);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        return ready == 0;
    }
}

bool LoopbackServer::receiveSome(int fd, QByteArray& into) const {
    char buffer[4096];
    for (;;) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {wakePipe[0], POLLIN, 0}};
        const int ready = ::poll(fds, 2, kReadTimeoutMs);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0 || fds[1].revents != 0) {
            return false;
        }
        const ssize_t n = ::recv(fd, buffer, sizeof(buffer), 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        into.append(buffer, n);
        return true;
    }
}

bool LoopbackServer::readRequest(int fd, QByteArray& head, QByteArray& rest) const {
    while (!head.contains("\r\n\r\n")) {
        if (head.size() > kMaxHeadBytes || !receiveSome(fd, head)) {
            return false;
        }
    }
    const qsizetype end = head.indexOf("\r\n\r\n");
    rest = head.mid(end + 4);
    head.truncate(end);
    return true;
}

bool LoopbackServer::readBody(int fd, QByteArray& body, qsizetype length) const {
    while (body.size() < length) {
        if (!receiveSome(fd, body)) {
            return false;
        }
    }
    body.truncate(length);
    return true;
}

void LoopbackServer::handle(int fd) {
    QByteArray head;
    QByteArray rest;
    if (!readRequest(fd, head, rest)) {
        ::close(fd);
        return;
    }
    const QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    Request request;
    request.method = requestLine.value(0);
    request.target = requestLine.value(1);
    const qsizetype query = request.target.indexOf('?');
    request.path = QString::fromUtf8(query < 0 ? request.target : request.target.left(query));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon > 0) {
            request.headers.append(
                qMakePair(line.left(colon).trimmed(), line.mid(colon + 1).trimmed()));
        }
    }
    const qsizetype length = request.header("Content-Length").toLongLong();
    if (length > 0) {
        request.body = rest;
        if (length > kMaxBodyBytes || !readBody(fd, request.body, length)) {
            ::close(fd);
            return;
        }
    }

    // Counted until the answer starts: once its bytes are out the client may ask again at
    // once, before this thread could count the request as answered.
    const int nowWaiting = ++waitingNow;
    for (int peak = peakWaiting.load(); nowWaiting > peak;) {
        peakWaiting.compare_exchange_weak(peak, nowWaiting);
    }
    struct Answering {
        std::atomic<int>& count;
        bool done = false;
        void operator()() {
            if (!done) {
                done = true;
                --count;
            }
        }
        ~Answering() { (*this)(); }
    } answering{waitingNow};
    const QByteArray host = request.header("Host");
    {
        const std::lock_guard<std::mutex> lock(mutex);
        peakByHost = std::max(peakByHost, ++waitingByHost[host]);
    }
    struct AnsweringHost {
        LoopbackServer& server;
        const QByteArray& host;
        bool done = false;
        void operator()() {
            if (!done) {
                done = true;
                const std::lock_guard<std::mutex> lock(server.mutex);
                --server.waitingByHost[host];
            }
        }
        ~AnsweringHost() { (*this)(); }
    } answeringHost{*this, host};

    Response response;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        seen.append(request);
        const auto found = routes.constFind(request.path);
        if (found != routes.constEnd()) {
            response = found.value();
        } else {
            response.status = 404;
            response.headers.append(
                qMakePair(QByteArray("Content-Type"), QByteArray("text/plain")));
            response.body = "not found";
        }
    }
    if (response.hold || (response.delayMs > 0 && !pause(response.delayMs))) {
        // Held until the server stops (or it stopped during the delay).
        if (response.hold) {
            pause(-1);
        }
        ::close(fd);
        return;
    }
    if (response.maxRequestHeadBytes > 0 && head.size() > response.maxRequestHeadBytes) {
        response = Response();
        response.status = 400;
        response.body = "Request Header Or Cookie Too Large";
    }
    for (const auto& [name, value] : response.headers) {
        if (name.compare("ETag", Qt::CaseInsensitive) == 0 &&
            request.header("If-None-Match") == value) {
            response.status = 304;
            response.body.clear();
            response.gzip = false;
        }
    }

    answering();
    answeringHost();

    // A client that stops reading must not wedge the server thread.
    timeval sendTimeout{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof(sendTimeout));

    const QByteArray body = response.gzip ? gzip(response.body) : response.body;
    QByteArray out = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' +
                     reasonPhrase(response.status) + "\r\n";
    for (const auto& [name, value] : response.headers) {
        out += name + ": " + value + "\r\n";
    }
    if (response.gzip) {
        out += "Content-Encoding: gzip\r\n";
    }
    out += "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n";
    if (request.method != "HEAD" && response.status != 304) {
        out += body;
    }
    if (response.trickleMs > 0) {
        for (qsizetype i = 0; i < out.size() && pause(response.trickleMs); ++i) {
            sendAll(fd, out.mid(i, 1));
        }
    } else {
        sendAll(fd, out);
    }
    ::shutdown(fd, SHUT_WR);
    ::close(fd);
}
