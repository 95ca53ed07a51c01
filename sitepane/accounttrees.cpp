#include "sitepane/accounttrees.h"

#include <QMetaObject>
#include <algorithm>
#include <utility>

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
        connect(service, &AccountsService::tickerChoicesChanged, this,
                &AccountTrees::tickerChoicesChanged);
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
    const auto account = entries.constFind(accountOfKey(node->key));
    if (account == entries.cend()) {
        return nullptr;
    }
    const auto it = account->constFind(node->key);
    return it == account->cend() ? nullptr : &*it;
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

bool AccountTrees::isKnown(int account) const {
    if (accounts) {
        for (const AccountSettings& settings : accounts->accounts()) {
            if (settings.number == account) {
                return true;
            }
        }
    }
    return false;
}

void AccountTrees::read(int account) {
    prepare(account, nameOf(account), accountTreePath(folderPath(), account), {});
}

void AccountTrees::show(int account, const QString& name, const AccountFolder& tree) {
    prepare(account, name, QString(), tree);
}

void AccountTrees::prepare(int account, const QString& name, const QString& path,
                           const AccountFolder& tree) {
    const quint64 generation = ++nextGeneration;
    generations.insert(account, generation);
    ++readsPending;
    worker.start([this, account, generation, name, path, tree] {
        auto built = std::make_shared<Built>();
        built->name = name;
        built->fromFile = !path.isEmpty();
        QString error;
        built->tree = path.isEmpty() ? tree : readAccountTreeFile(path, &error);
        build(account, *built);
        QMetaObject::invokeMethod(
            this,
            [this, account, generation, built = std::move(built), error] {
                install(account, generation, built, error);
            },
            Qt::QueuedConnection);
    });
}

void AccountTrees::install(int account, quint64 generation, const std::shared_ptr<Built>& built,
                           const QString& error) {
    --readsPending;
    if (generations.value(account) != generation) {
        return;  // a later read, or the server's own tree, has come since
    }
    if (built->fromFile && !isKnown(account)) {
        return;  // removed while its file was read
    }
    if (!error.isEmpty()) {
        // What was shown stays; an account never shown shows as an empty folder (what the
        // failed read built).
        Q_EMIT problem(tr("%1: %2").arg(built->name, error));
        if (const auto was = shown.constFind(account); was != shown.cend()) {
            // A list loaded meanwhile took it out of the tree: it is built again.
            if (!state.siteTree.find(accountKeyPrefix(account))) {
                show(account, was->name, was->tree);
            }
            return;
        }
    }
    SiteTree& siteTree = state.siteTree;
    const QString key = accountKeyPrefix(account);
    Q_EMIT aboutToReplace(account);
    // What the folder showed is freed on the worker: thousands of nodes and entries.
    struct Discarded {
        std::vector<std::unique_ptr<SiteNode>> nodes;
        Shown shown;
        QHash<QString, Entry> entries;
    };
    auto discarded = std::make_shared<Discarded>();
    discarded->shown = std::exchange(shown[account], {built->name, std::move(built->tree)});
    discarded->entries = std::exchange(entries[account], std::move(built->entries));
    discarded->nodes = siteTree.takeBranch(siteTree.find(key));
    // After the user's own entries and the accounts numbered lower.
    const QList<SiteNode*>& top = siteTree.topLevelNodes();
    int row = int(top.size());
    while (row > 0 && isAccountNode(top.at(row - 1)) &&
           accountOfKey(top.at(row - 1)->key) > account) {
        --row;
    }
    if (siteTree.adoptBranch(nullptr, std::move(built->nodes), row)) {
        moveAccountsLast();
    }
    worker.start([discarded = std::move(discarded)] {});
    Q_EMIT replaced(account);
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
    // A read under way is not shown.
    generations.insert(account, ++nextGeneration);
    if (!shown.contains(account)) {
        return;
    }
    Q_EMIT aboutToReplace(account);
    shown.remove(account);
    entries.remove(account);
    auto nodes = std::make_shared<std::vector<std::unique_ptr<SiteNode>>>(
        state.siteTree.takeBranch(state.siteTree.find(accountKeyPrefix(account))));
    worker.start([nodes = std::move(nodes)] {});
    Q_EMIT replaced(account);
}

void AccountTrees::build(int account, Built& built) {
    const QString key = accountKeyPrefix(account);
    SiteNode* top = built.nodes.append(nullptr, key, built.name, kImageFolder);
    const qint64 unread = addFolderNodes(built, top, account, built.tree);
    built.entries.insert(key, {Entry::Kind::Account, account, {}, built.name, {}, unread, {}});
}

qint64 AccountTrees::addFolderNodes(Built& built, SiteNode* parent, int account,
                                    const AccountFolder& folder) {
    const QString prefix = accountKeyPrefix(account) + QLatin1Char('/');
    // An id the server gave twice (or none) still gets a node of its own; a key the user's
    // list holds cannot be one of these.
    const auto add = [&](const QString& kind, const QString& id, const QString& title, int image) {
        const QString base = prefix + kind + id;
        SiteNode* node = built.nodes.append(parent, base, title, image);
        for (int n = 1; !node; ++n) {
            node = built.nodes.append(parent, base + QLatin1Char('#') + QString::number(n), title,
                                      image);
        }
        return node;
    };
    qint64 unread = 0;
    for (const AccountFolder& sub : folder.folders) {
        SiteNode* node = add(QStringLiteral("c/"), sub.id, sub.title, kImageFolder);
        const qint64 below = addFolderNodes(built, node, account, sub);
        built.entries.insert(node->key,
                             {Entry::Kind::Folder, account, sub.id, sub.title, {}, below, sub.id});
        unread += below;
    }
    for (const AccountFeed& feed : folder.feeds) {
        SiteNode* node = add(QStringLiteral("f/"), feed.id, feed.title, kImageSite);
        built.entries.insert(node->key, {Entry::Kind::Feed, account, feed.id, feed.title,
                                         feed.feedUrl, feed.unread, folder.id});
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
