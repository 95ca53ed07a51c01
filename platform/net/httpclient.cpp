#include "platform/net/httpclient.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/net/curltransfer.h"

namespace {

// Longest wait in curl_multi_poll when nothing happens; a new transfer or a cancel wakes
// it at once, so this only bounds how late libcurl's own timers are served.
constexpr int kPollTimeoutMs = 1000;

struct Job {
    quint64 id = 0;
    HttpRequest request;
    bool background = false;
    HttpClient::Done done;
};

struct Running {
    Job job;
    std::unique_ptr<curltransfer::Transfer> transfer;
};

}  // namespace

struct HttpClient::Impl {
    ~Impl() { stop(); }

    quint64 start(const HttpRequest& request, bool background, Done done) {
        quint64 id = 0;
        bool started = false;
        {
            const std::lock_guard<std::mutex> lock(mutex);
            // Numbered under the lock, so ids follow the order of the queue and a cancel of
            // everything can name what came before it.
            id = ++lastId;
            ensureThread();
            started = multi != nullptr && !stopping;
            if (started) {
                incoming.push_back(Job{id, request, background, done});
                ++queued;
            }
        }
        if (!started) {
            HttpFetchResult result;
            result.error = QStringLiteral("libcurl could not be started");
            done(id, std::move(result));
            return id;
        }
        wake();
        return id;
    }

    void cancel(quint64 id) {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            cancels.push_back(id);
        }
        wake();
    }

    void cancelAll() {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            cancelUpTo = lastId;
        }
        wake();
    }

    void stop() {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            stopping = true;
            if (multi != nullptr) {
                curl_multi_wakeup(multi);
            }
        }
        if (thread.joinable()) {
            thread.join();
        }
        const std::lock_guard<std::mutex> lock(mutex);
        if (multi != nullptr) {
            curl_multi_cleanup(multi);
            multi = nullptr;
        }
    }

    // Called with the mutex held.
    void ensureThread() {
        if (thread.joinable() || stopping) {
            return;
        }
        if (!curltransfer::ensureInitialised() || (multi = curl_multi_init()) == nullptr) {
            return;
        }
        thread = std::thread([this] { run(); });
    }

    void wake() {
        const std::lock_guard<std::mutex> lock(mutex);
        if (multi != nullptr) {
            curl_multi_wakeup(multi);
        }
    }

    void run() {
        std::vector<std::pair<Job, HttpFetchResult>> finished;
        while (true) {
            if (!takeCommands()) {
                break;
            }
            startWaiting(finished);
            int runningHandles = 0;
            curl_multi_perform(multi, &runningHandles);
            int left = 0;
            while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
                if (message->msg != CURLMSG_DONE) {
                    continue;
                }
                const auto found = running.find(message->easy_handle);
                if (found == running.end()) {
                    continue;
                }
                Running done = std::move(found->second);
                running.erase(found);
                curl_multi_remove_handle(multi, done.transfer->handle());
                finished.emplace_back(std::move(done.job),
                                      done.transfer->finish(message->data.result));
            }
            for (auto& [job, result] : finished) {
                --queued;
                job.done(job.id, std::move(result));
            }
            finished.clear();
            curl_multi_poll(multi, nullptr, 0, kPollTimeoutMs, nullptr);
        }
        for (auto& [handle, transfer] : running) {
            curl_multi_remove_handle(multi, handle);
        }
        running.clear();
    }

    // Moves new jobs into the waiting queue and applies cancels. False when stopping. A
    // cancel of everything ends only the jobs queued before it: new ones taken in the same
    // round were asked for after it.
    bool takeCommands() {
        std::vector<quint64> ids;
        quint64 upTo = 0;
        {
            const std::lock_guard<std::mutex> lock(mutex);
            if (stopping) {
                return false;
            }
            for (Job& job : incoming) {
                waiting.push_back(std::move(job));
            }
            incoming.clear();
            ids.swap(cancels);
            upTo = std::exchange(cancelUpTo, 0);
        }
        if (upTo != 0) {
            const auto before = [upTo](const Job& job) { return job.id <= upTo; };
            queued -= int(std::erase_if(waiting, before));
            queued -= int(std::erase_if(running, [this, &before](const auto& entry) {
                if (!before(entry.second.job)) {
                    return false;
                }
                curl_multi_remove_handle(multi, entry.first);
                return true;
            }));
        }
        for (const quint64 id : ids) {
            for (auto it = waiting.begin(); it != waiting.end(); ++it) {
                if (it->id == id) {
                    waiting.erase(it);
                    --queued;
                    break;
                }
            }
            for (auto it = running.begin(); it != running.end(); ++it) {
                if (it->second.job.id == id) {
                    curl_multi_remove_handle(multi, it->first);
                    running.erase(it);
                    --queued;
                    break;
                }
            }
        }
        return true;
    }

    void startWaiting(std::vector<std::pair<Job, HttpFetchResult>>& finished) {
        int background = 0;
        for (const auto& [handle, transfer] : running) {
            background += transfer.job.background ? 1 : 0;
        }
        for (auto it = waiting.begin(); it != waiting.end();) {
            if (it->background && background >= kMaxBackgroundTransfers) {
                ++it;
                continue;
            }
            Running next{std::move(*it), std::make_unique<curltransfer::Transfer>()};
            it = waiting.erase(it);
            QString error;
            if (!next.transfer->prepare(next.job.request, error)) {
                HttpFetchResult result;
                result.error = error;
                finished.emplace_back(std::move(next.job), std::move(result));
                continue;
            }
            background += next.job.background ? 1 : 0;
            CURL* handle = next.transfer->handle();
            curl_multi_add_handle(multi, handle);
            running.emplace(handle, std::move(next));
        }
    }

    std::mutex mutex;
    std::vector<Job> incoming;
    std::vector<quint64> cancels;
    // Jobs numbered up to this are to be cancelled; 0 when none.
    quint64 cancelUpTo = 0;
    quint64 lastId = 0;
    bool stopping = false;
    std::thread thread;
    CURLM* multi = nullptr;
    std::atomic<int> queued{0};

    // Only the network thread touches these.
    std::deque<Job> waiting;
    std::unordered_map<CURL*, Running> running;
};

HttpClient::HttpClient() : d(std::make_unique<Impl>()) {}

HttpClient::~HttpClient() = default;

quint64 HttpClient::start(const HttpRequest& request, bool background, Done done) {
    return d->start(request, background, std::move(done));
}

void HttpClient::cancel(quint64 id) {
    d->cancel(id);
}

void HttpClient::cancelAll() {
    d->cancelAll();
}

void HttpClient::stop() {
    d->stop();
}

int HttpClient::activeCount() const {
    return d->queued.load();
}
