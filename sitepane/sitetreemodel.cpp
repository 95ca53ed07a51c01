#include "sitepane/sitetreemodel.h"

#include <QPixmap>

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
    siteIcons = icons;
    siteTable = table;
    drawnWithIcon.clear();
    if (!icons) {
        return;
    }
    connect(icons, &SiteIcons::iconChanged, this, [this](const QString& key) {
        const auto drawn = drawnWithIcon.constFind(key);
        if (drawn == drawnWithIcon.constEnd()) {
            return;
        }
        for (const SiteNode* node : *drawn) {
            const QModelIndex index = indexOf(node);
            Q_EMIT dataChanged(index, index, {Qt::DecorationRole});
        }
    });
    // Turned off or on: what was drawn is drawn again, with or without its icon, at once.
    // One change per folder, not per site: a long scroll leaves thousands drawn.
    connect(icons, &SiteIcons::shownChanged, this, [this] {
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
    connect(&tree, &SiteTree::treeAboutToBeReset, this, [this] { drawnWithIcon.clear(); });
    connect(&tree, &SiteTree::nodeAboutToBeRemoved, this, [this](SiteNode* node) {
        for (auto& nodes : drawnWithIcon) {
            erase_if(nodes,
                     [node](const SiteNode* drawn) { return SiteTree::isInSubtree(drawn, node); });
        }
    });
}

QIcon SiteTreeModel::ownIconOf(const SiteNode* node) const {
    if (!siteIcons || !siteTable) {
        return {};
    }
    const int row = indexOfKey(node->key);
    if (!siteTable->isValidIndex(row)) {
        return {};
    }
    const IconSite site = SiteIcons::siteOf((*siteTable)[row]);
    const QString key = siteIcons->keyFor(site);
    if (key.isEmpty()) {
        return {};
    }
    drawnWithIcon[key].insert(node);
    return siteIcons->iconOf(site);
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
