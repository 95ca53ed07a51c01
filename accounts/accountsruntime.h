#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>

#include "accounts/accountsservice.h"
#include "accounts/secretstore.h"
#include "core/articlesource.h"
#include "platform/net/fetchoptions.h"
#include "platform/system/workerpool.h"

class HttpClient;

// The accounts of accounts.ini while the program runs, and the source of their articles.
// At every patrol each account asks its server for its tree (written to accounts/<n>.opml)
// and for its unread headlines newer than its cursor, with the ids of every unread article:
// a few requests, whatever the number of feeds. Articles read elsewhere leave the queue;
// articles opened here (or shown, with mark_read_when_shown=1) are marked read on the
// server, kept on disk first (accounts/<n>.marks) until the server has taken them. A feed
// the user keeps out of the ticker (accounts/<n>.hidden) has its headlines kept back.
// Lives on the UI thread; files are read and written, and headlines judged, on threads of
// its own.
class AccountsRuntime final : public AccountsService, public ArticleSource {
    Q_OBJECT
public:
    // Times an account's articles are judged again while the rules keep changing under them.
    static constexpr int kMaxJudgings = 3;
    // Articles the list of one feed holds at most: the newest, one request's worth.
    static constexpr int kListedArticles = 200;

    // folder: the folder of config.ini. secrets and http outlive the runtime.
    AccountsRuntime(const QString& folder, SecretStore& secrets, HttpClient& http,
                    const FetchOptions& options = {}, QObject* parent = nullptr);
    ~AccountsRuntime() override;
    AccountsRuntime(const AccountsRuntime&) = delete;
    AccountsRuntime& operator=(const AccountsRuntime&) = delete;

    [[nodiscard]] QList<AccountSettings> accounts() const override;
    [[nodiscard]] Status status(int number) const override;
    [[nodiscard]] AccountClient* client(int number) const override;
    void reload() override;

    void patrol(const std::shared_ptr<ArticleIntake>& intake) override;
    void articleOpened(const ArticleRecord& article) override;
    void articleShown(const ArticleRecord& article) override;
    // The newest articles of the server feed the account's article came from, read or not.
    bool listFeed(const ArticleRecord& of, ListDone done) override;
    void cancelList() override;

    [[nodiscard]] std::optional<bool> feedInTicker(int number,
                                                   const QString& feedId) const override;
    void setFeedInTicker(int number, const QString& feedId, bool inTicker,
                         std::function<void(const QString& error)> done) override;

    // Ends every request under way; their accounts are asked again at the next patrol.
    void cancelAll();
    // The exit: ends every request and waits at most waitMs for the marks still being
    // written to the disk; false when they were not all written in that time.
    bool shutdown(int waitMs);
    // Marks not yet taken by the server, oldest first.
    [[nodiscard]] QStringList pendingMarks(int number) const;
    // A patrol of the account is under way.
    [[nodiscard]] bool isSyncing(int number) const;

Q_SIGNALS:
    // The account's patrol has ended, well or not.
    void patrolEnded(int number);
    // The server has taken every mark of the account made so far.
    void marksSent(int number);

private:
    struct Account;

    void apply(const QList<AccountSettings>& read);
    void readPassword(int number);
    void connectAccount(Account& account, const QString& password);
    void loadFiles(int number);
    void startPatrol(Account& account);
    struct Unread;
    void takeUnread(int number, const AccountClient* asked, const AccountUnread& unread,
                    int judgings);
    void judged(int number, const AccountClient* asked, QList<ArticleRecord> fresh,
                const AccountUnread& unread, quint64 generation, int judgings);
    void endPatrol(Account& account);
    // The request numbered started failed.
    void fail(int number, const AccountError& error, quint64 started);
    void mark(int number, const QString& id);
    void sendMarks(int number);
    void tell(const QString& text);
    // Answers the list numbered list on the UI thread later, unless it was replaced or
    // cancelled meanwhile; may be called on any thread.
    void answerList(quint64 list, const QList<ArticleRecord>& articles, const QString& error);
    // The account's client went with the list's request: the list is answered with why.
    void listLost(int number, const QString& why);
    [[nodiscard]] Account* find(int number) const;
    // Runs f on the UI thread later, unless the runtime is gone by then.
    void post(std::function<void()> f);

    QString folder;
    SecretStore& secrets;
    HttpClient& http;
    FetchOptions options;
    QList<AccountSettings> settings;
    std::weak_ptr<ArticleIntake> intake;
    // Declared before the accounts, so that their clients go first.
    WorkerPool files{1};
    WorkerPool readers{1};
    std::map<int, std::unique_ptr<Account>> live;
    // Bumped at every reload, so that a late read of accounts.ini is dropped.
    quint64 reloads = 0;
    // The list of a feed under way (done empty: none): only the latest is answered, and
    // it is answered even when its account's client goes (settings changed, stopped).
    struct Listing {
        quint64 number = 0;
        int account = 0;
        ListDone done;
    };
    Listing listing;
    quint64 lists = 0;
};
