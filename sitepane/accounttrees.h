#pragma once

#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

#include "accounts/accountclient.h"
#include "accounts/accountsservice.h"
#include "core/sitetree.h"
#include "platform/system/workerpool.h"

struct AppState;

// The accounts' folders in the site tree: each account is a top-level folder named
// "user@host", after the user's own folders and sites, holding the server's folders and
// feeds. Their nodes are keyed by the account (accountOfKey) and name no row of the site
// table, so the patrol's walk never reaches them and the site list never holds them.
//
// The trees come from the accounts' tree files (accounts/<n>.opml beside config.ini), read on
// a worker at start and again whenever the service says a file was written anew or the
// accounts changed; after a subscription the server's tree is fetched at once. A folder's
// nodes and entries are built on the worker too: the UI thread only swaps the finished
// folder in, so an account of thousands of feeds never holds it up.
class AccountTrees : public QObject {
    Q_OBJECT
public:
    // What a node of an account's folder stands for.
    struct Entry {
        enum class Kind { Account, Folder, Feed };
        Kind kind = Kind::Account;
        int account = 0;
        // The server's id of the folder or feed; empty for the account itself.
        QString id;
        QString title;
        // A feed's.
        QString feedUrl;
        // A feed's unread articles; a folder's, those of every feed below it.
        qint64 unread = 0;
        // Where a feed subscribed beside this entry goes: a folder's own id, a feed's folder;
        // empty for the account itself (the server's top level).
        QString folderId;
    };

    AccountTrees(AppState& state, QObject* parent = nullptr);
    // Waits for a read under way; its tree is not shown.
    ~AccountTrees() override;

    // Follows service's accounts (null: none), reading every tree file now.
    void useService(AccountsService* service);
    [[nodiscard]] AccountsService* service() const { return accounts; }

    // The entry a node of an account's folder stands for; null for the user's own entries.
    [[nodiscard]] const Entry* entryOf(const SiteNode* node) const;
    [[nodiscard]] static bool isAccountNode(const SiteNode* node);

    // Shows tree as account's folder named name, in place of what it showed, once its nodes
    // are built on the worker (isReading() meanwhile).
    void show(int account, const QString& name, const AccountFolder& tree);
    // Takes the account's folder out of the tree.
    void remove(int account);
    // Reads every account's tree file anew, and drops the folders of accounts that are gone.
    void readAll();
    // Reads the account's tree file anew.
    void read(int account);
    // Asks the account's server for its tree, shows it and writes it to its file.
    void refreshFromServer(int account);
    // True while a tree file is being read or a folder built.
    [[nodiscard]] bool isReading() const { return readsPending > 0; }

Q_SIGNALS:
    // An account's folder is about to be replaced (or removed), and has been: a view keeps
    // what it showed open and selected across the two.
    void aboutToReplace(int account);
    void replaced(int account);
    // A read or a fetch of an account's tree failed: why, in a sentence naming the account.
    void problem(const QString& text);
    // Which of the account's feeds go to the ticker was read or changed (the service's).
    void tickerChoicesChanged(int account);

private:
    struct Shown {
        QString name;
        AccountFolder tree;
    };
    // An account's folder made ready on the worker: its nodes and their entries by key.
    struct Built {
        // Read from the account's file, rather than given: shown only for an account the
        // service still lists.
        bool fromFile = false;
        QString name;
        AccountFolder tree;
        SiteNodes nodes;
        QHash<QString, Entry> entries;
    };

    // Builds the nodes and entries of tree as account's folder named name. Any thread.
    static void build(int account, Built& built);
    // Appends the nodes of folder's contents under parent, with their entries; gives the
    // unread articles of every feed below.
    static qint64 addFolderNodes(Built& built, SiteNode* parent, int account,
                                 const AccountFolder& folder);
    // Reads (when path is not empty) and builds on the worker, then installs.
    void prepare(int account, const QString& name, const QString& path, const AccountFolder& tree);
    // Swaps a built folder in, unless a later read or build has been asked for meanwhile.
    void install(int account, quint64 generation, const std::shared_ptr<Built>& built,
                 const QString& error);
    // Writes tree to the account's file on the worker; a failure is told as a problem.
    void writeTree(int account, const AccountFolder& tree);
    // Puts the accounts' folders back last at the top level, in the order of their numbers.
    void moveAccountsLast();
    [[nodiscard]] QString nameOf(int account) const;
    [[nodiscard]] bool isKnown(int account) const;
    [[nodiscard]] QString folderPath() const;

    AppState& state;
    QPointer<AccountsService> accounts;
    QMap<int, Shown> shown;
    // Per account, its entries by node key: swapped whole with the folder.
    QHash<int, QHash<QString, Entry>> entries;
    // Per account, the latest read asked for: an older one that ends later is dropped.
    QHash<int, quint64> generations;
    quint64 nextGeneration = 0;
    int readsPending = 0;
    bool reordering = false;
    // Declared last, so it ends first.
    WorkerPool worker{1};
};
