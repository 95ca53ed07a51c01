#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>

#include "core/feedservice.h"
#include "patrol/retryafter.h"
#include "patrol/validatorcache.h"
#include "platform/net/fetchoptions.h"
#include "platform/net/httpclient.h"
#include "platform/system/workerpool.h"

class Clock;

// The fetch service of the running program: transfers on HttpClient's network thread,
// reading (readFeed) on a small pool of workers, results back on the thread the service
// lives in. Results cross threads only through one mutex-guarded queue; a posted event
// merely wakes the service's thread to empty it. Per feed URL it remembers the last ETag and
// Last-Modified with what that download gave (ValidatorCache), so a 304 costs no download and
// no parse, and it honours Retry-After in the patrol (RetryPauses; what the user asks for just
// now is always sent). A conditional request that the server refuses with a 4xx (validators
// too long for a front end, say) is sent once more without them, and that URL is asked
// plainly from then on. Both memories live on the service's thread only.
class NetworkFeedService final : public QObject, public FeedFetchService {
    Q_OBJECT
public:
    // What the conditional-request memory may hold of read feeds; the oldest entries go
    // first, and a feed without an entry is simply downloaded in full.
    static constexpr qint64 kCacheBudgetBytes = 32 * 1024 * 1024;
    // The longest pause a server can impose with Retry-After.
    static constexpr qint64 kMaxRetryAfterSeconds = RetryPauses::kMaxSeconds;

    // options and clock are read whenever a fetch starts; both outlive the service.
    NetworkFeedService(const FetchOptions& options, const Clock& clock, QObject* parent = nullptr);
    ~NetworkFeedService() override;

    quint64 fetch(const FeedFetchRequest& request, const QObject* owner, Done done) override;
    void cancel(quint64 id) override;
    void cancelAll(const QObject* owner) override;
    void cancelAll() override;
    bool shutdown(int waitMs) override;
    [[nodiscard]] int pendingCount() const override { return int(pending.size()); }
    // The network thread, for other fetches of the program's (sites' icons).
    [[nodiscard]] HttpClient& httpClient() { return http; }

protected:
    void customEvent(QEvent* event) override;

private:
    struct Pending {
        FeedFetchRequest request;
        // The transfer under way carries validators; it was already sent again without them.
        bool conditional = false;
        bool retriedPlain = false;
        // cancelAll() ended it; its answer, "cancelled", is on its way.
        bool answeringCancelled = false;
        bool hasOwner = false;
        QPointer<QObject> owner;
        Done done;
        quint64 transfer = 0;
        // Set on cancel, so a worker that has not begun reading skips the work.
        std::shared_ptr<std::atomic<bool>> cancelled;
    };
    // What a worker makes of a body.
    struct Reading {
        FeedReadResult feed;
        QStringList discovered;
    };

    // A finished fetch on its way back from the network thread or a worker.
    struct Completion {
        quint64 id = 0;
        HttpFetchResult fetched;
        Reading reading;
    };

    // Starts the transfer of pending fetch id, with the URL's validators unless plain.
    void startTransfer(quint64 id, Pending& entry, bool plain);

    // What a worker needs besides the body: whether to look for the feeds a page names, and
    // the display rules (when given) that judge the items for the requested URL.
    struct ReadAs {
        bool discover = false;
        std::shared_ptr<const RuleSet> rules;
        QString feedUrl;
    };

    void readOnWorker(quint64 id, HttpFetchResult fetched, const QString& documentUrl,
                      const ReadAs& as, const std::shared_ptr<std::atomic<bool>>& cancelled);
    void readFileOnWorker(quint64 id, const QString& path, const ReadAs& as,
                          const std::shared_ptr<std::atomic<bool>>& cancelled);
    // From any thread: queues the completion and wakes the service's thread.
    void post(Completion completion);
    void takeCompletions();
    // Back on the service's thread: the memory of the URL is updated and the result
    // handed to whoever still waits for it.
    void complete(quint64 id, const HttpFetchResult& fetched, const Reading& reading);
    void deliver(quint64 id, const FeedFetchResult& result);
    // A conditional request refused with a 4xx goes once more without its validators; true
    // when it did.
    bool retriedWithoutValidators(quint64 id, const HttpFetchResult& fetched);
    void remember(const QString& url, const HttpFetchResult& fetched, const FeedReadResult& read,
                  bool refusedValidators);
    [[nodiscard]] static Reading read(const QByteArray& body, const QString& contentType,
                                      const QUrl& documentUrl, const ReadAs& as);

    const FetchOptions& options;
    const Clock& clock;
    // Declared before http: the network thread, which posts work to the pool, ends first.
    WorkerPool pool;
    HttpClient http;
    std::mutex completionsMutex;
    std::deque<Completion> completions;
    bool wakePosted = false;
    quint64 lastId = 0;
    QHash<quint64, Pending> pending;
    ValidatorCache validators{kCacheBudgetBytes};
    RetryPauses pauses;
};

// An ETag or Last-Modified as the log shows it: printable ASCII, cut to a length a log line
// can bear (a server may send kilobytes).
[[nodiscard]] QByteArray validatorForLog(const QByteArray& value);
