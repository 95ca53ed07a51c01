#pragma once

#include <QHash>
#include <QJsonObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "accounts/accountclient.h"
#include "platform/net/fetchoptions.h"
#include "platform/system/mailbox.h"

class HttpClient;
class WorkerPool;

namespace ttrss {
struct Answer;
}

// A Tiny Tiny RSS account over its JSON API (level 15 and later): POSTs of JSON to
// <server>/api/, a session id in each. The server ties a session to the User-Agent that
// logged in, which every request of ours sends alike.
class TtrssClient final : public AccountClient {
    Q_OBJECT
public:
    // The server gives at most this many headlines a request.
    static constexpr int kPageSize = 200;
    // Headlines a page repeats of the one before (duplicates are dropped by id).
    static constexpr int kPageOverlap = 10;
    // Walks again, at most this often, when a walk over all unread headlines found fewer
    // than the server counts: its order leaves ties to chance from one page to the next.
    static constexpr int kMaxRewalks = 2;
    // Article ids sent in one updateArticle.
    static constexpr int kMarkBatch = 200;

    // http and workers outlive the client.
    TtrssClient(const AccountConnection& connection, HttpClient& http, WorkerPool& workers,
                const FetchOptions& options = {}, QObject* parent = nullptr);
    ~TtrssClient() override;

    void logIn(Reply<AccountLogin> reply) override;
    void fetchTree(Reply<AccountFolder> reply) override;
    void fetchUnread(const AccountUnreadRequest& request, Reply<AccountUnread> reply) override;
    void fetchFeed(const QString& feedId, int limit, Reply<QList<AccountHeadline>> reply) override;
    void markRead(const QStringList& articleIds, Reply<qint64> reply) override;
    void subscribe(const QString& feedUrl, const QString& folderId,
                   Reply<AccountSubscription> reply) override;
    void unsubscribe(const QString& feedId, Reply<bool> reply) override;
    void cancelAll() override;

    // The address requests go to.
    [[nodiscard]] const QString& apiAddress() const { return api; }

private:
    // Reads an answer's content on a worker; sets the error for an answer it cannot take.
    template <typename T>
    using Read = std::function<T(const QJsonValue& content, AccountError& error)>;
    struct Walk;

    // Sends one request of the API, logging in first when there is no session and once
    // more when the server has forgotten it; reply is called here, on this thread.
    template <typename T>
    void call(QJsonObject request, Read<T> read, Reply<T> reply, bool retried = false);
    // Calls then once a session is there (or could not be had).
    void withSession(std::function<void(const AccountError&)> then);
    void withFeeds(std::function<void(const AccountError&)> then);
    void nextPage(const std::shared_ptr<Walk>& walk);
    // Ends a walk, first walking again when the server counts more unread than it listed.
    void endWalk(const std::shared_ptr<Walk>& walk);
    void markBatch(QStringList ids, qint64 done, Reply<qint64> reply);
    // Calls f here, later, as a reply must never come from inside the call.
    void later(std::function<void()> f);

    std::shared_ptr<ThreadMailbox> mailbox;
    HttpClient& http;
    WorkerPool& workers;
    FetchOptions options;
    QString api;
    QString user;
    QString password;

    QString session;
    AccountLogin lastLogin;
    bool loggingIn = false;
    std::vector<std::function<void(const AccountError&)>> waitingForSession;
    // Feeds by id, from the last getFeeds: headlines name their feed by id only.
    QHash<QString, AccountFeed> feeds;
    bool haveFeeds = false;
    // Transfers under way, for cancelAll(); a reply of an older generation is dropped.
    QList<quint64> transfers;
    quint64 generation = 0;
};
