#include "accounts/ttrss/ttrssclient.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QMetaObject>
#include <algorithm>
#include <mutex>
#include <utility>

#include "accounts/ttrss/ttrssanswers.h"
#include "platform/net/httpclient.h"
#include "platform/system/workerpool.h"

// One walk over the pages of unread headlines.
struct TtrssClient::Walk {
    AccountUnreadRequest request;
    qint64 since = 0;
    int skip = 0;
    QSet<QString> seen;
    AccountUnread result;
    qint64 newest = 0;
    int rewalks = 0;
    int pages = 0;
    Reply<AccountUnread> reply;
};

namespace {

struct TtrssText {
    Q_DECLARE_TR_FUNCTIONS(TtrssText)
};

AccountError sessionRefused() {
    return ttrss::failure(
        AccountError::Kind::Refused,
        TtrssText::tr("サーバーがログインを受け付けたのにセッションを認めません"));
}

}  // namespace

TtrssClient::TtrssClient(const AccountConnection& connection, HttpClient& httpClient,
                         WorkerPool& pool, const FetchOptions& fetchOptions, QObject* parent)
    : AccountClient(parent),
      mailbox(std::make_shared<ThreadMailbox>()),
      http(httpClient),
      workers(pool),
      options(fetchOptions),
      api(ttrss::apiUrl(connection.url)),
      user(connection.user),
      password(connection.password) {
    mailbox->target = this;
}

TtrssClient::~TtrssClient() {
    mailbox->close();
    for (const quint64 id : std::as_const(transfers)) {
        http.cancel(id);
    }
}

void TtrssClient::later(std::function<void()> f) {
    QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection);
}

template <typename T>
void TtrssClient::call(QJsonObject request, Read<T> read, Reply<T> reply, bool retried) {
    const bool isLogin = request.value(QLatin1String("op")).toString() == QLatin1String("login");
    if (!isLogin && session.isEmpty()) {
        withSession([this, request, read, reply, retried](const AccountError& error) {
            if (!error.ok()) {
                reply(T{}, error);
                return;
            }
            call<T>(request, read, reply, retried);
        });
        return;
    }
    QJsonObject sent = request;
    if (!isLogin) {
        sent.insert(QLatin1String("sid"), session);
    }
    HttpRequest http_request;
    http_request.url = api;
    http_request.post = true;
    http_request.body = QJsonDocument(sent).toJson(QJsonDocument::Compact);
    http_request.options = options;
    const quint64 round = generation;
    const QString sentSession = session;
    const std::shared_ptr<ThreadMailbox> box = mailbox;
    WorkerPool* pool = &workers;
    // Runs on the network thread: the reading goes to a worker, the reply to this thread.
    auto done = [this, box, pool, read, reply, request, retried, round, sentSession, isLogin](
                    quint64 id, HttpFetchResult result) {
        pool->start([this, box, id, result = std::move(result), read, reply, request, retried,
                     round, sentSession, isLogin] {
            ttrss::Answer answer = ttrss::readAnswer(result);
            AccountError error = answer.error;
            T value{};
            if (answer.state == ttrss::Answer::State::Ok) {
                value = read(answer.content, error);
            }
            const bool notLoggedIn = answer.state == ttrss::Answer::State::NotLoggedIn;
            box->deliver([this, id, value = std::move(value), error, reply, read, request, retried,
                          round, sentSession, isLogin, notLoggedIn] {
                if (round != generation) {
                    return;
                }
                transfers.removeOne(id);
                if (notLoggedIn && !retried && !isLogin) {
                    // The server forgot the session (restarted, expired, cleared): log in
                    // again once and repeat the request.
                    if (session == sentSession) {
                        session.clear();
                    }
                    call<T>(request, read, reply, true);
                    return;
                }
                reply(value, notLoggedIn ? sessionRefused() : error);
            });
        });
    };
    transfers.append(http.start(http_request, false, done));
}

void TtrssClient::withSession(std::function<void(const AccountError&)> then) {
    waitingForSession.push_back(std::move(then));
    if (loggingIn) {
        return;
    }
    loggingIn = true;
    QJsonObject request{{QLatin1String("op"), QLatin1String("login")},
                        {QLatin1String("user"), user},
                        {QLatin1String("password"), password}};
    using Login = std::pair<AccountLogin, QString>;
    call<Login>(
        request,
        [](const QJsonValue& content, AccountError& error) {
            Login login;
            login.first = ttrss::readLogin(content, login.second, error);
            return login;
        },
        [this](const Login& login, const AccountError& error) {
            loggingIn = false;
            if (error.ok()) {
                session = login.second;
                lastLogin = login.first;
            }
            std::vector<std::function<void(const AccountError&)>> waiting;
            waiting.swap(waitingForSession);
            for (auto& next : waiting) {
                next(error);
            }
        });
}

void TtrssClient::logIn(Reply<AccountLogin> reply) {
    session.clear();
    withSession([this, reply](const AccountError& error) {
        reply(error.ok() ? lastLogin : AccountLogin{}, error);
    });
}

void TtrssClient::withFeeds(std::function<void(const AccountError&)> then) {
    QJsonObject request{{QLatin1String("op"), QLatin1String("getFeeds")},
                        {QLatin1String("cat_id"), -3}};
    call<QHash<QString, AccountFeed>>(
        request, ttrss::readFeeds,
        [this, then](const QHash<QString, AccountFeed>& found, const AccountError& error) {
            if (error.ok()) {
                feeds = found;
                haveFeeds = true;
            }
            then(error);
        });
}

void TtrssClient::fetchTree(Reply<AccountFolder> reply) {
    withFeeds([this, reply](const AccountError& error) {
        if (!error.ok()) {
            reply({}, error);
            return;
        }
        const QHash<QString, AccountFeed> known = feeds;
        QJsonObject request{{QLatin1String("op"), QLatin1String("getFeedTree")}};
        call<AccountFolder>(
            request,
            [known](const QJsonValue& content, AccountError& readError) {
                return ttrss::readTree(content, known, readError);
            },
            reply);
    });
}

void TtrssClient::fetchUnread(const AccountUnreadRequest& request, Reply<AccountUnread> reply) {
    auto walk = std::make_shared<Walk>();
    walk->request = request;
    walk->since = std::max<qint64>(0, request.cursor.toLongLong());
    walk->newest = walk->since;
    walk->reply = std::move(reply);
    walk->result.hasUnreadIds = request.withUnreadIds;
    if (haveFeeds) {
        nextPage(walk);
        return;
    }
    withFeeds([this, walk](const AccountError& error) {
        if (!error.ok()) {
            walk->reply({}, error);
            return;
        }
        nextPage(walk);
    });
}

void TtrssClient::fetchFeed(const QString& feedId, int limit, Reply<QList<AccountHeadline>> reply) {
    bool ok = false;
    const qint64 id = feedId.toLongLong(&ok);
    if (!ok || id <= 0 || limit <= 0) {
        later([reply] { reply({}, {}); });
        return;
    }
    const auto ask = [this, id, feedId, limit, reply] {
        QJsonObject request{{QLatin1String("op"), QLatin1String("getHeadlines")},
                            {QLatin1String("feed_id"), double(id)},
                            {QLatin1String("is_cat"), false},
                            {QLatin1String("view_mode"), QLatin1String("all_articles")},
                            {QLatin1String("limit"), std::min(limit, int(kPageSize))},
                            {QLatin1String("skip"), 0}};
        const QHash<QString, AccountFeed> known = feeds;
        call<QList<AccountHeadline>>(
            request,
            [known, feedId](const QJsonValue& content, AccountError& error) {
                int count = 0;
                QList<AccountHeadline> read = ttrss::readHeadlines(content, known, count, error);
                QSet<QString> seen;
                read.removeIf([&seen, &feedId](const AccountHeadline& headline) {
                    if (headline.feedId != feedId || seen.contains(headline.id)) {
                        return true;
                    }
                    seen.insert(headline.id);
                    return false;
                });
                return read;
            },
            reply);
    };
    if (haveFeeds) {
        ask();
        return;
    }
    withFeeds([ask, reply](const AccountError& error) {
        if (!error.ok()) {
            reply({}, error);
            return;
        }
        ask();
    });
}

void TtrssClient::nextPage(const std::shared_ptr<Walk>& walk) {
    QJsonObject request{{QLatin1String("op"), QLatin1String("getHeadlines")},
                        {QLatin1String("feed_id"), -4},
                        {QLatin1String("view_mode"), QLatin1String("unread")},
                        {QLatin1String("limit"), kPageSize},
                        {QLatin1String("skip"), walk->skip}};
    // The ids of every unread article need the walk over all of them; the newer ones are
    // picked from it here.
    if (!walk->request.withUnreadIds && walk->since > 0) {
        request.insert(QLatin1String("since_id"), double(walk->since));
    }
    const QHash<QString, AccountFeed> known = feeds;
    using Page = std::pair<QList<AccountHeadline>, int>;
    call<Page>(
        request,
        [known](const QJsonValue& content, AccountError& error) {
            Page page;
            page.first = ttrss::readHeadlines(content, known, page.second, error);
            return page;
        },
        [this, walk](const Page& page, const AccountError& error) {
            if (!error.ok()) {
                walk->reply({}, error);
                return;
            }
            int added = 0;
            for (const AccountHeadline& headline : page.first) {
                if (walk->seen.contains(headline.id)) {
                    continue;
                }
                walk->seen.insert(headline.id);
                ++added;
                if (walk->request.withUnreadIds) {
                    walk->result.unreadIds.insert(headline.id);
                }
                const qint64 id = headline.id.toLongLong();
                if (id > walk->since) {
                    walk->result.headlines.append(headline);
                    walk->newest = std::max(walk->newest, id);
                }
            }
            // A short page is the last. A page of nothing new ends the first pass (a server
            // repeating itself); every pass ends at the caps.
            constexpr int kMaxPages =
                (ttrss::kMaxEntries / (kPageSize - kPageOverlap) + 2) * (kMaxRewalks + 1);
            ++walk->pages;
            if (page.second >= kPageSize && (added > 0 || walk->rewalks > 0) &&
                walk->pages < kMaxPages && walk->seen.size() < ttrss::kMaxEntries) {
                // Pages overlap: an article read elsewhere meanwhile moves the rest up by
                // one, and without the overlap the first of the next page would be missed.
                walk->skip += page.second - kPageOverlap;
                nextPage(walk);
                return;
            }
            endWalk(walk);
        });
}

void TtrssClient::endWalk(const std::shared_ptr<Walk>& walk) {
    const auto finish = [walk] {
        walk->result.cursor =
            walk->newest > 0 ? QString::number(walk->newest) : walk->request.cursor;
        walk->reply(walk->result, {});
    };
    // One page cannot have missed anything; a walk of the newer ones only has no count to
    // hold against.
    const bool overAll = walk->request.withUnreadIds || walk->since == 0;
    if (walk->skip == 0 || !overAll || walk->rewalks >= kMaxRewalks ||
        walk->seen.size() >= ttrss::kMaxEntries) {
        finish();
        return;
    }
    const auto holdAgainst = [this, walk, finish](qint64 count) {
        if (count <= walk->seen.size()) {
            finish();
            return;
        }
        ++walk->rewalks;
        walk->skip = 0;
        nextPage(walk);
    };
    // The count the caller read with the tree spares a request at every patrol; a walk that
    // came out short asks the server itself.
    if (walk->rewalks == 0 && walk->request.knownUnread >= 0) {
        holdAgainst(walk->request.knownUnread);
        return;
    }
    QJsonObject request{{QLatin1String("op"), QLatin1String("getUnread")}};
    call<qint64>(request, ttrss::readUnreadCount,
                 [walk, holdAgainst](qint64 count, const AccountError& error) {
                     if (!error.ok()) {
                         walk->reply({}, error);
                         return;
                     }
                     holdAgainst(count);
                 });
}

void TtrssClient::markRead(const QStringList& articleIds, Reply<qint64> reply) {
    QStringList ids;
    for (const QString& id : articleIds) {
        bool ok = false;
        if (id.toLongLong(&ok) > 0 && ok) {
            ids.append(id);
        }
    }
    markBatch(ids, 0, std::move(reply));
}

void TtrssClient::markBatch(QStringList ids, qint64 done, Reply<qint64> reply) {
    if (ids.isEmpty()) {
        later([reply, done] { reply(done, {}); });
        return;
    }
    const QStringList batch = ids.mid(0, kMarkBatch);
    ids.remove(0, batch.size());
    QJsonObject request{{QLatin1String("op"), QLatin1String("updateArticle")},
                        {QLatin1String("article_ids"), batch.join(QLatin1Char(','))},
                        {QLatin1String("mode"), 0},
                        {QLatin1String("field"), 2}};
    call<qint64>(request, ttrss::readUpdated,
                 [this, ids, done, reply](qint64 updated, const AccountError& error) {
                     if (!error.ok()) {
                         reply(done, error);
                         return;
                     }
                     if (ids.isEmpty()) {
                         reply(done + updated, {});
                         return;
                     }
                     markBatch(ids, done + updated, reply);
                 });
}

void TtrssClient::subscribe(const QString& feedUrl, const QString& folderId,
                            Reply<AccountSubscription> reply) {
    QJsonObject request{{QLatin1String("op"), QLatin1String("subscribeToFeed")},
                        {QLatin1String("feed_url"), feedUrl},
                        {QLatin1String("category_id"), double(folderId.toLongLong())}};
    call<AccountSubscription>(
        request, ttrss::readSubscription,
        [this, reply](const AccountSubscription& subscription, const AccountError& error) {
            // The feeds known no longer hold the new one.
            haveFeeds = haveFeeds && !subscription.subscribed();
            reply(subscription, error);
        });
}

void TtrssClient::unsubscribe(const QString& feedId, Reply<bool> reply) {
    QJsonObject request{{QLatin1String("op"), QLatin1String("unsubscribeFeed")},
                        {QLatin1String("feed_id"), double(feedId.toLongLong())}};
    call<bool>(
        request,
        [](const QJsonValue& content, AccountError& error) {
            const bool ok =
                content.toObject().value(QLatin1String("status")).toString() == QLatin1String("OK");
            if (!ok) {
                error = ttrss::failure(AccountError::Kind::BadAnswer,
                                       TtrssText::tr("サーバーの答えを読めません: %1")
                                           .arg(QStringLiteral("unsubscribeFeed")));
            }
            return ok;
        },
        [this, reply](bool ok, const AccountError& error) {
            haveFeeds = haveFeeds && !ok;
            reply(ok, error);
        });
}

void TtrssClient::cancelAll() {
    ++generation;
    for (const quint64 id : std::as_const(transfers)) {
        http.cancel(id);
    }
    transfers.clear();
    waitingForSession.clear();
    loggingIn = false;
}
