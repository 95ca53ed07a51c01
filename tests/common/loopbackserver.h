#pragma once

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

// A small HTTP/1.1 server on 127.0.0.1 at an ephemeral port, for tests and benchmarks of
// code that fetches over HTTP. It accepts on a thread of its own and answers every
// connection on a thread of its own, with plain sockets, so the code under test may block
// the test's thread (and its event loop) while it waits, and slow answers do not hold up
// the others. Every response closes its connection. Paths not registered answer 404. A
// route with an ETag header answers 304 to a request whose If-None-Match names it.
//
//     LoopbackServer server;
//     server.serve("/feed.xml", feedBytes);
//     server.redirect("/old", "/feed.xml");
//     xml.load(server.url("/old"));
//     EXPECT_EQ(server.requests().last().header("User-Agent"), "Quorvane3/3.0.37");
class LoopbackServer {
public:
    struct Response {
        int status = 200;
        // Sent after the status line, besides Content-Length and Connection: close.
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;
        // Send the body gzip-compressed with "Content-Encoding: gzip".
        bool gzip = false;
        // Accept the request and never answer; the connection is held until stop().
        bool hold = false;
        // Wait this long before answering.
        int delayMs = 0;
        // Send the response one byte at a time, this long apart.
        int trickleMs = 0;
        // Answer 400 to a request whose head is longer, as a front end with a header limit
        // does; 0: no limit.
        int maxRequestHeadBytes = 0;
    };

    struct Request {
        QByteArray method;
        // The request target as sent ("/feed.xml?x=1") and its path ("/feed.xml").
        QByteArray target;
        QString path;
        QList<QPair<QByteArray, QByteArray>> headers;
        // What followed the head, as long as its Content-Length said.
        QByteArray body;
        // Value of a header, name matched without regard to case; empty when absent.
        [[nodiscard]] QByteArray header(const QByteArray& name) const;
    };

    // Where to listen: 127.0.0.1 at a port the system picks, or [::1] port 80 (needs root),
    // where a server that refuses loopback names and other ports still fetches from.
    enum class Listen { Ipv4AnyPort, Ipv6Port80 };

    // Starts listening at once; isListening() says whether that worked.
    explicit LoopbackServer(Listen where = Listen::Ipv4AnyPort);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // Registers (or replaces) the answer for a path (without query). Safe while serving.
    void route(const QString& path, const Response& response);
    void serve(const QString& path, const QByteArray& body,
               const QByteArray& contentType = "application/xml; charset=UTF-8");
    void serveGzip(const QString& path, const QByteArray& body,
                   const QByteArray& contentType = "application/xml");
    // Answers with a Location header; location may be a path, an absolute URL or anything
    // else a test wants a client to be sent to.
    void redirect(const QString& path, const QString& location, int status = 302);
    void hold(const QString& path);

    // "http://127.0.0.1:PORT/path" (or "http://[::1]/path"); a missing leading "/" is added.
    [[nodiscard]] QString url(const QString& path) const;
    [[nodiscard]] quint16 port() const { return listenPort; }
    [[nodiscard]] bool isListening() const { return listenFd >= 0; }

    // Requests seen so far, in arrival order.
    [[nodiscard]] QList<Request> requests() const;
    [[nodiscard]] int requestCount(const QString& path) const;
    void clearRequests();
    // The most requests that were waiting for their answers at once (from the arrival of
    // their heads to the start of their answers, a delay included).
    [[nodiscard]] int peakConcurrentRequests() const { return peakWaiting.load(); }
    // The same for the requests to any one Host (as the client named it).
    [[nodiscard]] int peakConcurrentRequestsToOneHost() const;

    // Stops the thread and closes held connections; the destructor calls it too.
    void stop();

    [[nodiscard]] static QByteArray gzip(const QByteArray& data);

private:
    void run();
    void handle(int fd);
    // The head (without its blank line) and whatever of the body came with it.
    // Appends what the client sends next; false when it has gone quiet, closed or the server
    // is stopping.
    bool receiveSome(int fd, QByteArray& into) const;
    bool readRequest(int fd, QByteArray& head, QByteArray& rest) const;
    bool readBody(int fd, QByteArray& body, qsizetype length) const;
    // Waits ms milliseconds; false when the server is stopping meanwhile.
    bool pause(int ms) const;

    int listenFd = -1;
    int wakePipe[2] = {-1, -1};
    quint16 listenPort = 0;
    bool ipv6 = false;
    std::thread thread;
    std::atomic<bool> stopped{false};
    std::atomic<int> waitingNow{0};
    std::atomic<int> peakWaiting{0};
    // One a connection; only the accepting thread touches this.
    std::vector<std::thread> connections;

    mutable std::mutex mutex;
    // Under mutex: the requests waiting for their answers by Host, and the most at once.
    QHash<QByteArray, int> waitingByHost;
    int peakByHost = 0;
    QHash<QString, Response> routes;
    QList<Request> seen;
};
