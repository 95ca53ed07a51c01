#include "sitepane/sitetreemodel.h"

#include <QMetaMethod>
#include <QPixmap>
#include <algorithm>
#include <utility>

#include "core/siterow.h"
#include "icons/iconservice.h"
#include "ui/siteicons.h"

namespace {

// The style draws a selected item's icon in its Selected mode, which Qt would otherwise make
// by tinting the picture with the selection colour; the pictures keep their colours.
QIcon untintedIcon(const QString& path) {
    const QPixmap pixmap(path);
    QIcon icon;
    for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Active, QIcon::Selected}) {
        for (const QIcon::State state : {QIcon::Off, QIcon::On}) {
            icon.addPixmap(pixmap, mode, state);
        }
    }
    return icon;
}

}  // namespace

SiteTreeModel::SiteTreeModel(SiteTree& siteTree, QObject* parent)
    : QAbstractItemModel(parent),
      tree(siteTree),
      folderIcon(iconOf(kImageFolder)),
      siteIcon(iconOf(kImageSite)) {
    sinceStart.start();
    connect(&tree, &SiteTree::treeAboutToBeReset, this, [this] {
        beginResetModel();
        cutNodes.clear();
    });
    connect(&tree, &SiteTree::treeReset, this, [this] { endResetModel(); });
    connect(&tree, &SiteTree::nodeAboutToBeAdded, this, [this](SiteNode* parentNode, int row) {
        beginInsertRows(indexOf(parentNode), row, row);
    });
    connect(&tree, &SiteTree::nodeAdded, this, [this] { endInsertRows(); });
    connect(&tree, &SiteTree::nodeAboutToBeRemoved, this, [this](SiteNode* node) {
        beginRemoveRows(indexOf(node->parent), node->row, node->row);
        erase_if(cutNodes,
                 [node](const SiteNode* cut) { return SiteTree::isInSubtree(cut, node); });
    });
    connect(&tree, &SiteTree::nodeRemoved, this, [this] { endRemoveRows(); });
    connect(&tree, &SiteTree::nodeAboutToBeMoved, this, [this](SiteNode* node, SiteNode* to) {
        // Refused only when the node would stay where it is (the last of its own parent's).
        const int end = to ? int(to->children.size()) : int(tree.topLevelNodes().size());
        moving = beginMoveRows(indexOf(node->parent), node->row, node->row, indexOf(to), end);
    });
    connect(&tree, &SiteTree::nodeMoved, this, [this] {
        if (moving) {
            moving = false;
            endMoveRows();
        }
    });
    connect(&tree, &SiteTree::nodeTextChanged, this, [this](SiteNode* node) {
        const QModelIndex index = indexOf(node);
        Q_EMIT dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    });
}

QIcon SiteTreeModel::iconOf(int image) {
    if (image == kImageFolder) {
        return untintedIcon(QStringLiteral(":/icons/folder.png"));
    }
    if (image == kImageSite) {
        return untintedIcon(QStringLiteral(":/icons/site.png"));
    }
    return {};
}

const QList<SiteNode*>& SiteTreeModel::childrenOf(const QModelIndex& parent) const {
    return parent.isValid() ? nodeOf(parent)->children : tree.topLevelNodes();
}

QModelIndex SiteTreeModel::index(int row, int column, const QModelIndex& parent) const {
    const QList<SiteNode*>& children = childrenOf(parent);
    if (column != 0 || row < 0 || row >= children.size()) {
        return {};
    }
    return createIndex(row, 0, children.at(row));
}

QModelIndex SiteTreeModel::parent(const QModelIndex& child) const {
    const SiteNode* node = nodeOf(child);
    return node ? indexOf(node->parent) : QModelIndex();
}

int SiteTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) {
        return 0;
    }
    return int(childrenOf(parent).size());
}

int SiteTreeModel::columnCount(const QModelIndex& /*parent*/) const {
    return 1;
}

QVariant SiteTreeModel::data(const QModelIndex& index, int role) const {
    const SiteNode* node = nodeOf(index);
    if (!node) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return node->text;
        case Qt::DecorationRole:
            if (node->image == kImageFolder) {
                return folderIcon;
            }
            if (node->image == kImageSite) {
                const QIcon own = ownIconOf(node);
                return own.isNull() ? siteIcon : own;
            }
            return {};
        case Qt::ForegroundRole:
            // No brush of its own when not cut: the view's normal text colour.
            return cutNodes.contains(node) ? QVariant(cutBrush) : QVariant();
        default:
            return {};
    }
}

Qt::ItemFlags SiteTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    // The server names an account's folders and feeds: they are not renamed here.
    if (accountOfKey(nodeOf(index)->key) > 0) {
        return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    }
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
}

void SiteTreeModel::setSiteIcons(SiteIcons* icons, const SiteRowArray* table) {
    delete iconLinks;
    iconLinks = nullptr;
    arrivalRepaint = nullptr;
    siteIcons = icons;
    siteTable = table;
    drawnWithIcon.clear();
    rowIcons.clear();
    arrivedIcons.clear();
    if (!icons) {
        return;
    }
    iconLinks = new QObject(this);
    arrivalRepaint = new QTimer(iconLinks);
    arrivalRepaint->setSingleShot(true);
    arrivalRepaint->setInterval(kArrivalRepaintMs);
    connect(arrivalRepaint, &QTimer::timeout, this, &SiteTreeModel::repaintArrivedIcons);
    connect(icons, &SiteIcons::iconChanged, iconLinks, [this](const QString& key) {
        if (!drawnWithIcon.contains(key)) {
            return;
        }
        arrivedIcons.insert(key);
        if (!arrivalRepaint->isActive()) {
            arrivalRepaint->start();
        }
    });
    // Turned off or on: what was drawn is drawn again, with or without its icon, at once.
    // One change per folder, not per site: a long scroll leaves thousands drawn.
    connect(icons, &SiteIcons::shownChanged, iconLinks, [this] {
        QSet<const SiteNode*> parents;
        for (const QSet<const SiteNode*>& drawn : std::as_const(drawnWithIcon)) {
            for (const SiteNode* node : drawn) {
                parents.insert(node->parent);
            }
        }
        for (const SiteNode* parentNode : std::as_const(parents)) {
            const int count =
                int(parentNode ? parentNode->children.size() : tree.topLevelNodes().size());
            if (count > 0) {
                const QModelIndex parentIndex = indexOf(parentNode);
                Q_EMIT dataChanged(index(0, 0, parentIndex), index(count - 1, 0, parentIndex),
                                   {Qt::DecorationRole});
            }
        }
    });
    // Nodes that go are forgotten with everything else when the tree is loaded anew; a
    // removed node leaves its entry until then, harmless, as it is looked up only by key.
    connect(&tree, &SiteTree::treeAboutToBeReset, iconLinks, [this] {
        drawnWithIcon.clear();
        rowIcons.clear();
        arrivedIcons.clear();
    });
    connect(&tree, &SiteTree::nodeAboutToBeRemoved, iconLinks, [this](SiteNode* node) {
        for (auto& nodes : drawnWithIcon) {
            erase_if(nodes,
                     [node](const SiteNode* drawn) { return SiteTree::isInSubtree(drawn, node); });
        }
        // A node made later may take the removed one's place in memory: every row is entered
        // again as it is drawn.
        for (RowIcon& row : rowIcons) {
            row.drawnAs = nullptr;
        }
    });
}

QString SiteTreeModel::iconKeyOf(const QModelIndex& index) const {
    const SiteNode* node = nodeOf(index);
    if (node == nullptr || node->image != kImageSite) {
        return {};
    }
    const int row = indexOfKey(node->key);
    return row >= 0 && row < rowIcons.size() && rowIcons[row].known ? rowIcons[row].key : QString();
}

void SiteTreeModel::repaintArrivedIcons() {
    // A view repaints just the rows it shows with them: a change of a span of rows would
    // repaint its whole page, and a change per row makes it search every row for its place.
    if (isSignalConnected(QMetaMethod::fromSignal(&SiteTreeModel::iconsArrived))) {
        Q_EMIT iconsArrived(std::exchange(arrivedIcons, {}));
        return;
    }
    // The first and last row drawn with an arrived icon under each parent.
    QHash<const SiteNode*, std::pair<int, int>> spans;
    for (const QString& key : std::as_const(arrivedIcons)) {
        const auto drawn = drawnWithIcon.constFind(key);
        if (drawn == drawnWithIcon.constEnd()) {
            continue;
        }
        for (const SiteNode* node : *drawn) {
            const auto span = spans.find(node->parent);
            if (span == spans.end()) {
                spans.insert(node->parent, {node->row, node->row});
            } else {
                span->first = std::min(span->first, node->row);
                span->second = std::max(span->second, node->row);
            }
        }
    }
    arrivedIcons.clear();
    for (auto span = spans.cbegin(); span != spans.cend(); ++span) {
        const QModelIndex parentIndex = indexOf(span.key());
        Q_EMIT dataChanged(index(span->first, 0, parentIndex), index(span->second, 0, parentIndex),
                           {Qt::DecorationRole});
    }
}

QIcon SiteTreeModel::ownIconOf(const SiteNode* node) const {
    if (!siteIcons || !siteTable) {
        return {};
    }
    const int row = indexOfKey(node->key);
    if (!siteTable->isValidIndex(row)) {
        return {};
    }
    const SiteRow& site = (*siteTable)[row];
    if (rowIcons.size() <= row) {
        rowIcons.resize(siteTable->size());
    }
    RowIcon& drawn = rowIcons[row];
    // A row's addresses may be edited in place: its key follows them.
    if (!drawn.known || drawn.homePage != site.strHtmlUrl || drawn.feedUrl != site.strXmlUrl) {
        drawn.homePage = site.strHtmlUrl;
        drawn.feedUrl = site.strXmlUrl;
        drawn.key = siteIcons->keyFor(SiteIcons::siteOf(site));
        drawn.known = true;
        drawn.drawnAs = nullptr;
        drawn.askedMs = -1;
    }
    if (drawn.key.isEmpty()) {
        return {};
    }
    if (drawn.drawnAs != node) {
        drawnWithIcon[drawn.key].insert(node);
        drawn.drawnAs = node;
    }
    // Drawing a row again takes what it was given while nothing changed; now and then it
    // asks again, which keeps the icon fresh over a long run.
    const qint64 now = sinceStart.elapsed();
    if (drawn.askedMs < 0 || drawn.generation != siteIcons->generation() ||
        now - drawn.askedMs >= SiteIcons::kAskAgainMs || !siteIcons->isShown()) {
        drawn.icon = siteIcons->iconOf(drawn.key, IconSite{drawn.homePage, drawn.feedUrl});
        drawn.generation = siteIcons->generation();
        drawn.askedMs = now;
    }
    return drawn.icon;
}

QModelIndex SiteTreeModel::indexOf(const SiteNode* node) const {
    return node ? createIndex(node->row, 0, const_cast<SiteNode*>(node)) : QModelIndex();
}

SiteNode* SiteTreeModel::nodeOf(const QModelIndex& index) {
    return index.isValid() ? static_cast<SiteNode*>(index.internalPointer()) : nullptr;
}

void SiteTreeModel::setCut(const SiteNode* node, bool cut, const QBrush& brush) {
    if (!node) {
        return;
    }
    if (cut) {
        cutBrush = brush;
        cutNodes.insert(node);
    } else if (!cutNodes.remove(node)) {
        return;
    }
    const QModelIndex index = indexOf(node);
    Q_EMIT dataChanged(index, index, {Qt::ForegroundRole});
}
