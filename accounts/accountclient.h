#pragma once

#include <QCoreApplication>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

// What an aggregator account (a server the user runs that fetches the feeds and keeps the
// read state) gives and takes, whatever protocol it speaks. Ids are the server's own, as
// text: one protocol numbers its articles, another names them.

// A feed the server follows for the account.
struct AccountFeed {
    QString id;
    QString title;
    // Where the server fetches it from; never empty in a tree handed out.
    QString feedUrl;
    qint64 unread = 0;
};

// A folder (category) of the account: folders nest, and the top one is the account itself.
struct AccountFolder {
    QString id;
    QString title;
    QList<AccountFolder> folders;
    QList<AccountFeed> feeds;
};

// An article as the server lists it.
struct AccountHeadline {
    QString id;
    QString feedId;
    // Of the feed the article came from; empty when the server's tree does not hold it.
    QString feedUrl;
    QString feedTitle;
    QString title;
    QString link;
    // Invalid when the server gave no usable time.
    QDateTime updated;
};

// What to ask for: the unread articles newer than the cursor a previous answer gave (all
// of them for an empty cursor) and, when wanted, the ids of every unread article, so that
// articles read elsewhere can leave the queue.
struct AccountUnreadRequest {
    QString cursor;
    bool withUnreadIds = false;
    // How many articles are unread, as the server said just now (the sum of its tree's
    // counts), when known: a client that checks its walk against the count need not ask.
    qint64 knownUnread = -1;
};

struct AccountUnread {
    // Newest first as the server lists them, each id once.
    QList<AccountHeadline> headlines;
    // Filled only when asked for.
    bool hasUnreadIds = false;
    QSet<QString> unreadIds;
    // To hand back with the next request; the request's own when nothing newer came.
    QString cursor;
};

// How asking the server to follow a feed went.
struct AccountSubscription {
    Q_DECLARE_TR_FUNCTIONS(AccountSubscription)

public:
    enum class Outcome {
        Subscribed,
        AlreadySubscribed,
        InvalidUrl,
        NoFeedThere,
        SeveralFeeds,
        NotDownloaded
    };
    Outcome outcome = Outcome::Subscribed;
    // The feed's id when subscribed (now or before).
    QString feedId;
    // SeveralFeeds: the feeds the page names.
    QStringList candidates;
    // NotDownloaded: the server's reason, as it gave it.
    QString serverMessage;

    [[nodiscard]] bool subscribed() const {
        return outcome == Outcome::Subscribed || outcome == Outcome::AlreadySubscribed;
    }
    // A sentence for the user.
    [[nodiscard]] QString describe() const;
};

// Why a request failed. WrongCredentials and ApiDisabled will not change by asking again:
// the account should not be asked until its settings change.
struct AccountError {
    enum class Kind {
        None,
        WrongCredentials,
        ApiDisabled,
        NotAnAggregator,
        Network,
        Certificate,
        ServerError,
        Truncated,
        BadAnswer,
        Refused,
    };
    Kind kind = Kind::None;
    // A sentence for the user, naming the reason; empty when kind is None.
    QString message;

    [[nodiscard]] bool ok() const { return kind == Kind::None; }
    [[nodiscard]] bool needsNewSettings() const {
        return kind == Kind::WrongCredentials || kind == Kind::ApiDisabled;
    }
};

struct AccountLogin {
    // The protocol's own level or version, for the dialog that checks a connection.
    QString apiLevel;
};

// Where and as whom to connect. The password is held only in memory.
struct AccountConnection {
    // The server's address as the user gave it.
    QString url;
    QString user;
    QString password;
};

// One account's connection to its server. All network work runs on HttpClient's network
// thread and the reading of answers on a worker; every reply comes back queued on the
// thread the client lives in, never from inside the call that asked, and never after the
// client is gone. Requests may overlap; a client logs in by itself when it needs to, and
// once more when the server has forgotten its session.
class AccountClient : public QObject {
    Q_OBJECT
public:
    template <typename T>
    using Reply = std::function<void(const T& result, const AccountError& error)>;

    using QObject::QObject;

    // Logs in anew: for a check of the settings.
    virtual void logIn(Reply<AccountLogin> reply) = 0;
    // The account's folders and feeds.
    virtual void fetchTree(Reply<AccountFolder> reply) = 0;
    // Unread articles; see AccountUnreadRequest.
    virtual void fetchUnread(const AccountUnreadRequest& request, Reply<AccountUnread> reply) = 0;
    // The newest articles of one feed, read or not, at most limit of them and in one
    // request: newest first, each once, and none of another feed.
    virtual void fetchFeed(const QString& feedId, int limit,
                           Reply<QList<AccountHeadline>> reply) = 0;
    // Marks articles read on the server; the reply gives how many changed.
    virtual void markRead(const QStringList& articleIds, Reply<qint64> reply) = 0;
    // Asks the server to follow a feed, in a folder (empty: none).
    virtual void subscribe(const QString& feedUrl, const QString& folderId,
                           Reply<AccountSubscription> reply) = 0;
    virtual void unsubscribe(const QString& feedId, Reply<bool> reply) = 0;
    // Ends every request under way; their replies never come.
    virtual void cancelAll() = 0;
};
