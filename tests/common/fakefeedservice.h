#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>

#include "core/feedservice.h"

// A fetch service that holds every request until the test completes it, in any order and
// with any result. Requests for local files can be completed with what the real service
// would read from them.
class FakeFeedService final : public FeedFetchService {
public:
    struct Held {
        quint64 id = 0;
        FeedFetchRequest request;
        bool hasOwner = false;
        QPointer<QObject> owner;
        Done done;
        // cancelAll() ended it: it is answered as cancelled, whatever completes it.
        bool answeringCancelled = false;
    };

    quint64 fetch(const FeedFetchRequest& request, const QObject* owner, Done done) override;
    void cancel(quint64 id) override;
    void cancelAll(const QObject* owner) override;
    void cancelAll() override;
    bool shutdown(int waitMs) override;
    [[nodiscard]] int pendingCount() const override { return int(held.size()); }

    // Hands result to request id's requester (the url is filled in).
    void complete(quint64 id, FeedFetchResult result);
    // What the network service gives for the request's local file (not judged).
    [[nodiscard]] FeedFetchResult resultFromFile(const QString& url, bool discover = false) const;
    // The same, judged by the request's rules as the network service judges it.
    void completeFromFile(quint64 id);
    // Completes held requests from their files, oldest first (newest first when
    // newestFirst), including those asked for meanwhile, until none is held.
    void drain(bool newestFirst = false);
    // The same with the test choosing, each time, which held request completes next.
    void drain(const std::function<int(const QList<Held>&)>& pick);

    QList<Held> held;
    // Every URL asked for, in order.
    QStringList requested;
    QList<quint64> cancelled;
    // The most requests held at one time.
    int maxHeld = 0;
    // Cancels are recorded but the requests stay held, to see stale results delivered.
    bool ignoreCancel = false;

private:
    quint64 lastId = 0;
    // Context of the answers cancelAll() sends later.
    QObject answers;
};
