#pragma once

#include <QtGlobal>
#include <functional>
#include <memory>

#include "platform/net/httpfetch.h"

// GETs and POSTs on one network thread of its own, driven by libcurl's multi interface: any number
// of transfers at once, none of them on the calling thread, and a cancel that ends a
// transfer at once even when the server never answers. The thread starts with the first
// transfer and ends with the client.
class HttpClient {
public:
    // Background transfers (the patrol's) wait for a slot beyond this many; the others
    // start at once, so what the user asked for never queues behind a patrol.
    static constexpr int kMaxBackgroundTransfers = 4;

    // Runs on the network thread, once per transfer that was not cancelled first (at once,
    // on the caller's thread, when libcurl cannot be started at all).
    using Done = std::function<void(quint64 id, HttpFetchResult result)>;

    HttpClient();
    // Cancels every transfer and joins the network thread.
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // Queues a request and returns its id (never 0). Thread-safe.
    quint64 start(const HttpRequest& request, bool background, Done done);
    // Ends a transfer, closing its connection; done is not called for it afterwards unless
    // it had already begun on the network thread. Thread-safe.
    void cancel(quint64 id);
    // Ends every transfer queued before the call; one queued after it, even at once, goes
    // ahead. Thread-safe.
    void cancelAll();
    // Cancels every transfer and ends the network thread; later transfers fail at once.
    void stop();
    // Transfers queued or running; for tests.
    [[nodiscard]] int activeCount() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
