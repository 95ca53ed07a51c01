#include "accounts/accountsruntime.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <algorithm>
#include <chrono>
#include <future>

#include "accounts/accountclients.h"
#include "accounts/accounttreefile.h"
#include "accounts/marklog.h"
#include "accounts/tickerchoices.h"
#include "rules/ruleset.h"

// An unread article known, with the server's id of its feed.
struct AccountsRuntime::Unread {
    ArticleRecord record;
    QString feedId;
};

struct AccountsRuntime::Account {
    AccountSettings settings;
    QString password;
    bool havePassword = false;
    std::unique_ptr<AccountClient> client;
    Status status;
    bool syncing = false;
    // A patrol came before the account could answer it (password or files still coming).
    bool patrolWanted = false;
    bool filesLoaded = false;
    QString cursor;
    // The unread articles known, by id: handed to the queue at every patrol, as a site's
    // items are.
    QHash<QString, Unread> unread;
    // The feeds kept out of the ticker, by id; known once accounts/<n>.hidden was read.
    QSet<QString> hiddenFeeds;
    bool hiddenKnown = false;
    QStringList pending;
    bool sending = false;
    // Marked read here this run: never dropped from the queue as read elsewhere.
    QSet<QString> markedHere;
    // The server's feed ids, by feed URL (from the tree and the headlines) and by the id of
    // an article known unread or marked here (for a feed the tree did not hold yet): the
    // list of an article's feed asks for it by id.
    QHash<QString, QString> feedIdByUrl;
    QHash<QString, QString> feedIdByArticle;
    // Requests (a patrol, a send of marks) are numbered as they start; the status shows the
    // outcome of the latest started that has ended, never an older one that ended later.
    quint64 started = 0;
    quint64 told = 0;
    quint64 patrolStart = 0;

    // Whether the outcome of the request numbered number may be told.
    bool newest(quint64 number) {
        if (number < told) {
            return false;
        }
        told = number;
        return true;
    }
};

namespace {

void collectFeedIds(const AccountFolder& folder, QHash<QString, QString>& ids) {
    for (const AccountFeed& feed : folder.feeds) {
        ids.insert(feed.feedUrl, feed.id);
    }
    for (const AccountFolder& inner : folder.folders) {
        collectFeedIds(inner, ids);
    }
}

// The unread articles of a tree as the server counts them, feed by feed.
qint64 unreadIn(const AccountFolder& folder) {
    qint64 sum = 0;
    for (const AccountFeed& feed : folder.feeds) {
        sum += feed.unread;
    }
    for (const AccountFolder& inner : folder.folders) {
        sum += unreadIn(inner);
    }
    return sum;
}

struct AccountsText {
    Q_DECLARE_TR_FUNCTIONS(AccountsRuntime)
};

QString cannotList(const QString& account) {
    return AccountsText::tr("%1: この記事のフィードの記事を一覧できません").arg(account);
}

ArticleRecord recordOf(const AccountHeadline& headline, int number) {
    ArticleRecord record;
    record.Title = headline.title;
    record.Link = headline.link;
    record.PubDate = headline.updated.isValid() ? headline.updated.toLocalTime() : QDateTime();
    // No row of the site table is its site.
    record.SiteIndex = -1;
    record.Identity = headline.id;
    record.FeedUrl = headline.feedUrl;
    record.SiteTitle = headline.feedTitle;
    record.Account = number;
    return record;
}

}  // namespace

AccountsRuntime::AccountsRuntime(const QString& configFolder, SecretStore& secretStore,
                                 HttpClient& httpClient, const FetchOptions& fetchOptions,
                                 QObject* parent)
    : AccountsService(parent),
      folder(configFolder),
      secrets(secretStore),
      http(httpClient),
      options(fetchOptions) {}

AccountsRuntime::~AccountsRuntime() {
    // Nothing runs on the threads after this, so nothing posts to a runtime being destroyed;
    // a mark being written is finished first.
    files.stop(-1);
    readers.stop(-1);
    live.clear();
}

void AccountsRuntime::post(std::function<void()> f) {
    QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection);
}

AccountsRuntime::Account* AccountsRuntime::find(int number) const {
    const auto found = live.find(number);
    return found == live.end() ? nullptr : found->second.get();
}

QList<AccountSettings> AccountsRuntime::accounts() const {
    return settings;
}

AccountsService::Status AccountsRuntime::status(int number) const {
    const Account* account = find(number);
    return account ? account->status : Status{};
}

AccountClient* AccountsRuntime::client(int number) const {
    const Account* account = find(number);
    return account && !account->status.stopped ? account->client.get() : nullptr;
}

QStringList AccountsRuntime::pendingMarks(int number) const {
    const Account* account = find(number);
    return account ? account->pending : QStringList();
}

bool AccountsRuntime::isSyncing(int number) const {
    const Account* account = find(number);
    return account && account->syncing;
}

void AccountsRuntime::reload() {
    const quint64 round = ++reloads;
    const QString path = accountsIniPath(folder);
    files.start([this, round, path] {
        const QList<AccountSettings> read = readAccountsIni(path);
        post([this, round, read] {
            if (round == reloads) {
                apply(read);
            }
        });
    });
}

void AccountsRuntime::apply(const QList<AccountSettings>& read) {
    settings = read;
    QSet<int> numbers;
    for (const AccountSettings& one : read) {
        numbers.insert(one.number);
    }
    for (auto it = live.begin(); it != live.end();) {
        if (numbers.contains(it->first)) {
            ++it;
            continue;
        }
        listLost(it->first, cannotList(it->second->settings.displayName()));
        it = live.erase(it);
    }
    for (const AccountSettings& one : read) {
        Account* account = find(one.number);
        if (account && account->settings.sameConnection(one)) {
            account->settings = one;
            // The password may be what changed.
            readPassword(one.number);
            continue;
        }
        auto made = std::make_unique<Account>();
        made->settings = one;
        // Patrols began before the account was known (at start, accounts.ini is read
        // beside the first one): it joins in as soon as it can.
        made->patrolWanted = !intake.expired();
        live[one.number] = std::move(made);
        loadFiles(one.number);
        readPassword(one.number);
    }
    Q_EMIT accountsChanged();
}

void AccountsRuntime::readPassword(int number) {
    const Account* account = find(number);
    if (!account) {
        return;
    }
    const QPointer<AccountsRuntime> self(this);
    const AccountSettings asked = account->settings;
    secrets.readPassword(
        asked, [self, number, asked](bool ok, const QString& password, const QString& error) {
            if (!self) {
                return;
            }
            Account* now = self->find(number);
            if (!now || !now->settings.sameConnection(asked)) {
                return;
            }
            if (!ok || password.isEmpty()) {
                const bool hadClient = now->client != nullptr;
                now->client.reset();
                now->havePassword = false;
                now->status.problem = ok ? AccountsText::tr("%1: パスワードが保存されていません")
                                               .arg(now->settings.displayName())
                                         : AccountsText::tr("%1: パスワードを読めません: %2")
                                               .arg(now->settings.displayName(), error);
                if (hadClient) {
                    self->listLost(number, now->status.problem);
                }
                Q_EMIT self->statusChanged(number);
                Q_EMIT self->accountsChanged();
                return;
            }
            // The same password again: a client goes on, a stopped account stays stopped.
            if (now->havePassword && now->password == password &&
                (now->client || now->status.stopped)) {
                return;
            }
            self->connectAccount(*now, password);
        });
}

void AccountsRuntime::connectAccount(Account& account, const QString& password) {
    if (account.client) {
        listLost(account.settings.number, cannotList(account.settings.displayName()));
    }
    account.password = password;
    account.havePassword = true;
    account.syncing = false;
    account.sending = false;
    account.status = Status{};
    account.client =
        makeAccountClient(account.settings.type,
                          AccountConnection{account.settings.url, account.settings.user, password},
                          http, readers, options);
    if (!account.client) {
        account.status.problem = AccountsText::tr("%1: この種類のアカウントは使えません: %2")
                                     .arg(account.settings.displayName(), account.settings.type);
    }
    const int number = account.settings.number;
    Q_EMIT statusChanged(number);
    Q_EMIT accountsChanged();
    if (account.patrolWanted) {
        startPatrol(account);
    }
    sendMarks(number);
}

void AccountsRuntime::loadFiles(int number) {
    const QString marks = markLogPath(folder, number);
    const QString cursor = cursorPath(folder, number);
    const QString hidden = hiddenFeedsPath(folder, number);
    files.start([this, number, marks, cursor, hidden] {
        const QStringList loaded = readMarks(marks);
        const QString position = readCursor(cursor);
        QSet<QString> hiddenFeeds;
        QString hiddenError;
        const bool hiddenRead = readHiddenFeeds(hidden, hiddenFeeds, &hiddenError);
        post([this, number, loaded, position, hiddenFeeds, hiddenRead, hiddenError] {
            Account* account = find(number);
            if (!account) {
                return;
            }
            account->cursor = position;
            // Choices made before the file was read cannot be: the box is greyed till then.
            account->hiddenFeeds = hiddenFeeds;
            account->hiddenKnown = hiddenRead;
            if (!hiddenRead) {
                account->status.problem =
                    AccountsText::tr("%1: %2").arg(account->settings.displayName(), hiddenError);
                Q_EMIT statusChanged(number);
            }
            Q_EMIT tickerChoicesChanged(number);
            // Marks made since the account came go after those of earlier runs, as they
            // do in the file.
            QStringList pending = loaded;
            for (const QString& id : std::as_const(account->pending)) {
                if (!pending.contains(id)) {
                    pending.append(id);
                }
            }
            account->pending = pending;
            for (const QString& id : loaded) {
                account->markedHere.insert(id);
            }
            account->filesLoaded = true;
            if (account->patrolWanted) {
                startPatrol(*account);
            }
            sendMarks(number);
        });
    });
}

void AccountsRuntime::patrol(const std::shared_ptr<ArticleIntake>& patrolIntake) {
    intake = patrolIntake;
    for (auto& [number, account] : live) {
        static_cast<void>(number);
        if (!account->status.stopped) {
            account->patrolWanted = true;
            startPatrol(*account);
        }
    }
}

void AccountsRuntime::startPatrol(Account& account) {
    if (account.syncing || account.status.stopped || !account.client || !account.filesLoaded) {
        return;  // patrolWanted stays: the account patrols once it can
    }
    account.patrolWanted = false;
    account.syncing = true;
    const int number = account.settings.number;
    sendMarks(number);
    const quint64 started = ++account.started;
    account.patrolStart = started;
    const AccountClient* asked = account.client.get();
    const QString treePath = accountTreePath(folder, number);
    account.client->fetchTree([this, number, asked, treePath, started](const AccountFolder& tree,
                                                                       const AccountError& error) {
        Account* now = find(number);
        if (!now || now->client.get() != asked) {
            return;
        }
        if (!error.ok()) {
            fail(number, error, started);
            return;
        }
        collectFeedIds(tree, now->feedIdByUrl);
        AccountFolder named = tree;
        named.title = now->settings.displayName();
        files.start([this, number, treePath, named] {
            if (writeAccountTreeFile(treePath, named)) {
                post([this, number] { Q_EMIT treeChanged(number); });
            }
        });
        now->client->fetchUnread(AccountUnreadRequest{now->cursor, true, unreadIn(tree)},
                                 [this, number, asked, started](const AccountUnread& unread,
                                                                const AccountError& failure) {
                                     Account* then = find(number);
                                     if (!then || then->client.get() != asked) {
                                         return;
                                     }
                                     if (!failure.ok()) {
                                         fail(number, failure, started);
                                         return;
                                     }
                                     takeUnread(number, asked, unread, 0);
                                 });
    });
}

void AccountsRuntime::takeUnread(int number, const AccountClient* asked,
                                 const AccountUnread& unread, int judgings) {
    const std::shared_ptr<ArticleIntake> to = intake.lock();
    Account* account = find(number);
    if (!to || !account) {
        if (account) {
            endPatrol(*account);
        }
        return;
    }
    QList<AccountHeadline> headlines = unread.headlines;
    std::shared_ptr<const RuleSet> rules = to->rules();
    // The display rules are the user's regular expressions: judged on a thread of ours.
    readers.start([this, number, asked, headlines, rules, unread, judgings] {
        QList<ArticleRecord> fresh;
        fresh.reserve(headlines.size());
        for (const AccountHeadline& headline : headlines) {
            ArticleRecord record = recordOf(headline, number);
            const RuleVerdict verdict = rules->verdict(record.Title, record.FeedUrl);
            record.Display = verdict.action;
            record.HighlightColour = verdict.colour;
            fresh.append(std::move(record));
        }
        const quint64 generation = rules->generation();
        post([this, number, asked, fresh, unread, generation, judgings] {
            judged(number, asked, fresh, unread, generation, judgings);
        });
    });
}

void AccountsRuntime::judged(int number, const AccountClient* asked, QList<ArticleRecord> fresh,
                             const AccountUnread& unread, quint64 generation, int judgings) {
    Account* account = find(number);
    if (!account || account->client.get() != asked) {
        return;
    }
    const std::shared_ptr<ArticleIntake> to = intake.lock();
    if (!to) {
        endPatrol(*account);
        return;
    }
    if (!to->judgedByRulesInForce(generation) && judgings + 1 < kMaxJudgings) {
        takeUnread(number, asked, unread, judgings + 1);
        return;
    }
    // What the server no longer counts unread was read elsewhere (or here).
    for (auto it = account->unread.begin(); it != account->unread.end();) {
        it = unread.unreadIds.contains(it.key()) ? std::next(it) : account->unread.erase(it);
    }
    for (auto it = account->feedIdByArticle.begin(); it != account->feedIdByArticle.end();) {
        const bool known =
            unread.unreadIds.contains(it.key()) || account->markedHere.contains(it.key());
        it = known ? std::next(it) : account->feedIdByArticle.erase(it);
    }
    for (const AccountHeadline& headline : unread.headlines) {
        if (!headline.feedId.isEmpty()) {
            account->feedIdByArticle.insert(headline.id, headline.feedId);
            if (!headline.feedUrl.isEmpty()) {
                account->feedIdByUrl.insert(headline.feedUrl, headline.feedId);
            }
        }
    }
    // fresh holds the headlines' records in their order.
    for (qsizetype i = 0; i < fresh.size(); ++i) {
        ArticleRecord& record = fresh[i];
        if (unread.unreadIds.contains(record.Identity) &&
            !account->markedHere.contains(record.Identity)) {
            const QString id = record.Identity;
            account->unread.insert(id, {std::move(record), unread.headlines.at(i).feedId});
        }
    }
    if (unread.cursor != account->cursor) {
        account->cursor = unread.cursor;
        const QString path = cursorPath(folder, number);
        const QString cursor = unread.cursor;
        files.start([path, cursor] { writeCursor(path, cursor); });
    }
    QSet<QString> keep = unread.unreadIds;
    keep.unite(account->markedHere);
    // A feed kept out of the ticker: its articles leave the queue, and come back in when it
    // is let in again.
    QList<ArticleRecord> all;
    all.reserve(account->unread.size());
    for (auto it = account->unread.cbegin(); it != account->unread.cend(); ++it) {
        if (account->hiddenFeeds.contains(it->feedId)) {
            keep.remove(it.key());
        } else {
            all.append(it->record);
        }
    }
    to->dropAllBut(number, keep);
    // Newest first, as the server lists them.
    std::sort(all.begin(), all.end(), [](const ArticleRecord& a, const ArticleRecord& b) {
        return a.Identity.toLongLong() > b.Identity.toLongLong();
    });
    const QPointer<AccountsRuntime> self(this);
    to->takeIn(std::move(all), [self, number, asked](int) {
        if (!self) {
            return;
        }
        Account* now = self->find(number);
        if (now && now->client.get() == asked) {
            const bool hadProblem = !now->status.problem.isEmpty();
            if (now->newest(now->patrolStart)) {
                now->status.problem.clear();
            }
            if (hadProblem && now->status.problem.isEmpty()) {
                Q_EMIT self->statusChanged(number);
            }
            self->endPatrol(*now);
        }
    });
}

void AccountsRuntime::endPatrol(Account& account) {
    account.syncing = false;
    const int number = account.settings.number;
    // Marks that failed while the server was away go once it answers again.
    sendMarks(number);
    Q_EMIT patrolEnded(number);
}

void AccountsRuntime::fail(int number, const AccountError& error, quint64 started) {
    Account* account = find(number);
    if (!account) {
        return;
    }
    const bool ofPatrol = account->syncing && started == account->patrolStart;
    // A failure older than an outcome already told (a send of marks that failed while the
    // server was away, answered after a patrol that reached it) says nothing new.
    if (!account->newest(started) && !error.needsNewSettings()) {
        if (ofPatrol) {
            endPatrol(*account);
        }
        return;
    }
    account->status.problem =
        AccountsText::tr("%1: %2").arg(account->settings.displayName(), error.message);
    if (error.needsNewSettings()) {
        // Asking again would fail the same way (and may lock the user out): not until the
        // settings change.
        account->status.stopped = true;
        if (account->client) {
            account->client->cancelAll();
            // This may run inside a reply of the client.
            account->client.release()->deleteLater();
            listLost(number, account->status.problem);
        }
    }
    tell(account->status.problem);
    Q_EMIT statusChanged(number);
    if (error.needsNewSettings()) {
        Q_EMIT accountsChanged();
    }
    // A stopped account's client is gone, and with it the replies its patrol waited for.
    if (ofPatrol || (account->syncing && account->status.stopped)) {
        endPatrol(*account);
    }
}

void AccountsRuntime::tell(const QString& text) {
    if (const std::shared_ptr<ArticleIntake> to = intake.lock()) {
        to->tell(text);
    }
}

void AccountsRuntime::cancelAll() {
    for (auto& [number, account] : live) {
        static_cast<void>(number);
        if (account->client) {
            account->client->cancelAll();
        }
        account->syncing = false;
        account->sending = false;
    }
}

bool AccountsRuntime::shutdown(int waitMs) {
    cancelAll();
    for (auto& [number, account] : live) {
        static_cast<void>(number);
        account->client.reset();
    }
    // Marks still on their way to the disk are written first: nothing the user read is lost.
    auto written = std::make_shared<std::promise<void>>();
    std::future<void> done = written->get_future();
    files.start([written] { written->set_value(); });
    const bool finished =
        done.wait_for(std::chrono::milliseconds(std::max(0, waitMs))) == std::future_status::ready;
    readers.stop(0);
    return finished && files.stop(0);
}

std::optional<bool> AccountsRuntime::feedInTicker(int number, const QString& feedId) const {
    const Account* account = find(number);
    if (!account || !account->hiddenKnown) {
        return std::nullopt;
    }
    return !account->hiddenFeeds.contains(feedId);
}

void AccountsRuntime::setFeedInTicker(int number, const QString& feedId, bool inTicker,
                                      std::function<void(const QString& error)> done) {
    Account* account = find(number);
    if (!account || !account->hiddenKnown || feedId.isEmpty()) {
        return;
    }
    if (inTicker) {
        account->hiddenFeeds.remove(feedId);
    } else {
        account->hiddenFeeds.insert(feedId);
    }
    Q_EMIT tickerChoicesChanged(number);
    // Written whole each time, in order: the last write holds every choice made.
    const QString path = hiddenFeedsPath(folder, number);
    const QSet<QString> ids = account->hiddenFeeds;
    files.start([this, path, ids, done = std::move(done)] {
        QString error;
        if (writeHiddenFeeds(path, ids, &error)) {
            error.clear();
        }
        post([done, error] {
            if (done) {
                done(error);
            }
        });
    });
}

void AccountsRuntime::articleOpened(const ArticleRecord& article) {
    if (article.Account != 0 && !article.Identity.isEmpty()) {
        mark(article.Account, article.Identity);
    }
}

void AccountsRuntime::articleShown(const ArticleRecord& article) {
    const Account* account = find(article.Account);
    if (account && account->settings.markReadWhenShown && !article.Identity.isEmpty()) {
        mark(article.Account, article.Identity);
    }
}

void AccountsRuntime::mark(int number, const QString& id) {
    Account* account = find(number);
    if (!account || account->markedHere.contains(id)) {
        return;
    }
    account->markedHere.insert(id);
    account->pending.append(id);
    account->unread.remove(id);
    const QString path = markLogPath(folder, number);
    // On the disk before it is sent: a mark survives an exit or a crash.
    files.start([this, number, path, id] {
        QString error;
        const bool kept = appendMarks(path, {id}, &error);
        post([this, number, kept, error] {
            Account* now = find(number);
            if (!now) {
                return;
            }
            if (!kept) {
                now->status.problem = AccountsText::tr("%1: 既読の記録を保存できません: %2")
                                          .arg(now->settings.displayName(), error);
                tell(now->status.problem);
                Q_EMIT statusChanged(number);
            }
            sendMarks(number);
        });
    });
}

void AccountsRuntime::sendMarks(int number) {
    Account* account = find(number);
    if (!account || account->sending || account->pending.isEmpty() || !account->client ||
        account->status.stopped || !account->filesLoaded) {
        return;
    }
    account->sending = true;
    const QStringList batch = account->pending;
    const AccountClient* asked = account->client.get();
    const quint64 started = ++account->started;
    account->client->markRead(
        batch, [this, number, batch, asked, started](qint64, const AccountError& error) {
            Account* now = find(number);
            if (!now || now->client.get() != asked) {
                return;
            }
            now->sending = false;
            if (!error.ok()) {
                // Kept on the disk and in order: sent again at the next
                // patrol.
                fail(number, error, started);
                return;
            }
            if (now->newest(started) && !now->status.problem.isEmpty()) {
                now->status.problem.clear();
                Q_EMIT statusChanged(number);
            }
            // Marks made while these were under way came after them.
            now->pending = now->pending.mid(batch.size());
            const QStringList left = now->pending;
            const QString path = markLogPath(folder, number);
            files.start([path, left] { rewriteMarks(path, left); });
            if (left.isEmpty()) {
                Q_EMIT marksSent(number);
            } else {
                sendMarks(number);
            }
        });
}

bool AccountsRuntime::listFeed(const ArticleRecord& of, ListDone done) {
    if (of.Account == 0) {
        return false;
    }
    const quint64 list = ++lists;
    listing = Listing{list, of.Account, std::move(done)};
    const Account* account = find(of.Account);
    if (account && !account->status.problem.isEmpty() && !account->client) {
        answerList(list, {}, account->status.problem);
        return true;
    }
    QString feedId = account ? account->feedIdByArticle.value(of.Identity) : QString();
    if (feedId.isEmpty() && account) {
        feedId = account->feedIdByUrl.value(of.FeedUrl);
    }
    if (!account || !account->client || feedId.isEmpty()) {
        answerList(list, {}, cannotList(account ? account->settings.displayName() : of.SiteTitle));
        return true;
    }
    const int number = of.Account;
    const QString name = account->settings.displayName();
    account->client->fetchFeed(
        feedId, kListedArticles,
        [this, list, number, name, of](const QList<AccountHeadline>& headlines,
                                       const AccountError& error) {
            if (!error.ok()) {
                answerList(list, {}, AccountsText::tr("%1: %2").arg(name, error.message));
                return;
            }
            const std::shared_ptr<ArticleIntake> to = intake.lock();
            std::shared_ptr<const RuleSet> rules = to ? to->rules() : nullptr;
            // The display rules are the user's regular expressions: judged on a thread of
            // ours, as the headlines of a patrol are.
            readers.start([this, list, number, of, headlines, rules] {
                QList<ArticleRecord> articles;
                articles.reserve(headlines.size());
                for (const AccountHeadline& headline : headlines) {
                    ArticleRecord record = recordOf(headline, number);
                    // A feed the server's list of feeds did not hold yet: the article's.
                    if (record.FeedUrl.isEmpty()) {
                        record.FeedUrl = of.FeedUrl;
                        record.SiteTitle = of.SiteTitle;
                    }
                    if (rules) {
                        const RuleVerdict verdict = rules->verdict(record.Title, record.FeedUrl);
                        record.Display = verdict.action;
                        record.HighlightColour = verdict.colour;
                    }
                    articles.append(std::move(record));
                }
                answerList(list, articles, {});
            });
        });
    return true;
}

void AccountsRuntime::answerList(quint64 list, const QList<ArticleRecord>& articles,
                                 const QString& error) {
    post([this, list, articles, error] {
        if (listing.number != list || !listing.done) {
            return;
        }
        const ListDone done = std::move(listing.done);
        listing = {};
        done(articles, error);
    });
}

void AccountsRuntime::listLost(int number, const QString& why) {
    if (listing.done && listing.account == number) {
        answerList(listing.number, {}, why);
    }
}

void AccountsRuntime::cancelList() {
    listing = {};
}
