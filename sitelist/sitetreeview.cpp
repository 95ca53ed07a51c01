#include "sitelist/sitetreeview.h"

#include <vector>

#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>

namespace {

using Node = SiteTree::Node;

// Where an item keeps the address of the node it shows.
constexpr int kNodeRole = Qt::UserRole;

}  // namespace

SiteTreeView::SiteTreeView(SiteTree& tree, QWidget* parent)
    : QTreeWidget(parent),
      model(tree),
      folderIcon(QStringLiteral(":/icons/folder.png")),
      siteIcon(QStringLiteral(":/icons/site.png")) {
    setObjectName(QStringLiteral("trvOPML"));
    setToolTip(QStringLiteral("編集する項目を選択してください"));
    setColumnCount(1);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(16, 16));
    // Every row is one line of text: lets the view skip measuring 30 000 rows.
    setUniformRowHeights(true);
    // F2, or a second slow click on the selected node, renames it.
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);

    connect(&model, &SiteTree::treeCleared, this, &SiteTreeView::onCleared);
    connect(&model, &SiteTree::nodeAdded, this, &SiteTreeView::onAdded);
    connect(&model, &SiteTree::nodeAboutToBeRemoved, this, &SiteTreeView::onAboutToBeRemoved);
    connect(&model, &SiteTree::nodeMoved, this, &SiteTreeView::onMoved);
    connect(&model, &SiteTree::nodeTextChanged, this, &SiteTreeView::onTextChanged);
    // The selection, not the current item: it is updated after the current item, and the
    // panel shows the selected node. A selection the user empties (Ctrl+click) shows nothing
    // new.
    connect(this, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (internalChange == 0 && !selectedItems().isEmpty()) {
            Q_EMIT nodeClicked();
        }
    });

    // Show what the model already holds, in its shown order (a moved node may come before
    // its new parent in the collection, so collection order would not do).
    std::vector<std::pair<const Node*, QTreeWidgetItem*>> stack;
    const QList<Node*>& roots = model.topLevelNodes();
    for (auto it = roots.crbegin(); it != roots.crend(); ++it) {
        stack.emplace_back(*it, nullptr);
    }
    while (!stack.empty()) {
        const auto [node, parentItem] = stack.back();
        stack.pop_back();
        QTreeWidgetItem* item = makeItem(node);
        items.insert(node, item);
        if (parentItem) {
            parentItem->addChild(item);
        } else {
            pendingTopLevel.append(item);
        }
        for (auto it = node->children.crbegin(); it != node->children.crend(); ++it) {
            stack.emplace_back(*it, item);
        }
    }
    pending = true;
    syncWithModel();
}

void SiteTreeView::syncWithModel() {
    if (!pending) {
        return;
    }
    pending = false;
    ++internalChange;
    addTopLevelItems(pendingTopLevel);
    pendingTopLevel.clear();
    --internalChange;
}

SiteTree::Node* SiteTreeView::selectedNode() {
    syncWithModel();
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? nullptr : nodeOf(selected.first());
}

void SiteTreeView::selectNode(const Node* node) {
    syncWithModel();
    QTreeWidgetItem* item = node ? items.value(node) : nullptr;
    ++internalChange;
    setCurrentItem(item);
    if (item) {
        item->setSelected(true);
        scrollToItem(item);
    }
    --internalChange;
}

QTreeWidgetItem* SiteTreeView::itemOf(const Node* node) {
    syncWithModel();
    return items.value(node, nullptr);
}

SiteTree::Node* SiteTreeView::nodeOf(const QTreeWidgetItem* item) const {
    return item ? reinterpret_cast<Node*>(item->data(0, kNodeRole).value<quintptr>()) : nullptr;
}

void SiteTreeView::setNodeCut(const Node* node, bool cut) {
    QTreeWidgetItem* item = itemOf(node);
    if (!item) {
        return;
    }
    if (cut) {
        item->setForeground(0, palette().brush(QPalette::Disabled, QPalette::Text));
    } else {
        // No brush of its own: the view's normal text colour.
        item->setData(0, Qt::ForegroundRole, QVariant());
    }
}

bool SiteTreeView::isNodeCut(const Node* node) {
    const QTreeWidgetItem* item = itemOf(node);
    return item && item->data(0, Qt::ForegroundRole).isValid();
}

void SiteTreeView::expandNode(const Node* node) {
    if (QTreeWidgetItem* item = itemOf(node)) {
        item->setExpanded(true);
    }
}

void SiteTreeView::editNode(const Node* node) {
    if (QTreeWidgetItem* item = itemOf(node)) {
        editItem(item);
    }
}

void SiteTreeView::mousePressEvent(QMouseEvent* event) {
    // A right click leaves the selection alone: the Edit menu acts on the entry selected before.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

void SiteTreeView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        Q_EMIT editMenuRequested(event->globalPosition().toPoint());
        return;
    }
    QTreeWidget::mouseReleaseEvent(event);
}

void SiteTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTreeWidget::mouseDoubleClickEvent(event);
}

void SiteTreeView::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    // The mouse's menu comes with the right button's release; the menu key's comes here.
    if (event->reason() != QContextMenuEvent::Keyboard) {
        return;
    }
    syncWithModel();
    const QTreeWidgetItem* item = currentItem();
    const QPoint local = item ? visualItemRect(item).center() : viewport()->rect().center();
    Q_EMIT editMenuRequested(viewport()->mapToGlobal(local));
}

bool SiteTreeView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    const bool editing = QTreeWidget::edit(index, trigger, event);
    if (editing && index.isValid()) {
        editingNode = nodeOf(itemFromIndex(index));
    }
    return editing;
}

void SiteTreeView::commitData(QWidget* editor) {
    // The model is not written here: the pane renames the entry, and the model's text
    // change comes back to the item. A cancelled edit (Escape) never gets here.
    const auto* line = qobject_cast<const QLineEdit*>(editor);
    if (line && editingNode) {
        Q_EMIT labelEdited(editingNode, line->text());
    }
}

void SiteTreeView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    QTreeWidget::closeEditor(editor, hint);
    editingNode = nullptr;
}

void SiteTreeView::onCleared() {
    ++internalChange;
    editingNode = nullptr;
    items.clear();
    qDeleteAll(pendingTopLevel);
    pendingTopLevel.clear();
    clear();
    --internalChange;
    pending = true;
    QTimer::singleShot(0, this, &SiteTreeView::syncWithModel);
}

void SiteTreeView::onAdded(Node* node) {
    QTreeWidgetItem* parentItem = nullptr;
    if (node->parent) {
        parentItem = items.value(node->parent, nullptr);
        if (!parentItem) {
            return;  // the model never adds under an unknown parent
        }
    }
    QTreeWidgetItem* item = makeItem(node);
    items.insert(node, item);
    if (parentItem) {
        parentItem->addChild(item);
    } else if (pending) {
        pendingTopLevel.append(item);
    } else {
        addTopLevelItem(item);
    }
}

void SiteTreeView::onAboutToBeRemoved(Node* node) {
    syncWithModel();
    QTreeWidgetItem* item = items.value(node, nullptr);
    if (!item) {
        return;
    }
    if (editingNode && SiteTree::isInSubtree(editingNode, node)) {
        editingNode = nullptr;
    }

    // When the selection goes with the node, the node that takes its place is selected: the
    // next sibling, else the previous one, else the parent.
    bool selectionGoes = false;
    for (const QTreeWidgetItem* i = currentItem(); i; i = i->parent()) {
        if (i == item) {
            selectionGoes = true;
            break;
        }
    }
    QTreeWidgetItem* successor = nullptr;
    if (selectionGoes) {
        QTreeWidgetItem* parentItem = item->parent();
        const int row = parentItem ? parentItem->indexOfChild(item) : indexOfTopLevelItem(item);
        const int count = parentItem ? parentItem->childCount() : topLevelItemCount();
        const auto sibling = [&](int r) {
            return parentItem ? parentItem->child(r) : topLevelItem(r);
        };
        successor = row + 1 < count ? sibling(row + 1) : row > 0 ? sibling(row - 1) : parentItem;
    }

    // The model still holds the subtree: forget its items; deleting item deletes them.
    std::vector<const Node*> stack{node};
    while (!stack.empty()) {
        const Node* n = stack.back();
        stack.pop_back();
        items.remove(n);
        stack.insert(stack.end(), n->children.cbegin(), n->children.cend());
    }
    ++internalChange;
    delete item;
    if (selectionGoes) {
        setCurrentItem(successor);
        if (successor) {
            successor->setSelected(true);
        }
    }
    --internalChange;
}

void SiteTreeView::onMoved(Node* node, Node* /*oldParent*/) {
    syncWithModel();
    QTreeWidgetItem* item = items.value(node, nullptr);
    QTreeWidgetItem* newParentItem = node->parent ? items.value(node->parent, nullptr) : nullptr;
    if (!item || (node->parent && !newParentItem)) {
        return;
    }
    // Taking the item out forgets its subtree's expansion and, when the selection lies in
    // it, the selection; both come back after it is put in its new place.
    const QList<QTreeWidgetItem*> subtree = subtreeItems(item);
    QList<QTreeWidgetItem*> expanded;
    for (QTreeWidgetItem* i : subtree) {
        if (i->isExpanded()) {
            expanded.append(i);
        }
    }
    QTreeWidgetItem* current = currentItem();
    const bool selectionMoves = current && subtree.contains(current);

    ++internalChange;
    if (QTreeWidgetItem* oldParentItem = item->parent()) {
        oldParentItem->takeChild(oldParentItem->indexOfChild(item));
    } else {
        takeTopLevelItem(indexOfTopLevelItem(item));
    }
    if (newParentItem) {
        newParentItem->addChild(item);
    } else {
        addTopLevelItem(item);
    }
    for (QTreeWidgetItem* i : expanded) {
        i->setExpanded(true);
    }
    if (selectionMoves) {
        setCurrentItem(current);
        current->setSelected(true);
    }
    --internalChange;
}

void SiteTreeView::onTextChanged(Node* node) {
    if (QTreeWidgetItem* item = items.value(node, nullptr)) {
        item->setText(0, node->text);
    }
}

QTreeWidgetItem* SiteTreeView::makeItem(const Node* node) const {
    auto* item = new QTreeWidgetItem;
    item->setText(0, node->text);
    if (node->image == kImageFolder) {
        item->setIcon(0, folderIcon);
    } else if (node->image == kImageSite) {
        item->setIcon(0, siteIcon);
    }
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable);
    item->setData(0, kNodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
    return item;
}

QList<QTreeWidgetItem*> SiteTreeView::subtreeItems(QTreeWidgetItem* item) const {
    QList<QTreeWidgetItem*> result{item};
    for (qsizetype i = 0; i < result.size(); ++i) {
        QTreeWidgetItem* parentItem = result.at(i);
        for (int c = 0; c < parentItem->childCount(); ++c) {
            result.append(parentItem->child(c));
        }
    }
    return result;
}
