#include "sitepane/accounttrees.h"

#include <QMetaObject>
#include <QSet>
#include <algorithm>

#include "accounts/accountsservice.h"
#include "accounts/accounttreefile.h"
#include "core/appstate.h"
#include "core/siterow.h"

AccountTrees::AccountTrees(AppState& appState, QObject* parent) : QObject(parent), state(appState) {
    SiteTree& tree = state.siteTree;
    // A list loaded from a file replaces every node: the accounts' folders come back after
    // the list's entries.
    connect(&tree, &SiteTree::treeReset, this, [this] {
        entries.clear();
        const QMap<int, Shown> all = shown;
        for (auto it = all.cbegin(); it != all.cend(); ++it) {
            show(it.key(), it->name, it->tree);
        }
    });
    // The user's own entries stay before the accounts' folders.
    connect(&tree, &SiteTree::nodeAdded, this, [this](SiteNode* node) {
        if (!node->parent && !isAccountNode(node)) {
            moveAccountsLast();
        }
    });
    connect(&tree, &SiteTree::nodeMoved, this, [this](SiteNode* node) {
        if (!node->parent && !isAccountNode(node)) {
            moveAccountsLast();
        }
    });
}

AccountTrees::~AccountTrees() {
    worker.stop(-1);
}

void AccountTrees::useService(AccountsService* service) {
    if (accounts) {
        disconnect(accounts, nullptr, this, nullptr);
    }
    accounts = service;
    if (service) {
        connect(service, &AccountsService::treeChanged, this, &AccountTrees::read);
        connect(service, &AccountsService::accountsChanged, this, &AccountTrees::readAll);
    }
    readAll();
}

bool AccountTrees::isAccountNode(const SiteNode* node) {
    return node && accountOfKey(node->key) > 0;
}

const AccountTrees::Entry* AccountTrees::entryOf(const SiteNode* node) const {
    if (!isAccountNode(node)) {
        return nullptr;
    }
    const auto it = entries.constFind(node->key);
    return it == entries.cend() ? nullptr : &*it;
}

QString AccountTrees::folderPath() const {
    return state.paths.programDir;
}

QString AccountTrees::nameOf(int account) const {
    if (accounts) {
        for (const AccountSettings& settings : accounts->accounts()) {
            if (settings.number == account) {
                return settings.displayName();
            }
        }
    }
    return shown.value(account).name;
}

void AccountTrees::readAll() {
    QList<int> numbers;
    if (accounts) {
        for (const AccountSettings& settings : accounts->accounts()) {
            numbers.append(settings.number);
        }
    }
    for (const int account : shown.keys()) {
        if (!numbers.contains(account)) {
            remove(account);
        }
    }
    for (const int account : std::as_const(numbers)) {
        read(account);
    }
}

void AccountTrees::read(int account) {
    const quint64 generation = ++nextGeneration;
    generations.insert(account, generation);
    ++readsPending;
    const QString path = accountTreePath(folderPath(), account);
    worker.start([this, account, generation, path] {
        QString error;
        AccountFolder tree = readAccountTreeFile(path, &error);
        QMetaObject::invokeMethod(
            this,
            [this, account, generation, tree = std::move(tree), error] {
                treeRead(account, generation, tree, error);
            },
            Qt::QueuedConnection);
    });
}

void AccountTrees::treeRead(int account, quint64 generation, const AccountFolder& tree,
                            const QString& error) {
    --readsPending;
    if (generations.value(account) != generation) {
        return;  // a later read, or the server's own tree, has come since
    }
    const QString name = nameOf(account);
    bool known = false;
    if (accounts) {
        for (const AccountSettings& settings : accounts->accounts()) {
            known = known || settings.number == account;
        }
    }
    if (!known) {
        return;  // removed while its file was read
    }
    if (!error.isEmpty()) {
        // What was shown stays; an account never shown shows as an empty folder.
        Q_EMIT problem(tr("%1: %2").arg(name, error));
        if (!shown.contains(account)) {
            show(account, name, {});
        }
        return;
    }
    show(account, name, tree);
}

void AccountTrees::refreshFromServer(int account) {
    AccountClient* client = accounts ? accounts->client(account) : nullptr;
    if (!client) {
        return;
    }
    client->fetchTree([self = QPointer<AccountTrees>(this), account](const AccountFolder& tree,
                                                                     const AccountError& error) {
        if (!self) {
            return;
        }
        const QString name = self->nameOf(account);
        if (!error.ok()) {
            Q_EMIT self->problem(tr("%1: %2").arg(name, error.message));
            return;
        }
        // A file read asked for before this answer came holds an older tree.
        self->generations.insert(account, ++self->nextGeneration);
        AccountFolder named = tree;
        named.title = name;
        self->show(account, name, named);
        self->writeTree(account, named);
    });
}

void AccountTrees::writeTree(int account, const AccountFolder& tree) {
    const QString path = accountTreePath(folderPath(), account);
    const QString name = tree.title;
    worker.start([this, path, tree, name] {
        QString why;
        if (!writeAccountTreeFile(path, tree, &why)) {
            QMetaObject::invokeMethod(
                this, [this, name, why] { Q_EMIT problem(tr("%1: %2").arg(name, why)); },
                Qt::QueuedConnection);
        }
    });
}

void AccountTrees::remove(int account) {
    if (!shown.contains(account)) {
        return;
    }
    Q_EMIT aboutToReplace(account);
    shown.remove(account);
    const QString prefix = accountKeyPrefix(account);
    erase_if(entries, [account](QHash<QString, Entry>::iterator entry) {
        return entry->account == account;
    });
    state.siteTree.removeNode(state.siteTree.find(prefix));
    Q_EMIT replaced(account);
}

void AccountTrees::show(int account, const QString& name, const AccountFolder& tree) {
    Q_EMIT aboutToReplace(account);
    shown.insert(account, {name, tree});
    erase_if(entries, [account](QHash<QString, Entry>::iterator entry) {
        return entry->account == account;
    });
    SiteTree& siteTree = state.siteTree;
    const QString key = accountKeyPrefix(account);
    siteTree.removeNode(siteTree.find(key));
    QList<SiteTree::BranchNode> branch{{key, name, kImageFolder, -1}};
    QSet<QString> keys{key};
    const qint64 unread = addFolderNodes(branch, keys, 0, account, tree);
    entries.insert(key, {Entry::Kind::Account, account, {}, name, {}, unread, {}});
    if (siteTree.addBranch(nullptr, branch)) {
        moveAccountsLast();
    }
    Q_EMIT replaced(account);
}

qint64 AccountTrees::addFolderNodes(QList<SiteTree::BranchNode>& branch, QSet<QString>& keys,
                                    qsizetype parent, int account, const AccountFolder& folder) {
    const QString prefix = accountKeyPrefix(account) + QLatin1Char('/');
    // An id the server gave twice (or none) still gets a node of its own; a key the user's
    // list holds cannot be one of these.
    const auto add = [&](const QString& kind, const QString& id, const QString& title, int image) {
        QString key = prefix + kind + id;
        for (int n = 1; keys.contains(key); ++n) {
            key = prefix + kind + id + QLatin1Char('#') + QString::number(n);
        }
        keys.insert(key);
        branch.append({key, title, image, parent});
        return key;
    };
    qint64 unread = 0;
    for (const AccountFolder& sub : folder.folders) {
        const QString key = add(QStringLiteral("c/"), sub.id, sub.title, kImageFolder);
        const qint64 below = addFolderNodes(branch, keys, branch.size() - 1, account, sub);
        entries.insert(key, {Entry::Kind::Folder, account, sub.id, sub.title, {}, below, sub.id});
        unread += below;
    }
    for (const AccountFeed& feed : folder.feeds) {
        const QString key = add(QStringLiteral("f/"), feed.id, feed.title, kImageSite);
        entries.insert(key, {Entry::Kind::Feed, account, feed.id, feed.title, feed.feedUrl,
                             feed.unread, folder.id});
        unread += feed.unread;
    }
    return unread;
}

void AccountTrees::moveAccountsLast() {
    if (reordering) {
        return;
    }
    const QList<SiteNode*>& top = state.siteTree.topLevelNodes();
    // Already in place when the accounts' folders end the top level, in order.
    QList<int> trailing;
    for (qsizetype i = top.size() - 1; i >= 0 && isAccountNode(top.at(i)); --i) {
        trailing.prepend(accountOfKey(top.at(i)->key));
    }
    QList<int> wanted;
    for (const SiteNode* node : top) {
        if (isAccountNode(node)) {
            wanted.append(accountOfKey(node->key));
        }
    }
    std::sort(wanted.begin(), wanted.end());
    if (trailing == wanted) {
        return;
    }
    reordering = true;
    for (const int account : std::as_const(wanted)) {
        state.siteTree.moveNode(state.siteTree.find(accountKeyPrefix(account)), nullptr);
    }
    reordering = false;
}
